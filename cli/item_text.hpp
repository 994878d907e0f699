// One item of the input, cut out of its line, and how its characters are
// counted and named: UTF-8 as terminals and files give it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "text_form.hpp"

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

// The text of an item, counted in characters from the item's column.
class Utf8Form final : public pellamar::TextForm {
 public:
  explicit Utf8Form(int column) : column_(column) {}

  // A byte that is not UTF-8 counts as one character; index text.size()
  // is the column after the last character.
  int positionOf(std::string_view text, std::size_t index) const override;
  std::string nameAt(std::string_view text, std::size_t index) const override {
    return nameCharacterAt(text, index);
  }

 private:
  int column_;
};
