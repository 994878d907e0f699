// Every reader of the library, as tables of named rows: what each form
// reads to, and every way it fails, with the whole message and the place,
// as a text of one Latin-1 code a character counts it.
#include "pellamar/readers.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "pellamar/other_readings.hpp"
#include "pellamar/writers.hpp"
#include "test_support.hpp"

namespace pellamar {
namespace {

using Octets = std::vector<std::uint8_t>;

Octets octetsOf(const ObjectIdentifier& identifier) {
  return {identifier.octets().begin(), identifier.octets().end()};
}

std::string dottedOf(const ObjectIdentifier& identifier) {
  std::string text;
  append(identifier, Form::Dotted, text);
  return text;
}

// `middle` between `first` and `last`, `times` times.
Octets octets(std::initializer_list<std::uint8_t> first, std::uint8_t middle, int times,
              std::initializer_list<std::uint8_t> last) {
  Octets result(first);
  result.insert(result.end(), static_cast<std::size_t>(times), middle);
  result.insert(result.end(), last);
  return result;
}

// "1.2" followed by `count` - 1 arcs of 1: `count` octets.
std::string identifierOfOctets(int count, char separator = '.') {
  std::string text = std::string("1") + separator + "2";
  for (int arc = 1; arc < count; ++arc) {
    text += separator;
    text += '1';
  }
  return text;
}

// 2^700 - 81: under 2, the first subidentifier 2^700 - 1, the largest that
// 100 octets hold.
const std::string LargestArcUnder2 =
    "526013590154837350724098988288012866555033980282317385949828090306873215429708082211366653627"
    "758845122698296885617821771301943225018380386312781477065188084995522367112844459819166375788"
    "4322717271293251735781295";

// Identifiers whose arcs pass 32 and 64 bits, with their contents octets:
// they drive the strict reading, the writing and the round trip alike.
struct AnySizeVector {
  const char* name;
  std::string text;
  Octets octets;
};

const AnySizeVector anySizeVectors[] = {
    {"LargestWindowArc", "1.2.2147483647", {0x2A, 0x87, 0xFF, 0xFF, 0xFF, 0x7F}},
    {"OnePastWindowArc", "1.2.2147483648", {0x2A, 0x88, 0x80, 0x80, 0x80, 0x00}},
    {"TwoTo32", "1.2.4294967296", {0x2A, 0x90, 0x80, 0x80, 0x80, 0x00}},
    {"MicrosoftTemplate",
     "1.3.6.1.4.1.311.21.8.2321648039.1",
     {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x15, 0x08, 0x88, 0xD3, 0x86, 0x93, 0x27, 0x01}},
    {"LargestEighteenDigits",
     "1.2.999999999999999999",
     {0x2A, 0x8D, 0xF0, 0xAD, 0xD6, 0xBA, 0xBB, 0x8F, 0xFF, 0x7F}},
    {"SmallestNineteenDigits",
     "1.2.1000000000000000000",
     {0x2A, 0x8D, 0xF0, 0xAD, 0xD6, 0xBA, 0xBB, 0x90, 0x80, 0x00}},
    {"TwoTo64Less1", "1.2.18446744073709551615", octets({0x2A, 0x81}, 0xFF, 8, {0x7F})},
    {"TwoTo64", "1.2.18446744073709551616", octets({0x2A, 0x82}, 0x80, 8, {0x00})},
    {"UuidOfX667",
     "2.25.329800735698586629295641978511506172918",
     {0x69, 0x83, 0xF0, 0x9D, 0xA7, 0xEB, 0xCF, 0xDE, 0xE0, 0xC7,
      0xA1, 0xA7, 0xB2, 0xC0, 0x94, 0x8C, 0xC8, 0xF9, 0xD7, 0x76}},
    {"NilUuid", "2.25.0", {0x69, 0x00}},
    {"LargestUuid", "2.25.340282366920938463463374607431768211455",
     octets({0x69, 0x83}, 0xFF, 17, {0x7F})},
    {"TwoTo128", "2.25.340282366920938463463374607431768211456",
     octets({0x69, 0x84}, 0x80, 17, {0x00})},
    {"FirstSubidentifier2To32Less1", "2.4294967215", {0x8F, 0xFF, 0xFF, 0xFF, 0x7F}},
    {"FirstSubidentifier2To32", "2.4294967216", {0x90, 0x80, 0x80, 0x80, 0x00}},
    {"FirstSubidentifierBorrows", "2.18446744073709551546", octets({0x82}, 0x80, 8, {0x0A})},
    {"HundredOctetsInOneArc", "2." + LargestArcUnder2, octets({}, 0xFF, 99, {0x7F})},
    {"NinetyNineOctets", identifierOfOctets(99), octets({0x2A}, 0x01, 98, {})},
    {"HundredOctets", identifierOfOctets(100), octets({0x2A}, 0x01, 99, {})},
    {"ZeroArc", "1.0", {0x28}},
    {"Root2Child40", "2.40", {0x78}},
};

class AnySizeTest : public testing::TestWithParam<AnySizeVector> {};

TEST_P(AnySizeTest, ReadsTheOctets) {
  ObjectIdentifier identifier;
  ASSERT_FALSE(readDotted(GetParam().text, identifier));
  EXPECT_EQ(octetsOf(identifier), GetParam().octets);
}

TEST_P(AnySizeTest, WritesTheText) {
  ObjectIdentifier identifier;
  ASSERT_FALSE(ObjectIdentifier::fromContents(GetParam().octets, identifier));
  EXPECT_EQ(dottedOf(identifier), GetParam().text);
}

// Every form written reads back: value notation, blank arcs, and the
// octets' texts, whole encodings included.
TEST_P(AnySizeTest, EveryFormReadsBack) {
  ObjectIdentifier identifier;
  ASSERT_FALSE(readDotted(GetParam().text, identifier));
  std::string notation;
  append(identifier, Form::ValueNotation, notation);
  ObjectIdentifier again;
  ASSERT_FALSE(readValueNotation(notation, again)) << notation;
  EXPECT_EQ(again, identifier);
  ASSERT_FALSE(readBlankArcs(notation.substr(2, notation.size() - 4), again)) << notation;
  EXPECT_EQ(again, identifier);
  for (const auto& [form, text, der] : {std::tuple{Form::Hex, OctetText::Hex, false},
                                        {Form::Base64, OctetText::Base64, false},
                                        {Form::DerHex, OctetText::Hex, true},
                                        {Form::DerBase64, OctetText::Base64, true}}) {
    std::string written;
    append(identifier, form, written);
    again = ObjectIdentifier();
    ASSERT_FALSE(readOctetText(written, text, der, Reading::Strict, again)) << written;
    EXPECT_EQ(again, identifier) << written;
  }
}

INSTANTIATE_TEST_SUITE_P(Boundaries, AnySizeTest, testing::ValuesIn(anySizeVectors),
                         rowName<AnySizeVector>);

// The readers of identifier texts, by name.
using TextReader = std::optional<Error> (*)(std::string_view, ObjectIdentifier&);
constexpr struct {
  TextReader Dotted, Lenient, ValueNotation, BlankArcs, Uuid, Any;
} Readers{readDotted,    readDottedLenient, readValueNotation,
          readBlankArcs, readUuid,          readIdentifier};

struct TextCase {
  const char* name;
  TextReader reader;
  std::string text;
  Octets octets;
};

class TextTest : public testing::TestWithParam<TextCase> {};

TEST_P(TextTest, ReadsTheIdentifier) {
  ObjectIdentifier identifier;
  const auto error = GetParam().reader(GetParam().text, identifier);
  ASSERT_FALSE(error) << describe(*error, GetParam().text, latin1Place(*error, GetParam().text));
  EXPECT_EQ(octetsOf(identifier), GetParam().octets);
}

const Octets Rsadsi = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D};
const Octets X667Uuid = {0x69, 0x83, 0xF0, 0x9D, 0xA7, 0xEB, 0xCF, 0xDE, 0xE0, 0xC7,
                         0xA1, 0xA7, 0xB2, 0xC0, 0x94, 0x8C, 0xC8, 0xF9, 0xD7, 0x76};

INSTANTIATE_TEST_SUITE_P(
    Forms, TextTest,
    testing::Values(
        TextCase{"UrnPrefixInAnyCase", Readers.Dotted, "urn:OID:2.5.4.3", {0x55, 0x04, 0x03}},
        TextCase{"LeadingFullStop", Readers.Dotted, ".1.3.6.1", {0x2B, 0x06, 0x01}},
        TextCase{"NamesAndNumbers", Readers.ValueNotation,
                 "{ iso(1) member-body(2) us(840) rsadsi(113549) }", Rsadsi},
        TextCase{"NumbersWithoutBlanks", Readers.ValueNotation, "{1 2 840}", {0x2A, 0x86, 0x48}},
        TextCase{
            "IsoNamesAlone", Readers.ValueNotation, "{ iso member-body 840 }", {0x2A, 0x86, 0x48}},
        TextCase{"BlanksInParentheses",
                 Readers.ValueNotation,
                 "{ joint-iso-itu-t ds ( 5 ) 4 3 }",
                 {0x55, 0x04, 0x03}},
        TextCase{"JointNameAlone",
                 Readers.ValueNotation,
                 "{ joint-iso-itu-t country 840 }",
                 {0x60, 0x86, 0x48}},
        TextCase{"JointCcittNameAlone",
                 Readers.ValueNotation,
                 "{ joint-iso-ccitt uuid 7 }",
                 {0x69, 0x07}},
        TextCase{"ItuTNameAlone", Readers.ValueNotation, "{ itu-t data 2342 }", {0x09, 0x92, 0x26}},
        TextCase{"NameAloneUnderNumber",
                 Readers.ValueNotation,
                 "{ 1 member-body 840 }",
                 {0x2A, 0x86, 0x48}},
        TextCase{"TabsBetweenArcs", Readers.BlankArcs, "1\t2  840", {0x2A, 0x86, 0x48}},
        TextCase{"X667Example", Readers.Uuid, "urn:uuid:f81d4fae-7dec-11d0-a765-00a0c91e6bf6",
                 X667Uuid},
        TextCase{"BareUpperCase", Readers.Uuid, "F81D4FAE-7DEC-11D0-A765-00A0C91E6BF6", X667Uuid},
        TextCase{"PrefixInUpperCase", Readers.Uuid, "URN:UUID:f81d4fae-7dec-11d0-a765-00a0c91e6bf6",
                 X667Uuid},
        TextCase{"NilUuid", Readers.Uuid, "00000000-0000-0000-0000-000000000000", {0x69, 0x00}},
        TextCase{"LargestUuid", Readers.Uuid, "ffffffff-ffff-ffff-ffff-ffffffffffff",
                 octets({0x69, 0x83}, 0xFF, 17, {0x7F})},
        TextCase{"AnyTakesUuidStartingWithLetter", Readers.Any,
                 "F81D4FAE-7DEC-11D0-A765-00A0C91E6BF6", X667Uuid},
        TextCase{"AnyTakesUuidStartingWithDigit",
                 Readers.Any,
                 "00000000-0000-0000-0000-000000000005",
                 {0x69, 0x05}},
        TextCase{"AnyTakesBlankArcs", Readers.Any, "1 2 840 113549", Rsadsi},
        TextCase{"AnyTakesValueNotation", Readers.Any, "{ 1 2 }", {0x2A}},
        TextCase{"AnyTakesUrn", Readers.Any, "urn:oid:1.2", {0x2A}},
        TextCase{"LenientLoneArc", Readers.Lenient, "5", {0x05}},
        TextCase{"LenientReadsUntilNonDigit", Readers.Lenient, "2.16.8x40.1", {0x60, 0x08, 0x01}}),
    rowName<TextCase>);

struct TextFailureCase {
  const char* name;
  TextReader reader;
  std::string text;
  ErrorCode code;
  int position;
  std::string message;
};

class TextFailureTest : public testing::TestWithParam<TextFailureCase> {};

TEST_P(TextFailureTest, FailsWithMessageAtPosition) {
  const TextFailureCase& row = GetParam();
  ObjectIdentifier identifier;
  const ObjectIdentifier before = identifier;
  const auto error = row.reader(row.text, identifier);
  ASSERT_TRUE(error);
  const ErrorPlace place = latin1Place(*error, row.text);
  EXPECT_EQ(error->code, row.code);
  EXPECT_EQ(place.position, row.position);
  EXPECT_EQ(describe(*error, row.text, place), row.message);
  EXPECT_EQ(identifier, before);
}

constexpr std::string_view UuidShape =
    "a UUID is 32 hexadecimal digits in groups of 8-4-4-4-12, separated by hyphens.";

INSTANTIATE_TEST_SUITE_P(
    BadTexts, TextFailureTest,
    testing::Values(
        TextFailureCase{"OctetBeyond100", Readers.Dotted, identifierOfOctets(101),
                        ErrorCode::TooManyOctets, 203,
                        "The identifier needs more than 100 octets: arc 102 (1 at position 203) no "
                        "longer fits."},
        TextFailureCase{"OnePastLargestArc", Readers.Dotted,
                        "2." + std::string(LargestArcUnder2, 0, 210) + "6",
                        ErrorCode::TooManyOctets, 3,
                        "The identifier needs more than 100 octets: arc 2 "
                        "(526013590154837350724098... at position 3) no longer fits."},
        TextFailureCase{"ZeroArcBeyond100", Readers.Dotted, identifierOfOctets(100) + ".0",
                        ErrorCode::TooManyOctets, 203,
                        "The identifier needs more than 100 octets: arc 102 (0 at position 203) no "
                        "longer fits."},
        TextFailureCase{"ArcOf212Digits", Readers.Dotted, "1.2.1" + std::string(211, '0'),
                        ErrorCode::TooManyOctets, 5,
                        "The identifier needs more than 100 octets: arc 3 "
                        "(100000000000000000000000... at position 5) no longer fits."},
        TextFailureCase{"LeadingZero", Readers.Dotted, "1.00", ErrorCode::LeadingZero, 3,
                        "The arc at position 3 starts with a zero; arcs are written without "
                        "leading zeros."},
        TextFailureCase{"HugeFirstArc", Readers.Dotted, std::string(30, '9') + ".1",
                        ErrorCode::FirstArcOutOfRange, 1,
                        "The first arc is 999999999999999999999999... (at position 1), but it must "
                        "be 0, 1 or 2."},
        TextFailureCase{"SecondArcOf40Under1", Readers.Dotted, "1.40",
                        ErrorCode::SecondArcOutOfRange, 3,
                        "Under the arc 1 the second arc must be at most 39, but it is 40 (at "
                        "position 3)."},
        TextFailureCase{"HugeSecondArcUnder0", Readers.Dotted, "0.1" + std::string(30, '0'),
                        ErrorCode::SecondArcOutOfRange, 3,
                        "Under the arc 0 the second arc must be at most 39, but it is "
                        "100000000000000000000000... (at position 3)."},
        TextFailureCase{"PrefixAlone", Readers.Dotted, "urn:oid:", ErrorCode::NoArcsAfterPrefix, 8,
                        "The identifier has no arcs after its prefix."},
        TextFailureCase{"FullStopAlone", Readers.Dotted, ".", ErrorCode::NoArcsAfterPrefix, 1,
                        "The identifier has no arcs after its prefix."},
        TextFailureCase{"Empty", Readers.Dotted, "", ErrorCode::NoArcs, 1,
                        "The identifier has no arcs."},
        TextFailureCase{"EndsWithFullStop", Readers.Dotted, "1.2.", ErrorCode::EndsWithFullStop, 4,
                        "The identifier ends with a full stop at position 4, where another arc "
                        "should follow."},
        TextFailureCase{"TwoFullStops", Readers.Dotted, "1..2", ErrorCode::FullStopWithoutArc, 3,
                        "The full stop at position 3 does not follow an arc: arcs are separated "
                        "by single full stops."},
        TextFailureCase{
            "Blank", Readers.Dotted, "1.2 .3", ErrorCode::NotInIdentifier, 4,
            "The character \" \" at position 4 cannot stand in an identifier, which has "
            "only digits and full stops."},
        TextFailureCase{"OtherUrn", Readers.Dotted, "urn:foo", ErrorCode::NotInIdentifier, 1,
                        "The character \"u\" at position 1 cannot stand in an identifier, which "
                        "has only digits and full stops."},
        TextFailureCase{"OneArc", Readers.Dotted, "2", ErrorCode::OneArc, 1,
                        "The identifier has only one arc at position 1; it needs at least two."},
        TextFailureCase{"AfterClosingBrace", Readers.ValueNotation, "{ 1 2 }x",
                        ErrorCode::AfterClosingBrace, 8,
                        "The character \"x\" at position 8 follows the closing \"}\" of the value "
                        "notation."},
        TextFailureCase{"Comma", Readers.ValueNotation, "{ 1, 2 }", ErrorCode::NotInValueNotation,
                        4,
                        "The character \",\" at position 4 cannot stand in value notation, which "
                        "has numbers, and names with their numbers, separated by blanks."},
        TextFailureCase{"NameStuckToNext", Readers.ValueNotation, "{ iso(1)member-body(2) }",
                        ErrorCode::NotInValueNotation, 9,
                        "The character \"m\" at position 9 cannot stand in value notation, which "
                        "has numbers, and names with their numbers, separated by blanks."},
        TextFailureCase{"NoClosingBrace", Readers.ValueNotation, "{ 1 2", ErrorCode::NoClosingBrace,
                        5, "The value notation ends at position 5 without its closing \"}\"."},
        TextFailureCase{"NameBelowSecondLevel", Readers.ValueNotation, "{ us 2 }",
                        ErrorCode::NameNeedsNumber, 3,
                        "The name \"us\" at position 3 needs its number: only the names of the "
                        "first two levels stand alone, so write us(N)."},
        TextFailureCase{"EmptyParentheses", Readers.ValueNotation, "{ iso() }",
                        ErrorCode::NoNumberInParentheses, 3,
                        "The name \"iso\" at position 3 has no number in its parentheses; value "
                        "notation writes iso(5)."},
        TextFailureCase{"EndsAtParenthesis", Readers.ValueNotation, "{ iso(",
                        ErrorCode::NoNumberInParentheses, 3,
                        "The name \"iso\" at position 3 has no number in its parentheses; value "
                        "notation writes iso(5)."},
        TextFailureCase{"NumberNotClosed", Readers.ValueNotation, "{ iso(1 }",
                        ErrorCode::NumberNotClosed, 7,
                        "The number of \"iso\" at position 7 is not closed by \")\"."},
        TextFailureCase{"EndsAfterNumber", Readers.ValueNotation, "{ iso(1",
                        ErrorCode::NumberNotClosed, 7,
                        "The number of \"iso\" at position 7 is not closed by \")\"."},
        TextFailureCase{"FirstArcThree", Readers.ValueNotation, "{ 3 }",
                        ErrorCode::FirstArcOutOfRange, 3,
                        "The first arc is 3 (at position 3), but it must be 0, 1 or 2."},
        TextFailureCase{"LaterLeadingZero", Readers.ValueNotation, "{ 1 2 03 }",
                        ErrorCode::LeadingZero, 7,
                        "The arc at position 7 starts with a zero; arcs are written without "
                        "leading zeros."},
        TextFailureCase{"SecondNamedArcOutOfRange", Readers.ValueNotation, "{ itu-t 45 }",
                        ErrorCode::SecondArcOutOfRange, 9,
                        "Under the arc 0 the second arc must be at most 39, but it is 45 (at "
                        "position 9)."},
        TextFailureCase{"OnlyOneArc", Readers.ValueNotation, "{ 1 }", ErrorCode::OneArc, 3,
                        "The identifier has only one arc at position 3; it needs at least two."},
        TextFailureCase{"UpperCaseName", Readers.ValueNotation, "{ Iso(1) 2 }",
                        ErrorCode::NotAsn1Identifier, 3,
                        "The name \"Iso\" at position 3 is not an ASN.1 identifier, which starts "
                        "with a lower-case letter and has no hyphen at its end or next to "
                        "another."},
        TextFailureCase{"TrailingHyphen", Readers.ValueNotation, "{ iso-(1) 2 }",
                        ErrorCode::NotAsn1Identifier, 3,
                        "The name \"iso-\" at position 3 is not an ASN.1 identifier, which starts "
                        "with a lower-case letter and has no hyphen at its end or next to "
                        "another."},
        TextFailureCase{"DoubledHyphen", Readers.ValueNotation, "{ i--so(1) 2 }",
                        ErrorCode::NotAsn1Identifier, 3,
                        "The name \"i--so\" at position 3 is not an ASN.1 identifier, which starts "
                        "with a lower-case letter and has no hyphen at its end or next to "
                        "another."},
        TextFailureCase{"BlankArcsLaterLeadingZero", Readers.BlankArcs, "1 2 840 0113549",
                        ErrorCode::LeadingZero, 9,
                        "The arc at position 9 starts with a zero; arcs are written without "
                        "leading zeros."},
        TextFailureCase{"BlankArcsBeyond100", Readers.BlankArcs, identifierOfOctets(101, ' '),
                        ErrorCode::TooManyOctets, 203,
                        "The identifier needs more than 100 octets: arc 102 (1 at position 203) no "
                        "longer fits."},
        TextFailureCase{"UuidOneDigitShort", Readers.Any,
                        "urn:uuid:f81d4fae-7dec-11d0-a765-00a0c91e6bf", ErrorCode::UuidTooShort, 44,
                        "The UUID ends at position 44 too early: " + std::string(UuidShape)},
        TextFailureCase{"UuidHyphenMissing", Readers.Uuid,
                        "urn:uuid:f81d4fae7dec-11d0-a765-00a0c91e6bf6a", ErrorCode::NotUuidHyphen,
                        18,
                        "The character \"7\" at position 18 stands where a UUID has a hyphen: " +
                            std::string(UuidShape)},
        TextFailureCase{"UuidNotHexadecimal", Readers.Uuid, "f81d4fae-7dec-11d0-a765-00a0c91e6bg6",
                        ErrorCode::NotUuidDigit, 35,
                        "The character \"g\" at position 35 cannot stand in a UUID, which is 32 "
                        "hexadecimal digits in groups of 8-4-4-4-12, separated by hyphens."},
        TextFailureCase{"UuidTooLong", Readers.Uuid,
                        "urn:uuid:f81d4fae-7dec-11d0-a765-00a0c91e6bf6a", ErrorCode::UuidTooLong,
                        46,
                        "The character \"a\" at position 46 follows the last digit of the UUID."},
        TextFailureCase{"AnyReadsNameAsDotted", Readers.Any, "xrn:oid:1.2",
                        ErrorCode::NotInIdentifier, 1,
                        "The character \"x\" at position 1 cannot stand in an identifier, which "
                        "has only digits and full stops."},
        TextFailureCase{"LenientEmptyLastArcBeyond100", Readers.Lenient,
                        identifierOfOctets(100) + ".", ErrorCode::TooManyOctets, 202,
                        "The identifier needs more than 100 octets: arc 102 (0 at position 202) no "
                        "longer fits."},
        TextFailureCase{"LenientArcTooLarge", Readers.Lenient, "  1.2.4294967296",
                        ErrorCode::ArcAboveLargest, 7,
                        "The arc 4294967296 at position 7 is larger than 2147483647."}),
    rowName<TextFailureCase>);

struct FormCase {
  const char* name;
  std::string text;
  TextForm form;
};

class FormOfTest : public testing::TestWithParam<FormCase> {};

TEST_P(FormOfTest, TellsTheForm) {
  EXPECT_EQ(formOf(GetParam().text), GetParam().form);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FormOfTest,
    testing::Values(FormCase{"Dotted", "1.2", TextForm::Dotted},
                    FormCase{"Empty", "", TextForm::Dotted},
                    FormCase{"Sign", "+1.2", TextForm::Dotted},
                    FormCase{"OidUrn", "urn:oid:1.2", TextForm::Dotted},
                    FormCase{"UuidUrnEvenWhenBroken", "URN:uuid:x", TextForm::Uuid},
                    FormCase{"BareUuid", "f81d4fae-7dec-11d0-a765-00a0c91e6bf6", TextForm::Uuid},
                    FormCase{"UuidOneDigitShort", "f81d4fae-7dec-11d0-a765-00a0c91e6bf",
                             TextForm::Name},
                    FormCase{"ValueNotation", "{", TextForm::ValueNotation},
                    FormCase{"BlankArcs", "1 2", TextForm::BlankArcs},
                    FormCase{"TabArcs", "1\t2", TextForm::BlankArcs},
                    FormCase{"NoBlank", "12", TextForm::Dotted},
                    FormCase{"Name", "rsaEncryption", TextForm::Name},
                    FormCase{"PathOfNamesAfterAFullStop", ".iso.org", TextForm::Name},
                    FormCase{"FullStopAlone", ".", TextForm::Dotted},
                    FormCase{"FullStopBeforeADigit", ".1.3", TextForm::Dotted}),
    rowName<FormCase>);

// An error's place spans what is wrong: the arc, the name.
TEST(Readers, PlaceSpansTheFault) {
  ObjectIdentifier identifier;
  const auto zero = readValueNotation("{ 1 2 03 }", identifier);
  ASSERT_TRUE(zero);
  EXPECT_EQ(zero->offset, 6U);
  EXPECT_EQ(zero->length, 2U);
  const auto dotted = readDotted("1.2.0840", identifier);
  ASSERT_TRUE(dotted);
  EXPECT_EQ(dotted->offset, 4U);
  EXPECT_EQ(dotted->length, 4U);
  const auto name = readValueNotation("{ Iso(1) 2 }", identifier);
  ASSERT_TRUE(name);
  EXPECT_EQ(name->offset, 2U);
  EXPECT_EQ(name->length, 3U);
}

// A view that is part of a longer text is read to its end and no further.
TEST(Readers, ReadTheViewAlone) {
  const std::string longer = "1.23";
  ObjectIdentifier identifier;
  ASSERT_FALSE(readDotted(std::string_view(longer).substr(0, 3), identifier));
  EXPECT_EQ(octetsOf(identifier), Octets{0x2A});
  ASSERT_FALSE(readDottedLenient(std::string_view(longer).substr(0, 3), identifier));
  EXPECT_EQ(octetsOf(identifier), Octets{0x2A});
  const std::string pairs = "2A 8F";
  std::array<std::uint8_t, 100> octets{};
  std::size_t count = 0;
  const auto error = decodeHex(std::string_view(pairs).substr(0, 4), octets, count);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code, ErrorCode::HexDigitWithoutPartner);
  EXPECT_EQ(error->offset, 3U);
}

