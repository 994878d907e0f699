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
#include <vector>

#include "name_database.hpp"

namespace pellamar::names {

// Where a reader in a child says which file it is on, so that the parent
// can name the file when the child dies. It lives in memory the two
// processes share, a program the child runs included; in the parent's own
// process it is only kept.
class ReadingProgress {
 public:
  ReadingProgress();
  // The page another process made, handed over as `descriptor()`.
  explicit ReadingProgress(int descriptor);
  ~ReadingProgress();
  ReadingProgress(const ReadingProgress&) = delete;
  ReadingProgress& operator=(const ReadingProgress&) = delete;

  // The file read from now on; a path longer than the room is cut.
  void reading(std::string_view path);
  // The last file named, empty before any.
  std::string current() const;
  // The page's file descriptor, for a program run in the child; -1 when
  // the page could not be shared.
  int descriptor() const { return descriptor_; }

 private:
  // Room for any path Linux opens (PATH_MAX) and its terminating NUL.
  static constexpr std::size_t Room = 4096;
  int descriptor_ = -1;
  char* shared_ = nullptr;
};

// The status of a reader whose reading threw (out of memory, an internal
// error): no parser exits so.
constexpr int ReaderThrewStatus = 125;

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

// Runs `program` with `arguments` in a child process, within `limit`, and
// adds to `names` the table the program writes on its standard output as
// exportAdded() writes it. The program is given "--progress-fd N" first:
// the descriptor of a ReadingProgress page it opens with
// ReadingProgress(N). Returns the fault as readInChild() does; a program
// that cannot be run "could not be run".
std::optional<ChildFault> runReader(NameDatabase& names, const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    std::chrono::milliseconds limit);

}  // namespace pellamar::names
