// One record as a line of tab-separated fields or as a JSON object on one
// line, its fields listed once for both.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "output_format.hpp"

namespace pellamar {

// Writes the fields of one record at the end of a string, in the order
// they are given. As TSV a field is its value alone, text from outside
// shown with visible escapes so that no field holds a tab or a line break;
// as JSON each is a member "key":value of one object, its texts JSON
// strings. Only `OutputFormat::Tsv` and `OutputFormat::Json` are written:
// people read records laid out by each printer.
class RecordLine {
 public:
  // Starts a record at the end of `out`.
  RecordLine(std::string& out, OutputFormat format);

  // Goes on with a record whose first fields `out` already holds, as a
  // RecordLine wrote them and left them unended: a prefix made once and
  // copied at the start of each line.
  static RecordLine after(std::string& out, OutputFormat format);

  void number(std::string_view key, std::uint64_t value);
  // Text from outside.
  void text(std::string_view key, std::string_view value);
  // Text from outside, or none when empty: JSON null, an empty field.
  void optionalText(std::string_view key, std::string_view value);
  // Text the program made, known to need no escape in either form.
  void plain(std::string_view key, std::string_view value);
  // JSON true or false; the field 1 or 0.
  void flag(std::string_view key, bool value);
  // A field with no value: JSON null, an empty field.
  void none(std::string_view key);

  // Ends the record, and its line.
  void end();

 private:
  RecordLine(std::string& out, OutputFormat format, bool first);
  // The separator before a field, and its key.
  void open(std::string_view key);

  std::string& out_;
  bool json_;
  bool first_;
};

}  // namespace pellamar
