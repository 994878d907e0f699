// An object identifier (X.660), held as the contents octets of its BER
// encoding (X.690 8.19) without tag and length: at most 100 octets, inline,
// so that a value never touches the heap. Every value is valid: it comes
// from a reader (readers.hpp), which checks what it reads.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "pellamar/error.hpp"

namespace pellamar {

class RelativeOid;

class ObjectIdentifier {
 public:
  // The most contents octets an identifier may take: a single arc of up to
  // 700 bits (211 decimal digits), or 100 arcs below 128.
  static constexpr std::size_t MaxOctets = 100;

  // 0.0, the identifier of the single octet 00.
  ObjectIdentifier() { octets_[0] = 0; }

  // The identifier whose contents octets are `octets`, when they are one
  // (X.690 8.19.2): 1 to 100 octets, each subidentifier closed by an octet
  // with bit 7 clear and none padded with a leading 80 octet. Fails with
  // NoOctets, TooManyContentsOctets, CutOff or PaddedSubidentifier, placed
  // in `octets`.
  static std::optional<Error> fromContents(std::span<const std::uint8_t> octets,
                                           ObjectIdentifier& out);

  std::span<const std::uint8_t> octets() const { return {octets_.data(), size_}; }

  // Puts the arcs of `below` after this identifier's own, as X.690 8.20
  // reads a relative identifier against its base: "ifDescr" and "7" make
  // ifDescr.7. Fails with TooManyContentsOctets, the size the two would
  // take as its number, when that is more than MaxOctets; the identifier is
  // then unchanged.
  std::optional<Error> appendArcs(const RelativeOid& below);

  bool operator==(const ObjectIdentifier& other) const {
    const auto mine = octets();
    const auto theirs = other.octets();
    return std::equal(mine.begin(), mine.end(), theirs.begin(), theirs.end());
  }

 protected:
  // The library's readers build values in place, in a class derived from
  // this one, once they have checked what they read.
  // Only the first size_ octets are ever read; the rest are left unfilled,
  // as filling them would cost every value more than its whole reading.
  std::array<std::uint8_t, MaxOctets> octets_;  // NOLINT(*-member-init)
  std::size_t size_ = 1;
};

// Where `octets` hold a subidentifier padded with a leading 80 octet, which
// X.690 8.19.2 forbids: the index of the first such octet, or nothing.
std::optional<std::size_t> paddingOctetIn(std::span<const std::uint8_t> octets);

}  // namespace pellamar
