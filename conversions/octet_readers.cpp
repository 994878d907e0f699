// Texts of octets, Base64 and hexadecimal, read into octets and from there
// into identifiers.
#include <array>
#include <cstring>
#include <limits>

#include "base64_table.hpp"
#include "pellamar/readers.hpp"
#include "text_rules.hpp"

namespace pellamar {

namespace {

using detail::base64Value;
using detail::isHexDigit;

// Base64 packs 3 octets into 4 characters of 6 bits each.
constexpr std::size_t GroupCharacters = 4;
constexpr int BitsPerCharacter = 6;
constexpr int BitsPerOctet = 8;

// Texts of octets are counted in 16-bit positions.
constexpr std::size_t MaxTextLength = std::numeric_limits<std::int16_t>::max();

Error at(ErrorCode code, std::size_t offset, std::uint64_t number = 0, std::uint64_t other = 0) {
  return Error{code, offset, 1, number, other, {}};
}

bool isHexSeparator(char c) {
  return detail::isBlank(c) || c == ':';
}

// The byte of `text` that holds bit `bit` (0 the first, 7 the last) of octet
// `octet` of what it decodes to; its last byte for an octet it does not
// hold.
std::size_t offsetOfBit(std::string_view text, OctetText form, std::size_t octet, int bit) {
  if (text.empty()) {
    return 0;
  }
  if (form == OctetText::Base64) {
    // A Base64 text that decoded has nothing but alphabet characters before
    // its padding.
    const std::size_t character =
        (octet * BitsPerOctet + static_cast<std::size_t>(bit)) / BitsPerCharacter;
    return std::min(character, text.size() - 1);
  }
  std::size_t pair = 0;
  for (std::size_t index = 0; index < text.size(); ++index) {
    if (!isHexDigit(text[index])) {
      continue;
    }
    if (pair++ == octet) {
      return bit == 0 ? index : index + 1;
    }
    ++index;
  }
  return text.size() - 1;
}

// The faults that the end of the octets shows are placed at the last bit of
// their octet; the others at its first.
bool foundAtEnd(ErrorCode code) {
  return code == ErrorCode::CutOff || code == ErrorCode::TooManyContentsOctets ||
         code == ErrorCode::NoDerOctets || code == ErrorCode::NoLength;
}

}  // namespace

std::optional<Error> decodeBase64(std::string_view text, std::span<std::uint8_t> octets,
                                  Reading reading, std::size_t& count) {
  if (text.size() > MaxTextLength) {
    return Error{ErrorCode::TextTooLong, Error::Nowhere, 0, text.size(), 0, {}};
  }
  const std::size_t limit = octets.size();
  std::size_t written = 0;
  // Whole groups of four, the bulk of any text, go four characters at a
  // time; the loop after takes the rest, and every fault, one by one.
  std::size_t index = 0;
  for (; index + GroupCharacters <= text.size() && written + 3 <= limit; index += GroupCharacters) {
    const int first = base64Value(static_cast<unsigned char>(text[index]));
    const int second = base64Value(static_cast<unsigned char>(text[index + 1]));
    const int third = base64Value(static_cast<unsigned char>(text[index + 2]));
    const int fourth = base64Value(static_cast<unsigned char>(text[index + 3]));
    // Neither a character outside the alphabet (-1) nor "=" (64) is a value
    // of six bits.
    if (((first | second | third | fourth) & ~0x3F) != 0) {
      break;
    }
    const auto group = static_cast<std::uint32_t>(first << 18 | second << 12 | third << 6 | fourth);
    std::uint8_t* out = octets.data() + written;
    out[0] = static_cast<std::uint8_t>(group >> 16);
    out[1] = static_cast<std::uint8_t>(group >> 8);
    out[2] = static_cast<std::uint8_t>(group);
    written += 3;
  }
  std::size_t dataCharacters = index;
  std::size_t padding = 0;
  std::uint32_t bits = 0;
  int pendingBits = 0;
  std::size_t lastData = index == 0 ? 0 : index - 1;
  for (; index < text.size(); ++index) {
    const int value = base64Value(static_cast<unsigned char>(text[index]));
    if (value == detail::NotInAlphabet) [[unlikely]] {
      return at(ErrorCode::NotBase64Character, index);
    }
    if (value == detail::PaddingValue) {
      const std::size_t openGroup = dataCharacters % GroupCharacters;
      if (reading == Reading::Strict && openGroup == 1) {
        return at(ErrorCode::LoneBase64Character, lastData);
      }
      if (++padding > (GroupCharacters - openGroup) % GroupCharacters) {
        return at(openGroup == 0 ? ErrorCode::PaddingPadsNothing : ErrorCode::PaddingTooLong, index,
                  openGroup);
      }
      continue;
    }
    if (padding > 0) [[unlikely]] {
      return at(ErrorCode::DataAfterPadding, index);
    }
    ++dataCharacters;
    lastData = index;
    bits = (bits << BitsPerCharacter) | static_cast<std::uint32_t>(value);
    pendingBits += BitsPerCharacter;
    if (pendingBits >= BitsPerOctet) {
      pendingBits -= BitsPerOctet;
      if (written == limit) [[unlikely]] {
        return at(ErrorCode::Base64TooManyOctets, index, limit);
      }
      octets[written++] = static_cast<std::uint8_t>(bits >> pendingBits);
      bits &= (1U << pendingBits) - 1;
    }
  }
  if (reading == Reading::Strict && dataCharacters > 0) {
    if (dataCharacters % GroupCharacters == 1) {
      return at(ErrorCode::LoneBase64Character, lastData);
    }
    // The bits of the last character beyond the last octet are zero in
    // every text an encoder writes (RFC 4648 section 3.5).
    if (bits != 0) {
      const int value = base64Value(static_cast<unsigned char>(text[lastData]));
      const char canonical =
          detail::Base64Alphabet[static_cast<std::size_t>(value & ~((1 << pendingBits) - 1))];
      return at(ErrorCode::SpareBits, lastData, 0, static_cast<unsigned char>(canonical));
    }
  }
  count = written;
  return std::nullopt;
}

std::optional<Error> decodeHex(std::string_view text, std::span<std::uint8_t> octets,
                               std::size_t& count) {
  if (text.size() > MaxTextLength) {
    return Error{ErrorCode::TextTooLong, Error::Nowhere, 0, text.size(), 1, {}};
  }
  std::size_t written = 0;
  // Whether a colon may come next: only right after an octet and the blanks
  // behind it.
  bool colonAllowed = false;
  bool afterColon = false;
  std::size_t colonIndex = 0;
  for (std::size_t index = 0; index < text.size(); ++index) {
    const char c = text[index];
    if (detail::isBlank(c)) {
      continue;
    }
    if (c == ':') {
      if (!colonAllowed) {
        return at(ErrorCode::MisplacedColon, index);
      }
      colonAllowed = false;
      afterColon = true;
      colonIndex = index;
      continue;
    }
    if (!isHexDigit(c)) {
      return at(ErrorCode::NotHexDigit, index);
    }
    if (index + 1 == text.size() || !isHexDigit(text[index + 1])) {
      if (index + 1 < text.size() && !isHexSeparator(text[index + 1])) {
        return at(ErrorCode::NotHexDigit, index + 1);
      }
      return at(ErrorCode::HexDigitWithoutPartner, index);
    }
    if (written == octets.size()) {
      return at(ErrorCode::HexTooManyOctets, index, octets.size());
    }
    octets[written++] =
        static_cast<std::uint8_t>(detail::hexValue(c) << 4 | detail::hexValue(text[index + 1]));
    ++index;
    colonAllowed = true;
    afterColon = false;
  }
  if (afterColon) {
    return at(ErrorCode::MisplacedColon, colonIndex);
  }
  count = written;
  return std::nullopt;
}

std::optional<Error> readOctetText(std::string_view text, OctetText form, bool der, Reading reading,
                                   ObjectIdentifier& out) {
  std::array<std::uint8_t, MaxDerOctets> octets;  // NOLINT(*-member-init): only what is read
  const auto room = std::span(octets).first(der ? MaxDerOctets : ObjectIdentifier::MaxOctets);
  std::size_t count = 0;
  auto error = form == OctetText::Base64 ? decodeBase64(text, room, reading, count)
                                         : decodeHex(text, room, count);
  if (error) {
    return error;
  }
  const auto read = std::span<const std::uint8_t>(octets).first(count);
  error = der ? readDer(read, reading, out) : readContents(read, reading, out);
  if (error) {
    return placeInText(*error, text, form);
  }
  return error;
}

Error placeInText(Error error, std::string_view text, OctetText form) {
  if (error.offset != Error::Nowhere) {
    error.offset = offsetOfBit(text, form, error.offset, foundAtEnd(error.code) ? 7 : 0);
    error.length = 1;
  }
  return error;
}

}  // namespace pellamar
