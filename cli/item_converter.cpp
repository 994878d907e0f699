#include "item_converter.hpp"

#include "line_source.hpp"
#include "object_names.hpp"
#include "objid_conversions.hpp"
#include "strict_identifier.hpp"

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

// Results are written in blocks of about this size, unless a person reads
// them as they come.
constexpr std::size_t OutputBlockSize = std::size_t{1} << 16;

// The hexadecimal pairs separated by single blanks.
std::string hexPairs(const ObjIDBuffer& octets, int count) {
  std::string pairs = pellamar::ObjIDBinaryToHex(octets, static_cast<std::int16_t>(count));
  if (!pairs.empty()) {
    pairs.pop_back();
  }
  return pairs;
}

std::string hexOf(std::uint8_t octet) {
  ObjIDBuffer one;
  one[0] = octet;
  return hexPairs(one, 1);
}

// The tag and length of the DER encoding of `count` contents octets, and
// the first of them.
ObjIDBuffer derHead(const ObjIDBuffer& contents, int count) {
  ObjIDBuffer head;
  head[0] = ObjectIdentifierTag;
  head[1] = static_cast<std::uint8_t>(count);
  head[2] = contents[0];
  return head;
}

// Base64 of the DER encoding: tag, length and contents. The first three
// octets make one Base64 group, so the contents after their first octet
// encode on their own.
std::string derBase64(const ObjIDBuffer& contents, int count) {
  ObjIDBuffer rest;
  for (int index = 1; index < count; ++index) {
    rest[index - 1] = contents[index];
  }
  return pellamar::ObjIDBinaryToBase64(derHead(contents, count), 3) +
         pellamar::ObjIDBinaryToBase64(rest, static_cast<std::int16_t>(count - 1));
}

// Runs `convert`, moving the position of any failure by `shift`.
template <typename Convert>
auto shifted(int shift, const Convert& convert) {
  try {
    return convert();
  } catch (const ConversionError& error) {
    throw ConversionError(error.kind(), error.what(),
                          error.position() > 0 ? error.position() + shift : 0);
  }
}

}  // namespace

ItemConverter::ItemConverter(const ConversionOptions& options, std::FILE* output,
                             std::FILE* diagnostics, bool lineAtATime)
    : options_(options), output_(output), diagnostics_(diagnostics), lineAtATime_(lineAtATime) {
  text_.reserve(OutputBlockSize + LineSource::MaxLineLength);
}

bool ItemConverter::convert(std::string_view line, long number, bool operand) {
  const ItemText item = reader_.read(line);
  if (item.asRead.empty()) {
    // An empty operand is most likely a script's unset variable.
    if (operand) {
      report(number, 1, "The operand is empty.");
    }
    return !operand;
  }
  const std::size_t written = text_.size();
  try {
    if (options_.command == Command::Encode) {
      encode(item);
    } else {
      decode(item, number);
    }
  } catch (const ConversionError& error) {
    text_.resize(written);
    const int position = error.position() > 0 ? error.position() : 1;
    report(number, item.offset + position, error.what());
    return false;
  }
  firstItem_ = false;
  if (lineAtATime_ || text_.size() >= OutputBlockSize) {
    flush();
  }
  return true;
}

void ItemConverter::flush() {
  std::fwrite(text_.data(), 1, text_.size(), output_);
  text_.clear();
}

void ItemConverter::reportTooLong(long number) {
  report(number, static_cast<int>(LineSource::MaxLineLength) + 1,
         "The line is longer than " + std::to_string(LineSource::MaxLineLength) +
             " characters, longer than any item, and was skipped.");
}

void ItemConverter::encode(const ItemText& item) {
  std::string_view arcs = item.codes;
  if (!options_.lenient) {
    // The conversion skips blanks before an arc, so a prefix turned into
    // blanks keeps the positions in its messages those of the item.
    if (const std::size_t start = strictArcsStart(item.codes); start > 0) {
      prefixless_.assign(item.codes);
      prefixless_.replace(0, start, start, ' ');
      arcs = prefixless_;
    }
  }
  ObjIDBuffer contents;
  const int count = pellamar::ObjIDStringToBinary(contents, arcs);
  const std::string contentsHex = hexPairs(contents, count);
  const std::string contentsBase64 =
      pellamar::ObjIDBinaryToBase64(contents, static_cast<std::int16_t>(count));
  const std::string derHex = pellamar::ObjIDBinaryToHex(derHead(contents, count), 2) + contentsHex;
  const std::string derText = derBase64(contents, count);
  if (options_.tsv) {
    text_.append(item.asRead).append("\t").append(contentsHex).append("\t");
    text_.append(contentsBase64).append("\t").append(derHex).append("\t").append(derText);
    if (options_.names) {
      text_ += '\t';
      if (const auto name = objectName(contents, count)) {
        text_.append(name->shortName);
      }
    }
    text_ += '\n';
    return;
  }
  if (!firstItem_) {
    text_ += '\n';
  }
  text_.append(item.asRead);
  appendName(contents, count);
  text_.append("\n  contents octets  ").append(contentsHex);
  text_.append("\n  contents Base64  ").append(contentsBase64);
  text_.append("\n  DER octets       ").append(derHex);
  text_.append("\n  DER Base64       ").append(derText).append("\n");
}

