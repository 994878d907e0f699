#include "name_database.hpp"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace pellamar::names {

namespace {

// Offsets into the table's text are 32-bit, which keeps a record at 44
// octets; every source Debian ships together holds under 20 MB of text.
constexpr std::size_t MaxTableOctets = UINT32_MAX;

// Source numbers are 16-bit, which keeps a record at 44 octets too; with
// every module of Debian's archives installed there are under 1,000.
constexpr std::size_t MaxSources = UINT16_MAX;

// The arcs 1.3.6.1.4.1 (iso.org.dod.internet.private.enterprise), under
// which IANA's enterprise numbers lie.
constexpr std::array<std::uint8_t, 5> EnterprisesArc = {0x2B, 0x06, 0x01, 0x04, 0x01};

// The filter's size in bits: 128 KiB, which a core's cache holds, with
// two bits an entry gives under 2 % false answers for 150,000 entries.
constexpr std::size_t FilterBits = std::size_t{1} << 20U;
constexpr unsigned FilterShift = 20;

constexpr bool inFilter(std::span<const std::uint64_t> filter, std::uint64_t hash) {
  const std::size_t first = hash & (FilterBits - 1);
  const std::size_t second = (hash >> FilterShift) & (FilterBits - 1);
  return (filter[first / 64] >> (first % 64) & 1U) != 0 &&
         (filter[second / 64] >> (second % 64) & 1U) != 0;
}

// The smallest hash table: room for a table with no names at all.
constexpr std::size_t MinimumSlots = 16;

constexpr std::uint64_t HashStart = 0xcbf29ce484222325ULL;
constexpr std::uint64_t HashPrime = 0x100000001b3ULL;

// FNV-1a: a prefix's hash is the state after its octets, so that every
// ancestor of an identifier is hashed in one pass over its octets.
constexpr std::uint64_t hashOctet(std::uint64_t hash, std::uint8_t octet) {
  return (hash ^ octet) * HashPrime;
}

std::uint64_t hashOf(std::span<const std::uint8_t> octets) {
  std::uint64_t hash = HashStart;
  for (const std::uint8_t octet : octets) {
    hash = hashOctet(hash, octet);
  }
  return hash;
}

constexpr char lowerCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The pieces of `text` between full stops.
std::vector<std::string_view> piecesOf(std::string_view text) {
  std::vector<std::string_view> pieces;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('.', start), text.size());
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

// The first `count` subidentifiers of identifier contents.
std::span<const std::uint8_t> subidentifiers(std::span<const std::uint8_t> contents,
                                             std::size_t count) {
  std::size_t end = 0;
  for (std::size_t found = 0; end < contents.size() && found < count; ++end) {
    if ((contents[end] & 0x80U) == 0) {
      ++found;
    }
  }
  return contents.first(end);
}

// The index of names is cut into buckets by the top bits of the hashes:
// 65,536 buckets hold the 190,000 names of every source Debian has with
// three keys in each, and cost 256 KiB.
constexpr unsigned NameBucketBits = 16;
constexpr std::size_t NameBuckets = std::size_t{1} << NameBucketBits;

constexpr std::size_t bucketOf(std::uint64_t hash) {
  return static_cast<std::size_t>(hash >> (64U - NameBucketBits));
}

// The filter of the names that hold a full stop, by the hash of what comes
// before it, so that "ifDescr.7" is known to be no name whole without a
// lookup in the index: 1 Mibit (128 KiB), with one bit of each of the
// 18,000 such names (enterprises such as "Cisco Systems, Inc.") under 2 %
// false answers.
constexpr std::size_t DottedFilterBits = std::size_t{1} << 20U;

// The hash of a name in lower case, which the index of names is ordered by.
std::uint64_t foldedHash(std::string_view text) {
  std::uint64_t hash = HashStart;
  for (const char c : text) {
    hash = hashOctet(hash, static_cast<std::uint8_t>(lowerCase(c)));
  }
  return hash;
}

bool equalFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerCase(x) == lowerCase(y);
         });
}

bool equal(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

// The identifier with these contents, which every table holds valid,
// dotted.
std::string dottedOf(std::span<const std::uint8_t> contents) {
  pellamar::ObjectIdentifier identifier;
  pellamar::ObjectIdentifier::fromContents(contents, identifier);
  std::string dotted;
  pellamar::append(identifier, pellamar::Form::Dotted, dotted);
  return dotted;
}

// `text` on one line, trimmed, each run of blanks, line breaks and other
// controls one blank: a name from a file is written as a field and to a
// terminal, where a tab, a line break or an escape would act.
std::string oneLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  bool blank = false;
  for (const char c : text) {
    const auto octet = static_cast<unsigned char>(c);
    if (octet <= ' ' || octet == 0x7F) {
      blank = !line.empty();
      continue;
    }
    if (blank) {
      line += ' ';
      blank = false;
    }
    line += c;
  }
  return line;
}

// The cache holds the records and text as they are in memory: it is read
// back only by the program that wrote it, which the fingerprint names.
// Arrays start at a multiple of 8 octets, so that they are used where the
// file is mapped.
constexpr std::size_t ArrayAlignment = 8;

