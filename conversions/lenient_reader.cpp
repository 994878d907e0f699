// Dotted text read as a calculator reads it (see readDottedLenient).
#include <array>
#include <limits>

#include "arc_builder.hpp"
#include "arc_rules.hpp"
#include "base128.hpp"
#include "base64_table.hpp"
#include "pellamar/readers.hpp"

namespace pellamar {

namespace {

// A lone arc is written as one octet and never packed, so it stays below the
// first value that needs a second base-128 digit.
constexpr std::int64_t MaxLoneArc = 127;

constexpr auto MaxArc = static_cast<std::int64_t>(detail::LargestLenientArc);

// Text positions are 16-bit: the position after a full stop, where the next
// arc starts, is at most this.
constexpr std::size_t MaxTextPosition = std::numeric_limits<std::int16_t>::max();

// Blanks and line breaks may stand before an arc's number.
constexpr bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// One arc of the text, with the byte where it starts.
struct Arc {
  std::int64_t value;
  std::size_t offset;
};

// Splits the text into arcs in one pass, the lenient way.
class ArcReader {
 public:
  explicit ArcReader(std::string_view text)
      : text_(text), fullStopsMayOverflow_(text.size() >= MaxTextPosition) {}

  bool done() const { return done_; }

  [[gnu::always_inline]] std::optional<Error> next(Arc& arc) {
    const std::size_t size = text_.size();
    std::size_t at = start_;
    // Most arcs start with their first digit; blanks and signs are rare.
    if (at < size && !detail::isDigit(text_[at])) [[unlikely]] {
      while (at < size && isSpace(text_[at])) {
        ++at;
      }
    }
    const std::size_t arcStart = at;
    bool negative = false;
    if (at < size && (text_[at] == '+' || text_[at] == '-')) [[unlikely]] {
      negative = text_[at] == '-';
      ++at;
    }
    const std::size_t digitsStart = at;
    std::int64_t value = 0;
    for (; at < size && detail::isDigit(text_[at]); ++at) {
      // Stops growing once past the limit, so no run of digits wraps around.
      if (value <= MaxArc) {
        value = value * 10 + (text_[at] - '0');
      }
    }
    const std::string_view digits = text_.substr(digitsStart, at - digitsStart);
    if ((negative && value != 0) || value > MaxArc) [[unlikely]] {
      return Error{negative ? ErrorCode::NegativeArc : ErrorCode::ArcAboveLargest,
                   arcStart,
                   at - arcStart,
                   detail::LargestLenientArc,
                   0,
                   QuotedNumber(digits)};
    }
    // Usually the number runs right up to the full stop.
    const std::size_t dot = at < size && text_[at] == '.' ? at : text_.find('.', at);
    if (dot == std::string_view::npos) {
      done_ = true;
    } else {
      if (fullStopsMayOverflow_ && dot + 2 > MaxTextPosition) [[unlikely]] {
        return Error{ErrorCode::FullStopBeyondPositions, dot, 1};
      }
      start_ = dot + 1;
    }
    // An empty last arc is placed at the text's last character, where the
    // text runs out.
    arc = {value, arcStart < size || size == 0 ? arcStart : size - 1};
    return std::nullopt;
  }

 private:
  std::string_view text_;
  // Only a text this long can hold a full stop past the 16-bit positions.
  bool fullStopsMayOverflow_;
  std::size_t start_ = 0;
  bool done_ = false;
};

Error arcError(ErrorCode code, const Arc& arc, std::uint64_t number, std::uint64_t other,
               std::uint64_t quoted) {
  return Error{code, arc.offset, 1, number, other, QuotedNumber(quoted)};
}

}  // namespace

std::optional<Error> readDottedLenient(std::string_view text, ObjectIdentifier& out) {
  // Every subidentifier is written whole, in base 128 without padding.
  detail::ContentsUnderConstruction contents;
  std::uint8_t* const octets = contents.data();
  ArcReader arcs(text);
  Arc first{};
  if (auto error = arcs.next(first)) {
    return error;
  }
  if (arcs.done()) {
    if (first.value > MaxLoneArc) {
      return arcError(ErrorCode::LoneArcTooLarge, first, static_cast<std::uint64_t>(first.value), 0,
                      0);
    }
    octets[0] = static_cast<std::uint8_t>(first.value);
    contents.resize(1);
    out = contents;
    return std::nullopt;
  }
  Arc second{};
  if (auto error = arcs.next(second)) {
    return error;
  }
  const auto root = static_cast<std::uint64_t>(first.value);
  const auto child = static_cast<std::uint64_t>(second.value);
  if (root >= detail::RootArcRule::RootCount) {
    return arcError(ErrorCode::FirstArcOutOfRange, first, 0, 0, root);
  }
  if (root < detail::RootArcRule::RootCount - 1 &&
      child >= detail::RootArcRule::ChildrenOfSmallRoot) {
    return arcError(ErrorCode::SecondArcOutOfRange, second, root, 0, child);
  }
  std::uint64_t value = root * detail::RootArcRule::ChildrenOfSmallRoot + child;
  if (value > detail::LargestLenientArc) {
    return arcError(ErrorCode::FirstSubidentifierTooLarge, second, root, child, value);
  }
  std::size_t count = 0;
  std::uint64_t arcNumber = 2;
  Arc arc = second;
  for (;;) {
    const int length = detail::base128Length(value);
    if (count + static_cast<std::size_t>(length) > ObjectIdentifier::MaxOctets) [[unlikely]] {
      return arcError(ErrorCode::TooManyOctets, arc, arcNumber, 0, value);
    }
    detail::writeBase128(octets + count, value, length);
    count += static_cast<std::size_t>(length);
    if (arcs.done()) {
      break;
    }
    if (auto error = arcs.next(arc)) [[unlikely]] {
      return error;
    }
    value = static_cast<std::uint64_t>(arc.value);
    ++arcNumber;
  }
  contents.resize(count);
  out = contents;
  return std::nullopt;
}

}  // namespace pellamar
