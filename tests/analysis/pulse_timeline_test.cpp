#include "analysis/pulse_timeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/pulse_reference.h"
#include "analysis/pulse_window.h"
#include "fitting/lsq_minimizer.h"

namespace ruvo {
namespace {

using test::Printf;

TEST(ComputePulseTimes, TakesTheConfiguredSampleOfEachPulse) {
  // The second pulse was placed without a crossing: start, end and peak are one sample.
  const std::vector<std::int32_t> starts{800, 4000}, ends{809, 4000}, peaks{803, 4000};
  // Time reference and the first time in seconds at 8000 samples/s.
  for (const auto& [reference, first] :
       {std::pair{1, 0.1}, {2, 803 / 8000.0}, {0, 1609 / 16000.0}, {7, 1609 / 16000.0}}) {
    std::vector<double> times(2, -1.0);
    ComputePulseTimes(starts, ends, peaks, 8000, reference, times);
    EXPECT_DOUBLE_EQ(times[0], first) << "timeReference " << reference;
    EXPECT_EQ(times[1], 0.5) << "timeReference " << reference << ": exactly the placed pulse's sample";
  }
}

// Without smoothing (trim level 0) the speed at a pulse is the backward difference of the
// revolutions, times 60; the first pulse has no speed.
TEST(SmoothedRpm, IsTheLocalSlopeAtEachPulseFromTheSecondOn) {
  std::vector<double> times, revolutions;
  for (int i = 0; i < 12; ++i) times.push_back(0.1 * i + 0.01 * (i % 3)), revolutions.push_back(3.0 * i * i);
  const std::vector<double> rpm = SmoothedRpm(times, revolutions, 0);
  ASSERT_EQ(rpm.size(), times.size());
  EXPECT_EQ(rpm[0], 0.0);
  for (std::size_t p = 1; p < times.size(); ++p)
    EXPECT_NEAR(rpm[p], 60.0 * (revolutions[p] - revolutions[p - 1]) / (times[p] - times[p - 1]), 1e-8) << p;
}

TEST(RunUpRange, KeepsTheAccelerationFromTheInitialTowardsTheFinalRpm) {
  // rpm[0] is never read; initial and final rpm, first index and count, with rise tolerance 0.002.
  const std::tuple<const char*, std::vector<double>, std::int32_t, std::int32_t, std::int32_t, std::int32_t> cases[] = {
      {"never above the initial rpm: the last pulse alone", {-1, 900, 950, 990, 1000}, 1000, 6000, 4, 1},
      {"above at pulse 1: starts at pulse 0", {-1, 1100, 1200, 1300}, 1000, 6000, 0, 4},
      // tolerance (6000 - 1000) * 0.002 = 10
      {"a dip of exactly the tolerance goes on", {-1, 900, 1100, 1200, 1190, 1300}, 1000, 6000, 1, 5},
      {"a deeper dip ends at the highest speed", {-1, 900, 1100, 1200, 1189.99, 1300}, 1000, 6000, 1, 3},
      {"a dip right after the start leaves one pulse", {-1, 900, 1100, 1080, 1300}, 1000, 6000, 1, 1},
      // tolerance 2: 1999 + 2 passes 2000, but 1999 is a new maximum and stays
      {"within the tolerance of the final rpm", {-1, 1500, 1990, 1997, 1999, 2005}, 1000, 2000, 0, 5},
      // tolerance -0.2: the first speed checked is already too far below itself
      {"final rpm below the initial rpm", {-1, 1100, 1200}, 1000, 900, 0, 1},
      {"a single pulse", {-1}, 1000, 6000, 0, 1},
  };
  for (const auto& [name, rpm, initialRpm, finalRpm, first, count] : cases) {
    const TimelineRange range = RunUpRange(rpm, initialRpm, finalRpm, 0.002);
    EXPECT_EQ(std::pair(range.firstIndex, range.count), std::pair(first, count)) << name;
  }
}

const std::string kDerivativesHead =
    "#Final Derivatives:\nVariables =\n  \"Time\"   \"Revs\" \"RevFit\" \"RevDif\" \"RPM\"  \"RPMFit\" \"RPMDif\" "
    "\"d2RdtFit\"\n";

std::string Row(double time, double revs, double revFit, double rpm, double rpmFit, double accel) {
  return Printf("%7.3f %8.3f %8.3f %8.5f %7.1f %8.1f %9.3f %10.5f\n", time, revs, revFit, revs - revFit, rpm, rpmFit,
                rpm - rpmFit, accel);
}

TEST(FinalDerivativesText, ComparesMeasuredAndFittedSpeedsOverTheTimelineOrALonePoint) {
  // Five pulses, two revolutions apart; the timeline keeps pulses 1 to 3.
  const std::vector<double> times{0.0, 0.1, 0.25, 0.45, 0.6}, revs{10.0, 12.0, 14.0, 16.0, 18.0};
  const std::vector<double> revFit{12.01, 13.98, 16.0}, rpmFit{790.0, 690.5, 610.25}, accelFit{1.5, -0.25, 3.125};

  // Measured: forward 2 rev / 0.15 s, central 120 * 2 / (0.45 - 0.1), backward 2 rev / 0.2 s.
  const std::string twoRows =
      kDerivativesHead + Row(0.1, 12.0, 12.01, 800.0, 790.0, 1.5) + Row(0.25, 14.0, 13.98, 240.0 / 0.35, 690.5, -0.25);
  EXPECT_EQ(FinalDerivativesText(times, revs, {1, 3}, revFit, rpmFit, accelFit),
            twoRows + Row(0.45, 16.0, 16.0, 600.0, 610.25, 3.125));
  // Fewer fitted values than points: only the fitted points get rows, measured as before.
  EXPECT_EQ(FinalDerivativesText(times, revs, {1, 3}, std::span(revFit).first(2), rpmFit, accelFit), twoRows);

  // A lone point is measured from any neighbour it has.
  const std::vector<double> fit{1.0};
  const std::string last = Row(0.6, 18.0, 1.0, 2.0 / 0.15 * 60.0, 1.0, 1.0);  // looks back
  EXPECT_EQ(FinalDerivativesText(times, revs, {4, 1}, fit, fit, fit), kDerivativesHead + last);
  EXPECT_EQ(FinalDerivativesText(times, revs, {2, 1}, fit, fit, fit),
            kDerivativesHead + Row(0.25, 14.0, 1.0, 600.0, 1.0, 1.0));  // looks ahead
  EXPECT_EQ(FinalDerivativesText(times, revs, {4, 3}, fit, fit, fit), kDerivativesHead + last) << "cut to the arrays";
  const std::vector<double> one{0.5};
  EXPECT_EQ(FinalDerivativesText(one, one, {0, 1}, fit, fit, fit), kDerivativesHead) << "no neighbour at all";
}

TEST(PredictWindow, FirstAndSecondPulseUseTheSpacingAlone) {
  using Window = std::pair<std::int64_t, std::int64_t>;
  const auto window = [](const std::vector<std::int32_t>& starts, std::int32_t n) {
    const PulseWindow w = PredictWindow(starts, starts, n);
    return Window(w.start, w.end);
  };
  EXPECT_EQ(window({1000, 1500}, 1), Window(1000, 1000));
  EXPECT_EQ(window({1000, 1500}, 2), Window(1900, 2100));  // 0.8 and 1.2 intervals after 1500
  EXPECT_EQ(window({10, 17}, 2), Window(22, 25));          // 0.8 * 7 = 5.6 and 1.2 * 7 = 8.4 truncate
}

// From three pulses on: a line (3, 4 pulses) or a quadratic (5 or more) through at most the last
// eight starts; 3 residual spreads around the fitted start, widened by the durations over m - 1.
TEST(PredictWindow, FitsLineThenQuadraticThroughTheLastEightStarts) {
  const std::vector<std::int32_t> starts{0, 1003, 1975, 2930, 3871, 4783, 5691, 6577, 7443, 8300, 9131, 9949, 10752};
  const std::vector<std::int32_t> ends{20, 1025, 1994, 2955, 3892, 4806, 5709, 6601, 7463, 8326, 9153, 9968, 10773};

  for (int n = 3; n <= static_cast<int>(starts.size()); ++n) {
    const int m = std::min(n, 8);
    std::vector<long double> x, y;
    long double durationSum = 0;
    for (int i = n - m; i < n; ++i) {
      x.push_back(i - n);
      y.push_back(starts[static_cast<std::size_t>(i)]);
      durationSum += ends[static_cast<std::size_t>(i)] - y.back();
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

// The window with the general minimizer doing the fit, as one Gauss-Newton step (method 1) from
// (last start, 0, 0) over the last m starts at x = -m .. -1.
PulseWindow MinimizerWindow(const std::vector<std::int32_t>& starts, const std::vector<std::int32_t>& ends, int n) {
  const auto polynomial = [](double at, double* gradient, const double* c, std::int32_t count) {
    double value = 0.0;
    double power = 1.0;
    for (std::int32_t k = 0; k < count; ++k) {
      gradient[k] = power;
      value += c[k] * power;
      power *= at;
    }
    return value;
  };
  const int m = std::min(n, 8);
  const int count = n >= 5 ? 3 : 2;
  std::vector<double> x, y;
  double durationSum = 0.0;
  for (int i = n - m; i < n; ++i) {
    x.push_back(i - n);
    y.push_back(starts[static_cast<std::size_t>(i)]);
    durationSum += ends[static_cast<std::size_t>(i)] - starts[static_cast<std::size_t>(i)];
  }
  std::vector<double> c{static_cast<double>(starts[static_cast<std::size_t>(n - 1)]), 0.0, 0.0};
  LsqMinimizer fit(x, y, polynomial, c, count, 0);
  fit.Minimize(0.0, 20);
  const double sigma = std::sqrt(fit.SumOfSquares() / (m - count));
  return {TruncatedOffset(c[0] - 3.0 * sigma), TruncatedOffset(c[0] + 3.0 * sigma + durationSum / (m - 1))};
}

// Trains of starts that speed up, slow down, jitter, repeat or jump: every window, at every pulse
// count, is the general minimizer's to the last sample.
TEST(PredictWindow, GivesTheGeneralMinimizersWindowsExactly) {
  std::mt19937 random(17);
  for (int train = 0; train < 200; ++train) {
    std::uniform_real_distribution<double> jitter(-1.0, 1.0);
    const double spacing = 40.0 + train * 50.0;
    const double jitterSize = train % 4 == 0 ? 0.0 : spacing * 0.05 * (train % 7);
    std::vector<std::int32_t> starts, ends;
    double at = 1000.0 + train;
    for (int k = 0; k < 30; ++k) {
      at += spacing * (1.0 - 0.01 * k * (train % 3 - 1)) + jitterSize * jitter(random);
      if (train % 11 == 5 && k == 14) at += 7 * spacing;  // a missed stretch
      starts.push_back(static_cast<std::int32_t>(at));
      ends.push_back(starts.back() + static_cast<std::int32_t>(spacing * 0.1) + k % 3);
    }
    for (int n = 3; n <= static_cast<int>(starts.size()); ++n) {
      const PulseWindow window = PredictWindow(starts, ends, n);
      const PulseWindow expected = MinimizerWindow(starts, ends, n);
      ASSERT_EQ(std::pair(window.start, window.end), std::pair(expected.start, expected.end))
          << "train " << train << ", n=" << n;
    }
  }
}

TEST(PulseCutoff, FollowsTheRecentPeaksUnlessTheNoiseIsHigher) {
  using Levels = std::vector<std::uint8_t>;
  Levels oldNoise(12, 10), oldPeaks(12, 100);  // two loud noises and weak peaks, then ten usual ones
  oldNoise[0] = oldNoise[1] = 200, oldPeaks[0] = oldPeaks[1] = 20;
  // Noise and peak levels, noise and spread factors, cutoff.
  const std::tuple<const char*, Levels, Levels, double, double, std::int32_t> cases[] = {
      {"0.8 of the peaks", {10, 10}, {100, 100}, 1.0, 1.0, 80},
      {"less the spread", {0, 0, 0}, {100, 120, 140}, 1.0, 1.0, 76},  // sd sqrt(800 / 2) = 20: 96 - 20
      {"spread factor", {0, 0, 0}, {100, 120, 140}, 1.0, 2.0, 56},
      {"noise wins", {45, 45}, {100, 100}, 2.0, 1.0, 90},
      {"peak below the noise", {50, 50}, {200, 40}, 1.0, 1.0, 0},
      {"the last ten only", oldNoise, oldPeaks, 1.0, 1.0, 80},
      {"clamped at 255", {0, 0}, {250, 200}, 1.0, -5.0, 255},  // 180 + 5 * 35.36
      {"clamped at 0", {5, 5}, {250, 200}, 0.0, 10.0, 0},      // 180 - 10 * 35.36
      {"one pulse has no spread", {10}, {100}, 1.0, 1.0, 0},
  };
  for (const auto& [name, noise, peaks, noiseFactor, spreadFactor, expected] : cases)
    EXPECT_EQ(PulseCutoff(noise, peaks, static_cast<std::int32_t>(peaks.size()), noiseFactor, spreadFactor), expected)
        << name;
}

}  // namespace
}  // namespace ruvo
