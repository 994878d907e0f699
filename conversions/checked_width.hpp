// The one place where values are narrowed to the fixed widths the
// conversions store them in (octets, 16-bit counters and positions, 32-bit
// arcs). Arithmetic is done in a 64-bit value wide enough for every step the
// conversions take, and the result is checked as it is narrowed.
#pragma once

#include <concepts>
#include <cstdint>
#include <utility>

#include "objid_buffer.hpp"

namespace pellamar::detail {

// Kept out of line and marked cold, so that building the message costs the
// callers' fast paths nothing.
template <typename Describe>
[[noreturn, gnu::noinline, gnu::cold]] void throwOverflow(Describe describe, int position) {
  throw ConversionError(ErrorKind::Overflow, describe(), position);
}

// Returns `value` as a `To`, or raises Overflow with the message that
// `describe()` builds (called only on failure, so the success path does not
// allocate) and the text position `position`.
template <std::integral To, typename Describe>
To narrow(std::int64_t value, Describe describe, int position = 0) {
  if (!std::in_range<To>(value)) [[unlikely]] {
    throwOverflow(describe, position);
  }
  return static_cast<To>(value);
}

}  // namespace pellamar::detail
