// What the names table's indexes share with its cache: how identifiers
// and names are hashed, and the sizes of the filters and buckets, which a
// cache must hold as they are.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pellamar/object_identifier.hpp"
#include "pellamar/writers.hpp"

namespace pellamar::names::layout {

// The arcs 1.3.6.1.4.1 (iso.org.dod.internet.private.enterprise), under
// which IANA's enterprise numbers lie.
constexpr std::array<std::uint8_t, 5> EnterprisesArc = {0x2B, 0x06, 0x01, 0x04, 0x01};

// The filter's size in bits: 128 KiB, which a core's cache holds, with
// two bits an entry gives under 2 % false answers for 150,000 entries.
constexpr std::size_t FilterBits = std::size_t{1} << 20U;
constexpr unsigned FilterShift = 20;

constexpr bool inFilter(std::span<const std::uint64_t> filter, std::uint64_t hash) {
  const std::size_t first = hash & (FilterBits - 1);
  const std::size_t second = (hash >> FilterShift) & (FilterBits - 1);
  return (filter[first / 64] >> (first % 64) & 1U) != 0 &&
         (filter[second / 64] >> (second % 64) & 1U) != 0;
}

// The smallest hash table: room for a table with no names at all.
constexpr std::size_t MinimumSlots = 16;

constexpr std::uint64_t HashStart = 0xcbf29ce484222325ULL;
constexpr std::uint64_t HashPrime = 0x100000001b3ULL;

// FNV-1a: a prefix's hash is the state after its octets, so that every
// ancestor of an identifier is hashed in one pass over its octets.
constexpr std::uint64_t hashOctet(std::uint64_t hash, std::uint8_t octet) {
  return (hash ^ octet) * HashPrime;
}

inline std::uint64_t hashOf(std::span<const std::uint8_t> octets) {
  std::uint64_t hash = HashStart;
  for (const std::uint8_t octet : octets) {
    hash = hashOctet(hash, octet);
  }
  return hash;
}

constexpr char lowerCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The pieces of `text` between full stops.
inline std::vector<std::string_view> piecesOf(std::string_view text) {
  std::vector<std::string_view> pieces;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('.', start), text.size());
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

// The first `count` subidentifiers of identifier contents.
inline std::span<const std::uint8_t> subidentifiers(std::span<const std::uint8_t> contents,
                                                    std::size_t count) {
  std::size_t end = 0;
  for (std::size_t found = 0; end < contents.size() && found < count; ++end) {
    if ((contents[end] & 0x80U) == 0) {
      ++found;
    }
  }
  return contents.first(end);
}

// The index of names is cut into buckets by the top bits of the hashes:
// 65,536 buckets hold the 190,000 names of every source Debian has with
// three keys in each, and cost 256 KiB.
constexpr unsigned NameBucketBits = 16;
constexpr std::size_t NameBuckets = std::size_t{1} << NameBucketBits;

constexpr std::size_t bucketOf(std::uint64_t hash) {
  return static_cast<std::size_t>(hash >> (64U - NameBucketBits));
}

// The filter of the names that hold a full stop, by the hash of what comes
// before it, so that "ifDescr.7" is known to be no name whole without a
// lookup in the index: 1 Mibit (128 KiB), with one bit of each of the
// 18,000 such names (enterprises such as "Cisco Systems, Inc.") under 2 %
// false answers.
constexpr std::size_t DottedFilterBits = std::size_t{1} << 20U;

// The hash of a name in lower case, which the index of names is ordered by.
inline std::uint64_t foldedHash(std::string_view text) {
  std::uint64_t hash = HashStart;
  for (const char c : text) {
    hash = hashOctet(hash, static_cast<std::uint8_t>(lowerCase(c)));
  }
  return hash;
}

inline bool equalFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerCase(x) == lowerCase(y);
         });
}

inline bool equal(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

// The identifier with these contents, which every table holds valid,
// dotted.
inline std::string dottedOf(std::span<const std::uint8_t> contents) {
  pellamar::ObjectIdentifier identifier;
  pellamar::ObjectIdentifier::fromContents(contents, identifier);
  std::string dotted;
  pellamar::append(identifier, pellamar::Form::Dotted, dotted);
  return dotted;
}

}  // namespace pellamar::names::layout
