// ASN.1 value notation of object identifiers (see readValueNotation).
#include <algorithm>
#include <array>
#include <span>

#include "arc_builder.hpp"
#include "base64_table.hpp"
#include "pellamar/arc_names.hpp"
#include "pellamar/readers.hpp"
#include "text_rules.hpp"

namespace pellamar {

namespace {

using detail::isBlank;
using detail::isDigit;
using detail::isLetter;

// ASN.1 identifiers are read as letters, digits and hyphens, and then held
// to X.680 12.3.
constexpr bool isNameCharacter(char c) {
  return isLetter(c) || isDigit(c) || c == '-';
}

// The arcs that X.660 names and that value notation may give by name alone
// (X.680 32.3): the three roots, and the arcs under each of them.
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
constexpr std::array<NamedArc, 29> ArcsUnderJoint = {{
    {"presentation", "0"},
    {"asn1", "1"},
    {"association-control", "2"},
    {"reliable-transfer", "3"},
    {"remote-operations", "4"},
    {"ds", "5"},
    {"mhs-motis", "6"},
    {"ccr", "7"},
    {"oda", "8"},
    {"ms", "9"},
    {"osi-management", "9"},
    {"transaction-processing", "10"},
    {"dor", "11"},
    {"reference-data-transfer", "12"},
    {"network-layer", "13"},
    {"transport-layer", "14"},
    {"datalink-layer", "15"},
    {"country", "16"},
    {"registration-procedures", "17"},
    {"physical-layer", "18"},
    {"mheg", "19"},
    {"genericULS", "20"},
    {"transport-layer-security-protocol", "21"},
    {"network-layer-security-protocol", "22"},
    {"international-organizations", "23"},
    {"sios", "24"},
    {"uuid", "25"},
    {"odp", "26"},
    {"upu", "40"},
}};

// The names X.660 gives the arc at `position` (0 for the first) under the
// first arc `root`: the roots, the arcs under one, and none deeper.
std::span<const NamedArc> standardArcs(std::size_t position, std::string_view root) {
  if (position == 0) {
    return RootNames;
  }
  if (position > 1) {
    return {};
  }
  if (root == "0") {
    return ArcsUnderItuT;
  }
  if (root == "1") {
    return ArcsUnderIso;
  }
  if (root == "2") {
    return ArcsUnderJoint;
  }
  return {};
}

// The number that `name` stands for alone as the arc after `arcs` arcs
// under `root`, or nothing.
std::string_view standardNumber(std::size_t arcs, std::string_view root, std::string_view name) {
  for (const NamedArc& arc : standardArcs(arcs, root)) {
    if (arc.name == name) {
      return arc.number;
    }
  }
  return {};
}

}  // namespace

bool isAsn1Identifier(std::string_view name) {
  return !name.empty() && name.front() >= 'a' && name.front() <= 'z' && name.back() != '-' &&
         name.find("--") == std::string_view::npos &&
         std::all_of(name.begin(), name.end(), isNameCharacter);
}

std::string_view standardArcName(std::size_t position, std::string_view root,
                                 std::string_view number) {
  for (const NamedArc& arc : standardArcs(position, root)) {
    if (arc.number == number) {
      return arc.name;
    }
  }
  return {};
}

namespace {

class ValueNotationReader {
 public:
  explicit ValueNotationReader(std::string_view text) : text_(text) {}

  std::optional<Error> read(ObjectIdentifier& out) {
    std::size_t index = 1;
    for (;;) {
      index = skipBlanks(index);
      if (index == text_.size()) {
        return Error{ErrorCode::NoClosingBrace, text_.size() - 1, 1};
      }
      const char c = text_[index];
      if (c == '}') {
        ++index;
        break;
      }
      std::optional<Error> error;
      if (isDigit(c)) {
        const std::size_t end = digitsEnd(index);
        error = addArc(index, end);
        index = end;
      } else if (isLetter(c)) {
        error = nameAndNumber(index);
      } else {
        return Error{ErrorCode::NotInValueNotation, index, 1};
      }
      if (error) {
        return error;
      }
      if (index < text_.size() && !isBlank(text_[index]) && text_[index] != '}') {
        return Error{ErrorCode::NotInValueNotation, index, 1};
      }
    }
    if (index < text_.size()) {
      return Error{ErrorCode::AfterClosingBrace, index, 1};
    }
    return builder_.finish(text_.size() - 1, out);
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

  std::optional<Error> addArc(std::size_t start, std::size_t end) {
    const std::string_view digits = text_.substr(start, end - start);
    if (builder_.arcs() == 0) {
      root_ = digits;
    }
    return addNumber(digits, start, end - start);
  }
  std::optional<Error> addNumber(std::string_view digits, std::size_t offset, std::size_t length) {
    const std::uint64_t value =
        digits.size() <= detail::ArcBuilder::MaxSmallDigits ? detail::smallNumber(digits) : 0;
    return builder_.add(digits, value, offset, length);
  }

  // A name followed by its number in parentheses, or one of the names that
  // stand alone; `index` is left after it.
  std::optional<Error> nameAndNumber(std::size_t& index) {
    const std::size_t start = index;
    while (index < text_.size() && isNameCharacter(text_[index])) {
      ++index;
    }
    const std::string_view name = text_.substr(start, index - start);
    if (!isAsn1Identifier(name)) {
      return Error{ErrorCode::NotAsn1Identifier, start, name.size()};
    }
    const std::size_t open = skipBlanks(index);
    if (open < text_.size() && text_[open] == '(') {
      const std::size_t digits = skipBlanks(open + 1);
      const std::size_t end = digitsEnd(digits);
      if (end == digits) {
        return Error{ErrorCode::NoNumberInParentheses, start, name.size()};
      }
      const std::size_t close = skipBlanks(end);
      if (close == text_.size() || text_[close] != ')') {
        return Error{ErrorCode::NumberNotClosed, digits, end - digits, start, name.size()};
      }
      index = close + 1;
      return addArc(digits, end);
    }
    const std::string_view number = standardNumber(builder_.arcs(), root_, name);
    if (number.empty()) {
      return Error{ErrorCode::NameNeedsNumber, start, name.size()};
    }
    if (builder_.arcs() == 0) {
      root_ = number;
    }
    return addNumber(number, start, name.size());
  }

  std::string_view text_;
  detail::ArcBuilder builder_;
  // The first arc, as its number's digits.
  std::string_view root_;
};

}  // namespace

std::optional<Error> readValueNotation(std::string_view text, ObjectIdentifier& out) {
  if (text.empty() || text.front() != '{') {
    return Error{ErrorCode::NotInIdentifier, 0, 1};
  }
  return ValueNotationReader(text).read(out);
}

}  // namespace pellamar
