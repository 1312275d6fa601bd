#include "tracking/decimation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ruvo {
namespace {

// Passband edge as a fraction of the output rate: the analysis keeps components below 0.45 of
// the output Nyquist frequency, so the transition band lies above what is read.
constexpr double kCutoffOfOutputRate = 0.42;
constexpr std::int32_t kTapsPerFactor = 12;  // half-length of the filter per unit of factor

std::vector<double> LowPassTaps(std::int32_t factor) {
  const std::int32_t half = kTapsPerFactor * factor;
  const double cutoff = kCutoffOfOutputRate / factor;  // cycles per input sample
  std::vector<double> taps(static_cast<std::size_t>(2 * half + 1));
  double sum = 0.0;
  for (std::int32_t m = -half; m <= half; ++m) {
    const double x = 2.0 * std::numbers::pi * cutoff * m;
    const double sinc = m == 0 ? 1.0 : std::sin(x) / x;
    const double phase = std::numbers::pi * (m + half) / half;  // 0 to 2 pi over the filter
    const double blackman = 0.42 - 0.5 * std::cos(phase) + 0.08 * std::cos(2.0 * phase);
    taps[static_cast<std::size_t>(m + half)] = sinc * blackman;
    sum += sinc * blackman;
  }
  for (double& tap : taps) tap /= sum;  // unit gain at 0 Hz
  return taps;
}

template <typename Sample>
std::vector<double> DecimateScaled(std::span<const Sample> samples, double scale, std::int32_t factor) {
  if (factor <= 1) {
    std::vector<double> copy(samples.size());
    for (std::size_t n = 0; n < samples.size(); ++n) copy[n] = scale * samples[n];
    return copy;
  }
  const std::vector<double> taps = LowPassTaps(factor);
  const auto half = static_cast<std::int64_t>(taps.size() / 2);
  const auto count = static_cast<std::int64_t>(samples.size());
  const std::int64_t outCount = (count + factor - 1) / factor;
  std::vector<double> out(static_cast<std::size_t>(outCount));
  for (std::int64_t k = 0; k < outCount; ++k) {
    const std::int64_t centre = k * factor;
    const std::int64_t first = std::max<std::int64_t>(0, centre - half);
    const std::int64_t last = std::min<std::int64_t>(count - 1, centre + half);
    double sum = 0.0;
    for (std::int64_t n = first; n <= last; ++n)
      sum += taps[static_cast<std::size_t>(n - centre + half)] * samples[static_cast<std::size_t>(n)];
    out[static_cast<std::size_t>(k)] = scale * sum;
  }
  return out;
}

}  // namespace

std::vector<double> Decimate(std::span<const double> samples, std::int32_t factor) {
  return DecimateScaled(samples, 1.0, factor);
}

std::vector<double> Decimate(std::span<const float> samples, double scale, std::int32_t factor) {
  return DecimateScaled(samples, scale, factor);
}

}  // namespace ruvo
