// dumpasn1's file, names files and enterprise numbers.

#include <fstream>
#include <optional>

#include "source_lines.hpp"
#include "source_readers.hpp"

namespace pellamar::names {

namespace {

constexpr std::string_view EnterprisesPrefix = "1.3.6.1.4.1.";

bool allDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The contents octets of a dumpasn1 "OID = " value: arcs separated by
// blanks, as today's files write them, or the DER octets in hexadecimal,
// as older ones did ("06 03 55 04 03").
std::optional<pellamar::ObjectIdentifier> dumpasn1Identifier(std::string_view value) {
  pellamar::ObjectIdentifier identifier;
  const bool der = value.starts_with("06 ");
  const auto error = der ? pellamar::readOctetText(value, pellamar::OctetText::Hex, true,
                                                   pellamar::Reading::Strict, identifier)
                         : pellamar::readBlankArcs(value, identifier);
  if (error) {
    return std::nullopt;
  }
  return identifier;
}

// Adds the source of kind `kind`, named `path`, and hands each line of
// `file` to `readLine`, trimmed, with its number. A file that cannot be
// read to its end is said so; the names read before are kept.
template <typename ReadLine>
void readLines(NameDatabase& names, SourceKind kind, const std::string& path, std::istream& file,
               const ReadLine& readLine) {
  const std::uint16_t source = names.addSource(kind, path);
  std::string line;
  long number = 0;
  while (std::getline(file, line)) {
    readLine(source, trimmed(line), ++number);
  }
  if (file.bad()) {
    names.addWarning(path + ": cannot be read to its end; the names before are used");
  }
}

// The file at `path`, open; when it cannot be opened, nothing, and its
// source is added with a warning that says so.
std::optional<std::ifstream> opened(NameDatabase& names, SourceKind kind, const std::string& path) {
  std::ifstream file(path);
  if (!file) {
    names.addSource(kind, path);
    names.addWarning(path + ": cannot be read; its names are left out");
    return std::nullopt;
  }
  return file;
}

// The same for the file at `path`.
template <typename ReadLine>
void readLines(NameDatabase& names, SourceKind kind, const std::string& path,
               const ReadLine& readLine) {
  if (auto file = opened(names, kind, path)) {
    readLines(names, kind, path, *file, readLine);
  }
}

bool isCommentOrBlank(std::string_view text) {
  return text.empty() || text.front() == '#';
}

}  // namespace

void readDumpasn1(NameDatabase& names, const std::string& path) {
  DamagedLines damaged;
  std::optional<pellamar::ObjectIdentifier> identifier;
  bool entryOpen = false;
  readLines(names, SourceKind::Dumpasn1, path,
            [&](std::uint16_t source, std::string_view text, long number) {
              if (isCommentOrBlank(text)) {
                return;
              }
              const std::size_t equals = text.find('=');
              const std::string_view attribute =
                  equals == std::string_view::npos ? text : trimmed(text.substr(0, equals));
              const std::string_view value = equals == std::string_view::npos
                                                 ? std::string_view{}
                                                 : trimmed(text.substr(equals + 1));
              // "Warning" stands alone: dumpasn1 warns when it meets the
              // identifier.
              bool understood = equals != std::string_view::npos || attribute == "Warning";
              if (attribute == "OID") {
                identifier = dumpasn1Identifier(value);
                entryOpen = true;
                understood = identifier.has_value();
              } else if (attribute == "Description" && entryOpen) {
                if (identifier) {
                  names.add(source, identifier->octets(), value);
                }
                understood = !value.empty();
              }
              if (!understood) {
                damaged.note(number);
              }
            });
  damaged.report(names, path, "an entry of dumpasn1's form");
}

void readNamesFile(NameDatabase& names, SourceKind kind, const std::string& path,
                   std::istream& file) {
  DamagedLines damaged;
  readLines(names, kind, path, file, [&](std::uint16_t source, std::string_view text, long number) {
    if (isCommentOrBlank(text)) {
      return;
    }
    const std::size_t identifierEnd = text.find_first_of(" \t");
    const std::string_view rest = identifierEnd == std::string_view::npos
                                      ? std::string_view{}
                                      : trimmed(text.substr(identifierEnd));
    const std::size_t nameEnd = std::min(rest.find_first_of(" \t"), rest.size());
    std::string_view name = rest.substr(0, nameEnd);
    const std::string_view description = trimmed(rest.substr(nameEnd));
    const auto identifier = dottedIdentifier(text.substr(0, identifierEnd));
    if (!identifier || name.empty()) {
      damaged.note(number);
      return;
    }
    std::string_view module;
    if (const std::size_t colons = name.find("::"); colons != std::string_view::npos) {
      module = name.substr(0, colons);
      name.remove_prefix(colons + 2);
    }
    names.add(source, identifier->octets(), name, module, description);
  });
  damaged.report(names, path, "an identifier followed by a name");
}

void readNamesFile(NameDatabase& names, SourceKind kind, const std::string& path) {
  if (auto file = opened(names, kind, path)) {
    readNamesFile(names, kind, path, *file);
  }
}

void readEnterprises(NameDatabase& names, const std::string& path) {
  DamagedLines damaged;
  // IANA's own file: a number on its own line, the organization on the
  // next, then its contact; anything else there is its preamble.
  bool ianaForm = false;
  std::string pendingNumber;
  readLines(names, SourceKind::Enterprises, path,
            [&](std::uint16_t source, std::string_view text, long number) {
              const auto addEnterprise = [&](std::string_view enterprise,
                                             std::string_view organization) {
                if (const auto identifier =
                        dottedIdentifier(std::string(EnterprisesPrefix).append(enterprise))) {
                  names.add(source, identifier->octets(), organization);
                }
              };
              if (!pendingNumber.empty()) {
                if (!text.empty()) {
                  addEnterprise(pendingNumber, text);
                  pendingNumber.clear();
                }
                return;
              }
              if (isCommentOrBlank(text)) {
                return;
              }
              if (allDigits(text)) {
                ianaForm = true;
                pendingNumber = text;
                return;
              }
              const std::size_t numberEnd = text.find_first_of(" \t");
              if (numberEnd != std::string_view::npos && allDigits(text.substr(0, numberEnd))) {
                addEnterprise(text.substr(0, numberEnd), trimmed(text.substr(numberEnd)));
              } else {
                damaged.note(number);
              }
            });
  if (!ianaForm) {
    damaged.report(names, path, "an enterprise number followed by its organization");
  }
}

}  // namespace pellamar::names
