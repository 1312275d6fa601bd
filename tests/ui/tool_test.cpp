// The tool setup dialog, its stored commands and the launching of external programs.
#include <cstdlib>
#include <filesystem>

#include "desktop/tool_command.h"
#include "support/test_support.h"
#include "ui/desktop_settings.h"
#include "ui/ruvo_doc.h"
#include "ui/ruvo_view.h"
#include "ui/tool_launcher.h"
#include "ui/tool_setup_dlg.h"
#include "ui_support.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

// A program named tool in a bin folder that alone is PATH during the test; it writes its working
// folder and then each argument on a line of its own to args.txt there, renaming it into place
// so the test never reads half a file. The working folder is the temporary one.
struct RecorderFixture {
  RecorderFixture() {
    fs::create_directories(bin);
    test::WriteFileBytes(bin / "tool",
                         "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } > args.part\n/bin/mv args.part args.txt\n");
    fs::permissions(bin / "tool", fs::perms::owner_all);
    fs::current_path(folder.Path());
    setenv("PATH", bin.c_str(), 1);
  }
  ~RecorderFixture() { setenv("PATH", savedPath.c_str(), 1); }
  // The recorded lines, once the program has written them.
  QStringList Recorded() const {
    if (!QTest::qWaitFor([this] { return fs::exists(log); }, 10000)) return {"(the program did not run)"};
    const QStringList lines = QString::fromStdString(test::ReadFileBytes(log)).split('\n', Qt::SkipEmptyParts);
    fs::remove(log);
    return lines;
  }
  test::TempFolder folder;
  fs::path bin = folder.Path() / "bin", log = folder.Path() / "args.txt";
  std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
};

// Runs the setup dialog on settings, letting work act on it; prompts answers its file dialogs.
void RunSetup(SettingsStore& store, test::ScriptedPrompts& prompts, std::function<void(const test::FormProbe&)> work) {
  prompts.onModal = [&](QDialog& dialog) { work(test::FormProbe(dialog)); };
  CToolSetupDlg dialog(store);
  Prompts().RunModal(dialog);
}

}  // namespace

class ToolTest : public QObject {
  Q_OBJECT

 private slots:
  // Setup offers the default commands (without ruvo-plot, the installed text editor for tables) and Cancel stores
  // nothing, so every tool asks for a setup first, offering to open it; taking the offer opens the
  // setup, whose OK stores the defaults it shows. OK stores every box; Browse looks for programs
  // and fills its own box only, quoting a path with blanks; a box left empty shows the default
  // again. The store is a file: a second settings object reads the same values.
  void setupStoresWhatOkConfirmsAndToolsNeedIt() {
    RecorderFixture path;  // PATH holds only its folder
    test::WriteFileBytes(path.bin / "mousepad", "#!/bin/sh\n");
    fs::permissions(path.bin / "mousepad", fs::perms::owner_all);
    test::TempFolder folder;
    DesktopSettings settings(QString::fromStdString(folder.File("settings.ini")));
    test::ScriptedPrompts prompts;
    RunSetup(settings, prompts, [](const test::FormProbe& d) {
      RUVO_REQUIRE(d.TextsAre({{"toolCommand1", "mousepad <file>"},
                               {"toolCommand2", "ruvo-plot <file>"},
                               {"toolCommand3", "audacity <file>"},
                               {"toolCommand4", "audacity"},
                               {"toolCommand5", "pavucontrol"}}));
    });  // left open: cancelled
    int setups = 0;
    prompts.onModal = [&setups](QDialog&) { ++setups; };
    for (const ToolDefinition& tool : kTools) LaunchTool(settings, tool.key, "x.dat");
    QCOMPARE(
        prompts.actionMessages,
        QStringList(5, QString::fromUtf8("Must use Tools Setup to define action of this button|Tool Set&up\u2026")));
    QCOMPARE(setups, 0);  // OK: nothing more
    prompts.takeAction = true;
    prompts.onModal = [](QDialog& dialog) { test::FormProbe(dialog).Click("okButton"); };
    LaunchTool(settings, "EXE2", "x.dat");
    prompts.takeAction = false;
    QCOMPARE(QString::fromStdString(GetSetting(settings, "EXE2")), QString("ruvo-plot <file>"));
    QCOMPARE(QString::fromStdString(GetSetting(settings, "EXE5")), QString("pavucontrol"));

    prompts.fileAnswers.push_back({true, {"/opt/My Tools/plot"}, "/opt/My Tools"});
    RunSetup(settings, prompts, [](const test::FormProbe& d) {
      d.Fill({"toolCommand1=grapher -p <file>", "toolCommand5="});
      d.Click("browseTool2");
      d.Click("browseTool3");  // no answer left: cancelled
      d.Click("okButton");
    });
    QCOMPARE(prompts.fileRequests.at(0).first, QString("(programs)"));
    DesktopSettings reread(QString::fromStdString(folder.File("settings.ini")));
    const std::pair<const char*, const char*> stored[] = {{"EXE1", "grapher -p <file>"},
                                                          {"EXE2", "\"/opt/My Tools/plot\""},
                                                          {"EXE3", "audacity <file>"},
                                                          {"EXE4", "audacity"},
                                                          {"EXE5", ""}};
    for (const auto& [key, command] : stored)
      RUVO_REQUIRE(test::FieldIs(key, QString::fromStdString(GetSetting(reread, key)), QString(command)));
    RunSetup(settings, prompts,
             [](const test::FormProbe& d) { QCOMPARE(d.Text("toolCommand5"), QString("pavucontrol")); });
  }

