// One record as a line of tab-separated fields or as a JSON object on one
// line, its fields listed once for both.
#pragma once

#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "output_format.hpp"
#include "pellamar/json.hpp"
#include "pellamar/visible_text.hpp"

namespace pellamar {

// Writes the fields of one record at the end of a string, in the order
// they are given. As TSV a field is its value alone, text from outside
// shown with visible escapes so that no field holds a tab or a line break;
// as JSON each is a member "key":value of one object, its texts JSON
// strings. People read records laid out by each printer, so `Format` is
// TSV or JSON; it is fixed at compile time because a large scan writes a
// dozen fields a line, millions of times.
template <OutputFormat Format>
class RecordLine {
  static_assert(Format != OutputFormat::Human);

 public:
  static constexpr bool Json = Format == OutputFormat::Json;

  // Starts a record at the end of `out`.
  explicit RecordLine(std::string& out) : out_(out) {
    if constexpr (Json) {
      out_ += '{';
    }
  }

  // Goes on with a record whose first fields `out` already holds, as a
  // RecordLine wrote them and left them unended: a prefix made once and
  // copied at the start of each line.
  static RecordLine after(std::string& out) { return RecordLine(out, false); }

  void number(std::string_view key, std::uint64_t value) {
    // A field's tab and digits go in one append: TSV lines are mostly
    // numbers.
    std::array<char, 21> field;  // NOLINT(*-member-init): only what is written is read
    char* at = field.data();
    if constexpr (Json) {
      open(key);
    } else if (!std::exchange(first_, false)) {
      *at++ = '\t';
    }
    at = std::to_chars(at, field.data() + field.size(), value).ptr;
    out_.append(field.data(), at);
  }

  // Text from outside.
  void text(std::string_view key, std::string_view value) {
    open(key);
    if constexpr (Json) {
      appendJsonString(out_, value);
    } else {
      appendVisible(out_, value);
    }
  }

  // Text from outside, or none when empty: JSON null, an empty field.
  void optionalText(std::string_view key, std::string_view value) {
    if (value.empty()) {
      none(key);
    } else {
      text(key, value);
    }
  }

  // Text the program made, known to need no escape in either form.
  void plain(std::string_view key, std::string_view value) {
    open(key);
    if constexpr (Json) {
      out_ += '"';
      out_ += value;
      out_ += '"';
    } else {
      out_ += value;
    }
  }

  // Text from outside that prepareText() made ready for this format, or
  // none when empty: a record written for each of many repeats pays for
  // the escaping once.
  void prepared(std::string_view key, std::string_view value) {
    if (value.empty()) {
      none(key);
    } else {
      open(key);
      out_ += value;
    }
  }

  // JSON true or false; the field 1 or 0.
  void flag(std::string_view key, bool value) {
    if constexpr (Json) {
      open(key);
      out_ += value ? "true" : "false";
    } else {
      const std::string_view field = value ? "\t1" : "\t0";
      out_ += std::exchange(first_, false) ? field.substr(1) : field;
    }
  }

  // A field with no value: JSON null, an empty field.
  void none(std::string_view key) {
    open(key);
    if constexpr (Json) {
      out_ += "null";
    }
  }

  // Ends the record, and its line.
  void end() {
    if constexpr (Json) {
      out_ += '}';
    }
    out_ += '\n';
  }

 private:
  RecordLine(std::string& out, bool first) : out_(out), first_(first) {}

  // The separator before a field, and its key.
  void open(std::string_view key) {
    if constexpr (Json) {
      if (!first_) {
        out_ += ',';
      }
      out_ += '"';
      out_ += key;
      out_ += "\":";
    } else if (!first_) {
      out_ += '\t';
    }
    first_ = false;
  }

  std::string& out_;
  bool first_ = true;
};

// Calls `fields` with a RecordLine of `format`, TSV or JSON, that starts a
// record at the end of `out`, or (`after`) goes on with one.
template <typename Fields>
void writeRecord(std::string& out, OutputFormat format, const Fields& fields, bool after = false) {
  if (format == OutputFormat::Json) {
    fields(after ? RecordLine<OutputFormat::Json>::after(out)
                 : RecordLine<OutputFormat::Json>(out));
  } else {
    fields(after ? RecordLine<OutputFormat::Tsv>::after(out) : RecordLine<OutputFormat::Tsv>(out));
  }
}

// `text` from outside as RecordLine::prepared() writes it in `format`:
// shown with visible escapes for people and in fields, a whole JSON string
// for JSON; empty for empty text.
std::string prepareText(std::string_view text, OutputFormat format);

}  // namespace pellamar
