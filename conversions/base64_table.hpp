// The Base64 alphabet (RFC 4648) and its reverse lookup, built at compile
// time so that decoding costs one table read a character.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pellamar::detail {

// Values 0..63 and the padding "=" as 64.
inline constexpr std::string_view Base64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=";

inline constexpr std::int8_t NotInAlphabet = -1;
inline constexpr std::uint8_t PaddingValue = 64;

inline constexpr std::array<std::int8_t, 256> Base64Values = [] {
  std::array<std::int8_t, 256> values{};
  values.fill(NotInAlphabet);
  for (std::size_t v = 0; v < Base64Alphabet.size(); ++v) {
    values.at(static_cast<unsigned char>(Base64Alphabet[v])) = static_cast<std::int8_t>(v);
  }
  return values;
}();

// The alphabet value of Latin-1 code `code`, 64 for "=", or NotInAlphabet.
constexpr int base64Value(unsigned char code) {
  return Base64Values.at(code);
}

// The characters that Base64 takes for `count` octets, padding included.
constexpr std::size_t base64Length(std::size_t count) {
  return (count + 2) / 3 * 4;
}

// The hexadecimal digits, upper case, and the value of any digit.
inline constexpr std::string_view HexDigits = "0123456789ABCDEF";

constexpr bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
constexpr bool isHexDigit(char c) {
  return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
constexpr std::uint8_t hexValue(char c) {
  return static_cast<std::uint8_t>(isDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10);
}

}  // namespace pellamar::detail
