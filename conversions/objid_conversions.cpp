#include "objid_conversions.hpp"

#include <array>
#include <charconv>
#include <cstddef>
#include <limits>

#include "arc_rules.hpp"
#include "base128.hpp"
#include "character_names.hpp"
#include "checked_width.hpp"
#include "octet_text.hpp"

namespace pellamar {

namespace {

using detail::MaxContentsOctets;
using detail::RootArcRule;

// A lone arc is written as one octet and never packed, so it stays below the
// first value that needs a second base-128 digit.
constexpr std::int32_t MaxLoneArc = 127;

// Arc values, and the first subidentifier, are 32-bit signed integers.
constexpr std::int64_t MaxArc = std::numeric_limits<std::int32_t>::max();

// Text positions and counts are 16-bit signed integers.
constexpr std::int64_t MaxTextPosition = std::numeric_limits<std::int16_t>::max();

const Latin1Form latin1;

// The value of the subidentifier that starts at objid[start], within the
// first `count` octets, held to the 32-bit arcs. `name()` says which one it
// is in a message ("arc 3"); `position` is the text position the errors
// report.
template <typename Name>
detail::Subidentifier readArc(const ObjIDBuffer& objid, int start, int count, Name&& name,
                              int position, std::uint64_t& value) {
  const detail::Subidentifier span = detail::subidentifierAt(objid, start, count);
  value = detail::valueUpTo(objid, span, MaxArc);
  if (value > MaxArc) {
    throw ConversionError(ErrorKind::Overflow,
                          detail::capitalized(name()) + " is larger than 2147483647.", position);
  }
  if (!span.finished) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "The octets end in the middle of " + name() +
                              ": its last octet still has the top bit set, so the text looks "
                              "cut off.",
                          position);
  }
  return span;
}

// One arc of the dotted text, with the index in the text where it starts.
struct Arc {
  std::int32_t value;
  std::size_t index;
};

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Splits the dotted text into arcs in one pass. Each arc is read the lenient
// way: blanks before its number are skipped, an optional sign is taken, and
// reading stops at the first character that cannot continue the number (an
// arc without digits reads as 0). The positions of the full stops are kept
// within the 16-bit width that the conversions count text in.
class ArcReader {
 public:
  ArcReader(std::string_view s, const TextForm& form)
      : s_(s),
        form_(form),
        fullStopsMayOverflow_(s.size() >= static_cast<std::size_t>(MaxTextPosition)) {
    // Every position up to the one after the last character is an int.
    detail::narrow<int>(static_cast<std::int64_t>(s.size()) + 1, [size = s.size()] {
      return "The identifier text is " + std::to_string(size) +
             " characters long, too long to read.";
    });
  }

  bool done() const { return done_; }

  int positionOf(const Arc& arc) const { return form_.positionOf(s_, arc.index); }

  [[gnu::always_inline]] Arc next() {
    const std::size_t size = s_.size();
    std::size_t at = start_;
    bool negative = false;
    // Most arcs start with their first digit; blanks and signs are rare.
    if (at < size && !isDigit(s_[at])) [[unlikely]] {
      while (at < size && isBlank(s_[at])) {
        ++at;
      }
    }
    const std::size_t arcStart = at;
    if (at < size && (s_[at] == '+' || s_[at] == '-')) [[unlikely]] {
      negative = s_[at] == '-';
      ++at;
    }
    const std::size_t digitsStart = at;
    std::int64_t value = 0;
    for (; at < size && isDigit(s_[at]); ++at) {
      // Stops growing once past the limit, so no run of digits wraps around.
      if (value <= MaxArc) {
        value = value * 10 + (s_[at] - '0');
      }
    }
    const std::string_view digits = s_.substr(digitsStart, at - digitsStart);
    if (negative && value != 0) [[unlikely]] {
      throwNegativeArc(digits, form_.positionOf(s_, arcStart));
    }
    if (value > MaxArc) [[unlikely]] {
      throwArcTooLarge(digits, form_.positionOf(s_, arcStart));
    }
    // Usually the number runs right up to the full stop.
    const std::size_t dot = at < size && s_[at] == '.' ? at : s_.find('.', at);
    if (dot == std::string_view::npos) {
      done_ = true;
    } else {
      if (fullStopsMayOverflow_) {
        checkFullStopPosition(dot);
      }
      start_ = dot + 1;
    }
    return {static_cast<std::int32_t>(value), arcStart};
  }

