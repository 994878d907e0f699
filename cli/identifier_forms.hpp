// The forms in which pellamar-cli encode takes an identifier, each read
// strictly: dotted arcs, a UUID, ASN.1 value notation, arcs separated by
// blanks, or a name.
#pragma once

#include <string_view>

#include "item_text.hpp"
#include "object_names.hpp"
#include "objid_buffer.hpp"

// Writes the contents octets of the identifier that `item` names into
// `contents` and returns their count. The forms, by the first character:
// - dotted arcs, "1.2.840.113549", optionally after "urn:oid:" or ".";
// - a UUID, "urn:uuid:f81d4fae-7dec-11d0-a765-00a0c91e6bf6" or the bare
//   8-4-4-4-12 digits in either case: the identifier 2.25.N of X.667;
// - value notation (X.680 ObjectIdentifierValue), "{ 1 2 840 113549 }" or
//   "{ iso(1) member-body(2) us(840) }": numbers, or names with their
//   numbers, which decide; the names of X.660's first two levels stand
//   alone ("{ iso member-body 840 }");
// - arcs separated by blanks, as dumpasn1 writes them, "1 2 840 113549";
// - a name from `names`, exactly as written ("rsaEncryption", "CN").
// Fails with a pellamar::ConversionError at the offending character's
// column.
//
// `blankFree` is set when the form read holds no blank or tab (dotted arcs
// and UUIDs), so that its text needs no tidying before it is written.
int readIdentifier(const ItemText& item, pellamar::ObjIDBuffer& contents, ObjectNames& names,
                   bool& blankFree);
