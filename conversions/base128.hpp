// The base-128 form of subidentifiers (X.690 8.19.2), shared by every
// conversion: seven value bits an octet, most significant first, bit 7 set
// on every octet but the last. Values of up to 64 bits take the fast path;
// larger ones are Natural numbers.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

#include "natural.hpp"

namespace pellamar::detail {

inline constexpr int Base128Bits = 7;
inline constexpr std::uint8_t ContinuationBit = 0x80;
inline constexpr std::uint8_t Base128DigitMask = 0x7F;

// A subidentifier whose first octet is this carries a leading zero digit,
// which X.690 8.19.2 forbids.
inline constexpr std::uint8_t PaddingOctet = 0x80;

// Room for any subidentifier of 100 octets (700 bits), and
// for the 80 that the first-two-arcs rule adds to it.
using ArcNumber = Natural<23>;

// A value below 2^56 takes at most 8 octets, so 9 octets of a subidentifier
// can be gathered in 64 bits; a longer one is an ArcNumber.
inline constexpr int MaxSmallOctets = 9;

// The number of 7-bit groups for each bit width from 0 to 64.
inline constexpr auto Base128Lengths = [] {
  std::array<std::uint8_t, 65> lengths{};
  for (std::size_t bits = 0; bits < lengths.size(); ++bits) {
    lengths.at(bits) =
        static_cast<std::uint8_t>(bits == 0 ? 1 : (bits + Base128Bits - 1) / Base128Bits);
  }
  return lengths;
}();

constexpr int base128Length(std::uint64_t value) {
  return Base128Lengths[static_cast<std::size_t>(std::bit_width(value))];
}

// Writes `value`, whose base-128 length is `length`, at `out`; returns the
// end.
inline std::uint8_t* writeBase128(std::uint8_t* out, std::uint64_t value, int length) {
  for (int shift = (length - 1) * Base128Bits; shift > 0; shift -= Base128Bits) {
    *out++ = static_cast<std::uint8_t>(((value >> shift) & Base128DigitMask) | ContinuationBit);
  }
  *out++ = static_cast<std::uint8_t>(value & Base128DigitMask);
  return out;
}

inline std::uint8_t* writeBase128(std::uint8_t* out, const ArcNumber& value) {
  for (int group = value.base128Length() - 1; group > 0; --group) {
    *out++ = static_cast<std::uint8_t>(value.base128Group(group) | ContinuationBit);
  }
  *out++ = value.base128Group(0);
  return out;
}

// Where one subidentifier lies in the octets: from `start` to the octet
// before `end`. `finished` tells whether its last octet closes it (bit 7
// clear), or the octets ran out first.
struct Subidentifier {
  std::size_t start;
  std::size_t end;
  bool finished;

  std::size_t length() const { return end - start; }
};

// The subidentifier that starts at octets[start] (start < octets.size()).
inline Subidentifier subidentifierAt(std::span<const std::uint8_t> octets, std::size_t start) {
  for (std::size_t index = start; index < octets.size(); ++index) {
    if ((octets[index] & ContinuationBit) == 0) {
      return {start, index + 1, true};
    }
  }
  return {start, octets.size(), false};
}

// The subidentifier without the leading 80 octets that add nothing to its
// value.
inline Subidentifier withoutPadding(std::span<const std::uint8_t> octets, Subidentifier at) {
  while (at.length() > 1 && octets[at.start] == PaddingOctet) {
    ++at.start;
  }
  return at;
}

// The subidentifier's value when it has at most MaxSmallOctets octets.
inline std::uint64_t smallValue(std::span<const std::uint8_t> octets, const Subidentifier& at) {
  std::uint64_t value = 0;
  for (std::size_t index = at.start; index < at.end; ++index) {
    value = value << Base128Bits | (octets[index] & Base128DigitMask);
  }
  return value;
}

// The subidentifier's value, of any size up to 100 octets.
inline void bigValue(std::span<const std::uint8_t> octets, const Subidentifier& at,
                     ArcNumber& value) {
  value.clear();
  for (std::size_t index = at.start; index < at.end; ++index) {
    value.appendBase128Group(octets[index] & Base128DigitMask);
  }
}

// Writes the decimal digits of the value of the subidentifier, less
// `subtract`, at `out` and returns the end; `out` has room for 212
// characters. Leading 80 octets are passed over.
char* writeSubidentifier(std::span<const std::uint8_t> octets, Subidentifier at,
                         std::uint64_t subtract, char* out);

}  // namespace pellamar::detail