template <typename Value>
void putValue(std::string& out, const Value& value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void putText(std::string& out, std::string_view text) {
  putValue(out, static_cast<std::uint64_t>(text.size()));
  out.append(text);
}

template <typename Element>
void putArray(std::string& out, std::span<const Element> elements) {
  putValue(out, static_cast<std::uint64_t>(elements.size()));
  out.append((ArrayAlignment - out.size() % ArrayAlignment) % ArrayAlignment, '\0');
  out.append(reinterpret_cast<const char*>(elements.data()), elements.size_bytes());
}

// Reads back what the put functions wrote; any read past the end fails the
// whole load.
class CacheReader {
 public:
  CacheReader(std::string_view data, std::size_t at) : data_(data), at_(at) {}

  template <typename Value>
  bool value(Value& value) {
    if (data_.size() - at_ < sizeof value) {
      return false;
    }
    std::memcpy(&value, data_.data() + at_, sizeof value);
    at_ += sizeof value;
    return true;
  }
  bool text(std::string_view& text) {
    std::uint64_t size = 0;
    if (!value(size) || size > data_.size() - at_) {
      return false;
    }
    text = data_.substr(at_, size);
    at_ += size;
    return true;
  }
  template <typename Element>
  bool array(std::span<const Element>& elements) {
    std::uint64_t count = 0;
    if (!value(count)) {
      return false;
    }
    const std::size_t start = at_ + (ArrayAlignment - at_ % ArrayAlignment) % ArrayAlignment;
    if (start > data_.size() || count > (data_.size() - start) / sizeof(Element)) {
      return false;
    }
    elements = {reinterpret_cast<const Element*>(data_.data() + start), count};
    at_ = start + count * sizeof(Element);
    return true;
  }
  bool atEnd() const { return at_ == data_.size(); }

 private:
  std::string_view data_;
  std::size_t at_;
};

constexpr std::string_view CacheMagic = "pellamar names cache 8\n";

// A checksum of the cache's body, so that a cache changed after it was
// written, by damage or by hand, is rebuilt rather than believed. Four
// lanes of eight octets keep it near the speed of memory: it is worked
// out over the whole cache on every run that uses it.
}  // namespace

std::uint64_t cacheChecksum(std::string_view data) {
  constexpr std::uint64_t Multiplier = 0x9E3779B97F4A7C15ULL;
  constexpr int Rotation = 31;
  constexpr std::size_t Lanes = 4;
  std::array<std::uint64_t, Lanes> lanes = {1, 2, 3, 4};
  std::size_t at = 0;
  for (; data.size() - at >= Lanes * sizeof(std::uint64_t); at += Lanes * sizeof(std::uint64_t)) {
    for (std::size_t lane = 0; lane < Lanes; ++lane) {
      std::uint64_t word = 0;
      std::memcpy(&word, data.data() + at + lane * sizeof word, sizeof word);
      lanes[lane] = std::rotl(lanes[lane] ^ word, Rotation) * Multiplier;
    }
  }
  std::uint64_t sum = data.size();
  for (; at < data.size(); ++at) {
    sum = (sum ^ static_cast<std::uint8_t>(data[at])) * HashPrime;
  }
  for (const std::uint64_t lane : lanes) {
    sum = std::rotl(sum ^ lane, Rotation) * Multiplier;
  }
  return sum;
}

namespace {

// What each kind of source is called, in output and as a qualifier of
// names, in the order of SourceKind.
struct KindWords {
  std::string_view name;
  std::string_view qualifier;
};
constexpr std::array<KindWords, 7> KindTable = {{
    {"names file", "names"},
    {"OpenSSL", "OpenSSL"},
    {"dumpasn1", "dumpasn1"},
    {"SNMP MIB", "SNMP"},
    {"LDAP schema", "LDAP"},
    {"packaged names", "packaged"},
    {"enterprise numbers", "enterprise"},
}};
static_assert(KindTable.size() == static_cast<std::size_t>(SourceKind::Enterprises) + 1);

// Whether a kind read back from a cache or a child is one of SourceKind's.
bool knownKind(SourceKind kind) {
  return static_cast<std::size_t>(kind) < KindTable.size();
}

}  // namespace

std::string_view kindName(SourceKind kind) {
  return KindTable.at(static_cast<std::size_t>(kind)).name;
}

std::string_view qualifierOf(SourceKind kind) {
  return KindTable.at(static_cast<std::size_t>(kind)).qualifier;
}

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
  records_.push_back({store(octetText), store(oneLine(name)), store(oneLine(module)),
                      store(oneLine(description)), store(oneLine(indexes)), source, 0});
  ++sources_[source].names;
}

void NameDatabase::addWarning(std::string warning) {
  warnings_.push_back(std::move(warning));
}

std::string NameDatabase::exportAdded() const {
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
    for (const TextRef ref :
         {record.contents, record.name, record.module, record.description, record.indexes}) {
      putText(out, textOf(ref));
    }
  }
  return out;
}

