// Start-up, the File commands, the recent-file list and the desktop registration.
#include <QAction>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "core/run_document.h"
#include "form_probe.h"
#include "scripted_prompts.h"
#include "support/test_support.h"
#include "ui/desktop_settings.h"
#include "ui/document_commands.h"
#include "ui/main_frame.h"
#include "ui/ruvo_app.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui_suites.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

constexpr char kExecutable[] = "/opt/ruvo tools/bin/ruvo";

// Writes a run document holding the initial values with description and weight.
std::string WriteDocument(const fs::path& path, const std::string& description, double weight) {
  fs::create_directories(path.parent_path());
  RunParameters params;
  params.description = description;
  params.vehicleWeight = weight;
  params.waveFiles = {"take1.wav"};
  std::ofstream out(path, std::ios::binary);
  WriteRunDocument(out, params);
  return path.string();
}

// An application over a settings file and a data folder of its own.
struct AppFixture {
  AppFixture() : settings(QString::fromStdString(folder.File("settings.ini"))) { fs::current_path(folder.Path()); }
  CRuvoApp& Start(const QStringList& arguments = {}) {
    app = std::make_unique<CRuvoApp>(settings, DataHome(), QString::fromLatin1(kExecutable));
    started = app->InitInstance(arguments);
    return *app;
  }
  QString DataHome() const { return QString::fromStdString(folder.File("data")); }
  QString Caption() const { return app->Frame().windowTitle(); }
  test::FormProbe Form() { return test::FormProbe(app->View()); }

  test::TempFolder folder;
  DesktopSettings settings;
  std::unique_ptr<CRuvoApp> app;
  bool started = false;
};

}  // namespace

class ApplicationTest : public QObject {
  Q_OBJECT

 private slots:
  void emptyStoreStartsANewDocumentUnderTheVersionCaption() {
    AppFixture f;
    test::MessageCapture messages;
    CRuvoApp& app = f.Start();
    QVERIFY(f.started);
    QVERIFY(app.Frame().isVisible());
    QCOMPARE(f.Caption(), QString("Tammel Ruvo, v2.0"));
    QCOMPARE(app.Document().FileName(), std::string());
    QCOMPARE(app.Document().DocumentPath(), std::string("ruvo.dat"));
    QCOMPARE(app.View().Configuration().trimLevel, AnalysisConfig().trimLevel);
    QVERIFY(messages.Texts().empty());
    // The toolbar's Calculate stays usable while the form's button is off.
    QVERIFY(!f.Form().Button("calculateButton")->isEnabled());
    QVERIFY(app.Frame().Commands().calculate->isEnabled());
  }

  // The previous run's last document wins over the one named on the command line, and ruvo.cfg
  // is then read from its folder.
  void lastDocumentIsReopenedWithItsConfiguration() {
    AppFixture f;
    const std::string last = WriteDocument(f.folder.Path() / "runs" / "a.dat", "from A", 3000);
    const std::string named = WriteDocument(f.folder.Path() / "other" / "b.dat", "from B", 2000);
    test::WriteFileBytes(f.folder.Path() / "runs" / "ruvo.cfg", "2\n9\n0.01\n1.5\n2.5\n");
    f.settings.Write(kRecentFileSection, "File1", last);

    CRuvoApp& app = f.Start({QString::fromStdString(named)});
    QVERIFY(f.started);
    QCOMPARE(f.Caption(), QString("a.dat - Ruvo"));
    QCOMPARE(f.Form().Text("description"), QString("from A"));
    QCOMPARE(f.Form().Text("vehicleWeight"), QString("3000"));
    QCOMPARE(fs::current_path(), f.folder.Path() / "runs");
    QCOMPARE(app.View().Configuration().trimLevel, 9);
    QCOMPARE(app.View().Configuration().noiseFactor, 1.5);

    app.ExitInstance();
    QCOMPARE(f.settings.Read(kRecentFileSection, "File1"), last);
    QCOMPARE(f.settings.Read(kRecentFileSection, "File2"), named);
  }

  void configurationFolderComesFromTheDirSetting() {
    const std::pair<std::string, int> cases[] = {{"cfg/", 9}, {"cfg", AnalysisConfig().trimLevel}};
    for (const auto& [dir, trimLevel] : cases) {
      AppFixture f;
      fs::create_directories(f.folder.Path() / "cfg");
      test::WriteFileBytes(f.folder.Path() / "cfg" / "ruvo.cfg", "0\n9\n");
      PutSetting(f.settings, "DIR", (f.folder.Path() / dir).string() + (dir.back() == '/' ? "/" : ""));
      CRuvoApp& app = f.Start();
      QCOMPARE(app.View().Configuration().trimLevel, trimLevel);
    }
  }

  void commandLineDocumentThatCannotOpenEndsStartup() {
    AppFixture f;
    test::MessageCapture messages;
    f.Start({"missing.dat"});
    QVERIFY(!f.started);
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Not able to open - missing.dat"});
  }

  void openSaveAndSaveAsKeepTheRecentList() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    const std::string a = WriteDocument(f.folder.Path() / "a.dat", "A run", 2500);
    prompts.fileAnswers.push_back({true, {QString::fromStdString(a)}, {}});
    app.Frame().Commands().open->trigger();
    QCOMPARE(f.Caption(), QString("a.dat - Ruvo"));
    QCOMPARE(f.Form().Text("vehicleWeight"), QString("2500"));
    QCOMPARE(f.Form().Items("waveList"), QStringList({"take1.wav"}));

