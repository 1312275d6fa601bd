#include "analysis/recording_levels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <type_traits>
#include <vector>

namespace ruvo {
namespace {

constexpr std::int32_t kBlocksPerSecond = 500;  // 2-ms blocks: short beside a 50 Hz hum's half period
constexpr std::size_t kStride = 8;       // every 8th sample: enough for the statistics, cheap beside the detection
constexpr double kClipAboveNoise = 4.0;  // extremes this many noise levels out can be a clipping limit
constexpr double kMedianToDeviation = 0.6745;  // median absolute deviation of normal noise, standard deviations

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

RecordingLevelCounter::RecordingLevelCounter(std::int32_t sampleRate)
    // Blocks of whole strides, so each holds the same number of measured samples.
    : stridesPerBlock(
          std::max<std::size_t>(static_cast<std::size_t>(std::max(sampleRate / kBlocksPerSecond, 1)) / kStride, 1)) {}

// The measured samples are those at multiples of kStride from the first. A block counts towards
// the block means when the recording holds all blockLength samples it spans (not only its measured
// ones); a block whose measured samples are all in but whose span is not waits for the next piece.
void RecordingLevelCounter::Add(std::span<const std::uint8_t> piece) {
  const std::uint8_t* p = piece.data();
  const std::size_t size = piece.size();
  const std::size_t end = added + size;  // samples added once this piece is in
  if (waitingBlock && waitingEnd <= end) {
    blockMeans.push_back(waitingMean);
    waitingBlock = false;
  }
  std::size_t k = skip;
  // Whole blocks of the usual sizes (11 and 12 measured samples at 44100 and 48000 samples per
  // second) unrolled; a block may end exactly at the piece's end, where the next piece decides it.
  const auto wholeBlock = [&](auto strideCount) {
    constexpr std::size_t kStrides = decltype(strideCount)::value;
    while (k + (kStrides - 1) * kStride < size) {
      std::uint32_t sum = 0;
      for (std::size_t stride = 0; stride < kStrides; ++stride) {
        const std::uint8_t sample = p[k + stride * kStride];
        sum += sample;
        ++parts[stride % parts.size()][sample];
      }
      k += kStrides * kStride;
      EndBlock(sum, added + k, end);
    }
  };
  // The rest of the block under way, or of the piece, four measured samples at a time into four
  // histograms so that a run of equal samples does not wait on one counter.
  const auto partBlock = [&] {
    const std::size_t strides = std::min(stridesPerBlock - blockStrides, (size - k + kStride - 1) / kStride);
    const std::size_t stop = k + strides * kStride;
    std::uint32_t sum = 0;
    for (; k + 3 * kStride < stop; k += 4 * kStride) {
      sum += p[k] + p[k + kStride] + p[k + 2 * kStride] + p[k + 3 * kStride];
      ++parts[0][p[k]];
      ++parts[1][p[k + kStride]];
      ++parts[2][p[k + 2 * kStride]];
      ++parts[3][p[k + 3 * kStride]];
    }
    for (; k < stop; k += kStride) {
      sum += p[k];
      ++parts[0][p[k]];
    }
    blockSum += sum;
    blockStrides += strides;
    if (blockStrides == stridesPerBlock) {
      // k is now where the block's span ends.
      EndBlock(blockSum, added + k, end);
      blockSum = 0;
      blockStrides = 0;
    }
  };
  if (k < size && blockStrides > 0) partBlock();
  if (blockStrides == 0 && stridesPerBlock == 11) wholeBlock(std::integral_constant<std::size_t, 11>{});
  if (blockStrides == 0 && stridesPerBlock == 12) wholeBlock(std::integral_constant<std::size_t, 12>{});
  while (k < size) partBlock();
  skip = k - size;
  added = end;
}

// A block's measured samples are all in: its mean counts now when the recording spans the whole
// block (spanEnd samples, of which `recorded` are in), else when the next piece brings the rest.
void RecordingLevelCounter::EndBlock(std::uint32_t sum, std::size_t spanEnd, std::size_t recorded) {
  const double mean = static_cast<double>(sum) / static_cast<double>(stridesPerBlock);
  if (spanEnd <= recorded) {
    blockMeans.push_back(mean);
  } else {
    waitingBlock = true;
    waitingMean = mean;
    waitingEnd = spanEnd;
  }
}

RecordingLevels RecordingLevelCounter::Levels(std::uint8_t meanLevel) const {
  RecordingLevels levels;
  std::array<std::uint64_t, 256> counts{};
  for (const auto& part : parts)
    for (std::size_t value = 0; value < counts.size(); ++value) counts[value] += part[value];
  std::uint64_t total = 0;
  for (std::uint64_t count : counts) total += count;
  if (total == 0) return levels;
  levels.noiseLevel = std::max(MedianDeviation(counts, meanLevel, total), 0.0);
  levels.clippedShare = ClippedShare(counts, meanLevel, levels.noiseLevel, total);
  levels.wanderLevel = StandardDeviation(blockMeans);
  return levels;
}

RecordingLevels MeasureRecordingLevels(std::span<const std::uint8_t> samples,
                                       std::int32_t sampleRate,
                                       std::uint8_t meanLevel) {
  RecordingLevelCounter counter(sampleRate);
  counter.Add(samples);
  return counter.Levels(meanLevel);
}

double NoiseWander(double noiseLevel, std::int32_t sampleRate) {
  const double measured = std::max(1.0, static_cast<double>(sampleRate) / kBlocksPerSecond / kStride);
  return noiseLevel / kMedianToDeviation / std::sqrt(measured);
}

}  // namespace ruvo
