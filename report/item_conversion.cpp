#include "item_conversion.hpp"

#include <algorithm>
#include <array>
#include <cctype>

#include "name_resolution.hpp"
#include "pellamar/other_readings.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/relative_oid.hpp"
#include "pellamar/visible_text.hpp"
#include "pellamar/writers.hpp"

namespace pellamar {

using namespace names;

namespace {

using pellamar::Error;
using pellamar::Form;
using pellamar::ObjectIdentifier;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

ItemConverter::ItemConverter(const ConversionOptions& options, NameLookup& names,
                             OutputBlock& output, MessageSink& messages, bool lineAtATime)
    : options_(options),
      output_(output),
      diagnostics_(messages),
      names_(names),
      report_({options.command, options.format, options.names, options.uuid}, names_, output),
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
  const bool converted = options_.relative                     ? convertRelative(item, number)
                         : options_.command == Command::Encode ? encode(item, number)
                                                               : decode(item, number);
  if (!converted) {
    return false;
  }
  if (lineAtATime_ || output_.full()) {
    output_.flush();
  }
  return true;
}

Failure failureOf(const ItemText& item, const Error& error) {
  const pellamar::ErrorPlace place = placeOf(error, item);
  return {place.position > 0 ? place.position : item.column,
          pellamar::describe(error, item.text, place)};
}

void ItemConverter::fail(long number, Failure failure) {
  if (options_.adviseQuoting && !quotingAdvised_) {
    quotingAdvised_ = true;
    failure.message +=
        " Each operand is one item: to read a hexadecimal dump, quote it as one operand, as "
        "in pellamar-cli decode --hex '06 03 55 04 03'.";
  }
  diagnostics_.report(number, failure.column, failure.message);
}

void ItemConverter::reportTooLong(long number, std::size_t longest) {
  diagnostics_.report(number, static_cast<int>(longest) + 1,
                      "The line is longer than " + std::to_string(longest) +
                          " characters, longer than any item, and was skipped.");
}

std::optional<Failure> ItemConverter::readStrictly(const ItemText& item,
                                                   ObjectIdentifier& identifier, bool& blankFree) {
  const std::string_view text = item.text;
  const pellamar::TextForm form = pellamar::formOf(text);
  blankFree = form == pellamar::TextForm::Dotted || form == pellamar::TextForm::Uuid;
  if (form == pellamar::TextForm::Name) {
    return readName(item, identifier);
  }
  if (const auto error = pellamar::readIdentifier(text, identifier)) {
    return failureOf(item, *error);
  }
  return std::nullopt;
}

std::optional<Failure> ItemConverter::readName(const ItemText& item, ObjectIdentifier& identifier) {
  const std::string_view text = item.text;
  // A name that no table holds is not copied into the message when it
  // holds characters that would act on the terminal or hide what follows.
  if (const std::size_t unprintable = pellamar::firstEscaped(text); unprintable < text.size()) {
    pellamar::ErrorPlace place =
        placeOf(Error(pellamar::ErrorCode::NotInIdentifier, unprintable, 1), item);
    place.character.front() = static_cast<char>(std::toupper(place.character.front()));
    return Failure{place.position, place.character + " at position " +
                                       std::to_string(place.position) + " cannot stand in a name."};
  }
  if (auto message = resolveName(names_.database(), text, nameReading_, identifier)) {
    return Failure{item.column, std::move(*message)};
  }
  return std::nullopt;
}

bool ItemConverter::encode(const ItemText& item, long number) {
  ObjectIdentifier identifier;
  // Most items are dotted text, which holds no blank.
  if (!options_.lenient && isDigit(item.text.front()) &&
      !pellamar::readDotted(item.text, identifier)) [[likely]] {
    blankFree_ = true;
    // Dotted text read strictly from a digit on is written as it is read.
    itemDotted_ = item.text;
    write(item, number, identifier);
    itemDotted_ = {};
    return true;
  }
  blankFree_ = false;
  std::optional<Failure> failure;
  if (options_.lenient) {
    if (const auto error = pellamar::readDottedLenient(item.text, identifier)) {
      failure = failureOf(item, *error);
    }
  } else {
    failure = readStrictly(item, identifier, blankFree_);
  }
  if (failure) {
    fail(number, std::move(*failure));
    return false;
  }
  if (options_.lenient) {
    warnIfStrictDiffers(item, number, identifier);
  }
  write(item, number, identifier);
  return true;
}

void ItemConverter::warnIfStrictDiffers(const ItemText& item, long number,
                                        const ObjectIdentifier& lenient) {
  ObjectIdentifier strict;
  bool blankFree = false;
  if (readStrictly(item, strict, blankFree) || strict == lenient) {
    return;
  }
  diagnostics_.report(number, item.column, pellamar::strictReading(lenient, strict), true);
}

std::optional<std::span<const std::uint8_t>> ItemConverter::decodeOctets(const ItemText& item,
                                                                         long number,
                                                                         RawOctets& raw) {
  const auto reading = options_.lenient ? pellamar::Reading::Lenient : pellamar::Reading::Strict;
  const auto room =
      std::span(raw).first(options_.der ? pellamar::MaxDerOctets : ObjectIdentifier::MaxOctets);
  std::size_t count = 0;
  const auto error = options_.hex ? pellamar::decodeHex(item.text, room, count)
                                  : pellamar::decodeBase64(item.text, room, reading, count);
  if (error) {
    fail(number, failureOf(item, *error));
    return std::nullopt;
  }
  return std::span<const std::uint8_t>(raw).first(count);
}

bool ItemConverter::decode(const ItemText& item, long number) {
  // Base64 has no blank, hexadecimal pairs may be separated by them.
  blankFree_ = !options_.hex;
  if (!options_.hex) {
    warnIfHexadecimal(item, number);
  }
  const auto reading = options_.lenient ? pellamar::Reading::Lenient : pellamar::Reading::Strict;
  const auto form = options_.hex ? pellamar::OctetText::Hex : pellamar::OctetText::Base64;
  RawOctets raw;  // NOLINT(*-member-init): only what is decoded is read
  const auto decoded = decodeOctets(item, number, raw);
  if (!decoded) {
    return false;
  }
  const auto octets = *decoded;
  if (!options_.der) {
    warnIfWholeEncoding(item, number, octets);
  }
  ObjectIdentifier identifier;
  const auto error = options_.der ? pellamar::readDer(octets, reading, identifier)
                                  : pellamar::readContents(octets, reading, identifier);
  if (error) {
    fail(number, failureOf(item, pellamar::placeInText(*error, item.text, form)));
    return false;
  }
  write(item, number, identifier);
  return true;
}

bool ItemConverter::convertRelative(const ItemText& item, long number) {
  blankFree_ = options_.command == Command::Encode || !options_.hex;
  pellamar::RelativeOid relative;
  std::optional<pellamar::Error> error;
  if (options_.command == Command::Encode) {
    error = pellamar::readRelativeDotted(item.text, relative);
  } else {
    RawOctets raw;  // NOLINT(*-member-init): only what is decoded is read
    const auto octets = decodeOctets(item, number, raw);
    if (!octets) {
      return false;
    }
    error = options_.der ? pellamar::readRelativeDer(*octets, relative)
                         : pellamar::RelativeOid::fromContents(*octets, relative);
    if (error) {
      error = pellamar::placeInText(
          *error, item.text, options_.hex ? pellamar::OctetText::Hex : pellamar::OctetText::Base64);
    }
  }
  if (error) {
    fail(number, failureOf(item, *error));
    return false;
  }
  write(item, number, relative);
  return true;
}

void ItemConverter::warnIfHexadecimal(const ItemText& item, long number) {
  if (const auto warning = pellamar::hexadecimalReading(item.text)) {
    diagnostics_.report(number, item.column, *warning, true);
  }
}

void ItemConverter::warnIfWholeEncoding(const ItemText& item, long number,
                                        std::span<const std::uint8_t> raw) {
  const auto reading = options_.lenient ? pellamar::Reading::Lenient : pellamar::Reading::Strict;
  if (const auto warning = pellamar::wholeEncodingReading(raw, reading)) {
    diagnostics_.report(number, item.column, *warning, true);
  }
}

}  // namespace pellamar