    const fs::path c = f.folder.Path() / "copies" / "c";
    fs::create_directories(c.parent_path());
    prompts.fileAnswers.push_back({true, {QString::fromStdString(c.string())}, {}});
    app.Frame().Commands().saveAs->trigger();
    QCOMPARE(f.Caption(), QString("c.dat - Ruvo"));
    const std::string copied = test::ReadFileBytes(c.string() + ".dat");
    QVERIFY(copied.starts_with("# Tammel Ruvo v2.0 : A run\n# Vehicle Weight   : 2500.000000\n"));

    app.View().HeldValues().description = "saved again";
    app.Frame().Commands().save->trigger();
    QVERIFY(test::ReadFileBytes(c.string() + ".dat").starts_with("# Tammel Ruvo v2.0 : saved again\n"));
    QCOMPARE(prompts.fileRequests.size(), std::size_t{2});  // Save asked for no name

    for (const char* name : {"d.dat", "e.dat", "f.dat"})
      app.Commands().OpenDocumentFile(WriteDocument(f.folder.Path() / name, name, 2400));
    app.ExitInstance();
    QStringList recent;
    for (const char* key : {"File1", "File2", "File3", "File4"})
      recent << QString::fromStdString(fs::path(f.settings.Read(kRecentFileSection, key)).filename().string());
    QCOMPARE(recent, QStringList({"f.dat", "e.dat", "d.dat", "c.dat"}));
  }

  void recentEntryThatNoLongerOpensLeavesTheList() {
    AppFixture f;
    const std::string gone = WriteDocument(f.folder.Path() / "gone.dat", "gone", 2400);
    const std::string kept = WriteDocument(f.folder.Path() / "kept.dat", "kept", 2400);
    f.settings.Write(kRecentFileSection, "File1", kept);
    f.settings.Write(kRecentFileSection, "File2", gone);
    CRuvoApp& app = f.Start();
    fs::remove(gone);
    test::MessageCapture messages;
    emit app.Frame().recentFileChosen(1);
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Not able to open - " + gone});
    app.ExitInstance();
    QCOMPARE(f.settings.Read(kRecentFileSection, "File1"), kept);
    QCOMPARE(f.settings.Read(kRecentFileSection, "File2"), std::string());
  }

  // Ctrl+N asks nothing and keeps every held value, the list and the path; the boxes show the
  // held values again.
  void ctrlNStartsANewDocumentKeepingTheValues() {
    AppFixture f;
    const std::string a = WriteDocument(f.folder.Path() / "a.dat", "kept run", 2600);
    f.settings.Write(kRecentFileSection, "File1", a);
    CRuvoApp& app = f.Start();
    app.Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&app.Frame()));
    f.Form().Type("vehicleWeight", "3333");
    test::MessageCapture messages;
    test::ScriptedPrompts prompts;
    QTest::keyClick(&app.Frame(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(f.Caption(), QString("Untitled - Ruvo"));
    QCOMPARE(f.Form().Text("vehicleWeight"), QString("2600"));
    QCOMPARE(f.Form().Text("description"), QString("kept run"));
    QCOMPARE(f.Form().Items("waveList"), QStringList({"take1.wav"}));
    QCOMPARE(app.Document().DocumentPath(), a);
    QTest::keyClick(&app.Frame(), Qt::Key_P, Qt::ControlModifier);  // printing is not offered
    QVERIFY(messages.Texts().empty());
    QCOMPARE(prompts.modalCount, 0);
    QVERIFY(prompts.fileRequests.empty());
  }

  void droppedDocumentOpens() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    const std::string a = WriteDocument(f.folder.Path() / "dropped.dat", "dropped", 2700);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(a))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&app.Frame(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&app.Frame(), &drop);
    QCOMPARE(f.Caption(), QString("dropped.dat - Ruvo"));
    QCOMPARE(f.Form().Text("vehicleWeight"), QString("2700"));
  }

  void aboutBoxShowsTheVersion() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    QString title, text;
    prompts.onModal = [&](QDialog& dialog) {
      title = dialog.windowTitle();
      text = dialog.findChild<QLabel*>("versionText")->text();
      test::FormProbe(dialog).Click("okButton");
    };
    app.Frame().Commands().about->trigger();
    QCOMPARE(title + "|" + text, QString("About Ruvo|Tammel Ruvo Version 2.0"));
  }

  // The desktop learns the document type once; files already there are left alone.
  void documentTypeIsRegisteredForTheUserOnce() {
    AppFixture f;
    f.Start();
    const fs::path data = f.DataHome().toStdString();
    const std::string entry = test::ReadFileBytes(data / "applications" / "ruvo.desktop");
    QVERIFY(entry.find("Exec=\"/opt/ruvo tools/bin/ruvo\" %f\n") != std::string::npos &&
            entry.find("MimeType=application/x-ruvo-data;\n") != std::string::npos);
    const std::string mime = test::ReadFileBytes(data / "mime" / "packages" / "ruvo-data.xml");
    QVERIFY(mime.find("<glob pattern=\"*.dat\"/>") != std::string::npos &&
            mime.find("<comment>Ruvo Data</comment>") != std::string::npos);

    test::WriteFileBytes(data / "applications" / "ruvo.desktop", "edited by the user");
    f.app.reset();
    f.Start();
    QCOMPARE(test::ReadFileBytes(data / "applications" / "ruvo.desktop"), std::string("edited by the user"));
  }
};

}  // namespace ruvo

int RunApplicationTests(int argc, char** argv) {
  ruvo::ApplicationTest suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "application_test.moc"
