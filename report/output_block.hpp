// The results of a run, gathered into large blocks and written to a file
// descriptor, so that a million lines cost a few hundred writes. Every
// write is checked: a failure is an error, whatever the size of the output.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pellamar {

// A write of the results failed; what() says why.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OutputBlock {
 public:
  // A block is written out once it holds this much: large enough that the
  // writes cost little beside the conversions.
  static constexpr std::size_t BlockSize = std::size_t{1} << 19;

  explicit OutputBlock(int fd);
  // A block whose writes go to the end of `collected`, for a program that
  // shows its results rather than writing them to a file (a web page).
  explicit OutputBlock(std::string& collected);

  // Room for `size` more bytes at the end, writing out the block first when
  // it has less; write there and hand the end to commit().
  char* room(std::size_t size);
  void commit(const char* end) { size_ = static_cast<std::size_t>(end - buffer_.get()); }

  // Adds `text` at the end.
  void append(std::string_view text);

  bool full() const { return size_ >= BlockSize; }

  // Writes out what the block holds. Fails with OutputError.
  void flush();

 private:
  int fd_ = -1;
  std::string* collected_ = nullptr;
  // Not filled in advance: every byte is written before it is read.
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t size_ = 0;
};

}  // namespace pellamar
