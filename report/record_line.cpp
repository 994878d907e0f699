#include "record_line.hpp"

#include <array>
#include <charconv>

#include "pellamar/json.hpp"
#include "pellamar/visible_text.hpp"

namespace pellamar {

RecordLine::RecordLine(std::string& out, OutputFormat format) : RecordLine(out, format, true) {
  if (json_) {
    out_ += '{';
  }
}

RecordLine RecordLine::after(std::string& out, OutputFormat format) {
  return {out, format, false};
}

RecordLine::RecordLine(std::string& out, OutputFormat format, bool first)
    : out_(out), json_(format == OutputFormat::Json), first_(first) {}

void RecordLine::open(std::string_view key) {
  if (json_) {
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

void RecordLine::number(std::string_view key, std::uint64_t value) {
  open(key);
  std::array<char, 20> digits;  // NOLINT(*-member-init): only what is written is read
  const auto end = std::to_chars(digits.begin(), digits.end(), value).ptr;
  out_.append(digits.data(), end);
}

void RecordLine::text(std::string_view key, std::string_view value) {
  open(key);
  if (json_) {
    appendJsonString(out_, value);
  } else {
    appendVisible(out_, value);
  }
}

void RecordLine::optionalText(std::string_view key, std::string_view value) {
  if (value.empty()) {
    none(key);
  } else {
    text(key, value);
  }
}

void RecordLine::plain(std::string_view key, std::string_view value) {
  open(key);
  if (json_) {
    out_ += '"';
    out_ += value;
    out_ += '"';
  } else {
    out_ += value;
  }
}

void RecordLine::flag(std::string_view key, bool value) {
  open(key);
  if (json_) {
    out_ += value ? "true" : "false";
  } else {
    out_ += value ? '1' : '0';
  }
}

void RecordLine::none(std::string_view key) {
  open(key);
  if (json_) {
    out_ += "null";
  }
}

void RecordLine::end() {
  if (json_) {
    out_ += '}';
  }
  out_ += '\n';
}

}  // namespace pellamar
