#include "analysis/pulse_analysis.h"

#include <algorithm>
#include <utility>

#include "analysis/wave_recording.h"
#include "core/units.h"

namespace ruvo {
namespace {

constexpr std::uint8_t kQuietestAmplitude = 10;  // recordings this quiet or quieter are not analysed

template <typename T>
std::vector<T> FirstOf(const std::vector<T>& values, std::int32_t count) {
  return {values.begin(),
          values.begin() + std::clamp<std::int32_t>(count, 0, static_cast<std::int32_t>(values.size()))};
}

DetectedPulses CountedPulses(const DetectedPulses& all) {
  const std::int32_t n = all.pulseCount;
  return {n,
          FirstOf(all.starts, n),
          FirstOf(all.ends, n),
          FirstOf(all.peakPositions, n),
          FirstOf(all.noiseLevels, n),
          FirstOf(all.peakLevels, n),
          FirstOf(all.cutoffs, n),
          FirstOf(all.crossed, n)};
}

// Sparks the whole recording would hold at the final RPM, but never more than it has samples.
std::int32_t PulseCapacity(std::int32_t finalRpm, double durationSeconds, double revsPerSpark, std::int32_t samples) {
  const double sparks = finalRpm * (durationSeconds / kSecondsPerMinute) / revsPerSpark;
  return sparks >= samples ? samples : static_cast<std::int32_t>(sparks);
}

}  // namespace

PulseAnalysis::PulseAnalysis(ListedRecording listedRecording,
                             std::int32_t initialRpmEstimate,
                             std::int32_t finalRpmEstimate,
                             double revolutionsPerSpark,
                             double pulseDurationPercent,
                             CalculationMode calculationMode,
                             const AnalysisConfig& analysisConfig,
                             CalculationLog& calculationLog)
    : recordingFile(std::move(listedRecording)),
      initialRpm(initialRpmEstimate),
      finalRpm(finalRpmEstimate),
      revsPerSpark(revolutionsPerSpark),
      pulseFraction(pulseDurationPercent * kPercent),
      mode(calculationMode),
      config(analysisConfig),
      log(calculationLog) {}

Outcome PulseAnalysis::CheckEstimates() const {
  // Each is a divisor or a scale of the detection's sizes.
  if (initialRpm <= 0) return Outcome::Failure("Invalid Initial RPM - must be greater than 0");
  if (finalRpm <= 0) return Outcome::Failure("Invalid Final RPM - must be greater than 0");
  if (!(revsPerSpark > 0.0)) return Outcome::Failure("Invalid Rev/Spark - must be greater than 0");
  return {};
}

Outcome PulseAnalysis::Run() {
  times.clear();
  revolutions.clear();
  range = {};
  evidence = {};
  Outcome outcome = CheckEstimates();
  if (!outcome) return outcome;

  WaveRecording recording(recordingFile);
  if (!recording.ok()) return recording.outcome();
  const std::int32_t sampleCount = recording.sampleCount();
  const std::int32_t maxPulses = PulseCapacity(finalRpm, recording.duration(), revsPerSpark, sampleCount);
  std::span<const std::uint8_t> samples;
  RecordingLevelCounter levelCounter(recording.sampleRate());  // measured as the samples are read
  if (!recording.ReadSamples(samples, [&](std::span<const std::uint8_t> piece) { levelCounter.Add(piece); }))
    return recording.outcome();
  const std::uint8_t amplitude = recording.amplitude();
  const std::uint8_t meanLevel = recording.meanLevel();
  const std::int32_t sampleRate = recording.sampleRate();

  log.Write("#Ruvo Log file\n");
  log.WriteFormatted("#Ruvo RPM Calculate: %s\n", recordingFile.name.c_str());
  log.WriteFormatted("#Initial RPM: %d\n", initialRpm);
  log.WriteFormatted("#Final RPM  : %d\n", finalRpm);
  log.WriteFormatted("#Rev/Pulse  : %f\n", revsPerSpark);
  log.WriteFormatted("#Max Pulse  : %f\n", pulseFraction);
  log.WriteFormatted("#Wave file  : %i, %i, %i, %i, %i\n", sampleRate, sampleCount, maxPulses, meanLevel, amplitude);
  evidence.sampleRate = sampleRate;
  evidence.sampleCount = sampleCount;
  evidence.amplitude = amplitude;
  evidence.levels = levelCounter.Levels(meanLevel);
  if (amplitude <= kQuietestAmplitude) {
    outcome.Fail();
    return outcome;
  }

  const PulseScanSettings settings{sampleRate,    initialRpm,         revsPerSpark,
                                   pulseFraction, config.noiseFactor, config.peakSpreadFactor};
  PulseScan scan(samples, meanLevel, amplitude, maxPulses, settings, log);
  const bool scanned = scan.InitialScan(outcome) && scan.FinalScan(outcome);
  evidence.initialScan = scan.InitialShape();
  evidence.pulses = CountedPulses(scan.Pulses());
  evidence.zeroCutoffSample = scan.ZeroCutoffSample();
  evidence.lastCutoff = scan.Threshold();
  if (!scanned) {
    outcome.Fail();
    return outcome;
  }

  // The timeline: one time per pulse and the revolutions counted from the first pulse.
  const DetectedPulses& pulses = scan.Pulses();
  const auto count = static_cast<std::size_t>(pulses.pulseCount);
  times.resize(count);
  revolutions.resize(count);
  ComputePulseTimes(pulses.starts, pulses.ends, pulses.peakPositions, sampleRate, config.timeReference, times);
  for (std::size_t i = 0; i < count; ++i) revolutions[i] = static_cast<double>(i) * revsPerSpark;
  range = {0, pulses.pulseCount};
  if (mode != CalculationMode::kTachometer)
    range = RunUpRange(SmoothedRpm(times, revolutions, config.trimLevel), initialRpm, finalRpm, config.riseTolerance);
  return outcome;
}

PulseEvidence PulseAnalysis::Evidence() const {
  PulseEvidence copy = evidence;
  copy.times = times;
  copy.timeline = range;
  return copy;
}

std::vector<double> PulseAnalysis::CopyTimes() const {
  const auto first = times.begin() + range.firstIndex;
  return {first, first + range.count};
}

std::vector<double> PulseAnalysis::CopyRevolutions() const {
  const auto first = revolutions.begin() + range.firstIndex;
  return {first, first + range.count};
}

void PulseAnalysis::WriteFinalDerivatives(std::span<const double> revFit,
                                          std::span<const double> rpmFit,
                                          std::span<const double> accelFit) {
  log.Write(FinalDerivativesText(times, revolutions, range, revFit, rpmFit, accelFit));
}

}  // namespace ruvo
