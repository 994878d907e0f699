#include "item_converter.hpp"

#include <algorithm>
#include <array>
#include <cstring>

#include "identifier_forms.hpp"
#include "line_source.hpp"
#include "objid_conversions.hpp"
#include "objid_items.hpp"

namespace {

using pellamar::ConversionError;
using pellamar::ErrorKind;
using pellamar::ObjIDBuffer;

// The universal tag of an object identifier (X.690 8.19).
constexpr std::uint8_t ObjectIdentifierTag = 0x06;
// A length octet with bit 7 set opens the long or the indefinite form.
constexpr std::uint8_t LongLengthBit = 0x80;
// A subidentifier whose first octet is this carries a leading zero digit.
constexpr std::uint8_t PaddingOctet = 0x80;
constexpr std::uint8_t ContinuationBit = 0x80;
// Tag and length before the contents octets.
constexpr int DerHeadOctets = 2;
// The most contents octets an identifier takes, and the DER encoding of
// that many.
constexpr int MaxContentsOctets = ObjIDBuffer::Size - 1;
constexpr int MaxDerOctets = MaxContentsOctets + DerHeadOctets;
// --lenient reads the window's 32-bit arcs.
constexpr std::uint64_t LenientLargestArc = 2147483647;

using DerOctets = std::array<std::uint8_t, MaxDerOctets>;

// The longest form of an identifier: its DER octets in hexadecimal, three
// characters an octet.
constexpr std::size_t MaxFormLength = std::size_t{3} * MaxDerOctets;

bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::string hexOf(std::uint8_t octet) {
  constexpr std::string_view digits = "0123456789ABCDEF";
  return {digits[octet >> 4], digits[octet & 0x0F]};
}

std::string quoted(std::string_view identifier) {
  std::string text(1, '"');
  text.append(identifier);
  text += '"';
  return text;
}

// Where each octet read from an item came from in its text: Base64 packs
// six bits a character, hexadecimal gives each octet a pair of digits.
class ItemOctetPlaces final : public pellamar::OctetPlaces {
 public:
  ItemOctetPlaces(const ItemText& item, const Utf8Form& form, bool hex, int first)
      : text_(item.text), form_(form), hex_(hex), first_(first) {}

  int firstPositionOf(int index) const override { return positionOfBit(index, 0); }
  int lastPositionOf(int index) const override { return positionOfBit(index, 7); }

 private:
  int positionOfBit(int index, int bit) const {
    const int octet = index + first_;
    if (!hex_) {
      const auto character = static_cast<std::size_t>((octet * 8 + bit) / 6);
      return form_.positionOf(text_, std::min(character, text_.size() - 1));
    }
    int pair = 0;
    for (std::size_t at = 0; at < text_.size(); ++at) {
      if (!isHexDigit(text_[at])) {
        continue;
      }
      if (pair++ == octet) {
        return form_.positionOf(text_, bit == 0 ? at : at + 1);
      }
      ++at;
    }
    return form_.positionOf(text_, text_.size() - 1);
  }

  std::string_view text_;
  const Utf8Form& form_;
  bool hex_;
  int first_;
};

// The index where the contents octets of a DER encoding start, after
// checking its tag and length.
int derContentsStart(std::span<const std::uint8_t> raw, const pellamar::OctetPlaces& places) {
  const auto fail = [&](const std::string& message, int index) {
    const int position = places.firstPositionOf(index);
    throw ConversionError(ErrorKind::InvalidArgument, message, position);
  };
  if (raw.empty()) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "There are no octets, so there is no DER encoding to read.",
                          places.lastPositionOf(0));
  }
  if (raw[0] != ObjectIdentifierTag) {
    fail("The tag is " + hexOf(raw[0]) +
             ", but the DER encoding of an object identifier starts with the tag 06.",
         0);
  }
  if (raw.size() == 1) {
    throw ConversionError(ErrorKind::InvalidArgument,
                          "The octets end after the tag 06, where the length should follow.",
                          places.lastPositionOf(0));
  }
  const std::uint8_t length = raw[1];
  if (length == LongLengthBit) {
    fail("The length octet is 80, the indefinite form, which DER does not allow.", 1);
  }
  if ((length & LongLengthBit) != 0) {
    fail("The length octet " + hexOf(length) +
             " opens a long-form length, but DER writes a length below 128 in one octet.",
         1);
  }
  const auto following = static_cast<int>(raw.size()) - DerHeadOctets;
  if (length != following) {
    fail("The length is " + std::to_string(length) + ", but " + std::to_string(following) +
             " octets of contents follow it.",
         1);
  }
  if (length == 0) {
    fail("The length is 0, but the contents of an identifier take at least one octet.", 1);
  }
  return DerHeadOctets;
}

