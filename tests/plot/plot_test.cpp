// The run chart and ruvo-plot's window on calculated runs, the peaks they label, the tables in
// either unit system, and the waveform decimation.
#include <QAction>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "calc/dynamometer.h"
#include "calc/result_tables.h"
#include "calc/run_calculation.h"
#include "calc/tachometer.h"
#include "core/text_format.h"
#include "core/vehicle_model.h"
#include "desktop/saved_summary.h"
#include "plot/dyno_sheet.h"
#include "plot/dyno_sheet_text.h"
#include "plot/engine_sound_plot.h"
#include "plot/plot_window.h"
#include "plot/run_correction.h"
#include "plot/waveform_decimation.h"
#include "ruvo_version.h"
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
  RunDocument document(params, folder.Path().string(), &calculation);
  const std::string path = folder.File(name + ".dat");
  if (!document.OpenRunDocument(path) || !calculation.Calculate(document.Folder()) || !document.SaveToCurrentPath())
    qFatal("could not calculate the run");
  return path;
}

// Adds weather lines to a saved document where its parameter lines end.
void AddConditions(const std::string& path,
                   const std::string& lines = "# Air Temp. (deg C): 30.000000\n# Air Press. (hPa) : 1000.000000\n"
                                              "# Rel. Humidity (%): 50.000000\n") {
  std::string text = test::ReadFileBytes(path);
  const std::size_t smoothingRpm = text.find("# Smoothing RPM");
  text.insert(text.find('\n', smoothingRpm) + 1, lines);
  std::ofstream(path, std::ios::binary) << text;
}

