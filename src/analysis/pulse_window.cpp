#include "analysis/pulse_window.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

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

// One Gauss-Newton step for the polynomial c0 + c1 x (+ c2 x^2) through (x, y) from the coefficients
// given, which it updates, and the sum of squared residuals after it: operation for operation the
// arithmetic of LsqMinimizer's method 1 with Polynomial as its model (normal equations summed point
// by point, solved by GaussJordanSolve, a failed solve leaving the coefficients), so the results are
// the same to the last bit, without the general minimizer's set-up and indirect calls for every pulse.
// Reference: Bevington and Robinson, Data Reduction and Error Analysis for the Physical Sciences, 8.
// Built without vectorisation (see CMakeLists.txt): pairing the sums made the compiler assemble
// vectors through memory at every point, a store-forwarding stall longer than the arithmetic it saved.
template <std::size_t kCount>
double FitPolynomialStepOf(std::span<const double> x, std::span<const double> y, std::array<double, 3>& coefficients) {
  constexpr auto count = static_cast<std::int32_t>(kCount);
  // The sums in local arrays of fixed size, so they stay in registers rather than going through
  // memory at every point.
  std::array<std::array<double, kCount>, kCount> sums{};
  std::array<double, kCount> right{};
  std::array<double, 3> gradient{};
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double residual = y[i] - Polynomial(x[i], gradient.data(), coefficients.data(), count);
    for (std::size_t a = 0; a < kCount; ++a) {
      const double ga = gradient[a];
      right[a] += residual * ga;
      for (std::size_t b = a; b < kCount; ++b) sums[a][b] += ga * gradient[b];
    }
  }
  // Only the rows the solve uses are filled; it never reads the others.
  using Row = std::array<double, LsqMinimizer::kMaxParams>;
  std::array<Row, LsqMinimizer::kMaxParams> normal;
  Row rhs{};
  for (std::size_t a = 0; a < kCount; ++a) {
    normal[a] = Row{};
    rhs[a] = right[a];
    for (std::size_t b = 0; b < kCount; ++b) normal[a][b] = b >= a ? sums[a][b] : sums[b][a];
  }
  std::int32_t status = GaussJordanSolve(normal, rhs, count);
  if (status == LsqMinimizer::kSolved &&
      !std::all_of(rhs.begin(), rhs.begin() + count, [](double v) { return std::isfinite(v); }))
    status = LsqMinimizer::kSingular;
  for (std::size_t a = 0; a < kCount; ++a) coefficients[a] += status == LsqMinimizer::kSolved ? rhs[a] : 0.0;

  double sum = 0.0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double residual = y[i] - Polynomial(x[i], gradient.data(), coefficients.data(), count);
    sum += residual * residual;
  }
  return sum;
}

double FitPolynomialStep(std::span<const double> x,
                         std::span<const double> y,
                         std::array<double, 3>& coefficients,
                         std::int32_t coefficientCount) {
  return coefficientCount == 3 ? FitPolynomialStepOf<3>(x, y, coefficients)
                               : FitPolynomialStepOf<2>(x, y, coefficients);
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
  const double squares = FitPolynomialStep(std::span<const double>(x.data(), points),
                                           std::span<const double>(y.data(), points), coefficients, coefficientCount);
  const double sigma = std::sqrt(squares / static_cast<double>(m - coefficientCount));
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
