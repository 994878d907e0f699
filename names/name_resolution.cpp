#include "name_resolution.hpp"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "pellamar/readers.hpp"
#include "pellamar/relative_oid.hpp"
#include "pellamar/writers.hpp"

namespace pellamar::names {

namespace {

using pellamar::ObjectIdentifier;

std::string quoted(std::string_view text) {
  std::string result(1, '"');
  result.append(text);
  result += '"';
  return result;
}

std::string dotted(const ObjectIdentifier& identifier) {
  std::string text;
  pellamar::append(identifier, pellamar::Form::Dotted, text);
  return text;
}

}  // namespace

std::optional<std::string> resolveName(const NameDatabase& names, std::string_view text,
                                       NameReading& reading, ObjectIdentifier& identifier) {
  names.read(text, reading);
  const auto identifierOf = [](const Name& name) {
    ObjectIdentifier named;
    ObjectIdentifier::fromContents(name.contents, named);
    return named;
  };
  constexpr std::size_t shown = 3;
  if (!reading.instanceFault.empty()) {
    return quoted(text) + " is " + reading.instanceFault + ".";
  }
  if (reading.candidates.empty()) {
    std::string suggestions;
    std::vector<std::string_view> spellings;
    for (const Name& name : reading.otherCase) {
      if (std::find(spellings.begin(), spellings.end(), name.name) == spellings.end()) {
        spellings.push_back(name.name);
      }
    }
    for (std::size_t index = 0; index < spellings.size() && index < shown; ++index) {
      suggestions += (index == 0                                            ? " Did you mean "
                      : index + 1 == spellings.size() || index + 1 == shown ? " or "
                                                                            : ", ");
      suggestions += quoted(spellings[index]);
    }
    if (!suggestions.empty()) {
      suggestions += "?";
    }
    return "No identifier is named " + quoted(text) +
           " by any source of names; names are matched in the case "
           "written, LDAP's in any case." +
           suggestions;
  }
  if (reading.candidates.size() > 1) {
    // Each candidate with the qualified name that picks it, where one does:
    // two names of one module or one kind of source are told apart only by
    // their identifiers.
    const auto& found = reading.candidates;
    std::vector<std::string> forms;
    for (const Name& name : found) {
      forms.push_back(name.unambiguous());
    }
    bool anyForm = false;
    std::string identifiers;
    for (std::size_t index = 0; index < found.size() && index < shown; ++index) {
      if (index > 0) {
        identifiers += ", ";
      }
      identifiers.append(quoted(dotted(identifierOf(found[index]))))
          .append(" (")
          .append(kindName(found[index].source->kind));
      if (std::count(forms.begin(), forms.end(), forms[index]) == 1) {
        identifiers.append(", ").append(forms[index]);
        anyForm = true;
      }
      identifiers += ')';
    }
    if (found.size() > shown) {
      identifiers += " and " + std::to_string(found.size() - shown) + " more";
    }
    return "The name " + quoted(text) + " is ambiguous: it names " + identifiers + "; give " +
           (anyForm ? "the qualified name or " : "") + "the identifier instead.";
  }
  identifier = identifierOf(reading.candidates.front());
  // The arcs below are read as a relative identifier and put after the
  // name's, without writing the whole identifier out and reading it again.
  pellamar::RelativeOid below;
  if (reading.arcsBelow.empty() ||
      (!pellamar::readRelativeDotted(reading.arcsBelow, below) && !identifier.appendArcs(below))) {
    return std::nullopt;
  }
  // The fault is worded in the whole identifier's text, as written.
  const std::string whole = dotted(identifier) + "." + reading.arcsBelow;
  if (const auto error = pellamar::readDotted(whole, identifier)) {
    return "The name " + quoted(text) + " stands for " + quoted(whole) +
           ", which is not an identifier: " +
           pellamar::describe(*error, whole, pellamar::latin1Place(*error, whole));
  }
  return std::nullopt;
}

}  // namespace pellamar::names
