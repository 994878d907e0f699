// Every reader of octets and of their texts, Base64 and hexadecimal, and the
// calculator's reverse conversion.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "fuzz_checks.hpp"
#include "objid_conversions.hpp"

using pellamar::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::span<const std::uint8_t> octets(data, size);
  using pellamar::ObjectIdentifier;
  using pellamar::OctetText;
  using pellamar::Reading;
  for (const Reading reading : {Reading::Strict, Reading::Lenient}) {
    // The input as octets, as contents and as a DER encoding; the offsets
    // of their errors are octets of the input.
    pellamar::fuzz::readAndCheck(text, [&](std::string_view, ObjectIdentifier& out) {
      return pellamar::readContents(octets, reading, out);
    });
    pellamar::fuzz::readAndCheck(text, [&](std::string_view, ObjectIdentifier& out) {
      return pellamar::readDer(octets, reading, out);
    });
    for (const OctetText form : {OctetText::Base64, OctetText::Hex}) {
      for (const bool der : {false, true}) {
        pellamar::fuzz::readAndCheck(text, [&](std::string_view input, ObjectIdentifier& out) {
          return pellamar::readOctetText(input, form, der, reading, out);
        });
      }
    }
  }

  std::string rebuilt;
  try {
    pellamar::ObjIDBuffer split;
    rebuilt = pellamar::ObjIDBinaryToString(split, pellamar::ObjIDBase64ToBinary(text, split));
  } catch (const pellamar::ConversionError& error) {
    pellamar::fuzz::requireWellFormed(error, text);
    return 0;
  }
  // A rebuilt identifier is valid: it goes forward, and back to itself.
  pellamar::ObjIDBuffer forward;
  const std::int16_t count = pellamar::ObjIDStringToBinary(forward, rebuilt);
  const std::string base64 = pellamar::ObjIDBinaryToBase64(forward, count);
  pellamar::ObjIDBuffer reverse;
  require(pellamar::ObjIDBinaryToString(reverse, pellamar::ObjIDBase64ToBinary(base64, reverse)) ==
              rebuilt,
          "round trip of a rebuilt identifier");
  return 0;
}
