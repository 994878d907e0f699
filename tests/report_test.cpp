// The records of a scan and of the names command through every printer,
// with text from outside (file names, PEM labels, names, descriptions)
// that would control a terminal or split a line: each row's exact output,
// and for every printer, that nothing unescaped reaches people or fields
// and that every JSON line is valid.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "json_lines.hpp"
#include "name_listing.hpp"
#include "output_block.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/visible_text.hpp"
#include "scan_report.hpp"
#include "test_support.hpp"

namespace pellamar {

using namespace names;
namespace {

constexpr std::string_view Named = "1.3.6.1.4.1.99999.3";

ObjectIdentifier identifierOf(std::string_view dotted) {
  ObjectIdentifier identifier;
  EXPECT_FALSE(readDotted(dotted, identifier));
  return identifier;
}

class FixedNames final : public NameLookup {
 public:
  FixedNames(const std::string& path, std::string_view name, std::string_view description) {
    const auto source = database_.addSource(SourceKind::UserNames, path);
    database_.add(source, identifierOf(Named).octets(), name, {}, description);
    database_.finish();
  }
  const NameDatabase& database() override { return database_; }

 private:
  NameDatabase database_;
};

class Transcript final : public ScanOutput {
 public:
  void write(std::string_view lines) override { text.append(lines); }
  void fault(const std::string& message) override { faults.push_back(message); }
  std::string text;
  std::vector<std::string> faults;
};

struct ReportCase {
  const char* name;
  std::string file;
  std::string label;
  std::string nameText;
  std::string description;
  // A scan of one identifier in block 1, for people, as fields and as JSON.
  std::string human;
  std::string tsv;
  std::string json;
};

std::string scanned(const ReportCase& row, OutputFormat format, bool count = false) {
  FixedNames names(row.file, row.nameText, row.description);
  Transcript transcript;
  ScanReport report({format, count, false}, names, transcript);
  report.startFile(row.file);
  report.blockStarted(1, row.label);
  FoundIdentifier found;
  found.offset = 5;
  found.depth = 1;
  found.contents = identifierOf(Named);
  found.hasWithin = true;
  found.within = identifierOf(Named);
  report.found(found);
  report.writeCounts();
  return transcript.text;
}

std::string listed(const ReportCase& row, OutputFormat format) {
  FixedNames names(row.file, row.nameText, row.description);
  std::string lines;
  for (const Name& name : names.database().namesOf(identifierOf(Named).octets())) {
    appendNameLine(lines, name, format);
  }
  appendSourceLines(lines, names.database(), format);
  return lines;
}

using checks::isJsonObject;

std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end - at));
    at = end == std::string_view::npos ? text.size() : end + 1;
  }
  return lines;
}

// Nothing but tabs between fields, and those `tabs` a line.
void expectSafeLines(std::string_view text, std::size_t tabs) {
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.back(), '\n');
  for (std::string_view line : linesOf(text)) {
    EXPECT_EQ(static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')), tabs) << line;
    std::string withoutTabs(line);
    std::erase(withoutTabs, '\t');
    EXPECT_EQ(firstEscaped(withoutTabs), withoutTabs.size()) << line;
  }
}

class ReportTest : public testing::TestWithParam<ReportCase> {};

TEST_P(ReportTest, WritesAScanForEachReader) {
  EXPECT_EQ(scanned(GetParam(), OutputFormat::Human), GetParam().human);
  EXPECT_EQ(scanned(GetParam(), OutputFormat::Tsv), GetParam().tsv);
  EXPECT_EQ(scanned(GetParam(), OutputFormat::Json), GetParam().json);
}

TEST_P(ReportTest, NothingUnescapedReachesPeopleOrFields) {
  const ReportCase& row = GetParam();
  expectSafeLines(scanned(row, OutputFormat::Human), 0);
  expectSafeLines(scanned(row, OutputFormat::Tsv), 10);
  expectSafeLines(scanned(row, OutputFormat::Human, true), 0);
  expectSafeLines(scanned(row, OutputFormat::Tsv, true), 3);
  const std::string names = listed(row, OutputFormat::Human);
  expectSafeLines(names, 0);
  const std::string fields = listed(row, OutputFormat::Tsv);
  const auto lines = linesOf(fields);
  ASSERT_EQ(lines.size(), 2U);
  expectSafeLines(std::string(lines[0]) + '\n', 4);
  expectSafeLines(std::string(lines[1]) + '\n', 2);
}

