#include "cli/import_command.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/cli_app.h"
#include "core/file_output.h"
#include "core/message.h"
#include "core/number_text.h"
#include "core/run_document.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

// The options that only an engine-speed log takes.
constexpr const char* kLogOnly[] = {"--time-column", "--rpm-column", "--speed-column", "--speed-unit", "--time-unit"};

bool ParseHz(const std::string& text, double& hz) {
  return ParseReal(text, hz) && hz > 0.0;
}

// "LO-HI" with 0 < LO < HI.
bool ParseRange(const std::string& text, double& low, double& high) {
  const std::size_t dash = text.find('-');
  return dash != std::string::npos && ParseHz(text.substr(0, dash), low) && ParseHz(text.substr(dash + 1), high) &&
         low < high;
}

// Sets one engine-sound option from its value; false when the value does not fit the option.
bool SetEngineOption(const std::string& name, const std::string& value, ImportRequest& request) {
  EngineOrderSettings& engine = request.engine.tracker;
  if (name == "--cylinders")
    return ParseInteger(value, engine.cylinders) && engine.cylinders >= 1 && engine.cylinders <= 16;
  if (name == "--strokes") return (value == "4" || value == "2") && ParseInteger(value, engine.strokes);
  if (name == "--rpm") return request.bandGiven = ParseRange(value, engine.lowRpm, engine.highRpm);
  if (name == "--revs-per-pulse")
    return request.revsPerPulseGiven =
               ParseReal(value, request.engine.revsPerPulse) && request.engine.revsPerPulse > 0.0;
  if (name == "--document") request.documentPath = value;
  if (name == "--track-csv") request.trackCsvPath = value;
  return !value.empty();
}

// Sets one engine-speed log option from its value; false when the value does not fit the option.
bool SetLogOption(const std::string& name, const std::string& value, ImportRequest& request) {
  EngineSpeedLogOptions& log = request.log;
  request.logOnly = true;
  if (name == "--time-column") log.columns.time = value;
  if (name == "--rpm-column") log.columns.rpm = value;
  if (name == "--speed-column") log.columns.speed = value;
  if (name == "--speed-unit") {
    log.speedUnit = value == "kmh" ? RoadSpeedUnit::kKmh : value == "mph" ? RoadSpeedUnit::kMph : RoadSpeedUnit::kAuto;
    return log.speedUnit != RoadSpeedUnit::kAuto;
  }
  if (name == "--time-unit") {
    log.timeUnit = value == "s"    ? LogTimeUnit::kSeconds
                   : value == "ms" ? LogTimeUnit::kMilliseconds
                   : value == "us" ? LogTimeUnit::kMicroseconds
                                   : LogTimeUnit::kAuto;
    return log.timeUnit != LogTimeUnit::kAuto;
  }
  return !value.empty();
}

// Sets one option from its value; false when the value does not fit the option.
bool SetOption(const std::string& name, const std::string& value, ImportRequest& request) {
  ConversionOptions& options = request.conversion;
  if (name == "--channel") {
    if (value == "auto" || value == "mix") {
      options.channel.mode = value == "auto" ? ChannelChoice::Mode::kAuto : ChannelChoice::Mode::kMix;
      return true;
    }
    options.channel.mode = ChannelChoice::Mode::kNumber;
    return ParseInteger(value, options.channel.number) && options.channel.number >= 1;
  }
  if (name == "--from" || name == "--to") request.pullGiven = true;
  if (name == "--from") return ParseReal(value, options.fromSeconds) && options.fromSeconds >= 0.0;
  if (name == "--to") return ParseReal(value, options.toSeconds) && options.toSeconds > 0.0;
  if (name == "--rate") return ParseInteger(value, options.rate) && options.rate > 0;
  // A filter asked for replaces the automatic choice of the clicks' band.
  if (name == "--highpass" || name == "--lowpass" || name == "--bandpass") options.filters.automatic = false;
  if (name == "--highpass") {
    if (value != "off") return ParseHz(value, options.filters.highPassHz);
    options.filters.highPassHz = 0.0;
    return true;
  }
  if (name == "--lowpass") return ParseHz(value, options.filters.lowPassHz);
  if (name == "--bandpass") return ParseRange(value, options.filters.highPassHz, options.filters.lowPassHz);
  if (std::find(std::begin(kLogOnly), std::end(kLogOnly), name) != std::end(kLogOnly))
    return SetLogOption(name, value, request);
  return SetEngineOption(name, value, request);
}

