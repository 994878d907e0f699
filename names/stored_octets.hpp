// Values, texts and arrays as octets, written and read back by the same
// build of the program: the names cache, and the names a reader process
// hands over. Arrays start at a multiple of 8 octets, so that they are
// used where a file is mapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace pellamar::names {

constexpr std::size_t ArrayAlignment = 8;

template <typename Value>
void putValue(std::string& out, const Value& value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

inline void putText(std::string& out, std::string_view text) {
  putValue(out, static_cast<std::uint64_t>(text.size()));
  out.append(text);
}

template <typename Element>
void putArray(std::string& out, std::span<const Element> elements) {
  putValue(out, static_cast<std::uint64_t>(elements.size()));
  out.append((ArrayAlignment - out.size() % ArrayAlignment) % ArrayAlignment, '\0');
  out.append(reinterpret_cast<const char*>(elements.data()), elements.size_bytes());
}

// Reads back what the put functions wrote; any read past the end fails the
// whole load.
class StoredOctets {
 public:
  StoredOctets(std::string_view data, std::size_t at) : data_(data), at_(at) {}

  template <typename Value>
  bool value(Value& value) {
    if (data_.size() - at_ < sizeof value) {
      return false;
    }
    std::memcpy(&value, data_.data() + at_, sizeof value);
    at_ += sizeof value;
    return true;
  }
  bool text(std::string_view& text) {
    std::uint64_t size = 0;
    if (!value(size) || size > data_.size() - at_) {
      return false;
    }
    // Within the data's size, checked above, so within std::size_t.
    const auto octets = static_cast<std::size_t>(size);
    text = data_.substr(at_, octets);
    at_ += octets;
    return true;
  }
  template <typename Element>
  bool array(std::span<const Element>& elements) {
    std::uint64_t count = 0;
    if (!value(count)) {
      return false;
    }
    const std::size_t start = at_ + (ArrayAlignment - at_ % ArrayAlignment) % ArrayAlignment;
    if (start > data_.size() || count > (data_.size() - start) / sizeof(Element)) {
      return false;
    }
    const auto elementCount = static_cast<std::size_t>(count);
    elements = {reinterpret_cast<const Element*>(data_.data() + start), elementCount};
    at_ = start + elementCount * sizeof(Element);
    return true;
  }
  bool atEnd() const { return at_ == data_.size(); }

 private:
  std::string_view data_;
  std::size_t at_;
};

}  // namespace pellamar::names