// Refuses a subidentifier padded with a leading 80 octet, which X.690
// 8.19.2 forbids.
void refusePadding(const ObjIDBuffer& contents, int count, const pellamar::OctetPlaces& places) {
  const std::uint8_t* octets = contents.first(count).data();
  // Without an 80 octet anywhere there is nothing to look for.
  if (std::memchr(octets, PaddingOctet, static_cast<std::size_t>(count)) == nullptr) {
    return;
  }
  bool startsSubidentifier = true;
  for (int index = 0; index < count; ++index) {
    const std::uint8_t octet = octets[index];
    if (startsSubidentifier && octet == PaddingOctet) {
      const int position = places.firstPositionOf(index);
      throw ConversionError(ErrorKind::InvalidArgument,
                            "The octet 80 at position " + std::to_string(position) +
                                " pads a subidentifier with a leading zero digit, which X.690 "
                                "does not allow; --lenient reads it by its value.",
                            position);
    }
    startsSubidentifier = (octet & ContinuationBit) == 0;
  }
}

bool hasPadding(const ObjIDBuffer& contents, int count) {
  try {
    refusePadding(contents, count, pellamar::OctetIndexPlaces{});
    return false;
  } catch (const ConversionError&) {
    return true;
  }
}

// The dotted identifier of valid contents octets.
void appendIdentifier(const ObjIDBuffer& contents, int count, std::string& out) {
  pellamar::ObjIDContentsToString(contents, static_cast<std::int16_t>(count),
                                  pellamar::OctetIndexPlaces{}, out);
}

void copyOctets(std::span<const std::uint8_t> from, ObjIDBuffer& to) {
  for (std::size_t index = 0; index < from.size(); ++index) {
    to[static_cast<int>(index)] = from[index];
  }
}

char* put(char* out, std::string_view text) {
  std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// Hexadecimal pairs separated by single blanks.
char* putHexPairs(char* out, std::span<const std::uint8_t> octets) {
  return octets.empty() ? out : pellamar::ObjIDOctetsToHex(octets, out) - 1;
}

// The tag and length of the DER encoding of `count` contents octets, in
// hexadecimal.
char* putDerHead(char* out, int count) {
  const std::array<std::uint8_t, DerHeadOctets> head = {ObjectIdentifierTag,
                                                        static_cast<std::uint8_t>(count)};
  return putHexPairs(out, head);
}

// The DER octets in hexadecimal: tag and length, then the contents.
char* putDerHex(char* out, std::span<const std::uint8_t> contents) {
  out = putDerHead(out, static_cast<int>(contents.size()));
  *out++ = ' ';
  return putHexPairs(out, contents);
}

char* putDerBase64(char* out, const ObjIDBuffer& contents, int count) {
  return pellamar::ObjIDContentsToDerBase64(contents.first(count), out);
}

// "{ 1 2 840 113549 }"
char* putValueNotation(char* out, std::string_view identifier) {
  out = put(out, "{ ");
  for (const char c : identifier) {
    *out++ = c == '.' ? ' ' : c;
  }
  return put(out, " }");
}

// "0x2A, 0x86, 0x48"
char* putCArray(char* out, std::span<const std::uint8_t> octets) {
  for (std::size_t index = 0; index < octets.size(); ++index) {
    out = put(out, index == 0 ? "0x" : ", 0x");
    out = put(out, hexOf(octets[index]));
  }
  return out;
}

// The item with every run of blanks, tabs and other breaks made one blank,
// so that a field never holds a tab or a line break.
char* putField(char* out, std::string_view text) {
  bool inBlanks = false;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
    if (!blank) {
      *out++ = c;
    } else if (!inBlanks) {
      *out++ = ' ';
    }
    inBlanks = blank;
  }
  return out;
}

