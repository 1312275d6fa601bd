// Start-up, the File commands and their questions, the recent-file list, drops, the window, the
// keyboard and the desktop registration.
#include <sndfile.h>

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QTableWidget>
#include <QToolBar>
#include <QUrl>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "audio/sound_files.h"
#include "core/run_document.h"
#include "core/wave_encoding.h"
#include "support/test_support.h"
#include "synth/synth_files.h"
#include "synth/synth_run.h"
#include "ui/app_icons.h"
#include "ui/desktop_settings.h"
#include "ui/document_commands.h"
#include "ui/main_frame.h"
#include "ui/ruvo_app.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui_support.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

// A dynamometer table as a calculation saves it; its best rows are at 1050 rpm.
const char kPowerTable[] =
    "Title=\"run\"\nVariables=\n  \"RPM\"    \"HP\"  \"Torque\"  \"Speed\"  \"Accel\" \"Faccel\"  \"Fdrag\"  \"Ffric\" "
    " "
    "\"Froll\"  \"Force\"\nZone T=\"run\"\n  1000    20.00   105.04 1 1 1 1 1 1 1\n  1050    55.26   110.00 1 1 1 1 1 "
    "1 1\n";

// An application over a settings file and a data folder of its own.
struct AppFixture {
  // The system's data folders are one of the fixture's own, so an installed package cannot decide
  // a result.
  AppFixture() : settings(QString::fromStdString(folder.File("settings.ini"))) {
    fs::current_path(folder.Path());
    qputenv("XDG_DATA_DIRS", QByteArray::fromStdString((folder.Path() / "system").string()));
  }
  ~AppFixture() {
    if (savedDataDirs.isNull())
      qunsetenv("XDG_DATA_DIRS");
    else
      qputenv("XDG_DATA_DIRS", savedDataDirs);
  }
  AppFixture(const AppFixture&) = delete;
  AppFixture& operator=(const AppFixture&) = delete;
  // Installs or removes a package's desktop entry in the system data folder.
  void SetPackageInstalled(bool installed) {
    const fs::path entry = folder.Path() / "system/applications/ruvo.desktop";
    fs::remove(entry);
    if (!installed) return;
    fs::create_directories(entry.parent_path());
    test::WriteFileBytes(entry, "[Desktop Entry]\nExec=ruvo %f\n");
  }
  CRuvoApp& Start(const QStringList& arguments = {}, const QString& executable = "/opt/ruvo tools/bin/ruvo") {
    app.reset();
    app = std::make_unique<CRuvoApp>(settings, DataHome(), executable);
    started = app->InitInstance(arguments);
    // The desktop registration follows the window's first painting.
    if (started && !QTest::qWaitFor([this] { return app->RegisteredWithDesktop(); })) qFatal("never registered");
    return *app;
  }
  // Writes a run document holding the initial values with description, weight, one wave file and
  // then table.
  std::string WriteDocument(const fs::path& name,
                            const std::string& description,
                            double weight,
                            const std::string& table = "") {
    const fs::path path = folder.Path() / name;
    fs::create_directories(path.parent_path());
    RunParameters params;
    std::tie(params.description, params.vehicleWeight, params.waveFiles) =
        std::tuple(description, weight, Paths{"take1.wav"});
    std::ofstream out(path, std::ios::binary);
    WriteRunDocument(out, params);
    out << table;
    return path.string();
  }
  Paths Recent() const {
    Paths paths;
    for (int k = 1; k <= kRecentFileCount; ++k) paths.push_back(settings.Read(kRecentFileSection, RecentFileKey(k)));
    return paths;
  }
  void Drop(const Paths& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths) urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&app->Frame(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&app->Frame(), &drop);
  }
  void Activate() {
    app->Frame().activateWindow();
    if (!QTest::qWaitForWindowActive(&app->Frame())) qFatal("the window did not become active");
  }
  QString DataHome() const { return QString::fromStdString(folder.File("data")); }
  std::string Entry() const { return test::ReadFileBytes(folder.Path() / "data/applications/ruvo.desktop"); }
  // The title as the window manager shows it: "[*]" becomes "*" while the form is modified.
  QString Caption() const { return app->Frame().windowHandle()->title(); }
  test::FormProbe Form() { return test::FormProbe(app->View()); }

  QByteArray savedDataDirs = qgetenv("XDG_DATA_DIRS");
  test::TempFolder folder;
  DesktopSettings settings;
  std::unique_ptr<CRuvoApp> app;
  bool started = false;
};

}  // namespace

