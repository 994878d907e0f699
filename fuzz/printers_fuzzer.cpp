// The printers of scan results and of the names command, on file names,
// PEM labels, names and descriptions made of any octets: for people and as
// tab-separated fields, no line holds a control, a format character or an
// octet that is not UTF-8, and fields keep their count; every JSON line is
// a valid JSON object.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.hpp"
#include "json_lines.hpp"
#include "name_listing.hpp"
#include "pellamar/readers.hpp"
#include "pellamar/visible_text.hpp"
#include "scan_report.hpp"

using namespace pellamar::names;

namespace {

using pellamar::OutputFormat;
using pellamar::fuzz::require;

constexpr std::string_view Named = "1.3.6.1.4.1.99999.3";

class FixedNames final : public pellamar::NameLookup {
 public:
  FixedNames(const std::string& path, std::string_view name, std::string_view description,
             const pellamar::ObjectIdentifier& identifier) {
    const auto source = database_.addSource(SourceKind::UserNames, path);
    database_.add(source, identifier.octets(), name, {}, description);
    database_.finish();
  }
  const NameDatabase& database() override { return database_; }

 private:
  NameDatabase database_;
};

class Collected final : public pellamar::ScanOutput {
 public:
  void write(std::string_view lines) override { text.append(lines); }
  void fault(const std::string& /*message*/) override {}
  std::string text;
};

void requireLines(std::string_view text, OutputFormat format, std::size_t tabs) {
  require(text.empty() || text.back() == '\n', "a line without its end");
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    const std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (format == OutputFormat::Json) {
      require(pellamar::checks::isJsonObject(line), "invalid JSON line");
      continue;
    }
    std::string withoutTabs(line);
    std::erase(withoutTabs, '\t');
    require(withoutTabs.size() + (format == OutputFormat::Tsv ? tabs : 0) == line.size(),
            "fields split");
    require(pellamar::firstEscaped(withoutTabs) == withoutTabs.size(), "unescaped text");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Four texts, separated by NUL octets: a file name, a label, a name and a
  // description.
  std::vector<std::string> parts(4);
  std::size_t part = 0;
  for (std::size_t at = 0; at < size; ++at) {
    if (data[at] == 0 && part + 1 < parts.size()) {
      ++part;
    } else {
      parts[part] += static_cast<char>(data[at]);
    }
  }
  pellamar::ObjectIdentifier identifier;
  (void)pellamar::readDotted(Named, identifier);
  FixedNames names(parts[0], parts[2], parts[3], identifier);
  for (const OutputFormat format : {OutputFormat::Human, OutputFormat::Tsv, OutputFormat::Json}) {
    for (const bool count : {false, true}) {
      Collected collected;
      pellamar::ScanReport report({format, count, false}, names, collected);
      report.startFile(parts[0]);
      report.blockStarted(1, parts[1]);
      pellamar::FoundIdentifier found;
      found.contents = identifier;
      found.hasWithin = true;
      found.within = identifier;
      report.found(found);
      report.writeCounts();
      requireLines(collected.text, format, count ? 3 : 10);
    }
    std::string lines;
    for (const Name& name : names.database().namesOf(identifier.octets())) {
      pellamar::appendNameLine(lines, name, format);
    }
    requireLines(lines, format, 4);
    lines.clear();
    pellamar::appendSourceLines(lines, names.database(), format);
    if (format != OutputFormat::Tsv) {
      requireLines(lines, format, 0);
    }
  }
  return 0;
}
