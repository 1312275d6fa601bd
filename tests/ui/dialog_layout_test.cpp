// How the laid-out dialogs look at the desktop's font and at 150 % and 200 % of it: every text
// shows whole, no two controls overlap, the rows line up, and every button has an Alt letter of
// its own.
#include <QAbstractButton>
#include <QLabel>
#include <QSet>
#include <QStyle>
#include <functional>
#include <memory>

#include "core/settings.h"
#include "ui/about_dlg.h"
#include "ui/conditions_dlg.h"
#include "ui/smoothing_dlg.h"
#include "ui/tool_setup_dlg.h"
#include "ui_support.h"

namespace ruvo {
namespace {

// The controls a user reads or works: texts, buttons and boxes, not the containers around them.
QList<QWidget*> Controls(const QDialog& dialog) {
  QList<QWidget*> controls;
  for (QWidget* widget : dialog.findChildren<QWidget*>())
    if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget) || qobject_cast<QLineEdit*>(widget))
      controls << widget;
  return controls;
}

QRect InDialog(const QWidget& control) {
  return {control.mapTo(control.window(), QPoint(0, 0)), control.size()};
}

QString Describe(const QWidget& control) {
  const QString text = control.property("text").toString();
  return control.objectName() + (text.isEmpty() ? QString() : "(" + text + ")");
}

// Empty when every text shows whole and no two controls overlap; else what does not.
QString Clipped(const QDialog& dialog) {
  const QList<QWidget*> controls = Controls(dialog);
  for (const QWidget* control : controls) {
    if (!dialog.rect().contains(InDialog(*control))) return Describe(*control) + " runs out of the dialog";
    if (qobject_cast<const QLineEdit*>(control)) continue;  // a box's width is set by what it holds
    const auto* label = qobject_cast<const QLabel*>(control);
    const QSize needed = label && label->wordWrap() ? QSize(control->width(), label->heightForWidth(control->width()))
                                                    : control->sizeHint();
    if (control->width() < needed.width() || control->height() < needed.height())
      return QString("%1 is %2x%3, needs %4x%5")
          .arg(Describe(*control))
          .arg(control->width())
          .arg(control->height())
          .arg(needed.width())
          .arg(needed.height());
  }
  for (qsizetype a = 0; a < controls.size(); ++a)
    for (qsizetype b = a + 1; b < controls.size(); ++b)
      if (InDialog(*controls[a]).intersects(InDialog(*controls[b])))
        return Describe(*controls[a]) + " overlaps " + Describe(*controls[b]);
  return {};
}

QChar Mnemonic(const QString& text) {
  const qsizetype at = text.indexOf('&');
  return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
}

int CenterY(const QWidget& control) {
  return InDialog(control).center().y();
}

}  // namespace

class DialogLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void textsShowWholeAndRowsLineUp() {
    const QFont base = QApplication::font();
    MemorySettingsStore settings;
    const std::pair<const char*, std::function<std::unique_ptr<QDialog>()>> dialogs[] = {
        {"smoothing", [] { return std::make_unique<CSmoothingDlg>(); }},
        {"tool setup", [&settings] { return std::make_unique<CToolSetupDlg>(settings); }},
        {"air conditions", [&settings] { return std::make_unique<CConditionsDlg>(settings); }},
        {"about", [] { return std::make_unique<CAboutDlg>(); }}};
    for (double scale : {1.0, 1.5, 2.0}) {
      QFont font = base;
      font.setPointSizeF(base.pointSizeF() * scale);
      QApplication::setFont(font);
      for (const auto& [name, make] : dialogs) {
        const std::unique_ptr<QDialog> dialog = make();
        dialog->show();
        const QString where = QString("%1 at %2: ").arg(name).arg(scale);
        const QString clipped = Clipped(*dialog);
        QVERIFY2(clipped.isEmpty(), qPrintable(where + clipped));
        QSet<QChar> letters;
        for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
          if (const QChar letter = Mnemonic(button->text()); !letter.isNull()) {
            QVERIFY2(!letters.contains(letter), qPrintable(where + "a second button on Alt+" + letter));
            letters.insert(letter);
          }
      }

      // Each level box level with its method (the decline rpm with its label), the boxes in one
      // column, the decline label indented under the methods' texts.
      CSmoothingDlg smoothing;
      smoothing.show();
      const test::FormProbe levels(smoothing);
      const QLabel* declineLabel = smoothing.findChild<QLabel*>();
      const std::pair<const QWidget*, const char*> rows[] = {{levels.Radio("localSmoothing"), "localLevel"},
                                                             {levels.Radio("splineSegments"), "segments"},
                                                             {levels.Radio("exponentialFit"), "fitLevel"},
                                                             {declineLabel, "declineRpm"}};
      for (const auto& [text, boxName] : rows) {
        const QLineEdit* box = levels.Box(boxName);
        QVERIFY2(std::abs(CenterY(*text) - CenterY(*box)) <= 1, boxName);
        QCOMPARE(InDialog(*box).x(), InDialog(*levels.Box("localLevel")).x());
        // Any rpm shows whole inside the frame and the 2 pixels a line edit keeps on either side.
        QVERIFY2(box->fontMetrics().horizontalAdvance("-123456") <=
                     box->width() - 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4,
                 boxName);
      }
      QVERIFY(InDialog(*declineLabel).x() > InDialog(*levels.Radio("exponentialFit")).x());
      QCOMPARE(InDialog(*levels.Radio("noSmoothing")).x(), InDialog(*levels.Radio("exponentialFit")).x());

      // The five tool rows: boxes, buttons and labels in columns, each button level with its
      // box, evenly spaced, each label just above its box; every button reads "Browse".
      CToolSetupDlg setup(settings);
      setup.show();
      const test::FormProbe probe(setup);
      QList<QRect> boxes, buttons;
      for (const char* n : {"1", "2", "3", "4", "5"}) {
        boxes << InDialog(*probe.Find<QWidget>(qPrintable(QString("toolCommand") + n)));
        auto* browse = probe.Find<QPushButton>(qPrintable(QString("browseTool") + n));
        buttons << InDialog(*browse);
        QCOMPARE(browse->text().remove('&'), QString("Browse"));
      }
      const QList<QLabel*> labels = setup.findChildren<QLabel*>();
      QCOMPARE(labels.size(), boxes.size());
      for (qsizetype row = 0; row < boxes.size(); ++row) {
        const QRect box = boxes[row], button = buttons[row], label = InDialog(*labels[row]);
        QCOMPARE(InDialog(*labels[row]->buddy()), box);
        QCOMPARE(label.x(), box.x());
        QVERIFY(label.bottom() < box.top() && box.top() - label.bottom() <= label.height() / 2);
        QCOMPARE(box.x(), boxes[0].x());
        QCOMPARE(box.width(), boxes[0].width());
        QCOMPARE(button.x(), buttons[0].x());
        QVERIFY(std::abs(button.center().y() - box.center().y()) <= 1);
        if (row > 0) QCOMPARE(box.top() - boxes[row - 1].top(), boxes[1].top() - boxes[0].top());
      }
    }
    QApplication::setFont(base);
  }
};

RUVO_UI_SUITE("DialogLayout", DialogLayoutTest);

}  // namespace ruvo

#include "dialog_layout_test.moc"
