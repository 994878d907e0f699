// Reading a source with another project's parser (libsmi, OpenLDAP's) in a
// child process: those parsers are C code that can crash or loop on a
// file they do not expect, and that must cost the one source, never the
// command that wanted a name nor the other sources.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "name_database.hpp"

// Where a reader in a child says which file it is on, so that the parent
// can name the file when the child dies. It lives in memory the two
// processes share; in the parent's own process it is only kept.
class ReadingProgress {
 public:
  ReadingProgress();
  ~ReadingProgress();
  ReadingProgress(const ReadingProgress&) = delete;
  ReadingProgress& operator=(const ReadingProgress&) = delete;

  // The file read from now on; a path longer than the room is cut.
  void reading(std::string_view path);
  // The last file named, empty before any.
  std::string current() const;

 private:
  // Room for any path Linux opens (PATH_MAX) and its terminating NUL.
  static constexpr std::size_t Room = 4096;
  char* shared_;
};

// Why a child did not hand its names over.
struct ChildFault {
  // The file the child said it was reading; empty when it named none.
  std::string file;
  // "crashed (Segmentation fault)", "took longer than 60 seconds",
  // "ended with status 3".
  std::string reason;
};

// Runs `read` on an empty table in a child process, within `limit`, and
// adds to `names` what it read: its sources, names and warnings. Returns
// the fault when the child crashed, was stopped at the limit, or ended
// without handing over a whole table; `names` is then unchanged. Where
// the process cannot fork, `read` runs in this one.
std::optional<ChildFault> readInChild(
    NameDatabase& names, const std::function<void(NameDatabase&, ReadingProgress&)>& read,
    std::chrono::milliseconds limit);