// Texts of octets: Base64 and hexadecimal, contents and whole encodings,
// read strictly and leniently.
struct OctetTextCase {
  const char* name;
  std::string text;
  OctetText form;
  bool der;
  Reading reading;
  Octets octets;
};

class OctetTextTest : public testing::TestWithParam<OctetTextCase> {};

TEST_P(OctetTextTest, ReadsTheIdentifier) {
  const OctetTextCase& row = GetParam();
  ObjectIdentifier identifier;
  const auto error = readOctetText(row.text, row.form, row.der, row.reading, identifier);
  ASSERT_FALSE(error) << describe(*error, row.text, latin1Place(*error, row.text));
  EXPECT_EQ(octetsOf(identifier), row.octets);
}

constexpr auto Base64 = OctetText::Base64;
constexpr auto Hex = OctetText::Hex;
constexpr auto Strict = Reading::Strict;
constexpr auto Lenient = Reading::Lenient;

INSTANTIATE_TEST_SUITE_P(
    Texts, OctetTextTest,
    testing::Values(
        OctetTextCase{"Base64", "KoZIhvcN", Base64, false, Strict, Rsadsi},
        OctetTextCase{"LenientDropsLoneCharacter",
                      "KoZIhvcNAQEBC",
                      Base64,
                      false,
                      Lenient,
                      {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01}},
        OctetTextCase{"LenientDropsSpareBits", "Qe==", Base64, false, Lenient, {0x41}},
        OctetTextCase{"LenientReadsPaddingByValue",
                      "KgMEBYAB",
                      Base64,
                      false,
                      Lenient,
                      {0x2A, 0x03, 0x04, 0x05, 0x01}},
        OctetTextCase{"LenientHexLowerCase",
                      "2b06a1018001",
                      Hex,
                      false,
                      Lenient,
                      {0x2B, 0x06, 0xA1, 0x01, 0x01}},
        OctetTextCase{"HexLowerCase", "2a86ff7f", Hex, false, Strict, {0x2A, 0x86, 0xFF, 0x7F}},
        OctetTextCase{"HexColons", "2a:86:48", Hex, false, Strict, {0x2A, 0x86, 0x48}},
        OctetTextCase{
            "HexColonsWithBlanks", " 2A : 86 :48", Hex, false, Strict, {0x2A, 0x86, 0x48}},
        OctetTextCase{"HexBlanksAndTabs", "2A  86\t48 ", Hex, false, Strict, {0x2A, 0x86, 0x48}},
        OctetTextCase{"HexHundredOctets", std::string(198, 'F') + "7F", Hex, false, Strict,
                      octets({}, 0xFF, 99, {0x7F})},
        OctetTextCase{"DerBase64", "BgNVBAM=", Base64, true, Strict, {0x55, 0x04, 0x03}},
        OctetTextCase{"DerHexColons", "06:03:55:04:03", Hex, true, Strict, {0x55, 0x04, 0x03}},
        OctetTextCase{"DerOfHundredOctets", "06 64 " + std::string(198, 'F') + "7F", Hex, true,
                      Strict, octets({}, 0xFF, 99, {0x7F})},
        OctetTextCase{"DerLenientPadding", "06 03 80 2A 01", Hex, true, Lenient, {0x2A, 0x01}}),
    rowName<OctetTextCase>);

