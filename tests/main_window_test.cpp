#include "main_window.hpp"

#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

// Drives the real window as a user does: typing, clicking and reading the
// fields, found by the names the form gives them.
class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void designTable_data();
  void designTable();
  void fieldsUseFixedPitchFont();
  void captionsAreReadableInFull();
  void focusStartsInObjectIdAndFollowsTabOrder();

  void forwardAction_data();
  void forwardAction();
  void reverseAction_data();
  void reverseAction();
  void roundTripThroughBothButtons_data();
  void roundTripThroughBothButtons();
  void failureShowsMessageAndKeepsFields_data();
  void failureShowsMessageAndKeepsFields();
  void enterAndEscapeStartNothing_data();
  void enterAndEscapeStartNothing();

 private:
  template <typename Widget>
  Widget* control(const char* name) const {
    auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
    if (widget == nullptr) {
      qFatal("the window has no control %s", name);
    }
    return widget;
  }
  QLineEdit* field(const QString& name) const { return control<QLineEdit>(qPrintable(name)); }
  void type(const QString& fieldName, const QString& text) const;
  void click(const char* buttonName) const;

  MainWindow* window = nullptr;
};

void MainWindowTest::init() {
  window = new MainWindow;
  window->show();
  QApplication::setActiveWindow(window);
  QVERIFY(QTest::qWaitForWindowActive(window));
}

void MainWindowTest::cleanup() {
  delete window;
  window = nullptr;
}

void MainWindowTest::type(const QString& fieldName, const QString& text) const {
  QLineEdit* edit = field(fieldName);
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClicks(edit, text);
}

void MainWindowTest::click(const char* buttonName) const {
  QTest::mouseClick(control<QPushButton>(buttonName), Qt::LeftButton);
}

void MainWindowTest::designTable_data() {
  QTest::addColumn<QRect>("geometry");
  QTest::addColumn<QString>("text");
  // Twips of the drawing divided by 15, the twips of a pixel at 96 dpi.
  QTest::newRow("Label1") << QRect(32, 16, 305, 25)
                          << "{joint-iso-ccitt(2) country(16) US(840) organization(1)}";
  QTest::newRow("ObjectID") << QRect(120, 48, 177, 25) << "2.16.840.1";
  QTest::newRow("ToVisible") << QRect(304, 48, 57, 25) << "ToVisible";
  QTest::newRow("Label2") << QRect(8, 56, 105, 17) << "Object Identifier";
  QTest::newRow("Binary") << QRect(120, 88, 177, 27) << "....";
  QTest::newRow("Label3") << QRect(8, 96, 105, 17) << "Binary representation";
  QTest::newRow("VisibleID") << QRect(120, 128, 177, 25) << "....";
  QTest::newRow("Label4") << QRect(8, 136, 105, 17) << "Base64 visible string";
  QTest::newRow("BackID") << QRect(120, 168, 177, 25) << "....";
  QTest::newRow("ToID") << QRect(304, 168, 57, 25) << "ToID";
  QTest::newRow("Label5") << QRect(8, 176, 105, 17) << "Object ID rebuilt";
  QTest::newRow("Line1") << QRect(8, 79, 352, 3) << QString();
  QTest::newRow("Line2") << QRect(8, 159, 352, 3) << QString();
}

void MainWindowTest::designTable() {
  QFETCH(QRect, geometry);
  QFETCH(QString, text);
  QCOMPARE(window->windowTitle(), QStringLiteral("Pellamar"));
  // The program's own icon, built in, for task bars and window switchers.
  QVERIFY(!window->windowIcon().pixmap(32).isNull());
  QCOMPARE(window->minimumSize(), QSize(367, 200));
  QCOMPARE(window->maximumSize(), QSize(367, 200));
  auto* widget = window->findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
  QVERIFY(widget != nullptr);
  QCOMPARE(widget->geometry(), geometry);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    QCOMPARE(edit->text(), text);
    QVERIFY(!edit->isReadOnly());
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    QCOMPARE(label->text(), text);
  } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
    QCOMPARE(button->text(), text);
    QVERIFY(!button->isDefault() && !button->autoDefault());
  } else {
    QCOMPARE(qobject_cast<QFrame*>(widget)->frameShape(), QFrame::HLine);
  }
}

