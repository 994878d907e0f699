#include "identifier_forms.hpp"

#include <array>
#include <string>

#include "character_names.hpp"
#include "objid_items.hpp"

namespace {

using pellamar::ContentsBuilder;
using pellamar::ConversionError;
using pellamar::ErrorKind;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
// ASN.1 identifiers: a letter, then letters, digits and hyphens.
bool isNameCharacter(char c) {
  return isLetter(c) || isDigit(c) || c == '-';
}

// The arcs that X.660 names and that value notation may give by name alone
// (X.680 32.3): the three roots, and the arcs under the first two.
struct NamedArc {
  std::string_view name;
  std::string_view number;
};
constexpr std::array<NamedArc, 5> RootNames = {{
    {"itu-t", "0"},
    {"ccitt", "0"},
    {"iso", "1"},
    {"joint-iso-itu-t", "2"},
    {"joint-iso-ccitt", "2"},
}};
constexpr std::array<NamedArc, 7> ArcsUnderItuT = {{
    {"recommendation", "0"},
    {"question", "1"},
    {"administration", "2"},
    {"network-operator", "3"},
    {"identified-organization", "4"},
    {"r-recommendation", "5"},
    {"data", "9"},
}};
constexpr std::array<NamedArc, 4> ArcsUnderIso = {{
    {"standard", "0"},
    {"registration-authority", "1"},
    {"member-body", "2"},
    {"identified-organization", "3"},
}};

template <std::size_t Size>
std::string_view numberNamed(const std::array<NamedArc, Size>& arcs, std::string_view name) {
  for (const NamedArc& arc : arcs) {
    if (arc.name == name) {
      return arc.number;
    }
  }
  return {};
}

std::string at(int position) {
  return " at position " + std::to_string(position);
}

[[noreturn]] void fail(const std::string& message, int position) {
  throw ConversionError(ErrorKind::InvalidArgument, message, position);
}

// Reads "{ 1 2 840 113549 }" and "{ iso(1) member-body(2) us(840) }".
class ValueNotationReader {
 public:
  ValueNotationReader(std::string_view text, pellamar::ObjIDBuffer& contents, const Utf8Form& form)
      : text_(text), form_(form), builder_(contents, text, form) {}

  int read() {
    std::size_t index = 1;
    for (;;) {
      index = skipBlanks(index);
      if (index == text_.size()) {
        const int position = form_.positionOf(text_, text_.size() - 1);
        fail("The value notation ends" + at(position) + " without its closing \"}\".", position);
      }
      const char c = text_[index];
      if (c == '}') {
        ++index;
        break;
      }
      if (isDigit(c)) {
        const std::size_t end = digitsEnd(index);
        builder_.add(text_.substr(index, end - index));
        index = end;
      } else if (isLetter(c)) {
        index = nameAndNumber(index);
      } else {
        failOnCharacter(index);
      }
      if (index < text_.size() && !isBlank(text_[index]) && text_[index] != '}') {
        failOnCharacter(index);
      }
    }
    if (index < text_.size()) {
      const int position = form_.positionOf(text_, index);
      fail(pellamar::detail::capitalized(form_.nameAt(text_, index)) + at(position) +
               " follows the closing \"}\" of the value notation.",
           position);
    }
    return builder_.finish();
  }

 private:
  std::size_t skipBlanks(std::size_t index) const {
    while (index < text_.size() && isBlank(text_[index])) {
      ++index;
    }
    return index;
  }
  std::size_t digitsEnd(std::size_t index) const {
    while (index < text_.size() && isDigit(text_[index])) {
      ++index;
    }
    return index;
  }

  // A name followed by its number in parentheses, or one of the names that
  // stand alone.
  std::size_t nameAndNumber(std::size_t start) {
    std::size_t index = start;
    while (index < text_.size() && isNameCharacter(text_[index])) {
      ++index;
    }
    const std::string_view name = text_.substr(start, index - start);
    const std::size_t open = skipBlanks(index);
    if (open < text_.size() && text_[open] == '(') {
      const std::size_t digits = skipBlanks(open + 1);
      const std::size_t end = digitsEnd(digits);
      if (end == digits) {
        const int position = form_.positionOf(text_, std::min(digits, text_.size() - 1));
        fail("The name \"" + std::string(name) + "\"" + at(form_.positionOf(text_, start)) +
                 " has no number in its parentheses; value notation writes " + std::string(name) +
                 "(5).",
             position);
      }
      const std::size_t close = skipBlanks(end);
      if (close == text_.size() || text_[close] != ')') {
        const int position = form_.positionOf(text_, std::min(close, text_.size() - 1));
        fail("The number of \"" + std::string(name) + "\"" + at(form_.positionOf(text_, digits)) +
                 " is not closed by \")\".",
             position);
      }
      builder_.add(text_.substr(digits, end - digits));
      return close + 1;
    }
    std::string_view number;
    if (builder_.arcs() == 0) {
      number = numberNamed(RootNames, name);
    } else if (builder_.arcs() == 1 && rootNumber_ == "0") {
      number = numberNamed(ArcsUnderItuT, name);
    } else if (builder_.arcs() == 1 && rootNumber_ == "1") {
      number = numberNamed(ArcsUnderIso, name);
    }
    if (number.empty()) {
      const int position = form_.positionOf(text_, start);
      fail("The name \"" + std::string(name) + "\"" + at(position) +
               " needs its number: only the names of the first two levels stand alone, so "
               "write " +
               std::string(name) + "(N).",
           position);
    }
    if (builder_.arcs() == 0) {
      rootNumber_ = number;
    }
    builder_.add(number, name);
    return index;
  }

