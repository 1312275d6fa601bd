#include "desktop/tool_command.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace ruvo {
namespace {

namespace fs = std::filesystem;

constexpr char kFilePlaceholder[] = "<file>";

// Index of the last character of the first occurrence of extension, or npos.
std::size_t ExtensionEnd(const std::string& command, const char* extension) {
  const std::size_t found = command.find(extension);
  return found == std::string::npos ? found : found + std::char_traits<char>::length(extension) - 1;
}

// The first word of a command, where the program is named.
std::string ProgramOf(const std::string& command) {
  return command.substr(0, command.find(' '));
}

bool IsExecutableFile(const fs::path& candidate) {
  std::error_code error;
  return fs::is_regular_file(candidate, error) && access(candidate.c_str(), X_OK) == 0;
}

}  // namespace

std::string DefaultToolCommand(std::size_t tool, const std::function<bool(const std::string& program)>& installed) {
  if (tool >= kTools.size()) return {};
  const auto& defaults = kTools[tool].defaults;
  for (const char* command : defaults)
    if (command && installed(ProgramOf(command))) return command;
  return defaults.front();
}

std::vector<std::string> SplitToolCommand(const std::string& command) {
  std::vector<std::string> tokens;
  std::string token;
  bool inToken = false, quoted = false;
  for (std::size_t i = 0; i < command.size(); ++i) {
    const char c = command[i];
    if (!inToken) {
      if (c == ' ') continue;
      if (tokens.size() + 1 == kMaxToolTokens) {
        tokens.push_back(command.substr(i));
        return tokens;
      }
      inToken = true;
      if (tokens.empty() && c != '"') {
        std::size_t end = i;
        for (const char* extension : {".exe", ".EXE"}) {
          const std::size_t found = ExtensionEnd(command, extension);
          if (found != std::string::npos && found > end) end = found;
        }
        if (end > i) {
          token = command.substr(i, end - i + 1);
          i = end;
          continue;
        }
      }
    }
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ' ' && !quoted) {
      tokens.push_back(std::move(token));
      token.clear();
      inToken = false;
    } else {
      token += c;
    }
  }
  if (inToken) tokens.push_back(std::move(token));
  return tokens;
}

std::vector<std::string> ToolArguments(const std::string& command, const std::string& fileName) {
  std::vector<std::string> arguments = SplitToolCommand(command);
  if (fileName.empty() || arguments.empty()) return arguments;  // no program: nothing to give a file
  bool replaced = false;
  for (std::string& argument : arguments) {
    if (argument == kFilePlaceholder) {
      argument = fileName;
      replaced = true;
    }
  }
  if (!replaced && arguments.size() < kMaxToolTokens) arguments.push_back(fileName);
  return arguments;
}

bool IsRuvoProgram(const std::string& program) {
  return program == "ruvo" || program.starts_with("ruvo-");
}

std::string FindToolProgram(const std::string& program, const std::string& searchPath, const std::string& ownFolder) {
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) return program;
  if (IsRuvoProgram(program) && fs::path(ownFolder).is_absolute() && IsExecutableFile(fs::path(ownFolder) / program))
    return (fs::path(ownFolder) / program).string();
  std::size_t begin = 0;
  while (begin <= searchPath.size()) {
    std::size_t end = searchPath.find(':', begin);
    if (end == std::string::npos) end = searchPath.size();
    const fs::path folder(searchPath.substr(begin, end - begin));
    begin = end + 1;
    if (folder.empty() || !folder.is_absolute()) continue;
    if (IsExecutableFile(folder / program)) return (folder / program).string();
  }
  return {};
}

std::string ToolStartFailedMessage(const std::string& program) {
  return "Could not start " + program + " - not found or not executable";
}

}  // namespace ruvo
