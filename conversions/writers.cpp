#include "pellamar/writers.hpp"

#include <array>
#include <charconv>
#include <cstring>

#include "arc_rules.hpp"
#include "base128.hpp"
#include "base64_table.hpp"
#include "der_octets.hpp"
#include "octet_writers.hpp"
#include "pellamar/relative_oid.hpp"

namespace pellamar {

namespace {

using detail::Base64Alphabet;
using detail::DerHeadOctets;
using detail::HexDigits;
using detail::ObjectIdentifierTag;
using detail::RelativeOidTag;

// A dotted text takes at most 4 characters an octet and 1 more: an arc of
// one octet is at most ".127", one of k octets at most 2.11 k digits, and
// the first subidentifier "2.47" or "2." and its digits.
constexpr std::size_t dottedBound(std::size_t octets) {
  return 4 * octets + 1;
}
constexpr std::string_view ValueNotationOpen = "{ ";
constexpr std::string_view ValueNotationClose = " }";
constexpr std::size_t UuidLength = 36;
constexpr std::string_view CArrayFirst = "0x";
constexpr std::string_view CArraySeparator = ", 0x";

constexpr std::size_t hexLength(std::size_t octets) {
  return 3 * octets - 1;
}

// Tables that give several characters at once: the hexadecimal pair of
// each octet with a blank after it, and the Base64 pair of each 12 bits.
constexpr auto HexPairs = [] {
  std::array<std::array<char, 4>, 256> pairs{};
  for (std::size_t octet = 0; octet < pairs.size(); ++octet) {
    pairs.at(octet) = {HexDigits[octet >> 4], HexDigits[octet & 0x0F], ' ', ' '};
  }
  return pairs;
}();
constexpr auto Base64Pairs = [] {
  std::array<std::array<char, 2>, 4096> pairs{};
  for (std::size_t bits = 0; bits < pairs.size(); ++bits) {
    pairs.at(bits) = {Base64Alphabet[bits >> 6], Base64Alphabet[bits & 0x3F]};
  }
  return pairs;
}();

char* put(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

}  // namespace

char* detail::putHex(char* out, std::span<const std::uint8_t> octets) {
  // Four characters are copied for each octet but the last, the fourth to
  // be written over by the next octet's pair.
  for (const std::uint8_t octet : octets.first(octets.size() - 1)) {
    std::memcpy(out, HexPairs[octet].data(), 4);
    out += 3;
  }
  std::memcpy(out, HexPairs[octets.back()].data(), 2);
  return out + 2;
}

namespace {

char* putGroup(char* out, std::uint32_t group) {
  std::memcpy(out, Base64Pairs[group >> 12].data(), 2);
  std::memcpy(out + 2, Base64Pairs[group & 0xFFF].data(), 2);
  return out + 4;
}

}  // namespace

char* detail::putBase64(char* out, std::span<const std::uint8_t> octets) {
  std::size_t index = 0;
  for (; index + 3 <= octets.size(); index += 3) {
    out = putGroup(out, std::uint32_t{octets[index]} << 16 | std::uint32_t{octets[index + 1]} << 8 |
                            octets[index + 2]);
  }
  if (index < octets.size()) {
    const bool twoOctets = index + 1 < octets.size();
    const std::uint32_t group = std::uint32_t{octets[index]} << 16 |
                                (twoOctets ? std::uint32_t{octets[index + 1]} << 8 : 0);
    out = putGroup(out, group);
    out[-1] = '=';
    if (!twoOctets) {
      out[-2] = '=';
    }
  }
  return out;
}

namespace {

using detail::putBase64;
using detail::putHex;

// The two digits of each number below 100.
constexpr auto DigitPairs = [] {
  std::array<std::array<char, 2>, 100> pairs{};
  for (std::size_t number = 0; number < pairs.size(); ++number) {
    pairs.at(number) = {static_cast<char>('0' + number / 10), static_cast<char>('0' + number % 10)};
  }
  return pairs;
}();

// Most arcs are below 100, and take the short way.
char* putDecimal(char* out, std::uint64_t value) {
  if (value < 10) {
    *out = static_cast<char>('0' + value);
    return out + 1;
  }
  if (value < DigitPairs.size()) {
    std::memcpy(out, DigitPairs[static_cast<std::size_t>(value)].data(), 2);
    return out + 2;
  }
  constexpr int longest64 = 20;
  return std::to_chars(out, out + longest64, value).ptr;
}

// The arcs, each after `separator` but the first; the first subidentifier
// holds two arcs unless the identifier is `relative`.
char* putArcs(char* out, std::span<const std::uint8_t> octets, char separator,
              bool relative = false) {
  for (std::size_t index = 0; index < octets.size();) {
    // The value is gathered as the octets are read; a subidentifier of more
    // than 56 bits is read again as an ArcNumber.
    const std::size_t start = index;
    std::uint64_t value = 0;
    bool large = false;
    std::uint8_t octet = 0;
    do {
      octet = octets[index++];
      large = large || value >> (64 - detail::Base128Bits) != 0;
      value = value << detail::Base128Bits | (octet & detail::Base128DigitMask);
    } while ((octet & detail::ContinuationBit) != 0);
    std::uint64_t subtract = 0;
    if (start == 0 && !relative) {
      // A large first subidentifier is under the last root.
      const std::int32_t root =
          large ? detail::RootArcRule::RootCount - 1 : detail::RootArcRule::rootOf(value);
      *out++ = static_cast<char>('0' + root);
      subtract = static_cast<std::uint64_t>(root) * detail::RootArcRule::ChildrenOfSmallRoot;
    }
    if (start != 0 || !relative) {
      *out++ = separator;
    }
    if (large) [[unlikely]] {
      out = detail::writeSubidentifier(octets, {start, index, true}, subtract, out);
    } else {
      out = putDecimal(out, value - subtract);
    }
  }
  return out;
}

char* putCArray(char* out, std::span<const std::uint8_t> octets) {
  for (std::size_t index = 0; index < octets.size(); ++index) {
    out = put(out, index == 0 ? CArrayFirst : CArraySeparator);
    out = put(out, {HexPairs[octets[index]].data(), 2});
  }
  return out;
}

char* putUuid(char* out, std::span<const std::uint8_t> octets) {
  detail::ArcNumber value;
  detail::bigValue(octets, {1, octets.size(), true}, value);
  constexpr std::string_view lowerHex = "0123456789abcdef";
  for (std::size_t index = UuidLength; index-- > 0;) {
    out[index] =
        index == 8 || index == 13 || index == 18 || index == 23 ? '-' : lowerHex[value.divide(16)];
  }
  return out + UuidLength;
}

// The characters `form` of `octets` takes, exactly or, for the dotted forms,
// at most.
constexpr std::size_t lengthOf(Form form, std::size_t octets) {
  switch (form) {
    case Form::Dotted:
      return dottedBound(octets);
    case Form::Hex:
      return hexLength(octets);
    case Form::Base64:
      return detail::base64Length(octets);
    case Form::DerHex:
      return hexLength(octets + DerHeadOctets);
    case Form::DerBase64:
      return detail::base64Length(octets + DerHeadOctets);
    case Form::ValueNotation:
      return ValueNotationOpen.size() + dottedBound(octets) + ValueNotationClose.size();
    case Form::CArray:
      return octets * (CArraySeparator.size() + 2) - (CArraySeparator.size() - CArrayFirst.size());
    case Form::Uuid:
      return UuidLength;
  }
  return 0;
}

// The tag and length of the DER encoding of `count` contents octets in
// hexadecimal, and the blank before the contents.
char* putDerHead(char* out, std::size_t count, std::uint8_t tag) {
  std::memcpy(out, HexPairs[tag].data(), 3);
  std::memcpy(out + 3, HexPairs[count].data(), 3);
  return out + 6;
}

// Writes `form` at `out`, which has room for lengthOf(form); returns the end.
// Inlined where several forms are written in a row.
[[gnu::always_inline]] inline char* put(char* out, Form form, std::span<const std::uint8_t> octets,
                                        std::uint8_t tag = ObjectIdentifierTag) {
  const bool relative = tag == RelativeOidTag;
  switch (form) {
    case Form::Dotted:
      return putArcs(out, octets, '.', relative);
    case Form::Hex:
      return putHex(out, octets);
    case Form::Base64:
      return putBase64(out, octets);
    case Form::DerHex:
      return putHex(putDerHead(out, octets.size(), tag), octets);
    case Form::DerBase64:
      // The tag, the length and the first contents octet make the first
      // group; the contents after their first octet encode on their own.
      out = putGroup(out, std::uint32_t{tag} << 16 |
                              static_cast<std::uint32_t>(octets.size()) << 8 | octets[0]);
      return putBase64(out, octets.subspan(1));
    case Form::ValueNotation:
      out = put(out, ValueNotationOpen);
      out = putArcs(out, octets, ' ', relative);
      return put(out, ValueNotationClose);
    case Form::CArray:
      return putCArray(out, octets);
    case Form::Uuid:
      return putUuid(out, octets);
  }
  return out;
}

// Room for the longest form of any identifier, the C array of 100 octets.
constexpr std::size_t LongestForm = 600;
static_assert(lengthOf(Form::CArray, ObjectIdentifier::MaxOctets) <= LongestForm);

// The longest text of each form, by its value.
constexpr auto LongestOfForm = [] {
  std::array<std::size_t, static_cast<std::size_t>(Form::Uuid) + 1> longest{};
  for (std::size_t form = 0; form < longest.size(); ++form) {
    longest.at(form) = lengthOf(static_cast<Form>(form), ObjectIdentifier::MaxOctets);
  }
  return longest;
}();

// A span smaller than a form's bound may still take a dotted form, or a
// UUID's absence.
[[gnu::noinline]] std::size_t writeIntoSmallSpan(const ObjectIdentifier& identifier, Form form,
                                                 std::span<char> out) {
  if (form == Form::Uuid && !hasUuid(identifier)) {
    return 0;
  }
  std::array<char, LongestForm> text;  // NOLINT(*-member-init): only what is written is read
  const auto length =
      static_cast<std::size_t>(put(text.data(), form, identifier.octets()) - text.data());
  if (length > out.size()) {
    return 0;
  }
  std::memcpy(out.data(), text.data(), length);
  return length;
}

}  // namespace

namespace {

// The line written where it has room, then copied when it fits.
[[gnu::noinline]] std::size_t writeLineIntoSmallSpan(const ObjectIdentifier& identifier,
                                                     std::span<const Form> forms, char separator,
                                                     std::span<char> out) {
  std::string line(forms.size() * (LongestForm + 1), '\0');
  const std::size_t length = write(identifier, forms, separator, line);
  if (length > out.size()) {
    return 0;
  }
  std::memcpy(out.data(), line.data(), length);
  return length;
}

}  // namespace

std::size_t maxLength(Form form) {
  return LongestOfForm.at(static_cast<std::size_t>(form));
}

bool hasUuid(const ObjectIdentifier& identifier) {
  // 2.25 is the single octet 2 * 40 + 25; N is one subidentifier after it,
  // of at most 128 bits.
  constexpr std::uint8_t uuidRoot = 2 * 40 + 25;
  constexpr int uuidBits = 128;
  const auto octets = identifier.octets();
  if (octets.size() < 2 || octets[0] != uuidRoot) {
    return false;
  }
  const detail::Subidentifier arc = detail::subidentifierAt(octets, 1);
  if (arc.end != octets.size()) {
    return false;
  }
  detail::ArcNumber value;
  detail::bigValue(octets, arc, value);
  return value.bitWidth() <= uuidBits;
}

std::size_t write(const ObjectIdentifier& identifier, Form form, std::span<char> out) {
  const auto octets = identifier.octets();
  if (out.size() >= lengthOf(form, octets.size()) && (form != Form::Uuid || hasUuid(identifier)))
      [[likely]] {
    return static_cast<std::size_t>(put(out.data(), form, octets) - out.data());
  }
  return writeIntoSmallSpan(identifier, form, out);
}

std::size_t write(const ObjectIdentifier& identifier, std::span<const Form> forms, char separator,
                  std::span<char> out) {
  if (forms.empty()) {
    return 0;
  }
  // Room for the longest form in every field takes the fast way; a smaller
  // span takes the line written elsewhere first.
  if (out.size() < forms.size() * (LongestForm + 1)) [[unlikely]] {
    return writeLineIntoSmallSpan(identifier, forms, separator, out);
  }
  const auto octets = identifier.octets();
  char* at = out.data();
  // The contents' hexadecimal pairs once written, which the DER's end with.
  const char* hex = nullptr;
  for (const Form form : forms) {
    switch (form) {
      case Form::Hex:
        hex = at;
        at = putHex(at, octets);
        break;
      case Form::DerHex:
        if (hex != nullptr) {
          at = putDerHead(at, octets.size(), ObjectIdentifierTag);
          std::memcpy(at, hex, hexLength(octets.size()));
          at += hexLength(octets.size());
        } else {
          at = put(at, form, octets);
        }
        break;
      case Form::Uuid:
        if (hasUuid(identifier)) {
          at = put(at, form, octets);
        }
        break;
      default:
        at = put(at, form, octets);
    }
    // The room counted a separator after each form, the last included.
    *at++ = separator;
  }
  return static_cast<std::size_t>(at - 1 - out.data());
}

void append(const ObjectIdentifier& identifier, Form form, std::string& out) {
  std::array<char, LongestForm> text;  // NOLINT(*-member-init): only what is written is read
  out.append(text.data(), write(identifier, form, text));
}

std::size_t write(const RelativeOid& relative, Form form, std::span<char> out) {
  if (form == Form::Uuid) {
    return 0;
  }
  std::array<char, LongestForm> text;  // NOLINT(*-member-init): only what is written is read
  const auto length = static_cast<std::size_t>(
      put(text.data(), form, relative.octets(), RelativeOidTag) - text.data());
  if (length > out.size()) {
    return 0;
  }
  std::memcpy(out.data(), text.data(), length);
  return length;
}

void append(const RelativeOid& relative, Form form, std::string& out) {
  std::array<char, LongestForm> text;  // NOLINT(*-member-init): only what is written is read
  out.append(text.data(), write(relative, form, text));
}

}  // namespace pellamar
