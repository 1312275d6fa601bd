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
constexpr auto kScratchLength = static_cast<std::size_t>(3 * kMaxSplineOrder);  // what DBVALU needs for any order

}  // namespace

SplineCurveModel::SplineCurveModel(std::span<const double> xValues,
                                   std::span<const double> yValues,
                                   std::int32_t segmentCount,
                                   std::int32_t bsplineOrder)
    : CurveModel(xValues, yValues, segmentCount, bsplineOrder), segments(level), splineOrder(order) {}

bool SplineCurveModel::Fit() {
  if (segments < 1 || splineOrder < 1 || splineOrder > kMaxSplineOrder) return false;
  const std::int64_t p = std::int64_t{segments} + 2 * std::int64_t{splineOrder} - 1;
  const std::int64_t n = p - splineOrder;
  if (count < n) return false;  // fewer samples than coefficients: nothing to solve, nothing to allocate
  const std::int64_t lw = DefcWorkLength(count, splineOrder, p);
  if (lw > kInt32Max) return false;
  knotCount = static_cast<std::int32_t>(p);
  coefficientCount = static_cast<std::int32_t>(n);
  const auto workLength = static_cast<std::int32_t>(lw);

  const std::vector<double> weights(x.size(), 1.0);  // an unweighted fit
  std::vector<double> work(static_cast<std::size_t>(workLength));
  knots.resize(static_cast<std::size_t>(knotCount));
  coefficients.resize(static_cast<std::size_t>(coefficientCount));
  PlaceKnots();
  std::int32_t status = -1;  // DEFC: 1 solved, 2 not solved, -1 invalid input
  DEFC(count, x, y, weights, splineOrder, knotCount, knots, 1, status, coefficients, work, workLength);
  return status == 1 &&
         std::all_of(coefficients.begin(), coefficients.end(), [](double c) { return std::isfinite(c); });
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

// DBVALU finds the same knot interval from any starting hint, so each evaluation starts afresh;
// its scratch is written before it is read.
double SplineCurveModel::Evaluate(double at, std::int32_t derivativeOrder) const {
  if (knots.empty()) return std::numeric_limits<double>::quiet_NaN();
  std::int32_t hint = 1;
  std::array<double, kScratchLength> scratch{};
  return DBVALU(knots, coefficients, coefficientCount, splineOrder, derivativeOrder, at, hint, scratch);
}

double SplineCurveModel::Value(double at) const {
  return Evaluate(at, 0);
}
double SplineCurveModel::Derivative(double at) const {
  return Evaluate(at, 1);
}
double SplineCurveModel::SecondDerivative(double at) const {
  return Evaluate(at, 2);
}

CurveModel::Evaluation SplineCurveModel::EvaluateAll(double at) const {
  if (knots.empty()) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {nan, nan, nan};
  }
  std::int32_t hint = 1;
  std::array<double, kScratchLength> scratch{};
  std::array<double, 3> values{};
  DBVALUUpToSecond(knots, coefficients, coefficientCount, splineOrder, at, hint, scratch, values);
  return {values[0], values[1], values[2]};
}

}  // namespace ruvo
