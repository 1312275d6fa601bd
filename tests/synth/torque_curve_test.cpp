#include "synth/torque_curve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
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

// Every default synthetic recording depends on the built-in curve. Values recorded from the
// current curve, taken as correct.
TEST(TorqueCurve, BuiltInCurveKnownValues) {
  const TorqueCurve builtIn;
  const double expected[][2] = {{500, 70},   {1000, 88},  {1500, 100}, {2000, 110}, {2500, 118}, {3000, 124},
                                {3500, 128}, {4000, 130}, {4500, 129}, {5000, 125}, {5500, 118}, {6000, 108},
                                {6500, 96},  {7000, 82},  {7500, 66},  {8000, 50}};
  ASSERT_EQ(builtIn.Points().size(), std::size(expected));
  for (const auto& [rpm, torque] : expected) EXPECT_EQ(builtIn.TorqueAt(rpm), torque) << rpm;
  for (double rpm = 500.0; rpm <= 8000.0; rpm += 10.0) EXPECT_LE(builtIn.TorqueAt(rpm), 130.0) << rpm;
}

TEST(TorqueCurve, PassesThroughItsPointsReproducesALineAndNeverOvershoots) {
  const std::vector<TorquePoint> points = {{1000, 80}, {2200, 110}, {3000, 131}, {4100, 128}, {5000, 135}, {7000, 90}};
  const TorqueCurve curve = Curve(points);
  for (const TorquePoint& p : points) EXPECT_DOUBLE_EQ(curve.TorqueAt(p.rpm), p.torqueFtLb) << p.rpm;
  EXPECT_EQ(curve.TorqueAt(500.0), 80.0);  // the end values hold beyond the points
  EXPECT_EQ(curve.TorqueAt(9000.0), 90.0);

  const TorqueCurve line = Curve({{1000, 50}, {1500, 60}, {4000, 110}, {4200, 114}});
  for (double rpm = 1000.0; rpm <= 4200.0; rpm += 37.0)
    EXPECT_TRUE(IsClose(line.TorqueAt(rpm), 50.0 + (rpm - 1000.0) * 0.02, 1e-13)) << rpm;

  // A steep step between flat stretches: a plain cubic spline would ring around it.
  const TorqueCurve step = Curve({{1000, 100}, {2000, 100}, {2100, 150}, {3000, 150}, {4000, 160}});
  double previous = step.TorqueAt(1000.0);
  for (double rpm = 1000.0; rpm <= 4000.0; rpm += 5.0) {
    const double torque = step.TorqueAt(rpm);
    EXPECT_GE(torque, previous - 1e-12) << rpm;
    if (rpm <= 2000.0 || (rpm >= 2100.0 && rpm <= 3000.0)) {
      EXPECT_DOUBLE_EQ(torque, rpm <= 2000.0 ? 100 : 150) << rpm;
    }
    previous = torque;
  }

  // The slope is continuous across an interior point.
  const TorqueCurve smooth = Curve({{1000, 80}, {3000, 130}, {5000, 120}, {7000, 70}});
  const double left = (smooth.TorqueAt(5000.0) - smooth.TorqueAt(4999.999)) / 0.001;
  const double right = (smooth.TorqueAt(5000.001) - smooth.TorqueAt(5000.0)) / 0.001;
  EXPECT_NEAR(left, right, 1e-5);
}

TEST(TorqueCurve, ReadsCsvFilesAndRejectsUnusablePointsKeepingTheCurve) {
  test::TempFolder folder;
  const std::string path = folder.File("torque.csv");
  // Points read directly when no file text is given.
  const std::tuple<std::vector<TorquePoint>, const char*, std::string> cases[] = {
      {{{1000, 100}, {1000, 110}}, nullptr, "torque point 2: rpm 1000 does not increase"},
      {{{1000, 100}, {3000, 110}, {2000, 90}}, nullptr, "torque point 3: rpm 2000 does not increase"},
      {{{1000, 100}, {2000, std::nan("")}}, nullptr, "torque point 2 is not a finite number"},
      {{},
       "rpm,torque\n1000,90\n2000;95\n",
       "Torque file " + path + ", line 3: expected \"rpm,torque\" with two numbers"},
      {{}, "1000,90\n2000,95,7\n", "Torque file " + path + ", line 2: expected"},
      {{}, "1000,90\nrpm,torque\n", "Torque file " + path + ", line 2: expected"},
  };
  for (const auto& [points, text, message] : cases) {
    SCOPED_TRACE(message);
    TorqueCurve curve = TorqueCurve::Constant(42.0);
    std::string error;
    if (text) test::WriteFileBytes(path, text);
    EXPECT_FALSE(text ? ReadTorqueCsv(path, curve, error) : TorqueCurve::FromPoints(points, curve, error));
    EXPECT_EQ(error.rfind(message, 0), 0u) << error;
    EXPECT_EQ(curve.TorqueAt(3000.0), 42.0);
  }
  TorqueCurve curve;
  std::string error;
  EXPECT_FALSE(ReadTorqueCsv(folder.File("missing.csv"), curve, error));
  EXPECT_EQ(error, "Could not open torque file - " + folder.File("missing.csv"));

  test::WriteFileBytes(path, "1000,90\r\n# peak\r\n\r\n4000, 140.5\r\n6500,+1e2\n");
  ASSERT_TRUE(ReadTorqueCsv(path, curve, error)) << error;
  std::vector<double> read;
  for (const TorquePoint& p : curve.Points()) read.insert(read.end(), {p.rpm, p.torqueFtLb});
  EXPECT_EQ(read, (std::vector<double>{1000, 90, 4000, 140.5, 6500, 100}));
}

}  // namespace
}  // namespace ruvo
