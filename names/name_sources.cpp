#include "name_sources.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <utility>

#include "child_reading.hpp"
#include "source_readers.hpp"

namespace pellamar::names {

namespace {

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::vector<std::string> split(const std::string& list) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    if (end > start) {
      parts.push_back(list.substr(start, end - start));
    }
    start = end + 1;
  }
  return parts;
}

// A folder under the user's home from an XDG variable, or its default.
std::optional<std::string> userDirectory(const char* variable, const char* underHome) {
  if (const auto value = environment(variable); value && !value->empty()) {
    return value;
  }
  if (const auto home = environment("HOME"); home && !home->empty()) {
    return *home + "/" + underHome;
  }
  return std::nullopt;
}

// The list a variable sets, or `defaults` when it is not set.
std::vector<std::string> listOr(const char* variable, std::vector<std::string> defaults) {
  if (const auto value = environment(variable)) {
    return split(*value);
  }
  return defaults;
}

struct FileState {
  bool exists = false;
  bool regular = false;
  long long size = 0;
  long long modified = 0;
  // Which file it is, whatever the path: its device and inode.
  std::pair<dev_t, ino_t> identity{};
};

// The state of `path`, relative to the folder `directory` is open on
// (AT_FDCWD for the working folder).
FileState stateOf(int directory, const char* path) {
  struct stat status {};
  if (fstatat(directory, path, &status, 0) != 0) {
    return {};
  }
  constexpr long long nanoseconds = 1000000000LL;
  return {true,
          S_ISREG(status.st_mode),
          static_cast<long long>(status.st_size),
          static_cast<long long>(status.st_mtim.tv_sec) * nanoseconds + status.st_mtim.tv_nsec,
          {status.st_dev, status.st_ino}};
}

FileState stateOf(const std::string& path) {
  return stateOf(AT_FDCWD, path.c_str());
}

// A file of a folder, with its state.
struct FolderFile {
  std::string path;
  FileState state;
};

// The regular files of a folder whose names `wanted` accepts, in the
// order of their names. Each is stat'ed once, relative to the folder:
// this runs on every start of a program, over hundreds of MIB files.
template <typename Wanted>
std::vector<FolderFile> filesIn(const std::string& directory, Wanted wanted) {
  std::vector<FolderFile> files;
  DIR* folder = opendir(directory.c_str());
  if (folder == nullptr) {
    return files;
  }
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name.starts_with('.') || !wanted(name)) {
      continue;
    }
    if (const FileState state = stateOf(dirfd(folder), entry->d_name); state.regular) {
      files.push_back({directory + "/" + name, state});
    }
  }
  closedir(folder);
  std::sort(files.begin(), files.end(),
            [](const FolderFile& one, const FolderFile& other) { return one.path < other.path; });
  return files;
}

// The files each source will be read from, and a fingerprint of them.
struct SourceFiles {
  std::vector<std::string> namesFiles;
  std::optional<std::string> dumpasn1File;
  std::vector<std::string> mibFiles;
  std::vector<std::string> ldapFiles;
  // Folders of Active Directory's schema files, with their files.
  std::vector<std::pair<std::string, std::vector<std::string>>> activeDirectory;
  std::vector<std::string> packagedFiles;
  std::vector<std::string> enterpriseFiles;
  std::string fingerprint;

  void note(const std::string& path) { note(path, stateOf(path)); }
  void note(const std::string& path, const FileState& state) {
    fingerprint +=
        path + '\t' + std::to_string(state.size) + '\t' + std::to_string(state.modified) + '\n';
  }
};

