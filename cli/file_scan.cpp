#include "file_scan.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "output_block.hpp"
#include "pellamar/input_scanner.hpp"

namespace {

// Files are read in pieces of this size: large enough that reading costs
// little, small enough that memory is the same for any file.
constexpr std::size_t ReadPiece = std::size_t{1} << 16;

constexpr std::string_view StandardInputName = "(standard input)";

// A scan's lines go to the output block, its faults to the diagnostics.
class ScanToOutput final : public pellamar::ScanOutput {
 public:
  ScanToOutput(pellamar::OutputBlock& output, Diagnostics& diagnostics)
      : output_(output), diagnostics_(diagnostics) {}
  void write(std::string_view lines) override { output_.append(lines); }
  void fault(const std::string& message) override { diagnostics_.error(message); }

 private:
  pellamar::OutputBlock& output_;
  Diagnostics& diagnostics_;
};

// Reads the file open on `fd` through `scanner`; returns false, having
// reported why, when reading fails.
bool readThrough(int fd, std::string_view file, pellamar::InputScanner& scanner,
                 Diagnostics& diagnostics) {
  auto piece = std::make_unique_for_overwrite<std::uint8_t[]>(ReadPiece);
  for (;;) {
    const ssize_t count = read(fd, piece.get(), ReadPiece);
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      diagnostics.error(std::string(file) + ": " + std::strerror(errno));
      return false;
    }
    if (count > 0) {
      scanner.feed({piece.get(), static_cast<std::size_t>(count)});
    }
    if (count == 0 || scanner.ended()) {
      scanner.finish();
      return true;
    }
  }
}

}  // namespace

bool scanFiles(const std::vector<std::string>& files, const ScanOptions& options,
               ObjectNames& names, Diagnostics& diagnostics) {
  pellamar::OutputBlock output(STDOUT_FILENO);
  ScanToOutput toOutput(output, diagnostics);
  pellamar::ScanReport printer(options, names, toOutput);
  bool allRead = true;
  const std::vector<std::string> standardInput{"-"};
  for (const std::string& file : files.empty() ? standardInput : files) {
    const bool isStandardInput = file == "-";
    const std::string_view shownName = isStandardInput ? StandardInputName : file;
    const int fd = isStandardInput ? STDIN_FILENO : open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      diagnostics.error(file + ": " + std::strerror(errno));
      allRead = false;
      continue;
    }
    printer.startFile(shownName);
    pellamar::InputScanner scanner(printer);
    allRead = readThrough(fd, shownName, scanner, diagnostics) && allRead;
    if (!isStandardInput) {
      close(fd);
    }
  }
  if (options.count) {
    printer.writeCounts();
  }
  output.flush();
  return allRead && printer.faultFree();
}
