#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "core/calculation_log.h"
#include "core/outcome.h"

namespace ruvo {

// What the detection needs besides the samples.
struct PulseScanSettings {
  std::int32_t sampleRate = 0;    // samples per second
  std::int32_t initialRpm = 0;    // estimated engine speed at the start, > 0
  double revsPerSpark = 0.0;      // engine revolutions between two sparks, > 0
  double pulseFraction = 0.0;     // pulse length as a fraction of the spark interval
  double noiseFactor = 1.0;       // factor on the mean noise level in the cutoff
  double peakSpreadFactor = 1.0;  // factor on the spread of the peak levels in the cutoff
};

// The pulses found so far. Every array holds maxPulses entries; the first pulseCount are counted
// (the scans may have written one more).
struct DetectedPulses {
  std::int32_t pulseCount = 0;
  std::vector<std::int32_t> starts;         // first sample above the cutoff
  std::vector<std::int32_t> ends;           // last sample above the cutoff that belongs to the pulse
  std::vector<std::int32_t> peakPositions;  // sample of the largest deviation
  std::vector<std::uint8_t> noiseLevels;    // largest deviation in the quiet stretch after the pulse
  std::vector<std::uint8_t> peakLevels;     // largest deviation in the pulse's search window
  std::vector<std::int32_t> cutoffs;        // threshold in force when the pulse was found
  std::vector<std::uint8_t> crossed;        // 1: above the cutoff; 0: placed on the window's peak
};

// How the initial scan chose its pulses, for checking the evidence afterwards.
struct InitialScanShape {
  std::int32_t pulseLength = 0;       // samples a pulse may last in the initial scan
  std::int32_t pulseCount = 0;        // pulses it kept
  std::int32_t fullLengthPulses = 0;  // of those, pulses lasting the whole pulse length
};

// Finds the ignition pulses of one 8-bit recording in two passes and writes their working to the
// calculation log. The deviation of a sample is |sample - meanLevel|; a sample belongs to a pulse
// when its deviation is strictly above the threshold in force. The samples are borrowed and must
// outlive the scan; the per-pulse arrays are allocated once, at construction, so the sample loops and
// window predictions allocate nothing (only the log text is built per pulse). Single-threaded, one
// recording per object.
class PulseScan {
 public:
  PulseScan(std::span<const std::uint8_t> recordingSamples,
            std::uint8_t meanLevel,
            std::uint8_t amplitude,
            std::int32_t maxPulses,
            const PulseScanSettings& scanSettings,
            CalculationLog& calculationLog);

  // One pass over samples 0 .. min(sampleLimit, sample count) - 1 with the current threshold.
  // A sample starts a new pulse when none has begun yet or when it lies more than pulseLength
  // samples after the last start; otherwise it extends the current pulse. Returns the number of
  // pulses begun minus one (-1 when nothing passes the threshold); when the arrays are full it
  // returns maxPulses at once.
  std::int32_t ScanPulses(std::int32_t sampleLimit, std::int32_t pulseLength);

  // Raises the threshold over the first six spark intervals at the initial RPM until the pulse
  // count settles, and keeps the pulses found a quarter of the way up that plateau. Adds a message
  // to messages for 3 or fewer or more than 12 pulses; succeeds with more than 1.
  bool InitialScan(Outcome& messages);

  // Follows the pulses through the rest of the recording, one predicted window at a time, adding
  // a message to messages where the cutoff fell below 1. Succeeds with more than 3 pulses, or when
  // every slot of the arrays is filled.
  bool FinalScan(Outcome& messages);

  const DetectedPulses& Pulses() const { return pulses; }
  const InitialScanShape& InitialShape() const { return initialShape; }
  // Sample where the final scan stopped because the cutoff fell below 1; -1 when it did not.
  std::int64_t ZeroCutoffSample() const { return zeroCutoffSample; }

  // The threshold the last pass used (the initial scan's choice, or the final scan's last cutoff).
  std::int32_t Threshold() const { return threshold; }

  // For tests: the threshold for a single ScanPulses pass, which the scans otherwise choose.
  void SetThreshold(std::int32_t value) { threshold = value; }

 private:
  std::int32_t Deviation(std::int64_t sample) const { return deviation[samples[static_cast<std::size_t>(sample)]]; }
  void WriteScanBlock(std::int32_t count);

  std::span<const std::uint8_t> samples;
  std::int64_t sampleCount;
  std::uint8_t meanLevel;
  std::int32_t amplitude;
  std::int32_t maxPulses;
  PulseScanSettings settings;
  CalculationLog& log;
  std::array<std::uint8_t, 256> deviation{};  // |value - meanLevel| for every sample value
  std::int32_t threshold = 0;                 // wide, so the stepped search never wraps past 255
  DetectedPulses pulses;
  InitialScanShape initialShape;
  std::int64_t zeroCutoffSample = -1;
};

}  // namespace ruvo
