#include "fitting/exp_fit_model.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
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

std::string ExpectedLogLine(double sum, const std::array<double, 12>& p) {
  char line[256];
  std::snprintf(line, sizeof line, "#ExpFit: %15.7f %15.8f %15.8f %15.8f %15.8f %15.8f %15.8f %15.8f %15.8f", sum, p[0],
                p[1], p[2], p[3], p[4], p[5], p[6], p[7]);
  return line;
}

TEST(ExpFitModel, ParameterCountFollowsTheLevelWithoutOverflow) {
  const PulseRun run = MakeRun(ApproachingRpm, 1.0);
  for (const auto& [level, count] : {std::pair{INT_MIN, 6}, {1, 6}, {3, 8}, {9, 12}, {INT_MAX, 12}})
    EXPECT_EQ(ExpFitModel(run.times, run.revolutions, level, 5, 0.0, nullptr).ParamCount(), count) << level;
}

TEST(ExpFitModel, ModelFunctionGradientMatchesDifferences) {
  const std::array<double, 12> params{3.0, 40.0, -20.0, -0.7, 1.5, 0.8, -0.3, 0.2, 0.05, -0.04, 0.01, 0.02};
  for (const std::int32_t count : {5, 9, 12}) {
    for (const double t : {0.3, 1.1, 1.5, 2.4}) {
      std::array<double, 12> gradient{}, scratch{};
      const double value = ExpFitFunction(t, gradient.data(), params.data(), count);
      EXPECT_TRUE(t < params[4] || value == params[0] + params[1] * t + params[2] * std::exp(params[3] * t)) << t;
      for (std::size_t k = 0; k < static_cast<std::size_t>(count); ++k) {
        // Central difference with step 1e-6: truncation error ~1e-12 relative, rounding ~1e-9.
        auto up = params, down = params;
        up[k] += 1e-6;
        down[k] -= 1e-6;
        const double slope = (ExpFitFunction(t, scratch.data(), up.data(), count) -
                              ExpFitFunction(t, scratch.data(), down.data(), count)) /
                             2e-6;
        EXPECT_TRUE(IsClose(gradient[k], slope, 1e-6, 1e-8)) << "count " << count << " t " << t << " parameter " << k;
      }
    }
  }
}

TEST(ExpFitModel, FollowsASyntheticRunAndLogsEachStage) {
  const PulseRun run = MakeRun(ApproachingRpm, 5.0);
  struct Case {
    std::int32_t level;
    double declineRpm;
    double rpmTolerance;  // the model can represent this run closely
  };
  const Case cases[] = {{3, 0.0, 0.5}, {0, 0.0, 0.5}, {9, 4000.0, 5.0}, {3, 5000.0, 5.0}};
  for (const Case& c : cases) {
    std::optional<ExpFitModel> model;
    const auto lines = LogLines(
        [&](CalculationLog* log) { model.emplace(run.times, run.revolutions, c.level, 5, c.declineRpm / 60.0, log); });
    ASSERT_EQ(model->Fit(), 1) << c.level;
    for (const double t : run.times)
      EXPECT_NEAR(model->Derivative(t) * 60.0, ApproachingRpm(t), c.rpmTolerance) << "level " << c.level << " t " << t;

    ASSERT_TRUE(lines.size() >= 3u && lines.size() <= 5u) << lines.size();
    for (std::size_t i = 0; i < 2; ++i) EXPECT_EQ(lines[i].substr(0, 25), "#ExpFit:       0.0000000 ") << i;
    // The last line holds the final parameters (a rejected last stage restores the logged ones) and
    // the sum of squares over all samples.
    double sum = 0.0;
    for (std::size_t i = 0; i < run.times.size(); ++i)
      sum += std::pow(run.revolutions[i] - model->Value(run.times[i]), 2);
    EXPECT_NEAR(std::stod(lines.back().substr(9, 15)), sum, 1e-7) << c.level;  // printed with 7 decimals
    EXPECT_EQ(lines.back().substr(25), ExpectedLogLine(sum, model->Params()).substr(25)) << c.level;
  }
}

