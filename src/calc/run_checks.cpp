#include "calc/run_checks.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>

#include "calc/run_diagnosis.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

// Thresholds, calibrated on the impairment sweep of the accuracy harness (scripts/accuracy).
constexpr std::int32_t kMostPulsesOnNoise = 5;  // pulses placed without a spark before it warns
constexpr double kStandsOutOfNoise = 1.5;    // a spark's peak over the largest deviation in the quiet stretch before it
constexpr double kSpeedOutlierShare = 0.25;  // interval speed this far from the fitted curve strays
constexpr std::int32_t kMostSpeedOutliers = 1;  // straying intervals before it warns
constexpr double kCoverageShortfall = 0.15;     // share of Initial-to-Final RPM a run may end short
constexpr double kIdleSeconds = 0.25;           // first stretch of the run checked for a flat speed
constexpr double kIdleRise = 0.01;              // speed change over that stretch, share, that is flat
constexpr double kMostHpPerPound = 0.5;         // beyond any road car (about 1100 hp per ton)
constexpr double kLeastPeakToNoise = 6.0;       // spark peaks over the median noise deviation

struct Recording {
  const RecordingEvidence& evidence;
  std::int32_t index;
  std::string name;
  double rate;
  bool rowsByRpm;   // dynamometer rows, reached through the fitted engine speed
  bool rowsByTime;  // tachometer rows: this recording's own pulse times
};

// The fitted engine speed at time t, interpolated between the interval midpoints (the end values
// beyond them).
double FittedRpmAt(const std::vector<SpeedSample>& speeds, double t) {
  const auto after = std::lower_bound(speeds.begin(), speeds.end(), t,
                                      [](const SpeedSample& speed, double time) { return speed.timeSeconds < time; });
  if (after == speeds.begin()) return speeds.front().fittedRpm;
  if (after == speeds.end()) return speeds.back().fittedRpm;
  const SpeedSample& low = *(after - 1);
  const double span = after->timeSeconds - low.timeSeconds;
  const double fraction = span > 0.0 ? (t - low.timeSeconds) / span : 1.0;
  return low.fittedRpm + fraction * (after->fittedRpm - low.fittedRpm);
}

// The table rows a stretch of the recording (seconds) gave; none when it gave no rows.
void AddRows(const Recording& recording, double fromSeconds, double toSeconds, std::vector<RowSpan>& rows) {
  const std::vector<SpeedSample>& speeds = recording.evidence.speeds;
  if (recording.rowsByTime) {
    rows.push_back({fromSeconds, toSeconds});
  } else if (recording.rowsByRpm && !speeds.empty()) {
    const double a = FittedRpmAt(speeds, fromSeconds), b = FittedRpmAt(speeds, toSeconds);
    rows.push_back({std::min(a, b), std::max(a, b)});
  }
}

std::vector<RowSpan> AllRows(const CalculationResults& results) {
  const std::vector<double>& first =
      results.resultMode == CalculationMode::kDynamometer ? results.rpm : results.pulseTimes;
  if (first.empty()) return {};
  return {{first.front(), first.back()}};
}

double PulseSeconds(const Recording& recording, std::int32_t pulse) {
  return recording.evidence.detection.pulses.starts[static_cast<std::size_t>(pulse)] / recording.rate;
}

RunFinding Warning(const Recording& recording, double timeSeconds, std::string text) {
  return {FindingSeverity::kWarning, recording.name + ": " + text, recording.index, timeSeconds, {}};
}

RunFinding Note(const Recording& recording, std::string text) {
  return {FindingSeverity::kNote, recording.name + ": " + text, recording.index, -1.0, {}};
}

void CheckInitialScan(const Recording& recording,
                      const CalculationResults& results,
                      std::vector<RunFinding>& findings) {
  const InitialScanShape& scan = recording.evidence.detection.initialScan;
  if (scan.pulseCount < 2 || scan.fullLengthPulses != scan.pulseCount) return;
  const ImportConditioning conditioning = ReadConditioning(recording.evidence.wavePath);
  RunFinding finding = Warning(recording, PulseSeconds(recording, 0),
                               conditioning.bandPass || conditioning.automatic
                                   ? "the first pulses found are a noise train, not sparks (each lasts the whole "
                                     "pulse length), though the import filtered the recording - record closer to the "
                                     "ignition"
                                   : "the first pulses found are a noise train, not sparks (each lasts the whole pulse "
                                     "length) - record closer to the ignition, or import the recording with a "
                                     "band-pass filter");
  finding.rows = AllRows(results);
  findings.push_back(std::move(finding));
}

