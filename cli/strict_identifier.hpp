// The strict reading of a dotted identifier, for scripts: a typo is an
// error, never another identifier.
#pragma once

#include <cstddef>
#include <string_view>

// Checks that `codes` (one Latin-1 code a character) is an identifier
// written strictly: two or more arcs of ASCII digits separated by single
// full stops, without leading zeros (a lone "0" arc is fine), optionally
// preceded by "urn:oid:" in any case (RFC 3061) or by one full stop (as SNMP
// tools write identifiers). Returns the index where the arcs start.
//
// Fails with a pellamar::ConversionError (InvalidArgument) whose message
// names the offending character and whose position is its 1-based position
// in `codes`. The arcs' values are left to the conversion to check.
std::size_t strictArcsStart(std::string_view codes);
