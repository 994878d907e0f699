// One item converted by encode or decode, as a record, written for people
// (a block of lines, or one), as tab-separated fields or as JSON Lines,
// with its names when they are wanted. Text from outside (the item, names,
// descriptions, file names) is escaped for people and in fields, and
// always valid JSON.
#pragma once

#include <string>
#include <string_view>

#include "output_block.hpp"
#include "output_format.hpp"
#include "pellamar/object_identifier.hpp"
#include "pellamar/relative_oid.hpp"

namespace pellamar {

enum class Command { Encode, Decode };

// What is written of each item.
struct ItemOutput {
  Command command = Command::Encode;
  OutputFormat format = OutputFormat::Human;
  // With tab-separated fields: the identifier's name as one more field,
  // and after the others its nearest name, that name's source, its
  // enterprise and its named path.
  bool names = false;
  // With tab-separated fields: one more, last field, the UUID of an
  // identifier under 2.25.
  bool uuid = false;
};

// An item that converted, and where it came from.
struct ConvertedItem {
  // The item as given, without the blanks around it.
  std::string_view text;
  // The line, or operand, it was in, from 1.
  long line = 0;
  // The item is of a form that holds nothing but printable ASCII without
  // blanks or backslashes (dotted, UUID, Base64), so that it is written as
  // it is into a field.
  bool blankFree = false;
  // The item when it is the identifier's dotted text, so that naming need
  // not write it again; otherwise empty.
  std::string_view dotted;
};

class ItemReport {
 public:
  ItemReport(const ItemOutput& options, NameLookup& names, OutputBlock& output);

  // Writes the results of `item`, read as `identifier` (or as `relative`),
  // to the output block.
  void write(const ConvertedItem& item, const ObjectIdentifier& identifier);
  void write(const ConvertedItem& item, const RelativeOid& relative);

 private:
  // What is known of an identifier's names, for one item's output.
  struct Naming : names::Description {
    // Some name comes from a source beyond OpenSSL, so each is shown with
    // its source.
    bool beyondOpenSsl = false;
  };
  // Describes the identifier into naming_, reused from item to item.
  const Naming& namingOf(const ConvertedItem& item, const ObjectIdentifier& identifier);
  // The lines that show each source's names, the named path and the owner.
  static std::string namingLines(const Naming& naming);
  void writeHuman(const ConvertedItem& item, const ObjectIdentifier& identifier);
  void writeTsv(const ConvertedItem& item, const ObjectIdentifier& identifier);
  void writeJson(const ConvertedItem& item, const ObjectIdentifier& identifier);

  ItemOutput options_;
  NameLookup& names_;
  OutputBlock& output_;
  bool firstItem_ = true;
  Naming naming_;
};

}  // namespace pellamar
