#include "pellamar/json.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "pellamar/utf8.hpp"

namespace pellamar {

char* writeJsonString(char* out, std::string_view text) {
  constexpr std::string_view Hex = "0123456789abcdef";
  // Written escaped, so that the output stays ASCII where the text was
  // not UTF-8.
  constexpr std::string_view Replacement = "\\ufffd";
  *out++ = '"';
  for (std::size_t index = 0; index < text.size();) {
    const auto c = static_cast<std::uint8_t>(text[index]);
    if (c >= 0x80) {
      const std::size_t length = utf8CharacterLength(text, index);
      if (length == 0) {
        out = std::copy(Replacement.begin(), Replacement.end(), out);
        ++index;
      } else {
        std::memcpy(out, text.data() + index, length);
        out += length;
        index += length;
      }
      continue;
    }
    if (c == '"' || c == '\\') {
      *out++ = '\\';
      *out++ = static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      out = std::copy_n("\\u00", 4, out);
      *out++ = Hex[c >> 4U];
      *out++ = Hex[c & 0x0FU];
    } else {
      *out++ = static_cast<char>(c);
    }
    ++index;
  }
  *out++ = '"';
  return out;
}

void appendJsonString(std::string& out, std::string_view text) {
  const std::size_t start = out.size();
  out.resize(start + jsonStringBound(text.size()));
  out.resize(
      static_cast<std::size_t>(writeJsonString(out.data() + start, text) - (out.data() + start)) +
      start);
}

}  // namespace pellamar
