// Writes pellamar-cli's bash completion, made from its table of options,
// to standard output; the build installs what it writes.
#include <cstdio>

#include "options.hpp"

int main() {
  const std::string script = bashCompletion();
  return std::fwrite(script.data(), 1, script.size(), stdout) == script.size() &&
                 std::fflush(stdout) == 0
             ? 0
             : 1;
}