struct OctetTextFailureCase {
  const char* name;
  std::string text;
  OctetText form;
  bool der;
  Reading reading;
  ErrorCode code;
  int position;
  std::string message;
};

class OctetTextFailureTest : public testing::TestWithParam<OctetTextFailureCase> {};

TEST_P(OctetTextFailureTest, FailsWithMessageAtPosition) {
  const OctetTextFailureCase& row = GetParam();
  ObjectIdentifier identifier;
  const auto error = readOctetText(row.text, row.form, row.der, row.reading, identifier);
  ASSERT_TRUE(error);
  const ErrorPlace place = latin1Place(*error, row.text);
  EXPECT_EQ(error->code, row.code);
  EXPECT_EQ(place.position, row.position);
  EXPECT_EQ(describe(*error, row.text, place), row.message);
}

const std::string LoneCharacter =
    " stands alone in its group of four, which holds no octet, so one character is too many or "
    "one is missing.";
const std::string CutOffArc =
    ": its last octet still has the top bit set, so the text looks cut off.";
const std::string Padding =
    " pads a subidentifier with a leading zero digit, which X.690 does not allow; --lenient reads "
    "it by its value.";

INSTANTIATE_TEST_SUITE_P(
    BadTexts, OctetTextFailureTest,
    testing::Values(
        OctetTextFailureCase{
            "ThirteenCharacters", "KoZIhvcNAQEBC", Base64, false, Strict,
            ErrorCode::LoneBase64Character, 13,
            "The text cannot be Base64: the character \"C\" at position 13" + LoneCharacter},
        OctetTextFailureCase{
            "LoneCharacterBeforePadding", "KoZIhvcNA=", Base64, false, Strict,
            ErrorCode::LoneBase64Character, 9,
            "The text cannot be Base64: the character \"A\" at position 9" + LoneCharacter},
        OctetTextFailureCase{
            "OneCharacter", "B", Base64, false, Strict, ErrorCode::LoneBase64Character, 1,
            "The text cannot be Base64: the character \"B\" at position 1" + LoneCharacter},
        OctetTextFailureCase{"SpareBitsOfOneOctet", "BR==", Base64, false, Strict,
                             ErrorCode::SpareBits, 2,
                             "The last character \"R\" at position 2 carries bits beyond the last "
                             "octet; the text would be \"BQ==\"."},
        OctetTextFailureCase{"SpareBitsOfTwoOctets", "BQZ=", Base64, false, Strict,
                             ErrorCode::SpareBits, 3,
                             "The last character \"Z\" at position 3 carries bits beyond the last "
                             "octet; the text would be \"BQY=\"."},
        OctetTextFailureCase{"SpareBitsUnpadded", "Qe", Base64, false, Strict, ErrorCode::SpareBits,
                             2,
                             "The last character \"e\" at position 2 carries bits beyond the last "
                             "octet; the text would be \"QQ\"."},
        OctetTextFailureCase{"PaddingAfterThree", "KgM==", Base64, false, Strict,
                             ErrorCode::PaddingTooLong, 5,
                             "The \"=\" at position 5 is one too many: after 3 characters of a "
                             "group of four, at most 1 \"=\" may follow."},
        OctetTextFailureCase{
            "PaddingAfterOne", "B====", Base64, false, Lenient, ErrorCode::PaddingTooLong, 5,
            "The \"=\" at position 5 is one too many: after 1 character of a group "
            "of four, at most 3 \"=\" may follow."},
        OctetTextFailureCase{"Blank", "KoZI hvcN", Base64, false, Strict,
                             ErrorCode::NotBase64Character, 5,
                             "The character \" \" at position 5 is not a Base64 character."},
        OctetTextFailureCase{"Base64BeyondHundredOctets", std::string(136, 'A'), Base64, false,
                             Strict, ErrorCode::Base64TooManyOctets, 135,
                             "The Base64 text holds more than 100 octets; the character at "
                             "position 135 completes one too many."},
        OctetTextFailureCase{"TextBeyond16BitLength", std::string(32768, 'A'), Base64, false,
                             Strict, ErrorCode::TextTooLong, 0,
                             "The Base64 text is 32768 characters long; at most 32767 can be "
                             "read."},
        OctetTextFailureCase{"LastArcCutOff", "KoZIhvc", Base64, false, Strict, ErrorCode::CutOff,
                             7, "The octets end in the middle of arc 4" + CutOffArc},
        OctetTextFailureCase{"ThirdArcCutOff", "KoaG", Base64, false, Strict, ErrorCode::CutOff, 4,
                             "The octets end in the middle of arc 3" + CutOffArc},
        OctetTextFailureCase{"FirstCutOff", "gA==", Base64, false, Lenient, ErrorCode::CutOff, 2,
                             "The octets end in the middle of the first subidentifier (the first "
                             "two arcs)" +
                                 CutOffArc},
        OctetTextFailureCase{"PaddedSubidentifier", "KgMEBYAB", Base64, false, Strict,
                             ErrorCode::PaddedSubidentifier, 6,
                             "The octet 80 at position 6" + Padding},
        OctetTextFailureCase{"PaddedSecondOctet", "KoCGSA==", Base64, false, Strict,
                             ErrorCode::PaddedSubidentifier, 2,
                             "The octet 80 at position 2" + Padding},
        OctetTextFailureCase{"PaddedHexLowerCase", "2b06a1018001", Hex, false, Strict,
                             ErrorCode::PaddedSubidentifier, 9,
                             "The octet 80 at position 9" + Padding},
        OctetTextFailureCase{"LenientArcAboveLimit", "KpCAgIAA", Base64, false, Lenient,
                             ErrorCode::ArcAboveLimit, 2,
                             "Arc 3, 4294967296 at position 2, is larger than 2147483647."},
        OctetTextFailureCase{"LenientCutOffRunAboveLimit", "YP//////", Base64, false, Lenient,
                             ErrorCode::ArcAboveLimit, 2,
                             "Arc 3, 34359738367 at position 2, is larger than 2147483647."},
        OctetTextFailureCase{"LenientFirstAboveLimit", "iICAgAA=", Base64, false, Lenient,
                             ErrorCode::ArcAboveLimit, 1,
                             "The first subidentifier (the first two arcs), 2147483648 at position "
                             "1, is larger than 2147483647."},
        OctetTextFailureCase{"LenientNoOctets", "A", Base64, false, Lenient, ErrorCode::NoOctets, 0,
                             "There are no octets, so there is no identifier to show."},
        OctetTextFailureCase{"DerHexOfBlanks", "  ", Hex, true, Strict, ErrorCode::NoDerOctets, 2,
                             "There are no octets, so there is no DER encoding to read."},
        OctetTextFailureCase{"DerLenientNoOctets", "A", Base64, true, Lenient,
                             ErrorCode::NoDerOctets, 1,
                             "There are no octets, so there is no DER encoding to read."},
        OctetTextFailureCase{"HexCutOffAfterBlanks", "  2A 86 48 86", Hex, false, Strict,
                             ErrorCode::CutOff, 13,
                             "The octets end in the middle of arc 4" + CutOffArc},
        OctetTextFailureCase{"HexNotADigit", "2A 8G", Hex, false, Strict, ErrorCode::NotHexDigit, 5,
                             "The character \"G\" at position 5 is not a hexadecimal digit."},
        OctetTextFailureCase{
            "HexDigitWithoutPartner", "2A8", Hex, false, Strict, ErrorCode::HexDigitWithoutPartner,
            3,
            "The hexadecimal digit \"8\" at position 3 has no partner: every octet "
            "is a pair of digits."},
        OctetTextFailureCase{
            "HexPairSplitByBlank", "2 A", Hex, false, Strict, ErrorCode::HexDigitWithoutPartner, 1,
            "The hexadecimal digit \"2\" at position 1 has no partner: every octet "
            "is a pair of digits."},
        OctetTextFailureCase{
            "HexPairSplitByTab", "2A 8\t01", Hex, false, Strict, ErrorCode::HexDigitWithoutPartner,
            4,
            "The hexadecimal digit \"8\" at position 4 has no partner: every octet "
            "is a pair of digits."},
        OctetTextFailureCase{
            "HexPairSplitByColon", "2A 8:01", Hex, false, Strict, ErrorCode::HexDigitWithoutPartner,
            4,
            "The hexadecimal digit \"8\" at position 4 has no partner: every octet "
            "is a pair of digits."},
        OctetTextFailureCase{"HexLeadingColon", ":2A", Hex, false, Strict,
                             ErrorCode::MisplacedColon, 1,
                             "The colon at position 1 does not stand between two octets."},
        OctetTextFailureCase{"HexDoubleColon", "2A::86", Hex, false, Strict,
                             ErrorCode::MisplacedColon, 4,
                             "The colon at position 4 does not stand between two octets."},
        OctetTextFailureCase{"HexTrailingColon", "2A: ", Hex, false, Strict,
                             ErrorCode::MisplacedColon, 3,
                             "The colon at position 3 does not stand between two octets."},
        OctetTextFailureCase{"HexBeyondHundredOctets", std::string(202, '0'), Hex, false, Strict,
                             ErrorCode::HexTooManyOctets, 201,
                             "The hexadecimal text holds more than 100 octets; the pair at "
                             "position 201 is one too many."},
        OctetTextFailureCase{"HexBeyond16BitLength", std::string(32768, '0'), Hex, false, Strict,
                             ErrorCode::TextTooLong, 0,
                             "The hexadecimal text is 32768 characters long; at most 32767 can be "
                             "read."},
        OctetTextFailureCase{"DerWrongTag", "30 03 55 04 03", Hex, true, Strict,
                             ErrorCode::NotObjectIdentifierTag, 1,
                             "The tag is 30, but the DER encoding of an object identifier starts "
                             "with the tag 06."},
        OctetTextFailureCase{"DerLengthMismatch", "06 04 55 04 03", Hex, true, Strict,
                             ErrorCode::LengthMismatch, 4,
                             "The length is 4, but 3 octets of contents follow it."},
        OctetTextFailureCase{"DerLongFormLength", "06 81 03 55 04 03", Hex, true, Strict,
                             ErrorCode::LongFormLength, 4,
                             "The length octet 81 opens a long-form length, but DER writes a "
                             "length below 128 in one octet."},
        OctetTextFailureCase{"DerIndefiniteLength", "06 80", Hex, true, Strict,
                             ErrorCode::IndefiniteLength, 4,
                             "The length octet is 80, the indefinite form, which DER does not "
                             "allow."},
        OctetTextFailureCase{"DerTagAlone", "06", Hex, true, Strict, ErrorCode::NoLength, 2,
                             "The octets end after the tag 06, where the length should follow."},
        OctetTextFailureCase{"DerZeroLength", "06 00", Hex, true, Strict, ErrorCode::ZeroLength, 4,
                             "The length is 0, but the contents of an identifier take at least one "
                             "octet."},
        OctetTextFailureCase{"DerPaddedContents", "06 02 80 01", Hex, true, Strict,
                             ErrorCode::PaddedSubidentifier, 7,
                             "The octet 80 at position 7" + Padding},
        OctetTextFailureCase{"DerBeyondHundredOctets", "06 65" + std::string(202, '0'), Hex, true,
                             Strict, ErrorCode::HexTooManyOctets, 206,
                             "The hexadecimal text holds more than 102 octets; the pair at "
                             "position 206 is one too many."}),
    rowName<OctetTextFailureCase>);

