// ruvo-screenshots DOCUMENT OUTPUT_FOLDER [SUFFIX [--results-apart]]: opens DOCUMENT in the desktop
// application, calculates it and saves PNG pictures of the main window and of each dialog into
// OUTPUT_FOLDER, SUFFIX added to every name (for pictures at another QT_SCALE_FACTOR). When the
// window shows the form only in part (it scrolls), the whole form is saved as well. With
// --results-apart the main window is saved as it opens, before Calculate, and after it as
// main-window SUFFIX -results.png (the Results dock shown). Uses a settings file of its own, so the
// user's settings stay untouched. Needs a display (Xvfb will do).
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cstdio>

#include "plot/results_panel.h"
#include "ui/desktop_messages.h"
#include "ui/desktop_settings.h"
#include "ui/main_frame.h"
#include "ui/results_dock.h"
#include "ui/ruvo_app.h"
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
    dialog.show();
    ok = SaveWindow(dialog, outputFolder + '/' + nextName) && ok;
    dialog.reject();
    return QDialog::Rejected;
  }

  QString nextName;
  bool ok = true;

 private:
  QString outputFolder;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const QStringList arguments = QApplication::arguments();
  const bool resultsApart = arguments.size() == 5 && arguments[4] == QStringLiteral("--results-apart");
  if (arguments.size() != 3 && arguments.size() != 4 && !resultsApart) {
    std::fprintf(stderr, "usage: ruvo-screenshots DOCUMENT OUTPUT_FOLDER [SUFFIX [--results-apart]]\n");
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
      const auto& found = app.View().LastCalculation().Findings();
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

  const std::pair<const char*, void (ruvo::CRuvoView::*)()> dialogs[] = {
      {"smoothing-dialog", &ruvo::CRuvoView::OnSmoothing}, {"tool-setup-dialog", &ruvo::CRuvoView::OnToolSetup}};
  for (const auto& [name, command] : dialogs) {
    prompts.nextName = QString::fromLatin1(name) + suffix;
    (app.View().*command)();
  }
  prompts.nextName = "about-box" + suffix;
  app.Frame().Commands().about->trigger();

  ruvo::SetPrompts(nullptr);
  return ok && prompts.ok ? 0 : 1;
}
