#include "line_source.hpp"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "pellamar/characters.hpp"

namespace {

constexpr std::size_t ReadSize = 1 << 16;

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// A UTF-8 character takes at most four bytes.
constexpr std::size_t MaxCharacterBytes = 4;

std::string_view withoutCarriageReturn(std::string_view text) {
  if (!text.empty() && text.back() == '\r') {
    text.remove_suffix(1);
  }
  return text;
}

[[gnu::noinline]] bool isTooLong(std::string_view text) {
  return pellamar::characterCount(text) > LineSource::MaxLineLength;
}

// Whether reading `fd` now would wait: nothing has arrived yet, and the
// writer has not closed its end.
bool wouldWait(int fd) {
  pollfd ready{fd, POLLIN, 0};
  int count = 0;
  do {
    count = poll(&ready, 1, 0);
  } while (count < 0 && errno == EINTR);
  return count == 0;
}

}  // namespace

LineSource::LineSource(int fd, InputIdle& idle) : fd_(fd), idle_(idle), buffer_(ReadSize) {}

bool LineSource::refill() {
  if (endOfStream_) {
    return false;
  }
  if (wouldWait(fd_)) {
    idle_.beforeWaiting();
  }
  ssize_t count = 0;
  do {
    count = read(fd_, buffer_.data(), buffer_.size());
  } while (count < 0 && errno == EINTR);
  if (count < 0) {
    throw std::runtime_error(std::string("cannot read the input: ") + std::strerror(errno));
  }
  begin_ = 0;
  end_ = static_cast<std::size_t>(count);
  endOfStream_ = count == 0;
  return count > 0;
}

bool LineSource::next(Line& line) {
  pending_.clear();
  // Room for the longest line that is kept, a byte-order mark before it and
  // the carriage return after it; anything beyond is skipped.
  constexpr std::size_t kept = MaxLineLength * MaxCharacterBytes + ByteOrderMark.size() + 1;
  bool truncated = false;
  for (;;) {
    if (begin_ == end_ && !refill()) {
      if (pending_.empty() && !truncated) {
        return false;
      }
      break;
    }
    const char* start = buffer_.data() + begin_;
    const auto* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
    const std::size_t length =
        newline != nullptr ? static_cast<std::size_t>(newline - start) : end_ - begin_;
    begin_ += length + (newline != nullptr ? 1 : 0);
    // Most lines lie wholly in the buffer and are handed out where they are.
    if (newline != nullptr && pending_.empty() && !truncated) {
      return finish(line, std::string_view(start, length), false);
    }
    const std::size_t room = kept - pending_.size();
    truncated = truncated || length > room;
    pending_.append(start, std::min(length, room));
    if (newline != nullptr) {
      break;
    }
  }
  return finish(line, pending_, truncated);
}

bool LineSource::finish(Line& line, std::string_view text, bool truncated) {
  if (!truncated) {
    text = withoutCarriageReturn(text);
  }
  // Editors on Windows start UTF-8 files with the mark.
  if (number_ == 0 && text.starts_with(ByteOrderMark)) {
    text.remove_prefix(ByteOrderMark.size());
  }
  // Only a line of more bytes than the limit can have too many characters.
  if (truncated || text.size() > MaxLineLength) [[unlikely]] {
    line = {++number_, text, truncated || isTooLong(text)};
    return true;
  }
  line = {++number_, text, false};
  return true;
}
