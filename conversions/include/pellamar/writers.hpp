// Every form of an identifier written from an ObjectIdentifier: one writer
// a form. Each writes into a span and returns the characters written, or 0,
// writing nothing, when the span has less room than the form needs; no
// writer ever writes past the span's end. MaxLength says how much room a
// form needs at most. append() adds a form to a string.
#pragma once

#include <cstddef>
#include <span>
#include <string>

#include "pellamar/object_identifier.hpp"

namespace pellamar {

enum class Form : std::uint8_t {
  // "1.2.840.113549": arcs in canonical decimal.
  Dotted,
  // "2A 86 48 86 F7 0D": the contents octets as upper-case hexadecimal
  // pairs separated by single blanks.
  Hex,
  // "KoZIhvcN": the contents octets in Base64 (RFC 4648, "=" padding).
  Base64,
  // "06 06 2A 86 48 86 F7 0D": the DER encoding, tag and length included.
  DerHex,
  // "BgYqhkiG9w0=": the DER encoding in Base64.
  DerBase64,
  // "{ 1 2 840 113549 }": ASN.1 value notation, numbers only.
  ValueNotation,
  // "0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D": the contents octets for a C or
  // C++ array.
  CArray,
  // "f81d4fae-7dec-11d0-a765-00a0c91e6bf6": the UUID of an identifier
  // 2.25.N (X.667), in lower case; see hasUuid().
  Uuid,
};

// The most characters a form of any identifier takes.
std::size_t maxLength(Form form);

// Writes `form` of `identifier` at the start of `out`; returns the count of
// characters written, 0 when `out` is too small for it, or, for Uuid, when
// the identifier has no UUID.
std::size_t write(const ObjectIdentifier& identifier, Form form, std::span<char> out);

// Writes several forms of `identifier` at the start of `out`, each after
// `separator` but the first, as one line of fields (a Uuid of an identifier
// that has none as an empty field); returns the count of characters
// written, or 0, writing nothing, when `out` is too small for them all.
std::size_t write(const ObjectIdentifier& identifier, std::span<const Form> forms, char separator,
                  std::span<char> out);

// Appends `form` of `identifier` to `out` (nothing for Uuid when the
// identifier has no UUID).
void append(const ObjectIdentifier& identifier, Form form, std::string& out);

// Whether the identifier is a UUID's (X.667): exactly three arcs, 2.25.N,
// with N below 2^128.
bool hasUuid(const ObjectIdentifier& identifier);

}  // namespace pellamar
