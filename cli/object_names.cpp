#include "object_names.hpp"

#include <unistd.h>

#include <climits>
#include <string_view>

using namespace pellamar::names;

namespace {

// Where a file Pellamar installs is: `path` below the folder the program
// is in, wherever it was installed. The kernel gives the program's path
// with every link resolved, in one call; realpath() would look up each
// folder on the way again.
std::string fromProgram(const std::string& program, std::string_view path) {
  if (program.empty()) {
    return {};
  }
  return program.substr(0, program.rfind('/') + 1).append(path);
}

std::string programPath() {
  std::string path(PATH_MAX, '\0');
  const ssize_t size = readlink("/proc/self/exe", path.data(), path.size());
  if (size <= 0 || static_cast<std::size_t>(size) == path.size() || path.front() != '/') {
    return {};
  }
  path.resize(static_cast<std::size_t>(size));
  return path;
}

}  // namespace

ObjectNames::ObjectNames(Warnings& warnings, std::vector<std::string> namesFiles)
    : warnings_(warnings), namesFiles_(std::move(namesFiles)) {}

const pellamar::names::NameDatabase& ObjectNames::database() {
  if (!database_) {
    const std::string program = programPath();
    database_ = loadNames(NameLocations::fromEnvironment(
        std::move(namesFiles_), fromProgram(program, PELLAMAR_NAMES_FROM_PROGRAM),
        fromProgram(program, PELLAMAR_READER_FROM_PROGRAM)));
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
