#include "file_scan.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>

#include "name_query.hpp"
#include "output_block.hpp"
#include "pellamar/input_scanner.hpp"
#include "pellamar/relative_oid.hpp"
#include "pellamar/visible_text.hpp"
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

// What is shown of an identifier, found once for each distinct one, and
// how often it was found. Its names are escaped, but in JSON.
struct Shown {
  IdentifierTag tag = IdentifierTag::ObjectIdentifier;
  std::size_t count = 0;
  std::string dotted;
  // Its own name, qualified; empty when no source names it.
  std::string name;
  // The name as people are shown it, OpenSSL's long name first.
  std::string shown;
  // The enterprise that owns an identifier under 1.3.6.1.4.1, when the
  // identifier's own name is not that enterprise's; empty otherwise.
  std::string owner;
};

class ScanPrinter final : public pellamar::InputSink {
 public:
  ScanPrinter(const ScanOptions& options, OutputBlock& output, ObjectNames& names,
              Diagnostics& diagnostics)
      : options_(options), output_(output), names_(names), diagnostics_(diagnostics) {}

  void startFile(std::string_view file) {
    file_ = file;
    shownFile_ = pellamar::visible(file);
    blockStarted(0, {});
  }
  bool faultFree() const { return faultFree_; }

  void blockStarted(std::size_t number, std::string_view label) override {
    block_ = number;
    label_ = label;
    shownLabel_ = pellamar::visible(label);
    headed_ = false;
    // The fields every line of the block starts with.
    tsvPrefix_ =
        shownFile_ + '\t' + (block_ > 0 ? std::to_string(block_) : "") + '\t' + shownLabel_ + '\t';
  }

  void found(const FoundIdentifier& identifier) override {
    const Shown& shown = shownOf(identifier.tag, identifier.contents);
    if (options_.unknown && !shown.name.empty()) {
      return;
    }
    if (options_.count) {
      Shown& counted = shownOf(identifier.tag, identifier.contents);
      if (counted.count++ == 0) {
        order_.push_back(&counted);
      }
      return;
    }
    const Shown* within = identifier.hasWithin
                              ? &shownOf(IdentifierTag::ObjectIdentifier, identifier.within)
                              : nullptr;
    std::string& line = line_;
    line.clear();
    switch (options_.format) {
      case OutputFormat::Human:
        if (!headed_) {
          line = shownFile_;
          if (block_ > 0) {
            line += ", block " + std::to_string(block_) + " (" + shownLabel_ + ")";
          }
          line += ":\n";
          headed_ = true;
        }
        appendHumanLine(line, identifier, shown, within);
        break;
      case OutputFormat::Tsv:
        line += tsvPrefix_;
        appendNumber(line, identifier.offset);
        line += '\t';
        appendNumber(line, identifier.depth);
        line += '\t';
        line += tagText(identifier.tag);
        line += '\t';
        line += shown.dotted;
        line += '\t';
        line += shown.name;
        line += identifier.leads ? "\t1\t" : "\t0\t";
        if (within != nullptr) {
          line += within->dotted;
          line += '\t';
          line += within->name;
        } else {
          line += '\t';
        }
        line += '\n';
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
               ",\"owner\":" + optionalJson(shown.owner) + "}\n";
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
      place += ':';
      place += std::to_string(line);
      if (column > 0) {
        place += ':';
        place += std::to_string(column);
      }
    }
    place += ": ";
    place += message;
    diagnostics_.error(place);
    faultFree_ = false;
  }

