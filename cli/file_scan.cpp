#include "file_scan.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>

#include "name_query.hpp"
#include "output_block.hpp"
#include "pellamar/input_scanner.hpp"
#include "pellamar/relative_oid.hpp"
#include "pellamar/writers.hpp"

namespace {

using pellamar::FoundIdentifier;
using pellamar::IdentifierTag;

// Files are read in pieces of this size: large enough that reading costs
// little, small enough that memory is the same for any file.
constexpr std::size_t ReadPiece = std::size_t{1} << 16;

constexpr std::string_view StandardInputName = "(standard input)";

std::string_view tagText(IdentifierTag tag) {
  return tag == IdentifierTag::ObjectIdentifier ? "OID" : "RELATIVE-OID";
}

// The dotted text of an identifier found, relative ones as they are.
std::string dottedOf(IdentifierTag tag, const pellamar::ObjectIdentifier& contents) {
  std::string dotted;
  if (tag == IdentifierTag::RelativeOid) {
    pellamar::RelativeOid relative;
    (void)pellamar::RelativeOid::fromContents(contents.octets(), relative);
    pellamar::append(relative, pellamar::Form::Dotted, dotted);
  } else {
    pellamar::append(contents, pellamar::Form::Dotted, dotted);
  }
  return dotted;
}

// What is shown of an identifier, found once for each distinct one.
struct Shown {
  std::string dotted;
  // Its own name, qualified; empty when no source names it.
  std::string name;
  // The name as people are shown it, with OpenSSL's long name.
  std::string shown;
};

class ScanPrinter final : public pellamar::InputSink {
 public:
  ScanPrinter(const ScanOptions& options, OutputBlock& output, ObjectNames& names,
              Diagnostics& diagnostics)
      : options_(options), output_(output), names_(names), diagnostics_(diagnostics) {}

  void startFile(std::string_view file) {
    file_ = file;
    block_ = 0;
    label_.clear();
    headed_ = false;
  }
  bool faultFree() const { return faultFree_; }

  void blockStarted(std::size_t number, std::string_view label) override {
    block_ = number;
    label_ = label;
    headed_ = false;
  }

  void found(const FoundIdentifier& identifier) override {
    const Shown& shown = shownOf(identifier.tag, identifier.contents);
    if (options_.unknown && !shown.name.empty()) {
      return;
    }
    if (options_.count) {
      auto [counted, added] = counts_.try_emplace(key(identifier.tag, identifier.contents),
                                                  Counted{&shown, identifier.tag, 0});
      if (added) {
        order_.push_back(&counted->second);
      }
      ++counted->second.count;
      return;
    }
    const Shown* within = identifier.hasWithin
                              ? &shownOf(IdentifierTag::ObjectIdentifier, identifier.within)
                              : nullptr;
    std::string line;
    switch (options_.format) {
      case OutputFormat::Human:
        if (!headed_) {
          line = std::string(file_);
          if (block_ > 0) {
            line += ", block " + std::to_string(block_) + " (" + label_ + ")";
          }
          line += ":\n";
          headed_ = true;
        }
        line += humanLine(identifier, shown, within);
        break;
      case OutputFormat::Tsv:
        line = std::string(file_) + '\t' + (block_ > 0 ? std::to_string(block_) : "") + '\t' +
               label_ + '\t' + std::to_string(identifier.offset) + '\t' +
               std::to_string(identifier.depth) + '\t' + std::string(tagText(identifier.tag)) +
               '\t' + shown.dotted + '\t' + shown.name + '\t' + (identifier.leads ? "1" : "0") +
               '\t' + (within != nullptr ? within->dotted : "") + '\t' +
               (within != nullptr ? within->name : "") + '\n';
        break;
      case OutputFormat::Json:
        line = "{\"file\":" + jsonString(file_) +
               ",\"block\":" + (block_ > 0 ? std::to_string(block_) : "null") +
               ",\"label\":" + (block_ > 0 ? jsonString(label_) : "null") +
               ",\"offset\":" + std::to_string(identifier.offset) +
               ",\"depth\":" + std::to_string(identifier.depth) + ",\"tag\":\"" +
               std::string(tagText(identifier.tag)) + "\",\"identifier\":\"" + shown.dotted +
               "\",\"name\":" + optionalJson(shown.name) +
               ",\"leads\":" + (identifier.leads ? "true" : "false") +
               ",\"within\":" + (within != nullptr ? "\"" + within->dotted + "\"" : "null") +
               ",\"within_name\":" + (within != nullptr ? optionalJson(within->name) : "null") +
               "}\n";
        break;
    }
    write(line);
  }

