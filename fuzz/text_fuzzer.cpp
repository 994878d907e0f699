// Text from outside as it is written, on any octets: escaped, it holds
// nothing a terminal would act on and reads back as the octets given; as a
// JSON string, it is valid UTF-8 JSON; and a message never quotes a
// character that would have been escaped.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_checks.hpp"
#include "json_lines.hpp"
#include "pellamar/characters.hpp"
#include "pellamar/json.hpp"
#include "pellamar/utf8.hpp"
#include "pellamar/visible_text.hpp"

namespace {

using pellamar::fuzz::require;

// Never more characters of the input named than this, so that one run
// stays short.
constexpr std::size_t MaxNamed = 64;

void appendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::uint32_t hexValue(std::string_view digits) {
  std::uint32_t value = 0;
  for (const char digit : digits) {
    require((digit >= '0' && digit <= '9') || (digit >= 'A' && digit <= 'F'), "escape digit");
    value = value * 16 + static_cast<std::uint32_t>(digit <= '9' ? digit - '0' : digit - 'A' + 10);
  }
  return value;
}

// The octets an escaped text stands for, every escape read back.
std::string unescaped(std::string_view shown) {
  std::string text;
  for (std::size_t at = 0; at < shown.size(); ++at) {
    if (shown[at] != '\\') {
      text += shown[at];
      continue;
    }
    require(at + 1 < shown.size(), "backslash at the end");
    const char kind = shown[++at];
    const auto digits = [&](std::size_t count) {
      require(at + count < shown.size(), "escape cut short");
      const std::uint32_t value = hexValue(shown.substr(at + 1, count));
      at += count;
      return value;
    };
    switch (kind) {
      case '\\':
        text += '\\';
        break;
      case 't':
        text += '\t';
        break;
      case 'n':
        text += '\n';
        break;
      case 'r':
        text += '\r';
        break;
      case 'x':
        text += static_cast<char>(digits(2));
        break;
      case 'u':
        appendUtf8(text, digits(4));
        break;
      case 'U':
        appendUtf8(text, digits(8));
        break;
      default:
        require(false, "unknown escape");
    }
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::string shown = pellamar::visible(text);
  require(pellamar::firstEscaped(shown) == shown.size(), "escaped text holds a control");
  require(shown.size() <= pellamar::VisibleExpansion * text.size(), "escape bound");
  require(unescaped(shown) == text, "escapes do not read back");
  const std::string message = pellamar::visible(text, pellamar::Backslash::Kept);
  require(pellamar::firstEscaped(message) == message.size(), "message holds a control");

  std::string json;
  pellamar::appendJsonString(json, text);
  require(json.size() <= pellamar::jsonStringBound(text.size()), "JSON bound");
  require(pellamar::checks::isJsonString(json), "invalid JSON string");

  std::size_t named = 0;
  for (std::size_t at = 0; at < text.size() && named < MaxNamed;
       at += pellamar::characterLength(text, at), ++named) {
    const std::string name = pellamar::nameCharacterAt(text, at);
    require(pellamar::firstEscaped(name) == name.size(), "a message quotes a control");
  }
  require(pellamar::characterCount(text) >= named, "character count");
  return 0;
}
