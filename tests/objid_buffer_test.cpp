#include "objid_buffer.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "test_support.hpp"

namespace pellamar {
namespace {

TEST(ObjIDBuffer, IsZeroFilledAndChecksEveryIndex) {
  ObjIDBuffer buffer;
  for (int index = 0; index < ObjIDBuffer::Size; ++index) {
    EXPECT_EQ(buffer[index], 0) << "index " << index;
  }
  buffer[100] = 0xAB;
  EXPECT_EQ(std::as_const(buffer)[100], 0xAB);
  for (const int index : {-1, 101, 1000}) {
    const auto error = failureOf([&] { buffer[index] = 1; });
    ASSERT_TRUE(error) << "index " << index << " was accepted";
    EXPECT_EQ(error->kind(), ErrorKind::IndexOutOfRange);
    EXPECT_NE(std::string(error->what()).find(std::to_string(index)), std::string::npos);
  }
}

struct VisibleCase {
  const char* name;
  std::int16_t value;
  char character;
};

class ConvertToVisibleTest : public testing::TestWithParam<VisibleCase> {};

TEST_P(ConvertToVisibleTest, MapsValueToAlphabetCharacter) {
  EXPECT_EQ(ConvertToVisible(GetParam().value), static_cast<std::uint8_t>(GetParam().character));
}

INSTANTIATE_TEST_SUITE_P(
    Alphabet, ConvertToVisibleTest,
    testing::Values(VisibleCase{"First", 0, 'A'}, VisibleCase{"LowerCaseStart", 26, 'a'},
                    VisibleCase{"Digit", 52, '0'}, VisibleCase{"Plus", 62, '+'},
                    VisibleCase{"Slash", 63, '/'}, VisibleCase{"Padding", 64, '='}),
    rowName<VisibleCase>);

TEST(ConvertToBinary, InvertsConvertToVisibleOverTheWholeAlphabet) {
  for (std::int16_t value = 0; value <= 64; ++value) {
    EXPECT_EQ(ConvertToBinary(ConvertToVisible(value)), value);
  }
  EXPECT_EQ(ConvertToBinary('a'), 26);
  EXPECT_EQ(ConvertToBinary('9'), 61);
}

struct MappingFailure {
  const char* name;
  bool toVisible;
  std::int16_t argument;
  ErrorKind kind;
};

class MappingFailureTest : public testing::TestWithParam<MappingFailure> {};

TEST_P(MappingFailureTest, RaisesTheKindForTheWidthRule) {
  const MappingFailure& row = GetParam();
  const auto error = failureOf(
      [&] { row.toVisible ? ConvertToVisible(row.argument) : ConvertToBinary(row.argument); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), row.kind);
  EXPECT_FALSE(std::string(error->what()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Mappings, MappingFailureTest,
    testing::Values(MappingFailure{"VisibleBeyondPadding", true, 65, ErrorKind::InvalidArgument},
                    MappingFailure{"VisibleNegative", true, -1, ErrorKind::InvalidArgument},
                    MappingFailure{"VisibleSuccessorOverflows", true, 32767, ErrorKind::Overflow},
                    MappingFailure{"BinaryBlank", false, ' ', ErrorKind::Overflow},
                    MappingFailure{"BinaryUrlSafeMinus", false, '-', ErrorKind::Overflow},
                    MappingFailure{"BinaryUrlSafeUnderscore", false, '_', ErrorKind::Overflow},
                    MappingFailure{"BinaryLatin1Letter", false, 0xE9, ErrorKind::Overflow},
                    MappingFailure{"BinaryFirstCode", false, 0, ErrorKind::Overflow},
                    MappingFailure{"BinaryLastCode", false, 255, ErrorKind::Overflow},
                    MappingFailure{"BinaryNotAnOctet", false, 256, ErrorKind::InvalidArgument},
                    MappingFailure{"BinaryNegative", false, -1, ErrorKind::InvalidArgument}),
    rowName<MappingFailure>);

TEST(ConvertToBinary, NamesTheCharacterInItsMessage) {
  const auto error = failureOf([] { ConvertToBinary(0xE9); });
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(), "The character \"\xC3\xA9\" is not a Base64 character.");
}

}  // namespace
}  // namespace pellamar
