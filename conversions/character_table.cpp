#include "character_table.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <iterator>

namespace pellamar::detail {

namespace {

// Beyond the last code point.
constexpr char32_t CodePointEnd = 0x110000;

// The kinds of line, by their first letter.
constexpr std::string_view Kinds = "vin";
enum Kind : std::size_t { Visible, Ideographs, Named };

// Reads a number in hexadecimal that fills `text`.
std::optional<std::uint32_t> hexadecimal(std::string_view text) {
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc{} || end != text.data() + text.size() || text.empty()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<CharacterTable> CharacterTable::read(std::string_view table) {
  CharacterTable read;
  // Where the last line of each kind ended.
  std::array<char32_t, Kinds.size()> ends{};
  while (!table.empty()) {
    const std::size_t lineEnd = std::min(table.find('\n'), table.size());
    const std::string_view line = table.substr(0, lineEnd);
    table.remove_prefix(std::min(lineEnd + 1, table.size()));
    // "KIND GAP VALUE": a run's length, or a name.
    const std::size_t kind =
        line.size() > 2 && line[1] == ' ' ? Kinds.find(line.front()) : std::string_view::npos;
    const std::size_t gapEnd = line.find(' ', 2);
    if (kind == std::string_view::npos || gapEnd == std::string_view::npos) {
      return std::nullopt;
    }
    const auto gap = hexadecimal(line.substr(2, gapEnd - 2));
    const std::string_view value = line.substr(gapEnd + 1);
    if (!gap || *gap >= CodePointEnd - ends[kind] || value.empty()) {
      return std::nullopt;
    }
    const char32_t first = ends[kind] + *gap;
    if (kind == Named) {
      if (!read.named_.empty() && *gap == 0) {
        return std::nullopt;
      }
      read.named_.push_back(first);
      read.names_.emplace_back(value);
      ends[kind] = first;
      continue;
    }
    const auto length = hexadecimal(value);
    if (!length || *length == 0 || *length > CodePointEnd - first) {
      return std::nullopt;
    }
    (kind == Visible ? read.visible_ : read.ideographs_).emplace_back(first, first + *length);
    ends[kind] = first + *length;
  }
  return read;
}

bool CharacterTable::within(const Runs& runs, char32_t c) {
  const auto after = std::upper_bound(
      runs.begin(), runs.end(), c, [](char32_t code, const auto& run) { return code < run.first; });
  return after != runs.begin() && c < std::prev(after)->second;
}

const std::string* CharacterTable::nameOf(char32_t c) const {
  const auto found = std::lower_bound(named_.begin(), named_.end(), c);
  if (found == named_.end() || *found != c) {
    return nullptr;
  }
  return &names_[static_cast<std::size_t>(found - named_.begin())];
}

}  // namespace pellamar::detail
