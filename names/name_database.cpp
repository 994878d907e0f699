#include "name_database.hpp"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "pellamar/arc_names.hpp"
#include "pellamar/writers.hpp"

namespace {

// Offsets into the table's text are 32-bit, which keeps a record at 48
// octets; every source Debian ships together holds under 20 MB of text.
constexpr std::size_t MaxTableOctets = UINT32_MAX;

// The arcs 1.3.6.1.4.1 (iso.org.dod.internet.private.enterprise), under
// which IANA's enterprise numbers lie.
constexpr std::array<std::uint8_t, 5> EnterprisesArc = {0x2B, 0x06, 0x01, 0x04, 0x01};

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

bool equal(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
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

constexpr std::string_view CacheMagic = "pellamar names cache 1\n";

}  // namespace

std::string_view kindName(SourceKind kind) {
  switch (kind) {
    case SourceKind::UserNames:
      return "names file";
    case SourceKind::OpenSsl:
      return "OpenSSL";
    case SourceKind::Dumpasn1:
      return "dumpasn1";
    case SourceKind::SnmpMib:
      return "SNMP MIB";
    case SourceKind::LdapSchema:
      return "LDAP schema";
    case SourceKind::PackagedNames:
      return "packaged names";
    case SourceKind::Enterprises:
      return "enterprise numbers";
  }
  return {};
}

std::string Name::qualified() const {
  std::string text;
  if (!module.empty()) {
    text.append(module).append("::");
  }
  return text.append(name);
}

std::string Name::shown() const {
  if (source->kind == SourceKind::OpenSsl && !description.empty() && description != name) {
    return std::string(name) + " (" + std::string(description) + ")";
  }
  return qualified();
}

std::string NearestNames::label() const {
  if (names.empty()) {
    return {};
  }
  return arcsBelow.empty() ? names.front().shown() : names.front().qualified() + "." + arcsBelow;
}

std::uint16_t NameDatabase::addSource(SourceKind kind, std::string path) {
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
                       std::string_view name, std::string_view module,
                       std::string_view description) {
  if (name.empty() || contents.empty()) {
    return;
  }
  const std::string_view octetText(reinterpret_cast<const char*>(contents.data()), contents.size());
  records_.push_back({store(octetText), store(name), store(module), store(description), source, 0});
  ++sources_[source].names;
}

void NameDatabase::addWarning(std::string warning) {
  warnings_.push_back(std::move(warning));
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

  std::size_t distinct = 0;
  for (std::size_t index = 0; index < records_.size(); ++index) {
    if (index == 0 || text(records_[index].contents) != text(records_[index - 1].contents)) {
      ++distinct;
    }
  }
  slots_.assign(std::bit_ceil(std::max<std::size_t>(distinct * 2, 16)), 0);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t index = 0; index < records_.size(); ++index) {
    if (index > 0 && text(records_[index].contents) == text(records_[index - 1].contents)) {
      continue;
    }
    std::size_t slot = hashOf(octets(records_[index].contents)) & mask;
    while (slots_[slot] != 0) {
      slot = (slot + 1) & mask;
    }
    slots_[slot] = static_cast<std::uint32_t>(index + 1);
  }
  table_ = records_;
  index_ = slots_;
}

std::uint32_t NameDatabase::find(std::span<const std::uint8_t> contents, std::uint64_t hash) const {
  if (index_.empty()) {
    return NotFound;
  }
  const std::size_t mask = index_.size() - 1;
  for (std::size_t slot = hash & mask; index_[slot] != 0; slot = (slot + 1) & mask) {
    const std::uint32_t first = index_[slot] - 1;
    if (equal(octets(table_[first].contents), contents)) {
      return first;
    }
  }
  return NotFound;
}

Name NameDatabase::nameOf(const Record& record) const {
  return {octets(record.contents), text(record.name), text(record.module), text(record.description),
          &sources_[record.source]};
}

void NameDatabase::appendNames(std::uint32_t first, std::vector<Name>& names) const {
  const std::string_view contents = text(table_[first].contents);
  for (std::size_t index = first; index < table_.size() && text(table_[index].contents) == contents;
       ++index) {
    names.push_back(nameOf(table_[index]));
  }
}

std::vector<Name> NameDatabase::namesOf(std::span<const std::uint8_t> contents) const {
  std::vector<Name> names;
  const std::uint32_t first = find(contents, hashOf(contents));
  if (first != NotFound) {
    appendNames(first, names);
  }
  return names;
}

