#include "objid_buffer.hpp"

#include <cstddef>

#include "base64_table.hpp"
#include "character_names.hpp"
#include "checked_width.hpp"
#include "pellamar/error.hpp"

namespace pellamar {

namespace {

ErrorKind kindOf(ErrorCode code) {
  switch (code) {
    case ErrorCode::ArcAboveLargest:
    case ErrorCode::FirstSubidentifierTooLarge:
    case ErrorCode::LoneArcTooLarge:
    case ErrorCode::FullStopBeyondPositions:
    case ErrorCode::TextTooLong:
    case ErrorCode::NotBase64Character:
    case ErrorCode::ArcAboveLimit:
      return ErrorKind::Overflow;
    case ErrorCode::TooManyOctets:
    case ErrorCode::Base64TooManyOctets:
    case ErrorCode::HexTooManyOctets:
    case ErrorCode::TooManyContentsOctets:
      return ErrorKind::IndexOutOfRange;
    default:
      return ErrorKind::InvalidArgument;
  }
}

}  // namespace

const std::string_view Base64Alphabet = detail::Base64Alphabet;

ConversionError::ConversionError(ErrorKind kind, const std::string& message, int position)
    : std::runtime_error(message), kind_(kind), position_(position) {}

ConversionError::ConversionError(const Error& error, std::string_view input)
    : ConversionError(error, input, latin1Place(error, input)) {}

ConversionError::ConversionError(const Error& error, std::string_view input,
                                 const ErrorPlace& place)
    : std::runtime_error(describe(error, input, place)),
      kind_(kindOf(error.code)),
      position_(place.position) {}

void ObjIDBuffer::throwIndexOutOfRange(int index) {
  throw ConversionError(ErrorKind::IndexOutOfRange,
                        "The octet index " + std::to_string(index) +
                            " lies outside the buffer, whose indices run from 0 to " +
                            std::to_string(Size - 1) + ".");
}

std::uint8_t ConvertToVisible(std::int16_t c) {
  // The alphabet is looked up by the 1-based position c + 1, which has to
  // fit the same 16-bit width as c.
  const auto alphabetPosition = detail::narrow<std::int16_t>(std::int64_t{c} + 1, [c] {
    return "The Base64 value " + std::to_string(c) + " is too large to look up.";
  });
  if (alphabetPosition < 1 || alphabetPosition > static_cast<int>(detail::Base64Alphabet.size())) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "The Base64 value " + std::to_string(c) +
                              " is not in the alphabet, whose values run from 0 to 64.");
  }
  return static_cast<std::uint8_t>(
      detail::Base64Alphabet[static_cast<std::size_t>(alphabetPosition - 1)]);
}

std::uint8_t ConvertToBinary(std::int16_t c) {
  if (c < 0 || c > 0xFF) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "The character code " + std::to_string(c) +
                              " is not an 8-bit code, so it names no character.");
  }
  const int value = detail::base64Value(static_cast<unsigned char>(c));
  return detail::narrow<std::uint8_t>(value, [c] {
    return detail::capitalized(detail::nameCharacter(static_cast<unsigned char>(c))) +
           " is not a Base64 character.";
  });
}

}  // namespace pellamar