bool NameDatabase::addExported(std::string_view exported) {
  CacheReader in(exported, 0);
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

void NameDatabase::indexEntries() {
  const auto newEntry = [this](TextRef contents, std::uint32_t first) {
    Entry entry{contents, {0, 0}, first, 0, NotFound, NotFound, NotFound, 0, 0, 0, {}, {}};
    const auto octets = this->octets(contents);
    if (octets.size() <= InlineOctets) {
      entry.size = static_cast<std::uint8_t>(octets.size());
      std::copy(octets.begin(), octets.end(), entry.octets.begin());
    }
    return entry;
  };
  for (std::size_t index = 0; index < records_.size(); ++index) {
    if (index == 0 || text(records_[index].contents) != text(records_[index - 1].contents)) {
      entries_.push_back(newEntry(records_[index].contents, static_cast<std::uint32_t>(index)));
    }
    Entry& entry = entries_.back();
    ++entry.count;
    const SourceKind kind = sources_[records_[index].source].kind;
    if (kind == SourceKind::Enterprises) {
      entry.flags |= HasEnterprise;
    } else if (kind != SourceKind::OpenSsl && kind != SourceKind::Dumpasn1) {
      entry.flags |= HasTreeName;
    }
  }
  // Every ancestor gets an entry too, so that the named path and nearest
  // names of each entry build on its parent's.
  std::vector<std::string> ancestors;
  for (const Entry& entry : entries_) {
    const std::string_view contents = text(entry.contents);
    for (std::size_t end = 1; end < contents.size(); ++end) {
      if ((static_cast<std::uint8_t>(contents[end - 1]) & 0x80) == 0) {
        ancestors.emplace_back(contents.substr(0, end));
      }
    }
  }
  std::sort(ancestors.begin(), ancestors.end());
  ancestors.erase(std::unique(ancestors.begin(), ancestors.end()), ancestors.end());
  std::vector<std::string_view> named;
  named.reserve(entries_.size());
  for (const Entry& entry : entries_) {
    named.push_back(text(entry.contents));
  }
  // Records are ordered by contents, so `named` is too. Storing moves the
  // text `named` points into: the missing ancestors are found first.
  std::erase_if(ancestors, [&named](const std::string& ancestor) {
    return std::binary_search(named.begin(), named.end(), std::string_view(ancestor));
  });
  std::vector<TextRef> added;
  added.reserve(ancestors.size());
  for (const std::string& ancestor : ancestors) {
    added.push_back(store(ancestor));
  }
  text_ = {arena_.data(), arena_.size()};
  for (const TextRef contents : added) {
    entries_.push_back(newEntry(contents, 0));
  }
  slots_.assign(std::bit_ceil(std::max<std::size_t>(entries_.size() * 2, MinimumSlots)), 0);
  filterBits_.assign(FilterBits / 64, 0);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t index = 0; index < entries_.size(); ++index) {
    Entry& entry = entries_[index];
    const std::uint64_t hash = hashOf(octets(entry.contents));
    std::size_t slot = hash & mask;
    while (slots_[slot] != 0) {
      slot = (slot + 1) & mask;
    }
    slots_[slot] = (hash & ~std::uint64_t{UINT32_MAX}) | (index + 1);
    for (const std::size_t bit :
         {hash & (FilterBits - 1), (hash >> FilterShift) & (FilterBits - 1)}) {
      filterBits_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
  }
  describeEntries();
  indexNames();
}

void NameDatabase::indexNames() {
  nameKeys_.clear();
  nameKeys_.reserve(records_.size());
  for (std::size_t index = 0; index < records_.size(); ++index) {
    const Record& record = records_[index];
    const auto at = static_cast<std::uint32_t>(index);
    nameKeys_.push_back({foldedHash(text(record.name)), at, 0});
    if (sources_[record.source].kind == SourceKind::OpenSsl && record.description.size > 0 &&
        text(record.description) != text(record.name)) {
      nameKeys_.push_back({foldedHash(text(record.description)), at, 1});
    }
  }
  std::sort(nameKeys_.begin(), nameKeys_.end(), [](const NameKey& a, const NameKey& b) {
    return a.hash != b.hash ? a.hash < b.hash : a.record < b.record;
  });
  dottedFilterBits_.assign(DottedFilterBits / 64, 0);
  for (const NameKey& key : nameKeys_) {
    const Record& record = records_[key.record];
    const std::string_view spelling = text(key.longName != 0 ? record.description : record.name);
    if (const std::size_t dot = spelling.find('.'); dot != std::string_view::npos) {
      const std::size_t bit = foldedHash(spelling.substr(0, dot)) & (DottedFilterBits - 1);
      dottedFilterBits_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
  }
  dottedFilter_ = dottedFilterBits_;
  nameBucketStarts_.assign(NameBuckets + 1, 0);
  for (const NameKey& key : nameKeys_) {
    ++nameBucketStarts_[bucketOf(key.hash) + 1];
  }
  for (std::size_t bucket = 0; bucket < NameBuckets; ++bucket) {
    nameBucketStarts_[bucket + 1] += nameBucketStarts_[bucket];
  }
  nameIndex_ = nameKeys_;
  nameBuckets_ = nameBucketStarts_;
}

void NameDatabase::describeEntries() {
  // The views the queries read, find() among them, from here on.
  table_ = records_;
  entryTable_ = entries_;
  index_ = slots_;
  filter_ = filterBits_;
  std::vector<std::uint32_t> order(entries_.size());
  for (std::uint32_t index = 0; index < order.size(); ++index) {
    order[index] = index;
    const auto octets = this->octets(entries_[index].contents);
    entries_[index].depth = static_cast<std::uint8_t>(std::count_if(
        octets.begin(), octets.end(), [](std::uint8_t octet) { return octet < 0x80; }));
  }
  // Parents, having fewer octets, come before their children.
  std::stable_sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
    return entries_[a].contents.size < entries_[b].contents.size;
  });
  for (const std::uint32_t index : order) {
    Entry& entry = entries_[index];
    const auto contents = octets(entry.contents);
    const std::string dotted = dottedOf(contents);
    const std::size_t lastArc = dotted.rfind('.') + 1;
    const std::string_view number = std::string_view(dotted).substr(lastArc);
    // The arc's name: sources that name the arcs of a tree first; then
    // OpenSSL's short or long name ("CN" is no ASN.1 identifier,
    // "commonName" is) and dumpasn1's.
    std::string_view name;
    bool fromSources = false;
    for (const bool treeSources : {true, false}) {
      for (std::uint32_t at = entry.first; at < entry.first + entry.count; ++at) {
        const Record& record = records_[at];
        const SourceKind kind = sources_[record.source].kind;
        const bool tree = kind != SourceKind::OpenSsl && kind != SourceKind::Dumpasn1;
        for (const TextRef candidate :
             {record.name, kind == SourceKind::OpenSsl ? record.description : record.name}) {
          if (name.empty() && tree == treeSources && pellamar::isAsn1Identifier(text(candidate))) {
            name = text(candidate);
            fromSources = kind != SourceKind::OpenSsl;
          }
        }
      }
    }
    const auto named = [](std::string_view arcName, std::string_view arcNumber) {
      return arcName.empty() ? std::string(arcNumber)
                             : std::string(arcName) + "(" + std::string(arcNumber) + ")";
    };
    if (name.empty()) {
      name = pellamar::standardArcName(entry.depth, dotted.substr(0, dotted.find('.')), number);
    }
    std::string written;
    if (entry.depth == 1) {
      const std::string_view root = std::string_view(dotted).substr(0, dotted.find('.'));
      written = named(pellamar::standardArcName(0, root, root), root) + " " + named(name, number);
    } else {
      // The parent is the entry of the contents without their last
      // subidentifier, which every named identifier's ancestors have.
      std::size_t parentEnd = contents.size() - 1;
      while (parentEnd > 0 && (contents[parentEnd - 1] & 0x80) != 0) {
        --parentEnd;
      }
      const auto parentContents = contents.first(parentEnd);
      entry.parent = find(parentContents, hashOf(parentContents));
      const Entry& above = entries_[entry.parent];
      written = named(name, number);
      entry.flags |= above.flags & PathFromSources;
      entry.nearest = above.nearest;
      entry.owner = above.owner;
    }
    if (fromSources) {
      entry.flags |= PathFromSources;
    }
    if (entry.count > 0 && (entry.flags & HasTreeName) != 0) {
      entry.nearest = index;
    }
    if (entry.depth == EnterprisesArc.size() + 1 &&
        equal(contents.first(EnterprisesArc.size()), EnterprisesArc) &&
        (entry.flags & HasEnterprise) != 0) {
      entry.owner = index;
    }
    entry.arcs = store(written);
    text_ = {arena_.data(), arena_.size()};
  }
}

