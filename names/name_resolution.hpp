// A name read as the identifier it names, as a person writes one: a name,
// perhaps qualified ("IF-MIB::ifDescr", "LDAP::uid"), perhaps with arcs or
// an SNMP table's instance after it ("ifDescr.7"). A name no source gives,
// one that several give to different identifiers, and arcs that make no
// identifier are refused with a message that says what the sources hold.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "name_database.hpp"
#include "pellamar/object_identifier.hpp"

namespace pellamar::names {

// Reads `text` as a name into `identifier`. `reading` holds the reading of
// the text before, which a list of one object's instances reuses (see
// NameDatabase::read). Returns why no one identifier is named, as a
// sentence for a message that quotes `text`, or nothing when `identifier`
// was set.
std::optional<std::string> resolveName(const NameDatabase& names, std::string_view text,
                                       NameReading& reading,
                                       pellamar::ObjectIdentifier& identifier);

}  // namespace pellamar::names
