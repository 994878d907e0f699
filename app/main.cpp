#include <QApplication>

#include "command_line.hpp"
#include "main_window.hpp"

int main(int argc, char* argv[]) {
  if (const std::optional<int> status = answerCommandLine(argc, argv)) {
    return *status;
  }
  QApplication app(argc, argv);
  // Lets Wayland and X11 task bars match the window with its desktop entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("pellamar"));
  MainWindow window;
  window.show();
  return QApplication::exec();
}