void NameDatabase::appendPath(std::uint32_t entry, std::string& path) const {
  // Each parent is one subidentifier up; the walk is bounded all the same,
  // so that a cache crafted with a loop of parents cannot make it endless.
  std::array<std::uint32_t, pellamar::ObjectIdentifier::MaxOctets> chain;  // NOLINT(*-member-init)
  std::size_t depth = 0;
  for (std::uint32_t at = entry; at != NotFound && depth < chain.size();
       at = entryTable_[at].parent) {
    chain[depth++] = at;
  }
  path += '{';
  while (depth > 0) {
    path += ' ';
    path.append(text(entryTable_[chain[--depth]].arcs));
  }
}

std::uint32_t NameDatabase::find(std::span<const std::uint8_t> contents, std::uint64_t hash) const {
  if (index_.empty() || !inFilter(filter_, hash)) {
    return NotFound;
  }
  const std::size_t mask = index_.size() - 1;
  const std::uint64_t tag = hash & ~std::uint64_t{UINT32_MAX};
  for (std::size_t slot = hash & mask; index_[slot] != 0; slot = (slot + 1) & mask) {
    if ((index_[slot] & ~std::uint64_t{UINT32_MAX}) != tag) {
      continue;
    }
    const auto entry = static_cast<std::uint32_t>((index_[slot] & UINT32_MAX) - 1);
    const Entry& found = entryTable_[entry];
    const bool same = found.size != 0
                          ? found.size == contents.size() &&
                                std::equal(contents.begin(), contents.end(), found.octets.begin())
                          : equal(octets(found.contents), contents);
    if (same) {
      return entry;
    }
  }
  return NotFound;
}

Name NameDatabase::nameOf(const Record& record) const {
  return {octets(record.contents),  text(record.name),        text(record.module),
          text(record.description), &sources_[record.source], text(record.indexes)};
}

std::vector<Name> NameDatabase::namesOf(std::span<const std::uint8_t> contents) const {
  std::vector<Name> names;
  const std::uint32_t entry = find(contents, hashOf(contents));
  if (entry != NotFound) {
    for (std::uint32_t at = entryTable_[entry].first;
         at < entryTable_[entry].first + entryTable_[entry].count; ++at) {
      names.push_back(nameOf(table_[at]));
    }
  }
  return names;
}