// A JSON string (RFC 8259) of `text`: quotes, backslashes and controls
// escaped, and any byte that is not UTF-8 as U+FFFD.
char* putJsonString(char* out, std::string_view text) {
  *out++ = '"';
  for (std::size_t index = 0; index < text.size();) {
    const auto c = static_cast<unsigned char>(text[index]);
    if (c >= 0x80) {
      const std::size_t length = characterLength(text, index);
      const bool valid = length > 1;
      out = valid ? put(out, text.substr(index, length)) : put(out, "\\ufffd");
      index += length;
      continue;
    }
    if (c == '"' || c == '\\') {
      *out++ = '\\';
      *out++ = static_cast<char>(c);
    } else if (c < 0x20) {
      out = put(out, "\\u00");
      out = put(out, hexOf(c));
    } else {
      *out++ = static_cast<char>(c);
    }
    ++index;
  }
  *out++ = '"';
  return out;
}

char* putJsonField(char* out, std::string_view key, std::string_view value) {
  out = put(out, ",\"");
  out = put(out, key);
  out = put(out, "\":");
  return putJsonString(out, value);
}

// The most characters that the forms of `count` contents octets take in
// any output, besides the item, names and identifier.
std::size_t formsLength(int count) {
  constexpr std::size_t labels = 256;
  return labels + static_cast<std::size_t>(count) * 24;
}

}  // namespace

void Diagnostics::report(long number, int column, std::string_view message, bool warning) {
  std::fprintf(stream_, "pellamar-cli: %ld:%d: %s%.*s\n", number, column,
               warning ? "warning: " : "", static_cast<int>(message.size()), message.data());
}

void Diagnostics::warn(const std::string& message) {
  std::fprintf(stream_, "pellamar-cli: warning: %s\n", message.c_str());
}

ItemConverter::ItemConverter(const ConversionOptions& options, OutputBlock& output,
                             Diagnostics& diagnostics, bool lineAtATime)
    : options_(options),
      output_(output),
      diagnostics_(diagnostics),
      names_(diagnostics),
      lineAtATime_(lineAtATime) {}

bool ItemConverter::convert(std::string_view line, long number, bool operand) {
  const ItemText item = itemOf(line);
  if (item.text.empty()) {
    // An empty operand is most likely a script's unset variable.
    if (operand) {
      diagnostics_.report(number, 1, "The operand is empty.");
    }
    return !operand;
  }
  try {
    if (options_.command == Command::Encode) {
      encode(item, number);
    } else {
      decode(item, number);
    }
  } catch (const ConversionError& error) {
    std::string message = error.what();
    if (options_.adviseQuoting && !quotingAdvised_) {
      quotingAdvised_ = true;
      message +=
          " Each operand is one item: to read a hexadecimal dump, quote it as one operand, as "
          "in pellamar-cli decode --hex '06 03 55 04 03'.";
    }
    diagnostics_.report(number, error.position() > 0 ? error.position() : item.column, message);
    return false;
  }
  firstItem_ = false;
  if (lineAtATime_ || output_.full()) {
    output_.flush();
  }
  return true;
}

