#include "fitting/lsq_minimizer.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "fitting/bspline_reference.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

using test::IsClose;

// Polynomial p0 + p1 x + p2 x^2 + ...: linear in every parameter.
double Polynomial(double at, double* gradient, const double* params, std::int32_t count) {
  double value = 0.0;
  double power = 1.0;
  for (std::int32_t j = 0; j < count; ++j) {
    gradient[j] = power;
    value += params[j] * power;
    power *= at;
  }
  return value;
}

// Records the searched parameter's successive distinct values and counts evaluations.
struct TrialLog {
  std::int32_t watched = 0;
  std::vector<double> values;
  std::int64_t calls = 0;
  std::int64_t nonFinite = 0;
  void Note(const double* params) {
    ++calls;
    const double v = params[watched];
    if (values.empty() || values.back() != v) values.push_back(v);
  }
};
TrialLog trials;

// p0 + exp(p1 x): p1 searched, p0 re-solved; well posed at p1 = 0 too.
double WatchedShiftedExponential(double at, double* gradient, const double* params, std::int32_t) {
  trials.Note(params);
  const double e = std::exp(params[1] * at);
  gradient[0] = 1.0;
  gradient[1] = at * e;
  return params[0] + e;
}

// S = e^(-2 q) * const after p0 is re-solved: decreases for ever in q, so no bracket exists.
double EverDecreasing(double at, double* gradient, const double* params, std::int32_t) {
  trials.Note(params);
  const double e = std::exp(-params[1]);
  gradient[0] = 1.0;
  gradient[1] = -e * at;
  return params[0] + e * at;
}

