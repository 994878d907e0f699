// The texts of octets, both ways: Base64 (RFC 4648) and hexadecimal pairs.
// The one implementation behind the window's conversions and the command
// line's; the writers put their text straight into the caller's memory.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "objid_buffer.hpp"
#include "objid_items.hpp"
#include "text_form.hpp"

namespace pellamar::detail {

// The characters that Base64 takes for `count` octets, padding included.
constexpr int base64Length(int count) {
  return (count + 2) / 3 * 4;
}

// Writes the Base64 text of `octets`, with "=" padding, at `out`; returns
// the end.
char* writeBase64(std::span<const std::uint8_t> octets, char* out);

// Writes the Base64 text of the DER encoding of `contents` (one to 100
// octets): tag 06, length and contents.
char* writeDerBase64(std::span<const std::uint8_t> contents, char* out);

// Writes the octets as upper-case hexadecimal pairs at `out`, each followed
// by a blank; returns the end.
char* writeHex(std::span<const std::uint8_t> octets, char* out);

bool isHexDigit(char c);
// The value of the hexadecimal digit `c`.
std::uint8_t hexValue(char c);

// Decodes `s` into `octets`, at most octets.size() of them; returns the
// count. Fails as the window's ObjIDBase64ToContents does and, read
// strictly, as the command line's.
int decodeBase64(std::string_view s, std::span<std::uint8_t> octets, const TextForm& form,
                 Base64Reading reading);

// Reads hexadecimal pairs separated by nothing, blanks or one colon.
int decodeHex(std::string_view s, std::span<std::uint8_t> octets, const TextForm& form);

}  // namespace pellamar::detail
