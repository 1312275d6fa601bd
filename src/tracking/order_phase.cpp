#include "tracking/order_phase.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>

namespace ruvo {
namespace {

constexpr double kWindowRevolutions = 4.0;  // Hann nulls at every quarter order from the half order on
constexpr double kWeakFraction = 0.2;       // below this fraction of the median strength, trust the reference

std::size_t At(std::int64_t index) { return static_cast<std::size_t>(index); }

// Reference angle (revolutions) at every sample: the frame speeds interpolated linearly and
// integrated by the trapezoid rule from 0 at sample 0.
std::vector<double> ReferenceAngle(const AnalysisSignal& signal, std::span<const double> revPerSecond) {
  const std::size_t count = signal.samples.size();
  std::vector<double> angle(count);
  const auto frames = static_cast<std::int64_t>(revPerSecond.size());
  auto speedAt = [&](std::int64_t n) {
    const std::int64_t frame = n / signal.hopSamples;
    if (frame >= frames - 1) return revPerSecond[At(frames - 1)];
    const double fraction = static_cast<double>(n - frame * signal.hopSamples) / signal.hopSamples;
    return (1.0 - fraction) * revPerSecond[At(frame)] + fraction * revPerSecond[At(frame + 1)];
  };
  double previous = speedAt(0);
  for (std::size_t n = 1; n < count; ++n) {
    const double speed = speedAt(static_cast<std::int64_t>(n));
    angle[n] = angle[n - 1] + 0.5 * (previous + speed) / signal.sampleRate;
    previous = speed;
  }
  return angle;
}

}  // namespace

std::vector<double> RevolutionsFromPhase(const AnalysisSignal& signal,
                                         std::span<const double> referenceRevPerSecond,
                                         double order) {
  const auto frames = static_cast<std::int64_t>(referenceRevPerSecond.size());
  const auto count = static_cast<std::int64_t>(signal.samples.size());
  if (frames == 0 || count == 0) return {};
  const std::vector<double> angle = ReferenceAngle(signal, referenceRevPerSecond);
  std::vector<std::complex<double>> shifted(At(count));
  for (std::int64_t n = 0; n < count; ++n)
    shifted[At(n)] = signal.samples[At(n)] * std::polar(1.0, -2.0 * std::numbers::pi * order * angle[At(n)]);

  // The order's complex amplitude at each frame, averaged over the angle window. Weighting each
  // sample by its angle step makes the sum an integral over angle, not time.
  std::vector<std::complex<double>> amplitude(At(frames));
  std::vector<std::uint8_t> whole(At(frames), 0);  // the window lies within the recording
  const double half = 0.5 * kWindowRevolutions;
  for (std::int64_t f = 0; f < frames; ++f) {
    const std::int64_t centre = std::min(f * signal.hopSamples, count - 1);
    const double centreAngle = angle[At(centre)];
    std::int64_t first = centre;
    while (first > 0 && angle[At(first - 1)] > centreAngle - half) --first;
    std::int64_t last = centre;
    while (last + 1 < count && angle[At(last + 1)] < centreAngle + half) ++last;
    std::complex<double> sum = 0.0;
    for (std::int64_t n = std::max<std::int64_t>(first, 1); n <= last; ++n) {
      const double offset = angle[At(n)] - centreAngle;
      const double hann = std::cos(std::numbers::pi * offset / kWindowRevolutions);
      sum += hann * hann * (angle[At(n)] - angle[At(n - 1)]) * shifted[At(n)];
    }
    amplitude[At(f)] = sum;
    whole[At(f)] = centreAngle - half >= angle[0] && centreAngle + half <= angle[At(count - 1)] ? 1 : 0;
  }

  std::vector<double> strength(At(frames));
  for (std::int64_t f = 0; f < frames; ++f) strength[At(f)] = std::abs(amplitude[At(f)]);
  std::vector<double> sorted = strength;
  std::nth_element(sorted.begin(), sorted.begin() + frames / 2, sorted.end());
  const double weak = kWeakFraction * sorted[At(frames / 2)];

  // Residual phase unwrapped from frame to frame, in cycles of the order.
  std::vector<double> revolutions(At(frames));
  double residual = 0.0;
  for (std::int64_t f = 1; f < frames; ++f) {
    if (whole[At(f)] != 0 && whole[At(f - 1)] != 0 && strength[At(f)] > weak && strength[At(f - 1)] > weak)
      residual += std::arg(amplitude[At(f)] * std::conj(amplitude[At(f - 1)])) / (2.0 * std::numbers::pi);
    const double referenceRevolutions = angle[At(std::min(f * signal.hopSamples, count - 1))];
    revolutions[At(f)] = referenceRevolutions + residual / order;
  }
  return revolutions;
}

std::vector<double> SpeedFromRevolutions(std::span<const double> revolutions, double hopSeconds, std::int32_t halfSpan) {
  const auto frames = static_cast<std::int64_t>(revolutions.size());
  std::vector<double> speed(At(frames));
  for (std::int64_t f = 0; f < frames; ++f) {
    const std::int64_t first = std::max<std::int64_t>(0, f - halfSpan);
    const std::int64_t last = std::min<std::int64_t>(frames - 1, f + halfSpan);
    // Normal equations of y = a + b x + c x^2 about the frame (x in frames), solved by Cramer's rule.
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0, t0 = 0.0, t1 = 0.0, t2 = 0.0;
    for (std::int64_t g = first; g <= last; ++g) {
      const auto x = static_cast<double>(g - f);
      const double y = revolutions[At(g)] - revolutions[At(f)];
      s0 += 1.0;
      s1 += x;
      s2 += x * x;
      s3 += x * x * x;
      s4 += x * x * x * x;
      t0 += y;
      t1 += x * y;
      t2 += x * x * y;
    }
    const double det = s0 * (s2 * s4 - s3 * s3) - s1 * (s1 * s4 - s3 * s2) + s2 * (s1 * s3 - s2 * s2);
    const double slopeNumerator = s0 * (t1 * s4 - s3 * t2) - t0 * (s1 * s4 - s3 * s2) + s2 * (s1 * t2 - t1 * s2);
    if (last - first >= 2 && det != 0.0) {
      speed[At(f)] = slopeNumerator / det / hopSeconds;
    } else if (last > first) {
      speed[At(f)] = (revolutions[At(last)] - revolutions[At(first)]) / (static_cast<double>(last - first) * hopSeconds);
    }
  }
  return speed;
}

}  // namespace ruvo
