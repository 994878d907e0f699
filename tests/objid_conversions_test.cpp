#include "objid_conversions.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "conversion_tables.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/writers.hpp"
#include "random_identifiers.hpp"
#include "test_support.hpp"

namespace pellamar {
namespace {

ObjIDBuffer bufferHolding(const Octets& octets) {
  ObjIDBuffer buffer;
  for (std::size_t index = 0; index < octets.size(); ++index) {
    buffer[static_cast<int>(index)] = octets[index];
  }
  return buffer;
}

Octets octetsOf(const ObjIDBuffer& buffer, int count) {
  Octets octets;
  for (int index = 0; index < count; ++index) {
    octets.push_back(buffer[index]);
  }
  return octets;
}

class VectorTest : public testing::TestWithParam<Vector> {};

TEST_P(VectorTest, TextToOctets) {
  ObjIDBuffer buffer;
  const std::int16_t count = ObjIDStringToBinary(buffer, GetParam().text);
  EXPECT_EQ(octetsOf(buffer, count), GetParam().octets);
}

TEST_P(VectorTest, OctetsToBase64) {
  const Octets& octets = GetParam().octets;
  EXPECT_EQ(ObjIDBinaryToBase64(bufferHolding(octets), static_cast<std::int16_t>(octets.size())),
            GetParam().base64);
}

TEST_P(VectorTest, Base64ToText) {
  ObjIDBuffer buffer;
  const std::int16_t count = ObjIDBase64ToBinary(GetParam().base64, buffer);
  EXPECT_EQ(ObjIDBinaryToString(buffer, count), GetParam().text);
}

TEST_P(VectorTest, RoundTripThroughBothDirections) {
  ObjIDBuffer forward;
  const std::int16_t count = ObjIDStringToBinary(forward, GetParam().text);
  const std::string base64 = ObjIDBinaryToBase64(forward, count);
  ObjIDBuffer reverse;
  EXPECT_EQ(ObjIDBinaryToString(reverse, ObjIDBase64ToBinary(base64, reverse)), GetParam().text);
}

// The hexadecimal pairs, a blank after each, read back as the same octets,
// which the library reads as the same identifier.
TEST_P(VectorTest, HexPairsLeadBackToTheIdentifier) {
  const Octets& octets = GetParam().octets;
  const auto count = static_cast<std::int16_t>(octets.size());
  const std::string hex = ObjIDBinaryToHex(bufferHolding(octets), count);
  EXPECT_EQ(hex.size(), octets.size() * 3);
  ObjectIdentifier identifier;
  ASSERT_FALSE(readOctetText(hex, OctetText::Hex, false, Reading::Strict, identifier)) << hex;
  EXPECT_EQ(Octets(identifier.octets().begin(), identifier.octets().end()), octets);
  std::string dotted;
  append(identifier, Form::Dotted, dotted);
  EXPECT_EQ(dotted, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Identifiers, VectorTest, testing::ValuesIn(vectors), rowName<Vector>);

class ForwardTest : public testing::TestWithParam<ForwardCase> {};

TEST_P(ForwardTest, WritesOctets) {
  ObjIDBuffer buffer;
  const std::int16_t count = ObjIDStringToBinary(buffer, GetParam().text);
  EXPECT_EQ(octetsOf(buffer, count), GetParam().octets);
}

INSTANTIATE_TEST_SUITE_P(LenientText, ForwardTest, testing::ValuesIn(lenientTexts),
                         rowName<ForwardCase>);

void expectFailure(const FailureCase& row, const auto& convert) {
  const auto error = failureOf([&] { convert(row.input); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), row.kind) << error->what();
  EXPECT_EQ(error->position(), row.position) << error->what();
  if (row.message.empty()) {
    EXPECT_FALSE(std::string(error->what()).empty());
  } else {
    EXPECT_EQ(error->what(), row.message);
  }
}

class ForwardFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(ForwardFailureTest, RaisesKindAtPosition) {
  expectFailure(GetParam(), [](const std::string& text) {
    ObjIDBuffer buffer;
    ObjIDStringToBinary(buffer, text);
  });
}

INSTANTIATE_TEST_SUITE_P(BadIdentifiers, ForwardFailureTest, testing::ValuesIn(badIdentifiers),
                         rowName<FailureCase>);

TEST(ForwardFailure, MessageNamesTheArcAndTheLimit) {
  ObjIDBuffer buffer;
  const auto error = failureOf([&] { ObjIDStringToBinary(buffer, "1.2.4294967296"); });
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), "The arc 4294967296 at position 5 is larger than 2147483647.");
}

TEST(ForwardLimits, HundredOctetsFitAndEncodeTo136Characters) {
  ObjIDBuffer buffer;
  const std::int16_t count = ObjIDStringToBinary(buffer, identifierOfOctets(100));
  ASSERT_EQ(count, 100);
  const std::string base64 = ObjIDBinaryToBase64(buffer, count);
  EXPECT_EQ(base64.size(), 136U);
  EXPECT_EQ(base64.substr(134), "==");
}

struct EncodeCase {
  const char* name;
  Octets octets;
  std::int16_t count;
  std::string base64;
};

class EncodeTest : public testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTest, EncodesCountOctets) {
  EXPECT_EQ(ObjIDBinaryToBase64(bufferHolding(GetParam().octets), GetParam().count),
            GetParam().base64);
}

