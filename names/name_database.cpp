#include "name_database.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "pellamar/arc_names.hpp"
#include "pellamar/writers.hpp"
#include "snmp_instances.hpp"
#include "stored_octets.hpp"
#include "table_layout.hpp"

namespace pellamar::names {

using namespace layout;

namespace {

// Offsets into the table's text are 32-bit, which keeps a record at 44
// octets; every source Debian ships together holds under 20 MB of text.
constexpr std::size_t MaxTableOctets = UINT32_MAX;

// Source numbers are 16-bit, which keeps a record at 44 octets too; with
// every module of Debian's archives installed there are under 1,000.
constexpr std::size_t MaxSources = UINT16_MAX;

// Whether `octet` is a blank, a line break or another control.
bool isBlankOrControl(char octet) {
  return static_cast<unsigned char>(octet) <= ' ' || octet == 0x7F;
}

// Whether `text` is already on one line, trimmed, with single blanks
// between its words: as almost every name and description is, so that it
// is stored as it is.
bool isOneLine(std::string_view text) {
  if (text.empty()) {
    return true;
  }
  if (isBlankOrControl(text.front()) || isBlankOrControl(text.back())) {
    return false;
  }
  for (std::size_t index = 1; index < text.size(); ++index) {
    if (isBlankOrControl(text[index]) &&
        (text[index] != ' ' || isBlankOrControl(text[index - 1]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string Name::qualified() const {
  std::string text;
  if (!module.empty()) {
    text.append(module).append("::");
  }
  return text.append(name);
}

std::string Name::dotted() const {
  return dottedOf(contents);
}

std::string Name::shown() const {
  if (source->kind == SourceKind::OpenSsl && !description.empty() && description != name) {
    return std::string(name) + " (" + std::string(description) + ")";
  }
  return qualified();
}

std::string Name::shownLongFirst() const {
  // A long name that is a phrase ("X509v3 Key Usage") describes rather
  // than names: the short name stays first.
  if (source->kind == SourceKind::OpenSsl && !description.empty() && description != name &&
      description.find(' ') == std::string_view::npos) {
    return std::string(description) + " (" + std::string(name) + ")";
  }
  return shown();
}

std::string Name::unambiguous() const {
  if (!module.empty()) {
    return qualified();
  }
  return std::string(qualifierOf(source->kind)).append("::").append(name);
}

std::string Name::instance(std::string_view arcsBelow) const {
  return indexes.empty() ? std::string(arcsBelow) : writeInstance(indexes, arcsBelow);
}

std::string NearestNames::label() const {
  if (names.empty()) {
    return {};
  }
  return arcsBelow.empty() ? names.front().shown()
                           : names.front().qualified() + "." + names.front().instance(arcsBelow);
}

std::uint16_t NameDatabase::addSource(SourceKind kind, std::string path) {
  if (sources_.size() >= MaxSources) {
    throw std::length_error("the names are found in more than 65,535 files");
  }
  sources_.push_back({kind, std::move(path), 0});
  return static_cast<std::uint16_t>(sources_.size() - 1);
}

NameDatabase::TextRef NameDatabase::store(std::string_view text) {
  if (text.size() > MaxTableOctets - arena_.size()) {
    throw std::length_error("the names found take more than 4 GiB");
  }
  const TextRef ref{static_cast<std::uint32_t>(arena_.size()),
                    static_cast<std::uint32_t>(text.size())};
  arena_.insert(arena_.end(), text.begin(), text.end());
  return ref;
}

NameDatabase::TextRef NameDatabase::storeOnOneLine(std::string_view text) {
  if (isOneLine(text)) {
    return store(text);
  }
  // Trimmed, and each run of blanks, line breaks and other controls one
  // blank: a name from a file is written as a field and to a terminal,
  // where a tab, a line break or an escape would act. The line is made in
  // one buffer, kept from text to text.
  static thread_local std::string line;
  line.clear();
  bool blank = false;
  for (const char c : text) {
    if (isBlankOrControl(c)) {
      blank = !line.empty();
      continue;
    }
    if (blank) {
      line += ' ';
      blank = false;
    }
    line += c;
  }
  return store(line);
}

std::span<const std::uint8_t> NameDatabase::octets(TextRef ref) const {
  return {reinterpret_cast<const std::uint8_t*>(text_.data()) + ref.offset, ref.size};
}

void NameDatabase::add(std::uint16_t source, std::span<const std::uint8_t> contents,
                       std::string_view name, std::string_view module, std::string_view description,
                       std::string_view indexes) {
  if (name.empty() || contents.empty()) {
    return;
  }
  const std::string_view octetText(reinterpret_cast<const char*>(contents.data()), contents.size());
  records_.push_back({store(octetText), storeOnOneLine(name), storeOnOneLine(module),
                      storeOnOneLine(description), storeOnOneLine(indexes), source, 0});
  ++sources_[source].names;
}

void NameDatabase::addWarning(std::string warning) {
  warnings_.push_back(std::move(warning));
}

std::string NameDatabase::exportAdded(MibDescriptions mibDescriptions) const {
  const std::string_view arena(arena_.data(), arena_.size());
  const auto textOf = [&arena](TextRef ref) { return arena.substr(ref.offset, ref.size); };
  std::string out;
  putValue(out, static_cast<std::uint64_t>(sources_.size()));
  for (const NameSource& source : sources_) {
    putValue(out, source.kind);
    putText(out, source.path);
  }
  putValue(out, static_cast<std::uint64_t>(warnings_.size()));
  for (const std::string& warning : warnings_) {
    putText(out, warning);
  }
  putValue(out, static_cast<std::uint64_t>(records_.size()));
  for (const Record& record : records_) {
    putValue(out, record.source);
    const bool described = mibDescriptions == MibDescriptions::Kept ||
                           sources_[record.source].kind != SourceKind::SnmpMib;
    for (const TextRef ref : {record.contents, record.name, record.module,
                              described ? record.description : TextRef{0, 0}, record.indexes}) {
      putText(out, textOf(ref));
    }
  }
  return out;
}

bool NameDatabase::addExported(std::string_view exported) {
  StoredOctets in(exported, 0);
  std::uint64_t count = 0;
  std::vector<NameSource> sources;
  std::vector<std::string> warnings;
  std::string_view text;
  if (!in.value(count)) {
    return false;
  }
  for (std::uint64_t index = 0; index < count; ++index) {
    NameSource source{};
    if (!in.value(source.kind) || !knownKind(source.kind) || !in.text(text)) {
      return false;
    }
    source.path = text;
    sources.push_back(std::move(source));
  }
  if (!in.value(count)) {
    return false;
  }
  for (std::uint64_t index = 0; index < count; ++index) {
    if (!in.text(text)) {
      return false;
    }
    warnings.emplace_back(text);
  }
  // The names are checked whole before any is added.
  struct Added {
    std::uint16_t source;
    std::array<std::string_view, 5> texts;
  };
  std::vector<Added> added;
  if (!in.value(count)) {
    return false;
  }
  // Each name takes its source and five sizes at least, which bounds what
  // a damaged count could make room for.
  constexpr std::size_t SmallestName = sizeof(std::uint16_t) + 5 * sizeof(std::uint64_t);
  const auto room =
      static_cast<std::size_t>(std::min<std::uint64_t>(count, exported.size() / SmallestName));
  added.reserve(room);
  for (std::uint64_t index = 0; index < count; ++index) {
    Added one{};
    if (!in.value(one.source) || one.source >= sources.size()) {
      return false;
    }
    for (std::string_view& part : one.texts) {
      if (!in.text(part)) {
        return false;
      }
    }
    // Every table holds valid identifiers only.
    pellamar::ObjectIdentifier identifier;
    if (pellamar::ObjectIdentifier::fromContents(
            {reinterpret_cast<const std::uint8_t*>(one.texts[0].data()), one.texts[0].size()},
            identifier)) {
      return false;
    }
    added.push_back(one);
  }
  if (!in.atEnd() || sources_.size() + sources.size() > MaxSources) {
    return false;
  }
  const auto first = static_cast<std::uint16_t>(sources_.size());
  records_.reserve(records_.size() + added.size());
  arena_.reserve(arena_.size() + exported.size());
  for (NameSource& source : sources) {
    addSource(source.kind, std::move(source.path));
  }
  for (std::string& warning : warnings) {
    addWarning(std::move(warning));
  }
  for (const Added& one : added) {
    const auto& [contents, name, module, description, indexes] = one.texts;
    add(static_cast<std::uint16_t>(first + one.source),
        {reinterpret_cast<const std::uint8_t*>(contents.data()), contents.size()}, name, module,
        description, indexes);
  }
  return true;
}

void NameDatabase::finish() {
  text_ = {arena_.data(), arena_.size()};
  std::stable_sort(records_.begin(), records_.end(), [this](const Record& a, const Record& b) {
    const auto left = text(a.contents);
    const auto right = text(b.contents);
    if (left != right) {
      return left < right;
    }
    return a.source < b.source;
  });
  // One source may give a name twice (an LDAP schema as .schema and .ldif,
  // a MIB node reached through two modules): it is kept once.
  const auto same = [this](const Record& a, const Record& b) {
    return a.source == b.source && text(a.contents) == text(b.contents) &&
           text(a.name) == text(b.name) && text(a.module) == text(b.module);
  };
  std::vector<Record> kept;
  kept.reserve(records_.size());
  for (const Record& record : records_) {
    bool seen = false;
    for (auto earlier = kept.rbegin();
         earlier != kept.rend() && text(earlier->contents) == text(record.contents); ++earlier) {
      if (same(*earlier, record)) {
        seen = true;
        break;
      }
    }
    if (seen) {
      --sources_[record.source].names;
    } else {
      kept.push_back(record);
    }
  }
  records_ = std::move(kept);
  indexEntries();
}

}  // namespace pellamar::names
