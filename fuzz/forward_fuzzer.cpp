// Every reader of identifier texts, and the calculator's forward
// conversion.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_checks.hpp"
#include "objid_conversions.hpp"

namespace {

using pellamar::fuzz::require;

// The canonical form of `text` when it is two or more arcs of plain digits
// ("2.016.840"), or the empty text when it is anything else.
std::string canonicalPlainDigits(std::string_view text) {
  std::string canonical;
  std::size_t arcs = 0;
  while (true) {
    const std::size_t dot = text.find('.');
    std::string_view arc = text.substr(0, dot);
    if (arc.empty() || arc.find_first_not_of("0123456789") != std::string_view::npos) {
      return {};
    }
    arc.remove_prefix(std::min(arc.find_first_not_of('0'), arc.size() - 1));
    canonical += (arcs++ > 0 ? "." : "") + std::string(arc);
    if (dot == std::string_view::npos) {
      break;
    }
    text.remove_prefix(dot + 1);
  }
  return arcs >= 2 ? canonical : std::string();
}

// The strict dotted reading takes arcs of any size: what it accepts is its
// own canonical text, after any "urn:oid:" or "." prefix.
void readDottedStrictly(std::string_view text) {
  pellamar::ObjectIdentifier identifier;
  if (pellamar::readDotted(text, identifier)) {
    return;
  }
  std::string rebuilt;
  pellamar::append(identifier, pellamar::Form::Dotted, rebuilt);
  require(text.ends_with(rebuilt) && text.size() - rebuilt.size() <= 8, "strict round trip");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  using pellamar::ObjectIdentifier;
  pellamar::fuzz::readAndCheck(text, pellamar::readDotted);
  pellamar::fuzz::readAndCheck(text, pellamar::readDottedLenient);
  pellamar::fuzz::readAndCheck(text, pellamar::readValueNotation);
  pellamar::fuzz::readAndCheck(text, pellamar::readBlankArcs);
  pellamar::fuzz::readAndCheck(text, pellamar::readUuid);
  pellamar::fuzz::readAndCheck(text, pellamar::readIdentifier);
  readDottedStrictly(text);

  pellamar::ObjIDBuffer octets;
  std::int16_t count = 0;
  try {
    count = pellamar::ObjIDStringToBinary(octets, text);
  } catch (const pellamar::ConversionError& error) {
    pellamar::fuzz::requireWellFormed(error, text);
    return 0;
  }
  require(count >= 1 && count <= 100, "octet count");
  const std::string base64 = pellamar::ObjIDBinaryToBase64(octets, count);
  // Whatever the forward conversion writes, the reverse reads back.
  pellamar::ObjIDBuffer reverse;
  const std::string rebuilt =
      pellamar::ObjIDBinaryToString(reverse, pellamar::ObjIDBase64ToBinary(base64, reverse));
  const std::string canonical = canonicalPlainDigits(text);
  require(canonical.empty() || rebuilt == canonical, "round trip of plain digits");
  return 0;
}
