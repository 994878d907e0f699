// Contents octets built from arcs given one at a time, of any size, by the
// readers of dotted text, value notation and blank-separated arcs: the one
// place where their arcs are held to X.690's rules.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "arc_rules.hpp"
#include "base128.hpp"
#include "pellamar/error.hpp"
#include "pellamar/object_identifier.hpp"

namespace pellamar::detail {

// An identifier built in place by a reader that has checked every octet it
// writes: its contents octets, valid once the reader is done.
class ContentsUnderConstruction : public ObjectIdentifier {
 public:
  std::uint8_t* data() { return octets_.data(); }
  std::size_t size() const { return size_; }
  void resize(std::size_t size) { size_ = size; }
};

class ArcBuilder {
 public:
  static constexpr std::uint64_t RootCount = RootArcRule::RootCount;
  static constexpr std::uint64_t ChildrenOfSmallRoot = RootArcRule::ChildrenOfSmallRoot;

  ArcBuilder() = default;
  // A builder of the arcs of a relative identifier, which are taken as they
  // are, as an identifier's after its first two.
  struct Relative {};
  explicit ArcBuilder(Relative /*unused*/) : arcs_(2) {}

  // Up to 18 digits an arc is below 10^18, so it and the 80 that the first
  // two arcs may add stay in 64 bits.
  static constexpr std::size_t MaxSmallDigits = 18;

  // The arc written as `digits` (ASCII digits, at least one), whose place in
  // the text read is `length` bytes from `offset`. `value` is the value of
  // `digits` when they are at most MaxSmallDigits, and is ignored otherwise.
  // Fails with LeadingZero, FirstArcOutOfRange, SecondArcOutOfRange or
  // TooManyOctets.
  [[gnu::always_inline]] std::optional<Error> add(std::string_view digits, std::uint64_t value,
                                                  std::size_t offset, std::size_t length) {
    // Every arc after the second of up to 18 digits, the bulk of every
    // identifier, takes this path.
    if (arcs_ >= 2 && digits.size() <= MaxSmallDigits && (digits.size() == 1 || digits[0] != '0'))
        [[likely]] {
      const int octets = base128Length(value);
      if (count_ + static_cast<std::size_t>(octets) <= ObjectIdentifier::MaxOctets) [[likely]] {
        ++arcs_;
        writeBase128(contents_.data() + count_, value, octets);
        count_ += static_cast<std::size_t>(octets);
        return std::nullopt;
      }
    }
    return addSlowly(digits, value, offset, length);
  }

  // The number of arcs added so far.
  std::size_t arcs() const { return arcs_; }

  // The identifier of the arcs added. Fails with NoArcs (placed at
  // `lastOffset`) or OneArc.
  std::optional<Error> finish(std::size_t lastOffset, ObjectIdentifier& out);

 private:
  // The first two arcs, arcs of more than 18 digits, and every failure.
  std::optional<Error> addSlowly(std::string_view digits, std::uint64_t value, std::size_t offset,
                                 std::size_t length);

  ContentsUnderConstruction contents_;
  std::size_t count_ = 0;
  std::size_t arcs_ = 0;
  std::uint64_t root_ = 0;
  std::size_t firstOffset_ = 0;
  std::size_t firstLength_ = 0;
};

// The value of up to ArcBuilder::MaxSmallDigits ASCII digits.
constexpr std::uint64_t smallNumber(std::string_view digits) {
  std::uint64_t value = 0;
  for (const char c : digits) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

}  // namespace pellamar::detail
