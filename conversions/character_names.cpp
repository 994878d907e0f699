#include "character_names.hpp"

#include <cctype>

#include "base64_table.hpp"
#include "pellamar/error.hpp"

namespace pellamar::detail {

namespace {

// Latin-1 codes are the first 256 Unicode code points; above 0x7F they take
// two octets in UTF-8.
std::string latin1ToUtf8(unsigned char code) {
  if (code < 0x80) {
    return std::string(1, static_cast<char>(code));
  }
  return {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
}

std::string codePoint(unsigned char code) {
  return "U+00" + hexPair(code);
}

}  // namespace

std::string nameCharacter(unsigned char code) {
  if (code == static_cast<unsigned char>(NonLatin1Character)) {
    return "a character outside Latin-1";
  }
  if (code == '\t') {
    return "the tab";
  }
  if (code == '\n' || code == '\r') {
    return "the line break";
  }
  if (code == 0xA0) {
    return "the no-break space";
  }
  // C0 controls, DEL and the C1 controls have no visible form.
  if (code < 0x20 || (code >= 0x7F && code < 0xA0)) {
    return "the control character " + codePoint(code);
  }
  return "the character \"" + latin1ToUtf8(code) + "\"";
}

std::string hexPair(std::uint8_t octet) {
  return {HexDigits[octet >> 4], HexDigits[octet & 0x0F]};
}

std::string capitalized(std::string phrase) {
  if (!phrase.empty()) {
    phrase.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(phrase.front())));
  }
  return phrase;
}

}  // namespace pellamar::detail
