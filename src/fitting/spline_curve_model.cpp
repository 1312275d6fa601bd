#include "fitting/spline_curve_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "fitting/bspline_basis.h"
#include "fitting/bspline_fit.h"
#include "fitting/bspline_value.h"

namespace ruvo {
namespace {

constexpr double kKnotMargin = 1e-6;  // of a segment: keeps every sample strictly inside the spline's span
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

}  // namespace

SplineCurveModel::SplineCurveModel(std::span<const double> xValues,
                                   std::span<const double> yValues,
                                   std::int32_t segmentCount,
                                   std::int32_t bsplineOrder)
    : CurveModel(xValues, yValues, segmentCount, bsplineOrder), segments(level), splineOrder(order) {
  if (segments < 1 || splineOrder < 1 || splineOrder > kMaxSplineOrder) return;
  const std::int64_t p = std::int64_t{segments} + 2 * std::int64_t{splineOrder} - 1;
  const std::int64_t n = p - splineOrder;
  if (count < n) {  // fewer samples than coefficients: nothing to solve, nothing to allocate
    fitStatus = 2;
    return;
  }
  const std::int64_t lw = DefcWorkLength(count, splineOrder, p);
  if (lw > kInt32Max) return;
  knotCount = static_cast<std::int32_t>(p);
  coefficientCount = static_cast<std::int32_t>(n);
  workLength = static_cast<std::int32_t>(lw);

  weights.assign(x.size(), 1.0);
  knots.resize(static_cast<std::size_t>(knotCount));
  coefficients.resize(static_cast<std::size_t>(coefficientCount));
  work.resize(static_cast<std::size_t>(workLength));
  PlaceKnots();
  DEFC(count, x, y, weights, splineOrder, knotCount, knots, 1, fitStatus, coefficients, work, workLength);
}

void SplineCurveModel::PlaceKnots() {
  // 1-based knot t(j) is knots[j - 1].
  const auto t = [this](std::int32_t j) -> double& { return knots[static_cast<std::size_t>(j - 1)]; };
  const auto [lowest, highest] = std::minmax_element(x.begin(), x.end());
  const double xmin = *lowest;
  const double xmax = *highest;
  const double h = (xmax - xmin) / segments;
  const std::int32_t k = splineOrder;
  t(k) = xmin - h * kKnotMargin;
  t(k + segments) = xmax + h * kKnotMargin;
  for (std::int32_t j = 1; j <= segments - 1; ++j) t(k + j) = t(k + j - 1) + h;
  for (std::int32_t j = k - 1; j >= 1; --j) t(j) = t(j + 1) - h;
  for (std::int32_t j = k + segments + 1; j <= knotCount; ++j) t(j) = t(j - 1) + h;
}

std::int32_t SplineCurveModel::Fit() {
  if (fitStatus != 1) return 0;
  return std::all_of(coefficients.begin(), coefficients.end(), [](double c) { return std::isfinite(c); }) ? 1 : 0;
}

double SplineCurveModel::Evaluate(double at, std::int32_t derivativeOrder) {
  if (knots.empty()) return std::numeric_limits<double>::quiet_NaN();
  return DBVALU(knots, coefficients, coefficientCount, splineOrder, derivativeOrder, at, searchHint, work);
}

double SplineCurveModel::Value(double at) {
  return Evaluate(at, 0);
}
double SplineCurveModel::Derivative(double at) {
  return Evaluate(at, 1);
}
double SplineCurveModel::SecondDerivative(double at) {
  return Evaluate(at, 2);
}

CurveModel::Evaluation SplineCurveModel::EvaluateAll(double at) {
  if (knots.empty()) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {nan, nan, nan};
  }
  std::array<double, 3> values{};
  DBVALUUpToSecond(knots, coefficients, coefficientCount, splineOrder, at, searchHint, work, values);
  return {values[0], values[1], values[2]};
}

}  // namespace ruvo
