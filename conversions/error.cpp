#include "pellamar/error.hpp"

#include <charconv>

#include "character_names.hpp"

namespace pellamar {

namespace {

std::string at(const ErrorPlace& place) {
  return " at position " + std::to_string(place.position);
}

std::string number(std::uint64_t value) {
  return std::to_string(value);
}

// "arc 3", or, for 0, the first subidentifier, which holds the first two
// arcs.
std::string arcCalled(std::uint64_t arc) {
  return arc == 0 ? std::string("the first subidentifier (the first two arcs)")
                  : "arc " + number(arc);
}

// The `other` octets after `count` characters of a group of four.
std::string characters(std::uint64_t count) {
  return number(count) + (count == 1 ? " character" : " characters");
}

// The text `input` would be with the character at `offset` replaced.
std::string replaced(std::string_view input, std::size_t offset, char c) {
  std::string text(input);
  if (offset < text.size()) {
    text[offset] = c;
  }
  return text;
}

std::string_view placed(std::string_view input, const Error& error) {
  return error.offset < input.size() ? input.substr(error.offset, error.length)
                                     : std::string_view{};
}

std::string quoted(std::string_view text) {
  std::string result(1, '"');
  result.append(text);
  result += '"';
  return result;
}

constexpr std::string_view UuidShape =
    "32 hexadecimal digits in groups of 8-4-4-4-12, separated by hyphens";

}  // namespace

QuotedNumber::QuotedNumber(std::string_view digits) {
  while (digits.size() > 1 && digits.front() == '0') {
    digits.remove_prefix(1);
  }
  const std::size_t kept = std::min(digits.size(), MaxDigits);
  digits.copy(text_.data(), kept);
  size_ = kept;
  if (digits.size() > MaxDigits) {
    for (int dot = 0; dot < 3; ++dot) {
      text_.at(size_++) = '.';
    }
  }
}

QuotedNumber::QuotedNumber(std::uint64_t value) {
  size_ = static_cast<std::size_t>(
      std::to_chars(text_.data(), text_.data() + text_.size(), value).ptr - text_.data());
}

std::string describe(const Error& error, std::string_view input, const ErrorPlace& place) {
  const std::string arc(error.arc.text());
  const std::string character = detail::capitalized(place.character);
  switch (error.code) {
    case ErrorCode::NoArcs:
      return "The identifier has no arcs.";
    case ErrorCode::NoArcsAfterPrefix:
      return "The identifier has no arcs after its prefix.";
    case ErrorCode::EndsWithFullStop:
      return "The identifier ends with a full stop" + at(place) +
             ", where another arc should follow.";
    case ErrorCode::FullStopWithoutArc:
      return "The full stop" + at(place) +
             " does not follow an arc: arcs are separated by single full stops.";
    case ErrorCode::NotInIdentifier:
      return character + at(place) +
             " cannot stand in an identifier, which has only digits and full stops.";
    case ErrorCode::LeadingZero:
      return "The arc" + at(place) + " starts with a zero; arcs are written without leading zeros.";
    case ErrorCode::OneArc:
      return "The identifier has only one arc" + at(place) + "; it needs at least two.";
    case ErrorCode::FirstArcOutOfRange:
      return "The first arc is " + arc + " (" + at(place).substr(1) +
             "), but it must be 0, 1 or 2.";
    case ErrorCode::SecondArcOutOfRange:
      return "Under the arc " + number(error.number) +
             " the second arc must be at most 39, but it is " + arc + " (" + at(place).substr(1) +
             ").";
    case ErrorCode::TooManyOctets:
      return "The identifier needs more than 100 octets: arc " + number(error.number) + " (" + arc +
             at(place) + ") no longer fits.";
    case ErrorCode::NegativeArc:
      return "The arc -" + arc + at(place) + " is negative; arcs are whole numbers from 0 up.";
    case ErrorCode::ArcAboveLargest:
      return "The arc " + arc + at(place) + " is larger than " + number(error.number) + ".";
    case ErrorCode::FirstSubidentifierTooLarge:
      return "The first two arcs " + number(error.number) + "." + number(error.other) +
             " make the first subidentifier " + arc + ", which is larger than 2147483647.";
    case ErrorCode::LoneArcTooLarge:
      return "A single arc is written as one octet, so it must be at most 127, but it is " +
             number(error.number) + ".";
    case ErrorCode::FullStopBeyondPositions:
      return "The identifier is too long: its full stop" + at(place) +
             " lies beyond position 32766.";
    case ErrorCode::NoClosingBrace:
      return "The value notation ends" + at(place) + " without its closing \"}\".";
    case ErrorCode::AfterClosingBrace:
      return character + at(place) + " follows the closing \"}\" of the value notation.";
    case ErrorCode::NotInValueNotation:
      return character + at(place) +
             " cannot stand in value notation, which has numbers, and names with their numbers, "
             "separated by blanks.";
    case ErrorCode::NameNeedsNumber: {
      const std::string_view name = placed(input, error);
      return "The name " + quoted(name) + at(place) +
             " needs its number: only the names of the first two levels stand alone, so write " +
             std::string(name) + "(N).";
    }
    case ErrorCode::NoNumberInParentheses: {
      const std::string_view name = placed(input, error);
      return "The name " + quoted(name) + at(place) +
             " has no number in its parentheses; value notation writes " + std::string(name) +
             "(5).";
    }
    case ErrorCode::NumberNotClosed: {
      const std::string_view name = error.number < input.size()
                                        ? input.substr(static_cast<std::size_t>(error.number),
                                                       static_cast<std::size_t>(error.other))
                                        : "";
      return "The number of " + quoted(name) + at(place) + " is not closed by \")\".";
    }
    case ErrorCode::NotAsn1Identifier:
      return "The name " + quoted(placed(input, error)) + at(place) +
             " is not an ASN.1 identifier, which starts with a lower-case letter and has no "
             "hyphen at its end or next to another.";
    case ErrorCode::NotUuidDigit:
      return character + at(place) + " cannot stand in a UUID, which is " + std::string(UuidShape) +
             ".";
    case ErrorCode::NotUuidHyphen:
      return character + at(place) + " stands where a UUID has a hyphen: a UUID is " +
             std::string(UuidShape) + ".";
    case ErrorCode::UuidTooShort:
      return "The UUID ends" + at(place) + " too early: a UUID is " + std::string(UuidShape) + ".";
    case ErrorCode::UuidTooLong:
      return character + at(place) + " follows the last digit of the UUID.";
    case ErrorCode::TextTooLong:
      return std::string("The ") + (error.other != 0 ? "hexadecimal" : "Base64") + " text is " +
             number(error.number) + " characters long; at most 32767 can be read.";
    case ErrorCode::NotBase64Character:
      return character + at(place) + " is not a Base64 character.";
    case ErrorCode::LoneBase64Character:
      return "The text cannot be Base64: " + place.character + at(place) +
             " stands alone in its group of four, which holds no octet, so one character is too "
             "many or one is missing.";
    case ErrorCode::PaddingPadsNothing:
      return "The \"=\"" + at(place) +
             " pads nothing: the characters before it make whole groups of four, and extra "
             "padding would swallow data bits.";
    case ErrorCode::PaddingTooLong:
      return "The \"=\"" + at(place) + " is one too many: after " + characters(error.number) +
             " of a group of four, at most " + number(4 - error.number) + " \"=\" may follow.";
    case ErrorCode::DataAfterPadding:
      return character + at(place) + " follows a \"=\", but \"=\" may only end the text.";
    case ErrorCode::SpareBits:
      return "The last character " + quoted(placed(input, error)) + at(place) +
             " carries bits beyond the last octet; the text would be " +
             quoted(replaced(input, error.offset, static_cast<char>(error.other))) + ".";
    case ErrorCode::Base64TooManyOctets:
      return "The Base64 text holds more than " + number(error.number) + " octets; the character" +
             at(place) + " completes one too many.";
    case ErrorCode::NotHexDigit:
      return character + at(place) + " is not a hexadecimal digit.";
    case ErrorCode::HexDigitWithoutPartner:
      return "The hexadecimal digit " + quoted(placed(input, error)) + at(place) +
             " has no partner: every octet is a pair of digits.";
    case ErrorCode::MisplacedColon:
      return "The colon" + at(place) + " does not stand between two octets.";
    case ErrorCode::HexTooManyOctets:
      return "The hexadecimal text holds more than " + number(error.number) + " octets; the pair" +
             at(place) + " is one too many.";
    case ErrorCode::NoOctets:
      return "There are no octets, so there is no identifier to show.";
    case ErrorCode::TooManyContentsOctets:
      return "There are " + number(error.number) + " octets, but an identifier has at most 100.";
    case ErrorCode::CutOff:
      return "The octets end in the middle of " + arcCalled(error.number) +
             ": its last octet still has the top bit set, so the text looks cut off.";
    case ErrorCode::ArcAboveLimit: {
      const std::string where = place.position > 0 ? at(place) : std::string();
      return detail::capitalized(arcCalled(error.number)) + ", " + arc + where +
             ", is larger than " + number(error.other) + ".";
    }
    case ErrorCode::PaddedSubidentifier:
      return "The octet 80" + at(place) +
             " pads a subidentifier with a leading zero digit, which X.690 does not allow; "
             "--lenient reads it by its value.";
    case ErrorCode::NoDerOctets:
      return "There are no octets, so there is no DER encoding to read.";
    case ErrorCode::NotRelativeOidTag:
      return "The tag is " + detail::hexPair(static_cast<std::uint8_t>(error.number)) +
             ", but the DER encoding of a relative identifier starts with the tag 0D.";
    case ErrorCode::NotObjectIdentifierTag:
    case ErrorCode::LongFormLength: {
      const std::string octet = detail::hexPair(static_cast<std::uint8_t>(error.number));
      return error.code == ErrorCode::NotObjectIdentifierTag
                 ? "The tag is " + octet +
                       ", but the DER encoding of an object identifier starts with the tag 06."
                 : "The length octet " + octet +
                       " opens a long-form length, but DER writes a length below 128 in one octet.";
    }
    case ErrorCode::NoLength:
      return "The octets end after the tag 06, where the length should follow.";
    case ErrorCode::IndefiniteLength:
      return "The length octet is 80, the indefinite form, which DER does not allow.";
    case ErrorCode::LengthMismatch:
      return "The length is " + number(error.number) + ", but " + number(error.other) +
             " octets of contents follow it.";
    case ErrorCode::ZeroLength:
      return "The length is 0, but the contents of an identifier take at least one octet.";
  }
  return "The identifier cannot be read.";
}

ErrorPlace latin1Place(const Error& error, std::string_view input) {
  if (error.offset == Error::Nowhere) {
    return {};
  }
  ErrorPlace place{static_cast<int>(error.offset) + 1, {}};
  if (error.offset < input.size()) {
    place.character = detail::nameCharacter(static_cast<unsigned char>(input[error.offset]));
  }
  return place;
}

}  // namespace pellamar
