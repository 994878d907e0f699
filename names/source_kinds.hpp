// The kinds of source names are read from: what each is called, how its
// names are qualified, and where a user gets one, kept in one table.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace pellamar::names {

// The kinds of source, in the order they are consulted: when two sources
// name one identifier, the earlier kind's name is shown first.
enum class SourceKind : std::uint8_t {
  // Files the user keeps or names on the command line.
  UserNames,
  OpenSsl,
  Dumpasn1,
  SnmpMib,
  LdapSchema,
  // Names files that come with Pellamar, such as DICOM's UID registry.
  PackagedNames,
  Enterprises,
};

// Every kind, in the order of SourceKind.
inline constexpr std::array<SourceKind, 7> AllSourceKinds = {
    SourceKind::UserNames,  SourceKind::OpenSsl,       SourceKind::Dumpasn1,   SourceKind::SnmpMib,
    SourceKind::LdapSchema, SourceKind::PackagedNames, SourceKind::Enterprises};

// What a kind's names stand for, which decides whether an identifier with
// no name of its own is named by its ancestor's.
enum class NameScope : std::uint8_t {
  // The arcs of a tree: a name stands for the identifiers below it too, as
  // ifDescr.7 is an instance of ifDescr.
  Tree,
  // Algorithms and attributes (OpenSSL's table, dumpasn1's): the arcs below
  // one are no instances of it.
  Objects,
  // The enterprises that own the arcs below their numbers.
  Owners,
};

// Whether a kind read back from a file or a child process is one of
// SourceKind's.
bool knownKind(SourceKind kind);

// What a source is called in output: "SNMP MIB", "LDAP schema".
std::string_view kindName(SourceKind kind);

// What qualifies a name of a kind of source that has no modules, as in
// "LDAP::uid": "names", "OpenSSL", "dumpasn1", "SNMP", "LDAP", "packaged",
// "enterprise".
std::string_view qualifierOf(SourceKind kind);

NameScope scopeOf(SourceKind kind);

// How a user who has no source of a kind gets one: "install Debian's slapd
// package".
std::string_view providerOf(SourceKind kind);

}  // namespace pellamar::names