  [[noreturn]] void failOnCharacter(std::size_t index) const {
    const int position = form_.positionOf(text_, index);
    fail(pellamar::detail::capitalized(form_.nameAt(text_, index)) + at(position) +
             " cannot stand in value notation, which has numbers, and names with their numbers, "
             "separated by blanks.",
         position);
  }

  std::string_view text_;
  const Utf8Form& form_;
  ContentsBuilder builder_;
  std::string_view rootNumber_;
};

// Whether `text` starts with "urn:" in any case.
bool isUrn(std::string_view text) {
  constexpr std::string_view urn = "urn:";
  if (text.size() < urn.size()) {
    return false;
  }
  for (std::size_t index = 0; index < urn.size(); ++index) {
    if ((text[index] | 0x20) != urn[index]) {
      return false;
    }
  }
  return true;
}

// "1 2 840 113549": only digits and blanks, and at least one blank.
bool isBlankSeparated(std::string_view text) {
  bool blank = false;
  for (const char c : text) {
    if (isBlank(c)) {
      blank = true;
    } else if (!isDigit(c)) {
      return false;
    }
  }
  return blank;
}

int readBlankSeparated(std::string_view text, pellamar::ObjIDBuffer& contents,
                       const Utf8Form& form) {
  ContentsBuilder builder(contents, text, form);
  for (std::size_t index = 0; index < text.size();) {
    if (isBlank(text[index])) {
      ++index;
      continue;
    }
    const std::size_t start = index;
    while (index < text.size() && isDigit(text[index])) {
      ++index;
    }
    builder.add(text.substr(start, index - start));
  }
  return builder.finish();
}

int readName(const ItemText& item, pellamar::ObjIDBuffer& contents, ObjectNames& names) {
  const std::vector<std::string> found = names.identifiersNamed(item.text);
  std::string quoted(1, '"');
  quoted.append(item.text);
  quoted += '"';
  if (found.empty()) {
    fail("No identifier is named " + quoted + " in the name tables; names are matched exactly, " +
             "in the case written.",
         item.column);
  }
  if (found.size() > 1) {
    std::string identifiers;
    constexpr std::size_t shown = 3;
    for (std::size_t index = 0; index < found.size() && index < shown; ++index) {
      pellamar::ObjIDBuffer octets;
      for (std::size_t octet = 0; octet < found[index].size(); ++octet) {
        octets[static_cast<int>(octet)] = static_cast<std::uint8_t>(found[index][octet]);
      }
      identifiers += index == 0 ? "\"" : ", \"";
      pellamar::ObjIDContentsToString(octets, static_cast<std::int16_t>(found[index].size()),
                                      pellamar::OctetIndexPlaces{}, identifiers);
      identifiers += "\"";
    }
    if (found.size() > shown) {
      identifiers += " and " + std::to_string(found.size() - shown) + " more";
    }
    fail("The name " + quoted + " is ambiguous: it names " + identifiers +
             "; give the identifier instead.",
         item.column);
  }
  const std::string& octets = found.front();
  for (std::size_t index = 0; index < octets.size(); ++index) {
    contents[static_cast<int>(index)] = static_cast<std::uint8_t>(octets[index]);
  }
  return static_cast<int>(octets.size());
}

}  // namespace

int readIdentifier(const ItemText& item, pellamar::ObjIDBuffer& contents, ObjectNames& names,
                   bool& blankFree) {
  const std::string_view text = item.text;
  const Utf8Form form(item.column);
  const char first = text.front();
  blankFree = true;
  if (isDigit(first) || first == '.') [[likely]] {
    try {
      return pellamar::ObjIDStrictStringToContents(text, contents, form);
    } catch (const ConversionError&) {
      if (isBlankSeparated(text)) {
        blankFree = false;
        return readBlankSeparated(text, contents, form);
      }
      if (const auto dotted = pellamar::ObjIDUuidToString(text)) {
        return pellamar::ObjIDStrictStringToContents(*dotted, contents, pellamar::Latin1Form{});
      }
      throw;
    }
  }
  if (const auto dotted = pellamar::ObjIDUuidToString(text)) {
    return pellamar::ObjIDStrictStringToContents(*dotted, contents, pellamar::Latin1Form{});
  }
  if (isUrn(text)) {
    return pellamar::ObjIDStrictStringToContents(text, contents, form);
  }
  blankFree = false;
  if (first == '{') {
    return ValueNotationReader(text, contents, form).read();
  }
  if (isLetter(first)) {
    return readName(item, contents, names);
  }
  return pellamar::ObjIDStrictStringToContents(text, contents, form);
}