void ItemConverter::decode(const ItemText& item, long number) {
  ObjIDBuffer octets;
  const int count = options_.hex ? pellamar::ObjIDHexToContents(item.codes, octets)
                                 : pellamar::ObjIDBase64ToContents(item.codes, octets);
  int first = 0;
  if (options_.der) {
    first = derContentsStart(item, octets, count);
  } else {
    warnIfWholeEncoding(item, octets, count, number);
  }
  const std::string identifier = identifierOf(item, octets, first, count);
  const int contentsCount = count - first;
  if (options_.tsv) {
    text_.append(item.asRead).append("\t").append(identifier);
    if (options_.names) {
      text_ += '\t';
      if (const auto name = objectName(octets, contentsCount)) {
        text_.append(name->shortName);
      }
    }
  } else {
    text_.append(identifier);
    appendName(octets, contentsCount);
  }
  text_ += '\n';
}

std::string ItemConverter::identifierOf(const ItemText& item, ObjIDBuffer& octets, int first,
                                        int count) const {
  bool startsSubidentifier = true;
  for (int index = first; index < count; ++index) {
    const std::uint8_t octet = octets[index];
    if (startsSubidentifier && octet == PaddingOctet && !options_.lenient) {
      const int position = positionOfOctet(item, index);
      throw ConversionError(ErrorKind::InvalidArgument,
                            "The octet 80 at position " + std::to_string(position) +
                                " pads a subidentifier with a leading zero digit, which X.690 "
                                "does not allow; --lenient reads it by its value.",
                            position);
    }
    startsSubidentifier = (octet & ContinuationBit) == 0;
    // The contents usually stand at the start already.
    if (first > 0) {
      octets[index - first] = octet;
    }
  }
  ObjIDBuffer split;
  const std::int16_t splitCount = shifted(positionOfOctet(item, first) - 1, [&] {
    return pellamar::ObjIDContentsToBinary(octets, static_cast<std::int16_t>(count - first), split);
  });
  return pellamar::ObjIDBinaryToString(split, splitCount);
}

int ItemConverter::derContentsStart(const ItemText& item, const ObjIDBuffer& raw, int count) const {
  const auto fail = [&](const std::string& message, int index) {
    const int position = positionOfOctet(item, index);
    throw ConversionError(ErrorKind::InvalidArgument, message, position);
  };
  if (count == 0) {
    fail("There are no octets, so there is no DER encoding to read.", 0);
  }
  if (raw[0] != ObjectIdentifierTag) {
    fail("The tag is " + hexOf(raw[0]) +
             ", but the DER encoding of an object identifier starts with the tag 06.",
         0);
  }
  if (count == 1) {
    fail("The octets end after the tag 06, where the length should follow.", 0);
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
  if (length != count - 2) {
    fail("The length is " + std::to_string(length) + ", but " + std::to_string(count - 2) +
             " octets of contents follow it.",
         1);
  }
  if (length == 0) {
    fail("The length is 0, but the contents of an identifier take at least one octet.", 1);
  }
  return 2;
}

void ItemConverter::warnIfWholeEncoding(const ItemText& item, const ObjIDBuffer& raw, int count,
                                        long number) {
  if (count < 3 || raw[0] != ObjectIdentifierTag || raw[1] != count - 2) {
    return;
  }
  try {
    ObjIDBuffer contents = raw;
    const std::string identifier = identifierOf(item, contents, 2, count);
    report(number, item.offset + 1,
           "these octets look like a whole DER encoding (tag 06, length " +
               std::to_string(count - 2) + "); they are read as contents, and --der would read " +
               identifier + ".",
           true);
  } catch (const ConversionError&) {
    // Not a DER encoding after all.
  }
}

void ItemConverter::appendName(const ObjIDBuffer& contents, int count) {
  const auto name = objectName(contents, count);
  if (!name) {
    return;
  }
  text_.append(" ").append(name->shortName);
  if (name->longName != name->shortName) {
    text_.append(" (").append(name->longName).append(")");
  }
}

void ItemConverter::report(long number, int column, std::string_view message, bool warning) {
  std::fprintf(diagnostics_, "pellamar-cli: %ld:%d: %s%.*s\n", number, column,
               warning ? "warning: " : "", static_cast<int>(message.size()), message.data());
}

// The position in the item's text where octet `index` of its decoded octets
// begins.
int ItemConverter::positionOfOctet(const ItemText& item, int index) const {
  if (!options_.hex) {
    // Each Base64 character holds six bits, from the start of the text.
    return index * 8 / 6 + 1;
  }
  int octet = 0;
  for (std::size_t at = 0; at < item.codes.size(); ++at) {
    const char c = item.codes[at];
    if (c == ' ' || c == '\t' || c == ':') {
      continue;
    }
    if (octet == index) {
      return static_cast<int>(at) + 1;
    }
    ++octet;
    ++at;
  }
  return static_cast<int>(item.codes.size()) + 1;
}
