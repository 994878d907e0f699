#include "name_listing.hpp"

#include <array>
#include <cstdio>

#include "pellamar/visible_text.hpp"
#include "record_line.hpp"

namespace pellamar {

using namespace names;
namespace {

// What gives a user each kind of source they have none of.
std::string_view providerOf(SourceKind kind) {
  switch (kind) {
    case SourceKind::UserNames:
      return "write your own in ~/.config/pellamar/names, or give one with --names-file";
    case SourceKind::OpenSsl:
      return "OpenSSL's library always has them";
    case SourceKind::Dumpasn1:
      return "install Debian's dumpasn1 package";
    case SourceKind::SnmpMib:
      return "install Debian's snmp-mibs-downloader package (non-free), or put modules in "
             "~/.snmp/mibs";
    case SourceKind::LdapSchema:
      return "install Debian's slapd package";
    case SourceKind::PackagedNames:
      return "install the pellamar-cli package";
    case SourceKind::Enterprises:
      return "install Debian's libwireshark-data package, or put IANA's enterprise-numbers file "
             "in ~/.local/share/pellamar";
  }
  return {};
}

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
      RecordLine record(out, format);
      record.plain("identifier", dotted);
      record.text("name", name.qualified());
      record.plain("source", kind);
      record.text("file", name.source->path);
      record.text("description", name.description);
      record.end();
      break;
    }
  }
}

void appendSourceLines(std::string& out, const NameDatabase& database, OutputFormat format) {
  constexpr std::array kinds = {SourceKind::UserNames,  SourceKind::OpenSsl,
                                SourceKind::Dumpasn1,   SourceKind::SnmpMib,
                                SourceKind::LdapSchema, SourceKind::PackagedNames,
                                SourceKind::Enterprises};
  // Wide enough for every kind's name and every count of names.
  constexpr std::size_t KindWidth = 20;
  constexpr std::size_t CountWidth = 7;
  for (const SourceKind kind : kinds) {
    const std::string_view kindText = kindName(kind);
    bool found = false;
    for (const NameSource& source : database.sources()) {
      if (source.kind != kind) {
        continue;
      }
      found = true;
      if (format != OutputFormat::Human) {
        RecordLine record(out, format);
        record.plain("source", kindText);
        record.number("names", source.names);
        if (source.path.empty() && format == OutputFormat::Tsv) {
          record.plain("file", "built in");
        } else {
          record.text("file", source.path);
        }
        record.end();
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
