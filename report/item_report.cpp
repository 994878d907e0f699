#include "item_report.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#include "pellamar/json.hpp"
#include "pellamar/visible_text.hpp"
#include "pellamar/writers.hpp"

namespace pellamar {

using namespace names;
namespace {

// The room one item's results take at most, besides the item, its names
// and its identifier: every form of the largest identifier, and the labels
// and punctuation around them.
const std::size_t FormsRoom = [] {
  constexpr std::size_t labels = 512;
  std::size_t room = labels;
  for (const Form form : {Form::Dotted, Form::Hex, Form::Base64, Form::DerHex, Form::DerBase64,
                          Form::ValueNotation, Form::CArray, Form::Uuid}) {
    room += maxLength(form);
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
  return visible(field);
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
    at_ += write(identifier, form, {at_, static_cast<std::size_t>(end_ - at_)});
  }
  void put(const ObjectIdentifier& identifier, std::span<const Form> forms, char separator) {
    at_ += write(identifier, forms, separator, {at_, static_cast<std::size_t>(end_ - at_)});
  }

  // Text from outside, escaped; it takes at most VisibleExpansion
  // characters of room for each octet.
  void putVisible(std::string_view text) {
    at_ = writeVisible(reserve(VisibleExpansion * text.size()), text);
  }

  void putField(std::string_view text) { put(itemField(text)); }

  void putJsonString(std::string_view text) {
    at_ = writeJsonString(reserve(jsonStringBound(text.size())), text);
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

ItemReport::ItemReport(const ItemOutput& options, NameLookup& names, OutputBlock& output)
    : options_(options), names_(names), output_(output) {}

void ItemReport::write(const ConvertedItem& item, const RelativeOid& relative) {
  const bool encoding = options_.command == Command::Encode;
  const auto form = [&relative](Form written) {
    std::string text;
    append(relative, written, text);
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
      appendJsonString(itemJson, item.text);
      text = "{\"line\":" + std::to_string(item.line) + ",\"item\":" + itemJson +
             ",\"relative_identifier\":\"" + form(Form::Dotted) + "\",\"contents_hex\":\"" +
             form(Form::Hex) + "\",\"contents_base64\":\"" + form(Form::Base64) +
             "\",\"der_hex\":\"" + form(Form::DerHex) + "\",\"der_base64\":\"" +
             form(Form::DerBase64) + "\",\"value_notation\":\"" + form(Form::ValueNotation) +
             "\"}\n";
      break;
    }
  }
  output_.append(text);
  firstItem_ = false;
}

void ItemReport::write(const ConvertedItem& item, const ObjectIdentifier& identifier) {
  switch (options_.format) {
    case OutputFormat::Human:
      writeHuman(item, identifier);
      break;
    case OutputFormat::Tsv:
      writeTsv(item, identifier);
      break;
    case OutputFormat::Json:
      writeJson(item, identifier);
      break;
  }
  firstItem_ = false;
}

const ItemReport::Naming& ItemReport::namingOf(const ConvertedItem& item,
                                               const ObjectIdentifier& identifier) {
  names_.database().describe(identifier, naming_, item.dotted);
  naming_.beyondOpenSsl =
      std::any_of(naming_.nearest.names.begin(), naming_.nearest.names.end(),
                  [](const Name& name) { return name.source->kind != SourceKind::OpenSsl; });
  return naming_;
}

std::string ItemReport::namingLines(const Naming& naming) {
  constexpr std::size_t labelWidth = 17;
  const auto line = [](std::string_view label, const std::string& text) {
    std::string result = "\n  ";
    result.append(label);
    result.append(labelWidth - std::min(label.size(), labelWidth - 1), ' ');
    return result + text;
  };
  std::string lines;
  if (naming.pathFromSources) {
    lines += line("named path", visible(naming.namedPath));
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
        text = visible(text);
        lines += line(kindName(source.kind),
                      source.path.empty() ? text : text + " (" + visible(source.path) + ")");
      }
      first = end;
    }
  }
  if (naming.owner) {
    const std::string enterprise = naming.owner->dotted();
    const std::string arc = enterprise.substr(enterprise.rfind('.') + 1);
    lines += line("enterprise", arc + " " + visible(naming.owner->name));
  }
  return lines;
}

void ItemReport::writeHuman(const ConvertedItem& item, const ObjectIdentifier& identifier) {
  const Naming& naming = namingOf(item, identifier);
  const std::string label = visible(naming.nearest.label());
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
  if (hasUuid(identifier)) {
    out.put("\n  UUID             ");
    out.put(identifier, Form::Uuid);
  }
  out.put(lines);
  out.put('\n');
  output_.commit(out.end());
}

void ItemReport::writeTsv(const ConvertedItem& item, const ObjectIdentifier& identifier) {
  const Naming* naming = options_.names ? &namingOf(item, identifier) : nullptr;
  const Name* name = naming != nullptr && !naming->nearest.names.empty()
                         ? &naming->nearest.names.front()
                         : nullptr;
  const bool own = name != nullptr && naming->nearest.arcsBelow.empty();
  const std::string instance =
      name != nullptr && !own ? name->instance(naming->nearest.arcsBelow) : std::string();
  const std::size_t size =
      FormsRoom +
      VisibleExpansion *
          (item.text.size() +
           (naming == nullptr
                ? 0
                : 2 * naming->namedPath.size() + instance.size() +
                      2 * (name != nullptr ? name->module.size() + name->name.size() : 0) +
                      (naming->owner ? naming->owner->name.size() : 0)));
  ResultWriter out(output_.room(size), size);
  if (item.blankFree) {
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

void ItemReport::writeJson(const ConvertedItem& item, const ObjectIdentifier& identifier) {
  const Naming& naming = namingOf(item, identifier);
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
  const std::size_t size = jsonStringBound(item.text.size() + namesLength) + FormsRoom;
  ResultWriter out(output_.room(size), size);
  out.put("{\"line\":");
  out.put(std::to_string(item.line));
  out.putJsonField("item", item.text);
  out.putJsonField("identifier", identifier, Form::Dotted);
  out.putJsonField("contents_hex", identifier, Form::Hex);
  out.putJsonField("contents_base64", identifier, Form::Base64);
  out.putJsonField("der_hex", identifier, Form::DerHex);
  out.putJsonField("der_base64", identifier, Form::DerBase64);
  out.putJsonField("value_notation", identifier, Form::ValueNotation);
  if (hasUuid(identifier)) {
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

}  // namespace pellamar