void MainWindowTest::fieldsUseFixedPitchFont() {
  for (const char* name : {"ObjectID", "Binary", "VisibleID", "BackID"}) {
    // Narrow and wide letters take the same width in a fixed-pitch face.
    const QFont font = field(QString::fromLatin1(name))->font();
    const QFontMetrics metrics(font);
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("1111....")),
             metrics.horizontalAdvance(QStringLiteral("WWWWMMMM")));
    QCOMPARE(font.pointSizeF(), 9.0);
  }
  QVERIFY(QFontInfo(control<QLabel>("Label1")->font()).bold());
  // Captions of one kind keep one size, whatever each needs to fit.
  for (const char* name : {"Label3", "Label4", "Label5"}) {
    QCOMPARE(control<QLabel>(name)->font().pointSizeF(),
             control<QLabel>("Label2")->font().pointSizeF());
  }
}

void MainWindowTest::captionsAreReadableInFull() {
  for (const char* name : {"Label1", "Label2", "Label3", "Label4", "Label5"}) {
    const auto* label = control<QLabel>(name);
    const int flags = label->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
    const QRect needed =
        QFontMetrics(label->font()).boundingRect(label->contentsRect(), flags, label->text());
    QVERIFY2(label->contentsRect().contains(needed), name);
  }
  for (const char* name : {"ToVisible", "ToID"}) {
    const auto* button = control<QPushButton>(name);
    QVERIFY2(QFontMetrics(button->font()).horizontalAdvance(button->text()) < button->width(),
             name);
  }
}

void MainWindowTest::focusStartsInObjectIdAndFollowsTabOrder() {
  QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("ObjectID"));
  for (const char* next : {"VisibleID", "ToVisible", "ToID", "BackID", "Binary", "ObjectID"}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(next));
  }
}

void MainWindowTest::forwardAction_data() {
  QTest::addColumn<QString>("identifier");
  QTest::addColumn<QString>("binary");
  QTest::addColumn<QString>("visible");
  QTest::newRow("UsOrganization") << "2.16.840.1"
                                  << "60 86 48 01 "
                                  << "YIZIAQ==";
  QTest::newRow("RsaDataSecurity") << "1.2.840.113549"
                                   << "2A 86 48 86 F7 0D "
                                   << "KoZIhvcN";
  QTest::newRow("PilotUserId") << "0.9.2342.19200300.100.1.1"
                               << "09 92 26 89 93 F2 2C 64 01 01 "
                               << "CZImiZPyLGQBAQ==";
  QTest::newRow("PrivateEnterprises") << "1.3.6.1.4.1"
                                      << "2B 06 01 04 01 "
                                      << "KwYBBAE=";
  QTest::newRow("EmptyField") << ""
                              << "00 "
                              << "AA==";
  QTest::newRow("LongerThanTheField") << "2.16.840.1.101.3.4.2.1"
                                      << "60 86 48 01 65 03 04 02 01 "
                                      << "YIZIAWUDBAIB";
}

void MainWindowTest::forwardAction() {
  QFETCH(QString, identifier);
  QFETCH(QString, binary);
  QFETCH(QString, visible);
  field("BackID")->setText(QStringLiteral("kept"));
  type(QStringLiteral("ObjectID"), identifier);
  for (int clicks = 0; clicks < 2; ++clicks) {
    click("ToVisible");
    QCOMPARE(field("Binary")->text(), binary);
    QCOMPARE(field("VisibleID")->text(), visible);
    // Each written field shows the start of its text.
    QCOMPARE(field("Binary")->cursorPosition(), 0);
    QCOMPARE(field("VisibleID")->cursorPosition(), 0);
  }
  QCOMPARE(field("BackID")->text(), QStringLiteral("kept"));
}