const char* NeedsWhat(const std::string& option) {
  if (option == "--channel") return "a channel number from 1, mix or auto";
  if (option == "--bandpass") return "two frequencies LO-HI in Hz, LO below HI";
  if (option == "--rpm") return "two speeds LO-HI in rpm, LO below HI";
  if (option == "--highpass") return "a frequency in Hz above 0, or off";
  if (option == "--cylinders") return "a number of cylinders from 1 to 16";
  if (option == "--strokes") return "4 or 2";
  if (option == "--document" || option == "--track-csv") return "a file name";
  if (option == "--time-column" || option == "--rpm-column" || option == "--speed-column")
    return "a column's name or its number from 1";
  if (option == "--speed-unit") return "kmh or mph";
  if (option == "--time-unit") return "s, ms or us";
  return "a number above 0";
}

// The options that only engine sound takes, and those it does not.
constexpr const char* kEngineOnly[] = {"--cylinders", "--strokes", "--rpm", "--track-csv"};
constexpr const char* kClicksOnly[] = {"--highpass", "--lowpass", "--bandpass", "--no-normalise"};

bool ReadDocument(const std::string& path, RunParameters& params) {
  std::ifstream in(path, std::ios::binary);
  if (in && ReadRunDocument(in, params)) return true;
  ShowMessage("Could not read the run document " + path);
  return false;
}

// The band, the start of the pull and the revolutions per pulse from the run document's estimates,
// where the command line does not give them.
bool TakeDocumentEstimates(const ImportRequest& request, EngineSoundOptions& engine) {
  RunParameters params;
  if (!ReadDocument(request.documentPath, params)) return false;
  TakeDocumentEstimates(params, request.bandGiven, request.revsPerPulseGiven, engine);
  return true;
}

// How a log is read, from the command line and the run document: its gearing and tyre for a road
// speed, its Initial RPM to start the pull, and its Rev/Spark unless --revs-per-pulse gives one.
bool LogOptions(const ImportRequest& request, EngineSpeedLogOptions& log) {
  log = request.log;
  if (request.pullGiven) {
    log.fromSeconds = request.conversion.fromSeconds;
    if (request.conversion.toSeconds > 0.0) log.toSeconds = request.conversion.toSeconds;
  }
  log.revsPerPulse = request.engine.revsPerPulse;
  if (request.documentPath.empty()) return true;
  RunParameters params;
  if (!ReadDocument(request.documentPath, params)) return false;
  log.vehicle = params;
  log.startRpm = params.initialRpm;
  if (!request.revsPerPulseGiven) log.revsPerPulse = params.revsPerIgnition;
  return true;
}

// Time, speed and confidence of every tracked frame.
std::string TrackCsv(const std::vector<TrackFrame>& frames) {
  std::string text = "time_s,rpm,confidence\n";
  for (const TrackFrame& frame : frames)
    AppendText(text, "%.4f,%.1f,%.3f\n", frame.timeSeconds, frame.rpm, frame.confidence);
  return text;
}

}  // namespace

