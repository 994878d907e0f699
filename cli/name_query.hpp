// pellamar-cli names: the names database asked directly, as snmptranslate
// and a repository's search are.
#pragma once

#include <string>
#include <vector>

#include "diagnostics.hpp"
#include "object_names.hpp"

enum class NameQuery {
  // The names whose name or description matches each pattern.
  Matching,
  // The names whose name, bare or qualified, matches each pattern.
  MatchingNames,
  // The names one arc below each identifier.
  Children,
  // The sources found, with how many names each, and those not found.
  Sources,
};

// Answers `query` for `operands` on standard output; returns whether each
// operand found something (the sources are always found).
bool answerNameQuery(NameQuery query, const std::vector<std::string>& operands,
                     pellamar::OutputFormat format, ObjectNames& names, Diagnostics& diagnostics);
