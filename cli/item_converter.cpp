#include "item_converter.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <stdexcept>

#include "line_source.hpp"
#include "name_query.hpp"
#include "pellamar/json.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/relative_oid.hpp"
#include "pellamar/visible_text.hpp"
#include "pellamar/writers.hpp"

namespace {

using pellamar::Error;
using pellamar::Form;
using pellamar::ObjectIdentifier;

std::string quoted(std::string_view text) {
  std::string result(1, '"');
  result.append(text);
  result += '"';
  return result;
}

std::string dotted(const ObjectIdentifier& identifier) {
  std::string text;
  pellamar::append(identifier, Form::Dotted, text);
  return text;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The room one item's results take at most, besides the item, its names
// and its identifier: every form of the largest identifier, and the labels
// and punctuation around them.
const std::size_t FormsRoom = [] {
  constexpr std::size_t labels = 512;
  std::size_t room = labels;
  for (const Form form : {Form::Dotted, Form::Hex, Form::Base64, Form::DerHex, Form::DerBase64,
                          Form::ValueNotation, Form::CArray, Form::Uuid}) {
    room += pellamar::maxLength(form);
  }
  return room;
}();

// The item as a field: every run of blanks, tabs and other breaks made one
// blank, and what is left escaped, so that a field never holds a tab or a
// line break. At most VisibleExpansion characters for each of the item's.
std::string itemField(std::string_view text) {
  std::string field;
  bool inBlanks = false;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
    if (!blank) {
      field += c;
    } else if (!inBlanks) {
      field += ' ';
    }
    inBlanks = blank;
  }
  return pellamar::visible(field);
}

// Writes one item's results into the room the output block gave, and
// never past its end.
class ResultWriter {
 public:
  explicit ResultWriter(char* room, std::size_t size) : at_(room), end_(room + size) {}

  void put(std::string_view text) {
    std::memcpy(reserve(text.size()), text.data(), text.size());
    at_ += text.size();
  }
  void put(char c) {
    *reserve(1) = c;
    ++at_;
  }
  void put(const ObjectIdentifier& identifier, Form form) {
    at_ += pellamar::write(identifier, form, {at_, static_cast<std::size_t>(end_ - at_)});
  }
  void put(const ObjectIdentifier& identifier, std::span<const Form> forms, char separator) {
    at_ +=
        pellamar::write(identifier, forms, separator, {at_, static_cast<std::size_t>(end_ - at_)});
  }

  // Text from outside, escaped; it takes at most VisibleExpansion
  // characters of room for each octet.
  void putVisible(std::string_view text) {
    at_ = pellamar::writeVisible(reserve(pellamar::VisibleExpansion * text.size()), text);
  }

  void putField(std::string_view text) { put(itemField(text)); }

  void putJsonString(std::string_view text) {
    at_ = pellamar::writeJsonString(reserve(pellamar::jsonStringBound(text.size())), text);
  }

  void putJsonField(std::string_view key, std::string_view value) {
    putJsonKey(key);
    putJsonString(value);
  }
  // Every form is ASCII without quotes or backslashes: it needs no escape.
  void putJsonField(std::string_view key, const ObjectIdentifier& identifier, Form form) {
    putJsonKey(key);
    put('"');
    put(identifier, form);
    put('"');
  }

  const char* end() const { return at_; }

 private:
  void putJsonKey(std::string_view key) {
    put(",\"");
    put(key);
    put("\":");
  }

  // Room for `size` more characters; running out is a fault of the room
  // asked for, never of the input.
  char* reserve(std::size_t size) {
    if (size > static_cast<std::size_t>(end_ - at_)) {
      throw std::logic_error("the room for an item's results ran out");
    }
    return at_;
  }

  char* at_;
  char* end_;
};

}  // namespace

// Messages quote items, file names and names read from files: each is
// written with what could control the terminal escaped.
void Diagnostics::report(long number, int column, std::string_view message, bool warning) {
  std::fprintf(stream_, "pellamar-cli: %ld:%d: %s%s\n", number, column, warning ? "warning: " : "",
               pellamar::visible(message, pellamar::Backslash::Kept).c_str());
}

void Diagnostics::error(const std::string& message) {
  std::fprintf(stream_, "pellamar-cli: %s\n",
               pellamar::visible(message, pellamar::Backslash::Kept).c_str());
}