 private:
  [[noreturn, gnu::noinline, gnu::cold]] static void throwNegativeArc(std::string_view digits,
                                                                      int position) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "The arc -" + detail::quoteDigits(digits) + " at position " +
                              std::to_string(position) +
                              " is negative; arcs are whole numbers from 0 up.",
                          position);
  }

  [[noreturn, gnu::noinline, gnu::cold]] static void throwArcTooLarge(std::string_view digits,
                                                                      int position) {
    throw ConversionError(ErrorKind::Overflow,
                          "The arc " + detail::quoteDigits(digits) + " at position " +
                              std::to_string(position) + " is larger than 2147483647.",
                          position);
  }

  // The position after the full stop, where the next arc starts, has to fit
  // a 16-bit position.
  void checkFullStopPosition(std::size_t dot) const {
    const int dotPosition = form_.positionOf(s_, dot);
    detail::narrow<std::int16_t>(
        static_cast<std::int64_t>(dot) + 2,
        [&] {
          return "The identifier is too long: its full stop at position " +
                 std::to_string(dotPosition) + " lies beyond position " +
                 std::to_string(MaxTextPosition - 1) + ".";
        },
        dotPosition);
  }

  std::string_view s_;
  const TextForm& form_;
  // Only a text this long can hold a full stop past the 16-bit positions.
  bool fullStopsMayOverflow_;
  std::size_t start_ = 0;
  bool done_ = false;
};

std::int32_t firstSubidentifier(const ArcReader& arcs, const Arc& first, const Arc& second) {
  if (first.value >= RootArcRule::RootCount) {
    detail::throwFirstArcOutOfRange(std::to_string(first.value), arcs.positionOf(first));
  }
  if (first.value < RootArcRule::RootCount - 1 &&
      second.value >= RootArcRule::ChildrenOfSmallRoot) {
    detail::throwSecondArcOutOfRange(std::to_string(first.value), std::to_string(second.value),
                                     arcs.positionOf(second));
  }
  const std::int64_t packed =
      std::int64_t{first.value} * RootArcRule::ChildrenOfSmallRoot + second.value;
  if (packed > MaxArc) {
    throw ConversionError(ErrorKind::Overflow,
                          "The first two arcs " + std::to_string(first.value) + "." +
                              std::to_string(second.value) + " make the first subidentifier " +
                              std::to_string(packed) + ", which is larger than 2147483647.",
                          arcs.positionOf(second));
  }
  return static_cast<std::int32_t>(packed);
}

[[noreturn, gnu::noinline, gnu::cold]] void throwTooManyOctets(int position) {
  throw ConversionError(ErrorKind::IndexOutOfRange,
                        "The identifier needs more than " + std::to_string(MaxContentsOctets) +
                            " octets: the arc at position " + std::to_string(position) +
                            " no longer fits.",
                        position);
}

// Appends the octets of one subidentifier, refusing any past the limit.
[[gnu::always_inline]] inline int appendSubidentifier(ObjIDBuffer& objid, int count,
                                                      std::int32_t value, const ArcReader& arcs,
                                                      const Arc& arc) {
  const auto unsignedValue = static_cast<std::uint32_t>(value);
  const int length = detail::base128Length(unsignedValue);
  if (count + length > MaxContentsOctets) [[unlikely]] {
    throwTooManyOctets(arcs.positionOf(arc));
  }
  return detail::writeBase128(objid, count, unsignedValue, length);
}

std::int16_t loneArc(ObjIDBuffer& objid, const ArcReader& arcs, const Arc& arc) {
  if (arc.value > MaxLoneArc) {
    throw ConversionError(ErrorKind::Overflow,
                          "A single arc is written as one octet, so it must be at most " +
                              std::to_string(MaxLoneArc) + ", but it is " +
                              std::to_string(arc.value) + ".",
                          arcs.positionOf(arc));
  }
  objid[0] = static_cast<std::uint8_t>(arc.value);
  return 1;
}

}  // namespace

