// Every name known for object identifiers, from the sources found at run
// time, in one table: what each identifier is called, by which source, the
// nearest named ancestor of one that has no name, the named path of its
// arcs and the enterprise that owns it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "pellamar/object_identifier.hpp"
#include "source_kinds.hpp"

namespace pellamar::names {

struct NameSource {
  SourceKind kind;
  // The file read; empty for OpenSSL's built-in table.
  std::string path;
  std::size_t names = 0;
};

// One name of one identifier.
struct Name {
  std::span<const std::uint8_t> contents;
  std::string_view name;         // "ifDescr", "GN", "Microsoft"
  std::string_view module;       // "IF-MIB" for an SNMP object; otherwise empty
  std::string_view description;  // OpenSSL's long name, or a source's description
  const NameSource* source;
  // An SNMP column's INDEX, as snmp_instances.hpp describes it; otherwise
  // empty.
  std::string_view indexes;

  // The name as its field writes it: "IF-MIB::ifDescr", "givenName".
  std::string qualified() const;
  // The identifier named, in dotted form.
  std::string dotted() const;
  // The name as a person is shown it: qualified, and with OpenSSL's long
  // name after its short one, "GN (givenName)".
  std::string shown() const;
  // The same with OpenSSL's long name first where it is a name rather than
  // a phrase, as openssl asn1parse and dumpasn1 name algorithms and
  // attributes: "sha256WithRSAEncryption (RSA-SHA256)", but "keyUsage
  // (X509v3 Key Usage)".
  std::string shownLongFirst() const;
  // The name as input that picks this source's name when others give the
  // same name to other identifiers: qualified by its module, or else by
  // its kind of source ("LDAP::uid", "OpenSSL::uid"; see qualifierOf).
  std::string unambiguous() const;
  // The arcs below this name, dotted, as its field writes them: an SNMP
  // column's instance by its INDEX ("\"public\".3"), others as they are.
  std::string instance(std::string_view arcsBelow) const;
};

// The names of one identifier: its own, or those of its nearest named
// ancestor and the arcs below it.
struct NearestNames {
  std::vector<Name> names;
  // The arcs below the named ancestor, dotted: "7" for ifDescr.7; empty
  // when the names are the identifier's own.
  std::string arcsBelow;

  // "IF-MIB::ifDescr.7", "GN (givenName)"; empty when nothing is named.
  std::string label() const;
};

// What is known of one identifier's names.
struct Description {
  // Its own names or, failing them, its nearest ancestor's. Ancestors are
  // named by the sources that name the arcs of a tree: not by OpenSSL's
  // table or dumpasn1's, which name algorithms and attributes whose arcs
  // below are no instances of them, nor by the enterprise numbers, which
  // `owner` gives.
  NearestNames nearest;
  // The enterprise number that owns an identifier under 1.3.6.1.4.1, with
  // its registered name, if the enterprise table has it.
  std::optional<Name> owner;
  // The identifier in ASN.1 value notation with each arc's name where a
  // source gives it one that is an ASN.1 identifier, or X.660 does:
  // "{ iso(1) org(3) dod(6) internet(1) 4 }". Sources that name the arcs
  // of a tree come before OpenSSL's and dumpasn1's names.
  std::string namedPath;
  // A name in the path came from a source other than OpenSSL and X.660.
  bool pathFromSources = false;
};

// What a name written as input stands for.
struct NameReading {
  // The identifiers of the name, one name each; more than one when sources
  // give the name to different identifiers (a names file of the user's,
  // which comes first, decides alone).
  std::vector<Name> candidates;
  // Arcs written after the name, dotted ("7" of "ifDescr.7"; an SNMP
  // column's instance read by its INDEX, "3.6.109.121.117.115.101.114" of
  // "vacmGroupName.3.\"myuser\"").
  std::string arcsBelow;
  // When a name was found but what follows it is no instance of it, what
  // the text is: "no instance of SNMP-VIEW-BASED-ACM-MIB::vacmGroupName:
  // \"x\" is not quoted, as the octet string there must be".
  std::string instanceFault;
  // When nothing is so named: the names spelled alike but for case.
  std::vector<Name> otherCase;

 private:
  friend class NameDatabase;
  // The text before the arcs of the reading, "IF-MIB::ifDescr" of
  // "IF-MIB::ifDescr.7", when no name spelled with a full stop starts so:
  // the next text of a run that starts so and ends in other arcs has the
  // same candidates.
  std::string head_;
};

class NameDatabase {
 public:
  NameDatabase() = default;
  // The table's views point into its own buffers or its mapped cache,
  // which moving keeps and copying would not.
  NameDatabase(NameDatabase&&) = default;
  NameDatabase& operator=(NameDatabase&&) = default;
  NameDatabase(const NameDatabase&) = delete;
  NameDatabase& operator=(const NameDatabase&) = delete;

