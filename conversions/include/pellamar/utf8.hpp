// UTF-8 as RFC 3629 defines it, for text from outside: file names, PEM
// text, names read from files.
#pragma once

#include <cstddef>
#include <string_view>

namespace pellamar {

// The number of octets of the well-formed UTF-8 character that starts at
// `index` of `text` (no overlong form, no surrogate, nothing above
// U+10FFFF), or 0 when none does, as when `text` ends inside it.
std::size_t utf8CharacterLength(std::string_view text, std::size_t index);

// The code point of the well-formed character of `length` octets, as
// utf8CharacterLength() gives it, that starts at `index` of `text`.
char32_t utf8CodePoint(std::string_view text, std::size_t index, std::size_t length);

}  // namespace pellamar