void MainWindowTest::reverseAction_data() {
  QTest::addColumn<QString>("visible");
  QTest::addColumn<QString>("rebuilt");
  QTest::newRow("Padded") << "YIZIAQ=="
                          << "2.16.840.1";
  QTest::newRow("Unpadded") << "KoZIhvcN"
                            << "1.2.840.113549";
  QTest::newRow("PilotUserId") << "CZImiZPyLGQBAQ=="
                               << "0.9.2342.19200300.100.1.1";
  QTest::newRow("OneOctetIsTwoArcs") << "BQ=="
                                     << "0.5";
  QTest::newRow("PaddingLeftOff") << "YIZIAQ"
                                  << "2.16.840.1";
  QTest::newRow("MultiOctetFirstSubidentifier") << "iDcB"
                                                << "2.999.1";
}

void MainWindowTest::reverseAction() {
  QFETCH(QString, visible);
  QFETCH(QString, rebuilt);
  type(QStringLiteral("ObjectID"), QStringLiteral("1.1"));
  field("Binary")->setText(QStringLiteral("edited"));
  type(QStringLiteral("VisibleID"), visible);
  click("ToID");
  QCOMPARE(field("BackID")->text(), rebuilt);
  QCOMPARE(field("BackID")->cursorPosition(), 0);
  QCOMPARE(field("ObjectID")->text(), QStringLiteral("1.1"));
  QCOMPARE(field("Binary")->text(), QStringLiteral("edited"));
}

void MainWindowTest::roundTripThroughBothButtons_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("canonical");
  QTest::newRow("RsaDataSecurity") << "1.2.840.113549"
                                   << "1.2.840.113549";
  QTest::newRow("LeadingZeros") << "2.016.0840.1"
                                << "2.16.840.1";
  QTest::newRow("Blanks") << " 1. 3.6.1"
                          << "1.3.6.1";
  QTest::newRow("LargeChildOfRoot2") << "2.999.1"
                                     << "2.999.1";
  QTest::newRow("LargestArc") << "1.2.2147483647"
                              << "1.2.2147483647";
}

void MainWindowTest::roundTripThroughBothButtons() {
  QFETCH(QString, typed);
  QFETCH(QString, canonical);
  type(QStringLiteral("ObjectID"), typed);
  click("ToVisible");
  click("ToID");
  QCOMPARE(field("BackID")->text(), canonical);
}

void MainWindowTest::failureShowsMessageAndKeepsFields_data() {
  QTest::addColumn<QString>("fieldName");
  QTest::addColumn<QString>("input");
  QTest::addColumn<QString>("message");
  QTest::addColumn<int>("cursor");
  QTest::addColumn<QString>("selected");
  QTest::newRow("NegativeArc") << "ObjectID"
                               << "1.2.-5"
                               << "The arc -5 at position 5 is negative; arcs are whole numbers "
                                  "from 0 up."
                               << 4 << "-";
  QTest::newRow("FirstArcAboveRoots")
      << "ObjectID"
      << "6.15"
      << "The first arc is 6 (at position 1), but it must be 0, 1 or 2." << 0 << "6";
  QTest::newRow("ArcAfterSurrogatePair")
      << "ObjectID" << QString::fromUtf8("1.2.\xF0\x9F\x98\x80.-5")
      << "The arc -5 at position 7 is negative; arcs are whole numbers from 0 up." << 7 << "-";
  QTest::newRow("BlankInBase64") << "VisibleID"
                                 << "KoZIhvcN YQ"
                                 << "The character \" \" at position 9 is not a Base64 character."
                                 << 8 << " ";
  QTest::newRow("InitialFullStops") << "VisibleID"
                                    << "...."
                                    << "The character \".\" at position 1 is not a Base64 "
                                       "character."
                                    << 0 << ".";
  QTest::newRow("OutsideLatin1") << "VisibleID" << QString::fromUtf8("YI\xE2\x82\xAC")
                                 << "A character outside Latin-1 at position 3 is not a Base64 "
                                    "character."
                                 << 2 << QString::fromUtf8("\xE2\x82\xAC");
  QTest::newRow("LastLatin1Letter") << "VisibleID" << QString::fromUtf8("YI\xC3\xBF")
                                    << QString::fromUtf8(
                                           "The character \"\xC3\xBF\" at position 3 "
                                           "is not a Base64 character.")
                                    << 2 << QString::fromUtf8("\xC3\xBF");
  QTest::newRow("FirstBeyondLatin1") << "VisibleID" << QString::fromUtf8("YI\xC4\x80")
                                     << "A character outside Latin-1 at position 3 is not a Base64 "
                                        "character."
                                     << 2 << QString::fromUtf8("\xC4\x80");
  QTest::newRow("CutOffLastArc") << "VisibleID"
                                 << "YP////8=" << QString() << 8 << QString();
}