  // A launch passes the argument list as it is, in the working folder; a quoted program path may
  // hold blanks; a program that cannot start is named. The form's tool commands: Tables and Graph
  // only after a success, Edit Sound on the first wave.
  void launchedProgramGetsTheArgumentListAndWorkingFolder() {
    RecorderFixture f;
    MemorySettingsStore settings;
    for (const ToolDefinition& tool : kTools) PutSetting(settings, tool.key, "tool");
    PutSetting(settings, "EXE4", "tool -f <file> 'quoted' $HOME");
    LaunchTool(settings, "EXE4", "my run.dat");
    QCOMPARE(f.Recorded(),
             QStringList({QString::fromStdString(f.folder.Path().string()), "-f", "my run.dat", "'quoted'", "$HOME"}));
    const fs::path spaced = f.folder.Path() / "my tools";
    fs::create_directories(spaced);
    fs::copy_file(f.bin / "tool", spaced / "tool");
    PutSetting(settings, "EXE4", QStringLiteral("\"%1\" \"two words\"").arg((spaced / "tool").c_str()).toStdString());
    LaunchTool(settings, "EXE4", "");
    QCOMPARE(f.Recorded().mid(1), QStringList({"two words"}));
    CRuvoDoc document;
    CRuvoView view(settings, document);

    test::MessageCapture messages;
    view.OnTables();
    view.OnGraph();
    QTest::qWait(300);
    QVERIFY(!fs::exists(f.log));  // nothing before a successful calculation
    view.OnEditSound();           // empty wave list: no file argument
    QCOMPARE(f.Recorded().size(), 1);
    document.Params().waveFiles = {"first take.wav", "second.wav"};
    view.OnEditSound();
    QCOMPARE(f.Recorded().mid(1), QStringList({"first take.wav"}));
    PutSetting(settings, "EXE5", "nosuch <file>");
    view.OnSoundMixer();
    QCOMPARE(messages.Texts(), std::vector<std::string>{"Could not start nosuch - not found or not executable"});
  }

  // A build lays its programs out as a package does: the tool setup's defaults, which look for
  // Ruvo's own programs beside the running one, find ruvo-plot beside the build's ruvo ahead of the
  // fallbacks on PATH.
  void defaultsFindRuvoPlotBesideTheBuildsRuvo() {
    test::TempFolder path;
    for (const char* fallback : {"gnome-text-editor", "libreoffice"}) {
      test::WriteFileBytes(path.Path() / fallback, "#!/bin/sh\n");
      fs::permissions(path.Path() / fallback, fs::perms::owner_all);
    }
    const std::string ruvoFolder = fs::path(RUVO_PROGRAM).parent_path().string();
    const auto installed = [&](const std::string& program) {
      return !FindToolProgram(program, path.Path().string(), ruvoFolder).empty();
    };
    QCOMPARE(QString::fromStdString(DefaultToolCommand(0, installed)), QString("ruvo-plot --table <file>"));
    QCOMPARE(QString::fromStdString(DefaultToolCommand(1, installed)), QString("ruvo-plot <file>"));
  }
};

RUVO_UI_SUITE("Tools", ToolTest);

}  // namespace ruvo

#include "tool_test.moc"