SourceFiles sourceFiles(const NameLocations& locations) {
  SourceFiles files;
  // The cache is made by, and for, this program as it is, with its reader
  // (their files' sizes and times stand for their builds) and OpenSSL's
  // table as the library installed holds it.
  files.note("/proc/self/exe");
  files.note(locations.nameReader);
  files.note(PELLAMAR_OPENSSL_LIBRARY);
  const auto add = [&files](std::vector<std::string>& list, const std::string& path) {
    list.push_back(path);
    files.note(path);
  };
  for (const std::string& path : locations.namesFiles) {
    add(files.namesFiles, path);
  }
  if (locations.dumpasn1File) {
    files.dumpasn1File = locations.dumpasn1File;
    files.note(*locations.dumpasn1File);
  }
  files.fingerprint += "MIB folders";
  for (const std::string& directory : locations.mibDirectories) {
    files.fingerprint += " " + directory;
  }
  files.fingerprint += '\n';
  // Debian links /usr/share/snmp/mibs/ietf to /var/lib/mibs/ietf: a
  // folder or a file reached twice, known by its device and inode, is read
  // once.
  std::set<std::pair<dev_t, ino_t>> seenFolders;
  std::set<std::pair<dev_t, ino_t>> seen;
  for (const std::string& directory : locations.mibDirectories) {
    if (const FileState folder = stateOf(directory);
        folder.exists && !seenFolders.insert(folder.identity).second) {
      continue;
    }
    for (const auto& [path, state] : filesIn(directory, [](const std::string&) { return true; })) {
      if (seen.insert(state.identity).second) {
        files.mibFiles.push_back(path);
        files.note(path, state);
      }
    }
  }
  for (const std::string& directory : locations.ldapSchemaDirectories) {
    const auto schemas = filesIn(directory, [](const std::string& name) {
      return name.ends_with(".schema") || name.ends_with(".ldif") || name.ends_with(".ldf");
    });
    std::vector<std::string> activeDirectory;
    for (const auto& [path, state] : schemas) {
      // OpenLDAP ships each schema in both forms: the .ldif is read only
      // where there is no .schema.
      const std::string twin = path.substr(0, path.rfind('.')) + ".schema";
      const bool hasTwin =
          std::any_of(schemas.begin(), schemas.end(),
                      [&twin](const FolderFile& other) { return other.path == twin; });
      if (path.ends_with(".ldf")) {
        activeDirectory.push_back(path);
        files.note(path, state);
      } else if (path.ends_with(".schema") || !hasTwin) {
        files.ldapFiles.push_back(path);
        files.note(path, state);
      }
    }
    if (!activeDirectory.empty()) {
      files.activeDirectory.emplace_back(directory, std::move(activeDirectory));
    }
  }
  for (const std::string& directory : locations.packagedNamesDirectories) {
    for (const auto& [path, state] :
         filesIn(directory, [](const std::string& name) { return name.ends_with(".names"); })) {
      files.packagedFiles.push_back(path);
      files.note(path, state);
    }
  }
  for (const std::string& path : locations.enterpriseFiles) {
    add(files.enterpriseFiles, path);
  }
  return files;
}

// libsmi reads all of Debian's IETF and IANA modules in under 2 seconds:
// thirty times as long is a parser that will not end.
constexpr std::chrono::seconds MibReadingLimit{60};
// OpenLDAP's parser reads every schema Debian ships in a tenth of that.
constexpr std::chrono::seconds SchemaReadingLimit{20};
// OpenSSL's table is read in milliseconds: the limit is for a system
// under load.
constexpr std::chrono::seconds OpenSslReadingLimit{20};

// Reads `files` with the name reader, its arguments for them given by
// `arguments`, with `parser` (its name in messages) given `limit`. When
// the reader fails, the file it was on is reported and left out, and the
// others are read again.
void readInChildren(
    NameDatabase& names, const std::string& reader, std::vector<std::string> files,
    std::string_view parser, std::chrono::milliseconds limit,
    const std::function<std::vector<std::string>(const std::vector<std::string>&)>& arguments) {
  for (;;) {
    const auto fault = runReader(names, reader, arguments(files), limit);
    if (!fault) {
      return;
    }
    // The child may name a file by another path to it, through a link.
    const FileState blamed = stateOf(fault->file);
    const auto at = std::find_if(files.begin(), files.end(), [&](const std::string& file) {
      return file == fault->file || (blamed.exists && stateOf(file).identity == blamed.identity);
    });
    if (at == files.end()) {
      names.addWarning(
          std::string(parser) + " " + fault->reason +
          (fault->file.empty() ? "" : " reading " + fault->file) +
          (files.empty() ? "; its names are left out" : "; the names of its files are left out"));
      return;
    }
    names.addWarning(*at + ": " + std::string(parser) + " " + fault->reason +
                     " reading it; its names are left out");
    files.erase(at);
  }
}

