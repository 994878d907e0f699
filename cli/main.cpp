#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "file_scan.hpp"
#include "item_converter.hpp"
#include "line_source.hpp"
#include "name_query.hpp"
#include "output_block.hpp"

namespace {

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
    "(1 2 840 113549) and names (rsaEncryption, IF-MIB::ifDescr, ifDescr.7).\n"
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

int usageError(const std::string& message) {
  std::fprintf(stderr, "pellamar-cli: %s\n%sTry 'pellamar-cli --help' for more information.\n",
               message.c_str(), Usage);
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
      converter.reportTooLong(line.number);
      allConverted = false;
    } else {
      allConverted = converter.convert(line.text, line.number, false) && allConverted;
    }
  }
  return allConverted;
}

int run(int argc, char* argv[]) {
  ConversionOptions options;
  std::vector<std::string> operands;
  bool tsv = false;
  bool json = false;

  CLI::App app(Description, "pellamar-cli");
  app.formatter(std::make_shared<HelpFormatter>());
  app.footer(Footer);
  app.set_help_flag("-h,--help", "display this help and exit");
  app.set_version_flag("-v,--version", versionText(), "output version information and exit");
  app.require_subcommand(1);
  // The output options, the same for both commands.
  const auto addOutputOptions = [&](CLI::App* command) {
    CLI::Option* tsvOption =
        command->add_flag("--tsv", tsv, "write one line of tab-separated fields per item");
    command->add_flag("--json", json, "write one JSON object per item, one per line")
        ->excludes(tsvOption);
    command->add_flag("--names", options.names,
                      "with --tsv, add the name, and last the nearest name, its source, the "
                      "enterprise and the named path");
    command->add_flag("--uuid", options.uuid,
                      "with --tsv, add the UUID of an identifier 2.25.N as a field");
    command
        ->add_option("--names-file", options.namesFiles,
                     "read names from FILE too, before any other source")
        ->type_name("FILE")
        ->allow_extra_args(false);
  };

  CLI::App* encode = app.add_subcommand("encode", "convert identifiers to octets and Base64");
  CLI::Option* encodeLenient = encode->add_flag("--lenient", options.lenient,
                                                "read dotted text as the Pellamar window does");
  encode
      ->add_flag("--relative", options.relative,
                 "read relative identifiers (RELATIVE-OID), such as 8571.3.2")
      ->excludes(encodeLenient);
  addOutputOptions(encode);
  encode->add_option("IDENTIFIER", operands, "identifiers such as 1.2.840.113549");

  CLI::App* decode =
      app.add_subcommand("decode", "convert Base64 or hexadecimal octets to identifiers");
  CLI::Option* decodeLenient =
      decode->add_flag("--lenient", options.lenient, "read octets as the Pellamar window does");
  decode
      ->add_flag("--relative", options.relative,
                 "read relative identifiers (RELATIVE-OID), with --der under the tag 0D")
      ->excludes(decodeLenient);
  decode->add_flag("--hex", options.hex, "read hexadecimal pairs instead of Base64");
  decode->add_flag("--der", options.der, "read a whole DER encoding: tag 06, length, contents");
  addOutputOptions(decode);
  decode->add_option("TEXT", operands, "Base64 texts such as KoZIhvcN");

  CLI::App* names = app.add_subcommand("names", "list names that match, and where names come from");
  bool children = false;
  bool sources = false;
  bool namesOnly = false;
  names->add_flag("--children", children, "list the names one arc below each IDENTIFIER");
  names->add_flag("--sources", sources, "list the sources of names found, with their counts")
      ->excludes(names->get_option("--children"));
  names
      ->add_flag("--names-only", namesOnly,
                 "match patterns against the names alone, not their descriptions")
      ->excludes(names->get_option("--children"))
      ->excludes(names->get_option("--sources"));
  CLI::Option* namesTsv =
      names->add_flag("--tsv", tsv, "write one line of tab-separated fields per name");
  names->add_flag("--json", json, "write one JSON object per name, one per line")
      ->excludes(namesTsv);
  names
      ->add_option("--names-file", options.namesFiles,
                   "read names from FILE too, before any other source")
      ->type_name("FILE")
      ->allow_extra_args(false);
  names->add_option("PATTERN", operands,
                    "shell patterns, matched without regard to case; a word alone matches "
                    "anywhere");

  CLI::App* scan = app.add_subcommand(
      "scan", "list the identifiers inside BER, DER, PEM or Base64 files, with their places");
  ScanOptions scanOptions;
  scan->add_flag("--count", scanOptions.count,
                 "list each distinct identifier once, with how many times it was found");
  scan->add_flag("--unknown", scanOptions.unknown,
                 "list only the identifiers that no source of names names");
  CLI::Option* scanTsv =
      scan->add_flag("--tsv", tsv, "write one line of tab-separated fields per identifier");
  scan->add_flag("--json", json, "write one JSON object per identifier, one per line")
      ->excludes(scanTsv);
  scan->add_option("--names-file", options.namesFiles,
                   "read names from FILE too, before any other source")
      ->type_name("FILE")
      ->allow_extra_args(false);
  scan->add_option("FILE", operands, "files to scan; standard input when none, or for -");

  // CLI11 would only say that a subcommand is required.
  if (argc > 1 && argv[1][0] != '-' && std::strcmp(argv[1], "encode") != 0 &&
      std::strcmp(argv[1], "decode") != 0 && std::strcmp(argv[1], "names") != 0 &&
      std::strcmp(argv[1], "scan") != 0) {
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
  options.format = tsv ? OutputFormat::Tsv : json ? OutputFormat::Json : OutputFormat::Human;
  if (names->parsed()) {
    if (operands.empty() && !sources) {
      return usageError(children ? "names --children needs an identifier"
                                 : "names needs a pattern, --children or --sources");
    }
    Diagnostics diagnostics(stderr);
    ObjectNames objectNames(diagnostics, options.namesFiles);
    const bool found = answerNameQuery(sources     ? NameQuery::Sources
                                       : children  ? NameQuery::Children
                                       : namesOnly ? NameQuery::MatchingNames
                                                   : NameQuery::Matching,
                                       operands, options.format, objectNames, diagnostics);
    return printAnswer("") == AllConverted && found ? AllConverted : SomeFailed;
  }
  if (scan->parsed()) {
    Diagnostics diagnostics(stderr);
    ObjectNames objectNames(diagnostics, options.namesFiles);
    scanOptions.format = options.format;
    try {
      return scanFiles(operands, scanOptions, objectNames, diagnostics) ? AllConverted : SomeFailed;
    } catch (const OutputError& error) {
      std::fprintf(stderr, "pellamar-cli: %s\n", error.what());
      return SomeFailed;
    }
  }
  options.command = encode->parsed() ? Command::Encode : Command::Decode;
  options.adviseQuoting =
      options.command == Command::Decode && options.hex && looksLikeSplitDump(operands);

  OutputBlock output(STDOUT_FILENO);
  Diagnostics diagnostics(stderr);
  // A person at a terminal sees each result as it comes.
  ItemConverter converter(options, output, diagnostics, isatty(STDOUT_FILENO) != 0);
  bool allConverted = false;
  try {
    try {
      allConverted = convertAll(converter, output, operands);
    } catch (const OutputError&) {
      throw;
    } catch (const std::runtime_error& error) {
      // The input failed; what was converted before is still written.
      std::fprintf(stderr, "pellamar-cli: %s\n", error.what());
    }
    output.flush();
  } catch (const OutputError& error) {
    std::fprintf(stderr, "pellamar-cli: %s\n", error.what());
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
    std::fprintf(stderr, "pellamar-cli: %s\n", error.what());
  } catch (...) {
    std::fputs("pellamar-cli: an unexpected failure ended the run\n", stderr);
  }
  return SomeFailed;
}
