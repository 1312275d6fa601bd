#include "fitting/linear_curve_model.h"

#include <algorithm>
#include <cmath>

#include "fitting/interval_search.h"
#include "fitting/vector_index.h"

namespace ruvo {
namespace {

constexpr std::int32_t kMinPointsForSlopes = 2;
constexpr std::int32_t kMinPointsForCurvature = 3;

}  // namespace

LinearCurveModel::LinearCurveModel(std::span<const double> xValues,
                                   std::span<const double> yValues,
                                   std::int32_t smoothingLevel,
                                   std::int32_t splineOrder)
    : CurveModel(xValues, yValues, smoothingLevel, splineOrder) {
  if (count < kMinPointsForSlopes) return;
  slopes.resize(At(count - 1));
  intercepts.resize(At(count - 1));
  for (std::int32_t i = 0; i + 1 < count; ++i) {
    slopes[At(i)] = (y[At(i + 1)] - y[At(i)]) / (x[At(i + 1)] - x[At(i)]);
    intercepts[At(i)] = y[At(i)] - slopes[At(i)] * x[At(i)];
  }
  upperMid = (x[At(count - 1)] + x[At(count - 2)]) * 0.5;
  lowerMid = (x[At(0)] + x[At(1)]) * 0.5;
}

bool LinearCurveModel::Fit() {
  return count >= kMinPointsForCurvature;
}

double LinearCurveModel::Midpoint(std::int32_t interval) const {
  return (x[At(interval)] + x[At(interval + 1)]) * 0.5;
}

double LinearCurveModel::Value(double at) const {
  if (count < kMinPointsForSlopes) return std::nan("");
  const std::int32_t i = FindInterval(x, at, cachedInterval);
  return at * slopes[At(i)] + intercepts[At(i)];
}

double LinearCurveModel::Derivative(double at) const {
  if (count < kMinPointsForSlopes) return std::nan("");
  const std::int32_t i = FindInterval(x, at, cachedInterval);
  const double mid = Midpoint(i);
  // The index test only matters for abscissae that are not finite; it keeps i - 1 and i + 1 valid.
  if (mid >= upperMid || mid <= lowerMid || i == 0 || i == count - 2) return slopes[At(i)];
  const std::int32_t lower = at > mid ? i : i - 1;
  const double lowerMidpoint = Midpoint(lower);
  const double upperMidpoint = Midpoint(lower + 1);
  const double width = upperMidpoint - lowerMidpoint;
  return ((upperMidpoint - at) / width) * slopes[At(lower)] + ((at - lowerMidpoint) / width) * slopes[At(lower + 1)];
}

double LinearCurveModel::SecondDerivative(double at) const {
  if (count < kMinPointsForCurvature) return std::nan("");
  const std::int32_t i = FindInterval(x, at, cachedInterval);
  std::int32_t j = i;
  if (Midpoint(i) < at) j = std::min(i + 1, count - 2);
  j = std::max(j, 1);
  return 2.0 * (slopes[At(j)] - slopes[At(j - 1)]) / (x[At(j + 1)] - x[At(j - 1)]);
}

}  // namespace ruvo
