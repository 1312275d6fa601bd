// The tool setup dialog, its stored commands and the launching of external programs.
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "form_probe.h"
#include "scripted_prompts.h"
#include "support/test_support.h"
#include "ui/desktop_settings.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui/tool_command.h"
#include "ui/tool_launcher.h"
#include "ui/tool_setup_dlg.h"
#include "ui_suites.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

const char* const kCommandBoxes[] = {"toolCommand1", "toolCommand2", "toolCommand3", "toolCommand4", "toolCommand5"};

// A program that writes its working folder and then each argument on a line of its own to log.
void WriteRecorderScript(const fs::path& script, const fs::path& log) {
  // Written beside and then renamed, so the test never reads half a file; PATH is the test's.
  test::WriteFileBytes(script, "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"$a\"; done; } > '" + log.string() +
                                   ".part'\n/bin/mv '" + log.string() + ".part' '" + log.string() + "'\n");
  fs::permissions(script, fs::perms::owner_all);
}

QStringList LinesOf(const fs::path& file) {
  return QString::fromStdString(test::ReadFileBytes(file)).split('\n', Qt::SkipEmptyParts);
}

// A recorder program in a bin folder that alone is PATH during the test; it records to log, and
// the working folder is the temporary one.
struct RecorderFixture {
  explicit RecorderFixture(const char* program) {
    fs::create_directories(bin);
    WriteRecorderScript(bin / program, log);
    fs::current_path(folder.Path());
    setenv("PATH", bin.c_str(), 1);
  }
  ~RecorderFixture() { setenv("PATH", savedPath.c_str(), 1); }
  test::TempFolder folder;
  fs::path bin = folder.Path() / "bin", log = folder.Path() / "args.txt";
  std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
};

// Runs the setup dialog on settings, letting work act on it.
void RunSetup(SettingsStore& settings, const std::function<void(test::FormProbe&)>& work) {
  test::ScriptedPrompts prompts;
  prompts.onModal = [&](QDialog& dialog) {
    test::FormProbe probe(dialog);
    work(probe);
  };
  CToolSetupDlg dialog(settings);
  Prompts().RunModal(dialog);
}

}  // namespace

class ToolTest : public QObject {
  Q_OBJECT

 private slots:
  void setupOffersDefaultsAndToolsNeedOneConfirmation() {
    test::TempFolder folder;
    DesktopSettings settings(QString::fromStdString(folder.File("settings.ini")));
    RunSetup(settings, [](test::FormProbe& d) {
      QStringList shown;
      for (const char* box : kCommandBoxes) shown << d.Text(box);
      QCOMPARE(shown, QStringList({"notepad.exe", "exel.exe", "cool96.exe", "cool96.exe", "ctmix32.exe"}));
      d.Click("cancelButton");
    });
    QCOMPARE(GetSetting(settings, "EXE1"), std::string());  // Cancel stored nothing

    test::MessageCapture messages;
    for (const ToolDefinition& tool : kTools) LaunchTool(settings, tool.key, "x.dat");
    QCOMPARE(messages.Texts(), std::vector<std::string>(5, "Must use Tools Setup to define action of this button"));

    RunSetup(settings, [](test::FormProbe& d) {
      d.Type("toolCommand2", "grapher -p <file>");
      d.Type("toolCommand5", "");
      d.Click("okButton");
    });
    QCOMPARE(std::tuple(GetSetting(settings, "EXE1"), GetSetting(settings, "EXE2"), GetSetting(settings, "EXE5")),
             std::tuple(std::string("notepad.exe"), std::string("grapher -p <file>"), std::string()));
    // The store is a file: a second settings object reads the same values.
    DesktopSettings reread(QString::fromStdString(folder.File("settings.ini")));
    QCOMPARE(GetSetting(reread, "EXE2"), std::string("grapher -p <file>"));

    RunSetup(settings, [](test::FormProbe& d) {
      QCOMPARE(d.Text("toolCommand2"), QString("grapher -p <file>"));
      QCOMPARE(d.Text("toolCommand5"), QString("ctmix32.exe"));  // an empty stored command shows the default
      d.Click("cancelButton");
    });
  }

