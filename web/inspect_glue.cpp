// The inspection page's actions: pellamar-cli's encode, decode and scan,
// called from JavaScript through a small C interface, with the names the
// page holds built in and the user's own names file. Texts cross as UTF-8;
// each action leaves its results, and its messages as a JSON array, for the
// page to fetch.
#include <emscripten/emscripten.h>

#include <cstdint>
#include <exception>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <string_view>

#include "item_conversion.hpp"
#include "name_listing.hpp"
#include "output_block.hpp"
#include "pellamar/characters.hpp"
#include "pellamar/input_scanner.hpp"
#include "pellamar/json.hpp"
#include "pellamar/visible_text.hpp"
#include "scan_report.hpp"
#include "source_readers.hpp"

using namespace pellamar;

namespace {

// The names the page looks up: its built-in table, after the user's own
// names file when one is given.
class PageNames final : public NameLookup {
 public:
  const names::NameDatabase& database() override { return database_; }
  void replace(names::NameDatabase database) { database_ = std::move(database); }

 private:
  names::NameDatabase database_;
};

PageNames pageNames;
// When the built-in names were read, as their first line gives it.
std::string namesDate;
// What the last action gave.
std::string results;
std::string messages;

void addMessage(std::string_view text) {
  messages += messages.empty() ? "[" : ",";
  appendJsonString(messages, visible(text, Backslash::Kept));
}

// The messages as a JSON array.
std::string listedMessages;
const char* messageList() {
  listedMessages = messages.empty() ? std::string("[]") : messages + "]";
  return listedMessages.c_str();
}

// Messages about the items, each at its line and column of the text.
class PlacedMessages final : public MessageSink {
 public:
  void report(long line, int column, std::string_view message, bool warning) override {
    messages += messages.empty() ? "[" : ",";
    messages.append("{\"line\":")
        .append(std::to_string(line))
        .append(",\"column\":")
        .append(std::to_string(column))
        .append(",\"warning\":")
        .append(warning ? "true" : "false")
        .append(",\"message\":");
    appendJsonString(messages, visible(message, Backslash::Kept));
    messages += '}';
  }
};

// The lines of a scan go to the results; its faults to the messages.
class ScanToPage final : public ScanOutput {
 public:
  void write(std::string_view lines) override { results.append(lines); }
  void fault(const std::string& message) override { addMessage(message); }
};

// What a scan's identifiers are also counted into, for the counts view,
// which holds each distinct identifier once.
class CountsOnly final : public ScanOutput {
 public:
  explicit CountsOnly(std::string& counts) : counts_(counts) {}
  void write(std::string_view lines) override { counts_.append(lines); }
  void fault(const std::string&) override {}

 private:
  std::string& counts_;
};

// Hands what a scanner finds to both reports: one line an identifier, and
// the counts.
class BothReports final : public InputSink {
 public:
  BothReports(ScanReport& lines, ScanReport& counts) : lines_(lines), counts_(counts) {}
  void blockStarted(std::size_t number, std::string_view label) override {
    lines_.blockStarted(number, label);
    counts_.blockStarted(number, label);
  }
  void found(const FoundIdentifier& identifier) override {
    lines_.found(identifier);
    counts_.found(identifier);
  }
  void fault(const ScanFault& fault) override {
    lines_.fault(fault);
    counts_.fault(fault);
  }
  void textFault(std::uint64_t line, std::uint64_t column, const std::string& message) override {
    lines_.textFault(line, column, message);
    counts_.textFault(line, column, message);
  }

 private:
  ScanReport& lines_;
  ScanReport& counts_;
};

// One file's scan, fed in pieces as the page reads them.
struct FileScan {
  ScanToPage output;
  std::string counts;
  CountsOnly countsOutput{counts};
  ScanReport lines{{OutputFormat::Json, false, false}, pageNames, output};
  ScanReport counted{{OutputFormat::Json, true, false}, pageNames, countsOutput};
  BothReports both{lines, counted};
  InputScanner scanner{both};
};

std::optional<FileScan> fileScan;

// What the page asks of encode and decode, as flags.
enum ConversionFlag : int {
  DecodeFlag = 1,
  HexFlag = 2,
  DerFlag = 4,
  RelativeFlag = 8,
  LenientFlag = 16,
};

std::string_view textOf(const char* text, int length) {
  return {text, static_cast<std::size_t>(length)};
}

}  // namespace

