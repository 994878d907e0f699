// What the readers of sources share: trimming, joining, identifiers from
// dotted text, and one warning for the lines that could not be read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "name_database.hpp"
#include "pellamar/object_identifier.hpp"
#include "pellamar/readers.hpp"

namespace pellamar::names {

inline std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// ASCII letters in lower case, as LDAP compares attribute names.
inline std::string lowered(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return result;
}

// The pieces one after another, `separator` between each two.
inline std::string joined(const std::vector<std::string>& pieces, char separator) {
  std::string text;
  for (const std::string& piece : pieces) {
    if (!text.empty()) {
      text += separator;
    }
    text += piece;
  }
  return text;
}

// The identifier written in dotted text, or nothing when it is not one.
inline std::optional<pellamar::ObjectIdentifier> dottedIdentifier(std::string_view text) {
  pellamar::ObjectIdentifier identifier;
  if (pellamar::readDotted(text, identifier)) {
    return std::nullopt;
  }
  return identifier;
}

// The lines of one file that were not understood, reported as one warning
// that names the first of them.
class DamagedLines {
 public:
  void note(long line) {
    if (count_++ == 0) {
      first_ = line;
    }
  }

  // "FILE:LINE: not WHAT, nor are 2 more lines; the other names are used"
  void report(NameDatabase& names, const std::string& path, std::string_view what) const {
    if (count_ == 0) {
      return;
    }
    std::string warning = path + ":" + std::to_string(first_) + ": not " + std::string(what);
    if (count_ == 2) {
      warning += ", nor is 1 more line";
    } else if (count_ > 2) {
      warning += ", nor are " + std::to_string(count_ - 1) + " more lines";
    }
    names.addWarning(warning + "; the other names are used");
  }

 private:
  long count_ = 0;
  long first_ = 0;
};

}  // namespace pellamar::names