void Diagnostics::warn(const std::string& message) {
  std::fprintf(stream_, "pellamar-cli: warning: %s\n",
               pellamar::visible(message, pellamar::Backslash::Kept).c_str());
}

ItemConverter::ItemConverter(const ConversionOptions& options, OutputBlock& output,
                             Diagnostics& diagnostics, bool lineAtATime)
    : options_(options),
      output_(output),
      diagnostics_(diagnostics),
      names_(diagnostics, options.namesFiles),
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
  firstItem_ = false;
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

void ItemConverter::reportTooLong(long number) {
  diagnostics_.report(number, static_cast<int>(LineSource::MaxLineLength) + 1,
                      "The line is longer than " + std::to_string(LineSource::MaxLineLength) +
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
  names_.database().read(text, nameReading_);
  const NameReading& reading = nameReading_;
  const auto identifierOf = [](const Name& name) {
    ObjectIdentifier named;
    ObjectIdentifier::fromContents(name.contents, named);
    return named;
  };
  constexpr std::size_t shown = 3;
  if (!reading.instanceFault.empty()) {
    return Failure{item.column, quoted(text) + " is " + reading.instanceFault + "."};
  }
  if (reading.candidates.empty()) {
    std::string suggestions;
    std::vector<std::string_view> spellings;
    for (const Name& name : reading.otherCase) {
      if (std::find(spellings.begin(), spellings.end(), name.name) == spellings.end()) {
        spellings.push_back(name.name);
      }
    }
    for (std::size_t index = 0; index < spellings.size() && index < shown; ++index) {
      suggestions += (index == 0                                            ? " Did you mean "
                      : index + 1 == spellings.size() || index + 1 == shown ? " or "
                                                                            : ", ");
      suggestions += quoted(spellings[index]);
    }
    if (!suggestions.empty()) {
      suggestions += "?";
    }
    return Failure{item.column, "No identifier is named " + quoted(text) +
                                    " by any source of names; names are matched in the case "
                                    "written, LDAP's in any case." +
                                    suggestions};
  }
  if (reading.candidates.size() > 1) {
    // Each candidate with the qualified name that picks it, where one does:
    // two names of one module or one kind of source are told apart only by
    // their identifiers.
    const auto& found = reading.candidates;
    std::vector<std::string> forms;
    for (const Name& name : found) {
      forms.push_back(name.unambiguous());
    }
    bool anyForm = false;
    std::string identifiers;
    for (std::size_t index = 0; index < found.size() && index < shown; ++index) {
      if (index > 0) {
        identifiers += ", ";
      }
      identifiers.append(quoted(dotted(identifierOf(found[index]))))
          .append(" (")
          .append(kindName(found[index].source->kind));
      if (std::count(forms.begin(), forms.end(), forms[index]) == 1) {
        identifiers.append(", ").append(forms[index]);
        anyForm = true;
      }
      identifiers += ')';
    }
    if (found.size() > shown) {
      identifiers += " and " + std::to_string(found.size() - shown) + " more";
    }
    return Failure{item.column, "The name " + quoted(text) + " is ambiguous: it names " +
                                    identifiers + "; give " +
                                    (anyForm ? "the qualified name or " : "") +
                                    "the identifier instead."};
  }
  identifier = identifierOf(reading.candidates.front());
  // The arcs below are their own contents after the name's, read without
  // writing the whole identifier out and reading it again.
  pellamar::RelativeOid below;
  if (!reading.arcsBelow.empty() && !pellamar::readRelativeDotted(reading.arcsBelow, below) &&
      identifier.octets().size() + below.octets().size() <= ObjectIdentifier::MaxOctets) {
    std::array<std::uint8_t, ObjectIdentifier::MaxOctets> contents{};
    const auto end =
        std::copy(identifier.octets().begin(), identifier.octets().end(), contents.begin());
    std::copy(below.octets().begin(), below.octets().end(), end);
    ObjectIdentifier::fromContents(
        {contents.data(), identifier.octets().size() + below.octets().size()}, identifier);
    return std::nullopt;
  }
  if (!reading.arcsBelow.empty()) {
    const std::string whole = dotted(identifier) + "." + reading.arcsBelow;
    if (const auto error = pellamar::readDotted(whole, identifier)) {
      return Failure{item.column,
                     "The name " + quoted(text) + " stands for " + quoted(whole) +
                         ", which is not an identifier: " +
                         pellamar::describe(*error, whole, pellamar::latin1Place(*error, whole))};
    }
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
  diagnostics_.report(number, item.column,
                      "--lenient reads this as " + quoted(dotted(lenient)) +
                          ", but read strictly it is " + quoted(dotted(strict)) + ".",
                      true);
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
  writeRelative(item, number, relative);
  return true;
}

void ItemConverter::writeRelative(const ItemText& item, long number,
                                  const pellamar::RelativeOid& relative) {
  const bool encoding = options_.command == Command::Encode;
  const auto form = [&relative](Form written) {
    std::string text;
    pellamar::append(relative, written, text);
    return text;
  };
  std::string text;
  switch (options_.format) {
    case OutputFormat::Human:
      if (encoding && !firstItem_) {
        text += '\n';
      }
      text += form(Form::Dotted);
      text += " (relative)\n";
      if (encoding) {
        text += "  contents octets  " + form(Form::Hex) + "\n  contents Base64  " +
                form(Form::Base64) + "\n  DER octets       " + form(Form::DerHex) +
                "\n  DER Base64       " + form(Form::DerBase64) + "\n  value notation   " +
                form(Form::ValueNotation) + "\n  C array          " + form(Form::CArray) + "\n";
      }
      break;
    case OutputFormat::Tsv:
      text = itemField(item.text) + "\t" +
             (encoding ? form(Form::Hex) + "\t" + form(Form::Base64) + "\t" + form(Form::DerHex) +
                             "\t" + form(Form::DerBase64)
                       : form(Form::Dotted)) +
             "\n";
      break;
    case OutputFormat::Json: {
      std::string itemJson;
      pellamar::appendJsonString(itemJson, item.text);
      text = "{\"line\":" + std::to_string(number) + ",\"item\":" + itemJson +
             ",\"relative_identifier\":\"" + form(Form::Dotted) + "\",\"contents_hex\":\"" +
             form(Form::Hex) + "\",\"contents_base64\":\"" + form(Form::Base64) +
             "\",\"der_hex\":\"" + form(Form::DerHex) + "\",\"der_base64\":\"" +
             form(Form::DerBase64) + "\",\"value_notation\":\"" + form(Form::ValueNotation) +
             "\"}\n";
      break;
    }
  }
  output_.append(text);
}

void ItemConverter::warnIfHexadecimal(const ItemText& item, long number) {
  const std::string_view text = item.text;
  ObjectIdentifier identifier;
  if (text.size() % 2 != 0 ||
      !std::all_of(text.begin(), text.end(),
                   [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }) ||
      pellamar::readOctetText(text, pellamar::OctetText::Hex, false, pellamar::Reading::Strict,
                              identifier)) {
    return;
  }
  diagnostics_.report(number, item.column,
                      "the text is hexadecimal octets too; it is read as Base64, and --hex would "
                      "read " +
                          quoted(dotted(identifier)) + ".",
                      true);
}

void ItemConverter::warnIfWholeEncoding(const ItemText& item, long number,
                                        std::span<const std::uint8_t> raw) {
  // Tag, length and at least one octet of contents.
  constexpr std::size_t shortestEncoding = 3;
  ObjectIdentifier identifier;
  if (raw.size() < shortestEncoding ||
      pellamar::readDer(raw,
                        options_.lenient ? pellamar::Reading::Lenient : pellamar::Reading::Strict,
                        identifier)) {
    return;
  }
  diagnostics_.report(number, item.column,
                      "these octets look like a whole DER encoding (tag 06, length " +
                          std::to_string(raw[1]) +
                          "); they are read as contents, and --der would " + "read " +
                          quoted(dotted(identifier)) + ".",
                      true);
}

void ItemConverter::write(const ItemText& item, long number, const ObjectIdentifier& identifier) {
  switch (options_.format) {
    case OutputFormat::Human:
      writeHuman(identifier);
      break;
    case OutputFormat::Tsv:
      writeTsv(item, identifier);
      break;
    case OutputFormat::Json:
      writeJson(item, number, identifier);
      break;
  }
}

const ItemConverter::Naming& ItemConverter::namingOf(const ObjectIdentifier& identifier) {
  names_.database().describe(identifier, naming_, itemDotted_);
  naming_.beyondOpenSsl =
      std::any_of(naming_.nearest.names.begin(), naming_.nearest.names.end(),
                  [](const Name& name) { return name.source->kind != SourceKind::OpenSsl; });
  return naming_;
}

std::string ItemConverter::namingLines(const Naming& naming) {
  constexpr std::size_t labelWidth = 17;
  const auto line = [](std::string_view label, const std::string& text) {
    std::string result = "\n  ";
    result.append(label);
    result.append(labelWidth - std::min(label.size(), labelWidth - 1), ' ');
    return result + text;
  };
  std::string lines;
  if (naming.pathFromSources) {
    lines += line("named path", pellamar::visible(naming.namedPath));
  }
  if (naming.beyondOpenSsl) {
    const auto& names = naming.nearest.names;
    const bool below = !naming.nearest.arcsBelow.empty();
    for (std::size_t first = 0; first < names.size();) {
      std::size_t end = first;
      std::string text;
      for (; end < names.size() && names[end].source == names[first].source; ++end) {
        if (names[end].source->kind != SourceKind::Enterprises) {
          text += (end == first ? "" : ", ") +
                  (!below ? names[end].shown()
                          : names[end].qualified() + "." +
                                names[end].instance(naming.nearest.arcsBelow));
        }
      }
      if (!text.empty()) {
        const NameSource& source = *names[first].source;
        text = pellamar::visible(text);
        lines +=
            line(kindName(source.kind),
                 source.path.empty() ? text : text + " (" + pellamar::visible(source.path) + ")");
      }
      first = end;
    }
  }
  if (naming.owner) {
    const std::string enterprise = naming.owner->dotted();
    const std::string arc = enterprise.substr(enterprise.rfind('.') + 1);
    lines += line("enterprise", arc + " " + pellamar::visible(naming.owner->name));
  }
  return lines;
}

void ItemConverter::writeHuman(const ObjectIdentifier& identifier) {
  const Naming& naming = namingOf(identifier);
  const std::string label = pellamar::visible(naming.nearest.label());
  const std::string lines = namingLines(naming);
  const std::size_t size = label.size() + lines.size() + FormsRoom;
  ResultWriter out(output_.room(size), size);
  const bool encoding = options_.command == Command::Encode;
  if (encoding && !firstItem_) {
    out.put('\n');
  }
  out.put(identifier, Form::Dotted);
  if (!label.empty()) {
    out.put(' ');
    out.put(label);
  }
  if (encoding) {
    constexpr std::array<std::pair<std::string_view, Form>, 6> forms = {{
        {"\n  contents octets  ", Form::Hex},
        {"\n  contents Base64  ", Form::Base64},
        {"\n  DER octets       ", Form::DerHex},
        {"\n  DER Base64       ", Form::DerBase64},
        {"\n  value notation   ", Form::ValueNotation},
        {"\n  C array          ", Form::CArray},
    }};
    for (const auto& [formLabel, form] : forms) {
      out.put(formLabel);
      out.put(identifier, form);
    }
  }
  if (pellamar::hasUuid(identifier)) {
    out.put("\n  UUID             ");
    out.put(identifier, Form::Uuid);
  }
  out.put(lines);
  out.put('\n');
  output_.commit(out.end());
}

void ItemConverter::writeTsv(const ItemText& item, const ObjectIdentifier& identifier) {
  const Naming* naming = options_.names ? &namingOf(identifier) : nullptr;
  const Name* name = naming != nullptr && !naming->nearest.names.empty()
                         ? &naming->nearest.names.front()
                         : nullptr;
  const bool own = name != nullptr && naming->nearest.arcsBelow.empty();
  const std::string instance =
      name != nullptr && !own ? name->instance(naming->nearest.arcsBelow) : std::string();
  const std::size_t size =
      FormsRoom +
      pellamar::VisibleExpansion *
          (item.text.size() +
           (naming == nullptr
                ? 0
                : 2 * naming->namedPath.size() + instance.size() +
                      2 * (name != nullptr ? name->module.size() + name->name.size() : 0) +
                      (naming->owner ? naming->owner->name.size() : 0)));
  ResultWriter out(output_.room(size), size);
  if (blankFree_) {
    out.put(item.text);
  } else {
    out.putField(item.text);
  }
  out.put('\t');
  if (options_.command == Command::Encode) {
    constexpr std::array<Form, 4> fields = {Form::Hex, Form::Base64, Form::DerHex, Form::DerBase64};
    out.put(identifier, fields, '\t');
  } else {
    out.put(identifier, Form::Dotted);
  }
  // A name as its field writes it, "IF-MIB::ifDescr".
  const auto putName = [&out](const Name& written) {
    if (!written.module.empty()) {
      out.putVisible(written.module);
      out.put("::");
    }
    out.putVisible(written.name);
  };
  if (naming != nullptr) {
    out.put('\t');
    if (own) {
      putName(*name);
    }
  }
  if (options_.uuid) {
    out.put('\t');
    out.put(identifier, Form::Uuid);
  }
  if (naming != nullptr) {
    out.put('\t');
    if (name != nullptr && !own) {
      putName(*name);
      out.put('.');
      out.putVisible(instance);
    }
    out.put('\t');
    if (name != nullptr) {
      out.put(kindName(name->source->kind));
    }
    out.put('\t');
    if (naming->owner) {
      out.putVisible(naming->owner->name);
    }
    out.put('\t');
    out.putVisible(naming->namedPath);
  }
  out.put('\n');
  output_.commit(out.end());
}

void ItemConverter::writeJson(const ItemText& item, long number,
                              const ObjectIdentifier& identifier) {
  const Naming& naming = namingOf(identifier);
  const auto& names = naming.nearest.names;
  const std::string nearestLabel = naming.nearest.arcsBelow.empty() ? "" : naming.nearest.label();
  std::size_t namesLength = naming.namedPath.size() + nearestLabel.size();
  for (const Name& name : names) {
    namesLength += name.module.size() + name.name.size() + name.description.size() +
                   name.source->path.size() + 2 * naming.nearest.arcsBelow.size() + 64;
  }
  if (naming.owner) {
    namesLength += naming.owner->name.size() + 64;
  }
  const std::size_t size = pellamar::jsonStringBound(item.text.size() + namesLength) + FormsRoom;
  ResultWriter out(output_.room(size), size);
  out.put("{\"line\":");
  out.put(std::to_string(number));
  out.putJsonField("item", item.text);
  out.putJsonField("identifier", identifier, Form::Dotted);
  out.putJsonField("contents_hex", identifier, Form::Hex);
  out.putJsonField("contents_base64", identifier, Form::Base64);
  out.putJsonField("der_hex", identifier, Form::DerHex);
  out.putJsonField("der_base64", identifier, Form::DerBase64);
  out.putJsonField("value_notation", identifier, Form::ValueNotation);
  if (pellamar::hasUuid(identifier)) {
    out.putJsonField("uuid", identifier, Form::Uuid);
  }
  if (!names.empty() && naming.nearest.arcsBelow.empty()) {
    const Name& name = names.front();
    out.putJsonField("name", name.qualified());
    out.putJsonField("long_name",
                     name.source->kind == SourceKind::OpenSsl && !name.description.empty()
                         ? std::string(name.description)
                         : name.qualified());
  }
  if (!naming.nearest.arcsBelow.empty()) {
    out.putJsonField("nearest_name", nearestLabel);
    out.putJsonField("arcs_below", naming.nearest.arcsBelow);
  }
  if (naming.beyondOpenSsl) {
    out.put(naming.nearest.arcsBelow.empty() ? ",\"names\":[" : ",\"ancestor_names\":[");
    for (std::size_t index = 0; index < names.size(); ++index) {
      out.put(index == 0 ? "{\"name\":" : ",{\"name\":");
      out.putJsonString(names[index].qualified());
      out.putJsonField("source", kindName(names[index].source->kind));
      if (!names[index].source->path.empty()) {
        out.putJsonField("file", names[index].source->path);
      }
      if (!names[index].description.empty()) {
        out.putJsonField("description", names[index].description);
      }
      out.put('}');
    }
    out.put(']');
  }
  if (naming.pathFromSources) {
    out.putJsonField("named_path", naming.namedPath);
  }
  if (naming.owner) {
    out.put(",\"enterprise\":{\"name\":");
    out.putJsonString(naming.owner->name);
    out.putJsonField("file", naming.owner->source->path);
    out.put('}');
  }
  out.put("}\n");
  output_.commit(out.end());
}