std::optional<ImportRequest> ParseImport(const std::vector<std::string>& args, std::ostream& err) {
  static const char* const kValued[] = {
      "--channel",   "--from",        "--to",         "--rate",         "--highpass",   "--lowpass",
      "--bandpass",  "--cylinders",   "--strokes",    "--rpm",          "--document",   "--revs-per-pulse",
      "--track-csv", "--time-column", "--rpm-column", "--speed-column", "--speed-unit", "--time-unit"};
  ImportRequest request;
  std::vector<std::string> paths;
  std::vector<std::string> given;
  bool engineSound = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--no-normalise" || arg == "--overwrite" || arg == "--engine-sound") {
      request.conversion.normalise = request.conversion.normalise && arg != "--no-normalise";
      request.overwrite = request.overwrite || arg == "--overwrite";
      engineSound = engineSound || arg == "--engine-sound";
      given.push_back(arg);
      continue;
    }
    if (arg.empty() || arg[0] != '-') {
      paths.push_back(arg);
      continue;
    }
    if (std::find(std::begin(kValued), std::end(kValued), arg) == std::end(kValued)) {
      err << "ruvo-cli: unknown option " << arg << "\n";
      return std::nullopt;
    }
    if (i + 1 >= args.size() || !SetOption(arg, args[i + 1], request)) {
      err << "ruvo-cli: " << arg << " needs " << NeedsWhat(arg) << "\n";
      return std::nullopt;
    }
    given.push_back(arg);
    ++i;
  }
  if (paths.empty() || paths.size() > 2) {
    err << "ruvo-cli: import needs a recording and at most one output file\n";
    return std::nullopt;
  }
  for (const std::string& option : given) {
    const bool engineOnly = std::find(std::begin(kEngineOnly), std::end(kEngineOnly), option) != std::end(kEngineOnly);
    const bool clicksOnly = std::find(std::begin(kClicksOnly), std::end(kClicksOnly), option) != std::end(kClicksOnly);
    if (engineOnly && !engineSound) {
      err << "ruvo-cli: " << option << " needs --engine-sound\n";
      return std::nullopt;
    }
    if (clicksOnly && engineSound) {
      err << "ruvo-cli: " << option << " does not apply to --engine-sound\n";
      return std::nullopt;
    }
    const bool audioOnly = clicksOnly || option == "--channel" || option == "--rate";
    if ((audioOnly || option == "--engine-sound") && request.logOnly) {
      err << "ruvo-cli: " << option << " does not apply to an engine-speed log\n";
      return std::nullopt;
    }
    if (audioOnly && request.audioOption.empty()) request.audioOption = option;
  }
  if (!request.log.columns.speed.empty() && std::find(given.begin(), given.end(), "--document") == given.end()) {
    err << "ruvo-cli: --speed-column needs --document RUN.dat for the gearing and tyre\n";
    return std::nullopt;
  }
  if (engineSound && std::find(given.begin(), given.end(), "--cylinders") == given.end()) {
    err << "ruvo-cli: --engine-sound needs --cylinders N\n";
    return std::nullopt;
  }
  request.engineSound = engineSound;
  request.inputPath = paths[0];
  if (paths.size() == 2) request.outputPath = paths[1];
  return request;
}

int RunImport(const ImportRequest& request, std::ostream& out) {
  ImportOptions options;
  options.conversion = request.conversion;
  if (request.engineSound) {
    options.engineSound = request.engine;
    if (!request.documentPath.empty() && !TakeDocumentEstimates(request, *options.engineSound)) return kExitFailure;
    if (!request.trackCsvPath.empty() && !request.overwrite && std::filesystem::exists(request.trackCsvPath)) {
      ShowMessage("Could not write " + request.trackCsvPath + ": a file of that name exists");
      return kExitFailure;
    }
  } else {
    // Said at once rather than dropped: the input's bytes, not its name, make it a log.
    if (!request.audioOption.empty() && IsTextFile(request.inputPath)) {
      ShowMessage("ruvo-cli: " + request.audioOption + " does not apply to an engine-speed log, which " +
                  request.inputPath + " is");
      return kExitUsage;
    }
    if (!LogOptions(request, options.engineSpeedLog)) return kExitFailure;
    // Options that only a log takes say that the input is one, whatever its bytes.
    options.expectLog = request.logOnly || !request.documentPath.empty() || request.revsPerPulseGiven;
  }
  std::string output = request.outputPath;
  if (output.empty()) {
    output = std::filesystem::path(request.inputPath).parent_path().string();
    options.existing = ExistingOutput::kFreeName;
  } else if (request.overwrite) {
    options.existing = ExistingOutput::kReplace;
  }
  ImportReport report;
  if (!ShowMessages(ImportRecording(request.inputPath, output, options, report))) return kExitFailure;
  if (report.engineSpeedLog) {
    out << FormatLogImport(report.inputPath, report.outputPath, report.sampleCount, options.engineSpeedLog,
                           *report.engineSpeedLog);
    return kExitSuccess;
  }
  if (!report.engineSound) {
    out << FormatImportReport(report);
    return kExitSuccess;
  }
  out << FormatEngineSoundImport(report, *options.engineSound);
  if (request.trackCsvPath.empty()) return kExitSuccess;
  const std::string csv = TrackCsv(report.engineSound->track.frames);
  const std::vector<std::uint8_t> bytes(csv.begin(), csv.end());
  std::string reason;
  const bool written = request.overwrite ? WriteFileAtomically(request.trackCsvPath, bytes, reason)
                                         : WriteNewFile(request.trackCsvPath, bytes, reason) == NewFileStatus::kWritten;
  if (written) return kExitSuccess;
  ShowMessage("Could not write " + request.trackCsvPath + ": " +
              (reason.empty() ? std::string("a file of that name exists") : reason));
  return kExitFailure;
}

}  // namespace ruvo
