// The Results dock: the chart and recordings after Calculate, a finding's place, the table of an
// opened document, their peaks beside the summary lines, the units another window chose, and a
// failed calculation.
#include <sndfile.h>

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <algorithm>
#include <filesystem>
#include <tuple>

#include "audio/recording_import.h"
#include "audio/sound_files.h"
#include "plot/chart_options.h"
#include "plot/results_panel.h"
#include "support/test_support.h"
#include "synth/synth_files.h"
#include "synth/synth_options.h"
#include "synth/synth_run.h"
#include "ui/desktop_settings.h"
#include "ui/document_commands.h"
#include "ui/engine_sound_source.h"
#include "ui/main_frame.h"
#include "ui/results_dock.h"
#include "ui/ruvo_app.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui_support.h"

namespace ruvo {
namespace {

// The numbers of a text, as written ("129.7", "4050").
QStringList Numbers(const QString& text) {
  QStringList numbers;
  for (const QRegularExpressionMatch& match : QRegularExpression(R"(\d+(\.\d+)?)").globalMatch(text))
    numbers << match.captured();
  return numbers;
}

// The two summary lines' numbers as the form shows them.
QStringList SummaryNumbers(CRuvoView& view) {
  const test::FormProbe form(view);
  return Numbers(form.Text("summaryLine1") + u' ' + form.Text("summaryLine2"));
}

}  // namespace

class ResultsTest : public QObject {
  Q_OBJECT

 private slots:
  void CalculateShowsCurvesPulsesAndFindingsThenOpenShowsTheTable() {
    test::TempFolder folder;
    std::filesystem::current_path(folder.Path());
    // Mains hum makes stray pulse intervals: a warning with a place in the recording.
    SynthOptions options;
    options.sampleRate = 11025;  // samples per second; keeps the test quick
    options.liftOffSeconds = 1.0;
    std::string error;
    QVERIFY(SetSynthOption(options, "hum-level", "10", error));
    const SynthResult run = SynthesizeRun(options);
    QVERIFY(run.ok && WriteSynthFiles(run, folder.Path().string(), "run"));
    const std::string path = folder.File("run.dat");

    test::ScriptedPrompts prompts;
    DesktopSettings settings(QString::fromStdString(folder.File("settings.ini")));
    CRuvoApp app(settings, QString(), QStringLiteral("/opt/ruvo/bin/ruvo"));
    QVERIFY(app.InitInstance({QString::fromStdString(path)}));
    QVERIFY(!app.Results().isVisible() && !app.Results().Panel());  // nothing to show yet

    app.View().OnCalculate();
    ResultsPanel* panel = app.Results().Panel();
    QVERIFY(panel && app.Results().isVisible());
    QCOMPARE(panel->Chart().Runs().size(), 1u);
    QCOMPARE(panel->Chart().PeakLabels().size(), 2);
    QCOMPARE(panel->Table().rowCount(), app.Document().Calculation().Results().rowCount);
    // The peaks are the summary lines' own.
    QCOMPARE(Numbers(panel->PeaksLine()), SummaryNumbers(app.View()));

    const RunCalculation& calculation = app.Document().Calculation();
    // The rows the findings doubt go to the chart, which dashes them.
    std::size_t doubted = 0;
    for (const RunFinding& finding : calculation.Findings()) doubted += finding.rows.size();
    QVERIFY(doubted > 0);
    QCOMPARE(panel->Chart().Runs().front().flagged.size(), doubted);
    QVERIFY(panel->Chart().chart()->title().contains("Dashed"));

    // Metric units are a View choice of the main window, kept for the next start.
    auto* metric = app.Frame().findChild<QAction*>(QStringLiteral("metricUnits"));
    QVERIFY(metric);
    const QStringList summary = SummaryNumbers(app.View());
    metric->trigger();
    QCOMPARE(panel->Chart().Units(), UnitSystem::kMetric);
    QCOMPARE(settings.Read("Plot", "Metric"), "1");
    // The panel and its table follow them; the summary lines stay in hp and ft-lb.
    QVERIFY2(panel->PeaksLine().startsWith("Max ") && panel->PeaksLine().contains(" kW @ "),
             qPrintable(panel->PeaksLine()));
    QCOMPARE(panel->Table().horizontalHeaderItem(1)->text(), QStringLiteral("Power (kW)"));
    QCOMPARE(SummaryNumbers(app.View()), summary);
    QVERIFY(test::FormProbe(app.View()).Text("summaryLine1").contains(" hp @ "));

    // ruvo-plot stores table units through a store of its own; activating the window takes them up.
    {
      DesktopSettings elsewhere(QString::fromStdString(folder.File("settings.ini")));
      ChartOptions(elsewhere, nullptr).SetUnits(UnitSystem::kTable, true);
    }
    QCOMPARE(panel->Chart().Units(), UnitSystem::kMetric);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&app.Results(), &activate);
    QCOMPARE(panel->Chart().Units(), UnitSystem::kTable);
    QCOMPARE(panel->Table().horizontalHeaderItem(1)->text(), QStringLiteral("HP"));
    QVERIFY(!metric->isChecked());
    RecordingView& recording = *panel->Recording();
    QCOMPARE(recording.Plot().MarkedPulseCount(), calculation.Evidence().front().detection.pulses.pulseCount);
    int placed = -1;
    for (std::size_t k = 0; k < calculation.Findings().size() && placed < 0; ++k)
      if (calculation.Findings()[k].timeSeconds >= 0.0) placed = static_cast<int>(k);
    QVERIFY2(placed >= 0, "no finding with a place");
    const double at = calculation.Findings()[static_cast<std::size_t>(placed)].timeSeconds;
    recording.GoToFinding(placed);
    const auto [first, end] = recording.Plot().VisibleSeconds();
    QVERIFY2(first <= at && at <= end && end - first <= 0.5 + 1e-9,
             qPrintable(QString("%1 %2 %3").arg(first).arg(end).arg(at)));
    QVERIFY(recording.Plot().MarkedPulseCount() < calculation.Evidence().front().detection.pulses.pulseCount);

