#include "cli/import_command.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "cli/cli_app.h"
#include "core/number_text.h"

namespace ruvo {
namespace {

bool ParseHz(const std::string& text, double& hz) {
  return ParseReal(text, hz) && hz > 0.0;
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
  if (name == "--from") return ParseReal(value, options.fromSeconds) && options.fromSeconds >= 0.0;
  if (name == "--to") return ParseReal(value, options.toSeconds) && options.toSeconds > 0.0;
  if (name == "--rate") return ParseInteger(value, options.rate) && options.rate > 0;
  if (name == "--highpass") {
    if (value != "off") return ParseHz(value, options.filters.highPassHz);
    options.filters.highPassHz = 0.0;
    return true;
  }
  if (name == "--lowpass") return ParseHz(value, options.filters.lowPassHz);
  const std::size_t dash = value.find('-');  // --bandpass LO-HI
  return dash != std::string::npos && ParseHz(value.substr(0, dash), options.filters.highPassHz) &&
         ParseHz(value.substr(dash + 1), options.filters.lowPassHz) &&
         options.filters.highPassHz < options.filters.lowPassHz;
}

}  // namespace

std::optional<ImportRequest> ParseImport(const std::vector<std::string>& args, std::ostream& err) {
  static const char* const kValued[] = {"--channel",  "--from",    "--to",      "--rate",
                                        "--highpass", "--lowpass", "--bandpass"};
  ImportRequest request;
  std::vector<std::string> paths;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--no-normalise") {
      request.conversion.normalise = false;
      continue;
    }
    if (arg == "--overwrite") {
      request.overwrite = true;
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
      err << "ruvo-cli: " << arg << " needs "
          << (arg == "--channel"    ? "a channel number from 1, mix or auto"
              : arg == "--bandpass" ? "two frequencies LO-HI in Hz, LO below HI"
              : arg == "--highpass" ? "a frequency in Hz above 0, or off"
                                    : "a number above 0")
          << "\n";
      return std::nullopt;
    }
    ++i;
  }
  if (paths.empty() || paths.size() > 2) {
    err << "ruvo-cli: import needs a recording and at most one output file\n";
    return std::nullopt;
  }
  request.inputPath = paths[0];
  if (paths.size() == 2) request.outputPath = paths[1];
  return request;
}

int RunImport(const ImportRequest& request, std::ostream& out) {
  ImportOptions options;
  options.conversion = request.conversion;
  std::string output = request.outputPath;
  if (output.empty()) {
    output = std::filesystem::path(request.inputPath).parent_path().string();
    options.existing = ExistingOutput::kFreeName;
  } else if (request.overwrite) {
    options.existing = ExistingOutput::kReplace;
  }
  ImportReport report;
  if (ImportRecording(request.inputPath, output, options, report) != ImportStatus::kDone)
    return kExitFailure;
  out << FormatImportReport(report);
  return kExitSuccess;
}

}  // namespace ruvo
