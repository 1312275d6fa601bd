#include "audio/engine_sound_conversion.h"

#include <algorithm>
#include <string_view>

#include "core/number_text.h"
#include "core/text_format.h"
#include "core/wave_encoding.h"

namespace ruvo {
namespace {

constexpr std::string_view kOriginStart = "Tracked by Ruvo: engine sound";

constexpr double kBandEdgeShare = 0.02;  // a track this close to an edge of the band may be cut off by it

// Warnings for a pull that rides an edge of the band: the true speed may lie beyond it.
std::vector<std::string> BandEdgeWarnings(const std::vector<TrackFrame>& frames,
                                          const PullSpan& pull,
                                          const EngineOrderSettings& settings) {
  double lowest = pull.peakRpm;
  for (std::size_t i = pull.firstFrame; i <= pull.lastFrame; ++i) lowest = std::min(lowest, frames[i].rpm);
  std::vector<std::string> warnings;
  if (pull.peakRpm >= settings.highRpm * (1.0 - kBandEdgeShare))
    warnings.push_back(FormatText("the tracked speed reaches the top of the band (%.0f rpm); the engine may turn "
                                  "faster there: widen the band",
                                  settings.highRpm));
  if (lowest <= settings.lowRpm * (1.0 + kBandEdgeShare))
    warnings.push_back(FormatText("the tracked speed reaches the bottom of the band (%.0f rpm); the engine may turn "
                                  "slower there: widen the band",
                                  settings.lowRpm));
  return warnings;
}

// The text between prefix and suffix when field is exactly prefix, text, suffix.
std::optional<std::string_view> Between(std::string_view field, std::string_view prefix, std::string_view suffix) {
  if (field.size() < prefix.size() + suffix.size() || !field.starts_with(prefix) || !field.ends_with(suffix))
    return std::nullopt;
  return field.substr(prefix.size(), field.size() - prefix.size() - suffix.size());
}

// "LOW-HIGH" between prefix and suffix.
bool ReadRange(std::string_view field, std::string_view prefix, std::string_view suffix, double& low, double& high) {
  const std::optional<std::string_view> range = Between(field, prefix, suffix);
  if (!range) return false;
  const std::size_t dash = range->find('-');
  return dash != std::string_view::npos && ParseReal(range->substr(0, dash), low) &&
         ParseReal(range->substr(dash + 1), high);
}

bool ReadReal(std::string_view field, std::string_view prefix, std::string_view suffix, double& value) {
  const std::optional<std::string_view> text = Between(field, prefix, suffix);
  return text && ParseReal(*text, value);
}

bool ReadInteger(std::string_view field, std::string_view prefix, std::string_view suffix, std::int32_t& value) {
  const std::optional<std::string_view> text = Between(field, prefix, suffix);
  return text && ParseInteger(*text, value);
}

}  // namespace

double FiringsPerRevolution(std::int32_t cylinders, std::int32_t strokes) {
  return strokes == 2 ? cylinders : cylinders / 2.0;
}

void TakeDocumentEstimates(const RunParameters& params, bool keepBand, bool keepRevsPerPulse, EngineSoundOptions& options) {
  constexpr double kBandWidening = 0.25;
  EngineOrderSettings& tracker = options.tracker;
  options.startRpm = params.initialRpm;
  tracker.expectedStartRpm = params.initialRpm;
  tracker.expectedEndRpm = params.finalRpm;
  if (!keepBand) {
    tracker.lowRpm = params.initialRpm * (1.0 - kBandWidening);
    tracker.highRpm = params.finalRpm * (1.0 + kBandWidening);
  }
  if (!keepRevsPerPulse) options.revsPerPulse = params.revsPerIgnition;
}

bool ConvertEngineSound(const DecodedAudio& audio,
                        const ConversionOptions& conversion,
                        const EngineSoundOptions& options,
                        std::vector<std::uint8_t>& samples,
                        ConversionReport& done,
                        EngineSoundReport& report,
                        std::string& error) {
  report = EngineSoundReport{};
  PreparedSound prepared;
  if (!PrepareSound(audio, conversion, false, prepared, error)) return false;
  report.track = TrackEngineOrder(prepared.sound, prepared.rate, options.tracker);
  EngineTrack& track = report.track;
  // Frame times from here on count from the start of the recording, not of the trimmed stretch.
  for (TrackFrame& frame : track.frames) frame.timeSeconds += prepared.fromSeconds;
  if (!track.ok) {
    error = track.failure;
    return false;
  }
  if (!FindPull(track.frames, options.startRpm, report.pull, error)) return false;
  const PullSpan& pull = report.pull;
  if (pull.lowConfidenceShare > kMostLostShare) {
    error = FormatText("the engine's speed was lost over %.0f %% of the pull (%.2f to %.2f s); record closer to "
                       "the engine or with less wind and road noise",
                       100.0 * pull.lowConfidenceShare, track.frames[pull.firstFrame].timeSeconds,
                       track.frames[pull.lastFrame].timeSeconds);
    return false;
  }
  PulseTrack pulses;
  if (!MakePulseTrack(track.frames, pull, options.revsPerPulse, pulses, error)) return false;
  samples = std::move(pulses.samples);
  done = {prepared.channel, prepared.fromSeconds, prepared.toSeconds, pulses.sampleRate, "none", {}, 1.0, kClickSteps};
  report.pulseCount = pulses.pulseCount;
  report.roundingRevolutions = pulses.roundingRevolutions;
  report.rateLimited = pulses.rateLimited;
  report.warnings = BandEdgeWarnings(track.frames, pull, options.tracker);
  if (pulses.rateLimited) report.warnings.push_back(PulseRoundingWarning(pulses, pull.peakRpm));
  if (pull.startsAboveStartRpm)
    report.warnings.push_back(FormatText("the recording starts above the Initial RPM of %.0f: the pull is taken "
                                         "from its first moment",
                                         options.startRpm));
  return true;
}

std::string EngineSoundOrigin(const EngineSoundOptions& options, const EngineSoundReport& report, std::int32_t rate) {
  const EngineOrderSettings& engine = options.tracker;
  const std::vector<TrackFrame>& frames = report.track.frames;
  return OriginComment(
      "Tracked",
      {"engine sound", FormatText("cylinders %d", engine.cylinders), FormatText("strokes %d", engine.strokes),
       FormatText("band %.0f-%.0f rpm", engine.lowRpm, engine.highRpm),
       FormatText("revolutions per pulse %g", options.revsPerPulse),
       FormatText("pull %.3f-%.3f s", frames[report.pull.firstFrame].timeSeconds,
                  frames[report.pull.lastFrame].timeSeconds),
       FormatText("hop %.4f s", report.track.hopSeconds), FormatText("rate %d Hz", rate)});
}

std::optional<EngineSoundOriginFields> ReadEngineSoundOrigin(const std::string& comment) {
  std::string_view rest(comment);
  if (!rest.starts_with(kOriginStart)) return std::nullopt;
  rest.remove_prefix(kOriginStart.size());
  std::vector<std::string_view> fields;
  while (rest.starts_with("; ")) {
    rest.remove_prefix(2);
    const std::size_t end = std::min(rest.find("; "), rest.size());
    fields.push_back(rest.substr(0, end));
    rest.remove_prefix(end);
  }
  EngineSoundOriginFields origin;
  EngineOrderSettings& engine = origin.tracker;
  engine.expectedStartRpm = engine.expectedEndRpm = 0.0;
  if (!rest.empty() || fields.size() != 7 || !ReadInteger(fields[0], "cylinders ", "", engine.cylinders) ||
      !ReadInteger(fields[1], "strokes ", "", engine.strokes) ||
      !ReadRange(fields[2], "band ", " rpm", engine.lowRpm, engine.highRpm) ||
      !ReadReal(fields[3], "revolutions per pulse ", "", origin.revsPerPulse) ||
      !ReadRange(fields[4], "pull ", " s", origin.pullFromSeconds, origin.pullToSeconds) ||
      !ReadReal(fields[5], "hop ", " s", origin.hopSeconds) || !ReadInteger(fields[6], "rate ", " Hz", origin.rate))
    return std::nullopt;
  return origin;
}

}  // namespace ruvo