std::int16_t ObjIDStringToBinary(ObjIDBuffer& objid, std::string_view s) {
  return ObjIDStringToBinary(objid, s, latin1);
}

std::int16_t ObjIDStringToBinary(ObjIDBuffer& objid, std::string_view s, const TextForm& form) {
  ArcReader arcs(s, form);
  const Arc first = arcs.next();
  if (arcs.done()) {
    return loneArc(objid, arcs, first);
  }
  const Arc second = arcs.next();
  int count = appendSubidentifier(objid, 0, firstSubidentifier(arcs, first, second), arcs, second);
  while (!arcs.done()) {
    const Arc arc = arcs.next();
    count = appendSubidentifier(objid, count, arc.value, arcs, arc);
  }
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
  std::string text(static_cast<std::size_t>(detail::base64Length(numObjBytes)), '\0');
  detail::writeBase64(octets, text.data());
  return text;
}

std::string ObjIDBinaryToHex(const ObjIDBuffer& objid, std::int16_t numObjBytes) {
  if (numObjBytes <= 0) {
    return {};
  }
  const auto octets = objid.first(numObjBytes);
  std::string text(octets.size() * 3, '\0');
  detail::writeHex(octets, text.data());
  return text;
}

std::int16_t ObjIDBase64ToBinary(std::string_view s, ObjIDBuffer& objid) {
  ObjIDBuffer contents;
  return ObjIDContentsToBinary(contents, ObjIDBase64ToContents(s, contents), objid);
}

std::int16_t ObjIDBase64ToContents(std::string_view s, ObjIDBuffer& contents) {
  return static_cast<std::int16_t>(
      detail::decodeBase64(s, contents.first(MaxContentsOctets), latin1, Base64Reading::Lenient));
}

std::int16_t ObjIDHexToContents(std::string_view s, ObjIDBuffer& contents) {
  return static_cast<std::int16_t>(detail::decodeHex(s, contents.first(MaxContentsOctets), latin1));
}

std::int16_t ObjIDContentsToBinary(const ObjIDBuffer& contents, std::int16_t numObjBytes,
                                   ObjIDBuffer& objid) {
  if (numObjBytes <= 0) {
    return 0;
  }
  if (numObjBytes > MaxContentsOctets) {
    throw ConversionError(ErrorKind::IndexOutOfRange,
                          "There are " + std::to_string(numObjBytes) +
                              " octets, but an identifier has at most " +
                              std::to_string(MaxContentsOctets) + ".",
                          MaxContentsOctets + 1);
  }
  std::uint64_t value = 0;
  const detail::Subidentifier first = readArc(
      contents, 0, numObjBytes,
      [] { return std::string("the first subidentifier (the first two arcs)"); }, 1, value);
  objid[0] = static_cast<std::uint8_t>(RootArcRule::rootOf(value));
  const std::uint64_t child = RootArcRule::childOf(value);
  int written = detail::writeBase128(objid, 1, child, detail::base128Length(child));
  for (int index = first.end; index < numObjBytes; ++index) {
    objid[written++] = contents[index];
  }
  return static_cast<std::int16_t>(written);
}

std::string ObjIDBinaryToString(const ObjIDBuffer& objid, std::int16_t numObjBytes) {
  if (numObjBytes <= 0) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "There are no octets, so there is no identifier to show.");
  }
  // Built in place and copied once. An arc takes at most 4 characters an
  // octet with its full stop (3 digits for 1 octet, 10 for 5).
  // Left unfilled: only what is written is copied out.
  std::array<char, std::size_t{ObjIDBuffer::Size} * 4> text;  // NOLINT(*-member-init)
  char* end = text.data();
  int arcNumber = 1;
  for (int index = 0; index < numObjBytes; ++arcNumber) {
    std::uint64_t value = 0;
    const detail::Subidentifier arc = readArc(
        objid, index, numObjBytes, [arcNumber] { return "arc " + std::to_string(arcNumber); }, 0,
        value);
    if (index > 0) {
      *end++ = '.';
    }
    end = std::to_chars(end, text.data() + text.size(), value).ptr;
    index = arc.end;
  }
  return {text.data(), end};
}

}  // namespace pellamar
