// How messages count and name the characters of UTF-8 text, as terminals
// and files give it: items, operands, and the text around PEM blocks.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "pellamar/error.hpp"

namespace pellamar {

// The number of octets of the character that starts at octet `index` of
// `text`: 1 for an octet that does not begin a well-formed UTF-8 character
// (RFC 3629), which messages count as a character of its own.
std::size_t characterLength(std::string_view text, std::size_t index);

// The number of characters in `text`, counted as characterLength() does.
std::size_t characterCount(std::string_view text);

// Names the character that starts at octet `index` of `text` for a message:
// a printable character of Latin-1 in quotes (`the character "x"`), a
// control by its code point and name (`the control character U+000D
// CARRIAGE RETURN`), any other character by its code point and Unicode name
// (`the character U+FEFF ZERO WIDTH NO-BREAK SPACE`, with the character
// itself in quotes when it is visible), and an octet that is not UTF-8 as
// that octet (`the byte 0xFF (not UTF-8)`). Where the library was built
// without the system's Unicode tables (in a web page), a character beyond
// Latin-1 is named by its code point alone, unless useCharacterTable()
// has given it Unicode's names.
std::string nameCharacterAt(std::string_view text, std::size_t index);

// Where the library was built without the system's Unicode tables (a web
// page), gives it what messages need of them, from `table`: one line for
// each run of characters shown in quotes ("v GAP LENGTH"), each run of
// unified ideographs ("i GAP LENGTH"), and each named character ("n GAP
// NAME"), in order; numbers in hexadecimal, a gap counted from where the
// line before of its kind ended (a run's end, a named character), from 0.
// Returns false, and changes nothing, for a table not of that form. With
// the system's tables it does nothing and returns true.
bool useCharacterTable(std::string_view table);

// The place of `error` in `text`, whose first character stands at column
// `column` of its line: the column of the error's character, counted in
// characters, and that character named; position 0 for an error with no
// place.
ErrorPlace utf8Place(const Error& error, std::string_view text, int column = 1);

}  // namespace pellamar
