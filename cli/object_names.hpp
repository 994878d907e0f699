// The names database as pellamar-cli uses it: found and loaded the first
// time a name is wanted, with what went wrong in reading it reported once.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "name_database.hpp"
#include "name_sources.hpp"
#include "output_format.hpp"

// Where warnings about the sources of names go.
class Warnings {
 public:
  virtual ~Warnings() = default;
  virtual void warn(const std::string& message) = 0;
};

class ObjectNames final : public pellamar::NameLookup {
 public:
  // `namesFiles` are read first, before the sources the environment names
  // (see NameLocations::fromEnvironment).
  ObjectNames(Warnings& warnings, std::vector<std::string> namesFiles);

  const pellamar::names::NameDatabase& database() override;

 private:
  Warnings& warnings_;
  std::vector<std::string> namesFiles_;
  std::optional<pellamar::names::NameDatabase> database_;
};
