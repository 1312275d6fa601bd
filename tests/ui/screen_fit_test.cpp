// The main window and the dialogs on a real screen of 1280x800 (run under Xvfb at the scale factor
// QT_SCALE_FACTOR gives): with the Results dock shown the window fits the screen's free area, title
// bar included, at first start and when the size it saved no longer fits; each dialog fits it too.
#include <QDockWidget>
#include <QScreen>
#include <QScrollArea>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/settings.h"
#include "support/test_support.h"
#include "synth/synth_files.h"
#include "synth/synth_options.h"
#include "synth/synth_run.h"
#include "ui/about_dlg.h"
#include "ui/conditions_dlg.h"
#include "ui/desktop_settings.h"
#include "ui/main_frame.h"
#include "ui/results_dock.h"
#include "ui/ruvo_app.h"
#include "ui/ruvo_view.h"
#include "ui/smoothing_dlg.h"
#include "ui/tool_setup_dlg.h"
#include "ui_support.h"

namespace ruvo {
namespace {

QString Describe(const QSize& size) {
  return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString Describe(const QRect& rect) {
  return QStringLiteral("%1x%2 at %3,%4").arg(rect.width()).arg(rect.height()).arg(rect.x()).arg(rect.y());
}

// Empty when the window, its minimum sizes and the dock fit the free area; else what does not.
QString Misfit(CMainFrame& frame, const QDockWidget& dock) {
  const QRect free = frame.screen()->availableGeometry();
  const QString where = QStringLiteral(" (scale %1, free area %2)").arg(qgetenv("QT_SCALE_FACTOR"), Describe(free));
  if (!dock.isVisible() || dock.isFloating()) return "the Results dock is not docked" + where;
  for (const auto& [name, size] :
       {std::pair("minimumSizeHint", frame.minimumSizeHint()), {"minimumSize", frame.minimumSize()}})
    if (size.width() > free.width() || size.height() > free.height())
      return QStringLiteral("%1 %2").arg(name, Describe(size)) + where;
  if (!free.contains(frame.frameGeometry())) return "frame " + Describe(frame.frameGeometry()) + where;
  return {};
}

// Misfit once the window has settled: the dock's first showing resizes the window after the events
// queued, and a window manager (where one runs) answers a while later.
QString SettledMisfit(CRuvoApp& app) {
  QTest::qWait(100);
  QString misfit = Misfit(app.Frame(), app.Results());
  for (int wait = 0; wait < 20 && !misfit.isEmpty(); ++wait) {
    QTest::qWait(100);
    misfit = Misfit(app.Frame(), app.Results());
  }
  return misfit;
}

}  // namespace

class ScreenFitTest : public QObject {
  Q_OBJECT

 private slots:
  // First start on a run, Calculate: the dock appears and the window grows within the screen. At
  // its minimum size the dock and the form keep theirs. A size and place saved larger than the
  // screen and partly off it come back inside, with the table the saved document now holds.
  void windowWithResultsFitsTheScreen() {
    test::TempFolder folder;
    std::filesystem::current_path(folder.Path());
    SynthOptions options;
    options.sampleRate = 11025;  // samples per second; keeps the test quick
    std::string error;
    QVERIFY(SetSynthOption(options, "hum-level", "10", error));  // findings fill the Recording tab
    const SynthResult run = SynthesizeRun(options);
    QVERIFY(run.ok && WriteSynthFiles(run, folder.Path().string(), "run"));
    const QStringList document = {QString::fromStdString(folder.File("run.dat"))};

    test::ScriptedPrompts prompts;
    DesktopSettings settings(QString::fromStdString(folder.File("settings.ini")));
    {
      CRuvoApp app(settings, QString(), QStringLiteral("/opt/ruvo/bin/ruvo"));
      QVERIFY(app.InitInstance(document));
      QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
      app.View().OnCalculate();
      QVERIFY(app.View().CalculationSucceeded());
      const QString misfit = SettledMisfit(app);
      QVERIFY2(misfit.isEmpty(), qPrintable("after Calculate: " + misfit));

      CMainFrame& frame = app.Frame();
      frame.resize(frame.minimumSize());
      QTest::qWait(100);
      for (QWidget* part : {app.Results().widget(), frame.centralWidget()})
        QVERIFY2(part->width() >= part->minimumSizeHint().width() && part->height() >= part->minimumSizeHint().height(),
                 qPrintable(part->objectName() + " squeezed to " + Describe(part->size())));

      const QRect free = frame.screen()->availableGeometry();
      frame.setGeometry(free.adjusted(-free.width() / 4, -free.height() / 5, free.width() / 3, free.height() / 4));
      QTest::qWait(100);
      app.ExitInstance();
    }
    CRuvoApp app(settings, QString(), QStringLiteral("/opt/ruvo/bin/ruvo"));
    QVERIFY(app.InitInstance(document));
    QVERIFY(QTest::qWaitForWindowExposed(&app.Frame()));
    const QString misfit = SettledMisfit(app);
    QVERIFY2(misfit.isEmpty(), qPrintable("restored: " + misfit));
  }

  // Each dialog, placed where it opens, lies inside the screen's free area, title bar included.
  void dialogsFitTheScreen() {
    MemorySettingsStore settings;
    const std::pair<const char*, std::function<std::unique_ptr<QDialog>()>> dialogs[] = {
        {"smoothing", [] { return std::make_unique<CSmoothingDlg>(); }},
        {"tool setup", [&settings] { return std::make_unique<CToolSetupDlg>(settings); }},
        {"air conditions", [&settings] { return std::make_unique<CConditionsDlg>(settings); }},
        {"about", [] { return std::make_unique<CAboutDlg>(); }}};
    for (const auto& [name, make] : dialogs) {
      const std::unique_ptr<QDialog> dialog = make();
      dialog->show();
      QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
      QTest::qWait(100);  // a window manager frames the dialog a while later
      const QRect free = dialog->screen()->availableGeometry();
      QVERIFY2(
          free.contains(dialog->frameGeometry()),
          qPrintable(QStringLiteral("%1 dialog %2 on free area %3 (scale %4)")
                         .arg(name, Describe(dialog->frameGeometry()), Describe(free), qgetenv("QT_SCALE_FACTOR"))));
    }
  }
};

RUVO_UI_SUITE("ScreenFit", ScreenFitTest);

}  // namespace ruvo

#include "screen_fit_test.moc"
