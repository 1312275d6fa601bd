// The harness's error figures against errors planted in curves whose truth is known in closed form.
#include "accuracy_metrics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/test_support.h"

namespace ruvo {
namespace {

constexpr double kTight = 1e-12;  // the figures are a few exact operations on small numbers

// torque(rpm) = 100 + rpm / 100 ft-lb: linear, so interpolating between grid rows is exact; power
// from it with 5252 as the ft-lb rpm per hp.
double Torque(double rpm) {
  return 100.0 + rpm / 100.0;
}
double Power(double rpm) {
  return Torque(rpm) * rpm / 5252.0;
}

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
  EXPECT_EQ(f->comparedRows, 4);
  EXPECT_EQ(f->firstRpm, 1250.0);
  EXPECT_EQ(f->lastRpm, 2750.0);
  for (const QuantityError* e : {&f->torque, &f->horsepower}) {
    EXPECT_TRUE(test::IsClose(e->rmsPercent, std::sqrt(74.0 / 4.0), kTight));
    EXPECT_TRUE(test::IsClose(e->maxPercent, -6.0, kTight));
    EXPECT_EQ(e->maxAtRpm, 1250.0);
  }
  EXPECT_TRUE(test::IsClose(f->torque.peakPercent, 100.0 * (1.05 * Torque(2500) / Torque(3000) - 1.0), kTight));
  EXPECT_EQ(f->torque.peakRpmError, -500.0);
  EXPECT_TRUE(test::IsClose(f->horsepower.peakPercent, 100.0 * (0.97 * Power(2750) / Power(3000) - 1.0), kTight));
  EXPECT_EQ(f->horsepower.peakRpmError, -250.0);
}

TEST(CompareWithTruth, RowsWithoutATrueValueToCompareAreLeftOut) {
  std::vector<TruthRow> truth = LinearTruth();
  truth[0].torqueFtLb = 0.0;  // no percentage exists at 1000 rpm
  truth[0].horsepower = 0.0;
  // 500 and 3500 rpm lie outside the truth, 1000 has a zero truth; a NaN rpm compares with nothing.
  const auto f =
      CompareWithTruth(Recovered({{500, 0.01}, {1000, 0.01}, {2000, 0.01}, {3500, 0.01}, {NAN, 0.0}}), truth);
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(f->comparedRows, 1);
  EXPECT_EQ(f->firstRpm, 2000.0);
  EXPECT_TRUE(test::IsClose(f->horsepower.rmsPercent, 1.0, kTight));

  EXPECT_FALSE(CompareWithTruth(Recovered({{500, 0.0}, {3500, 0.0}}), truth).has_value());
  EXPECT_FALSE(CompareWithTruth(Recovered({{2000, 0.0}}), {}).has_value());
}

}  // namespace
}  // namespace ruvo
