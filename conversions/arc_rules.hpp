// The rules every reading of arcs keeps, written once: the first two arcs
// and the way messages quote an arc.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pellamar::detail {

// The first-two-arcs rule of X.690 8.19.4: the first two arcs share one
// subidentifier, first * 40 + second. Arcs 0 and 1 have at most 40 children,
// so the subidentifier tells the two arcs apart: below 40 under 0, below 80
// under 1, and from 80 on under 2.
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

// A message quotes at most this many digits of an arc, so that an arc of
// thousands of digits does not flood the screen.
inline constexpr std::size_t MaxQuotedDigits = 24;

// The arc `digits` as a message quotes it: without leading zeros, and cut
// after MaxQuotedDigits digits with "...".
std::string quoteDigits(std::string_view digits);

[[noreturn]] void throwFirstArcOutOfRange(std::string_view first, int position);
[[noreturn]] void throwSecondArcOutOfRange(std::string_view first, std::string_view second,
                                           int position);

}  // namespace pellamar::detail
