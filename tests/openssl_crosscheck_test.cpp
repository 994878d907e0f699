// Checks the conversions against OpenSSL's libcrypto, an independent
// implementation of the same encodings, on many seeded random inputs.
#include <gtest/gtest.h>
#include <openssl/asn1.h>
#include <openssl/evp.h>
#include <openssl/objects.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "objid_conversions.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/writers.hpp"
#include "random_identifiers.hpp"

namespace pellamar {
namespace {

using Octets = std::vector<std::uint8_t>;
using testing_support::RandomIdentifiers;

struct ObjectDeleter {
  void operator()(ASN1_OBJECT* object) const { ASN1_OBJECT_free(object); }
};
using Object = std::unique_ptr<ASN1_OBJECT, ObjectDeleter>;

Octets opensslContents(const std::string& text) {
  const Object object(OBJ_txt2obj(text.c_str(), 1));
  if (!object) {
    return {};
  }
  const unsigned char* data = OBJ_get0_data(object.get());
  return Octets(data, data + OBJ_length(object.get()));
}

std::string opensslBase64(const Octets& octets) {
  std::string text(4 * ((octets.size() + 2) / 3) + 1, '\0');
  const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), octets.data(),
                                     static_cast<int>(octets.size()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// The dotted text OpenSSL gives the contents octets, or nothing when it
// refuses them as an identifier.
std::optional<std::string> opensslText(const Octets& contents) {
  Octets der = {0x06, static_cast<std::uint8_t>(contents.size())};
  der.insert(der.end(), contents.begin(), contents.end());
  const unsigned char* cursor = der.data();
  const Object object(d2i_ASN1_OBJECT(nullptr, &cursor, static_cast<long>(der.size())));
  if (!object) {
    return std::nullopt;
  }
  std::array<char, 1024> text{};
  const int length = OBJ_obj2txt(text.data(), static_cast<int>(text.size()), object.get(), 1);
  if (length <= 0 || static_cast<std::size_t>(length) >= text.size()) {
    return std::nullopt;
  }
  return std::string(text.data(), static_cast<std::size_t>(length));
}

// The dotted text of contents octets, arcs of any size.
std::string anySizeText(const Octets& octets) {
  ObjectIdentifier identifier;
  EXPECT_FALSE(ObjectIdentifier::fromContents(octets, identifier));
  std::string text;
  append(identifier, Form::Dotted, text);
  return text;
}

// A decimal arc of 1 to `maxDigits` digits, without leading zeros.
std::string randomArc(RandomIdentifiers& random, std::uint32_t maxDigits) {
  const std::uint32_t digits = random.uniform(1, maxDigits);
  std::string arc(1, static_cast<char>('0' + random.uniform(digits == 1 ? 0 : 1, 9)));
  while (arc.size() < digits) {
    arc += static_cast<char>('0' + random.uniform(0, 9));
  }
  return arc;
}

// Arcs of any size, up to a single arc that takes nearly all 100 octets,
// encode to OpenSSL's octets and decode to OpenSSL's text.
TEST(OpenSslCrossCheck, ArcsOfAnySizeAgreeBothWays) {
  RandomIdentifiers random(1984);
  int compared = 0;
  for (int trial = 0; trial < 5000; ++trial) {
    const std::uint32_t root = random.uniform(0, 2);
    std::string text = std::to_string(root);
    text += '.';
    text += root < 2 ? std::to_string(random.uniform(0, 39)) : randomArc(random, 45);
    const std::uint32_t more = random.uniform(0, 6);
    const std::uint32_t maxDigits = random.uniform(0, 9) == 0 ? 211 : 45;
    for (std::uint32_t arc = 0; arc < more; ++arc) {
      text += '.';
      text += randomArc(random, maxDigits);
    }
    const Octets theirs = opensslContents(text);
    ObjectIdentifier identifier;
    if (const auto error = readDotted(text, identifier)) {
      // Only the 100-octet limit, which OpenSSL does not keep, refuses.
      ASSERT_EQ(error->code, ErrorCode::TooManyOctets) << text;
      ASSERT_GT(theirs.size(), 100U) << text;
      continue;
    }
    const Octets ours(identifier.octets().begin(), identifier.octets().end());
    ASSERT_EQ(ours, theirs) << text;
    ASSERT_EQ(opensslText(theirs), text) << text;
    ASSERT_EQ(anySizeText(ours), text) << text;
    ++compared;
  }
  EXPECT_GT(compared, 4000);
}

TEST(OpenSslCrossCheck, ValidIdentifiersEncodeToTheSameOctetsAndBase64) {
  RandomIdentifiers identifiers(4648);
  for (int trial = 0; trial < 10000; ++trial) {
    const std::string text = RandomIdentifiers::dotted(identifiers.next());
    ObjIDBuffer buffer;
    const std::int16_t count = ObjIDStringToBinary(buffer, text);
    Octets ours;
    for (int index = 0; index < count; ++index) {
      ours.push_back(buffer[index]);
    }
    const Octets theirs = opensslContents(text);
    ASSERT_EQ(ours, theirs) << text;
    ASSERT_EQ(ObjIDBinaryToBase64(buffer, count), opensslBase64(theirs)) << text;
  }
}

// Contents octets drawn subidentifier by subidentifier, with what the draw
// put in them, so that each disagreement with OpenSSL can be explained.
struct DrawnContents {
  Octets octets;
  bool arcBeyond32Bits = false;
  bool nonMinimal = false;
  bool cutOff = false;
};

DrawnContents drawContents(RandomIdentifiers& random) {
  DrawnContents drawn;
  const std::uint32_t subidentifiers = random.uniform(1, 12);
  for (std::uint32_t index = 0; index < subidentifiers; ++index) {
    // Mostly within 32 bits, sometimes beyond.
    const std::uint64_t value = random.valueOfRandomWidth(random.uniform(0, 15) == 0 ? 35 : 31);
    drawn.arcBeyond32Bits = drawn.arcBeyond32Bits || value > RandomIdentifiers::LargestArc;
    Octets digits = {static_cast<std::uint8_t>(value & 0x7F)};
    for (std::uint64_t rest = value >> 7; rest > 0; rest >>= 7) {
      digits.insert(digits.begin(), static_cast<std::uint8_t>(0x80 | (rest & 0x7F)));
    }
    // X.690 forbids a leading 0x80 octet; BER writers get it wrong sometimes.
    if (random.uniform(0, 30) == 0) {
      digits.insert(digits.begin(), 0x80);
      drawn.nonMinimal = true;
    }
    drawn.octets.insert(drawn.octets.end(), digits.begin(), digits.end());
  }
  if (random.uniform(0, 10) == 0) {
    drawn.octets.push_back(static_cast<std::uint8_t>(0x80 | random.uniform(0, 0x7F)));
    drawn.cutOff = true;
  }
  if (drawn.octets.size() > 100) {
    drawn.octets.resize(100);
    drawn.cutOff = (drawn.octets.back() & 0x80) != 0;
  }
  return drawn;
}

TEST(OpenSslCrossCheck, ContentsOctetsRebuildToOpenSslsText) {
  RandomIdentifiers random(690);
  int compared = 0;
  for (int trial = 0; trial < 10000; ++trial) {
    const DrawnContents drawn = drawContents(random);
    const std::optional<std::string> theirs = opensslText(drawn.octets);
    std::optional<std::string> ours;
    std::optional<ErrorKind> failure;
    try {
      ObjIDBuffer buffer;
      const std::string base64 = opensslBase64(drawn.octets);
      ours = ObjIDBinaryToString(buffer, ObjIDBase64ToBinary(base64, buffer));
    } catch (const ConversionError& error) {
      failure = error.kind();
    }
    const std::string what = opensslBase64(drawn.octets);
    if (drawn.cutOff) {
      // Neither reads a last arc that the octets leave unfinished.
      EXPECT_FALSE(theirs.has_value()) << what;
      EXPECT_TRUE(failure.has_value()) << what;
    } else if (drawn.nonMinimal) {
      // OpenSSL holds to X.690 and refuses a leading 0x80 octet; we read
      // the subidentifier by its value, so the text is still right.
      EXPECT_FALSE(theirs.has_value()) << what;
      EXPECT_TRUE(ours.has_value() || failure == ErrorKind::Overflow) << what;
    } else if (drawn.arcBeyond32Bits) {
      // OpenSSL reads arcs of any size; the window's conversions stop at
      // 2147483647, and the any-size reading agrees with OpenSSL.
      ASSERT_TRUE(theirs.has_value()) << what;
      EXPECT_EQ(failure, ErrorKind::Overflow) << what;
      EXPECT_EQ(anySizeText(drawn.octets), *theirs) << what;
    } else {
      ASSERT_TRUE(theirs.has_value()) << what;
      ASSERT_TRUE(ours.has_value()) << what;
      EXPECT_EQ(*ours, *theirs) << what;
      ++compared;
    }
  }
  // Most draws are plain identifiers that both must read alike.
  EXPECT_GT(compared, 5000);
}

}  // namespace
}  // namespace pellamar
