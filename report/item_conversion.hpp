// Converts the items of a run, one after another, and writes each result,
// or the reason it failed, as it goes: items read strictly in every form
// (names included) or as the window reads them, and the warnings that say
// what another reading would give.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "item_report.hpp"
#include "item_text.hpp"
#include "output_block.hpp"
#include "output_format.hpp"
#include "pellamar/error.hpp"
#include "pellamar/object_identifier.hpp"
#include "pellamar/readers.hpp"

namespace pellamar {

struct ConversionOptions {
  Command command = Command::Encode;
  // Read as the window does: dotted text leniently, Base64 as the window
  // decodes it, subidentifiers with padding octets by their value, and arcs
  // of at most 2147483647.
  bool lenient = false;
  // decode: the text is hexadecimal pairs rather than Base64.
  bool hex = false;
  // decode: the octets are a whole DER encoding, tag and length included.
  bool der = false;
  // The items are relative identifiers (RELATIVE-OID): arcs as they are,
  // and the DER tag 0D.
  bool relative = false;
  OutputFormat format = OutputFormat::Human;
  // With --tsv: the identifier's name as one more field, and after the
  // others its nearest name, that name's source, its enterprise and its
  // named path.
  bool names = false;
  // With --tsv: one more, last field, the UUID of an identifier under 2.25.
  bool uuid = false;
  // The operands look like a hexadecimal dump split by the shell; the first
  // failure says to quote it.
  bool adviseQuoting = false;
};

// Why an item did not convert, as it is reported.
struct Failure {
  int column;
  std::string message;
};

// The failure that `error`, found in `item`, is reported as.
Failure failureOf(const ItemText& item, const pellamar::Error& error);

class ItemConverter {
 public:
  // Results go to `output`, written out at once after each item when
  // `lineAtATime`; failures and warnings go to `messages`. Names come from
  // `names`, looked up the first time one is wanted.
  ItemConverter(const ConversionOptions& options, NameLookup& names, OutputBlock& output,
                MessageSink& messages, bool lineAtATime);

  // Converts the item in `line`, which is line (or operand) `number` of the
  // input, and returns whether it converted. A line of blanks holds no item
  // and is skipped as converted; an operand of blanks fails.
  bool convert(std::string_view line, long number, bool operand);

  // Reports that line `number` was longer than `longest` characters, too
  // long to hold an item.
  void reportTooLong(long number, std::size_t longest);

 private:
  // Each returns whether the item converted, having reported why not.
  bool encode(const ItemText& item, long number);
  bool decode(const ItemText& item, long number);
  // Room for the octets of a decoded item, a whole DER encoding included.
  using RawOctets = std::array<std::uint8_t, pellamar::MaxDerOctets>;
  // Reads the octets of a decoded item into `raw`, as Base64 or
  // hexadecimal (as many as --der allows); returns them, or nothing,
  // having reported why, when it failed.
  std::optional<std::span<const std::uint8_t>> decodeOctets(const ItemText& item, long number,
                                                            RawOctets& raw);
  bool convertRelative(const ItemText& item, long number);
  // Reads the identifier of `item` in any form encode takes, names
  // included. `blankFree` is set when the form holds no blank or tab, so
  // that the item needs no tidying before it is written into a field.
  std::optional<Failure> readStrictly(const ItemText& item, pellamar::ObjectIdentifier& identifier,
                                      bool& blankFree);
  // Reads `item` as a name from the sources of names.
  std::optional<Failure> readName(const ItemText& item, pellamar::ObjectIdentifier& identifier);
  void warnIfStrictDiffers(const ItemText& item, long number,
                           const pellamar::ObjectIdentifier& lenient);
  void warnIfHexadecimal(const ItemText& item, long number);
  void warnIfWholeEncoding(const ItemText& item, long number, std::span<const std::uint8_t> raw);
  void fail(long number, Failure failure);
  // Writes the results of `item`, read as `identifier`.
  template <typename Identifier>
  void write(const ItemText& item, long number, const Identifier& identifier) {
    report_.write({item.text, number, blankFree_, itemDotted_}, identifier);
  }

  ConversionOptions options_;
  OutputBlock& output_;
  MessageSink& diagnostics_;
  NameLookup& names_;
  pellamar::ItemReport report_;
  bool lineAtATime_;
  bool quotingAdvised_ = false;
  // The item being converted is of a form that holds nothing but printable
  // ASCII without blanks or backslashes, so it is written as it is into a
  // field.
  bool blankFree_ = false;
  // The item's own text when it is the identifier's dotted text, so that
  // naming need not write it again; otherwise empty.
  std::string_view itemDotted_;
  // The reading of the last name, which the next reuses when it is the
  // same name with other arcs.
  names::NameReading nameReading_;
};

}  // namespace pellamar
