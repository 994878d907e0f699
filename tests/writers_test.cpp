// Every writer of the library, as a table of named rows, and what each
// does with a span too small for it.
#include "pellamar/writers.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "pellamar/json.hpp"
#include "test_support.hpp"

namespace pellamar {
namespace {

using Octets = std::vector<std::uint8_t>;

ObjectIdentifier identifierOf(const Octets& octets) {
  ObjectIdentifier identifier;
  EXPECT_FALSE(ObjectIdentifier::fromContents(octets, identifier));
  return identifier;
}

const Octets Rsadsi = {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D};
const Octets X667Uuid = {0x69, 0x83, 0xF0, 0x9D, 0xA7, 0xEB, 0xCF, 0xDE, 0xE0, 0xC7,
                         0xA1, 0xA7, 0xB2, 0xC0, 0x94, 0x8C, 0xC8, 0xF9, 0xD7, 0x76};

struct WriterCase {
  const char* name;
  Octets octets;
  Form form;
  std::string text;
};

class WriterTest : public testing::TestWithParam<WriterCase> {};

TEST_P(WriterTest, AppendsTheForm) {
  std::string text = "kept ";
  append(identifierOf(GetParam().octets), GetParam().form, text);
  EXPECT_EQ(text, "kept " + GetParam().text);
}

// A span of exactly the length takes the form; one character less takes
// nothing, and nothing is written into it.
TEST_P(WriterTest, WritesIntoASpanNeverPastItsEnd) {
  const ObjectIdentifier identifier = identifierOf(GetParam().octets);
  const std::size_t length = GetParam().text.size();
  std::string room(length + 1, '#');
  EXPECT_EQ(write(identifier, GetParam().form, {room.data(), length}), length);
  EXPECT_EQ(room, GetParam().text + "#");
  std::string tooSmall(length, '#');
  EXPECT_EQ(write(identifier, GetParam().form, {tooSmall.data(), length - 1}), 0U);
  EXPECT_EQ(tooSmall, std::string(length, '#'));
  EXPECT_LE(length, maxLength(GetParam().form));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, WriterTest,
    testing::Values(
        WriterCase{"Dotted", Rsadsi, Form::Dotted, "1.2.840.113549"},
        WriterCase{"Hex", Rsadsi, Form::Hex, "2A 86 48 86 F7 0D"},
        WriterCase{"Base64", Rsadsi, Form::Base64, "KoZIhvcN"},
        WriterCase{"Base64OfOneOctet", {0x55}, Form::Base64, "VQ=="},
        WriterCase{"Base64OfTwoOctets", {0x2B, 0x06}, Form::Base64, "KwY="},
        WriterCase{"DerHex", Rsadsi, Form::DerHex, "06 06 2A 86 48 86 F7 0D"},
        WriterCase{"DerBase64", Rsadsi, Form::DerBase64, "BgYqhkiG9w0="},
        WriterCase{"DerBase64OfOneOctet", {0x55}, Form::DerBase64, "BgFV"},
        WriterCase{"ValueNotation", Rsadsi, Form::ValueNotation, "{ 1 2 840 113549 }"},
        WriterCase{"CArray", Rsadsi, Form::CArray, "0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D"},
        WriterCase{"CArrayOfOneOctet", {0x55}, Form::CArray, "0x55"},
        WriterCase{"Uuid", X667Uuid, Form::Uuid, "f81d4fae-7dec-11d0-a765-00a0c91e6bf6"},
        WriterCase{"NilUuid", {0x69, 0x00}, Form::Uuid, "00000000-0000-0000-0000-000000000000"},
        WriterCase{"DottedOfLargeFirstSubidentifier",
                   {0x90, 0x80, 0x80, 0x80, 0x00},
                   Form::Dotted,
                   "2.4294967216"},
        WriterCase{"DottedOfRoot2Child40", {0x78}, Form::Dotted, "2.40"},
        WriterCase{"ValueNotationOfHundredOctets", Octets(100, 0x7F), Form::ValueNotation,
                   "{ 2 47" +
                       [] {
                         std::string arcs;
                         for (int arc = 0; arc < 99; ++arc) {
                           arcs += " 127";
                         }
                         return arcs;
                       }() +
                       " }"}),
    rowName<WriterCase>);

// Several forms in one line of fields: the DER's hexadecimal from the
// contents', a UUID's field empty for an identifier without one, and a span
// one character short of the line taking nothing.
struct LineCase {
  const char* name;
  Octets octets;
  std::vector<Form> forms;
  std::string line;
};

class LineTest : public testing::TestWithParam<LineCase> {};

TEST_P(LineTest, WritesTheFieldsAndNeverPastTheEnd) {
  const ObjectIdentifier identifier = identifierOf(GetParam().octets);
  const std::string& line = GetParam().line;
  std::string room(line.size() + 1, '#');
  ASSERT_EQ(write(identifier, GetParam().forms, '\t', room), line.size());
  EXPECT_EQ(room.substr(0, line.size()), line);
  std::string tooSmall(line.size() - 1, '#');
  EXPECT_EQ(write(identifier, GetParam().forms, '\t', tooSmall), 0U);
  EXPECT_EQ(tooSmall, std::string(line.size() - 1, '#'));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, LineTest,
    testing::Values(LineCase{"ContentsThenDer",
                             Rsadsi,
                             {Form::Hex, Form::Base64, Form::DerHex, Form::DerBase64},
                             "2A 86 48 86 F7 0D\tKoZIhvcN\t06 06 2A 86 48 86 F7 0D\tBgYqhkiG9w0="},
                    LineCase{"DerWithoutContents",
                             Rsadsi,
                             {Form::DerHex, Form::Dotted},
                             "06 06 2A 86 48 86 F7 0D\t1.2.840.113549"},
                    LineCase{"NoUuid",
                             Rsadsi,
                             {Form::Dotted, Form::Uuid, Form::CArray},
                             "1.2.840.113549\t\t0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D"},
                    LineCase{"Uuid",
                             {0x69, 0x00},
                             {Form::Uuid, Form::ValueNotation},
                             "00000000-0000-0000-0000-000000000000\t{ 2 25 0 }"}),
    rowName<LineCase>);

struct UuidCase {
  const char* name;
  Octets octets;
  bool hasUuid;
};

class HasUuidTest : public testing::TestWithParam<UuidCase> {};

TEST_P(HasUuidTest, OnlyTheArcsUnder2_25) {
  const ObjectIdentifier identifier = identifierOf(GetParam().octets);
  EXPECT_EQ(hasUuid(identifier), GetParam().hasUuid);
  std::string text;
  append(identifier, Form::Uuid, text);
  EXPECT_EQ(text.size(), GetParam().hasUuid ? 36U : 0U);
}

INSTANTIATE_TEST_SUITE_P(Identifiers, HasUuidTest,
                         testing::Values(UuidCase{"Nil", {0x69, 0x00}, true},
                                         UuidCase{"X667", X667Uuid, true},
                                         UuidCase{"Largest",
                                                  [] {
                                                    Octets octets = {0x69, 0x83};
                                                    octets.insert(octets.end(), 17, 0xFF);
                                                    octets.push_back(0x7F);
                                                    return octets;
                                                  }(),
                                                  true},
                                         UuidCase{"TwoTo128",
                                                  [] {
                                                    Octets octets = {0x69, 0x84};
                                                    octets.insert(octets.end(), 17, 0x80);
                                                    octets.push_back(0x00);
                                                    return octets;
                                                  }(),
                                                  false},
                                         UuidCase{"ArcBelowUuid", {0x69, 0x05, 0x07}, false},
                                         UuidCase{"UuidRootAlone", {0x69}, false},
                                         UuidCase{"OtherRoot", {0x6A, 0x05}, false}),
                         rowName<UuidCase>);

// Text from outside as a JSON string: always valid UTF-8 JSON, each octet
// that is no part of a well-formed character replaced on its own.
struct JsonCase {
  const char* name;
  std::string text;
  std::string json;
};

class JsonStringTest : public testing::TestWithParam<JsonCase> {};

TEST_P(JsonStringTest, IsValidUtf8Json) {
  std::string written = "x";
  appendJsonString(written, GetParam().text);
  EXPECT_EQ(written, "x" + GetParam().json);
  EXPECT_LE(written.size() - 1, jsonStringBound(GetParam().text.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, JsonStringTest,
    testing::Values(JsonCase{"Empty", "", "\"\""},
                    JsonCase{"QuoteAndBackslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
                    JsonCase{"Controls", std::string("\0\x1B\x1F\x7F ~", 6),
                             "\"\\u0000\\u001b\\u001f\\u007f ~\""},
                    JsonCase{"Utf8KeptAsItIs", "M\xC3\xBCller \xE2\x80\xAE \xF0\x9F\x98\x80",
                             "\"M\xC3\xBCller \xE2\x80\xAE \xF0\x9F\x98\x80\""},
                    JsonCase{"ByteThatIsNoUtf8", "bad\xFFname", "\"bad\\ufffdname\""},
                    JsonCase{"OverlongForm", "\xC0\x80", "\"\\ufffd\\ufffd\""},
                    JsonCase{"OverlongOfThreeOctets", "\xE0\x9F\xBF", "\"\\ufffd\\ufffd\\ufffd\""},
                    JsonCase{"SecondOctetBelowItsRange", "\xC3\x7F", "\"\\ufffd\\u007f\""},
                    JsonCase{"Surrogate", "\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
                    JsonCase{"LastCodePoint", "\xF4\x8F\xBF\xBF", "\"\xF4\x8F\xBF\xBF\""},
                    JsonCase{"PastTheLastCodePoint", "\xF4\x90\x80\x80",
                             "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},
                    JsonCase{"CutShortAtTheEnd", "a\xE2\x82", "\"a\\ufffd\\ufffd\""},
                    JsonCase{"LowestOfThreeOctets", "\xE0\xA0\x80", "\"\xE0\xA0\x80\""},
                    JsonCase{"AllControlsAtTheBound", std::string(4, '\x01'),
                             "\"\\u0001\\u0001\\u0001\\u0001\""}),
    rowName<JsonCase>);

}  // namespace
}  // namespace pellamar
