#include "pellamar/visible_text.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "pellamar/utf8.hpp"

namespace pellamar {
namespace {

struct CodePointRange {
  char32_t first;
  char32_t last;
};

// Unicode 15's format characters (Cf) and its line and paragraph
// separators (Zl, Zp), in order. Unicode adds to this list seldom; the
// tests compare it with the system's Unicode tables.
constexpr std::array<CodePointRange, 21> FormatCharacters = {{
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
}};

constexpr char32_t Delete = 0x7F;
constexpr char32_t LastC1 = 0x9F;
constexpr char32_t LastBasicPlane = 0xFFFF;

char* writeHex(char* out, std::uint32_t value, int digits) {
  constexpr std::string_view Hex = "0123456789ABCDEF";
  for (int digit = digits - 1; digit >= 0; --digit) {
    *out++ = Hex[(value >> (4U * static_cast<unsigned>(digit))) & 0xFU];
  }
  return out;
}

char* writeEscape(char* out, char32_t c) {
  *out++ = '\\';
  switch (c) {
    case '\t':
      *out++ = 't';
      return out;
    case '\n':
      *out++ = 'n';
      return out;
    case '\r':
      *out++ = 'r';
      return out;
    default:
      break;
  }
  if (c <= Delete) {
    *out++ = 'x';
    return writeHex(out, c, 2);
  }
  if (c <= LastBasicPlane) {
    *out++ = 'u';
    return writeHex(out, c, 4);
  }
  *out++ = 'U';
  return writeHex(out, c, 8);
}

}  // namespace

bool isEscapedCharacter(char32_t c) {
  if (c < ' ' || (c >= Delete && c <= LastC1)) {
    return true;
  }
  const auto* after = std::upper_bound(
      FormatCharacters.begin(), FormatCharacters.end(), c,
      [](char32_t value, const CodePointRange& range) { return value < range.first; });
  return after != FormatCharacters.begin() && c <= (after - 1)->last;
}

std::size_t firstEscaped(std::string_view text) {
  for (std::size_t index = 0; index < text.size();) {
    if (text[index] >= ' ' && text[index] <= '~') {
      ++index;
      continue;
    }
    const std::size_t length = utf8CharacterLength(text, index);
    if (length == 0 || isEscapedCharacter(utf8CodePoint(text, index, length))) {
      return index;
    }
    index += length;
  }
  return text.size();
}

char* writeVisible(char* out, std::string_view text, Backslash backslash) {
  for (std::size_t index = 0; index < text.size();) {
    const char c = text[index];
    // Printable ASCII, nearly all of every text, needs no table.
    if (c >= ' ' && c <= '~') {
      if (c == '\\' && backslash == Backslash::Doubled) {
        *out++ = '\\';
      }
      *out++ = c;
      ++index;
      continue;
    }
    const std::size_t length = utf8CharacterLength(text, index);
    if (length == 0) {
      out = std::copy_n("\\x", 2, out);
      out = writeHex(out, static_cast<std::uint8_t>(c), 2);
      ++index;
      continue;
    }
    if (const char32_t code = utf8CodePoint(text, index, length); isEscapedCharacter(code)) {
      out = writeEscape(out, code);
    } else {
      out = std::copy_n(text.data() + index, length, out);
    }
    index += length;
  }
  return out;
}

void appendVisible(std::string& out, std::string_view text, Backslash backslash) {
  const std::size_t start = out.size();
  out.resize(start + VisibleExpansion * text.size());
  char* const begin = out.data() + start;
  out.resize(start + static_cast<std::size_t>(writeVisible(begin, text, backslash) - begin));
}

std::string visible(std::string_view text, Backslash backslash) {
  std::string out;
  appendVisible(out, text, backslash);
  return out;
}

}  // namespace pellamar