// p0 + p1 exp(p3 x) + p2 exp(p4 x), three linear and two nonlinear parameters, overflowing (as
// exp(700 q) would) once a rate exceeds 3.
double TwoExponentials(double at, double* gradient, const double* params, std::int32_t count) {
  trials.Note(params);
  if (params[3] > 3.0 || params[4] > 3.0) {
    ++trials.nonFinite;
    for (std::int32_t j = 0; j < count; ++j) gradient[j] = std::numeric_limits<double>::infinity();
    return std::numeric_limits<double>::infinity();
  }
  const double e1 = std::exp(params[3] * at);
  const double e2 = std::exp(params[4] * at);
  gradient[0] = 1.0;
  gradient[1] = e1;
  gradient[2] = e2;
  gradient[3] = params[1] * at * e1;
  gradient[4] = params[2] * at * e2;
  return params[0] + params[1] * e1 + params[2] * e2;
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

TEST(LsqMinimizer, MethodFollowsNonlinearAndActiveCounts) {
  struct Case {
    std::int32_t paramCount, active, nonlinear;
    std::int32_t method, activeAfter;
  };
  const Case cases[] = {
      {4, 4, 0, 1, 4}, {4, 0, 0, 1, 4}, {4, 4, 1, 2, 3}, {4, 0, 1, 2, 3},    {4, 1, 1, 4, 1},    {6, 6, 2, 3, 6},
      {6, 3, 2, 3, 3}, {6, 2, 2, 4, 2}, {6, 3, 3, 4, 3}, {12, 11, 1, 2, 10}, {12, 12, 5, 3, 12}, {3, 2, 7, 4, 2},
  };
  std::array<double, 12> params{};
  const std::array<std::int32_t, 12> index{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  const std::vector<double> x{0.0, 1.0}, y{0.0, 1.0};
  for (const Case& c : cases) {
    LsqMinimizer borrowed(x, y, Polynomial, params, index, c.paramCount, c.active, c.nonlinear);
    EXPECT_EQ(borrowed.Method(), c.method) << c.paramCount << " " << c.active << " " << c.nonlinear;
    EXPECT_EQ(borrowed.ActiveCount(), c.activeAfter) << c.paramCount << " " << c.active << " " << c.nonlinear;
    // The identity-index construction always takes the single step.
    EXPECT_EQ(LsqMinimizer(x, y, Polynomial, params, c.paramCount, c.active, c.nonlinear).Method(), 1);
  }
}

TEST(LsqMinimizer, SingleStepReachesExactLeastSquaresFromAnyStart) {
  std::vector<double> x, y, reduced;
  for (int i = 0; i < 25; ++i) {
    x.push_back(0.3 * i - 2.0);
    y.push_back(1.5 - 0.7 * x.back() + 0.2 * x.back() * x.back() * x.back() + Scatter(i));
    reduced.push_back(y.back() - 0.5 * x.back() * x.back());
  }
  for (std::size_t terms = 1; terms <= 6; ++terms) {
    const std::vector<double> expected = ReferencePolynomialFit(x, y, terms);
    for (const double start : {0.0, 1.0e3, -7.5}) {
      std::array<double, 12> params{};
      params.fill(start);
      LsqMinimizer minimizer(x, y, Polynomial, params, static_cast<std::int32_t>(terms), 0, 0);
      EXPECT_EQ(minimizer.Minimize(0.0, 20), LsqMinimizer::kSolved);
      // A start far off costs digits in start + step; the normal matrix is well conditioned here.
      for (std::size_t j = 0; j < terms; ++j)
        EXPECT_TRUE(IsClose(params[j], expected[j], 0.0, 1e-9 * (1.0 + std::fabs(start))))
            << "terms " << terms << " start " << start << " coefficient " << j;
      for (std::size_t j = terms; j < 12; ++j) EXPECT_EQ(params[j], start) << "untouched " << j;
    }
  }
  // With the x^2 coefficient held at 0.5 (inactive position 2) the others fit the line to y - 0.5 x^2.
  const std::vector<double> line = ReferencePolynomialFit(x, reduced, 2);
  std::array<double, 3> params{0.0, 0.0, 0.5};
  LsqMinimizer held(x, y, Polynomial, params, 3, 2, 0);
  EXPECT_EQ(held.Minimize(0.0, 1), LsqMinimizer::kSolved);
  EXPECT_TRUE(IsClose(params[0], line[0], 1e-10, 1e-12));
  EXPECT_TRUE(IsClose(params[1], line[1], 1e-10, 1e-12));
  EXPECT_EQ(params[2], 0.5);
}

TEST(LsqMinimizer, SingularSystemLeavesParametersAndReportsFailure) {
  // Every abscissa 0 leaves the x and x^2 coefficients undetermined.
  const std::vector<double> x{0.0, 0.0, 0.0, 0.0}, y{3.0, 3.5, 4.0, 4.5};
  std::array<double, 3> params{0.25, -1.0, 4.0};
  const std::array<double, 3> before = params;
  LsqMinimizer minimizer(x, y, Polynomial, params, 3, 0, 0);
  EXPECT_EQ(minimizer.Minimize(0.0, 20), LsqMinimizer::kSingular);
  EXPECT_EQ(params, before);
  EXPECT_EQ(minimizer.Step(), (std::array<double, 12>{}));

  // An index naming one parameter twice (the sums are exact, so the singularity is too).
  const std::vector<double> ones{1.0, 1.0, 1.0, 1.0};
  const std::array<std::int32_t, 2> twice{1, 1};
  std::array<double, 2> pair{0.0, 0.0};
  LsqMinimizer duplicate(ones, y, Polynomial, pair, twice, 2, 2, 0);
  EXPECT_EQ(duplicate.Minimize(0.0, 20), LsqMinimizer::kSingular);
  EXPECT_EQ(pair, (std::array<double, 2>{}));
}

TEST(LsqMinimizer, InvalidSetUpIsInert) {
  const std::vector<double> x{0.0, 1.0, 2.0}, y{1.0, 2.0, 3.0};
  std::array<double, 13> params{};
  params.fill(0.5);
  const auto before = params;
  const std::array<std::int32_t, 3> outOfRange{0, 3, 1};
  const std::array<std::int32_t, 3> negative{0, -1, 1};
  struct Case {
    const char* what;
    LsqMinimizer::Model model;
    std::span<double> params;
    std::span<const std::int32_t> index;
    std::int32_t paramCount, active, nonlinear;
  };
  const std::array<std::int32_t, 13> identity{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  const Case cases[] = {
      {"no parameters", Polynomial, params, identity, 0, 0, 0},
      {"more than twelve", Polynomial, params, identity, 13, 0, 0},
      {"active above count", Polynomial, params, identity, 3, 4, 0},
      {"negative active", Polynomial, params, identity, 3, -1, 0},
      {"negative nonlinear", Polynomial, params, identity, 3, 3, -1},
      {"index out of range", Polynomial, params, outOfRange, 3, 3, 0},
      {"negative index", Polynomial, params, negative, 3, 3, 0},
      {"index too short", Polynomial, params, std::span(identity).first(2), 3, 3, 0},
      {"parameters too short", Polynomial, std::span(params).first(2), identity, 3, 3, 0},
      {"no model", nullptr, params, identity, 3, 3, 0},
  };
  for (const Case& c : cases) {
    LsqMinimizer minimizer(x, y, c.model, c.params, c.index, c.paramCount, c.active, c.nonlinear);
    EXPECT_EQ(minimizer.Minimize(0.001, 20), LsqMinimizer::kSingular) << c.what;
    EXPECT_TRUE(std::isnan(minimizer.SumOfSquares())) << c.what;
    EXPECT_EQ(params, before) << c.what;
  }
}

TEST(GaussJordanSolve, SolvesAndInvertsSystemsThatNeedPivoting) {
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
}

TEST(GaussJordanSolve, RejectsSingularAndNonFiniteMatrices) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
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
  // Data with its minimum at rate -1. From q0 = 0 the first step h is the tolerance (0.0001 when none
  // is given), otherwise 5 % of q0. When q0 + h lowers S the next trial is q0 + 2h; when it raises S,
  // the next is the mirror point q0 - h.
  std::vector<double> x, y;
  for (int i = 0; i < 20; ++i) {
    x.push_back(0.2 * i);
    y.push_back(1.0 + std::exp(-x.back()));
  }
  const std::array<std::int32_t, 2> index{0, 1};
  const double down = -0.5 * 0.05;
  const double up = -1.5 * 0.05;
  struct Case {
    double start, tolerance;
    std::vector<double> firstTrials;
  };
  const Case cases[] = {
      {0.0, 0.0, {0.0, 0.0001, 0.0001 + -0.0002}},
      {0.0, 0.003, {0.0, 0.003, 0.003 + -0.006}},
      {-0.5, 0.001, {-0.5, -0.5 + down, -0.5 + down + down}},
      {-1.5, 0.001, {-1.5, -1.5 + up, -1.5 + up + -2.0 * up}},
  };
  for (const Case& c : cases) {
    trials = TrialLog{};
    trials.watched = 1;
    std::array<double, 2> params{0.0, c.start};
    LsqMinimizer minimizer(x, y, WatchedShiftedExponential, params, index, 2, 2, 1);
    minimizer.Minimize(c.tolerance, 20);
    ASSERT_GE(trials.values.size(), c.firstTrials.size());
    for (std::size_t k = 0; k < c.firstTrials.size(); ++k)
      EXPECT_EQ(trials.values[k], c.firstTrials[k]) << "start " << c.start << " trial " << k;
    EXPECT_TRUE(IsClose(params[1], -1.0, 0.001)) << "start " << c.start;  // tolerance at most 0.003
    EXPECT_TRUE(IsClose(params[0], 1.0, 0.001)) << "start " << c.start;
  }
}

TEST(LsqMinimizer, GoldenSearchStopsExpandingAfterThirtyRounds) {
  const std::vector<double> x{0.0, 1.0, 2.0, 3.0}, y{0.0, 0.0, 0.0, 0.0};
  const std::array<std::int32_t, 2> index{0, 1};
  trials = TrialLog{};
  trials.watched = 1;
  std::array<double, 2> params{0.0, 1.0};
  const double h = 1.0 * 0.05;
  LsqMinimizer minimizer(x, y, EverDecreasing, params, index, 2, 2, 1);
  minimizer.Minimize(0.001, 20);
  // Trials q0, q0 + h, then q0 + 2^k h for k = 1..30; the golden section then searches between the
  // last expansion point but one and the last.
  ASSERT_GT(trials.values.size(), 34u);
  EXPECT_EQ(trials.values[31], 1.0 + std::ldexp(h, 30));
  const double lo = 1.0 + std::ldexp(h, 29);
  const double hi = 1.0 + std::ldexp(h, 30);
  EXPECT_EQ(trials.values[32], lo + (hi - lo) * 0.38196601);
  EXPECT_GE(params[1], lo);
  EXPECT_LE(params[1], hi);
}

TEST(LsqMinimizer, GoldenSearchOnAZeroWidthBracketEnds) {
  // The smallest denormal start makes the first step 0: the bracket has zero width.
  const std::vector<double> x{0.0, 1.0, 2.0}, y{1.0, 2.0, 4.0};
  const std::array<std::int32_t, 2> index{0, 1};
  trials = TrialLog{};
  trials.watched = 1;
  std::array<double, 2> params{0.0, std::numeric_limits<double>::denorm_min()};
  LsqMinimizer minimizer(x, y, WatchedShiftedExponential, params, index, 2, 2, 1);
  minimizer.Minimize(0.005, 20);
  EXPECT_EQ(params[1], std::numeric_limits<double>::denorm_min());
  // 34 evaluations (2 + 30 + 2 golden), each one step and one sum over 3 points, and no rounds.
  EXPECT_EQ(trials.calls, 34 * 2 * 3);
}

TEST(LsqMinimizer, ParabolicSearchFitsTwoRates) {
  // Exact data, so the search converges on the rates. In the second case the rates lie just below
  // where the model overflows, and trials at 1.5 steps land beyond: a non-finite sum never wins.
  struct Case {
    std::array<double, 5> truth, start;
    bool overflows;
  };
  const Case cases[] = {
      {{4.0, -1.0, -2.5, -0.4, -3.0}, {4.0, -1.2, -2.0, -0.6, -2.0}, false},
      {{1.0, 0.5, 2.0, 2.9, 0.5}, {1.0, 0.5, 2.0, 2.0, 0.2}, true},
  };
  const std::array<std::int32_t, 5> index{0, 1, 2, 3, 4};
  for (const Case& c : cases) {
    std::vector<double> x, y;
    for (int i = 0; i < 30; ++i) {
      x.push_back(0.05 * i);
      y.push_back(c.truth[0] + c.truth[1] * std::exp(c.truth[3] * x.back()) +
                  c.truth[2] * std::exp(c.truth[4] * x.back()));
    }
    trials = TrialLog{};
    std::array<double, 5> params = c.start;
    LsqMinimizer minimizer(x, y, TwoExponentials, params, index, 5, 5, 2);
    ASSERT_EQ(minimizer.Method(), 3);
    minimizer.Minimize(1e-6, 40);
    EXPECT_EQ(trials.nonFinite > 0, c.overflows);
    EXPECT_LT(minimizer.SumOfSquares(), 1e-12);
    EXPECT_TRUE(IsClose(params[3], c.truth[3], 1e-6));
    EXPECT_TRUE(IsClose(params[4], c.truth[4], 1e-6));
    EXPECT_EQ(minimizer.ActiveCount(), 3);
    EXPECT_EQ(minimizer.DampFrom(), 3);
  }
}

TEST(LsqMinimizer, MarquardtUndoesAStepThatRaisesTheSum) {
  const std::vector<double> x{0.0}, y{0.0};
  const std::array<std::int32_t, 1> index{0};
  std::array<double, 1> params{2.0};
  LsqMinimizer minimizer(x, y, Arctangent, params, index, 1, 1, 1);
  ASSERT_EQ(minimizer.Method(), 4);
  minimizer.Minimize(0.0, 1);
  EXPECT_EQ(params[0], 2.0);
  EXPECT_EQ(minimizer.Lambda(), 0.0001 * 10.0);

  // From closer in the steps lower S: lambda shrinks and the parameter converges on 0.
  params[0] = 0.5;
  LsqMinimizer converging(x, y, Arctangent, params, index, 1, 1, 1);
  converging.Minimize(0.0, 1);
  EXPECT_EQ(converging.Lambda(), 0.0001 * 0.1);
  EXPECT_LT(std::fabs(params[0]), 0.5);
  converging.Minimize(0.0, 10);
  EXPECT_NEAR(params[0], 0.0, 1e-12);
}

}  // namespace
}  // namespace ruvo