extern "C" {

// Gives the messages Unicode's names, from the table the page holds.
// Returns 1, or 0 when the table is damaged.
EMSCRIPTEN_KEEPALIVE int inspect_load_characters(const char* table, int length) {
  return useCharacterTable(textOf(table, length)) ? 1 : 0;
}

// Loads the names: `builtIn`, the page's table (a line with its date, then
// the table as NameDatabase::exportAdded() writes it), after the user's
// names file `user`, named `userName`, when `userLength` is not negative;
// the messages say what is wrong in the user's file. Returns 1, or 0 when
// the built-in table is damaged.
EMSCRIPTEN_KEEPALIVE int inspect_load_names(const char* builtIn, int builtInLength,
                                            const char* user, int userLength,
                                            const char* userName) {
  messages.clear();
  const std::string_view table = textOf(builtIn, builtInLength);
  const std::size_t lineEnd = table.find('\n');
  if (lineEnd == std::string_view::npos) {
    return 0;
  }
  namesDate = table.substr(0, lineEnd);
  names::NameDatabase database;
  if (userLength >= 0) {
    std::istringstream file{std::string(textOf(user, userLength))};
    names::readNamesFile(database, names::SourceKind::UserNames, userName, file);
  }
  // What is wrong in the user's file is said; the built-in sources'
  // warnings were said when the page was built.
  for (const std::string& warning : database.warnings()) {
    addMessage(warning);
  }
  if (!database.addExported(table.substr(lineEnd + 1))) {
    return 0;
  }
  database.finish();
  pageNames.replace(std::move(database));
  return 1;
}

// The sources of the names, as `pellamar-cli names --sources --json`
// lists them.
EMSCRIPTEN_KEEPALIVE const char* inspect_sources() {
  results.clear();
  appendSourceLines(results, pageNames.database(), OutputFormat::Json);
  return results.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* inspect_names_date() {
  return namesDate.c_str();
}

// Converts each line of `text` as pellamar-cli encode (or decode) does its
// standard input, for people; `flags` are ConversionFlag's. Returns 1 when
// every item converted.
EMSCRIPTEN_KEEPALIVE int inspect_convert(const char* text, int length, int flags) {
  results.clear();
  messages.clear();
  ConversionOptions options;
  options.command = (flags & DecodeFlag) != 0 ? Command::Decode : Command::Encode;
  options.hex = (flags & HexFlag) != 0;
  options.der = (flags & DerFlag) != 0;
  options.relative = (flags & RelativeFlag) != 0;
  options.lenient = (flags & LenientFlag) != 0;
  OutputBlock output(results);
  PlacedMessages placed;
  ItemConverter converter(options, pageNames, output, placed, false);
  std::string_view rest = textOf(text, length);
  // A byte-order mark is no part of the first item.
  if (rest.starts_with("\xEF\xBB\xBF")) {
    rest.remove_prefix(3);
  }
  bool allConverted = true;
  long number = 0;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    allConverted = converter.convert(line, ++number, false) && allConverted;
  }
  output.flush();
  return allConverted ? 1 : 0;
}

// Starts the scan of a file named `file`.
EMSCRIPTEN_KEEPALIVE void inspect_scan_start(const char* file) {
  results.clear();
  messages.clear();
  fileScan.emplace();
  fileScan->lines.startFile(file);
  fileScan->counted.startFile(file);
}

// Scans the next piece of the file; its lines, as JSON Lines, are the
// results. Returns 0 once a fault has ended the scan, so that the rest
// need not be read.
EMSCRIPTEN_KEEPALIVE int inspect_scan_feed(const std::uint8_t* octets, int length) {
  results.clear();
  fileScan->scanner.feed(std::span(octets, static_cast<std::size_t>(length)));
  return fileScan->scanner.ended() ? 0 : 1;
}

// Ends the scan: its last lines are the results, and the counts follow
// with inspect_counts().
EMSCRIPTEN_KEEPALIVE void inspect_scan_finish() {
  results.clear();
  fileScan->scanner.finish();
  fileScan->counted.writeCounts();
}

EMSCRIPTEN_KEEPALIVE const char* inspect_counts() {
  return fileScan ? fileScan->counts.c_str() : "";
}

EMSCRIPTEN_KEEPALIVE const char* inspect_results() {
  return results.c_str();
}

// The messages of the last action, as a JSON array: of objects (line,
// column, warning, message) for a conversion, of texts otherwise.
EMSCRIPTEN_KEEPALIVE const char* inspect_messages() {
  return messageList();
}
}
