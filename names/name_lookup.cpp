#include <fnmatch.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "name_database.hpp"
#include "pellamar/arc_names.hpp"
#include "snmp_instances.hpp"
#include "table_layout.hpp"

namespace pellamar::names {

using namespace layout;

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

}  // namespace pellamar::names
