// Prints, as a JSON array, what the window's two actions give for every
// input of the conversion tables: the cases that the web page's test holds
// the page to. A Latin-1 code is the character of that code point; the
// code that stands for a character beyond Latin-1 is written as "€".
#include <cstdio>
#include <string>
#include <string_view>

#include "conversion_tables.hpp"
#include "objid_conversions.hpp"

namespace {

std::string jsonString(std::string_view codes) {
  std::string text = "\"";
  for (const char c : codes) {
    const auto code = static_cast<unsigned char>(c);
    if (c == pellamar::NonLatin1Character) {
      text += "\\u20ac";
    } else if (code < 0x20 || code >= 0x7F || c == '"' || c == '\\') {
      constexpr std::string_view digits = "0123456789abcdef";
      text += "\\u00";
      text += digits[code >> 4];
      text += digits[code & 0x0F];
    } else {
      text += c;
    }
  }
  return text + "\"";
}

// Messages are UTF-8; JSON takes them as they are, quotes escaped.
std::string jsonMessage(std::string_view message) {
  std::string text = "\"";
  for (const char c : message) {
    if (c == '"' || c == '\\') {
      text += '\\';
    }
    text += c;
  }
  return text + "\"";
}

bool first = true;

void print(const std::string& object) {
  std::printf("%s%s\n", first ? "[" : ",", object.c_str());
  first = false;
}

std::string failure(const pellamar::ConversionError& error) {
  return ",\"message\":" + jsonMessage(error.what()) +
         ",\"position\":" + std::to_string(error.position()) + "}";
}

void forward(const std::string& text) {
  const std::string head = "{\"field\":\"ObjectID\",\"input\":" + jsonString(text);
  try {
    pellamar::ObjIDBuffer octets;
    const std::int16_t count = pellamar::ObjIDStringToBinary(octets, text);
    print(head + ",\"Binary\":" + jsonString(pellamar::ObjIDBinaryToHex(octets, count)) +
          ",\"VisibleID\":" + jsonString(pellamar::ObjIDBinaryToBase64(octets, count)) + "}");
  } catch (const pellamar::ConversionError& error) {
    print(head + failure(error));
  }
}

void reverse(const std::string& text) {
  const std::string head = "{\"field\":\"VisibleID\",\"input\":" + jsonString(text);
  try {
    pellamar::ObjIDBuffer octets;
    const std::int16_t count = pellamar::ObjIDBase64ToBinary(text, octets);
    print(head + ",\"BackID\":" + jsonString(pellamar::ObjIDBinaryToString(octets, count)) + "}");
  } catch (const pellamar::ConversionError& error) {
    print(head + failure(error));
  }
}

}  // namespace

int main() {
  for (const auto& row : pellamar::vectors) {
    forward(row.text);
    reverse(row.base64);
  }
  for (const auto& row : pellamar::lenientTexts) {
    forward(row.text);
  }
  for (const auto& row : pellamar::badIdentifiers) {
    forward(row.input);
  }
  for (const auto& row : pellamar::base64Texts) {
    reverse(row.base64);
  }
  for (const auto& row : pellamar::badBase64) {
    reverse(row.input);
  }
  std::puts("]");
  return 0;
}
