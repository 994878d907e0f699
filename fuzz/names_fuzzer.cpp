// Reads the input as every text source of names (a names file, enterprise
// numbers in both forms, an LDAP schema as .schema and .ldif, dumpasn1's
// file) and as a names cache, and checks that what was read answers for
// itself: each name leads back to an identifier, each named identifier is
// described by its own names, and a saved table loads back whole.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "name_database.hpp"
#include "source_readers.hpp"

using namespace pellamar::names;

namespace {

const std::string& workFile(const char* suffix) {
  static const std::string base = "/tmp/pellamar-names-fuzz-" + std::to_string(getpid());
  static std::string path;
  path = base + suffix;
  return path;
}

void require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  NameDatabase names;
  for (const char* suffix : {".names", ".tsv", ".schema", ".ldif", ".cfg"}) {
    const std::string path = workFile(suffix);
    std::ofstream(path, std::ios::binary) << input;
    const std::string_view kind(suffix);
    if (kind == ".names") {
      readNamesFile(names, SourceKind::UserNames, path);
    } else if (kind == ".tsv") {
      readEnterprises(names, path);
    } else if (kind == ".cfg") {
      readDumpasn1(names, path);
    } else {
      readLdapSchema(names, path);
    }
    std::remove(path.c_str());
  }
  names.finish();

  Description description;
  for (const Name& name : names.matching("*")) {
    require(!names.read(name.qualified()).candidates.empty());
    pellamar::ObjectIdentifier identifier;
    require(!pellamar::ObjectIdentifier::fromContents(name.contents, identifier));
    names.describe(identifier, description);
    require(!description.nearest.names.empty() && description.nearest.arcsBelow.empty());
    require(std::equal(name.contents.begin(), name.contents.end(),
                       description.nearest.names.front().contents.begin(),
                       description.nearest.names.front().contents.end()));
    require(description.namedPath.starts_with("{ ") && description.namedPath.ends_with(" }"));
  }

  const std::string& cache = workFile(".cache");
  require(!names.save(cache, "fuzz"));
  NameDatabase loaded;
  require(loaded.load(cache, "fuzz") && loaded.size() == names.size());
  // The input as a cache of its own: refused or loaded, never a fault.
  std::ofstream(cache, std::ios::binary) << input;
  NameDatabase damaged;
  if (damaged.load(cache, "fuzz")) {
    for (const Name& name : damaged.matching("*")) {
      pellamar::ObjectIdentifier identifier;
      if (!pellamar::ObjectIdentifier::fromContents(name.contents, identifier)) {
        damaged.describe(identifier, description);
      }
    }
  }
  std::remove(cache.c_str());
  return 0;
}
