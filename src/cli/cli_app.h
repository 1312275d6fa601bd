#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace ruvo {

// Exit statuses of ruvo-cli.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;   // the calculation or a file operation failed
inline constexpr int kExitUsage = 2;     // the command line was not understood
inline constexpr int kExitWarnings = 3;  // --strict and the checks warned

// The headless front end: "calculate DOC.dat [--config FILE] [--no-save]", "import IN [OUT.wav]
// [options]" (see ParseImport), "--help", "--version".
// Calculating does what opening the document and pressing Calculate does in the desktop: the
// document's folder becomes the working directory, ruvo.cfg is read there (or from FILE), ruvo.log
// is written there and on success the document is saved with its result table. Messages go to err
// one per line, the two summary lines to out. args excludes the program name.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace ruvo
