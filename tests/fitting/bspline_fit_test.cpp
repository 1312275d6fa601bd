#include "fitting/bspline_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "fitting/bspline_reference.h"
#include "fitting/bspline_value.h"
#include "fitting/error_capture.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

using test::ErrorCapture;
using test::IsClose;
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
  const auto m = static_cast<std::int32_t>(data.xd.size());
  const auto p = static_cast<std::int32_t>(knots.size());
  const auto lw = static_cast<std::int32_t>(DefcWorkLength(m, k, p));
  Vector own(static_cast<std::size_t>(lw), std::nan(""));
  FitOutcome outcome{0, Vector(static_cast<std::size_t>(p - k), std::nan(""))};
  DEFC(m, data.xd, data.yd, data.sd, k, p, knots, mdein, outcome.status, outcome.coef, work ? *work : own, lw);
  return outcome;
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
  for (double x : data.xd) {
    data.yd.push_back(f(x));
    data.sd.push_back(1.0);
  }
  return data;
}

TEST(DEFC, ReproducesPolynomialsOfDegreeBelowTheOrder) {
  for (int k = 1; k <= 6; ++k) {
    const auto polynomial = [k](double x) {
      double y = 0.0;
      for (int j = k - 1; j >= 0; --j) y = y * (x - 2.0) + (j % 2 ? -1.0 : 1.0) / (j + 1);
      return y;
    };
    Vector scrambled = {7.5, 0, 3.0, 11.0, 0.7, 13.5, 2.9, 6.0, 1.1, 9.3, 4.4, 8.0, 5.2, 12.0, 14.0};
    scrambled.resize(static_cast<std::size_t>(2 * k + 3));
    // A double interior knot leaves an interval of no length, which order 1 cannot fit.
    const Vector knotSets[] = {Uniform(2 * k + 4, 0.5), scrambled,
                               Clamped(k, k > 1 ? Vector{1, 2, 2, 3, 4.5} : Vector{1, 2, 3, 4.5}, 0, 6)};
    for (const Vector& knots : knotSets) {
      Vector sorted = knots;
      std::sort(sorted.begin(), sorted.end());
      Data data = Sample(knots, k, 2 * k + 1, 7, polynomial);
      if (&knots == &knotSets[2]) {  // data on both ends of the span too
        for (double end : {0.0, 6.0}) {
          data.xd.push_back(end);
          data.yd.push_back(polynomial(end));
          data.sd.push_back(1.0);
        }
      }
      ErrorCapture errors;
      const FitOutcome fit = RunFit(data, k, knots);
      ASSERT_EQ(fit.status, 1) << "k=" << k << " first knot " << knots[0];
      std::int32_t hint = 1;
      Vector scratch(static_cast<std::size_t>(3 * k));
      for (std::size_t i = 0; i < data.xd.size(); ++i)
        // The polynomial stays below 10^3 here; rounding of a well-posed fit.
        EXPECT_NEAR(
            DBVALU(sorted, fit.coef, static_cast<std::int32_t>(fit.coef.size()), k, 0, data.xd[i], hint, scratch),
            data.yd[i], 1e-9 * (1.0 + std::fabs(data.yd[i])))
            << "k=" << k << " first knot " << knots[0] << " m=" << data.xd.size() << " x=" << data.xd[i];
      EXPECT_TRUE(errors.Records().empty()) << "k=" << k;
    }
  }
}

TEST(DEFC, MatchesTheWeightedLeastSquaresSolution) {
  struct Case {
    int k;
    Vector knots;
    int perInterval;  // 60 points per interval pass the staging area many times over
  };
  const Case cases[] = {{1, Uniform(6, 1.0), 5},
                        {2, Uniform(8, 0.25), 9},
                        {3, Clamped(3, {0.5, 1, 2.5}, 0, 3), 7},
                        {4, Uniform(10, 1.0), 60},
                        {4, Uniform(12, 0.5), 3},
                        {5, Uniform(13, 0.2), 8},
                        {6, Clamped(6, {1, 1, 4}, 0, 5), 11}};
  for (const Case& c : cases) {
    Data data =
        Sample(c.knots, c.k, c.perInterval, 11, [](double x) { return std::sin(3.0 * x) + 0.3 * std::cos(40 * x); });
    for (std::size_t i = 0; i < data.sd.size(); ++i)
      data.sd[i] = i % 5 == 0 ? 0.0 : 0.5 + 0.25 * static_cast<double>(i % 7);
    const FitOutcome fit = RunFit(data, c.k, c.knots);
    ASSERT_EQ(fit.status, 1) << "k=" << c.k << " p=" << c.knots.size() << " m=" << data.xd.size();
    const Vector expected = test::ReferenceFit(c.knots, c.k, data.xd, data.yd, data.sd);
    for (std::size_t i = 0; i < expected.size(); ++i)
      // Well-conditioned bases: both solutions agree far below any noise in the data.
      EXPECT_NEAR(fit.coef[i], expected[i], 1e-10 * (1.0 + std::fabs(expected[i])))
          << "k=" << c.k << " p=" << c.knots.size() << " m=" << data.xd.size() << " coefficient " << i + 1;
  }
}

