// Writes what messages need of Unicode, for a web page built without the
// system's tables: from libunistring, as pellamar-cli reads them, the
// characters from U+00A0 up that messages show in quotes (letters,
// numbers, punctuation and symbols), the unified ideographs, and every
// character's name. The form is useCharacterTable()'s (pellamar/
// characters.hpp): one line each, numbers in hexadecimal, each from the
// end of the line before of its kind, so that the table compresses well.
//
//   pellamar-page-characters > TABLE
#include <unictype.h>
#include <uniname.h>

#include <array>
#include <cstdio>

namespace {

// Beyond the last code point.
constexpr char32_t CodePointEnd = 0x110000;
// Below it, the messages name a character by its Latin-1 form or its
// control name.
constexpr char32_t FirstNamed = 0xA0;

bool isVisible(char32_t c) {
  return uc_is_general_category_withtable(
      c, UC_CATEGORY_MASK_L | UC_CATEGORY_MASK_N | UC_CATEGORY_MASK_P | UC_CATEGORY_MASK_S);
}

// Writes each run of characters for which `has` holds, as "KIND GAP
// LENGTH": the gap from the end of the run before.
template <typename Has>
void writeRuns(char kind, const Has& has) {
  char32_t end = 0;
  for (char32_t c = FirstNamed; c < CodePointEnd;) {
    if (!has(c)) {
      ++c;
      continue;
    }
    const char32_t start = c;
    while (c < CodePointEnd && has(c)) {
      ++c;
    }
    std::printf("%c %X %X\n", kind, static_cast<unsigned>(start - end),
                static_cast<unsigned>(c - start));
    end = c;
  }
}

}  // namespace

int main() {
  writeRuns('v', isVisible);
  writeRuns('i', [](char32_t c) { return uc_is_property_unified_ideograph(c); });
  std::array<char, UNINAME_MAX> name{};
  char32_t previous = 0;
  for (char32_t c = FirstNamed; c < CodePointEnd; ++c) {
    if (unicode_character_name(c, name.data()) != nullptr) {
      std::printf("n %X %s\n", static_cast<unsigned>(c - previous), name.data());
      previous = c;
    }
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