  void browseReplacesOnlyItsOwnBox() {
    test::TempFolder folder;
    DesktopSettings settings(QString::fromStdString(folder.File("settings.ini")));
    test::ScriptedPrompts prompts;
    prompts.fileAnswers.push_back({true, {"/usr/bin/gnuplot"}, "/usr/bin"});
    prompts.onModal = [](QDialog& dialog) {
      test::FormProbe d(dialog);
      d.Type("toolCommand1", "typed but not confirmed");
      d.Click("browseTool2");
      QCOMPARE(d.Text("toolCommand2"), QString("/usr/bin/gnuplot"));
      QCOMPARE(d.Text("toolCommand1"), QString("typed but not confirmed"));
      d.Click("browseTool3");  // no answer left: cancelled
      QCOMPARE(d.Text("toolCommand3"), QString("cool96.exe"));
      d.Click("okButton");
    };
    CToolSetupDlg dialog(settings);
    Prompts().RunModal(dialog);
    QCOMPARE(GetSetting(settings, "EXE2"), std::string("/usr/bin/gnuplot"));
    QVERIFY(!prompts.fileRequests.at(0).multiple);
  }

  // A bare program name is looked up along absolute PATH folders only, never in the working folder.
  void programsAreFoundAlongPathOnly() {
    RecorderFixture f("viewer");
    const fs::path &bin = f.bin, work = f.folder.Path() / "work";
    fs::create_directories(work);
    WriteRecorderScript(work / "planted", f.log);
    test::WriteFileBytes(bin / "notexec", "data");
    fs::current_path(work);

    QCOMPARE(FindToolProgram("viewer", "/nonexistent:" + bin.string()), (bin / "viewer").string());
    QCOMPARE(FindToolProgram("planted", bin.string()), std::string());
    QCOMPARE(FindToolProgram("planted", ":.:" + bin.string()), std::string());  // empty and relative entries
    QCOMPARE(FindToolProgram("notexec", bin.string()), std::string());
    QCOMPARE(FindToolProgram("./planted", bin.string()), std::string("./planted"));
  }

  void launchedProgramGetsTheArgumentListAndWorkingFolder() {
    RecorderFixture f("viewer");
    MemorySettingsStore settings;
    PutSetting(settings, "EXE1", "viewer -f <file> 'quoted' $HOME");

    LaunchTool(settings, "EXE1", "my run.dat");
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(f.log), 10000);
    QCOMPARE(LinesOf(f.log),
             QStringList({QString::fromStdString(f.folder.Path().string()), "-f", "my run.dat", "'quoted'", "$HOME"}));
  }

  // The form's tool commands: Tables and Graph only after a success, Edit Sound on the first wave.
  void formCommandsPassTheirFiles() {
    RecorderFixture f("tool");
    const fs::path& log = f.log;
    MemorySettingsStore settings;
    for (const ToolDefinition& tool : kTools) PutSetting(settings, tool.key, "tool");
    CRuvoView view(settings);
    CRuvoDoc document(view.HeldValues(), view.Calculation());
    view.SetDocument(document);
    view.OnInitialUpdate();

    test::MessageCapture messages;
    view.OnTables();
    view.OnGraph();
    QTest::qWait(300);
    QVERIFY(!fs::exists(log));  // nothing before a successful calculation

    view.OnEditSound();  // empty wave list: no file argument
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(log), 10000);
    QCOMPARE(LinesOf(log).size(), 1);
    fs::remove(log);

    test::FormProbe form(view);
    for (const char* name : {"first take.wav", "second.wav"}) form.Type("newWaveName", name), form.Click("addButton");
    view.OnEditSound();
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(log), 10000);
    QCOMPARE(LinesOf(log).mid(1), QStringList({"first take.wav"}));
    QVERIFY(messages.Texts().empty());
  }
};

}  // namespace ruvo

int RunToolTests(int argc, char** argv) {
  ruvo::ToolTest suite;
  return QTest::qExec(&suite, argc, argv);
}

#include "tool_test.moc"
