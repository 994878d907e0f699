// Every form of an identifier read into an ObjectIdentifier: one reader a
// form. Each returns nothing when it read the identifier, or the Error that
// says why not, placed in the input; `out` is then left unchanged.
//
// Texts are bytes: the forms are ASCII, and any other byte is a character
// that cannot stand where it is. Positions are byte offsets; the program
// that read the text turns them into its own columns for describe().
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "pellamar/error.hpp"
#include "pellamar/object_identifier.hpp"

namespace pellamar {

// Dotted text, strictly (RFC 3061 and X.660 in their canonical form): two
// or more arcs of ASCII digits of any size separated by single full stops,
// without leading zeros (a lone "0" is an arc), optionally after "urn:oid:"
// in any case or after one full stop (as SNMP tools write identifiers).
// Nothing else may stand in it, blanks included. The first arc is 0, 1 or
// 2, the second at most 39 under 0 and 1 (X.690 8.19.4).
// Fails with NoArcsAfterPrefix, EndsWithFullStop, FullStopWithoutArc,
// NotInIdentifier, LeadingZero, OneArc, FirstArcOutOfRange,
// SecondArcOutOfRange or TooManyOctets.
std::optional<Error> readDotted(std::string_view text, ObjectIdentifier& out);

// Dotted text leniently, as a calculator reads it: arc by arc between full
// stops, blanks and line breaks before an arc's digits skipped, an optional
// sign taken, and reading stopped at the first character that cannot
// continue the number (an arc without digits, or the empty text, reads as
// 0). Arcs are at most 2147483647, and so is the first subidentifier. A
// lone arc is one octet, 0 to 127, the identifier that octet encodes.
// Positions are 16-bit: no full stop may stand beyond byte 32765.
// Fails with NegativeArc, ArcAboveLargest, FullStopBeyondPositions,
// FirstArcOutOfRange, SecondArcOutOfRange, FirstSubidentifierTooLarge,
// LoneArcTooLarge or TooManyOctets.
std::optional<Error> readDottedLenient(std::string_view text, ObjectIdentifier& out);

// ASN.1 value notation (X.680 32.3): "{ 1 2 840 113549 }" or "{ iso(1)
// member-body(2) us(840) }", components separated by blanks or tabs, each a
// number or an identifier with its number in parentheses; the names that
// X.660 gives the arcs of the first two levels may stand alone ("{ iso
// member-body 840 }", "{ joint-iso-itu-t country 840 }"). An identifier
// starts with a lower-case letter, has letters, digits and hyphens, and no
// hyphen at its end or next to another.
// Fails with the codes of readDotted for the arcs, and NoClosingBrace,
// AfterClosingBrace, NotInValueNotation, NameNeedsNumber,
// NoNumberInParentheses, NumberNotClosed or NotAsn1Identifier.
std::optional<Error> readValueNotation(std::string_view text, ObjectIdentifier& out);

// Arcs separated by blanks and tabs, as dumpasn1 writes them: "1 2 840
// 113549". Fails with the codes of readDotted for the arcs.
std::optional<Error> readBlankArcs(std::string_view text, ObjectIdentifier& out);

// A UUID (RFC 4122): "urn:uuid:" in any case and 8-4-4-4-12 hexadecimal
// digits in either case, or the digits alone; the identifier 2.25.N of
// X.667, N the UUID's 128 bits. Fails with NotUuidDigit, NotUuidHyphen,
// UuidTooShort or UuidTooLong, at the character where the UUID goes wrong.
std::optional<Error> readUuid(std::string_view text, ObjectIdentifier& out);

// The forms an identifier is written in as text.
enum class TextForm : std::uint8_t {
  Dotted,
  ValueNotation,
  BlankArcs,
  Uuid,
  // A word, such as "rsaEncryption": a name only a table of names knows.
  Name,
};

// The form `text` is written in: a UUID when it has a UUID's shape or its
// "urn:uuid:" prefix; value notation when it starts with "{"; blank arcs
// when it has only digits, blanks and tabs and a blank or tab among them; a
// name when it starts with a letter and is not a URN, or with a full stop
// and a letter, as snmptranslate -Of writes a path of names; otherwise dotted
// text, whose reader says what is wrong with anything else.
TextForm formOf(std::string_view text);

// The identifier written in any of the forms above but names. Fails as the
// reader of formOf(text) does, and with NotInIdentifier for a name.
std::optional<Error> readIdentifier(std::string_view text, ObjectIdentifier& out);

// How octets are read.
enum class Reading : std::uint8_t {
  // As X.690 and RFC 4648 write them: Base64 whose groups hold whole octets
  // and whose spare bits are zero; no subidentifier padded with 80.
  Strict,
  // As a calculator reads them: a lone last Base64 character dropped, and
  // with it any spare bits; padded subidentifiers read by their value; arcs,
  // and the first subidentifier, at most 2147483647.
  Lenient,
};

// The Base64 text (RFC 4648, "=" padding optional) of up to octets.size()
// octets, decoded into `octets`; `count` is set to how many. The text is
// not trimmed and is at most 32767 characters.
// Fails with TextTooLong, NotBase64Character, DataAfterPadding,
// PaddingPadsNothing, PaddingTooLong or Base64TooManyOctets, and when read
// strictly with LoneBase64Character or SpareBits.
std::optional<Error> decodeBase64(std::string_view text, std::span<std::uint8_t> octets,
                                  Reading reading, std::size_t& count);

// Hexadecimal pairs in either case, one after another or separated by
// blanks and tabs or by one colon ("2A8648", "2a 86 48", "2A:86:48"), of up
// to octets.size() octets; `count` is set to how many. At most 32767
// characters. Fails with TextTooLong, NotHexDigit, HexDigitWithoutPartner,
// MisplacedColon or HexTooManyOctets.
std::optional<Error> decodeHex(std::string_view text, std::span<std::uint8_t> octets,
                               std::size_t& count);

// Contents octets, as fromContents() reads them when `reading` is Strict;
// read leniently, a padded subidentifier is taken by its value and an arc
// above 2147483647 fails with ArcAboveLimit.
std::optional<Error> readContents(std::span<const std::uint8_t> octets, Reading reading,
                                  ObjectIdentifier& out);

// A whole DER encoding (X.690 10.1): the tag 06, a one-octet length and
// that many contents octets, read as readContents() reads them. Fails with
// NoDerOctets, NotObjectIdentifierTag, NoLength, IndefiniteLength,
// LongFormLength, LengthMismatch or ZeroLength, placed in `octets`.
std::optional<Error> readDer(std::span<const std::uint8_t> octets, Reading reading,
                             ObjectIdentifier& out);

// The octets an encoding of an identifier takes at most: tag, length and
// 100 contents octets.
inline constexpr std::size_t MaxDerOctets = ObjectIdentifier::MaxOctets + 2;

// How a text of octets is written.
enum class OctetText : std::uint8_t { Base64, Hex };

// A text of octets, the contents octets or with `der` a whole DER
// encoding, read as decodeBase64() or decodeHex() and then readContents()
// or readDer() read it. Every error is placed in `text`: a fault in the
// octets at the character that holds the octet's first bit, or, for one
// found where the octets end, its last.
std::optional<Error> readOctetText(std::string_view text, OctetText form, bool der, Reading reading,
                                   ObjectIdentifier& out);

// `error`, which readContents() or readDer() found in the octets that
// `text` decodes to, placed in `text` as readOctetText() places it.
Error placeInText(Error error, std::string_view text, OctetText form);

}  // namespace pellamar
