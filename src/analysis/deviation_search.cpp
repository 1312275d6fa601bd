#include "analysis/deviation_search.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace ruvo {
namespace {

// Sixteen bytes worked on at once, through GCC's vector extension so that every target gets its own
// vector instructions (SSE2 on x86-64) from the same code.
typedef std::uint8_t Lanes __attribute__((vector_size(16)));
constexpr std::int64_t kLanes = 16;
constexpr std::int64_t kBlock = 4 * kLanes;  // samples tested at once: a search stops soon after its hit
constexpr std::int32_t kLargestDeviation = 255;

Lanes Load(const std::uint8_t* p) {
  Lanes lanes;
  std::memcpy(&lanes, p, sizeof lanes);
  return lanes;
}

Lanes Max(Lanes a, Lanes b) {
  return a > b ? a : b;
}
Lanes Min(Lanes a, Lanes b) {
  return a > b ? b : a;
}

// |sample - meanLevel| lane by lane, without leaving the unsigned bytes.
Lanes Deviations(Lanes samples, Lanes meanLevel) {
  return Max(samples, meanLevel) - Min(samples, meanLevel);
}

// The largest deviation of the block of kBlock samples at p, in every lane's own position.
Lanes BlockMax(const std::uint8_t* p, Lanes meanLevel) {
  const Lanes a = Max(Deviations(Load(p), meanLevel), Deviations(Load(p + kLanes), meanLevel));
  const Lanes b = Max(Deviations(Load(p + 2 * kLanes), meanLevel), Deviations(Load(p + 3 * kLanes), meanLevel));
  return Max(a, b);
}

// True when some lane's deviation d is above its threshold t: d - min(d, t) is then nonzero.
bool AnyAbove(Lanes deviations, Lanes threshold) {
  const Lanes excess = deviations - Min(deviations, threshold);
  std::uint64_t halves[2];
  std::memcpy(halves, &excess, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

std::uint8_t LargestLane(Lanes lanes) {
  std::uint8_t largest = 0;
  for (std::int64_t i = 0; i < kLanes; ++i) largest = std::max(largest, lanes[i]);
  return largest;
}

std::int32_t Deviation(std::uint8_t sample, std::uint8_t meanLevel) {
  return std::abs(sample - meanLevel);
}

Lanes Splat(std::uint8_t value) {
  return Lanes{} + value;
}

}  // namespace

DeviationPeak FindLargestDeviation(std::span<const std::uint8_t> samples,
                                   std::uint8_t meanLevel,
                                   std::int64_t first,
                                   std::int64_t last) {
  if (last <= first) return {0, first};
  const std::uint8_t* p = samples.data();
  const Lanes mean = Splat(meanLevel);
  Lanes blocks{};
  std::int64_t j = first;
  for (; j + kBlock <= last; j += kBlock) blocks = Max(blocks, BlockMax(p + j, mean));
  std::int32_t largest = LargestLane(blocks);
  for (; j < last; ++j) largest = std::max(largest, Deviation(p[j], meanLevel));
  if (largest == 0) return {0, first};
  return {largest, FindFirstAbove(samples, meanLevel, largest - 1, first, last)};
}

std::int64_t FindFirstAbove(std::span<const std::uint8_t> samples,
                            std::uint8_t meanLevel,
                            std::int32_t threshold,
                            std::int64_t first,
                            std::int64_t last) {
  if (threshold >= kLargestDeviation) return last;
  const std::uint8_t* p = samples.data();
  std::int64_t j = first;
  if (threshold >= 0) {
    const Lanes mean = Splat(meanLevel);
    const Lanes limit = Splat(static_cast<std::uint8_t>(threshold));
    for (; j + kBlock <= last; j += kBlock)
      if (AnyAbove(BlockMax(p + j, mean), limit)) break;
  }
  for (; j < last; ++j)
    if (Deviation(p[j], meanLevel) > threshold) return j;
  return last;
}

std::int64_t FindLastAbove(std::span<const std::uint8_t> samples,
                           std::uint8_t meanLevel,
                           std::int32_t threshold,
                           std::int64_t first,
                           std::int64_t last) {
  if (threshold >= kLargestDeviation) return first - 1;
  const std::uint8_t* p = samples.data();
  std::int64_t end = last;  // no sample from end on lies above the threshold
  if (threshold >= 0) {
    const Lanes mean = Splat(meanLevel);
    const Lanes limit = Splat(static_cast<std::uint8_t>(threshold));
    for (; end - kBlock >= first; end -= kBlock)
      if (AnyAbove(BlockMax(p + end - kBlock, mean), limit)) break;
  }
  for (std::int64_t j = end - 1; j >= first; --j)
    if (Deviation(p[j], meanLevel) > threshold) return j;
  return first - 1;
}

}  // namespace ruvo
