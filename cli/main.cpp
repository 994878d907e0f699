#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "diagnostics.hpp"
#include "file_scan.hpp"
#include "item_conversion.hpp"
#include "line_source.hpp"
#include "name_query.hpp"
#include "options.hpp"
#include "output_block.hpp"

namespace {

using pellamar::Command;
using pellamar::ConversionOptions;
using pellamar::ItemConverter;
using pellamar::OutputBlock;
using pellamar::OutputError;
using pellamar::OutputFormat;

constexpr int AllConverted = 0;
constexpr int SomeFailed = 1;
constexpr int UsageError = 2;

constexpr auto Usage =
    "Usage: pellamar-cli encode [OPTION]... [IDENTIFIER]...\n"
    "   or: pellamar-cli decode [OPTION]... [TEXT]...\n"
    "   or: pellamar-cli names [OPTION]... [PATTERN | IDENTIFIER]...\n"
    "   or: pellamar-cli scan [OPTION]... [FILE]...\n"
    "   or: pellamar-cli --help | --version\n";

constexpr auto Description =
    "Convert object identifiers to the contents octets of their BER encoding, as\n"
    "hexadecimal pairs and Base64, and back. Items come from the operands or, when\n"
    "there are none, from standard input, one per line. Arcs may be of any size\n"
    "up to the 100 octets an identifier takes. Find every identifier inside\n"
    "certificates, keys, requests, CMS messages and any other BER or DER file.";

constexpr auto Footer =
    "encode takes dotted identifiers (1.2.840.113549, urn:oid:1.2.840.113549),\n"
    "UUIDs (urn:uuid:f81d4fae-7dec-11d0-a765-00a0c91e6bf6), ASN.1 value notation\n"
    "({ iso(1) member-body(2) 840 113549 }), arcs separated by blanks\n"
    "(1 2 840 113549) and names (sha256WithRSAEncryption, IF-MIB::ifDescr,\n"
    "ifDescr.7).\n"
    "\n"
    "Names come from these sources, in this order, each where it is found:\n"
    "  names files given with --names-file, and ~/.config/pellamar/names\n"
    "  OpenSSL's object table\n"
    "  dumpasn1's file (package dumpasn1)\n"
    "  SNMP MIB modules in $MIBDIRS or ~/.snmp/mibs, /usr/share/snmp/mibs and\n"
    "    /var/lib/mibs (package snmp-mibs-downloader)\n"
    "  LDAP schemas in /etc/ldap/schema (package slapd)\n"
    "  DICOM's UID registry, which comes with pellamar-cli\n"
    "  IANA's enterprise numbers (package libwireshark-data)\n"
    "An identifier without a name of its own is named by its nearest named\n"
    "ancestor and the arcs below it, as SNMP tools write it (IF-MIB::ifDescr.7,\n"
    "and by its table's INDEX, ipAddressIfIndex.ipv4.\"10.0.0.1\"), and read so.\n"
    "'pellamar-cli names --sources' shows which were found.\n"
    "\n"
    "scan lists every identifier inside DER, BER, PEM or Base64 files (standard\n"
    "input when none), with its file, PEM block, octet offset, depth and name,\n"
    "reading inside the strings that hold encodings, such as extension values.\n"
    "\n"
    "Results go to standard output in input order; an item that fails prints\n"
    "nothing there, and standard error gets 'pellamar-cli: LINE:COLUMN: MESSAGE',\n"
    "where LINE is the line of standard input or the number of the operand.\n"
    "\n"
    "Exit status:\n"
    "  0  every item converted\n"
    "  1  at least one item failed, a file could not be read whole, or the input\n"
    "     or output failed\n"
    "  2  the command line was not understood";

std::string versionText() {
  return std::string("pellamar-cli ") + PELLAMAR_VERSION +
         "\n"
         "Copyright (C) 2026 The Pellamar developers.\n"
         "License MIT: see /usr/share/doc/pellamar-cli/copyright.\n"
         "This is free software: you are free to change and redistribute it.\n"
         "There is NO WARRANTY, to the extent permitted by law.\n";
}

// The help as GNU programs write it (and as help2man, which makes the
// manual page from it, reads it): the synopsis and description, then every
// option with its command, then the footer.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App* app, std::string /*name*/,
                        CLI::AppFormatMode /*mode*/) const override {
    std::string text = std::string(Usage) + Description + "\n\nOptions:\n";
    text += optionLines(app);
    for (const CLI::App* command : app->get_subcommands({})) {
      text += "\n" + command->get_name() + ": " + command->get_description() + "\n";
      text += optionLines(command);
    }
    return text + "\n" + app->get_footer() + "\n";
  }

 private:
  // "  -h, --help      display this help and exit"
  static std::string optionLines(const CLI::App* app) {
    constexpr std::size_t nameWidth = 20;
    std::string lines;
    for (const CLI::Option* option : app->get_options()) {
      if (option->get_positional() ||
          (app->get_parent() != nullptr && option == app->get_help_ptr())) {
        continue;
      }
      std::string names;
      for (const std::string& name : option->get_snames()) {
        names += "-" + name + ", ";
      }
      for (const std::string& name : option->get_lnames()) {
        names += "--" + name + ", ";
      }
      names.resize(names.size() - 2);
      if (option->get_type_size() != 0) {
        names += " " + option->get_type_name();
      }
      lines += "  " + names + std::string(nameWidth - std::min(names.size(), nameWidth - 2), ' ') +
               option->get_description() + "\n";
    }
    return lines;
  }
};

