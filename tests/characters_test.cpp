// How messages name and place a character of UTF-8 text.
#include "pellamar/characters.hpp"

#include <gtest/gtest.h>

#include <string>

#include "character_table.hpp"
#include "test_support.hpp"

namespace pellamar {
namespace {

struct NamingCase {
  const char* name;
  std::string text;
  std::string named;
};

class CharacterNamingTest : public testing::TestWithParam<NamingCase> {};

TEST_P(CharacterNamingTest, NamesTheFirstCharacter) {
  EXPECT_EQ(nameCharacterAt("x" + GetParam().text, 1), GetParam().named);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, CharacterNamingTest,
    testing::Values(
        NamingCase{"Letter", "a", "the character \"a\""},
        NamingCase{"Latin1Letter", "\xC3\xA9", "the character \"\xC3\xA9\""},
        NamingCase{"LastLatin1", "\xC3\xBF", "the character \"\xC3\xBF\""},
        NamingCase{"NoBreakSpace", "\xC2\xA0", "the character U+00A0 NO-BREAK SPACE"},
        NamingCase{"SoftHyphen", "\xC2\xAD", "the character U+00AD SOFT HYPHEN"},
        NamingCase{"Nul", std::string(1, '\0'), "the control character U+0000 NULL"},
        NamingCase{"CarriageReturn", "\r", "the control character U+000D CARRIAGE RETURN"},
        NamingCase{"LastC0", "\x1F", "the control character U+001F INFORMATION SEPARATOR ONE"},
        NamingCase{"Delete", "\x7F", "the control character U+007F DELETE"},
        NamingCase{"FirstC1", "\xC2\x80", "the control character U+0080 PADDING CHARACTER"},
        NamingCase{"LastC1", "\xC2\x9F",
                   "the control character U+009F APPLICATION PROGRAM COMMAND"},
        NamingCase{"FirstPastLatin1", "\xC4\x80",
                   "the character \"\xC4\x80\" (U+0100 LATIN CAPITAL LETTER A WITH MACRON)"},
        NamingCase{"Override", "\xE2\x80\xAE", "the character U+202E RIGHT-TO-LEFT OVERRIDE"},
        NamingCase{"ByteOrderMark", "\xEF\xBB\xBF",
                   "the character U+FEFF ZERO WIDTH NO-BREAK SPACE"},
        NamingCase{"FullwidthDigit", "\xEF\xBC\x91",
                   "the character \"\xEF\xBC\x91\" (U+FF11 FULLWIDTH DIGIT ONE)"},
        NamingCase{"Ideograph", "\xE6\x97\xA5",
                   "the character \"\xE6\x97\xA5\" (U+65E5 CJK UNIFIED IDEOGRAPH-65E5)"},
        NamingCase{"CombiningMark", "\xCC\x81", "the character U+0301 COMBINING ACUTE ACCENT"},
        NamingCase{"PrivateUse", "\xEE\x80\x80", "the character U+E000"},
        NamingCase{"BeyondTheBasicPlane", "\xF0\x9F\x98\x80",
                   "the character \"\xF0\x9F\x98\x80\" (U+1F600 GRINNING FACE)"},
        NamingCase{"ByteThatIsNoUtf8", "\xFF", "the byte 0xFF (not UTF-8)"},
        NamingCase{"Latin1Byte", "\xE9t", "the byte 0xE9 (not UTF-8)"},
        NamingCase{"CutShort", "\xE2\x80", "the byte 0xE2 (not UTF-8)"},
        NamingCase{"Surrogate", "\xED\xA0\x80", "the byte 0xED (not UTF-8)"}),
    rowName<NamingCase>);

struct PlaceCase {
  const char* name;
  std::string text;
  std::size_t offset;
  int column;
  int position;
  std::string character;
};

class CharacterPlaceTest : public testing::TestWithParam<PlaceCase> {};

TEST_P(CharacterPlaceTest, CountsCharactersNotOctets) {
  const PlaceCase& row = GetParam();
  const ErrorPlace place =
      utf8Place(Error(ErrorCode::NotInIdentifier, row.offset, 1), row.text, row.column);
  EXPECT_EQ(place.position, row.position);
  EXPECT_EQ(place.character, row.character);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, CharacterPlaceTest,
    testing::Values(
        PlaceCase{"First", "a.b", 0, 1, 1, "the character \"a\""},
        PlaceCase{"FromTheItemsColumn", "a.b", 2, 5, 7, "the character \"b\""},
        PlaceCase{"AfterTwoOctetLetters", "\xC3\xA9\xC3\xA9x", 4, 1, 3, "the character \"x\""},
        PlaceCase{"InsideACharacter", "a\xE2\x80\xAE", 2, 1, 2,
                  "the character U+202E RIGHT-TO-LEFT OVERRIDE"},
        PlaceCase{"AfterBytesThatAreNoUtf8", "\xFF\xFEx", 2, 1, 3, "the character \"x\""},
        PlaceCase{"AtTheEnd", "ab", 2, 1, 3, ""}, PlaceCase{"PastTheEnd", "ab", 9, 1, 3, ""}),
    rowName<PlaceCase>);

TEST(CharacterPlace, NoneForAnErrorWithNoPlace) {
  EXPECT_EQ(utf8Place(Error(ErrorCode::NotInIdentifier, Error::Nowhere, 1), "abc").position, 0);
}

// A table of Unicode's names as a web page holds it: the runs U+0100 to
// U+0101 and U+0110 shown in quotes, the ideographs U+4E00 to U+4E02, and
// two names.
const std::string CharacterTableText =
    "v 100 2\n"
    "v E 1\n"
    "i 4E00 3\n"
    "n 100 LATIN CAPITAL LETTER A WITH MACRON\n"
    "n E LATIN CAPITAL LETTER D WITH CARON\n";

struct CharacterTableCase {
  const char* name;
  char32_t c;
  bool visible;
  bool ideograph;
  std::string named;
};

class CharacterTableTest : public testing::TestWithParam<CharacterTableCase> {};

TEST_P(CharacterTableTest, TellsWhatTheTableSays) {
  const auto table = detail::CharacterTable::read(CharacterTableText);
  ASSERT_TRUE(table);
  const CharacterTableCase& row = GetParam();
  EXPECT_EQ(table->visible(row.c), row.visible);
  EXPECT_EQ(table->unifiedIdeograph(row.c), row.ideograph);
  const std::string* name = table->nameOf(row.c);
  EXPECT_EQ(name == nullptr ? "" : *name, row.named);
}

INSTANTIATE_TEST_SUITE_P(
    Lookups, CharacterTableTest,
    testing::Values(CharacterTableCase{"BeforeTheFirstRun", 0xFF, false, false, ""},
                    CharacterTableCase{"FirstOfARun", 0x100, true, false,
                                       "LATIN CAPITAL LETTER A WITH MACRON"},
                    CharacterTableCase{"LastOfARun", 0x101, true, false, ""},
                    CharacterTableCase{"OnePastARun", 0x102, false, false, ""},
                    CharacterTableCase{"RunAfterAGap", 0x110, true, false, ""},
                    CharacterTableCase{"NamedOutsideTheRuns", 0x10E, false, false,
                                       "LATIN CAPITAL LETTER D WITH CARON"},
                    CharacterTableCase{"LastIdeograph", 0x4E02, false, true, ""},
                    CharacterTableCase{"PastTheIdeographs", 0x4E03, false, false, ""},
                    CharacterTableCase{"LastCodePoint", 0x10FFFF, false, false, ""}),
    rowName<CharacterTableCase>);

struct DamagedTableCase {
  const char* name;
  std::string table;
};

class DamagedTableTest : public testing::TestWithParam<DamagedTableCase> {};

TEST_P(DamagedTableTest, IsRefused) {
  EXPECT_FALSE(detail::CharacterTable::read(GetParam().table));
}

INSTANTIATE_TEST_SUITE_P(
    Refused, DamagedTableTest,
    testing::Values(DamagedTableCase{"UnknownKind", "x 1 1\n"},
                    DamagedTableCase{"NoValue", "v 1\n"}, DamagedTableCase{"EmptyValue", "v 1 \n"},
                    DamagedTableCase{"NoBlankAfterTheKind", "v1 1\n"},
                    DamagedTableCase{"EmptyLine", "v 100 2\n\n"},
                    DamagedTableCase{"GapNotHexadecimal", "v G 1\n"},
                    DamagedTableCase{"LengthNotHexadecimal", "v 1 1x\n"},
                    DamagedTableCase{"EmptyRun", "v 1 0\n"},
                    DamagedTableCase{"RunPastTheLastCodePoint", "v 10FFFF 2\n"},
                    DamagedTableCase{"GapPastTheLastCodePoint", "v 100 2\nv 10FFFE 1\n"},
                    DamagedTableCase{"NameTwice", "n 100 A\nn 0 B\n"},
                    DamagedTableCase{"EmptyName", "n 100 \n"}),
    rowName<DamagedTableCase>);

TEST(CharacterTable, ReadsTheLastCodePointAndAnUnendedLastLine) {
  const auto table = detail::CharacterTable::read("v 10FFFF 1\nn 10FFFF LAST");
  ASSERT_TRUE(table);
  EXPECT_TRUE(table->visible(0x10FFFF));
  EXPECT_EQ(*table->nameOf(0x10FFFF), "LAST");
}

}  // namespace
}  // namespace pellamar
