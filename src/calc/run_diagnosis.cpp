#include "calc/run_diagnosis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "analysis/recording_levels.h"
#include "core/run_modes.h"
#include "core/text_format.h"
#include "core/units.h"

namespace ruvo {
namespace {

// Normal noise over a second of samples peaks at about 7 times its median deviation; clicks must
// stand well above that for the scans to tell them apart.
constexpr double kLeastClickToNoise = 14.0;
constexpr double kFewestPulseSamples = 2.0;  // below this the scan's windows shrink to nothing
constexpr std::size_t kSpeedSpan = 5;        // pulse intervals in the median of one engine speed
constexpr std::size_t kTailIntervals = 3;    // a last pulse this close to the end ends the recording
constexpr double kFinalShortfall = 0.15;     // share of Initial-to-Final RPM a run may end short
constexpr std::size_t kIdleIntervals = 6;    // first pulse intervals checked for the idle
constexpr double kIdleSpread = 0.01;         // their largest departure from the median, share
constexpr double kInitialAboveIdle = 1.1;    // Initial RPM this far over the idle starts past it
constexpr double kHigherHighPass = 2.0;      // factor on a high-pass frequency that let hum through

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// The text of the field "NAME: ..." of an origin comment, empty when it has none. Fields are
// joined by "; ", the first follows "ACTION by Ruvo: ".
std::string FieldOf(const std::string& comment, const std::string& name) {
  const std::string key = name + ": ";
  for (std::size_t at = comment.find(key); at != std::string::npos; at = comment.find(key, at + 1)) {
    if (at >= 2 && comment.compare(at - 2, 2, "; ") != 0 && comment.compare(at - 2, 2, ": ") != 0) continue;
    const std::size_t start = at + key.size();
    return comment.substr(start, std::min(comment.find("; ", start), comment.size()) - start);
  }
  return {};
}

struct Subject {
  const RecordingEvidence& evidence;
  std::int32_t index;
  std::string name;  // the wave file's name, without its folder
  double rate;
  std::string file;  // what the import command names
};

RunFinding Note(const Subject& subject, const std::string& text) {
  return {FindingSeverity::kNote, subject.name + ": " + text, subject.index, -1.0, {}};
}

// The counted pulses whose start is known.
std::size_t CountedStarts(const DetectedPulses& pulses) {
  return std::min(static_cast<std::size_t>(std::max(pulses.pulseCount, 0)), pulses.starts.size());
}

// Engine speeds over the counted pulses: each the median of kSpeedSpan intervals (rpm).
std::vector<double> PulseSpeeds(const Subject& subject, double revsPerSpark) {
  const DetectedPulses& pulses = subject.evidence.detection.pulses;
  const std::size_t count = CountedStarts(pulses);
  std::vector<double> intervals;
  for (std::size_t k = 1; k < count; ++k)
    intervals.push_back(static_cast<double>(pulses.starts[k] - pulses.starts[k - 1]));
  std::vector<double> speeds;
  for (std::size_t k = 0; k + kSpeedSpan <= intervals.size(); ++k) {
    const double interval = Median({intervals.begin() + static_cast<std::ptrdiff_t>(k),
                                    intervals.begin() + static_cast<std::ptrdiff_t>(k + kSpeedSpan)});
    if (interval > 0.0) speeds.push_back(kSecondsPerMinute * revsPerSpark * subject.rate / interval);
  }
  return speeds;
}

std::string ClickRemedy(const Subject& subject, const ImportConditioning& conditioning) {
  if (conditioning.envelope)
    return "the import's filter matched to the clicks was applied already; record closer to the ignition lead";
  if (conditioning.bandPass) return "the import's band-pass was applied already; record closer to the ignition lead";
  if (conditioning.automatic)
    return "the import's automatic band-pass found no band to keep; record closer to the ignition lead";
  return "re-import with the automatic band-pass: ruvo-cli import " + subject.file;
}

// Returns whether the clicks are too weak to trust the pulses found.
bool CheckClicks(const Subject& subject, const ImportConditioning& conditioning, std::vector<RunFinding>& findings) {
  const PulseEvidence& detection = subject.evidence.detection;
  const double noise = std::max(detection.levels.noiseLevel, kSmallestNoiseSteps);
  // The initial scan's pulses carry its plateau, not their peaks; without later ones, the loudest
  // click is the measure.
  const auto first = static_cast<std::size_t>(std::max(detection.initialScan.pulseCount, 0));
  const auto count = static_cast<std::size_t>(std::max(detection.pulses.pulseCount, 0));
  const bool tracked = count > first && count <= detection.pulses.peakLevels.size();
  const double peak = tracked ? Median({detection.pulses.peakLevels.begin() + static_cast<std::ptrdiff_t>(first),
                                        detection.pulses.peakLevels.begin() + static_cast<std::ptrdiff_t>(count)})
                              : static_cast<double>(detection.amplitude);
  const double ratio = peak / noise;
  if (!(ratio < kLeastClickToNoise)) return false;
  findings.push_back(Note(subject, FormatText(tracked ? "the spark peaks stand only %.1f times above the median noise "
                                                        "level of %.1f steps - "
                                                      : "the loudest click stands only %.1f times above the median "
                                                        "noise level of %.1f steps - ",
                                              ratio, detection.levels.noiseLevel) +
                                       ClickRemedy(subject, conditioning)));
  return true;
}

void CheckWander(const Subject& subject, const ImportConditioning& conditioning, std::vector<RunFinding>& findings) {
  const double wander = subject.evidence.detection.levels.wanderLevel;
  if (!(HumWander(subject.evidence.detection, conditioning) > kMostWanderSteps)) return;
  if (conditioning.highPass && conditioning.highPassHz > 0.0)
    findings.push_back(Note(subject, FormatText("the mean level wanders by %.1f steps (hum or DC drift) even after the "
                                                "import's %.0f Hz high-pass - re-import with a higher one: ruvo-cli "
                                                "import %s --highpass %.0f",
                                                wander, conditioning.highPassHz, subject.file.c_str(),
                                                kHigherHighPass * conditioning.highPassHz)));
  else
    findings.push_back(Note(subject, FormatText("the mean level wanders by %.1f steps (hum or DC drift) - re-import "
                                                "with the high-pass filter: ruvo-cli import %s",
                                                wander, subject.file.c_str())));
}

// The final scan looks for each pulse within a margin of one pulse length, in whole samples.
void CheckSampleRate(const Subject& subject, const RunParameters& params, std::vector<RunFinding>& findings) {
  if (params.finalRpm <= 0) return;
  const double sparkSamples = kSecondsPerMinute * params.revsPerIgnition * subject.rate / params.finalRpm;
  const double pulseSamples = sparkSamples * params.maxPulseLength * kPercent;
  if (!(pulseSamples < kFewestPulseSamples)) return;
  findings.push_back(Note(
      subject, FormatText("at %d Hz a pulse lasts only %.1f samples at Final RPM (%g %% of "
                          "%.0f samples between sparks), too few to follow the sparks - record "
                          "at a higher sample rate",
                          subject.evidence.detection.sampleRate, pulseSamples, params.maxPulseLength, sparkSamples)));
}

// Whether the pulses reach Final RPM, and when not, whether the recording or the sparks ended.
void CheckEnd(const Subject& subject, const RunParameters& params, std::vector<RunFinding>& findings) {
  const std::vector<double> speeds = PulseSpeeds(subject, params.revsPerIgnition);
  if (speeds.empty()) return;
  const double top = *std::max_element(speeds.begin(), speeds.end());
  if (!(top < params.finalRpm - kFinalShortfall * (params.finalRpm - params.initialRpm))) return;
  const PulseEvidence& detection = subject.evidence.detection;
  const std::size_t last = CountedStarts(detection.pulses) - 1;
  const double lastInterval = static_cast<double>(detection.pulses.starts[last] - detection.pulses.starts[last - 1]);
  const double lastSeconds = detection.pulses.starts[last] / subject.rate;
  const double seconds = detection.sampleCount / subject.rate;
  if (detection.sampleCount - detection.pulses.starts[last] <= static_cast<double>(kTailIntervals) * lastInterval) {
    findings.push_back(Note(subject, FormatText("the recording ends at %.2f s with the engine at %.0f rpm, short of "
                                                "Final RPM %d - it is shorter than the run; record up to Final RPM, "
                                                "or lower Final RPM",
                                                seconds, speeds.back(), params.finalRpm)));
    return;
  }
  RunFinding finding = Note(subject, FormatText("the pulses end at %.3f s with the engine at %.0f rpm, %.2f s before "
                                                "the recording ends - the sparks were lost there; check the "
                                                "recording there",
                                                lastSeconds, speeds.back(), seconds - lastSeconds));
  finding.timeSeconds = lastSeconds;
  findings.push_back(std::move(finding));
}

// At idle the first pulse intervals repeat; a run that starts there cannot be trimmed to its start.
void CheckIdle(const Subject& subject, const RunParameters& params, std::vector<RunFinding>& findings) {
  const DetectedPulses& pulses = subject.evidence.detection.pulses;
  if (CountedStarts(pulses) <= kIdleIntervals) return;
  std::vector<double> intervals;
  for (std::size_t k = 1; k <= kIdleIntervals; ++k)
    intervals.push_back(static_cast<double>(pulses.starts[k] - pulses.starts[k - 1]));
  const double typical = Median(intervals);
  if (!(typical > 0.0)) return;
  for (const double interval : intervals)
    if (!(std::fabs(interval - typical) <= kIdleSpread * typical)) return;
  const double idleRpm = kSecondsPerMinute * params.revsPerIgnition * subject.rate / typical;
  if (!(idleRpm < 0.5 * (params.initialRpm + params.finalRpm)) || params.initialRpm > kInitialAboveIdle * idleRpm)
    return;
  RunFinding finding = Note(subject, FormatText("the first pulses come evenly at %.0f rpm, the idle, and Initial RPM "
                                                "is %d - set Initial RPM above the idle",
                                                idleRpm, params.initialRpm));
  finding.timeSeconds = pulses.starts[0] / subject.rate;
  findings.push_back(std::move(finding));
}

}  // namespace

ImportConditioning ConditioningOf(const WaveOrigin& origin) {
  ImportConditioning conditioning;
  conditioning.source = origin.source;
  const std::string filters = FieldOf(origin.comment, "filters");
  const std::size_t highPass = filters.find("high-pass ");
  if (highPass != std::string::npos) {
    conditioning.highPass = true;
    conditioning.highPassHz = std::strtod(filters.c_str() + highPass + 10, nullptr);
    conditioning.bandPass = filters.find("low-pass") != std::string::npos;
  }
  conditioning.automatic = origin.comment.find("conditioning: automatic") != std::string::npos;
  conditioning.envelope = conditioning.automatic &&
                          FieldOf(origin.comment, "conditioning").find("matched-filter envelope") != std::string::npos;
  return conditioning;
}

ImportConditioning ReadConditioning(const std::string& wavePath) {
  const std::optional<WaveOrigin> origin = ReadWaveOrigin(wavePath);
  return origin ? ConditioningOf(*origin) : ImportConditioning{};
}

double HumWander(const PulseEvidence& detection, const ImportConditioning& conditioning) {
  const RecordingLevels& levels = detection.levels;
  if (conditioning.envelope) return 0.0;  // its mean level follows how densely the clicks come
  if (!conditioning.highPass) return levels.wanderLevel;
  return levels.wanderLevel - NoiseWander(levels.noiseLevel, detection.sampleRate);
}

std::vector<RunFinding> DiagnoseRecording(const RecordingEvidence& evidence,
                                          std::int32_t index,
                                          const RunParameters& params,
                                          const ImportConditioning& conditioning) {
  std::vector<RunFinding> findings;
  if (evidence.detection.sampleRate <= 0 || evidence.detection.sampleCount <= 0) return findings;
  const Subject subject{evidence, index, std::filesystem::path(evidence.waveFile).filename().string(),
                        static_cast<double>(evidence.detection.sampleRate),
                        conditioning.source.empty() ? evidence.waveFile : conditioning.source};
  // Clipping flattens the clicks' peaks: then their height says nothing of how weak they are.
  const bool clipped = evidence.detection.levels.clippedShare > kMostClippedShare;
  const bool weak = !clipped && CheckClicks(subject, conditioning, findings);
  CheckWander(subject, conditioning, findings);
  if (clipped)
    findings.push_back(Note(subject, FormatText("%.2f %% of the samples are clipped - lower the recording level",
                                                evidence.detection.levels.clippedShare * 100.0)));
  CheckSampleRate(subject, params, findings);
  // Pulses found on noise say nothing of where the run ends or starts.
  if (!weak && CalculationModeOf(params.calculationMode) == CalculationMode::kDynamometer) {
    CheckEnd(subject, params, findings);
    CheckIdle(subject, params, findings);
  }
  return findings;
}

std::vector<RunFinding> DiagnoseFailure(const std::vector<RecordingEvidence>& evidence, const RunParameters& params) {
  std::vector<RunFinding> findings;
  for (std::size_t r = 0; r < evidence.size(); ++r) {
    const std::vector<RunFinding> found =
        DiagnoseRecording(evidence[r], static_cast<std::int32_t>(r), params, ReadConditioning(evidence[r].wavePath));
    findings.insert(findings.end(), found.begin(), found.end());
  }
  return findings;
}

}  // namespace ruvo
