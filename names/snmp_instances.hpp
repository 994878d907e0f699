// The instance of an SNMP table's column written by its INDEX clause, as
// net-snmp writes it ("vacmAccessContextMatch."public"."".3.noAuthNoPriv",
// "ipAddressIfIndex.ipv4."10.0.0.1""), and read back.
//
// The names database keeps each column's INDEX as a short text, made by the
// MIB reader from the row's INDEX (or the row it AUGMENTS) and the syntax
// of each index object: one word an index, separated by blanks.
//   i        an integer: its number
//   i:a=1,b=2  an enumerated integer: its label where it has one
//   t:...    an InetAddressType, as i, whose value says how the
//            InetAddress after it is written
//   a        an IpAddress: four arcs
//   s        an octet string: its length, then its octets, "quoted"
//   fN       an octet string of N octets: its octets, 'quoted'
//   m        an IMPLIED octet string: the arcs left, 'quoted'
//   n        an InetAddress: as s, or its address after a t of ipv4(1),
//            ipv6(2), ipv4z(3) or ipv6z(4): "10.0.0.1", "fe:80:...:01"
//   o        an object identifier: its length, then its arcs
//   p        an IMPLIED object identifier: the arcs left
//   x        any other syntax: it and the arcs after it as numbers
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellamar::names {

// `arcs` (dotted, "6.112.117.98.108.105.99.0.3.1") written by `indexes`:
// "\"public\".\"\".3.noAuthNoPriv". Arcs the indexes do not account for
// follow as numbers. Unlike net-snmp, which writes an octet it cannot
// print as ".", an octet string holding such an octet, or its own quote,
// is written as numbers: the text always reads back to the same arcs.
std::string writeInstance(std::string_view indexes, std::string_view arcs);

// The dotted arcs of an instance written by `indexes` as writeInstance()
// writes it, or as numbers, or mixed: "3.\"myuser\"" gives
// "3.6.109.121.117.115.101.114". A quoted string is its octets as written
// (UTF-8 is its octets); "..." takes its length before it, '...' not.
// Returns nothing, with `fault` saying what does not fit, when the text
// is not an instance of these indexes.
std::optional<std::string> readInstance(std::string_view indexes, std::string_view text,
                                        std::string& fault);

}  // namespace pellamar::names