void CheckPulsesOnNoise(const Recording& recording, std::vector<RunFinding>& findings) {
  const PulseEvidence& detection = recording.evidence.detection;
  const DetectedPulses& pulses = detection.pulses;
  std::int32_t count = 0;
  std::int32_t first = -1, last = -1;
  const std::int32_t end = std::min(detection.timeline.firstIndex + detection.timeline.count, pulses.pulseCount);
  for (std::int32_t i = detection.timeline.firstIndex; i < end; ++i) {
    const auto slot = static_cast<std::size_t>(i);
    // Placed on the window's peak, which does not stand out of the quiet stretch before it.
    const bool onNoise = pulses.crossed[slot] == 0 && i > 0 &&
                         pulses.peakLevels[slot] <= kStandsOutOfNoise * pulses.noiseLevels[slot - 1];
    if (!onNoise) continue;
    if (count++ == 0) first = i;
    last = i;
  }
  if (count <= kMostPulsesOnNoise) return;
  const double at = PulseSeconds(recording, first);
  RunFinding finding = Warning(recording, at,
                               FormatText("%d pulses were placed where no spark stood out of the noise (the first at "
                                          "%.3f s) - misfires or weak sparks; check the recording there",
                                          count, at));
  AddRows(recording, at, PulseSeconds(recording, last), finding.rows);
  findings.push_back(std::move(finding));
}

// A note only: when the lost sparks cut the run short, the coverage check warns.
void CheckZeroCutoff(const Recording& recording, std::vector<RunFinding>& findings) {
  const PulseEvidence& detection = recording.evidence.detection;
  if (detection.zeroCutoffSample < 0) return;
  const double at = static_cast<double>(detection.zeroCutoffSample) / recording.rate;
  const bool endsTheRun = detection.timeline.firstIndex + detection.timeline.count >= detection.pulses.pulseCount;
  if (!endsTheRun) return;  // the scan stopped after the run had ended
  RunFinding finding = Note(recording, FormatText("the detection lost the sparks at %.3f s (its cutoff fell to 0), so "
                                                  "the pulses end there - the sparks fade into the noise",
                                                  at));
  finding.timeSeconds = at;
  findings.push_back(finding);
}

void CheckSpeedOutliers(const Recording& recording, std::vector<RunFinding>& findings) {
  const std::vector<SpeedSample>& speeds = recording.evidence.speeds;
  std::int32_t count = 0;
  double worst = 0.0;
  double worstTime = -1.0;
  std::vector<RowSpan> rows;
  for (std::size_t k = 0; k < speeds.size(); ++k) {
    const SpeedSample& speed = speeds[k];
    const double stray = std::fabs(speed.measuredRpm - speed.fittedRpm) / std::fabs(speed.fittedRpm);
    if (!(stray <= kSpeedOutlierShare)) {
      ++count;
      // The straying interval reaches from the midpoint before it to the one after it.
      AddRows(recording, speeds[k > 0 ? k - 1 : k].timeSeconds, speeds[std::min(k + 1, speeds.size() - 1)].timeSeconds,
              rows);
    }
    if (!(stray <= worst)) {
      worst = stray;
      worstTime = speed.timeSeconds;
    }
  }
  if (count <= kMostSpeedOutliers) return;
  RunFinding finding =
      Warning(recording, worstTime,
              FormatText("%d of %d pulse intervals give an engine speed more than %.0f %% from the "
                         "fitted curve (the worst at %.3f s) - missed, extra or double pulses; check "
                         "the recording there",
                         count, static_cast<int>(speeds.size()), kSpeedOutlierShare * 100.0, worstTime));
  finding.rows = std::move(rows);
  findings.push_back(std::move(finding));
}

