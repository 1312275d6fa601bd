#include "fitting/bspline_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "fitting/bspline_reference.h"
#include "fitting/bspline_value.h"
#include "fitting/error_capture.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

using test::ErrorCapture;

using Vector = std::vector<double>;

struct Data {
  Vector xd, yd, sd;
};

struct FitOutcome {
  std::int32_t status;
  Vector coef;
};

// DEFC with a work array of exactly the required length (or the caller's), pre-filled with NaN
// so that reading any element before writing it would show in the result.
FitOutcome RunFit(const Data& data, int k, const Vector& knots, Vector* work = nullptr, int mdein = 1) {
  const auto m = static_cast<std::int32_t>(data.xd.size()), p = static_cast<std::int32_t>(knots.size());
  const auto lw = static_cast<std::int32_t>(DefcWorkLength(m, k, p));
  Vector own(static_cast<std::size_t>(lw), std::nan(""));
  FitOutcome outcome{0, Vector(static_cast<std::size_t>(p - k), std::nan(""))};
  DEFC(m, data.xd, data.yd, data.sd, k, p, knots, mdein, outcome.status, outcome.coef, work ? *work : own, lw);
  return outcome;
}

void Append(Data& to, const Data& more) {
  to.xd.insert(to.xd.end(), more.xd.begin(), more.xd.end());
  to.yd.insert(to.yd.end(), more.yd.begin(), more.yd.end());
  to.sd.insert(to.sd.end(), more.sd.begin(), more.sd.end());
}

Vector Uniform(int count, double step) {
  Vector knots;
  for (int i = 0; i < count; ++i) knots.push_back(i * step);
  return knots;
}

Vector Clamped(int k, const Vector& interior, double lo, double hi) {
  Vector knots(static_cast<std::size_t>(k), lo);
  knots.insert(knots.end(), interior.begin(), interior.end());
  knots.insert(knots.end(), static_cast<std::size_t>(k), hi);
  return knots;
}

// perInterval abscissae inside every interval of positive length of [t(k), t(n+1)), unevenly
// spaced, in an order scrambled by the seed, with ordinates from f and all uncertainties 1.
template <typename F>
Data Sample(Vector knots, int k, int perInterval, unsigned seed, F f) {
  std::sort(knots.begin(), knots.end());
  Data data;
  for (std::size_t i = static_cast<std::size_t>(k) - 1; i + static_cast<std::size_t>(k) < knots.size(); ++i)
    for (int j = 0; j < perInterval && knots[i] < knots[i + 1]; ++j) {
      const double jitter = std::fmod(0.6180339887 * static_cast<double>(data.xd.size()), 1.0);
      data.xd.push_back(knots[i] + (j + 0.2 + 0.6 * jitter) / perInterval * (knots[i + 1] - knots[i]));
    }
  std::mt19937 engine(seed);
  std::shuffle(data.xd.begin(), data.xd.end(), engine);
  for (double x : data.xd) data.yd.push_back(f(x));
  data.sd.assign(data.xd.size(), 1.0);
  return data;
}

TEST(DEFC, ReproducesPolynomialsOfDegreeBelowTheOrder) {
  for (int k = 1; k <= 6; ++k) {
    const auto polynomial = [k](double x) {
      double y = 0.0;
      for (int j = k - 1; j >= 0; --j) y = y * (x - 2.0) + (j % 2 ? -1.0 : 1.0) / (j + 1);
      return y;
    };
    // Clamped knots with a double interior one (an interval of no length, which order 1 cannot fit).
    const Vector knots = Clamped(k, k > 1 ? Vector{1, 2, 2, 3, 4.5} : Vector{1, 2, 3, 4.5}, 0, 6);
    Data data = Sample(knots, k, 2 * k + 1, 7, polynomial);
    Append(data, {{0.0, 6.0}, {polynomial(0.0), polynomial(6.0)}, {1.0, 1.0}});  // data on both ends too
    ErrorCapture errors;
    const FitOutcome fit = RunFit(data, k, knots);
    ASSERT_EQ(fit.status, 1) << "k=" << k;
    std::int32_t hint = 1;
    Vector scratch(static_cast<std::size_t>(3 * k));
    for (std::size_t i = 0; i < data.xd.size(); ++i)
      // The polynomial stays below 10^3 here; rounding of a well-posed fit.
      EXPECT_NEAR(DBVALU(knots, fit.coef, static_cast<std::int32_t>(fit.coef.size()), k, 0, data.xd[i], hint, scratch),
                  data.yd[i], 1e-9 * (1.0 + std::fabs(data.yd[i])))
          << "k=" << k << " x=" << data.xd[i];
    EXPECT_TRUE(errors.Records().empty()) << "k=" << k;
  }
}