  // Writes each distinct identifier with its count, the most found first.
  void writeCounts() {
    std::stable_sort(order_.begin(), order_.end(),
                     [](const Shown* a, const Shown* b) { return a->count > b->count; });
    for (const Shown* counted : order_) {
      const Shown& shown = *counted;
      std::string line;
      switch (options_.format) {
        case OutputFormat::Human: {
          std::string number = std::to_string(counted->count);
          constexpr std::size_t countWidth = 7;
          line = std::string(countWidth - std::min(countWidth - 1, number.size()), ' ') + number +
                 "  " + std::string(relativeMark(counted->tag)) + shown.dotted +
                 (shown.name.empty() ? "" : "  " + shown.shown) +
                 (shown.owner.empty() ? "" : "  [" + shown.owner + "]") + '\n';
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
  // Maps are looked up by the tag and contents octets as a text, without
  // making a string each time.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };

  static void appendNumber(std::string& out, std::uint64_t value) {
    std::array<char, 20> digits;  // NOLINT(*-member-init): only what is written is read
    const auto end = std::to_chars(digits.begin(), digits.end(), value).ptr;
    out.append(digits.data(), end);
  }

  static std::string optionalJson(const std::string& text) {
    return text.empty() ? "null" : jsonString(text);
  }

  static std::string_view relativeMark(IdentifierTag tag) {
    return tag == IdentifierTag::RelativeOid ? "relative " : "";
  }

  Shown& shownOf(IdentifierTag tag, const pellamar::ObjectIdentifier& contents) {
    const auto octets = contents.octets();
    key_.assign(1, static_cast<char>(tag));
    key_.append(reinterpret_cast<const char*>(octets.data()), octets.size());
    if (const auto known = shown_.find(std::string_view(key_)); known != shown_.end()) {
      return known->second;
    }
    Shown& shown = shown_[key_];
    shown.tag = tag;
    shown.dotted = dottedOf(tag, contents);
    if (tag == IdentifierTag::ObjectIdentifier) {
      const auto own = names_.database().namesOf(contents.octets());
      if (!own.empty()) {
        shown.name = own.front().qualified();
        shown.shown = own.front().shownLongFirst();
      }
      names_.database().describe(contents, description_, shown.dotted);
      if (description_.owner &&
          (own.empty() || own.front().source->kind != SourceKind::Enterprises)) {
        shown.owner = description_.owner->name;
      }
      // Names come from files: people and fields see them escaped, JSON
      // escapes them its own way.
      if (options_.format != OutputFormat::Json) {
        shown.name = pellamar::visible(shown.name);
        shown.shown = pellamar::visible(shown.shown);
        shown.owner = pellamar::visible(shown.owner);
      }
    }
    return shown;
  }

  // "    245  d=7  2.5.29.37  extKeyUsage  (in ...)"
  static void appendHumanLine(std::string& line, const FoundIdentifier& identifier,
                              const Shown& shown, const Shown* within) {
    constexpr std::size_t offsetWidth = 8;
    const std::size_t start = line.size();
    appendNumber(line, identifier.offset);
    const std::size_t digits = line.size() - start;
    line.insert(start, offsetWidth - std::min(offsetWidth - 1, digits), ' ');
    line += "  d=";
    appendNumber(line, identifier.depth);
    line += "  ";
    line += relativeMark(identifier.tag);
    line += shown.dotted;
    if (!shown.name.empty()) {
      line += "  ";
      line += shown.shown;
    }
    if (!shown.owner.empty()) {
      line += "  [";
      line += shown.owner;
      line += ']';
    }
    if (within != nullptr) {
      line += "  (in ";
      line += within->name.empty() ? within->dotted : within->shown;
      line += ')';
    }
    line += '\n';
  }

  void write(const std::string& text) { output_.append(text); }

  const ScanOptions& options_;
  OutputBlock& output_;
  ObjectNames& names_;
  // Reused from one distinct identifier to the next.
  Description description_;
  Diagnostics& diagnostics_;
  std::string_view file_;
  std::size_t block_ = 0;
  std::string label_;
  // The file's name and the block's label as people and fields see them.
  std::string shownFile_;
  std::string shownLabel_;
  bool headed_ = false;
  bool faultFree_ = true;
  std::string tsvPrefix_;
  std::string line_;
  std::string key_;
  std::unordered_map<std::string, Shown, TextHash, std::equal_to<>> shown_;
  std::vector<Shown*> order_;
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
