// Text from outside (an item, a file name, a PEM label, a name or a
// description read from a file) as a terminal or a tab-separated field may
// show it: nothing in it can move the cursor, change the terminal, reverse
// what follows or split a line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellamar {

// How a backslash of the text is written. In a field it is doubled, so
// that each escape can be told from the text around it and read back; a
// message is read by people, who would not expect a file name's backslash
// doubled.
enum class Backslash { Doubled, Kept };

// The most characters writeVisible() writes for each octet of the text: an
// octet that is not UTF-8 becomes four ("\xFF").
inline constexpr std::size_t VisibleExpansion = 4;

// Whether `c` is a character that is shown escaped: a C0 control, DEL, a
// C1 control, a format character (Unicode category Cf: U+202E, which
// reverses what follows; U+200B; U+FEFF) or a line or paragraph separator
// (U+2028, U+2029).
bool isEscapedCharacter(char32_t c);

// The index of the first octet of `text` that writeVisible() would not copy
// as it is, apart from a backslash: the start of an escaped character, or an
// octet that is not UTF-8. text.size() when there is none.
std::size_t firstEscaped(std::string_view text);

// Writes `text` at `out` and returns the end of what it wrote, at most
// VisibleExpansion * text.size() characters. Each escaped character (see
// isEscapedCharacter) is written as an escape: a tab, line feed and
// carriage return as "\t", "\n" and "\r", another C0 control or DEL as
// "\x1B", any other as its code point, "\u202E" or "\U000E0001"; each
// octet that does not belong to a well-formed UTF-8 character (RFC 3629) as
// "\xFF". Every other character is copied as it is.
char* writeVisible(char* out, std::string_view text, Backslash backslash = Backslash::Doubled);

// The same, appended to `out`.
void appendVisible(std::string& out, std::string_view text,
                   Backslash backslash = Backslash::Doubled);

// The same, as a string.
std::string visible(std::string_view text, Backslash backslash = Backslash::Doubled);

}  // namespace pellamar
