#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include "fitting/linear_curve_model.h"
#include "fitting/local_smoothing_model.h"
#include "fitting/spline_curve_model.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

using test::IsClose;
using Vector = std::vector<double>;

TEST(LinearCurveModel, WorkedExampleAndSamplePointsBelongToTheIntervalTheSearchMeetsFirst) {
  LinearCurveModel model(std::vector{0.0, 1.0, 2.0, 3.0}, std::vector{0.0, 1.0, 3.0, 6.0}, 0, 5);
  EXPECT_TRUE(model.Fit());
  // Slopes 1, 2, 3; nodes of the derivative at the midpoints (0.5, 1), (1.5, 2), (2.5, 3).
  for (const auto& [at, expected] : {std::pair{2.5, 4.5}, {-1.0, -1.0}, {4.0, 9.0}, {2.0, 3.0}})
    EXPECT_DOUBLE_EQ(model.Value(at), expected) << at;
  for (const auto& [at, expected] :
       {std::pair{0.2, 1.0}, {0.9, 1.0}, {1.25, 1.75}, {1.5, 2.0}, {3.0, 3.0}, {2.2, 3.0}, {1.0, 1.5}})
    EXPECT_DOUBLE_EQ(model.Derivative(at), expected) << at;  // the last walks down: second interval
  for (double at = -1.0; at <= 4.0; at += 0.125) EXPECT_DOUBLE_EQ(model.SecondDerivative(at), 1.0) << at;
  model.Value(0.0);
  EXPECT_DOUBLE_EQ(model.Derivative(1.0), 1.0);  // walking up: first interval
}

TEST(LinearCurveModel, ParabolaGivesExactDerivativesOnUnevenSamples) {
  // For y = a x^2 every chord slope is the tangent slope at the chord's midpoint, so the broken
  // line through the midpoint nodes is the exact derivative 2 a x strictly between x[1] and x[n-2]
  // (at x[1] the search, walking up, still answers from the flat first interval), and the
  // slope change per midpoint distance is 2 a everywhere.
  const double a = 0.75;
  const std::vector<double> x{0.0, 0.3, 0.5, 1.1, 1.2, 2.0, 2.7, 3.0};
  std::vector<double> y;
  for (double t : x) y.push_back(a * t * t);
  LinearCurveModel model(x, y, 0, 5);
  for (double t = x[1] + 0.005; t < x[x.size() - 2]; t += 0.01)
    EXPECT_TRUE(IsClose(model.Derivative(t), 2.0 * a * t, 1e-12, 1e-12)) << t;
  for (double t = -1.0; t <= 4.0; t += 0.01) EXPECT_TRUE(IsClose(model.SecondDerivative(t), 2.0 * a, 1e-12)) << t;
  // Samples come back walking down.
  for (std::size_t i = x.size(); i-- > 0;) EXPECT_TRUE(IsClose(model.Value(x[i]), y[i], 1e-13, 1e-13)) << i;
}

TEST(LinearCurveModel, TooFewSamplesAreRejectedWithoutReadingPastThem) {
  // Abscissae, ordinates, Fit's answer, whether slopes exist; one ordinate is a single usable sample.
  const std::tuple<Vector, Vector, bool, bool> cases[] = {{{}, {}, false, false},
                                                          {{1.0}, {2.0}, false, false},
                                                          {{1.0, 2.0}, {2.0}, false, false},
                                                          {{1.0, 3.0}, {2.0, 6.0}, false, true},
                                                          {{1.0, 3.0, 4.0}, {2.0, 6.0, 8.0}, true, true}};
  for (const auto& [x, y, fit, hasSlopes] : cases) {
    LinearCurveModel model(x, y, 0, 0);
    EXPECT_EQ(model.Fit(), fit) << x.size();
    if (hasSlopes)
      EXPECT_EQ(std::pair(model.Value(2.0), model.Derivative(2.0)), std::pair(4.0, 2.0)) << x.size();
    else
      EXPECT_TRUE(std::isnan(model.Value(1.0)) && std::isnan(model.Derivative(1.0))) << x.size();
    EXPECT_EQ(std::isnan(model.SecondDerivative(2.0)), !fit) << x.size();
  }
}

