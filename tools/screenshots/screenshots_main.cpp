// ruvo-screenshots DOCUMENT OUTPUT_FOLDER [SUFFIX [--results-apart | --engine-sound]]: opens DOCUMENT
// in the desktop application, calculates it and saves PNG pictures of the main window and of each
// dialog into OUTPUT_FOLDER, SUFFIX added to every name (for pictures at another QT_SCALE_FACTOR).
// When the window shows the form only in part (it scrolls), the whole form is saved as well. With
// --results-apart the main window is saved as it opens, before Calculate, and after it as
// main-window SUFFIX -results.png (the Results dock shown). With --engine-sound the run's recording
// is replaced by the engine sound a phone would have heard (made from DOCUMENT's NAME.sparks.csv
// that ruvo-synth wrote beside it, with a gust of wind in the pull), tracked through "Track engine
// sound..." (engine-sound-dialog SUFFIX .png) and calculated, and the Recording tab is saved as
// recording-engine-sound SUFFIX .png. Uses a settings file of its own, so the user's settings stay
// untouched. Needs a display (Xvfb will do).
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "core/file_output.h"
#include "core/wave_encoding.h"
#include "plot/results_panel.h"
#include "ui/desktop_messages.h"
#include "ui/desktop_settings.h"
#include "ui/engine_sound_source.h"
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
    if (acceptDialogs)
      dialog.accept();
    else
      dialog.reject();
    return dialog.result();
  }

  QString nextName;
  bool acceptDialogs = false;  // OK rather than Cancel once photographed
  bool ok = true;

 private:
  QString outputFolder;
};

// A 4-cylinder engine as a phone beside it hears it, turning as the sparks of a synthesized run say
// (NAME.sparks.csv: index,time_s,revolutions,rpm), at rate samples per second: the firing frequency
// and three harmonics over road noise, with a gust of wind from gustFrom for gustSeconds.
std::vector<std::uint8_t> EngineSoundOfSparks(const std::string& sparksCsv,
                                              int rate,
                                              double gustFrom,
                                              double gustSeconds) {
  std::ifstream in(sparksCsv);
  std::string line;
  std::vector<double> times, revolutions;
  std::getline(in, line);
  for (double index, t, revs, rpm; std::getline(in, line);) {
    std::istringstream fields(line);
    char comma;
    if (fields >> index >> comma >> t >> comma >> revs >> comma >> rpm) times.push_back(t), revolutions.push_back(revs);
  }
  std::vector<std::uint8_t> samples;
  if (times.size() < 2) return samples;
  std::uint32_t noise = 2026;
  const auto hiss = [&noise] {
    noise = noise * 1664525u + 1013904223u;
    return static_cast<double>(noise >> 8) / 16777216.0 - 0.5;
  };
  std::size_t k = 0;
  for (double t = 0.0; t < times.back(); t += 1.0 / rate) {
    while (k + 2 < times.size() && times[k + 1] < t) ++k;
    const double share = (t - times[k]) / (times[k + 1] - times[k]);
    const double firings = 2.0 * (revolutions[k] + share * (revolutions[k + 1] - revolutions[k]));
    double sound = 0.0;
    for (const auto& [order, level] : {std::pair{1.0, 0.25}, {2.0, 0.12}, {3.0, 0.06}, {0.5, 0.04}})
      sound += level * std::sin(2.0 * std::numbers::pi * order * firings);
    const bool gust = t >= gustFrom && t < gustFrom + gustSeconds;
    sound += hiss() * (gust ? 1.6 : 0.08);
    samples.push_back(static_cast<std::uint8_t>(std::clamp(std::lround(128.0 + 120.0 * sound), 0L, 255L)));
  }
  return samples;
}

// Replaces the run's recording with engine sound, tracks it from the wave list and photographs the
// engine dialog, then calculates and photographs the Recording tab with the source's spectrogram.
bool PhotographEngineSound(ruvo::CRuvoApp& app,
                           PhotographingPrompts& prompts,
                           const QString& document,
                           const QString& output,
                           const QString& suffix) {
  constexpr int kRate = 22050;  // samples per second, as a phone's voice recorder may keep
  const std::string base =
      (QFileInfo(document).absolutePath() + '/' + QFileInfo(document).completeBaseName()).toStdString();
  const std::string phone = base + "-phone.wav";
  std::string error;
  const std::vector<std::uint8_t> sound = EngineSoundOfSparks(base + ".sparks.csv", kRate, 2.6, 0.4);
  if (sound.empty() || !ruvo::WriteFileAtomically(phone, ruvo::EncodeEightBitWave(sound, kRate), error)) return false;
  std::remove((base + "-phone-8bit.wav").c_str());  // a pulse track of an earlier picture
  app.View().HeldValues().waveFiles = {phone};
  app.View().ShowWaveList();
  auto* list = app.View().findChild<QListWidget*>(QStringLiteral("waveList"));
  list->item(0)->setSelected(true);
  prompts.nextName = "engine-sound-dialog" + suffix;
  prompts.acceptDialogs = true;
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

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  const QStringList arguments = QApplication::arguments();
  const bool resultsApart = arguments.size() == 5 && arguments[4] == QStringLiteral("--results-apart");
  const bool engineSound = arguments.size() == 5 && arguments[4] == QStringLiteral("--engine-sound");
  if (arguments.size() != 3 && arguments.size() != 4 && !resultsApart && !engineSound) {
    std::fprintf(stderr,
                 "usage: ruvo-screenshots DOCUMENT OUTPUT_FOLDER [SUFFIX [--results-apart | --engine-sound]]\n");
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
  if (engineSound) {
    const bool photographed = PhotographEngineSound(app, prompts, document, output, suffix);
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