void ItemConverter::reportTooLong(long number) {
  diagnostics_.report(number, static_cast<int>(LineSource::MaxLineLength) + 1,
                      "The line is longer than " + std::to_string(LineSource::MaxLineLength) +
                          " characters, longer than any item, and was skipped.");
}

void ItemConverter::encode(const ItemText& item, long number) {
  // Reused from item to item: only the octets written are read.
  ObjIDBuffer& contents = contents_;
  int count = 0;
  blankFree_ = false;
  if (options_.lenient) {
    count = pellamar::ObjIDStringToBinary(contents, item.text, Utf8Form(item.column));
    warnIfStrictDiffers(item, number, contents.first(count));
  } else {
    count = readIdentifier(item, contents, names_, blankFree_);
  }
  std::string_view identifier;
  if (options_.format != OutputFormat::Tsv) {
    identifier = identifierOf(contents, count, pellamar::OctetIndexPlaces{});
  }
  write(item, number, contents, count, identifier);
}

void ItemConverter::warnIfStrictDiffers(const ItemText& item, long number,
                                        std::span<const std::uint8_t> lenient) {
  ObjIDBuffer strict;
  int count = 0;
  try {
    bool blankFree = false;
    count = readIdentifier(item, strict, names_, blankFree);
  } catch (const ConversionError&) {
    return;
  }
  const auto octets = strict.first(count);
  if (std::equal(octets.begin(), octets.end(), lenient.begin(), lenient.end())) {
    return;
  }
  ObjIDBuffer read;
  copyOctets(lenient, read);
  std::string lenientIdentifier;
  std::string strictIdentifier;
  appendIdentifier(read, static_cast<int>(lenient.size()), lenientIdentifier);
  appendIdentifier(strict, count, strictIdentifier);
  diagnostics_.report(number, item.column,
                      "--lenient reads this as " + quoted(lenientIdentifier) +
                          ", but read strictly it is " + quoted(strictIdentifier) + ".",
                      true);
}

void ItemConverter::decode(const ItemText& item, long number) {
  const Utf8Form form(item.column);
  // Base64 has no blank, hexadecimal pairs may be separated by them.
  blankFree_ = !options_.hex;
  if (!options_.hex) {
    warnIfHexadecimal(item, number);
  }
  const auto reading =
      options_.lenient ? pellamar::Base64Reading::Lenient : pellamar::Base64Reading::Strict;
  const auto read = [&](std::span<std::uint8_t> room) {
    return options_.hex ? pellamar::ObjIDHexToOctets(item.text, room, form)
                        : pellamar::ObjIDBase64ToOctets(item.text, room, form, reading);
  };
  // Reused from item to item: only the octets written are read.
  ObjIDBuffer& contents = contents_;
  int first = 0;
  int count = 0;
  if (options_.der) {
    // A DER encoding takes two octets more than its contents.
    DerOctets raw;  // NOLINT(*-member-init): only what is read is used
    const auto octets =
        std::span<const std::uint8_t>(raw).first(static_cast<std::size_t>(read(raw)));
    first = derContentsStart(octets, ItemOctetPlaces(item, form, options_.hex, 0));
    copyOctets(octets.subspan(static_cast<std::size_t>(first)), contents);
    count = static_cast<int>(octets.size()) - first;
  } else {
    count = read(contents.first(MaxContentsOctets));
    warnIfWholeEncoding(item, number, contents.first(count));
  }
  const ItemOctetPlaces places(item, form, options_.hex, first);
  if (!options_.lenient) {
    refusePadding(contents, count, places);
  }
  const std::string_view identifier =
      identifierOf(contents, count, places, options_.lenient ? LenientLargestArc : 0);
  // Names and forms are those of the identifier printed, whatever octets
  // it was read from.
  if (options_.lenient && hasPadding(contents, count)) {
    ObjIDBuffer canonical;
    const int canonicalCount =
        pellamar::ObjIDStrictStringToContents(identifier, canonical, pellamar::Latin1Form{});
    write(item, number, canonical, canonicalCount, identifier);
    return;
  }
  write(item, number, contents, count, identifier);
}

