// Each kind of source read into a NameDatabase, in its field's own format.
// A source that cannot be read, or only in part, adds one warning to the
// database naming the file and the first line at fault; what could be read
// is used.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "child_reading.hpp"
#include "name_database.hpp"

namespace pellamar::names {

// OpenSSL's built-in object table: short names, with long names as their
// descriptions.
void addOpenSslNames(NameDatabase& names);

// dumpasn1's configuration file: "OID = 2 5 4 3" then "Description = ...".
void readDumpasn1(NameDatabase& names, const std::string& path);

// A names file: one identifier a line, as "1.3.6.1.4.1.99999.1 name [what
// it is]", blank lines and lines starting with "#" ignored. A name may be
// qualified by its module, as in "MY-MIB::myObject".
void readNamesFile(NameDatabase& names, SourceKind kind, const std::string& path);
// The same read from `file`, a names file already open (or one held in
// memory, as a web page holds a file it is given), named `path`.
void readNamesFile(NameDatabase& names, SourceKind kind, const std::string& path,
                   std::istream& file);

// IANA's private enterprise numbers, as Wireshark's enterprises.tsv holds
// them ("311<TAB>Microsoft") or as IANA's own enterprise-numbers file does
// (the number on a line of its own, the organization on the next).
void readEnterprises(NameDatabase& names, const std::string& path);

// SNMP MIB modules (SMIv1 and SMIv2), read with libsmi: `files`, with the
// modules they import looked for in `directories`. Names are qualified by
// their module, as SNMP tools write them ("IF-MIB::ifDescr"); where two
// modules name one node, an SMIv2 module's name comes first, as net-snmp
// prefers it. A node below a label that does not resolve (an import not
// found, a cycle of imports) is left out, and its module reported once.
// `progress` is told each file as it is read; the modules in
// `aliasDirectory` (see OldModuleNames) are read but give no names.
void readMibs(NameDatabase& names, const std::vector<std::string>& files,
              const std::vector<std::string>& directories, ReadingProgress& progress,
              const std::string& aliasDirectory = {});

// Stand-ins for the module names that old modules import and later
// modules replaced ("RFC-1213" for RFC1213-MIB, "RFC-1212" for the SMIv1
// OBJECT-TYPE macro), as net-snmp maps them, written for libsmi to find
// after the modules of `directories` into a temporary folder that goes
// with this object. Only names that no file in `directories` has are
// written.
class OldModuleNames {
 public:
  explicit OldModuleNames(const std::vector<std::string>& directories);
  ~OldModuleNames();
  OldModuleNames(const OldModuleNames&) = delete;
  OldModuleNames& operator=(const OldModuleNames&) = delete;

  // The folder, empty when none could be made.
  const std::string& directory() const { return directory_; }

 private:
  std::string directory_;
  std::vector<std::string> files_;
};

// LDAP schema definitions (RFC 4512 attribute types and object classes) as
// OpenLDAP keeps them: a .schema file of slapd.conf statements, or a .ldif
// file of cn=config entries or of a cn=schema entry (389 Directory
// Server's), read with OpenLDAP's own parser, with their "objectidentifier"
// macros, which name their identifiers too.
void readLdapSchema(NameDatabase& names, const std::string& path);

// Active Directory's schema as Microsoft publishes it (.ldf, LDIF entries
// with "attributeID" or "governsID" and "lDAPDisplayName", as Samba ships
// it): the files of one folder, which hold one schema in several versions,
// as one source named by the folder. The display name is the name, the
// entry's cn ("Account-Expires") its description.
void readActiveDirectorySchema(NameDatabase& names, const std::string& directory,
                               const std::vector<std::string>& files);

}  // namespace pellamar::names
