// The names database over sources written for the tests (tests/data/names):
// each kind of source read in its own format, the order between sources,
// nearest names, named paths, owners, names as input, damaged files, the
// cache and the queries.
#include "name_database.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "name_sources.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/writers.hpp"

namespace {

const std::string Data = PELLAMAR_TEST_DATA "/names";

NameLocations testLocations() {
  NameLocations locations;
  locations.namesFiles = {Data + "/user.names"};
  locations.mibDirectories = {Data + "/mibs"};
  locations.ldapSchemaDirectories = {Data + "/ldap"};
  locations.packagedNamesDirectories = {PELLAMAR_SOURCE_DIR "/data/names"};
  locations.enterpriseFiles = {Data + "/enterprise-numbers", Data + "/enterprises.tsv"};
  return locations;
}

const NameDatabase& database() {
  static const NameDatabase names = loadNames(testLocations());
  return names;
}

pellamar::ObjectIdentifier identifierOf(std::string_view dotted) {
  pellamar::ObjectIdentifier identifier;
  EXPECT_FALSE(pellamar::readDotted(dotted, identifier)) << dotted;
  return identifier;
}

// Adds `item` to a list separated by blanks.
void addTo(std::string& list, std::string_view item) {
  if (!list.empty()) {
    list += ' ';
  }
  list += item;
}

struct NamingRow {
  const char* row;
  const char* identifier;
  const char* label;  // NearestNames::label(), empty for none
  const char* firstSource;
  const char* namedPath;
  const char* owner;  // empty for none
};

const NamingRow NamingRows[] = {
    {"mib_object", "1.3.6.1.2.1.2.2.1.2", "IF-MIB::ifDescr", "SNMP MIB",
     "{ iso(1) org(3) dod(6) internet(1) mgmt(2) mib-2(1) interfaces(2) ifTable(2) ifEntry(1) "
     "ifDescr(2) }",
     ""},
    {"mib_instance", "1.3.6.1.2.1.2.2.1.2.7", "IF-MIB::ifDescr.7", "SNMP MIB",
     "{ iso(1) org(3) dod(6) internet(1) mgmt(2) mib-2(1) interfaces(2) ifTable(2) ifEntry(1) "
     "ifDescr(2) 7 }",
     ""},
    {"instance_of_two_arcs", "1.3.6.1.2.1.2.2.1.1.7.8", "IF-MIB::ifIndex.7.8", "SNMP MIB",
     "{ iso(1) org(3) dod(6) internet(1) mgmt(2) mib-2(1) interfaces(2) ifTable(2) ifEntry(1) "
     "ifIndex(1) 7 8 }",
     ""},
    {"user_name_before_openssl", "2.5.4.42", "firstName", "names file",
     "{ joint-iso-itu-t(2) ds(5) 4 firstName(42) }", ""},
    {"openssl_short_and_long", "1.2.840.113549.1.1.11", "RSA-SHA256 (sha256WithRSAEncryption)",
     "OpenSSL",
     "{ iso(1) member-body(2) 840 rsadsi(113549) pkcs(1) pkcs1(1) sha256WithRSAEncryption(11) }",
     ""},
    {"openssl_arc_passed_over_for_a_tree_ancestor", "1.3.6.1.4.1.311.2.1.14.5",
     "SNMPv2-SMI::enterprises.311.2.1.14.5", "SNMP MIB",
     "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 311 2 1 msExtReq(14) 5 }",
     "Microsoft Corporation"},
    {"unnamed_arc_above_names", "1.3.6.1.4.1.99999.2", "SNMPv2-SMI::enterprises.99999.2",
     "SNMP MIB", "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 99999 2 }",
     "Pellamar Test Enterprise"},
    {"openssl_is_no_ancestor", "1.2.840.113549.1.1.99", "", "",
     "{ iso(1) member-body(2) 840 rsadsi(113549) pkcs(1) pkcs1(1) 99 }", ""},
    {"ldap_system_schema", "2.5.4.3", "CN (commonName)", "OpenSSL",
     "{ joint-iso-itu-t(2) ds(5) 4 cn(3) }", ""},
    {"ldap_macro", "1.3.6.1.4.1.99999.2.1.1", "testColour", "LDAP schema",
     "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 99999 2 1 testColour(1) }",
     "Pellamar Test Enterprise"},
    {"ldif_folded_and_indexed", "1.3.6.1.4.1.99999.3.1", "ldifFolded", "LDAP schema",
     "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 99999 3 ldifFolded(1) }",
     "Pellamar Test Enterprise"},
    {"schema_read_not_its_ldif_twin", "1.3.6.1.4.1.99999.4.1", "twinSchema", "LDAP schema",
     "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 99999 4 twinSchema(1) }",
     "Pellamar Test Enterprise"},
    {"user_module_name", "1.3.6.1.4.1.99999.1.1", "MY-MIB::myCounter", "names file",
     "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 99999 myProduct(1) "
     "myCounter(1) }",
     "Pellamar Test Enterprise"},
    {"user_arc_as_ancestor", "1.3.6.1.4.1.99999.1.5.6", "myProduct.5.6", "names file",
     "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 99999 myProduct(1) 5 6 }",
     "Pellamar Test Enterprise"},
    {"iana_file_before_wireshark", "1.3.6.1.4.1.311.21.8", "SNMPv2-SMI::enterprises.311.21.8",
     "SNMP MIB", "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 311 21 8 }",
     "Microsoft Corporation"},
    {"enterprise_is_own_name", "1.3.6.1.4.1.99998", "Second Test Enterprise", "enterprise numbers",
     "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 99998 }",
     "Second Test Enterprise"},
    {"not_under_enterprises", "1.3.6.1.4.2.311", "SNMPv2-SMI::private.2.311", "SNMP MIB",
     "{ iso(1) org(3) dod(6) internet(1) private(4) 2 311 }", ""},
    {"dicom_packaged", "1.2.840.10008.1.2.1", "DICOM::ExplicitVRLittleEndian", "packaged names",
     "{ iso(1) member-body(2) 840 10008 1 2 1 }", ""},
    {"nothing_named", "2.999.1", "", "", "{ joint-iso-itu-t(2) 999 1 }", ""},
    {"broken_module_left_out", "1.3.6.1.2.1.9999", "SNMPv2-SMI::mib-2.9999", "SNMP MIB",
     "{ iso(1) org(3) dod(6) internet(1) mgmt(2) mib-2(1) 9999 }", ""},
};

class Naming : public testing::TestWithParam<NamingRow> {};

TEST_P(Naming, GivesLabelSourcePathAndOwner) {
  const NamingRow& row = GetParam();
  const auto identifier = identifierOf(row.identifier);
  Description description;
  database().describe(identifier, description);
  const NearestNames& nearest = description.nearest;
  EXPECT_EQ(nearest.label(), row.label);
  EXPECT_EQ(nearest.names.empty() ? "" : kindName(nearest.names.front().source->kind),
            row.firstSource);
  EXPECT_EQ(description.namedPath, row.namedPath);
  EXPECT_EQ(description.owner ? std::string(description.owner->name) : "", row.owner);
}

INSTANTIATE_TEST_SUITE_P(Names, Naming, testing::ValuesIn(NamingRows),
                         [](const auto& row) { return std::string(row.param.row); });

// The most arcs an identifier has: 101, in 100 octets.
TEST(NamedPaths, TheLongestIdentifierHasEveryArcInItsPath) {
  std::string dotted = "1.3";
  std::string arcs;
  for (int arc = 0; arc < 99; ++arc) {
    dotted += ".1";
    arcs += " 1";
  }
  Description description;
  database().describe(identifierOf(dotted), description);
  EXPECT_EQ(description.namedPath, "{ iso(1) org(3)" + arcs + " }");
  EXPECT_EQ(description.nearest.label(), "SNMPv2-SMI::org" + dotted.substr(3));
}

struct ReadingRow {
  const char* row;
  const char* text;
  // The identifiers, dotted and joined by blanks; empty when unknown.
  const char* candidates;
  const char* arcsBelow;
};

const ReadingRow ReadingRows[] = {
    {"plain", "ifDescr", "1.3.6.1.2.1.2.2.1.2", ""},
    {"qualified", "IF-MIB::ifDescr", "1.3.6.1.2.1.2.2.1.2", ""},
    {"wrong_module", "SNMPv2-SMI::ifDescr", "", ""},
    {"instance", "ifDescr.7", "1.3.6.1.2.1.2.2.1.2", "7"},
    {"qualified_instance", "IF-MIB::ifIndex.7.8", "1.3.6.1.2.1.2.2.1.1", "7.8"},
    {"instance_needs_digits", "ifDescr.x", "", ""},
    {"ldap_alias", "testColor", "1.3.6.1.4.1.99999.2.1.1", ""},
    {"ldap_system_schema", "cn", "2.5.4.3", ""},
    {"commented_out_is_not_read", "commentedOut", "", ""},
    {"object_class", "testThing", "1.3.6.1.4.1.99999.2.2", ""},
    {"openssl_long_name", "sha256WithRSAEncryption", "1.2.840.113549.1.1.11", ""},
    {"case_as_written", "IFDESCR", "", ""},
    {"user_file_decides", "firstName", "2.5.4.42", ""},
    {"dicom_keyword", "ExplicitVRLittleEndian", "1.2.840.10008.1.2.1", ""},
    {"unknown", "noSuchName", "", ""},
    {"ldif_twin_not_read", "twinOnly", "", ""},
    {"colons_in_a_name_and_blanks_made_one", "Colons::In Its Name", "1.3.6.1.4.1.99997", ""},
    {"colons_not_a_module", "Colons::In", "", ""},
};

class Reading : public testing::TestWithParam<ReadingRow> {};

TEST_P(Reading, FindsTheIdentifiers) {
  const ReadingRow& row = GetParam();
  const NameReading reading = database().read(row.text);
  std::string candidates;
  for (const Name& name : reading.candidates) {
    addTo(candidates, name.dotted());
  }
  EXPECT_EQ(candidates, row.candidates);
  if (!reading.candidates.empty()) {
    EXPECT_EQ(reading.arcsBelow, row.arcsBelow);
  }
}

INSTANTIATE_TEST_SUITE_P(Names, Reading, testing::ValuesIn(ReadingRows),
                         [](const auto& row) { return std::string(row.param.row); });

TEST(NameSources, DamagedFilesAreReportedOnceEachWithTheirFirstLine) {
  std::vector<std::string> warnings = database().warnings();
  std::sort(warnings.begin(), warnings.end());
  const std::vector<std::string> expected = {
      Data +
          "/enterprises.tsv:6: not an enterprise number followed by its organization; the "
          "other names are used",
      Data +
          "/ldap/test.schema:24: not a definition OpenLDAP reads, nor is 1 more line; the "
          "other names are used",
      Data +
          "/mibs/BROKEN-MIB:8: syntax error, unexpected LOWERCASE_IDENTIFIER, expecting "
          "OBJECT; the other names are used",
      Data +
          "/user.names:5: not an identifier followed by a name, nor is 1 more line; the other "
          "names are used",
  };
  EXPECT_EQ(warnings, expected);
}

TEST(NameSources, EachSourceCountsItsNames) {
  std::size_t mibNames = 0;
  std::size_t dicomNames = 0;
  for (const NameSource& source : database().sources()) {
    if (source.path.ends_with("IF-MIB")) {
      mibNames = source.names;
    }
    if (source.path.ends_with("dicom.names")) {
      dicomNames = source.names;
    }
  }
  EXPECT_EQ(mibNames, 6U);
  EXPECT_GE(dicomNames, 450U);
}

TEST(NameQueries, MatchNamesAndDescriptionsWithoutRegardToCase) {
  const auto names = [](std::string_view pattern) {
    std::string found;
    for (const Name& name : database().matching(pattern)) {
      addTo(found, name.qualified());
    }
    return found;
  };
  EXPECT_EQ(names("IFDESC"), "IF-MIB::ifDescr ifDescr");
  EXPECT_EQ(names("either spelling"), "testColour testColor");
  // LDIF folds a line by a line break and one blank, both taken away.
  EXPECT_EQ(names("folded over two"), "ldifFolded");
  EXPECT_EQ(names("if*x"), "IF-MIB::ifIndex");
  EXPECT_EQ(names("no such thing anywhere"), "");
}

TEST(NameQueries, ChildrenAreOneArcBelowInNumericOrder) {
  std::string found;
  for (const Name& name : database().childrenOf(identifierOf("1.3.6.1.4.1.99999.1").octets())) {
    addTo(found, name.dotted());
    found.append("=").append(name.qualified());
  }
  EXPECT_EQ(found, "1.3.6.1.4.1.99999.1.1=MY-MIB::myCounter");
  found.clear();
  for (const Name& name : database().childrenOf(identifierOf("1.3.6.1.4.1").octets())) {
    found.append(" ").append(name.dotted());
  }
  EXPECT_EQ(found,
            " 1.3.6.1.4.1.9 1.3.6.1.4.1.311 1.3.6.1.4.1.311 1.3.6.1.4.1.99997 1.3.6.1.4.1.99998 "
            "1.3.6.1.4.1.99999");
}

class NameCache : public testing::Test {
 protected:
  void SetUp() override {
    directory_ =
        std::filesystem::temp_directory_path() / ("pellamar-cache-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override { std::filesystem::remove_all(directory_); }
  std::filesystem::path directory_;
};

TEST_F(NameCache, IsUsedUntilASourceChanges) {
  const std::string names = (directory_ / "mine.names").string();
  std::ofstream(names) << "1.3.6.1.4.1.99999.9 before\n";
  NameLocations locations;
  locations.namesFiles = {names};
  locations.cacheFile = (directory_ / "cache/names.cache").string();
  const auto ownName = [&](const NameDatabase& database) {
    const auto found = database.namesOf(identifierOf("1.3.6.1.4.1.99999.9").octets());
    return found.empty() ? std::string() : std::string(found.front().name);
  };
  EXPECT_EQ(ownName(loadNames(locations)), "before");
  ASSERT_TRUE(std::filesystem::exists(locations.cacheFile));
  // The same files: the cache answers, even for a file it no longer
  // matches in content but does in size and time.
  EXPECT_EQ(ownName(loadNames(locations)), "before");
  std::ofstream(names) << "1.3.6.1.4.1.99999.9 afterwards\n";
  EXPECT_EQ(ownName(loadNames(locations)), "afterwards");
}

TEST_F(NameCache, RefusesAnotherFingerprintAndDamage) {
  const std::string path = (directory_ / "names.cache").string();
  EXPECT_FALSE(database().save((directory_ / "no such folder" / "names.cache").string(), "x"));
  ASSERT_TRUE(database().save(path, "fingerprint"));
  NameDatabase loaded;
  EXPECT_FALSE(loaded.load(path, "another"));
  ASSERT_TRUE(loaded.load(path, "fingerprint"));
  EXPECT_EQ(loaded.size(), database().size());
  Description description;
  loaded.describe(identifierOf("1.3.6.1.2.1.2.2.1.2.7"), description);
  EXPECT_EQ(description.nearest.label(), "IF-MIB::ifDescr.7");
  const auto size = std::filesystem::file_size(path);
  for (const auto cut : {std::uintmax_t{0}, std::uintmax_t{10}, size / 2, size - 1}) {
    std::filesystem::resize_file(path, cut);
    NameDatabase damaged;
    EXPECT_FALSE(damaged.load(path, "fingerprint")) << "cut at " << cut;
    EXPECT_EQ(damaged.size(), 0U);
    ASSERT_TRUE(database().save(path, "fingerprint"));
  }
}

}  // namespace
