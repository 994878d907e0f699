// The program's own command line, answered before any window or GUI
// platform exists, so that --help and --version work where no display does
// (over SSH, in a package build).
#pragma once

#include <optional>

// Answers `--help` and `--version` on standard output, and an unknown option
// or an operand with a short error and the usage on standard error. Returns
// the exit status when the command line has been answered (0, or 2 for a
// usage error), and nothing when the window should open.
std::optional<int> answerCommandLine(int argc, char* argv[]);
