// Conversions for identifiers that come from files, scripts and command
// lines rather than the window: arcs of any size, limited only by the 100
// contents octets an identifier may take (about 700 bits, 211 decimal
// digits, for a single arc), read strictly, so that a typo is an error and
// never another identifier.
//
// Positions in messages and errors are those that `form` gives, so that a
// text cut out of a longer line reports the columns of that line. Every
// function raises ConversionError on failure.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "objid_buffer.hpp"
#include "text_form.hpp"

namespace pellamar {

// Writes contents octets from arcs given one at a time, of any size.
//
// Each arc is a run of ASCII digits with a place in the text that `form`
// describes, so that a message can say where it stands. The first two arcs share one
// subidentifier (X.690 8.19.4): the first must be 0, 1 or 2, the second at
// most 39 under 0 and 1 and of any size under 2.
class ContentsBuilder {
 public:
  ContentsBuilder(ObjIDBuffer& contents, std::string_view text, const TextForm& form);

  // Adds the arc written as `digits`, whose place in the text is `place`
  // (the digits themselves when empty; a name that stands for them).
  // Fails with InvalidArgument for a leading zero ("007") or a first or
  // second arc out of range, and with IndexOutOfRange when the arc no
  // longer fits the 100 octets.
  void add(std::string_view digits, std::string_view place = {});

  // The same, for a caller that has read the value of `digits` already:
  // `value` is taken for digits of up to 18 digits, ignored for more.
  void add(std::string_view digits, std::uint64_t value, std::string_view place = {});

  // The number of arcs added so far.
  int arcs() const { return arcs_; }

  // The count of contents octets written. Fails with InvalidArgument for
  // fewer than two arcs (at the first arc, or the text's last character).
  std::int16_t finish();

 private:
  friend std::int16_t ObjIDStrictStringToContents(std::string_view s, ObjIDBuffer& contents,
                                                  const TextForm& form);
  void addArc(std::string_view digits, std::uint64_t value, std::string_view place);
  // The first two arcs, arcs of more than 18 digits, and every failure,
  // kept out of the way of the others.
  [[gnu::noinline]] void addSlowly(std::string_view digits, std::uint64_t value,
                                   std::string_view place);
  [[gnu::noinline, gnu::cold]] void addLarge(std::string_view digits, std::string_view place,
                                             std::uint64_t addend);
  // The failures, kept out of line so that adding an arc builds no
  // message.
  [[noreturn, gnu::noinline, gnu::cold]] void tooManyOctets(std::string_view digits,
                                                            std::string_view place) const;
  [[noreturn, gnu::noinline, gnu::cold]] void leadingZero(std::string_view place) const;
  [[noreturn, gnu::noinline, gnu::cold]] void tooFewArcs() const;
  [[noreturn, gnu::noinline, gnu::cold]] void firstOutOfRange(std::string_view place) const;
  [[noreturn, gnu::noinline, gnu::cold]] void secondOutOfRange(std::string_view digits,
                                                               std::string_view place) const;
  int positionOf(std::string_view place) const;