TEST(LinearCurveModel, FallingAbscissaeKeepTheSearchInRange) {
  // RPM values of a recording may dip; the search answers with the first bracketing interval met
  // from the cached index and never leaves the arrays.
  LinearCurveModel model(std::vector{1000.0, 1200.0, 1100.0, 1300.0}, std::vector{1.0, 2.0, 3.0, 4.0}, 0, 0);
  EXPECT_DOUBLE_EQ(model.Value(1150.0), 1.75);  // from interval 0
  model.Value(1300.0);
  EXPECT_DOUBLE_EQ(model.Value(1150.0), 3.25);  // from interval 2
  for (double at : {900.0, 1400.0, 1050.0, 1250.0, 1120.0, std::nan("")}) {
    model.Value(at);
    model.Derivative(at);
    model.SecondDerivative(at);
  }
  EXPECT_DOUBLE_EQ(model.Value(1400.0), 4.5);
}

// Deterministic scatter in [-0.5, 0.5).
double Scatter(int i) {
  return std::fmod(std::sin(i * 78.233) * 43758.5453, 1.0) * 0.5;
}

// Uneven increasing times and noisy revolutions of an accelerating engine.
void NoisyRun(std::vector<double>& x, std::vector<double>& y, int n) {
  double t = 0.0;
  for (int i = 0; i < n; ++i) {
    t += 0.02 + 0.005 * Scatter(i);
    x.push_back(t);
    y.push_back(20.0 * t + 15.0 * t * t + 0.05 * Scatter(i + 500));
  }
}

TEST(LocalSmoothingModel, WorkedExample) {
  const Vector x{0.0, 1.0, 2.0, 3.0, 4.0}, y{0.0, 1.0, 4.0, 9.0, 16.0};
  const Vector values{0.0, 5.0 / 3.0, 14.0 / 3.0, 29.0 / 3.0, 16.0},
      slopes{1.0, 7.0 / 3.0, 37.0 / 9.0, 154.0 / 27.0, 7.0};
  LocalSmoothingModel model(x, y, 1, 5);
  EXPECT_TRUE(model.Fit());
  Vector v, d, d2;
  for (double at : x)
    v.push_back(model.Value(at)), d.push_back(model.Derivative(at)), d2.push_back(model.SecondDerivative(at));
  // Fractions of small integers: a few rounding steps only.
  ExpectAllClose(v, values, 1e-14, 1e-14);
  ExpectAllClose(d, slopes, 1e-14, 0.0);
  ExpectAllClose(d2, (Vector{4.0 / 3.0, 14.0 / 9.0, 91.0 / 54.0, 13.0 / 9.0, 35.0 / 27.0}), 1e-14, 0.0);
  // Halfway between samples the results are the means of their neighbours.
  EXPECT_TRUE(IsClose(model.Value(2.5), (values[2] + values[3]) / 2.0, 1e-14));
  EXPECT_TRUE(IsClose(model.Derivative(-1.0), 2.0 * slopes[0] - slopes[1], 1e-14));  // first interval extended
}

TEST(LocalSmoothingModel, InteriorValuesAreLeastSquaresLinesOfTheirWindows) {
  // Reference line by the centred formulas b = sum (x - mx)(y - my) / sum (x - mx)^2, a = my - b mx.
  Vector x, y;
  NoisyRun(x, y, 40);
  for (const int level : {1, 3, 7}) {
    LocalSmoothingModel model(x, y, level, 1);
    ASSERT_TRUE(model.Fit()) << level;
    for (int i = level; i < 40 - level; ++i) {
      double mx = 0.0, my = 0.0, sxy = 0.0, sxx = 0.0;
      for (int j = i - level; j <= i + level; ++j) mx += x[j] / (2 * level + 1), my += y[j] / (2 * level + 1);
      for (int j = i - level; j <= i + level; ++j) sxy += (x[j] - mx) * (y[j] - my), sxx += (x[j] - mx) * (x[j] - mx);
      EXPECT_TRUE(IsClose(model.Value(x[i]), my + sxy / sxx * (x[i] - mx), 1e-9))
          << "level " << level << " sample " << i;
    }
  }
}

