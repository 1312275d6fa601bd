#include "fitting/local_smoothing_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fitting/linear_curve_model.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

using test::IsClose;

// Deterministic scatter in [-0.5, 0.5).
double Scatter(int i) {
  return std::fmod(std::sin(i * 78.233) * 43758.5453, 1.0) * 0.5;
}

// Uneven increasing times and noisy revolutions of an accelerating engine.
void NoisyRun(std::vector<double>& x, std::vector<double>& y, int n) {
  double t = 0.0;
  for (int i = 0; i < n; ++i) {
    t += 0.02 + 0.005 * Scatter(i);
    x.push_back(t);
    y.push_back(20.0 * t + 15.0 * t * t + 0.05 * Scatter(i + 500));
  }
}

TEST(LocalSmoothingModel, WorkedExample) {
  const std::vector<double> x{0.0, 1.0, 2.0, 3.0, 4.0};
  const std::vector<double> y{0.0, 1.0, 4.0, 9.0, 16.0};
  const double values[] = {0.0, 5.0 / 3.0, 14.0 / 3.0, 29.0 / 3.0, 16.0};
  const double slopes[] = {1.0, 7.0 / 3.0, 37.0 / 9.0, 154.0 / 27.0, 7.0};
  const double curvatures[] = {4.0 / 3.0, 14.0 / 9.0, 91.0 / 54.0, 13.0 / 9.0, 35.0 / 27.0};
  LocalSmoothingModel model(x, y, 1, 5);
  EXPECT_EQ(model.Fit(), 1);
  for (std::size_t i = 0; i < x.size(); ++i) {
    // Fractions of small integers: a few rounding steps only.
    EXPECT_TRUE(IsClose(model.Value(x[i]), values[i], 1e-14, 1e-14)) << i;
    EXPECT_TRUE(IsClose(model.Derivative(x[i]), slopes[i], 1e-14)) << i;
    EXPECT_TRUE(IsClose(model.SecondDerivative(x[i]), curvatures[i], 1e-14)) << i;
  }
  // Halfway between samples the results are the means of their neighbours.
  EXPECT_TRUE(IsClose(model.Value(2.5), (values[2] + values[3]) / 2.0, 1e-14));
  EXPECT_TRUE(IsClose(model.Derivative(-1.0), 2.0 * slopes[0] - slopes[1], 1e-14));  // first interval extended
}

TEST(LocalSmoothingModel, InteriorValuesAreLeastSquaresLinesOfTheirWindows) {
  // Reference line by the centred formulas b = sum (x - mx)(y - my) / sum (x - mx)^2, a = my - b mx.
  std::vector<double> x, y;
  NoisyRun(x, y, 40);
  for (const int level : {1, 3, 7}) {
    LocalSmoothingModel model(x, y, level, 1);
    for (int i = level; i < 40 - level; ++i) {
      double mx = 0.0, my = 0.0;
      for (int j = i - level; j <= i + level; ++j) mx += x[j], my += y[j];
      mx /= 2 * level + 1;
      my /= 2 * level + 1;
      double sxy = 0.0, sxx = 0.0;
      for (int j = i - level; j <= i + level; ++j) sxy += (x[j] - mx) * (y[j] - my), sxx += (x[j] - mx) * (x[j] - mx);
      const double b = sxy / sxx;
      EXPECT_TRUE(IsClose(model.Value(x[i]), my + b * (x[i] - mx), 1e-9)) << "level " << level << " sample " << i;
    }
  }
}

TEST(LocalSmoothingModel, EndsAndWindowsNearThem) {
  std::vector<double> x, y;
  NoisyRun(x, y, 15);
  for (const int level : {0, 1, 2, 5, 7, 8, 1000, -3}) {
    LocalSmoothingModel model(x, y, level, 1);
    EXPECT_DOUBLE_EQ(model.Value(x.front()), y.front()) << "level " << level;
    EXPECT_DOUBLE_EQ(model.Value(x.back()), y.back()) << "level " << level;
  }
  // Any level of 7 or more (half of 15 samples, rounded down) is the same model as level 7; any
  // negative level the same as level 0.
  const std::pair<int, int> sameAs[] = {{8, 7}, {1000, 7}, {-3, 0}, {-2147483647 - 1, 0}};
  for (const auto& [level, equivalent] : sameAs) {
    LocalSmoothingModel model(x, y, level, 1);
    LocalSmoothingModel reference(x, y, equivalent, 1);
    for (double at : x) {
      EXPECT_EQ(model.Value(at), reference.Value(at)) << level;
      EXPECT_EQ(model.Derivative(at), reference.Derivative(at)) << level;
      EXPECT_EQ(model.SecondDerivative(at), reference.SecondDerivative(at)) << level;
    }
  }
}

TEST(LocalSmoothingModel, LevelZeroInterpolatesLikeTheUnsmoothedModel) {
  std::vector<double> x, y;
  NoisyRun(x, y, 12);
  LocalSmoothingModel smooth(x, y, 0, 1);
  LinearCurveModel linear(x, y, 0, 0);
  for (double at = x.front() - 0.05; at < x.back() + 0.05; at += 0.003)
    EXPECT_TRUE(IsClose(smooth.Value(at), linear.Value(at), 1e-12, 1e-12)) << at;
  // A single-sample window's line passes through its own sample, so the second pass keeps every
  // first-pass slope: the backward difference from sample 1 on.
  for (std::size_t i = 1; i < x.size(); ++i)
    EXPECT_TRUE(IsClose(smooth.Derivative(x[i]), (y[i] - y[i - 1]) / (x[i] - x[i - 1]), 1e-10)) << i;
}

TEST(LocalSmoothingModel, CrowdedAbscissaeFallBackToTheCentralDifference) {
  // Times a microsecond apart, a million seconds from the origin: N Sxx - Sx^2 is lost to rounding,
  // and the windowed fit would return noise. The central difference still sees the slope.
  std::vector<double> x, y;
  for (int i = 0; i < 9; ++i) {
    x.push_back(1.0e6 + 1.0e-6 * i);
    y.push_back(3.0 * (x.back() - 1.0e6));
  }
  LocalSmoothingModel model(x, y, 2, 1);
  for (std::size_t i = 0; i < x.size(); ++i) {
    EXPECT_TRUE(IsClose(model.Derivative(x[i]), 3.0, 1e-3)) << i;  // abscissae carry ~1e-10 s of rounding
    EXPECT_NEAR(model.Value(x[i]), y[i], 1e-9) << i;
  }
}

TEST(LocalSmoothingModel, TooFewSamplesAreRejected) {
  const std::vector<double> none, one{1.0}, two{1.0, 2.0}, twoY{3.0, 5.0};
  LocalSmoothingModel empty(none, none, 3, 1);
  LocalSmoothingModel single(one, one, 3, 1);
  for (LocalSmoothingModel* model : {&empty, &single}) {
    EXPECT_EQ(model->Fit(), 0);
    EXPECT_TRUE(std::isnan(model->Value(1.0)));
    EXPECT_TRUE(std::isnan(model->Derivative(1.0)));
    EXPECT_TRUE(std::isnan(model->SecondDerivative(1.0)));
  }
  LocalSmoothingModel pair(two, twoY, 3, 1);
  EXPECT_EQ(pair.Fit(), 1);
  EXPECT_DOUBLE_EQ(pair.Value(1.5), 4.0);
  EXPECT_DOUBLE_EQ(pair.Derivative(1.5), 2.0);
  EXPECT_DOUBLE_EQ(pair.SecondDerivative(1.5), 0.0);
}

}  // namespace
}  // namespace ruvo
