#include "object_names.hpp"

ObjectNames::ObjectNames(Warnings& warnings, std::vector<std::string> namesFiles)
    : warnings_(warnings),
      locations_(NameLocations::fromEnvironment(std::move(namesFiles), PELLAMAR_NAMES_DIR)) {}

const NameDatabase& ObjectNames::database() {
  if (!database_) {
    database_ = loadNames(locations_);
    // A damaged source is reported when it is read, not again each time
    // the cache made from it is used; 'names --sources' lists it always.
    if (!database_->cached()) {
      for (const std::string& warning : database_->warnings()) {
        warnings_.warn(warning);
      }
    }
  }
  return *database_;
}
