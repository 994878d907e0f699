#include "item_text.hpp"

#include <algorithm>

#include "objid_buffer.hpp"

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool isContinuation(unsigned char octet) {
  return (octet & 0xC0) == 0x80;
}

// The length of the UTF-8 sequence that `lead` opens, or 0 for a byte that
// opens none.
std::size_t sequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) {
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    return 4;
  }
  return 0;
}

}  // namespace

ItemText ItemReader::read(std::string_view line) {
  const auto first = std::find_if_not(line.begin(), line.end(), isBlank);
  const auto last = std::find_if_not(line.rbegin(), line.rend(), isBlank).base();
  const auto offset = static_cast<std::size_t>(first - line.begin());
  const std::string_view item = first < last
                                    ? line.substr(offset, static_cast<std::size_t>(last - first))
                                    : std::string_view{};
  // Identifiers and their encodings are ASCII; only other text needs work.
  if (std::all_of(item.begin(), item.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return {item, item, static_cast<int>(offset)};
  }
  codes_.clear();
  for (std::size_t index = 0; index < item.size();) {
    const auto lead = static_cast<unsigned char>(item[index]);
    if (lead < 0x80) {
      codes_ += static_cast<char>(lead);
      ++index;
      continue;
    }
    std::size_t length = sequenceLength(lead);
    if (length == 0 || index + length > item.size() ||
        !std::all_of(item.begin() + static_cast<std::ptrdiff_t>(index + 1),
                     item.begin() + static_cast<std::ptrdiff_t>(index + length),
                     [](char c) { return isContinuation(static_cast<unsigned char>(c)); })) {
      length = 1;
      codes_ += pellamar::NonLatin1Character;
    } else if (lead <= 0xC3) {
      const auto code =
          ((lead & 0x1FU) << 6) | (static_cast<unsigned char>(item[index + 1]) & 0x3FU);
      codes_ += static_cast<char>(code);
    } else {
      codes_ += pellamar::NonLatin1Character;
    }
    index += length;
  }
  return {item, codes_, static_cast<int>(offset)};
}
