#pragma once

#include <cstdint>
#include <vector>

namespace ruvo {

// Distance from 128 of the largest normalised sample, in steps.
inline constexpr double kPeakSteps = 120.0;

// How the sound was put on the 8-bit scale.
struct ScaleResult {
  std::vector<std::uint8_t> samples;
  double gain = 1.0;  // 8-bit steps per unit of sound, over the plain conversion's 128
  int peakSteps = 0;  // largest distance of a sample from 128
};

// Converts sound to unsigned 8-bit samples around 128. Normalised: the largest absolute value
// lands kPeakSteps from 128, so the clicks use the range without clipping (an all-zero sound
// stays at 128). Otherwise the plain conversion 128 + 128 x sound, clipped to 0..255. Values are
// rounded to the nearest step. Preconditions: every value is finite.
ScaleResult ScaleToEightBits(const std::vector<float>& sound, bool normalise);

}  // namespace ruvo
