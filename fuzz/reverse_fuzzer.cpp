// Base64 text to dotted text, and forward again; the same text read as
// hexadecimal octets.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_checks.hpp"
#include "objid_conversions.hpp"
#include "objid_items.hpp"

using pellamar::fuzz::require;

namespace {

// Hexadecimal octets either fail well or read back as the pairs they are.
void readAsHex(std::string_view text) {
  pellamar::ObjIDBuffer octets;
  std::int16_t count = 0;
  try {
    count = pellamar::ObjIDHexToContents(text, octets);
  } catch (const pellamar::ConversionError& error) {
    pellamar::fuzz::requireWellFormed(error, text);
    return;
  }
  const std::string pairs = pellamar::ObjIDBinaryToHex(octets, count);
  pellamar::ObjIDBuffer again;
  require(pellamar::ObjIDHexToContents(pairs, again) == count, "hexadecimal count");
  require(pellamar::ObjIDBinaryToHex(again, count) == pairs, "hexadecimal round trip");
}

// Base64 read strictly, then as arcs of any size: a text that decodes is an
// identifier that encodes to octets giving the same text again.
void readAnySize(std::string_view text) {
  const pellamar::Latin1Form latin1;
  std::array<std::uint8_t, 100> octets{};
  pellamar::ObjIDBuffer contents;
  std::string identifier;
  try {
    const int count =
        pellamar::ObjIDBase64ToOctets(text, octets, latin1, pellamar::Base64Reading::Strict);
    for (int index = 0; index < count; ++index) {
      contents[index] = octets[static_cast<std::size_t>(index)];
    }
    pellamar::ObjIDContentsToString(contents, static_cast<std::int16_t>(count),
                                    pellamar::OctetIndexPlaces{}, identifier);
  } catch (const pellamar::ConversionError& error) {
    pellamar::fuzz::requireWellFormed(error, text);
    return;
  }
  pellamar::ObjIDBuffer again;
  const std::int16_t count = pellamar::ObjIDStrictStringToContents(identifier, again, latin1);
  std::string rebuilt;
  pellamar::ObjIDContentsToString(again, count, pellamar::OctetIndexPlaces{}, rebuilt);
  require(rebuilt == identifier, "any-size round trip");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  readAsHex(text);
  readAnySize(text);
  std::string rebuilt;
  try {
    pellamar::ObjIDBuffer octets;
    rebuilt = pellamar::ObjIDBinaryToString(octets, pellamar::ObjIDBase64ToBinary(text, octets));
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
