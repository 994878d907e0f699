// What a scan of files finds, as records, and each record written for
// people, as tab-separated fields or as JSON Lines: one line for each
// identifier found, or one for each distinct identifier with its count.
// Text from the files (their names, PEM labels) and from the names is
// escaped for people and in fields, and always valid JSON.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "output_format.hpp"
#include "pellamar/input_scanner.hpp"

namespace pellamar {

// Where a scan's lines and faults go.
class ScanOutput {
 public:
  virtual ~ScanOutput() = default;
  // Whole lines of results.
  virtual void write(std::string_view lines) = 0;
  // A fault, worded with its place: "FILE: block 2, offset 12: ...",
  // "FILE:3:7: ...". The file's name is as given: escaping it is the
  // message writer's.
  virtual void fault(const std::string& message) = 0;
};

struct ScanOptions {
  OutputFormat format = OutputFormat::Human;
  // Each distinct identifier once, with the number of times it was found.
  bool count = false;
  // Only the identifiers that no source of names names.
  bool unknown = false;
};

// What is shown of an identifier found: worked out once for each distinct
// one. Names are kept as prepareText() makes them ready for the
// output's format, escaped once.
struct FoundIdentity {
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

// Receives what an InputScanner finds in each file in turn, and writes
// each identifier (or, with `count`, each distinct one at the end) to the
// output as it comes.
class ScanReport final : public InputSink {
 public:
  ScanReport(const ScanOptions& options, NameLookup& names, ScanOutput& output);

  // What follows is found in `file`, named as people are to read it
  // ("(standard input)").
  void startFile(std::string_view file);
  // No fault was reported in any file.
  bool faultFree() const { return faultFree_; }
  // With `count`: each distinct identifier with its count, the most found
  // first.
  void writeCounts();

  void blockStarted(std::size_t number, std::string_view label) override;
  void found(const FoundIdentifier& identifier) override;
  void fault(const ScanFault& fault) override;
  void textFault(std::uint64_t line, std::uint64_t column, const std::string& message) override;

 private:
  // Looked up by the tag and contents octets as a text, without making a
  // string each time.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
      return std::hash<std::string_view>{}(text);
    }
  };

  FoundIdentity& identityOf(IdentifierTag tag, const ObjectIdentifier& contents);
  void appendFound(const FoundIdentifier& identifier, const FoundIdentity& identity,
                   const FoundIdentity* within);

  ScanOptions options_;
  NameLookup& names_;
  ScanOutput& output_;
  // Reused from one distinct identifier to the next.
  names::Description description_;
  std::string file_;
  std::size_t block_ = 0;
  std::string label_;
  // The file's name and the block's label as people and fields see them.
  std::string shownFile_;
  std::string shownLabel_;
  bool headed_ = false;
  bool faultFree_ = true;
  // The fields every TSV or JSON line of the block starts with, unended.
  std::string recordPrefix_;
  std::string line_;
  std::string key_;
  std::unordered_map<std::string, FoundIdentity, TextHash, std::equal_to<>> identities_;
  std::vector<FoundIdentity*> order_;
};

}  // namespace pellamar
