// Every command and option of pellamar-cli, once. The command line is set
// up from these tables; --help, and the manual page that help2man makes
// from it, list what they hold; the bash completion is made from them when
// the program is built.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The commands an option belongs to, as a set of bits.
enum CommandBit : unsigned {
  EncodeBit = 1U << 0U,
  DecodeBit = 1U << 1U,
  NamesBit = 1U << 2U,
  ScanBit = 1U << 3U,
};

// What an option sets: a flag of the command line, or (NamesFile) the
// names files, which it names.
enum class Setting : std::uint8_t {
  Lenient,
  Relative,
  Hex,
  Der,
  Tsv,
  Json,
  Names,
  Uuid,
  Children,
  Sources,
  NamesOnly,
  Count,
  Unknown,
  NamesFile,
};

// What the options of one command line set.
struct CommandLine {
  // Whether the option that sets `flag` was given.
  bool has(Setting flag) const { return flags.at(static_cast<std::size_t>(flag)); }
  bool& flag(Setting flag) { return flags.at(static_cast<std::size_t>(flag)); }

  std::array<bool, static_cast<std::size_t>(Setting::NamesFile)> flags{};
  std::vector<std::string> namesFiles;
};

struct CommandRow {
  const char* name;
  unsigned bit;
  const char* description;
  // The operands' name in the help, and what they are.
  const char* operands;
  const char* operandsDescription;
};

struct OptionRow {
  // The commands that take it.
  unsigned commands;
  const char* name;
  const char* description;
  Setting sets;
  // The options of the same command it cannot go with, separated by
  // blanks; empty for none.
  const char* excludes = "";
};

inline constexpr std::array<CommandRow, 4> Commands = {{
    {"encode", EncodeBit, "convert identifiers to octets and Base64", "IDENTIFIER",
     "identifiers such as 1.2.840.113549"},
    {"decode", DecodeBit, "convert Base64 or hexadecimal octets to identifiers", "TEXT",
     "Base64 texts such as KoZIhvcN"},
    {"names", NamesBit, "list names that match, and where names come from", "PATTERN",
     "shell patterns, matched without regard to case; a word alone matches anywhere"},
    {"scan", ScanBit,
     "list the identifiers inside BER, DER, PEM or Base64 files, with their places", "FILE",
     "files to scan; standard input when none, or for -"},
}};

// In the order --help lists each command's options.
inline constexpr std::array<OptionRow, 20> Options = {{
    {EncodeBit, "--lenient", "read dotted text as the Pellamar window does", Setting::Lenient},
    {DecodeBit, "--lenient", "read octets as the Pellamar window does", Setting::Lenient},
    {EncodeBit, "--relative", "read relative identifiers (RELATIVE-OID), such as 8571.3.2",
     Setting::Relative, "--lenient"},
    {DecodeBit, "--relative",
     "read relative identifiers (RELATIVE-OID), with --der under the tag 0D", Setting::Relative,
     "--lenient"},
    {DecodeBit, "--hex", "read hexadecimal pairs instead of Base64", Setting::Hex},
    {DecodeBit, "--der", "read a whole DER encoding: tag 06, length, contents", Setting::Der},
    {NamesBit, "--children", "list the names one arc below each IDENTIFIER", Setting::Children},
    {NamesBit, "--sources", "list the sources of names found, with their counts", Setting::Sources,
     "--children"},
    {NamesBit, "--names-only", "match patterns against the names alone, not their descriptions",
     Setting::NamesOnly, "--children --sources"},
    {ScanBit, "--count", "list each distinct identifier once, with how many times it was found",
     Setting::Count},
    {ScanBit, "--unknown", "list only the identifiers that no source of names names",
     Setting::Unknown},
    {EncodeBit | DecodeBit, "--tsv", "write one line of tab-separated fields per item",
     Setting::Tsv},
    {NamesBit, "--tsv", "write one line of tab-separated fields per name", Setting::Tsv},
    {ScanBit, "--tsv", "write one line of tab-separated fields per identifier", Setting::Tsv},
    {EncodeBit | DecodeBit, "--json", "write one JSON object per item, one per line", Setting::Json,
     "--tsv"},
    {NamesBit, "--json", "write one JSON object per name, one per line", Setting::Json, "--tsv"},
    {ScanBit, "--json", "write one JSON object per identifier, one per line", Setting::Json,
     "--tsv"},
    {EncodeBit | DecodeBit, "--names",
     "with --tsv, add the name, and last the nearest name, its source, the enterprise and the "
     "named path",
     Setting::Names},
    {EncodeBit | DecodeBit, "--uuid", "with --tsv, add the UUID of an identifier 2.25.N as a field",
     Setting::Uuid},
    {EncodeBit | DecodeBit | NamesBit | ScanBit, "--names-file",
     "read names from FILE too, before any other source", Setting::NamesFile},
}};

// The bash completion script for pellamar-cli, made from the tables.
std::string bashCompletion();
