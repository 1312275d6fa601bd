// The main form's boxes, validation, wave list and Calculate, driven through its controls, and the
// layout and status-bar rules behind the window.
#include <QGroupBox>
#include <QLabel>
#include <QStyle>
#include <filesystem>

#include "calc/run_calculation.h"
#include "support/test_support.h"
#include "synth/synth_files.h"
#include "synth/synth_run.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui_support.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

// A form and its document, as the main window holds them, with its working folder.
struct FormFixture {
  FormFixture() {
    view.OnInitialUpdate();
    view.show();
  }
  // Opens a synthetic dynamometer run written to the working folder as run.dat.
  void OpenSynthRun(SynthOptions options = {}) {
    options.sampleRate = 22050;  // samples per second; keeps the test quick
    const SynthResult run = SynthesizeRun(options);
    if (!run.ok || !WriteSynthFiles(run, folder.Path().string(), "run")) qFatal("could not make the run");
    if (!document.OpenRunDocument(documentPath)) qFatal("could not open the run");
    view.OnInitialUpdate();
  }
  void AddWaves(const QStringList& names) {
    for (const QString& name : names) form.Type("newWaveName", name), form.Click("addButton");
  }
  test::TempFolder folder;
  std::string documentPath = folder.File("run.dat");
  MemorySettingsStore settings;
  test::WorkingFolder entered{folder.Path()};  // the new document's folder, where relative names land
  CRuvoDoc document;
  CRuvoView view{settings, document};
  test::FormProbe form{view};
};

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT

 private slots:
  // A fresh form shows the initial values with its buttons off. Then a rejected box stops the
  // exchange: the boxes before it are taken, the ones after it are not, the message names the box
  // and what it expects, the box gets the focus with its text selected, and nothing is
  // calculated. A mode the form does not know checks neither button.
  void freshFormThenTheFirstRejectedBoxStopsTheExchange() {
    FormFixture f;
    // The boxes in the order values are taken from the form.
    RUVO_REQUIRE(f.form.TextsAre({{"axleRatio", "4"},
                                  {"gearRatio", "2.5"},
                                  {"vehicleWeight", "2400"},
                                  {"revsPerIgnition", "2"},
                                  {"initialRpm", "1000"},
                                  {"finalRpm", "5000"},
                                  {"maxPulseLength", "20"},
                                  {"wheelDiameter", "29.3"},
                                  {"frontalArea", "35"},
                                  {"dragCoefficient", "0.5"},
                                  {"tireWidth", "0"},
                                  {"tireAspectRatio", "100"},
                                  {"description", ""},
                                  {"summaryLine1", ""},
                                  {"summaryLine2", ""},
                                  {"rollingCoefficient", "0.01"},
                                  {"drivetrainLoss", "0"}}));
    RUVO_REQUIRE(f.form.CheckedAre({{"dynamometerMode", true}, {"tachometerMode", false}}));
    RUVO_REQUIRE(f.form.EnabledAre({{"calculateButton", false},
                                    {"graphButton", false},
                                    {"tablesButton", false},
                                    {"addButton", false},
                                    {"removeButton", false},
                                    {"browseButton", true}}));

    f.form.Fill({"axleRatio=3.5", "maxPulseLength=25", "dragCoefficient=abc", "tireWidth=205",
                 "description=after the bad box", "drivetrainLoss=12"});
    f.form.Radio("tachometerMode")->setChecked(true);
    test::MessageCapture messages;
    f.view.OnCalculate();
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Drag Coefficient: enter a number"});
    QCOMPARE(f.view.focusWidget(), f.form.Box("dragCoefficient"));
    QCOMPARE(f.form.Box("dragCoefficient")->selectedText(), QString("abc"));
    const RunParameters& held = f.document.Params();
    QCOMPARE(std::tuple(held.axleRatio, held.maxPulseLength, held.dragCoefficient, held.tireWidth, held.description,
                        held.drivetrainLoss, held.calculationMode),
             std::tuple(3.5, 25.0, 0.5, 0.0, std::string(), 0.0, 0));  // dynamometer
    QVERIFY(!fs::exists(f.folder.Path() / "ruvo.log"));                // no calculation started

    f.document.Params().calculationMode = 5;  // only a hand-edited document holds another mode
    f.view.OnInitialUpdate();
    RUVO_REQUIRE(f.form.CheckedAre({{"dynamometerMode", false}, {"tachometerMode", false}}));
  }

  // In either mode Calculate shows the summary lines an independent calculation gives for the
  // values the form holds and saves the document with its tables. A failure after that turns
  // Graph and Tables off, keeps the old lines and leaves the file untouched; opening the file
  // again shows the same lines, read from its table.
  void calculateShowsTheSummaryAndSavesAndAFailureKeepsIt() {
    for (const auto& [mode, radio] : {std::pair(0, "dynamometerMode"), {1, "tachometerMode"}}) {
      FormFixture f;
      f.OpenSynthRun();
      f.form.Radio(radio)->setChecked(true);
      f.form.Type("vehicleWeight", " 2400.0 ");
      test::MessageCapture messages;
      f.form.Click("calculateButton");
      QCOMPARE(std::pair(f.view.CalculationSucceeded(), f.document.Params().calculationMode), std::pair(true, mode));
      // The weight is re-shown in the form's notation.
      RUVO_REQUIRE(f.form.EnabledAre({{"graphButton", true}, {"tablesButton", true}}));
      RUVO_REQUIRE(f.form.TextsAre({{"vehicleWeight", "2400"}}));
      const AnalysisConfig config;
      RunCalculation reference(f.document.Params(), config);
      QVERIFY(reference.Calculate(f.folder.Path().string()));
      const QString line1 = QString::fromStdString(reference.Results().summaryLine1);
      const QString line2 = QString::fromStdString(reference.Results().summaryLine2);
      RUVO_REQUIRE(f.form.TextsAre({{"summaryLine1", line1}, {"summaryLine2", line2}}));
      const std::string saved = test::ReadFileBytes(f.documentPath);
      QVERIFY(saved.find("Title=", saved.find("# Smoothing RPM    : ")) != std::string::npos);  // tables follow

      f.form.List("waveList")->selectAll();
      f.form.Click("removeButton");
      f.AddWaves({"missing.wav"});
      f.form.Type("description", "changed");
      f.form.Click("calculateButton");
      QCOMPARE(std::pair(f.view.CalculationSucceeded(), messages.Texts().size()), std::pair(false, std::size_t{1}));
      RUVO_REQUIRE(f.form.EnabledAre({{"graphButton", false}, {"tablesButton", false}}));
      RUVO_REQUIRE(f.form.TextsAre({{"summaryLine1", line1}, {"summaryLine2", line2}}));
      QCOMPARE(test::ReadFileBytes(f.documentPath), saved);
      // An open keeps Graph and Tables on while the document's file holds a table, since both
      // tools read that file; a document without one turns them off.
      QVERIFY(f.document.OpenRunDocument(f.documentPath));
      f.view.ShowDocumentResults(f.document.SavedResults());
      RUVO_REQUIRE(f.form.EnabledAre({{"graphButton", true}, {"tablesButton", true}}));
      RUVO_REQUIRE(f.form.TextsAre({{"summaryLine1", line1}, {"summaryLine2", line2}}));
      f.view.ShowDocumentResults(std::nullopt);
      RUVO_REQUIRE(f.form.EnabledAre({{"graphButton", false}, {"tablesButton", false}}));
    }
  }

  // The run checks' findings appear below the summary lines after Calculate, their list opens in a
  // window of its own, and both go with a clean calculation or another document.
  void findingsShowAfterCalculateAndGoWithTheResults() {
    FormFixture f;
    SynthOptions idling;
    idling.idleSeconds = 1.0;
    idling.initialRpm = 1000;  // the idle speed: the table starts on the idle
    f.OpenSynthRun(idling);
    auto* button = f.view.findChild<QPushButton*>("findingsButton");
    QVERIFY(!button->isVisible());
    f.form.Click("calculateButton");
    QVERIFY(button->isVisible());
    QCOMPARE(button->text(), QString("Chec&ks: 1 warning"));
    button->click();
    auto* list = f.view.window()->findChild<QListWidget*>("findingsList");
    QVERIFY(list && list->isVisible());
    QVERIFY2(list->item(0)->text().startsWith("run.wav: the run starts on the idle"),
             qPrintable(list->item(0)->text()));

    f.form.Type("initialRpm", "1200");
    f.form.Click("calculateButton");
    QVERIFY(!button->isVisible() && !list->isVisible());
    f.form.Type("initialRpm", "1000");
    f.form.Click("calculateButton");
    QVERIFY(button->isVisible());
    f.view.ShowDocumentResults(std::nullopt);
    QVERIFY(!button->isVisible());
  }

  // Add needs an edit between two additions and keeps duplicates; Remove deletes every selected
  // item from the list and the held names alike.
  void addKeepsDuplicatesAndRemoveDeletesEverySelectedItem() {
    FormFixture f;
    f.AddWaves({"run.wav"});
    RUVO_REQUIRE(f.form.EnabledAre({{"addButton", false}, {"calculateButton", true}}));
    RUVO_REQUIRE(f.form.TextsAre({{"newWaveName", "run.wav"}}));
    f.AddWaves({"run.wa", "run.wav", "w3.wav", "w4.wav"});  // the edit in between enables Add again
    QCOMPARE(f.document.Params().waveFiles,
             (std::vector<std::string>{"run.wav", "run.wa", "run.wav", "w3.wav", "w4.wav"}));
    f.form.Type("newWaveName", "");
    RUVO_REQUIRE(f.form.EnabledAre({{"addButton", false}, {"removeButton", false}}));

    for (int row : {3, 0, 2}) f.form.List("waveList")->item(row)->setSelected(true);
    f.form.Click("removeButton");
    QCOMPARE(f.form.Items("waveList"), QStringList({"run.wa", "w4.wav"}));
    QCOMPARE(f.document.Params().waveFiles, (std::vector<std::string>{"run.wa", "w4.wav"}));
    f.form.List("waveList")->selectAll();
    f.form.Click("removeButton");
    RUVO_REQUIRE(f.form.EnabledAre({{"removeButton", false}, {"calculateButton", false}}));
  }

  // Names below the working folder are stored relative to it, any number of them; a working
  // folder that cannot be read (here: removed under the program) gives full paths. The first
  // browse opens in the working folder, which it leaves as it was; later ones open where the
  // previous dialog was showing, cancelled or not. A cancelled browse adds nothing.
  void browseStoresNamesBelowTheWorkingFolderRelatively() {
    FormFixture f;
    test::ScriptedPrompts prompts;
    const QString here = QString::fromStdString(fs::current_path().string());
    QStringList chosen = {here + "/a.wav", here + "/sub/b.wav", "/elsewhere/x.wav", here + "2/c.wav"};
    for (int i = 0; i < 60; ++i) chosen << here + QStringLiteral("/recording_with_a_long_name_%1.wav").arg(i);
    prompts.fileAnswers = {{true, chosen, here + "/sub"}, {false, {}, "/tmp"}};
    f.form.Click("browseButton");
    const QStringList items = f.form.Items("waveList");  // mid(63) is the last item only if there are 64
    QCOMPARE(items.mid(0, 4) + items.mid(63), QStringList({"a.wav", "sub/b.wav", "/elsewhere/x.wav", here + "2/c.wav",
                                                           "recording_with_a_long_name_59.wav"}));
    QVERIFY(prompts.fileRequests.at(0).second && fs::current_path() == here.toStdString());
    f.form.Click("browseButton");

    const fs::path gone = f.folder.Path() / "gone";
    fs::create_directories(gone);
    fs::current_path(gone);
    fs::remove(gone);
    const QString inside = QString::fromStdString((gone / "a.wav").string());
    prompts.fileAnswers.push_back({true, {inside}, {}});
    f.form.Click("browseButton");
    QCOMPARE(f.form.Items("waveList").mid(64), QStringList({inside}));
    QStringList folders;
    for (const auto& request : prompts.fileRequests) folders << request.first;
    QCOMPARE(folders, QStringList({here, here + "/sub", "/tmp"}));
  }

  // At the desktop's font and at 150 % and 200 % of it every label and button shows its whole text
  // in the form's one font, every box the widest number and summary line, and each label stays by
  // its box; a long wave path is shortened to the list's width, whole in its tooltip.
  void everyTextFitsItsBoxAtLargerFonts() {
    FormFixture f;
    const QString path = "/home/user/recordings/" + QString(200, 'x') + ".wav";
    f.AddWaves({path});
    QListWidgetItem* item = f.form.List("waveList")->item(0);
    for (QLineEdit* box : f.view.findChildren<QLineEdit*>()) box->setText("-12345.678");
    f.form.Fill({"summaryLine1=Max Speed: 999.9 mph, Max Accel: 9.999g",
                 "summaryLine2=  Max Torque:9999.9 ft-lb @ 10000 rpm", "description=short", "newWaveName=a.wav"});
    const QFont base = f.view.font();
    for (double scale : {1.0, 1.5, 2.0}) {
      QFont font = base;
      font.setPointSizeF(base.pointSizeF() * scale);
      f.view.setFont(font);
      f.view.resize(f.view.sizeHint());
      QApplication::processEvents();
      for (QWidget* control : f.view.findChildren<QWidget*>()) {
        const QString where = control->objectName() + " at " + QString::number(scale);
        QVERIFY2(control->font().pointSizeF() == font.pointSizeF(), qPrintable(where));
        if (qobject_cast<QLabel*>(control) || qobject_cast<QAbstractButton*>(control))
          QVERIFY2(control->width() >= control->sizeHint().width(), qPrintable(where));
        // A line edit draws its text inside its frame and 2 pixels more on either side.
        if (auto* box = qobject_cast<QLineEdit*>(control))
          QVERIFY2(box->fontMetrics().horizontalAdvance(box->text()) <=
                       box->width() - 2 * box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) - 4,
                   qPrintable(where));
      }
      const QListWidget& list = *f.form.List("waveList");
      QVERIFY(list.visualItemRect(item).width() <= list.viewport()->width() && item->toolTip() == path);
      // "Description:" sits on its box, whatever room the taller mode group beside it leaves.
      for (const QLabel* label : f.view.findChildren<QLabel*>())
        if (label->buddy() == f.form.Box("description"))
          QVERIFY2(f.form.Box("description")->y() - label->geometry().center().y() <= label->sizeHint().height(),
                   qPrintable(QString("label at %1, box at %2").arg(label->y()).arg(f.form.Box("description")->y())));
    }
    QStringList groups;
    for (const QGroupBox* group : f.view.findChildren<QGroupBox*>()) groups << group->title();
    QVERIFY(groups.contains("Frictional Losses"));
  }
};

RUVO_UI_SUITE("MainForm", MainFormTest);

}  // namespace ruvo

#include "main_form_test.moc"
