#include "diagnostics.hpp"

#include "pellamar/visible_text.hpp"

// Messages quote items, file names and names read from files: each is
// written with what could control the terminal escaped.
void Diagnostics::report(long number, int column, std::string_view message, bool warning) {
  std::fprintf(stream_, "pellamar-cli: %ld:%d: %s%s\n", number, column, warning ? "warning: " : "",
               pellamar::visible(message, pellamar::Backslash::Kept).c_str());
}

void Diagnostics::error(const std::string& message) {
  std::fprintf(stream_, "pellamar-cli: %s\n",
               pellamar::visible(message, pellamar::Backslash::Kept).c_str());
}

void Diagnostics::warn(const std::string& message) {
  std::fprintf(stream_, "pellamar-cli: warning: %s\n",
               pellamar::visible(message, pellamar::Backslash::Kept).c_str());
}