void NameDatabase::describe(const pellamar::ObjectIdentifier& identifier, Description& description,
                            std::string_view knownDotted) const {
  description.nearest.names.clear();
  description.nearest.arcsBelow.clear();
  description.owner.reset();
  description.pathFromSources = false;
  // The longest prefix that has an entry: the hash of each prefix that
  // ends a subidentifier, tried from the longest.
  const auto contents = identifier.octets();
  std::array<std::uint64_t, pellamar::ObjectIdentifier::MaxOctets> hashes;  // NOLINT(*-member-init)
  std::array<std::uint8_t, pellamar::ObjectIdentifier::MaxOctets> ends;     // NOLINT(*-member-init)
  std::size_t count = 0;
  std::uint64_t hash = HashStart;
  for (std::size_t index = 0; index < contents.size(); ++index) {
    hash = hashOctet(hash, contents[index]);
    if ((contents[index] & 0x80) == 0) {
      hashes[count] = hash;
      ends[count++] = static_cast<std::uint8_t>(index + 1);
    }
  }
  // The identifier itself first, as most that are looked up have a name;
  // otherwise down from the root, where the entries are few and often
  // read, to the first prefix without one: every ancestor of an entry has
  // one, so nothing lies below it.
  std::size_t depth = count - 1;
  std::uint32_t deepest = find(contents, hashes[depth]);
  if (deepest == NotFound) {
    for (std::size_t prefix = 0; prefix + 1 < count; ++prefix) {
      const std::uint32_t entry = find(contents.first(ends[prefix]), hashes[prefix]);
      if (entry == NotFound) {
        break;
      }
      deepest = entry;
      depth = prefix;
    }
  }

  // The dotted text is written only when arcs below the deepest entry, or
  // below the nearest named one, are to be shown. Each octet adds at most
  // three digits and a full stop; the first adds one arc more.
  constexpr std::size_t dottedBound = 4 * pellamar::ObjectIdentifier::MaxOctets + 2;
  std::array<char, dottedBound> dottedRoom;  // NOLINT(*-member-init): only what is written
  std::string_view dotted;
  // Where each arc's text starts, and one past the last arc's end.
  constexpr std::size_t MaxArcs = pellamar::ObjectIdentifier::MaxOctets + 1;
  std::array<std::uint16_t, MaxArcs + 1> arcStarts;  // NOLINT(*-member-init): only what is set
  const auto writeDotted = [&] {
    dotted =
        !knownDotted.empty()
            ? knownDotted
            : std::string_view(dottedRoom.data(),
                               pellamar::write(identifier, pellamar::Form::Dotted, dottedRoom));
    std::size_t arcCount = 0;
    arcStarts[0] = 0;
    for (std::size_t index = 0; index < dotted.size(); ++index) {
      if (dotted[index] == '.') {
        arcStarts[++arcCount] = static_cast<std::uint16_t>(index + 1);
      }
    }
    arcStarts[++arcCount] = static_cast<std::uint16_t>(dotted.size() + 1);
  };
  const auto arc = [&](std::size_t position) {
    return dotted.substr(arcStarts[position], arcStarts[position + 1] - 1U - arcStarts[position]);
  };
  // The first subidentifier holds two arcs.
  const std::size_t arcCount = count + 1;

  std::string& path = description.namedPath;
  std::size_t nextArc = 0;
  if (deepest != NotFound) {
    const Entry& entry = entryTable_[deepest];
    path.clear();
    appendPath(deepest, path);
    description.pathFromSources = (entry.flags & PathFromSources) != 0;
    nextArc = depth + 2;
  } else {
    path = "{";
  }
  if (nextArc < arcCount) {
    writeDotted();
  }
  for (; nextArc < arcCount; ++nextArc) {
    const std::string_view name =
        nextArc < 2 ? pellamar::standardArcName(nextArc, arc(0), arc(nextArc)) : std::string_view{};
    path += ' ';
    if (name.empty()) {
      path.append(arc(nextArc));
    } else {
      path.append(name).append("(").append(arc(nextArc)).append(")");
    }
  }
  path += " }";
  if (deepest == NotFound) {
    return;
  }

  const Entry& entry = entryTable_[deepest];
  const bool own = depth + 1 == count && entry.count > 0;
  const std::uint32_t named = own ? deepest : entry.nearest;
  if (named != NotFound) {
    const Entry& names = entryTable_[named];
    for (std::uint32_t at = names.first; at < names.first + names.count; ++at) {
      const SourceKind kind = sources_[table_[at].source].kind;
      if (own || (kind != SourceKind::Enterprises && kind != SourceKind::OpenSsl &&
                  kind != SourceKind::Dumpasn1)) {
        description.nearest.names.push_back(nameOf(table_[at]));
      }
    }
    if (!own) {
      if (dotted.empty()) {
        writeDotted();
      }
      // The first arc below the ancestor's last.
      description.nearest.arcsBelow = dotted.substr(arcStarts[names.depth + 1]);
    }
  }
  if (entry.owner != NotFound) {
    const Entry& owner = entryTable_[entry.owner];
    for (std::uint32_t at = owner.first; at < owner.first + owner.count; ++at) {
      if (sources_[table_[at].source].kind == SourceKind::Enterprises) {
        description.owner = nameOf(table_[at]);
        break;
      }
    }
  }
}

