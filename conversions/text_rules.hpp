// The classes of characters that the readers of identifier texts agree on.
#pragma once

#include <cstddef>
#include <string_view>

namespace pellamar::detail {

// Blanks separate the parts of value notation, blank-separated arcs and
// hexadecimal pairs; a line break never does.
constexpr bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

constexpr bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Whether `text` starts with `prefix` (lower case), letters in either case.
constexpr bool startsWithCaseless(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) {
    return false;
  }
  for (std::size_t index = 0; index < prefix.size(); ++index) {
    const char c = text[index];
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != prefix[index]) {
      return false;
    }
  }
  return true;
}

}  // namespace pellamar::detail
