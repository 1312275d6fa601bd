// Start-up, the File commands, the recent-file list and the desktop registration.
#include <QAction>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "core/run_document.h"
#include "form_probe.h"
#include "scripted_prompts.h"
#include "support/test_support.h"
#include "ui/desktop_settings.h"
#include "ui/main_frame.h"
#include "ui/ruvo_app.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui_suites.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

// An application over a settings file and a data folder of its own.
struct AppFixture {
  AppFixture() : settings(QString::fromStdString(folder.File("settings.ini"))) { fs::current_path(folder.Path()); }
  CRuvoApp& Start(const QStringList& arguments = {}) {
    app.reset();
    app = std::make_unique<CRuvoApp>(settings, DataHome(), QStringLiteral("/opt/ruvo tools/bin/ruvo"));
    started = app->InitInstance(arguments);
    return *app;
  }
  // Writes a run document holding the initial values with description, weight and one wave file.
  std::string WriteDocument(const fs::path& name, const std::string& description, double weight) {
    const fs::path path = folder.Path() / name;
    fs::create_directories(path.parent_path());
    RunParameters params;
    params.description = description;
    params.vehicleWeight = weight;
    params.waveFiles = {"take1.wav"};
    std::ofstream out(path, std::ios::binary);
    WriteRunDocument(out, params);
    return path.string();
  }
  Paths Recent() const {
    Paths paths;
    for (int k = 1; k <= kRecentFileCount; ++k) paths.push_back(settings.Read(kRecentFileSection, RecentFileKey(k)));
    return paths;
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
  // A first start: a new document under the version caption, About shows the version too, and
  // the desktop learns the document type. At the next start files already there are left alone,
  // and a document named on the command line that cannot be opened ends the start-up.
  void firstStartShowsANewDocumentAndRegistersTheDocumentType() {
    AppFixture f;
    test::MessageCapture messages;
    CRuvoApp& app = f.Start();
    QVERIFY(f.started && app.Frame().isVisible() && messages.Texts().empty() && app.Document().FileName().empty());
    QCOMPARE(f.Caption(), QString("Tammel Ruvo, v2.0"));
    // The toolbar's Calculate stays usable while the form's button is off.
    QVERIFY(!f.Form().Button("calculateButton")->isEnabled() && app.Frame().Commands().calculate->isEnabled());
    test::ScriptedPrompts prompts;
    QString about;
    prompts.onModal = [&](QDialog& dialog) {
      about = dialog.windowTitle() + "|" + dialog.findChild<QLabel*>("versionText")->text();
      test::FormProbe(dialog).Click("okButton");
    };
    app.Frame().Commands().about->trigger();
    QCOMPARE(about, QString("About Ruvo|Tammel Ruvo Version 2.0"));

    const fs::path data = f.DataHome().toStdString(), entryPath = data / "applications" / "ruvo.desktop";
    const std::string entry = test::ReadFileBytes(entryPath);
    QVERIFY(entry.find("Exec=\"/opt/ruvo tools/bin/ruvo\" %f\n") != std::string::npos &&
            entry.find("MimeType=application/x-ruvo-data;\n") != std::string::npos);
    const std::string mime = test::ReadFileBytes(data / "mime" / "packages" / "ruvo-data.xml");
    QVERIFY(mime.find("<glob pattern=\"*.dat\"/>") != std::string::npos &&
            mime.find("<comment>Ruvo Data</comment>") != std::string::npos);
    test::WriteFileBytes(entryPath, "edited by the user");
    f.Start({"missing.dat"});
    QVERIFY(!f.started);
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Not able to open - missing.dat"});
    QCOMPARE(test::ReadFileBytes(entryPath), std::string("edited by the user"));
  }

  // The previous run's last document wins over the one named on the command line, and ruvo.cfg
  // is then read from its folder. Ctrl+N asks nothing and keeps every held value, the list and
  // the path; the boxes show the held values again. Printing is not offered.
  void lastDocumentIsReopenedAndCtrlNKeepsItsValues() {
    AppFixture f;
    const std::string last = f.WriteDocument("runs/a.dat", "from A", 3000);
    const std::string named = f.WriteDocument("other/b.dat", "from B", 2000);
    test::WriteFileBytes(f.folder.Path() / "runs" / "ruvo.cfg", "2\n9\n0.01\n1.5\n2.5\n");
    f.settings.Write(kRecentFileSection, RecentFileKey(1), last);
    CRuvoApp& app = f.Start({QString::fromStdString(named)});
    QVERIFY(f.started && app.View().Configuration().trimLevel == 9);
    QCOMPARE(f.Caption() + "|" + f.Form().Texts({"description", "vehicleWeight"}), QString("a.dat - Ruvo|from A|3000"));

    app.Frame().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&app.Frame()));
    f.Form().Type("vehicleWeight", "3333");
    test::MessageCapture messages;
    test::ScriptedPrompts prompts;
    prompts.onModal = [](QDialog& dialog) { QFAIL(qPrintable("unexpected dialog " + dialog.windowTitle())); };
    QTest::keyClick(&app.Frame(), Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(f.Caption() + "|" + f.Form().Texts({"vehicleWeight", "description"}),
             QString("Untitled - Ruvo|3000|from A"));
    QCOMPARE(f.Form().Items("waveList"), QStringList({"take1.wav"}));
    QCOMPARE(app.Document().DocumentPath(), last);
    QTest::keyClick(&app.Frame(), Qt::Key_P, Qt::ControlModifier);
    QVERIFY(messages.Texts().empty() && prompts.fileRequests.empty());
    app.ExitInstance();
    QCOMPARE(f.Recent(), (Paths{last, named, "", ""}));
  }

  // Open, Save As, Save (which asks for no name: no answer is left), a dropped document, and a recent entry that no
  // longer opens, which then leaves the list.
  void fileCommandsKeepTheRecentList() {
    AppFixture f;
    CRuvoApp& app = f.Start();
    test::ScriptedPrompts prompts;
    const std::string a = f.WriteDocument("a.dat", "A run", 2500), c = f.folder.File("c");
    prompts.fileAnswers = {{true, {QString::fromStdString(a)}, {}}, {true, {QString::fromStdString(c)}, {}}};
    app.Frame().Commands().open->trigger();
    QCOMPARE(f.Caption() + "|" + f.Form().Text("vehicleWeight"), QString("a.dat - Ruvo|2500"));
    app.Frame().Commands().saveAs->trigger();
    QCOMPARE(f.Caption(), QString("c.dat - Ruvo"));
    QVERIFY(
        test::ReadFileBytes(c + ".dat").starts_with("# Tammel Ruvo v2.0 : A run\n# Vehicle Weight   : 2500.000000\n"));
    app.View().HeldValues().description = "saved again";
    app.Frame().Commands().save->trigger();
    QVERIFY(test::ReadFileBytes(c + ".dat").starts_with("# Tammel Ruvo v2.0 : saved again\n"));

    const std::string dropped = f.WriteDocument("dropped.dat", "dropped", 2700);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&app.Frame(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&app.Frame(), &drop);
    QCOMPARE(f.Caption() + "|" + f.Form().Text("vehicleWeight"), QString("dropped.dat - Ruvo|2700"));

    fs::remove(a);
    test::MessageCapture messages;
    emit app.Frame().recentFileChosen(2);  // the list is dropped, c, a
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Not able to open - " + a});
    app.ExitInstance();
    QCOMPARE(f.Recent(), (Paths{dropped, c + ".dat", "", ""}));
  }
};

RUVO_UI_SUITE("Application", ApplicationTest);

}  // namespace ruvo

#include "application_test.moc"