// OpenSSL's table, the MIB modules and the LDAP schemas, read by the name
// reader, in that order among the other sources.
struct ForeignSources {
  const SourceFiles& files;
  const NameLocations& locations;

  void readOpenSsl(NameDatabase& names) const {
    readInChildren(
        names, locations.nameReader, {}, "OpenSSL's object table", OpenSslReadingLimit,
        [](const std::vector<std::string>&) { return std::vector<std::string>{"openssl"}; });
  }

  void readMibs(NameDatabase& names) const {
    if (files.mibFiles.empty()) {
      return;
    }
    const OldModuleNames oldNames(locations.mibDirectories);
    std::vector<std::string> options{"mibs"};
    for (const std::string& directory : locations.mibDirectories) {
      options.insert(options.end(), {"--directory", directory});
    }
    if (!oldNames.directory().empty()) {
      options.insert(options.end(),
                     {"--directory", oldNames.directory(), "--aliases", oldNames.directory()});
    }
    options.emplace_back("--");
    readInChildren(names, locations.nameReader, files.mibFiles, "libsmi", MibReadingLimit,
                   [&options](const std::vector<std::string>& mibFiles) {
                     std::vector<std::string> arguments = options;
                     arguments.insert(arguments.end(), mibFiles.begin(), mibFiles.end());
                     return arguments;
                   });
  }

  void readLdapSchemas(NameDatabase& names) const {
    if (files.ldapFiles.empty()) {
      return;
    }
    readInChildren(names, locations.nameReader, files.ldapFiles, "OpenLDAP's schema parser",
                   SchemaReadingLimit, [](const std::vector<std::string>& schemaFiles) {
                     std::vector<std::string> arguments{"ldap"};
                     arguments.insert(arguments.end(), schemaFiles.begin(), schemaFiles.end());
                     return arguments;
                   });
  }
};

NameDatabase readSources(const SourceFiles& files, const NameLocations& locations) {
  NameDatabase names;
  for (const std::string& path : files.namesFiles) {
    readNamesFile(names, SourceKind::UserNames, path);
  }
  // Without the reader, what it reads is missing: said once.
  const bool readerRuns = access(locations.nameReader.c_str(), X_OK) == 0;
  if (!readerRuns) {
    names.addWarning("cannot run " + locations.nameReader + ": " + std::strerror(errno) +
                     "; OpenSSL's names and those of MIB modules and LDAP schemas are left out");
  }
  const ForeignSources foreign{files, locations};
  if (readerRuns) {
    foreign.readOpenSsl(names);
  }
  if (files.dumpasn1File) {
    readDumpasn1(names, *files.dumpasn1File);
  }
  if (readerRuns) {
    foreign.readMibs(names);
    foreign.readLdapSchemas(names);
  }
  for (const auto& [directory, schemaFiles] : files.activeDirectory) {
    readActiveDirectorySchema(names, directory, schemaFiles);
  }
  for (const std::string& path : files.packagedFiles) {
    readNamesFile(names, SourceKind::PackagedNames, path);
  }
  for (const std::string& path : files.enterpriseFiles) {
    readEnterprises(names, path);
  }
  names.finish();
  return names;
}

void makeDirectories(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0700);
  }
}

}  // namespace