// At idle the pulse intervals repeat exactly; under full throttle each is shorter than the last.
void CheckIdleStart(const Recording& recording, std::vector<RunFinding>& findings) {
  const std::vector<SpeedSample>& speeds = recording.evidence.speeds;
  if (speeds.empty()) return;
  const SpeedSample& first = speeds.front();
  std::size_t k = 1;
  for (; k < speeds.size() && speeds[k].timeSeconds - first.timeSeconds < kIdleSeconds; ++k)
    if (!(std::fabs(speeds[k].measuredRpm - first.measuredRpm) <= kIdleRise * first.measuredRpm)) return;
  if (k == speeds.size() || k < 2) return;  // the stretch is not covered by the run
  RunFinding finding = Warning(recording, first.timeSeconds,
                               FormatText("the run starts on the idle (the engine stays at %.0f rpm for %.2f s) - set "
                                          "Initial RPM above the idle speed",
                                          first.measuredRpm, kIdleSeconds));
  // The rows of the idle: up to where the speed first leaves it.
  for (; k < speeds.size() && std::fabs(speeds[k].measuredRpm - first.measuredRpm) <= kIdleRise * first.measuredRpm;)
    ++k;
  AddRows(recording, first.timeSeconds, speeds[std::min(k, speeds.size() - 1)].timeSeconds, finding.rows);
  findings.push_back(std::move(finding));
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

void CheckLevels(const Recording& recording, std::vector<RunFinding>& findings) {
  const PulseEvidence& detection = recording.evidence.detection;
  const RecordingLevels& levels = detection.levels;
  if (levels.clippedShare > kMostClippedShare)
    findings.push_back(Note(recording, FormatText("%.2f %% of the samples are clipped - record at a lower level",
                                                  levels.clippedShare * 100.0)));
  const std::vector<double> peaks(detection.pulses.peakLevels.begin(), detection.pulses.peakLevels.end());
  const double peakToNoise = Median(peaks) / std::max(levels.noiseLevel, kSmallestNoiseSteps);
  if (!peaks.empty() && peakToNoise < kLeastPeakToNoise)
    findings.push_back(Note(recording, FormatText("the sparks stand only %.1f times above the noise - record closer "
                                                  "to the ignition lead",
                                                  peakToNoise)));
  const ImportConditioning conditioning = ReadConditioning(recording.evidence.wavePath);
  if (HumWander(detection, conditioning) > kMostWanderSteps)
    findings.push_back(Note(
        recording, FormatText(conditioning.highPass ? "the mean level wanders by %.1f steps (hum or DC drift) even "
                                                      "after the import's high-pass filter - import the original "
                                                      "with a higher high-pass frequency"
                                                    : "the mean level wanders by %.1f steps (hum or DC drift) - "
                                                      "import the recording with the high-pass filter",
                              levels.wanderLevel)));
}

void CheckCoverage(const CalculationResults& results, const RunParameters& params, std::vector<RunFinding>& findings) {
  if (results.rpm.empty()) return;
  const double shortfall = kCoverageShortfall * (params.finalRpm - params.initialRpm);
  if (!(results.rpm.back() < params.finalRpm - shortfall)) return;
  findings.push_back({FindingSeverity::kWarning,
                      FormatText("The run ends at %.0f rpm, the Final RPM estimate is %d - the recording ends early "
                                 "or its sparks were lost; check the recording and Final RPM",
                                 results.rpm.back(), params.finalRpm),
                      -1,
                      -1.0,
                      {}});
}

void CheckPlausibility(const CalculationResults& results,
                       const RunParameters& params,
                       std::vector<RunFinding>& findings) {
  RunFinding negative;
  for (std::size_t k = 0; k < results.rpm.size(); ++k) {
    if (results.horsepower[k] >= 0.0 && results.torque[k] >= 0.0) continue;
    if (negative.rows.empty())
      negative = {FindingSeverity::kWarning,
                  FormatText("The power is negative at %.0f rpm inside the run - the recording or the vehicle "
                             "data do not describe one full-throttle run",
                             results.rpm[k]),
                  -1,
                  -1.0,
                  {}};
    negative.rows.push_back({results.rpm[k], results.rpm[k]});
  }
  if (!negative.rows.empty()) findings.push_back(std::move(negative));
  const auto peak = std::max_element(results.horsepower.begin(), results.horsepower.end());
  if (peak == results.horsepower.end() || !(*peak > kMostHpPerPound * params.vehicleWeight)) return;
  findings.push_back({FindingSeverity::kWarning,
                      FormatText("%.0f hp from a %.0f lb vehicle is beyond any road car - check the vehicle data "
                                 "and the recording",
                                 *peak, params.vehicleWeight),
                      -1, -1.0, AllRows(results)});
}

}  // namespace

std::vector<RunFinding> CheckRun(const std::vector<RecordingEvidence>& evidence,
                                 const CalculationResults& results,
                                 const RunParameters& params) {
  std::vector<RunFinding> findings;
  if (!results.succeeded) return findings;
  const bool dynamometer = results.resultMode == CalculationMode::kDynamometer;
  for (std::size_t r = 0; r < evidence.size(); ++r) {
    const Recording recording{evidence[r],
                              static_cast<std::int32_t>(r),
                              std::filesystem::path(evidence[r].waveFile).filename().string(),
                              static_cast<double>(std::max(evidence[r].detection.sampleRate, 1)),
                              dynamometer,
                              !dynamometer && r + 1 == evidence.size()};
    CheckInitialScan(recording, results, findings);
    CheckPulsesOnNoise(recording, findings);
    CheckZeroCutoff(recording, findings);
    CheckSpeedOutliers(recording, findings);
    if (dynamometer) CheckIdleStart(recording, findings);
    CheckLevels(recording, findings);
  }
  if (dynamometer) {
    CheckCoverage(results, params, findings);
    CheckPlausibility(results, params, findings);
  }
  std::stable_partition(findings.begin(), findings.end(),
                        [](const RunFinding& finding) { return finding.severity == FindingSeverity::kWarning; });
  return findings;
}

std::string FindingLine(const RunFinding& finding) {
  return (finding.severity == FindingSeverity::kWarning ? "warning: " : "note: ") + finding.text;
}

}  // namespace ruvo
