// What every fuzz target holds the conversions to, whatever the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "objid_buffer.hpp"

namespace pellamar::fuzz {

// Stops the run with a finding when `condition` is false.
inline void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "finding: %s\n", what);
    std::abort();
  }
}

// A failure is one of the three kinds, with a message and a position that
// lies within the text (or just past it), or none.
inline void requireWellFormed(const ConversionError& error, std::string_view input) {
  require(error.kind() == ErrorKind::Overflow || error.kind() == ErrorKind::IndexOutOfRange ||
              error.kind() == ErrorKind::InvalidArgument,
          "error kind");
  require(std::strlen(error.what()) > 0, "empty message");
  require(error.position() >= 0 && static_cast<std::size_t>(error.position()) <= input.size() + 1,
          "position outside the text");
}

}  // namespace pellamar::fuzz
