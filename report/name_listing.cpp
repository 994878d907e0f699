#include "name_listing.hpp"

#include <cstdio>

#include "pellamar/visible_text.hpp"
#include "record_line.hpp"

namespace pellamar {

using namespace names;
namespace {

// `text` after blanks that make it `width` characters wide; wider text as
// it is.
void appendPadded(std::string& out, std::string_view text, std::size_t width, bool right) {
  const std::size_t blanks = width > text.size() ? width - text.size() : 0;
  if (right) {
    out.append(blanks, ' ');
  }
  out += text;
  if (!right) {
    out.append(blanks, ' ');
  }
}

}  // namespace

void appendNameLine(std::string& out, const Name& name, OutputFormat format) {
  const std::string dotted = name.dotted();
  const std::string_view kind = kindName(name.source->kind);
  switch (format) {
    case OutputFormat::Human:
      out += dotted;
      out += ' ';
      appendVisible(out, name.shown());
      out += " (";
      out += kind;
      out += ")\n";
      break;
    case OutputFormat::Tsv:
    case OutputFormat::Json: {
      writeRecord(out, format, [&](auto record) {
        record.plain("identifier", dotted);
        record.text("name", name.qualified());
        record.plain("source", kind);
        record.text("file", name.source->path);
        record.text("description", name.description);
        record.end();
      });
      break;
    }
  }
}

void appendSourceLines(std::string& out, const NameDatabase& database, OutputFormat format) {
  // Wide enough for every kind's name and every count of names.
  constexpr std::size_t KindWidth = 20;
  constexpr std::size_t CountWidth = 7;
  for (const SourceKind kind : AllSourceKinds) {
    const std::string_view kindText = kindName(kind);
    bool found = false;
    for (const NameSource& source : database.sources()) {
      if (source.kind != kind) {
        continue;
      }
      found = true;
      if (format != OutputFormat::Human) {
        writeRecord(out, format, [&](auto record) {
          record.plain("source", kindText);
          record.number("names", source.names);
          // A field is never empty where JSON has a text.
          if (source.path.empty() && !decltype(record)::Json) {
            record.plain("file", "built in");
          } else {
            record.text("file", source.path);
          }
          record.end();
        });
        continue;
      }
      appendPadded(out, kindText, KindWidth, false);
      out += ' ';
      appendPadded(out, std::to_string(source.names), CountWidth, true);
      out += " names  ";
      if (source.path.empty()) {
        out += "built in";
      } else {
        appendVisible(out, source.path);
      }
      out += '\n';
    }
    if (!found && format == OutputFormat::Human) {
      appendPadded(out, kindText, KindWidth, false);
      out += "    none found: ";
      out += providerOf(kind);
      out += '\n';
    }
  }
}

}  // namespace pellamar
