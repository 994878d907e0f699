// Writes the names the inspection page holds built in: those of the sources
// that Debian's main archive installs where the system keeps them (never a
// user's own files or modules from elsewhere), read as pellamar-cli reads
// them, as NameDatabase::exportAdded() writes them (without the
// descriptions of SNMP objects, which the page does not show), after a
// first line that says when they were read.
//
//   pellamar-page-names OUTPUT NAMES-FOLDER NAME-READER
//
// NAMES-FOLDER holds Pellamar's own names files (DICOM's); NAME-READER is
// pellamar-name-reader. The date is $SOURCE_DATE_EPOCH when it is set, so
// that a package's page is made the same from the same sources.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "name_sources.hpp"

using namespace pellamar::names;

namespace {

// When the names were read, as "2026-12-10".
std::string readingDate() {
  std::time_t now = std::time(nullptr);
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    now = static_cast<std::time_t>(std::strtoll(epoch, nullptr, 10));
  }
  std::tm utc{};
  gmtime_r(&now, &utc);
  char date[16];
  std::strftime(date, sizeof date, "%Y-%m-%d", &utc);
  return date;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: pellamar-page-names OUTPUT NAMES-FOLDER NAME-READER\n");
    return 2;
  }
  try {
    NameLocations locations;
    locations.nameReader = argv[3];
    // A file that is not installed is passed over, as folders are.
    if (const char* dumpasn1 = "/etc/dumpasn1/dumpasn1.cfg"; std::filesystem::exists(dumpasn1)) {
      locations.dumpasn1File = dumpasn1;
    }
    locations.mibDirectories = {"/usr/share/snmp/mibs", "/usr/share/snmp/mibs/iana",
                                "/usr/share/snmp/mibs/ietf"};
    locations.ldapSchemaDirectories = {"/etc/ldap/schema", "/usr/share/dirsrv/schema",
                                       "/usr/share/samba/setup/ad-schema"};
    locations.packagedNamesDirectories = {argv[2]};
    if (const char* enterprises = "/usr/share/wireshark/enterprises.tsv";
        std::filesystem::exists(enterprises)) {
      locations.enterpriseFiles = {enterprises};
    }
    const NameDatabase names = loadNames(locations);
    std::ofstream out(argv[1], std::ios::binary);
    out << readingDate() << '\n' << names.exportAdded(NameDatabase::MibDescriptions::LeftOut);
    out.close();
    if (!out) {
      std::fprintf(stderr, "pellamar-page-names: cannot write %s\n", argv[1]);
      return 1;
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pellamar-page-names: %s\n", error.what());
    return 1;
  }
  return 0;
}
