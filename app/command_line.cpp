#include "command_line.hpp"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "pellamar/visible_text.hpp"

namespace {

constexpr int WriteFailed = 1;
constexpr int UsageError = 2;

// Qt's own options, which QApplication reads from the same command line:
// those of QGuiApplication, the X11 platform and QApplication.
constexpr const char* QtOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme",
    "plugin",      "qmljsdebugger",      "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",
    "display",     "geometry",           "style",
    "stylesheet"};
constexpr const char* QtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

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
                      "Qt's own options, such as -platform offscreen or -style fusion, are\n"
                      "passed to Qt.\n"
                      "\n"
                      "Exit status:\n"
                      "  0  the window was closed\n"
                      "  1  the help or version text could not be written\n"
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

// Writes `text` and reports whether it arrived: a full disk or a closed
// stream is an error, not silence.
bool print(std::FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
  return std::fflush(stream) == 0 && std::ferror(stream) == 0;
}

int answer(const QString& text) {
  if (print(stdout, text)) {
    return 0;
  }
  const int error = errno;
  print(stderr,
        QStringLiteral("pellamar: ") +
            tr("cannot write the output: %1\n").arg(QString::fromLocal8Bit(std::strerror(error))));
  return WriteFailed;
}

// The unknown option as the user wrote it ("-platfrom", "--bogus=1").
QString asWritten(const QStringList& arguments, const QString& name) {
  for (const QString& argument : arguments.mid(1)) {
    QString bare = argument;
    while (bare.startsWith(QLatin1Char('-'))) {
      bare.remove(0, 1);
    }
    if (bare.section(QLatin1Char('='), 0, 0) == name) {
      return argument.section(QLatin1Char('='), 0, 0);
    }
  }
  return name;
}

// The message may quote an argument, which is text from outside: its
// controls are shown, not obeyed.
int usageError(const QString& message) {
  const QString shown =
      QString::fromStdString(pellamar::visible(message.toStdString(), pellamar::Backslash::Kept));
  print(stderr, QStringLiteral("pellamar: ") + shown + QLatin1Char('\n') + usage() +
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
  // Qt's options are single words after one dash, "-platform offscreen".
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
  parser.addOptions({help, version});
  for (const char* name : QtOptionsWithValue) {
    parser.addOption(
        QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
  }
  for (const char* name : QtFlags) {
    parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
  }
  if (!parser.parse(arguments)) {
    if (!parser.unknownOptionNames().isEmpty()) {
      return usageError(tr("unknown option '%1'")
                            .arg(asWritten(arguments, parser.unknownOptionNames().constFirst())));
    }
    return usageError(parser.errorText());
  }
  if (parser.isSet(help)) {
    return answer(helpText());
  }
  if (parser.isSet(version)) {
    return answer(versionText());
  }
  if (!parser.positionalArguments().isEmpty()) {
    return usageError(tr("unexpected operand '%1'; the window reads no files.")
                          .arg(parser.positionalArguments().constFirst()));
  }
  return std::nullopt;
}
