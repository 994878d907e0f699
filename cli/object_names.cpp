#include "object_names.hpp"

ObjectNames::ObjectNames(Warnings& warnings, std::vector<std::string> namesFiles)
    : warnings_(warnings),
      locations_(NameLocations::fromEnvironment(std::move(namesFiles), PELLAMAR_NAMES_DIR)) {}

const NameDatabase& ObjectNames::database() {
  if (!database_) {
    database_ = loadNames(locations_);
    for (const std::string& warning : database_->warnings()) {
      warnings_.warn(warning);
    }
  }
  return *database_;
}
