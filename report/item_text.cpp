#include "item_text.hpp"

#include <algorithm>

#include "pellamar/characters.hpp"

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

ItemText itemOf(std::string_view line) {
  // Most lines hold nothing but their item.
  if (!line.empty() && !isBlank(line.front()) && !isBlank(line.back())) {
    return {line, 1};
  }
  const auto first = std::find_if_not(line.begin(), line.end(), isBlank);
  const auto last = std::find_if_not(line.rbegin(), line.rend(), isBlank).base();
  const auto offset = static_cast<std::size_t>(first - line.begin());
  if (first >= last) {
    return {{}, static_cast<int>(offset) + 1};
  }
  return {line.substr(offset, static_cast<std::size_t>(last - first)),
          static_cast<int>(offset) + 1};
}

pellamar::ErrorPlace placeOf(const pellamar::Error& error, const ItemText& item) {
  return pellamar::utf8Place(error, item.text, item.column);
}
