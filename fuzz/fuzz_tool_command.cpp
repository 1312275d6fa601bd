// Any stored tool command splits into at most 19 tokens; without double quotes they cover its
// non-blank text in order. The file name lands in the argument list exactly as the placeholder
// rules say.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "desktop/tool_command.h"
#include "fuzz_support.h"

namespace {

// Walks the command along the tokens: each must start at the next non-blank character, and only
// blanks may remain after the last one.
bool TokensCoverTheCommand(const std::string& command, const std::vector<std::string>& tokens) {
  std::size_t position = 0;
  for (const std::string& token : tokens) {
    position = command.find_first_not_of(' ', position);
    if (token.empty() || position == std::string::npos || command.compare(position, token.size(), token) != 0)
      return false;
    position += token.size();
  }
  return command.find_first_not_of(' ', position) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The command, then after the first line end the file name.
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t lineEnd = input.find('\n');
  const std::string command = input.substr(0, lineEnd);
  const std::string fileName = lineEnd == std::string::npos ? std::string() : input.substr(lineEnd + 1);

  const std::vector<std::string> tokens = ruvo::SplitToolCommand(command);
  ruvo::fuzz::Require(tokens.size() <= ruvo::kMaxToolTokens, "at most 19 tokens");
  const bool quoted = command.find('"') != std::string::npos;
  ruvo::fuzz::Require(quoted || TokensCoverTheCommand(command, tokens), "tokens are the command's words in order");
  const bool programMayHoldBlanks =
      command.find(".exe") != std::string::npos || command.find(".EXE") != std::string::npos;
  for (std::size_t k = 0; k < tokens.size(); ++k) {
    const bool blanksAllowed = quoted || (k == 0 && programMayHoldBlanks) || k + 1 == ruvo::kMaxToolTokens;
    ruvo::fuzz::Require(blanksAllowed || tokens[k].find(' ') == std::string::npos,
                        "only the program and the last token hold blanks");
  }

  const std::vector<std::string> arguments = ruvo::ToolArguments(command, fileName);
  if (fileName.empty() || tokens.empty()) {
    ruvo::fuzz::Require(arguments == tokens, "without a file name or a program the tokens are the arguments");
    return 0;
  }
  const auto placeholders = static_cast<std::size_t>(std::count(tokens.begin(), tokens.end(), "<file>"));
  const std::size_t appended = placeholders == 0 && tokens.size() < ruvo::kMaxToolTokens ? 1 : 0;
  ruvo::fuzz::Require(arguments.size() == tokens.size() + appended, "the file name is appended only when it fits");
  for (std::size_t k = 0; k < tokens.size(); ++k)
    ruvo::fuzz::Require(arguments[k] == (tokens[k] == "<file>" ? fileName : tokens[k]),
                        "every placeholder and nothing else is replaced");
  if (appended) ruvo::fuzz::Require(arguments.back() == fileName, "the appended argument is the file name");
  return 0;
}
