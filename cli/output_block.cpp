#include "output_block.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

// Room for a full block and the largest item that may follow it.
constexpr std::size_t InitialCapacity = 2 * OutputBlock::BlockSize;

}  // namespace

OutputBlock::OutputBlock(int fd) : fd_(fd), buffer_(InitialCapacity) {}

char* OutputBlock::room(std::size_t size) {
  if (size_ + size > buffer_.size()) {
    flush();
    if (size > buffer_.size()) {
      buffer_.resize(size);
    }
  }
  return buffer_.data() + size_;
}

void OutputBlock::append(std::string_view text) {
  char* at = room(text.size());
  std::memcpy(at, text.data(), text.size());
  commit(at + text.size());
}

void OutputBlock::flush() {
  const char* data = buffer_.data();
  std::size_t left = size_;
  size_ = 0;
  while (left > 0) {
    const ssize_t written = write(fd_, data, left);
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      throw OutputError(std::string("cannot write the output: ") + std::strerror(errno));
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
}
