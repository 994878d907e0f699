// How the characters of a text handed to a conversion are counted and named
// in the messages of its failures.
//
// The conversions read their texts byte by byte, and every byte that is not
// ASCII is a fault wherever they look for digits, full stops or Base64
// characters. So only a failure needs to know what the bytes stand for: the
// window hands over one Latin-1 code a character, the command line UTF-8
// cut out of a longer line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellamar {

class TextForm {
 public:
  virtual ~TextForm() = default;

  // The 1-based position, as reported, of the character that holds byte
  // `index` of `text` (index < text.size()).
  virtual int positionOf(std::string_view text, std::size_t index) const = 0;

  // The character that starts at byte `index` of `text`, named for a
  // message: `the character "x"`, `the tab`.
  virtual std::string nameAt(std::string_view text, std::size_t index) const = 0;
};

// One Latin-1 code a character, counted from position 1, as the window's
// fields give their texts: a character beyond Latin-1 is NonLatin1Character
// and is named as such.
class Latin1Form final : public TextForm {
 public:
  int positionOf(std::string_view text, std::size_t index) const override;
  std::string nameAt(std::string_view text, std::size_t index) const override;
};

}  // namespace pellamar
