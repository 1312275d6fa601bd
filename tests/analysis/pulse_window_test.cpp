#include "analysis/pulse_window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "analysis/pulse_reference.h"

namespace ruvo {
namespace {

TEST(PredictWindow, FirstAndSecondPulseUseTheSpacingAlone) {
  const std::vector<std::int32_t> starts{1000, 1500};
  EXPECT_EQ(PredictWindow(starts, starts, 1).start, 1000);
  EXPECT_EQ(PredictWindow(starts, starts, 1).end, 1000);
  EXPECT_EQ(PredictWindow(starts, starts, 2).start, 1900);  // 0.8 and 1.2 intervals after 1500
  EXPECT_EQ(PredictWindow(starts, starts, 2).end, 2100);
  const std::vector<std::int32_t> odd{10, 17};  // 0.8 * 7 = 5.6 and 1.2 * 7 = 8.4 truncate
  EXPECT_EQ(PredictWindow(odd, odd, 2).start, 22);
  EXPECT_EQ(PredictWindow(odd, odd, 2).end, 25);
}

// From three pulses on: a line (3, 4 pulses) or a quadratic (5 or more) through at most the last
// eight starts; 3 residual spreads around the fitted start, widened by the durations over m - 1.
TEST(PredictWindow, FitsLineThenQuadraticThroughTheLastEightStarts) {
  const std::vector<std::int32_t> starts{0, 1003, 1975, 2930, 3871, 4783, 5691, 6577, 7443, 8300, 9131, 9949, 10752};
  const std::vector<std::int32_t> durations{20, 22, 19, 25, 21, 23, 18, 24, 20, 26, 22, 19, 21};
  std::vector<std::int32_t> ends(starts.size());
  for (std::size_t i = 0; i < starts.size(); ++i) ends[i] = starts[i] + durations[i];

  for (int n = 3; n <= static_cast<int>(starts.size()); ++n) {
    const int m = std::min(n, 8);
    std::vector<long double> x;
    std::vector<long double> y;
    long double durationSum = 0;
    for (int i = n - m; i < n; ++i) {
      x.push_back(i - n);
      y.push_back(starts[static_cast<std::size_t>(i)]);
      durationSum += durations[static_cast<std::size_t>(i)];
    }
    const auto [c0, sigma] = test::ReferenceFit(x, y, n >= 5 ? 3 : 2);
    const PulseWindow window = PredictWindow(starts, ends, n);
    for (const auto& [actual, bound] :
         {std::pair{window.start, c0 - 3 * sigma}, std::pair{window.end, c0 + 3 * sigma + durationSum / (m - 1)}}) {
      // Bounds within rounding of an integer could truncate either way: the data avoids them.
      ASSERT_GT(std::fabs(bound - std::round(bound)), 1e-6L) << "n=" << n;
      EXPECT_EQ(actual, static_cast<std::int64_t>(std::trunc(bound))) << "n=" << n;
    }
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
      {"0.8 of the peaks", {10, 10}, {100, 100}, 1.0, 1.0, 80},
      {"less the spread", {0, 0, 0}, {100, 120, 140}, 1.0, 1.0, 76},  // sd sqrt(800 / 2) = 20: 96 - 20
      {"spread factor", {0, 0, 0}, {100, 120, 140}, 1.0, 2.0, 56},
      {"noise wins", {45, 45}, {100, 100}, 2.0, 1.0, 90},
      {"peak below the noise", {50, 50}, {200, 40}, 1.0, 1.0, 0},
      {"the last ten only",
       {200, 200, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10},
       {20, 20, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100},
       1.0,
       1.0,
       80},
      {"clamped at 255", {0, 0}, {250, 200}, 1.0, -5.0, 255},  // 180 + 5 * 35.36
      {"clamped at 0", {5, 5}, {250, 200}, 0.0, 10.0, 0},      // 180 - 10 * 35.36
      {"one pulse has no spread", {10}, {100}, 1.0, 1.0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PulseCutoff(c.noise, c.peaks, static_cast<std::int32_t>(c.peaks.size()), c.noiseFactor, c.spreadFactor),
              c.expected)
        << c.name;
}

}  // namespace
}  // namespace ruvo
