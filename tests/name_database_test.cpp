// The names database over sources written for the tests (tests/data/names):
// each kind of source read in its own format, the order between sources,
// nearest names, named paths, owners, names as input, damaged files, the
// cache and the queries.
#include "name_database.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "child_reading.hpp"
#include "name_cache.hpp"
#include "name_resolution.hpp"
#include "name_sources.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/writers.hpp"
#include "source_readers.hpp"
#include "test_support.hpp"

using namespace pellamar::names;

namespace {

const std::string Data = PELLAMAR_TEST_DATA "/names";

NameLocations testLocations() {
  NameLocations locations;
  locations.nameReader = PELLAMAR_TEST_NAME_READER;
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
  // Whether an arc of the path is named by a source, not only by OpenSSL
  // and X.660: by the identifier's own entry or by one above it.
  bool pathFromSources = true;
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
     "", false},
    {"openssl_arc_passed_over_for_a_tree_ancestor", "1.3.6.1.4.1.311.2.1.14.5",
     "SNMPv2-SMI::enterprises.311.2.1.14.5", "SNMP MIB",
     "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 311 2 1 msExtReq(14) 5 }",
     "Microsoft Corporation"},
    {"unnamed_arc_above_names", "1.3.6.1.4.1.99999.6.1", "SNMPv2-SMI::enterprises.99999.6.1",
     "SNMP MIB", "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 99999 6 1 }",
     "Pellamar Test Enterprise"},
    {"ldap_macro_names_its_identifier", "1.3.6.1.4.1.99999.2", "TestRoot", "LDAP schema",
     "{ iso(1) org(3) dod(6) internet(1) private(4) enterprises(1) 99999 2 }",
     "Pellamar Test Enterprise"},
    {"openssl_is_no_ancestor", "1.2.840.113549.1.1.99", "", "",
     "{ iso(1) member-body(2) 840 rsadsi(113549) pkcs(1) pkcs1(1) 99 }", "", false},
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
     "{ iso(1) member-body(2) 840 10008 1 2 1 }", "", false},
    {"nothing_named", "2.999.1", "", "", "{ joint-iso-itu-t(2) 999 1 }", "", false},
    {"broken_module_read_up_to_its_fault", "1.3.6.1.2.1.9999", "BROKEN-MIB::brokenNode", "SNMP MIB",
     "{ iso(1) org(3) dod(6) internet(1) mgmt(2) mib-2(1) brokenNode(9999) }", ""},
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
  EXPECT_EQ(description.pathFromSources, row.pathFromSources);
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
    // An SNMP module and an LDAP schema give one name to two identifiers.
    {"two_sources_two_identifiers", "ifDescr", "1.3.6.1.2.1.2.2.1.2 1.3.6.1.4.1.99999.2.1.2", ""},
    {"qualified_by_kind", "LDAP::ifDescr", "1.3.6.1.4.1.99999.2.1.2", ""},
    {"kind_qualifier_is_no_module", "SNMP::ifDescr", "", ""},
    {"openssl_qualified", "OpenSSL::CN", "2.5.4.3", ""},
    {"openssl_long_name_qualified", "OpenSSL::commonName", "2.5.4.3", ""},
    {"qualified", "IF-MIB::ifDescr", "1.3.6.1.2.1.2.2.1.2", ""},
    {"wrong_module", "SNMPv2-SMI::ifDescr", "", ""},
    {"instance", "IF-MIB::ifDescr.7", "1.3.6.1.2.1.2.2.1.2", "7"},
    {"instance_of_a_kind", "LDAP::ifDescr.7", "1.3.6.1.4.1.99999.2.1.2", "7"},
    {"qualified_instance", "IF-MIB::ifIndex.7.8", "1.3.6.1.2.1.2.2.1.1", "7.8"},
    {"instance_needs_digits", "ifDescr.x", "", ""},
    {"ldap_alias", "testColor", "1.3.6.1.4.1.99999.2.1.1", ""},
    {"ldap_system_schema", "cn", "2.5.4.3", ""},
    {"commented_out_is_not_read", "commentedOut", "", ""},
    {"object_class", "testThing", "1.3.6.1.4.1.99999.2.2", ""},
    {"openssl_long_name", "sha256WithRSAEncryption", "1.2.840.113549.1.1.11", ""},
    {"ldap_in_any_case", "IFDESCR", "1.3.6.1.4.1.99999.2.1.2", ""},
    {"ldap_alias_in_any_case", "TESTCOLOR", "1.3.6.1.4.1.99999.2.1.1", ""},
    {"exact_case_before_any_case", "cn", "2.5.4.3", ""},
    {"mib_in_the_case_written", "IF-MIB::IFDESCR", "", ""},
    {"openssl_in_the_case_written", "SHA256WITHRSAENCRYPTION", "", ""},
    {"ldap_system_schema_in_any_case", "COMMONNAME", "2.5.4.3", ""},
    {"user_file_decides", "firstName", "2.5.4.42", ""},
    {"dicom_keyword", "ExplicitVRLittleEndian", "1.2.840.10008.1.2.1", ""},
    {"unknown", "noSuchName", "", ""},
    {"ldif_twin_not_read", "twinOnly", "", ""},
    {"full_path_as_snmptranslate_writes_it",
     "iso.org.dod.internet.mgmt.mib-2.interfaces.ifTable.ifEntry.ifDescr.7", "1.3.6.1.2.1.2.2.1.2",
     "7"},
    {"full_path_with_its_leading_stop", ".iso.org.dod.internet.mgmt.mib-2.interfaces.2.1.ifIndex",
     "1.3.6.1.2.1.2.2.1.1", ""},
    {"full_path_through_another_arc", "iso.org.dod.internet.mgmt.mib-2.system.ifDescr", "", ""},
    {"full_path_one_arc_short", "iso.org.dod.internet.mgmt.mib-2.interfaces.ifTable.ifDescr", "",
     ""},
    {"full_path_older_root_name", "joint-iso-ccitt.ds.4.cn", "2.5.4.3", ""},
    {"full_path_root_misnamed", "iso.ds.4.cn", "", ""},
    {"active_directory_display_name", "testColourCode", "1.3.6.1.4.1.99999.6.2", ""},
    {"active_directory_without_blank_after_colon", "testUnspaced", "1.3.6.1.4.1.99999.6.5", ""},
    {"active_directory_class_in_any_case", "TESTWIDGET", "1.3.6.1.4.1.99999.6.3", ""},
    {"active_directory_entry_without_display_name", "Test-Nameless", "", ""},
    {"dirsrv_ldif", "dirsrvObject", "1.3.6.1.4.1.99999.7.2", ""},
    {"dirsrv_without_identifier", "dirsrvUnregistered", "", ""},
    {"macro_as_a_name", "TestAttributes", "1.3.6.1.4.1.99999.2.1", ""},
    {"colons_in_a_name_and_blanks_made_one", "Colons::In Its Name", "1.3.6.1.4.1.99997", ""},
    {"colons_not_a_module", "Colons::In", "", ""},
};

class Reading : public testing::TestWithParam<ReadingRow> {};

