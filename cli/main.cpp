#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "item_converter.hpp"
#include "line_source.hpp"

namespace {

constexpr int AllConverted = 0;
constexpr int SomeFailed = 1;
constexpr int UsageError = 2;

constexpr auto Usage =
    "Usage: pellamar-cli encode [--lenient] [--tsv] [--names] [IDENTIFIER...]\n"
    "   or: pellamar-cli decode [--lenient] [--hex] [--der] [--tsv] [--names] [TEXT...]\n"
    "   or: pellamar-cli --help | --version\n";

constexpr auto Description =
    "Convert object identifiers to the contents octets of their BER encoding, as\n"
    "hexadecimal pairs and Base64, and back. Items come from the operands or, when\n"
    "there are none, one a line from standard input.";

constexpr auto Footer =
    "Output goes to standard output, one item after another in input order; a\n"
    "failed item prints nothing there, and standard error gets\n"
    "'pellamar-cli: LINE:COLUMN: MESSAGE', LINE being the line of standard input or\n"
    "the operand's number.\n"
    "\n"
    "Exit status:\n"
    "  0  every item converted\n"
    "  1  at least one item failed\n"
    "  2  the command line was not understood";

std::string versionText() {
  return std::string("pellamar-cli ") + PELLAMAR_VERSION +
         "\n"
         "Copyright (C) 2026 The Pellamar developers.\n"
         "License MIT: see /usr/share/doc/pellamar-cli/copyright.\n"
         "This is free software: you are free to change and redistribute it.\n"
         "There is NO WARRANTY, to the extent permitted by law.";
}

// CLI11's help, with the program's own synopsis and description first, as
// GNU programs (and help2man, which makes the manual page from it) have them.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_description(const CLI::App* app) const override {
    return app->get_parent() == nullptr ? std::string() : CLI::Formatter::make_description(app);
  }
  std::string make_usage(const CLI::App* app, std::string name) const override {
    if (app->get_parent() != nullptr) {
      return CLI::Formatter::make_usage(app, std::move(name));
    }
    return std::string(Usage) + "\n" + Description + "\n";
  }
  // A command within the whole help: its name and purpose, then its options.
  std::string make_expanded(const CLI::App* command) const override {
    std::string text = "\n" + command->get_name() + ": " + command->get_description() + "\n";
    for (const CLI::Option* option : command->get_options()) {
      if (option != command->get_help_ptr() && !option->get_positional()) {
        text += make_option(option, false);
      }
    }
    return text;
  }
};

int usageError(const std::string& message) {
  std::fprintf(stderr, "pellamar-cli: %s\n%sTry 'pellamar-cli --help' for more information.\n",
               message.c_str(), Usage);
  return UsageError;
}

// Converts every item, from the operands or else from standard input, and
// returns whether all converted.
bool convertAll(ItemConverter& converter, const std::vector<std::string>& operands) {
  bool allConverted = true;
  if (!operands.empty()) {
    long number = 0;
    for (const std::string& operand : operands) {
      allConverted = converter.convert(operand, ++number, true) && allConverted;
    }
    return allConverted;
  }
  LineSource lines(stdin);
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

  CLI::App app(Description, "pellamar-cli");
  app.formatter(std::make_shared<HelpFormatter>());
  app.footer(Footer);
  app.set_version_flag("-v,--version", versionText(), "Output version information and exit");
  app.require_subcommand(1);
  const auto lenientHelp = "Read as the Pellamar window does";
  const auto tsvHelp = "One tab-separated line an item, for scripts";
  const auto namesHelp = "With --tsv, add the identifier's short name as a last field";

  CLI::App* encode = app.add_subcommand(
      "encode", "Dotted identifiers to octets and Base64, read strictly unless --lenient");
  encode->add_flag("--lenient", options.lenient, lenientHelp);
  encode->add_flag("--tsv", options.tsv, tsvHelp);
  encode->add_flag("--names", options.names, namesHelp);
  encode->add_option("IDENTIFIER", operands, "Identifiers such as 1.2.840.113549")->type_name("");
  encode->group("Commands");

  CLI::App* decode =
      app.add_subcommand("decode", "Base64 (or hexadecimal) contents octets to dotted identifiers");
  decode->add_flag("--lenient", options.lenient,
                   "Read subidentifiers padded with 80 octets by their value");
  decode->add_flag("--hex", options.hex, "Read hexadecimal pairs instead of Base64");
  decode->add_flag("--der", options.der, "Read a whole DER encoding: tag 06, length, contents");
  decode->add_flag("--tsv", options.tsv, tsvHelp);
  decode->add_flag("--names", options.names, namesHelp);
  decode->add_option("TEXT", operands, "Base64 texts such as KoZIhvcN")->type_name("");
  decode->group("Commands");

  // CLI11 would only say that a subcommand is required.
  if (argc > 1 && argv[1][0] != '-' && std::strcmp(argv[1], "encode") != 0 &&
      std::strcmp(argv[1], "decode") != 0) {
    return usageError(std::string("unknown command '") + argv[1] +
                      "'; the commands are encode and decode");
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    // The whole interface at once, so that the manual page made from it
    // covers both commands.
    std::fputs(app.help("", CLI::AppFormatMode::All).c_str(), stdout);
    return AllConverted;
  } catch (const CLI::Success& success) {
    return app.exit(success);
  } catch (const CLI::ParseError& error) {
    return usageError(error.what());
  }
  options.command = encode->parsed() ? Command::Encode : Command::Decode;

  // A person at a terminal sees each result as it comes.
  ItemConverter converter(options, stdout, stderr, isatty(STDOUT_FILENO) != 0);
  bool allConverted = false;
  try {
    allConverted = convertAll(converter, operands);
  } catch (const std::runtime_error& error) {
    std::fprintf(stderr, "pellamar-cli: %s\n", error.what());
  }
  converter.flush();
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "pellamar-cli: cannot write the output: %s\n", std::strerror(errno));
    return SomeFailed;
  }
  return allConverted ? AllConverted : SomeFailed;
}

}  // namespace

int main(int argc, char* argv[]) {
  try {
    return run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "pellamar-cli: %s\n", error.what());
  } catch (...) {
    std::fputs("pellamar-cli: an unexpected failure ended the run\n", stderr);
  }
  return SomeFailed;
}
