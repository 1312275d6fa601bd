// How the dialogs placed in dialog units look at the desktop's font and at 150 % and 200 % of it:
// no text runs into the control beside it, the tool rows line up, and every button has an Alt
// letter of its own.
#include <QAbstractButton>
#include <QLabel>
#include <QSet>
#include <functional>
#include <memory>

#include "core/settings.h"
#include "ui/smoothing_dlg.h"
#include "ui/tool_setup_dlg.h"
#include "ui_support.h"

namespace ruvo {
namespace {

constexpr int kMinimumGap = 3;  // pixels between a text and the next control on its line

// The part of control that its content needs: a label's or button's text, else all of it.
QRect Used(const QWidget& control) {
  if (!qobject_cast<const QLabel*>(&control) && !qobject_cast<const QAbstractButton*>(&control))
    return control.geometry();
  return {control.pos(), QSize(std::min(control.width(), control.sizeHint().width()), control.height())};
}

// "left -> right" for every pair of controls on one line whose used parts come closer than the gap.
QStringList Crowded(const QWidget& dialog) {
  QStringList crowded;
  const QList<QWidget*> controls = dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  for (const QWidget* left : controls)
    for (const QWidget* right : controls) {
      const QRect a = Used(*left), b = right->geometry();
      const bool sameLine = a.top() <= b.bottom() && b.top() <= a.bottom();
      if (left != right && sameLine && a.left() <= b.left() && b.left() - (a.right() + 1) < kMinimumGap)
        crowded << left->objectName() + QString("(%1)").arg(left->property("text").toString()) + " -> " +
                       right->objectName();
    }
  return crowded;
}

QChar Mnemonic(const QString& text) {
  const qsizetype at = text.indexOf('&');
  return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
}

}  // namespace

class DialogLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void textsKeepClearAndToolRowsLineUp() {
    const QFont base = QApplication::font();
    MemorySettingsStore settings;
    const std::pair<const char*, std::function<std::unique_ptr<QDialog>()>> dialogs[] = {
        {"smoothing", [] { return std::make_unique<CSmoothingDlg>(); }},
        {"tool setup", [&settings] { return std::make_unique<CToolSetupDlg>(settings); }}};
    for (double scale : {1.0, 1.5, 2.0}) {
      QFont font = base;
      font.setPointSizeF(base.pointSizeF() * scale);
      QApplication::setFont(font);
      for (const auto& [name, make] : dialogs) {
        const std::unique_ptr<QDialog> dialog = make();
        const QString where = QString("%1 at %2: ").arg(name).arg(scale);
        QVERIFY2(Crowded(*dialog).isEmpty(), qPrintable(where + Crowded(*dialog).join(", ")));
        QSet<QChar> letters;
        for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
          if (const QChar letter = Mnemonic(button->text()); !letter.isNull()) {
            QVERIFY2(!letters.contains(letter), qPrintable(where + "a second button on Alt+" + letter));
            letters.insert(letter);
          }
      }

      // The five rows: boxes, buttons and labels in columns, each button level with its box,
      // evenly spaced, each label just above its box; every button reads "Browse".
      CToolSetupDlg setup(settings);
      const test::FormProbe probe(setup);
      QList<QRect> boxes, buttons;
      for (const char* n : {"1", "2", "3", "4", "5"}) {
        boxes << probe.Find<QWidget>(qPrintable(QString("toolCommand") + n))->geometry();
        auto* browse = probe.Find<QPushButton>(qPrintable(QString("browseTool") + n));
        buttons << browse->geometry();
        QCOMPARE(browse->text().remove('&'), QString("Browse"));
      }
      for (qsizetype row = 0; row < boxes.size(); ++row) {
        const QRect box = boxes[row], button = buttons[row];
        const QLabel* label = setup.findChildren<QLabel*>()[row];
        QCOMPARE(label->buddy()->geometry(), box);
        QVERIFY(label->x() == box.x() && label->geometry().bottom() < box.top() &&
                box.top() - label->geometry().bottom() <= label->height() / 2);
        QCOMPARE(std::tuple(box.x(), box.width(), button.x(), button.top(), button.height()),
                 std::tuple(boxes[0].x(), boxes[0].width(), buttons[0].x(), box.top(), box.height()));
        // Each row's place in dialog units rounds to whole pixels on its own: one pixel apart at most.
        if (row > 0) QVERIFY(std::abs(box.top() - boxes[row - 1].top() - (boxes[1].top() - boxes[0].top())) <= 1);
      }
    }
    QApplication::setFont(base);
  }
};

RUVO_UI_SUITE("DialogLayout", DialogLayoutTest);

}  // namespace ruvo

#include "dialog_layout_test.moc"