  // Building, one source after another in the order of SourceKind: returns
  // the source's index, for add(). Throws std::length_error past 65,535
  // sources.
  std::uint16_t addSource(SourceKind kind, std::string path);
  // A name of the identifier with `contents`, from source `source`. Empty
  // names are ignored. Texts are kept on one line: trimmed, and each run of
  // blanks, line breaks and other controls one blank. `indexes` is an SNMP
  // column's INDEX (see snmp_instances.hpp).
  void add(std::uint16_t source, std::span<const std::uint8_t> contents, std::string_view name,
           std::string_view module = {}, std::string_view description = {},
           std::string_view indexes = {});
  // A problem met in reading a source, kept with the names so that a
  // cached table repeats it.
  void addWarning(std::string warning);
  // What was added so far (sources, names and warnings) as octets, and
  // back into another table being built: a reader in a child process
  // hands its names over so. addExported() returns false, adding nothing,
  // for octets that exportAdded() did not write.
  // A web page, which shows no description of an SNMP object and must
  // stay small, has them left out: they are most of the text of the
  // modules Debian installs.
  enum class MibDescriptions : bool { Kept, LeftOut };
  std::string exportAdded(MibDescriptions mibDescriptions = MibDescriptions::Kept) const;
  bool addExported(std::string_view exported);
  // Orders and indexes the names; the queries below need it.
  void finish();

  const std::vector<NameSource>& sources() const { return sources_; }
  const std::vector<std::string>& warnings() const { return warnings_; }
  // Whether the table came from its cache, its warnings given before.
  bool cached() const { return mapping_ != nullptr; }
  std::size_t size() const { return table_.size(); }

  // The identifier's own names, the first source's first.
  std::vector<Name> namesOf(std::span<const std::uint8_t> contents) const;
  // Everything known of an identifier's names, into `description`, whose
  // buffers are reused from one identifier to the next. `dotted` is the
  // identifier's dotted text when the caller has it at hand, or empty.
  void describe(const pellamar::ObjectIdentifier& identifier, Description& description,
                std::string_view dotted = {}) const;

  // Every name spelled `name`, exactly or (`anyCase`) without regard to
  // ASCII case, of `module` when one is given: a module's name, or a
  // kind's qualifier for the kinds without modules. OpenSSL's long names
  // are names too. Found through an index of the names, the first kind's
  // first.
  std::vector<Name> named(std::string_view name, std::string_view module,
                          bool anyCase = false) const;
  // A name as a person writes one: "ifDescr", "IF-MIB::ifDescr",
  // "LDAP::uid", and any of them with arcs after it, "ifDescr.7"; or the
  // full path of names from the root that snmptranslate -Of writes,
  // "iso.org.dod.internet.mgmt.mib-2.system.sysDescr.0". Names are
  // matched in the case written; LDAP's, as directories match them
  // (RFC 4512), in any case.
  NameReading read(std::string_view text) const;
  // The same into `reading`, which holds the reading of the text before:
  // a list of instances of one object ("IF-MIB::ifDescr.1",
  // "IF-MIB::ifDescr.2") finds the name once.
  void read(std::string_view text, NameReading& reading) const;
  // Every name whose name, qualified name or description matches `pattern`,
  // a shell pattern without regard to case (a word alone matches anywhere):
  // "sysUpTime*" matches SNMPv2-MIB::sysUpTime by its name.
  // With `namesOnly`, descriptions are not matched.
  std::vector<Name> matching(std::string_view pattern, bool namesOnly = false) const;
  // The names of the identifiers one arc below `contents`, in order of
  // their arcs.
  std::vector<Name> childrenOf(std::span<const std::uint8_t> contents) const;

  // The table as a cache file (name_cache.hpp), and back. save() returns what kept it from
  // writing the file, if anything. load() returns false, leaving the table
  // empty, when the file is missing, was written for another
  // `fingerprint`, or does not match the checksum it was written with.
  std::error_code save(const std::string& path, std::string_view fingerprint) const;
  bool load(const std::string& path, std::string_view fingerprint);

