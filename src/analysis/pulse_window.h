#pragma once

#include <cstdint>
#include <span>

namespace ruvo {

// Where the next ignition pulse is expected, in sample indices (not yet clipped to the recording).
struct PulseWindow {
  std::int64_t start = 0;
  std::int64_t end = 0;
};

// trunc(value) toward zero as a sample offset, saturated to +-2^40 so that sums of a few offsets
// never overflow; NaN gives 0.
std::int64_t TruncatedOffset(double value);

// Predicts the window of pulse n from pulses 0 .. n-1 (1 <= n <= starts.size() == ends.size()).
//   n = 1: the start of pulse 0 itself.
//   n = 2: 0.8 to 1.2 spark intervals after the second start.
//   n >= 3: a least-squares line (n = 3, 4) or quadratic (n >= 5) c0 + c1 x + c2 x^2 through the
//   last m = min(n, 8) starts, with x = i - n, gives the expected start c0 at x = 0 and the residual
//   spread sigma = sqrt(S / (m - coefficients)); the window is [c0 - 3 sigma, c0 + 3 sigma + D],
//   where D = (sum of the m pulse durations) / (m - 1) is a floating-point quotient.
// Reference: linear least squares through the normal equations, Lawson & Hanson, "Solving Least
// Squares Problems" (1974), ch. 19; the fit itself is one Gauss-Newton step, exact for a polynomial.
PulseWindow PredictWindow(std::span<const std::int32_t> starts, std::span<const std::int32_t> ends, std::int32_t n);

// Detection cutoff (0 to 255) from the levels of pulses count - w .. count - 1, w = min(count, 10):
//   noiseCut = mean(noise) * noiseFactor
//   peakCut  = 0.8 * mean(peak) - sd(peak) * peakSpreadFactor   (sd with w - 1 in the denominator)
//   cutoff   = trunc(max(peakCut, noiseCut)), or 0 when the smallest peak is below trunc(noiseCut):
//              the recent pulses then do not stand out of the noise.
// The cutoff is clamped to 0..255 since unusual factors can push it outside. count < 2 gives 0.
std::int32_t PulseCutoff(std::span<const std::uint8_t> noiseLevels,
                         std::span<const std::uint8_t> peakLevels,
                         std::int32_t count,
                         double noiseFactor,
                         double peakSpreadFactor);

}  // namespace ruvo
