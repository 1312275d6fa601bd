#include "fitting/exp_fit_model.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <functional>
#include <optional>
#include <span>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/calculation_log.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

using test::IsClose;

// Pulse times at every whole revolution of an engine whose speed follows rpm(t), by integrating
// the speed with the midpoint rule (steps of 20 microseconds), times offset by start seconds.
struct PulseRun {
  std::vector<double> times, revolutions;
};
PulseRun MakeRun(const std::function<double(double)>& rpm, double seconds, double start = 0.0) {
  PulseRun run;
  constexpr double kStep = 2e-5;
  double revs = 0.0, next = 0.0;
  for (double t = 0.0; t < seconds; t += kStep) {
    if (revs >= next) {
      run.times.push_back(start + t);
      run.revolutions.push_back(next);
      next += 1.0;
    }
    revs += rpm(t + kStep / 2.0) / 60.0 * kStep;
  }
  return run;
}

// A car pulling through a gear: the engine speed approaches a limit as drag grows.
double ApproachingRpm(double t) {
  return 6000.0 - 4000.0 * std::exp(-0.4 * t);
}

// Runs build with a calculation log open; returns the log's lines.
std::vector<std::string> LogLines(const std::function<void(CalculationLog*)>& build) {
  test::TempFolder folder;
  CalculationLog log;
  EXPECT_TRUE(log.Open(folder.File("ruvo.log")));
  build(&log);
  log.Close();
  std::vector<std::string> lines;
  std::istringstream in(test::ReadFileBytes(folder.Path() / "ruvo.log"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(ExpFitModel, ParameterCountFollowsTheLevelWithoutOverflow) {
  const PulseRun run = MakeRun(ApproachingRpm, 1.0);
  for (const auto& [level, count] : {std::pair{INT_MIN, 6}, {1, 6}, {3, 8}, {9, 12}, {INT_MAX, 12}})
    EXPECT_EQ(ExpFitModel(run.times, run.revolutions, level, 5, 0.0).ParamCount(), count) << level;
}

TEST(ExpFitModel, ModelFunctionGradientMatchesDifferences) {
  const std::array<double, 12> params{3.0, 40.0, -20.0, -0.7, 1.5, 0.8, -0.3, 0.2, 0.05, -0.04, 0.01, 0.02};
  // All twelve: every term's gradient; at and after the junction p4 = 1.5 the correction is off.
  for (const double t : {0.3, 1.1, 1.5, 2.4}) {
    std::array<double, 12> gradient{}, scratch{};
    const double value = ExpFitFunction(t, gradient.data(), params.data(), 12);
    EXPECT_TRUE(t < params[4] || value == params[0] + params[1] * t + params[2] * std::exp(params[3] * t)) << t;
    for (std::size_t k = 0; k < 12; ++k) {
      // Central difference with step 1e-6: truncation error ~1e-12 relative, rounding ~1e-9.
      auto up = params, down = params;
      up[k] += 1e-6, down[k] -= 1e-6;
      const double slope =
          (ExpFitFunction(t, scratch.data(), up.data(), 12) - ExpFitFunction(t, scratch.data(), down.data(), 12)) /
          2e-6;
      EXPECT_TRUE(IsClose(gradient[k], slope, 1e-6, 1e-8)) << "t " << t << " parameter " << k;
    }
  }
}

TEST(ExpFitModel, FollowsASyntheticRunSmoothlyAndLogsEachStage) {
  const PulseRun run = MakeRun(ApproachingRpm, 5.0);
  // Level, decline rpm, rpm tolerance (the model can represent this run closely).
  for (const auto& [level, declineRpm, rpmTolerance] :
       {std::tuple{3, 0.0, 0.5}, {0, 0.0, 0.5}, {9, 4000.0, 5.0}, {3, 5000.0, 5.0}}) {
    SCOPED_TRACE(testing::Message() << "level " << level << " decline " << declineRpm);
    ExpFitModel model(run.times, run.revolutions, level, 5, declineRpm / 60.0);
    bool fitted = false;
    const auto lines = LogLines([&](CalculationLog* log) { fitted = model.Fit(log); });
    ASSERT_TRUE(fitted);
    for (const double t : run.times) EXPECT_NEAR(model.Derivative(t) * 60.0, ApproachingRpm(t), rpmTolerance) << t;
    // Derivatives agree with differences of the values, also across the junction (in use at level 9),
    // where the first two derivatives are continuous.
    const double junction = model.Params()[4], h = 1e-4;
    ASSERT_TRUE(level != 9 || junction > run.times.front()) << junction;
    for (double t = run.times.front() + 0.01; t < run.times.back(); t += 0.137) {
      EXPECT_TRUE(IsClose(model.Derivative(t), (model.Value(t + h) - model.Value(t - h)) / (2 * h), 1e-6, 1e-4)) << t;
      EXPECT_TRUE(
          IsClose(model.SecondDerivative(t), (model.Derivative(t + h) - model.Derivative(t - h)) / (2 * h), 1e-4, 1e-3))
          << t;
    }
    EXPECT_NEAR(model.Derivative(junction - 1e-9), model.Derivative(junction), 1e-6);
    EXPECT_NEAR(model.SecondDerivative(junction - 1e-9), model.SecondDerivative(junction), 1e-6);

    // The line format is pinned in the short-run test: here, a line per stage run.
    EXPECT_TRUE(lines.size() >= 3u && lines.size() <= 5u) << lines.size();
  }
}

TEST(ExpFitModel, NoEstimateFromTooFewSamplesConcaveOrOverflowingRuns) {
  // The estimate itself is pinned in the short-run test. No estimate: too few samples, a concave stretch, or a curve
  // that overflows at the samples (a rate of 0.6 per second 1500 s from the origin).
  const PulseRun cases[] = {
      {{0.0, 0.1, 0.2, 0.3, 0.4, 0.5}, {0.0, 1.0, 4.0, 9.0, 16.0, 25.0}},
      MakeRun([](double t) { return 6000.0 - 800.0 * t; }, 5.0),
      MakeRun([](double t) { return 2000.0 + 300.0 * std::exp(0.6 * t); }, 4.0, 1500.0),
  };
  for (const PulseRun& c : cases) {
    std::array<double, 12> untouched{7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7};
    EstimateExpFit(c.times, c.revolutions, untouched);
    EXPECT_EQ(untouched, (std::array<double, 12>{7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7})) << c.times.size() << " samples";
  }
}

// A short run of fixed samples with the values pinned from the verified implementation: the seed
// estimate (intercept included) and every stage's log line. A skipped search round or a changed seed
// moves the printed digits.
TEST(ExpFitModel, ShortRunGivesThePinnedEstimateStagesAndCurve) {
  std::vector<double> x, y;
  for (int i = 0; i < 16; ++i)
    x.push_back(0.25 * i),
        y.push_back(100.0 * x.back() - 10000.0 / 60.0 * (1.0 - std::exp(-0.4 * x.back())) + 0.02 * ((i * 5) % 7 - 3));
  std::array<double, 12> seed{};
  EstimateExpFit(x, y, seed);
  ExpectAllClose(std::vector(seed.begin(), seed.begin() + 4),
                 (std::vector{-140.08619170193944, 96.494372837062315, 144.44909775680108, -0.48093180865465468}),
                 1e-12, 0.0);
  // Decline at 60 rev/s: the junction is pulled back to the split time, so all four stages log.
  std::optional<ExpFitModel> model;
  const auto lines = LogLines([&](CalculationLog* log) { EXPECT_TRUE(model.emplace(x, y, 1, 5, 60.0).Fit(log)); });
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "#ExpFit:       0.0000000   -140.08619170     96.49437284    144.44909776     -0.48093181      "
                       "0.00000000      0.00000000      0.00000000      0.00000000",
                       "#ExpFit:       0.0000000   -173.63771127    100.87503608    172.81833011     -0.38441563      "
                       "0.00000000      0.00000000      0.00000000      0.00000000",
                       "#ExpFit:       0.0253477   -168.22339985    100.03248131    163.10686259     -0.38441563      "
                       "5.30828134      0.00639556      0.00000000      0.00000000",
                       "#ExpFit:       0.0322572   -175.27336667    101.18089713    175.02463321     -0.38441563      "
                       "1.50000000      0.04330693      0.00000000      0.00000000",
                       "#ExpFit:       0.0247749   -164.63333204     99.72990586    164.77435442     -0.40439500      "
                       "1.50000000     -0.03702058      0.00000000      0.00000000",
                   }));
  ExpectAllClose((std::vector{model->Value(0.3), model->Derivative(2.0), model->SecondDerivative(3.1)}),
                 (std::vector{11.158055438313655, 70.051377553527743, 7.6923487924423455}), 1e-9, 0.0);
  // At 80 rev/s the last stage is rejected and undone: no fourth line, and the curve is the one of
  // the last line logged.
  const auto undone = LogLines([&](CalculationLog* log) { EXPECT_TRUE(model.emplace(x, y, 1, 5, 80.0).Fit(log)); });
  ASSERT_EQ(undone.size(), 3u);
  EXPECT_EQ(undone.back(),
            "#ExpFit:       0.0386030   -122.05606657     93.81762784    134.28893207     -0.57185020      3.03990673  "
            "   -0.14345179      0.00000000      0.00000000");
  ExpectAllClose((std::vector{model->Value(0.3), model->Derivative(2.0), model->SecondDerivative(3.1)}),
                 (std::vector{11.123601779232194, 69.993711776099104, 7.4595989074749385}), 1e-9, 0.0);
}

