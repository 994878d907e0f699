// Reads standard input (or any stream) one line at a time in fixed memory,
// however long the input and however long its lines.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

struct Line {
  // The line's number in the stream, counting from 1.
  long number;
  // The line without its line break and without a carriage return before
  // it; valid until the next call of LineSource::next.
  std::string_view text;
  // The line was longer than LineSource::MaxLineLength; `text` holds only
  // its beginning, and the rest was skipped.
  bool tooLong;
};

class LineSource {
 public:
  // No item the conversions take is this long (they count text in 16-bit
  // positions), so a longer line is reported, not kept.
  static constexpr std::size_t MaxLineLength = 65536;

  explicit LineSource(std::FILE* stream);

  // The next line, or false at the end of the stream. A last line without a
  // line break counts. Fails with std::runtime_error on a read error.
  bool next(Line& line);

 private:
  bool refill();
  bool finish(Line& line, std::string_view text, bool truncated);

  std::FILE* stream_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool endOfStream_ = false;
  // A line that crosses the end of the buffer is put together here.
  std::string pending_;
  long number_ = 0;
};