std::vector<Name> NameDatabase::named(std::string_view name, std::string_view module,
                                      bool anyCase) const {
  std::vector<Name> found;
  if (nameBuckets_.empty()) {
    return found;
  }
  if (const std::size_t dot = name.find('.');
      dot != std::string_view::npos && !mayStartDottedName(name.substr(0, dot))) {
    return found;
  }
  const std::uint64_t hash = foldedHash(name);
  const std::size_t bucket = bucketOf(hash);
  const auto end = nameIndex_.begin() + nameBuckets_[bucket + 1];
  const auto first =
      std::lower_bound(nameIndex_.begin() + nameBuckets_[bucket], end, hash,
                       [](const NameKey& key, std::uint64_t wanted) { return key.hash < wanted; });
  for (auto key = first; key != end && key->hash == hash; ++key) {
    const Record& record = table_[key->record];
    const std::string_view spelling = text(key->longName != 0 ? record.description : record.name);
    if (!(anyCase ? equalFolded(spelling, name) : spelling == name)) {
      continue;
    }
    const SourceKind kind = sources_[record.source].kind;
    const std::string_view recordModule = text(record.module);
    if (module.empty() || recordModule == module ||
        (recordModule.empty() && qualifierOf(kind) == module)) {
      found.push_back(nameOf(record));
    }
  }
  std::stable_sort(found.begin(), found.end(), [](const Name& a, const Name& b) {
    return a.source->kind != b.source->kind ? a.source->kind < b.source->kind : a.source < b.source;
  });
  return found;
}

bool NameDatabase::mayStartDottedName(std::string_view head) const {
  const std::size_t bit = foldedHash(head) & (DottedFilterBits - 1);
  return (dottedFilter_[bit / 64] >> (bit % 64) & 1U) != 0;
}

NameReading NameDatabase::read(std::string_view text) const {
  NameReading reading;
  read(text, reading);
  return reading;
}

void NameDatabase::read(std::string_view text, NameReading& reading) const {
  const auto onlyArcs = [](std::string_view below) {
    return !below.empty() && below.find_first_not_of("0123456789.") == std::string_view::npos;
  };
  if (const std::string& head = reading.head_; !head.empty() && text.size() > head.size() + 1 &&
                                               text.starts_with(head) && text[head.size()] == '.' &&
                                               onlyArcs(text.substr(head.size() + 1))) {
    reading.arcsBelow.assign(text.substr(head.size() + 1));
    return;
  }
  reading.candidates.clear();
  reading.arcsBelow.clear();
  reading.otherCase.clear();
  reading.instanceFault.clear();
  reading.head_.clear();
  std::string_view head;
  // A name as written, which may hold "::" itself ("Foo::Bar Ltd"); then
  // a module's name and a name; then either with arcs or an SNMP
  // instance after it. LDAP's names are matched in any case when no name
  // is spelled exactly so.
  std::string instanceFault;
  // The arcs `below` a name found stands for, as numbers or as an SNMP
  // instance: `found` when they can be read, or else nothing, with the
  // reason kept for when no other reading of the text gives a name.
  const auto instanceOf = [&](std::vector<Name>& found, std::string_view below, bool anyCase) {
    if (below.find_first_not_of("0123456789.") == std::string_view::npos) {
      reading.arcsBelow = below;
      return found;
    }
    const auto indexed = std::find_if(found.begin(), found.end(),
                                      [](const Name& one) { return !one.indexes.empty(); });
    std::string fault = "it has no INDEX clause, so only numbers may follow it";
    if (indexed != found.end()) {
      if (auto arcs = readInstance(indexed->indexes, below, fault)) {
        reading.arcsBelow = std::move(*arcs);
        return found;
      }
    }
    if (!found.empty() && !anyCase && instanceFault.empty()) {
      instanceFault = "no instance of " + found.front().qualified() + ": " + fault;
    }
    return std::vector<Name>{};
  };
  const auto find = [&](bool anyCase) {
    std::string_view name = text;
    std::string_view module;
    std::vector<Name> found = named(name, {}, anyCase);
    if (const std::size_t colons = name.find("::");
        found.empty() && colons != std::string_view::npos &&
        colons < std::min(name.find_first_of("\"'"), name.size())) {
      module = name.substr(0, colons);
      name.remove_prefix(colons + 2);
      found = named(name, module, anyCase);
    }
    reading.arcsBelow.clear();
    const std::size_t dot = name.find('.');
    if (!found.empty() || dot == std::string_view::npos || dot + 1 == name.size()) {
      return found;
    }
    found = named(name.substr(0, dot), module, anyCase);
    head = text.substr(0, static_cast<std::size_t>(name.data() - text.data()) + dot);
    return instanceOf(found, name.substr(dot + 1), anyCase);
  };
  std::vector<Name> found = find(false);
  // A name and arcs read so are read so again in the next text that
  // starts with them, unless a name spelled with a full stop may start so.
  if (!found.empty() && !head.empty() && head.find('.') == std::string_view::npos &&
      onlyArcs(reading.arcsBelow) && text.substr(head.size() + 1) == reading.arcsBelow &&
      !mayStartDottedName(head)) {
    const std::size_t colons = head.find("::");
    if (colons == std::string_view::npos || !mayStartDottedName(head.substr(colons + 2))) {
      reading.head_ = head;
    }
  }
  if (found.empty()) {
    std::string_view below;
    found = fullPath(text, below);
    found = instanceOf(found, below, false);
  }
  if (found.empty()) {
    found = find(true);
    reading.otherCase = found;
    std::erase_if(found,
                  [](const Name& name) { return name.source->kind != SourceKind::LdapSchema; });
    if (!found.empty()) {
      reading.otherCase.clear();
    }
  }
  if (found.empty()) {
    reading.arcsBelow.clear();
    reading.instanceFault = std::move(instanceFault);
    return;
  }
  // The user's own names decide; every other source's identifiers are
  // candidates alike.
  const bool usersOwn = found.front().source->kind == SourceKind::UserNames;
  for (const Name& name : found) {
    if (usersOwn && name.source->kind != SourceKind::UserNames) {
      break;
    }
    if (std::none_of(reading.candidates.begin(), reading.candidates.end(),
                     [&name](const Name& kept) { return equal(kept.contents, name.contents); })) {
      reading.candidates.push_back(name);
    }
  }
}

