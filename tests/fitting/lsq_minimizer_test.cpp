#include "fitting/lsq_minimizer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>
#include <vector>

#include "fitting/bspline_reference.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

// Polynomial p0 + p1 x + p2 x^2 + ...: linear in every parameter.
double Polynomial(double at, double* gradient, const double* params, std::int32_t count) {
  double value = 0.0, power = 1.0;
  for (std::int32_t j = 0; j < count; ++j, power *= at) {
    gradient[j] = power;
    value += params[j] * power;
  }
  return value;
}

// Records the successive distinct values of parameter 1 (the searched one) and counts evaluations.
struct TrialLog {
  std::vector<double> values;
  std::int64_t calls = 0, nonFinite = 0;
  void Note(const double* params) {
    ++calls;
    if (values.empty() || values.back() != params[1]) values.push_back(params[1]);
  }
} trials;

// p0 + exp(p1 x): p1 searched, p0 re-solved; well posed at p1 = 0 too.
double WatchedShiftedExponential(double at, double* gradient, const double* params, std::int32_t) {
  trials.Note(params);
  const double e = std::exp(params[1] * at);
  gradient[0] = 1.0, gradient[1] = at * e;
  return params[0] + e;
}

// atan(p): a Gauss-Newton step from p = 2 towards data 0 overshoots to about -3.5, raising S.
double Arctangent(double, double* gradient, const double* params, std::int32_t) {
  gradient[0] = 1.0 / (1.0 + params[0] * params[0]);
  return std::atan(params[0]);
}

// Least-squares polynomial coefficients, an independent reference for the minimizer's solution.
std::vector<double> ReferencePolynomialFit(const std::vector<double>& x, const std::vector<double>& y, std::size_t n) {
  std::vector<std::vector<long double>> rows(x.size());
  for (std::size_t i = 0; i < x.size(); ++i)
    for (std::size_t c = 0; c < n; ++c) rows[i].push_back(std::pow(static_cast<long double>(x[i]), c));
  return test::ReferenceLeastSquares(rows, std::vector<long double>(y.begin(), y.end()));
}

// Deterministic scatter in [-0.5, 0.5).
double Scatter(int i) {
  return std::fmod(std::sin(i * 12.9898) * 43758.5453, 1.0) * 0.5;
}

// Method 2 on 1 + exp(-x) at 20 points (least squares at rate -1): p0 re-solved, p1 searched from
// start. Clears the trial log first.
std::array<double, 2> SearchRate(double start, double tolerance) {
  std::vector<double> x, y;
  for (int i = 0; i < 20; ++i) x.push_back(0.2 * i), y.push_back(1.0 + std::exp(-x.back()));
  trials = TrialLog{};
  std::array<double, 2> params{0.0, start};
  const std::array<std::int32_t, 2> index{0, 1};
  LsqMinimizer(x, y, WatchedShiftedExponential, params, index, 2, 2, 1).Minimize(tolerance, 20);
  return params;
}

TEST(LsqMinimizer, SingleStepReachesExactLeastSquaresFromAnyStart) {
  std::vector<double> x, y;
  for (int i = 0; i < 25; ++i)
    x.push_back(0.3 * i - 2.0), y.push_back(1.5 - 0.7 * x.back() + 0.2 * x.back() * x.back() * x.back() + Scatter(i));
  for (std::size_t terms = 1; terms <= 6; ++terms) {
    const std::vector<double> expected = ReferencePolynomialFit(x, y, terms);
    for (const double start : {0.0, 1.0e3, -7.5}) {
      std::array<double, 12> params{};
      params.fill(start);
      LsqMinimizer minimizer(x, y, Polynomial, params, static_cast<std::int32_t>(terms), 0);
      EXPECT_EQ(minimizer.Minimize(0.0, 20), LsqMinimizer::kSolved);
      // A start far off costs digits in start + step; the normal matrix is well conditioned here.
      ExpectAllClose(std::vector(params.begin(), params.begin() + static_cast<std::ptrdiff_t>(terms)), expected, 0.0,
                     1e-9 * (1.0 + std::fabs(start)));
      for (std::size_t j = terms; j < 12; ++j) EXPECT_EQ(params[j], start) << "untouched " << j;
    }
  }
}

