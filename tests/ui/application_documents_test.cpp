// The File commands and their questions, the recent-file list and dropped documents.
#include <QAction>
#include <QGroupBox>
#include <filesystem>

#include "application_fixture.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using test::AppFixture;
using test::Paths;

// A dynamometer table as a calculation saves it; its best rows are at 1050 rpm.
const char kPowerTable[] =
    "Title=\"run\"\nVariables=\n  \"RPM\"    \"HP\"  \"Torque\"  \"Speed\"  \"Accel\" \"Faccel\"  \"Fdrag\"  \"Ffric\" "
    " "
    "\"Froll\"  \"Force\"\nZone T=\"run\"\n  1000    20.00   105.04 1 1 1 1 1 1 1\n  1050    55.26   110.00 1 1 1 1 1 "
    "1 1\n";

}  // namespace

class ApplicationDocumentsTest : public QObject {
  Q_OBJECT

 private slots:
  // Opening shows the summary of the file's table as loaded from it, with Tables and Graph on.
  // New, Open and closing ask before typed changes are lost; New then gives the initial values
  // and no save target, so Calculate first asks for a name in the last used folder and writes
  // nothing when that is cancelled. Saving under a name in another folder moves the working
  // directory there, with the wave names still naming the same files.
  void changesAreKeptUntilTheUserLetsThemGo() {
    AppFixture f;
    const std::string a = f.WriteDocument("runs/a.dat", "A", 2500, kPowerTable);
    CRuvoApp& app = f.Start({QString::fromStdString(a)});
    RUVO_REQUIRE(f.Form().TextsAre({{"summaryLine1", "        Max HP:  55.3 hp @ 1050 rpm"},
                                    {"summaryLine2", "  Max Torque: 110.0 ft-lb @ 1050 rpm"}}));
    RUVO_REQUIRE(f.Form().EnabledAre({{"graphButton", true}, {"tablesButton", true}}));
    QCOMPARE(app.View().findChild<QGroupBox*>("resultsGroup")->title(), QString("Results (loaded from the file)"));

    test::ScriptedPrompts prompts;
    f.Form().Type("vehicleWeight", "3333");
    QCOMPARE(f.Caption(), QString("a.dat* - Ruvo"));
    f.Form().Type("vehicleWeight", "2500");
    QCOMPARE(f.Caption(), QString("a.dat - Ruvo"));
    f.Form().Type("vehicleWeight", "3333");
    app.Frame().Commands().newDocument->trigger();  // cancelled: no answer given
    app.Frame().Commands().open->trigger();
    prompts.saveAnswers = {SaveAnswer::Discard};
    app.Frame().Commands().newDocument->trigger();
    QCOMPARE(prompts.saveQuestions, QStringList({"a.dat", "a.dat", "a.dat"}));
    QVERIFY(prompts.fileRequests.empty());  // the cancelled Open showed no dialog
    QCOMPARE(f.Caption(), QString("Untitled - Ruvo"));
    RUVO_REQUIRE(f.Form().TextsAre({{"vehicleWeight", "2400"}, {"description", ""}, {"summaryLine1", ""}}));
    QCOMPARE(app.View().findChild<QGroupBox*>("resultsGroup")->title(), QString("Results"));
    QVERIFY(f.Form().Items("waveList").isEmpty());

    f.Form().Type("newWaveName", "take1.wav");
    f.Form().Click("addButton");
    f.Form().Click("calculateButton");
    const fs::path runs = f.folder.Path() / "runs";
    QCOMPARE(prompts.fileRequests.at(0).first.toStdString(), (runs / "ruvo.dat").string());
    QVERIFY(!fs::exists(runs / "ruvo.log") && !fs::exists(runs / "ruvo.dat"));

    const fs::path other = f.folder.Path() / "other";
    fs::create_directories(other);
    prompts.fileAnswers = {{true, {QString::fromStdString((other / "c").string())}, {}}};
    app.Frame().Commands().save->trigger();
    QCOMPARE(f.Caption(), QString("c.dat - Ruvo"));
    QCOMPARE(fs::current_path(), other);
    QCOMPARE(f.Form().Items("waveList"), QStringList({QString::fromStdString((runs / "take1.wav").string())}));
    QVERIFY(test::ReadFileBytes(other / "c.dat").find((runs / "take1.wav").string()) != std::string::npos);

    f.Form().Type("description", "edited");
    app.Frame().close();
    QVERIFY(app.Frame().isVisible());
    prompts.saveAnswers = {SaveAnswer::Discard};
    app.Frame().close();
    QVERIFY(!app.Frame().isVisible());
    QCOMPARE(prompts.saveQuestions.mid(3), QStringList({"c.dat", "c.dat"}));
  }

  // Open, Save As, Save (which takes the typed entries and asks for no name: no answer is left),
  // dropped files (the first run document opens, files that are no ".dat" join the wave list), and a recent entry
  // that no longer opens, which then leaves the list.
  void fileCommandsKeepTheRecentList() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    const std::string a = f.WriteDocument("a.dat", "A run", 2500), c = f.folder.File("c");
    prompts.fileAnswers = {{true, {QString::fromStdString(a)}, {}}, {true, {QString::fromStdString(c)}, {}}};
    app.Frame().Commands().open->trigger();
    QCOMPARE(f.Caption(), QString("a.dat - Ruvo"));
    RUVO_REQUIRE(f.Form().TextsAre({{"vehicleWeight", "2500"}}));
    app.Frame().Commands().saveAs->trigger();
    QCOMPARE(f.Caption(), QString("c.dat - Ruvo"));
    QVERIFY(
        test::ReadFileBytes(c + ".dat").starts_with("# Tammel Ruvo v2.0 : A run\n# Vehicle Weight   : 2500.000000\n"));
    f.Form().Type("description", "saved again");
    app.Frame().Commands().save->trigger();
    QVERIFY(test::ReadFileBytes(c + ".dat").starts_with("# Tammel Ruvo v2.0 : saved again\n"));

    const std::string dropped = f.WriteDocument("dropped.dat", "dropped", 2700);
    f.Drop({f.folder.File("x.wav"), dropped, f.folder.File("y.DAT")});
    QCOMPARE(f.Caption(), QString("dropped.dat* - Ruvo"));  // x.wav joined
    RUVO_REQUIRE(f.Form().TextsAre({{"vehicleWeight", "2700"}}));
    QCOMPARE(f.Form().Items("waveList"), QStringList({"take1.wav", "x.wav"}));

    fs::remove(a);
    test::MessageCapture messages;
    prompts.saveAnswers = {SaveAnswer::Discard};
    emit app.Frame().recentFileChosen(2);  // the list is dropped, c, a
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Not able to open - " + a});
    app.ExitInstance();
    QCOMPARE(f.Recent(), (Paths{dropped, c + ".dat", "", ""}));
  }
};

RUVO_UI_SUITE("ApplicationDocuments", ApplicationDocumentsTest);

}  // namespace ruvo

#include "application_documents_test.moc"