// The text of a PDF as pdftotext gives it, and the page size line of pdfinfo.
QString PdfOutput(const QString& tool, const QStringList& args) {
  const QString program = QStandardPaths::findExecutable(tool);
  if (program.isEmpty()) qFatal("%s is missing - scripts/install-deps installs poppler-utils", qPrintable(tool));
  QProcess process;
  process.start(program, args);
  process.waitForFinished();
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The table of results as a saved document holds it, and read back.
std::string TableText(const CalculationResults& results) {
  std::ostringstream text;
  WriteRunDocument(text, RunParameters());
  (results.resultMode == CalculationMode::kDynamometer ? WritePowerTable : WriteTimeTable)(text, "run", results);
  return text.str();
}
ResultTable SavedTable(const CalculationResults& results) {
  return ReadResultTable(TableText(results), "run.dat").table;
}

// The numbers of a text, as written ("129.7", "4050").
QStringList Numbers(const QString& text) {
  QStringList numbers;
  for (const QRegularExpressionMatch& match : QRegularExpression(R"(\d+(\.\d+)?)").globalMatch(text))
    numbers << match.captured();
  return numbers;
}

// A dynamometer calculation on the grid rows over 3950 to 4100 rpm whose torque at each row is the
// given one: the acceleration of each row is solved for, torque being affine in it.
CalculationResults PowerResultsWithTorque(const std::array<double, 4>& torque) {
  const RunParameters params;
  const auto compute = [&](const std::array<double, 4>& acceleration) {
    std::vector<RecordingCurves> curves{{{3950, 4000, 4050, 4100}, {acceleration.begin(), acceleration.end()}}};
    CalculationResults results;
    ComputeDynamometer(params, curves, 3900, 4100, results);
    return results;
  };
  const CalculationResults still = compute({0, 0, 0, 0}), moving = compute({1, 1, 1, 1});
  std::array<double, 4> acceleration{};
  for (std::size_t k = 0; k < 4; ++k)
    acceleration[k] = (torque[k] - still.torque[k]) / (moving.torque[k] - still.torque[k]);
  return compute(acceleration);
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
    QVERIFY2(window.ExportChart(png, error) && window.ExportChart(svg, error) && window.ExportTables(csv, error),
             qPrintable(error));
    QCOMPARE(QImage(png).size(), QSize(1600, 1000));
    const std::string svgText = test::ReadFileBytes(svg.toStdString());
    QVERIFY(svgText.find("Stock engine (a.dat)") != std::string::npos);
    QVERIFY(svgText.find("Tuned intake (b.dat)") != std::string::npos);
    QVERIFY(svgText.find(labels[0].toStdString()) != std::string::npos);
    QVERIFY(!window.ExportChart(QString::fromStdString(folder.File("chart.bmp")), error));
    // The exported chart is titled with the descriptions; exports are offered beside the first document.
    QCOMPARE(window.Panel().Chart().ExportTitle(), QStringLiteral("Stock engine / Tuned intake"));
    QVERIFY(svgText.find("<title>Stock engine / Tuned intake</title>") != std::string::npos);
    QCOMPARE(window.DefaultExportPath("png"), QString::fromStdString(folder.File("a.png")));

    // Both documents in one long table, each row led by its document.
    const QStringList lines = QString::fromStdString(test::ReadFileBytes(csv.toStdString())).split(u'\n');
    QVERIFY2(lines[0].startsWith("Document,RPM,HP,Torque (ft-lb),Speed (mph),Accel (g),Faccel (lb),"),
             qPrintable(lines[0]));
    const qsizetype rowsA = static_cast<qsizetype>(runs[0].table.rows.size());
    QCOMPARE(lines.size(), 1 + rowsA + static_cast<qsizetype>(runs[1].table.rows.size()) + 1);  // a last line end
    QVERIFY(lines[1].startsWith(a + ",") && lines[rowsA].startsWith(a + ",") && lines[rowsA + 1].startsWith(b + ","));
    QCOMPARE(lines.back(), QString());

    // Metric: kW and N·m by the stated factors; the choice is remembered.
    window.Options().SetUnits(UnitSystem::kMetric, true);
    QCOMPARE(window.Panel().Chart().PeakLabels()[0],
             QString::asprintf("%.1f kW @ %.0f rpm", bestHp * kKilowattsPerHp, bestRpm));
    QVERIFY(window.Panel().Chart().PeakLabels()[1].contains(QString::fromUtf8("N\u00b7m @ ")));
    QCOMPARE(PlotWindow(settings).Panel().Chart().Units(), UnitSystem::kMetric);

    // Another window takes up what is stored on Reread (when activated); a choice made for it alone,
    // as --metric is, stands until something is stored.
    PlotWindow other(settings);
    other.Options().SetUnits(UnitSystem::kTable, false);
    other.Options().Reread();
    QCOMPARE(other.Panel().Chart().Units(), UnitSystem::kTable);
    for (const UnitSystem stored : {UnitSystem::kTable, UnitSystem::kMetric}) {
      window.Options().SetUnits(stored, true);
      other.Options().Reread();
      QCOMPARE(other.Panel().Chart().Units(), stored);
    }
  }

  // A chosen standard corrects each document by its own conditions (curves, labels, peaks line,
  // table, CSV) and names itself in the title; a document without conditions stays as measured and
  // says so. DIN 70020 shows metric power in PS. The choice is remembered.
  void CorrectionByEachDocumentsConditions() {
    test::TempFolder folder;
    const std::string aPath = CalculatedRun(folder, "a", "Hot day");
    AddConditions(aPath);
    const QString a = QString::fromStdString(aPath);
    const QString b = QString::fromStdString(CalculatedRun(folder, "b", "No weather"));
    MemorySettingsStore settings;
    PlotWindow window(settings);
    window.OpenDocuments({a, b});
    const RunChart& chart = window.Panel().Chart();
    const QStringList measured = chart.PeakLabels();
    const RunPeaks peaksA = PeaksOf(window.Panel().Runs()[0]), peaksB = PeaksOf(window.Panel().Runs()[1]);
    const ResultTable tableA = window.Panel().Runs()[0].table;

    window.findChild<QAction*>(QStringLiteral("correction-sae-j1349"))->trigger();
    QCOMPARE(settings.Read("Plot", "Correction"), std::string("sae-j1349"));
    QCOMPARE(PlotWindow(settings).Options().Correction(), CorrectionStandard::kSaeJ1349);
    const double factor = CorrectPower(CorrectionStandard::kSaeJ1349, tableA.conditions).factor;
    QVERIFY(factor > 1.01 && factor < 1.05);  // a warm, low-pressure day
    const QStringList labels = chart.PeakLabels();
    Peak hp = *peaksA.horsepower;
    hp.value *= factor;
    QCOMPARE(labels[0], QString::fromStdString(PeakText(hp, UnitOf(ResultColumn::kHorsepower, UnitSystem::kTable))));
    QCOMPARE(labels.mid(2), measured.mid(2));
    QCOMPARE(chart.Runs()[0].note, QStringLiteral("SAE J1349 \u00d7") + QString::number(factor, 'f', 4));
    QCOMPARE(chart.Runs()[1].note, QStringLiteral("uncorrected: no conditions"));
    QVERIFY(chart.chart()->title().contains("Corrected to SAE J1349"));
    QVERIFY(window.Panel().PeaksLine().contains(
        LegendName(chart.Runs()[1]) + QStringLiteral(": max ") +
        QString::fromStdString(PeakText(*peaksB.horsepower, UnitOf(ResultColumn::kHorsepower, UnitSystem::kTable)))));
    // The table tab: the heading names the standard, the value is the measured one times the factor.
    QCOMPARE(window.Panel().Table().horizontalHeaderItem(1)->text(), QStringLiteral("HP (SAE J1349)"));
    QCOMPARE(window.Panel().Table().item(5, 1)->text(), QString::number(tableA.rows[5][1] * factor, 'f', 2));

    // The CSV: the corrected document under the standard's headings, the other under the plain ones.
    QString error;
    const QString csv = QString::fromStdString(folder.File("corrected.csv"));
    QVERIFY2(window.ExportTables(csv, error), qPrintable(error));
    const QStringList lines = QString::fromStdString(test::ReadFileBytes(csv.toStdString())).split(u'\n');
    QVERIFY2(lines[0].startsWith("Document,RPM,HP (SAE J1349),\"Torque (ft-lb, SAE J1349)\",Speed (mph)") &&
                 lines[0].endsWith(",HP,Torque (ft-lb)"),
             qPrintable(lines[0]));
    QVERIFY(lines[1].endsWith(",,"));                  // a's rows leave the plain columns empty
    QVERIFY(!lines[lines.size() - 2].endsWith(",,"));  // b's fill them

    // DIN 70020 in metric units: PS, by 1 PS = 735.49875 W.
    window.Options().SetUnits(UnitSystem::kMetric, true);
    window.findChild<QAction*>(QStringLiteral("correction-din-70020"))->trigger();
    QCOMPARE(chart.Units(), UnitSystem::kMetricPs);
    hp = *peaksA.horsepower;
    hp.value *= CorrectPower(CorrectionStandard::kDin70020, tableA.conditions).factor * 745.699872 / 735.49875;
    QCOMPARE(chart.PeakLabels()[0], QString::fromStdString(FormatText("%.1f PS @ %i rpm", hp.value, int(hp.rpm))));
    QCOMPARE(window.Panel().Table().horizontalHeaderItem(1)->text(), QStringLiteral("Power (PS, DIN 70020)"));

    // None: as measured, in kW again.
    window.findChild<QAction*>(QStringLiteral("correction-none"))->trigger();
    QCOMPARE(chart.Units(), UnitSystem::kMetric);
    QVERIFY(chart.Runs()[0].note.isEmpty() && chart.Runs()[0].table.rows == tableA.rows);
    QVERIFY(!chart.chart()->title().contains("Corrected"));
    QCOMPARE(settings.Read("Plot", "Correction"), std::string("none"));
  }

  // A dyno sheet of a run with conditions and one without, corrected: the runs, the standard, the
  // corrected peak and why the other stays as measured, on the locale's paper.
  void DynoSheetShowsCorrectedPeaks() {
    test::TempFolder folder;
    const QString a = QString::fromStdString(CalculatedRun(folder, "a", "Stock engine"));
    const QString b = QString::fromStdString(CalculatedRun(folder, "b", "Tuned intake"));
    AddConditions(b.toStdString(), "# Air Temp. (deg C): 35.000000\n# Air Press. (hPa) : 960.000000\n");
    MemorySettingsStore settings;
    PlotWindow window(settings);
    window.OpenDocuments({a, b});
    const auto& runs = window.Panel().Chart().Runs();
    QCOMPARE(runs.size(), 2u);
    const auto bestHp = [](const ResultTable& table) {
      double best = 0.0;
      for (const auto& row : table.rows) best = std::max(best, row[1]);
      return best;
    };
    const PowerCorrection correction = CorrectPower(CorrectionStandard::kSaeJ1349, runs[1].table.conditions);
    QVERIFY(correction.ok && correction.factor > 1.03);  // hot, low pressure: a visible correction

    const QString pdf = QString::fromStdString(folder.File("sheet.pdf"));
    QString error;
    QVERIFY2(window.ExportSheet(pdf, CorrectionStandard::kSaeJ1349, error), qPrintable(error));
    const QString text = PdfOutput("pdftotext", {pdf, "-"}).simplified();
    for (const QString& expected :
         {QStringLiteral("Stock engine"), QStringLiteral("Tuned intake"),
          QString::asprintf("SAE J1349 factor %.4f", correction.factor), QStringLiteral("uncorrected: no conditions"),
          QStringLiteral("35.0 \u00b0C"), QStringLiteral("960.0 hPa station"), QStringLiteral("Ruvo ") + kRuvoVersion})
      QVERIFY2(text.contains(expected), qPrintable(expected + " not in: " + text));
    // The table's row: the stock run's peak as measured (it has no conditions), the tuned run's corrected.
    const QString peaks = QString::asprintf("Peak power +%.1f hp @ \\d+ rpm +%.1f hp @ ", bestHp(runs[0].table),
                                            bestHp(runs[1].table) * correction.factor);
    QVERIFY2(PdfOutput("pdftotext", {"-layout", pdf, "-"}).contains(QRegularExpression(peaks)), qPrintable(peaks));

    // Letter where it is the custom, A4 elsewhere; the page takes the size asked for.
    for (const auto& [locale, letter] : {std::pair{"en_US", true},
                                         {"es_MX", true},
                                         {"fr_CA", true},
                                         {"en_GB", false},
                                         {"de_DE", false},
                                         {"ja_JP", false}})
      QCOMPARE(SheetPageSize(QLocale(locale)).id(), letter ? QPageSize::Letter : QPageSize::A4);
    SheetRequest request{runs, UnitSystem::kMetric, std::nullopt, QPageSize(QPageSize::Letter)};
    QVERIFY2(WriteDynoSheet(pdf, request, error), qPrintable(error));
    QVERIFY(PdfOutput("pdfinfo", {pdf}).contains(QRegularExpression(R"(Page size:\s+612 x 792 pts)")));
    QVERIFY(PdfOutput("pdftotext", {pdf, "-"}).contains(QStringLiteral("none (as measured)")));
  }

  // The sheet's table in words: a sea-level pressure with its altitude, a tyre by its sidewall or its
  // diameter, metric weight, each smoothing by name, a correction's factor or why there is none.
  void DynoSheetTexts() {
    RunParameters params;
    params.description = "Hot day";
    params.tireWidth = 185.0, params.tireAspectRatio = 65.0, params.wheelDiameter = 14.0;
    params.smoothingMethod = 3, params.smoothingLevel = 4;
    params.conditions = {20.0, 1013.0, std::nullopt, 850.0};
    const SheetEntry corrected{"Hot day", params, RunPeaks{},
                               CorrectPower(CorrectionStandard::kDin70020, params.conditions), ""};
    const SheetEntry plain{"No weather", RunParameters(), RunPeaks{}, std::nullopt, "no conditions"};
    std::map<std::string, QString> rows;
    for (const SheetSection& section :
         SheetSections({corrected, plain}, UnitSystem::kMetric, CorrectionStandard::kDin70020))
      for (const SheetLine& line : section.lines)
        rows[line.label] = QString::fromStdString(line.values[0] + " | " + line.values[1]);
    QCOMPARE(rows["Pressure"], QStringLiteral("1013.0 hPa at sea level, 850 m altitude | not given"));
    QCOMPARE(rows["Rel. humidity"], QStringLiteral("not given | not given"));
    QCOMPARE(rows["Tyre"], QStringLiteral("185/65 R14 | 744 mm diameter"));  // 29.3 in
    QCOMPARE(rows["Weight"], QStringLiteral("1089 kg | 1089 kg"));           // 2400 lb
    QCOMPARE(rows["Smoothing"], QStringLiteral("Exponential fit, level 4 | Smooth curve, 3 segments"));
    QCOMPARE(rows["Peak power"], QStringLiteral("- | -"));
    QVERIFY2(rows["Correction"].startsWith(QString::asprintf("DIN 70020 factor %.4f", corrected.correction->factor)) &&
                 rows["Correction"].endsWith(" | uncorrected: no conditions"),
             qPrintable(rows["Correction"]));
    QCOMPARE(SheetTitle({corrected, plain, corrected}), std::string("Hot day / No weather"));
  }

  // A sheet that cannot be made leaves no file: an unwritable place, an unreadable document, and on
  // the command line, a document without results or an unknown standard.
  void DynoSheetFailuresLeaveNoFile() {
    test::TempFolder folder;
    const QString a = QString::fromStdString(CalculatedRun(folder, "a", "Stock engine"));
    MemorySettingsStore settings;
    PlotWindow window(settings);
    window.OpenDocuments({a});
    QString error;
    const QString nowhere = QString::fromStdString(folder.File("missing/sheet.pdf"));
    QVERIFY(!window.ExportSheet(nowhere, std::nullopt, error));
    QVERIFY2(error.contains(nowhere), qPrintable(error));
    QVERIFY(!fs::exists(folder.File("missing")));
    SheetRequest gone;
    gone.runs = window.Panel().Chart().Runs();
    gone.runs[0].path = QString::fromStdString(folder.File("gone.dat"));
    QVERIFY(!WriteDynoSheet(QString::fromStdString(folder.File("gone.pdf")), gone, error));
    QVERIFY2(error.contains("gone.dat"), qPrintable(error));

    const std::string uncalculated = folder.File("new.dat");
    const std::string document = test::ReadFileBytes(a.toStdString());
    std::ofstream(uncalculated, std::ios::binary) << document.substr(0, document.find("Title="));
    const auto run = [&](const QStringList& args) {
      QProcess process;
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(folder.Path().string()));  // keeps Qt quiet
      process.setProcessEnvironment(environment);
      process.start(RUVO_PLOT_PROGRAM, args);
      process.waitForFinished(60000);
      return std::tuple{process.exitCode(),
                        QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError())};
    };
    const QString sheet = QString::fromStdString(folder.File("cli.pdf"));
    const auto [good, goodOutput] = run({"--sheet", sheet, "--correction", "din-70020", a});
    QCOMPARE(good, 0);
    QCOMPARE(goodOutput, QString());
    QVERIFY(fs::remove(sheet.toStdString()));
    const auto [bad, badOutput] = run({"--sheet", sheet, a, QString::fromStdString(uncalculated)});
    QCOMPARE(bad, 1);
    QVERIFY2(badOutput.contains("new.dat"), qPrintable(badOutput));
    const auto [unknown, unknownOutput] = run({"--sheet", sheet, "--correction", "sae", a});
    QCOMPARE(unknown, 2);
    QVERIFY2(unknownOutput.contains("--correction needs one of sae-j1349"), qPrintable(unknownOutput));
    // Nor a temporary file beside it.
    for (const auto& entry : fs::directory_iterator(folder.Path()))
      QVERIFY2(entry.path().filename().string().find(".pdf") == std::string::npos, entry.path().c_str());
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
    QVERIFY(chart.chart()->title().contains(">Dashed or faded: "));
    // One legend entry per run, however many lines draw it.
    const auto legendEntries = [&chart] {
      QStringList names;
      for (QLegendMarker* marker : chart.Panes().back()->legend()->markers())
        if (marker->isVisible()) names << marker->label();
      return names;
    };
    QCOMPARE(legendEntries(), QStringList{"power"});

    // Drawn, a stretch too short to show two dashes is faded instead; a long one stays dashed.
    power.rows.clear();
    for (double rpm = 1000; rpm <= 6000; rpm += 50) power.rows.push_back({rpm, rpm / 40.0, 90.0});
    power.initialRpm = 1060;  // doubts the rows at 1000 and 1050 rpm
    chart.resize(900, 600);
    chart.SetRuns({{"power", power, true, {{4000, 5000}}}});
    QStringList drawn;
    for (QAbstractSeries* series : chart.chart()->series())
      if (auto* line = qobject_cast<QLineSeries*>(series); line && line->pen().widthF() > 2.0)  // power
        drawn << QString("%1 %2-%3")
                     .arg(line->pen().style() == Qt::DashLine ? "dashed"
                          : line->pen().color().alpha() < 255 ? "faded"
                                                              : "solid")
                     .arg(line->points().front().x())
                     .arg(line->points().back().x());
    QCOMPARE(drawn.join(u','), QStringLiteral("faded 1000-1100,solid 1100-3950,dashed 3950-5050,solid 5050-6000"));

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
    QCOMPARE(legendEntries(), QStringList{"time"});
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
    QVERIFY(!window.ExportTables(QString::fromStdString(folder.File("t.csv")), error));

    // Replaced as a save replaces it: a new file renamed over the old one.
    test::WriteFileBytes(empty + ".saving", text);
    fs::rename(empty + ".saving", empty);
    QTRY_VERIFY_WITH_TIMEOUT(window.HasRuns(), 5000);
    QCOMPARE(window.Panel().Chart().Runs().front().name, QStringLiteral("Stock (empty.dat)"));
    QVERIFY(window.Notice().startsWith("Malformed result table in "));
  }

  // The chart's and the panel's peaks are the summary lines' own: after a calculation the row and
  // value its unrounded results give, even where the table's rounding makes rows tie or a value
  // round the other way; for a saved table the ones an opened document's summary gives.
  void PeaksAgreeWithTheSummaryLines() {
    struct Case {
      const char* what;
      std::array<double, 4> torque;  // ft-lb at 3950, 4000, 4050 and 4100 rpm
    };
    const Case cases[] = {
        {"the table ties 4000 and 4050", {120.0, 129.7341, 129.7349, 125.0}},
        {"the table rounds up to 129.75", {120.0, 129.746, 110.0, 100.0}},
        {"the first of equal values", {120.0, 129.0, 129.0, 100.0}},
    };
    for (const Case& c : cases) {
      const CalculationResults results = PowerResultsWithTorque(c.torque);
      const ResultTable table = SavedTable(results);
      RunChart chart;
      chart.SetRuns({{"run", table, true, {}, PeaksOfCalculation(results)}});
      QCOMPARE(chart.PeakLabels().size(), 2);
      // "  Max Torque: 129.7 ft-lb @ 4050 rpm" ends in the label's text.
      QVERIFY2(QString::fromStdString(results.summaryLine2).endsWith(u' ' + chart.PeakLabels()[1]),
               qPrintable(QString("%1: %2 | %3").arg(c.what, results.summaryLine2.c_str(), chart.PeakLabels()[1])));
      QVERIFY(QString::fromStdString(results.summaryLine1).endsWith(u' ' + chart.PeakLabels()[0]));

      // The saved table, as an opened document shows it, agrees with that document's summary.
      const std::optional<SummaryLines> saved = SummarizeResultTable(TableText(results));
      chart.SetRuns({{"run", table, true}});
      QVERIFY(saved && QString::fromStdString(saved->line2).endsWith(u' ' + chart.PeakLabels()[1]));
    }
    // The first two cases are real: the table alone names another row or value.
    for (const Case& c : {cases[0], cases[1]}) {
      const CalculationResults results = PowerResultsWithTorque(c.torque);
      const std::string fromTable =
          PeakText(*PeaksOfTable(SavedTable(results)).torque, UnitOf(ResultColumn::kTorque, UnitSystem::kTable));
      QVERIFY2(!results.summaryLine2.ends_with(" " + fromTable), c.what);
    }

    // Tachometer: the top speed 45.5549 mph reads 45.6 in the summary, its table says 45.55.
    RunParameters params;
    const double mphPerRpm = FeetPerEngineRevolution(params) * kFeetPerSecondToMph / kSecondsPerMinute;
    const std::vector<double> rpm{1000.0, 30.0 / mphPerRpm, 45.5549 / mphPerRpm, 2000.0};
    const std::vector<double> revs{0, 10, 20, 30}, acceleration{1, 2, 3, 1};
    CalculationResults results;
    results.rowCount = 4;
    ComputeTachometer(params, revs, rpm, acceleration, results);
    results.pulseTimes = {0.0, 0.5, 1.0, 1.5};
    results.cumulativeRevs = revs;
    ResultsPanel panel(false);
    panel.ShowRuns({{"run", SavedTable(results), true, {}, PeaksOfCalculation(results)}});
    QCOMPARE(Numbers(panel.PeaksLine()), Numbers(QString::fromStdString(results.summaryLine1 + results.summaryLine2)));
    QVERIFY2(panel.PeaksLine().contains(" 45.6 mph"), qPrintable(panel.PeaksLine()));
    panel.ShowRuns({{"run", SavedTable(results), true}});
    QVERIFY2(panel.PeaksLine().contains(" 45.5 mph") && panel.PeaksLine().endsWith("(loaded from the file)"),
             qPrintable(panel.PeaksLine()));
  }

  // The Table tab and the CSV export show every column with its unit, in either unit system; the
  // CSV of several documents is one long table over every column any of them has.
  void TablesInUnitsAndCsv() {
    ResultTable power;
    power.variables = {"RPM", "HP", "Torque", "Accel", "Ffric"};
    power.rows = {{4000, 98.80, 129.73, 0.53525, 0.00}, {4050, 100.04, 129.74, 0.53515, 12.5}};
    ResultTable time;
    time.variables = {"Time", "CumRev", "Dist", "RPM", "Speed", "Accel"};
    time.rows = {{0.0625, 1.0, 0.0002, 1000.25, 7.5, 0.1234}};

    ResultsPanel panel(false);
    panel.ShowRuns({{"power", power, true}});
    const auto row = [&](int r) {
      QStringList cells;
      for (int c = 0; c < panel.Table().columnCount(); ++c)
        cells << panel.Table().horizontalHeaderItem(c)->text() + '=' + panel.Table().item(r, c)->text();
      return cells.join(u' ');
    };
    QCOMPARE(row(0), QStringLiteral("RPM=4000 HP=98.80 Torque (ft-lb)=129.73 Accel (g)=0.53525 Ffric (lb)=0.00"));
    panel.SetUnits(UnitSystem::kMetric);
    // kW, N·m, m/s² and N by their factors, to the table's decimals.
    QCOMPARE(row(1), QString::fromUtf8("RPM=4050 Power (kW)=74.60 Torque (N\u00b7m)=175.90 Accel (m/s\u00b2)=5.24803 "
                                       "Ffric (N)=55.60"));
    QVERIFY(panel.PeaksLine().startsWith(QString::fromUtf8("Max 74.6 kW @ 4050 rpm, 175.9 N\u00b7m @ 4050 rpm")));
    panel.Table().sortItems(1, Qt::DescendingOrder);  // numbers sort as numbers
    QVERIFY(row(0).startsWith("RPM=4050 "));

    struct Case {
      UnitSystem units;
      const char* csv;
    };
    const Case cases[] = {
        {UnitSystem::kTable,
         "Document,RPM,HP,Torque (ft-lb),Accel (g),Ffric (lb),Time (s),CumRev (rev),Dist (mi),Speed (mph)\n"
         "a.dat,4000,98.8,129.73,0.53525,0,,,,\n"
         "a.dat,4050,100.04,129.74,0.53515,12.5,,,,\n"
         "\"runs, tuned.dat\",1000.25,,,0.1234,,0.0625,1,0.0002,7.5\n"},
        {UnitSystem::kMetric,
         "Document,RPM,Power (kW),Torque (N\u00b7m),Accel (m/s\u00b2),Ffric (N),Time (s),CumRev (rev),Dist (km),"
         "Speed (km/h)\n"
         "a.dat,4000,73.68,175.89,5.24901,0,,,,\n"
         "a.dat,4050,74.6,175.9,5.24803,55.6,,,,\n"
         "\"runs, tuned.dat\",1000.25,,,1.2101,,0.0625,1,0.0003,12.07\n"},
    };
    for (const Case& c : cases) {
      std::ostringstream csv;
      WriteTablesCsv(csv, {{"a.dat", &power}, {"runs, tuned.dat", &time}}, c.units);
      QCOMPARE(QString::fromStdString(csv.str()), QString::fromUtf8(c.csv));
    }
    // Corrected power and torque name the standard and keep the table's decimals.
    std::ostringstream csv;
    WriteTablesCsv(csv, {{"a.dat", &power, "DIN 70020"}}, UnitSystem::kMetricPs);
    QCOMPARE(
        QString::fromStdString(csv.str()),
        QString::fromUtf8("Document,RPM,\"Power (PS, DIN 70020)\",\"Torque (N\u00b7m, DIN 70020)\",Accel (m/s\u00b2),"
                          "Ffric (N)\na.dat,4000,100.17,175.89,5.24901,0\na.dat,4050,101.43,175.9,5.24803,55.6\n"));
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

  // The tracked firing frequency is drawn where the spectrogram has it, white where the tracker was
  // sure and red where not, with the unsure stretches marked along the bottom.
  void SpectrogramMarksUnsureStretches() {
    constexpr double kHop = 0.1, kBinHz = 10.0;
    constexpr int kFrames = 100, kBins = 50, kLineBin = 20;  // the engine at 200 Hz throughout
    auto picture = std::make_shared<EngineSoundPicture>();
    picture->spectrogram = {kHop, kBinHz, kFrames, kBins, std::vector<float>(kFrames * kBins, -60.0f)};
    picture->firingsPerRevolution = 2.0;
    for (int f = 0; f < kFrames; ++f) {
      picture->spectrogram.levelsDb[static_cast<std::size_t>(f * kBins + kLineBin)] = 0.0f;
      const bool unsure = (f >= 30 && f < 40) || f == 90;
      const double confidence = unsure ? kLowConfidence / 2 : 1.0;
      picture->frames.push_back({(f + 0.5) * kHop, kLineBin * kBinHz / 2.0 * 60.0, 0.0, confidence});
    }
    SpectrogramPlot plot;
    plot.SetPicture(picture);
    const std::vector<std::pair<double, double>> stretches = plot.UnsureStretches();
    QCOMPARE(stretches.size(), 2u);
    QVERIFY(test::IsClose(stretches[0].first, 3.05, 1e-12) && test::IsClose(stretches[0].second, 3.95, 1e-12));
    QVERIFY(test::IsClose(stretches[1].first, 9.05, 1e-12) && test::IsClose(stretches[1].second, 9.05, 1e-12));

    // Margins of the plot: 56 left, 10 right, 8 top, 24 bottom.
    const QSize size(656, 300);
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    plot.Render(painter, size);
    painter.end();
    const auto xAt = [](double seconds) { return 56 + static_cast<int>(seconds / (kFrames * kHop) * 590); };
    const int lineY = 8 + 268 - static_cast<int>(kLineBin * kBinHz / (kBins * kBinHz) * 268);
    // The pixel nearest lineY whose colour passes test, at x.
    const auto lineHas = [&](int x, auto test) {
      for (int y = lineY - 2; y <= lineY + 2; ++y)
        if (test(QColor(image.pixel(x, y)))) return true;
      return false;
    };
    const auto white = [](QColor c) { return c.red() > 220 && c.green() > 220 && c.blue() > 220; };
    const auto red = [](QColor c) { return c.red() > 180 && c.green() < 90 && c.blue() < 90; };
    QVERIFY(lineHas(xAt(6.0), white) && !lineHas(xAt(6.0), red));
    QVERIFY(lineHas(xAt(3.5), red) && !lineHas(xAt(3.5), white));
    QVERIFY(red(QColor(image.pixel(xAt(3.5), 8 + 268 - 2))));
    QVERIFY(!red(QColor(image.pixel(xAt(6.0), 8 + 268 - 2))));
  }
};

}  // namespace ruvo

QTEST_MAIN(ruvo::PlotTest)
#include "plot_test.moc"
