#include "object_names.hpp"

#include <climits>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

// Where a file Pellamar installs is: `path` below the folder the program
// is in, wherever it was installed.
std::string fromProgram(std::string_view path) {
  const std::unique_ptr<char, decltype(&std::free)> program(realpath("/proc/self/exe", nullptr),
                                                            &std::free);
  if (!program) {
    return {};
  }
  std::string directory(program.get());
  directory.erase(directory.rfind('/') + 1);
  return directory.append(path);
}

}  // namespace

ObjectNames::ObjectNames(Warnings& warnings, std::vector<std::string> namesFiles)
    : warnings_(warnings),
      locations_(NameLocations::fromEnvironment(std::move(namesFiles),
                                                fromProgram(PELLAMAR_NAMES_FROM_PROGRAM),
                                                fromProgram(PELLAMAR_READER_FROM_PROGRAM))) {}

const NameDatabase& ObjectNames::database() {
  if (!database_) {
    database_ = loadNames(locations_);
    // A damaged source is reported when it is read, not again each time
    // the cache made from it is used; 'names --sources' lists it always.
    if (!database_->cached()) {
      for (const std::string& warning : database_->warnings()) {
        if (!aboutInstalledFile(warning)) {
          warnings_.warn(warning);
        }
      }
    }
  }
  return *database_;
}
