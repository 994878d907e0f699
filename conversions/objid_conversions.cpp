#include "objid_conversions.hpp"

#include <array>
#include <charconv>
#include <cstddef>
#include <limits>

#include "base64_table.hpp"
#include "character_names.hpp"
#include "checked_width.hpp"

namespace pellamar {

namespace {

// The largest identifier the forward conversion writes. The buffer holds one
// octet more so that the reverse conversion can split the first
// subidentifier into two arcs in place.
constexpr int MaxOctets = ObjIDBuffer::Size - 1;

// A lone arc is written as one octet and never packed, so it stays below the
// first value that needs a second base-128 digit.
constexpr std::int32_t MaxLoneArc = 127;

// Arc values, and the first subidentifier, are 32-bit signed integers.
constexpr std::int64_t MaxArc = std::numeric_limits<std::int32_t>::max();

// Base 128: seven value bits an octet, bit 7 set on every octet of a
// subidentifier but its last.
constexpr int Base128Bits = 7;
constexpr std::uint8_t ContinuationBit = 0x80;
constexpr std::uint8_t Base128DigitMask = 0x7F;

// Text positions and counts are 16-bit signed integers.
constexpr std::int64_t MaxTextPosition = std::numeric_limits<std::int16_t>::max();

// A message quotes at most this many characters of an over-long arc.
constexpr std::size_t MaxQuotedDigits = 24;

// The first-two-arcs rule of X.690 8.19.4: the first two arcs share one
// subidentifier, first * 40 + second. Arcs 0 and 1 have at most 40 children,
// so the subidentifier tells the two arcs apart: below 40 under 0, below 80
// under 1, and from 80 on under 2.
struct RootArcRule {
  static constexpr std::int32_t RootCount = 3;
  static constexpr std::int32_t ChildrenOfSmallRoot = 40;

  static constexpr std::int32_t rootOf(std::int32_t subidentifier) {
    const std::int32_t root = subidentifier / ChildrenOfSmallRoot;
    return root < RootCount ? root : RootCount - 1;
  }
  static constexpr std::int32_t childOf(std::int32_t subidentifier) {
    return subidentifier - rootOf(subidentifier) * ChildrenOfSmallRoot;
  }
};

constexpr int base128Length(std::uint32_t value) {
  int length = 1;
  while (value >= (1U << Base128Bits)) {
    value >>= Base128Bits;
    ++length;
  }
  return length;
}

// Writes `value`, whose base-128 length is `length`, most significant digit
// first, from objid[count]; returns the count after it.
int writeBase128(ObjIDBuffer& objid, int count, std::uint32_t value, int length) {
  for (int shift = (length - 1) * Base128Bits; shift > 0; shift -= Base128Bits) {
    objid[count++] =
        static_cast<std::uint8_t>(((value >> shift) & Base128DigitMask) | ContinuationBit);
  }
  objid[count++] = static_cast<std::uint8_t>(value & Base128DigitMask);
  return count;
}

struct Subidentifier {
  std::int32_t value;
  int end;  // the index after its last octet
};

// Reads the subidentifier that starts at objid[start], within the first
// `count` octets. `name()` says which one it is in a message ("arc 3");
// `position` is the text position the errors report.
template <typename Name>
Subidentifier readBase128(const ObjIDBuffer& objid, int start, int count, Name&& name,
                          int position) {
  std::int32_t value = 0;
  for (int index = start; index < count; ++index) {
    const std::uint8_t octet = objid[index];
    value = detail::narrow<std::int32_t>(
        (std::int64_t{value} << Base128Bits) | (octet & Base128DigitMask),
        [&] { return detail::capitalized(name()) + " is larger than 2147483647."; }, position);
    if ((octet & ContinuationBit) == 0) {
      return {value, index + 1};
    }
  }
  throw ConversionError(ErrorKind::InvalidArgument,
                        "The octets end in the middle of " + name() +
                            ": its last octet still has the top bit set, so the text looks "
                            "cut off.",
                        position);
}

// One arc of the dotted text, with the 1-based position where it starts.
struct Arc {
  std::int32_t value;
  int position;
};

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string quoteDigits(std::string_view digits) {
  while (digits.size() > 1 && digits.front() == '0') {
    digits.remove_prefix(1);
  }
  if (digits.size() > MaxQuotedDigits) {
    return std::string(digits.substr(0, MaxQuotedDigits)) + "...";
  }
  return std::string(digits);
}

// Splits the dotted text into arcs in one pass. Each arc is read the lenient
// way: blanks before its number are skipped, an optional sign is taken, and
// reading stops at the first character that cannot continue the number (an
// arc without digits reads as 0). The positions of the full stops are kept
// within the 16-bit width that the conversions count text in.
class ArcReader {
 public:
  explicit ArcReader(std::string_view s)
      : s_(s), fullStopsMayOverflow_(s.size() >= static_cast<std::size_t>(MaxTextPosition)) {
    // Every position up to the one after the last character is an int.
    detail::narrow<int>(static_cast<std::int64_t>(s.size()) + 1, [size = s.size()] {
      return "The identifier text is " + std::to_string(size) +
             " characters long, too long to read.";
    });
  }