class ApplicationTest : public QObject {
  Q_OBJECT

 private slots:
  // A first start: an untitled document, no lock indicators where none can be read (offscreen),
  // and the desktop learns the document type. The entry is written again for a moved program or
  // a launcher whose program is gone, never over the user's own. A document named on the command
  // line wins over the last one; without one the last document returns, and a missing one is
  // reported once and leaves the list. A named document that does not open ends the start-up.
  void startUpOpensTheNamedDocumentOrTheLastOne() {
    AppFixture f;
    test::MessageCapture messages;
    CRuvoApp& app = f.Start();
    // The toolbar's Calculate stays usable while the form's button is off.
    QVERIFY(f.started && app.Frame().isVisible() && messages.Texts().empty() && app.Document().FileName().empty() &&
            app.Frame().Commands().calculate->isEnabled());
    QCOMPARE(f.Caption(), QString("Untitled - Ruvo"));
    for (const char* lock : {"capsIndicator", "numIndicator", "scrollIndicator"})
      QVERIFY(app.Frame().findChild<QLabel*>(lock)->isHidden());
    // New leads the File menu and the toolbar (before Open). Every window without an icon of its
    // own, a message box or a file dialog, shows the application's.
    const FrameCommands& commands = app.Frame().Commands();
    const QList<QAction*> tools = app.Frame().findChild<QToolBar*>("toolBar")->actions();
    QCOMPARE(app.Frame().menuBar()->actions().front()->menu()->actions().front(), commands.newDocument);
    QCOMPARE(tools.mid(0, 2), QList<QAction*>({commands.newDocument, commands.open}));
    QCOMPARE(QStringList({commands.newDocument->text(), commands.newDocument->shortcut().toString(),
                          commands.newDocument->statusTip()}),
             QStringList({"&New", "Ctrl+N", "Create a new document"}));
    QVERIFY(!commands.newDocument->icon().isNull());
    QCOMPARE(QApplication::windowIcon().pixmap(32).toImage(), ApplicationIcon().pixmap(32).toImage());
    test::ScriptedPrompts prompts;
    std::map<QByteArray, QString> about;
    prompts.onModal = [&](QDialog& d) {
      about["title"] = d.windowTitle();
      for (const char* name : {"versionText", "buildVersionText", "licenceText"})
        about[name] = d.findChild<QLabel*>(name)->text();
    };
    app.Frame().Commands().about->trigger();
    // The build's version is the one ruvo-cli reports.
    QProcess cli;
    cli.start(RUVO_CLI_PROGRAM, {"--version"});
    QVERIFY(cli.waitForFinished(60000) && cli.exitCode() == 0);
    const QString cliVersion = QString::fromUtf8(cli.readAllStandardOutput()).trimmed().section(' ', 1);
    const std::pair<const char*, QString> aboutTexts[] = {
        {"title", "About Ruvo"},
        {"versionText", "Tammel Ruvo Version 2.0"},
        {"buildVersionText", "Build " + cliVersion},
        {"licenceText", "Free software under the GNU General Public License, version 3 or later."}};
    for (const auto& [name, text] : aboutTexts) RUVO_REQUIRE(test::FieldIs(name, about[name], text));

    const fs::path data = f.DataHome().toStdString();
    const std::string files = f.Entry() + test::ReadFileBytes(data / "mime/packages/ruvo-data.xml");
    for (const char* line :
         {"Exec=\"/opt/ruvo tools/bin/ruvo\" %f\n", "MimeType=application/x-ruvo-data;\n",
          "<match type=\"string\" offset=\"0\" value=\"# Tammel Ruvo v\"/>", "<comment>Ruvo Data</comment>"})
      QVERIFY2(files.find(line) != std::string::npos, line);
    QVERIFY(files.find("<glob") == std::string::npos);  // other programs' .dat files stay theirs
    f.Start({}, "/usr/bin/ruvo");
    QVERIFY(f.Entry().find("Exec=\"/usr/bin/ruvo\" %f\n") != std::string::npos);
    for (const auto& [entry, rewritten] : {std::pair("Exec=\"/gone/ruvo\" %f\n", true), {"Exec=/bin/sh %f\n", false}}) {
      test::WriteFileBytes(data / "applications/ruvo.desktop", entry);
      f.Start({}, "/usr/bin/ruvo");
      QCOMPARE(f.Entry() != entry, rewritten);
    }
    // An installed program leaves the registration to its package.
    fs::create_directories(f.folder.Path() / "usr/share/applications");
    test::WriteFileBytes(f.folder.Path() / "usr/share/applications/ruvo.desktop", "[Desktop Entry]\n");
    fs::remove(data / "applications/ruvo.desktop");
    f.Start({}, QString::fromStdString((f.folder.Path() / "usr/bin/ruvo").string()));
    QVERIFY(!fs::exists(data / "applications/ruvo.desktop"));

    const std::string last = f.WriteDocument("runs/a.dat", "from A", 3000);
    const std::string named = f.WriteDocument("other/b.dat", "from B", 2000);
    test::WriteFileBytes(f.folder.Path() / "other" / "ruvo.cfg", "2\n9\n0.01\n1.5\n2.5\n");
    f.settings.Write(kRecentFileSection, RecentFileKey(1), last);
    f.Start({QString::fromStdString(named)});
    QVERIFY(f.started && f.app->Document().Configuration().trimLevel == 9);  // read in the document's folder
    QCOMPARE(f.Caption(), QString("b.dat - Ruvo"));
    RUVO_REQUIRE(f.Form().TextsAre({{"description", "from B"}, {"vehicleWeight", "2000"}}));
    f.app->ExitInstance();
    fs::remove(named);
    f.Start();
    f.Start();
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Not able to open - " + named});
    QCOMPARE(f.Caption(), QString("a.dat - Ruvo"));
    RUVO_REQUIRE(f.Form().TextsAre({{"vehicleWeight", "3000"}}));
    QCOMPARE(f.Recent(), (Paths{last, "", "", ""}));

    f.Start({"missing.dat"});
    QVERIFY(!f.started);
    QCOMPARE(messages.Texts().back(), "Not able to open - missing.dat");
  }