TEST(Reading, SuggestsNamesThatDifferOnlyInCase) {
  const NameReading reading = database().read("ifindex");
  std::string found;
  for (const Name& name : reading.otherCase) {
    addTo(found, name.qualified());
  }
  EXPECT_EQ(found, "IF-MIB::ifIndex");
  EXPECT_TRUE(database().read("noSuchName").otherCase.empty());
  EXPECT_TRUE(database().read("ifIndex").otherCase.empty());
}

// A name read as the identifier it names, or the message that says why
// not: the identifier's dotted text, or the message.
struct ResolutionRow {
  const char* row;
  std::string text;
  std::string result;
};

class Resolution : public testing::TestWithParam<ResolutionRow> {};

TEST_P(Resolution, NamesOneIdentifierOrSaysWhy) {
  NameReading reading;
  pellamar::ObjectIdentifier identifier;
  const auto message = resolveName(database(), GetParam().text, reading, identifier);
  std::string result;
  if (message) {
    result = *message;
  } else {
    pellamar::append(identifier, pellamar::Form::Dotted, result);
  }
  EXPECT_EQ(result, GetParam().result);
}

// `count` arcs of one octet each.
std::string arcsOfOneOctet(int count) {
  std::string arcs;
  for (int arc = 0; arc < count; ++arc) {
    arcs += ".1";
  }
  return arcs;
}

INSTANTIATE_TEST_SUITE_P(
    Names, Resolution,
    testing::Values(
        ResolutionRow{"own", "IF-MIB::ifIndex", "1.3.6.1.2.1.2.2.1.1"},
        ResolutionRow{"arcs_below", "IF-MIB::ifDescr.7", "1.3.6.1.2.1.2.2.1.2.7"},
        ResolutionRow{"ldap_in_any_case", "IFDESCR", "1.3.6.1.4.1.99999.2.1.2"},
        ResolutionRow{"unknown", "noSuchName",
                      "No identifier is named \"noSuchName\" by any source of names; names are "
                      "matched in the case written, LDAP's in any case."},
        ResolutionRow{"other_case", "ifindex",
                      "No identifier is named \"ifindex\" by any source of names; names are "
                      "matched in the case written, LDAP's in any case. Did you mean "
                      "\"ifIndex\"?"},
        ResolutionRow{"ambiguous", "ifDescr",
                      "The name \"ifDescr\" is ambiguous: it names \"1.3.6.1.2.1.2.2.1.2\" "
                      "(SNMP MIB, IF-MIB::ifDescr), \"1.3.6.1.4.1.99999.2.1.2\" (LDAP schema, "
                      "LDAP::ifDescr); give the qualified name or the identifier instead."},
        // The name's own nine octets and ninety-one arcs of one octet fill
        // the hundred octets of the longest identifier; one more does not.
        ResolutionRow{"longest_arcs_below", "IF-MIB::ifIndex" + arcsOfOneOctet(91),
                      "1.3.6.1.2.1.2.2.1.1" + arcsOfOneOctet(91)},
        ResolutionRow{"arcs_past_the_longest_identifier", "IF-MIB::ifIndex" + arcsOfOneOctet(92),
                      "The name \"IF-MIB::ifIndex" + arcsOfOneOctet(92) +
                          "\" stands for \"1.3.6.1.2.1.2.2.1.1" + arcsOfOneOctet(92) +
                          "\", which is not an identifier: The identifier needs more than 100 "
                          "octets: arc 102 (1 at position 203) no longer fits."}),
    [](const auto& row) { return std::string(row.param.row); });

TEST(Reading, NamesTheFormThatPicksEachCandidate) {
  std::string forms;
  for (const Name& name : database().read("ifDescr").candidates) {
    addTo(forms, name.unambiguous());
  }
  EXPECT_EQ(forms, "IF-MIB::ifDescr LDAP::ifDescr");
  for (const Name& name : database().read("OpenSSL::CN").candidates) {
    EXPECT_EQ(database().read(name.unambiguous()).candidates.size(), 1U);
  }
}

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
          "/ldap/ad-schema.ldf:17: not an attribute or class with its identifier and display "
          "name; the other names are used",
      Data +
          "/ldap/test.schema:26: not a definition OpenLDAP reads, nor are 2 more lines; the "
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

// Samba ships one schema in several files: one that cannot be read is
// said, and the others are read.
TEST(NameSources, AnActiveDirectoryFileThatCannotBeReadIsSaid) {
  NameDatabase names;
  const std::string missing = Data + "/ldap/missing.ldf";
  readActiveDirectorySchema(names, Data + "/ldap", {missing, Data + "/ldap/ad-schema.ldf"});
  ASSERT_FALSE(names.warnings().empty());
  EXPECT_EQ(names.warnings().front(), missing + ": cannot be read; its names are left out");
  names.finish();
  EXPECT_EQ(names.read("testColourCode").candidates.size(), 1U);
}

// A path that opens but cannot be read, such as a folder, is said by every
// reader of text tables.
TEST(NameSources, ATableThatCannotBeReadToItsEndIsSaid) {
  const std::string folder = Data + "/ldap";
  const std::vector<std::pair<std::string_view, void (*)(NameDatabase&, const std::string&)>>
      readers = {
          {"dumpasn1", readDumpasn1},
          {"names file",
           [](NameDatabase& names, const std::string& path) {
             readNamesFile(names, SourceKind::UserNames, path);
           }},
          {"enterprise numbers", readEnterprises},
      };
  for (const auto& [kind, read] : readers) {
    NameDatabase names;
    read(names, folder);
    EXPECT_EQ(names.warnings(), std::vector<std::string>{folder + ": cannot be read to its end; "
                                                                  "the names before are used"})
        << kind;
  }
}

TEST(NameSources, ANameGivenTwiceByOneFileIsKeptOnce) {
  const auto names = database().namesOf(identifierOf("1.3.6.1.4.1.99999.1.1").octets());
  ASSERT_EQ(names.size(), 1U);
  EXPECT_EQ(names.front().description, "a counter in our own MIB");
  for (const NameSource& source : database().sources()) {
    if (source.path.ends_with("user.names")) {
      EXPECT_EQ(source.names, 3U);
    }
  }
}

