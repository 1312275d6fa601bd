// Start-up, the desktop registration, the window and the keyboard.
#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QToolBar>
#include <filesystem>
#include <map>

#include "application_fixture.h"
#include "ui/app_icons.h"
#include "ui/document_commands.h"
#include "ui/ruvo_doc.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using test::AppFixture;
using test::Paths;

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