  // A package's entry in a system data folder wins: a build tree then writes no entry of its own
  // and takes back the one it wrote before, with its MIME type and icon, whichever program runs;
  // an entry the user made stays. Without the package the build tree registers again.
  void buildTreeNeverShadowsAnInstalledPackage() {
    AppFixture f;
    const fs::path data = f.DataHome().toStdString();
    const fs::path entry = data / "applications/ruvo.desktop", mime = data / "mime/packages/ruvo-data.xml";
    const QString buildTree = "/opt/ruvo tools/bin/ruvo";
    f.Start({}, buildTree);
    const std::string ours = f.Entry(), own = "[Desktop Entry]\nExec=/bin/sh %f\n";
    QVERIFY(ours.find("X-Ruvo-Executable=") != std::string::npos && fs::exists(mime));
    const struct {
      std::string before;  // the user's entry before the start; empty: none
      bool packaged;
      QString program;
      std::string after;
      bool typeRegistered;  // the MIME type in the user's data folder
    } cases[] = {
        {ours, true, buildTree, "", false},
        {own, true, buildTree, own, false},
        {"", false, buildTree, ours, true},
        {ours, true, "/usr/bin/ruvo", "", false},
    };
    for (const auto& c : cases) {
      fs::remove(entry);
      if (!c.before.empty()) test::WriteFileBytes(entry, c.before);
      f.SetPackageInstalled(c.packaged);
      f.Start({}, c.program);
      const std::string after = fs::exists(entry) ? f.Entry() : "";
      QVERIFY2(after == c.after && fs::exists(mime) == c.typeRegistered &&
                   fs::exists(data / "icons/hicolor/64x64/apps/ruvo.png") == c.typeRegistered,
               qPrintable(QString::fromStdString(c.before) + " -> " + QString::fromStdString(after)));
    }
  }

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

