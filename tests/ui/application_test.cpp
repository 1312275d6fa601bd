// Start-up, the File commands, the recent-file list and the desktop registration.
#include <QAction>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "core/run_document.h"
#include "support/test_support.h"
#include "ui/desktop_settings.h"
#include "ui/main_frame.h"
#include "ui/ruvo_app.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui_support.h"

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
    std::tie(params.description, params.vehicleWeight, params.waveFiles) =
        std::tuple(description, weight, Paths{"take1.wav"});
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
    // The toolbar's Calculate stays usable while the form's button is off.
    QVERIFY(f.started && app.Frame().isVisible() && messages.Texts().empty() && app.Document().FileName().empty() &&
            app.Frame().Commands().calculate->isEnabled());
    QCOMPARE(f.Caption(), QString("Tammel Ruvo, v2.0"));
    test::ScriptedPrompts prompts;
    QString about;
    prompts.onModal = [&](QDialog& d) { about = d.windowTitle() + "|" + d.findChild<QLabel*>("versionText")->text(); };
    app.Frame().Commands().about->trigger();
    QCOMPARE(about, QString("About Ruvo|Tammel Ruvo Version 2.0"));

    const fs::path data = f.DataHome().toStdString(), entry = data / "applications" / "ruvo.desktop";
    const std::string files = test::ReadFileBytes(entry) + test::ReadFileBytes(data / "mime/packages/ruvo-data.xml");
    for (const char* line : {"Exec=\"/opt/ruvo tools/bin/ruvo\" %f\n", "MimeType=application/x-ruvo-data;\n",
                             "<glob pattern=\"*.dat\"/>", "<comment>Ruvo Data</comment>"})
      QVERIFY2(files.find(line) != std::string::npos, line);
    test::WriteFileBytes(entry, "edited by the user");
    f.Start({"missing.dat"});
    QVERIFY(!f.started);
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Not able to open - missing.dat"});
    QCOMPARE(test::ReadFileBytes(entry), std::string("edited by the user"));
  }

  // The previous run's last document wins over the one named on the command line, and ruvo.cfg
  // is then read from its folder. Ctrl+N asks nothing and keeps every held value, the list and
  // the path; the boxes show the held values again.
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
    QCOMPARE(f.Caption() + "|" + f.Form().Texts({"vehicleWeight", "description"}) + "|" + f.Form().Items("waveList")[0],
             QString("Untitled - Ruvo|3000|from A|take1.wav"));
    QCOMPARE(app.Document().DocumentPath(), last);
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
