#include "scan_report.hpp"

#include <algorithm>
#include <array>
#include <charconv>

#include "pellamar/json.hpp"
#include "pellamar/relative_oid.hpp"
#include "pellamar/visible_text.hpp"
#include "pellamar/writers.hpp"
#include "record_line.hpp"

namespace pellamar {

using namespace names;
namespace {

std::string_view tagText(IdentifierTag tag) {
  return tag == IdentifierTag::ObjectIdentifier ? "OID" : "RELATIVE-OID";
}

std::string_view relativeMark(IdentifierTag tag) {
  return tag == IdentifierTag::RelativeOid ? "relative " : "";
}

// The dotted text of an identifier found, relative ones as they are.
std::string dottedOf(IdentifierTag tag, const ObjectIdentifier& contents) {
  std::string dotted;
  if (tag == IdentifierTag::RelativeOid) {
    RelativeOid relative;
    (void)RelativeOid::fromContents(contents.octets(), relative);
    append(relative, Form::Dotted, dotted);
  } else {
    append(contents, Form::Dotted, dotted);
  }
  return dotted;
}

void appendNumber(std::string& out, std::uint64_t value) {
  std::array<char, 20> digits;  // NOLINT(*-member-init): only what is written is read
  const auto end = std::to_chars(digits.begin(), digits.end(), value).ptr;
  out.append(digits.data(), end);
}

// `number` after blanks that make it `width` characters wide, with at least
// one blank before it.
void appendAligned(std::string& out, std::uint64_t number, std::size_t width) {
  const std::size_t start = out.size();
  appendNumber(out, number);
  const std::size_t digits = out.size() - start;
  out.insert(start, width - std::min(width - 1, digits), ' ');
}

// "relative 8571.3", "2.5.29.37  extKeyUsage (X509v3 Extended Key Usage)",
// "1.3.6.1.4.1.99999.7  [Pellamar Test Enterprise]".
void appendForPeople(std::string& out, const FoundIdentity& identity) {
  out += relativeMark(identity.tag);
  out += identity.dotted;
  if (!identity.name.empty()) {
    out += "  ";
    out += identity.shown;
  }
  if (!identity.owner.empty()) {
    out += "  [";
    out += identity.owner;
    out += ']';
  }
}

}  // namespace

ScanReport::ScanReport(const ScanOptions& options, NameLookup& names, ScanOutput& output)
    : options_(options), names_(names), output_(output) {}

void ScanReport::startFile(std::string_view file) {
  file_ = file;
  shownFile_ = visible(file);
  blockStarted(0, {});
}

void ScanReport::blockStarted(std::size_t number, std::string_view label) {
  block_ = number;
  label_ = label;
  shownLabel_ = visible(label);
  headed_ = false;
  if (options_.format == OutputFormat::Human) {
    return;
  }
  recordPrefix_.clear();
  writeRecord(recordPrefix_, options_.format, [this](auto record) {
    record.text("file", file_);
    if (block_ > 0) {
      record.number("block", block_);
      record.text("label", label_);
    } else {
      record.none("block");
      record.none("label");
    }
  });
}

void ScanReport::found(const FoundIdentifier& identifier) {
  FoundIdentity& identity = identityOf(identifier.tag, identifier.contents);
  if (options_.unknown && !identity.name.empty()) {
    return;
  }
  if (options_.count) {
    if (identity.count++ == 0) {
      order_.push_back(&identity);
    }
    return;
  }
  const FoundIdentity* within =
      identifier.hasWithin ? &identityOf(IdentifierTag::ObjectIdentifier, identifier.within)
                           : nullptr;
  line_.clear();
  appendFound(identifier, identity, within);
  output_.write(line_);
}

void ScanReport::appendFound(const FoundIdentifier& identifier, const FoundIdentity& identity,
                             const FoundIdentity* within) {
  std::string& line = line_;
  switch (options_.format) {
    case OutputFormat::Human:
      // "    245  d=7  2.5.29.37  extKeyUsage  (in ...)", under a heading
      // for each file and block.
      if (!headed_) {
        line = shownFile_;
        if (block_ > 0) {
          line += ", block ";
          appendNumber(line, block_);
          line += " (";
          line += shownLabel_;
          line += ')';
        }
        line += ":\n";
        headed_ = true;
      }
      appendAligned(line, identifier.offset, 8);
      line += "  d=";
      appendNumber(line, identifier.depth);
      line += "  ";
      appendForPeople(line, identity);
      if (within != nullptr) {
        line += "  (in ";
        line += within->name.empty() ? within->dotted : within->shown;
        line += ')';
      }
      line += '\n';
      break;
    case OutputFormat::Tsv:
    case OutputFormat::Json: {
      line = recordPrefix_;
      writeRecord(
          line, options_.format,
          [&](auto record) {
            record.number("offset", identifier.offset);
            record.number("depth", identifier.depth);
            record.plain("tag", tagText(identifier.tag));
            record.plain("identifier", identity.dotted);
            record.prepared("name", identity.name);
            record.flag("leads", identifier.leads);
            if (within != nullptr) {
              record.plain("within", within->dotted);
              record.prepared("within_name", within->name);
            } else {
              record.none("within");
              record.none("within_name");
            }
            // People see an enterprise's owner in the name's place; TSV
            // keeps the fields it has always had.
            if constexpr (decltype(record)::Json) {
              record.prepared("owner", identity.owner);
            }
            record.end();
          },
          true);
      break;
    }
  }
}

void ScanReport::fault(const ScanFault& fault) {
  std::string message = file_;
  message += ": ";
  if (block_ > 0) {
    message += "block ";
    appendNumber(message, block_);
    message += ", ";
  }
  message += "offset ";
  appendNumber(message, fault.offset);
  message += ": ";
  message += describe(fault);
  output_.fault(message);
  faultFree_ = false;
}

void ScanReport::textFault(std::uint64_t line, std::uint64_t column, const std::string& message) {
  std::string placed = file_;
  if (line > 0) {
    placed += ':';
    appendNumber(placed, line);
    if (column > 0) {
      placed += ':';
      appendNumber(placed, column);
    }
  }
  placed += ": ";
  placed += message;
  output_.fault(placed);
  faultFree_ = false;
}

void ScanReport::writeCounts() {
  std::stable_sort(
      order_.begin(), order_.end(),
      [](const FoundIdentity* a, const FoundIdentity* b) { return a->count > b->count; });
  std::string line;
  for (const FoundIdentity* counted : order_) {
    const FoundIdentity& identity = *counted;
    line.clear();
    switch (options_.format) {
      case OutputFormat::Human:
        appendAligned(line, identity.count, 7);
        line += "  ";
        appendForPeople(line, identity);
        line += '\n';
        break;
      case OutputFormat::Tsv:
      case OutputFormat::Json: {
        writeRecord(line, options_.format, [&identity](auto record) {
          record.number("count", identity.count);
          record.plain("tag", tagText(identity.tag));
          record.plain("identifier", identity.dotted);
          record.prepared("name", identity.name);
          record.end();
        });
        break;
      }
    }
    output_.write(line);
  }
}

FoundIdentity& ScanReport::identityOf(IdentifierTag tag, const ObjectIdentifier& contents) {
  const auto octets = contents.octets();
  key_.assign(1, static_cast<char>(tag));
  key_.append(reinterpret_cast<const char*>(octets.data()), octets.size());
  if (const auto known = identities_.find(std::string_view(key_)); known != identities_.end()) {
    return known->second;
  }
  FoundIdentity& identity = identities_[key_];
  identity.tag = tag;
  identity.dotted = dottedOf(tag, contents);
  if (tag == IdentifierTag::ObjectIdentifier) {
    const NameDatabase& database = names_.database();
    const auto own = database.namesOf(contents.octets());
    if (!own.empty()) {
      identity.name = own.front().qualified();
      identity.shown = own.front().shownLongFirst();
    }
    database.describe(contents, description_, identity.dotted);
    if (description_.owner &&
        (own.empty() || own.front().source->kind != SourceKind::Enterprises)) {
      identity.owner = description_.owner->name;
    }
    // Names come from files: escaped once for each distinct identifier,
    // as the output's format needs.
    identity.name = prepareText(identity.name, options_.format);
    identity.shown = prepareText(identity.shown, options_.format);
    identity.owner = prepareText(identity.owner, options_.format);
  }
  return identity;
}

}  // namespace pellamar