// Writes a text the user asked for and reports whether it arrived: a full
// disk or a closed standard output is an error, not silence.
int printAnswer(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "pellamar-cli: cannot write the output: %s\n", std::strerror(errno));
    return SomeFailed;
  }
  return AllConverted;
}

// The message may quote an argument, which is text from outside.
int usageError(const std::string& message) {
  Diagnostics(stderr).error(message);
  std::fprintf(stderr, "%sTry 'pellamar-cli --help' for more information.\n", Usage);
  return UsageError;
}

// Writes out the results whenever the input makes the program wait.
class FlushWhenIdle final : public InputIdle {
 public:
  explicit FlushWhenIdle(OutputBlock& output) : output_(output) {}
  void beforeWaiting() override { output_.flush(); }

 private:
  OutputBlock& output_;
};

// Whether the operands look like a hexadecimal dump that the shell split:
// several operands of one or two pairs each ("06 03 55 04 03").
bool looksLikeSplitDump(const std::vector<std::string>& operands) {
  const auto shortPairs = [](const std::string& operand) {
    std::string digits;
    for (const char c : operand) {
      if (c != ' ' && c != ':') {
        digits += c;
      }
    }
    return (digits.size() == 2 || digits.size() == 4) &&
           std::all_of(digits.begin(), digits.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
  };
  return operands.size() > 1 && std::all_of(operands.begin(), operands.end(), shortPairs);
}

// Converts every item, from the operands or else from standard input, and
// returns whether all converted.
bool convertAll(ItemConverter& converter, OutputBlock& output,
                const std::vector<std::string>& operands) {
  bool allConverted = true;
  if (!operands.empty()) {
    long number = 0;
    for (const std::string& operand : operands) {
      allConverted = converter.convert(operand, ++number, true) && allConverted;
    }
    return allConverted;
  }
  FlushWhenIdle idle(output);
  LineSource lines(STDIN_FILENO, idle);
  Line line{};
  while (lines.next(line)) {
    if (line.tooLong) {
      converter.reportTooLong(line.number, LineSource::MaxLineLength);
      allConverted = false;
    } else {
      allConverted = converter.convert(line.text, line.number, false) && allConverted;
    }
  }
  return allConverted;
}

int run(int argc, char* argv[]) {
  CommandLine line;
  std::vector<std::string> operands;

  CLI::App app(Description, "pellamar-cli");
  app.formatter(std::make_shared<HelpFormatter>());
  app.footer(Footer);
  app.set_help_flag("-h,--help", "display this help and exit");
  app.set_version_flag("-v,--version", versionText(), "output version information and exit");
  app.require_subcommand(1);
  std::vector<std::pair<const CLI::App*, unsigned>> commands;
  for (const CommandRow& row : Commands) {
    CLI::App* command = app.add_subcommand(row.name, row.description);
    commands.emplace_back(command, row.bit);
    for (const OptionRow& option : Options) {
      if ((option.commands & row.bit) == 0) {
        continue;
      }
      CLI::Option* added =
          option.sets != Setting::NamesFile
              ? command->add_flag(option.name, line.flag(option.sets), option.description)
              : command->add_option(option.name, line.namesFiles, option.description)
                    ->type_name("FILE")
                    ->allow_extra_args(false);
      std::istringstream excluded(option.excludes);
      for (std::string name; excluded >> name;) {
        added->excludes(command->get_option(name));
      }
    }
    command->add_option(row.operands, operands, row.operandsDescription);
  }

  // CLI11 would only say that a subcommand is required.
  if (argc > 1 && argv[1][0] != '-' &&
      std::none_of(Commands.begin(), Commands.end(),
                   [&](const CommandRow& row) { return std::strcmp(argv[1], row.name) == 0; })) {
    return usageError(std::string("unknown command '") + argv[1] +
                      "'; the commands are encode, decode, names and scan");
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    // The whole interface at once, so that the manual page made from it
    // covers both commands.
    return printAnswer(app.help());
  } catch (const CLI::CallForVersion&) {
    return printAnswer(versionText());
  } catch (const CLI::ParseError& error) {
    return usageError(error.what());
  }
  unsigned commandBit = 0;
  for (const auto& [command, bit] : commands) {
    commandBit = command->parsed() ? bit : commandBit;
  }
  const OutputFormat format = line.has(Setting::Tsv)    ? OutputFormat::Tsv
                              : line.has(Setting::Json) ? OutputFormat::Json
                                                        : OutputFormat::Human;
  if (commandBit == NamesBit) {
    if (operands.empty() && !line.has(Setting::Sources)) {
      return usageError(line.has(Setting::Children)
                            ? "names --children needs an identifier"
                            : "names needs a pattern, --children or --sources");
    }
    Diagnostics diagnostics(stderr);
    ObjectNames objectNames(diagnostics, line.namesFiles);
    const bool found = answerNameQuery(line.has(Setting::Sources)     ? NameQuery::Sources
                                       : line.has(Setting::Children)  ? NameQuery::Children
                                       : line.has(Setting::NamesOnly) ? NameQuery::MatchingNames
                                                                      : NameQuery::Matching,
                                       operands, format, objectNames, diagnostics);
    return printAnswer("") == AllConverted && found ? AllConverted : SomeFailed;
  }
  if (commandBit == ScanBit) {
    Diagnostics diagnostics(stderr);
    ObjectNames objectNames(diagnostics, line.namesFiles);
    const ScanOptions scanOptions{format, line.has(Setting::Count), line.has(Setting::Unknown)};
    try {
      return scanFiles(operands, scanOptions, objectNames, diagnostics) ? AllConverted : SomeFailed;
    } catch (const OutputError& error) {
      diagnostics.error(error.what());
      return SomeFailed;
    }
  }
  ConversionOptions options;
  options.command = commandBit == EncodeBit ? Command::Encode : Command::Decode;
  options.lenient = line.has(Setting::Lenient);
  options.hex = line.has(Setting::Hex);
  options.der = line.has(Setting::Der);
  options.relative = line.has(Setting::Relative);
  options.format = format;
  options.names = line.has(Setting::Names);
  options.uuid = line.has(Setting::Uuid);
  options.adviseQuoting =
      options.command == Command::Decode && options.hex && looksLikeSplitDump(operands);

  OutputBlock output(STDOUT_FILENO);
  Diagnostics diagnostics(stderr);
  ObjectNames objectNames(diagnostics, line.namesFiles);
  // A person at a terminal sees each result as it comes.
  ItemConverter converter(options, objectNames, output, diagnostics, isatty(STDOUT_FILENO) != 0);
  bool allConverted = false;
  try {
    try {
      allConverted = convertAll(converter, output, operands);
    } catch (const OutputError&) {
      throw;
    } catch (const std::runtime_error& error) {
      // The input failed; what was converted before is still written.
      diagnostics.error(error.what());
    }
    output.flush();
  } catch (const OutputError& error) {
    diagnostics.error(error.what());
    return SomeFailed;
  }
  return allConverted ? AllConverted : SomeFailed;
}

}  // namespace

int main(int argc, char* argv[]) {
  try {
    return run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fputs("pellamar-cli: memory exhausted\n", stderr);
  } catch (const std::exception& error) {
    Diagnostics(stderr).error(error.what());
  } catch (...) {
    std::fputs("pellamar-cli: an unexpected failure ended the run\n", stderr);
  }
  return SomeFailed;
}
