// Where names are looked for, and the table of them loaded from there or
// from its cache.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "name_database.hpp"

namespace pellamar::names {

// The places each kind of source is looked for. A file or folder that is
// not there is passed over in silence, unless it was asked for by name.
struct NameLocations {
  // Names files: those given on the command line, then the user's own.
  std::vector<std::string> namesFiles;
  std::optional<std::string> dumpasn1File;
  std::vector<std::string> mibDirectories;
  std::vector<std::string> ldapSchemaDirectories;
  std::vector<std::string> packagedNamesDirectories;
  std::vector<std::string> enterpriseFiles;
  // The cache of the table; empty for none.
  std::string cacheFile;
  // pellamar-name-reader, which reads OpenSSL's table, MIB modules and
  // LDAP schemas.
  std::string nameReader;

  // The places as the environment sets them, after `namesFiles`:
  //  - names files: $XDG_CONFIG_HOME/pellamar/names (~/.config/...)
  //  - dumpasn1: $PELLAMAR_DUMPASN1_CFG, else where dumpasn1 looks
  //    ($DUMPASN1_PATH/dumpasn1.cfg, ~/.dumpasn1.cfg,
  //    /etc/dumpasn1/dumpasn1.cfg)
  //  - MIB modules: $MIBDIRS as net-snmp reads it (a leading "+" adds to
  //    the folders below), else ~/.snmp/mibs, /usr/share/snmp/mibs with
  //    its iana and ietf folders, /var/lib/mibs/ietf and /var/lib/mibs/iana
  //  - LDAP schemas: $PELLAMAR_LDAP_SCHEMAS, else /etc/ldap/schema,
  //    /usr/share/dirsrv/schema and /usr/share/samba/setup/ad-schema
  //  - Pellamar's names files: $PELLAMAR_NAMES_DIRS, else `dataDirectory`
  //  - enterprise numbers: $PELLAMAR_ENTERPRISES, else
  //    $XDG_DATA_HOME/pellamar/enterprise-numbers (IANA's file) and
  //    Wireshark's /usr/share/wireshark/enterprises.tsv
  //  - the cache: $XDG_CACHE_HOME/pellamar/names.cache (~/.cache/...)
  // Lists are separated by colons; a variable set empty means none.
  static NameLocations fromEnvironment(std::vector<std::string> namesFiles,
                                       const std::string& dataDirectory, std::string nameReader);
};

// Whether a warning is about a file that a package installed (under /usr or
// /var/lib): one its user cannot mend, which `names --sources` lists but
// other commands need not repeat each time the cache is made.
bool aboutInstalledFile(std::string_view warning);

// The names of every source found, read from the cache when it was made
// from the same files as they are now (their paths, sizes and times), and
// otherwise read afresh and cached.
NameDatabase loadNames(const NameLocations& locations);

}  // namespace pellamar::names