TEST_P(ReportTest, EveryJsonLineIsValid) {
  const ReportCase& row = GetParam();
  for (const std::string& text :
       {scanned(row, OutputFormat::Json), scanned(row, OutputFormat::Json, true),
        listed(row, OutputFormat::Json)}) {
    for (const std::string_view line : linesOf(text)) {
      EXPECT_TRUE(isJsonObject(line)) << line;
    }
  }
}

TEST_P(ReportTest, FaultsNameTheFileAsGiven) {
  const ReportCase& row = GetParam();
  FixedNames names(row.file, row.nameText, row.description);
  Transcript transcript;
  ScanReport report({}, names, transcript);
  report.startFile(row.file);
  report.blockStarted(2, row.label);
  report.fault(ScanFault(ScanFaultCode::EndsInsideElement, 12));
  report.textFault(3, 7, "the end");
  EXPECT_FALSE(report.faultFree());
  ASSERT_EQ(transcript.faults.size(), 2U);
  EXPECT_EQ(transcript.faults[0],
            row.file + ": block 2, offset 12: the input ends inside the element that starts here");
  EXPECT_EQ(transcript.faults[1], row.file + ":3:7: the end");
}

const std::string Dotted(Named);

// A block that collects what it writes (a web page's) keeps every line in
// order, those written out when the block filled and those flushed after.
TEST(OutputBlock, CollectsWhatItWrites) {
  std::string collected;
  OutputBlock output(collected);
  const std::string line = std::string(999, 'x') + "\n";
  std::string expected;
  while (expected.size() <= OutputBlock::BlockSize + (std::size_t{1} << 16)) {
    output.append(line);
    expected += line;
  }
  EXPECT_FALSE(collected.empty());
  EXPECT_LT(collected.size(), expected.size());
  output.flush();
  EXPECT_EQ(collected, expected);
  output.flush();
  EXPECT_EQ(collected, expected);
}

// The names command's lines for one name of a names file, and its sources,
// with the kinds not found and what gives each.
TEST(NameListing, WritesEachReadersLines) {
  const ReportCase plain{"Plain", "our.names", "", "ourName", "Ours.", "", "", ""};
  EXPECT_EQ(listed(plain, OutputFormat::Human),
            Dotted +
                " ourName (names file)\n"
                "names file                 1 names  our.names\n"
                "OpenSSL                 none found: OpenSSL's library always has them\n"
                "dumpasn1                none found: install Debian's dumpasn1 package\n"
                "SNMP MIB                none found: install Debian's snmp-mibs-downloader "
                "package (non-free), or put modules in ~/.snmp/mibs\n"
                "LDAP schema             none found: install Debian's slapd package\n"
                "packaged names          none found: install the pellamar-cli package\n"
                "enterprise numbers      none found: install Debian's libwireshark-data "
                "package, or put IANA's enterprise-numbers file in ~/.local/share/pellamar\n");
  EXPECT_EQ(listed(plain, OutputFormat::Tsv),
            Dotted + "\tourName\tnames file\tour.names\tOurs.\nnames file\t1\tour.names\n");
  EXPECT_EQ(listed(plain, OutputFormat::Json),
            "{\"identifier\":\"" + Dotted +
                "\",\"name\":\"ourName\",\"source\":\"names file\",\"file\":\"our.names\","
                "\"description\":\"Ours.\"}\n{\"source\":\"names file\",\"names\":1,\"file\":"
                "\"our.names\"}\n");
}

