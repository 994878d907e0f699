#include "latin1_text.hpp"

#include "objid_buffer.hpp"

namespace {

// The UTF-16 length of the character that starts at `index`: 2 for a
// surrogate pair, otherwise 1.
qsizetype characterLength(const QString& text, qsizetype index) {
  const bool pair = text.at(index).isHighSurrogate() && index + 1 < text.size() &&
                    text.at(index + 1).isLowSurrogate();
  return pair ? 2 : 1;
}

}  // namespace

std::string toLatin1Codes(const QString& text) {
  constexpr char16_t lastLatin1 = 0xFF;
  std::string codes;
  codes.reserve(static_cast<std::size_t>(text.size()));
  for (qsizetype index = 0; index < text.size(); index += characterLength(text, index)) {
    const char16_t unit = text.at(index).unicode();
    codes += unit <= lastLatin1 ? static_cast<char>(unit) : pellamar::NonLatin1Character;
  }
  return codes;
}

int indexOfPosition(const QString& text, int position) {
  qsizetype index = 0;
  for (int passed = 1; passed < position && index < text.size(); ++passed) {
    index += characterLength(text, index);
  }
  return static_cast<int>(index);
}
