// What the tests and fuzz targets hold JSON output to: each line one JSON
// object of string, number, true, false and null members (RFC 8259), in
// valid UTF-8 with every control escaped.
#pragma once

#include <cstddef>
#include <string_view>

#include "pellamar/utf8.hpp"

namespace pellamar::checks {

// Moves `at` past the JSON string that starts there; false when there is
// none, or it holds a control unescaped, an unknown escape or an octet that
// is not UTF-8.
inline bool skipJsonString(std::string_view text, std::size_t& at) {
  if (at >= text.size() || text[at] != '"') {
    return false;
  }
  for (++at; at < text.size() && text[at] != '"';) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c < 0x20 || c == 0x7F) {
      return false;
    }
    if (c == '\\') {
      const std::string_view kind = text.substr(at + 1, 1);
      if (kind.empty() || std::string_view("\"\\/bfnrtu").find(kind) == std::string_view::npos) {
        return false;
      }
      at += kind == "u" ? 6U : 2U;
    } else if (const std::size_t length = utf8CharacterLength(text, at); length > 0) {
      at += length;
    } else {
      return false;
    }
  }
  return at++ < text.size();
}

// Whether `text` is one JSON string and nothing else.
inline bool isJsonString(std::string_view text) {
  std::size_t at = 0;
  return skipJsonString(text, at) && at == text.size();
}

// Whether `line` is one JSON object of string, number, true, false and null
// members.
inline bool isJsonObject(std::string_view line) {
  std::size_t at = 0;
  const auto value = [&] {
    if (line[at] == '"') {
      return skipJsonString(line, at);
    }
    for (const std::string_view word : {"null", "true", "false"}) {
      if (line.substr(at).starts_with(word)) {
        at += word.size();
        return true;
      }
    }
    const std::size_t start = at;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') {
      ++at;
    }
    return at > start;
  };
  if (line.empty() || line[at++] != '{') {
    return false;
  }
  do {
    if (!skipJsonString(line, at) || at >= line.size() || line[at++] != ':' || at >= line.size() ||
        !value()) {
      return false;
    }
  } while (at < line.size() && line[at] == ',' && ++at != 0);
  return at + 1 == line.size() && line[at] == '}';
}

}  // namespace pellamar::checks
