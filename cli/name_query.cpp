#include "name_query.hpp"

#include <cstdio>

#include "pellamar/characters.hpp"
#include "pellamar/json.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/visible_text.hpp"
#include "pellamar/writers.hpp"

std::string jsonString(std::string_view text) {
  std::string out;
  pellamar::appendJsonString(out, text);
  return out;
}

namespace {

void printName(const Name& name, OutputFormat format) {
  const std::string dotted = name.dotted();
  const std::string kind(kindName(name.source->kind));
  std::string line;
  switch (format) {
    case OutputFormat::Human:
      line = dotted + " " + pellamar::visible(name.shown()) + " (" + kind + ")";
      break;
    case OutputFormat::Tsv:
      line = dotted + "\t" + pellamar::visible(name.qualified()) + "\t" + kind + "\t" +
             pellamar::visible(name.source->path) + "\t" + pellamar::visible(name.description);
      break;
    case OutputFormat::Json:
      line = "{\"identifier\":" + jsonString(dotted) + ",\"name\":" + jsonString(name.qualified()) +
             ",\"source\":" + jsonString(kind) + ",\"file\":" + jsonString(name.source->path) +
             ",\"description\":" + jsonString(name.description) + "}";
      break;
  }
  std::printf("%s\n", line.c_str());
}

// What gives a user each kind of source they have none of.
std::string_view providerOf(SourceKind kind) {
  switch (kind) {
    case SourceKind::UserNames:
      return "write your own in ~/.config/pellamar/names, or give one with --names-file";
    case SourceKind::OpenSsl:
      return "OpenSSL's library always has them";
    case SourceKind::Dumpasn1:
      return "install Debian's dumpasn1 package";
    case SourceKind::SnmpMib:
      return "install Debian's snmp-mibs-downloader package (non-free), or put modules in "
             "~/.snmp/mibs";
    case SourceKind::LdapSchema:
      return "install Debian's slapd package";
    case SourceKind::PackagedNames:
      return "install the pellamar-cli package";
    case SourceKind::Enterprises:
      return "install Debian's libwireshark-data package, or put IANA's enterprise-numbers file "
             "in ~/.local/share/pellamar";
  }
  return {};
}

void printSources(const NameDatabase& database, OutputFormat format) {
  constexpr std::array kinds = {SourceKind::UserNames,  SourceKind::OpenSsl,
                                SourceKind::Dumpasn1,   SourceKind::SnmpMib,
                                SourceKind::LdapSchema, SourceKind::PackagedNames,
                                SourceKind::Enterprises};
  for (const SourceKind kind : kinds) {
    bool found = false;
    for (const NameSource& source : database.sources()) {
      if (source.kind != kind) {
        continue;
      }
      found = true;
      const std::string path = source.path.empty() ? "built in" : pellamar::visible(source.path);
      const std::string kindText(kindName(kind));
      if (format == OutputFormat::Tsv) {
        std::printf("%s\t%zu\t%s\n", kindText.c_str(), source.names, path.c_str());
      } else if (format == OutputFormat::Json) {
        std::printf("{\"source\":%s,\"names\":%zu,\"file\":%s}\n", jsonString(kindText).c_str(),
                    source.names, jsonString(source.path).c_str());
      } else {
        std::printf("%-20s %7zu names  %s\n", kindText.c_str(), source.names, path.c_str());
      }
    }
    if (!found && format == OutputFormat::Human) {
      std::printf("%-20s    none found: %s\n", std::string(kindName(kind)).c_str(),
                  std::string(providerOf(kind)).c_str());
    }
  }
}

}  // namespace

bool answerNameQuery(NameQuery query, const std::vector<std::string>& operands, OutputFormat format,
                     ObjectNames& names, Diagnostics& diagnostics) {
  const NameDatabase& database = names.database();
  if (query == NameQuery::Sources) {
    printSources(database, format);
    // Every warning, those the sources were read with just now excepted:
    // loading them said those, but for the installed files' own.
    for (const std::string& warning : database.warnings()) {
      if (database.cached() || aboutInstalledFile(warning)) {
        diagnostics.warn(warning);
      }
    }
    return true;
  }
  bool allFound = true;
  long number = 0;
  for (const std::string& operand : operands) {
    ++number;
    std::vector<Name> found;
    if (query == NameQuery::Matching || query == NameQuery::MatchingNames) {
      found = database.matching(operand, query == NameQuery::MatchingNames);
      if (found.empty()) {
        diagnostics.report(number, 1, "No name or description matches \"" + operand + "\".");
      }
    } else {
      pellamar::ObjectIdentifier identifier;
      if (const auto error = pellamar::readIdentifier(operand, identifier)) {
        const NameReading reading = database.read(operand);
        if (reading.candidates.size() != 1 || !reading.arcsBelow.empty()) {
          // An operand that starts as a number was meant as an identifier;
          // one that holds controls is described by its characters.
          const bool named = !operand.empty() && (operand.front() < '0' || operand.front() > '9') &&
                             pellamar::firstEscaped(operand) == operand.size();
          diagnostics.report(
              number, 1,
              !named ? pellamar::describe(*error, operand, pellamar::utf8Place(*error, operand))
              : reading.candidates.size() > 1
                  ? "The name \"" + operand +
                        "\" is ambiguous; give the qualified name or the identifier instead."
                  : "No identifier is named \"" + operand + "\" by any source of names.");
          allFound = false;
          continue;
        }
        pellamar::ObjectIdentifier::fromContents(reading.candidates.front().contents, identifier);
      }
      found = database.childrenOf(identifier.octets());
      if (found.empty()) {
        diagnostics.report(number, 1, "No source names an arc below " + operand + ".");
      }
    }
    allFound = allFound && !found.empty();
    for (const Name& name : found) {
      printName(name, format);
    }
  }
  return allFound;
}
