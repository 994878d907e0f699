#include <fnmatch.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "name_database.hpp"
#include "pellamar/arc_names.hpp"
#include "snmp_instances.hpp"
#include "table_layout.hpp"

namespace pellamar::names {

using namespace layout;

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
  // Most records name an identifier of their own, and most identifiers
  // have an ancestor or two without a name.
  entries_.reserve(records_.size() + records_.size() / 2);
  for (std::size_t index = 0; index < records_.size(); ++index) {
    if (index == 0 || text(records_[index].contents) != text(records_[index - 1].contents)) {
      entries_.push_back(newEntry(records_[index].contents, static_cast<std::uint32_t>(index)));
    }
    Entry& entry = entries_.back();
    ++entry.count;
    const NameScope scope = scopeOf(sources_[records_[index].source].kind);
    if (scope == NameScope::Owners) {
      entry.flags |= HasEnterprise;
    } else if (scope == NameScope::Tree) {
      entry.flags |= HasTreeName;
    }
  }
  // Every ancestor gets an entry too, so that the named path and nearest
  // names of each entry build on its parent's. Entries are ordered by
  // contents, so the ancestors not met before are the prefixes of an entry
  // longer than what it shares with the entry before it; none of them is
  // named (a named one would lie between the two), and they come in order.
  // Each points into its descendant's contents.
  const std::size_t namedEntries = entries_.size();
  for (std::size_t index = 0; index < namedEntries; ++index) {
    const TextRef contents = entries_[index].contents;
    const std::string_view octets = text(contents);
    std::size_t shared = 0;
    if (index > 0) {
      const std::string_view before = text(entries_[index - 1].contents);
      const std::size_t common = std::min(before.size(), octets.size());
      while (shared < common && before[shared] == octets[shared]) {
        ++shared;
      }
    }
    for (std::size_t end = shared + 1; end < octets.size(); ++end) {
      if ((static_cast<std::uint8_t>(octets[end - 1]) & 0x80) == 0) {
        entries_.push_back(newEntry({contents.offset, static_cast<std::uint32_t>(end)}, 0));
      }
    }
  }
  slots_.assign(std::bit_ceil(std::max<std::size_t>(entries_.size() * 2, MinimumSlots)), 0);
  filterBits_.assign(FilterBits / 64, 0);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t index = 0; index < entries_.size(); ++index) {
    Entry& entry = entries_[index];
    const std::uint64_t hash = hashOf(octets(entry.contents));
    auto slot = static_cast<std::size_t>(hash & mask);
    while (slots_[slot] != 0) {
      slot = (slot + 1) & mask;
    }
    slots_[slot] = (hash & ~std::uint64_t{UINT32_MAX}) | (index + 1);
    for (const auto bit : {static_cast<std::size_t>(hash & (FilterBits - 1)),
                           static_cast<std::size_t>((hash >> FilterShift) & (FilterBits - 1))}) {
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
        // An enterprise's name stands for its arc in a path.
        const bool tree = scopeOf(kind) != NameScope::Objects;
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
    path.assign(1, '{');
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
      if (own || scopeOf(sources_[table_[at].source].kind) == NameScope::Tree) {
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
      if (scopeOf(sources_[table_[at].source].kind) == NameScope::Owners) {
        description.owner = nameOf(table_[at]);
        break;
      }
    }
  }
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

}  // namespace pellamar::names
