#include "synth/torque_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace ruvo {
namespace {

using test::IsClose;

TorqueCurve Curve(std::vector<TorquePoint> points) {
  TorqueCurve curve = TorqueCurve::Constant(-1.0);
  std::string error;
  EXPECT_TRUE(TorqueCurve::FromPoints(std::move(points), curve, error)) << error;
  return curve;
}

TEST(TorqueCurve, PassesThroughItsPointsAndHoldsTheEndValues) {
  const std::vector<TorquePoint> points = {{1000, 80}, {2200, 110}, {3000, 131}, {4100, 128}, {5000, 135}, {7000, 90}};
  const TorqueCurve curve = Curve(points);
  for (const TorquePoint& p : points) EXPECT_DOUBLE_EQ(curve.TorqueAt(p.rpm), p.torqueFtLb) << p.rpm;
  EXPECT_EQ(curve.TorqueAt(500.0), 80.0);
  EXPECT_EQ(curve.TorqueAt(9000.0), 90.0);

  const TorqueCurve builtIn;
  EXPECT_DOUBLE_EQ(builtIn.TorqueAt(4000.0), 130.0);
  for (double rpm = 500.0; rpm <= 8000.0; rpm += 10.0) EXPECT_LE(builtIn.TorqueAt(rpm), 130.0) << rpm;
}

TEST(TorqueCurve, ReproducesAStraightLineAndNeverOvershootsMonotoneData) {
  const TorqueCurve line = Curve({{1000, 50}, {1500, 60}, {4000, 110}, {4200, 114}});
  for (double rpm = 1000.0; rpm <= 4200.0; rpm += 37.0)
    EXPECT_TRUE(IsClose(line.TorqueAt(rpm), 50.0 + (rpm - 1000.0) * 0.02, 1e-13)) << rpm;

  // A steep step between flat stretches: a plain cubic spline would ring around it.
  const TorqueCurve step = Curve({{1000, 100}, {2000, 100}, {2100, 150}, {3000, 150}, {4000, 160}});
  double previous = step.TorqueAt(1000.0);
  for (double rpm = 1000.0; rpm <= 4000.0; rpm += 5.0) {
    const double torque = step.TorqueAt(rpm);
    EXPECT_GE(torque, previous - 1e-12) << rpm;
    if (rpm <= 2000.0) {
      EXPECT_DOUBLE_EQ(torque, 100.0) << rpm;
    } else if (rpm >= 2100.0 && rpm <= 3000.0) {
      EXPECT_DOUBLE_EQ(torque, 150.0) << rpm;
    }
    previous = torque;
  }

  // The slope is continuous across an interior point.
  const TorqueCurve smooth = Curve({{1000, 80}, {3000, 130}, {5000, 120}, {7000, 70}});
  const double left = (smooth.TorqueAt(5000.0) - smooth.TorqueAt(4999.999)) / 0.001;
  const double right = (smooth.TorqueAt(5000.001) - smooth.TorqueAt(5000.0)) / 0.001;
  EXPECT_NEAR(left, right, 1e-5);
}

TEST(TorqueCurve, RejectsUnusablePointsAndKeepsTheCurve) {
  struct Case {
    std::vector<TorquePoint> points;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{}, "at least two points"},
      {{{1000, 100}}, "at least two points"},
      {{{1000, 100}, {1000, 110}}, "torque point 2: rpm 1000 does not increase"},
      {{{1000, 100}, {3000, 110}, {2000, 90}}, "torque point 3: rpm 2000 does not increase"},
      {{{1000, 100}, {2000, std::nan("")}}, "torque point 2 is not a finite number"},
  };
  for (const Case& c : cases) {
    TorqueCurve curve = TorqueCurve::Constant(42.0);
    std::string error;
    EXPECT_FALSE(TorqueCurve::FromPoints(c.points, curve, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_EQ(curve.TorqueAt(3000.0), 42.0);
  }
}

TEST(TorqueCurve, ReadsCsvFilesAndNamesTheFaultyLine) {
  test::TempFolder folder;
  struct Case {
    const char* text;
    std::vector<TorquePoint> expected;  // empty: the file must be rejected
    const char* message;
  };
  const std::vector<Case> cases = {
      {"rpm,torque_ftlb\r\n1000,90\r\n# peak\r\n\r\n4000, 140.5\r\n6500,100\r\n",
       {{1000, 90}, {4000, 140.5}, {6500, 100}},
       ""},
      {"1500,+80\n3000,1.2e2", {{1500, 80}, {3000, 120}}, ""},
      {"rpm,torque\n1000,90\n2000;95\n", {}, "line 3: expected \"rpm,torque\""},
      {"1000,90\n2000,95,7\n", {}, "line 2: expected"},
      {"1000,90\nrpm,torque\n", {}, "line 2: expected"},
      {"rpm,torque\n1000,90\n", {}, "at least two points"},
      {"2000,90\n1000,95\n", {}, "does not increase"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string path = folder.File("torque.csv");
    test::WriteFileBytes(path, c.text);
    TorqueCurve curve = TorqueCurve::Constant(42.0);
    std::string error;
    const bool ok = ReadTorqueCsv(path, curve, error);
    ASSERT_EQ(ok, !c.expected.empty()) << error;
    if (ok) {
      ASSERT_EQ(curve.Points().size(), c.expected.size());
      for (std::size_t k = 0; k < c.expected.size(); ++k) {
        EXPECT_EQ(curve.Points()[k].rpm, c.expected[k].rpm);
        EXPECT_EQ(curve.Points()[k].torqueFtLb, c.expected[k].torqueFtLb);
      }
    } else {
      EXPECT_NE(error.find("Torque file " + path), std::string::npos) << error;
      EXPECT_NE(error.find(c.message), std::string::npos) << error;
      EXPECT_EQ(curve.TorqueAt(3000.0), 42.0);
    }
  }
  TorqueCurve curve;
  std::string error;
  EXPECT_FALSE(ReadTorqueCsv(folder.File("missing.csv"), curve, error));
  EXPECT_EQ(error, "Could not open torque file - " + folder.File("missing.csv"));
}

}  // namespace
}  // namespace ruvo
