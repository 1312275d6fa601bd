// How a stored tool command becomes a program and its arguments.
#include "desktop/tool_command.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

TEST(ToolCommand, ArgumentsFollowTheCommandLineRules) {
  const std::tuple<std::string, std::string, Arguments> cases[] = {
      {"notepad.exe", "/runs/ruvo.dat", {"notepad.exe", "/runs/ruvo.dat"}},
      {"/opt/Program Files/Viewer/view.exe -f <file>", "a.dat", {"/opt/Program Files/Viewer/view.exe", "-f", "a.dat"}},
      {"viewer <file> <file>", "x.wav", {"viewer", "x.wav", "x.wav"}},
      {"mixer <file>", "", {"mixer", "<file>"}},
      {"   lead   spaces  ", "f", {"lead", "spaces", "f"}},
      {"a b.exe c.EXE d", "", {"a b.exe c.EXE", "d"}},  // .exe first, then .EXE further on
      {"A.EXE b.exe c", "", {"A.EXE b.exe", "c"}},      // .EXE behind .exe is not jumped to
      {"My Tool.Exe x", "", {"My", "Tool.Exe", "x"}},   // other cases are not recognised
      {"prog x.exe", "", {"prog x.exe"}},               // the jump reaches any later .exe
      {"\"/opt/My Tools/view\" -f \"<file>\" a\"b c\"d",
       "my run.dat",
       {"/opt/My Tools/view", "-f", "my run.dat", "ab cd"}},                   // quotes keep blanks and go
      {"\"/opt/A B/x.exe\" \"\" \"open", "", {"/opt/A B/x.exe", "", "open"}},  // no jump; empty and unclosed
      {"    ", "f", {}}};
  for (const auto& [command, fileName, expected] : cases)
    EXPECT_EQ(ToolArguments(command, fileName), expected) << command;
}

TEST(ToolCommand, NineteenthTokenTakesTheRestOfTheLine) {
  std::string words = "w1";
  for (int i = 2; i <= 25; ++i) words += " w" + std::to_string(i);
  const Arguments many = ToolArguments(words, "file.dat");  // no room left for the file name
  ASSERT_EQ(many.size(), kMaxToolTokens);
  EXPECT_EQ(many.back(), "w19 w20 w21 w22 w23 w24 w25");
  // A placeholder inside the last token is not replaced; one before it is.
  EXPECT_EQ(ToolArguments("p a b c d e f g h i j k l m n o p q <file> r s", "F").back(), "<file> r s");
  EXPECT_EQ(ToolArguments("v <file> a b c d e f g h i j k l m n o p q r s", "F")[1], "F");
}

// A bare program name is looked up along absolute PATH folders only, never in the working folder;
// Ruvo's own programs beside the running program first.
TEST(ToolCommand, ProgramsAreFoundAlongAbsolutePathFoldersOnly) {
  test::TempFolder folder;
  const fs::path bin = folder.Path() / "bin", work = folder.Path() / "work", own = folder.Path() / "own";
  for (const fs::path& made : {bin, work, own}) fs::create_directories(made);
  for (const fs::path& program :
       {bin / "viewer", work / "planted", bin / "notexec", own / "ruvo-plot", own / "viewer", bin / "ruvo-plot"}) {
    test::WriteFileBytes(program, "#!/bin/sh\n");
    if (program.filename() != "notexec") fs::permissions(program, fs::perms::owner_all);
  }
  fs::current_path(work);
  const std::string path = bin.string();
  EXPECT_EQ(FindToolProgram("viewer", "/nonexistent:" + path, own.string()), (bin / "viewer").string());
  EXPECT_EQ(FindToolProgram("ruvo-plot", path, own.string()), (own / "ruvo-plot").string());
  EXPECT_EQ(FindToolProgram("ruvo-plot", path, work.string()), (bin / "ruvo-plot").string());
  EXPECT_EQ(FindToolProgram("planted", path, ""), "");
  EXPECT_EQ(FindToolProgram("planted", ":.:" + path, ""), "");  // empty and relative entries
  EXPECT_EQ(FindToolProgram("notexec", path, ""), "");
  EXPECT_EQ(FindToolProgram("./planted", path, ""), "./planted");
  EXPECT_EQ(ToolStartFailedMessage("mixer"), "Could not start mixer - not found or not executable");
}

// The offered command is the first whose program is installed, else the first (Ruvo's own viewer
// for tables and graphs); none of them hands a run document to ruvo itself.
TEST(ToolCommand, DefaultsAreTheFirstInstalledLinuxPrograms) {
  const auto only = [](std::string name) { return [name](const std::string& program) { return program == name; }; };
  EXPECT_EQ(DefaultToolCommand(0, only("mousepad")), "mousepad <file>");
  std::string offered;
  for (std::size_t tool = 0; tool < kTools.size(); ++tool) offered += DefaultToolCommand(tool, only("none")) + "|";
  EXPECT_EQ(offered, "ruvo-plot --table <file>|ruvo-plot <file>|audacity <file>|audacity|pavucontrol|");
  EXPECT_EQ(DefaultToolCommand(1, only("libreoffice")), "libreoffice --calc <file>");
  for (const ToolDefinition& tool : kTools)
    for (const char* command : tool.defaults)
      EXPECT_FALSE(command && SplitToolCommand(command).front() == "ruvo") << command;
}

}  // namespace
}  // namespace ruvo
