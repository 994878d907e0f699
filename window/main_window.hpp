// The program's one window: the identifier, its octets in hexadecimal and
// in Base64, and the identifier rebuilt from the Base64 text.
#pragma once

#include <QWidget>

#include "ui_main_window.h"

class QLineEdit;

namespace pellamar {
class ConversionError;
}

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);

 private slots:
  // ObjectID to Binary and VisibleID.
  void ToVisible_Click();
  // VisibleID to BackID.
  void ToID_Click();

 private:
  void applyDesignFonts();
  static void showResult(QLineEdit* field, const QString& text);
  void reportFailure(const pellamar::ConversionError& error, QLineEdit* field);

  Ui::MainWindow ui;
};
