#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace ruvo {

// The five external tools: the settings key of each command line and the commands the setup
// dialog may offer until the user stores one, in order of preference (unused slots are null).
// None of them may hand a run document to ruvo itself, which would open it as its document again.
struct ToolDefinition {
  const char* key;
  std::array<const char*, 8> defaults;
};

inline constexpr std::array<ToolDefinition, 5> kTools{{
    // Table viewer: Ruvo's own viewer, else the text editor of whichever desktop is installed.
    {"EXE1",
     {"ruvo-plot --table <file>", "gnome-text-editor <file>", "gedit <file>", "kate <file>", "kwrite <file>",
      "mousepad <file>", "pluma <file>", "xed <file>"}},
    // Grapher: Ruvo's own viewer, else the office suite's spreadsheet, which imports the table.
    {"EXE2", {"ruvo-plot <file>", "libreoffice --calc <file>"}},
    {"EXE3", {"audacity <file>"}},  // wave editor
    {"EXE4", {"audacity"}},         // recorder
    {"EXE5", {"pavucontrol"}},      // sound mixer
}};

// The command offered for tool (0 to 4): the first default whose program installed() reports,
// otherwise the first default.
std::string DefaultToolCommand(std::size_t tool, const std::function<bool(const std::string& program)>& installed);

inline constexpr std::size_t kMaxToolTokens = 19;

// Splits a stored command line into at most 19 tokens at spaces (runs of spaces are one
// separator, leading ones are skipped). Text between double quotes belongs to its token with its
// blanks, the quotes removed, so "/opt/My Tools/view" -f "my run.dat" is three tokens; an
// unclosed quote runs to the end. An unquoted program token runs on to the end of the first
// ".exe" and then of the first ".EXE" ahead of it, blanks included, as commands stored for
// Windows programs expect. The 19th token takes the rest of the line as it stands.
std::vector<std::string> SplitToolCommand(const std::string& command);

// The argument list of a tool (the program first): the split command with every "<file>" token
// replaced by fileName, or fileName appended when none was replaced and there is room. An empty
// fileName changes nothing; a command without a program gives no arguments at all.
std::vector<std::string> ToolArguments(const std::string& command, const std::string& fileName);

// Ruvo's own programs ("ruvo" and "ruvo-..."), which are looked up beside the running program.
bool IsRuvoProgram(const std::string& program);

// The executable a program token names: a name containing '/' as given; one of Ruvo's own
// programs the executable file of that name in ownFolder (the running program's folder), if there
// is one; any other bare name the first executable file of that name in an absolute folder of
// searchPath (a PATH value). Empty and relative entries are skipped, so the working directory,
// which opening a document received from someone else sets, can never supply the program. Empty
// when nothing is found.
std::string FindToolProgram(const std::string& program, const std::string& searchPath, const std::string& ownFolder);

// What a tool command says when its program cannot be started.
std::string ToolStartFailedMessage(const std::string& program);

}  // namespace ruvo