  // The buffer's octets: every write is checked against the 100-octet
  // limit first.
  std::uint8_t* octets_;
  std::string_view text_;
  const TextForm& form_;
  std::string_view first_;
  std::string_view firstPlace_;
  int arcs_ = 0;
  int count_ = 0;
};

// Writes the contents octets of the dotted identifier `s` into `contents`
// and returns their count. `s` is two or more arcs of ASCII digits
// separated by single full stops, without leading zeros (a lone "0" is an
// arc), optionally preceded by "urn:oid:" in any case (RFC 3061) or by one
// full stop (as SNMP tools write identifiers). Nothing else may stand in
// it, blanks included.
//
// Fails with InvalidArgument for any other character, an empty arc, a
// leading zero, a single arc, or a first or second arc out of range, and
// with IndexOutOfRange for an identifier of more than 100 octets. Messages
// name the offending character or arc and its position.
std::int16_t ObjIDStrictStringToContents(std::string_view s, ObjIDBuffer& contents,
                                         const TextForm& form);

// How ObjIDBase64ToContents reads.
enum class Base64Reading {
  // RFC 4648 as written: a text of 4n + 1 characters is refused, and so is
  // a last character whose bits beyond the last octet are not zero.
  Strict,
  // As the window reads: a lone last character is dropped, and so are the
  // bits beyond the last octet, whatever they are.
  Lenient,
};

// Decodes the Base64 text `s` into `octets` and returns the count, as the
// window's ObjIDBase64ToContents does, with the positions and names of
// `form` and room for octets.size() octets. With Base64Reading::Strict it
// also fails with InvalidArgument for a text that cannot be Base64 (a group
// of one character, at that character) and for spare bits that are not zero
// (at the last character, naming the text it would be).
int ObjIDBase64ToOctets(std::string_view s, std::span<std::uint8_t> octets, const TextForm& form,
                        Base64Reading reading);

// Reads hexadecimal octets into `octets` as ObjIDHexToContents does, with
// the positions and names of `form` and room for octets.size() octets.
int ObjIDHexToOctets(std::string_view s, std::span<std::uint8_t> octets, const TextForm& form);

// Where each octet of the contents came from in the text it was read from,
// so that faults in the octets are reported there.
class OctetPlaces {
 public:
  virtual ~OctetPlaces() = default;
  // The position of the character that holds the first bit of octet
  // `index` (from 0), and of the one that holds its last bit.
  virtual int firstPositionOf(int index) const = 0;
  virtual int lastPositionOf(int index) const = 0;
};

// The longest dotted text ObjIDContentsToString writes: 100 octets of 127
// under 2.47 ("2.47.127.127..."), 4 characters an octet.
inline constexpr int MaxDottedLength = 4 * ObjIDBuffer::Size;

// Octets that come from no text, counted from position 1.
class OctetIndexPlaces final : public OctetPlaces {
 public:
  int firstPositionOf(int index) const override { return index + 1; }
  int lastPositionOf(int index) const override { return index + 1; }
};

// Appends to `out` the dotted identifier that the first `count` contents
// octets of `contents` encode, arcs of any size, each in canonical decimal.
// A subidentifier padded with leading 80 octets is read by its value. With
// `largestArc` above 0, an arc above it is refused, and so is a first
// subidentifier above it, as the window does with 2147483647.
//
// Fails with InvalidArgument for a count of 0 or less and for octets that
// end in the middle of a subidentifier (at the last octet), with Overflow
// for an arc above `largestArc` (at its first octet, naming its value), and
// with IndexOutOfRange for a count above 100.
void ObjIDContentsToString(const ObjIDBuffer& contents, std::int16_t count,
                           const OctetPlaces& places, std::string& out,
                           std::uint64_t largestArc = 0);

// The same, written at `out`, which has room for MaxDottedLength
// characters; returns the end.
char* ObjIDContentsToString(const ObjIDBuffer& contents, std::int16_t count,
                            const OctetPlaces& places, char* out, std::uint64_t largestArc = 0);

// The identifier that X.667 gives a UUID: 2.25 followed by the UUID's 128
// bits read as one unsigned integer. `s` is "urn:uuid:" in any case
// followed by the UUID's 8-4-4-4-12 hexadecimal digits in either case, or
// those digits alone (RFC 4122). Returns the dotted identifier, or nothing
// when `s` is not a UUID.
std::optional<std::string> ObjIDUuidToString(std::string_view s);

// The UUID, in lower-case 8-4-4-4-12 form, whose arc under 2.25 is arc 3 of
// the identifier of the first `count` contents octets: for 2.25.N and the
// identifiers under it, when N is below 2^128. Nothing for any other
// identifier, and for octets that end in the middle of arc 3.
std::optional<std::string> ObjIDContentsToUuid(const ObjIDBuffer& contents, std::int16_t count);

// Writes the Base64 text of `octets`, with "=" padding, at `out` and
// returns the end: 4 characters for every 3 octets or part of 3.
char* ObjIDOctetsToBase64(std::span<const std::uint8_t> octets, char* out);

// Writes the Base64 text of the DER encoding of the `contents` octets (one
// to 100 of them), tag 06, length and contents, at `out`; returns the end.
char* ObjIDContentsToDerBase64(std::span<const std::uint8_t> contents, char* out);

// Writes the octets at `out` as upper-case hexadecimal pairs, each followed
// by a blank, and returns the end: 3 characters an octet.
char* ObjIDOctetsToHex(std::span<const std::uint8_t> octets, char* out);

}  // namespace pellamar