  bool done() const { return done_; }

  [[gnu::always_inline]] Arc next() {
    const std::size_t size = s_.size();
    std::size_t at = start_;
    int position = positionOf(at);
    bool negative = false;
    // Most arcs start with their first digit; blanks and signs are rare.
    if (at < size && !isDigit(s_[at])) [[unlikely]] {
      while (at < size && isBlank(s_[at])) {
        ++at;
      }
      position = positionOf(at);
      if (at < size && (s_[at] == '+' || s_[at] == '-')) {
        negative = s_[at] == '-';
        ++at;
      }
    }
    const std::size_t digitsStart = at;
    std::int64_t value = 0;
    for (; at < size && isDigit(s_[at]); ++at) {
      // Stops growing once past the limit, so no run of digits wraps around.
      if (value <= MaxArc) {
        value = value * 10 + (s_[at] - '0');
      }
    }
    // Only the messages quote the digits.
    const auto digits = [s = s_, digitsStart, at] {
      return s.substr(digitsStart, at - digitsStart);
    };
    if (negative && value != 0) [[unlikely]] {
      throwNegativeArc(digits(), position);
    }
    const auto arc = detail::narrow<std::int32_t>(
        value,
        [digits, position] {
          return "The arc " + quoteDigits(digits()) + " at position " + std::to_string(position) +
                 " is larger than 2147483647.";
        },
        position);
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
    return {arc, position};
  }

 private:
  [[noreturn, gnu::noinline, gnu::cold]] static void throwNegativeArc(std::string_view digits,
                                                                      int position) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "The arc -" + quoteDigits(digits) + " at position " +
                              std::to_string(position) +
                              " is negative; arcs are whole numbers from 0 up.",
                          position);
  }

  static int positionOf(std::size_t index) { return static_cast<int>(index) + 1; }

  // The position after the full stop, where the next arc starts, has to fit
  // a 16-bit position.
  static void checkFullStopPosition(std::size_t dot) {
    const int dotPosition = positionOf(dot);
    detail::narrow<std::int16_t>(
        std::int64_t{dotPosition} + 1,
        [&] {
          return "The identifier is too long: its full stop at position " +
                 std::to_string(dotPosition) + " lies beyond position " +
                 std::to_string(MaxTextPosition - 1) + ".";
        },
        dotPosition);
  }

  std::string_view s_;
  // Only a text this long can hold a full stop past the 16-bit positions.
  bool fullStopsMayOverflow_;
  std::size_t start_ = 0;
  bool done_ = false;
};

