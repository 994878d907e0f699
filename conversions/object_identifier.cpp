#include "pellamar/object_identifier.hpp"

#include <array>
#include <charconv>
#include <cstring>

#include "arc_rules.hpp"
#include "base128.hpp"
#include "der_octets.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/relative_oid.hpp"

namespace pellamar {

namespace detail {

char* writeSubidentifier(std::span<const std::uint8_t> octets, Subidentifier at,
                         std::uint64_t subtract, char* out) {
  at = withoutPadding(octets, at);
  if (at.length() <= static_cast<std::size_t>(MaxSmallOctets)) {
    constexpr int longest64 = 20;
    return std::to_chars(out, out + longest64, smallValue(octets, at) - subtract).ptr;
  }
  ArcNumber value;
  bigValue(octets, at, value);
  value.subtract(static_cast<std::uint32_t>(subtract));
  return value.writeDecimal(out);
}

}  // namespace detail

namespace {

using detail::ContinuationBit;
using detail::DerHeadOctets;
using detail::LongLengthBit;
using detail::ObjectIdentifierTag;
using detail::Subidentifier;

Error placedAt(ErrorCode code, std::size_t offset, std::uint64_t number = 0,
               std::uint64_t other = 0) {
  return Error{code, offset, 1, number, other, {}};
}

// The value of a subidentifier as a message quotes it.
QuotedNumber quotedValue(std::span<const std::uint8_t> octets, const Subidentifier& at) {
  std::array<char, 212> digits{};
  const char* end = detail::writeSubidentifier(octets, at, 0, digits.data());
  return QuotedNumber(
      std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data())));
}

// Whether the subidentifier's value is above the lenient readings' limit.
bool aboveLenientLimit(std::span<const std::uint8_t> octets, Subidentifier at) {
  at = detail::withoutPadding(octets, at);
  // Five octets hold 35 bits, more than the limit's 31.
  constexpr std::size_t limitOctets = 5;
  return at.length() > limitOctets || detail::smallValue(octets, at) > detail::LargestLenientArc;
}

// The number of the arc after `arc` in messages: the first subidentifier,
// 0, holds arcs 1 and 2.
constexpr std::uint64_t nextArc(std::uint64_t arc) {
  return arc == 0 ? 3 : arc + 1;
}

}  // namespace

std::optional<std::size_t> paddingOctetIn(std::span<const std::uint8_t> octets) {
  // Without an 80 octet anywhere there is nothing to look for.
  if (octets.empty() ||
      std::memchr(octets.data(), detail::PaddingOctet, octets.size()) == nullptr) {
    return std::nullopt;
  }
  bool startsSubidentifier = true;
  for (std::size_t index = 0; index < octets.size(); ++index) {
    if (startsSubidentifier && octets[index] == detail::PaddingOctet) {
      return index;
    }
    startsSubidentifier = (octets[index] & ContinuationBit) == 0;
  }
  return std::nullopt;
}

std::optional<Error> ObjectIdentifier::fromContents(std::span<const std::uint8_t> octets,
                                                    ObjectIdentifier& out) {
  if (octets.empty()) [[unlikely]] {
    return Error{ErrorCode::NoOctets};
  }
  if (octets.size() > MaxOctets) [[unlikely]] {
    return placedAt(ErrorCode::TooManyContentsOctets, MaxOctets, octets.size());
  }
  if (const auto padding = paddingOctetIn(octets)) [[unlikely]] {
    return placedAt(ErrorCode::PaddedSubidentifier, *padding);
  }
  if ((octets.back() & ContinuationBit) != 0) [[unlikely]] {
    // Arcs are counted up to the unfinished one; the first subidentifier,
    // 0 here, holds two.
    std::uint64_t arc = 0;
    for (std::size_t index = 0; index + 1 < octets.size(); ++index) {
      if ((octets[index] & ContinuationBit) == 0) {
        arc = nextArc(arc);
      }
    }
    return placedAt(ErrorCode::CutOff, octets.size() - 1, arc);
  }
  std::memcpy(out.octets_.data(), octets.data(), octets.size());
  out.size_ = octets.size();
  return std::nullopt;
}

std::optional<Error> ObjectIdentifier::appendArcs(const RelativeOid& below) {
  const auto arcs = below.octets();
  if (arcs.size() > MaxOctets - size_) {
    return placedAt(ErrorCode::TooManyContentsOctets, MaxOctets, size_ + arcs.size());
  }
  // A relative identifier's contents are whole subidentifiers, which
  // follow the last of this one's as they are.
  std::memcpy(octets_.data() + size_, arcs.data(), arcs.size());
  size_ += arcs.size();
  return std::nullopt;
}

std::optional<Error> readContents(std::span<const std::uint8_t> octets, Reading reading,
                                  ObjectIdentifier& out) {
  if (reading == Reading::Strict || octets.empty() || octets.size() > ObjectIdentifier::MaxOctets) {
    return ObjectIdentifier::fromContents(octets, out);
  }
  // Read leniently: each subidentifier by its value, held to the limit,
  // and written again without its padding.
  std::array<std::uint8_t, ObjectIdentifier::MaxOctets> canonical{};
  std::size_t count = 0;
  std::uint64_t arc = 0;
  for (std::size_t start = 0; start < octets.size(); arc = nextArc(arc)) {
    const Subidentifier at = detail::subidentifierAt(octets, start);
    if (aboveLenientLimit(octets, at)) {
      return Error{ErrorCode::ArcAboveLimit, at.start, at.length(), arc, detail::LargestLenientArc,
                   quotedValue(octets, at)};
    }
    if (!at.finished) {
      return placedAt(ErrorCode::CutOff, octets.size() - 1, arc);
    }
    const Subidentifier value = detail::withoutPadding(octets, at);
    std::memcpy(canonical.data() + count, octets.data() + value.start, value.length());
    count += value.length();
    start = at.end;
  }
  return ObjectIdentifier::fromContents(std::span(canonical).first(count), out);
}

std::optional<Error> readDer(std::span<const std::uint8_t> octets, Reading reading,
                             ObjectIdentifier& out) {
  if (octets.empty()) {
    return placedAt(ErrorCode::NoDerOctets, 0);
  }
  if (octets[0] != ObjectIdentifierTag) {
    return placedAt(ErrorCode::NotObjectIdentifierTag, 0, octets[0]);
  }
  if (octets.size() == 1) {
    return placedAt(ErrorCode::NoLength, 0);
  }
  const std::uint8_t length = octets[1];
  if (length == LongLengthBit) {
    return placedAt(ErrorCode::IndefiniteLength, 1);
  }
  if ((length & LongLengthBit) != 0) {
    return placedAt(ErrorCode::LongFormLength, 1, length);
  }
  const std::size_t following = octets.size() - DerHeadOctets;
  if (length != following) {
    return placedAt(ErrorCode::LengthMismatch, 1, length, following);
  }
  if (length == 0) {
    return placedAt(ErrorCode::ZeroLength, 1);
  }
  auto error = readContents(octets.subspan(DerHeadOctets), reading, out);
  if (error && error->offset != Error::Nowhere) {
    error->offset += DerHeadOctets;
  }
  return error;
}

}  // namespace pellamar
