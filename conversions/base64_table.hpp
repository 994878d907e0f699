// Reverse lookup of the Base64 alphabet, built at compile time so that
// decoding costs one table read a character.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "objid_buffer.hpp"

namespace pellamar::detail {

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

}  // namespace pellamar::detail