std::vector<Name> NameDatabase::fullPath(std::string_view text, std::string_view& below) const {
  // snmptranslate writes the path from the root with a full stop first.
  if (text.starts_with('.')) {
    text.remove_prefix(1);
  }
  const std::vector<std::string_view> labels = piecesOf(text.substr(0, text.find_first_of("\"'")));
  const auto number = [](std::string_view label) {
    return !label.empty() && label.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (number(labels.front())) {
    return {};
  }
  // The last name, which no quoted string of an instance comes before;
  // what follows it is an instance's. Labels of an enumerated index are
  // no names of a path, so each label from the last is tried in turn.
  for (std::size_t last = labels.size(); last-- > 1;) {
    if (labels[last].empty() || number(labels[last])) {
      continue;
    }
    std::vector<Name> found;
    for (const Name& candidate : named(labels[last], {})) {
      // Each label before the last names the arc at its place, or is its
      // number: the root's and the arcs below it by X.660's names too.
      const std::string dotted = candidate.dotted();
      const std::vector<std::string_view> arcs = piecesOf(dotted);
      bool matches = arcs.size() == last + 1;
      for (std::size_t place = 0; matches && place < last; ++place) {
        const std::string_view label = labels[place];
        // The roots' older names, which net-snmp writes, are theirs too.
        const bool olderRootName = place == 0 && ((arcs[0] == "0" && label == "ccitt") ||
                                                  (arcs[0] == "2" && label == "joint-iso-ccitt"));
        if (label == arcs[place] || olderRootName ||
            (place < 2 && label == pellamar::standardArcName(place, arcs[0], arcs[place]))) {
          continue;
        }
        // Arcs 0 and 1 share the first subidentifier: the arc at `place`
        // ends the place-th.
        const auto names =
            place > 0 ? namesOf(subidentifiers(candidate.contents, place)) : std::vector<Name>{};
        matches = std::any_of(names.begin(), names.end(),
                              [label](const Name& name) { return name.name == label; });
      }
      if (matches) {
        found.push_back(candidate);
      }
    }
    if (!found.empty()) {
      const auto end =
          static_cast<std::size_t>(labels[last].data() - text.data()) + labels[last].size();
      below = end < text.size() ? text.substr(end + 1) : std::string_view();
      return found;
    }
  }
  return {};
}

std::vector<Name> NameDatabase::matching(std::string_view pattern, bool namesOnly) const {
  std::string glob(pattern);
  if (glob.find_first_of("*?[") == std::string::npos) {
    glob = "*" + glob + "*";
  }
  const auto matches = [&glob](const std::string& text) {
    return fnmatch(glob.c_str(), text.c_str(), FNM_CASEFOLD) == 0;
  };
  std::vector<Name> found;
  for (const Record& record : table_) {
    const Name name = nameOf(record);
    if (matches(std::string(name.name)) || matches(name.qualified()) ||
        (!namesOnly && matches(std::string(name.description)))) {
      found.push_back(name);
    }
  }
  return found;
}

std::vector<Name> NameDatabase::childrenOf(std::span<const std::uint8_t> contents) const {
  std::vector<Name> found;
  // Records are ordered by their contents, so the descendants of an
  // identifier follow it; a child has exactly one subidentifier more.
  const std::string_view parent(reinterpret_cast<const char*>(contents.data()), contents.size());
  auto at = std::lower_bound(
      table_.begin(), table_.end(), parent,
      [this](const Record& record, std::string_view key) { return text(record.contents) < key; });
  for (; at != table_.end() && text(at->contents).starts_with(parent); ++at) {
    const auto below = octets(at->contents).subspan(contents.size());
    const auto subidentifiers = std::count_if(
        below.begin(), below.end(), [](std::uint8_t octet) { return (octet & 0x80) == 0; });
    if (subidentifiers == 1) {
      found.push_back(nameOf(*at));
    }
  }
  // Octet order puts 1.2.128 before 1.2.2; arcs are ordered by length,
  // then octets, which is their numeric order.
  std::stable_sort(found.begin(), found.end(), [](const Name& a, const Name& b) {
    if (a.contents.size() != b.contents.size()) {
      return a.contents.size() < b.contents.size();
    }
    return std::lexicographical_compare(a.contents.begin(), a.contents.end(), b.contents.begin(),
                                        b.contents.end());
  });
  return found;
}

std::error_code NameDatabase::save(const std::string& path, std::string_view fingerprint) const {
  std::string out(CacheMagic);
  putValue(out, std::uint64_t{0});
  const std::size_t bodyStart = out.size();
  putText(out, fingerprint);
  putValue(out, static_cast<std::uint64_t>(sources_.size()));
  for (const NameSource& source : sources_) {
    putValue(out, source.kind);
    putValue(out, static_cast<std::uint64_t>(source.names));
    putText(out, source.path);
  }
  putValue(out, static_cast<std::uint64_t>(warnings_.size()));
  for (const std::string& warning : warnings_) {
    putText(out, warning);
  }
  putArray(out, table_);
  putArray(out, entryTable_);
  putArray(out, index_);
  putArray(out, filter_);
  putArray(out, nameIndex_);
  putArray(out, nameBuckets_);
  putArray(out, dottedFilter_);
  putArray(out, std::span<const char>(text_.data(), text_.size()));
  const std::uint64_t checksum = cacheChecksum(std::string_view(out).substr(bodyStart));
  std::memcpy(out.data() + CacheMagic.size(), &checksum, sizeof checksum);
  // Written aside and renamed, so that a reader never sees half a cache.
  const std::string temporary = path + ".new" + std::to_string(getpid());
  const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (descriptor < 0) {
    return {errno, std::generic_category()};
  }
  std::string_view left = out;
  while (!left.empty()) {
    const ssize_t written = ::write(descriptor, left.data(), left.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      const std::error_code error(written < 0 ? errno : ENOSPC, std::generic_category());
      close(descriptor);
      std::remove(temporary.c_str());
      return error;
    }
    left.remove_prefix(static_cast<std::size_t>(written));
  }
  if (close(descriptor) != 0 || std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::error_code error(errno, std::generic_category());
    std::remove(temporary.c_str());
    return error;
  }
  return {};
}

bool NameDatabase::load(const std::string& path, std::string_view fingerprint) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    return false;
  }
  struct stat status {};
  void* mapped = MAP_FAILED;
  if (fstat(descriptor, &status) == 0 && status.st_size > 0) {
    mapped = mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ,
                  MAP_PRIVATE | MAP_POPULATE, descriptor, 0);
  }
  close(descriptor);
  if (mapped == MAP_FAILED) {
    return false;
  }
  const auto size = static_cast<std::size_t>(status.st_size);
  std::shared_ptr<const void> mapping(
      mapped, [size](const void* start) { munmap(const_cast<void*>(start), size); });
  const std::string_view data(static_cast<const char*>(mapped), size);
  if (!data.starts_with(CacheMagic)) {
    return false;
  }
  CacheReader in(data, CacheMagic.size());
  NameDatabase loaded;
  std::string_view text;
  std::uint64_t checksum = 0;
  std::uint64_t count = 0;
  if (!in.value(checksum) || !in.text(text) || text != fingerprint ||
      checksum != cacheChecksum(data.substr(CacheMagic.size() + sizeof checksum)) ||
      !in.value(count)) {
    return false;
  }
  for (std::uint64_t index = 0; index < count; ++index) {
    NameSource source{};
    std::uint64_t names = 0;
    if (!in.value(source.kind) || !knownKind(source.kind) || !in.value(names) || !in.text(text)) {
      return false;
    }
    source.names = names;
    source.path = text;
    loaded.sources_.push_back(std::move(source));
  }
  if (!in.value(count)) {
    return false;
  }
  for (std::uint64_t index = 0; index < count; ++index) {
    if (!in.text(text)) {
      return false;
    }
    loaded.warnings_.emplace_back(text);
  }
  std::span<const char> arena;
  if (!in.array(loaded.table_) || !in.array(loaded.entryTable_) || !in.array(loaded.index_) ||
      !in.array(loaded.filter_) || !in.array(loaded.nameIndex_) || !in.array(loaded.nameBuckets_) ||
      !in.array(loaded.dottedFilter_) || !in.array(arena) || !in.atEnd()) {
    return false;
  }
  loaded.text_ = {arena.data(), arena.size()};
  // A damaged cache must not lead a lookup out of the table.
  const auto inText = [&loaded](TextRef ref) {
    return ref.offset <= loaded.text_.size() && ref.size <= loaded.text_.size() - ref.offset;
  };
  // NotFound, the largest value, wraps to 0 when one is added.
  const auto entryOrNone = [&loaded](std::uint32_t entry) {
    return entry + 1U <= loaded.entryTable_.size();
  };
  for (const Record& record : loaded.table_) {
    if (record.source >= loaded.sources_.size() || !inText(record.contents) ||
        !inText(record.name) || !inText(record.module) || !inText(record.description) ||
        !inText(record.indexes)) {
      return false;
    }
  }
  for (const Entry& entry : loaded.entryTable_) {
    if (entry.first > loaded.table_.size() || entry.count > loaded.table_.size() - entry.first ||
        !inText(entry.arcs) || !inText(entry.contents) || entry.size > InlineOctets ||
        !entryOrNone(entry.nearest) || !entryOrNone(entry.owner) || !entryOrNone(entry.parent)) {
      return false;
    }
  }
  if (std::any_of(loaded.nameIndex_.begin(), loaded.nameIndex_.end(),
                  [&loaded](const NameKey& key) {
                    return key.record >= loaded.table_.size() || key.longName > 1;
                  }) ||
      loaded.nameBuckets_.size() != NameBuckets + 1 || loaded.nameBuckets_.front() != 0 ||
      loaded.nameBuckets_.back() != loaded.nameIndex_.size() ||
      !std::is_sorted(loaded.nameBuckets_.begin(), loaded.nameBuckets_.end())) {
    return false;
  }
  if (!std::has_single_bit(loaded.index_.size()) || loaded.filter_.size() != FilterBits / 64 ||
      loaded.dottedFilter_.size() != DottedFilterBits / 64 ||
      std::count(loaded.index_.begin(), loaded.index_.end(), std::uint64_t{0}) == 0 ||
      std::any_of(loaded.index_.begin(), loaded.index_.end(),
                  [&loaded](std::uint32_t slot) { return slot > loaded.entryTable_.size(); })) {
    return false;
  }
  loaded.mapping_ = std::move(mapping);
  *this = std::move(loaded);
  return true;
}

}  // namespace pellamar::names
