// Reads standard input (or any file descriptor) one line at a time in fixed
// memory, however long the input and however long its lines, and hands out
// each line as soon as it is complete.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct Line {
  // The line's number in the stream, counting from 1.
  long number;
  // The line without its line break and without a carriage return before
  // it; valid until the next call of LineSource::next.
  std::string_view text;
  // The line was longer than LineSource::MaxLineLength characters; `text`
  // holds only its beginning, and the rest was skipped.
  bool tooLong;
};

// Told when the input has nothing more ready, before the reader waits for
// it: the moment to write out what is ready, so that a person, or the other
// end of a pipe, sees every answer without waiting for the next line.
class InputIdle {
 public:
  virtual ~InputIdle() = default;
  virtual void beforeWaiting() = 0;
};

class LineSource {
 public:
  // No item the conversions take is this many characters long (they count
  // text in 16-bit positions), so a longer line is reported, not kept. A
  // byte-order mark does not count, nor does a carriage return before the
  // line break.
  static constexpr std::size_t MaxLineLength = 65536;

  LineSource(int fd, InputIdle& idle);

  // The next line, or false at the end of the stream. A last line without a
  // line break counts; a UTF-8 byte-order mark at the start of the stream
  // is skipped. Fails with std::runtime_error on a read error.
  bool next(Line& line);

 private:
  bool refill();
  bool finish(Line& line, std::string_view text, bool truncated);

  int fd_;
  InputIdle& idle_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool endOfStream_ = false;
  // A line that crosses the end of the buffer is put together here.
  std::string pending_;
  long number_ = 0;
};
