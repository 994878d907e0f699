// The forms results are written in, and where the names they are written
// with come from.
#pragma once

#include <string_view>

#include "name_database.hpp"

namespace pellamar {

enum class OutputFormat {
  // A few lines a result, for people.
  Human,
  // One line of tab-separated fields a result, for scripts.
  Tsv,
  // One JSON object per line a result (JSON Lines), for jq and programs.
  Json,
};

// The names database, found and loaded the first time a name is wanted:
// a file without identifiers costs no names.
class NameLookup {
 public:
  virtual ~NameLookup() = default;
  virtual const names::NameDatabase& database() = 0;
};

// Where messages about items go, each placed at the line (or operand) and
// column of the input it is about.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void report(long line, int column, std::string_view message, bool warning = false) = 0;
};

}  // namespace pellamar