    // Opening the saved document shows its table; the recordings belong to a calculation only.
    QVERIFY(app.Commands().OpenDocumentFile(path));
    QCOMPARE(panel->Chart().Runs().size(), 1u);
    QCOMPARE(panel->Table().rowCount(), calculation.Results().rowCount);
    QCOMPARE(recording.Plot().MarkedPulseCount(), 0);
    // Its peaks are the table's, as the summary of an opened document is, and say so.
    QVERIFY2(panel->PeaksLine().endsWith(" (loaded from the file)"), qPrintable(panel->PeaksLine()));
    QCOMPARE(Numbers(panel->PeaksLine()), SummaryNumbers(app.View()));
  }

  // A calculation that fails, however long the name of its recording, leaves the dock (and so the
  // form beside it) as wide as it was.
  void FailedCalculationKeepsTheWidth() {
    test::TempFolder folder;
    std::filesystem::current_path(folder.Path());
    SynthOptions options;
    options.sampleRate = 11025;  // samples per second; keeps the test quick
    const SynthResult run = SynthesizeRun(options);
    const std::string name = "recording-of-the-third-gear-pull-on-the-long-straight-after-the-tuned-intake";
    QVERIFY(run.ok && WriteSynthFiles(run, folder.Path().string(), name));

    test::ScriptedPrompts prompts;
    DesktopSettings settings(QString::fromStdString(folder.File("settings.ini")));
    CRuvoApp app(settings, QString(), QStringLiteral("/opt/ruvo/bin/ruvo"));
    QVERIFY(app.InitInstance({QString::fromStdString(folder.File(name + ".dat"))}));
    app.View().OnCalculate();
    QVERIFY(app.View().CalculationSucceeded());
    QApplication::processEvents();
    const int width = app.Results().width(), least = app.Results().minimumSizeHint().width();

    std::filesystem::remove(folder.File(name + ".wav"));
    app.View().OnCalculate();
    QVERIFY(!app.View().CalculationSucceeded());
    QApplication::processEvents();
    QCOMPARE(app.Results().Panel()->currentWidget(), app.Results().Panel()->Recording());
    QCOMPARE(app.Results().minimumSizeHint().width(), least);
    QCOMPARE(app.Results().width(), width);
  }

  // A calculation that fails on a noisy recording shows that recording, the pulses found before it
  // failed and, labelled, its median noise level and last cutoff; the diagnosis is listed under it
  // and counted beside the form. A successful run labels no levels.
  void FailedCalculationShowsTheRecordingAndWhy() {
    test::TempFolder folder;
    std::filesystem::current_path(folder.Path());
    SynthOptions options;
    options.noise = 12.0;
    options.seed = 3;
    QVERIFY(WriteSynthFiles(SynthesizeRun(options), folder.Path().string(), "noisy"));

    test::ScriptedPrompts prompts;
    DesktopSettings settings(QString::fromStdString(folder.File("settings.ini")));
    CRuvoApp app(settings, QString(), QStringLiteral("/opt/ruvo/bin/ruvo"));
    QVERIFY(app.InitInstance({QString::fromStdString(folder.File("noisy.dat"))}));
    app.View().OnCalculate();
    QVERIFY(!app.View().CalculationSucceeded());
    QApplication::processEvents();
    ResultsPanel& panel = *app.Results().Panel();
    QCOMPARE(panel.currentWidget(), panel.Recording());
    RecordingView& recording = *panel.Recording();
    QVERIFY(recording.Plot().MarkedPulseCount() > 0);
    const RunCalculation& calculation = app.Document().Calculation();
    const PulseEvidence& detection = calculation.Evidence().front().detection;
    QCOMPARE(recording.Plot().LevelLabels(),
             QStringList({QString("median noise \u00b1%1").arg(detection.levels.noiseLevel, 0, 'f', 1),
                          QString("last cutoff %1").arg(detection.pulses.cutoffs.back())}));
    const auto* list = recording.findChild<QListWidget*>("findingList");
    QVERIFY(!calculation.Findings().empty());
    QCOMPARE(list->count(), static_cast<int>(calculation.Findings().size()));
    QVERIFY2(list->item(0)->text().startsWith("noisy.wav: the loudest click stands only"),
             qPrintable(list->item(0)->text()));
    const auto* button = app.View().findChild<QPushButton*>("findingsButton");
    QVERIFY(!button->isHidden() && button->text().contains("note"));

    options.noise = 0.0;
    QVERIFY(WriteSynthFiles(SynthesizeRun(options), folder.Path().string(), "noisy"));
    app.View().OnCalculate();
    QVERIFY(app.View().CalculationSucceeded());
    QCOMPARE(recording.Plot().LevelLabels(), QStringList());
  }

