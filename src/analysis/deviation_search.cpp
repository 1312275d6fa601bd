#include "analysis/deviation_search.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "analysis/byte_lanes.h"

namespace ruvo {
namespace {

constexpr std::int64_t kBlock = 4 * kByteLanes;  // samples a search tests at once before it looks closer
constexpr std::int64_t kChunk = 4 * kBlock;      // samples whose largest deviation is taken at once
constexpr std::int32_t kLargestDeviation = 255;

std::int32_t Deviation(std::uint8_t sample, std::uint8_t meanLevel) {
  return std::abs(sample - meanLevel);
}

// |sample - meanLevel| for the kByteLanes samples at p, without leaving the unsigned bytes.
ByteLanes Deviations(const std::uint8_t* p, ByteLanes meanLevel) {
  const ByteLanes samples = LoadLanes(p);
  return MaxLanes(samples, meanLevel) - MinLanes(samples, meanLevel);
}

// The largest deviation of the kBlock samples at p, lane by lane.
ByteLanes BlockMax(const std::uint8_t* p, ByteLanes meanLevel) {
  const ByteLanes a = MaxLanes(Deviations(p, meanLevel), Deviations(p + kByteLanes, meanLevel));
  const ByteLanes b = MaxLanes(Deviations(p + 2 * kByteLanes, meanLevel), Deviations(p + 3 * kByteLanes, meanLevel));
  return MaxLanes(a, b);
}

// True when some lane's deviation d is above its threshold t: d - min(d, t) is then nonzero.
bool AnyAbove(ByteLanes deviations, ByteLanes threshold) {
  const ByteLanes excess = deviations - MinLanes(deviations, threshold);
  std::uint64_t words[sizeof excess / sizeof(std::uint64_t)];
  std::memcpy(words, &excess, sizeof words);
  std::uint64_t any = 0;
  for (const std::uint64_t word : words) any |= word;
  return any != 0;
}

// The searches for a threshold of 0..254, where it fits the lanes.
class AboveSearch {
 public:
  AboveSearch(const std::uint8_t* samples, std::uint8_t meanLevel, std::int32_t threshold)
      : p(samples),
        mean(meanLevel),
        level(threshold),
        meanLanes(SplatLanes(meanLevel)),
        limitLanes(SplatLanes(static_cast<std::uint8_t>(threshold))) {}

  std::int64_t First(std::int64_t first, std::int64_t last) const {
    std::int64_t j = first;
    while (j + kBlock <= last && !AnyAbove(BlockMax(p + j, meanLanes), limitLanes)) j += kBlock;
    while (j + kByteLanes <= last && !AnyAbove(Deviations(p + j, meanLanes), limitLanes)) j += kByteLanes;
    for (; j < last; ++j)
      if (Deviation(p[j], mean) > level) return j;
    return last;
  }

  std::int64_t Last(std::int64_t first, std::int64_t last) const {
    std::int64_t end = last;  // no sample from end on lies above the threshold
    while (end - kBlock >= first && !AnyAbove(BlockMax(p + end - kBlock, meanLanes), limitLanes)) end -= kBlock;
    while (end - kByteLanes >= first && !AnyAbove(Deviations(p + end - kByteLanes, meanLanes), limitLanes))
      end -= kByteLanes;
    for (std::int64_t j = end - 1; j >= first; --j)
      if (Deviation(p[j], mean) > level) return j;
    return first - 1;
  }

 private:
  const std::uint8_t* p;
  std::uint8_t mean;
  std::int32_t level;
  ByteLanes meanLanes;
  ByteLanes limitLanes;
};

}  // namespace

__attribute__((target_clones("avx2", "default"))) DeviationPeak FindLargestDeviation(
    std::span<const std::uint8_t> samples, std::uint8_t meanLevel, std::int64_t first, std::int64_t last) {
  const std::uint8_t* p = samples.data();
  const ByteLanes mean = SplatLanes(meanLevel);
  // Piece by piece, remembering where the largest so far first showed: only that piece and the
  // rest need searching for its first sample.
  std::int32_t largest = 0;
  std::int64_t from = first;
  const auto take = [&](std::int32_t level, std::int64_t at) {
    if (level > largest) {
      largest = level;
      from = at;
    }
  };
  std::int64_t j = first;
  for (; j + kChunk <= last; j += kChunk) {
    ByteLanes chunk = BlockMax(p + j, mean);
    for (std::int64_t block = kBlock; block < kChunk; block += kBlock)
      chunk = MaxLanes(chunk, BlockMax(p + j + block, mean));
    take(LargestLane(chunk), j);
  }
  for (; j + kByteLanes <= last; j += kByteLanes) take(LargestLane(Deviations(p + j, mean)), j);
  for (; j < last; ++j) take(Deviation(p[j], meanLevel), j);
  if (largest == 0) return {0, first};
  return {largest, AboveSearch(p, meanLevel, largest - 1).First(from, last)};
}

__attribute__((target_clones("avx2", "default"))) std::int64_t FindFirstAbove(std::span<const std::uint8_t> samples,
                                                                              std::uint8_t meanLevel,
                                                                              std::int32_t threshold,
                                                                              std::int64_t first,
                                                                              std::int64_t last) {
  if (threshold >= kLargestDeviation) return last;
  if (threshold < 0) return std::min(first, last);  // every sample is above
  return AboveSearch(samples.data(), meanLevel, threshold).First(first, last);
}

__attribute__((target_clones("avx2", "default"))) std::int64_t FindLastAbove(std::span<const std::uint8_t> samples,
                                                                             std::uint8_t meanLevel,
                                                                             std::int32_t threshold,
                                                                             std::int64_t first,
                                                                             std::int64_t last) {
  if (threshold >= kLargestDeviation || last <= first) return first - 1;
  if (threshold < 0) return last - 1;  // every sample is above
  return AboveSearch(samples.data(), meanLevel, threshold).Last(first, last);
}

}  // namespace ruvo
