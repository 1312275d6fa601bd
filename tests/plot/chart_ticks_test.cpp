// The one tick rule of both kinds of chart: 1-2-5 steps, axis ends, decimals, hand-drawn ticks.
#include "plot/chart_ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/test_support.h"

namespace ruvo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kRoundOff = 1e-12;  // relative: steps are a power of ten from pow() times 1, 2 or 5

TEST(TickStep, PicksTheRoundStepAtOrAboveTheRoughOneAcrossDecades) {
  const struct {
    double span, intervals, step;
  } cases[] = {{6.0, 6.0, 1.0},     {7.0, 6.0, 2.0},     {12.0, 6.0, 2.0},    {12.1, 6.0, 5.0},
               {30.0, 6.0, 5.0},    {31.0, 6.0, 10.0},   {0.006, 6.0, 0.001}, {6500.0, 6.0, 2000.0},
               {6e-12, 6.0, 1e-12}, {6e300, 6.0, 1e300}, {3.0, 0.5, 5.0},     {3.0, 0.0, 5.0},
               {0.0, 6.0, 1.0},     {-5.0, 6.0, 1.0},    {kNaN, 6.0, 1.0},    {kInfinity, 6.0, 1.0}};
  for (const auto& c : cases)
    EXPECT_TRUE(test::IsClose(TickStep(c.span, c.intervals), c.step, kRoundOff)) << c.span << " / " << c.intervals;
}

// Over spans from 1e-9 to 1e9, the step is 1, 2 or 5 times a power of ten, gives no more than the
// intervals asked for, and the next smaller round step would give more.
TEST(TickStep, IsTheSmallestRoundStepWithinTheIntervalsOverManyDecades) {
  for (int decade = -9; decade <= 9; ++decade)
    for (const double mantissa : {1.0, 1.3, 2.0, 2.7, 4.99, 5.0, 7.3, 9.99})
      for (const double intervals : {2.0, 5.0, 6.0, 8.0}) {
        const double span = mantissa * std::pow(10.0, decade);
        const double step = TickStep(span, intervals);
        const double power = std::pow(10.0, std::floor(std::log10(step) + 1e-9));
        const double multiple = step / power;
        const double smaller = multiple < 1.5 ? power / 2.0 : multiple < 3.0 ? power : 2.0 * power;
        EXPECT_TRUE(test::IsClose(multiple, 1.0, kRoundOff) || test::IsClose(multiple, 2.0, kRoundOff) ||
                    test::IsClose(multiple, 5.0, kRoundOff))
            << span << " in " << intervals << ": " << step;
        EXPECT_LE(span / step, intervals * (1.0 + kRoundOff)) << span << " in " << intervals;
        EXPECT_GT(span / smaller, intervals * (1.0 - kRoundOff)) << span << " in " << intervals;
      }
}

TEST(StepDecimals, ShowsTheStepsFirstDigitAndNoMore) {
  for (const auto& [step, decimals] :
       {std::pair(5000.0, 0), {1.0, 0}, {2.0, 0}, {0.5, 1}, {0.1, 1}, {0.02, 2}, {0.001, 3}, {5e-6, 6}})
    EXPECT_EQ(StepDecimals(step), decimals) << step;
  for (int k = 1; k <= 12; ++k) EXPECT_EQ(StepDecimals(std::pow(10.0, -k)), k) << "10^-" << k;
}

TEST(FitAxisRange, EndsOnTicksOrOnTheStepsPowerOfTen) {
  const struct {
    double low, high, intervals;
    bool endsOnTicks;
    AxisFit fit;
  } cases[] = {
      {0.0, 6437.0, 6.0, true, {0.0, 8000.0, 2000.0, 0}},   // a full step of room above
      {0.0, 6437.0, 6.0, false, {0.0, 7000.0, 2000.0, 0}},  // a thousand only
      {1512.0, 6437.0, 6.0, false, {1500.0, 6500.0, 1000.0, 0}},
      {-0.35, 0.72, 6.0, true, {-0.4, 0.8, 0.2, 1}},   // negative values, decimals
      {12.0, 12.5, 4.0, false, {12.0, 12.5, 0.2, 1}},  // a narrow span far from zero
  };
  for (const auto& c : cases) {
    const std::optional<AxisFit> fit = FitAxisRange(c.low, c.high, c.intervals, c.endsOnTicks);
    ASSERT_TRUE(fit) << c.low << " to " << c.high;
    EXPECT_TRUE(test::IsClose(fit->low, c.fit.low, kRoundOff, 1e-15)) << c.low << " to " << c.high;
    EXPECT_TRUE(test::IsClose(fit->high, c.fit.high, kRoundOff)) << c.low << " to " << c.high;
    EXPECT_TRUE(test::IsClose(fit->step, c.fit.step, kRoundOff)) << c.low << " to " << c.high;
    EXPECT_EQ(fit->decimals, c.fit.decimals) << c.low << " to " << c.high;
  }
  // No span, a reversed one, or one that is not finite: nothing to fit.
  for (const auto& [low, high] : {std::pair(5.0, 5.0), {6.0, 5.0}, {kNaN, 1.0}, {0.0, kInfinity}, {-1e308, 1e308}})
    EXPECT_FALSE(FitAxisRange(low, high, 6.0, true)) << low << " to " << high;
}

TEST(TicksBetween, WalksTheMultiplesOfTheStepAndStopsWhereTheStepIsLost) {
  const std::vector<double> fifths = TicksBetween(0.05, 1.0, 0.2);  // the last one despite round-off
  ExpectAllClose(fifths, (std::vector<double>{0.2, 0.4, 0.6, 0.8, 1.0}), kRoundOff, 0.0);
  ExpectAllClose(TicksBetween(-250.0, 250.0, 100.0), (std::vector<double>{-200.0, -100.0, 0.0, 100.0, 200.0}), 0.0,
                 0.0);
  EXPECT_EQ(TicksBetween(0.0, 0.0, 1.0), std::vector<double>{0.0});  // an empty view still marks its place
  // Above 2^53 a step of 1 vanishes in the sum: one tick, not an endless walk.
  EXPECT_EQ(TicksBetween(1e16, 1e16 + 4.0, 1.0).size(), 1u);
  for (const double step : {0.0, -1.0, kNaN}) EXPECT_TRUE(TicksBetween(0.0, 10.0, step).empty()) << step;
  EXPECT_TRUE(TicksBetween(10.0, 0.0, 1.0).empty());
  EXPECT_TRUE(TicksBetween(0.0, kInfinity, 1.0).empty());
}

TEST(IntervalsFor, OneIntervalPerRoomWithinTheBounds) {
  for (const auto& [pixels, intervals] : {std::pair(600.0, 6.0), {419.0, 6.0}, {300.0, 5.0}, {179.0, 2.0}, {0.0, 2.0}})
    EXPECT_EQ(IntervalsFor(pixels, 60.0, 2.0, 6.0), intervals) << pixels;
}

}  // namespace
}  // namespace ruvo
