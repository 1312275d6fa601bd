// ruvo-synth: writes a synthetic ignition recording with its known answer.
#include <iostream>
#include <string>
#include <vector>

#include "cli/synth_command_line.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argc > 0 ? argv + 1 : argv, argv + argc);
  return ruvo::RunSynthTool(args, std::cout);
}
