// pellamar-name-reader: reads the sources that need other projects'
// libraries (OpenSSL's object table, libsmi for MIB modules, OpenLDAP's
// schema parser) and writes what it read, as NameDatabase::exportAdded()
// writes it, on its standard output. The programs that look names up run
// it only to make their cache: linking those libraries would cost each of
// their runs several milliseconds at start, and a parser that crashes
// takes only this process with it.
//
//   pellamar-name-reader --progress-fd N openssl
//   pellamar-name-reader --progress-fd N mibs [--directory DIR]...
//                        [--aliases DIR] [--] FILE...
//   pellamar-name-reader --progress-fd N ldap FILE...
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "child_reading.hpp"
#include "source_readers.hpp"

using namespace pellamar::names;

namespace {

// The status for arguments no caller of ours writes.
constexpr int UsageStatus = 2;

int usage() {
  std::cerr << "pellamar-name-reader: pellamar-cli runs this program to read names; it is not "
               "meant to be run by hand\n";
  return UsageStatus;
}

// The progress page's descriptor from "--progress-fd N", or -1.
int progressDescriptor(std::string_view text) {
  int descriptor = 0;
  for (const char digit : text) {
    if (digit < '0' || digit > '9' || descriptor > 100000) {
      return -1;
    }
    descriptor = descriptor * 10 + (digit - '0');
  }
  return text.empty() ? -1 : descriptor;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + (argc > 0 ? 1 : 0), argv + argc);
  if (words.size() < 3 || words[0] != "--progress-fd") {
    return usage();
  }
  const int descriptor = progressDescriptor(words[1]);
  if (descriptor < 0) {
    return usage();
  }
  ReadingProgress progress(descriptor);
  const std::string& source = words[2];
  try {
    NameDatabase names;
    if (source == "openssl" && words.size() == 3) {
      addOpenSslNames(names);
    } else if (source == "mibs") {
      std::vector<std::string> directories;
      std::string aliases;
      std::vector<std::string> files;
      bool options = true;
      for (std::size_t at = 3; at < words.size(); ++at) {
        if (options && words[at] == "--") {
          options = false;
        } else if (options && (words[at] == "--directory" || words[at] == "--aliases")) {
          if (at + 1 == words.size()) {
            return usage();
          }
          const std::string& value = words[at + 1];
          if (words[at] == "--aliases") {
            aliases = value;
          } else {
            directories.push_back(value);
          }
          ++at;
        } else {
          files.push_back(words[at]);
        }
      }
      readMibs(names, files, directories, progress, aliases);
    } else if (source == "ldap") {
      for (std::size_t at = 3; at < words.size(); ++at) {
        progress.reading(words[at]);
        readLdapSchema(names, words[at]);
      }
    } else {
      return usage();
    }
    const std::string table = names.exportAdded();
    std::fwrite(table.data(), 1, table.size(), stdout);
    return std::fflush(stdout) == 0 && std::ferror(stdout) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
  } catch (const std::exception&) {
    return ReaderThrewStatus;
  }
}
