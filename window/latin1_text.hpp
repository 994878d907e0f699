// The conversions read texts with one Latin-1 code a character; the window's
// fields hold Unicode. These two functions cross between them.
#pragma once

#include <QString>
#include <string>

// One Latin-1 code for each character (code point) of `text`, with the
// conversions' substitute code for every character beyond Latin-1.
std::string toLatin1Codes(const QString& text);

// The UTF-16 index in `text` of the character at the 1-based `position`
// that the conversions report, clamped to the text.
int indexOfPosition(const QString& text, int position);
