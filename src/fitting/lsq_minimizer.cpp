#include "fitting/lsq_minimizer.h"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <utility>

#include "fitting/vector_index.h"

namespace ruvo {
namespace {

using Matrix = std::array<std::array<double, LsqMinimizer::kMaxParams>, LsqMinimizer::kMaxParams>;
using Vector = std::array<double, LsqMinimizer::kMaxParams>;

constexpr double kDefaultTolerance = 0.0001;      // method 2, when the caller gives none
constexpr double kMaxFirstStepFraction = 0.05;    // method 2: first step at most 5 % of the start value
constexpr std::int32_t kMaxExpansionRounds = 30;  // method 2: bracket search
constexpr double kGoldenFraction = 0.38196601;    // 1 - 1/golden ratio
constexpr double kLogGoldenShrink = -0.4812118;   // ln(1 - kGoldenFraction): one golden-section reduction
constexpr double kMaxGoldenRounds = 100.0;        // shrinks any bracket by 1e-21
constexpr double kParabolaDamping = 0.00001;      // method 3: initial lambda
constexpr double kMarquardtDamping = 0.0001;      // method 4: initial lambda

constexpr std::array<std::int32_t, LsqMinimizer::kMaxParams> kIdentityIndex = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

bool AllFinite(const Vector& values, std::int32_t m) {
  return std::all_of(values.begin(), values.begin() + m, [](double v) { return std::isfinite(v); });
}

}  // namespace

namespace {

// The solve for an order given at run time (Order = std::int32_t) or at compile time
// (std::integral_constant), so that the small systems of the window prediction run unrolled; the
// operations and their order are the same either way.
template <typename Order>
std::int32_t GaussJordan(Matrix& a, Vector& b, Order order) {
  const std::int32_t m = order;
  std::array<std::int32_t, LsqMinimizer::kMaxParams> useCount{};
  std::array<std::int32_t, LsqMinimizer::kMaxParams> pivotRow{};
  std::array<std::int32_t, LsqMinimizer::kMaxParams> pivotColumn{};
  for (std::int32_t pass = 0; pass < m; ++pass) {
    double largest = 0.0;
    std::int32_t row = -1;
    std::int32_t column = -1;
    for (std::int32_t j = 0; j < m; ++j) {
      if (useCount[At(j)] == 1) continue;
      for (std::int32_t k = 0; k < m; ++k) {
        if (useCount[At(k)] == 0) {
          // >= so that a later element of equal magnitude wins; NaN never does.
          if (std::fabs(a[At(j)][At(k)]) >= largest) {
            largest = std::fabs(a[At(j)][At(k)]);
            row = j;
            column = k;
          }
        } else if (useCount[At(k)] > 1) {
          return LsqMinimizer::kSingular;
        }
      }
    }
    if (row < 0) return LsqMinimizer::kSingular;
    ++useCount[At(column)];
    if (row != column) {
      std::swap(a[At(row)], a[At(column)]);
      std::swap(b[At(row)], b[At(column)]);
    }
    pivotRow[At(pass)] = row;
    pivotColumn[At(pass)] = column;
    const double pivot = a[At(column)][At(column)];
    if (pivot == 0.0 || !std::isfinite(pivot)) return LsqMinimizer::kSingular;
    const double inverse = 1.0 / pivot;
    a[At(column)][At(column)] = 1.0;
    for (std::int32_t l = 0; l < m; ++l) a[At(column)][At(l)] *= inverse;
    b[At(column)] *= inverse;
    for (std::int32_t other = 0; other < m; ++other) {
      if (other == column) continue;
      const double multiplier = a[At(other)][At(column)];
      a[At(other)][At(column)] = 0.0;
      for (std::int32_t l = 0; l < m; ++l) a[At(other)][At(l)] -= a[At(column)][At(l)] * multiplier;
      b[At(other)] -= b[At(column)] * multiplier;
    }
  }
  for (std::int32_t pass = m - 1; pass >= 0; --pass) {
    if (pivotRow[At(pass)] == pivotColumn[At(pass)]) continue;
    for (std::int32_t k = 0; k < m; ++k)
      std::swap(a[At(k)][At(pivotRow[At(pass)])], a[At(k)][At(pivotColumn[At(pass)])]);
  }
  return LsqMinimizer::kSolved;
}

}  // namespace

std::int32_t GaussJordanSolve(Matrix& a, Vector& b, std::int32_t m) {
  switch (m) {
    case 2:
      return GaussJordan(a, b, std::integral_constant<std::int32_t, 2>{});
    case 3:
      return GaussJordan(a, b, std::integral_constant<std::int32_t, 3>{});
    default:
      return GaussJordan(a, b, m);
  }
}

LsqMinimizer::LsqMinimizer(std::span<const double> xValues,
                           std::span<const double> yValues,
                           Model function,
                           std::span<double> parameters,
                           std::int32_t parameterCount,
                           std::int32_t activeParameters)
    : LsqMinimizer(xValues, yValues, function, parameters, kIdentityIndex, parameterCount, activeParameters, 0) {}

LsqMinimizer::LsqMinimizer(std::span<const double> xValues,
                           std::span<const double> yValues,
                           Model function,
                           std::span<double> parameters,
                           std::span<const std::int32_t> index,
                           std::int32_t parameterCount,
                           std::int32_t activeParameters,
                           std::int32_t nonlinearParameters)
    : model(function),
      x(xValues),
      y(yValues),
      pointCount(static_cast<std::int32_t>(std::min(xValues.size(), yValues.size()))),
      params(parameters),
      paramCount(parameterCount),
      activeCount(activeParameters == 0 ? parameterCount : activeParameters),
      nonlinearCount(nonlinearParameters) {
  valid = CheckSetup(index);
  if (!valid) return;
  std::copy(index.begin(), index.begin() + paramCount, paramIndex.begin());
  if (nonlinearCount == 0) {
    method = 1;
  } else if (nonlinearCount == 1 && activeCount > 1) {
    method = 2;
    --activeCount;
  } else if (nonlinearCount >= 2 && nonlinearCount < activeCount) {
    method = 3;
  } else {
    method = 4;
  }
}

bool LsqMinimizer::CheckSetup(std::span<const std::int32_t> index) const {
  if (model == nullptr || paramCount < 1 || paramCount > kMaxParams) return false;
  if (activeCount < 1 || activeCount > paramCount || nonlinearCount < 0) return false;
  if (params.size() < static_cast<std::size_t>(paramCount) || index.size() < static_cast<std::size_t>(paramCount))
    return false;
  return std::all_of(index.begin(), index.begin() + paramCount,
                     [this](std::int32_t i) { return i >= 0 && i < paramCount; });
}

double LsqMinimizer::SumOfSquares() {
  if (!valid) return sumOfSquares = std::nan("");
  Vector gradient{};
  double sum = 0.0;
  for (std::int32_t i = 0; i < pointCount; ++i) {
    const auto point = static_cast<std::size_t>(i);
    const double residual = y[point] - model(x[point], gradient.data(), params.data(), paramCount);
    sum += residual * residual;
  }
  return sumOfSquares = sum;
}

// One Gauss-Newton step for the parameters at positions 0..activeCount-1: builds the normal equations
// A s = r with A[a][b] = sum g[a] g[b] and r[a] = sum (y - f) g[a] over all points (g: the model's
// gradient, by position), multiplies the diagonal from dampFrom on by (1 + lambda) when lambda > 0,
// solves, and adds s to the parameters. Only the first m entries of the step are written (method 3
// reuses the nonlinear part of a full step after re-solving the linear part). A singular system, or a
// step that is not finite, leaves the parameters as they were, sets status to kSingular and those
// step entries to zeros.
// Reference: Bevington and Robinson, Data Reduction and Error Analysis for the Physical Sciences, 8.
void LsqMinimizer::GaussNewtonStep() {
  const std::int32_t m = activeCount;
  Matrix normal{};
  Vector rhs{};
  Vector gradient{};
  for (std::int32_t i = 0; i < pointCount; ++i) {
    const double residual = y[At(i)] - model(x[At(i)], gradient.data(), params.data(), paramCount);
    for (std::int32_t a = 0; a < m; ++a) {
      const double ga = gradient[At(paramIndex[At(a)])];
      rhs[At(a)] += residual * ga;
      for (std::int32_t b = a; b < m; ++b) normal[At(a)][At(b)] += ga * gradient[At(paramIndex[At(b)])];
    }
  }
  for (std::int32_t a = 0; a < m; ++a)
    for (std::int32_t b = 0; b < a; ++b) normal[At(a)][At(b)] = normal[At(b)][At(a)];
  if (lambda > 0.0)
    for (std::int32_t a = std::max(dampFrom, 0); a < m; ++a) normal[At(a)][At(a)] *= 1.0 + lambda;

  status = GaussJordanSolve(normal, rhs, m);
  if (status == kSolved && !AllFinite(rhs, m)) status = kSingular;
  for (std::int32_t a = 0; a < m; ++a) {
    step[At(a)] = status == kSolved ? rhs[At(a)] : 0.0;
    Param(a) += step[At(a)];
  }
}

std::int32_t LsqMinimizer::Minimize(double tolerance, std::int32_t iterationLimit) {
  if (!valid) return status = kSingular;
  switch (method) {
    case 2:
      return GoldenSectionSearch(tolerance);
    case 3:
      return ParabolicLineSearch(tolerance, iterationLimit);
    case 4:
      return LevenbergMarquardt(iterationLimit);
    default:
      GaussNewtonStep();
      return status;
  }
}

// Sets the parameter at the given position, re-solves the active ones and returns S there.
double LsqMinimizer::EvaluateAt(std::int32_t position, double value) {
  Param(position) = value;
  GaussNewtonStep();
  return SumOfSquares();
}

// Method 2: brackets the minimum of S over the parameter q at position activeCount by steps that
// double, then narrows the bracket by golden sections until it is tolerance relative to |q|.
// Reference: Press et al., Numerical Recipes, 10.1 (bracketing and golden-section search).
std::int32_t LsqMinimizer::GoldenSectionSearch(double tolerance) {
  const std::int32_t q = activeCount;
  const double tol = tolerance > 0.0 ? tolerance : kDefaultTolerance;
  const double start = Param(q);
  double h = start == 0.0 ? tol : start * std::min(kMaxFirstStepFraction, 100.0 * tol);

  double u = start;
  double su = EvaluateAt(q, u);
  double v = u + h;
  double sv = EvaluateAt(q, v);
  double last = v;  // the trial evaluated last in time
  if (sv > su) {
    h = -2.0 * h;
    std::swap(u, v);
    std::swap(su, sv);
  }
  double w = last;
  double sw = sv;
  for (std::int32_t round = 0; round < kMaxExpansionRounds; ++round) {
    w = last + h;
    sw = EvaluateAt(q, w);
    last = w;
    if (sw > sv) break;
    u = v;
    su = sv;
    v = w;
    sv = sw;
    h *= 2.0;
  }

  double lo = u;
  double sLo = su;
  double hi = w;
  double sHi = sw;
  double p1 = lo + (hi - lo) * kGoldenFraction;
  double s1 = EvaluateAt(q, p1);
  double p2 = hi - (hi - lo) * kGoldenFraction;
  double s2 = EvaluateAt(q, p2);

  // Reductions needed to shrink |hi - lo| to tol * max(|lo|, |hi|). A bracket of zero width (or one
  // holding non-finite values) needs none; an infinite count is capped.
  const double needed =
      std::trunc(std::log(tol * std::max(std::fabs(lo), std::fabs(hi)) / std::fabs(hi - lo)) / kLogGoldenShrink) + 1.0;
  const auto rounds = static_cast<std::int32_t>(needed >= 1.0 ? std::min(needed, kMaxGoldenRounds) : 0.0);
  for (std::int32_t round = 0; round < rounds; ++round) {
    if (sHi > sLo) {
      hi = p2;
      sHi = s2;
      p2 = p1;
      s2 = s1;
      p1 = lo + (hi - lo) * kGoldenFraction;
      s1 = EvaluateAt(q, p1);
    } else {
      lo = p1;
      sLo = s1;
      p1 = p2;
      s1 = s2;
      p2 = hi - (hi - lo) * kGoldenFraction;
      s2 = EvaluateAt(q, p2);
    }
  }
  return status;
}

// Method 3: a damped Gauss-Newton step for all active parameters, then a search along its nonlinear
// part at the fractions 0, 0.4 and 1.0 of (scale x step), re-solving the linear parameters at each,
// and the minimum of the parabola through the three sums. A trial whose sum is not finite never
// wins; a pass without any finite trial restores its starting parameters and ends the method.
// Reference: Bevington and Robinson, Data Reduction and Error Analysis for the Physical Sciences, 8.
std::int32_t LsqMinimizer::ParabolicLineSearch(double tolerance, std::int32_t iterationLimit) {
  const std::int32_t all = activeCount;
  const std::int32_t nonlinear = nonlinearCount;
  const std::int32_t linear = all - nonlinear;
  constexpr std::array<double, 3> kTrial = {0.0, 0.4, 1.0};
  constexpr double kH1 = kTrial[1] - kTrial[0];
  constexpr double kH2 = kTrial[2] - kTrial[1];

  lambda = kParabolaDamping;
  double scale = 1.5;
  activeCount = linear;
  dampFrom = linear;
  std::array<double, 3> sums{SumOfSquares(), 0.0, 0.0};
  Vector base{};
  Vector saved{};

  for (std::int32_t pass = 0; pass < iterationLimit; ++pass) {
    std::copy(params.begin(), params.begin() + paramCount, saved.begin());
    dampFrom = std::max(linear - nonlinear, 0);
    activeCount = all;
    GaussNewtonStep();
    activeCount = linear;
    dampFrom = linear;
    for (std::int32_t a = linear; a < all; ++a) base[At(a)] = Param(a) - step[At(a)];
    const auto moveTo = [&](double t) {
      for (std::int32_t a = linear; a < all; ++a) Param(a) = base[At(a)] + scale * step[At(a)] * t;
    };
    for (std::size_t k = 1; k < kTrial.size(); ++k) {
      moveTo(kTrial[k]);
      GaussNewtonStep();
      sums[k] = SumOfSquares();
    }

    double best = kTrial[1] - 0.5 * (kH1 * kH1 * (sums[1] - sums[2]) - kH2 * kH2 * (sums[1] - sums[0])) /
                                  (kH1 * (sums[1] - sums[2]) + kH2 * (sums[1] - sums[0]));
    if (!(best >= 0.0 && best <= 1.0) ||
        !std::all_of(sums.begin(), sums.end(), [](double s) { return std::isfinite(s); })) {
      std::int32_t winner = -1;
      for (std::size_t k = 0; k < sums.size(); ++k)
        if (std::isfinite(sums[k]) && (winner < 0 || sums[k] <= sums[At(winner)]))
          winner = static_cast<std::int32_t>(k);
      if (winner < 0) {
        std::copy(saved.begin(), saved.begin() + paramCount, params.begin());
        break;
      }
      best = kTrial[At(winner)];
    }

    double change = 0.0;
    for (std::int32_t a = linear; a < all; ++a) {
      const double value = base[At(a)] + best * scale * step[At(a)];
      Param(a) = value;
      change = std::max(change, std::fabs(step[At(a)]) / std::max(std::fabs(base[At(a)]), std::fabs(value)));
    }
    if (best == 1.0) {
      sums[0] = sums[2];
    } else {
      GaussNewtonStep();
      sums[0] = SumOfSquares();
    }
    if (change * scale * best < tolerance && pass >= 3) break;

    if (best < 0.3) scale *= 0.5;
    if (best > 0.9) scale = std::min(1.5, 1.5 * scale);
    if (scale >= 1.0) lambda *= 0.2;
    if (scale <= 0.1) lambda *= 5.0;
  }
  activeCount = linear;
  dampFrom = linear;
  return status;
}

// Method 4: Gauss-Newton steps damped by lambda; a step that raises S (or makes it non-finite) is
// undone and lambda grows tenfold, otherwise lambda shrinks tenfold.
// Reference: Marquardt, J. SIAM 11 (1963) 431; Press et al., Numerical Recipes, 15.5.
std::int32_t LsqMinimizer::LevenbergMarquardt(std::int32_t iterationLimit) {
  lambda = kMarquardtDamping;
  double best = SumOfSquares();
  Vector saved{};
  for (std::int32_t pass = 0; pass < iterationLimit; ++pass) {
    for (std::int32_t a = 0; a < activeCount; ++a) saved[static_cast<std::size_t>(a)] = Param(a);
    GaussNewtonStep();
    const double sum = SumOfSquares();
    const bool worse = std::isfinite(sum) ? sum > best : std::isfinite(best);
    if (worse) {
      lambda *= 10.0;
      for (std::int32_t a = 0; a < activeCount; ++a) Param(a) = saved[static_cast<std::size_t>(a)];
    } else {
      lambda *= 0.1;
      best = sum;
    }
  }
  return status;
}

}  // namespace ruvo
