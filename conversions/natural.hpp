// Natural numbers wider than 64 bits, in fixed storage, for arcs of any size.
// Only what the base-128 and decimal forms of an arc need is here: reading
// and writing decimal digits, reading and writing 7-bit groups, and adding
// or subtracting the small numbers of the first-two-arcs rule.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pellamar::detail {

// `Limbs` 32-bit limbs, least significant first. Every operation keeps the
// value below 2^(32 * Limbs) or reports that it cannot.
template <std::size_t Limbs>
class Natural {
 public:
  // Decimal digits go in and out nine at a time, the most that fit a limb.
  static constexpr std::uint32_t DecimalChunk = 1'000'000'000;
  static constexpr int DecimalChunkDigits = 9;

  // The value of `digits` (ASCII '0' to '9', at least one). Returns false,
  // leaving the value undefined, when it does not fit.
  bool assignDecimal(std::string_view digits) {
    size_ = 0;
    std::size_t head = digits.size() % DecimalChunkDigits;
    if (head == 0) {
      head = DecimalChunkDigits;
    }
    for (std::size_t at = 0; at < digits.size();) {
      const std::size_t length = at == 0 ? head : DecimalChunkDigits;
      std::uint32_t chunk = 0;
      std::uint32_t scale = 1;
      for (std::size_t digit = 0; digit < length; ++digit) {
        chunk = chunk * 10 + static_cast<std::uint32_t>(digits[at + digit] - '0');
        scale *= 10;
      }
      if (!multiplyAdd(scale, chunk)) {
        return false;
      }
      at += length;
    }
    return true;
  }

  void clear() { size_ = 0; }

  // value = value * factor + addend; false when the result does not fit.
  bool multiplyAdd(std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (std::size_t index = 0; index < size_; ++index) {
      const std::uint64_t product = std::uint64_t{limbs_[index]} * factor + carry;
      limbs_[index] = static_cast<std::uint32_t>(product);
      carry = product >> 32;
    }
    if (carry != 0) {
      if (size_ == Limbs) {
        return false;
      }
      limbs_[size_++] = static_cast<std::uint32_t>(carry);
    }
    return true;
  }

  bool add(std::uint32_t addend) { return multiplyAdd(1, addend); }

  // value = value - subtrahend; the caller makes sure that value >= subtrahend.
  void subtract(std::uint32_t subtrahend) {
    std::uint64_t borrow = subtrahend;
    for (std::size_t index = 0; index < size_ && borrow != 0; ++index) {
      const std::uint64_t limb = limbs_[index];
      limbs_[index] = static_cast<std::uint32_t>(limb - borrow);
      borrow = limb < borrow ? 1 : 0;
    }
    trim();
  }

  // value = value / divisor; returns the remainder.
  std::uint32_t divide(std::uint32_t divisor) {
    std::uint64_t remainder = 0;
    for (std::size_t index = size_; index-- > 0;) {
      const std::uint64_t current = remainder << 32 | limbs_[index];
      limbs_[index] = static_cast<std::uint32_t>(current / divisor);
      remainder = current % divisor;
    }
    trim();
    return static_cast<std::uint32_t>(remainder);
  }

  int bitWidth() const {
    return size_ == 0 ? 0 : static_cast<int>((size_ - 1) * 32 + std::bit_width(limbs_[size_ - 1]));
  }

  // The number of 7-bit groups of the value; 1 for the value 0.
  int base128Length() const { return std::max(1, (bitWidth() + 6) / 7); }

  // The 7-bit group `group`, counted from the least significant.
  std::uint8_t base128Group(int group) const {
    const auto bit = static_cast<std::size_t>(group) * 7;
    const std::size_t limb = bit / 32;
    const std::size_t shift = bit % 32;
    std::uint64_t window = limb < size_ ? limbs_[limb] : 0;
    if (limb + 1 < size_) {
      window |= std::uint64_t{limbs_[limb + 1]} << 32;
    }
    return static_cast<std::uint8_t>((window >> shift) & 0x7F);
  }

  // value = value * 128 + group; false when the result does not fit.
  bool appendBase128Group(std::uint8_t group) { return multiplyAdd(128, group); }

  // Writes the value in decimal at `out` and returns the end. The value is
  // used up. `out` has room for every digit: 10 for each limb.
  char* writeDecimal(char* out) {
    // Chunks of nine digits come out least significant first.
    std::array<std::uint32_t, Limbs * 32 / 29 + 2> chunks{};
    std::size_t count = 0;
    do {
      chunks[count++] = divide(DecimalChunk);
    } while (size_ > 0);
    out = writeChunk(out, chunks[--count], false);
    while (count > 0) {
      out = writeChunk(out, chunks[--count], true);
    }
    return out;
  }

 private:
  static char* writeChunk(char* out, std::uint32_t chunk, bool padded) {
    std::array<char, DecimalChunkDigits> digits{};
    int length = 0;
    do {
      digits[static_cast<std::size_t>(length++)] = static_cast<char>('0' + chunk % 10);
      chunk /= 10;
    } while (chunk != 0 || (padded && length < DecimalChunkDigits));
    while (length > 0) {
      *out++ = digits[static_cast<std::size_t>(--length)];
    }
    return out;
  }

  void trim() {
    while (size_ > 0 && limbs_[size_ - 1] == 0) {
      --size_;
    }
  }

  std::array<std::uint32_t, Limbs> limbs_{};
  std::size_t size_ = 0;
};

}  // namespace pellamar::detail