NearestNames NameDatabase::nearestNames(const pellamar::ObjectIdentifier& identifier) const {
  NearestNames nearest;
  const auto contents = identifier.octets();
  // The hash of each prefix that ends a subidentifier, so that the longest
  // named one is found from the end.
  std::array<std::uint64_t, pellamar::ObjectIdentifier::MaxOctets> hashes{};
  std::array<std::uint8_t, pellamar::ObjectIdentifier::MaxOctets> ends{};
  std::size_t count = 0;
  std::uint64_t hash = HashStart;
  for (std::size_t index = 0; index < contents.size(); ++index) {
    hash = hashOctet(hash, contents[index]);
    if ((contents[index] & 0x80) == 0) {
      hashes[count] = hash;
      ends[count++] = static_cast<std::uint8_t>(index + 1);
    }
  }
  for (std::size_t prefix = count; prefix-- > 0;) {
    const auto octets = contents.first(ends[prefix]);
    const std::uint32_t first = find(octets, hashes[prefix]);
    if (first == NotFound) {
      continue;
    }
    std::vector<Name> names;
    appendNames(first, names);
    if (prefix + 1 < count) {
      std::erase_if(names, [](const Name& name) {
        return name.source->kind == SourceKind::Enterprises ||
               name.source->kind == SourceKind::OpenSsl ||
               name.source->kind == SourceKind::Dumpasn1;
      });
    }
    if (names.empty()) {
      continue;
    }
    nearest.names = std::move(names);
    if (prefix + 1 < count) {
      const std::string whole = [&] {
        std::string text;
        pellamar::append(identifier, pellamar::Form::Dotted, text);
        return text;
      }();
      // The dotted text has one more arc than the prefix has subidentifiers.
      std::size_t dots = 0;
      std::size_t at = 0;
      while (dots < prefix + 2) {
        at = whole.find('.', at) + 1;
        ++dots;
      }
      nearest.arcsBelow = whole.substr(at);
    }
    break;
  }
  return nearest;
}

std::string NameDatabase::namedPath(const pellamar::ObjectIdentifier& identifier,
                                    bool& fromSources) const {
  fromSources = false;
  std::string dotted;
  pellamar::append(identifier, pellamar::Form::Dotted, dotted);
  std::vector<std::string_view> arcs;
  for (std::size_t start = 0;;) {
    const std::size_t dot = dotted.find('.', start);
    arcs.push_back(std::string_view(dotted).substr(start, dot - start));
    if (dot == std::string::npos) {
      break;
    }
    start = dot + 1;
  }
  const auto contents = identifier.octets();
  std::string path = "{";
  std::size_t end = 0;
  std::uint64_t hash = HashStart;
  for (std::size_t position = 0; position < arcs.size(); ++position) {
    std::string_view name;
    if (position > 0) {
      // The contents up to the end of this arc's subidentifier.
      while (end < contents.size()) {
        hash = hashOctet(hash, contents[end]);
        if ((contents[end++] & 0x80) == 0) {
          break;
        }
      }
      const auto prefix = contents.first(end);
      const std::uint32_t first = find(prefix, hash);
      // Sources that name the arcs of a tree come first; OpenSSL's and
      // dumpasn1's names of algorithms and attributes after them.
      for (const bool treeSources : {true, false}) {
        for (std::uint32_t index = first;
             name.empty() && index != NotFound && index < table_.size() &&
             equal(octets(table_[index].contents), prefix);
             ++index) {
          const SourceKind kind = sources_[table_[index].source].kind;
          const bool tree = kind != SourceKind::OpenSsl && kind != SourceKind::Dumpasn1;
          // OpenSSL's short names are often capitals ("CN"), its long
          // names the ASN.1 ones ("commonName").
          for (const TextRef candidate :
               {table_[index].name,
                kind == SourceKind::OpenSsl ? table_[index].description : table_[index].name}) {
            if (name.empty() && tree == treeSources &&
                pellamar::isAsn1Identifier(text(candidate))) {
              name = text(candidate);
              fromSources = fromSources || kind != SourceKind::OpenSsl;
            }
          }
        }
      }
    }
    if (name.empty()) {
      name = pellamar::standardArcName(position, arcs.front(), arcs[position]);
    }
    path += ' ';
    if (name.empty()) {
      path.append(arcs[position]);
    } else {
      path.append(name).append("(").append(arcs[position]).append(")");
    }
  }
  return path + " }";
}

