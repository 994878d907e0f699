// Text written as a JSON string (RFC 8259) that is always valid UTF-8,
// whatever the text holds: a file name, a PEM label or a name read from a
// file may hold any octets.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellamar {

// The most characters writeJsonString() writes for a text of `size`
// octets: each octet may become six ("\u001b"), and two quotation marks.
constexpr std::size_t jsonStringBound(std::size_t size) {
  return 6 * size + 2;
}

// Writes `text` at `out` as a JSON string, quotation marks included, and
// returns the end of what it wrote, at most jsonStringBound(text.size())
// characters. Quotation marks, backslashes and controls (U+0000 to U+001F,
// and U+007F) are escaped; each octet that does not belong to a
// well-formed UTF-8 character (RFC 3629: no overlong form, no surrogate,
// nothing above U+10FFFF) is written as "\ufffd", the character decoders
// put in its place.
char* writeJsonString(char* out, std::string_view text);

// The same, appended to `out`.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace pellamar
