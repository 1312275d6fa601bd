// The run chart and ruvo-plot's window on calculated runs, and the waveform decimation.
#include <QImage>
#include <QLineSeries>
#include <QRegularExpression>
#include <QTest>
#include <filesystem>
#include <random>

#include "calc/run_calculation.h"
#include "plot/plot_window.h"
#include "plot/waveform_decimation.h"
#include "support/test_support.h"
#include "synth/synth_files.h"
#include "synth/synth_run.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

// Writes a synthetic run as name.dat and name.wav into folder and calculates it (saving the table).
std::string CalculatedRun(const test::TempFolder& folder, const std::string& name, const std::string& description) {
  SynthOptions options;
  options.sampleRate = 11025;  // samples per second; keeps the test quick
  options.vehicle.description = description;
  const SynthResult run = SynthesizeRun(options);
  if (!run.ok || !WriteSynthFiles(run, folder.Path().string(), name)) qFatal("could not make the run");
  RunParameters params;
  AnalysisConfig config;
  RunCalculation calculation(params, config);
  RunDocument document(params, &calculation);
  const std::string path = folder.File(name + ".dat");
  if (!document.OpenRunDocument(path) || !calculation.Calculate() || !document.SaveToCurrentPath())
    qFatal("could not calculate the run");
  return path;
}

}  // namespace

class PlotTest : public QObject {
  Q_OBJECT

 private slots:
  // Two runs overlay with a legend entry and labelled peaks each, in either unit system, and
  // export as PNG, SVG (the descriptions in its text) and CSV.
  void TwoRunsChartExportAndUnits() {
    test::TempFolder folder;
    const QString a = QString::fromStdString(CalculatedRun(folder, "a", "Stock engine"));
    const QString b = QString::fromStdString(CalculatedRun(folder, "b", "Tuned intake"));
    MemorySettingsStore settings;
    PlotWindow window(settings);
    window.OpenDocuments({a, b});
    QVERIFY(window.Notice().isEmpty());
    const auto& runs = window.Panel().Chart().Runs();
    QCOMPARE(runs.size(), 2u);
    QCOMPARE(runs[1].name, QStringLiteral("Tuned intake (b.dat)"));

    // Each label names the table's largest value and its rpm.
    const QStringList labels = window.Panel().Chart().PeakLabels();
    QCOMPARE(labels.size(), 4);
    const ResultTable& table = runs[0].table;
    double bestHp = 0.0, bestRpm = 0.0;
    for (const auto& row : table.rows)
      if (row[1] > bestHp) bestHp = row[1], bestRpm = row[0];
    QCOMPARE(labels[0], QString::asprintf("%.1f hp @ %.0f rpm", bestHp, bestRpm));
    QVERIFY(QRegularExpression(R"(^\d+\.\d ft-lb @ \d+ rpm$)").match(labels[1]).hasMatch());

    window.Panel().Chart().ShowCrosshairAt(3000.0);
    const QString crosshair = window.Panel().Chart().CrosshairText();
    QVERIFY2(crosshair.startsWith("3000 rpm\nStock engine (a.dat): ") && crosshair.contains("Tuned intake (b.dat): "),
             qPrintable(crosshair));

    QString error;
    const QString png = QString::fromStdString(folder.File("chart.png"));
    const QString svg = QString::fromStdString(folder.File("chart.svg"));
    const QString csv = QString::fromStdString(folder.File("table.csv"));
    QVERIFY2(window.ExportChart(png, error) && window.ExportChart(svg, error) && window.ExportTable(csv, error),
             qPrintable(error));
    QCOMPARE(QImage(png).size(), QSize(1600, 1000));
    const std::string svgText = test::ReadFileBytes(svg.toStdString());
    QVERIFY(svgText.find("Stock engine (a.dat)") != std::string::npos);
    QVERIFY(svgText.find("Tuned intake (b.dat)") != std::string::npos);
    QVERIFY(svgText.find(labels[0].toStdString()) != std::string::npos);
    QVERIFY(test::ReadFileBytes(csv.toStdString()).starts_with("RPM,HP,Torque,Speed,Accel,"));
    QVERIFY(!window.ExportChart(QString::fromStdString(folder.File("chart.bmp")), error));

    // Metric: kW and N·m by the stated factors; the choice is remembered.
    window.Options().SetUnits(UnitSystem::kMetric, true);
    QCOMPARE(window.Panel().Chart().PeakLabels()[0],
             QString::asprintf("%.1f kW @ %.0f rpm", bestHp * kKilowattsPerHp, bestRpm));
    QVERIFY(window.Panel().Chart().PeakLabels()[1].contains(QString::fromUtf8("N\u00b7m @ ")));
    QCOMPARE(PlotWindow(settings).Panel().Chart().Units(), UnitSystem::kMetric);
  }