std::optional<Name> NameDatabase::ownerOf(std::span<const std::uint8_t> contents) const {
  if (contents.size() <= EnterprisesArc.size() ||
      !equal(contents.first(EnterprisesArc.size()), EnterprisesArc)) {
    return std::nullopt;
  }
  std::size_t end = EnterprisesArc.size();
  while (end < contents.size() && (contents[end++] & 0x80) != 0) {
  }
  const auto arc = contents.first(end);
  for (const Name& name : namesOf(arc)) {
    if (name.source->kind == SourceKind::Enterprises) {
      return name;
    }
  }
  return std::nullopt;
}

std::vector<Name> NameDatabase::named(std::string_view name, std::string_view module) const {
  std::vector<Name> found;
  for (const Record& record : table_) {
    // OpenSSL's long names are names too ("givenName").
    const bool spelled =
        text(record.name) == name ||
        (sources_[record.source].kind == SourceKind::OpenSsl && text(record.description) == name);
    if (spelled && (module.empty() || text(record.module) == module)) {
      found.push_back(nameOf(record));
    }
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const Name& a, const Name& b) { return a.source < b.source; });
  return found;
}

NameReading NameDatabase::read(std::string_view text) const {
  NameReading reading;
  std::string_view module;
  if (const std::size_t colons = text.find("::"); colons != std::string_view::npos) {
    module = text.substr(0, colons);
    text.remove_prefix(colons + 2);
  }
  std::vector<Name> found = named(text, module);
  // "ifDescr.7": the name, then arcs.
  if (found.empty()) {
    const std::size_t dot = text.find('.');
    const std::string_view arcs = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    if (!arcs.empty() && arcs.find_first_not_of("0123456789.") == std::string_view::npos) {
      found = named(text.substr(0, dot), module);
      reading.arcsBelow = arcs;
    }
  }
  if (found.empty()) {
    return reading;
  }
  const SourceKind first = found.front().source->kind;
  for (const Name& name : found) {
    if (name.source->kind != first) {
      break;
    }
    if (std::none_of(reading.candidates.begin(), reading.candidates.end(),
                     [&name](const Name& kept) { return equal(kept.contents, name.contents); })) {
      reading.candidates.push_back(name);
    }
  }
  return reading;
}

std::vector<Name> NameDatabase::matching(std::string_view pattern) const {
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
    if (matches(name.qualified()) || matches(std::string(name.description))) {
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

bool NameDatabase::save(const std::string& path, std::string_view fingerprint) const {
  std::string out(CacheMagic);
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
  putArray(out, index_);
  putArray(out, std::span<const char>(text_.data(), text_.size()));
  // Written aside and renamed, so that a reader never sees half a cache.
  const std::string temporary = path + ".new" + std::to_string(getpid());
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file.write(out.data(), static_cast<std::streamsize>(out.size())) || !file.flush()) {
      std::remove(temporary.c_str());
      return false;
    }
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

bool NameDatabase::load(const std::string& path, std::string_view fingerprint) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) {
    return false;
  }
  struct stat status {};
  void* mapped = MAP_FAILED;
  if (fstat(descriptor, &status) == 0 && status.st_size > 0) {
    mapped = mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE,
                  descriptor, 0);
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
  std::uint64_t count = 0;
  if (!in.text(text) || text != fingerprint || !in.value(count)) {
    return false;
  }
  for (std::uint64_t index = 0; index < count; ++index) {
    NameSource source{};
    std::uint64_t names = 0;
    if (!in.value(source.kind) || !in.value(names) || !in.text(text)) {
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
  if (!in.array(loaded.table_) || !in.array(loaded.index_) || !in.array(arena) || !in.atEnd()) {
    return false;
  }
  loaded.text_ = {arena.data(), arena.size()};
  // A damaged cache must not lead a lookup out of the table.
  const auto inText = [&loaded](TextRef ref) {
    return ref.offset <= loaded.text_.size() && ref.size <= loaded.text_.size() - ref.offset;
  };
  for (const Record& record : loaded.table_) {
    if (record.source >= loaded.sources_.size() || !inText(record.contents) ||
        !inText(record.name) || !inText(record.module) || !inText(record.description)) {
      return false;
    }
  }
  if (!std::has_single_bit(loaded.index_.size()) ||
      std::count(loaded.index_.begin(), loaded.index_.end(), 0U) == 0 ||
      std::any_of(loaded.index_.begin(), loaded.index_.end(),
                  [&loaded](std::uint32_t slot) { return slot > loaded.table_.size(); })) {
    return false;
  }
  loaded.mapping_ = std::move(mapping);
  *this = std::move(loaded);
  return true;
}