TEST(DEFC, MatchesTheWeightedLeastSquaresSolution) {
  // Order, knots, points per interval (60 pass the staging area many times over).
  const std::tuple<int, Vector, int> cases[] = {
      {1, Uniform(6, 1.0), 5},   {2, Uniform(8, 0.25), 9}, {3, Clamped(3, {0.5, 1, 2.5}, 0, 3), 7},
      {4, Uniform(10, 1.0), 60}, {5, Uniform(13, 0.2), 8}, {6, Clamped(6, {1, 1, 4}, 0, 5), 11}};
  for (const auto& [k, knots, perInterval] : cases) {
    Data data = Sample(knots, k, perInterval, 11, [](double x) { return std::sin(3.0 * x) + 0.3 * std::cos(40 * x); });
    for (std::size_t i = 0; i < data.sd.size(); ++i)
      data.sd[i] = i % 5 == 0 ? 0.0 : 0.5 + 0.25 * static_cast<double>(i % 7);
    const FitOutcome fit = RunFit(data, k, knots);
    ASSERT_EQ(fit.status, 1) << "k=" << k << " p=" << knots.size() << " m=" << data.xd.size();
    const Vector expected = test::ReferenceFit(knots, k, data.xd, data.yd, data.sd);
    for (std::size_t i = 0; i < expected.size(); ++i)
      // Well-conditioned bases: both solutions agree far below any noise in the data.
      EXPECT_NEAR(fit.coef[i], expected[i], 1e-10 * (1.0 + std::fabs(expected[i])))
          << "k=" << k << " p=" << knots.size() << " m=" << data.xd.size() << " coefficient " << i + 1;
  }
}

TEST(DEFC, IgnoresTheOrderOfDataAndKnots) {
  const int k = 4;
  const Vector knots = Uniform(12, 1.0);
  const auto f = [](double x) { return std::exp(0.3 * x) + 0.2 * std::sin(17 * x); };
  const FitOutcome reference = RunFit(Sample(knots, k, 7, 3, f), k, knots);
  ASSERT_EQ(reference.status, 1);
  const Vector reversed(knots.rbegin(), knots.rend());
  for (unsigned seed : {4u, 5u}) {
    // The data are taken in order of abscissa whatever their order: the same arithmetic exactly.
    EXPECT_EQ(RunFit(Sample(knots, k, 7, seed, f), k, knots).coef, reference.coef) << seed;
    EXPECT_EQ(RunFit(Sample(knots, k, 7, seed, f), k, reversed).coef, reference.coef) << seed;
  }
}

TEST(DEFC, ContinuesAFitFromTheSavedRows) {
  const int k = 4;
  const Vector knots = Uniform(11, 1.0);
  const auto f = [](double x) { return std::cos(x) + 0.1 * std::sin(23 * x); };
  const Data first = Sample(knots, k, 5, 21, f);
  const Data second = Sample(knots, k, 3, 22, [&](double x) { return f(x) + 0.05; });
  Data both = first;
  Append(both, second);
  Vector work(static_cast<std::size_t>(DefcWorkLength(static_cast<std::int64_t>(first.xd.size()), k, 11)),
              std::nan(""));
  ASSERT_EQ(RunFit(first, k, knots, &work).status, 1);
  const FitOutcome continued = RunFit(second, k, knots, &work, 2);
  const FitOutcome together = RunFit(both, k, knots);
  ASSERT_EQ(continued.status, 1);
  for (std::size_t i = 0; i < together.coef.size(); ++i)
    EXPECT_TRUE(test::IsClose(continued.coef[i], together.coef[i], 1e-11, 1e-11)) << "coefficient " << i + 1;
}

