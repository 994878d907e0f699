// What messages need of Unicode (which characters show in quotes, which
// are unified ideographs, every character's name), read from a table, for
// a library built without the system's Unicode tables: a web page, which
// holds the table that libunistring gives where the page is built.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellamar::detail {

class CharacterTable {
 public:
  // Reads `table`, in the form useCharacterTable() (pellamar/characters.hpp)
  // describes; nothing for a table not of that form.
  static std::optional<CharacterTable> read(std::string_view table);

  // A letter, number, punctuation or symbol, which a message shows in
  // quotes.
  bool visible(char32_t c) const { return within(visible_, c); }
  bool unifiedIdeograph(char32_t c) const { return within(ideographs_, c); }
  // The character's Unicode name, or null for none.
  const std::string* nameOf(char32_t c) const;

 private:
  // Runs of code points, [first, end), in order.
  using Runs = std::vector<std::pair<char32_t, char32_t>>;
  static bool within(const Runs& runs, char32_t c);

  Runs visible_;
  Runs ideographs_;
  // The named code points, in order, and their names.
  std::vector<char32_t> named_;
  std::vector<std::string> names_;
};

}  // namespace pellamar::detail
