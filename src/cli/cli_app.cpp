#include "cli/cli_app.h"

#include <filesystem>
#include <optional>

#include "calc/run_calculation.h"
#include "cli/import_command.h"
#include "cli/table_command.h"
#include "core/analysis_config.h"
#include "core/message.h"
#include "core/run_document.h"
#include "core/settings.h"
#include "ruvo_version.h"

namespace ruvo {
namespace {

constexpr const char* kUsage =
    "Usage: ruvo-cli calculate DOC.dat [--config FILE] [--no-save] [--strict]\n"
    "       ruvo-cli import IN [OUT.wav] [--channel N|mix|auto] [--from S] [--to S] [--rate HZ]\n"
    "                       [--highpass HZ|off] [--lowpass HZ] [--bandpass LO-HI] [--no-normalise]\n"
    "                       [--overwrite]\n"
    "       ruvo-cli import IN [OUT.wav] --engine-sound --cylinders N [--strokes 4|2] [--rpm LO-HI]\n"
    "                       [--document RUN.dat] [--revs-per-pulse R] [--track-csv FILE]\n"
    "                       [--channel N|mix|auto] [--from S] [--to S] [--rate HZ] [--overwrite]\n"
    "       ruvo-cli import LOG [OUT.wav] [--time-column NAME|N] [--rpm-column NAME|N]\n"
    "                       [--speed-column NAME|N [--speed-unit kmh|mph] --document RUN.dat]\n"
    "                       [--time-unit s|ms|us] [--from S] [--to S] [--revs-per-pulse R]\n"
    "                       [--document RUN.dat] [--overwrite]\n"
    "       ruvo-cli table DOC.dat [--csv] [--correction STANDARD [--temperature C] [--pressure HPA]\n"
    "                       [--humidity PCT] [--altitude M]]\n"
    "       ruvo-cli --help | --version\n"
    "\n"
    "calculate   open the run document DOC.dat, analyse its wave files and compute its results.\n"
    "            The document's folder becomes the working directory: relative wave paths and\n"
    "            ruvo.cfg are found there and ruvo.log is written there. On success the two summary\n"
    "            lines are printed and the document is saved with its result table. What the checks\n"
    "            of the evidence find follows the messages, one \"warning: \" or \"note: \" line each;\n"
    "            after a failure, \"note: \" lines say what the recordings show of its likely cause.\n"
    "--config FILE   read the pulse detection settings from FILE instead of ruvo.cfg\n"
    "--no-save       leave the document untouched\n"
    "--strict        treat a warning as a failure: exit 3 and leave the document untouched\n"
    "\n"
    "import      convert the recording IN (WAV, AIFF, FLAC, Ogg Vorbis, Opus, MP3, M4A/AAC) into the\n"
    "            8-bit mono WAV the calculation reads: OUT.wav, or beside IN the first free name of\n"
    "            NAME.wav, NAME-8bit.wav, NAME-8bit-2.wav, ... An existing file is never replaced.\n"
    "--channel N|mix|auto   channel N (from 1), the mix of all, or the one with the stronger clicks\n"
    "                       (auto, the default)\n"
    "--from S, --to S       keep only the stretch from S to S seconds\n"
    "--rate HZ              samples per second of the result (default: the recording's, lowered\n"
    "                       only when the wave file could not hold it)\n"
    "                       Without a filter option the band where the clicks stand out most is\n"
    "                       found (spectral kurtosis) and band-passed, or, where none does, a\n"
    "                       400 Hz high-pass is used; where the clicks still barely clear the\n"
    "                       noise, their matched-filter envelope along the click train is written;\n"
    "                       the choice is printed (\"conditioning: ...\").\n"
    "--highpass HZ|off      high-pass against hum and drift, with a short fade-in; off alone: no filter\n"
    "--lowpass HZ           low-pass against hiss and static (with the 400 Hz high-pass)\n"
    "--bandpass LO-HI       high-pass at LO and low-pass at HI\n"
    "--no-normalise         keep the level instead of bringing the peak to 120 steps from the middle\n"
    "--overwrite            replace an existing OUT.wav (and FILE of --track-csv)\n"
    "--engine-sound         IN holds the sound of the engine (a phone in the cabin or at the exhaust),\n"
    "                       not ignition clicks: its firing frequency is tracked and the pull written\n"
    "                       as a pulse track, one pulse every R revolutions, for the calculation\n"
    "--cylinders N          the engine's cylinders (1 to 16); --strokes 4 (default) or 2\n"
    "--rpm LO-HI            engine speeds searched (default 600-9000, or the document's)\n"
    "--document RUN.dat     take the band from RUN.dat's Initial and Final RPM widened by 25 %,\n"
    "                       start the pull at its Initial RPM and take R from its Revs/Ignition\n"
    "--revs-per-pulse R     revolutions between pulses (default 1, or the document's Rev/Spark)\n"
    "--track-csv FILE       write time, rpm and confidence of every analysis frame to FILE\n"
    "\n"
    "            A LOG of engine speed against time (an OBD-II adapter's, an ECU logger's or a GPS\n"
    "            meter's delimited text, recognised by its content) is written as the same pulse track:\n"
    "            the columns, the pull, the update rate and the jitter are printed.\n"
    "--time-column, --rpm-column, --speed-column NAME|N   the columns by header name or number from\n"
    "                       1 (default: found by their names; engine speed before road speed)\n"
    "--speed-unit kmh|mph   the road speed's unit when its header does not say\n"
    "--time-unit s|ms|us    the unit of a time column of plain numbers (default: from the header or\n"
    "                       the values; clock times, ISO date-times and epoch milliseconds are read)\n"
    "--from S, --to S       the pull, in seconds from the log's first row (default: the longest rise)\n"
    "--document RUN.dat     its gearing and tyre turn road speed into engine speed; the pull starts at\n"
    "                       its Initial RPM and R is its Revs/Ignition\n"
    "\n"
    "table       print the result table saved in DOC.dat as comma-separated values with a header row\n"
    "--correction STANDARD  power and torque corrected to standard air: sae-j1349, sae-j1349-1990,\n"
    "                       din-70020 or eec-80-1269, from the document's conditions; the standard\n"
    "                       and factor follow \"note: \" on standard error\n"
    "--temperature C, --pressure HPA, --humidity PCT   the air's temperature (degrees Celsius),\n"
    "                       station pressure and relative humidity, in place of the document's\n"
    "--altitude M           the pressure is at sea level, as weather services give it; M metres up\n"
    "\n"
    "Exit status: 0 success, 1 the calculation or a file failed, 2 the command line was not understood,\n"
    "3 warnings with --strict.\n";

struct CalculateRequest {
  std::string documentPath;
  std::optional<std::string> configPath;
  bool save = true;
  bool strict = false;
};

// Restores the previous message handler when the command ends.
class MessagesTo {
 public:
  explicit MessagesTo(std::ostream& err)
      : previous(SetMessageHandler([&err](const std::string& text) { err << text << '\n'; })) {}
  ~MessagesTo() { SetMessageHandler(previous); }
  MessagesTo(const MessagesTo&) = delete;
  MessagesTo& operator=(const MessagesTo&) = delete;

