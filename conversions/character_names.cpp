#include "character_names.hpp"

#include <array>
#include <cctype>

#include "objid_buffer.hpp"

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
  constexpr std::array<char, 16> hexDigits = {'0', '1', '2', '3', '4', '5', '6', '7',
                                              '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'};
  return std::string("U+00") + hexDigits.at(code >> 4) + hexDigits.at(code & 0x0F);
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

std::string capitalized(std::string phrase) {
  if (!phrase.empty()) {
    phrase.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(phrase.front())));
  }
  return phrase;
}

}  // namespace pellamar::detail
