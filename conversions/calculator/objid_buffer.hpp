// The octet buffer that every identifier conversion reads or writes, the
// Base64 alphabet, the two single-character mappings, and the one error type
// all conversions raise.
//
// Texts handed to the conversions are byte strings with one Latin-1 code per
// character. A caller holding Unicode text puts `NonLatin1Character` in place
// of every character above U+00FF, so that it is rejected wherever a Base64
// character or a digit is expected, and named as such in error messages.
//
// The calculator's window and web page call these; they are a thin layer
// over the identifier readers and writers of pellamar/readers.hpp and
// pellamar/writers.hpp, which keeps the calculator's 16-bit counts, its
// buffer of 101 octets and its failures raised as exceptions.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "pellamar/error.hpp"

namespace pellamar {

enum class ErrorKind {
  // A value does not fit the width it is stored in: an octet, a 16-bit
  // counter or position, a 32-bit arc.
  Overflow,
  // An index falls outside the octet buffer.
  IndexOutOfRange,
  // The input, or an argument, is of a form the conversion cannot take.
  InvalidArgument,
};

// The failure of a conversion. `what()` is a sentence meant for the user: it
// names the cause and the value or character involved. `position()` is the
// 1-based position in the input text where the failure was found, or 0 when
// the failure has no place in a text (the conversions from octets).
class ConversionError : public std::runtime_error {
 public:
  ConversionError(ErrorKind kind, const std::string& message, int position = 0);
  // The failure of reading `input`, worded and placed as in a Latin-1 text.
  ConversionError(const Error& error, std::string_view input);

  ErrorKind kind() const noexcept { return kind_; }
  int position() const noexcept { return position_; }

 private:
  ConversionError(const Error& error, std::string_view input, const ErrorPlace& place);

  ErrorKind kind_;
  int position_;
};

// Fixed array of 101 octets, zero-filled when created. Every access is
// checked: an index outside 0..100 raises IndexOutOfRange.
class ObjIDBuffer {
 public:
  // One more than the 100 octets an identifier may take, so that the reverse
  // conversion has room for the first subidentifier split into two arcs.
  static constexpr int Size = 101;

  std::uint8_t& operator[](int index) { return octets_[checkedIndex(index)]; }
  std::uint8_t operator[](int index) const { return octets_[checkedIndex(index)]; }

  // The first `count` octets at once, for reading them in bulk: the count is
  // checked once instead of every index, and one outside 0..101 raises
  // IndexOutOfRange.
  std::span<const std::uint8_t> first(int count) const {
    if (count < 0 || count > Size) {
      throwIndexOutOfRange(count < 0 ? count : Size);
    }
    return {octets_.data(), static_cast<std::size_t>(count)};
  }
  std::span<std::uint8_t> first(int count) {
    const auto octets = std::as_const(*this).first(count);
    return {octets_.data(), octets.size()};
  }

 private:
  static std::size_t checkedIndex(int index) {
    if (index < 0 || index >= Size) {
      throwIndexOutOfRange(index);
    }
    return static_cast<std::size_t>(index);
  }
  [[noreturn]] static void throwIndexOutOfRange(int index);

  std::array<std::uint8_t, Size> octets_{};
};

// RFC 4648 Base64 alphabet (values 0..63) followed by the padding "=" (64).
extern const std::string_view Base64Alphabet;

// The character code of alphabet value `c` (0..64).
// Fails with InvalidArgument for `c` outside 0..64, and with Overflow for
// 32767, whose successor does not fit the 16-bit width.
std::uint8_t ConvertToVisible(std::int16_t c);

// The alphabet value (0..64) of the character with Latin-1 code `c`; case
// matters ("a" is 26). Fails with Overflow for a character outside the
// alphabet and with InvalidArgument for a code outside 0..255.
std::uint8_t ConvertToBinary(std::int16_t c);

}  // namespace pellamar
