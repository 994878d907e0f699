#include "output_block.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

namespace pellamar {
namespace {

// Room for a full block and an item after it; an item that needs more (a
// long line read leniently, written as JSON) makes room for itself.
constexpr std::size_t InitialCapacity = OutputBlock::BlockSize + (std::size_t{1} << 16);

// Room for `size` characters, not filled: every byte is written before it
// is read. (std::make_unique_for_overwrite, which some standard libraries
// the web pages are built with lack.)
std::unique_ptr<char[]> unfilled(std::size_t size) {
  return std::unique_ptr<char[]>(new char[size]);
}

}  // namespace

OutputBlock::OutputBlock(int fd)
    : fd_(fd), buffer_(unfilled(InitialCapacity)), capacity_(InitialCapacity) {}

OutputBlock::OutputBlock(std::string& collected) : OutputBlock(-1) {
  collected_ = &collected;
}

char* OutputBlock::room(std::size_t size) {
  if (size_ + size > capacity_) {
    flush();
    if (size > capacity_) {
      buffer_ = unfilled(size);
      capacity_ = size;
    }
  }
  return buffer_.get() + size_;
}

void OutputBlock::append(std::string_view text) {
  commit(std::copy(text.begin(), text.end(), room(text.size())));
}

void OutputBlock::flush() {
  const char* data = buffer_.get();
  std::size_t left = size_;
  size_ = 0;
  if (collected_ != nullptr) {
    collected_->append(data, left);
    return;
  }
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

}  // namespace pellamar
