#include "fitting/linear_curve_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "support/test_support.h"

namespace ruvo {
namespace {

using test::IsClose;

const std::vector<double> kX{0.0, 1.0, 2.0, 3.0};
const std::vector<double> kY{0.0, 1.0, 3.0, 6.0};

TEST(LinearCurveModel, WorkedExample) {
  LinearCurveModel model(kX, kY, 0, 5);
  EXPECT_EQ(model.Fit(), 1);
  struct Case {
    const char* what;
    double at, expected;
  };
  // Slopes 1, 2, 3; nodes of the derivative at the midpoints (0.5, 1), (1.5, 2), (2.5, 3).
  const Case values[] = {{"inside", 2.5, 4.5}, {"below", -1.0, -1.0}, {"above", 4.0, 9.0}, {"sample", 2.0, 3.0}};
  for (const Case& c : values) EXPECT_DOUBLE_EQ(model.Value(c.at), c.expected) << c.what;
  const Case slopes[] = {{"first interval", 0.2, 1.0}, {"first interval end", 0.9, 1.0}, {"between nodes", 1.25, 1.75},
                         {"on a node", 1.5, 2.0},      {"last sample", 3.0, 3.0},        {"last interval", 2.2, 3.0}};
  for (const Case& c : slopes) EXPECT_DOUBLE_EQ(model.Derivative(c.at), c.expected) << c.what;
  for (double at = -1.0; at <= 4.0; at += 0.125) EXPECT_DOUBLE_EQ(model.SecondDerivative(at), 1.0) << at;
}

TEST(LinearCurveModel, SamplePointsBelongToTheIntervalTheSearchMeetsFirst) {
  LinearCurveModel model(kX, kY, 0, 5);
  model.Value(0.0);
  EXPECT_DOUBLE_EQ(model.Derivative(1.0), 1.0);  // walking up: first interval
  model.Value(2.5);
  EXPECT_DOUBLE_EQ(model.Derivative(1.0), 1.5);  // walking down: second interval, between nodes
}

TEST(LinearCurveModel, ParabolaGivesExactDerivativesOnUnevenSamples) {
  // For y = a x^2 every chord slope is the tangent slope at the chord's midpoint, so the broken
  // line through the midpoint nodes is the exact derivative 2 a x strictly between x[1] and x[n-2]
  // (at x[1] the search, walking up, still answers from the flat first interval), and the
  // slope change per midpoint distance is 2 a everywhere.
  const double a = 0.75;
  const std::vector<double> x{0.0, 0.3, 0.5, 1.1, 1.2, 2.0, 2.7, 3.0};
  std::vector<double> y;
  for (double t : x) y.push_back(a * t * t);
  LinearCurveModel model(x, y, 0, 5);
  for (double t = x[1] + 0.005; t < x[x.size() - 2]; t += 0.01)
    EXPECT_TRUE(IsClose(model.Derivative(t), 2.0 * a * t, 1e-12, 1e-12)) << t;
  for (double t = -1.0; t <= 4.0; t += 0.01) EXPECT_TRUE(IsClose(model.SecondDerivative(t), 2.0 * a, 1e-12)) << t;
  // Samples come back in either direction of travel.
  for (std::size_t i = 0; i < x.size(); ++i) EXPECT_TRUE(IsClose(model.Value(x[i]), y[i], 1e-13, 1e-13)) << i;
  for (std::size_t i = x.size(); i-- > 0;) EXPECT_TRUE(IsClose(model.Value(x[i]), y[i], 1e-13, 1e-13)) << i;
}

TEST(LinearCurveModel, TooFewSamplesAreRejectedWithoutReadingPastThem) {
  struct Case {
    std::vector<double> x, y;
    std::int32_t fit;
    bool hasSlopes;
  };
  const Case cases[] = {
      {{}, {}, 0, false},
      {{1.0}, {2.0}, 0, false},
      {{1.0, 2.0}, {2.0}, 0, false},  // one ordinate: a single usable sample
      {{1.0, 3.0}, {2.0, 6.0}, 0, true},
      {{1.0, 3.0, 4.0}, {2.0, 6.0, 8.0}, 1, true},
  };
  for (const Case& c : cases) {
    LinearCurveModel model(c.x, c.y, 0, 0);
    EXPECT_EQ(model.Fit(), c.fit) << c.x.size();
    if (c.hasSlopes) {
      EXPECT_DOUBLE_EQ(model.Value(2.0), 4.0);
      EXPECT_DOUBLE_EQ(model.Derivative(2.0), 2.0);
    } else {
      EXPECT_TRUE(std::isnan(model.Value(1.0)));
      EXPECT_TRUE(std::isnan(model.Derivative(1.0)));
    }
    EXPECT_EQ(std::isnan(model.SecondDerivative(2.0)), c.fit == 0) << c.x.size();
  }
}

TEST(LinearCurveModel, FallingAbscissaeKeepTheSearchInRange) {
  // RPM values of a recording may dip; the search answers with the first bracketing interval met
  // from the cached index and never leaves the arrays.
  const std::vector<double> rpm{1000.0, 1200.0, 1100.0, 1300.0};
  const std::vector<double> accel{1.0, 2.0, 3.0, 4.0};
  LinearCurveModel model(rpm, accel, 0, 0);
  EXPECT_DOUBLE_EQ(model.Value(1150.0), 1.75);  // from interval 0
  model.Value(1300.0);
  EXPECT_DOUBLE_EQ(model.Value(1150.0), 3.25);  // from interval 2
  for (double at : {900.0, 1400.0, 1050.0, 1250.0, 1120.0, std::nan("")}) {
    model.Value(at);
    model.Derivative(at);
    model.SecondDerivative(at);
  }
  EXPECT_DOUBLE_EQ(model.Value(1400.0), 4.5);
}

}  // namespace
}  // namespace ruvo
