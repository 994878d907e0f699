#include "command_line.hpp"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

constexpr int UsageError = 2;

QString tr(const char* text) {
  return QCoreApplication::translate("CommandLine", text);
}

QString usage() {
  return tr("Usage: pellamar [OPTION]\n");
}

QString helpText() {
  return usage() + tr("Open the Pellamar window, a calculator for object identifiers: type an\n"
                      "identifier such as 2.16.840.1 to see the contents octets of its BER\n"
                      "encoding as hexadecimal pairs and as Base64 text, and rebuild the dotted\n"
                      "identifier from a Base64 text.\n"
                      "\n"
                      "  -h, --help     display this help and exit\n"
                      "  -v, --version  output version information and exit\n"
                      "\n"
                      "Exit status:\n"
                      "  0  the window was closed\n"
                      "  2  the command line was not understood\n");
}

QString versionText() {
  return tr("pellamar %1\n"
            "Copyright (C) 2026 The Pellamar developers.\n"
            "License MIT: see /usr/share/doc/pellamar/copyright.\n"
            "This is free software: you are free to change and redistribute it.\n"
            "There is NO WARRANTY, to the extent permitted by law.\n")
      .arg(QStringLiteral(PELLAMAR_VERSION));
}

void print(std::FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
}

int usageError(const QString& message) {
  print(stderr, QStringLiteral("pellamar: ") + message + QLatin1Char('\n') + usage() +
                    tr("Try 'pellamar --help' for more information.\n"));
  return UsageError;
}

}  // namespace

std::optional<int> answerCommandLine(int argc, char* argv[]) {
  QStringList arguments;
  for (int index = 0; index < argc; ++index) {
    arguments << QString::fromLocal8Bit(argv[index]);
  }
  QCommandLineParser parser;
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
  parser.addOptions({help, version});
  if (!parser.parse(arguments)) {
    return usageError(parser.errorText());
  }
  if (parser.isSet(help)) {
    print(stdout, helpText());
    return 0;
  }
  if (parser.isSet(version)) {
    print(stdout, versionText());
    return 0;
  }
  if (!parser.positionalArguments().isEmpty()) {
    return usageError(tr("unexpected operand '%1'; the window reads no files.")
                          .arg(parser.positionalArguments().constFirst()));
  }
  return std::nullopt;
}
