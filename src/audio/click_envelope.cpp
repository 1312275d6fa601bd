#include "audio/click_envelope.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <utility>

#include "tracking/real_fft.h"

namespace ruvo {
namespace {

constexpr double kNoiseP99PerMedian = 3.82;  // 99th percentile / median of |Gaussian noise|

std::size_t Samples(double seconds, double sampleRateHz) {
  return static_cast<std::size_t>(std::lround(seconds * sampleRateHz));
}

// Positions of the strongest peaks of |sound|, at most count, each spacing samples from the others,
// strongest first: the largest sample of each block of spacing samples, taken in order of height.
std::vector<std::size_t> StrongestPeaks(std::span<const float> sound, std::size_t spacing, std::size_t count) {
  std::vector<std::size_t> blockPeaks;
  for (std::size_t start = 0; start < sound.size(); start += spacing) {
    const std::size_t end = std::min(sound.size(), start + spacing);
    std::size_t best = start;
    for (std::size_t n = start; n < end; ++n)
      if (std::fabs(sound[n]) > std::fabs(sound[best])) best = n;
    blockPeaks.push_back(best);
  }
  std::stable_sort(blockPeaks.begin(), blockPeaks.end(),
                   [&](std::size_t a, std::size_t b) { return std::fabs(sound[a]) > std::fabs(sound[b]); });
  std::vector<std::size_t> taken;
  for (std::size_t peak : blockPeaks) {
    if (taken.size() == count) break;
    const bool clear = std::none_of(taken.begin(), taken.end(), [&](std::size_t other) {
      return (peak > other ? peak - other : other - peak) < spacing;
    });
    if (clear) taken.push_back(peak);
  }
  return taken;
}

// The Hilbert transform of a short real sequence, zero-padded to a power of two at least four
// times as long: each positive-frequency bin turned by -90 degrees, transformed back.
std::vector<double> HilbertOf(std::span<const float> shape) {
  std::int32_t size = 4;
  while (static_cast<std::size_t>(size) < 4 * shape.size()) size *= 2;
  RealFft fft(size);
  const std::span<double> input = fft.Input();
  std::fill(input.begin(), input.end(), 0.0);
  std::copy(shape.begin(), shape.end(), input.begin());
  fft.Execute();
  const std::span<const std::complex<double>> bins = fft.Output();
  std::vector<double> turned(shape.size());
  for (std::size_t n = 0; n < turned.size(); ++n) {
    double sum = 0.0;
    for (std::size_t k = 1; 2 * k < static_cast<std::size_t>(size); ++k) {
      const double angle = 2.0 * std::numbers::pi * static_cast<double>(k * n % size) / size;
      sum += (bins[k] * std::polar(1.0, angle)).imag();
    }
    turned[n] = 2.0 * sum / size;
  }
  return turned;
}

}  // namespace

std::vector<std::size_t> StrongClicks(std::span<const float> sound, double sampleRateHz) {
  return StrongestPeaks(sound, std::max<std::size_t>(1, Samples(kClickSpacingSeconds, sampleRateHz)), kStrongClicks);
}

double ClickProminence(std::span<const float> sound, double sampleRateHz) {
  const std::vector<std::size_t> peaks = StrongClicks(sound, sampleRateHz);
  if (peaks.size() < static_cast<std::size_t>(kStrongClicks)) return 0.0;
  std::vector<float> heights, magnitudes(sound.size());
  for (std::size_t peak : peaks) heights.push_back(std::fabs(sound[peak]));
  std::transform(sound.begin(), sound.end(), magnitudes.begin(), [](float v) { return std::fabs(v); });
  const double noise = kNoiseP99PerMedian * Median(std::move(magnitudes));
  return noise > 0.0 ? Median(heights) / noise : 0.0;
}

std::vector<float> ClickTemplate(std::span<const float> sound, double sampleRateHz) {
  const std::size_t click = std::max<std::size_t>(2, Samples(kClickSeconds, sampleRateHz));
  const std::size_t before = click / 2, length = 2 * click;
  if (sound.size() < length) return {};
  std::vector<std::size_t> peaks = StrongClicks(sound, sampleRateHz);
  std::erase_if(peaks, [&](std::size_t peak) { return peak < before || peak - before + length > sound.size(); });
  if (peaks.size() < static_cast<std::size_t>(kStrongClicks)) return {};
  std::vector<float> shape(length, 0.0f);
  for (std::size_t peak : peaks) {
    const float sign = sound[peak] < 0.0f ? -1.0f : 1.0f;
    for (std::size_t n = 0; n < length; ++n) shape[n] += sign * sound[peak - before + n];
  }
  for (std::size_t n = 0; n < length; ++n) {
    const double hann =
        0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * (static_cast<double>(n) + 1.0) / static_cast<double>(length + 1));
    shape[n] = static_cast<float>(shape[n] * hann / static_cast<double>(peaks.size()));
  }
  return shape;
}

std::vector<float> MatchedEnvelope(std::span<const float> sound, std::span<const float> shape) {
  const std::vector<double> turned = HilbertOf(shape);
  double energy = 0.0, height = 0.0;
  for (float v : shape) {
    energy += static_cast<double>(v) * v;
    height = std::max(height, std::fabs(static_cast<double>(v)));
  }
  const double scale = energy > 0.0 ? height / energy : 0.0;
  std::vector<float> inPhase(shape.size()), quadrature(shape.size());
  for (std::size_t k = 0; k < shape.size(); ++k) {
    inPhase[k] = static_cast<float>(shape[k] * scale);
    quadrature[k] = static_cast<float>(turned[k] * scale);
  }
  // Tap by tap over the whole sound: the same order of sums for every sample, and vectorised.
  std::vector<float> real(sound.size(), 0.0f), imaginary(sound.size(), 0.0f);
  for (std::size_t k = 0; k < shape.size() && k < sound.size(); ++k) {
    const std::size_t reach = sound.size() - k;
    for (std::size_t n = 0; n < reach; ++n) {
      real[n] += sound[n + k] * inPhase[k];
      imaginary[n] += sound[n + k] * quadrature[k];
    }
  }
  std::vector<float> envelope(sound.size());
  for (std::size_t n = 0; n < sound.size(); ++n) envelope[n] = std::hypot(real[n], imaginary[n]);
  return envelope;
}

}  // namespace ruvo