 private:
  struct TextRef {
    std::uint32_t offset;
    std::uint32_t size;
  };
  // One identifier that has names, or that is an ancestor of one: where
  // its records are (none for a bare ancestor), and what its arc is called
  // in a named path, worked out once for every query. Short contents are
  // kept here too, so that a lookup reads no other table; an entry fills
  // one cache line.
  static constexpr std::size_t InlineOctets = 22;
  struct Entry {
    TextRef contents;
    // Its arcs as a named path writes them after its parent's: "ifDescr(2)"
    // or "7", and both arcs of the first subidentifier, "iso(1) org(3)".
    // Paths are put together from these rather than kept whole, which
    // would more than double the text a cache holds.
    TextRef arcs;
    std::uint32_t first;
    std::uint32_t count;
    // The entry whose names an identifier at or below this one is named
    // by when it has none of its own (NotFound for none), and the entry
    // of the enterprise that owns it.
    std::uint32_t nearest;
    std::uint32_t owner;
    // The entry one subidentifier up; NotFound for the first.
    std::uint32_t parent;
    // How many subidentifiers the contents hold.
    std::uint8_t depth;
    std::uint8_t flags;
    std::uint8_t size;
    std::array<std::uint8_t, InlineOctets> octets;
    std::array<std::uint8_t, 3> unused;
  };
  static_assert(sizeof(Entry) == 64);
  static constexpr std::uint8_t PathFromSources = 1;
  static constexpr std::uint8_t HasTreeName = 2;
  static constexpr std::uint8_t HasEnterprise = 4;

  // One spelling of a name in the index of names: the hash of its text
  // in lower case, and the record it is the name of (or, for OpenSSL, the
  // long name of).
  struct NameKey {
    std::uint64_t hash;
    std::uint32_t record;
    std::uint32_t longName;
  };

  struct Record {
    TextRef contents;
    TextRef name;
    TextRef module;
    TextRef description;
    TextRef indexes;
    std::uint16_t source;
    // Keeps the record free of padding, whose bytes the cache would copy.
    std::uint16_t unused;
  };

  TextRef store(std::string_view text);
  // Stores `text` on one line, as add() keeps it.
  TextRef storeOnOneLine(std::string_view text);
  std::string_view text(TextRef ref) const { return text_.substr(ref.offset, ref.size); }
  std::span<const std::uint8_t> octets(TextRef ref) const;
  Name nameOf(const Record& record) const;
  // Appends the named path down to `entry`, without its closing brace:
  // "{ iso(1) org(3) dod(6)".
  void appendPath(std::uint32_t entry, std::string& path) const;
  // The index of the entry of `contents`, whose hash is `hash`, or
  // NotFound.
  std::uint32_t find(std::span<const std::uint8_t> contents, std::uint64_t hash) const;
  // Whether a name spelled with a full stop may start with `head`, the
  // text before its first.
  bool mayStartDottedName(std::string_view head) const;
  // The names that a full path as snmptranslate -Of writes it stands for,
  // "iso.org.dod.internet.mgmt.mib-2.system.sysDescr.0": the last name's,
  // where every label before it names its arc, or is its number. The text
  // after the last name (arcs or an instance) goes into `below`.
  std::vector<Name> fullPath(std::string_view text, std::string_view& below) const;
  void indexEntries();
  void indexNames();
  // Works out each entry's named path, nearest names and owner, parents
  // before children.
  void describeEntries();

  static constexpr std::uint32_t NotFound = UINT32_MAX;

  std::vector<NameSource> sources_;
  std::vector<std::string> warnings_;
  // The table as it is built.
  std::vector<Record> records_;
  std::vector<char> arena_;
  std::vector<Entry> entries_;
  std::vector<std::uint64_t> slots_;
  std::vector<std::uint64_t> filterBits_;
  std::vector<NameKey> nameKeys_;
  std::vector<std::uint32_t> nameBucketStarts_;
  std::vector<std::uint64_t> dottedFilterBits_;
  // The table as it is asked: the buffers above once finished, or the
  // cache file mapped into memory, so that a run that asks for a few
  // names reads only the pages it needs.
  std::shared_ptr<const void> mapping_;
  std::span<const Record> table_;
  std::span<const Entry> entryTable_;
  std::string_view text_;
  // Open addressing on the contents' hash: 0 for empty, otherwise one more
  // than the index of the identifier's entry, with the hash's high half
  // above it, so that a probe that misses reads nothing else.
  std::span<const std::uint64_t> index_;
  // A Bloom filter of the entries' hashes, small enough to stay in the
  // processor's cache, so that looking up an identifier no entry has
  // seldom reads the larger index.
  std::span<const std::uint64_t> filter_;
  // Every name's spellings, ordered by their hashes, and where the keys
  // whose hashes start with each NameBucketBits bits begin among them, so
  // that a lookup reads a few keys, not a binary search's worth of pages.
  std::span<const NameKey> nameIndex_;
  std::span<const std::uint32_t> nameBuckets_;
  // The names that hold a full stop, by what comes before their first: a
  // text whose start before its first full stop no name has is no name.
  std::span<const std::uint64_t> dottedFilter_;
};

}  // namespace pellamar::names
