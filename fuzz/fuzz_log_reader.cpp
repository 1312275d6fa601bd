// Any text read as an engine-speed log gives a pulse track that keeps its promises, or one line
// saying why not.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "tracking/log_conversion.h"

namespace {

constexpr ruvo::LogTimeUnit kTimeUnits[] = {ruvo::LogTimeUnit::kAuto, ruvo::LogTimeUnit::kSeconds,
                                            ruvo::LogTimeUnit::kMilliseconds, ruvo::LogTimeUnit::kMicroseconds};
constexpr ruvo::RoadSpeedUnit kSpeedUnits[] = {ruvo::RoadSpeedUnit::kAuto, ruvo::RoadSpeedUnit::kKmh,
                                               ruvo::RoadSpeedUnit::kMph};
constexpr double kRevsPerPulse[] = {1.0, 2.0, 0.5, 0.0};  // 0 is refused

}  // namespace

// The first byte chooses the options: time unit, speed unit, a pull from 1 to 4 s or found, and the
// revolutions per pulse; the rest is the log's text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t choice = data[0];
  ruvo::EngineSpeedLogOptions options;
  options.timeUnit = kTimeUnits[choice % 4];
  options.speedUnit = kSpeedUnits[(choice / 4) % 3];
  if (choice & 0x10) {
    options.fromSeconds = 1.0;
    options.toSeconds = 4.0;
  }
  options.revsPerPulse = kRevsPerPulse[(choice / 32) % 4];
  options.vehicle = ruvo::RunParameters{};
  options.startRpm = (choice & 0x80) ? 1500.0 : 0.0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  ruvo::EngineSpeedLog log;
  ruvo::PulseTrack track;
  std::string error;
  if (!ruvo::ConvertEngineSpeedLog(text, options, log, track, error)) {
    ruvo::fuzz::Require(!error.empty() && error.find('\n') == std::string::npos, "a refusal is one line");
    return 0;
  }
  ruvo::fuzz::Require(error.empty(), "a converted log has no error");
  ruvo::fuzz::Require(log.span.firstFrame < log.span.lastFrame && log.span.lastFrame < log.frames.size(),
                      "the pull lies within the frames");
  for (std::size_t i = 1; i < log.frames.size(); ++i) {
    ruvo::fuzz::Require(log.frames[i].timeSeconds > log.frames[i - 1].timeSeconds, "frames advance in time");
    ruvo::fuzz::Require(log.frames[i].revolutions >= log.frames[i - 1].revolutions - 1e-9, "revolutions never go back");
  }
  ruvo::fuzz::Require(track.sampleRate >= 1001 && track.sampleRate <= 99999, "a rate the wave reader takes");
  ruvo::fuzz::Require(!track.samples.empty() && track.samples.size() <= 9'999'999, "a length the wave reader takes");
  return 0;
}
