// Text from outside as terminals and fields show it: every row is a text a
// file name, a label or a name could hold, and what is written for it.
#include "pellamar/visible_text.hpp"

#include <gtest/gtest.h>
#include <unictype.h>

#include <string>

#include "test_support.hpp"

namespace pellamar {
namespace {

struct VisibleCase {
  const char* name;
  std::string text;
  std::string shown;
  // The same text in a message, where a backslash is kept.
  std::string inMessage;
};

class VisibleTextTest : public testing::TestWithParam<VisibleCase> {};

TEST_P(VisibleTextTest, EscapesWhatCouldControlATerminal) {
  const VisibleCase& row = GetParam();
  std::string written = "x";
  appendVisible(written, row.text);
  EXPECT_EQ(written, "x" + row.shown);
  EXPECT_LE(written.size() - 1, VisibleExpansion * row.text.size());
  EXPECT_EQ(visible(row.text, Backslash::Kept), row.inMessage);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, VisibleTextTest,
    testing::Values(
        VisibleCase{"Empty", "", "", ""}, VisibleCase{"PrintableAscii", " a~", " a~", " a~"},
        VisibleCase{"Backslash", "a\\x1B", "a\\\\x1B", "a\\x1B"},
        VisibleCase{"TabLineFeedReturn", "a\tb\nc\r", "a\\tb\\nc\\r", "a\\tb\\nc\\r"},
        VisibleCase{"EscapeSequence", "EVIL\x1B]0;pwned\x07\x1B[2J",
                    "EVIL\\x1B]0;pwned\\x07\\x1B[2J", "EVIL\\x1B]0;pwned\\x07\\x1B[2J"},
        VisibleCase{"NulAndUnitSeparator", std::string("\0\x1F", 2), "\\x00\\x1F", "\\x00\\x1F"},
        VisibleCase{"Delete", "\x7F", "\\x7F", "\\x7F"},
        VisibleCase{"FirstC1", "\xC2\x80", "\\u0080", "\\u0080"},
        VisibleCase{"ControlSequenceIntroducer",
                    "\xC2\x9B"
                    "2J",
                    "\\u009B2J", "\\u009B2J"},
        VisibleCase{"LastC1", "\xC2\x9F", "\\u009F", "\\u009F"},
        VisibleCase{"NoBreakSpaceKept", "\xC2\xA0", "\xC2\xA0", "\xC2\xA0"},
        VisibleCase{"LettersKept", "M\xC3\xBCller \xE6\x97\xA5 \xF0\x9F\x98\x80",
                    "M\xC3\xBCller \xE6\x97\xA5 \xF0\x9F\x98\x80",
                    "M\xC3\xBCller \xE6\x97\xA5 \xF0\x9F\x98\x80"},
        VisibleCase{"RightToLeftOverride", "admin\xE2\x80\xAEgnp.exe", "admin\\u202Egnp.exe",
                    "admin\\u202Egnp.exe"},
        VisibleCase{"ByteOrderMark", "\xEF\xBB\xBFx", "\\uFEFFx", "\\uFEFFx"},
        VisibleCase{"LineSeparator",
                    "a\xE2\x80\xA8"
                    "b",
                    "a\\u2028b", "a\\u2028b"},
        VisibleCase{"CharacterAfterTheOverrides", "\xE2\x80\xAF", "\xE2\x80\xAF", "\xE2\x80\xAF"},
        // Unassigned, between the invisible operators and the isolates.
        VisibleCase{"GapBeforeTheIsolates", "\xE2\x81\xA5", "\xE2\x81\xA5", "\xE2\x81\xA5"},
        VisibleCase{"FirstIsolate", "\xE2\x81\xA6", "\\u2066", "\\u2066"},
        VisibleCase{"TagCharacter", "\xF3\xA0\x80\x81", "\\U000E0001", "\\U000E0001"},
        VisibleCase{"LastTagCharacter", "\xF3\xA0\x81\xBF", "\\U000E007F", "\\U000E007F"},
        VisibleCase{"OnePastTheTags", "\xF3\xA0\x82\x80", "\xF3\xA0\x82\x80", "\xF3\xA0\x82\x80"},
        VisibleCase{"ByteThatIsNoUtf8", "bad\xFFname", "bad\\xFFname", "bad\\xFFname"},
        VisibleCase{"Latin1Byte", "\xE9t\xE9", "\\xE9t\\xE9", "\\xE9t\\xE9"},
        VisibleCase{"OverlongSlash", "\xC0\xAF", "\\xC0\\xAF", "\\xC0\\xAF"},
        VisibleCase{"Surrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80", "\\xED\\xA0\\x80"},
        VisibleCase{"CutShortAtTheEnd", "a\xE2\x80", "a\\xE2\\x80", "a\\xE2\\x80"},
        VisibleCase{"AllBytesAtTheBound", std::string(3, '\xFF'), "\\xFF\\xFF\\xFF",
                    "\\xFF\\xFF\\xFF"}),
    rowName<VisibleCase>);

// Where the first octet that would not be copied as it is stands.
struct FirstEscapedCase {
  const char* name;
  std::string text;
  std::size_t index;
};

class FirstEscapedTest : public testing::TestWithParam<FirstEscapedCase> {};

TEST_P(FirstEscapedTest, FindsTheFirstEscapedCharacter) {
  EXPECT_EQ(firstEscaped(GetParam().text), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FirstEscapedTest,
    testing::Values(FirstEscapedCase{"Empty", "", 0}, FirstEscapedCase{"Printable", "a b~", 4},
                    FirstEscapedCase{"BackslashIsCopied", "a\\b", 3},
                    FirstEscapedCase{"LettersBeyondAscii", "M\xC3\xBCller \xE6\x97\xA5", 11},
                    FirstEscapedCase{"Escape", "ab\x1B", 2}, FirstEscapedCase{"Delete", "\x7F", 0},
                    FirstEscapedCase{"Override", "\xC3\xA9\xE2\x80\xAE", 2},
                    FirstEscapedCase{"ByteThatIsNoUtf8", "a\xFF", 1},
                    FirstEscapedCase{"CutShort", "ab\xE2\x80", 2}),
    rowName<FirstEscapedCase>);

// Every character the system's Unicode tables call a format character or
// a line or paragraph separator is escaped, and no letter, mark, number,
// punctuation, symbol or space is: the table may be newer than the
// system's, never older.
TEST(VisibleText, EscapesEveryFormatCharacterOfTheUnicodeTables) {
  const auto escapedClasses =
      UC_CATEGORY_MASK_Cc | UC_CATEGORY_MASK_Cf | UC_CATEGORY_MASK_Zl | UC_CATEGORY_MASK_Zp;
  const auto shownClasses = UC_CATEGORY_MASK_L | UC_CATEGORY_MASK_M | UC_CATEGORY_MASK_N |
                            UC_CATEGORY_MASK_P | UC_CATEGORY_MASK_S | UC_CATEGORY_MASK_Zs;
  int escaped = 0;
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (uc_is_general_category_withtable(c, escapedClasses)) {
      EXPECT_TRUE(isEscapedCharacter(c)) << std::hex << static_cast<unsigned>(c);
      ++escaped;
    } else if (uc_is_general_category_withtable(c, shownClasses)) {
      EXPECT_FALSE(isEscapedCharacter(c)) << std::hex << static_cast<unsigned>(c);
    }
  }
  EXPECT_GT(escaped, 200);
}

}  // namespace
}  // namespace pellamar
