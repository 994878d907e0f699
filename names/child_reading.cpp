#include "child_reading.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>

namespace pellamar::names {

namespace {

// The status a shell gives a program it cannot run.
constexpr int CannotRunStatus = 127;

// Writes all of `data`, through interruptions; false when the reader is gone.
bool writeAll(int descriptor, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = ::write(descriptor, data.data(), data.size());
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string secondsText(std::chrono::milliseconds limit) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit).count();
  return seconds == 1 ? "1 second" : std::to_string(seconds) + " seconds";
}

std::string reasonOf(int status) {
  if (WIFSIGNALED(status)) {
    const char* name = strsignal(WTERMSIG(status));
    return std::string("crashed (") + (name != nullptr ? name : "unknown signal") + ")";
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == ReaderThrewStatus) {
    return "ran out of memory or met an internal error";
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == CannotRunStatus) {
    return "could not be run";
  }
  // waitpid() without WUNTRACED: a child not signaled has exited.
  return "ended with status " + std::to_string(WEXITSTATUS(status));
}

// Reads what the child writes until it closes its end, or `deadline`.
// False when the deadline came first.
bool readUntilClosed(int descriptor, std::string& received,
                     std::chrono::steady_clock::time_point deadline) {
  constexpr std::size_t Chunk = 65536;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      return false;
    }
    pollfd wanted{descriptor, POLLIN, 0};
    const int ready =
        poll(&wanted, 1, static_cast<int>(std::min<long long>(left.count(), INT32_MAX)));
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    if (ready == 0) {
      return false;
    }
    if (ready < 0) {
      return true;
    }
    const std::size_t start = received.size();
    received.resize(start + Chunk);
    const ssize_t count = ::read(descriptor, received.data() + start, Chunk);
    received.resize(start + static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
    if (count == 0 || (count < 0 && errno != EINTR && errno != EAGAIN)) {
      return true;
    }
  }
}

}  // namespace

ReadingProgress::ReadingProgress() {
  // A file only in memory, so that a program the child runs can map it too.
  const int descriptor = memfd_create("pellamar-reading-progress", MFD_CLOEXEC);
  if (descriptor >= 0 && ftruncate(descriptor, Room) == 0) {
    void* mapped = mmap(nullptr, Room, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    if (mapped != MAP_FAILED) {
      descriptor_ = descriptor;
      shared_ = static_cast<char*>(mapped);
      shared_[0] = '\0';
      return;
    }
  }
  if (descriptor >= 0) {
    close(descriptor);
  }
}

ReadingProgress::ReadingProgress(int descriptor) {
  void* mapped = mmap(nullptr, Room, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
  if (mapped != MAP_FAILED) {
    descriptor_ = descriptor;
    shared_ = static_cast<char*>(mapped);
  }
}

ReadingProgress::~ReadingProgress() {
  if (shared_ != nullptr) {
    munmap(shared_, Room);
  }
  if (descriptor_ >= 0) {
    close(descriptor_);
  }
}

void ReadingProgress::reading(std::string_view path) {
  if (shared_ != nullptr) {
    const std::size_t size = std::min(path.size(), Room - 1);
    std::memcpy(shared_, path.data(), size);
    shared_[size] = '\0';
  }
}

std::string ReadingProgress::current() const {
  return shared_ != nullptr ? std::string(shared_, strnlen(shared_, Room)) : std::string();
}

namespace {

// Runs `child` in a child process that writes its table to the descriptor
// it is given and never returns, and takes the table over within `limit`.
// Where the process cannot fork or make a pipe, returns nullopt having
// run nothing: `notStarted` is then set.
std::optional<ChildFault> inChild(NameDatabase& names,
                                  const std::function<void(int, ReadingProgress&)>& child,
                                  std::chrono::milliseconds limit, bool& notStarted) {
  notStarted = false;
  ReadingProgress progress;
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) {
    notStarted = true;
    return std::nullopt;
  }
  const pid_t process = fork();
  if (process < 0) {
    close(ends[0]);
    close(ends[1]);
    notStarted = true;
    return std::nullopt;
  }
  if (process == 0) {
    close(ends[0]);
    // What the parsers, or a sanitizer's report of their crash, would
    // write is no output of the command's: the parent words the fault.
    if (const int null = open("/dev/null", O_WRONLY | O_CLOEXEC); null >= 0) {
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
    }
    child(ends[1], progress);
  }
  close(ends[1]);
  std::string received;
  const bool closed = readUntilClosed(ends[0], received, std::chrono::steady_clock::now() + limit);
  close(ends[0]);
  if (!closed) {
    kill(process, SIGKILL);
  }
  int status = 0;
  while (waitpid(process, &status, 0) < 0 && errno == EINTR) {
  }
  if (!closed) {
    return ChildFault{progress.current(), "took longer than " + secondsText(limit)};
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return ChildFault{progress.current(), reasonOf(status)};
  }
  if (!names.addExported(received)) {
    return ChildFault{progress.current(), "handed over a damaged table"};
  }
  return std::nullopt;
}

}  // namespace

std::optional<ChildFault> readInChild(
    NameDatabase& names, const std::function<void(NameDatabase&, ReadingProgress&)>& read,
    std::chrono::milliseconds limit) {
  bool notStarted = false;
  auto fault = inChild(
      names,
      [&read](int output, ReadingProgress& progress) {
        // _exit: the parent's buffers and exit handlers are the parent's.
        try {
          NameDatabase part;
          read(part, progress);
          _exit(writeAll(output, part.exportAdded()) ? 0 : 1);
        } catch (...) {
          _exit(ReaderThrewStatus);
        }
      },
      limit, notStarted);
  if (notStarted) {
    ReadingProgress progress;
    read(names, progress);
  }
  return fault;
}

std::optional<ChildFault> runReader(NameDatabase& names, const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    std::chrono::milliseconds limit) {
  bool notStarted = false;
  auto fault = inChild(
      names,
      [&](int output, ReadingProgress& progress) {
        // Made before the fork would be safer for a threaded parent, but
        // this one has no other threads: the child may allocate.
        std::vector<std::string> words{program, "--progress-fd",
                                       std::to_string(progress.descriptor())};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
          argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        if (progress.descriptor() >= 0) {
          fcntl(progress.descriptor(), F_SETFD, 0);
        }
        if (dup2(output, STDOUT_FILENO) >= 0) {
          execv(program.c_str(), argv.data());
        }
        _exit(CannotRunStatus);
      },
      limit, notStarted);
  if (notStarted) {
    return ChildFault{{}, "could not be started"};
  }
  return fault;
}

}  // namespace pellamar::names