void MainWindowTest::failureShowsMessageAndKeepsFields() {
  QFETCH(QString, fieldName);
  QFETCH(QString, input);
  QFETCH(QString, message);
  QFETCH(int, cursor);
  QFETCH(QString, selected);
  click("ToVisible");
  click("ToID");
  const QStringList before = {field("Binary")->text(), field("VisibleID")->text(),
                              field("BackID")->text()};
  field(fieldName)->setText(input);
  click(fieldName == QStringLiteral("ObjectID") ? "ToVisible" : "ToID");

  auto* box = window->findChild<QMessageBox*>();
  QVERIFY(box != nullptr);
  QVERIFY(box->isVisible());
  QCOMPARE(box->windowTitle(), QStringLiteral("Pellamar"));
  QCOMPARE(box->icon(), QMessageBox::Warning);
  // Only this window waits for the answer; the rest of the desktop does not.
  QCOMPARE(box->windowModality(), Qt::WindowModal);
  if (!message.isEmpty()) {
    QCOMPARE(box->text(), message);
  }
  QVERIFY(!box->text().isEmpty());
  QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  QTRY_VERIFY(window->findChild<QMessageBox*>() == nullptr);

  if (fieldName == QStringLiteral("ObjectID")) {
    QCOMPARE(field("Binary")->text(), before[0]);
  }
  QCOMPARE(field("VisibleID")->text(), fieldName == QStringLiteral("ObjectID") ? before[1] : input);
  QCOMPARE(field("BackID")->text(), before[2]);
  QTRY_COMPARE(QApplication::focusWidget(), field(fieldName));
  QCOMPARE(field(fieldName)->cursorPosition(), cursor);
  QCOMPARE(field(fieldName)->selectedText(), selected);

  // The program goes on: the next action works as before.
  type(QStringLiteral("ObjectID"), QStringLiteral("1.3.6.1.4.1"));
  click("ToVisible");
  QCOMPARE(field("VisibleID")->text(), QStringLiteral("KwYBBAE="));
}

void MainWindowTest::enterAndEscapeStartNothing_data() {
  QTest::addColumn<QString>("focused");
  QTest::addColumn<int>("key");
  QTest::newRow("EnterInObjectID") << "ObjectID" << int{Qt::Key_Return};
  QTest::newRow("KeypadEnterInVisibleID") << "VisibleID" << int{Qt::Key_Enter};
  QTest::newRow("EnterOnToVisible") << "ToVisible" << int{Qt::Key_Return};
  QTest::newRow("EscapeOnToID") << "ToID" << int{Qt::Key_Escape};
}

void MainWindowTest::enterAndEscapeStartNothing() {
  QFETCH(QString, focused);
  QFETCH(int, key);
  auto* target = window->findChild<QWidget*>(focused);
  target->setFocus();
  QTest::keyClick(target, static_cast<Qt::Key>(key));
  for (const char* name : {"Binary", "VisibleID", "BackID"}) {
    QCOMPARE(field(QString::fromLatin1(name))->text(), QStringLiteral("...."));
  }
  QVERIFY(window->isVisible());
  QVERIFY(window->findChild<QMessageBox*>() == nullptr);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
