// The main form's boxes, validation and wave list, driven through its controls.
#include <QLocale>
#include <QTest>
#include <clocale>
#include <filesystem>

#include "form_probe.h"
#include "scripted_prompts.h"
#include "support/test_support.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui/wave_browse.h"
#include "ui_suites.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

// The boxes in the order values are taken from the form.
const char* const kExchangeOrder[] = {
    "axleRatio",      "gearRatio",     "vehicleWeight", "revsPerIgnition",    "initialRpm",    "finalRpm",
    "maxPulseLength", "wheelDiameter", "frontalArea",   "dragCoefficient",    "tireWidth",     "tireAspectRatio",
    "description",    "summaryLine1",  "summaryLine2",  "rollingCoefficient", "drivetrainLoss"};

// A form on its own, as the main window holds it, with its working folder.
struct FormFixture {
  FormFixture() : view(settings) {
    fs::current_path(folder.Path());  // the calculation log and relative names land here
    WaveBrowse::Reset();
    view.OnInitialUpdate();
    view.show();
  }
  test::TempFolder folder;
  MemorySettingsStore settings;
  CRuvoView view;
  test::FormProbe form{view};
};

void FillFiveWaves(const test::FormProbe& form) {
  for (const char* name : {"w0.wav", "w1.wav", "w2.wav", "w3.wav", "w4.wav"}) {
    form.Type("newWaveName", QString::fromLatin1(name));
    form.Click("addButton");
  }
}

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT

 private slots:
  void freshFormShowsInitialValuesWithButtonsOff() {
    FormFixture f;
    const QStringList expected = {"4",   "2.5", "2400", "2", "1000", "5000", "20",   "29.3", "35",
                                  "0.5", "0",   "100",  "",  "",     "",     "0.01", "0"};
    QStringList shown;
    for (const char* name : kExchangeOrder) shown << f.form.Text(name);
    QCOMPARE(shown, expected);
    QVERIFY(f.form.Radio("dynamometerMode")->isChecked() && !f.form.Radio("tachometerMode")->isChecked());
    for (const char* button : {"calculateButton", "graphButton", "tablesButton", "addButton", "removeButton"})
      QVERIFY2(!f.form.Button(button)->isEnabled(), button);
    QVERIFY(f.form.Button("browseButton")->isEnabled());
    QCOMPARE(f.form.List("waveList")->count(), 0);
  }

  // A rejected box stops the exchange: the boxes before it are taken, the ones after it are not,
  // the message names what is expected, the box gets the focus, and nothing is calculated.
  void firstRejectedBoxStopsTheExchange() {
    FormFixture f;
    f.form.Type("axleRatio", "3.5");
    f.form.Type("maxPulseLength", "25");
    f.form.Type("dragCoefficient", "abc");
    f.form.Type("tireWidth", "205");
    f.form.Type("description", "after the bad box");
    f.form.Type("drivetrainLoss", "12");
    f.form.Radio("tachometerMode")->setChecked(true);
    test::MessageCapture messages;
    f.view.OnCalculate();

    QCOMPARE(messages.Texts(), std::vector<std::string>{"Please enter a number."});
    QCOMPARE(f.view.focusWidget(), f.form.Box("dragCoefficient"));
    const RunParameters& held = f.view.HeldValues();
    QCOMPARE(std::tuple(held.axleRatio, held.maxPulseLength, held.dragCoefficient), std::tuple(3.5, 25.0, 0.5));
    QCOMPARE(std::tuple(held.tireWidth, held.drivetrainLoss, held.calculationMode),
             std::tuple(0.0, 0.0, kDynamometerMode));
    QVERIFY(held.description.empty());
    QVERIFY(!fs::exists(f.folder.Path() / "ruvo.log"));  // no calculation started
  }

  // Each box's limits and messages are checked on the field rules; here the form shows the message
  // and keeps the rejected value without rewriting the box.
  void outOfRangeValueIsRejectedButStaysHeld() {
    FormFixture f;
    f.form.Type("vehicleWeight", "99");
    test::MessageCapture messages;
    f.view.OnCalculate();
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Please enter a number between 100 and 50000."});
    QCOMPARE(f.view.HeldValues().vehicleWeight, 99.0);
    QCOMPARE(f.form.Text("vehicleWeight"), QString("99"));
  }

  void addKeepsDuplicatesAndNeedsAnEditBetween() {
    FormFixture f;
    f.form.Type("newWaveName", "run.wav");
    QVERIFY(f.form.Button("addButton")->isEnabled());
    f.form.Click("addButton");
    QVERIFY(!f.form.Button("addButton")->isEnabled());
    QVERIFY(f.form.Button("calculateButton")->isEnabled());
    QCOMPARE(f.form.Text("newWaveName"), QString("run.wav"));
    f.form.Type("newWaveName", "run.wa");
    f.form.Type("newWaveName", "run.wav");
    f.form.Click("addButton");
    QCOMPARE(f.form.Items("waveList"), QStringList({"run.wav", "run.wav"}));
    QCOMPARE(f.view.HeldValues().waveFiles, (std::vector<std::string>{"run.wav", "run.wav"}));
    f.form.Type("newWaveName", " ");
    QVERIFY(f.form.Button("addButton")->isEnabled());  // a blank is text
    f.form.Type("newWaveName", "");
    QVERIFY(!f.form.Button("addButton")->isEnabled());
  }

  void removeDeletesEverySelectedItem() {
    FormFixture f;
    FillFiveWaves(f.form);
    QListWidget* list = f.form.List("waveList");
    for (int row : {3, 0, 2}) list->item(row)->setSelected(true);
    QVERIFY(f.form.Button("removeButton")->isEnabled());
    f.form.Click("removeButton");
    QCOMPARE(f.form.Items("waveList"), QStringList({"w1.wav", "w4.wav"}));
    QCOMPARE(f.view.HeldValues().waveFiles, (std::vector<std::string>{"w1.wav", "w4.wav"}));
    QVERIFY(!f.form.Button("removeButton")->isEnabled());
    for (int row : {0, 1}) list->item(row)->setSelected(true);
    f.form.Click("removeButton");
    QVERIFY(!f.form.Button("calculateButton")->isEnabled());
  }

  void browseStoresNamesBelowTheWorkingFolderRelatively() {
    FormFixture f;
    test::ScriptedPrompts prompts;
    const QString here = QString::fromStdString(fs::current_path().string());
    fs::create_directories(f.folder.Path() / "sub");
    prompts.fileAnswers.push_back(
        {true, {here + "/a.wav", here + "/sub/b.wav", "/elsewhere/x.wav", here + "2/c.wav"}, here + "/sub"});
    f.form.Click("browseButton");
    QCOMPARE(f.form.Items("waveList"), QStringList({"a.wav", "sub/b.wav", "/elsewhere/x.wav", here + "2/c.wav"}));
    QCOMPARE(prompts.fileRequests.at(0).folder, here);  // first browse opens in the working folder
    QVERIFY(prompts.fileRequests.at(0).multiple);
    QCOMPARE(QString::fromStdString(fs::current_path().string()), here);  // left as it was
    QVERIFY(f.form.Button("calculateButton")->isEnabled());

    // Cancelled: nothing added, yet the folder the dialog showed is where the next one opens.
    prompts.fileAnswers.push_back({false, {}, "/tmp"});
    f.form.Click("browseButton");
    QCOMPARE(f.form.List("waveList")->count(), 4);
    f.form.Click("browseButton");
    QCOMPARE(prompts.fileRequests.at(1).folder, here + "/sub");
    QCOMPARE(prompts.fileRequests.at(2).folder, QString("/tmp"));
  }

  // A working folder that cannot be read (here: removed under the program) gives full paths.
  void browseWithoutAReadableWorkingFolderStoresFullPaths() {
    FormFixture f;
    test::ScriptedPrompts prompts;
    const fs::path gone = f.folder.Path() / "gone";
    fs::create_directories(gone);
    fs::current_path(gone);
    fs::remove(gone);
    const QString inside = QString::fromStdString((gone / "a.wav").string());
    prompts.fileAnswers.push_back({true, {inside}, {}});
    f.form.Click("browseButton");
    QCOMPARE(f.form.Items("waveList"), QStringList({inside}));
  }

  void browseKeepsMoreNamesThanAFixedBufferHolds() {
    FormFixture f;
    test::ScriptedPrompts prompts;
    const QString here = QString::fromStdString(fs::current_path().string());
    QStringList many;
    for (int i = 0; i < 60; ++i) many << here + QStringLiteral("/recording_with_a_long_name_%1.wav").arg(i);
    prompts.fileAnswers.push_back({true, many, here});
    f.form.Click("browseButton");
    QCOMPARE(f.form.List("waveList")->count(), 60);
    QCOMPARE(f.form.Items("waveList").back(), QString("recording_with_a_long_name_59.wav"));
  }

  // A comma-decimal locale changes nothing the form shows, takes or saves.
  void commaDecimalLocaleChangesNoNumber() {
    FormFixture f;
    CRuvoDoc document(f.view.HeldValues(), f.view.Calculation());
    document.SaveRunDocument("c-locale.dat");
    const std::string savedInC = test::ReadFileBytes("c-locale.dat");

    struct RestoreLocale {
      ~RestoreLocale() {
        std::setlocale(LC_ALL, "C");
        QLocale::setDefault(QLocale::c());
      }
    } restore;
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) QSKIP("the de_DE.UTF-8 locale is not installed");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    f.view.OnInitialUpdate();
    QCOMPARE(f.form.Text("wheelDiameter"), QString("29.3"));
    QCOMPARE(f.form.Text("rollingCoefficient"), QString("0.01"));
    f.form.Type("dragCoefficient", "0.33");
    test::MessageCapture messages;
    f.view.OnCalculate();
    QVERIFY(messages.Texts().empty());
    QCOMPARE(f.view.HeldValues().dragCoefficient, 0.33);
    f.form.Type("dragCoefficient", "0,5");  // the comma is no decimal separator here
    f.view.OnCalculate();
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Please enter a number."});

    f.view.HeldValues().dragCoefficient = 0.5;
    document.SaveRunDocument("comma-locale.dat");
    QCOMPARE(QString::fromStdString(test::ReadFileBytes("comma-locale.dat")), QString::fromStdString(savedInC));
  }

  // Only a hand-edited document can hold another mode; the form then checks neither button, and
  // the engine refuses the -1 that the form takes.
  void unknownModeChecksNeitherButtonAndIsRefused() {
    FormFixture f;
    f.view.HeldValues().calculationMode = 5;
    f.view.OnInitialUpdate();
    QVERIFY(!f.form.Radio("dynamometerMode")->isChecked() && !f.form.Radio("tachometerMode")->isChecked());
    f.form.Type("newWaveName", "missing.wav");
    f.form.Click("addButton");
    test::MessageCapture messages;
    f.form.Click("calculateButton");
    QCOMPARE(f.view.HeldValues().calculationMode, -1);
    QCOMPARE(messages.Texts().size(), std::size_t{1});
    QVERIFY(!f.form.Button("graphButton")->isEnabled());
    f.form.Radio("tachometerMode")->setChecked(true);
    QVERIFY(!f.form.Radio("dynamometerMode")->isChecked());  // the group is exclusive again
  }
};

}  // namespace ruvo

int RunMainFormTests(int argc, char** argv) {
  ruvo::MainFormTest suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "main_form_test.moc"