std::string_view ItemConverter::identifierOf(const ObjIDBuffer& contents, int count,
                                             const pellamar::OctetPlaces& places,
                                             std::uint64_t largestArc) {
  const char* end = pellamar::ObjIDContentsToString(contents, static_cast<std::int16_t>(count),
                                                    places, identifier_.data(), largestArc);
  return {identifier_.data(), static_cast<std::size_t>(end - identifier_.data())};
}

void ItemConverter::warnIfHexadecimal(const ItemText& item, long number) {
  const std::string_view text = item.text;
  if (text.size() % 2 != 0 ||
      !std::all_of(text.begin(), text.end(), [](char c) { return isHexDigit(c); })) {
    return;
  }
  std::string identifier;
  try {
    ObjIDBuffer contents;
    const int count = pellamar::ObjIDHexToContents(text, contents);
    if (hasPadding(contents, count)) {
      return;
    }
    appendIdentifier(contents, count, identifier);
  } catch (const ConversionError&) {
    return;
  }
  diagnostics_.report(number, item.column,
                      "the text is hexadecimal octets too; it is read as Base64, and --hex would "
                      "read " +
                          quoted(identifier) + ".",
                      true);
}

void ItemConverter::warnIfWholeEncoding(const ItemText& item, long number,
                                        std::span<const std::uint8_t> raw) {
  if (raw.size() < 3 || raw[0] != ObjectIdentifierTag ||
      raw[1] != static_cast<std::uint8_t>(raw.size() - DerHeadOctets)) {
    return;
  }
  std::string identifier;
  try {
    ObjIDBuffer contents;
    copyOctets(raw.subspan(DerHeadOctets), contents);
    const int count = static_cast<int>(raw.size()) - DerHeadOctets;
    if (!options_.lenient && hasPadding(contents, count)) {
      return;
    }
    pellamar::ObjIDContentsToString(contents, static_cast<std::int16_t>(count),
                                    pellamar::OctetIndexPlaces{}, identifier,
                                    options_.lenient ? LenientLargestArc : 0);
  } catch (const ConversionError&) {
    // Not a DER encoding after all.
    return;
  }
  diagnostics_.report(number, item.column,
                      "these octets look like a whole DER encoding (tag 06, length " +
                          std::to_string(raw.size() - DerHeadOctets) +
                          "); they are read as contents, and --der would read " +
                          quoted(identifier) + ".",
                      true);
}

void ItemConverter::write(const ItemText& item, long number, const ObjIDBuffer& contents, int count,
                          std::string_view identifier) {
  switch (options_.format) {
    case OutputFormat::Human:
      writeHuman(contents, count, identifier);
      break;
    case OutputFormat::Tsv:
      writeTsv(item, contents, count, identifier);
      break;
    case OutputFormat::Json:
      writeJson(item, number, contents, count, identifier);
      break;
  }
}

void ItemConverter::writeHuman(const ObjIDBuffer& contents, int count,
                               std::string_view identifier) {
  const auto octets = contents.first(count);
  const auto name = names_.nameOf(octets);
  const auto uuid = pellamar::ObjIDContentsToUuid(contents, static_cast<std::int16_t>(count));
  const std::size_t nameLength = name ? name->shortName.size() + name->longName.size() : 0;
  char* const start = output_.room(identifier.size() * 2 + nameLength + formsLength(count));
  char* out = start;
  const bool encoding = options_.command == Command::Encode;
  if (encoding && !firstItem_) {
    *out++ = '\n';
  }
  out = put(out, identifier);
  if (name) {
    out = put(put(out, " "), name->shortName);
    if (name->longName != name->shortName) {
      out = put(put(put(out, " ("), name->longName), ")");
    }
  }
  if (encoding) {
    out = putHexPairs(put(out, "\n  contents octets  "), octets);
    out = pellamar::ObjIDOctetsToBase64(octets, put(out, "\n  contents Base64  "));
    out = putDerHex(put(out, "\n  DER octets       "), octets);
    out = putDerBase64(put(out, "\n  DER Base64       "), contents, count);
    out = putValueNotation(put(out, "\n  value notation   "), identifier);
    out = putCArray(put(out, "\n  C array          "), octets);
  }
  if (uuid) {
    out = put(put(out, "\n  UUID             "), *uuid);
  }
  *out++ = '\n';
  output_.commit(out);
}

