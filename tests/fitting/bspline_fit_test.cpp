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

struct FitOutcome {
  std::int32_t status;
  Vector coef;
};

// Runs DEFC with a work array of exactly the required length, pre-filled with NaN so that any
// element read before it is written would show in the result.
FitOutcome RunFit(const Vector& xd,
                  const Vector& yd,
                  const Vector& sd,
                  int k,
                  const Vector& knots,
                  Vector* work = nullptr,
                  int mdein = 1) {
  const auto m = static_cast<std::int32_t>(xd.size());
  const auto p = static_cast<std::int32_t>(knots.size());
  const auto lw = static_cast<std::int32_t>(DefcWorkLength(m, k, p));
  Vector ownWork(static_cast<std::size_t>(lw), std::nan(""));
  Vector& w = work ? *work : ownWork;
  if (w.empty()) w.assign(static_cast<std::size_t>(lw), std::nan(""));
  FitOutcome outcome{0, Vector(static_cast<std::size_t>(p - k), std::nan(""))};
  DEFC(m, xd, yd, sd, k, p, knots, mdein, outcome.status, outcome.coef, w, lw);
  return outcome;
}

double Spline(const Vector& knots, const Vector& coef, int k, double x) {
  std::int32_t hint = 1;
  Vector scratch(static_cast<std::size_t>(3 * k));
  return DBVALU(knots, coef, static_cast<std::int32_t>(coef.size()), k, 0, x, hint, scratch);
}

// Deterministic numbers in [0, 1), the same on every platform.
class Numbers {
 public:
  explicit Numbers(unsigned seed) : engine(seed) {}
  double Next() { return static_cast<double>(engine() >> 11) * 0x1.0p-53; }
  template <typename T>
  void Shuffle(std::vector<T>& values) {
    for (std::size_t i = values.size(); i > 1; --i) std::swap(values[i - 1], values[engine() % i]);
  }

 private:
  std::mt19937_64 engine;
};

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

// perInterval abscissae spread over every interval of positive length of the span [t(k), t(n+1)).
Vector SpreadAbscissae(Vector knots, int k, int perInterval, Numbers& numbers) {
  std::sort(knots.begin(), knots.end());
  const std::size_t n = knots.size() - static_cast<std::size_t>(k);
  Vector xd;
  for (std::size_t i = static_cast<std::size_t>(k) - 1; i < n; ++i)
    for (int j = 0; j < perInterval; ++j)
      if (knots[i] < knots[i + 1])
        xd.push_back(knots[i] + (j + 0.2 + 0.6 * numbers.Next()) / perInterval * (knots[i + 1] - knots[i]));
  return xd;
}

TEST(DEFC, ReproducesPolynomialsOfDegreeBelowTheOrder) {
  Numbers numbers(7);
  for (int k = 1; k <= 6; ++k) {
    struct KnotSet {
      const char* name;
      Vector knots;
      bool endsInData;  // data also at both ends of the span
    };
    Vector scrambled = {0, 0.7, 1.1, 2.9, 3.0, 4.4, 5.2, 6.0, 7.5, 8.0, 9.3, 11.0, 12.0, 13.5, 14.0};
    scrambled.resize(static_cast<std::size_t>(2 * k + 3));
    numbers.Shuffle(scrambled);
    const KnotSet sets[] = {
        {"uniform", Uniform(2 * k + 4, 0.5), false},
        // A double interior knot leaves an interval of no length, which order 1 cannot fit.
        {"clamped", Clamped(k, k > 1 ? Vector{1, 2, 2, 3, 4.5} : Vector{1, 2, 3, 4.5}, 0, 6), true},
        {"scrambled", scrambled, false},
    };
    for (const KnotSet& set : sets) {
      Vector sorted = set.knots;
      std::sort(sorted.begin(), sorted.end());
      const std::size_t n = sorted.size() - static_cast<std::size_t>(k);
      Vector xd = SpreadAbscissae(set.knots, k, 2 * k + 1, numbers);
      if (set.endsInData) xd.insert(xd.end(), {sorted[static_cast<std::size_t>(k) - 1], sorted[n]});
      numbers.Shuffle(xd);
      Vector yd;
      for (double x : xd) {
        double y = 0.0;
        for (int j = k - 1; j >= 0; --j) y = y * (x - 2.0) + (j % 2 ? -1.0 : 1.0) / (j + 1);
        yd.push_back(y);
      }
      ErrorCapture errors;
      const FitOutcome fit = RunFit(xd, yd, Vector(xd.size(), 1.0), k, set.knots);
      ASSERT_EQ(fit.status, 1) << "k=" << k << " knots=" << set.name;
      for (std::size_t i = 0; i < xd.size(); ++i)
        // The polynomial's values stay below about 10^3 here; rounding of a well-posed fit.
        EXPECT_NEAR(Spline(sorted, fit.coef, k, xd[i]), yd[i], 1e-9 * (1.0 + std::fabs(yd[i])))
            << "k=" << k << " knots=" << set.name << " m=" << xd.size() << " x=" << xd[i];
      EXPECT_TRUE(errors.Records().empty()) << "k=" << k << " knots=" << set.name;
    }
  }
}

