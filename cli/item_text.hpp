// One item of the input, cut out of its line and made ready for the
// conversions.
#pragma once

#include <string>
#include <string_view>

struct ItemText {
  // The item as given, without the blanks and tabs around it.
  std::string_view asRead;
  // The same text with one Latin-1 code a character, as the conversions
  // read it: a character beyond Latin-1, or a byte that is not UTF-8, is the
  // conversions' substitute code, so that it is named as such.
  std::string_view codes;
  // The characters of the line before the item, so that a position in
  // `codes` plus `offset` is the column in the line.
  int offset;
};

class ItemReader {
 public:
  // The item in `line`, which holds UTF-8 text. The views refer to `line`
  // or to this reader, and are valid until the next call.
  ItemText read(std::string_view line);

 private:
  std::string codes_;
};
