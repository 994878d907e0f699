// Every identifier in a file as people have them: DER or BER octets, PEM
// text (any number of blocks, any labels, other text around them, as
// OpenSSL writes it and as CA bundles hold it), or Base64 without armour.
// The kind is told from the input's first octets; the octets come in
// chunks of any size and are scanned in fixed memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pellamar/encoding_scanner.hpp"

namespace pellamar {

enum class InputKind : std::uint8_t {
  // Not yet told: too few octets have come.
  Unknown,
  // Octets that are not text: BER or DER.
  Encoding,
  // Text with PEM blocks; offsets count in each block's octets.
  Pem,
  // Text whose first line is Base64.
  Base64,
};

// Where an InputScanner's results go: what a ScanSink gets, with offsets in
// the current block's octets, and the blocks and faults of the text.
class InputSink : public ScanSink {
 public:
  // A PEM block begins: its number, from 1, and its label ("CERTIFICATE").
  virtual void blockStarted(std::size_t number, std::string_view label) = 0;
  // A fault in the text at `line` and `column` (from 1; 0 for the input as
  // a whole, or the line as a whole). The block it is in ends; a scan of
  // PEM goes on with the next block.
  virtual void textFault(std::uint64_t line, std::uint64_t column, const std::string& message) = 0;
};

class InputScanner {
 public:
  // The octets looked at to tell text from BER: any BER encoding has an
  // octet among its first few that is not text (printable ASCII, a blank,
  // a line end, or a character in UTF-8 other than a control).
  static constexpr std::size_t KindSample = 512;
  // Only the start of a line outside PEM blocks is kept, enough for any
  // BEGIN line; a PEM block's lines are at most 64 or 76 characters.
  static constexpr std::size_t MaxLineKept = 1024;
  // Decoded octets are handed to the scanner in pieces of this size.
  static constexpr std::size_t DecodedPiece = std::size_t{1} << 16;

  explicit InputScanner(InputSink& sink);

  void feed(std::span<const std::uint8_t> octets);
  // Ends the input, reporting what it leaves unfinished.
  void finish();

  InputKind kind() const { return kind_; }
  // Whether a fault has ended the scan of BER octets, so that the rest of
  // the input would be passed over: its reader may stop reading, which
  // matters for a device that never ends (/dev/zero).
  bool ended() const { return kind_ == InputKind::Encoding && scanner_.ended(); }
  // The PEM blocks begun.
  std::size_t blocks() const { return blocks_; }

 private:
  void decide();
  void text(std::span<const std::uint8_t> octets);
  void endLine();
  void beginBlock(std::string_view label);
  // Decodes one Base64 character, in `column`; false, having ended the
  // block and reported why (or begun to, see unnamed_), if it is not one.
  bool base64(std::uint8_t character, std::uint64_t column);
  // Reports the character that stands where Base64 should, once its octets
  // are at hand.
  void reportUnnamed();
  void endGroup();
  void endBase64();
  void flushDecoded();
  void textFault(std::uint64_t column, const std::string& message);
  // Ends decoding at a fault: the octets decoded before it are scanned,
  // and the rest of the block, or the input, passed over.
  void stopDecoding();

  InputSink& sink_;
  EncodingScanner scanner_;
  InputKind kind_ = InputKind::Unknown;
  std::vector<std::uint8_t> sample_;
  std::uint64_t line_ = 1;
  std::uint64_t column_ = 0;
  std::string lineText_;
  std::size_t blocks_ = 0;
  bool inBlock_ = false;
  std::uint64_t blockLine_ = 0;
  // The block's data lines have begun, so no more headers may come.
  bool blockData_ = false;
  // The block, or the Base64 input, failed: its rest is passed over.
  bool skipping_ = false;
  std::uint32_t group_ = 0;
  int groupCharacters_ = 0;
  int padding_ = 0;
  bool padded_ = false;
  std::vector<std::uint8_t> decoded_;
  // In Base64 without armour, which is not kept line by line, the octets
  // of a character that is not Base64, gathered until the character can be
  // named: up to the four of a UTF-8 character, or the line's end.
  std::string unnamed_;
  std::uint64_t unnamedColumn_ = 0;
};

}  // namespace pellamar
