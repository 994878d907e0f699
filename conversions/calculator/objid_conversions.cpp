#include "objid_conversions.hpp"

#include <array>
#include <charconv>
#include <cstddef>

#include "arc_rules.hpp"
#include "base128.hpp"
#include "base64_table.hpp"
#include "checked_width.hpp"
#include "octet_writers.hpp"
#include "pellamar/readers.hpp"

namespace pellamar {

namespace {

using detail::LargestLenientArc;

// An arc, the first subidentifier or a run of octets read as one, held to
// the calculator's 32-bit arcs. `arc` names it for a message, 0 for the
// first subidentifier; `offset` is where its failure is placed.
detail::Subidentifier readArc(std::span<const std::uint8_t> octets, std::size_t start,
                              std::uint64_t arc, std::size_t offset, std::string_view input,
                              std::uint64_t& value) {
  const detail::Subidentifier span = detail::subidentifierAt(octets, start);
  // Five octets hold 35 bits, more than the 31 an arc may take.
  constexpr std::size_t arcOctets = 5;
  const detail::Subidentifier digits = detail::withoutPadding(octets, span);
  value = digits.length() > arcOctets ? LargestLenientArc + 1 : detail::smallValue(octets, digits);
  if (value > LargestLenientArc) {
    std::array<char, 212> text{};
    const char* end = detail::writeSubidentifier(octets, span, 0, text.data());
    throw ConversionError(Error{ErrorCode::ArcAboveLimit, offset, 1, arc, LargestLenientArc,
                                QuotedNumber(std::string_view(
                                    text.data(), static_cast<std::size_t>(end - text.data())))},
                          input);
  }
  if (!span.finished) {
    throw ConversionError(Error{ErrorCode::CutOff, offset, 1, arc, 0, {}}, input);
  }
  return span;
}

}  // namespace

std::int16_t ObjIDStringToBinary(ObjIDBuffer& objid, std::string_view s) {
  ObjectIdentifier identifier;
  if (const auto error = readDottedLenient(s, identifier)) {
    throw ConversionError(*error, s);
  }
  const auto octets = identifier.octets();
  const auto count = static_cast<int>(octets.size());
  std::copy(octets.begin(), octets.end(), objid.first(count).begin());
  return static_cast<std::int16_t>(count);
}

std::string ObjIDBinaryToBase64(const ObjIDBuffer& objid, std::int16_t numObjBytes) {
  // The last index, numObjBytes - 1, is a 16-bit value too.
  detail::narrow<std::int16_t>(std::int64_t{numObjBytes} - 1, [numObjBytes] {
    return "The octet count " + std::to_string(numObjBytes) + " is out of range.";
  });
  if (numObjBytes <= 0) {
    return {};
  }
  const auto octets = objid.first(numObjBytes);
  std::string text(detail::base64Length(octets.size()), '\0');
  detail::putBase64(text.data(), octets);
  return text;
}

std::string ObjIDBinaryToHex(const ObjIDBuffer& objid, std::int16_t numObjBytes) {
  if (numObjBytes <= 0) {
    return {};
  }
  const auto octets = objid.first(numObjBytes);
  std::string text(octets.size() * 3, ' ');
  detail::putHex(text.data(), octets);
  return text;
}

std::int16_t ObjIDBase64ToBinary(std::string_view s, ObjIDBuffer& objid) {
  std::array<std::uint8_t, ObjectIdentifier::MaxOctets> contents;  // NOLINT(*-member-init)
  std::size_t count = 0;
  if (const auto error = decodeBase64(s, contents, Reading::Lenient, count)) {
    throw ConversionError(*error, s);
  }
  if (count == 0) {
    return 0;
  }
  const auto octets = std::span<const std::uint8_t>(contents).first(count);
  std::uint64_t value = 0;
  const detail::Subidentifier first = readArc(octets, 0, 0, 0, s, value);
  objid[0] = static_cast<std::uint8_t>(detail::RootArcRule::rootOf(value));
  const std::uint64_t child = detail::RootArcRule::childOf(value);
  const int childLength = detail::base128Length(child);
  objid[childLength] = 0;
  detail::writeBase128(objid.first(ObjIDBuffer::Size).data() + 1, child, childLength);
  int written = 1 + childLength;
  for (std::size_t index = first.end; index < count; ++index) {
    objid[written++] = octets[index];
  }
  return static_cast<std::int16_t>(written);
}

std::string ObjIDBinaryToString(const ObjIDBuffer& objid, std::int16_t numObjBytes) {
  if (numObjBytes <= 0) {
    throw ConversionError(Error{ErrorCode::NoOctets}, {});
  }
  const auto octets = objid.first(numObjBytes);
  // An arc takes at most 4 characters an octet with its full stop (3 digits
  // for 1 octet, 10 for 5).
  std::array<char, std::size_t{ObjIDBuffer::Size} * 4> text;  // NOLINT(*-member-init)
  char* end = text.data();
  std::uint64_t arc = 1;
  for (std::size_t index = 0; index < octets.size(); ++arc) {
    std::uint64_t value = 0;
    index = readArc(octets, index, arc, Error::Nowhere, {}, value).end;
    if (arc > 1) {
      *end++ = '.';
    }
    end = std::to_chars(end, text.data() + text.size(), value).ptr;
  }
  return {text.data(), end};
}

}  // namespace pellamar
