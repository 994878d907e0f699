// The texts of any octets, not only an identifier's, for the calculator's
// own conversions.
#pragma once

#include <cstdint>
#include <span>

namespace pellamar::detail {

// Writes the Base64 text of `octets`, with "=" padding, at `out`; returns
// the end: 4 characters for every 3 octets or part of 3.
char* putBase64(char* out, std::span<const std::uint8_t> octets);

// Writes one or more octets as upper-case hexadecimal pairs separated by
// single blanks at `out`; returns the end.
char* putHex(char* out, std::span<const std::uint8_t> octets);

}  // namespace pellamar::detail