// Contents octets read directly: faults placed at the octets.
struct ContentsFailureCase {
  const char* name;
  Octets octets;
  Reading reading;
  ErrorCode code;
  std::size_t offset;
  std::string message;
};

class ContentsFailureTest : public testing::TestWithParam<ContentsFailureCase> {};

TEST_P(ContentsFailureTest, FailsAtTheOctet) {
  const ContentsFailureCase& row = GetParam();
  ObjectIdentifier identifier;
  const auto error = readContents(row.octets, row.reading, identifier);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code, row.code);
  EXPECT_EQ(error->offset, row.offset);
  // Placed as if each octet were a character.
  EXPECT_EQ(describe(*error, {}, ErrorPlace{static_cast<int>(row.offset) + 1, {}}), row.message);
}

INSTANTIATE_TEST_SUITE_P(
    BadContents, ContentsFailureTest,
    testing::Values(
        ContentsFailureCase{"NoOctets",
                            {},
                            Strict,
                            ErrorCode::NoOctets,
                            Error::Nowhere,
                            "There are no octets, so there is no identifier to show."},
        ContentsFailureCase{"LastArcCutOff",
                            {0x2A, 0x86, 0x48, 0x86, 0xF7},
                            Strict,
                            ErrorCode::CutOff,
                            4,
                            "The octets end in the middle of arc 4" + CutOffArc},
        ContentsFailureCase{"PaddingBeforeCutOff",
                            {0x2A, 0x80, 0x86},
                            Strict,
                            ErrorCode::PaddedSubidentifier,
                            1,
                            "The octet 80 at position 2" + Padding},
        ContentsFailureCase{"FirstAboveLimit",
                            {0x88, 0x80, 0x80, 0x80, 0x00},
                            Lenient,
                            ErrorCode::ArcAboveLimit,
                            0,
                            "The first subidentifier (the first two arcs), 2147483648 at position "
                            "1, is larger than 2147483647."},
        ContentsFailureCase{"PaddedArcAboveLimit",
                            {0x2A, 0x80, 0x88, 0x80, 0x80, 0x80, 0x00},
                            Lenient,
                            ErrorCode::ArcAboveLimit,
                            1,
                            "Arc 3, 2147483648 at position 2, is larger than 2147483647."},
        ContentsFailureCase{"HundredAndOneOctets", Octets(101, 0x01), Lenient,
                            ErrorCode::TooManyContentsOctets, 100,
                            "There are 101 octets, but an identifier has at most 100."}),
    rowName<ContentsFailureCase>);

