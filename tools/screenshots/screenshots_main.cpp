// ruvo-screenshots DOCUMENT OUTPUT_FOLDER [SUFFIX [--results-apart | --engine-sound | --engine-log | --condition]]:
// opens DOCUMENT in the desktop application, calculates it and saves PNG pictures of the main window and of each
// dialog (the air conditions dialog on a sample weather report) into OUTPUT_FOLDER, SUFFIX added to every name (for
// pictures at another QT_SCALE_FACTOR). When the window shows the form only in part (it scrolls), the whole form is
// saved as well. With --results-apart the main window is saved as it opens, before Calculate, and after it as
// main-window SUFFIX -results.png (the Results dock shown). With --engine-sound DOCUMENT's one
// recording holds the engine sound of a 6-cylinder (ruvo-synth --sound engine): it is tracked through "Track engine
// sound..." (engine-sound-dialog SUFFIX .png) and calculated, and the Recording tab is saved as
// recording-engine-sound SUFFIX .png. With --engine-log, DOCUMENT's folder holds NAME.log.csv, a
// logger's CSV of the run (ruvo-synth --log-rate): it is dropped onto the window and its dialog
// saved as engine-log-dialog SUFFIX .png. With --condition, DOCUMENT's one recording is noisy: "Condition..." is
// chosen for it and its dialog saved as condition-dialog SUFFIX .png once the "after" is drawn. Uses a settings
// file of its own, so the user's settings stay untouched. Needs a display (Xvfb will do).
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cstdio>

#include "plot/results_panel.h"
#include "ui/condition_dlg.h"
#include "ui/desktop_messages.h"
#include "ui/desktop_settings.h"
#include "ui/engine_sound_source.h"
#include "ui/main_frame.h"
#include "ui/results_dock.h"
#include "ui/ruvo_app.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui/user_prompts.h"

namespace {

bool SaveWindow(QWidget& window, const QString& file) {
  if (!QTest::qWaitForWindowExposed(&window)) return false;
  QTest::qWait(200);  // let the first paint settle
  const bool saved = window.grab().save(file);
  std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(file));
  return saved;
}

// Photographs each modal dialog instead of waiting for a user, then closes it.
class PhotographingPrompts : public ruvo::UserPrompts {
 public:
  explicit PhotographingPrompts(QString folder) : outputFolder(std::move(folder)) {}

  void Message(QWidget*, const QString& text) override { std::fprintf(stderr, "message: %s\n", qPrintable(text)); }
  bool MessageWithAction(QWidget* parent, const QString& text, const QString&) override {
    Message(parent, text);
    return false;
  }
  ruvo::FileChoice OpenFiles(QWidget*, const QString&, const QString&, const QString&, bool) override { return {}; }
  ruvo::FileChoice ChooseProgram(QWidget*, const QString&) override { return {}; }
  ruvo::FileChoice SaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
  ruvo::SaveAnswer AskSaveChanges(QWidget*, const QString&) override { return ruvo::SaveAnswer::Discard; }
  bool AskYesNo(QWidget*, const QString&) override { return false; }
  int AskChoice(QWidget*, const QString&, const QStringList& buttons) override { return int(buttons.size()) - 1; }
  int RunModal(QDialog& dialog) override {
    if (auto* box = dialog.findChild<QSpinBox*>(QStringLiteral("cylinders")); box && cylinders > 0)
      box->setValue(cylinders);
    dialog.show();
    if (auto* condition = qobject_cast<ruvo::CConditionDlg*>(&dialog))
      ok = QTest::qWaitFor([condition] { return condition->PreviewReady(); }, 120000) && ok;
    ok = SaveWindow(dialog, outputFolder + '/' + nextName) && ok;
    if (acceptDialogs)
      dialog.accept();
    else
      dialog.reject();
    return dialog.result();
  }

  QString nextName;
  bool acceptDialogs = false;  // OK rather than Cancel once photographed
  int cylinders = 0;           // given to the engine-sound dialog when above 0
  bool ok = true;

 private:
  QString outputFolder;
};

// The engine scripts/screenshots synthesizes (ruvo-synth --sound engine --cylinders 6 --mic exhaust).
constexpr int kSynthCylinders = 6;

// Selects the run's one recording in the wave list; false when it lists another number of them.
bool SelectOnlyRecording(ruvo::CRuvoApp& app) {
  auto* list = app.View().findChild<QListWidget*>(QStringLiteral("waveList"));
  if (list->count() != 1) return false;
  list->item(0)->setSelected(true);
  return true;
}

// Tracks the run's recording of engine sound from the wave list and photographs the engine dialog,
// then calculates and photographs the Recording tab with the source's spectrogram.
bool PhotographEngineSound(ruvo::CRuvoApp& app,
                           PhotographingPrompts& prompts,
                           const QString& output,
                           const QString& suffix) {
  if (!SelectOnlyRecording(app)) return false;
  prompts.nextName = "engine-sound-dialog" + suffix;
  prompts.acceptDialogs = true;
  prompts.cylinders = kSynthCylinders;
  app.View().findChild<QAction*>(QStringLiteral("trackEngineSound"))->trigger();
  prompts.acceptDialogs = false;
  app.View().OnCalculate();
  ruvo::ResultsPanel* panel = app.Results().Panel();
  if (!panel) return false;
  panel->setCurrentWidget(panel->Recording());
  if (!QTest::qWaitFor([&app] { return app.Results().Sources().Pending() == 0; }, 120000)) return false;
  // The panel on its own, large enough to read the spectrogram.
  app.Results().setFloating(true);
  app.Results().resize(960, 720);
  return SaveWindow(app.Results(), output + "/recording-engine-sound" + suffix);
}

