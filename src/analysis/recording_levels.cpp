#include "analysis/recording_levels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace ruvo {
namespace {

constexpr std::int32_t kBlocksPerSecond = 500;  // 2-ms blocks: short beside a 50 Hz hum's half period
constexpr std::size_t kStride = 8;       // every 8th sample: enough for the statistics, cheap beside the detection
constexpr double kClipAboveNoise = 4.0;  // extremes this many noise levels out can be a clipping limit

// Share of the samples sitting on the lowest or highest value present, when that value lies well
// outside the noise: a recorder's clipping limit holds many samples, a free peak only one or two.
double ClippedShare(const std::array<std::uint64_t, 256>& counts,
                    std::uint8_t meanLevel,
                    double noiseLevel,
                    std::uint64_t total) {
  const auto lowest =
      static_cast<int>(std::find_if(counts.begin(), counts.end(), [](auto n) { return n > 0; }) - counts.begin());
  const auto highest =
      static_cast<int>(counts.rend() - std::find_if(counts.rbegin(), counts.rend(), [](auto n) { return n > 0; })) - 1;
  const double limit = kClipAboveNoise * std::max(noiseLevel, 1.0);
  std::uint64_t clipped = 0;
  if (meanLevel - lowest > limit) clipped += counts[static_cast<std::size_t>(lowest)];
  if (highest - meanLevel > limit) clipped += counts[static_cast<std::size_t>(highest)];
  return static_cast<double>(clipped) / static_cast<double>(total);
}

// The deviation below which half of the samples lie, interpolated within its 1-step bin.
double MedianDeviation(const std::array<std::uint64_t, 256>& counts, std::uint8_t meanLevel, std::uint64_t total) {
  std::array<std::uint64_t, 256> byDeviation{};
  for (int value = 0; value < 256; ++value)
    byDeviation[static_cast<std::size_t>(std::abs(value - meanLevel))] += counts[static_cast<std::size_t>(value)];
  const double half = 0.5 * static_cast<double>(total);
  double below = 0.0;
  for (std::size_t deviation = 0; deviation < byDeviation.size(); ++deviation) {
    const auto inBin = static_cast<double>(byDeviation[deviation]);
    if (below + inBin >= half) return static_cast<double>(deviation) + (half - below) / inBin - 0.5;
    below += inBin;
  }
  return 0.0;
}

double StandardDeviation(const std::vector<double>& values) {
  if (values.size() < 2) return 0.0;
  double sum = 0.0;
  for (double value : values) sum += value;
  const double mean = sum / static_cast<double>(values.size());
  double squares = 0.0;
  for (double value : values) squares += (value - mean) * (value - mean);
  return std::sqrt(squares / static_cast<double>(values.size() - 1));
}

}  // namespace

RecordingLevels MeasureRecordingLevels(std::span<const std::uint8_t> samples,
                                       std::int32_t sampleRate,
                                       std::uint8_t meanLevel) {
  RecordingLevels levels;
  if (samples.empty()) return levels;
  // Blocks of whole strides, so each holds the same number of measured samples.
  const std::size_t stridesPerBlock =
      std::max<std::size_t>(static_cast<std::size_t>(std::max(sampleRate / kBlocksPerSecond, 1)) / kStride, 1);
  const std::size_t blockLength = stridesPerBlock * kStride;
  std::array<std::uint64_t, 256> counts{};
  std::vector<double> blockMeans;
  blockMeans.reserve(samples.size() / blockLength);
  std::size_t n = 0;
  for (; n + blockLength <= samples.size(); n += blockLength) {
    std::uint32_t sum = 0;
    for (std::size_t k = n; k < n + blockLength; k += kStride) {
      sum += samples[k];
      ++counts[samples[k]];
    }
    blockMeans.push_back(static_cast<double>(sum) / static_cast<double>(stridesPerBlock));
  }
  for (; n < samples.size(); n += kStride) ++counts[samples[n]];

  std::uint64_t total = 0;
  for (std::uint64_t count : counts) total += count;
  levels.noiseLevel = std::max(MedianDeviation(counts, meanLevel, total), 0.0);
  levels.clippedShare = ClippedShare(counts, meanLevel, levels.noiseLevel, total);
  levels.wanderLevel = StandardDeviation(blockMeans);
  return levels;
}

}  // namespace ruvo