INSTANTIATE_TEST_SUITE_P(
    Reports, ReportTest,
    testing::Values(
        ReportCase{"Plain", "cert.pem", "CERTIFICATE", "ourName", "Ours.",
                   "cert.pem, block 1 (CERTIFICATE):\n       5  d=1  " + Dotted +
                       "  ourName  (in ourName)\n",
                   "cert.pem\t1\tCERTIFICATE\t5\t1\tOID\t" + Dotted + "\tourName\t0\t" + Dotted +
                       "\tourName\n",
                   "{\"file\":\"cert.pem\",\"block\":1,\"label\":\"CERTIFICATE\",\"offset\":5,"
                   "\"depth\":1,\"tag\":\"OID\",\"identifier\":\"" +
                       Dotted + "\",\"name\":\"ourName\",\"leads\":false,\"within\":\"" + Dotted +
                       "\",\"within_name\":\"ourName\",\"owner\":null}\n"},
        ReportCase{"EscapeSequences", "x\x1B[2J\n.pem", "EVIL\x1B]0;pwned\x07",
                   "red\xC2\x9B"
                   "2J",
                   "d\xC2\x85",
                   "x\\x1B[2J\\n.pem, block 1 (EVIL\\x1B]0;pwned\\x07):\n       5  d=1  " + Dotted +
                       "  red\\u009B2J  (in red\\u009B2J)\n",
                   "x\\x1B[2J\\n.pem\t1\tEVIL\\x1B]0;pwned\\x07\t5\t1\tOID\t" + Dotted +
                       "\tred\\u009B2J\t0\t" + Dotted + "\tred\\u009B2J\n",
                   "{\"file\":\"x\\u001b[2J\\u000a.pem\",\"block\":1,\"label\":\"EVIL\\u001b]0;"
                   "pwned\\u0007\",\"offset\":5,\"depth\":1,\"tag\":\"OID\",\"identifier\":\"" +
                       Dotted +
                       "\",\"name\":\"red\xC2\x9B"
                       "2J\",\"leads\":false,\"within\":\"" +
                       Dotted +
                       "\",\"within_name\":\"red\xC2\x9B"
                       "2J\",\"owner\":null}\n"},
        ReportCase{"RightToLeftOverride", "a\xE2\x80\xAE.pem", "K\xE2\x80\xAE",
                   "admin\xE2\x80\xAEgnp.exe", "",
                   "a\\u202E.pem, block 1 (K\\u202E):\n       5  d=1  " + Dotted +
                       "  admin\\u202Egnp.exe  (in admin\\u202Egnp.exe)\n",
                   "a\\u202E.pem\t1\tK\\u202E\t5\t1\tOID\t" + Dotted +
                       "\tadmin\\u202Egnp.exe\t0\t" + Dotted + "\tadmin\\u202Egnp.exe\n",
                   "{\"file\":\"a\xE2\x80\xAE.pem\",\"block\":1,\"label\":\"K\xE2\x80\xAE\","
                   "\"offset\":5,\"depth\":1,\"tag\":\"OID\",\"identifier\":\"" +
                       Dotted +
                       "\",\"name\":\"admin\xE2\x80\xAEgnp.exe\",\"leads\":false,"
                       "\"within\":\"" +
                       Dotted +
                       "\",\"within_name\":\"admin\xE2\x80\xAEgnp.exe\",\"owner\":null}\n"},
        ReportCase{"BytesThatAreNoUtf8", "bad\xFFname.der", "\xE9t\xE9", "n\xFF", "\xC0\xAF",
                   "bad\\xFFname.der, block 1 (\\xE9t\\xE9):\n       5  d=1  " + Dotted +
                       "  n\\xFF  (in n\\xFF)\n",
                   "bad\\xFFname.der\t1\t\\xE9t\\xE9\t5\t1\tOID\t" + Dotted + "\tn\\xFF\t0\t" +
                       Dotted + "\tn\\xFF\n",
                   "{\"file\":\"bad\\ufffdname.der\",\"block\":1,\"label\":\"\\ufffdt\\ufffd\","
                   "\"offset\":5,\"depth\":1,\"tag\":\"OID\",\"identifier\":\"" +
                       Dotted + "\",\"name\":\"n\\ufffd\",\"leads\":false,\"within\":\"" + Dotted +
                       "\",\"within_name\":\"n\\ufffd\",\"owner\":null}\n"},
        ReportCase{"TabsAndBackslashes", "a\tb\\c.der", "L\tM", "x\\y", "tab\there",
                   "a\\tb\\\\c.der, block 1 (L\\tM):\n       5  d=1  " + Dotted +
                       "  x\\\\y  (in x\\\\y)\n",
                   "a\\tb\\\\c.der\t1\tL\\tM\t5\t1\tOID\t" + Dotted + "\tx\\\\y\t0\t" + Dotted +
                       "\tx\\\\y\n",
                   "{\"file\":\"a\\u0009b\\\\c.der\",\"block\":1,\"label\":\"L\\u0009M\","
                   "\"offset\":5,\"depth\":1,\"tag\":\"OID\",\"identifier\":\"" +
                       Dotted + "\",\"name\":\"x\\\\y\",\"leads\":false,\"within\":\"" + Dotted +
                       "\",\"within_name\":\"x\\\\y\",\"owner\":null}\n"}),
    rowName<ReportCase>);

}  // namespace
}  // namespace pellamar
