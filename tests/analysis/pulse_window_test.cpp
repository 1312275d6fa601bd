#include "analysis/pulse_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "analysis/pulse_reference.h"

namespace ruvo {
namespace {

// The window bounds must not sit within rounding distance of an integer, or truncation could go
// either way between two correct computations.
void ExpectClearOfIntegers(long double value, int n) {
  const long double fraction = value - std::floor(value);
  ASSERT_GT(fraction, 1e-6L) << "test data too close to an integer at n=" << n;
  ASSERT_LT(fraction, 1 - 1e-6L) << "test data too close to an integer at n=" << n;
}

TEST(PredictWindow, FirstAndSecondPulseUseTheSpacingAlone) {
  const std::vector<std::int32_t> starts{1000, 1500};
  const std::vector<std::int32_t> ends{1010, 1530};
  PulseWindow one = PredictWindow(starts, ends, 1);
  EXPECT_EQ(one.start, 1000);
  EXPECT_EQ(one.end, 1000);
  PulseWindow two = PredictWindow(starts, ends, 2);  // 0.8 and 1.2 intervals of 500 after 1500
  EXPECT_EQ(two.start, 1900);
  EXPECT_EQ(two.end, 2100);

  const std::vector<std::int32_t> oddStarts{10, 17};  // 0.8 * 7 = 5.6 and 1.2 * 7 = 8.4 truncate
  PulseWindow truncated = PredictWindow(oddStarts, oddStarts, 2);
  EXPECT_EQ(truncated.start, 22);
  EXPECT_EQ(truncated.end, 25);
}

// From three pulses on, a line (3, 4 pulses) or a quadratic (5 or more) through at most the last
// eight starts; the window is 3 residual spreads around the fitted start, widened at the end by the
// summed durations over m - 1.
TEST(PredictWindow, FitsLineThenQuadraticThroughTheLastEightStarts) {
  // An engine speeding up: spacing shrinks, with some jitter so that residuals are not zero.
  const std::vector<std::int32_t> starts{0,    1003, 1975, 2930, 3871, 4783,  5691,
                                         6577, 7443, 8300, 9131, 9949, 10752, 11546};
  const std::vector<std::int32_t> durations{20, 22, 19, 25, 21, 23, 18, 24, 20, 26, 22, 19, 21, 23};
  std::vector<std::int32_t> ends(starts.size());
  for (std::size_t i = 0; i < starts.size(); ++i) ends[i] = starts[i] + durations[i];

  for (int n = 3; n <= static_cast<int>(starts.size()); ++n) {
    const int m = std::min(n, 8);
    const int coefficients = n >= 5 ? 3 : 2;
    std::vector<long double> x;
    std::vector<long double> y;
    long double durationSum = 0;
    for (int i = n - m; i < n; ++i) {
      x.push_back(i - n);
      y.push_back(starts[static_cast<std::size_t>(i)]);
      durationSum += durations[static_cast<std::size_t>(i)];
    }
    const test::PolynomialFit fit = test::ReferenceFit(x, y, coefficients);
    const long double low = fit.c0 - 3 * fit.sigma;
    const long double high = fit.c0 + 3 * fit.sigma + durationSum / (m - 1);
    ExpectClearOfIntegers(low, n);
    ExpectClearOfIntegers(high, n);

    const PulseWindow window = PredictWindow(starts, ends, n);
    EXPECT_EQ(window.start, static_cast<std::int64_t>(std::trunc(low))) << "n=" << n;
    EXPECT_EQ(window.end, static_cast<std::int64_t>(std::trunc(high))) << "n=" << n;
  }
}

TEST(PredictWindow, EvenSpacingGivesANarrowWindowAtTheNextStart) {
  // Exact line: no residual, so the window is [c0, c0 + D] with c0 the next start (to rounding).
  const std::vector<std::int32_t> starts{100, 1100, 2100, 3100, 4100, 5100};
  const std::vector<std::int32_t> ends{130, 1130, 2130, 3130, 4130, 5130};
  for (int n = 3; n <= 6; ++n) {
    const PulseWindow window = PredictWindow(starts, ends, n);
    const double next = 100 + 1000.0 * n;
    const double widening = 30.0 * n / (n - 1);  // m = n durations of 30 over m - 1
    EXPECT_NEAR(static_cast<double>(window.start), next, 1.0) << "n=" << n;
    EXPECT_NEAR(static_cast<double>(window.end), next + widening, 1.0) << "n=" << n;
  }
}

TEST(PulseCutoff, FollowsTheRecentPeaksUnlessTheNoiseIsHigher) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> noise;
    std::vector<std::uint8_t> peaks;
    double noiseFactor;
    double spreadFactor;
    std::int32_t expected;
  };
  const std::vector<Case> cases{
      // 0.8 * 100 = 80 above the noise of 10.
      {"equal peaks", {10, 10}, {100, 100}, 1.0, 1.0, 80},
      // mean 120, sd sqrt((400 + 0 + 400) / 2) = 20: 96 - 20 = 76.
      {"spread lowers the cutoff", {0, 0, 0}, {100, 120, 140}, 1.0, 1.0, 76},
      // same with the spread counted twice: 96 - 40.
      {"spread factor", {0, 0, 0}, {100, 120, 140}, 1.0, 2.0, 56},
      // noise 90 > 80.
      {"noise wins", {90, 90}, {100, 100}, 1.0, 1.0, 90},
      // noise 45 * 2 = 90 > 80.
      {"noise factor", {45, 45}, {100, 100}, 2.0, 1.0, 90},
      // the smallest peak 40 is below the noise 50: the pulses do not stand out.
      {"peak below noise", {50, 50}, {200, 40}, 1.0, 1.0, 0},
      // only the last ten count: the two leading extremes would otherwise lower the cutoff.
      {"last ten pulses",
       {200, 200, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10},
       {20, 20, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100},
       1.0,
       1.0,
       80},
      // a negative spread factor pushes the cutoff past 255: 180 + 5 * 35.36 = 356.8.
      {"clamped at 255", {0, 0}, {250, 200}, 1.0, -5.0, 255},
      // peakCut 180 - 10 * 35.36 < 0 and noiseCut 0: clamped at 0.
      {"clamped at 0", {5, 5}, {250, 200}, 0.0, 10.0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PulseCutoff(c.noise, c.peaks, static_cast<std::int32_t>(c.peaks.size()), c.noiseFactor, c.spreadFactor),
              c.expected)
        << c.name;
  }
  const std::vector<std::uint8_t> one{100};
  EXPECT_EQ(PulseCutoff(one, one, 1, 1.0, 1.0), 0) << "a spread needs two pulses";
}

TEST(TruncatedOffset, TruncatesTowardZeroAndSaturates) {
  EXPECT_EQ(TruncatedOffset(2.9), 2);
  EXPECT_EQ(TruncatedOffset(-2.9), -2);
  EXPECT_EQ(TruncatedOffset(std::numeric_limits<double>::quiet_NaN()), 0);
  EXPECT_EQ(TruncatedOffset(1e300), std::int64_t{1} << 40);
  EXPECT_EQ(TruncatedOffset(-std::numeric_limits<double>::infinity()), -(std::int64_t{1} << 40));
}

}  // namespace
}  // namespace ruvo
