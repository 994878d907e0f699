#include "pellamar/characters.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

#include "pellamar/utf8.hpp"

#ifdef PELLAMAR_UNICODE_NAMES
#include <unictype.h>
#include <uniname.h>
#else
#include <utility>

#include "character_table.hpp"
#endif

namespace pellamar {
namespace {

// Controls have no name of their own in Unicode; these are their aliases
// (NameAliases.txt), C0 and then C1.
constexpr std::array<const char*, 32> C0Names = {
    "NULL",
    "START OF HEADING",
    "START OF TEXT",
    "END OF TEXT",
    "END OF TRANSMISSION",
    "ENQUIRY",
    "ACKNOWLEDGE",
    "ALERT",
    "BACKSPACE",
    "CHARACTER TABULATION",
    "LINE FEED",
    "LINE TABULATION",
    "FORM FEED",
    "CARRIAGE RETURN",
    "SHIFT OUT",
    "SHIFT IN",
    "DATA LINK ESCAPE",
    "DEVICE CONTROL ONE",
    "DEVICE CONTROL TWO",
    "DEVICE CONTROL THREE",
    "DEVICE CONTROL FOUR",
    "NEGATIVE ACKNOWLEDGE",
    "SYNCHRONOUS IDLE",
    "END OF TRANSMISSION BLOCK",
    "CANCEL",
    "END OF MEDIUM",
    "SUBSTITUTE",
    "ESCAPE",
    "INFORMATION SEPARATOR FOUR",
    "INFORMATION SEPARATOR THREE",
    "INFORMATION SEPARATOR TWO",
    "INFORMATION SEPARATOR ONE",
};
constexpr std::array<const char*, 32> C1Names = {
    "PADDING CHARACTER",
    "HIGH OCTET PRESET",
    "BREAK PERMITTED HERE",
    "NO BREAK HERE",
    "INDEX",
    "NEXT LINE",
    "START OF SELECTED AREA",
    "END OF SELECTED AREA",
    "CHARACTER TABULATION SET",
    "CHARACTER TABULATION WITH JUSTIFICATION",
    "LINE TABULATION SET",
    "PARTIAL LINE FORWARD",
    "PARTIAL LINE BACKWARD",
    "REVERSE LINE FEED",
    "SINGLE SHIFT TWO",
    "SINGLE SHIFT THREE",
    "DEVICE CONTROL STRING",
    "PRIVATE USE ONE",
    "PRIVATE USE TWO",
    "SET TRANSMIT STATE",
    "CANCEL CHARACTER",
    "MESSAGE WAITING",
    "START OF GUARDED AREA",
    "END OF GUARDED AREA",
    "START OF STRING",
    "SINGLE GRAPHIC CHARACTER INTRODUCER",
    "SINGLE CHARACTER INTRODUCER",
    "CONTROL SEQUENCE INTRODUCER",
    "STRING TERMINATOR",
    "OPERATING SYSTEM COMMAND",
    "PRIVACY MESSAGE",
    "APPLICATION PROGRAM COMMAND",
};
constexpr char32_t Delete = 0x7F;
constexpr char32_t FirstC1 = 0x80;
constexpr char32_t NoBreakSpace = 0xA0;
constexpr char32_t SoftHyphen = 0xAD;
constexpr char32_t LastLatin1 = 0xFF;

std::string hexDigits(std::uint32_t value, int width) {
  std::string digits;
  do {
    digits.insert(digits.begin(), "0123456789ABCDEF"[value % 16]);
    value /= 16;
  } while (value != 0 || static_cast<int>(digits.size()) < width);
  return digits;
}

std::string codePoint(char32_t c) {
  return "U+" + hexDigits(static_cast<std::uint32_t>(c), 4);
}

const char* controlName(char32_t c) {
  if (c < C0Names.size()) {
    return C0Names.at(c);
  }
  if (c == Delete) {
    return "DELETE";
  }
  if (c >= FirstC1 && c < FirstC1 + C1Names.size()) {
    return C1Names.at(c - FirstC1);
  }
  return nullptr;
}

#ifndef PELLAMAR_UNICODE_NAMES
// What messages need of Unicode, given at run time by useCharacterTable().
detail::CharacterTable characterTable;
#endif

// "U+FF11 FULLWIDTH DIGIT ONE", or the code point alone when Unicode names
// no such character (unassigned, private use) or the library has no
// Unicode tables.
std::string codePointAndName(char32_t c) {
#ifdef PELLAMAR_UNICODE_NAMES
  std::array<char, UNINAME_MAX> name{};
  if (unicode_character_name(c, name.data()) != nullptr) {
    return codePoint(c) + " " + name.data();
  }
  const bool ideograph = uc_is_property_unified_ideograph(c);
#else
  if (const std::string* name = characterTable.nameOf(c)) {
    return codePoint(c) + " " + *name;
  }
  const bool ideograph = characterTable.unifiedIdeograph(c);
#endif
  // Unified ideographs are named by their code point alone.
  if (ideograph) {
    return codePoint(c) + " CJK UNIFIED IDEOGRAPH-" + hexDigits(static_cast<std::uint32_t>(c), 4);
  }
  return codePoint(c);
}

// Letters, digits, punctuation and symbols show as themselves; spaces,
// marks that would combine with the quote, and invisible characters do not.
// Without Unicode tables none is known to be visible.
bool isVisible(char32_t c) {
#ifdef PELLAMAR_UNICODE_NAMES
  return uc_is_general_category_withtable(
      c, UC_CATEGORY_MASK_L | UC_CATEGORY_MASK_N | UC_CATEGORY_MASK_P | UC_CATEGORY_MASK_S);
#else
  return characterTable.visible(c);
#endif
}

}  // namespace

std::size_t characterLength(std::string_view text, std::size_t index) {
  return std::max<std::size_t>(utf8CharacterLength(text, index), 1);
}

std::string nameCharacterAt(std::string_view text, std::size_t index) {
  const std::size_t length = utf8CharacterLength(text, index);
  if (length == 0) {
    return "the byte 0x" + hexDigits(static_cast<std::uint8_t>(text[index]), 2) + " (not UTF-8)";
  }
  const char32_t c = utf8CodePoint(text, index, length);
  if (const char* name = controlName(c)) {
    return "the control character " + codePoint(c) + " " + name;
  }
  if (c <= LastLatin1 && c != NoBreakSpace && c != SoftHyphen) {
    return "the character \"" + std::string(text.substr(index, length)) + "\"";
  }
  if (isVisible(c)) {
    return "the character \"" + std::string(text.substr(index, length)) + "\" (" +
           codePointAndName(c) + ")";
  }
  return "the character " + codePointAndName(c);
}

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); at += characterLength(text, at)) {
    ++count;
  }
  return count;
}

ErrorPlace utf8Place(const Error& error, std::string_view text, int column) {
  if (error.offset == Error::Nowhere) {
    return {};
  }
  const std::size_t offset = std::min(error.offset, text.size());
  // The character that holds octet `offset` is the last one to start at or
  // before it.
  int position = column;
  std::size_t at = 0;
  for (std::size_t next = 0; at < text.size(); at = next, ++position) {
    next = at + characterLength(text, at);
    if (offset < next) {
      break;
    }
  }
  return {position, at < text.size() ? nameCharacterAt(text, at) : std::string()};
}

#ifdef PELLAMAR_UNICODE_NAMES
bool useCharacterTable(std::string_view) {
  return true;
}
#else
bool useCharacterTable(std::string_view table) {
  auto read = detail::CharacterTable::read(table);
  if (!read) {
    return false;
  }
  characterTable = std::move(*read);
  return true;
}
#endif

}  // namespace pellamar