// Drops the logger's CSV beside the document onto the window and photographs the log dialog.
bool PhotographEngineLog(ruvo::CRuvoApp& app,
                         PhotographingPrompts& prompts,
                         const QString& document,
                         const QString& output,
                         const QString& suffix) {
  const QFileInfo info(document);
  prompts.nextName = "engine-log-dialog" + suffix;
  app.Frame().filesDropped({info.dir().filePath(info.completeBaseName() + QStringLiteral(".log.csv"))});
  return QFileInfo::exists(output + "/engine-log-dialog" + suffix);
}

// Chooses "Condition..." for the run's one recording and photographs the dialog.
bool PhotographCondition(ruvo::CRuvoApp& app,
                         PhotographingPrompts& prompts,
                         const QString& output,
                         const QString& suffix) {
  if (!SelectOnlyRecording(app)) return false;
  prompts.nextName = "condition-dialog" + suffix;
  app.View().findChild<QAction*>(QStringLiteral("conditionRecording"))->trigger();
  return QFileInfo::exists(output + "/condition-dialog" + suffix);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const QStringList arguments = QApplication::arguments();
  const bool resultsApart = arguments.size() == 5 && arguments[4] == QStringLiteral("--results-apart");
  const bool engineSound = arguments.size() == 5 && arguments[4] == QStringLiteral("--engine-sound");
  const bool engineLog = arguments.size() == 5 && arguments[4] == QStringLiteral("--engine-log");
  const bool condition = arguments.size() == 5 && arguments[4] == QStringLiteral("--condition");
  if (arguments.size() != 3 && arguments.size() != 4 && !resultsApart && !engineSound && !engineLog && !condition) {
    std::fprintf(stderr,
                 "usage: ruvo-screenshots DOCUMENT OUTPUT_FOLDER [SUFFIX [--results-apart | --engine-sound | "
                 "--engine-log | --condition]]\n");
    return 2;
  }
  const QString suffix = arguments.value(3) + QStringLiteral(".png");
  const QString document = QFileInfo(arguments[1]).absoluteFilePath();
  const QString output = QFileInfo(arguments[2]).absoluteFilePath();
  QDir().mkpath(output);

  QTemporaryDir settingsFolder;
  ruvo::DesktopSettings settings(settingsFolder.filePath(QStringLiteral("settings.ini")));
  ruvo::InstallDesktopMessages();
  PhotographingPrompts prompts(output);
  ruvo::SetPrompts(&prompts);

  ruvo::CRuvoApp app(settings, QString(), QApplication::applicationFilePath());
  if (!app.InitInstance({document})) return 1;
  if (engineSound || engineLog || condition) {
    const bool photographed = engineSound ? PhotographEngineSound(app, prompts, output, suffix)
                              : engineLog ? PhotographEngineLog(app, prompts, document, output, suffix)
                                          : PhotographCondition(app, prompts, output, suffix);
    ruvo::SetPrompts(nullptr);
    return photographed && prompts.ok ? 0 : 1;
  }
  bool ok = !resultsApart || SaveWindow(app.Frame(), output + "/main-window" + suffix);
  app.View().OnCalculate();
  ok =
      ok && app.View().CalculationSucceeded() &&
      SaveWindow(app.Frame(), output + "/main-window" + arguments.value(3) + (resultsApart ? "-results" : "") + ".png");
  if (app.View().visibleRegion().boundingRect() != app.View().rect()) {
    const bool saved = app.View().grab().save(output + "/main-form" + suffix);
    std::fprintf(stderr, "%s the whole form\n", saved ? "saved" : "could not save");
    ok = ok && saved;
  }

  // A run the checks warn about is photographed for its findings: the list beside the window.
  if (auto* findings = app.View().findChild<QPushButton*>(QStringLiteral("findingsButton")); findings->isVisible()) {
    findings->click();
    QWidget* list = app.Frame().findChild<QWidget*>(QStringLiteral("findingsWindow"));
    QApplication::processEvents();
    ok = ok && list && SaveWindow(*list, output + "/run-checks" + suffix);
    // The Recording tab at the first finding's place.
    if (ruvo::ResultsPanel* panel = app.Results().Panel()) {
      panel->setCurrentWidget(panel->Recording());
      const auto& found = app.Document().Calculation().Findings();
      for (std::size_t k = 0; k < found.size(); ++k)
        if (found[k].timeSeconds >= 0.0) {
          panel->Recording()->GoToFinding(static_cast<int>(k));
          break;
        }
      ok = SaveWindow(app.Frame(), output + "/recording" + suffix) && ok;
    }
    ruvo::SetPrompts(nullptr);
    return ok ? 0 : 1;
  }

  // The air conditions dialog on a summer day's weather report: 28 degC, 1008 hPa at sea level for a
  // track at 350 m, 55 % humidity.
  app.Document().Params().conditions = {28.0, 1008.0, 55.0, 350.0};
  const std::pair<const char*, void (ruvo::CRuvoView::*)()> dialogs[] = {
      {"smoothing-dialog", &ruvo::CRuvoView::OnSmoothing},
      {"tool-setup-dialog", &ruvo::CRuvoView::OnToolSetup},
      {"conditions-dialog", &ruvo::CRuvoView::OnConditions}};
  for (const auto& [name, command] : dialogs) {
    prompts.nextName = QString::fromLatin1(name) + suffix;
    (app.View().*command)();
  }
  prompts.nextName = "about-box" + suffix;
  app.Frame().Commands().about->trigger();

  ruvo::SetPrompts(nullptr);
  return ok && prompts.ok ? 0 : 1;
}