TEST(LsqMinimizer, SingularSystemLeavesParametersAndReportsFailure) {
  // Every abscissa 0 leaves the x and x^2 coefficients undetermined.
  const std::vector<double> x{0.0, 0.0, 0.0, 0.0}, y{3.0, 3.5, 4.0, 4.5};
  std::array<double, 3> params{0.25, -1.0, 4.0};
  const std::array<double, 3> before = params;
  EXPECT_EQ(LsqMinimizer(x, y, Polynomial, params, 3, 0).Minimize(0.0, 20), LsqMinimizer::kSingular);
  EXPECT_EQ(params, before);
  // An index naming one parameter twice (the sums are exact, so the singularity is too).
  const std::vector<double> ones{1.0, 1.0, 1.0, 1.0};
  std::array<double, 2> pair{};
  LsqMinimizer duplicate(ones, y, Polynomial, pair, std::array<std::int32_t, 2>{1, 1}, 2, 2, 0);
  EXPECT_EQ(duplicate.Minimize(0.0, 20), LsqMinimizer::kSingular);
  EXPECT_EQ(pair, (std::array<double, 2>{}));
}

TEST(LsqMinimizer, InvalidSetUpIsInert) {
  const std::vector<double> x{0.0, 1.0, 2.0}, y{1.0, 2.0, 3.0};
  std::array<double, 13> params{0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5};
  const auto before = params;
  const std::array<std::int32_t, 13> identity{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const auto expectInert = [&](const char* what, LsqMinimizer::Model model, std::span<double> p,
                               std::span<const std::int32_t> index, std::int32_t count, std::int32_t active,
                               std::int32_t nonlinear) {
    LsqMinimizer minimizer(x, y, model, p, index, count, active, nonlinear);
    EXPECT_EQ(minimizer.Minimize(0.001, 20), LsqMinimizer::kSingular) << what;
    EXPECT_TRUE(std::isnan(minimizer.SumOfSquares())) << what;
    EXPECT_EQ(params, before) << what;
  };
  expectInert("more than twelve", Polynomial, params, identity, 13, 0, 0);
  expectInert("active above count", Polynomial, params, identity, 3, 4, 0);
  expectInert("negative active", Polynomial, params, identity, 3, -1, 0);
  expectInert("negative nonlinear", Polynomial, params, identity, 3, 3, -1);
  expectInert("index out of range", Polynomial, params, std::array<std::int32_t, 3>{0, 3, 1}, 3, 3, 0);
  expectInert("negative index", Polynomial, params, std::array<std::int32_t, 3>{0, -1, 1}, 3, 3, 0);
  expectInert("index too short", Polynomial, params, std::span(identity).first(2), 3, 3, 0);
  expectInert("parameters too short", Polynomial, std::span(params).first(2), identity, 3, 3, 0);
  expectInert("no model", nullptr, params, identity, 3, 3, 0);
}

TEST(GaussJordanSolve, SolvesAndInvertsSystemsThatNeedPivotingAndRejectsSingularOnes) {
  for (std::int32_t m = 1; m <= 12; ++m) {
    std::array<std::array<double, 12>, 12> a{};
    std::array<double, 12> b{};
    for (std::int32_t r = 0; r < m; ++r) {
      for (std::int32_t c = 0; c < m; ++c) a[r][c] = Scatter(r * 13 + c + m * 200);
      a[r][(r + 1) % m] += 2.0;  // dominant off the diagonal: every pass must swap rows
      b[r] = Scatter(r + 999);
    }
    const auto original = a;
    const auto rhs = b;
    ASSERT_EQ(GaussJordanSolve(a, b, m), LsqMinimizer::kSolved) << "order " << m;
    for (std::int32_t r = 0; r < m; ++r) {
      double residual = -rhs[r];
      for (std::int32_t c = 0; c < m; ++c) residual += original[r][c] * b[c];
      EXPECT_NEAR(residual, 0.0, 1e-12) << "order " << m << " row " << r;
      for (std::int32_t c = 0; c < m; ++c) {
        double product = 0.0;
        for (std::int32_t k = 0; k < m; ++k) product += original[r][k] * a[k][c];
        EXPECT_NEAR(product, r == c ? 1.0 : 0.0, 1e-12) << "order " << m << " at " << r << "," << c;
      }
    }
  }
  // Singular and non-finite matrices are rejected.
  const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
  const std::array<double, 4> cases[] = {
      {0.0, 0.0, 0.0, 0.0}, {1.0, 2.0, 2.0, 4.0}, {nan, nan, nan, nan}, {inf, 1, 1, 1}};
  for (const auto& m : cases) {
    std::array<std::array<double, 12>, 12> a{};
    a[0] = {m[0], m[1]};
    a[1] = {m[2], m[3]};
    std::array<double, 12> b{1.0, 1.0};
    EXPECT_EQ(GaussJordanSolve(a, b, 2), LsqMinimizer::kSingular) << m[0] << " " << m[1] << " " << m[2] << " " << m[3];
  }
}

TEST(LsqMinimizer, GoldenSearchFirstTrials) {
  // From q0 = 0 the first step h is the tolerance (0.0001 when none is given), otherwise 5 % of q0.
  // When q0 + h lowers S the next trial is q0 + 2h; when it raises S, the mirror point q0 - h.
  const double down = -0.5 * 0.05;
  const std::tuple<double, double, std::vector<double>> cases[] = {
      // start, tolerance, first trials
      {0.0, 0.0, {0.0, 0.0001, 0.0001 + -0.0002}},
      {0.0, 0.003, {0.0, 0.003, 0.003 + -0.006}},
      {-0.5, 0.001, {-0.5, -0.5 + down, -0.5 + down + down}},
  };
  for (const auto& [start, tolerance, firstTrials] : cases) {
    const auto params = SearchRate(start, tolerance);
    ASSERT_GE(trials.values.size(), firstTrials.size());
    for (std::size_t k = 0; k < firstTrials.size(); ++k)
      EXPECT_EQ(trials.values[k], firstTrials[k]) << "start " << start << " trial " << k;
    // The tolerance is at most 0.003.
    ExpectAllClose((std::vector{params[0], params[1]}), (std::vector{1.0, -1.0}), 0.001, 0.0);
  }
  // The smallest denormal start makes the first step 0: the bracket has zero width. 34 evaluations
  // (2 + 30 expansions, the most there are, + 2 golden), each one step and one sum over 20 points,
  // and no rounds.
  EXPECT_EQ(SearchRate(std::numeric_limits<double>::denorm_min(), 0.005)[1], std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(trials.calls, 34 * 2 * 20);
}

// p0 + p1 exp(p3 x) + p2 exp(p4 x), three linear and two nonlinear parameters, overflowing (as
// exp(700 q) would) once a rate exceeds 3.
double TwoExponentials(double at, double* gradient, const double* params, std::int32_t) {
  const bool overflows = params[3] > 3.0 || params[4] > 3.0;
  trials.nonFinite += overflows;
  const double e1 = overflows ? std::numeric_limits<double>::infinity() : std::exp(params[3] * at);
  const double e2 = overflows ? std::numeric_limits<double>::infinity() : std::exp(params[4] * at);
  gradient[0] = 1.0, gradient[1] = e1, gradient[2] = e2, gradient[3] = params[1] * at * e1;
  gradient[4] = params[2] * at * e2;
  return params[0] + params[1] * e1 + params[2] * e2;
}

// Exact data whose rates (2.9 and 0.5) lie just below where the model overflows: the parabolic
// search (method 3) converges on them although trials at 1.5 steps land beyond, where a
// non-finite sum never wins.
TEST(LsqMinimizer, ParabolicSearchFitsTwoRatesNextToAnOverflow) {
  std::vector<double> x, y;
  for (int i = 0; i < 30; ++i)
    x.push_back(0.05 * i), y.push_back(1.0 + 0.5 * std::exp(2.9 * x.back()) + 2.0 * std::exp(0.5 * x.back()));
  trials = TrialLog{};
  std::array<double, 5> params{1.0, 0.5, 2.0, 2.0, 0.2};
  LsqMinimizer minimizer(x, y, TwoExponentials, params, std::array<std::int32_t, 5>{0, 1, 2, 3, 4}, 5, 5, 2);
  ASSERT_EQ(minimizer.Method(), 3);
  minimizer.Minimize(1e-6, 40);
  EXPECT_GT(trials.nonFinite, 0);
  ExpectAllClose((std::vector{params[3], params[4]}), (std::vector{2.9, 0.5}), 1e-6, 0.0);
}

TEST(LsqMinimizer, MarquardtUndoesStepsThatRaiseTheSumAndDampsTenfoldUntilOneHelps) {
  // The damping (1 + lambda) on the normal equation shrinks the step by that factor. Lambda starts
  // at 0.0001 and grows tenfold per undone pass, so the fifth pass (lambda 1) is the first whose
  // step, half the Gauss-Newton one, lowers S.
  const std::vector<double> x{0.0}, y{0.0};
  const std::array<std::int32_t, 1> index{0};
  for (const auto& [passes, expected] : {std::pair{4, 2.0}, {5, 2.0 - 2.5 * std::atan(2.0)}, {20, 0.0}}) {
    std::array<double, 1> params{2.0};
    // A nonlinear count above the active count is clamped to it: all parameters nonlinear.
    LsqMinimizer minimizer(x, y, Arctangent, params, index, 1, 1, 7);
    ASSERT_EQ(minimizer.Method(), 4);
    minimizer.Minimize(0.0, passes);
    EXPECT_NEAR(params[0], expected, 1e-12) << passes << " passes";  // after lambda 1, it shrinks tenfold
  }
  std::array<double, 1> params{2.0};
  EXPECT_EQ(LsqMinimizer(x, y, Arctangent, params, 1, 1).Method(), 1);  // without an index: single step
}

}  // namespace
}  // namespace ruvo