TEST(LocalSmoothingModel, EndsAndWindowsNearThem) {
  Vector x, y;
  NoisyRun(x, y, 15);
  for (const int level : {0, 1, 2, 5, 7}) {
    LocalSmoothingModel model(x, y, level, 1);
    ASSERT_TRUE(model.Fit()) << level;
    EXPECT_EQ(std::pair(model.Value(x.front()), model.Value(x.back())), std::pair(y.front(), y.back())) << level;
  }
  // Any level of 7 or more (half of 15 samples, rounded down) is the same model as level 7; any
  // negative level the same as level 0.
  for (const auto& [level, equivalent] : {std::pair{8, 7}, {1000, 7}, {-3, 0}, {INT_MIN, 0}}) {
    LocalSmoothingModel model(x, y, level, 1);
    LocalSmoothingModel reference(x, y, equivalent, 1);
    ASSERT_TRUE(model.Fit() && reference.Fit()) << level;
    for (double at : x)
      EXPECT_EQ(std::tuple(model.Value(at), model.Derivative(at), model.SecondDerivative(at)),
                std::tuple(reference.Value(at), reference.Derivative(at), reference.SecondDerivative(at)))
          << level;
  }
}

TEST(LocalSmoothingModel, CrowdedAbscissaeFallBackToTheCentralDifference) {
  // Times a microsecond apart, a million seconds from the origin: N Sxx - Sx^2 is lost to rounding,
  // and the windowed fit would return noise. The central difference still sees the slope.
  Vector x, y;
  for (int i = 0; i < 9; ++i) x.push_back(1.0e6 + 1.0e-6 * i), y.push_back(3.0 * (x.back() - 1.0e6));
  LocalSmoothingModel model(x, y, 2, 1);
  ASSERT_TRUE(model.Fit());
  for (std::size_t i = 0; i < x.size(); ++i) {
    EXPECT_TRUE(IsClose(model.Derivative(x[i]), 3.0, 1e-3)) << i;  // abscissae carry ~1e-10 s of rounding
    EXPECT_NEAR(model.Value(x[i]), y[i], 1e-9) << i;
  }
}

TEST(LocalSmoothingModel, TooFewSamplesOrNoFitGiveNaN) {
  for (const Vector& none : {Vector{}, {1.0}}) {
    LocalSmoothingModel model(none, none, 3, 1);
    EXPECT_FALSE(model.Fit());
    EXPECT_TRUE(std::isnan(model.Value(1.0)) && std::isnan(model.Derivative(1.0)) &&
                std::isnan(model.SecondDerivative(1.0)));
  }
  LocalSmoothingModel pair(std::vector{1.0, 2.0}, std::vector{3.0, 5.0}, 3, 1);
  EXPECT_TRUE(std::isnan(pair.Value(1.5)) && std::isnan(pair.Derivative(1.5)) &&
              std::isnan(pair.SecondDerivative(1.5)));
  EXPECT_TRUE(pair.Fit());
  ExpectAllClose((Vector{pair.Value(1.5), pair.Derivative(1.5), pair.SecondDerivative(1.5)}), (Vector{4.0, 2.0, 0.0}),
                 1e-15, 0.0);
}

// A quartic in time and its derivatives, with coefficients of the size of a real run
// (revolutions against seconds).
double Quartic(double t, int derivative) {
  const double c[] = {3.0, 40.0, 25.0, -4.0, 0.3};
  double sum = 0.0;
  for (int power = derivative; power <= 4; ++power) {
    double factor = c[power];
    for (int j = 0; j < derivative; ++j) factor *= power - j;
    sum += factor * std::pow(t, power - derivative);
  }
  return sum;
}

