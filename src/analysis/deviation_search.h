#pragma once

#include <cstdint>
#include <span>

namespace ruvo {

// Searches over the deviations |sample - meanLevel| of a stretch of 8-bit samples, for the pulse
// scans. Each gives exactly what a sample-by-sample loop over the stretch gives, but reduces blocks
// of samples at once so the compiler can use vector instructions; the answers are integers, so the
// order of the work cannot change them. Every stretch [first, last) must lie within samples
// (0 <= first, last <= samples.size()); an empty or reversed stretch holds no sample.

// The largest deviation in the stretch and the first sample that has it.
struct DeviationPeak {
  std::int32_t level = 0;     // 0..255; 0 for an empty stretch
  std::int64_t position = 0;  // sample index; first for an empty stretch or one without any deviation
};
DeviationPeak FindLargestDeviation(std::span<const std::uint8_t> samples,
                                   std::uint8_t meanLevel,
                                   std::int64_t first,
                                   std::int64_t last);

// The first sample of the stretch whose deviation is strictly above threshold; last when none is.
std::int64_t FindFirstAbove(std::span<const std::uint8_t> samples,
                            std::uint8_t meanLevel,
                            std::int32_t threshold,
                            std::int64_t first,
                            std::int64_t last);

// The last sample of the stretch whose deviation is strictly above threshold; first - 1 when none is.
std::int64_t FindLastAbove(std::span<const std::uint8_t> samples,
                           std::uint8_t meanLevel,
                           std::int32_t threshold,
                           std::int64_t first,
                           std::int64_t last);

}  // namespace ruvo
