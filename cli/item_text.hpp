// One item of the input, cut out of its line, and how its characters are
// counted and named: UTF-8 as terminals and files give it.
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

// Names the character that starts at byte `index` of `text` for a message:
// a printable character of Latin-1 in quotes (`the character "x"`), a
// control by its code point and name (`the control character U+000D
// CARRIAGE RETURN`), any other character by its code point and Unicode name
// (`the character U+FEFF ZERO WIDTH NO-BREAK SPACE`, with the character
// itself in quotes when it is visible), and a byte that is not UTF-8 as
// that byte (`the byte 0xFF (not UTF-8)`).
std::string nameCharacterAt(std::string_view text, std::size_t index);

// The number of bytes of the character that starts at byte `index`: 1 for
// a byte that is not UTF-8 (RFC 3629: no overlong form, surrogate, or code
// point above U+10FFFF).
std::size_t characterLength(std::string_view text, std::size_t index);

// The place of `error`, found in `item`'s text, as pellamar-cli reports it:
// the column of its character, counted in UTF-8 characters from the item's
// column (a byte that is not UTF-8 counts as one), and the character named;
// position 0 for an error with no place.
pellamar::ErrorPlace placeOf(const pellamar::Error& error, const ItemText& item);

// The first character of `text` that a message must not copy as it is: a
// control character, a Unicode format character (such as U+202E, which
// reverses what follows) or a byte that is not UTF-8. Its byte index, or
// text.size() when there is none.
std::size_t firstUnprintable(std::string_view text);

// The number of characters in `text`, a byte that is not UTF-8 counting as
// one.
std::size_t characterCount(std::string_view text);
