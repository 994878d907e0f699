// One item of the input, cut out of its line, and where in it an error
// stands.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pellamar/error.hpp"

struct ItemText {
  // The item as given, without the blanks and tabs around it.
  std::string_view text;
  // The column of its first character in the line or operand, from 1.
  int column;
};

// The item in `line`.
ItemText itemOf(std::string_view line);

// The place of `error`, found in `item`'s text, as pellamar-cli reports it:
// the column of its character, counted in UTF-8 characters from the item's
// column (a byte that is not UTF-8 counts as one), and the character named;
// position 0 for an error with no place.
pellamar::ErrorPlace placeOf(const pellamar::Error& error, const ItemText& item);
