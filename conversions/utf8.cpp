#include "pellamar/utf8.hpp"

#include <cstdint>

namespace pellamar {

std::size_t utf8CharacterLength(std::string_view text, std::size_t index) {
  const auto lead = static_cast<std::uint8_t>(text[index]);
  if (lead < 0x80) {
    return 1;
  }
  // The range of the second octet after each lead, which leaves out
  // overlong forms, surrogates and code points past U+10FFFF.
  std::size_t length = 0;
  std::uint8_t low = 0x80;
  std::uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (text.size() - index < length) {
    return 0;
  }
  for (std::size_t at = 1; at < length; ++at) {
    const auto octet = static_cast<std::uint8_t>(text[index + at]);
    if (octet < (at == 1 ? low : 0x80) || octet > (at == 1 ? high : 0xBF)) {
      return 0;
    }
  }
  return length;
}

char32_t utf8CodePoint(std::string_view text, std::size_t index, std::size_t length) {
  const auto lead = static_cast<std::uint8_t>(text[index]);
  if (length == 1) {
    return lead;
  }
  // The lead's own bits: 5, 4 or 3 for two, three or four octets.
  char32_t c = lead & (0x7FU >> length);
  for (std::size_t at = 1; at < length; ++at) {
    c = (c << 6U) | (static_cast<std::uint8_t>(text[index + at]) & 0x3FU);
  }
  return c;
}

}  // namespace pellamar