  // A pulse track made from engine sound shows its source in the Recording tab: the spectrogram,
  // read in the background, with the firing order tracked again along the loudest line of it, at
  // the engine's true speed; with the source gone, a note names it instead.
  void PulseTrackOfEngineSoundShowsItsSource() {
    test::TempFolder folder;
    std::filesystem::current_path(folder.Path());
    SynthOptions options;
    options.sampleRate = 11025;  // samples per second; keeps the test quick
    QVERIFY(WriteSynthFiles(SynthesizeRun(options), folder.Path().string(), "run"));
    // A 4-cylinder pull from 1000 to 7000 rpm over 6 s after a second of idle.
    constexpr int kRate = 22050;
    const std::string engine = folder.File("engine.flac");
    QVERIFY(test::WriteSoundFile(engine, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, kRate, 1,
                                 test::EngineSweep(kRate, 4, 1000.0, 7000.0, 6.0)));
    RunParameters estimates;
    std::tie(estimates.initialRpm, estimates.finalRpm, estimates.revsPerIgnition) = std::tuple(2000, 6500, 2.0);
    ImportOptions import;
    import.engineSound.emplace();
    TakeDocumentEstimates(estimates, false, false, *import.engineSound);
    ImportReport report;
    QVERIFY(ImportRecording(engine, folder.File("engine.wav"), import, report));

    test::ScriptedPrompts prompts;
    DesktopSettings settings(QString::fromStdString(folder.File("settings.ini")));
    CRuvoApp app(settings, QString(), QStringLiteral("/opt/ruvo/bin/ruvo"));
    QVERIFY(app.InitInstance({QString::fromStdString(folder.File("run.dat"))}));
    test::FormProbe(app.View()).Fill({"initialRpm=2000", "finalRpm=6500", "revsPerIgnition=2"});
    app.Document().Params().waveFiles = {"engine.wav"};
    app.View().ShowWaveList();
    app.View().OnCalculate();
    RecordingView& recording = *app.Results().Panel()->Recording();
    QCOMPARE(recording.SourceNote(), QString("Reading the engine sound engine.flac..."));
    QTRY_COMPARE_WITH_TIMEOUT(app.Results().Sources().Pending(), 0, 120000);
    QCOMPARE(recording.SourceNote(), QString());
    QVERIFY(!recording.Source().isHidden());
    const EngineSoundPicture* picture = recording.Source().Picture();
    QVERIFY(picture && !picture->frames.empty());
    QCOMPARE(picture->firingsPerRevolution, 2.0);
    QVERIFY2(picture->pullFromSeconds > 1.0 && picture->pullFromSeconds < picture->pullToSeconds,
             qPrintable(QString("%1 %2").arg(picture->pullFromSeconds).arg(picture->pullToSeconds)));
    const Spectrogram& levels = picture->spectrogram;
    for (const TrackFrame& frame : picture->frames) {
      if (frame.timeSeconds < 2.0 || frame.timeSeconds > 6.5) continue;
      const double trueRpm = 1000.0 + (frame.timeSeconds - 1.0) / 6.0 * 6000.0;
      QVERIFY2(test::IsClose(frame.rpm, trueRpm, 0.03),  // within 3 %: the bins of a short frame
               qPrintable(QString("%1 rpm at %2 s").arg(frame.rpm).arg(frame.timeSeconds)));
      // The loudest bin of the spectrogram's frame at that time is the drawn firing frequency.
      const auto f = static_cast<std::size_t>(frame.timeSeconds / levels.hopSeconds);
      const auto row =
          levels.levelsDb.begin() + static_cast<std::ptrdiff_t>(f * static_cast<std::size_t>(levels.binCount));
      const double loudestHz = static_cast<double>(std::max_element(row, row + levels.binCount) - row) * levels.binHz;
      QVERIFY2(std::abs(loudestHz - frame.rpm / 60.0 * 2.0) <= 2.0 * levels.binHz + 0.03 * loudestHz,
               qPrintable(QString("%1 Hz loudest at %2 s").arg(loudestHz).arg(frame.timeSeconds)));
    }

    std::filesystem::rename(engine, folder.File("moved.flac"));
    app.View().OnCalculate();
    QCOMPARE(recording.SourceNote(), QString("The engine sound this pulse track was made from, %1, is missing.")
                                         .arg(QString::fromStdString(engine)));
    QVERIFY(recording.Source().isHidden());
    QCOMPARE(app.Results().Sources().Pending(), 0);
  }
};

RUVO_UI_SUITE("Results", ResultsTest);

}  // namespace ruvo

#include "results_test.moc"
