// Calculate pressed in the form on synthetic runs with a known answer.
#include <QTest>
#include <filesystem>

#include "calc/run_calculation.h"
#include "form_probe.h"
#include "support/test_support.h"
#include "synth/synth_files.h"
#include "synth/synth_run.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui_suites.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

// The form and its document with a synthetic run opened from its own folder.
struct RunFixture {
  explicit RunFixture(std::int32_t mode) : view(settings), document(view.HeldValues(), view.Calculation()) {
    view.SetDocument(document);
    SynthOptions options;
    options.vehicle.calculationMode = mode;
    options.sampleRate = 22050;  // samples per second; keeps the test quick
    const SynthResult run = SynthesizeRun(options);
    if (!run.ok) qFatal("synthesis failed: %s", run.error.c_str());
    if (!WriteSynthFiles(run, folder.Path().string(), "run")) qFatal("could not write the run");
    documentPath = folder.File("run.dat");
    if (!document.OpenRunDocument(documentPath)) qFatal("could not open the run");
    view.OnInitialUpdate();
  }

  // The summary lines an independent calculation gives for the values the form holds.
  std::pair<std::string, std::string> ExpectedSummary() {
    const AnalysisConfig config;
    RunCalculation reference(view.HeldValues(), config);
    if (!reference.Calculate()) return {};
    return {reference.Results().summaryLine1, reference.Results().summaryLine2};
  }

  test::TempFolder folder;
  MemorySettingsStore settings;
  CRuvoView view;
  CRuvoDoc document;
  test::FormProbe form{view};
  std::string documentPath;
};

}  // namespace

class FormCalculationTest : public QObject {
  Q_OBJECT

 private slots:
  void calculateShowsSummaryAndSavesTheTable_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("radio");
    QTest::newRow("dynamometer") << int(kDynamometerMode) << "dynamometerMode";
    QTest::newRow("tachometer") << int(kTachometerMode) << "tachometerMode";
  }

  void calculateShowsSummaryAndSavesTheTable() {
    QFETCH(int, mode);
    QFETCH(QString, radio);
    RunFixture f(kDynamometerMode);
    f.form.Radio(radio.toLatin1().constData())->setChecked(true);
    f.form.Type("vehicleWeight", " 2400.0 ");
    test::MessageCapture messages;
    f.form.Click("calculateButton");

    QVERIFY2(messages.Texts().empty(), messages.Texts().empty() ? "" : messages.Texts().front().c_str());
    QCOMPARE(f.view.CalculationSucceeded(), 1);
    QCOMPARE(f.view.HeldValues().calculationMode, mode);
    QVERIFY(f.form.Button("graphButton")->isEnabled() && f.form.Button("tablesButton")->isEnabled());
    QCOMPARE(f.form.Text("vehicleWeight"), QString("2400"));  // re-shown in the form's notation

    const auto [line1, line2] = f.ExpectedSummary();
    QVERIFY(!line1.empty());
    QCOMPARE(std::pair(f.form.Text("summaryLine1").toStdString(), f.form.Text("summaryLine2").toStdString()),
             std::pair(line1, line2));

    const std::string saved = test::ReadFileBytes(f.documentPath);
    QVERIFY(saved.starts_with("# Tammel Ruvo v2.0 : "));
    const std::size_t lastParameter = saved.find("# Smoothing RPM    : ");
    QVERIFY(lastParameter != std::string::npos);
    QVERIFY(saved.find("Title=", lastParameter) != std::string::npos);
    QVERIFY(fs::exists(f.folder.Path() / "ruvo.log"));  // the document's folder is the working one
  }

  // A failure after a success: Graph and Tables go off, the old lines stay, the file is untouched.
  void failedCalculationKeepsThePreviousLines() {
    RunFixture f(kDynamometerMode);
    test::MessageCapture messages;
    f.form.Click("calculateButton");
    QCOMPARE(f.view.CalculationSucceeded(), 1);
    const QString line1 = f.form.Text("summaryLine1");
    const std::string savedAfterSuccess = test::ReadFileBytes(f.documentPath);

    f.form.List("waveList")->selectAll();
    f.form.Click("removeButton");
    f.form.Type("newWaveName", "missing.wav");
    f.form.Click("addButton");
    f.form.Type("description", "changed");
    f.form.Click("calculateButton");

    QCOMPARE(f.view.CalculationSucceeded(), 0);
    QCOMPARE(messages.Texts().size(), std::size_t{1});
    QVERIFY(!f.form.Button("graphButton")->isEnabled() && !f.form.Button("tablesButton")->isEnabled());
    QCOMPARE(f.form.Text("summaryLine1"), line1);
    QCOMPARE(test::ReadFileBytes(f.documentPath), savedAfterSuccess);
  }
};

}  // namespace ruvo

int RunFormCalculationTests(int argc, char** argv) {
  ruvo::FormCalculationTest suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "form_calculation_test.moc"