// Runs `body` with the environment variables given set, or unset where
// the value is null, and puts them back afterwards.
template <typename Body>
void withEnvironment(std::vector<std::pair<const char*, const char*>> variables, Body body) {
  std::vector<std::pair<const char*, std::optional<std::string>>> saved;
  for (const auto& [name, value] : variables) {
    const char* earlier = std::getenv(name);
    saved.emplace_back(name,
                       earlier != nullptr ? std::optional<std::string>(earlier) : std::nullopt);
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  body();
  for (const auto& [name, value] : saved) {
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
}

TEST(NameSources, DumpasnOnesFileUnderHomeWhereNothingElseNamesOne) {
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("pellamar-home-" + std::to_string(::getpid()));
  std::filesystem::create_directories(home);
  std::ofstream(home / ".dumpasn1.cfg") << "OID = 06 03 2A 03 04\nDescription = test\n";
  withEnvironment(
      {{"HOME", home.c_str()}, {"PELLAMAR_DUMPASN1_CFG", nullptr}, {"DUMPASN1_PATH", nullptr}},
      [&home] {
        const NameLocations locations = NameLocations::fromEnvironment({}, "", "");
        EXPECT_EQ(locations.dumpasn1File, (home / ".dumpasn1.cfg").string());
      });
  std::filesystem::remove_all(home);
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
  // A pattern matches a name by itself, not only qualified.
  EXPECT_EQ(names("ifDesc?"), "IF-MIB::ifDescr ifDescr");
  std::string namesOnly;
  for (const Name& name : database().matching("either spelling", true)) {
    addTo(namesOnly, name.qualified());
  }
  EXPECT_EQ(namesOnly, "");
  for (const Name& name : database().matching("testcolo*", true)) {
    addTo(namesOnly, name.qualified());
  }
  EXPECT_EQ(namesOnly, "testColour testColor testColourCode");
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
            " 1.3.6.1.4.1.9 1.3.6.1.4.1.311 1.3.6.1.4.1.311 1.3.6.1.4.1.16383 1.3.6.1.4.1.16384 "
            "1.3.6.1.4.1.99997 1.3.6.1.4.1.99998 1.3.6.1.4.1.99999");
}

// SNMP modules as net-snmp reads them (tests/data/names/snmp): old module
// names mapped, SMIv2 modules first, cycles of imports, and a module that
// crashes libsmi.
const NameDatabase& snmpDatabase() {
  static const NameDatabase names = [] {
    NameLocations locations;
    locations.nameReader = PELLAMAR_TEST_NAME_READER;
    locations.mibDirectories = {Data + "/snmp"};
    return loadNames(locations);
  }();
  return names;
}

struct SnmpRow {
  const char* row;
  const char* text;
  // The identifier dotted, with the arcs after the name; empty when the
  // name must give none.
  const char* identifier;
};

const SnmpRow SnmpRows[] = {
    {"imports_from_replaced_module_names", "OLD-STYLE-MIB::oldStyleCount", "1.3.6.1.2.1.4242.1"},
    {"label_of_a_cycle_resolved_where_it_is_defined", "LOOP-TWO-MIB::loopTwo",
     "1.3.6.1.2.1.4300.2"},
    {"cycle_that_never_resolves", "cycleA", ""},
    {"below_a_cycle", "cycleALeaf", ""},
    {"other_side_of_the_cycle", "cycleB", ""},
    {"smiv1_module_still_read", "RFC1213-MIB::sysDescr.0", "1.3.6.1.2.1.1.1.0"},
    {"first_of_two_labels", "SECOND-LABEL-MIB::firstLabel", "1.3.6.1.2.1.4343.1"},
    {"second_of_two_labels", "SECOND-LABEL-MIB::secondLabel", "1.3.6.1.2.1.4343.1"},
    {"under_a_root_arcs_label", "SECOND-LABEL-MIB::underCcitt", "0.38"},
    {"after_a_syntax_error", "SYNTAX-ERROR-MIB::errorRoot", "1.3.6.1.2.1.4344"},
    {"before_a_syntax_error_and_its_parent", "SYNTAX-ERROR-MIB::errorLeaf.0",
     "1.3.6.1.2.1.4344.2.1.0"},
    {"after_a_comment_ended_on_its_line", "SYNTAX-ERROR-MIB::afterComment", "1.3.6.1.2.1.4344.3"},
    {"value_right_after_a_string", "SYNTAX-ERROR-MIB::stringThenValue", "1.3.6.1.2.1.4344.4"},
    {"in_a_string", "inString", ""},
    {"in_a_comment", "commented", ""},
    {"parent_defined_nowhere", "orphan", ""},
};

class SnmpReading : public testing::TestWithParam<SnmpRow> {};

TEST_P(SnmpReading, GivesTheIdentifierNetSnmpGives) {
  const SnmpRow& row = GetParam();
  const NameReading reading = snmpDatabase().read(row.text);
  std::string found;
  for (const Name& name : reading.candidates) {
    addTo(found, name.dotted() + (reading.arcsBelow.empty() ? "" : "." + reading.arcsBelow));
  }
  EXPECT_EQ(found, row.identifier);
}

INSTANTIATE_TEST_SUITE_P(Names, SnmpReading, testing::ValuesIn(SnmpRows),
                         [](const auto& row) { return std::string(row.param.row); });

// Instances of table columns, by every kind of index INDEX-KINDS-MIB
// (tests/data/names/snmp-index) holds, as net-snmp writes and reads them.
const NameDatabase& indexDatabase() {
  static const NameDatabase names = [] {
    NameLocations locations;
    locations.nameReader = PELLAMAR_TEST_NAME_READER;
    locations.mibDirectories = {Data + "/snmp-index", Data + "/snmp"};
    return loadNames(locations);
  }();
  return names;
}

struct IndexedRow {
  const char* row;
  const char* name;
  const char* identifier;
};

const IndexedRow IndexedRows[] = {
    {"one_index_of_each_kind", "INDEX-KINDS-MIB::kindValue.high.\"ab\".'abcdef'.10.0.0.1.'x'",
     "1.3.6.1.2.1.4345.1.1.6.2.2.97.98.97.98.99.100.101.102.10.0.0.1.120"},
    {"unprintable_string_as_numbers", "INDEX-KINDS-MIB::kindValue.low.1.7.'abcdef'.10.0.0.1.'x'",
     "1.3.6.1.2.1.4345.1.1.6.1.1.7.97.98.99.100.101.102.10.0.0.1.120"},
    {"row_that_augments_another", "INDEX-KINDS-MIB::extraValue.low.\"\".'abcdef'.10.0.0.1.'xy'",
     "1.3.6.1.2.1.4345.2.1.1.1.0.97.98.99.100.101.102.10.0.0.1.120.121"},
    {"address_after_its_type", "INDEX-KINDS-MIB::hostUp.ipv4.\"10.0.0.1\"",
     "1.3.6.1.2.1.4345.3.1.3.1.4.10.0.0.1"},
    {"name_after_its_type", "INDEX-KINDS-MIB::hostUp.dns.\"a.example\"",
     "1.3.6.1.2.1.4345.3.1.3.16.9.97.46.101.120.97.109.112.108.101"},
    {"row_with_a_column_it_lacks", "INDEX-KINDS-MIB::hostEntry.9.unknown.\"\"",
     "1.3.6.1.2.1.4345.3.1.9.0.0"},
    {"index_column_itself", "INDEX-KINDS-MIB::hostAddress.ipv4.\"10.0.0.1\"",
     "1.3.6.1.2.1.4345.3.1.2.1.4.10.0.0.1"},
    {"scalar_has_no_index", "SNMPv2-MIB::sysDescr.0", "1.3.6.1.2.1.1.1.0"},
};

class IndexedInstances : public testing::TestWithParam<IndexedRow> {};

TEST_P(IndexedInstances, AreWrittenByTheirIndex) {
  Description description;
  indexDatabase().describe(identifierOf(GetParam().identifier), description);
  EXPECT_EQ(description.nearest.label(), GetParam().name);
}

TEST_P(IndexedInstances, AreReadBack) {
  const NameReading reading = indexDatabase().read(GetParam().name);
  ASSERT_EQ(reading.candidates.size(), 1U) << reading.instanceFault;
  EXPECT_EQ(reading.candidates.front().dotted() + "." + reading.arcsBelow, GetParam().identifier);
}

INSTANTIATE_TEST_SUITE_P(Names, IndexedInstances, testing::ValuesIn(IndexedRows),
                         [](const auto& row) { return std::string(row.param.row); });

// An arc of 16384 takes the octets 81 80 00: the arcs below a name that
// holds one are counted from its end all the same.
TEST(Naming, ArcsBelowANameWithAnOctetOf0x80) {
  NameDatabase names;
  const std::uint16_t source = names.addSource(SourceKind::UserNames, "wide.names");
  names.add(source, identifierOf("1.2.16384").octets(), "wideArc", "WIDE-MIB");
  names.finish();
  Description description;
  names.describe(identifierOf("1.2.16384.5"), description);
  EXPECT_EQ(description.nearest.label(), "WIDE-MIB::wideArc.5");
}

// A run of texts read into one reading, as a list of instances is: the
// name found for the first is reused only where no name spelled with a
// full stop could be meant.
TEST(NameReadingRuns, ReuseANameOnlyWhereNoDottedNameCouldBeMeant) {
  NameDatabase names;
  const std::uint16_t source = names.addSource(SourceKind::UserNames, "run.names");
  names.add(source, identifierOf("1.3.6.1.4.1.99999.20").octets(), "run", "RUN-MIB");
  names.add(source, identifierOf("1.3.6.1.4.1.99999.21").octets(), "run.7", "RUN-MIB");
  names.add(source, identifierOf("1.3.6.1.4.1.99999.22").octets(), "walk", "RUN-MIB");
  names.add(source, identifierOf("1.3.6.1.4.1.99999.23").octets(), "dotted", "A.B-MIB");
  names.finish();
  NameReading reading;
  std::string found;
  for (const char* text :
       {"RUN-MIB::run.5", "RUN-MIB::run.7", "RUN-MIB::run.8", "walk.1", "walk.2.3", "walk.x",
        "walk.4", "RUN-MIB::walk.5", "A.B-MIB::dotted", "A.B-MIB::dotted.6", "A.B-MIB::dotted.7"}) {
    names.read(text, reading);
    addTo(found, reading.candidates.empty()
                     ? "none"
                     : reading.candidates.front().dotted() +
                           (reading.arcsBelow.empty() ? "" : "." + reading.arcsBelow));
  }
  EXPECT_EQ(found,
            "1.3.6.1.4.1.99999.20.5 1.3.6.1.4.1.99999.21 1.3.6.1.4.1.99999.20.8 "
            "1.3.6.1.4.1.99999.22.1 1.3.6.1.4.1.99999.22.2.3 none 1.3.6.1.4.1.99999.22.4 "
            "1.3.6.1.4.1.99999.22.5 1.3.6.1.4.1.99999.23 1.3.6.1.4.1.99999.23.6 "
            "1.3.6.1.4.1.99999.23.7");
}

// snmptranslate -Of writes the path of names from the root, an instance
// after it.
TEST(IndexedInstances, AreReadAfterAFullPath) {
  const auto read = [](std::string_view text) {
    const NameReading reading = indexDatabase().read(text);
    return reading.candidates.size() == 1
               ? reading.candidates.front().dotted() + "." + reading.arcsBelow
               : reading.instanceFault;
  };
  EXPECT_EQ(read(".iso.org.dod.internet.mgmt.mib-2.indexKinds.hostTable.hostEntry.hostUp.ipv4."
                 "\"10.0.0.1\""),
            "1.3.6.1.2.1.4345.3.1.3.1.4.10.0.0.1");
  EXPECT_EQ(read("iso.org.dod.internet.mgmt.mib-2.indexKinds.hostTable.hostEntry.hostUp.dns.0"),
            "1.3.6.1.2.1.4345.3.1.3.16.0");
  EXPECT_EQ(read("iso.org.dod.internet.mgmt.mib-2.system.sysDescr.x"),
            "no instance of SNMPv2-MIB::sysDescr: it has no INDEX clause, so only numbers may "
            "follow it");
}

TEST(IndexedInstances, WhatDoesNotFitIsSaid) {
  const NameReading reading = indexDatabase().read("hostUp.ipv4.10.0.0.1x");
  EXPECT_TRUE(reading.candidates.empty());
  EXPECT_EQ(reading.instanceFault,
            "no instance of INDEX-KINDS-MIB::hostUp: \"1x\" stands where no index of the INDEX "
            "clause begins");
  EXPECT_EQ(indexDatabase().read("sysDescr.x").instanceFault,
            "no instance of SNMPv2-MIB::sysDescr: it has no INDEX clause, so only numbers may "
            "follow it");
}

TEST(SnmpModules, Smiv2ModuleNamesANodeFirst) {
  Description description;
  snmpDatabase().describe(identifierOf("1.3.6.1.2.1.1.1.0"), description);
  EXPECT_EQ(description.nearest.label(), "SNMPv2-MIB::sysDescr.0");
}

TEST(SnmpModules, NothingIsFiledUnderTheStandInForUnresolvedLabels) {
  std::size_t mibNames = 0;
  for (const Name& name : snmpDatabase().matching("*")) {
    if (name.source->kind == SourceKind::SnmpMib) {
      ++mibNames;
      // Only underCcitt is defined under ccitt (0).
      EXPECT_EQ(name.dotted().starts_with("0."), name.name == "underCcitt")
          << name.qualified() << " " << name.dotted();
      // The stand-ins for old module names give no names of their own.
      EXPECT_NE(name.module, "RFC-1213") << name.qualified();
      EXPECT_TRUE(name.source->path.starts_with(Data)) << name.source->path;
    }
  }
  EXPECT_GT(mibNames, 10U);
}

TEST(SnmpModules, ModulesThatCannotBeReadWholeAreReportedOnce) {
  std::vector<std::string> warnings = snmpDatabase().warnings();
  std::sort(warnings.begin(), warnings.end());
  ASSERT_EQ(warnings.size(), 5U);
  // Under AddressSanitizer the crash is reported as the status it exits with.
  EXPECT_TRUE(warnings[0].starts_with(Data + "/snmp/CRASH-TC: libsmi ")) << warnings[0];
  EXPECT_TRUE(warnings[0].ends_with(" reading it; its names are left out")) << warnings[0];
  EXPECT_EQ(warnings[1], Data +
                             "/snmp/CYCLE-A-MIB: the 2 names under cycleB are left out, as no "
                             "module read resolves it");
  EXPECT_EQ(warnings[2], Data +
                             "/snmp/CYCLE-B-MIB: the name under cycleA is left out, as no module "
                             "read resolves it");
  // The first fault libsmi met, and what the module lost, in one warning.
  EXPECT_EQ(warnings[3], Data +
                             "/snmp/MISSING-MANY-MIB:6: failed to locate MIB module `ABSENT-MIB'; "
                             "the name under absentOne is left out, as no module read resolves it");
  EXPECT_EQ(warnings[4], Data +
                             "/snmp/SYNTAX-ERROR-MIB:16: syntax error, unexpected "
                             "LOWERCASE_IDENTIFIER, expecting OBJECT; the other names are used");
}

TEST(ChildReading, ProgressKeepsAPathCutToItsRoom) {
  ReadingProgress progress;
  EXPECT_EQ(progress.current(), "");
  progress.reading(std::string(5000, 'x'));
  EXPECT_EQ(progress.current(), std::string(4095, 'x'));
  progress.reading("short.mib");
  EXPECT_EQ(progress.current(), "short.mib");
}

TEST(SnmpModules, OldModuleNamesStandInOnlyWhereNoFileHasThem) {
  // The folder goes where TMPDIR says.
  const std::string temporary = std::filesystem::temp_directory_path() / "pellamar-tmpdir-test";
  std::filesystem::create_directories(temporary);
  const char* earlier = std::getenv("TMPDIR");
  const std::optional<std::string> saved =
      earlier != nullptr ? std::optional<std::string>(earlier) : std::nullopt;
  setenv("TMPDIR", temporary.c_str(), 1);
  const std::string folder = [&temporary] {
    const OldModuleNames oldNames({Data + "/snmp"});
    EXPECT_TRUE(oldNames.directory().starts_with(temporary + "/pellamar-mibs-"))
        << oldNames.directory();
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(oldNames.directory())) {
      written.push_back(entry.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    std::string list;
    for (const std::string& name : written) {
      addTo(list, name);
    }
    // RFC1066-MIB is RFC1156-MIB, which is RFC1158-MIB, which is RFC1213-MIB;
    // RFC1065-SMI is RFC1155-SMI, which is SNMPv2-SMI.
    EXPECT_EQ(list,
              "RFC-1212 RFC-1213 RFC1065-SMI RFC1066-MIB RFC1155-SMI RFC1156-MIB RFC1158-MIB "
              "RFC1212");
    // The module's text under the old name, what comes before it kept.
    std::ifstream renamed(oldNames.directory() + "/RFC1066-MIB");
    std::string comment;
    std::string first;
    std::getline(renamed, comment);
    std::getline(renamed, first);
    EXPECT_EQ(comment, "-- A small stand-in for RFC 1213's module, as SMIv1 writes it.");
    EXPECT_EQ(first, "RFC1066-MIB DEFINITIONS ::= BEGIN");
    return oldNames.directory();
  }();
  if (saved) {
    setenv("TMPDIR", saved->c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
  std::filesystem::remove_all(temporary);
}

struct ChildRow {
  const char* row;
  // What the reader does after saying it reads "first.mib".
  void (*read)(NameDatabase&);
  // The fault's reason, empty when the names are handed over.
  const char* reason;
};

void addsOneName(NameDatabase& names) {
  const std::uint16_t source = names.addSource(SourceKind::SnmpMib, "first.mib");
  names.add(source, identifierOf("1.3.6.1.4.1.99999.7").octets(), "handedOver", "CHILD-MIB",
            "a description");
  names.addWarning("first.mib:3: a warning from the child");
}

const ChildRow ChildRows[] = {
    {"hands_over_sources_names_and_warnings", addsOneName, ""},
    {"crash", [](NameDatabase&) { std::abort(); }, "crashed (Aborted)"},
    {"hang", [](NameDatabase&) { std::this_thread::sleep_for(std::chrono::seconds(30)); },
     "took longer than 1 second"},
    {"throws", [](NameDatabase&) { throw std::length_error("too many names"); },
     "ran out of memory or met an internal error"},
    {"exits", [](NameDatabase&) { _exit(3); }, "ended with status 3"},
};

class ChildReading : public testing::TestWithParam<ChildRow> {};

TEST_P(ChildReading, CostsOnlyTheChild) {
  const ChildRow& row = GetParam();
  NameDatabase names;
  names.addSource(SourceKind::UserNames, "earlier.names");
  const auto started = std::chrono::steady_clock::now();
  const auto fault = readInChild(
      names,
      [&row](NameDatabase& part, ReadingProgress& progress) {
        progress.reading("first.mib");
        row.read(part);
      },
      std::chrono::seconds(1));
  // A child past its limit is stopped, not waited for.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  if (std::string_view(row.reason).empty()) {
    ASSERT_FALSE(fault) << fault->reason;
    ASSERT_EQ(names.sources().size(), 2U);
    EXPECT_EQ(names.sources()[1].path, "first.mib");
    EXPECT_EQ(names.sources()[1].names, 1U);
    EXPECT_EQ(names.warnings(), std::vector<std::string>{"first.mib:3: a warning from the child"});
    names.finish();
    const auto found = names.namesOf(identifierOf("1.3.6.1.4.1.99999.7").octets());
    ASSERT_EQ(found.size(), 1U);
    EXPECT_EQ(found[0].qualified(), "CHILD-MIB::handedOver");
    EXPECT_EQ(found[0].description, "a description");
    return;
  }
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->file, "first.mib");
  EXPECT_EQ(fault->reason, row.reason);
  EXPECT_EQ(names.sources().size(), 1U);
  EXPECT_TRUE(names.warnings().empty());
}

INSTANTIATE_TEST_SUITE_P(Names, ChildReading, testing::ValuesIn(ChildRows),
                         [](const auto& row) { return std::string(row.param.row); });

// The name reader run as a program: what it hands over, and what a
// program that fails costs. A script stands in for a reader that crashes
// after naming its file through the progress page it is given.
struct ReaderRow {
  const char* row;
  std::string program;
  std::vector<std::string> arguments;
  const char* file;
  const char* reason;
  // The same source read in this process, for a reading that succeeds.
  void (*inProcess)(NameDatabase&) = nullptr;
  // Run from a program started with its standard input closed, where the
  // pipes take the lowest descriptor, 0.
  bool withoutStandardInput = false;
};

const ReaderRow ReaderRows[] = {
    {"reads_a_schema",
     PELLAMAR_TEST_NAME_READER,
     {"ldap", Data + "/ldap/test.schema"},
     "",
     "",
     [](NameDatabase& names) { readLdapSchema(names, Data + "/ldap/test.schema"); }},
    {"reads_openssl", PELLAMAR_TEST_NAME_READER, {"openssl"}, "", "", addOpenSslNames},
    {"missing", Data + "/no-such-reader", {"ldap"}, "", "could not be run"},
    {"misused", PELLAMAR_TEST_NAME_READER, {"nothing"}, "", "ended with status 2"},
    {"openssl_with_files", PELLAMAR_TEST_NAME_READER, {"openssl", "x"}, "", "ended with status 2"},
    {"mibs_option_without_value",
     PELLAMAR_TEST_NAME_READER,
     {"mibs", "--directory"},
     "",
     "ended with status 2"},
    {"writes_no_table", "/bin/echo", {"ldap"}, "", "handed over a damaged table"},
    {"crashes_on_a_file",
     "crashing-reader",
     {"ldap", "blamed.schema"},
     "blamed.schema",
     "crashed (Segmentation fault)"},
    {"crashes_with_standard_input_closed",
     "crashing-reader",
     {"ldap", "blamed.schema"},
     "blamed.schema",
     "crashed (Segmentation fault)",
     nullptr,
     true},
};

class NameReaderProgram : public testing::TestWithParam<ReaderRow> {};

TEST_P(NameReaderProgram, HandsOverOrIsBlamed) {
  const ReaderRow& row = GetParam();
  if (row.withoutStandardInput) {
    ::close(STDIN_FILENO);
  }
  std::string program = row.program;
  const std::filesystem::path script =
      std::filesystem::temp_directory_path() / ("pellamar-reader-" + std::to_string(::getpid()));
  if (program == "crashing-reader") {
    // "--progress-fd N ldap FILE": FILE into the page, then a crash.
    std::ofstream(script) << "#!/bin/sh\nprintf '%s\\0' \"$4\" >/proc/self/fd/$2\nkill -SEGV $$\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    program = script.string();
  }
  NameDatabase names;
  const auto fault = runReader(names, program, row.arguments, std::chrono::seconds(20));
  std::filesystem::remove(script);
  if (row.inProcess != nullptr) {
    ASSERT_FALSE(fault) << fault->reason;
    NameDatabase expected;
    row.inProcess(expected);
    EXPECT_EQ(names.exportAdded(), expected.exportAdded());
    EXPECT_GT(names.sources().at(0).names, 0U);
    return;
  }
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->file, row.file);
  EXPECT_EQ(fault->reason, row.reason);
  EXPECT_TRUE(names.sources().empty());
}

INSTANTIATE_TEST_SUITE_P(Names, NameReaderProgram, testing::ValuesIn(ReaderRows),
                         [](const auto& row) { return std::string(row.param.row); });

TEST(NameSources, WithoutTheirReaderAreLeftOutWithOneWarning) {
  NameLocations locations = testLocations();
  locations.nameReader = Data + "/no-such-reader";
  const NameDatabase names = loadNames(locations);
  const auto& warnings = names.warnings();
  EXPECT_EQ(std::count_if(warnings.begin(), warnings.end(),
                          [](const std::string& warning) {
                            return warning.find("cannot run") != std::string::npos;
                          }),
            1);
  EXPECT_NE(std::find(warnings.begin(), warnings.end(),
                      "cannot run " + Data +
                          "/no-such-reader: No such file or directory; OpenSSL's names and those "
                          "of MIB modules and LDAP schemas are left out"),
            warnings.end());
  EXPECT_TRUE(names.read("rsaEncryption").candidates.empty());
  EXPECT_TRUE(names.read("IF-MIB::ifDescr").candidates.empty());
  EXPECT_FALSE(names.read("myProduct").candidates.empty());
}

TEST(ChildReading, RefusesAHandOverThatIsNotWhole) {
  NameDatabase part;
  addsOneName(part);
  const std::string exported = part.exportAdded();
  NameDatabase names;
  EXPECT_TRUE(names.addExported(exported));
  for (std::size_t cut = 0; cut < exported.size(); ++cut) {
    NameDatabase other;
    EXPECT_FALSE(other.addExported(std::string_view(exported).substr(0, cut))) << cut;
    EXPECT_TRUE(other.sources().empty());
  }
  EXPECT_FALSE(NameDatabase().addExported(exported + "x"));
}

// A handed-over table is sealed by no checksum: each field is checked as
// it is read.
TEST(ChildReading, RefusesAHandOverOfAnUnknownKindOrOfNoIdentifier) {
  NameDatabase part;
  addsOneName(part);
  const std::string exported = part.exportAdded();
  // The number of sources, then the first one's kind.
  constexpr std::size_t Kind = 8;
  for (const char kind : {char{6}, char{7}}) {
    std::string changed = exported;
    changed[Kind] = kind;
    // The last kind there is, and one past it.
    EXPECT_EQ(NameDatabase().addExported(changed), kind == 6) << int{kind};
  }
  // 1.3.6.1.4.1.99999.7 with its last octet made to continue.
  const std::string contents = "\x2B\x06\x01\x04\x01\x86\x8D\x1F\x07";
  const std::size_t at = exported.find(contents);
  ASSERT_NE(at, std::string::npos);
  std::string cut = exported;
  cut[at + contents.size() - 1] = '\x87';
  EXPECT_FALSE(NameDatabase().addExported(cut));
  // Names are text, not octets of an identifier: one may end in any octet.
  NameDatabase accented;
  accented.add(accented.addSource(SourceKind::UserNames, "mine.names"),
               identifierOf("1.3.6.1.4.1.99999.7").octets(), "caf\xC3\xA9");
  EXPECT_TRUE(NameDatabase().addExported(accented.exportAdded()));
}

// A web page shows no SNMP object's description, and holds the others.
TEST(ChildReading, LeavesOutMibDescriptionsWhenAsked) {
  NameDatabase part;
  addsOneName(part);
  part.add(part.addSource(SourceKind::LdapSchema, "core.schema"), identifierOf("2.5.4.3").octets(),
           "cn", "", "common name");
  for (const auto& [kept, mibDescription] :
       {std::pair{NameDatabase::MibDescriptions::Kept, "a description"},
        std::pair{NameDatabase::MibDescriptions::LeftOut, ""}}) {
    NameDatabase names;
    ASSERT_TRUE(names.addExported(part.exportAdded(kept)));
    names.finish();
    EXPECT_EQ(names.namesOf(identifierOf("1.3.6.1.4.1.99999.7").octets()).at(0).description,
              mibDescription);
    EXPECT_EQ(names.namesOf(identifierOf("2.5.4.3").octets()).at(0).description, "common name");
  }
}

TEST(ChildReading, TakesSourcesUpToTheLastNumberOneCanHave) {
  NameDatabase part;
  for (std::size_t source = 0; source < UINT16_MAX; ++source) {
    part.addSource(SourceKind::SnmpMib, "m");
  }
  EXPECT_THROW(part.addSource(SourceKind::SnmpMib, "one too many"), std::length_error);
  const std::string exported = part.exportAdded();
  EXPECT_TRUE(NameDatabase().addExported(exported));
  NameDatabase withOne;
  withOne.addSource(SourceKind::UserNames, "mine.names");
  EXPECT_FALSE(withOne.addExported(exported));
}

// A names file a web page is given is read from memory, under its name.
TEST(NamesFile, ReadsOneHeldInMemory) {
  NameDatabase names;
  std::istringstream file("# mine\n1.3.6.1.4.1.99999.1 myObject what it is\nnot a line\n");
  readNamesFile(names, SourceKind::UserNames, "held.names", file);
  names.finish();
  ASSERT_EQ(names.sources().size(), 1U);
  EXPECT_EQ(names.sources()[0].path, "held.names");
  EXPECT_EQ(names.sources()[0].names, 1U);
  const auto named = names.namesOf(identifierOf("1.3.6.1.4.1.99999.1").octets());
  ASSERT_EQ(named.size(), 1U);
  EXPECT_EQ(named[0].name, "myObject");
  EXPECT_EQ(named[0].description, "what it is");
  EXPECT_EQ(names.warnings(),
            std::vector<std::string>{
                "held.names:3: not an identifier followed by a name; the other names are used"});
}

// A names file that cannot be opened is still a source, with no names and
// a warning that says so.
TEST(NamesFile, OneThatCannotBeOpenedIsSaid) {
  NameDatabase names;
  readNamesFile(names, SourceKind::UserNames, "/nonexistent/mine.names");
  ASSERT_EQ(names.sources().size(), 1U);
  EXPECT_EQ(names.sources()[0].path, "/nonexistent/mine.names");
  EXPECT_EQ(names.sources()[0].names, 0U);
  EXPECT_EQ(names.warnings(), std::vector<std::string>{"/nonexistent/mine.names: cannot be read; "
                                                       "its names are left out"});
}

// Texts are kept on one line, trimmed, each run of blanks and controls one
// blank; a text already so is kept as it is.
struct OneLineCase {
  const char* name;
  std::string text;
  std::string kept;
};

class OneLineTest : public testing::TestWithParam<OneLineCase> {};

TEST_P(OneLineTest, KeepsTheTextOnOneLine) {
  NameDatabase names;
  const auto source = names.addSource(SourceKind::UserNames, "mine.names");
  const auto identifier = identifierOf("1.3.6.1.4.1.99999.1");
  names.add(source, identifier.octets(), "name", "", GetParam().text);
  names.finish();
  EXPECT_EQ(names.namesOf(identifier.octets()).at(0).description, GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(Texts, OneLineTest,
                         testing::Values(OneLineCase{"AlreadyOnOneLine", "a b c", "a b c"},
                                         OneLineCase{"LeadingBlank", " a b", "a b"},
                                         OneLineCase{"TrailingBlank", "a b ", "a b"},
                                         OneLineCase{"TwoBlanks", "a  b", "a b"},
                                         OneLineCase{"Tab", "a\tb", "a b"},
                                         OneLineCase{"BlankThenLineBreak", "a \r\nb", "a b"},
                                         OneLineCase{"Escape", "a\x1B[2Jb", "a [2Jb"},
                                         OneLineCase{"Delete", "a\x7F", "a"},
                                         OneLineCase{"OnlyBlanks", " \t ", ""},
                                         OneLineCase{"Letter", "caf\xC3\xA9", "caf\xC3\xA9"}),
                         pellamar::rowName<OneLineCase>);

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
  locations.nameReader = PELLAMAR_TEST_NAME_READER;
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
  EXPECT_EQ(database().save((directory_ / "no such folder" / "names.cache").string(), "x"),
            std::errc::no_such_file_or_directory);
  const mode_t mask = ::umask(022);
  ASSERT_FALSE(database().save(path, "fingerprint"));
  ::umask(mask);
  // Like any file of the user's: it holds nothing secret.
  using std::filesystem::perms;
  EXPECT_EQ(std::filesystem::status(path).permissions(),
            perms::owner_read | perms::owner_write | perms::group_read | perms::others_read);
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
    ASSERT_FALSE(database().save(path, "fingerprint"));
  }
}

TEST_F(NameCache, RefusesACacheOfAnotherVersion) {
  const std::string path = (directory_ / "names.cache").string();
  ASSERT_FALSE(database().save(path, "fingerprint"));
  std::string cache;
  {
    std::ifstream file(path, std::ios::binary);
    cache.assign(std::istreambuf_iterator<char>(file), {});
  }
  ASSERT_TRUE(cache.starts_with(CacheMagic));
  // The version before, its body and checksum whole.
  cache[CacheMagic.size() - 2] = static_cast<char>(cache[CacheMagic.size() - 2] - 1);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << cache;
  NameDatabase loaded;
  EXPECT_FALSE(loaded.load(path, "fingerprint"));
}

TEST_F(NameCache, IsUsedByAProgramStartedWithItsStandardInputClosed) {
  const std::string path = (directory_ / "names.cache").string();
  ASSERT_FALSE(database().save(path, "fingerprint"));
  ::close(STDIN_FILENO);
  NameDatabase loaded;
  EXPECT_TRUE(loaded.load(path, "fingerprint"));
}

TEST_F(NameCache, IsRebuiltWhenItsBodyWasChanged) {
  const std::string names = (directory_ / "mine.names").string();
  std::ofstream(names) << "1.3.6.1.4.1.99999.9 rsaEncryption\n";
  NameLocations locations;
  locations.nameReader = PELLAMAR_TEST_NAME_READER;
  locations.namesFiles = {names};
  locations.cacheFile = (directory_ / "names.cache").string();
  loadNames(locations);
  // One letter changed in place: the same size and time, as an editor or
  // a damaged disk leaves it.
  const auto written = std::filesystem::last_write_time(locations.cacheFile);
  {
    std::fstream cache(locations.cacheFile, std::ios::in | std::ios::out | std::ios::binary);
    const std::string body((std::istreambuf_iterator<char>(cache)), {});
    const std::size_t at = body.find("rsaEncryption");
    ASSERT_NE(at, std::string::npos);
    cache.seekp(static_cast<std::streamoff>(at + 12));
    cache.put('X');
  }
  std::filesystem::last_write_time(locations.cacheFile, written);
  const NameDatabase loaded = loadNames(locations);
  EXPECT_FALSE(loaded.cached());
  const auto found = loaded.namesOf(identifierOf("1.3.6.1.4.1.99999.9").octets());
  ASSERT_EQ(found.size(), 1U);
  EXPECT_EQ(found.front().name, "rsaEncryption");
}

TEST_F(NameCache, RefusesAKindOfSourceItDoesNotKnowEvenWhenSealed) {
  const std::string path = (directory_ / "names.cache").string();
  ASSERT_FALSE(database().save(path, "fingerprint"));
  std::string cache;
  {
    std::ifstream file(path, std::ios::binary);
    cache.assign(std::istreambuf_iterator<char>(file), {});
  }
  // The first line, the checksum, the fingerprint's length and text, the
  // number of sources: then the first source's kind.
  const std::size_t magic = cache.find('\n') + 1;
  const std::size_t kind = magic + 8 + 8 + std::string_view("fingerprint").size() + 8;
  for (const char value : {char{6}, char{7}}) {
    cache[kind] = value;
    const std::uint64_t checksum = cacheChecksum(std::string_view(cache).substr(magic + 8));
    std::memcpy(cache.data() + magic, &checksum, sizeof checksum);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << cache;
    NameDatabase loaded;
    // The last kind there is, and one past it.
    EXPECT_EQ(loaded.load(path, "fingerprint"), value == 6) << int{value};
  }
}

// Where a cache's tables start, read as the loader reads them, so that a
// test can change one field of one record and seal the cache again.
struct CacheLayout {
  std::size_t bodyStart = 0;
  std::uint64_t sources = 0;
  // Each table's first octet and its number of elements, in file order:
  // records, entries, slots, filter, name keys, buckets, dotted filter,
  // text.
  std::array<std::pair<std::size_t, std::uint64_t>, 8> tables{};
};

// The size of an element of each table, in the same order.
constexpr std::array<std::size_t, 8> CacheElementSizes = {44, 64, 8, 8, 16, 4, 8, 1};

CacheLayout layoutOf(const std::string& cache) {
  CacheLayout layout;
  std::size_t at = cache.find('\n') + 1;
  layout.bodyStart = at + 8;
  const auto value = [&cache, &at] {
    std::uint64_t read = 0;
    std::memcpy(&read, cache.data() + at, sizeof read);
    at += sizeof read;
    return read;
  };
  const auto skipText = [&] { at += value(); };
  at = layout.bodyStart;
  skipText();  // the fingerprint
  layout.sources = value();
  for (std::uint64_t source = 0; source < layout.sources; ++source) {
    at += 1;  // its kind
    value();  // its number of names
    skipText();
  }
  for (std::uint64_t warnings = value(); warnings > 0; --warnings) {
    skipText();
  }
  for (std::size_t table = 0; table < CacheElementSizes.size(); ++table) {
    const std::uint64_t count = value();
    at += (8 - at % 8) % 8;
    layout.tables[table] = {at, count};
    at += count * CacheElementSizes[table];
  }
  EXPECT_EQ(at, cache.size());
  return layout;
}

enum CacheTable { Records, Entries, Slots, NameKeys = 4, Text = 7 };

struct CraftedRow {
  const char* row;
  CacheTable table;
  // Which element: the first, or counted back from the end when negative.
  int element;
  std::size_t fieldOffset;
  std::size_t fieldSize;
  // The value written, given how many sources, records, entries and text
  // octets the cache holds.
  std::uint64_t (*value)(const CacheLayout&);
  bool loads;
};

std::uint64_t countOf(const CacheLayout& layout, CacheTable table) {
  return layout.tables[table].second;
}

class CraftedCaches : public testing::TestWithParam<CraftedRow> {};

// A cache altered by hand and sealed with a matching checksum: each field
// that leads a lookup to another table is kept within it. The offsets are
// those of the records' and entries' fields.
TEST_P(CraftedCaches, AreRefusedWhereAFieldLeadsOutOfItsTable) {
  const CraftedRow& row = GetParam();
  const auto directory =
      std::filesystem::temp_directory_path() / ("pellamar-crafted-" + std::to_string(::getpid()));
  std::filesystem::create_directories(directory);
  const std::string path = (directory / "names.cache").string();
  ASSERT_FALSE(database().save(path, "fingerprint"));
  std::string cache;
  {
    std::ifstream file(path, std::ios::binary);
    cache.assign(std::istreambuf_iterator<char>(file), {});
  }
  const CacheLayout layout = layoutOf(cache);
  const auto [start, count] = layout.tables[row.table];
  ASSERT_GT(count, 2U);
  const std::uint64_t element = row.element >= 0 ? static_cast<std::uint64_t>(row.element)
                                                 : count - static_cast<std::uint64_t>(-row.element);
  const std::uint64_t value = row.value(layout);
  std::memcpy(cache.data() + start + element * CacheElementSizes[row.table] + row.fieldOffset,
              &value, row.fieldSize);
  const std::uint64_t checksum = cacheChecksum(std::string_view(cache).substr(layout.bodyStart));
  std::memcpy(cache.data() + layout.bodyStart - 8, &checksum, sizeof checksum);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << cache;
  NameDatabase loaded;
  EXPECT_EQ(loaded.load(path, "fingerprint"), row.loads);
  // What loads is used without a fault: every name described.
  Description description;
  for (const Name& name : loaded.matching("*")) {
    pellamar::ObjectIdentifier identifier;
    if (!pellamar::ObjectIdentifier::fromContents(name.contents, identifier)) {
      loaded.describe(identifier, description);
    }
  }
  std::filesystem::remove_all(directory);
}

// Record: contents, name, module, description, indexes (offset and size
// each), source. Entry: contents, arcs, first, count, nearest, owner,
// parent. A name key: its hash, then its record.
INSTANTIATE_TEST_SUITE_P(
    NameCache, CraftedCaches,
    testing::Values(CraftedRow{"record_source_last", Records, 0, 40, 2,
                               [](const CacheLayout& l) { return l.sources - 1; }, true},
                    CraftedRow{"record_source_one_past", Records, 0, 40, 2,
                               [](const CacheLayout& l) { return l.sources; }, false},
                    CraftedRow{"record_name_ending_at_the_text_end", Records, -1, 8, 8,
                               [](const CacheLayout& l) {
                                 return countOf(l, Text) - 1 + (std::uint64_t{1} << 32U);
                               },
                               true},
                    CraftedRow{"record_name_one_past_the_text", Records, -1, 8, 8,
                               [](const CacheLayout& l) {
                                 return countOf(l, Text) - 1 + (std::uint64_t{2} << 32U);
                               },
                               false},
                    CraftedRow{"record_indexes_empty_at_the_text_end", Records, 1, 32, 8,
                               [](const CacheLayout& l) { return countOf(l, Text); }, true},
                    CraftedRow{"record_description_past_the_text", Records, 1, 24, 4,
                               [](const CacheLayout& l) { return countOf(l, Text) + 1; }, false},
                    CraftedRow{"record_indexes_past_the_text", Records, 1, 32, 4,
                               [](const CacheLayout& l) { return countOf(l, Text) + 1; }, false},
                    CraftedRow{"entry_arcs_past_the_text", Entries, 0, 8, 4,
                               [](const CacheLayout& l) { return countOf(l, Text) + 1; }, false},
                    CraftedRow{"entry_records_to_the_last", Entries, 0, 16, 8,
                               [](const CacheLayout& l) {
                                 return countOf(l, Records) - 1 + (std::uint64_t{1} << 32U);
                               },
                               true},
                    CraftedRow{"entry_records_one_past_the_last", Entries, 0, 16, 8,
                               [](const CacheLayout& l) {
                                 return countOf(l, Records) - 1 + (std::uint64_t{2} << 32U);
                               },
                               false},
                    CraftedRow{"entry_nearest_the_last", Entries, 0, 24, 4,
                               [](const CacheLayout& l) { return countOf(l, Entries) - 1; }, true},
                    CraftedRow{"entry_nearest_one_past", Entries, 0, 24, 4,
                               [](const CacheLayout& l) { return countOf(l, Entries); }, false},
                    CraftedRow{"entry_owner_one_past", Entries, 1, 28, 4,
                               [](const CacheLayout& l) { return countOf(l, Entries); }, false},
                    CraftedRow{"entry_parent_one_past", Entries, -1, 32, 4,
                               [](const CacheLayout& l) { return countOf(l, Entries); }, false},
                    // A loop of parents: a path ends all the same.
                    CraftedRow{"entry_its_own_parent", Entries, -1, 32, 4,
                               [](const CacheLayout& l) { return countOf(l, Entries) - 1; }, true},
                    CraftedRow{"name_key_record_one_past", NameKeys, 0, 8, 4,
                               [](const CacheLayout& l) { return countOf(l, Records); }, false},
                    CraftedRow{"slot_entry_one_past", Slots, -1, 0, 4,
                               [](const CacheLayout& l) { return countOf(l, Entries) + 1; },
                               false}),
    [](const auto& row) { return std::string(row.param.row); });

TEST_F(NameCache, ThatCannotBeWrittenIsSaidOnce) {
  std::ofstream(directory_ / "file") << "not a folder\n";
  NameLocations locations;
  locations.nameReader = PELLAMAR_TEST_NAME_READER;
  locations.cacheFile = (directory_ / "file" / "names.cache").string();
  const NameDatabase loaded = loadNames(locations);
  EXPECT_EQ(loaded.warnings(),
            std::vector<std::string>{"cannot write the names cache " + locations.cacheFile +
                                     ": Not a directory; every run reads the sources again"});
}

}  // namespace