  // A dropped recording that is not an 8-bit mono WAV is, once the user says it holds ignition
  // clicks, converted beside the run document after one question naming the free name it gets (a
  // 16-bit original of that name stays), and the converted file joins the list; dropped again, that
  // conversion is reused without a question; declined, the recording joins as it is and Calculate
  // offers its conversion again. An untitled document converts beside the recording and proposes to
  // be saved there.
  void droppedRecordingIsConvertedBesideTheDocument() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    QVERIFY(app.Commands().OpenDocumentFile(f.WriteDocument("runs/a.dat", "A run", 2500)));
    fs::create_directory(f.folder.Path() / "phone");
    const std::string flac = f.folder.File("phone/Voice 002.flac");
    QVERIFY(test::WriteSoundFile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2,
                                 test::ClickTrack(48000, 2, 1.0, 1, 0.5, 0.0)));
    test::WriteFileBytes(f.folder.File("runs/Voice 002.wav"), "the 16-bit original");
    f.Drop({flac});
    f.Drop({flac});
    QCOMPARE(
        prompts.questions,
        QStringList({"Voice 002.flac is not an 8-bit mono WAV. What does it hold?|Ignition clicks|Engine "
                     "sound|Keep it as it is",
                     "Convert Voice 002.flac to the 8-bit mono WAV Voice 002-8bit.wav next to the run document?"}));
    QCOMPARE(f.Form().Items("waveList"), QStringList({"take1.wav", "Voice 002-8bit.wav", "Voice 002-8bit.wav"}));
    QCOMPARE(test::ReadEightBitWave(f.folder.File("runs/Voice 002-8bit.wav"), 48000).size(), std::size_t{48000});
    QCOMPARE(test::ReadFileBytes(f.folder.File("runs/Voice 002.wav")), std::string("the 16-bit original"));

    // Declined, then offered again before a calculation: Cancel and "Calculate anyway" keep the
    // list, Convert converts it.
    const std::string take3 = f.folder.File("phone/Take 3.flac");
    fs::copy_file(flac, take3);
    prompts.yesAnswer = false;
    prompts.questions.clear();
    f.Drop({take3});
    QCOMPARE(f.Form().Items("waveList").last(), QString::fromStdString(take3));
    const QString offer =
        "Take 3.flac is not an 8-bit mono WAV, the only recording the calculation reads. Convert it "
        "first?|Convert|Calculate anyway|Cancel";
    test::MessageCapture messages;
    prompts.choiceAnswer = 2;
    app.Frame().Commands().calculate->trigger();
    prompts.choiceAnswer = 1;
    app.Frame().Commands().calculate->trigger();
    QCOMPARE(prompts.questions.mid(2), QStringList({offer, offer}));
    QCOMPARE(messages.Texts().size(), std::size_t{1});  // the calculation's own message, as without the offer
    prompts.choiceAnswer = 0;
    app.Frame().Commands().calculate->trigger();
    QCOMPARE(f.Form().Items("waveList").last(), QString("Take 3.wav"));
    QVERIFY(fs::exists(f.folder.Path() / "runs/Take 3.wav"));

    // An untitled document has no folder yet: the conversion goes beside the recording.
    prompts.saveAnswers = {SaveAnswer::Discard};
    app.Frame().Commands().newDocument->trigger();
    prompts.yesAnswer = true;
    const std::string take4 = f.folder.File("phone/Take 4.flac");
    fs::copy_file(flac, take4);
    f.Drop({take4});
    QCOMPARE(f.Form().Items("waveList"), QStringList({QString::fromStdString(f.folder.File("phone/Take 4.wav"))}));
    QCOMPARE(prompts.questions.last(),
             QString("Convert Take 4.flac to the 8-bit mono WAV Take 4.wav next to the recording?"));
    app.Frame().Commands().saveAs->trigger();  // cancelled: no answer given
    QCOMPARE(prompts.fileRequests.back().first, QString::fromStdString(f.folder.File("phone/ruvo.dat")));
  }

  // A recording of engine sound becomes a pulse track: the dialog starts from the typed Initial and
  // Final RPM widened by a quarter and Rev/Spark, and setting Rev/Spark to the pulse spacing is
  // offered when they differ. A recording the tracker cannot follow is reported and nothing is
  // written. "Track engine sound..." does the same for a listed recording, in its place.
  void engineSoundBecomesAPulseTrack() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    QVERIFY(app.Commands().OpenDocumentFile(f.WriteDocument("runs/a.dat", "A run", 2500)));
    f.Form().Fill({"initialRpm=2000", "finalRpm=6500", "revsPerIgnition=1"});
    fs::create_directory(f.folder.Path() / "phone");
    const std::string engine = f.folder.File("phone/engine.flac");
    QVERIFY(test::WriteSoundFile(engine, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1,
                                 test::EngineSweep(22050, 4, 1000.0, 7000.0, 6.0)));
    QStringList band;
    prompts.onModal = [&band](QDialog& dialog) {
      test::FormProbe probe(dialog);
      for (const char* name : {"lowRpm", "highRpm", "revsPerPulse"}) band << probe.Find<QAbstractSpinBox>(name)->text();
      probe.Find<QSpinBox>("cylinders")->setValue(4);
      probe.Find<QDoubleSpinBox>("revsPerPulse")->setValue(2.0);
      probe.Click("okButton");
    };
    prompts.choiceAnswer = 1;  // engine sound
    f.Drop({engine});
    QCOMPARE(band, QStringList({"1500 rpm", "8125 rpm", "1.00"}));
    QCOMPARE(prompts.questions,
             QStringList({"engine.flac is not an 8-bit mono WAV. What does it hold?|Ignition clicks|Engine sound|Keep "
                          "it as it is",
                          "The pulse track has one pulse every 2 revolutions. Set Rev/Spark to 2?"}));
    QCOMPARE(f.Form().Text("revsPerIgnition"), QString("2"));
    QCOMPARE(f.Form().Items("waveList").last(), QString("engine.wav"));
    const std::optional<WaveOrigin> origin = ReadWaveOrigin(f.folder.File("runs/engine.wav"));
    QVERIFY(origin && origin->comment.starts_with("Tracked by Ruvo: engine sound; cylinders 4; strokes 4; band "
                                                  "1500-8125 rpm; revolutions per pulse 2;"));

    // Silence holds no engine: the import's message, no file, the list as it was.
    const std::string quiet = f.folder.File("phone/quiet.flac");
    QVERIFY(test::WriteSoundFile(quiet, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, std::vector<float>(44100)));
    const QStringList listed = f.Form().Items("waveList");
    {
      test::MessageCapture messages;
      f.Drop({quiet});
      QCOMPARE(messages.Texts().size(), std::size_t{1});
      QVERIFY2(messages.Texts().front().find("quiet.flac") != std::string::npos, messages.Texts().front().c_str());
    }
    QCOMPARE(f.Form().Items("waveList"), listed);
    QVERIFY(!fs::exists(f.folder.Path() / "runs/quiet.wav"));

    // A band that runs downwards is refused and the dialog stays open.
    prompts.onModal = [](QDialog& dialog) {
      test::FormProbe probe(dialog);
      probe.Find<QSpinBox>("lowRpm")->setValue(5000);
      probe.Find<QSpinBox>("highRpm")->setValue(4000);
      probe.Click("okButton");
    };
    const std::string again = f.folder.File("phone/again.flac");
    fs::copy_file(engine, again);
    {
      test::MessageCapture messages;
      f.Drop({again});
      QCOMPARE(messages.Texts(), std::vector<std::string>{"The speed band must run from a lower to a higher speed."});
    }
    QCOMPARE(f.Form().Items("waveList"), listed);

    // A 16-bit WAV kept as it is, then tracked from the list: its pulse track takes its place, and
    // Rev/Spark already agrees.
    const std::string wave = f.folder.File("phone/take.wav");
    QVERIFY(test::WriteSoundFile(wave, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1,
                                 test::EngineSweep(22050, 4, 1000.0, 7000.0, 6.0)));
    prompts.choiceAnswer = 2;  // keep it as it is
    f.Drop({wave});
    QListWidget* list = f.Form().List("waveList");
    list->clearSelection();
    list->item(list->count() - 1)->setSelected(true);
    auto* track = app.View().findChild<QAction*>("trackEngineSound");
    QVERIFY(track && track->isEnabled());
    prompts.onModal = [](QDialog& dialog) {
      test::FormProbe(dialog).Find<QDoubleSpinBox>("revsPerPulse")->setValue(2.0);
      test::FormProbe(dialog).Click("okButton");
    };
    prompts.questions.clear();
    track->trigger();
    QCOMPARE(f.Form().Items("waveList"), listed + QStringList{"take.wav"});
    QVERIFY(prompts.questions.isEmpty());
    QCOMPARE(ReadWaveOrigin(f.folder.File("runs/take.wav"))->source, wave);
  }

  // An engine-speed log becomes a pulse track without the question of what the file holds: the
  // dialog shows its first rows, finds its columns by their names and draws the pull; a column
  // that gives no pull says why and keeps OK disabled; setting Rev/Spark to the pulse spacing is
  // offered; the 10-rows-a-second log then calculates within 2 % of the true peaks.
  void engineSpeedLogBecomesAPulseTrack() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    SynthOptions options;
    options.logRateHz = 10.0;
    options.logJitterMs = 3.0;
    const SynthResult run = SynthesizeRun(options);
    QVERIFY(WriteSynthFiles(run, f.folder.File("logger"), "pull"));
    RunParameters params = run.document;
    params.waveFiles.clear();
    params.revsPerIgnition = 1.0;
    fs::create_directory(f.folder.Path() / "runs");
    std::ofstream(f.folder.File("runs/a.dat")) << [&params] {
      std::ostringstream text;
      WriteRunDocument(text, params);
      return text.str();
    }();
    QVERIFY(app.Commands().OpenDocumentFile(f.folder.File("runs/a.dat")));
    QString noPull;
    prompts.onModal = [&noPull](QDialog& dialog) {
      test::FormProbe probe(dialog);
      const auto* rows = probe.Find<QTableWidget>("logRows");
      auto* speed = probe.Find<QComboBox>("speedColumn");
      const auto* pull = probe.Find<QLabel>("pullText");
      QCOMPARE(rows->rowCount(), 6);
      RUVO_REQUIRE(test::FieldIs("logRows first speed", rows->item(0, 1)->text(), QString("1000")));
      QCOMPARE(speed->currentText(), QString("2: Engine RPM (rpm)"));
      RUVO_REQUIRE(probe.EnabledAre({{"okButton", true}}));
      QCOMPARE(pull->text().section(';', 0, 0), QString("Pull: 0.315 to 5.795 s, 1020 to 5954 rpm"));
      speed->setCurrentIndex(0);  // the time as engine speed
      RUVO_REQUIRE(probe.EnabledAre({{"okButton", false}}));
      noPull = pull->text();
      speed->setCurrentIndex(1);
      probe.Find<QDoubleSpinBox>("revsPerPulse")->setValue(2.0);
      probe.Click("okButton");
    };
    f.Drop({f.folder.File("logger/pull.log.csv")});
    QVERIFY2(noPull.startsWith("No pull: "), qPrintable(noPull));
    QCOMPARE(prompts.questions,
             QStringList({"The pulse track has one pulse every 2 revolutions. Set Rev/Spark to 2?"}));
    QCOMPARE(f.Form().Text("revsPerIgnition"), QString("2"));
    QCOMPARE(f.Form().Items("waveList"), QStringList({"pull.log.wav"}));
    const std::optional<WaveOrigin> origin = ReadWaveOrigin(f.folder.File("runs/pull.log.wav"));
    QVERIFY(origin && origin->source == f.folder.File("logger/pull.log.csv"));

    app.Frame().Commands().calculate->trigger();
    QVERIFY(app.View().CalculationSucceeded());
    const auto peak = [&run](double TruthRow::*value) {
      double largest = 0.0;
      for (const TruthRow& row : run.truth) largest = std::max(largest, row.*value);
      return largest;
    };
    // "Max HP: 131.5 hp @ 6000 rpm", "Max Torque: 130.0 ft-lb @ 3550 rpm"
    const double horsepower = f.Form().Text("summaryLine1").simplified().section(' ', 2, 2).toDouble();
    const double torque = f.Form().Text("summaryLine2").simplified().section(' ', 2, 2).toDouble();
    QVERIFY2(std::abs(horsepower / peak(&TruthRow::horsepower) - 1.0) < 0.02,
             qPrintable(f.Form().Text("summaryLine1")));
    QVERIFY2(std::abs(torque / peak(&TruthRow::torqueFtLb) - 1.0) < 0.02, qPrintable(f.Form().Text("summaryLine2")));

    // A log a document lists is converted at Calculate as the form says: its pulses Rev/Spark apart.
    fs::copy_file(f.folder.File("logger/pull.log.csv"), f.folder.File("logger/listed.csv"));
    params.waveFiles = {"../logger/listed.csv"};
    params.revsPerIgnition = 2.0;
    std::ofstream(f.folder.File("runs/b.dat")) << [&params] {
      std::ostringstream text;
      WriteRunDocument(text, params);
      return text.str();
    }();
    prompts.saveAnswers = {SaveAnswer::Discard};
    QVERIFY(app.Commands().OpenDocumentFile(f.folder.File("runs/b.dat")));
    prompts.onModal = nullptr;
    prompts.choiceAnswer = 0;  // convert
    app.Frame().Commands().calculate->trigger();
    QCOMPARE(f.Form().Items("waveList"), QStringList({"listed.wav"}));
    QVERIFY(app.View().CalculationSucceeded());
    QCOMPARE(f.Form().Text("summaryLine1").simplified().section(' ', 2, 2).toDouble(), horsepower);
  }

  // The window fits the screen and scrolls the form; it keeps the size the user gives it through
  // an open and from one run to the next.
  void windowKeepsItsSizeAndScrolls() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    QVERIFY(app.Frame().screen()->availableGeometry().contains(app.Frame().frameGeometry()));
    auto* scroll = qobject_cast<QScrollArea*>(app.Frame().centralWidget());
    QVERIFY(scroll && scroll->widget() == &app.View());
    const QRect chosen(30, 40, 500, 330);  // smaller than the form
    app.Frame().setGeometry(chosen);
    f.app->Commands().OpenDocumentFile(f.WriteDocument("a.dat", "A", 2500));
    QCOMPARE(app.Frame().geometry(), chosen);
    QTRY_VERIFY(scroll->horizontalScrollBar()->maximum() > 0 && scroll->verticalScrollBar()->maximum() > 0);
    app.ExitInstance();
    QCOMPARE(f.Start().Frame().geometry(), chosen);
  }

  // Every menu and button has an Alt letter of its own; Tab reaches the checked mode and the
  // arrows move it; Enter in the new-wave-name box adds the name, Delete removes the selected
  // names, and F5 and Ctrl+R calculate (an untitled document first asks for its name).
  void keyboardReachesEveryCommand() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    QStringList letters;
    for (QAction* menu : app.Frame().menuBar()->actions()) letters << menu->text();
    for (QAbstractButton* button : app.View().findChildren<QAbstractButton*>())
      if (!button->isHidden()) letters << button->text();  // the findings' button shows only with findings
    for (QString& text : letters) text = text.section('&', 1).left(1).toLower();
    QCOMPARE(letters.size(), 4 + 8);
    QVERIFY2(!letters.contains("") && QSet<QString>(letters.begin(), letters.end()).size() == letters.size(),
             qPrintable(letters.join(',')));

    f.Activate();
    for (const char* name : {"a.wav", "b.wav"}) {
      f.Form().Type("newWaveName", name);
      QTest::keyClick(f.Form().Box("newWaveName"), Qt::Key_Return);
    }
    f.Form().List("waveList")->setFocus();
    f.Form().List("waveList")->item(0)->setSelected(true);
    QTest::keyClick(f.Form().List("waveList"), Qt::Key_Delete);
    QCOMPARE(f.Form().Items("waveList"), QStringList({"b.wav"}));

    f.Form().Find<QWidget>("calculateButton")->setFocus();  // enabled now the list has a name
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f.Form().Radio("dynamometerMode"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    RUVO_REQUIRE(f.Form().CheckedAre({{"dynamometerMode", false}, {"tachometerMode", true}}));

    test::ScriptedPrompts prompts;
    QTest::keyClick(&app.Frame(), Qt::Key_F5);
    QTest::keyClick(&app.Frame(), Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(prompts.fileRequests.size(), std::size_t{2});
  }
};

RUVO_UI_SUITE("Application", ApplicationTest);

}  // namespace ruvo

#include "application_test.moc"
