#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace ruvo {

// The five external tools: the settings key of each command line and the command the setup
// dialog offers until the user stores one.
struct ToolDefinition {
  const char* key;
  const char* defaultCommand;
};

inline constexpr std::array<ToolDefinition, 5> kTools{{
    {"EXE1", "notepad.exe"},  // table viewer
    {"EXE2", "exel.exe"},     // grapher
    {"EXE3", "cool96.exe"},   // wave editor
    {"EXE4", "cool96.exe"},   // recorder
    {"EXE5", "ctmix32.exe"},  // sound mixer
}};

inline constexpr std::size_t kMaxToolTokens = 19;

// Splits a stored command line into at most 19 tokens at single spaces (runs of spaces are one
// separator, leading ones are skipped). The program token runs on to the end of the first ".exe"
// and then of the first ".EXE" ahead of it, blanks included, so a program path with blanks works.
// The 19th token takes the rest of the line, blanks included.
std::vector<std::string> SplitToolCommand(const std::string& command);

// The argument list of a tool (the program first): the split command with every "<file>" token
// replaced by fileName, or fileName appended when none was replaced and there is room. An empty
// fileName changes nothing; a command without a program gives no arguments at all.
std::vector<std::string> ToolArguments(const std::string& command, const std::string& fileName);

// The executable a program token names: a name containing '/' as given; a bare name the first
// executable file of that name in an absolute folder of searchPath (a PATH value). Empty and
// relative entries are skipped, so the working directory, which opening a document received
// from someone else sets, can never supply the program. Empty when nothing is found.
std::string FindToolProgram(const std::string& program, const std::string& searchPath);

}  // namespace ruvo
