#include "fitting/local_smoothing_model.h"

#include <algorithm>
#include <cmath>

#include "fitting/interval_search.h"
#include "fitting/vector_index.h"

namespace ruvo {
namespace {

constexpr std::int32_t kMinPoints = 2;
// A window whose determinant is this small relative to (sum x)^2 has abscissae too close together
// for the normal equations; the central difference is used instead.
constexpr double kDegenerateWindow = 1e-10;

}  // namespace

LocalSmoothingModel::LocalSmoothingModel(std::span<const double> xValues,
                                         std::span<const double> yValues,
                                         std::int32_t smoothingLevel,
                                         std::int32_t splineOrder)
    : CurveModel(xValues, yValues, smoothingLevel, splineOrder) {}

bool LocalSmoothingModel::Fit() {
  if (count < kMinPoints) return false;
  const auto n = At(count);
  smoothedValues.resize(n);
  smoothedSlopes.resize(n);
  for (std::int32_t i = 0; i < count; ++i) {
    const Line line = LocalLine(i, y);
    smoothedValues[At(i)] = line.slope * x[At(i)] + line.intercept;
    smoothedSlopes[At(i)] = line.slope;
  }
  // In place and in increasing order: the window of sample i sees the already smoothed slopes below
  // i and the first-pass slopes from i on.
  for (std::int32_t i = 0; i < count; ++i) {
    const Line line = LocalLine(i, smoothedSlopes);
    smoothedSlopes[At(i)] = line.slope * x[At(i)] + line.intercept;
  }
  smoothedCurvatures.resize(n);
  for (std::int32_t i = 0; i < count; ++i) smoothedCurvatures[At(i)] = LocalLine(i, smoothedSlopes).slope;
  return true;
}

// Least-squares line through (x[j], v[j]) for j = i-w..i+w, w = min(level, i, n-1-i):
// b = (N Sxy - Sx Sy) / D, a = (Sxx Sy - Sx Sxy) / D, D = N Sxx - Sx^2, sums in increasing j.
// A single-sample window (w = 0) takes the forward difference at the first sample and the backward
// difference elsewhere, through the sample itself; a degenerate window the central difference.
// Reference: Bevington and Robinson, Data Reduction and Error Analysis for the Physical Sciences, 6.
LocalSmoothingModel::Line LocalSmoothingModel::LocalLine(std::int32_t i, const std::vector<double>& v) const {
  const std::int32_t w = std::max(0, std::min({level, i, count - 1 - i}));
  const auto through = [&](std::int32_t from, std::int32_t to) {
    const double slope = (v[At(to)] - v[At(from)]) / (x[At(to)] - x[At(from)]);
    return Line{v[At(i)] - slope * x[At(i)], slope};
  };
  if (w == 0) return i == 0 ? through(0, 1) : through(i - 1, i);

  double sx = 0.0;
  double sxx = 0.0;
  double sy = 0.0;
  double sxy = 0.0;
  for (std::int32_t j = i - w; j <= i + w; ++j) {
    sx += x[At(j)];
    sxx += x[At(j)] * x[At(j)];
    sy += v[At(j)];
    sxy += x[At(j)] * v[At(j)];
  }
  const double samples = 2.0 * w + 1.0;
  const double determinant = samples * sxx - sx * sx;
  if (std::fabs(sx * sx) * kDegenerateWindow > std::fabs(determinant)) return through(i - 1, i + 1);
  return Line{(sxx * sy - sx * sxy) / determinant, (samples * sxy - sx * sy) / determinant};
}

double LocalSmoothingModel::Interpolate(const std::vector<double>& s, double at) const {
  if (s.empty()) return std::nan("");  // not fitted
  const std::int32_t p = FindInterval(x, at, cachedInterval);
  return ((x[At(p + 1)] - at) * s[At(p)] + (at - x[At(p)]) * s[At(p + 1)]) / (x[At(p + 1)] - x[At(p)]);
}

double LocalSmoothingModel::Value(double at) const {
  return Interpolate(smoothedValues, at);
}
double LocalSmoothingModel::Derivative(double at) const {
  return Interpolate(smoothedSlopes, at);
}
double LocalSmoothingModel::SecondDerivative(double at) const {
  return Interpolate(smoothedCurvatures, at);
}

}  // namespace ruvo
