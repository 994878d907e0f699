// The base-128 form of subidentifiers (X.690 8.19.2), shared by every
// conversion: seven value bits an octet, most significant first, bit 7 set
// on every octet but the last. Values of up to 64 bits take the fast path;
// larger ones are Natural numbers.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "natural.hpp"
#include "objid_buffer.hpp"

namespace pellamar::detail {

inline constexpr int Base128Bits = 7;
inline constexpr std::uint8_t ContinuationBit = 0x80;
inline constexpr std::uint8_t Base128DigitMask = 0x7F;

// The most contents octets an identifier may take. The buffer holds one
// octet more so that the reverse conversion can split the first
// subidentifier into two arcs in place.
inline constexpr int MaxContentsOctets = ObjIDBuffer::Size - 1;

// Room for any subidentifier of MaxContentsOctets octets (700 bits), and
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

// Writes `value`, whose base-128 length is `length`, from objid[count];
// returns the count after it. The last index is checked once.
inline int writeBase128(ObjIDBuffer& objid, int count, std::uint64_t value, int length) {
  objid[count + length - 1] = 0;
  writeBase128(objid.first(ObjIDBuffer::Size).data() + count, value, length);
  return count + length;
}

// Where one subidentifier lies in the octets: from `start` to the octet
// before `end`. `finished` tells whether its last octet closes it (bit 7
// clear), or the octets ran out first.
struct Subidentifier {
  int start;
  int end;
  bool finished;

  int length() const { return end - start; }
};

// The subidentifier that starts at objid[start], within the first `count`
// octets (start < count).
inline Subidentifier subidentifierAt(const ObjIDBuffer& objid, int start, int count) {
  for (int index = start; index < count; ++index) {
    if ((objid[index] & ContinuationBit) == 0) {
      return {start, index + 1, true};
    }
  }
  return {start, count, false};
}

// The subidentifier's value, or `limit` + 1 when it is larger than `limit`
// (limit < 2^56), however many octets it has.
inline std::uint64_t valueUpTo(const ObjIDBuffer& objid, const Subidentifier& at,
                               std::uint64_t limit) {
  std::uint64_t value = 0;
  for (int index = at.start; index < at.end; ++index) {
    value = value << Base128Bits | (objid[index] & Base128DigitMask);
    if (value > limit) {
      return limit + 1;
    }
  }
  return value;
}

// The subidentifier's value when it has at most MaxSmallOctets octets.
inline std::uint64_t smallValue(const ObjIDBuffer& objid, const Subidentifier& at) {
  std::uint64_t value = 0;
  for (int index = at.start; index < at.end; ++index) {
    value = value << Base128Bits | (objid[index] & Base128DigitMask);
  }
  return value;
}

// The subidentifier's value, of any size up to MaxContentsOctets octets.
inline void bigValue(const ObjIDBuffer& objid, const Subidentifier& at, ArcNumber& value) {
  value.assign(0);
  for (int index = at.start; index < at.end; ++index) {
    value.appendBase128Group(objid[index] & Base128DigitMask);
  }
}

}  // namespace pellamar::detail
