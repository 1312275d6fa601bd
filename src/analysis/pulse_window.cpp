#include "analysis/pulse_window.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "fitting/lsq_minimizer.h"

namespace ruvo {
namespace {

constexpr double kOffsetLimit = 1099511627776.0;  // 2^40 samples, far beyond any recording
constexpr std::int32_t kMaxFitPulses = 8;         // starts used for the polynomial
constexpr std::int32_t kQuadraticFrom = 5;        // known pulses from which a quadratic is fitted
constexpr std::int32_t kCutoffPulses = 10;        // recent pulses whose levels set the cutoff
constexpr double kSpreadWidth = 3.0;              // window half-width in residual spreads
constexpr double kPeakShare = 0.8;                // share of the mean peak that still counts
constexpr double kMaxCutoff = 255.0;              // deviations of 8-bit samples end here

// c0 + c1 x (+ c2 x^2) and its partial derivatives 1, x (, x^2).
double Polynomial(double at, double* gradient, const double* coefficients, std::int32_t coefficientCount) {
  double value = 0.0;
  double power = 1.0;
  for (std::int32_t c = 0; c < coefficientCount; ++c) {
    gradient[c] = power;
    value += coefficients[c] * power;
    power *= at;
  }
  return value;
}

}  // namespace

std::int64_t TruncatedOffset(double value) {
  if (std::isnan(value)) return 0;
  return static_cast<std::int64_t>(std::clamp(std::trunc(value), -kOffsetLimit, kOffsetLimit));
}

PulseWindow PredictWindow(std::span<const std::int32_t> starts, std::span<const std::int32_t> ends, std::int32_t n) {
  if (n <= 1) return {starts[0], starts[0]};
  const std::int64_t last = starts[static_cast<std::size_t>(n - 1)];
  if (n == 2) {
    const std::int64_t spacing = last - starts[0];
    return {last + TruncatedOffset(0.8 * static_cast<double>(spacing)),
            last + TruncatedOffset(1.2 * static_cast<double>(spacing))};
  }

  const std::int32_t m = std::min(n, kMaxFitPulses);
  const std::int32_t coefficientCount = n >= kQuadraticFrom ? 3 : 2;
  std::array<double, kMaxFitPulses> x{};
  std::array<double, kMaxFitPulses> y{};
  double durationSum = 0.0;
  for (std::int32_t p = 0; p < m; ++p) {
    const auto i = static_cast<std::size_t>(n - m + p);
    x[static_cast<std::size_t>(p)] = static_cast<double>(n - m + p - n);
    y[static_cast<std::size_t>(p)] = starts[i];
    durationSum += ends[i] - starts[i];
  }
  std::array<double, 3> coefficients{static_cast<double>(last), 0.0, 0.0};
  const auto points = static_cast<std::size_t>(m);
  LsqMinimizer fit(std::span<const double>(x.data(), points), std::span<const double>(y.data(), points), Polynomial,
                   coefficients, coefficientCount, 0);
  fit.Minimize(0.0, 20);
  const double sigma = std::sqrt(fit.SumOfSquares() / static_cast<double>(m - coefficientCount));
  const double meanDuration = durationSum / static_cast<double>(m - 1);
  const double c0 = coefficients[0];
  return {TruncatedOffset(c0 - kSpreadWidth * sigma), TruncatedOffset(c0 + kSpreadWidth * sigma + meanDuration)};
}

std::int32_t PulseCutoff(std::span<const std::uint8_t> noiseLevels,
                         std::span<const std::uint8_t> peakLevels,
                         std::int32_t count,
                         double noiseFactor,
                         double peakSpreadFactor) {
  if (count < 2) return 0;
  const std::int32_t w = std::min(count, kCutoffPulses);
  const auto first = static_cast<std::size_t>(count - w);
  const auto end = static_cast<std::size_t>(count);
  double noiseSum = 0.0;
  double peakSum = 0.0;
  std::uint8_t minPeak = 255;
  for (std::size_t i = first; i < end; ++i) {
    noiseSum += noiseLevels[i];
    peakSum += peakLevels[i];
    minPeak = std::min(minPeak, peakLevels[i]);
  }
  const double noiseMean = noiseSum / w;
  const double peakMean = peakSum / w;
  double spreadSum = 0.0;
  for (std::size_t i = first; i < end; ++i) {
    const double difference = peakLevels[i] - peakMean;
    spreadSum += difference * difference;
  }
  const double sd = std::sqrt(spreadSum / (w - 1));

  const double noiseCut = noiseMean * noiseFactor;
  const double peakCut = kPeakShare * peakMean - sd * peakSpreadFactor;
  if (minPeak < std::trunc(noiseCut)) return 0;
  const double cutoff = std::trunc(peakCut >= noiseCut ? peakCut : noiseCut);
  if (!(cutoff > 0.0)) return 0;  // also NaN
  return static_cast<std::int32_t>(std::min(cutoff, kMaxCutoff));
}

}  // namespace ruvo