  void fault(const pellamar::ScanFault& fault) override {
    std::string place(file_);
    place += ": ";
    if (block_ > 0) {
      place += "block " + std::to_string(block_) + ", ";
    }
    place += "offset " + std::to_string(fault.offset) + ": ";
    diagnostics_.error(place + pellamar::describe(fault));
    faultFree_ = false;
  }

  void textFault(std::uint64_t line, std::uint64_t column, const std::string& message) override {
    std::string place(file_);
    if (line > 0) {
      place += ":" + std::to_string(line);
      if (column > 0) {
        place += ":" + std::to_string(column);
      }
    }
    diagnostics_.error(place + ": " + message);
    faultFree_ = false;
  }

  // Writes each distinct identifier with its count, the most found first.
  void writeCounts() {
    std::stable_sort(order_.begin(), order_.end(),
                     [](const Counted* a, const Counted* b) { return a->count > b->count; });
    for (const Counted* counted : order_) {
      const Shown& shown = *counted->shown;
      std::string line;
      switch (options_.format) {
        case OutputFormat::Human: {
          std::string number = std::to_string(counted->count);
          constexpr std::size_t countWidth = 7;
          line = std::string(countWidth - std::min(countWidth - 1, number.size()), ' ') + number +
                 "  " + relativeMark(counted->tag) + shown.dotted +
                 (shown.name.empty() ? "" : "  " + shown.shown) + '\n';
          break;
        }
        case OutputFormat::Tsv:
          line = std::to_string(counted->count) + '\t' + std::string(tagText(counted->tag)) + '\t' +
                 shown.dotted + '\t' + shown.name + '\n';
          break;
        case OutputFormat::Json:
          line = "{\"count\":" + std::to_string(counted->count) + ",\"tag\":\"" +
                 std::string(tagText(counted->tag)) + "\",\"identifier\":\"" + shown.dotted +
                 "\",\"name\":" + optionalJson(shown.name) + "}\n";
          break;
      }
      write(line);
    }
  }

 private:
  struct Counted {
    const Shown* shown;
    IdentifierTag tag;
    std::size_t count;
  };

  static std::string key(IdentifierTag tag, const pellamar::ObjectIdentifier& contents) {
    const auto octets = contents.octets();
    std::string text(1, static_cast<char>(tag));
    text.append(reinterpret_cast<const char*>(octets.data()), octets.size());
    return text;
  }

  static std::string optionalJson(const std::string& text) {
    return text.empty() ? "null" : jsonString(text);
  }

  static std::string relativeMark(IdentifierTag tag) {
    return tag == IdentifierTag::RelativeOid ? "relative " : "";
  }

  const Shown& shownOf(IdentifierTag tag, const pellamar::ObjectIdentifier& contents) {
    auto [known, added] = shown_.try_emplace(key(tag, contents));
    if (added) {
      known->second.dotted = dottedOf(tag, contents);
      if (tag == IdentifierTag::ObjectIdentifier) {
        const auto own = names_.database().namesOf(contents.octets());
        if (!own.empty()) {
          known->second.name = own.front().qualified();
          known->second.shown = own.front().shown();
        }
      }
    }
    return known->second;
  }

  // "    245  d=7  2.5.29.37  extKeyUsage  (in ...)"
  static std::string humanLine(const FoundIdentifier& identifier, const Shown& shown,
                               const Shown* within) {
    constexpr std::size_t offsetWidth = 8;
    const std::string offset = std::to_string(identifier.offset);
    std::string line(offsetWidth - std::min(offsetWidth - 1, offset.size()), ' ');
    line += offset + "  d=" + std::to_string(identifier.depth) + "  " +
            relativeMark(identifier.tag) + shown.dotted;
    if (!shown.name.empty()) {
      line += "  " + shown.shown;
    }
    if (within != nullptr) {
      line += "  (in " + (within->name.empty() ? within->dotted : within->shown) + ")";
    }
    return line + '\n';
  }

  void write(const std::string& text) { output_.append(text); }

  const ScanOptions& options_;
  OutputBlock& output_;
  ObjectNames& names_;
  Diagnostics& diagnostics_;
  std::string_view file_;
  std::size_t block_ = 0;
  std::string label_;
  bool headed_ = false;
  bool faultFree_ = true;
  std::unordered_map<std::string, Shown> shown_;
  std::unordered_map<std::string, Counted> counts_;
  std::vector<Counted*> order_;
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
    if (count == 0) {
      scanner.finish();
      return true;
    }
    scanner.feed({piece.get(), static_cast<std::size_t>(count)});
  }
}

}  // namespace

bool scanFiles(const std::vector<std::string>& files, const ScanOptions& options,
               ObjectNames& names, Diagnostics& diagnostics) {
  OutputBlock output(STDOUT_FILENO);
  ScanPrinter printer(options, output, names, diagnostics);
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
