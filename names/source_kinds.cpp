#include "source_kinds.hpp"

#include <cstddef>

namespace pellamar::names {

namespace {

struct KindFacts {
  std::string_view name;
  std::string_view qualifier;
  NameScope scope;
  std::string_view provider;
};

// In the order of SourceKind.
constexpr std::array<KindFacts, AllSourceKinds.size()> KindTable = {{
    {"names file", "names", NameScope::Tree,
     "write your own in ~/.config/pellamar/names, or give one with --names-file"},
    {"OpenSSL", "OpenSSL", NameScope::Objects, "OpenSSL's library always has them"},
    {"dumpasn1", "dumpasn1", NameScope::Objects, "install Debian's dumpasn1 package"},
    {"SNMP MIB", "SNMP", NameScope::Tree,
     "install Debian's snmp-mibs-downloader package (non-free), or put modules in ~/.snmp/mibs"},
    {"LDAP schema", "LDAP", NameScope::Tree, "install Debian's slapd package"},
    {"packaged names", "packaged", NameScope::Tree, "install the pellamar-cli package"},
    {"enterprise numbers", "enterprise", NameScope::Owners,
     "install Debian's libwireshark-data package, or put IANA's enterprise-numbers file in "
     "~/.local/share/pellamar"},
}};
static_assert(AllSourceKinds.size() == static_cast<std::size_t>(SourceKind::Enterprises) + 1);

const KindFacts& factsOf(SourceKind kind) {
  return KindTable.at(static_cast<std::size_t>(kind));
}

}  // namespace

bool knownKind(SourceKind kind) {
  return static_cast<std::size_t>(kind) < KindTable.size();
}

std::string_view kindName(SourceKind kind) {
  return factsOf(kind).name;
}

std::string_view qualifierOf(SourceKind kind) {
  return factsOf(kind).qualifier;
}

NameScope scopeOf(SourceKind kind) {
  return factsOf(kind).scope;
}

std::string_view providerOf(SourceKind kind) {
  return factsOf(kind).provider;
}

}  // namespace pellamar::names
