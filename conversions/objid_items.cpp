#include "objid_items.hpp"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <optional>

#include "arc_rules.hpp"
#include "base128.hpp"
#include "character_names.hpp"
#include "octet_text.hpp"

namespace pellamar {

namespace {

using detail::ArcNumber;
using detail::MaxContentsOctets;
using detail::RootArcRule;
using detail::Subidentifier;

constexpr std::string_view UrnPrefix = "urn:oid:";

// UUIDs (RFC 4122, X.667): 128 bits written as 8-4-4-4-12 hexadecimal
// digits, and the arc under 2.25 that stands for each.
constexpr std::string_view UuidPrefix = "urn:uuid:";
constexpr std::size_t UuidLength = 36;
constexpr int UuidBits = 128;
constexpr std::string_view UuidRoot = "2.25.";
constexpr std::uint8_t UuidRootOctet = 2 * 40 + 25;
// 2^128 has 39 digits.
constexpr std::size_t UuidArcDigits = 39;

bool isUuidHyphenIndex(std::size_t index) {
  return index == 8 || index == 13 || index == 18 || index == 23;
}

// Up to 18 digits an arc is below 10^18, so it and the 80 that the first
// two arcs may add stay in 64 bits.
constexpr std::size_t MaxSmallDigits = 18;

// The largest subidentifier that fits 100 octets is 2^700 - 1, which has 211
// digits: an arc of more digits never fits.
constexpr std::size_t MaxArcDigits = 211;

std::uint64_t smallNumber(std::string_view digits) {
  std::uint64_t value = 0;
  for (const char c : digits) {
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

std::string at(int position) {
  return " at position " + std::to_string(position);
}

// The position of the text's last character, where a fault found when the
// text runs out is reported.
int lastPosition(std::string_view text, const TextForm& form) {
  return text.empty() ? 1 : form.positionOf(text, text.size() - 1);
}

[[noreturn]] void fail(const std::string& message, int position) {
  throw ConversionError(ErrorKind::InvalidArgument, message, position);
}

// Whether `text` starts with `prefix` (lower case), letters in either case.
bool startsWithCaseless(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) {
    return false;
  }
  for (std::size_t index = 0; index < prefix.size(); ++index) {
    const char c = text[index];
    const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != prefix[index]) {
      return false;
    }
  }
  return true;
}

[[noreturn, gnu::noinline, gnu::cold]] void throwNoArcs(std::string_view s, std::size_t start,
                                                        const TextForm& form) {
  fail("The identifier has no arcs" + std::string(start == 0 ? "" : " after its prefix") + ".",
       lastPosition(s, form));
}

[[noreturn, gnu::noinline, gnu::cold]] void failOnCharacter(std::string_view s, std::size_t index,
                                                            const TextForm& form);

// Where an arc should start, at `index`, there is none: the text ends, or a
// full stop or another character stands there.
[[noreturn, gnu::noinline, gnu::cold]] void throwMissingArc(std::string_view s, std::size_t index,
                                                            const TextForm& form) {
  if (index == s.size()) {
    const int position = form.positionOf(s, index - 1);
    fail("The identifier ends with a full stop" + at(position) +
             ", where another arc should follow.",
         position);
  }
  if (s[index] == '.') {
    const int position = form.positionOf(s, index);
    fail("The full stop" + at(position) +
             " does not follow an arc: arcs are separated by single full stops.",
         position);
  }
  failOnCharacter(s, index, form);
}

[[noreturn]] void failOnCharacter(std::string_view s, std::size_t index, const TextForm& form) {
  const int position = form.positionOf(s, index);
  fail(detail::capitalized(form.nameAt(s, index)) + at(position) +
           " cannot stand in an identifier, which has only digits and full stops.",
       position);
}

// The two digits of each number below 100.
constexpr auto DigitPairs = [] {
  std::array<std::array<char, 2>, 100> pairs{};
  for (std::size_t number = 0; number < pairs.size(); ++number) {
    pairs.at(number) = {static_cast<char>('0' + number / 10), static_cast<char>('0' + number % 10)};
  }
  return pairs;
}();

// Most arcs are below 100, and take the short way.
char* writeDecimal(char* out, std::uint64_t value) {
  if (value < 10) {
    *out = static_cast<char>('0' + value);
    return out + 1;
  }
  if (value < DigitPairs.size()) {
    std::memcpy(out, DigitPairs[static_cast<std::size_t>(value)].data(), 2);
    return out + 2;
  }
  return std::to_chars(out, out + MaxSmallDigits + 2, value).ptr;
}

// The decimal digits of one subidentifier's value, without leading zeros.
// Leading 80 octets add nothing to the value and are passed over.
char* writeValue(const ObjIDBuffer& octets, Subidentifier span, std::uint64_t subtract, char* out) {
  while (span.length() > 1 && octets[span.start] == detail::ContinuationBit) {
    ++span.start;
  }
  if (span.length() <= detail::MaxSmallOctets) {
    return std::to_chars(out, out + 20, detail::smallValue(octets, span) - subtract).ptr;
  }
  ArcNumber value;
  detail::bigValue(octets, span, value);
  value.subtract(static_cast<std::uint32_t>(subtract));
  return value.writeDecimal(out);
}

[[noreturn]] void throwArcAboveLimit(const ObjIDBuffer& octets, const Subidentifier& span,
                                     int arcNumber, std::uint64_t limit,
                                     const OctetPlaces& places) {
  std::array<char, MaxDottedLength> digits{};
  const char* end = writeValue(octets, span, 0, digits.data());
  const std::string value = detail::quoteDigits(
      std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
  const int position = places.firstPositionOf(span.start);
  const std::string place = arcNumber == 1
                                ? std::string("The first subidentifier (the first two arcs)")
                                : "Arc " + std::to_string(arcNumber);
  throw ConversionError(
      ErrorKind::Overflow,
      place + ", " + value + at(position) + ", is larger than " + std::to_string(limit) + ".",
      position);
}

}  // namespace

ContentsBuilder::ContentsBuilder(ObjIDBuffer& contents, std::string_view text, const TextForm& form)
    : octets_(contents.first(ObjIDBuffer::Size).data()), text_(text), form_(form) {}

int ContentsBuilder::positionOf(std::string_view place) const {
  return form_.positionOf(text_, static_cast<std::size_t>(place.data() - text_.data()));
}

void ContentsBuilder::tooManyOctets(std::string_view digits, std::string_view place) const {
  const int position = positionOf(place);
  throw ConversionError(ErrorKind::IndexOutOfRange,
                        "The identifier needs more than " + std::to_string(MaxContentsOctets) +
                            " octets: arc " + std::to_string(arcs_) + " (" +
                            detail::quoteDigits(digits) + at(position) + ") no longer fits.",
                        position);
}

void ContentsBuilder::firstOutOfRange(std::string_view place) const {
  detail::throwFirstArcOutOfRange(first_, positionOf(place));
}

void ContentsBuilder::secondOutOfRange(std::string_view digits, std::string_view place) const {
  detail::throwSecondArcOutOfRange(first_, digits, positionOf(place));
}

void ContentsBuilder::leadingZero(std::string_view place) const {
  const int position = positionOf(place);
  fail("The arc" + at(position) + " starts with a zero; arcs are written without leading zeros.",
       position);
}

void ContentsBuilder::add(std::string_view digits, std::string_view place) {
  add(digits, digits.size() <= MaxSmallDigits ? smallNumber(digits) : 0, place);
}

// Every arc after the second of up to 18 digits, the bulk of every
// identifier, takes this path; the rest, and every failure, take addSlowly.
[[gnu::always_inline]] inline void ContentsBuilder::addArc(std::string_view digits,
                                                           std::uint64_t value,
                                                           std::string_view place) {
  if (arcs_ < 2 || digits.size() > MaxSmallDigits || (digits.size() > 1 && digits.front() == '0'))
      [[unlikely]] {
    addSlowly(digits, value, place);
    return;
  }
  const int length = detail::base128Length(value);
  if (count_ + length > MaxContentsOctets) [[unlikely]] {
    addSlowly(digits, value, place);
    return;
  }
  ++arcs_;
  detail::writeBase128(octets_ + count_, value, length);
  count_ += length;
}

void ContentsBuilder::add(std::string_view digits, std::uint64_t value, std::string_view place) {
  addArc(digits, value, place);
}

void ContentsBuilder::addSlowly(std::string_view digits, std::uint64_t value,
                                std::string_view place) {
  if (place.empty()) {
    place = digits;
  }
  if (digits.size() > 1 && digits.front() == '0') {
    leadingZero(place);
  }
  ++arcs_;
  std::uint64_t addend = 0;
  if (arcs_ == 1) {
    first_ = digits;
    firstPlace_ = place;
    if (digits.size() > 1 || value >= RootArcRule::RootCount) {
      firstOutOfRange(place);
    }
    return;
  }
  if (arcs_ == 2) {
    const auto root = static_cast<std::uint64_t>(first_.front() - '0');
    if (root < RootArcRule::RootCount - 1 &&
        (digits.size() > 2 || value >= RootArcRule::ChildrenOfSmallRoot)) {
      secondOutOfRange(digits, place);
    }
    addend = root * RootArcRule::ChildrenOfSmallRoot;
  }
  if (digits.size() <= MaxSmallDigits) {
    value += addend;
    const int length = detail::base128Length(value);
    if (count_ + length > MaxContentsOctets) {
      tooManyOctets(digits, place);
    }
    detail::writeBase128(octets_ + count_, value, length);
    count_ += length;
    return;
  }
  addLarge(digits, place, addend);
}

void ContentsBuilder::addLarge(std::string_view digits, std::string_view place,
                               std::uint64_t addend) {
  ArcNumber number;
  if (digits.size() > MaxArcDigits || !number.assignDecimal(digits) ||
      !number.add(static_cast<std::uint32_t>(addend)) ||
      count_ + number.base128Length() > MaxContentsOctets) {
    tooManyOctets(digits, place);
  }
  count_ = static_cast<int>(detail::writeBase128(octets_ + count_, number) - octets_);
}

std::int16_t ContentsBuilder::finish() {
  if (arcs_ < 2) [[unlikely]] {
    tooFewArcs();
  }
  return static_cast<std::int16_t>(count_);
}

void ContentsBuilder::tooFewArcs() const {
  if (arcs_ == 0) {
    fail("The identifier has no arcs.", lastPosition(text_, form_));
  }
  const int first = positionOf(firstPlace_);
  fail("The identifier has only one arc" + at(first) + "; it needs at least two.", first);
}

std::int16_t ObjIDStrictStringToContents(std::string_view s, ObjIDBuffer& contents,
                                         const TextForm& form) {
  std::size_t start = 0;
  if (startsWithCaseless(s, UrnPrefix)) {
    start = UrnPrefix.size();
  } else if (!s.empty() && s.front() == '.') {
    start = 1;
  }
  if (start == s.size()) [[unlikely]] {
    throwNoArcs(s, start, form);
  }
  ContentsBuilder builder(contents, s, form);
  std::size_t index = start;
  const char* const text = s.data();
  const std::size_t size = s.size();
  // The builder's state is kept here while arcs are read, and handed back
  // to it for the first two arcs, long arcs and failures.
  std::uint8_t* const octets = builder.octets_;
  int count = 0;
  int arcs = 0;
  for (;;) {
    const std::size_t arcStart = index;
    // The value is right for the arcs of up to 18 digits, which are all the
    // builder takes it for.
    std::uint64_t value = 0;
    for (unsigned digit = 0;
         index < size && (digit = static_cast<unsigned char>(text[index]) - unsigned{'0'}) < 10;
         ++index) {
      value = value * 10 + digit;
    }
    const std::size_t digits = index - arcStart;
    if (digits == 0) [[unlikely]] {
      throwMissingArc(s, index, form);
    }
    const int length = detail::base128Length(value);
    if (arcs < 2 || digits > MaxSmallDigits || (digits > 1 && text[arcStart] == '0') ||
        count + length > MaxContentsOctets) [[unlikely]] {
      builder.arcs_ = arcs;
      builder.count_ = count;
      builder.addSlowly(std::string_view(text + arcStart, digits), value, {});
      arcs = builder.arcs_;
      count = builder.count_;
    } else {
      ++arcs;
      detail::writeBase128(octets + count, value, length);
      count += length;
    }
    if (index == size) {
      break;
    }
    if (text[index] != '.') [[unlikely]] {
      failOnCharacter(s, index, form);
    }
    ++index;
  }
  builder.arcs_ = arcs;
  builder.count_ = count;
  return builder.finish();
}

int ObjIDBase64ToOctets(std::string_view s, std::span<std::uint8_t> octets, const TextForm& form,
                        Base64Reading reading) {
  return detail::decodeBase64(s, octets, form, reading);
}

int ObjIDHexToOctets(std::string_view s, std::span<std::uint8_t> octets, const TextForm& form) {
  return detail::decodeHex(s, octets, form);
}

char* ObjIDContentsToString(const ObjIDBuffer& contents, std::int16_t count,
                            const OctetPlaces& places, char* out, std::uint64_t largestArc) {
  if (count <= 0) {
    fail("There are no octets, so there is no identifier to show.", 0);
  }
  if (count > MaxContentsOctets) {
    throw ConversionError(ErrorKind::IndexOutOfRange,
                          "There are " + std::to_string(count) +
                              " octets, but an identifier has at most " +
                              std::to_string(MaxContentsOctets) + ".",
                          places.lastPositionOf(MaxContentsOctets));
  }
  char* end = out;
  const std::uint8_t* octets = contents.first(count).data();
  int arcNumber = 1;
  for (int index = 0; index < count; ++arcNumber) {
    // The value is gathered as the octets are read; a subidentifier of more
    // than 56 bits is read again as an ArcNumber.
    const int start = index;
    std::uint64_t value = 0;
    bool large = false;
    bool finished = false;
    while (index < count) {
      const std::uint8_t octet = octets[index++];
      large = large || value >> (64 - detail::Base128Bits) != 0;
      value = value << detail::Base128Bits | (octet & detail::Base128DigitMask);
      if ((octet & detail::ContinuationBit) == 0) {
        finished = true;
        break;
      }
    }
    const Subidentifier span{start, index, finished};
    if (largestArc > 0 && (large || value > largestArc)) [[unlikely]] {
      throwArcAboveLimit(contents, span, arcNumber, largestArc, places);
    }
    if (!finished) [[unlikely]] {
      throw ConversionError(
          ErrorKind::InvalidArgument,
          "The octets end in the middle of " +
              (arcNumber == 1 ? std::string("the first subidentifier (the first two arcs)")
                              : "arc " + std::to_string(arcNumber)) +
              ": its last octet still has the top bit set, so the text looks cut off.",
          places.lastPositionOf(count - 1));
    }
    std::uint64_t subtract = 0;
    if (start == 0) {
      // A large first subidentifier is under the last root.
      const std::int32_t root = large ? RootArcRule::RootCount - 1 : RootArcRule::rootOf(value);
      *end++ = static_cast<char>('0' + root);
      subtract = static_cast<std::uint64_t>(root) * RootArcRule::ChildrenOfSmallRoot;
      ++arcNumber;
    }
    *end++ = '.';
    if (large) [[unlikely]] {
      end = writeValue(contents, span, subtract, end);
    } else {
      end = writeDecimal(end, value - subtract);
    }
  }
  return end;
}

void ObjIDContentsToString(const ObjIDBuffer& contents, std::int16_t count,
                           const OctetPlaces& places, std::string& out, std::uint64_t largestArc) {
  std::array<char, MaxDottedLength> text;  // NOLINT(*-member-init): only what is written is read
  char* end = ObjIDContentsToString(contents, count, places, text.data(), largestArc);
  out.append(text.data(), end);
}

char* ObjIDOctetsToBase64(std::span<const std::uint8_t> octets, char* out) {
  return detail::writeBase64(octets, out);
}

char* ObjIDContentsToDerBase64(std::span<const std::uint8_t> contents, char* out) {
  return detail::writeDerBase64(contents, out);
}

char* ObjIDOctetsToHex(std::span<const std::uint8_t> octets, char* out) {
  return detail::writeHex(octets, out);
}

std::optional<std::string> ObjIDUuidToString(std::string_view s) {
  if (s.size() == UuidPrefix.size() + UuidLength && startsWithCaseless(s, UuidPrefix)) {
    s.remove_prefix(UuidPrefix.size());
  }
  if (s.size() != UuidLength) {
    return std::nullopt;
  }
  ArcNumber value;
  for (std::size_t index = 0; index < s.size(); ++index) {
    const char c = s[index];
    if (isUuidHyphenIndex(index)) {
      if (c != '-') {
        return std::nullopt;
      }
    } else if (!detail::isHexDigit(c)) {
      return std::nullopt;
    } else {
      value.multiplyAdd(16, detail::hexValue(c));
    }
  }
  std::array<char, UuidArcDigits> digits{};
  char* end = value.writeDecimal(digits.data());
  return std::string(UuidRoot) + std::string(digits.data(), end);
}

std::optional<std::string> ObjIDContentsToUuid(const ObjIDBuffer& contents, std::int16_t count) {
  // 2.25 is the single octet 80 + 25.
  if (count < 2 || contents[0] != UuidRootOctet) {
    return std::nullopt;
  }
  Subidentifier span = detail::subidentifierAt(contents, 1, count);
  while (span.length() > 1 && contents[span.start] == detail::ContinuationBit) {
    ++span.start;
  }
  ArcNumber value;
  detail::bigValue(contents, span, value);
  if (!span.finished || value.bitWidth() > UuidBits) {
    return std::nullopt;
  }
  std::string uuid(UuidLength, '-');
  constexpr std::string_view lowerHex = "0123456789abcdef";
  for (std::size_t index = UuidLength; index-- > 0;) {
    if (!isUuidHyphenIndex(index)) {
      uuid[index] = lowerHex[value.divide(16)];
    }
  }
  return uuid;
}

}  // namespace pellamar