TEST(ExpFitModel, EvaluationIsSmoothAcrossTheJunction) {
  const PulseRun run = MakeRun(ApproachingRpm, 5.0);
  ExpFitModel model(run.times, run.revolutions, 9, 5, 4000.0 / 60.0, nullptr);
  ASSERT_EQ(model.Fit(), 1);
  const double junction = model.Params()[4];
  ASSERT_GT(junction, run.times.front());  // the polynomial part is in use
  // Derivatives agree with differences of the values on both sides of it; across it the first two
  // derivatives are continuous.
  for (double t = run.times.front() + 0.01; t < run.times.back(); t += 0.137) {
    const double h = 1e-4;
    EXPECT_TRUE(IsClose(model.Derivative(t), (model.Value(t + h) - model.Value(t - h)) / (2 * h), 1e-6, 1e-4)) << t;
    EXPECT_TRUE(
        IsClose(model.SecondDerivative(t), (model.Derivative(t + h) - model.Derivative(t - h)) / (2 * h), 1e-4, 1e-3))
        << t;
  }
  EXPECT_NEAR(model.Derivative(junction - 1e-9), model.Derivative(junction), 1e-6);
  EXPECT_NEAR(model.SecondDerivative(junction - 1e-9), model.SecondDerivative(junction), 1e-6);
}

TEST(ExpFitModel, EstimateFromSecondDifferences) {
  // Exact line plus exponential, 301 samples over 5 s: the four estimation samples are 0.83 s apart,
  // so the second differences carry about 1.5 % of truncation error in the rate.
  std::vector<double> x, y;
  for (int i = 0; i <= 300; ++i) {
    x.push_back(i / 60.0);
    y.push_back(-150.0 + 100.0 * x.back() + 150.0 * std::exp(-0.5 * x.back()));
  }
  std::array<double, 12> params{};
  EstimateExpFit(x, y, params);
  EXPECT_TRUE(IsClose(params[3], -0.5, 0.03) && IsClose(params[1], 100.0, 0.01) && IsClose(params[2], 150.0, 0.1));

  // No estimate: too few samples, a concave stretch, or a curve that overflows at the samples
  // (a rate of 0.6 per second 1500 s from the origin).
  const PulseRun cases[] = {
      {std::vector<double>(x.begin(), x.begin() + 6), std::vector<double>(y.begin(), y.begin() + 6)},
      MakeRun([](double t) { return 6000.0 - 800.0 * t; }, 5.0),
      MakeRun([](double t) { return 2000.0 + 300.0 * std::exp(0.6 * t); }, 4.0, 1500.0),
  };
  for (const PulseRun& c : cases) {
    std::array<double, 12> untouched{};
    untouched.fill(7.0);
    EstimateExpFit(c.times, c.revolutions, untouched);
    for (const double p : untouched) EXPECT_EQ(p, 7.0) << c.times.size() << " samples";
  }
}

TEST(ExpFitModel, SplitPointFromTheBlockSpeed) {
  // Ten revolutions per second up to sample 10, thirty after, one sample per second. Block speeds:
  // 15 at sample 9, 20 at 10, 25 at 11, 28.3 at 12.
  std::vector<double> x, y;
  for (int k = 0; k < 20; ++k) {
    x.push_back(k);
    y.push_back(k <= 10 ? 10.0 * k : 100.0 + 30.0 * (k - 10));
  }
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
    std::optional<ExpFitModel> model;
    const auto lines = LogLines([&](CalculationLog* log) {
      model.emplace(std::span(run.times).first(n), std::span(run.revolutions).first(n), 3, 5, 50.0, log);
    });
    const bool fits = n >= static_cast<std::size_t>(ExpFitModel::kMinSamples);
    EXPECT_EQ(model->Fit(), fits ? 1 : 0) << n;
    EXPECT_TRUE(fits ? lines.size() >= 3u : lines.empty()) << n;
    EXPECT_TRUE(fits || (std::isnan(model->Value(0.1)) && std::isnan(model->Derivative(0.1)) &&
                         std::isnan(model->SecondDerivative(0.1))));
  }
}

TEST(ExpFitModel, OverflowingCurvesNeverPassForAFit) {
  // Runs whose exponential overflows at the sample times, far from the time origin and before it.
  // Whenever Fit reports success every evaluation at the samples is finite; the run far from the
  // origin, whose estimate overflows, still fits from the all-zero start.
  for (const double start : {1500.0, -1500.0}) {
    const PulseRun run = MakeRun([](double t) { return 2000.0 + 300.0 * std::exp(0.6 * t); }, 4.0, start);
    for (const std::int32_t level : {0, 4, 9}) {
      for (const double declineRpm : {0.0, 4000.0}) {
        ExpFitModel model(run.times, run.revolutions, level, 5, declineRpm / 60.0, nullptr);
        EXPECT_TRUE(start < 0.0 || model.Fit() == 1) << "level " << level;
        if (model.Fit() == 0) continue;
        for (const double t : run.times)
          ASSERT_TRUE(std::isfinite(model.Value(t)) && std::isfinite(model.Derivative(t)) &&
                      std::isfinite(model.SecondDerivative(t)))
              << "start " << start << " level " << level << " t " << t;
      }
    }
  }
}

}  // namespace
}  // namespace ruvo
