#include "analysis/pulse_scan.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "analysis/deviation_search.h"
#include "analysis/pulse_window.h"
#include "core/text_format.h"
#include "core/units.h"

namespace ruvo {
namespace {

constexpr double kPulseLengthAllowance = 1.25;  // initial-scan pulse length, in expected pulse lengths
constexpr std::int64_t kInitialCycles = 6;      // spark intervals covered by the initial scan
constexpr std::int32_t kThresholdSteps = 10;    // the threshold rises by amplitude / 10 per step
constexpr std::int32_t kFewestGoodPulses = 4;   // initial counts below this are suspicious
constexpr std::int32_t kMostGoodPulses = 12;    // initial counts above this are suspicious
constexpr std::int32_t kFewestFinalPulses = 4;  // a usable timeline has at least this many pulses
constexpr double kNoFactor = -10.0;             // pulse factors before any pulse is measured

std::int32_t ClampToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

PulseScan::PulseScan(std::span<const std::uint8_t> recordingSamples,
                     std::uint8_t recordingMeanLevel,
                     std::uint8_t recordingAmplitude,
                     std::int32_t pulseCapacity,
                     const PulseScanSettings& scanSettings,
                     CalculationLog& calculationLog)
    : samples(recordingSamples),
      sampleCount(static_cast<std::int64_t>(recordingSamples.size())),
      meanLevel(recordingMeanLevel),
      amplitude(recordingAmplitude),
      maxPulses(std::max(pulseCapacity, 0)),
      settings(scanSettings),
      log(calculationLog) {
  for (std::size_t value = 0; value < deviation.size(); ++value)
    deviation[value] = static_cast<std::uint8_t>(std::abs(static_cast<int>(value) - recordingMeanLevel));
  const auto capacity = static_cast<std::size_t>(maxPulses);
  pulses.starts.assign(capacity, 0);
  pulses.ends.assign(capacity, 0);
  pulses.peakPositions.assign(capacity, 0);
  pulses.noiseLevels.assign(capacity, 0);
  pulses.peakLevels.assign(capacity, 0);
  pulses.cutoffs.assign(capacity, 0);
  pulses.crossed.assign(capacity, 1);
}

std::int32_t PulseScan::ScanPulses(std::int32_t sampleLimit, std::int32_t pulseLength) {
  const std::int64_t limit = std::min<std::int64_t>(sampleLimit, sampleCount);
  std::int32_t k = -1;
  std::int64_t lastStart = 0;
  std::int32_t peak = 0;
  // From one sample above the threshold to the next: the quiet ones between change nothing.
  for (std::int64_t j = FindFirstAbove(samples, meanLevel, threshold, 0, limit); j < limit;
       j = FindFirstAbove(samples, meanLevel, threshold, j + 1, limit)) {
    const std::int32_t d = Deviation(j);
    const auto sample = static_cast<std::int32_t>(j);
    if (k < 0 || j - lastStart > pulseLength) {
      lastStart = j;
      ++k;
      if (k >= maxPulses) return k;
      const auto slot = static_cast<std::size_t>(k);
      pulses.starts[slot] = pulses.ends[slot] = pulses.peakPositions[slot] = sample;
      peak = d;
    } else {
      const auto slot = static_cast<std::size_t>(k);
      pulses.ends[slot] = sample;
      if (d > peak) {
        peak = d;
        pulses.peakPositions[slot] = sample;
      }
    }
  }
  return k;
}

void PulseScan::WriteScanBlock(std::int32_t count) {
  std::string text = FormatText("#Pulses: %i, Cutoff: %i", count, threshold);
  const auto counted = static_cast<std::size_t>(std::max(count, 0));
  text += "\n#";
  for (std::size_t i = 0; i < counted; ++i) AppendText<"%6i ">(text, pulses.starts[i]);
  text += "\n#";
  for (std::size_t i = 0; i < counted; ++i) AppendText<"%6i ">(text, pulses.ends[i]);
  text += "\n#";
  for (std::size_t i = 0; i < counted; ++i) AppendText<"%6i ">(text, pulses.ends[i] - pulses.starts[i]);
  text += "\n#";
  for (std::size_t i = 1; i < counted; ++i) AppendText<"%6i ">(text, pulses.starts[i] - pulses.starts[i - 1]);
  text += "\n";
  log.Write(text);
}

bool PulseScan::InitialScan(Outcome& messages) {
  const std::int64_t cycle =
      TruncatedOffset(kSecondsPerMinute * settings.revsPerSpark * settings.sampleRate / settings.initialRpm);
  const std::int32_t pulseLength =
      ClampToInt32(TruncatedOffset(kPulseLengthAllowance * settings.pulseFraction * static_cast<double>(cycle)));
  log.WriteFormatted("#Initial Scan: cycle length %i: pulse length %i\n", ClampToInt32(cycle), pulseLength);
  // The scan never reaches past the recording, however short it is.
  const auto limit = static_cast<std::int32_t>(std::clamp<std::int64_t>(kInitialCycles * cycle, 0, sampleCount));

  // The step is never 0, so the search always ends below 255 + step.
  const std::int32_t step = std::max(amplitude / kThresholdSteps, 1);
  threshold = 0;
  std::int32_t first = 0;
  std::int32_t stable = 0;
  std::int32_t previous = 0;
  for (;;) {
    threshold += step;
    if (threshold >= amplitude) break;
    const std::int32_t count = ScanPulses(limit, pulseLength);
    if (count == 0) break;
    WriteScanBlock(count);
    if (count == previous) {
      stable = threshold;
    } else if (stable != 0) {
      break;
    } else {
      first = threshold;
      previous = count;
    }
  }

  pulses.pulseCount = 0;
  initialShape = {pulseLength, 0, 0};
  if (stable > 0) {
    threshold = (3 * first + stable) / 4;
    pulses.pulseCount = ScanPulses(limit, pulseLength);
    for (std::int32_t i = 0; i < pulses.pulseCount; ++i) {
      const auto slot = static_cast<std::size_t>(i);
      pulses.noiseLevels[slot] = static_cast<std::uint8_t>(first);
      pulses.peakLevels[slot] = static_cast<std::uint8_t>(stable);
      pulses.cutoffs[slot] = threshold;
      // A noise train is cut into pulses that each run to the full length.
      if (pulses.ends[slot] - pulses.starts[slot] >= pulseLength) ++initialShape.fullLengthPulses;
    }
    log.WriteFormatted("#Cutoff: %i\n", threshold);
    initialShape.pulseCount = std::max(pulses.pulseCount, 0);
  }

  if (pulses.pulseCount == 0)
    messages.Note("Initial wave file scan failed - check Initial RPM, Pulse Duration?");
  else if (pulses.pulseCount > kMostGoodPulses)
    messages.Note("Too many pulses in initial wave file scan - check Initial RPM?");
  else if (pulses.pulseCount < kFewestGoodPulses)
    messages.Note("Too few pulses in initial wave file scan - check Initial RPM?");
  return pulses.pulseCount > 1;
}

bool PulseScan::FinalScan(Outcome& messages) {
  log.Write("#Final:\n");
  log.Write("#  No.   Time    RPM  smaxq smaxp scut  imaxq    ip0     ip1    imax     ip2     ip3x    ip3  duration\n");
  std::int32_t& pulseCount = pulses.pulseCount;
  if (pulseCount < 2) return false;  // the spacing of two pulses starts every prediction
  std::fill(pulses.noiseLevels.begin() + pulseCount, pulses.noiseLevels.end(), 0);
  std::fill(pulses.peakLevels.begin() + pulseCount, pulses.peakLevels.end(), 0);

  auto& starts = pulses.starts;
  auto& ends = pulses.ends;
  std::int32_t k = pulseCount - 1;
  std::int64_t j = 0;
  double early = kNoFactor;
  double late = kNoFactor;
  std::int64_t quietPeakPos = 0;
  while (j < sampleCount) {
    const auto last = static_cast<std::size_t>(k);
    const PulseWindow predicted = PredictWindow(starts, ends, k + 1);
    const std::int64_t interval = starts[last] - starts[last - 1];
    const std::int64_t margin = TruncatedOffset(static_cast<double>(interval) * settings.pulseFraction);
    const std::int64_t quietStart = std::max<std::int64_t>(starts[last] + margin, 0);
    // The window never reaches back into the pulse just found: that would find it twice.
    const std::int64_t windowStart = std::max<std::int64_t>(predicted.start - margin, ends[last] + 1);
    const std::int64_t windowEnd = predicted.end + margin;
    if (windowStart >= sampleCount || windowEnd <= windowStart) break;

    // The quiet stretch raises the pulse's noise level to its largest deviation, found first.
    std::uint8_t& noise = pulses.noiseLevels[last];
    const DeviationPeak quiet = FindLargestDeviation(samples, meanLevel, quietStart, windowStart);
    if (quiet.level > noise) {
      quietPeakPos = quiet.position;
      noise = static_cast<std::uint8_t>(quiet.level);
    }

    threshold =
        PulseCutoff(pulses.noiseLevels, pulses.peakLevels, pulseCount, settings.noiseFactor, settings.peakSpreadFactor);
    if (threshold < 1) {
      zeroCutoffSample = windowStart;
      break;
    }
    std::int64_t stop = windowEnd;
    if (stop >= sampleCount) break;

    // The window is scanned up to stop; the first sample above the cutoff starts pulse k + 1 (k is
    // pulseCount - 1 here), and the last one above it before the new stop ends it.
    j = std::min(sampleCount, stop);
    const std::int64_t crossing = FindFirstAbove(samples, meanLevel, threshold, windowStart, j);
    const bool crossed = crossing < j;
    if (crossed) {
      ++k;
      if (k >= maxPulses) return true;
      starts[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(crossing);
      pulses.crossed[static_cast<std::size_t>(k)] = 1;
      stop = crossing + margin;  // a pulse lasts no longer than the expected pulse length
      j = std::max(crossing + 1, std::min(sampleCount, stop));
      ends[static_cast<std::size_t>(k)] =
          static_cast<std::int32_t>(FindLastAbove(samples, meanLevel, threshold, crossing, j));
    }
    // A window without any deviation places its pulse on its first sample. Before a crossing no
    // sample is above the cutoff, so the window's largest deviation is at the crossing or after it.
    const DeviationPeak peak = FindLargestDeviation(samples, meanLevel, crossed ? crossing : windowStart, j);
    const std::int32_t windowPeak = peak.level;
    const std::int64_t windowPeakPos = peak.position;
    if (k < pulseCount) {
      // No crossing: the pulse is placed at the window's largest deviation.
      ++k;
      if (k >= maxPulses) return true;
      starts[static_cast<std::size_t>(k)] = ends[static_cast<std::size_t>(k)] =
          static_cast<std::int32_t>(windowPeakPos);
      pulses.crossed[static_cast<std::size_t>(k)] = 0;
    }
    const auto slot = static_cast<std::size_t>(k);
    pulses.cutoffs[slot] = threshold;
    pulses.peakPositions[slot] = static_cast<std::int32_t>(windowPeakPos);
    pulses.peakLevels[slot] = static_cast<std::uint8_t>(windowPeak);

    const double rate = settings.sampleRate;
    log.WriteFormatted<"#%5i %7.3f %6.0f %4i %5i %4i %7i %7i %7i %7i %7i %7i %7i %5i %6.3f\n">(
        k, starts[slot] / rate,
        kSecondsPerMinute * settings.revsPerSpark * rate / static_cast<double>(starts[slot] - starts[slot - 1]),
        pulses.noiseLevels[slot - 1], pulses.peakLevels[slot], threshold, static_cast<std::int32_t>(quietPeakPos),
        static_cast<std::int32_t>(windowStart), starts[slot], pulses.peakPositions[slot], ends[slot],
        ClampToInt32(stop), static_cast<std::int32_t>(windowEnd), ends[slot] - starts[slot],
        static_cast<double>(threshold) / pulses.peakLevels[slot]);

    // How far, in pulse lengths, pulses began before and ended after their prediction; undefined
    // for a margin of 0, which then leaves the factors as they were.
    if (margin != 0) {
      early = std::max(early, static_cast<double>(predicted.start - starts[slot]) / static_cast<double>(margin));
      late = std::max(late, static_cast<double>(ends[slot] - predicted.end) / static_cast<double>(margin));
    }
    ++pulseCount;
  }

  log.WriteFormatted("#Pulse factors: %f %f\n", early, late);
  if (threshold < 1) messages.Note("Incomplete wave file scan weak pulse or noise - check Pulse Duration");
  --pulseCount;
  return pulseCount >= kFewestFinalPulses;
}

}  // namespace ruvo