std::int32_t firstSubidentifier(const Arc& first, const Arc& second) {
  if (first.value >= RootArcRule::RootCount) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "The first arc is " + std::to_string(first.value) + " (at position " +
                              std::to_string(first.position) + "), but it must be 0, 1 or 2.",
                          first.position);
  }
  if (first.value < RootArcRule::RootCount - 1 &&
      second.value >= RootArcRule::ChildrenOfSmallRoot) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "Under the arc " + std::to_string(first.value) +
                              " the second arc must be at most 39, but it is " +
                              std::to_string(second.value) + " (at position " +
                              std::to_string(second.position) + ").",
                          second.position);
  }
  const std::int64_t packed =
      std::int64_t{first.value} * RootArcRule::ChildrenOfSmallRoot + second.value;
  return detail::narrow<std::int32_t>(
      packed,
      [&] {
        return "The first two arcs " + std::to_string(first.value) + "." +
               std::to_string(second.value) + " make the first subidentifier " +
               std::to_string(packed) + ", which is larger than 2147483647.";
      },
      second.position);
}

[[noreturn, gnu::noinline, gnu::cold]] void throwTooManyOctets(int position) {
  throw ConversionError(ErrorKind::IndexOutOfRange,
                        "The identifier needs more than " + std::to_string(MaxOctets) +
                            " octets: the arc at position " + std::to_string(position) +
                            " no longer fits.",
                        position);
}

// Appends the octets of one subidentifier, refusing any past the limit.
[[gnu::always_inline]] inline int appendSubidentifier(ObjIDBuffer& objid, int count,
                                                      std::int32_t value, int position) {
  const auto unsignedValue = static_cast<std::uint32_t>(value);
  const int length = base128Length(unsignedValue);
  if (count + length > MaxOctets) [[unlikely]] {
    throwTooManyOctets(position);
  }
  return writeBase128(objid, count, unsignedValue, length);
}

std::int16_t loneArc(ObjIDBuffer& objid, const Arc& arc) {
  if (arc.value > MaxLoneArc) {
    throw ConversionError(ErrorKind::Overflow,
                          "A single arc is written as one octet, so it must be at most " +
                              std::to_string(MaxLoneArc) + ", but it is " +
                              std::to_string(arc.value) + ".",
                          arc.position);
  }
  objid[0] = static_cast<std::uint8_t>(arc.value);
  return 1;
}

[[noreturn]] void throwBadPadding(int position, int dataCharacters) {
  const int openGroup = dataCharacters % 4;
  if (openGroup == 0) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "The \"=\" at position " + std::to_string(position) +
                              " pads nothing: the characters before it make whole groups of "
                              "four, and extra padding would swallow data bits.",
                          position);
  }
  throw ConversionError(ErrorKind::InvalidArgument,
                        "The \"=\" at position " + std::to_string(position) +
                            " is one too many: after " + std::to_string(openGroup) +
                            " characters of a group of four, at most " +
                            std::to_string(4 - openGroup) + " \"=\" may follow.",
                        position);
}

// Texts of octets are counted in 16-bit positions too.
void checkTextLength(std::string_view s, const char* form) {
  detail::narrow<std::int16_t>(static_cast<std::int64_t>(s.size()), [&] {
    return std::string("The ") + form + " text is " + std::to_string(s.size()) +
           " characters long; at most 32767 can be read.";
  });
}

// Decodes the Base64 text `s` into `octets`; returns the count.
int decodeBase64(std::string_view s, ObjIDBuffer& octets) {
  checkTextLength(s, "Base64");
  int count = 0;
  int dataCharacters = 0;
  int padding = 0;
  std::uint32_t bits = 0;
  int pendingBits = 0;
  for (std::size_t index = 0; index < s.size(); ++index) {
    const int position = static_cast<int>(index) + 1;
    const auto code = static_cast<unsigned char>(s[index]);
    const int value = detail::base64Value(code);
    if (value == detail::NotInAlphabet) {
      throw ConversionError(ErrorKind::Overflow,
                            detail::capitalized(detail::nameCharacter(code)) + " at position " +
                                std::to_string(position) + " is not a Base64 character.",
                            position);
    }
    if (value == detail::PaddingValue) {
      if (++padding > (4 - dataCharacters % 4) % 4) {
        throwBadPadding(position, dataCharacters);
      }
      continue;
    }
    if (padding > 0) {
      throw ConversionError(ErrorKind::InvalidArgument,
                            detail::capitalized(detail::nameCharacter(code)) + " at position " +
                                std::to_string(position) +
                                " follows a \"=\", but \"=\" may only end the text.",
                            position);
    }
    ++dataCharacters;
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    pendingBits += 6;
    if (pendingBits >= 8) {
      pendingBits -= 8;
      if (count == MaxOctets) {
        throw ConversionError(ErrorKind::IndexOutOfRange,
                              "The Base64 text holds more than " + std::to_string(MaxOctets) +
                                  " octets; the character at position " + std::to_string(position) +
                                  " completes one too many.",
                              position);
      }
      octets[count++] = static_cast<std::uint8_t>(bits >> pendingBits);
      bits &= (1U << pendingBits) - 1;
    }
  }
  return count;
}

