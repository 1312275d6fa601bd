#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "synth/synth_options.h"

namespace ruvo {

// What one ruvo-synth command line asks for.
struct SynthCommand {
  bool help = false;
  std::string outFolder;       // --out, required unless help
  std::string name = "synth";  // --name: base name of the files
  std::string torqueCsv;       // --torque-csv; empty: the built-in curve
  SynthOptions options;        // every other option
};

// Parses the arguments after the program name. Each option takes its value as the next
// argument or after "=" ("--seed 7", "--seed=7"); "--help" and "-h" take none. Returns false
// with a message in error for an unknown option, a missing or malformed value, a missing --out
// or a --name that is not a plain file name. Ranges are not checked here (ValidateSynthOptions).
bool ParseSynthCommandLine(const std::vector<std::string>& args, SynthCommand& command, std::string& error);

// The --help text: usage, the files written, and every option with its unit, default and range.
std::string SynthHelpText();

// The whole tool: parses, validates, reads the torque file, simulates and writes the files,
// printing the help or a one-line summary to out and every error through ShowMessage. Returns
// the exit status: 0 success, 1 the run could not be simulated or written, 2 a usage error.
// Nothing is written unless the options are valid and the simulation succeeds.
int RunSynthTool(const std::vector<std::string>& args, std::ostream& out);

}  // namespace ruvo
