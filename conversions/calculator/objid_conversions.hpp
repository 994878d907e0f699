// The calculator's conversions between an object identifier's dotted text,
// the contents octets of its BER encoding (X.690 8.19, without tag and
// length) and the Base64 text of those octets (RFC 4648, "=" padding, no
// line breaks), on the calculator's buffer and 16-bit counts.
//
// Every conversion raises ConversionError on failure and never returns a
// partial result; octets written to the buffer before a failure are left
// there for the caller to discard.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "objid_buffer.hpp"

namespace pellamar {

// Writes the contents octets of the identifier `s` into `objid` from index 0
// and returns their count (1 to 100), as readDottedLenient() reads it: arc by
// arc between full stops, blanks before an arc's digits skipped, reading
// stopped at the first character that cannot continue the number, and an
// arc without digits (the empty text, "x16") read as 0. A lone arc must be
// 0..127 and is written as one octet. With two or more arcs the first two
// share one subidentifier, first * 40 + second.
//
// Fails with
// - InvalidArgument: a negative arc; a first arc other than 0, 1 or 2; a
//   second arc above 39 under 0 or 1;
// - Overflow: an arc, or the first subidentifier, above 2147483647; a lone
//   arc above 127; a full stop beyond the 16-bit positions (32766);
// - IndexOutOfRange: an identifier that needs more than 100 octets.
// The error's position is where the offending arc starts in `s`.
std::int16_t ObjIDStringToBinary(ObjIDBuffer& objid, std::string_view s);

// Returns the Base64 text of the first `numObjBytes` octets of `objid`; the
// empty text for a count of 0 or less.
//
// Fails with IndexOutOfRange for a count above 101, and with Overflow for
// -32768, whose predecessor does not fit the 16-bit count.
std::string ObjIDBinaryToBase64(const ObjIDBuffer& objid, std::int16_t numObjBytes);

// Returns the first `numObjBytes` octets of `objid` as upper-case
// hexadecimal pairs, each followed by one blank ("2A 86 48 "); the empty
// text for a count of 0 or less.
//
// Fails with IndexOutOfRange for a count above 101.
std::string ObjIDBinaryToHex(const ObjIDBuffer& objid, std::int16_t numObjBytes);

// Decodes the Base64 text `s` and writes its octets into `objid` from index
// 0, with the first subidentifier split into the first two arcs: the first
// arc as one octet, the second in base 128, so that every run of octets
// stands for one arc. Returns the count written; 0 when `s` holds no whole
// octet. Bits at the end that do not make a whole octet are dropped.
//
// Fails with
// - Overflow: a character outside the alphabet (blanks and line breaks
//   included; the text is not trimmed); a text longer than 32767
//   characters; a first subidentifier above 2147483647;
// - InvalidArgument: a character after a "="; more "=" than it takes to
//   fill the last group of four characters; a first subidentifier that the
//   text cuts off (its last octet has bit 7 set);
// - IndexOutOfRange: more than 100 decoded octets.
// The error's position is that of the offending character in `s`; for the
// first subidentifier, 1.
std::int16_t ObjIDBase64ToBinary(std::string_view s, ObjIDBuffer& objid);

// Returns the dotted text of the first `numObjBytes` octets of `objid`, each
// run of octets with bit 7 set closed by one with bit 7 clear being one arc
// (as ObjIDBase64ToBinary leaves them; no packing is undone here).
//
// Fails with InvalidArgument when there is no octet (a count of 0 or less)
// or the last arc is unfinished, with Overflow for an arc above 2147483647,
// and with IndexOutOfRange for a count above 101.
std::string ObjIDBinaryToString(const ObjIDBuffer& objid, std::int16_t numObjBytes);

}  // namespace pellamar