TEST(Contents, LenientReadingDropsPaddingAndKeepsTheLimit) {
  ObjectIdentifier identifier;
  ASSERT_FALSE(readContents(Octets{0x80, 0x2A, 0x80, 0x80, 0x86, 0x48}, Lenient, identifier));
  EXPECT_EQ(dottedOf(identifier), "1.2.840");
  ASSERT_FALSE(readContents(Octets{0x2A, 0x87, 0xFF, 0xFF, 0xFF, 0x7F}, Lenient, identifier));
  EXPECT_EQ(dottedOf(identifier), "1.2.2147483647");
  // No octets, or more than an identifier takes, are refused as a strict
  // reading refuses them; a strict reading keeps its padding rule.
  EXPECT_EQ(readContents(Octets{}, Lenient, identifier)->code, ErrorCode::NoOctets);
  // 101 octets, though without the padding octet they would be 100.
  Octets padded(101, 0x01);
  padded.front() = 0x80;
  EXPECT_EQ(readContents(padded, Lenient, identifier)->code, ErrorCode::TooManyContentsOctets);
  EXPECT_EQ(readContents(Octets{0x80, 0x2A}, Reading::Strict, identifier)->code,
            ErrorCode::PaddedSubidentifier);
  const auto cut = readContents(Octets{0x2A, 0x86}, Lenient, identifier);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->code, ErrorCode::CutOff);
  EXPECT_EQ(cut->offset, 1U);
  // 2 x 128^10, whose low 64 bits are all zero: too large by its length.
  EXPECT_TRUE(
      readContents(Octets{0x2A, 0x82, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x00},
                   Lenient, identifier));
}

