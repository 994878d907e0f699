#include <cstddef>
#include <limits>

#include "arc_builder.hpp"
#include "arc_rules.hpp"
#include "base128.hpp"
#include "base64_table.hpp"
#include "pellamar/readers.hpp"
#include "text_rules.hpp"

namespace pellamar {

namespace detail {

std::optional<Error> ArcBuilder::addSlowly(std::string_view digits, std::uint64_t value,
                                           std::size_t offset, std::size_t length) {
  // The first two arcs of most identifiers: one digit, then one or two.
  if (arcs_ == 0 && digits.size() == 1 && value < RootCount) {
    root_ = value;
    firstOffset_ = offset;
    firstLength_ = length;
    arcs_ = 1;
    return std::nullopt;
  }
  if (arcs_ == 1 && (digits.size() == 1 || (digits.size() == 2 && digits[0] != '0')) &&
      (root_ == RootCount - 1 || value < ChildrenOfSmallRoot)) {
    value += root_ * ChildrenOfSmallRoot;
    const int octets = base128Length(value);
    writeBase128(contents_.data(), value, octets);
    count_ = static_cast<std::size_t>(octets);
    arcs_ = 2;
    return std::nullopt;
  }
  if (digits.size() > 1 && digits.front() == '0') {
    return Error{ErrorCode::LeadingZero, offset, length};
  }
  ++arcs_;
  std::uint64_t addend = 0;
  if (arcs_ == 1) {
    firstOffset_ = offset;
    firstLength_ = length;
    if (digits.size() > 1 || value >= RootArcRule::RootCount) {
      return Error{ErrorCode::FirstArcOutOfRange, offset, length, 0, 0, QuotedNumber(digits)};
    }
    root_ = value;
    return std::nullopt;
  }
  if (arcs_ == 2) {
    if (root_ < RootArcRule::RootCount - 1 &&
        (digits.size() > 2 || value >= RootArcRule::ChildrenOfSmallRoot)) {
      return Error{ErrorCode::SecondArcOutOfRange, offset, length, root_, 0, QuotedNumber(digits)};
    }
    addend = root_ * RootArcRule::ChildrenOfSmallRoot;
  }
  const auto tooMany = [&] {
    return Error{ErrorCode::TooManyOctets, offset, length, arcs_, 0, QuotedNumber(digits)};
  };
  if (digits.size() <= MaxSmallDigits) {
    value += addend;
    const int octets = base128Length(value);
    if (count_ + static_cast<std::size_t>(octets) > ObjectIdentifier::MaxOctets) {
      return tooMany();
    }
    writeBase128(contents_.data() + count_, value, octets);
    count_ += static_cast<std::size_t>(octets);
    return std::nullopt;
  }
  // The largest subidentifier that fits 100 octets is 2^700 - 1, which has
  // 211 digits: an arc of more digits never fits.
  constexpr std::size_t maxArcDigits = 211;
  ArcNumber number;
  if (digits.size() > maxArcDigits || !number.assignDecimal(digits) ||
      !number.add(static_cast<std::uint32_t>(addend)) ||
      count_ + static_cast<std::size_t>(number.base128Length()) > ObjectIdentifier::MaxOctets) {
    return tooMany();
  }
  count_ =
      static_cast<std::size_t>(writeBase128(contents_.data() + count_, number) - contents_.data());
  return std::nullopt;
}

std::optional<Error> ArcBuilder::finish(std::size_t lastOffset, ObjectIdentifier& out) {
  if (arcs_ == 0) [[unlikely]] {
    return Error{ErrorCode::NoArcs, lastOffset, 0};
  }
  if (arcs_ == 1) [[unlikely]] {
    return Error{ErrorCode::OneArc, firstOffset_, firstLength_};
  }
  // Every arc was written whole, in base 128 without padding.
  contents_.resize(count_);
  out = contents_;
  return std::nullopt;
}

}  // namespace detail

namespace {

using detail::ArcBuilder;
using detail::isDigit;

constexpr std::string_view UrnPrefix = "urn:";
constexpr std::string_view OidUrnPrefix = "urn:oid:";
constexpr std::string_view UuidUrnPrefix = "urn:uuid:";

// UUIDs (RFC 4122, X.667): 128 bits as 8-4-4-4-12 hexadecimal digits, and
// the arc under 2.25, the single octet 2 * 40 + 25, that stands for each.
constexpr std::size_t UuidLength = 36;
constexpr std::uint8_t UuidRootOctet = 2 * 40 + 25;

constexpr bool isUuidHyphenIndex(std::size_t index) {
  return index == 8 || index == 13 || index == 18 || index == 23;
}

// The byte where a fault found as the text runs out is placed.
std::size_t lastOffset(std::string_view text) {
  return text.empty() ? 0 : text.size() - 1;
}

Error characterError(ErrorCode code, std::size_t offset) {
  return Error{code, offset, 1};
}

// Where an arc should start, at `index`, there is none: the text ends, or a
// full stop or another character stands there.
Error missingArc(std::string_view text, std::size_t index) {
  if (index == text.size()) {
    return characterError(ErrorCode::EndsWithFullStop, index - 1);
  }
  return characterError(
      text[index] == '.' ? ErrorCode::FullStopWithoutArc : ErrorCode::NotInIdentifier, index);
}

// The UUID's prefix, when it has one.
std::size_t uuidStart(std::string_view text) {
  return detail::startsWithCaseless(text, UuidUrnPrefix) ? UuidUrnPrefix.size() : 0;
}

bool hasUuidShape(std::string_view text) {
  text.remove_prefix(uuidStart(text));
  if (text.size() != UuidLength) {
    return false;
  }
  for (std::size_t index = 0; index < text.size(); ++index) {
    if (isUuidHyphenIndex(index) ? text[index] != '-' : !detail::isHexDigit(text[index])) {
      return false;
    }
  }
  return true;
}

// "1 2 840 113549": only digits, blanks and tabs, and a blank or tab among
// them.
bool isBlankSeparated(std::string_view text) {
  bool blank = false;
  for (const char c : text) {
    if (detail::isBlank(c)) {
      blank = true;
    } else if (!isDigit(c)) {
      return false;
    }
  }
  return blank;
}

}  // namespace

std::optional<Error> readDotted(std::string_view text, ObjectIdentifier& out) {
  std::size_t index = 0;
  if (detail::startsWithCaseless(text, OidUrnPrefix)) {
    index = OidUrnPrefix.size();
  } else if (!text.empty() && text.front() == '.') {
    index = 1;
  }
  if (index == text.size()) [[unlikely]] {
    return Error{index == 0 ? ErrorCode::NoArcs : ErrorCode::NoArcsAfterPrefix, lastOffset(text),
                 0};
  }
  ArcBuilder builder;
  const char* const data = text.data();
  const std::size_t size = text.size();
  for (;;) {
    const std::size_t arcStart = index;
    // The value is right for the arcs of up to 18 digits, which are all the
    // builder takes it for.
    std::uint64_t value = 0;
    for (unsigned digit = 0;
         index < size && (digit = static_cast<unsigned char>(data[index]) - unsigned{'0'}) < 10;
         ++index) {
      value = value * 10 + digit;
    }
    const std::size_t digits = index - arcStart;
    if (digits == 0) [[unlikely]] {
      return missingArc(text, index);
    }
    if (auto error = builder.add(std::string_view(data + arcStart, digits), value, arcStart,
                                 digits)) [[unlikely]] {
      return error;
    }
    if (index == size) {
      break;
    }
    if (data[index] != '.') [[unlikely]] {
      return characterError(ErrorCode::NotInIdentifier, index);
    }
    ++index;
  }
  return builder.finish(lastOffset(text), out);
}

std::optional<Error> readBlankArcs(std::string_view text, ObjectIdentifier& out) {
  ArcBuilder builder;
  for (std::size_t index = 0; index < text.size();) {
    if (detail::isBlank(text[index])) {
      ++index;
      continue;
    }
    const std::size_t start = index;
    while (index < text.size() && isDigit(text[index])) {
      ++index;
    }
    if (index == start) {
      return characterError(ErrorCode::NotInIdentifier, index);
    }
    const std::string_view digits = text.substr(start, index - start);
    const std::uint64_t value =
        digits.size() <= ArcBuilder::MaxSmallDigits ? detail::smallNumber(digits) : 0;
    if (auto error = builder.add(digits, value, start, digits.size())) {
      return error;
    }
  }
  return builder.finish(lastOffset(text), out);
}

std::optional<Error> readUuid(std::string_view text, ObjectIdentifier& out) {
  const std::size_t start = uuidStart(text);
  detail::ArcNumber value;
  for (std::size_t index = 0; index < UuidLength; ++index) {
    const std::size_t at = start + index;
    if (at >= text.size()) {
      return characterError(ErrorCode::UuidTooShort, lastOffset(text));
    }
    const char c = text[at];
    if (isUuidHyphenIndex(index)) {
      if (c != '-') {
        return characterError(ErrorCode::NotUuidHyphen, at);
      }
    } else if (!detail::isHexDigit(c)) {
      return characterError(ErrorCode::NotUuidDigit, at);
    } else {
      value.multiplyAdd(16, detail::hexValue(c));
    }
  }
  if (start + UuidLength < text.size()) {
    return characterError(ErrorCode::UuidTooLong, start + UuidLength);
  }
  std::array<std::uint8_t, ObjectIdentifier::MaxOctets> octets{};
  octets[0] = UuidRootOctet;
  const std::uint8_t* end = detail::writeBase128(octets.data() + 1, value);
  return ObjectIdentifier::fromContents(
      std::span(octets).first(static_cast<std::size_t>(end - octets.data())), out);
}

TextForm formOf(std::string_view text) {
  if (text.empty()) {
    return TextForm::Dotted;
  }
  if (uuidStart(text) > 0 || hasUuidShape(text)) {
    return TextForm::Uuid;
  }
  if (text.front() == '{') {
    return TextForm::ValueNotation;
  }
  if (isBlankSeparated(text)) {
    return TextForm::BlankArcs;
  }
  if (detail::isLetter(text.front()) && !detail::startsWithCaseless(text, UrnPrefix)) {
    return TextForm::Name;
  }
  // snmptranslate -Of writes the path of names from the root after a full
  // stop: ".iso.org.dod".
  if (text.size() > 1 && text.front() == '.' && detail::isLetter(text[1])) {
    return TextForm::Name;
  }
  return TextForm::Dotted;
}

std::optional<Error> readIdentifier(std::string_view text, ObjectIdentifier& out) {
  // Most items are dotted; the other forms that start with a digit are
  // told apart only once the dotted reading has failed.
  if (!text.empty() && (isDigit(text.front()) || text.front() == '.')) [[likely]] {
    auto error = readDotted(text, out);
    if (!error) [[likely]] {
      return error;
    }
    if (isBlankSeparated(text)) {
      return readBlankArcs(text, out);
    }
    if (hasUuidShape(text)) {
      return readUuid(text, out);
    }
    return error;
  }
  switch (formOf(text)) {
    case TextForm::Uuid:
      return readUuid(text, out);
    case TextForm::ValueNotation:
      return readValueNotation(text, out);
    case TextForm::BlankArcs:
      return readBlankArcs(text, out);
    case TextForm::Dotted:
    case TextForm::Name:
      break;
  }
  return readDotted(text, out);
}

}  // namespace pellamar
