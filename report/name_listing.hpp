// The names command's records written out: a name with its identifier and
// source, and the sources of names found. Names, descriptions and file
// names are escaped for people and in fields, and always valid JSON.
#pragma once

#include <string>

#include "output_format.hpp"

namespace pellamar {

// Appends one line for `name`: "1.3.6.1.2.1.2.2.1.2 IF-MIB::ifDescr (SNMP
// MIB)" for people; its identifier, qualified name, kind of source, file
// and description as fields or as JSON members.
void appendNameLine(std::string& out, const names::Name& name, OutputFormat format);

// Appends a line for each source of names `database` holds, with its kind,
// count of names and file, the user's own first; for people, also a line
// for each kind of source not found, saying what would give it.
void appendSourceLines(std::string& out, const names::NameDatabase& database, OutputFormat format);

}  // namespace pellamar
