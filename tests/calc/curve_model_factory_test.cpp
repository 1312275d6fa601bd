#include "calc/curve_model_factory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "fitting/exp_fit_model.h"
#include "fitting/linear_curve_model.h"
#include "fitting/local_smoothing_model.h"
#include "fitting/spline_curve_model.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

// Sixteen pulses a quarter second apart of an engine approaching 6000 rpm, with a little scatter.
struct PulseRun {
  std::vector<double> times, revolutions;
};
PulseRun ApproachingRun() {
  PulseRun run;
  for (int i = 0; i < 16; ++i) {
    const double t = 0.25 * i;
    run.times.push_back(t);
    run.revolutions.push_back(100.0 * t - 10000.0 / 60.0 * (1.0 - std::exp(-0.4 * t)) + 0.02 * ((i * 5) % 7 - 3));
  }
  return run;
}

// The model the factory made against the same model fitted by hand: bitwise the same numbers,
// also between the samples.
void ExpectSameCurve(const CurveModel& made, const CurveModel& reference, std::span<const double> times) {
  for (const double t : times) {
    for (const double at : {t, t + 0.1}) {
      const CurveModel::Evaluation a = made.EvaluateAll(at), b = reference.EvaluateAll(at);
      EXPECT_EQ(std::tuple(a.value, a.derivative, a.secondDerivative),
                std::tuple(b.value, b.derivative, b.secondDerivative))
          << at;
    }
  }
}

TEST(CreateCurveModel, GivesEachMethodFittedWithItsLevelAndOnlyTheExponentialFitLogs) {
  const PulseRun run = ApproachingRun();
  constexpr std::int32_t kLevel = 2;
  constexpr double kDecline = 60.0;  // rev/s
  for (const SmoothingMethod method : {SmoothingMethod::kNone, SmoothingMethod::kLocal,
                                       SmoothingMethod::kSplineSegments, SmoothingMethod::kExponentialFit}) {
    SCOPED_TRACE(static_cast<int>(method));
    test::TempFolder folder;
    CalculationLog log;
    ASSERT_TRUE(log.Open(folder.File("ruvo.log")));
    const auto model = CreateCurveModel(method, run.times, run.revolutions, kLevel, kDecline, log);
    log.Close();
    ASSERT_NE(model, nullptr);
    const std::string text = test::ReadFileBytes(folder.File("ruvo.log"));
    EXPECT_EQ(text.rfind("#ExpFit:", 0) == 0, method == SmoothingMethod::kExponentialFit) << text;

    if (method == SmoothingMethod::kNone) {
      LinearCurveModel reference(run.times, run.revolutions, kLevel, kCurveOrder);
      ASSERT_TRUE(reference.Fit());
      ExpectSameCurve(*model, reference, run.times);
    } else if (method == SmoothingMethod::kLocal) {
      LocalSmoothingModel reference(run.times, run.revolutions, kLevel, kCurveOrder);
      ASSERT_TRUE(reference.Fit());
      ExpectSameCurve(*model, reference, run.times);
    } else if (method == SmoothingMethod::kSplineSegments) {
      SplineCurveModel reference(run.times, run.revolutions, kLevel, kCurveOrder);
      ASSERT_TRUE(reference.Fit());
      ExpectSameCurve(*model, reference, run.times);
    } else {
      ExpFitModel reference(run.times, run.revolutions, kLevel, kCurveOrder, kDecline);
      ASSERT_TRUE(reference.Fit(nullptr));
      ExpectSameCurve(*model, reference, run.times);
    }
  }
}

TEST(CreateCurveModel, GivesNothingWhenTheFitFails) {
  const PulseRun run = ApproachingRun();
  // Samples, level, and which of none, local, spline segments, exponential fit succeed. Level 12
  // asks the spline for 16 coefficients, one more than 15 samples determine.
  const std::tuple<std::size_t, std::int32_t, std::vector<bool>> cases[] = {
      {0, 1, {false, false, false, false}}, {1, 1, {false, false, false, false}}, {2, 1, {false, true, false, false}},
      {3, 1, {true, true, false, false}},   {15, 12, {true, true, false, true}},  {16, 12, {true, true, true, true}},
  };
  const SmoothingMethod methods[] = {SmoothingMethod::kNone, SmoothingMethod::kLocal, SmoothingMethod::kSplineSegments,
                                     SmoothingMethod::kExponentialFit};
  CalculationLog closedLog;
  for (const auto& [samples, level, fits] : cases) {
    const auto times = std::span(run.times).first(samples), revolutions = std::span(run.revolutions).first(samples);
    for (std::size_t m = 0; m < 4; ++m)
      EXPECT_EQ(CreateCurveModel(methods[m], times, revolutions, level, 0.0, closedLog) != nullptr, fits[m])
          << samples << " samples, level " << level << ", method " << m;
  }
}

}  // namespace
}  // namespace ruvo
