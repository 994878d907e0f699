#include "main_window.hpp"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleOptionButton>

#include "latin1_text.hpp"
#include "objid_conversions.hpp"

namespace {

// The faces the window was drawn with. They exist only on Windows; elsewhere
// the platform's fixed-pitch and general faces stand in at the same size.
constexpr auto FieldFace = "Fixedsys";
constexpr qreal FieldPointSize = 9.0;
constexpr auto LegendFace = "MS Sans Serif";
constexpr qreal LegendPointSize = 8.25;

// Captions shrink to fit their boxes down to this size, and no further.
constexpr qreal SmallestPointSize = 6.0;
constexpr qreal PointSizeStep = 0.25;

QFont designFont(const char* face, qreal pointSize, QFontDatabase::SystemFont standIn) {
  QFont font = QFontDatabase::hasFamily(face) ? QFont(face) : QFontDatabase::systemFont(standIn);
  font.setPointSizeF(pointSize);
  return font;
}

// The design's boxes were drawn for narrower fonts than most platforms' dialog
// fonts: a caption that does not fit its box is drawn smaller, never cut off.
QFont fittingFont(QFont font, const QRect& box, int flags, const QString& text) {
  while (font.pointSizeF() > SmallestPointSize) {
    const QRect needed = QFontMetrics(font).boundingRect(box, flags, text);
    if (needed.width() <= box.width() && needed.height() <= box.height()) {
      break;
    }
    font.setPointSizeF(font.pointSizeF() - PointSizeStep);
  }
  return font;
}

QFont fittingFont(const QFont& font, const QLabel* label) {
  const int flags = label->wordWrap() ? Qt::TextWordWrap : Qt::TextSingleLine;
  return fittingFont(font, label->contentsRect(), flags, label->text());
}

QFont fittingFont(const QFont& font, const QPushButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  const QRect contents =
      button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
  return fittingFont(font, contents, Qt::TextSingleLine, button->text());
}

// The font, from `font` down, that fits every widget of a group, so that
// captions of one kind keep one size.
template <typename Widget>
QFont commonFittingFont(QFont font, std::initializer_list<const Widget*> group) {
  for (const Widget* widget : group) {
    font = fittingFont(font, widget);
  }
  return font;
}

struct DesignFonts {
  QFont field;
  QFont legend;
  QFont caption;
  QFont button;
};

DesignFonts fitDesignFonts(const Ui::MainWindow& ui) {
  QFont legend = designFont(LegendFace, LegendPointSize, QFontDatabase::GeneralFont);
  legend.setBold(true);
  return {
      designFont(FieldFace, FieldPointSize, QFontDatabase::FixedFont),
      commonFittingFont(legend, {ui.Label1}),
      commonFittingFont(ui.Label2->font(), {ui.Label2, ui.Label3, ui.Label4, ui.Label5}),
      commonFittingFont(ui.ToVisible->font(), {ui.ToVisible, ui.ToID}),
  };
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
  ui.setupUi(this);
  applyDesignFonts();
  connect(ui.ToVisible, &QPushButton::clicked, this, &MainWindow::ToVisible_Click);
  connect(ui.ToID, &QPushButton::clicked, this, &MainWindow::ToID_Click);
  ui.ObjectID->setFocus();
}

void MainWindow::applyDesignFonts() {
  // The fonts depend only on the platform's faces and the window's fixed
  // design, so they are worked out once a run: looking up a face costs
  // more than building the rest of the window.
  static const DesignFonts fonts = fitDesignFonts(ui);
  for (QLineEdit* field : {ui.ObjectID, ui.Binary, ui.VisibleID, ui.BackID}) {
    field->setFont(fonts.field);
  }
  ui.Label1->setFont(fonts.legend);
  for (QLabel* caption : {ui.Label2, ui.Label3, ui.Label4, ui.Label5}) {
    caption->setFont(fonts.caption);
  }
  for (QPushButton* button : {ui.ToVisible, ui.ToID}) {
    button->setFont(fonts.button);
  }
}

void MainWindow::ToVisible_Click() {
  pellamar::ObjIDBuffer octets;
  try {
    const std::int16_t count =
        pellamar::ObjIDStringToBinary(octets, toLatin1Codes(ui.ObjectID->text()));
    const std::string base64 = pellamar::ObjIDBinaryToBase64(octets, count);
    showResult(ui.Binary, QString::fromLatin1(pellamar::ObjIDBinaryToHex(octets, count)));
    showResult(ui.VisibleID, QString::fromLatin1(base64));
  } catch (const pellamar::ConversionError& error) {
    reportFailure(error, ui.ObjectID);
  }
}

void MainWindow::ToID_Click() {
  pellamar::ObjIDBuffer octets;
  try {
    const std::int16_t count =
        pellamar::ObjIDBase64ToBinary(toLatin1Codes(ui.VisibleID->text()), octets);
    showResult(ui.BackID, QString::fromStdString(pellamar::ObjIDBinaryToString(octets, count)));
  } catch (const pellamar::ConversionError& error) {
    reportFailure(error, ui.VisibleID);
  }
}

// A field whose text is set shows its start, as on the platform the window
// was drawn for; a long result would otherwise show only its end.
void MainWindow::showResult(QLineEdit* field, const QString& text) {
  field->setText(text);
  field->setCursorPosition(0);
}

// Shows the failure in a window-modal box, so the program keeps running, and
// puts the user back in the field that was read, on the offending character.
void MainWindow::reportFailure(const pellamar::ConversionError& error, QLineEdit* field) {
  auto* box = new QMessageBox(QMessageBox::Warning, tr("Pellamar"), QString::fromUtf8(error.what()),
                              QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  const int position = error.position();
  connect(box, &QMessageBox::finished, field, [field, position] {
    field->activateWindow();
    field->setFocus();
    if (position > 0) {
      const int index = indexOfPosition(field->text(), position);
      const int next = indexOfPosition(field->text(), position + 1);
      field->setSelection(next, index - next);
    }
  });
  box->open();
}
