// Every identifier in a file as people have them: DER or BER octets, PEM
// text (any number of blocks, any labels, other text around them, as
// OpenSSL writes it and as CA bundles hold it), or Base64 without armour.
// BER is told from text by the input's first octets; text is Base64 without
// armour when all of it is, and otherwise text around PEM blocks. The
// octets come in chunks of any size and are scanned in fixed memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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
  // Text that is Base64 alone.
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
  // Decoded octets are handed to the scanner in pieces of this size. Text
  // that starts as Base64 is held up to one piece, so that a title line
  // before PEM blocks is not scanned as Base64; past it, the input is
  // Base64 to its end.
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
  // Where the reading of text stands.
  enum class TextState : std::uint8_t {
    // Outside PEM blocks: each line is looked at for a BEGIN line alone.
    Outside,
    // In a PEM block, before its data: headers and blank lines.
    Headers,
    // Decoding Base64: a PEM block's data, or the whole input without
    // armour.
    Data,
    // In a block, or Base64 without armour, that ended at a fault: the
    // rest of it is passed over.
    PassedOver,
  };
  // How a block of Base64 (or the whole input without armour) ends. Every
  // way scans the octets decoded before it, so that nothing found is lost.
  enum class BlockEnd : std::uint8_t {
    // At its END line, or at the end of Base64 without armour.
    Whole,
    // Before its END line: at the next BEGIN line or the input's end.
    Cut,
    // At a fault in its text.
    Fault,
  };

  void decide();
  void text(std::span<const std::uint8_t> octets);
  void endLine();
  // A line of a PEM block, by the state it finds.
  void blockLine(std::string_view line, std::uint64_t length);
  void beginBlock(std::string_view label);
  // Decodes one Base64 character, in `column`; false, having ended the
  // block and reported why (or begun to, see unnamed_), if it is not one.
  bool base64(std::uint8_t character, std::uint64_t column);
  // Reports the character that stands where Base64 should, once its octets
  // are at hand.
  void reportUnnamed();
  void endGroup();
  void flushDecoded();
  // Ends the block, or the Base64 input, in one of the three ways; a cut
  // or a fault is reported with `message` at `column` of this line.
  void endBlock(BlockEnd end, std::uint64_t column = 0, const std::string& message = {});
  void report(std::uint64_t line, std::uint64_t column, const std::string& message);
  // Whether a BEGIN line may still turn Base64 without armour into text
  // around PEM blocks: nothing decoded from it has been scanned yet.
  bool base64Undecided() const { return kind_ == InputKind::Base64 && !committed_; }

  InputSink& sink_;
  EncodingScanner scanner_;
  InputKind kind_ = InputKind::Unknown;
  TextState state_ = TextState::Outside;
  std::vector<std::uint8_t> sample_;
  std::uint64_t line_ = 1;
  std::uint64_t column_ = 0;
  std::string lineText_;
  std::size_t blocks_ = 0;
  std::uint64_t blockLine_ = 0;
  std::string label_;
  std::uint32_t group_ = 0;
  int groupCharacters_ = 0;
  int padding_ = 0;
  bool padded_ = false;
  std::vector<std::uint8_t> decoded_;
  // Octets decoded from Base64 without armour have been scanned, so it is
  // Base64 to its end.
  bool committed_ = false;
  // A fault in Base64 without armour, held while a BEGIN line may yet show
  // the text before it to be a title around PEM blocks.
  struct HeldFault {
    std::uint64_t line;
    std::uint64_t column;
    std::string message;
  };
  std::optional<HeldFault> heldFault_;
  // In Base64 without armour, which is not kept line by line, the octets
  // of a character that is not Base64, gathered until the character can be
  // named: up to the four of a UTF-8 character, or the line's end.
  std::string unnamed_;
  std::uint64_t unnamedColumn_ = 0;
};

}  // namespace pellamar