  // Rows outside the Initial RPM estimate or flagged are dashed; tachometer quantities stack in
  // panes or share one chart, and runs of the other mode are named instead of drawn.
  void DashedRowsPanesAndModes() {
    ResultTable power;
    power.title = "p";
    power.variables = {"RPM", "HP", "Torque"};
    for (const double rpm : {1000, 1500, 2000, 2500, 3000}) power.rows.push_back({rpm, rpm / 40.0, 90.0});
    power.initialRpm = 1600;
    RunChart chart;
    chart.SetRuns({{"power", power, true, {{2700, 2800}}}});
    QStringList pieces;  // per line: style and rows, for both curves
    for (QAbstractSeries* series : chart.chart()->series())
      if (auto* line = qobject_cast<QLineSeries*>(series))
        pieces << QString("%1 %2-%3")
                      .arg(line->pen().style() == Qt::SolidLine ? "solid" : "dashed")
                      .arg(line->points().front().x())
                      .arg(line->points().back().x());
    const QString curve = "dashed 1000-2000,solid 2000-2500,dashed 2500-3000";
    QCOMPARE(pieces.join(u','), curve + u',' + curve);
    QVERIFY(chart.chart()->title().startsWith("Dashed: "));

    ResultTable time;
    time.title = "t";
    time.variables = {"Time", "CumRev", "Dist", "RPM", "Speed", "Accel"};
    time.rows = {{0.0, 0, 0, 1000, 10, 0.3}, {1.0, 30, 0.01, 3000, 30, 0.4}};
    chart.SetRuns({{"time", time, true}, {"power", power, true}});
    QCOMPARE(chart.Panes().size(), 3u);
    QCOMPARE(chart.chart()->title(), QStringLiteral("Not shown beside tachometer runs: power"));
    chart.ShowCrosshairAt(0.5);
    QCOMPARE(chart.CrosshairText(), QStringLiteral("0.500 s\ntime: 2000.0 rpm, 20.0 mph, 0.350 g"));
    chart.SetStackedPanes(false);
    QCOMPARE(chart.Panes().size(), 1u);
    QCOMPARE(chart.chart()->axes(Qt::Vertical).size(), 3);
  }

  // A document without a table says so in the chart area; a malformed one names file and line;
  // once a calculation rewrites a shown document the viewer reads it again.
  void NoticesAndReloadOnChange() {
    test::TempFolder folder;
    const std::string calculated = CalculatedRun(folder, "a", "Stock");
    const std::string text = test::ReadFileBytes(calculated);
    const std::string parameters = text.substr(0, text.find("Title="));
    const std::string empty = folder.File("empty.dat"), broken = folder.File("broken.dat");
    test::WriteFileBytes(empty, parameters);
    test::WriteFileBytes(broken, parameters + "Title=\"x\"\nVariables=\n\"RPM\" \"HP\"\nZone T=\"x\"\n1 2 3\n");
    MemorySettingsStore settings;
    PlotWindow window(settings);
    window.OpenDocuments({QString::fromStdString(empty), QString::fromStdString(broken)});
    QVERIFY(!window.HasRuns());
    QCOMPARE(window.Notice(), QString::fromStdString("No results in " + empty + " - calculate it first\n" +
                                                     "Malformed result table in " + broken +
                                                     ", line 29: 3 numbers where the table has 2 columns"));
    QString error;
    QVERIFY(!window.ExportTable(QString::fromStdString(folder.File("t.csv")), error));

    // Replaced as a save replaces it: a new file renamed over the old one.
    test::WriteFileBytes(empty + ".saving", text);
    fs::rename(empty + ".saving", empty);
    QTRY_VERIFY_WITH_TIMEOUT(window.HasRuns(), 5000);
    QCOMPARE(window.Panel().Chart().Runs().front().name, QStringLiteral("Stock (empty.dat)"));
    QVERIFY(window.Notice().startsWith("Malformed result table in "));
  }

  // However far out the view, every column shows the whole range of its samples: a one-sample
  // spike never disappears; narrow columns are exact.
  void DecimationKeepsEverySpike() {
    std::mt19937 random(7);
    std::vector<std::uint8_t> samples(3'000'017);
    for (auto& s : samples) s = static_cast<std::uint8_t>(120 + random() % 16);
    const std::size_t spikes[] = {0, 4'095, 1'234'567, samples.size() - 1};
    for (const std::size_t at : spikes) samples[at] = 250;
    const WaveformDecimation decimation(samples);
    for (const int width : {1, 7, 1600, 100'000}) {
      for (const double first : {0.0, 1'000'000.5}) {
        const double end = width == 100'000 ? first + 50'000.0 : static_cast<double>(samples.size());
        std::vector<SampleRange> columns(static_cast<std::size_t>(width));
        decimation.Decimate(first, end, columns);
        const double per = (end - first) / width;
        for (int c = 0; c < width; ++c) {
          const auto from = static_cast<std::size_t>(first + per * c);
          const auto to = std::max(from + 1, static_cast<std::size_t>(first + per * (c + 1)));
          const auto [low, high] =
              std::minmax_element(samples.begin() + from, samples.begin() + std::min(to, samples.size()));
          const SampleRange got = columns[static_cast<std::size_t>(c)];
          const QString where = QString("width %1 from %2 column %3").arg(width).arg(first).arg(c);
          QVERIFY2(got.low <= *low && got.high >= *high, qPrintable(where));
          if (to - from <= 256) QVERIFY2(got.low == *low && got.high == *high, qPrintable(where));
        }
      }
    }
    std::vector<SampleRange> beyond(2);
    const auto count = static_cast<double>(samples.size());
    decimation.Decimate(count + 10.0, count + 20.0, beyond);
    QVERIFY(beyond[0].low > beyond[0].high);
  }
};

}  // namespace ruvo

QTEST_MAIN(ruvo::PlotTest)
#include "plot_test.moc"