 private:
  MessageHandler previous;
};

// Parses the arguments after "calculate"; an empty result after a message on err.
std::optional<CalculateRequest> ParseCalculate(const std::vector<std::string>& args, std::ostream& err) {
  CalculateRequest request;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--no-save") {
      request.save = false;
    } else if (arg == "--strict") {
      request.strict = true;
    } else if (arg == "--config") {
      if (i + 1 >= args.size()) {
        err << "ruvo-cli: --config needs a file name\n";
        return std::nullopt;
      }
      request.configPath = args[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      err << "ruvo-cli: unknown option " << arg << "\n";
      return std::nullopt;
    } else if (request.documentPath.empty()) {
      request.documentPath = arg;
    } else {
      err << "ruvo-cli: only one run document can be calculated at a time\n";
      return std::nullopt;
    }
  }
  if (request.documentPath.empty()) {
    err << "ruvo-cli: calculate needs a run document (.dat)\n";
    return std::nullopt;
  }
  return request;
}

int Calculate(const CalculateRequest& request, std::ostream& out, std::ostream& err) {
  MessagesTo messages(err);
  std::error_code error;  // a working directory that is gone leaves relative paths relative
  const std::filesystem::path working = std::filesystem::current_path(error);

  RunParameters params;
  AnalysisConfig config;
  RunCalculation calculation(params, config);
  RunDocument document(params, working.string(), &calculation);
  if (!ShowMessages(document.OpenRunDocument(request.documentPath))) return kExitFailure;
  // A configuration named on the command line is relative to where the command was given; the
  // default one lies beside the document.
  config =
      ReadAnalysisConfig(request.configPath ? (working / *request.configPath).string()
                                            : (std::filesystem::path(document.Folder()) / kConfigFileName).string());

  if (!ShowMessages(calculation.Calculate(document.Folder()))) {
    // The diagnosis of the failure, after its messages.
    for (const RunFinding& finding : calculation.Findings()) err << FindingLine(finding) << '\n';
    return kExitFailure;
  }
  out << calculation.Results().summaryLine1 << '\n' << calculation.Results().summaryLine2 << '\n';
  bool warned = false;
  for (const RunFinding& finding : calculation.Findings()) {
    err << FindingLine(finding) << '\n';
    warned = warned || finding.severity == FindingSeverity::kWarning;
  }
  if (warned && request.strict) return kExitWarnings;
  if (request.save && !ShowMessages(document.SaveToCurrentPath())) return kExitFailure;
  return kExitSuccess;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << kUsage;
    return kExitUsage;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    out << kUsage;
    return kExitSuccess;
  }
  if (args[0] == "--version") {
    out << "ruvo-cli " << kRuvoVersion << '\n';
    return kExitSuccess;
  }
  if (args[0] == "import") {
    const std::optional<ImportRequest> request = ParseImport(args, err);
    if (!request) return kExitUsage;
    MessagesTo messages(err);
    return RunImport(*request, out);
  }
  if (args[0] == "table") return RunTableCommand(args, out, err);
  if (args[0] != "calculate") {
    err << "ruvo-cli: unknown command or option " << args[0] << "\n" << kUsage;
    return kExitUsage;
  }
  const std::optional<CalculateRequest> request = ParseCalculate(args, err);
  if (!request) return kExitUsage;
  return Calculate(*request, out, err);
}

}  // namespace ruvo
