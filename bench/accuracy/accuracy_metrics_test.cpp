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

std::vector<TruthRow> LinearTruth(double first, double last, double step) {
  std::vector<TruthRow> truth;
  for (double rpm = first; rpm <= last; rpm += step) truth.push_back({rpm, Torque(rpm), Power(rpm)});
  return truth;
}

// The recovered curve at the given rpms, torque and power each scaled by (1 + scale(rpm)).
template <typename Scale>
std::vector<PowerRow> Recovered(const std::vector<double>& rpms, Scale scale) {
  std::vector<PowerRow> rows;
  for (double rpm : rpms) rows.push_back({rpm, Torque(rpm) * (1.0 + scale(rpm)), Power(rpm) * (1.0 + scale(rpm))});
  return rows;
}

TEST(CompareWithTruth, PlantedErrorsComeBackAsPercentages) {
  const std::vector<TruthRow> truth = LinearTruth(1000.0, 3000.0, 500.0);
  // Off the truth's grid on purpose: 1250 and 2750 need interpolation, where power (torque times
  // rpm, quadratic here) must not be interpolated as a straight line.
  const std::vector<double> rpms = {1250.0, 2000.0, 2750.0};
  constexpr double kAnyRpm = -1.0;
  struct Case {
    const char* name;
    double (*scale)(double);
    double rms, max, maxAt;
  };
  const Case cases[] = {
      // Equal errors (up to rounding) leave no single row with the largest: maxAt is not checked.
      {"exact", [](double) { return 0.0; }, 0.0, 0.0, kAnyRpm},
      {"two percent high everywhere", [](double) { return 0.02; }, 2.0, 2.0, kAnyRpm},
      // 3, -4, 0 percent: rms sqrt((9 + 16) / 3), largest magnitude -4 at 2000.
      {"mixed signs", [](double rpm) { return rpm < 1500   ? 0.03
                                              : rpm < 2500 ? -0.04
                                                           : 0.0; }, std::sqrt(25.0 / 3.0),
       -4.0, 2000.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto figures = CompareWithTruth(Recovered(rpms, c.scale), truth);
    ASSERT_TRUE(figures.has_value());
    EXPECT_EQ(figures->comparedRows, 3);
    EXPECT_EQ(figures->firstRpm, 1250.0);
    EXPECT_EQ(figures->lastRpm, 2750.0);
    for (const QuantityError* e : {&figures->torque, &figures->horsepower}) {
      EXPECT_TRUE(test::IsClose(e->rmsPercent, c.rms, kTight, kTight));
      EXPECT_TRUE(test::IsClose(e->maxPercent, c.max, kTight, kTight));
      if (c.maxAt != kAnyRpm) {
        EXPECT_EQ(e->maxAtRpm, c.maxAt);
      }
    }
  }
}

TEST(CompareWithTruth, PeaksAreJudgedAgainstTheWholeTruth) {
  // The truth peaks at its last row (3000 rpm, both quantities rise); the recovered curve stops at
  // 2500 rpm and is exact there, so its peak falls short by the truth's own rise.
  const std::vector<TruthRow> truth = LinearTruth(1000.0, 3000.0, 500.0);
  const auto figures = CompareWithTruth(Recovered({1500.0, 2000.0, 2500.0}, [](double) { return 0.0; }), truth);
  ASSERT_TRUE(figures.has_value());
  EXPECT_TRUE(test::IsClose(figures->torque.peakPercent, 100.0 * (Torque(2500.0) / Torque(3000.0) - 1.0), kTight));
  EXPECT_TRUE(test::IsClose(figures->horsepower.peakPercent, 100.0 * (Power(2500.0) / Power(3000.0) - 1.0), kTight));
  EXPECT_EQ(figures->torque.peakRpmError, -500.0);
  EXPECT_EQ(figures->horsepower.peakRpmError, -500.0);

  // A spike inside the curve becomes the recovered peak, wherever the true peak lies.
  const auto spiked = CompareWithTruth(
      Recovered({1500.0, 2000.0, 3000.0}, [](double rpm) { return rpm == 2000.0 ? 0.5 : 0.0; }), truth);
  ASSERT_TRUE(spiked.has_value());
  EXPECT_EQ(spiked->torque.peakRpmError, -1000.0);  // 1.5 x 120 = 180 ft-lb beats 130 at 3000 rpm
  EXPECT_TRUE(test::IsClose(spiked->torque.peakPercent, 100.0 * (1.5 * Torque(2000.0) / Torque(3000.0) - 1.0), kTight));
}

TEST(CompareWithTruth, RowsWithoutATrueValueToCompareAreLeftOut) {
  std::vector<TruthRow> truth = LinearTruth(1000.0, 3000.0, 500.0);
  truth[0].torqueFtLb = 0.0;  // no percentage exists at 1000 rpm
  truth[0].horsepower = 0.0;
  // 500 and 3500 rpm lie outside the truth, 1000 has a zero truth; a NaN rpm compares with nothing.
  const std::vector<double> rpms = {500.0, 1000.0, 2000.0, 3500.0, NAN};
  const auto figures = CompareWithTruth(Recovered(rpms, [](double) { return 0.01; }), truth);
  ASSERT_TRUE(figures.has_value());
  EXPECT_EQ(figures->comparedRows, 1);
  EXPECT_EQ(figures->firstRpm, 2000.0);
  EXPECT_TRUE(test::IsClose(figures->horsepower.rmsPercent, 1.0, kTight));

  EXPECT_FALSE(CompareWithTruth(Recovered({500.0, 3500.0}, [](double) { return 0.0; }), truth).has_value());
  EXPECT_FALSE(CompareWithTruth({}, truth).has_value());
  EXPECT_FALSE(CompareWithTruth(Recovered({2000.0}, [](double) { return 0.0; }), {}).has_value());
}

}  // namespace
}  // namespace ruvo