INSTANTIATE_TEST_SUITE_P(Padding, EncodeTest,
                         testing::Values(EncodeCase{"OneOctet", {0x05}, 1, "BQ=="},
                                         EncodeCase{"TwoOctets", {0x05, 0x06}, 2, "BQY="},
                                         EncodeCase{"ThreeOctets", {0x05, 0x06, 0x07}, 3, "BQYH"},
                                         EncodeCase{"ZeroCountIsEmpty", {0x05}, 0, ""},
                                         EncodeCase{"NegativeCountIsEmpty", {0x05}, -5, ""},
                                         EncodeCase{"WholeBuffer", Octets(101, 0xFF), 101,
                                                    std::string(134, '/') + "8="}),
                         rowName<EncodeCase>);

TEST(EncodeFailure, CountsOutsideTheBufferOrTheWidth) {
  const ObjIDBuffer buffer;
  const auto beyondBuffer = failureOf([&] { ObjIDBinaryToBase64(buffer, 102); });
  ASSERT_TRUE(beyondBuffer);
  EXPECT_EQ(beyondBuffer->kind(), ErrorKind::IndexOutOfRange);
  const auto beyondWidth = failureOf([&] { ObjIDBinaryToBase64(buffer, -32768); });
  ASSERT_TRUE(beyondWidth);
  EXPECT_EQ(beyondWidth->kind(), ErrorKind::Overflow);
}

// Every count writes exactly its own Base64, padding included, and reads
// nothing beyond its octets (AddressSanitizer watches the suite's second
// run), and the text decodes to the same octets.
TEST(EncodeLimits, EveryCountEncodesToItsLengthAndBack) {
  ObjIDBuffer octets;
  for (int index = 0; index < ObjIDBuffer::Size; ++index) {
    octets[index] = static_cast<std::uint8_t>(index * 37 + 11);
  }
  for (std::int16_t count = 1; count <= 100; ++count) {
    const std::string base64 = ObjIDBinaryToBase64(octets, count);
    ASSERT_EQ(base64.size(), static_cast<std::size_t>((count + 2) / 3 * 4)) << count;
    std::array<std::uint8_t, 100> decoded{};
    std::size_t decodedCount = 0;
    ASSERT_FALSE(decodeBase64(base64, decoded, Reading::Strict, decodedCount)) << base64;
    ASSERT_EQ(decodedCount, static_cast<std::size_t>(count)) << base64;
    EXPECT_EQ(Octets(decoded.begin(), decoded.begin() + count), octetsOf(octets, count)) << base64;
  }
}

class DecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, LeavesSplitOctets) {
  ObjIDBuffer buffer;
  const std::int16_t count = ObjIDBase64ToBinary(GetParam().base64, buffer);
  EXPECT_EQ(octetsOf(buffer, count), GetParam().octets);
}

INSTANTIATE_TEST_SUITE_P(Base64, DecodeTest, testing::ValuesIn(base64Texts), rowName<DecodeCase>);

TEST(DecodeLimits, HundredOctetsDecodeWithOrWithoutPadding) {
  ObjIDBuffer forward;
  const std::int16_t count = ObjIDStringToBinary(forward, identifierOfOctets(100));
  const std::string padded = ObjIDBinaryToBase64(forward, count);
  for (const std::string& text : {padded, padded.substr(0, 134)}) {
    ObjIDBuffer reverse;
    EXPECT_EQ(ObjIDBase64ToBinary(text, reverse), 101) << text;
    EXPECT_EQ(ObjIDBinaryToString(reverse, 101), identifierOfOctets(100));
  }
}

class ReverseFailureTest : public testing::TestWithParam<FailureCase> {};

TEST_P(ReverseFailureTest, RaisesKindAtPosition) {
  expectFailure(GetParam(), [](const std::string& text) {
    ObjIDBuffer buffer;
    ObjIDBinaryToString(buffer, ObjIDBase64ToBinary(text, buffer));
  });
}

