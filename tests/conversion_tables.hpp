// The conversion tables of the window's conversions: inputs with what they
// give, shared by the conversion tests and by the web page's test, which
// holds the page to the same results.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "objid_buffer.hpp"

namespace pellamar {

using Octets = std::vector<std::uint8_t>;

// Canonical identifiers with the contents octets of their BER encoding and
// the Base64 text of those octets; they drive the forward, reverse and round
// trip tests alike.
struct Vector {
  const char* name;
  std::string text;
  Octets octets;
  std::string base64;
};

inline std::string repeated(const std::string& text, int times) {
  std::string result;
  for (int time = 0; time < times; ++time) {
    result += text;
  }
  return result;
}

inline const std::vector<Vector> vectors = {
    {"UsOrganization", "2.16.840.1", {0x60, 0x86, 0x48, 0x01}, "YIZIAQ=="},
    {"RsaDataSecurity", "1.2.840.113549", {0x2A, 0x86, 0x48, 0x86, 0xF7, 0x0D}, "KoZIhvcN"},
    {"PilotUserId",
     "0.9.2342.19200300.100.1.1",
     {0x09, 0x92, 0x26, 0x89, 0x93, 0xF2, 0x2C, 0x64, 0x01, 0x01},
     "CZImiZPyLGQBAQ=="},
    {"Hl7Root",
     "2.16.840.1.113883.3.0",
     {0x60, 0x86, 0x48, 0x01, 0x86, 0xF9, 0x5B, 0x03, 0x00},
     "YIZIAYb5WwMA"},
    {"PrivateEnterprises", "1.3.6.1.4.1", {0x2B, 0x06, 0x01, 0x04, 0x01}, "KwYBBAE="},
    {"MicrosoftCertSrv",
     "1.3.6.1.4.1.311.21.20",
     {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37, 0x15, 0x14},
     "KwYBBAGCNxUU"},
    {"LargestLaterArc", "1.2.2147483647", {0x2A, 0x87, 0xFF, 0xFF, 0xFF, 0x7F}, "Kof///9/"},
    {"ZeroZero", "0.0", {0x00}, "AA=="},
    {"LastChildOfRoot0", "0.39", {0x27}, "Jw=="},
    {"LastChildOfRoot1", "1.39", {0x4F}, "Tw=="},
    {"Root2Child40", "2.40", {0x78}, "eA=="},
    {"Root2LargeChild", "2.999.1", {0x88, 0x37, 0x01}, "iDcB"},
    {"LargestFirstSubidentifier", "2.2147483567", {0x87, 0xFF, 0xFF, 0xFF, 0x7F}, "h////38="},
    // The longest dotted text the reverse conversion writes: 400 characters.
    {"HundredOctetsOf127", "2.47" + repeated(".127", 99), Octets(100, 0x7F),
     repeated("f39/", 33) + "fw=="},
};

// Texts that are not canonical, or not identifiers of two or more arcs, with
// the octets the forward conversion gives them.
struct ForwardCase {
  const char* name;
  std::string text;
  Octets octets;
};

inline const std::vector<ForwardCase> lenientTexts = {
    ForwardCase{"EmptyTextIsArcZero", "", {0x00}},
    ForwardCase{"LoneArc", "5", {0x05}},
    ForwardCase{"LoneArcAboveRoots", "7", {0x07}},
    ForwardCase{"LargestLoneArc", "127", {0x7F}},
    ForwardCase{"TrailingEmptyArc", "2.16.", {0x60, 0x00}},
    ForwardCase{"EmptyMiddleArc", "2..5", {0x50, 0x05}},
    ForwardCase{"BlanksBeforeDigits", " 2. 16.\t840.1", {0x60, 0x86, 0x48, 0x01}},
    ForwardCase{"TrailingNonDigits", "2.16x.840 .1", {0x60, 0x86, 0x48, 0x01}},
    ForwardCase{"LeadingNonDigitReadsZero", "2.x16", {0x50}},
    ForwardCase{"LeadingZeros", "2.016.0840.1", {0x60, 0x86, 0x48, 0x01}},
    ForwardCase{"PlusSign", "2.+16", {0x60}},
    ForwardCase{"CarriageReturnBeforeArc", "1.2.\r5", {0x2A, 0x05}},
    ForwardCase{"LineBreakBeforeArc", "1.2.\n5", {0x2A, 0x05}},
    ForwardCase{"FullStopAtLastPosition", "1.2" + std::string(32762, ' ') + ".5", {0x2A, 0x05}},
    ForwardCase{"MinusZeroIsZero", "1.2.-0", {0x2A, 0x00}},
    ForwardCase{"LongRunOfZeros", "1.2." + std::string(200, '0') + "5", {0x2A, 0x05}}};

// An identifier of `count` octets: "1.2" followed by count - 1 arcs of 1.
inline std::string identifierOfOctets(int count) {
  std::string text = "1.2";
  for (int arc = 1; arc < count; ++arc) {
    text += ".1";
  }
  return text;
}

struct FailureCase {
  const char* name;
  std::string input;
  ErrorKind kind;
  int position;
  // The whole message, where a row pins it; any other row requires one.
  std::string message = {};
};

inline const std::vector<FailureCase> badIdentifiers = {
    FailureCase{"ArcAboveLargest", "1.2.2147483648", ErrorKind::Overflow, 5},
    FailureCase{"FirstArcAboveLargest", " 4294967296.1", ErrorKind::Overflow, 2},
    FailureCase{"FirstArcAboveRoots", "6.15", ErrorKind::InvalidArgument, 1},
    FailureCase{"FirstArcSeven", "7.0", ErrorKind::InvalidArgument, 1},
    FailureCase{"FirstArcThree", "3.5", ErrorKind::InvalidArgument, 1,
                "The first arc is 3 (at position 1), but it must be 0, 1 or 2."},
    FailureCase{"DigitsGoOnPastLargest", "1.2.21474836470", ErrorKind::Overflow, 5,
                "The arc 21474836470 at position 5 is larger than 2147483647."},
    FailureCase{"ThirtyNines", "1.2." + std::string(30, '9'), ErrorKind::Overflow, 5,
                "The arc " + std::string(24, '9') + "... at position 5 is larger than 2147483647."},
    FailureCase{"NegativeWithLeadingZeros", "1.2.-007", ErrorKind::InvalidArgument, 5,
                "The arc -7 at position 5 is negative; arcs are whole numbers from 0 up."},
    FailureCase{"FullStopOnePastLastPosition", "1.2" + std::string(32763, ' ') + ".",
                ErrorKind::Overflow, 32767,
                "The identifier is too long: its full stop at position 32767 lies beyond "
                "position 32766."},
    FailureCase{"Root0Child40", "0.40", ErrorKind::InvalidArgument, 3},
    FailureCase{"Root1Child40", "1.40.5", ErrorKind::InvalidArgument, 3},
    FailureCase{"NegativeLaterArc", "1.2.-5", ErrorKind::InvalidArgument, 5},
    FailureCase{"NegativeArcBeforeMore", "1.2.-5.7", ErrorKind::InvalidArgument, 5,
                "The arc -5 at position 5 is negative; arcs are whole numbers from 0 up."},
    FailureCase{"NegativeLastArc", "1.2.840.-1", ErrorKind::InvalidArgument, 9},
    FailureCase{"NegativeFirstArc", "-1.2", ErrorKind::InvalidArgument, 1},
    FailureCase{"NegativeLoneArc", "-5", ErrorKind::InvalidArgument, 1},
    FailureCase{"HugeNegativeArc", "1.2.-99999999999", ErrorKind::InvalidArgument, 5},
    FailureCase{"LoneArcOf128", "128", ErrorKind::Overflow, 1},
    FailureCase{"LoneArcOf200", "200", ErrorKind::Overflow, 1},
    FailureCase{"FirstSubidentifierAboveLargest", "2.2147483568", ErrorKind::Overflow, 3},
    FailureCase{"OctetsBeyond100", identifierOfOctets(101), ErrorKind::IndexOutOfRange, 203},
    FailureCase{"FullStopBeyond16BitPositions", "1.2" + std::string(40000, ' ') + ".5",
                ErrorKind::Overflow, 40004}};

// Base64 texts with the octets the reverse conversion leaves: the first
// subidentifier split into the first arc and the second.
struct DecodeCase {
  const char* name;
  std::string base64;
  Octets octets;
};

inline const std::vector<DecodeCase> base64Texts = {
    DecodeCase{"Padded", "YIZIAQ==", {0x02, 0x10, 0x86, 0x48, 0x01}},
    DecodeCase{"Unpadded", "KoZIhvcN", {0x01, 0x02, 0x86, 0x48, 0x86, 0xF7, 0x0D}},
    DecodeCase{"PaddingLeftOff", "YIZIAQ", {0x02, 0x10, 0x86, 0x48, 0x01}},
    DecodeCase{"PaddingHalfThere", "YIZIAQ=", {0x02, 0x10, 0x86, 0x48, 0x01}},
    DecodeCase{"OneOctetIsTwoArcs", "BQ==", {0x00, 0x05}},
    DecodeCase{"MultiOctetFirstSubidentifier", "iDcB", {0x02, 0x87, 0x67, 0x01}},
    DecodeCase{"EmptyText", "", {}},
    DecodeCase{"SingleCharacterHoldsNoOctet", "B", {}},
    DecodeCase{"LowerCaseIsItsOwnValue", "aa==", {0x02, 0x19}}};

inline const std::vector<FailureCase> badBase64 = {
    FailureCase{"InitialFullStops", "....", ErrorKind::Overflow, 1},
    FailureCase{"Blank", "YIZI AQ==", ErrorKind::Overflow, 5},
    FailureCase{"LineBreakAtEnd", "YIZIAQ==\n", ErrorKind::Overflow, 9},
    FailureCase{"UrlSafeAlphabet", "YIZ-AQ==", ErrorKind::Overflow, 4},
    FailureCase{"OutsideLatin1", std::string("YI") + NonLatin1Character, ErrorKind::Overflow, 3},
    FailureCase{"DataAfterPadding", "YIZ=IAQ=", ErrorKind::InvalidArgument, 5},
    FailureCase{"PaddingAlone", "==", ErrorKind::InvalidArgument, 1},
    FailureCase{"PaddingAfterWholeGroup", "KoZIhvcN=", ErrorKind::InvalidArgument, 9,
                "The \"=\" at position 9 pads nothing: the characters before it make whole "
                "groups of four, and extra padding would swallow data bits."},
    FailureCase{"ThreePaddingAfterTwo", "YIZIAQ===", ErrorKind::InvalidArgument, 9,
                "The \"=\" at position 9 is one too many: after 2 characters of a group of "
                "four, at most 2 \"=\" may follow."},
    FailureCase{"C1Control", "YI\x85", ErrorKind::Overflow, 3,
                "The control character U+0085 at position 3 is not a Base64 character."},
    FailureCase{"UnitSeparator", "YI\x1F", ErrorKind::Overflow, 3,
                "The control character U+001F at position 3 is not a Base64 character."},
    FailureCase{"LastC1Control", "YI\x9F", ErrorKind::Overflow, 3,
                "The control character U+009F at position 3 is not a Base64 character."},
    FailureCase{"Tab", "YI\t", ErrorKind::Overflow, 3,
                "The tab at position 3 is not a Base64 character."},
    FailureCase{"NoBreakSpace", "YI\xA0", ErrorKind::Overflow, 3,
                "The no-break space at position 3 is not a Base64 character."},
    FailureCase{"Delete", "YI\x7F", ErrorKind::Overflow, 3,
                "The control character U+007F at position 3 is not a Base64 character."},
    FailureCase{"LongestTextHasTooManyOctets", std::string(32767, 'A'), ErrorKind::IndexOutOfRange,
                135},
    FailureCase{"FirstSubidentifierCutOff", "gA==", ErrorKind::InvalidArgument, 1},
    FailureCase{"FirstSubidentifierAboveLargest", "iICAgAA=", ErrorKind::Overflow, 1},
    FailureCase{"OctetsBeyond100", std::string(136, 'A'), ErrorKind::IndexOutOfRange, 135},
    FailureCase{"TextBeyond16BitLength", std::string(32768, 'A'), ErrorKind::Overflow, 0,
                "The Base64 text is 32768 characters long; at most 32767 can be read."},
    FailureCase{"EmptyTextHasNoArc", "", ErrorKind::InvalidArgument, 0},
    FailureCase{"NoWholeOctet", "B", ErrorKind::InvalidArgument, 0},
    FailureCase{"LastArcCutOff", "YP////8=", ErrorKind::InvalidArgument, 0},
    FailureCase{"LastArcAboveLargest", "YP//////", ErrorKind::Overflow, 0}};

}  // namespace pellamar