bool isHexDigit(char c) {
  return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::uint8_t hexValue(char c) {
  if (isDigit(c)) {
    return static_cast<std::uint8_t>(c - '0');
  }
  return static_cast<std::uint8_t>((c | 0x20) - 'a' + 10);
}

bool isHexSeparator(char c) {
  return c == ' ' || c == '\t' || c == ':';
}

[[noreturn]] void throwNotHexDigit(char c, int position) {
  throw ConversionError(ErrorKind::InvalidArgument,
                        detail::capitalized(detail::nameCharacter(static_cast<unsigned char>(c))) +
                            " at position " + std::to_string(position) +
                            " is not a hexadecimal digit.",
                        position);
}

// Decodes hexadecimal pairs, separated by nothing, blanks or one colon.
int decodeHex(std::string_view s, ObjIDBuffer& octets) {
  checkTextLength(s, "hexadecimal");
  int count = 0;
  // Whether a colon may come next: only right after an octet and the blanks
  // behind it.
  bool colonAllowed = false;
  bool afterColon = false;
  int colonPosition = 0;
  for (std::size_t index = 0; index < s.size(); ++index) {
    const int position = static_cast<int>(index) + 1;
    const char c = s[index];
    if (c == ' ' || c == '\t') {
      continue;
    }
    if (c == ':') {
      if (!colonAllowed) {
        throw ConversionError(ErrorKind::InvalidArgument,
                              "The colon at position " + std::to_string(position) +
                                  " does not stand between two octets.",
                              position);
      }
      colonAllowed = false;
      afterColon = true;
      colonPosition = position;
      continue;
    }
    if (!isHexDigit(c)) {
      throwNotHexDigit(c, position);
    }
    const bool partnered = index + 1 < s.size() && isHexDigit(s[index + 1]);
    if (!partnered) {
      if (index + 1 < s.size() && !isHexSeparator(s[index + 1])) {
        throwNotHexDigit(s[index + 1], position + 1);
      }
      throw ConversionError(ErrorKind::InvalidArgument,
                            "The hexadecimal digit \"" + std::string(1, c) + "\" at position " +
                                std::to_string(position) +
                                " has no partner: every octet is a pair of digits.",
                            position);
    }
    if (count == MaxOctets) {
      throw ConversionError(ErrorKind::IndexOutOfRange,
                            "The hexadecimal text holds more than " + std::to_string(MaxOctets) +
                                " octets; the pair at position " + std::to_string(position) +
                                " is one too many.",
                            position);
    }
    octets[count++] = static_cast<std::uint8_t>(hexValue(c) << 4 | hexValue(s[index + 1]));
    ++index;
    colonAllowed = true;
    afterColon = false;
  }
  if (afterColon) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "The colon at position " + std::to_string(colonPosition) +
                              " does not stand between two octets.",
                          colonPosition);
  }
  return count;
}

}  // namespace