TEST(DEFC, MatchesADenseLeastSquaresSolution) {
  Numbers numbers(11);
  struct Case {
    int k;
    Vector knots;
    int perInterval;
  };
  const Case cases[] = {
      {1, Uniform(6, 1.0), 5},
      {2, Uniform(8, 0.25), 9},
      {3, Clamped(3, {0.5, 1, 2.5}, 0, 3), 7},
      {4, Uniform(10, 1.0), 60},
      {4, Uniform(12, 0.5), 3},
      {5, Uniform(13, 0.2), 8},
      {6, Clamped(6, {1, 1, 4}, 0, 5), 11},
  };
  for (const Case& c : cases) {
    Vector xd = SpreadAbscissae(c.knots, c.k, c.perInterval, numbers);
    numbers.Shuffle(xd);
    Vector yd, sd;
    for (double x : xd) {
      yd.push_back(std::sin(3.0 * x) + 0.3 * numbers.Next());
      sd.push_back(numbers.Next() < 0.2 ? 0.0 : 0.5 + 1.5 * numbers.Next());
    }
    const FitOutcome fit = RunFit(xd, yd, sd, c.k, c.knots);
    ASSERT_EQ(fit.status, 1) << "k=" << c.k << " p=" << c.knots.size() << " m=" << xd.size();
    const Vector expected = test::ReferenceFit(c.knots, c.k, xd, yd, sd);
    for (std::size_t i = 0; i < expected.size(); ++i)
      // Both solutions are backward stable; the B-spline bases here are well conditioned.
      EXPECT_NEAR(fit.coef[i], expected[i], 1e-10 * (1.0 + std::fabs(expected[i])))
          << "k=" << c.k << " p=" << c.knots.size() << " m=" << xd.size() << " coefficient " << i + 1;
  }
}

struct Sample {
  Vector xd, yd, sd;
};

Sample NoisySample(const Vector& knots, int k, int perInterval, unsigned seed) {
  Numbers numbers(seed);
  Sample sample;
  sample.xd = SpreadAbscissae(knots, k, perInterval, numbers);
  for (double x : sample.xd) {
    sample.yd.push_back(std::exp(0.3 * x) + numbers.Next());
    sample.sd.push_back(1.0);
  }
  return sample;
}

