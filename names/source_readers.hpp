// Each kind of source read into a NameDatabase, in its field's own format.
// A source that cannot be read, or only in part, adds one warning to the
// database naming the file and the first line at fault; what could be read
// is used.
#pragma once

#include <string>
#include <vector>

#include "name_database.hpp"

// OpenSSL's built-in object table: short names, with long names as their
// descriptions.
void addOpenSslNames(NameDatabase& names);

// dumpasn1's configuration file: "OID = 2 5 4 3" then "Description = ...".
void readDumpasn1(NameDatabase& names, const std::string& path);

// A names file: one identifier a line, as "1.3.6.1.4.1.99999.1 name [what
// it is]", blank lines and lines starting with "#" ignored. A name may be
// qualified by its module, as in "MY-MIB::myObject".
void readNamesFile(NameDatabase& names, SourceKind kind, const std::string& path);

// IANA's private enterprise numbers, as Wireshark's enterprises.tsv holds
// them ("311<TAB>Microsoft") or as IANA's own enterprise-numbers file does
// (the number on a line of its own, the organization on the next).
void readEnterprises(NameDatabase& names, const std::string& path);

// SNMP MIB modules (SMIv1 and SMIv2), read with libsmi: `files`, with the
// modules they import looked for in `directories`. Names are qualified by
// their module, as SNMP tools write them ("IF-MIB::ifDescr").
void readMibs(NameDatabase& names, const std::vector<std::string>& files,
              const std::vector<std::string>& directories);

// LDAP schema definitions (RFC 4512 attribute types and object classes) as
// OpenLDAP keeps them: a .schema file of slapd.conf statements, or a .ldif
// file of cn=config entries, read with OpenLDAP's own parser, with their
// "objectidentifier" macros.
void readLdapSchema(NameDatabase& names, const std::string& path);
