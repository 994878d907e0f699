#include "name_query.hpp"

#include <cstdio>

#include "name_listing.hpp"
#include "pellamar/characters.hpp"
#include "pellamar/json.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/visible_text.hpp"
#include "pellamar/writers.hpp"

using namespace pellamar::names;

namespace {

void print(const std::string& lines) {
  std::fwrite(lines.data(), 1, lines.size(), stdout);
}

}  // namespace

bool answerNameQuery(NameQuery query, const std::vector<std::string>& operands,
                     pellamar::OutputFormat format, ObjectNames& names, Diagnostics& diagnostics) {
  const NameDatabase& database = names.database();
  if (query == NameQuery::Sources) {
    std::string lines;
    pellamar::appendSourceLines(lines, database, format);
    print(lines);
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
    std::string lines;
    for (const Name& name : found) {
      pellamar::appendNameLine(lines, name, format);
    }
    print(lines);
  }
  return allFound;
}
