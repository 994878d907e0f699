// The octets of the encoding around an identifier's contents (X.690 8.1):
// tags and length octets, which the readers, the writers and the scanner
// share.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pellamar::detail {

// The universal tags of an object identifier (8.19) and of a relative one
// (8.20).
inline constexpr std::uint8_t ObjectIdentifierTag = 0x06;
inline constexpr std::uint8_t RelativeOidTag = 0x0D;
// What DER puts before an identifier's contents: its tag and a one-octet
// length, since contents are at most 127 octets.
inline constexpr std::size_t DerHeadOctets = 2;
// A length octet with bit 7 set opens the long or, alone, the indefinite
// form (8.1.3); its other bits count the length octets that follow.
inline constexpr std::uint8_t LongLengthBit = 0x80;
inline constexpr std::uint8_t LengthCountBits = 0x7F;

}  // namespace pellamar::detail
