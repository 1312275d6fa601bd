#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ruvo {

// How fit a recording's levels are for pulse detection, measured once over all its samples.
struct RecordingLevels {
  double clippedShare = 0.0;  // share of the samples on the lowest or highest value, when that is a clipping limit
  double noiseLevel = 0.0;  // median deviation from the mean level, 8-bit steps (sparks are rare enough not to move it)
  double wanderLevel = 0.0;  // standard deviation of the mean level of 2-ms blocks, steps: hum or DC drift
};

// Measures every 8th of samples (8-bit, sampleRate per second) around meanLevel. An empty recording
// gives zeros.
RecordingLevels MeasureRecordingLevels(std::span<const std::uint8_t> samples,
                                       std::int32_t sampleRate,
                                       std::uint8_t meanLevel);

// The wanderLevel that white noise of noiseLevel alone gives at sampleRate: the spread of a mean
// over the few samples measured per block. Hum or drift shows only as wander above it.
double NoiseWander(double noiseLevel, std::int32_t sampleRate);

// The same measurement taken while a recording is read: Add the samples in order, in pieces of
// any length, then Levels gives what MeasureRecordingLevels gives for all of them. Single-threaded.
class RecordingLevelCounter {
 public:
  explicit RecordingLevelCounter(std::int32_t sampleRate);
  void Add(std::span<const std::uint8_t> piece);
  RecordingLevels Levels(std::uint8_t meanLevel) const;

 private:
  void EndBlock(std::uint32_t sum, std::size_t spanEnd, std::size_t recorded);

  std::size_t stridesPerBlock;
  std::array<std::array<std::uint32_t, 256>, 4> parts{};  // histograms counted in turn
  std::vector<double> blockMeans;                         // mean sample of every complete block so far
  std::uint32_t blockSum = 0;                             // of the measured samples of the block under way
  std::size_t blockStrides = 0;                           // measured samples of the block under way
  std::size_t skip = 0;                                   // samples before the next measured one
  std::size_t added = 0;                                  // samples added so far
  bool waitingBlock = false;  // a block is measured but the recording may end inside its span
  double waitingMean = 0.0;
  std::size_t waitingEnd = 0;  // samples the recording must hold for it to count
};

}  // namespace ruvo