TEST(DEFC, IgnoresTheOrderOfDataAndKnotsAndCommonUncertainties) {
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
  for (double uncertainty : {0.0, 2.0, 3.0, 1e-3, 250.0}) {
    Data data = Sample(knots, k, 7, 3, f);
    data.sd.assign(data.sd.size(), uncertainty);
    const FitOutcome weighted = RunFit(data, k, knots);
    for (std::size_t i = 0; i < reference.coef.size(); ++i)
      // Scaling every equation alike changes only the rounding.
      EXPECT_TRUE(IsClose(weighted.coef[i], reference.coef[i], 1e-12, 1e-12))
          << "sd=" << uncertainty << " coefficient " << i + 1;
  }
}

TEST(DEFC, ContinuesAFitFromTheSavedRows) {
  const int k = 4;
  const Vector knots = Uniform(11, 1.0);
  const auto f = [](double x) { return std::cos(x) + 0.1 * std::sin(23 * x); };
  const Data first = Sample(knots, k, 5, 21, f);
  const Data second = Sample(knots, k, 3, 22, [&](double x) { return f(x) + 0.05; });
  Data both = first;
  both.xd.insert(both.xd.end(), second.xd.begin(), second.xd.end());
  both.yd.insert(both.yd.end(), second.yd.begin(), second.yd.end());
  both.sd.insert(both.sd.end(), second.sd.begin(), second.sd.end());
  Vector work(static_cast<std::size_t>(DefcWorkLength(static_cast<std::int64_t>(first.xd.size()), k, 11)),
              std::nan(""));
  ASSERT_EQ(RunFit(first, k, knots, &work).status, 1);
  const FitOutcome continued = RunFit(second, k, knots, &work, 2);
  const FitOutcome together = RunFit(both, k, knots);
  ASSERT_EQ(continued.status, 1);
  for (std::size_t i = 0; i < together.coef.size(); ++i)
    EXPECT_TRUE(IsClose(continued.coef[i], together.coef[i], 1e-11, 1e-11)) << "coefficient " << i + 1;
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
    std::int32_t m, k, p, mdein, lwChange;
    std::size_t dataLength;
    std::int32_t errorNumber;
    std::string message;
  } cases[] = {
      {10, 0, 10, 1, 0, 10, 3, "IN DEFC, THE ORDER OF THE B-SPLINE MUST BE 1 THRU 20."},
      {10, 21, 42, 1, 0, 10, 3, "IN DEFC, THE ORDER OF THE B-SPLINE MUST BE 1 THRU 20."},
      {10, 4, 7, 1, 0, 10, 4, "IN DEFC, THE NUMBER OF KNOTS MUST BE AT LEAST TWICE THE B-SPLINE ORDER."},
      {-1, 4, 10, 1, 0, 10, 5, "IN DEFC, THE NUMBER OF DATA POINTS MUST BE NONNEGATIVE."},
      {10, 4, 10, 1, -1, 10, 6,  // need = 9*5 + 11*5 + 2*10 + 10 + 16 = 146
       "IN DEFC, INSUFFICIENT STORAGE FOR W(*).  CHECK FORMULA THAT READS LW.GE. ... .  NEED =      146 GIVEN =      "
       "145"},
      {10, 4, 10, 0, 0, 10, 7, "IN DEFC, INPUT VALUE OF MDEIN MUST BE 1-2."},
      {10, 4, 10, 3, 0, 10, 7, "IN DEFC, INPUT VALUE OF MDEIN MUST BE 1-2."},
      {10, 4, 10, 1, 0, 9, 8, "IN DEFC, AN ARRAY IS SHORTER THAN ITS STATED LENGTH."},
  };
  EXPECT_EQ(cases[4].message.size(), 112u);
  for (const auto& c : cases) {
    ErrorCapture errors;
    const Vector xd(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(c.dataLength));
    const std::int32_t lw = c.errorNumber == 6 ? 146 + c.lwChange : 1000;
    Vector work(static_cast<std::size_t>(lw), 5.0);
    Vector coef(12, 7.0);
    std::int32_t status = 0;
    DEFC(c.m, xd, xd, xd, c.k, c.p, values, c.mdein, status, coef, work, lw);
    EXPECT_EQ(status, -1) << c.message;
    for (std::size_t i = 0; i < coef.size(); ++i)  // the N = P - K coefficients are set to 0, nothing else
      EXPECT_EQ(coef[i], static_cast<std::int32_t>(i) < c.p - c.k ? 0.0 : 7.0) << c.message << " " << i + 1;
    ASSERT_EQ(errors.Records().size(), 1u) << c.message;
    const auto& record = errors.Records().front();
    EXPECT_EQ(record.message, c.message);
    EXPECT_EQ(record.library + "/" + record.routine, "FITLIB/DEFCMN");
    EXPECT_EQ(record.errorNumber, c.errorNumber) << c.message;
    EXPECT_EQ(record.level, 1) << c.message;
  }
}

}  // namespace
}  // namespace ruvo