TEST(DEFC, GivesTheSameCoefficientsForDataAndKnotsInAnyOrder) {
  const int k = 4;
  const Vector knots = Uniform(12, 1.0);
  const Sample sample = NoisySample(knots, k, 7, 3);
  const FitOutcome increasing = RunFit(sample.xd, sample.yd, sample.sd, k, knots);
  ASSERT_EQ(increasing.status, 1);

  // The data are taken in order of abscissa whatever their order: the same arithmetic exactly.
  std::vector<std::size_t> order(sample.xd.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = order.size() - 1 - i;
  for (int arrangement = 0; arrangement < 3; ++arrangement) {
    if (arrangement > 0) Numbers(static_cast<unsigned>(arrangement)).Shuffle(order);
    Sample permuted;
    for (std::size_t i : order) {
      permuted.xd.push_back(sample.xd[i]);
      permuted.yd.push_back(sample.yd[i]);
      permuted.sd.push_back(sample.sd[i]);
    }
    Vector reversedKnots(knots.rbegin(), knots.rend());
    EXPECT_EQ(RunFit(permuted.xd, permuted.yd, permuted.sd, k, knots).coef, increasing.coef) << arrangement;
    EXPECT_EQ(RunFit(permuted.xd, permuted.yd, permuted.sd, k, reversedKnots).coef, increasing.coef) << arrangement;
  }
}

TEST(DEFC, CommonUncertaintiesScaleOut) {
  const int k = 5;
  const Vector knots = Uniform(14, 0.5);
  const Sample sample = NoisySample(knots, k, 6, 5);
  const FitOutcome unweighted = RunFit(sample.xd, sample.yd, Vector(sample.xd.size(), 0.0), k, knots);
  ASSERT_EQ(unweighted.status, 1);
  for (double uncertainty : {1.0, 2.0, 3.0, 1e-3, 250.0}) {
    const FitOutcome weighted = RunFit(sample.xd, sample.yd, Vector(sample.xd.size(), uncertainty), k, knots);
    ASSERT_EQ(weighted.status, 1);
    for (std::size_t i = 0; i < unweighted.coef.size(); ++i)
      // Scaling every equation alike changes only the rounding.
      EXPECT_TRUE(IsClose(weighted.coef[i], unweighted.coef[i], 1e-12, 1e-12))
          << "sd=" << uncertainty << " coefficient " << i + 1;
  }
}

TEST(DEFC, ContinuesAFitFromTheSavedRows) {
  const int k = 4;
  const Vector knots = Uniform(11, 1.0);
  const Sample first = NoisySample(knots, k, 5, 21);
  const Sample second = NoisySample(knots, k, 3, 22);
  Sample both = first;
  both.xd.insert(both.xd.end(), second.xd.begin(), second.xd.end());
  both.yd.insert(both.yd.end(), second.yd.begin(), second.yd.end());
  both.sd.insert(both.sd.end(), second.sd.begin(), second.sd.end());

  Vector work;  // sized for the larger call, as a caller continuing a fit must
  work.assign(static_cast<std::size_t>(DefcWorkLength(static_cast<std::int64_t>(both.xd.size()), k, 11)), std::nan(""));
  ASSERT_EQ(RunFit(first.xd, first.yd, first.sd, k, knots, &work, 1).status, 1);
  const FitOutcome continued = RunFit(second.xd, second.yd, second.sd, k, knots, &work, 2);
  const FitOutcome together = RunFit(both.xd, both.yd, both.sd, k, knots);
  ASSERT_EQ(continued.status, 1);
  ASSERT_EQ(together.status, 1);
  for (std::size_t i = 0; i < together.coef.size(); ++i)
    EXPECT_TRUE(IsClose(continued.coef[i], together.coef[i], 1e-11, 1e-11)) << "coefficient " << i + 1;
}

TEST(DEFC, LeavesUndeterminedCoefficientsAtZeroWithStatusTwo) {
  Vector piled = {3.5};  // one point, then a pile of points two intervals further on
  for (int i = 0; i < 30; ++i) piled.push_back(6.0 + i / 30.0);
  struct Case {
    const char* name;
    int k;
    Vector knots;
    Vector xd;
  };
  const Case cases[] = {
      {"no data", 4, Uniform(10, 1.0), {}},
      {"fewer points than coefficients", 3, Uniform(10, 1.0), {2.5, 3.5, 4.5, 5.5, 6.5}},
      {"a B-spline without data", 2, Uniform(8, 1.0), {1.2, 1.5, 1.7, 2.2, 2.6, 5.2, 5.5, 5.8}},
      {"all data on one repeated knot", 3, {0, 1, 1, 1, 1, 1, 2}, {1, 1, 1, 1}},
      {"points piled up after a gap", 4, Uniform(12, 1.0), piled},
  };
  for (const Case& c : cases) {
    ErrorCapture errors;
    const FitOutcome fit = RunFit(c.xd, Vector(c.xd.size(), 1.0), Vector(c.xd.size(), 1.0), c.k, c.knots);
    EXPECT_EQ(fit.status, 2) << c.name;
    EXPECT_EQ(fit.coef, Vector(c.knots.size() - static_cast<std::size_t>(c.k), 0.0)) << c.name;
    EXPECT_TRUE(errors.Records().empty()) << c.name << ": " << errors.Records().front().message;
  }
}

TEST(DEFC, RejectsInvalidInputWithOneMessage) {
  const Vector x10 = Uniform(10, 0.5);
  const Vector knots = Uniform(10, 0.5);
  struct Case {
    const char* name;
    std::int32_t m, k, p, mdein, lwChange;
    std::size_t arrayLength;
    std::int32_t errorNumber;
    std::string message;
  };
  const Case cases[] = {
      {"order 0", 10, 0, 10, 1, 0, 10, 3, "IN DEFC, THE ORDER OF THE B-SPLINE MUST BE 1 THRU 20."},
      {"order 21", 10, 21, 42, 1, 0, 10, 3, "IN DEFC, THE ORDER OF THE B-SPLINE MUST BE 1 THRU 20."},
      {"2K-1 knots", 10, 4, 7, 1, 0, 10, 4, "IN DEFC, THE NUMBER OF KNOTS MUST BE AT LEAST TWICE THE B-SPLINE ORDER."},
      {"negative count", -1, 4, 10, 1, 0, 10, 5, "IN DEFC, THE NUMBER OF DATA POINTS MUST BE NONNEGATIVE."},
      {"work one short", 10, 4, 10, 1, -1, 10, 6,
       "IN DEFC, INSUFFICIENT STORAGE FOR W(*).  CHECK FORMULA THAT READS LW.GE. ... .  NEED =      146 GIVEN =      "
       "145"},
      {"mode 0", 10, 4, 10, 0, 0, 10, 7, "IN DEFC, INPUT VALUE OF MDEIN MUST BE 1-2."},
      {"mode 3", 10, 4, 10, 3, 0, 10, 7, "IN DEFC, INPUT VALUE OF MDEIN MUST BE 1-2."},
      {"short data", 10, 4, 10, 1, 0, 9, 8, "IN DEFC, AN ARRAY IS SHORTER THAN ITS STATED LENGTH."},
  };
  EXPECT_EQ(cases[4].message.size(), 112u);
  for (const Case& c : cases) {
    ErrorCapture errors;
    const Vector xd(x10.begin(), x10.begin() + static_cast<std::ptrdiff_t>(c.arrayLength));
    const std::int32_t lw = c.k >= 1 && c.k <= 20 && c.m >= 0 && c.p >= 2 * c.k
                                ? static_cast<std::int32_t>(DefcWorkLength(c.m, c.k, c.p)) + c.lwChange
                                : 1000;
    Vector work(static_cast<std::size_t>(lw), 5.0);
    Vector coef(12, 7.0);
    std::int32_t status = 0;
    DEFC(c.m, xd, xd, xd, c.k, c.p, knots, c.mdein, status, coef, work, lw);
    EXPECT_EQ(status, -1) << c.name;
    for (std::size_t i = 0; i < coef.size(); ++i)
      EXPECT_EQ(coef[i], static_cast<std::int32_t>(i) < c.p - c.k ? 0.0 : 7.0) << c.name << " coefficient " << i + 1;
    ASSERT_EQ(errors.Records().size(), 1u) << c.name;
    const auto& record = errors.Records().front();
    EXPECT_EQ(record.message, c.message) << c.name;
    EXPECT_EQ(record.library, "FITLIB") << c.name;
    EXPECT_EQ(record.routine, "DEFCMN") << c.name;
    EXPECT_EQ(record.errorNumber, c.errorNumber) << c.name;
    EXPECT_EQ(record.level, 1) << c.name;
  }
}

}  // namespace
}  // namespace ruvo
