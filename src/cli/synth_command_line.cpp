#include "cli/synth_command_line.h"

#include <string_view>

#include "core/message.h"
#include "core/text_format.h"
#include "synth/synth_files.h"
#include "synth/synth_run.h"

namespace ruvo {
namespace {

constexpr std::size_t kLongestName = 101;  // "NAME.wav" must fit the run document's 105 characters
constexpr int kUsageError = 2;
constexpr int kRunError = 1;

std::string CheckName(const std::string& name) {
  const bool plain = !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
  if (plain && name.size() <= kLongestName) return {};
  return FormatText("Option --name must be a plain file name without a folder, of 1 to %d characters",
                    static_cast<int>(kLongestName));
}

bool SetCommandOption(SynthCommand& command, std::string_view name, const std::string& value, std::string& error) {
  if (name == "out") {
    command.outFolder = value;
    if (!value.empty()) return true;
    error = "Option --out needs a folder";
    return false;
  }
  if (name == "name") {
    command.name = value;
    return true;
  }
  if (name == "torque-csv") {
    command.torqueCsv = value;
    return true;
  }
  return SetSynthOption(command.options, name, value, error);
}

}  // namespace

bool ParseSynthCommandLine(const std::vector<std::string>& args, SynthCommand& command, std::string& error) {
  for (std::size_t k = 0; k < args.size(); ++k) {
    const std::string& arg = args[k];
    if (arg == "--help" || arg == "-h") {
      command.help = true;
      continue;
    }
    if (arg.size() <= 2 || arg.compare(0, 2, "--") != 0) {
      error = "Unexpected argument \"" + arg + "\" (ruvo-synth --help lists the options)";
      return false;
    }
    const std::size_t equals = arg.find('=');
    const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    std::string value;
    if (equals != std::string::npos) {
      value = arg.substr(equals + 1);
    } else if (k + 1 < args.size()) {
      value = args[++k];
    } else {
      error = "Option --" + name + " needs a value";
      return false;
    }
    if (!SetCommandOption(command, name, value, error)) return false;
  }
  if (command.help) return true;
  if (command.outFolder.empty()) {
    error = "Option --out is required: the folder for the files (ruvo-synth --help for more)";
    return false;
  }
  error = CheckName(command.name);
  return error.empty();
}

std::string SynthHelpText() {
  std::string text =
      "Usage: ruvo-synth --out DIR [--name NAME] [options]\n"
      "\n"
      "Simulates a car accelerating in one gear and writes a recording of its ignition (or, with\n"
      "--sound engine, of its engine's sound) with the true answer beside it:\n"
      "  DIR/NAME.wav         8-bit (or --bits 16) mono recording of the sparks, or 16-bit (or\n"
      "                       --bits 8) of the engine firing\n"
      "  DIR/NAME.dat         run document naming the recording, ready for a calculation\n"
      "  DIR/NAME.truth.csv   rpm,torque_ftlb,hp every 50 rpm over the run\n"
      "  DIR/NAME.sparks.csv  index,time_s,revolutions,rpm of every spark, heard or missed\n"
      "  DIR/NAME.log.csv     with --log-rate: time, engine speed and road speed as a logger writes\n"
      "                       them (rounded, jittered, held), from a few rows of idle on\n"
      "The same options and seed give the same files, byte for byte.\n"
      "\n"
      "Each option takes its value as the next argument or after \"=\" (--seed 7, --seed=7).\n"
      "Sound levels are in steps of the 8-bit sample scale.\n"
      "Options marked (--sound clicks) or (--sound engine) belong to that sound: with the other\n"
      "one they must keep their defaults. Engine sound peaks at 40 steps before the recorder's\n"
      "noise, hum, static, drift, gain step and clipping, which apply to both sounds.\n"
      "\n"
      "  --out DIR                   folder for the files, created when missing (required)\n"
      "  --name NAME                 base name of the files (default synth)\n"
      "  --torque-csv FILE           engine torque at full throttle, lines of \"rpm,torque\" in ft-lb,\n"
      "                              an optional header line first (default: built-in curve with\n"
      "                              about 130 ft-lb at 4000 rpm)\n"
      "  --help                      this text\n";
  for (const SynthOptionInfo& option : ListSynthOptions()) {
    std::string details = option.help + " (";
    if (!option.unit.empty()) details += option.unit + "; ";
    details += "default " + (option.defaultValue.empty() ? std::string("empty") : option.defaultValue);
    if (!option.range.empty()) details += "; " + option.range;
    details += ")";
    text += FormatText("  --%-25s %s\n", option.name.c_str(), details.c_str());
  }
  return text;
}

int RunSynthTool(const std::vector<std::string>& args, std::ostream& out) {
  SynthCommand command;
  std::string error;
  if (!ParseSynthCommandLine(args, command, error)) {
    ShowMessage(error);
    return kUsageError;
  }
  if (command.help) {
    out << SynthHelpText();
    return 0;
  }
  if (!command.torqueCsv.empty() && !ReadTorqueCsv(command.torqueCsv, command.options.torque, error)) {
    ShowMessage(error);
    return kUsageError;
  }
  error = ValidateSynthOptions(command.options);
  if (!error.empty()) {
    ShowMessage(error);
    return kUsageError;
  }
  const SynthResult run = SynthesizeRun(command.options);
  if (!run.ok) {
    ShowMessage(run.error);
    return kRunError;
  }
  if (!ShowMessages(WriteSynthFiles(run, command.outFolder, command.name))) return kRunError;
  const double seconds = static_cast<double>(run.sampleCount) / command.options.sampleRate;
  out << FormatText("Wrote %s/%s.wav and its files: %.2f s, %d sparks, run %.3f to %.3f s\n", command.outFolder.c_str(),
                    command.name.c_str(), seconds, static_cast<int>(run.sparks.size()), run.runStartSeconds,
                    run.runEndSeconds);
  return 0;
}

}  // namespace ruvo
