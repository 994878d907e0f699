// The names cache: a finished table written out so that a later run maps
// it into memory and uses it where it lies, reading only the pages its
// lookups touch.
//
// It is read back only by the program that wrote it, on the machine that
// wrote it: numbers are in the machine's own order and the table's records
// as they are in memory. In order, a cache holds:
//
//   CacheMagic, the first line, which carries the cache's one version;
//   checksum     u64, cacheChecksum() of everything after it;
//   fingerprint  text: what the table was read from, as the caller names
//                it (loadNames(): this program, its reader, OpenSSL's
//                library and every source file, with their sizes and
//                times, and the folders of MIB modules);
//   sources      u64 count, then for each its kind (u8), its count of
//                names (u64) and its path (text);
//   warnings     u64 count, then each as text;
//   then arrays, in this order: records, entries, index slots, the filter
//   of identifiers, the name keys, the name buckets, the filter of names
//   spelled with a full stop, and the text the records point into.
//
// A text is its size (u64) and its octets. An array is its count of
// elements (u64), zero octets up to a multiple of 8, and its elements.
//
// A cache that is cut, changed, from another version, or made from other
// files is not believed: the table is read afresh and the cache written
// again.
#pragma once

#include <cstdint>
#include <string_view>

namespace pellamar::names {

// The first line of a cache. Its number is the cache's one version: it
// changes whenever the layout above, a record's or an entry's layout, or
// what a reader puts into the table changes, so that no cache an older
// build wrote is read.
inline constexpr std::string_view CacheMagic = "pellamar names cache 9\n";

// A checksum of the cache's body, so that a cache changed after it was
// written, by damage or by hand, is rebuilt rather than believed. Four
// lanes of eight octets keep it near the speed of memory: it is worked
// out over the whole cache on every run that uses it.
std::uint64_t cacheChecksum(std::string_view body);

}  // namespace pellamar::names