void ItemConverter::writeTsv(const ItemText& item, const ObjIDBuffer& contents, int count,
                             std::string_view identifier) {
  const auto octets = contents.first(count);
  std::optional<ObjectName> name;
  if (options_.names) {
    name = names_.nameOf(octets);
  }
  std::optional<std::string> uuid;
  if (options_.uuid) {
    uuid = pellamar::ObjIDContentsToUuid(contents, static_cast<std::int16_t>(count));
  }
  const std::size_t nameLength = name ? name->shortName.size() : 0;
  char* out = output_.room(item.text.size() + identifier.size() + nameLength + formsLength(count));
  out = blankFree_ ? put(out, item.text) : putField(out, item.text);
  *out++ = '\t';
  if (options_.command == Command::Encode) {
    const char* hex = out;
    out = putHexPairs(out, octets);
    const auto hexLength = static_cast<std::size_t>(out - hex);
    *out++ = '\t';
    out = pellamar::ObjIDOctetsToBase64(octets, out);
    *out++ = '\t';
    // The DER octets are the contents' with the tag and length before them.
    out = putDerHead(out, count);
    *out++ = ' ';
    out = put(out, std::string_view(hex, hexLength));
    *out++ = '\t';
    out = putDerBase64(out, contents, count);
  } else {
    out = put(out, identifier);
  }
  if (options_.names) {
    *out++ = '\t';
    if (name) {
      out = putField(out, name->shortName);
    }
  }
  if (options_.uuid) {
    *out++ = '\t';
    if (uuid) {
      out = put(out, *uuid);
    }
  }
  *out++ = '\n';
  output_.commit(out);
}

void ItemConverter::writeJson(const ItemText& item, long number, const ObjIDBuffer& contents,
                              int count, std::string_view identifier) {
  const auto octets = contents.first(count);
  const auto name = names_.nameOf(octets);
  const auto uuid = pellamar::ObjIDContentsToUuid(contents, static_cast<std::int16_t>(count));
  // JSON escapes take up to six characters a byte.
  const std::size_t nameLength = name ? name->shortName.size() + name->longName.size() : 0;
  char* out = output_.room((item.text.size() + nameLength) * 6 + identifier.size() * 2 +
                           formsLength(count));
  out = put(out, "{\"line\":");
  out = put(out, std::to_string(number));
  out = putJsonField(out, "item", item.text);
  out = putJsonField(out, "identifier", identifier);
  std::array<char, MaxFormLength> form{};
  const auto field = [&](std::string_view key, const char* end) {
    out = putJsonField(out, key, std::string_view(form.data(), end));
  };
  field("contents_hex", putHexPairs(form.data(), octets));
  field("contents_base64", pellamar::ObjIDOctetsToBase64(octets, form.data()));
  field("der_hex", putDerHex(form.data(), octets));
  field("der_base64", putDerBase64(form.data(), contents, count));
  std::string valueNotation(identifier.size() + 4, ' ');
  putValueNotation(valueNotation.data(), identifier);
  out = putJsonField(out, "value_notation", valueNotation);
  if (uuid) {
    out = putJsonField(out, "uuid", *uuid);
  }
  if (name) {
    out = putJsonField(out, "name", name->shortName);
    out = putJsonField(out, "long_name", name->longName);
  }
  out = put(out, "}\n");
  output_.commit(out);
}