NameLocations NameLocations::fromEnvironment(std::vector<std::string> namesFiles,
                                             const std::string& dataDirectory,
                                             std::string nameReader) {
  NameLocations locations;
  locations.namesFiles = std::move(namesFiles);
  locations.nameReader = std::move(nameReader);
  const auto home = environment("HOME");
  const auto existing = [](const std::string& path) { return stateOf(path).exists; };
  if (const auto config = userDirectory("XDG_CONFIG_HOME", ".config")) {
    if (const std::string own = *config + "/pellamar/names"; existing(own)) {
      locations.namesFiles.push_back(own);
    }
  }

  if (const auto chosen = environment("PELLAMAR_DUMPASN1_CFG")) {
    if (!chosen->empty()) {
      locations.dumpasn1File = chosen;
    }
  } else {
    std::vector<std::string> candidates;
    if (const auto directory = environment("DUMPASN1_PATH")) {
      candidates.push_back(*directory + "/dumpasn1.cfg");
    }
    if (home) {
      candidates.push_back(*home + "/.dumpasn1.cfg");
    }
    candidates.emplace_back("/etc/dumpasn1/dumpasn1.cfg");
    const auto found = std::find_if(candidates.begin(), candidates.end(), existing);
    if (found != candidates.end()) {
      locations.dumpasn1File = *found;
    }
  }

  std::vector<std::string> mibDefaults;
  if (home) {
    mibDefaults.push_back(*home + "/.snmp/mibs");
  }
  for (const char* directory :
       {"/usr/share/snmp/mibs", "/usr/share/snmp/mibs/iana", "/usr/share/snmp/mibs/ietf",
        "/var/lib/mibs/ietf", "/var/lib/mibs/iana"}) {
    mibDefaults.emplace_back(directory);
  }
  if (const auto mibdirs = environment("MIBDIRS")) {
    if (mibdirs->starts_with('+')) {
      locations.mibDirectories = split(mibdirs->substr(1));
      locations.mibDirectories.insert(locations.mibDirectories.end(), mibDefaults.begin(),
                                      mibDefaults.end());
    } else {
      locations.mibDirectories = split(*mibdirs);
    }
  } else {
    locations.mibDirectories = mibDefaults;
  }

  // OpenLDAP's (slapd), 389 Directory Server's (389-ds-base) and Active
  // Directory's as Samba ships it (samba-ad-provision).
  locations.ldapSchemaDirectories =
      listOr("PELLAMAR_LDAP_SCHEMAS",
             {"/etc/ldap/schema", "/usr/share/dirsrv/schema", "/usr/share/samba/setup/ad-schema"});
  locations.packagedNamesDirectories = listOr("PELLAMAR_NAMES_DIRS", {dataDirectory});
  if (const auto chosen = environment("PELLAMAR_ENTERPRISES")) {
    locations.enterpriseFiles = split(*chosen);
  } else {
    if (const auto data = userDirectory("XDG_DATA_HOME", ".local/share")) {
      if (const std::string own = *data + "/pellamar/enterprise-numbers"; existing(own)) {
        locations.enterpriseFiles.push_back(own);
      }
    }
    if (const std::string wireshark = "/usr/share/wireshark/enterprises.tsv"; existing(wireshark)) {
      locations.enterpriseFiles.push_back(wireshark);
    }
  }
  if (const auto cache = userDirectory("XDG_CACHE_HOME", ".cache")) {
    locations.cacheFile = *cache + "/pellamar/names.cache";
  }
  return locations;
}

bool aboutInstalledFile(std::string_view warning) {
  return warning.starts_with("/usr/") || warning.starts_with("/var/lib/");
}

NameDatabase loadNames(const NameLocations& locations) {
  const SourceFiles files = sourceFiles(locations);
  NameDatabase names;
  if (!locations.cacheFile.empty() && names.load(locations.cacheFile, files.fingerprint)) {
    return names;
  }
  names = readSources(files, locations);
  if (!locations.cacheFile.empty()) {
    // A cache that cannot be written costs every run the time to read the
    // sources again: said once, with the warnings of the sources.
    makeDirectories(locations.cacheFile);
    if (const std::error_code error = names.save(locations.cacheFile, files.fingerprint)) {
      names.addWarning("cannot write the names cache " + locations.cacheFile + ": " +
                       error.message() + "; every run reads the sources again");
    }
  }
  return names;
}

}  // namespace pellamar::names
