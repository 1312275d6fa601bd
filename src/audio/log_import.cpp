#include "audio/log_import.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr std::size_t kSniffedBytes = 64 * 1024;  // read at a time: audio files fail in the first

const char* DelimiterName(char delimiter) {
  return delimiter == '\t' ? "tab" : delimiter == ';' ? "semicolon" : "comma";
}

}  // namespace

bool IsTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string piece(kSniffedBytes, '\0');
  std::size_t total = 0;
  while (in) {
    in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    const auto count = static_cast<std::size_t>(in.gcount());
    if (!LooksLikeText(std::string_view(piece).substr(0, count))) return false;
    total += count;
  }
  return total > 0;
}

bool ReadLogFile(const std::string& path, std::string& text, std::string& error) {
  std::error_code failure;
  const std::uintmax_t bytes = std::filesystem::file_size(path, failure);
  if (!failure && bytes > kLargestLogBytes) {
    error = FormatText("a log larger than %zu MB is not read", kLargestLogBytes >> 20);
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  text.assign(failure ? 0 : static_cast<std::size_t>(bytes), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (failure || !in) {
    error = "could not read it";
    return false;
  }
  return true;
}

bool ConvertLogFile(const std::string& path,
                    const EngineSpeedLogOptions& options,
                    std::vector<std::uint8_t>& samples,
                    EngineSpeedLogImport& done,
                    WaveOrigin& origin,
                    std::string& error) {
  std::string text;
  if (!ReadLogFile(path, text, error)) return false;
  PulseTrack track;
  if (!ConvertEngineSpeedLog(text, options, done.log, track, error)) return false;
  samples = std::move(track.samples);
  done.sampleRate = track.sampleRate;
  done.pulseCount = track.pulseCount;
  origin.comment = EngineSpeedLogOrigin(options, done.log, track.sampleRate);
  return true;
}

std::string FormatLogImport(const std::string& inputPath,
                            const std::string& outputPath,
                            std::size_t sampleCount,
                            const EngineSpeedLogOptions& options,
                            const EngineSpeedLogImport& done) {
  const EngineSpeedLog& log = done.log;
  const LogTable& table = log.table;
  const LogColumns& columns = log.columns;
  std::string text = FormatText("Read %s: engine-speed log, %zu rows under the header on line %d, %s-separated%s\n",
                                inputPath.c_str(), table.rows.size(), table.headerLine, DelimiterName(table.delimiter),
                                table.decimalComma ? ", decimal comma" : "");
  text += FormatText("Time: column %zu \"%s\", %s\n", columns.time + 1, table.names[columns.time].c_str(),
                     log.timeForm.c_str());
  if (columns.rpm)
    text += FormatText("Engine speed: column %zu \"%s\"\n", *columns.rpm + 1, table.names[*columns.rpm].c_str());
  else
    text += FormatText(
        "Road speed: column %zu \"%s\" in %s, turned into engine speed by the run document's gearing "
        "and tyre\n",
        *columns.speed + 1, table.names[*columns.speed].c_str(),
        columns.speedUnit == RoadSpeedUnit::kMph ? "mph" : "km/h");
  const std::vector<TrackFrame>& frames = log.frames;
  text += FormatText("Pull: %.3f to %.3f s, %.0f to %.0f rpm\n", frames[log.span.firstFrame].timeSeconds,
                     frames[log.span.lastFrame].timeSeconds, log.span.startRpm, log.span.peakRpm);
  text += FormatText("Updates: %zu in the log, %.1f a second in the pull, timestamp jitter %.1f ms\n",
                     log.updates.seconds.size(), log.pull.updateRateHz, log.pull.jitterMs);
  for (const std::string& warning : log.warnings) text += "warning: " + warning + "\n";
  text += FormatText("Wrote %s: 8-bit mono PCM, %d Hz, %zu samples, %d pulses, one every %g revolutions\n",
                     outputPath.c_str(), done.sampleRate, sampleCount, done.pulseCount, options.revsPerPulse);
  text += FormatText("Set Rev/Spark to %g in the run document that lists it\n", options.revsPerPulse);
  return text;
}

}  // namespace ruvo
