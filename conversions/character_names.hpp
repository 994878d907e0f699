// How messages name a character of a Latin-1 text, and the small pieces of
// wording that several messages share.
#pragma once

#include <cstdint>
#include <string>

namespace pellamar::detail {

// Names the character with Latin-1 code `code` for a message: a printable
// character in quotes (`the character "x"`, in UTF-8), a blank or a control
// character by what it is (`the line break`, `the control character U+0007`).
std::string nameCharacter(unsigned char code);

// `phrase` with its first letter in upper case, to open a sentence.
std::string capitalized(std::string phrase);

// The octet as two upper-case hexadecimal digits: "2A".
std::string hexPair(std::uint8_t octet);

}  // namespace pellamar::detail
