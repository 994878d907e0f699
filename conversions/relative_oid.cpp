#include "pellamar/relative_oid.hpp"

#include <vector>

#include "arc_builder.hpp"
#include "base64_table.hpp"
#include "der_octets.hpp"
#include "pellamar/readers.hpp"

namespace pellamar {

namespace {

using detail::ObjectIdentifierTag;
using detail::RelativeOidTag;

// ObjectIdentifier counts the first subidentifier as arc 0 and the next as
// arc 3; a relative identifier's arcs are its subidentifiers.
constexpr std::uint64_t relativeArc(std::uint64_t arc) {
  return arc == 0 ? 1 : arc - 1;
}

// A relative identifier's arcs enter the builder after the first two
// arcs it keeps for identifiers.
constexpr std::uint64_t ArcsBefore = 2;

}  // namespace

std::optional<Error> RelativeOid::fromContents(std::span<const std::uint8_t> octets,
                                               RelativeOid& out) {
  auto error = ObjectIdentifier::fromContents(octets, out.contents_);
  if (error && error->code == ErrorCode::CutOff) {
    error->number = relativeArc(error->number);
  }
  return error;
}

std::optional<Error> readRelativeDer(std::span<const std::uint8_t> octets, RelativeOid& out) {
  if (!octets.empty() && octets.front() != RelativeOidTag) {
    return Error{ErrorCode::NotRelativeOidTag, 0, 1, octets.front()};
  }
  // The encoding is an identifier's under another tag, and read as one.
  std::vector<std::uint8_t> retagged(octets.begin(), octets.end());
  if (!retagged.empty()) {
    retagged.front() = ObjectIdentifierTag;
  }
  auto error = readDer(retagged, Reading::Strict, out.contents_);
  if (error && error->code == ErrorCode::CutOff) {
    error->number = relativeArc(error->number);
  }
  return error;
}

std::optional<Error> readRelativeDotted(std::string_view text, RelativeOid& out) {
  if (text.empty()) {
    return Error{ErrorCode::NoArcs, 0, 0};
  }
  detail::ArcBuilder builder(detail::ArcBuilder::Relative{});
  std::size_t index = 0;
  for (;;) {
    const std::size_t arcStart = index;
    while (index < text.size() && detail::isDigit(text[index])) {
      ++index;
    }
    const std::size_t digits = index - arcStart;
    if (digits == 0) {
      if (index == text.size()) {
        return Error{ErrorCode::EndsWithFullStop, index - 1, 1};
      }
      return Error{text[index] == '.' ? ErrorCode::FullStopWithoutArc : ErrorCode::NotInIdentifier,
                   index, 1};
    }
    const std::string_view arc = text.substr(arcStart, digits);
    const std::uint64_t value =
        digits <= detail::ArcBuilder::MaxSmallDigits ? detail::smallNumber(arc) : 0;
    if (auto error = builder.add(arc, value, arcStart, digits)) {
      if (error->code == ErrorCode::TooManyOctets) {
        error->number -= ArcsBefore;
      }
      return error;
    }
    if (index == text.size()) {
      return builder.finish(index - 1, out.contents_);
    }
    if (text[index] != '.') {
      return Error{ErrorCode::NotInIdentifier, index, 1};
    }
    ++index;
  }
}

}  // namespace pellamar
