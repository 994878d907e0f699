#include "octet_text.hpp"

#include <array>
#include <cstring>
#include <string>

#include "base64_table.hpp"
#include "character_names.hpp"
#include "checked_width.hpp"

namespace pellamar::detail {

namespace {

constexpr std::string_view HexDigits = "0123456789ABCDEF";

// The universal tag of an object identifier (X.690 8.19).
constexpr std::uint8_t ObjectIdentifierTag = 0x06;

// Tables that give several characters at once: the hexadecimal pair of
// each octet with a blank after it, and the Base64 pair of each 12 bits.
using CharacterPair = std::array<char, 2>;
constexpr auto HexPairs = [] {
  std::array<std::array<char, 4>, 256> pairs{};
  for (std::size_t octet = 0; octet < pairs.size(); ++octet) {
    pairs.at(octet) = {HexDigits[octet >> 4], HexDigits[octet & 0x0F], ' ', ' '};
  }
  return pairs;
}();
constexpr auto Base64Pairs = [] {
  std::array<CharacterPair, 4096> pairs{};
  for (std::size_t bits = 0; bits < pairs.size(); ++bits) {
    pairs.at(bits) = {Base64Alphabet[bits >> 6], Base64Alphabet[bits & 0x3F]};
  }
  return pairs;
}();

// Base64 packs 3 octets into 4 characters of 6 bits each.
constexpr int GroupCharacters = 4;
constexpr int BitsPerCharacter = 6;
constexpr int BitsPerOctet = 8;

// Texts of octets are counted in 16-bit positions.
void checkTextLength(std::string_view s, const char* form) {
  narrow<std::int16_t>(static_cast<std::int64_t>(s.size()), [&] {
    return std::string("The ") + form + " text is " + std::to_string(s.size()) +
           " characters long; at most 32767 can be read.";
  });
}

std::string at(int position) {
  return " at position " + std::to_string(position);
}

[[noreturn]] void throwBadPadding(int position, int dataCharacters) {
  const int openGroup = dataCharacters % GroupCharacters;
  if (openGroup == 0) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "The \"=\"" + at(position) +
                              " pads nothing: the characters before it make whole groups of "
                              "four, and extra padding would swallow data bits.",
                          position);
  }
  throw ConversionError(ErrorKind::InvalidArgument,
                        "The \"=\"" + at(position) + " is one too many: after " +
                            std::to_string(openGroup) + " characters of a group of four, at most " +
                            std::to_string(GroupCharacters - openGroup) + " \"=\" may follow.",
                        position);
}

// A group of four that holds one character carries 6 bits, less than an
// octet, so no encoder writes it (RFC 4648 section 4).
[[noreturn]] void throwLoneCharacter(std::string_view s, std::size_t index, const TextForm& form) {
  const int position = form.positionOf(s, index);
  throw ConversionError(ErrorKind::InvalidArgument,
                        "The text cannot be Base64: " + form.nameAt(s, index) + at(position) +
                            " stands alone in its group of four, which holds no octet, so one "
                            "character is too many or one is missing.",
                        position);
}

// The bits of the last character beyond the last octet are zero in every
// text an encoder writes (RFC 4648 section 3.5).
[[noreturn]] void throwSpareBits(std::string_view s, std::size_t index, int value, int spareBits,
                                 const TextForm& form) {
  const int position = form.positionOf(s, index);
  std::string canonical(s);
  canonical[index] = Base64Alphabet[static_cast<std::size_t>(value & ~((1 << spareBits) - 1))];
  throw ConversionError(ErrorKind::InvalidArgument,
                        "The last character \"" + std::string(1, s[index]) + "\"" + at(position) +
                            " carries bits beyond the last octet; the text would be \"" +
                            canonical + "\".",
                        position);
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isHexSeparator(char c) {
  return c == ' ' || c == '\t' || c == ':';
}

[[noreturn]] void throwNotHexDigit(std::string_view s, std::size_t index, const TextForm& form) {
  const int position = form.positionOf(s, index);
  throw ConversionError(
      ErrorKind::InvalidArgument,
      capitalized(form.nameAt(s, index)) + at(position) + " is not a hexadecimal digit.", position);
}

[[noreturn]] void throwMisplacedColon(std::string_view s, std::size_t index, const TextForm& form) {
  const int position = form.positionOf(s, index);
  throw ConversionError(ErrorKind::InvalidArgument,
                        "The colon" + at(position) + " does not stand between two octets.",
                        position);
}

}  // namespace