struct PaddingCase {
  const char* name;
  Octets octets;
  std::optional<std::size_t> padding;
};

class PaddingTest : public testing::TestWithParam<PaddingCase> {};

TEST_P(PaddingTest, FindsTheFirstPaddingOctet) {
  EXPECT_EQ(paddingOctetIn(GetParam().octets), GetParam().padding);
}

INSTANTIATE_TEST_SUITE_P(
    Subidentifiers, PaddingTest,
    testing::Values(PaddingCase{"None", {0x2A, 0x86, 0x48}, std::nullopt},
                    PaddingCase{"Empty", {}, std::nullopt}, PaddingCase{"First", {0x80, 0x01}, 0},
                    PaddingCase{"InsideASubidentifier", {0x2A, 0x86, 0x80, 0x01}, std::nullopt},
                    PaddingCase{"AfterAClosedOne", {0x2A, 0x86, 0x01, 0x80, 0x80, 0x01}, 3}),
    rowName<PaddingCase>);

// The other reading an item has, and the warning that says what it gives.
struct OtherReadingCase {
  const char* name;
  std::string base64;
  Octets contents;
  Reading reading;
  std::optional<std::string> warning;
};

class OtherReadingTest : public testing::TestWithParam<OtherReadingCase> {};

TEST_P(OtherReadingTest, SaysWhatTheOtherReadingGives) {
  const OtherReadingCase& row = GetParam();
  EXPECT_EQ(row.base64.empty() ? wholeEncodingReading(row.contents, row.reading)
                               : hexadecimalReading(row.base64),
            row.warning);
}