TEST(ExpFitModel, SplitPointFromTheBlockSpeed) {
  // Ten revolutions per second up to sample 10, thirty after, one sample per second. Block speeds:
  // 15 at sample 9, 20 at 10, 25 at 11, 28.3 at 12.
  std::vector<double> x, y;
  for (int k = 0; k < 20; ++k) x.push_back(k), y.push_back(k <= 10 ? 10.0 * k : 100.0 + 30.0 * (k - 10));
  const std::tuple<std::size_t, double, std::int32_t> cases[] = {
      {20, 0.0, 9},   {20, -1.0, 9},  {9, 0.0, 4},    {4, 0.0, 1},  {20, 5.0, 3}, {20, 15.0, 10},
      {20, 20.0, 11}, {20, 25.0, 12}, {20, 40.0, 17}, {8, 40.0, 5}, {4, 40.0, 3}, {5, 5.0, 3},
  };
  for (const auto& [samples, declineSpeed, start] : cases) {
    const ExpFitSplit split = FindExpFitSplit(std::span(x).first(samples), std::span(y).first(samples), declineSpeed);
    EXPECT_EQ(split.start, start) << samples << " samples, decline " << declineSpeed;
    EXPECT_EQ(split.time, declineSpeed <= 0.0 ? x[samples - 1] : x[static_cast<std::size_t>(start)]) << declineSpeed;
  }
}

TEST(ExpFitModel, TooFewSamplesAreRejectedWithoutALogLine) {
  const PulseRun run = MakeRun(ApproachingRpm, 0.2);
  for (std::size_t n = 0; n < 7; ++n) {
    ExpFitModel model(std::span(run.times).first(n), std::span(run.revolutions).first(n), 3, 5, 50.0);
    // Not fitted yet: no curve.
    EXPECT_TRUE(std::isnan(model.Value(0.1)) && std::isnan(model.Derivative(0.1)) &&
                std::isnan(model.SecondDerivative(0.1)))
        << n;
    bool fitted = false;
    const auto lines = LogLines([&](CalculationLog* log) { fitted = model.Fit(log); });
    const bool fits = n >= static_cast<std::size_t>(ExpFitModel::kMinSamples);
    EXPECT_EQ(fitted, fits) << n;
    EXPECT_TRUE(fits ? lines.size() >= 3u : lines.empty()) << n;
    EXPECT_TRUE(fits || (std::isnan(model.Value(0.1)) && std::isnan(model.Derivative(0.1)) &&
                         std::isnan(model.SecondDerivative(0.1))));
  }
}

}  // namespace
}  // namespace ruvo
