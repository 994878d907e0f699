// The walker over BER and the reader of files around it, on any input:
// every identifier it reports lies inside the input, re-encodes to the
// octets at its offset, and is found the same however the input is cut
// into chunks; every fault lies inside the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "fuzz_checks.hpp"
#include "pellamar/encoding_scanner.hpp"
#include "pellamar/input_scanner.hpp"
#include "pellamar/relative_oid.hpp"

namespace {

using pellamar::fuzz::require;

// Records what is reported, checking each against the octets scanned.
class CheckingSink final : public pellamar::InputSink {
 public:
  explicit CheckingSink(std::span<const std::uint8_t> octets) : octets_(octets) {}

  void found(const pellamar::FoundIdentifier& identifier) override {
    const auto contents = identifier.contents.octets();
    transcript += "F" + std::to_string(identifier.offset) + "/" + std::to_string(identifier.depth) +
                  (identifier.leads ? "l" : "") + (identifier.hasWithin ? "w" : "") + " ";
    require(identifier.depth <= pellamar::EncodingScanner::MaxDepth, "deeper than the limit");
    if (octets_.empty()) {
      return;
    }
    require(identifier.offset < identifier.contentsOffset &&
                identifier.contentsOffset + contents.size() <= octets_.size(),
            "identifier outside the input");
    require(octets_[identifier.offset] == static_cast<std::uint8_t>(identifier.tag),
            "identifier without its tag");
    require(std::memcmp(octets_.data() + identifier.contentsOffset, contents.data(),
                        contents.size()) == 0,
            "identifier's contents differ from the input's");
    // Written with a length in one octet, it is its DER encoding.
    if (identifier.contentsOffset == identifier.offset + 2) {
      std::string der;
      std::string expected;
      if (identifier.tag == pellamar::IdentifierTag::RelativeOid) {
        pellamar::RelativeOid relative;
        require(!pellamar::RelativeOid::fromContents(contents, relative),
                "relative identifier that does not read");
        pellamar::append(relative, pellamar::Form::DerHex, der);
      } else {
        pellamar::append(identifier.contents, pellamar::Form::DerHex, der);
      }
      for (std::size_t index = 0; index < contents.size() + 2; ++index) {
        constexpr std::string_view hex = "0123456789ABCDEF";
        const std::uint8_t octet = octets_[identifier.offset + index];
        expected += index == 0 ? "" : " ";
        expected += hex[octet >> 4];
        expected += hex[octet & 0x0F];
      }
      require(der == expected, "identifier does not re-encode to its octets");
    }
  }

  void fault(const pellamar::ScanFault& fault) override {
    transcript += "X" + std::to_string(fault.offset) + " ";
    require(!pellamar::describe(fault).empty(), "fault without a message");
    require(octets_.empty() || fault.offset < octets_.size(), "fault outside the input");
  }

  void blockStarted(std::size_t number, std::string_view label) override {
    transcript += "B" + std::to_string(number) + std::string(label) + " ";
    // Offsets count in each block's own octets, which are not at hand.
    octets_ = {};
  }

  void textFault(std::uint64_t line, std::uint64_t column, const std::string& message) override {
    transcript += "T" + std::to_string(line) + ":" + std::to_string(column) + " ";
    require(!message.empty(), "text fault without a message");
  }

  std::string transcript;

 private:
  std::span<const std::uint8_t> octets_;
};

// Feeds `octets` in chunks whose sizes cycle through `sizes`.
template <typename Scanner>
void feedInChunks(Scanner& scanner, std::span<const std::uint8_t> octets,
                  std::span<const std::uint8_t> sizes) {
  std::size_t turn = 0;
  for (std::size_t at = 0; at < octets.size();) {
    const std::size_t size = std::min<std::size_t>(
        octets.size() - at, sizes.empty() ? 1 : sizes[turn++ % sizes.size()] % 16 + 1);
    scanner.feed(octets.subspan(at, size));
    at += size;
  }
  scanner.finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> octets(data, size);
  // The chunk sizes come from the input's first octets.
  const auto sizes = octets.first(std::min<std::size_t>(size, 4));

  CheckingSink whole(octets);
  pellamar::scanEncoding(octets, whole);
  CheckingSink chunked(octets);
  pellamar::EncodingScanner scanner(chunked);
  feedInChunks(scanner, octets, sizes);
  require(whole.transcript == chunked.transcript, "chunks change what is found");

  // As a file: DER, PEM or Base64, whichever the input looks like; the
  // offsets then count in decoded octets.
  CheckingSink file({});
  pellamar::InputScanner input(file);
  input.feed(octets);
  input.finish();
  CheckingSink fileInChunks({});
  pellamar::InputScanner inputInChunks(fileInChunks);
  feedInChunks(inputInChunks, octets, sizes);
  require(file.transcript == fileInChunks.transcript, "chunks change what is found in a file");
  return 0;
}