std::int16_t ObjIDStringToBinary(ObjIDBuffer& objid, std::string_view s) {
  ArcReader arcs(s);
  const Arc first = arcs.next();
  if (arcs.done()) {
    return loneArc(objid, first);
  }
  const Arc second = arcs.next();
  int count = appendSubidentifier(objid, 0, firstSubidentifier(first, second), second.position);
  while (!arcs.done()) {
    const Arc arc = arcs.next();
    count = appendSubidentifier(objid, count, arc.value, arc.position);
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
  // Sized once and written in place; the last group's padding stays.
  std::string text(static_cast<std::size_t>((numObjBytes + 2) / 3) * 4, '=');
  const auto symbol = [](std::uint32_t group, int shift) {
    return Base64Alphabet[(group >> shift) & 0x3F];
  };
  std::size_t length = 0;
  int index = 0;
  for (; index + 3 <= numObjBytes; index += 3) {
    const std::uint32_t group =
        std::uint32_t{objid[index]} << 16 | std::uint32_t{objid[index + 1]} << 8 | objid[index + 2];
    text[length++] = symbol(group, 18);
    text[length++] = symbol(group, 12);
    text[length++] = symbol(group, 6);
    text[length++] = symbol(group, 0);
  }
  if (index < numObjBytes) {
    const bool twoOctets = index + 1 < numObjBytes;
    const std::uint32_t group =
        std::uint32_t{objid[index]} << 16 | (twoOctets ? std::uint32_t{objid[index + 1]} << 8 : 0);
    text[length++] = symbol(group, 18);
    text[length++] = symbol(group, 12);
    if (twoOctets) {
      text[length] = symbol(group, 6);
    }
  }
  return text;
}

std::string ObjIDBinaryToHex(const ObjIDBuffer& objid, std::int16_t numObjBytes) {
  if (numObjBytes <= 0) {
    return {};
  }
  constexpr std::string_view hexDigits = "0123456789ABCDEF";
  std::string text(static_cast<std::size_t>(numObjBytes) * 3, ' ');
  for (int index = 0; index < numObjBytes; ++index) {
    const std::uint8_t octet = objid[index];
    const auto at = static_cast<std::size_t>(index) * 3;
    text[at] = hexDigits[octet >> 4];
    text[at + 1] = hexDigits[octet & 0x0F];
  }
  return text;
}

std::int16_t ObjIDBase64ToBinary(std::string_view s, ObjIDBuffer& objid) {
  ObjIDBuffer contents;
  return ObjIDContentsToBinary(contents, ObjIDBase64ToContents(s, contents), objid);
}

std::int16_t ObjIDBase64ToContents(std::string_view s, ObjIDBuffer& contents) {
  return static_cast<std::int16_t>(decodeBase64(s, contents));
}

std::int16_t ObjIDHexToContents(std::string_view s, ObjIDBuffer& contents) {
  return static_cast<std::int16_t>(decodeHex(s, contents));
}

std::int16_t ObjIDContentsToBinary(const ObjIDBuffer& contents, std::int16_t numObjBytes,
                                   ObjIDBuffer& objid) {
  if (numObjBytes <= 0) {
    return 0;
  }
  if (numObjBytes > MaxOctets) {
    throw ConversionError(ErrorKind::IndexOutOfRange,
                          "There are " + std::to_string(numObjBytes) +
                              " octets, but an identifier has at most " +
                              std::to_string(MaxOctets) + ".",
                          MaxOctets + 1);
  }
  const Subidentifier first = readBase128(
      contents, 0, numObjBytes,
      [] { return std::string("the first subidentifier (the first two arcs)"); }, 1);
  objid[0] = static_cast<std::uint8_t>(RootArcRule::rootOf(first.value));
  const auto child = static_cast<std::uint32_t>(RootArcRule::childOf(first.value));
  int written = writeBase128(objid, 1, child, base128Length(child));
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
    const Subidentifier arc = readBase128(
        objid, index, numObjBytes, [arcNumber] { return "arc " + std::to_string(arcNumber); }, 0);
    if (index > 0) {
      *end++ = '.';
    }
    end = std::to_chars(end, text.data() + text.size(), arc.value).ptr;
    index = arc.end;
  }
  return {text.data(), end};
}

}  // namespace pellamar
