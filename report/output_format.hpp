// The forms results are written in, and where the names they are written
// with come from.
#pragma once

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
  virtual const NameDatabase& database() = 0;
};

}  // namespace pellamar
