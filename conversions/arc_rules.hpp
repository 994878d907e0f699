// The first-two-arcs rule of X.690 8.19.4, written once: the first two arcs
// share one subidentifier, first * 40 + second. Arcs 0 and 1 have at most 40
// children, so the subidentifier tells the two arcs apart: below 40 under 0,
// below 80 under 1, and from 80 on under 2.
#pragma once

#include <cstdint>

namespace pellamar::detail {

struct RootArcRule {
  static constexpr std::int32_t RootCount = 3;
  static constexpr std::int32_t ChildrenOfSmallRoot = 40;
  // The first subidentifier under the last root, 2.0.
  static constexpr std::int32_t FirstUnderLastRoot = (RootCount - 1) * ChildrenOfSmallRoot;

  static constexpr std::int32_t rootOf(std::uint64_t subidentifier) {
    return subidentifier < FirstUnderLastRoot
               ? static_cast<std::int32_t>(subidentifier / ChildrenOfSmallRoot)
               : RootCount - 1;
  }
  static constexpr std::uint64_t childOf(std::uint64_t subidentifier) {
    return subidentifier - std::uint64_t(rootOf(subidentifier)) * ChildrenOfSmallRoot;
  }
};

// The largest arc a calculator's 32-bit arcs hold, the lenient readings'
// limit for arcs and for the first subidentifier.
inline constexpr std::uint64_t LargestLenientArc = 2147483647;

}  // namespace pellamar::detail