TEST(SplineCurveModel, ReproducesAQuarticForAnySegmentCount) {
  // Unequally spaced sample times, denser towards the end as pulses come faster.
  Vector times, revolutions;
  for (int i = 0; i < 240; ++i)
    times.push_back(4.0 * std::sqrt(i / 239.0) + 0.5), revolutions.push_back(Quartic(times.back(), 0));
  // As many coefficients as samples is still a fit.
  EXPECT_TRUE(SplineCurveModel(Vector(times.begin(), times.begin() + 5), Vector(5, 1.0), 1, 5).Fit());
  for (int segments = 1; segments <= 20; ++segments) {
    SplineCurveModel model(times, revolutions, segments, 5);
    ASSERT_TRUE(model.Fit()) << "segments=" << segments;
    // Equal segments from the first to the last time, whatever the sample spacing.
    const auto knots = model.Knots();
    const double h = (times.back() - times.front()) / segments;
    const auto n = static_cast<std::size_t>(segments) + 4;  // coefficients
    ASSERT_EQ(knots.size(), n + 5) << "segments=" << segments;
    EXPECT_NEAR(knots[4], times.front() - 1e-6 * h, 1e-12) << "segments=" << segments;
    EXPECT_NEAR(knots[4 + static_cast<std::size_t>(segments)], times.back() + 1e-6 * h, 1e-12);
    // The last segment also takes both margins; the additions round at about 1e-15.
    const std::size_t lastSegmentEnd = 4 + static_cast<std::size_t>(segments);
    for (std::size_t j = 1; j < knots.size(); ++j)
      EXPECT_NEAR(knots[j] - knots[j - 1], j == lastSegmentEnd ? h * (1 + 2e-6) : h, 1e-12)
          << "segments=" << segments << " knot " << j + 1;
    for (double t : times) {
      // Revolutions reach about 1200 here; tolerances are relative to each quantity's scale.
      EXPECT_NEAR(model.Value(t), Quartic(t, 0), 1e-9 * 1200) << "segments=" << segments << " t=" << t;
      EXPECT_NEAR(model.Derivative(t), Quartic(t, 1), 1e-7 * 600) << "segments=" << segments << " t=" << t;
      EXPECT_NEAR(model.SecondDerivative(t), Quartic(t, 2), 1e-5 * 300) << "segments=" << segments << " t=" << t;
    }
  }
}

TEST(SplineCurveModel, FailsWithoutTouchingMemoryForUnusableSegmentsOrSamples) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Vector times, revolutions, clumped;
  for (int i = 0; i < 30; ++i)  // clumped: nothing in the middle segments
    times.push_back(i * 0.1), revolutions.push_back(i * i * 0.5),
        clumped.push_back(i < 15 ? i * 0.01 : 2.86 + (i - 15) * 0.01);
  // Segments, order; 27 segments need more coefficients than samples, 100000000 is a mistyped count.
  const std::pair<std::int32_t, std::int32_t> rejected[] = {{0, 5},       {INT_MIN, 5}, {27, 5}, {100000000, 5},
                                                            {INT_MAX, 5}, {3, 0},       {3, 21}, {3, INT_MAX}};
  for (const auto& [segments, order] : rejected) {
    const auto start = std::chrono::steady_clock::now();
    SplineCurveModel model(times, revolutions, segments, order);
    EXPECT_FALSE(model.Fit()) << segments << " " << order;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << segments << " " << order;
    // Rejected before the fit: no knots and no curve.
    EXPECT_TRUE(model.Knots().empty() && std::isnan(model.Value(1.0))) << segments << " " << order;
  }
  // Segments without samples: the knots are placed, the fit fails and leaves a zero curve.
  SplineCurveModel empty(clumped, revolutions, 10, 5);
  EXPECT_TRUE(std::isnan(empty.Value(1.0)));  // not fitted yet
  EXPECT_FALSE(empty.Fit());
  EXPECT_EQ(std::pair(empty.Knots().empty(), empty.Value(1.0)), std::pair(false, 0.0));

  Vector damaged = revolutions, alsoDamaged = revolutions;
  damaged[7] = nan;
  alsoDamaged[7] = std::numeric_limits<double>::infinity();
  EXPECT_FALSE(SplineCurveModel(Vector(30, 2.0), revolutions, 3, 5).Fit());  // every sample at one time
  EXPECT_FALSE(SplineCurveModel(times, damaged, 3, 5).Fit());
  EXPECT_FALSE(SplineCurveModel(times, alsoDamaged, 3, 5).Fit());
  EXPECT_FALSE(SplineCurveModel(Vector{}, Vector{}, 1, 5).Fit());
}

}  // namespace
}  // namespace ruvo
