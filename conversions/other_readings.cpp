#include "pellamar/other_readings.hpp"

#include <algorithm>

#include "pellamar/writers.hpp"

namespace pellamar {
namespace {

// Tag, length and at least one octet of contents.
constexpr std::size_t ShortestEncoding = 3;

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string quotedDotted(const ObjectIdentifier& identifier) {
  std::string text = "\"";
  append(identifier, Form::Dotted, text);
  text += '"';
  return text;
}

}  // namespace

std::optional<std::string> hexadecimalReading(std::string_view base64) {
  ObjectIdentifier identifier;
  if (base64.size() % 2 != 0 || !std::all_of(base64.begin(), base64.end(), isHexDigit) ||
      readOctetText(base64, OctetText::Hex, false, Reading::Strict, identifier)) {
    return std::nullopt;
  }
  return "the text is hexadecimal octets too; it is read as Base64, and --hex would read " +
         quotedDotted(identifier) + ".";
}

std::optional<std::string> wholeEncodingReading(std::span<const std::uint8_t> contents,
                                                Reading reading) {
  ObjectIdentifier identifier;
  if (contents.size() < ShortestEncoding || readDer(contents, reading, identifier)) {
    return std::nullopt;
  }
  return "these octets look like a whole DER encoding (tag 06, length " +
         std::to_string(contents[1]) + "); they are read as contents, and --der would read " +
         quotedDotted(identifier) + ".";
}

std::string strictReading(const ObjectIdentifier& lenient, const ObjectIdentifier& strict) {
  return "--lenient reads this as " + quotedDotted(lenient) + ", but read strictly it is " +
         quotedDotted(strict) + ".";
}

}  // namespace pellamar
