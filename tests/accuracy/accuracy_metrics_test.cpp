// The harness's error figures against errors planted in curves whose truth is known in closed form.
#include "accuracy_metrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "support/test_support.h"

namespace ruvo {
namespace {

constexpr double kTight = 1e-12;  // the figures are a few exact operations on small numbers

// torque(rpm) = 100 + rpm / 100 ft-lb: linear, so interpolating between grid rows is exact; power
// from it with 5252 as the ft-lb rpm per hp.
const auto Torque = [](double rpm) { return 100.0 + rpm / 100.0; };
const auto Power = [](double rpm) { return Torque(rpm) * rpm / 5252.0; };

std::vector<TruthRow> LinearTruth() {
  std::vector<TruthRow> truth;
  for (double rpm = 1000.0; rpm <= 3000.0; rpm += 500.0) truth.push_back({rpm, Torque(rpm), Power(rpm)});
  return truth;
}

// The recovered curve at (rpm, relative error) pairs, torque and power both off by that error.
std::vector<PowerRow> Recovered(const std::vector<std::pair<double, double>>& errors) {
  std::vector<PowerRow> rows;
  for (const auto& [rpm, e] : errors) rows.push_back({rpm, Torque(rpm) * (1.0 + e), Power(rpm) * (1.0 + e)});
  return rows;
}

TEST(CompareWithTruth, PlantedErrorsComeBackAsPercentagesAndPeaks) {
  // Off the truth's grid on purpose: 1250 and 2750 need interpolation, where power (quadratic
  // here) must not be interpolated as a straight line. Errors -6, 2, 5, -3 %: rms sqrt(74 / 4),
  // largest magnitude -6 at 1250. Torque peaks at 2500 (+5 %), power at 2750; both truths at 3000.
  const auto f = CompareWithTruth(Recovered({{1250, -0.06}, {2000, 0.02}, {2500, 0.05}, {2750, -0.03}}), LinearTruth());
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(std::tuple(f->comparedRows, f->firstRpm, f->lastRpm), std::tuple(4, 1250.0, 2750.0));
  for (const QuantityError* e : {&f->torque, &f->horsepower})
    ExpectAllClose((std::vector{e->rmsPercent, e->maxPercent, e->maxAtRpm}),
                   (std::vector{std::sqrt(74.0 / 4.0), -6.0, 1250.0}), kTight, 0.0);
  ExpectAllClose((std::vector{f->torque.peakPercent, f->horsepower.peakPercent}),
                 (std::vector{100.0 * (1.05 * Torque(2500) / Torque(3000) - 1.0),
                              100.0 * (0.97 * Power(2750) / Power(3000) - 1.0)}),
                 kTight, 0.0);
  EXPECT_EQ(std::pair(f->torque.peakRpmError, f->horsepower.peakRpmError), std::pair(-500.0, -250.0));
  EXPECT_FALSE(CompareWithTruth(Recovered({{500, 0.0}, {3500, 0.0}}), LinearTruth()).has_value());  // all outside
}

}  // namespace
}  // namespace ruvo