INSTANTIATE_TEST_SUITE_P(
    Items, OtherReadingTest,
    testing::Values(
        OtherReadingCase{"HexadecimalToo",
                         "0603",
                         {},
                         Strict,
                         "the text is hexadecimal octets too; it is read as Base64, and --hex "
                         "would read \"0.6.3\"."},
        OtherReadingCase{"UpperAndLowerCaseDigits",
                         "2a86482A",
                         {},
                         Strict,
                         "the text is hexadecimal octets too; it is read as Base64, and --hex "
                         "would read \"1.2.840.42\"."},
        OtherReadingCase{"OddCountOfDigits", "06030", {}, Strict, std::nullopt},
        OtherReadingCase{"NotADigit", "06g3", {}, Strict, std::nullopt},
        OtherReadingCase{"DigitsButNoIdentifier", "0680", {}, Strict, std::nullopt},
        OtherReadingCase{"WholeEncoding",
                         "",
                         {0x06, 0x01, 0x2A},
                         Strict,
                         "these octets look like a whole DER encoding (tag 06, length 1); they "
                         "are read as contents, and --der would read \"1.2\"."},
        OtherReadingCase{"ShorterThanAnyEncoding", "", {0x06, 0x00}, Strict, std::nullopt},
        OtherReadingCase{"LengthThatDoesNotFit", "", {0x06, 0x02, 0x2A}, Strict, std::nullopt},
        OtherReadingCase{"PaddingReadStrictly", "", {0x06, 0x02, 0x80, 0x2A}, Strict, std::nullopt},
        OtherReadingCase{"PaddingReadLeniently",
                         "",
                         {0x06, 0x02, 0x80, 0x2A},
                         Lenient,
                         "these octets look like a whole DER encoding (tag 06, length 2); they "
                         "are read as contents, and --der would read \"1.2\"."}),
    rowName<OtherReadingCase>);

TEST(OtherReading, SaysWhatAStrictReadingGives) {
  ObjectIdentifier lenient;
  ObjectIdentifier strict;
  ASSERT_FALSE(readDotted("1.2.3", lenient));
  ASSERT_FALSE(readDotted("1.2.384", strict));
  EXPECT_EQ(strictReading(lenient, strict),
            "--lenient reads this as \"1.2.3\", but read strictly it is \"1.2.384\".");
}

}  // namespace
}  // namespace pellamar