bool isHexDigit(char c) {
  return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::uint8_t hexValue(char c) {
  if (isDigit(c)) {
    return static_cast<std::uint8_t>(c - '0');
  }
  return static_cast<std::uint8_t>((c | 0x20) - 'a' + 10);
}

char* writeBase64(std::span<const std::uint8_t> octets, char* out) {
  const auto symbol = [](std::uint32_t group, int shift) {
    return Base64Alphabet[(group >> shift) & 0x3F];
  };
  std::size_t index = 0;
  for (; index + 3 <= octets.size(); index += 3) {
    const std::uint32_t group = std::uint32_t{octets[index]} << 16 |
                                std::uint32_t{octets[index + 1]} << 8 | octets[index + 2];
    std::memcpy(out, Base64Pairs[group >> 12].data(), 2);
    std::memcpy(out + 2, Base64Pairs[group & 0xFFF].data(), 2);
    out += GroupCharacters;
  }
  if (index < octets.size()) {
    const bool twoOctets = index + 1 < octets.size();
    const std::uint32_t group = std::uint32_t{octets[index]} << 16 |
                                (twoOctets ? std::uint32_t{octets[index + 1]} << 8 : 0);
    out[0] = symbol(group, 18);
    out[1] = symbol(group, 12);
    out[2] = twoOctets ? symbol(group, 6) : '=';
    out[3] = '=';
    out += GroupCharacters;
  }
  return out;
}

char* writeDerBase64(std::span<const std::uint8_t> contents, char* out) {
  // The tag, the length and the first contents octet make the first group;
  // the contents after their first octet encode on their own.
  const std::uint32_t group = std::uint32_t{ObjectIdentifierTag} << 16 |
                              static_cast<std::uint32_t>(contents.size()) << 8 | contents[0];
  std::memcpy(out, Base64Pairs[group >> 12].data(), 2);
  std::memcpy(out + 2, Base64Pairs[group & 0xFFF].data(), 2);
  return writeBase64(contents.subspan(1), out + GroupCharacters);
}

char* writeHex(std::span<const std::uint8_t> octets, char* out) {
  if (octets.empty()) {
    return out;
  }
  // Four characters are copied for each octet but the last, the fourth to
  // be written over by the next octet's pair.
  for (const std::uint8_t octet : octets.first(octets.size() - 1)) {
    std::memcpy(out, HexPairs[octet].data(), 4);
    out += 3;
  }
  std::memcpy(out, HexPairs[octets.back()].data(), 3);
  return out + 3;
}

int decodeBase64(std::string_view s, std::span<std::uint8_t> octets, const TextForm& form,
                 Base64Reading reading) {
  const auto limit = static_cast<int>(octets.size());
  checkTextLength(s, "Base64");
  int count = 0;
  // Whole groups of four, the bulk of any text, go four characters at a
  // time; the loop after takes the rest, and every fault, one by one.
  std::size_t index = 0;
  for (; index + GroupCharacters <= s.size() && count + 3 <= limit; index += GroupCharacters) {
    const int first = base64Value(static_cast<unsigned char>(s[index]));
    const int second = base64Value(static_cast<unsigned char>(s[index + 1]));
    const int third = base64Value(static_cast<unsigned char>(s[index + 2]));
    const int fourth = base64Value(static_cast<unsigned char>(s[index + 3]));
    // Neither a character outside the alphabet (-1) nor "=" (64) is a value
    // of six bits.
    if (((first | second | third | fourth) & ~0x3F) != 0) {
      break;
    }
    const auto group = static_cast<std::uint32_t>(first << 18 | second << 12 | third << 6 | fourth);
    std::uint8_t* at = octets.data() + count;
    at[0] = static_cast<std::uint8_t>(group >> 16);
    at[1] = static_cast<std::uint8_t>(group >> 8);
    at[2] = static_cast<std::uint8_t>(group);
    count += 3;
  }
  auto dataCharacters = static_cast<int>(index);
  int padding = 0;
  std::uint32_t bits = 0;
  int pendingBits = 0;
  std::size_t lastData = index == 0 ? 0 : index - 1;
  for (; index < s.size(); ++index) {
    const auto code = static_cast<unsigned char>(s[index]);
    const int value = base64Value(code);
    if (value == NotInAlphabet) [[unlikely]] {
      const int position = form.positionOf(s, index);
      throw ConversionError(
          ErrorKind::Overflow,
          capitalized(form.nameAt(s, index)) + at(position) + " is not a Base64 character.",
          position);
    }
    if (value == PaddingValue) {
      if (reading == Base64Reading::Strict && dataCharacters % GroupCharacters == 1) {
        throwLoneCharacter(s, lastData, form);
      }
      if (++padding > (GroupCharacters - dataCharacters % GroupCharacters) % GroupCharacters) {
        throwBadPadding(form.positionOf(s, index), dataCharacters);
      }
      continue;
    }
    if (padding > 0) [[unlikely]] {
      const int position = form.positionOf(s, index);
      throw ConversionError(ErrorKind::InvalidArgument,
                            capitalized(form.nameAt(s, index)) + at(position) +
                                " follows a \"=\", but \"=\" may only end the text.",
                            position);
    }
    ++dataCharacters;
    lastData = index;
    bits = (bits << BitsPerCharacter) | static_cast<std::uint32_t>(value);
    pendingBits += BitsPerCharacter;
    if (pendingBits >= BitsPerOctet) {
      pendingBits -= BitsPerOctet;
      if (count == limit) [[unlikely]] {
        const int position = form.positionOf(s, index);
        throw ConversionError(ErrorKind::IndexOutOfRange,
                              "The Base64 text holds more than " + std::to_string(limit) +
                                  " octets; the character" + at(position) +
                                  " completes one too many.",
                              position);
      }
      octets[static_cast<std::size_t>(count++)] = static_cast<std::uint8_t>(bits >> pendingBits);
      bits &= (1U << pendingBits) - 1;
    }
  }
  if (reading == Base64Reading::Strict && dataCharacters > 0) {
    if (dataCharacters % GroupCharacters == 1) {
      throwLoneCharacter(s, lastData, form);
    }
    if (bits != 0) {
      throwSpareBits(s, lastData, base64Value(static_cast<unsigned char>(s[lastData])), pendingBits,
                     form);
    }
  }
  return count;
}

int decodeHex(std::string_view s, std::span<std::uint8_t> octets, const TextForm& form) {
  const auto limit = static_cast<int>(octets.size());
  checkTextLength(s, "hexadecimal");
  int count = 0;
  // Whether a colon may come next: only right after an octet and the blanks
  // behind it.
  bool colonAllowed = false;
  bool afterColon = false;
  std::size_t colonIndex = 0;
  for (std::size_t index = 0; index < s.size(); ++index) {
    const char c = s[index];
    if (c == ' ' || c == '\t') {
      continue;
    }
    if (c == ':') {
      if (!colonAllowed) {
        throwMisplacedColon(s, index, form);
      }
      colonAllowed = false;
      afterColon = true;
      colonIndex = index;
      continue;
    }
    if (!isHexDigit(c)) {
      throwNotHexDigit(s, index, form);
    }
    const bool partnered = index + 1 < s.size() && isHexDigit(s[index + 1]);
    if (!partnered) {
      if (index + 1 < s.size() && !isHexSeparator(s[index + 1])) {
        throwNotHexDigit(s, index + 1, form);
      }
      const int position = form.positionOf(s, index);
      throw ConversionError(ErrorKind::InvalidArgument,
                            "The hexadecimal digit \"" + std::string(1, c) + "\"" + at(position) +
                                " has no partner: every octet is a pair of digits.",
                            position);
    }
    if (count == limit) {
      const int position = form.positionOf(s, index);
      throw ConversionError(ErrorKind::IndexOutOfRange,
                            "The hexadecimal text holds more than " + std::to_string(limit) +
                                " octets; the pair" + at(position) + " is one too many.",
                            position);
    }
    octets[static_cast<std::size_t>(count++)] =
        static_cast<std::uint8_t>(hexValue(c) << 4 | hexValue(s[index + 1]));
    ++index;
    colonAllowed = true;
    afterColon = false;
  }
  if (afterColon) {
    throwMisplacedColon(s, colonIndex, form);
  }
  return count;
}

}  // namespace pellamar::detail
