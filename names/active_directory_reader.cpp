// Active Directory's schema as Microsoft publishes it, in LDIF files.
#include <fstream>

#include "source_lines.hpp"
#include "source_readers.hpp"

namespace pellamar::names {

void readActiveDirectorySchema(NameDatabase& names, const std::string& directory,
                               const std::vector<std::string>& files) {
  const std::uint16_t source = names.addSource(SourceKind::LdapSchema, directory);
  for (const std::string& path : files) {
    std::ifstream file(path);
    if (!file) {
      names.addWarning(path + ": cannot be read; its names are left out");
      continue;
    }
    DamagedLines damaged;
    // One entry's attributes, as LDIF writes them: a line each, an entry
    // ending at a blank line.
    std::string identifier;
    std::string displayName;
    std::string commonName;
    long entryLine = 0;
    const auto addEntry = [&] {
      if (!identifier.empty() || !displayName.empty()) {
        const auto parsed = dottedIdentifier(identifier);
        if (parsed && !displayName.empty()) {
          names.add(source, parsed->octets(), displayName, {}, commonName);
        } else {
          damaged.note(entryLine);
        }
      }
      identifier.clear();
      displayName.clear();
      commonName.clear();
    };
    std::string line;
    long number = 0;
    while (std::getline(file, line)) {
      ++number;
      if (!line.empty() && line.back() == '\r') {
        line.pop_back();
      }
      if (trimmed(line).empty()) {
        addEntry();
        continue;
      }
      const std::size_t colon = line.find(':');
      if (line.starts_with('#') || colon == std::string::npos) {
        continue;
      }
      const std::string attribute = lowered(std::string_view(line).substr(0, colon));
      const std::string value(trimmed(std::string_view(line).substr(colon + 1)));
      if (attribute == "dn") {
        entryLine = number;
      } else if (attribute == "attributeid" || attribute == "governsid") {
        identifier = value;
      } else if (attribute == "ldapdisplayname") {
        displayName = value;
      } else if (attribute == "cn") {
        commonName = value;
      }
    }
    addEntry();
    damaged.report(names, path, "an attribute or class with its identifier and display name");
  }
}

}  // namespace pellamar::names
