// Where pellamar-cli's diagnostics go: standard error, as
// "pellamar-cli: LINE:COLUMN: message", with what could control the
// terminal escaped.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "object_names.hpp"
#include "output_format.hpp"

class Diagnostics final : public pellamar::MessageSink, public Warnings {
 public:
  explicit Diagnostics(std::FILE* stream) : stream_(stream) {}

  void report(long number, int column, std::string_view message, bool warning = false) override;
  void warn(const std::string& message) override;
  // "pellamar-cli: message", the message giving its own place.
  void error(const std::string& message);

 private:
  std::FILE* stream_;
};
