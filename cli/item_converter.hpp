// Converts the items of one run of pellamar-cli, one after another, and
// writes each result, or the reason it failed, as it goes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "item_text.hpp"
#include "objid_buffer.hpp"

enum class Command { Encode, Decode };

struct ConversionOptions {
  Command command = Command::Encode;
  // Read as the window does: dotted text leniently, and subidentifiers with
  // padding octets by their value.
  bool lenient = false;
  // decode: the text is hexadecimal pairs rather than Base64.
  bool hex = false;
  // decode: the octets are a whole DER encoding, tag and length included.
  bool der = false;
  // One tab-separated line an item, for scripts.
  bool tsv = false;
  // With tsv: one more field, the identifier's short name.
  bool names = false;
};

class ItemConverter {
 public:
  // Results go to `output`, collected into large blocks unless
  // `lineAtATime`; failures and warnings go to `diagnostics` at once, as
  // "pellamar-cli: LINE:COLUMN: message".
  ItemConverter(const ConversionOptions& options, std::FILE* output, std::FILE* diagnostics,
                bool lineAtATime);

  // Converts the item in `line`, which is line (or operand) `number` of the
  // input, and returns whether it converted. A line of blanks holds no item
  // and is skipped as converted; an operand of blanks fails.
  bool convert(std::string_view line, long number, bool operand);

  // Reports that line `number` was too long to hold an item.
  void reportTooLong(long number);

  // Writes out the results not yet written.
  void flush();

 private:
  void encode(const ItemText& item);
  void decode(const ItemText& item, long number);
  // The dotted identifier that the contents octets in `octets`, from index
  // `first` to `count`, stand for, read strictly unless lenient. Moves the
  // contents to the start of `octets`.
  std::string identifierOf(const ItemText& item, pellamar::ObjIDBuffer& octets, int first,
                           int count) const;
  int derContentsStart(const ItemText& item, const pellamar::ObjIDBuffer& raw, int count) const;
  void warnIfWholeEncoding(const ItemText& item, const pellamar::ObjIDBuffer& raw, int count,
                           long number);
  void appendName(const pellamar::ObjIDBuffer& contents, int count);
  void report(long number, int column, std::string_view message, bool warning = false);
  int positionOfOctet(const ItemText& item, int index) const;

  ConversionOptions options_;
  std::FILE* output_;
  std::FILE* diagnostics_;
  ItemReader reader_;
  std::string text_;
  std::string prefixless_;
  bool lineAtATime_;
  bool firstItem_ = true;
};
