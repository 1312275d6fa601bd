#include "fitting/spline_curve_model.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace ruvo {
namespace {

using Vector = std::vector<double>;

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

TEST(SplineCurveModel, PlacesOneSegmentOfKnotsAroundTheSamples) {
  const Vector times = {0.0, 0.25, 0.5, 0.75, 1.0};
  SplineCurveModel model(times, times, 1, 5);
  const double expected[] = {-4.000001, -3.000001, -2.000001, -1.000001, -0.000001,
                             1.000001,  2.000001,  3.000001,  4.000001,  5.000001};
  ASSERT_EQ(model.Knots().size(), 10u);
  for (std::size_t j = 0; j < 10; ++j) EXPECT_NEAR(model.Knots()[j], expected[j], 1e-14) << "knot " << j + 1;
  EXPECT_EQ(model.Coefficients().size(), 5u);
  EXPECT_EQ(model.Fit(), 1);
}

TEST(SplineCurveModel, ReproducesAQuarticForAnySegmentCount) {
  // Unequally spaced sample times, denser towards the end as pulses come faster.
  Vector times;
  for (int i = 0; i < 240; ++i) times.push_back(4.0 * std::sqrt(i / 239.0) + 0.5);
  Vector revolutions;
  for (double t : times) revolutions.push_back(Quartic(t, 0));
  for (int segments = 1; segments <= 20; ++segments) {
    SplineCurveModel model(times, revolutions, segments, 5);
    ASSERT_EQ(model.Fit(), 1) << "segments=" << segments;
    // Equal segments from the first to the last time, whatever the sample spacing.
    const auto knots = model.Knots();
    const double h = (times.back() - times.front()) / segments;
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
  for (int i = 0; i < 30; ++i) {
    times.push_back(i * 0.1);
    revolutions.push_back(i * i * 0.5);
    clumped.push_back(i < 15 ? i * 0.01 : 2.86 + (i - 15) * 0.01);  // nothing in the middle segments
  }
  struct Case {
    const char* name;
    std::int32_t segments, order;
    bool knotsPlaced;
    const Vector* sampleTimes = nullptr;
  };
  const Case cases[] = {
      {"no segments", 0, 5, false},
      {"-1 segments", -1, 5, false},
      {"-5 segments", -5, 5, false},
      {"lowest segment count", std::numeric_limits<std::int32_t>::min(), 5, false},
      {"more coefficients than samples", 27, 5, false},
      {"a mistyped segment count", 100000000, 5, false},
      {"largest segment count", std::numeric_limits<std::int32_t>::max(), 5, false},
      {"order 0", 3, 0, false},
      {"order 21", 3, 21, false},
      {"largest order", 3, std::numeric_limits<std::int32_t>::max(), false},
      {"segments without samples", 10, 5, true, &clumped},
  };
  for (const Case& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    SplineCurveModel model(c.sampleTimes ? *c.sampleTimes : times, revolutions, c.segments, c.order);
    EXPECT_EQ(model.Fit(), 0) << c.name;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.name;
    EXPECT_EQ(!model.Knots().empty(), c.knotsPlaced) << c.name;
    // A model rejected before its fit has no curve; a failed fit leaves a zero curve.
    const double value = model.Value(1.0);
    if (c.knotsPlaced)
      EXPECT_EQ(value, 0.0) << c.name;
    else
      EXPECT_TRUE(std::isnan(value)) << c.name;
  }

  Vector same(30, 2.0);  // every sample at one time
  EXPECT_EQ(SplineCurveModel(same, revolutions, 3, 5).Fit(), 0);
  Vector damaged = revolutions;
  damaged[7] = nan;
  EXPECT_EQ(SplineCurveModel(times, damaged, 3, 5).Fit(), 0);
  damaged[7] = std::numeric_limits<double>::infinity();
  EXPECT_EQ(SplineCurveModel(times, damaged, 3, 5).Fit(), 0);
  EXPECT_EQ(SplineCurveModel(Vector{}, Vector{}, 1, 5).Fit(), 0);
}

}  // namespace
}  // namespace ruvo
