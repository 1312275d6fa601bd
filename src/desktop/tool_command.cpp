#include "desktop/tool_command.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace ruvo {
namespace {

constexpr char kFilePlaceholder[] = "<file>";

// Index of the last character of the first occurrence of extension, or npos.
std::size_t ExtensionEnd(const std::string& command, const char* extension) {
  const std::size_t found = command.find(extension);
  return found == std::string::npos ? found : found + std::char_traits<char>::length(extension) - 1;
}

}  // namespace

std::vector<std::string> SplitToolCommand(const std::string& command) {
  std::vector<std::string> tokens;
  std::size_t start = 0;
  bool inToken = false;
  for (std::size_t i = 0; i < command.size(); ++i) {
    if (command[i] == ' ') {
      if (inToken) tokens.push_back(command.substr(start, i - start));
      inToken = false;
      continue;
    }
    if (inToken) continue;
    start = i;
    inToken = true;
    if (tokens.size() + 1 == kMaxToolTokens) {
      tokens.push_back(command.substr(start));
      return tokens;
    }
    if (tokens.empty()) {
      for (const char* extension : {".exe", ".EXE"}) {
        const std::size_t end = ExtensionEnd(command, extension);
        if (end != std::string::npos && end > i) i = end;
      }
    }
  }
  if (inToken) tokens.push_back(command.substr(start));
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

std::string FindToolProgram(const std::string& program, const std::string& searchPath) {
  namespace fs = std::filesystem;
  if (program.empty()) return {};
  if (program.find('/') != std::string::npos) return program;
  std::size_t begin = 0;
  while (begin <= searchPath.size()) {
    std::size_t end = searchPath.find(':', begin);
    if (end == std::string::npos) end = searchPath.size();
    const fs::path folder(searchPath.substr(begin, end - begin));
    begin = end + 1;
    if (folder.empty() || !folder.is_absolute()) continue;
    const fs::path candidate = folder / program;
    std::error_code error;
    if (fs::is_regular_file(candidate, error) && access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

}  // namespace ruvo