INSTANTIATE_TEST_SUITE_P(BadBase64, ReverseFailureTest, testing::ValuesIn(badBase64),
                         rowName<FailureCase>);

TEST(ReverseFailure, MessageNamesTheCharacterAndItsPosition) {
  ObjIDBuffer buffer;
  const auto error = failureOf([&] { ObjIDBase64ToBinary("KoZIhvcN YQ", buffer); });
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), "The character \" \" at position 9 is not a Base64 character.");
}

struct OctetsToTextCase {
  const char* name;
  Octets octets;
  std::string text;
};

class OctetsToTextTest : public testing::TestWithParam<OctetsToTextCase> {};

TEST_P(OctetsToTextTest, ReadsOneArcPerRun) {
  const Octets& octets = GetParam().octets;
  EXPECT_EQ(ObjIDBinaryToString(bufferHolding(octets), static_cast<std::int16_t>(octets.size())),
            GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    SplitOctets, OctetsToTextTest,
    testing::Values(
        OctetsToTextCase{"UsOrganization", {0x02, 0x10, 0x86, 0x48, 0x01}, "2.16.840.1"},
        OctetsToTextCase{"Pair", {0x00, 0x05}, "0.5"},
        OctetsToTextCase{"NoPackingUndone", {0x03, 0x08}, "3.8"},
        OctetsToTextCase{"LoneZero", {0x00}, "0"},
        OctetsToTextCase{"TwoZeroArcs", {0x00, 0x00}, "0.0"},
        OctetsToTextCase{
            "RsaDataSecurity", {0x01, 0x02, 0x86, 0x48, 0x86, 0xF7, 0x0D}, "1.2.840.113549"},
        OctetsToTextCase{"LargestArc", {0x87, 0xFF, 0xFF, 0xFF, 0x7F}, "2147483647"},
        OctetsToTextCase{"NonMinimalArc", {0x01, 0x80, 0x01}, "1.1"}),
    rowName<OctetsToTextCase>);

struct OctetsFailureCase {
  const char* name;
  Octets octets;
  std::int16_t count;
  ErrorKind kind;
};

class OctetsFailureTest : public testing::TestWithParam<OctetsFailureCase> {};

TEST_P(OctetsFailureTest, RaisesKind) {
  const auto error =
      failureOf([] { ObjIDBinaryToString(bufferHolding(GetParam().octets), GetParam().count); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), GetParam().kind) << error->what();
}

INSTANTIATE_TEST_SUITE_P(
    BadOctets, OctetsFailureTest,
    testing::Values(
        OctetsFailureCase{"ZeroCount", {0x05}, 0, ErrorKind::InvalidArgument},
        OctetsFailureCase{"NegativeCount", {0x05}, -1, ErrorKind::InvalidArgument},
        OctetsFailureCase{"UnfinishedArc", {0x02, 0x10, 0x86}, 3, ErrorKind::InvalidArgument},
        OctetsFailureCase{"UnfinishedRunAboveLargest",
                          {0x02, 0x10, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                          7,
                          ErrorKind::Overflow},
        OctetsFailureCase{"ArcOf2To31", {0x88, 0x80, 0x80, 0x80, 0x00}, 5, ErrorKind::Overflow},
        OctetsFailureCase{"CountBeyondBuffer", Octets(101, 0x01), 102, ErrorKind::IndexOutOfRange}),
    rowName<OctetsFailureCase>);

// Random valid identifiers, written with the blanks and leading zeros the
// forward conversion tolerates, come back from the reverse conversion in
// canonical form.
TEST(RoundTripProperty, RandomValidIdentifiersComeBackCanonical) {
  testing_support::RandomIdentifiers identifiers(20261207);
  for (int trial = 0; trial < 5000; ++trial) {
    const std::vector<std::uint32_t> arcs = identifiers.next();
    std::string written;
    for (const std::uint32_t arc : arcs) {
      if (!written.empty()) {
        written += '.';
      }
      written += identifiers.uniform(0, 1) == 0 ? " " : "00";
      written += std::to_string(arc);
    }
    ObjIDBuffer forward;
    const std::int16_t count = ObjIDStringToBinary(forward, written);
    const std::string base64 = ObjIDBinaryToBase64(forward, count);
    ObjIDBuffer reverse;
    ASSERT_EQ(ObjIDBinaryToString(reverse, ObjIDBase64ToBinary(base64, reverse)),
              testing_support::RandomIdentifiers::dotted(arcs))
        << "written as " << written << ", Base64 " << base64;
  }
}

}  // namespace
}  // namespace pellamar
