#include "objid_items.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "test_support.hpp"

namespace pellamar {
namespace {

using Octets = std::vector<std::uint8_t>;

// A text that stands at column 11 of its line: every position is 10 more
// than its index would give.
class ShiftedForm final : public TextForm {
 public:
  static constexpr int Shift = 10;
  int positionOf(std::string_view /*text*/, std::size_t index) const override {
    return static_cast<int>(index) + 1 + Shift;
  }
  std::string nameAt(std::string_view text, std::size_t index) const override {
    return "the character \"" + std::string(1, text[index]) + "\"";
  }
};

// Octets read from a text of their own hexadecimal pairs: octet k is at
// positions 2k + 1 and 2k + 2.
class PairPlaces final : public OctetPlaces {
 public:
  int firstPositionOf(int index) const override { return 2 * index + 1; }
  int lastPositionOf(int index) const override { return 2 * index + 2; }
};

const Latin1Form latin1;

Octets octetsOf(const ObjIDBuffer& buffer, int count) {
  const auto octets = buffer.first(count);
  return {octets.begin(), octets.end()};
}

ObjIDBuffer bufferHolding(const Octets& octets) {
  ObjIDBuffer buffer;
  for (std::size_t index = 0; index < octets.size(); ++index) {
    buffer[static_cast<int>(index)] = octets[index];
  }
  return buffer;
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
std::string identifierOfOctets(int count) {
  std::string text = "1.2";
  for (int arc = 1; arc < count; ++arc) {
    text += ".1";
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
// they drive the strict forward, the reverse and the round trip alike.
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
    {"HundredOctetsInOneArc", "2." + LargestArcUnder2, octets({}, 0xFF, 99, {0x7F})},
    {"NinetyNineOctets", identifierOfOctets(99), octets({0x2A}, 0x01, 98, {})},
    {"HundredOctets", identifierOfOctets(100), octets({0x2A}, 0x01, 99, {})},
    {"ZeroArc", "1.0", {0x28}},
};

class AnySizeTest : public testing::TestWithParam<AnySizeVector> {};

TEST_P(AnySizeTest, StrictTextToContents) {
  ObjIDBuffer contents;
  const std::int16_t count = ObjIDStrictStringToContents(GetParam().text, contents, latin1);
  EXPECT_EQ(octetsOf(contents, count), GetParam().octets);
}

TEST_P(AnySizeTest, ContentsToText) {
  const Octets& octets = GetParam().octets;
  std::string text = "kept ";
  ObjIDContentsToString(bufferHolding(octets), static_cast<std::int16_t>(octets.size()),
                        PairPlaces{}, text);
  EXPECT_EQ(text, "kept " + GetParam().text);
}

TEST_P(AnySizeTest, RoundTripThroughBase64) {
  ObjIDBuffer contents;
  const std::int16_t count = ObjIDStrictStringToContents(GetParam().text, contents, latin1);
  std::array<char, 200> base64{};
  const char* end = ObjIDOctetsToBase64(contents.first(count), base64.data());
  std::array<std::uint8_t, 100> decoded{};
  const int decodedCount = ObjIDBase64ToOctets(std::string_view(base64.data(), end), decoded,
                                               latin1, Base64Reading::Strict);
  std::string text;
  ObjIDContentsToString(bufferHolding(Octets(decoded.begin(), decoded.begin() + decodedCount)),
                        static_cast<std::int16_t>(decodedCount), PairPlaces{}, text);
  EXPECT_EQ(text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, AnySizeTest, testing::ValuesIn(anySizeVectors),
                         rowName<AnySizeVector>);

struct FailureCase {
  const char* name;
  std::string input;
  ErrorKind kind;
  int position;
  std::string message;
};

void expectFailure(const FailureCase& row, const auto& convert) {
  const auto error = failureOf([&] { convert(row.input); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), row.kind) << error->what();
  EXPECT_EQ(error->position(), row.position) << error->what();
  EXPECT_EQ(error->what(), row.message);
}

class StrictTextFailureTest : public testing::TestWithParam<FailureCase> {};

// Positions go through the text's form: the row's text stands at column 11.
TEST_P(StrictTextFailureTest, RaisesKindAtColumn) {
  expectFailure(GetParam(), [](const std::string& text) {
    ObjIDBuffer contents;
    ObjIDStrictStringToContents(text, contents, ShiftedForm{});
  });
}

INSTANTIATE_TEST_SUITE_P(
    BadIdentifiers, StrictTextFailureTest,
    testing::Values(
        FailureCase{"OctetBeyond100", identifierOfOctets(101), ErrorKind::IndexOutOfRange, 213,
                    "The identifier needs more than 100 octets: arc 102 (1 at position 213) no "
                    "longer fits."},
        FailureCase{"OnePastLargestArc", "2." + std::string(LargestArcUnder2, 0, 210) + "6",
                    ErrorKind::IndexOutOfRange, 13,
                    "The identifier needs more than 100 octets: arc 2 (526013590154837350724098... "
                    "at position 13) no longer fits."},
        FailureCase{"ArcOf212Digits", "1.2.1" + std::string(211, '0'), ErrorKind::IndexOutOfRange,
                    15,
                    "The identifier needs more than 100 octets: arc 3 (100000000000000000000000... "
                    "at position 15) no longer fits."},
        FailureCase{"LeadingZero", "1.00", ErrorKind::InvalidArgument, 13,
                    "The arc at position 13 starts with a zero; arcs are written without leading "
                    "zeros."},
        FailureCase{"HugeFirstArc", std::string(30, '9') + ".1", ErrorKind::InvalidArgument, 11,
                    "The first arc is 999999999999999999999999... (at position 11), but it must be "
                    "0, 1 or 2."},
        FailureCase{"SecondArcOf40Under1", "1.40", ErrorKind::InvalidArgument, 13,
                    "Under the arc 1 the second arc must be at most 39, but it is 40 (at position "
                    "13)."},
        FailureCase{"HugeSecondArcUnder0", "0.1" + std::string(30, '0'), ErrorKind::InvalidArgument,
                    13,
                    "Under the arc 0 the second arc must be at most 39, but it is "
                    "100000000000000000000000... (at position 13)."},
        FailureCase{"PrefixAlone", "urn:oid:", ErrorKind::InvalidArgument, 18,
                    "The identifier has no arcs after its prefix."},
        FailureCase{"FullStopAlone", ".", ErrorKind::InvalidArgument, 11,
                    "The identifier has no arcs after its prefix."},
        FailureCase{"EndsWithFullStop", "1.2.", ErrorKind::InvalidArgument, 14,
                    "The identifier ends with a full stop at position 14, where another arc should "
                    "follow."},
        FailureCase{"TwoFullStops", "1..2", ErrorKind::InvalidArgument, 13,
                    "The full stop at position 13 does not follow an arc: arcs are separated by "
                    "single full stops."},
        FailureCase{"Blank", "1.2 .3", ErrorKind::InvalidArgument, 14,
                    "The character \" \" at position 14 cannot stand in an identifier, which has "
                    "only digits and full stops."},
        FailureCase{"OneArc", "2", ErrorKind::InvalidArgument, 11,
                    "The identifier has only one arc at position 11; it needs at least two."}),
    rowName<FailureCase>);

// A view that is part of a longer text is read to its end and no further.
TEST(StrictText, ReadsTheViewAlone) {
  const std::string longer = "1.23";
  ObjIDBuffer contents;
  const std::int16_t count =
      ObjIDStrictStringToContents(std::string_view(longer).substr(0, 3), contents, latin1);
  EXPECT_EQ(octetsOf(contents, count), Octets{0x2A});
  const std::string pairs = "2A 8F";
  std::array<std::uint8_t, 100> octets{};
  const auto error =
      failureOf([&] { ObjIDHexToOctets(std::string_view(pairs).substr(0, 4), octets, latin1); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->position(), 4);
}

// Base64 read strictly refuses what RFC 4648 encoders never write; read
// leniently, the same texts give what the window gives them.
struct Base64Case {
  const char* name;
  std::string text;
  Octets lenient;
  int position;
  std::string strictMessage;
};

class StrictBase64Test : public testing::TestWithParam<Base64Case> {};

TEST_P(StrictBase64Test, StrictRefusesAndLenientReads) {
  std::array<std::uint8_t, 100> octets{};
  const auto error = failureOf(
      [&] { ObjIDBase64ToOctets(GetParam().text, octets, ShiftedForm{}, Base64Reading::Strict); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), ErrorKind::InvalidArgument);
  EXPECT_EQ(error->position(), GetParam().position);
  EXPECT_EQ(error->what(), GetParam().strictMessage);
  const int count = ObjIDBase64ToOctets(GetParam().text, octets, latin1, Base64Reading::Lenient);
  EXPECT_EQ(Octets(octets.begin(), octets.begin() + count), GetParam().lenient);
}

INSTANTIATE_TEST_SUITE_P(
    NotWrittenByEncoders, StrictBase64Test,
    testing::Values(
        Base64Case{"ThirteenCharacters", "KoZIhvcNAQEBC",
                   Octets{0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D, 0x01, 0x01, 0x01}, 23,
                   "The text cannot be Base64: the character \"C\" at position 23 stands alone in "
                   "its group of four, which holds no octet, so one character is too many or one "
                   "is missing."},
        Base64Case{"LoneCharacterBeforePadding",
                   "KoZIhvcNA=", Octets{0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D}, 19,
                   "The text cannot be Base64: the character \"A\" at position 19 stands alone in "
                   "its group of four, which holds no octet, so one character is too many or one "
                   "is missing."},
        Base64Case{"OneCharacter", "B", Octets{}, 11,
                   "The text cannot be Base64: the character \"B\" at position 11 stands alone in "
                   "its group of four, which holds no octet, so one character is too many or one "
                   "is missing."},
        Base64Case{"SpareBitsOfOneOctet", "BR==", Octets{0x05}, 12,
                   "The last character \"R\" at position 12 carries bits beyond the last octet; "
                   "the text would be \"BQ==\"."},
        Base64Case{"SpareBitsOfTwoOctets", "BQZ=", Octets{0x05, 0x06}, 13,
                   "The last character \"Z\" at position 13 carries bits beyond the last octet; "
                   "the text would be \"BQY=\"."},
        Base64Case{"SpareBitsUnpadded", "Qe", Octets{0x41}, 12,
                   "The last character \"e\" at position 12 carries bits beyond the last octet; "
                   "the text would be \"QQ\"."}),
    rowName<Base64Case>);

// Contents octets to dotted text: what can fail, placed at the octets.
struct ContentsFailureCase {
  const char* name;
  Octets octets;
  std::uint64_t largestArc;
  ErrorKind kind;
  int position;
  std::string message;
};

class ContentsFailureTest : public testing::TestWithParam<ContentsFailureCase> {};

TEST_P(ContentsFailureTest, RaisesKindAtOctet) {
  const ContentsFailureCase& row = GetParam();
  std::string text;
  const auto error = failureOf([&] {
    ObjIDContentsToString(bufferHolding(row.octets), static_cast<std::int16_t>(row.octets.size()),
                          PairPlaces{}, text, row.largestArc);
  });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), row.kind) << error->what();
  EXPECT_EQ(error->position(), row.position) << error->what();
  EXPECT_EQ(error->what(), row.message);
  EXPECT_EQ(text, "");
}

INSTANTIATE_TEST_SUITE_P(
    BadContents, ContentsFailureTest,
    testing::Values(
        ContentsFailureCase{"NoOctets",
                            {},
                            0,
                            ErrorKind::InvalidArgument,
                            0,
                            "There are no octets, so there is no identifier to show."},
        ContentsFailureCase{"LastArcCutOff",
                            {0x2A, 0x86, 0x48, 0x86, 0xF7},
                            0,
                            ErrorKind::InvalidArgument,
                            10,
                            "The octets end in the middle of arc 4: its last octet still has the "
                            "top bit set, so the text looks cut off."},
        ContentsFailureCase{"FirstCutOff",
                            {0x80},
                            0,
                            ErrorKind::InvalidArgument,
                            2,
                            "The octets end in the middle of the first subidentifier (the first "
                            "two arcs): its last octet still has the top bit set, so the text "
                            "looks cut off."},
        ContentsFailureCase{"ArcAboveLimit",
                            {0x2A, 0x88, 0x80, 0x80, 0x80, 0x00},
                            2147483647,
                            ErrorKind::Overflow,
                            3,
                            "Arc 3, 2147483648 at position 3, is larger than 2147483647."},
        ContentsFailureCase{"CutOffRunAboveLimit",
                            {0x60, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
                            2147483647,
                            ErrorKind::Overflow,
                            3,
                            "Arc 3, 34359738367 at position 3, is larger than 2147483647."},
        ContentsFailureCase{"FirstAboveLimit",
                            {0x88, 0x80, 0x80, 0x80, 0x00},
                            2147483647,
                            ErrorKind::Overflow,
                            1,
                            "The first subidentifier (the first two arcs), 2147483648 at position "
                            "1, is larger than 2147483647."},
        ContentsFailureCase{"HundredAndOneOctets", Octets(101, 0x01), 0, ErrorKind::IndexOutOfRange,
                            202, "There are 101 octets, but an identifier has at most 100."}),
    rowName<ContentsFailureCase>);

TEST(ContentsToString, ReadsPaddingOctetsByTheirValueAndKeepsToTheLimit) {
  std::string text;
  ObjIDContentsToString(bufferHolding({0x80, 0x2A, 0x80, 0x80, 0x86, 0x48}), 6, PairPlaces{}, text,
                        2147483647);
  EXPECT_EQ(text, "1.2.840");
  text.clear();
  ObjIDContentsToString(bufferHolding({0x2A, 0x87, 0xFF, 0xFF, 0xFF, 0x7F}), 6, PairPlaces{}, text,
                        2147483647);
  EXPECT_EQ(text, "1.2.2147483647");
}

struct UuidCase {
  const char* name;
  std::string uuid;
  std::string identifier;  // empty: not a UUID
};

class UuidTest : public testing::TestWithParam<UuidCase> {};

TEST_P(UuidTest, GivesTheIdentifierUnder2_25) {
  const auto identifier = ObjIDUuidToString(GetParam().uuid);
  if (GetParam().identifier.empty()) {
    EXPECT_FALSE(identifier.has_value()) << *identifier;
    return;
  }
  ASSERT_TRUE(identifier.has_value());
  EXPECT_EQ(*identifier, GetParam().identifier);
  ObjIDBuffer contents;
  const std::int16_t count = ObjIDStrictStringToContents(*identifier, contents, latin1);
  const auto back = ObjIDContentsToUuid(contents, count);
  ASSERT_TRUE(back.has_value());
  std::string lower = GetParam().uuid.substr(GetParam().uuid.size() - 36);
  for (char& c : lower) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  EXPECT_EQ(*back, lower);
}

INSTANTIATE_TEST_SUITE_P(
    Uuids, UuidTest,
    testing::Values(UuidCase{"X667Example", "urn:uuid:f81d4fae-7dec-11d0-a765-00a0c91e6bf6",
                             "2.25.329800735698586629295641978511506172918"},
                    UuidCase{"BareUpperCase", "F81D4FAE-7DEC-11D0-A765-00A0C91E6BF6",
                             "2.25.329800735698586629295641978511506172918"},
                    UuidCase{"PrefixInUpperCase", "URN:UUID:f81d4fae-7dec-11d0-a765-00a0c91e6bf6",
                             "2.25.329800735698586629295641978511506172918"},
                    UuidCase{"Nil", "00000000-0000-0000-0000-000000000000", "2.25.0"},
                    UuidCase{"Largest", "ffffffff-ffff-ffff-ffff-ffffffffffff",
                             "2.25.340282366920938463463374607431768211455"},
                    UuidCase{"HyphenMissing", "f81d4fae7dec-11d0-a765-00a0c91e6bf6a", ""},
                    UuidCase{"HyphenMoved", "f81d4fa-e7dec-11d0-a765-00a0c91e6bf6", ""},
                    UuidCase{"NotHexadecimal", "f81d4fae-7dec-11d0-a765-00a0c91e6bg6", ""},
                    UuidCase{"OneDigitShort", "f81d4fae-7dec-11d0-a765-00a0c91e6bf", ""},
                    UuidCase{"OtherUrn", "urn:oid:f81d4fae-7dec-11d0-a765-00a0c91e6bf6", ""}),
    rowName<UuidCase>);

// Only an arc 3 under 2.25 that fits 128 bits and is complete has a UUID.
TEST(ContentsToUuid, OnlyUnder2_25AndWithin128Bits) {
  const Octets largest = octets({0x69, 0x83}, 0xFF, 17, {0x7F});
  const auto under = [&](Octets octets) {
    return ObjIDContentsToUuid(bufferHolding(octets), static_cast<std::int16_t>(octets.size()));
  };
  Octets child = largest;
  child.push_back(0x01);
  EXPECT_EQ(under(child), "ffffffff-ffff-ffff-ffff-ffffffffffff");
  EXPECT_EQ(under({0x69, 0x80, 0x05}), "00000000-0000-0000-0000-000000000005");
  EXPECT_FALSE(under(octets({0x69, 0x84}, 0x80, 17, {0x00})));
  EXPECT_FALSE(under({0x6A, 0x05}));
  EXPECT_FALSE(under({0x69}));
  EXPECT_FALSE(under({0x69, 0x83}));
}

}  // namespace
}  // namespace pellamar