TEST(DEFC, LeavesUndeterminedCoefficientsAtZeroWithStatusTwo) {
  Vector piled = {3.5};  // one point, then more points two intervals on than the staging area holds
  for (int i = 0; i < 30; ++i) piled.push_back(6.0 + i / 30.0);
  const struct {
    const char* name;
    int k;
    Vector knots, xd;
  } cases[] = {
      {"no data", 4, Uniform(10, 1.0), {}},
      {"fewer points than coefficients", 3, Uniform(10, 1.0), {2.5, 3.5, 4.5, 5.5, 6.5}},
      {"a B-spline without data", 2, Uniform(8, 1.0), {1.2, 1.5, 1.7, 2.2, 2.6, 5.2, 5.5, 5.8}},
      {"all data on one repeated knot", 3, {0, 1, 1, 1, 1, 1, 2}, {1, 1, 1, 1}},
      {"all data on the repeated end knot", 2, {0, 1, 1, 1}, {1, 1, 1}},
      {"points piled up after a gap", 4, Uniform(12, 1.0), piled},
  };
  for (const auto& c : cases) {
    ErrorCapture errors;
    const FitOutcome fit = RunFit({c.xd, Vector(c.xd.size(), 1.0), Vector(c.xd.size(), 1.0)}, c.k, c.knots);
    EXPECT_EQ(fit.status, 2) << c.name;
    EXPECT_EQ(fit.coef, Vector(c.knots.size() - static_cast<std::size_t>(c.k), 0.0)) << c.name;
    EXPECT_TRUE(errors.Records().empty()) << c.name << ": " << errors.Records().front().message;
  }
}

TEST(DEFC, RejectsInvalidInputWithOneMessage) {
  const Vector values = Uniform(10, 0.5);
  const struct {
    std::int32_t m, k, p, mdein, lw;
    std::size_t dataLength;
    std::int32_t errorNumber;
    std::string message;
  } cases[] = {
      {10, 0, 10, 1, 1000, 10, 3, "IN DEFC, THE ORDER OF THE B-SPLINE MUST BE 1 THRU 20."},
      {10, 21, 42, 1, 1000, 10, 3, "IN DEFC, THE ORDER OF THE B-SPLINE MUST BE 1 THRU 20."},
      {10, 4, 7, 1, 1000, 10, 4, "IN DEFC, THE NUMBER OF KNOTS MUST BE AT LEAST TWICE THE B-SPLINE ORDER."},
      {-1, 4, 10, 1, 1000, 10, 5, "IN DEFC, THE NUMBER OF DATA POINTS MUST BE NONNEGATIVE."},
      {10, 4, 10, 1, 145, 10, 6,  // need = 9*5 + 11*5 + 2*10 + 10 + 16 = 146
       "IN DEFC, INSUFFICIENT STORAGE FOR W(*).  CHECK FORMULA THAT READS LW.GE. ... .  NEED =      146 GIVEN =      "
       "145"},
      {10, 4, 10, 0, 1000, 10, 7, "IN DEFC, INPUT VALUE OF MDEIN MUST BE 1-2."},
      {10, 4, 10, 3, 1000, 10, 7, "IN DEFC, INPUT VALUE OF MDEIN MUST BE 1-2."},
      {10, 4, 10, 1, 1000, 9, 8, "IN DEFC, AN ARRAY IS SHORTER THAN ITS STATED LENGTH."},
  };
  for (const auto& c : cases) {
    ErrorCapture errors;
    const Vector xd(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(c.dataLength));
    Vector work(static_cast<std::size_t>(c.lw), 5.0);
    Vector coef(12, 7.0);
    std::int32_t status = 0;
    DEFC(c.m, xd, xd, xd, c.k, c.p, values, c.mdein, status, coef, work, c.lw);
    EXPECT_EQ(status, -1) << c.message;
    for (std::size_t i = 0; i < coef.size(); ++i)  // the N = P - K coefficients are set to 0, nothing else
      EXPECT_EQ(coef[i], static_cast<std::int32_t>(i) < c.p - c.k ? 0.0 : 7.0) << c.message << " " << i + 1;
    ASSERT_EQ(errors.Records().size(), 1u) << c.message;
    const auto& r = errors.Records().front();
    EXPECT_EQ(std::tie(r.message, r.library, r.routine, r.errorNumber, r.level),
              std::make_tuple(c.message, std::string("FITLIB"), std::string("DEFCMN"), c.errorNumber, 1));
  }
}

}  // namespace
}  // namespace ruvo
