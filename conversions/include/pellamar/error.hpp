// Why reading an identifier failed, as data: what went wrong, where in the
// input, and the values its message needs. The message itself is worded by
// describe(), in one place, once the program that read the input has said
// how it counts and names the input's characters.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pellamar {

enum class ErrorCode : std::uint8_t {
  // Dotted text, value notation, blank-separated arcs.
  NoArcs,                      // nothing but blanks, or nothing at all
  NoArcsAfterPrefix,           // "urn:oid:" or "." and nothing after it
  EndsWithFullStop,            // "1.2."
  FullStopWithoutArc,          // "1..2", ".1" after a prefix
  NotInIdentifier,             // a character other than digits and full stops
  LeadingZero,                 // "1.02"
  OneArc,                      // "2"
  FirstArcOutOfRange,          // "3.5": `arc` is the first arc
  SecondArcOutOfRange,         // "1.40": `number` is the root, `arc` the second arc
  TooManyOctets,               // `number` is the arc that no longer fits, `arc` its value
  NegativeArc,                 // lenient reading: "1.2.-5"
  ArcAboveLargest,             // lenient reading: an arc above `number` (2147483647)
  FirstSubidentifierTooLarge,  // lenient: `number` and `other` are the arcs, `arc` their sum
  LoneArcTooLarge,             // lenient: a single arc above 127, `number`
  FullStopBeyondPositions,     // lenient: a full stop past the 16-bit positions
  // Value notation.
  NoClosingBrace,
  AfterClosingBrace,
  NotInValueNotation,
  NameNeedsNumber,        // "{ us 2 }"
  NoNumberInParentheses,  // "{ iso() }"
  NumberNotClosed,        // "{ iso(1 }": the place is the number
  NotAsn1Identifier,      // "{ Iso(1) 2 }", "{ i--so(1) 2 }"
  // UUIDs.
  NotUuidDigit,
  NotUuidHyphen,
  UuidTooShort,
  UuidTooLong,
  // Base64 and hexadecimal texts of octets.
  TextTooLong,  // `number` characters, more than 32767; `other` 1 for hexadecimal
  NotBase64Character,
  LoneBase64Character,
  PaddingPadsNothing,
  PaddingTooLong,  // `number` characters open in the group
  DataAfterPadding,
  SpareBits,            // `other` is the character the text would have
  Base64TooManyOctets,  // more than `number` octets
  NotHexDigit,
  HexDigitWithoutPartner,
  MisplacedColon,
  HexTooManyOctets,  // more than `number` octets
  // Contents octets.
  NoOctets,
  TooManyContentsOctets,  // `number` octets
  CutOff,                 // in the middle of arc `number` (0: the first subidentifier)
  ArcAboveLimit,          // arc `number` (0: the first subidentifier), `arc`, above `other`
  PaddedSubidentifier,    // an 80 octet that starts a subidentifier
  // DER.
  NoDerOctets,
  NotObjectIdentifierTag,  // the tag `number`
  NotRelativeOidTag,       // the tag `number`
  NoLength,
  IndefiniteLength,
  LongFormLength,  // the length octet `number`
  LengthMismatch,  // the length `number`, `other` octets follow
  ZeroLength,
};

// A number as a message quotes it: its digits, without leading zeros, cut
// after MaxDigits digits with "...", so that an arc of hundreds of digits
// does not flood the screen.
class QuotedNumber {
 public:
  static constexpr std::size_t MaxDigits = 24;

  QuotedNumber() = default;
  // `digits` are ASCII digits.
  explicit QuotedNumber(std::string_view digits);
  explicit QuotedNumber(std::uint64_t value);

  std::string_view text() const { return {text_.data(), size_}; }

 private:
  std::array<char, MaxDigits + 3> text_{};
  std::size_t size_ = 0;
};

struct Error {
  // Where the error has no place in the input.
  static constexpr std::size_t Nowhere = static_cast<std::size_t>(-1);

  explicit Error(ErrorCode errorCode, std::size_t at = Nowhere, std::size_t size = 0,
                 std::uint64_t first = 0, std::uint64_t second = 0, QuotedNumber quoted = {})
      : code(errorCode), offset(at), length(size), number(first), other(second), arc(quoted) {}

  ErrorCode code;
  // The place: `length` bytes from byte `offset` of the text read, or of
  // the octets read for the readers that take octets. A fault found where
  // the input runs out lies at its last byte (at 0 when it is empty).
  std::size_t offset;
  std::size_t length;
  // The values the message needs; which, the code says.
  std::uint64_t number;
  std::uint64_t other;
  QuotedNumber arc;
};

// How the program that read the input counts and names the character at the
// error's offset: its position as the program reports it (1 for the first
// character; 0 when the error has no place), and the character named for a
// message (`the character "x"`, `the tab`).
struct ErrorPlace {
  int position = 0;
  std::string character;
};

// The message for `error` in the `input` it was found in: one sentence in
// plain English, with the position and character of `place`.
std::string describe(const Error& error, std::string_view input, const ErrorPlace& place);

// The place of `error` in a text of one Latin-1 code a character, counted
// from position 1, as the calculator's window and web page give their texts.
// A byte NonLatin1Character stands for a character beyond Latin-1.
ErrorPlace latin1Place(const Error& error, std::string_view input);

// Stands for a character outside Latin-1 in a Latin-1 text: the SUB control
// character, the usual substitute when a text is narrowed to an 8-bit code.
inline constexpr char NonLatin1Character = '\x1A';

}  // namespace pellamar
