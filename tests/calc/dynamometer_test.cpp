#include "calc/dynamometer.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ruvo {
namespace {

// One recording whose angular acceleration is the same at every RPM.
std::vector<RecordingCurves> FlatRecording(double fromRpm, double toRpm, double angularAcceleration) {
  return {RecordingCurves{{fromRpm, toRpm}, {angularAcceleration, angularAcceleration}}};
}

std::size_t RowOf(const CalculationResults& results, double rpm) {
  for (std::size_t k = 0; k < results.rpm.size(); ++k)
    if (results.rpm[k] == rpm) return k;
  ADD_FAILURE() << "no row at " << rpm;
  return 0;
}

TEST(ComputeDynamometer, GridHoldsTheMultiplesOfFiftyStrictlyInsideTheCommonRange) {
  struct Case {
    double start, end;
    int rows;
    double firstRpm;
    int succeeded;
  };
  const Case cases[] = {{1000.0, 5000.0, 80, 1050.0, 1}, {1049.9, 1099.9, 1, 1050.0, 0},
                        {1049.9, 1100.0, 2, 1050.0, 1},  {3000.0, 2000.0, 1, 3050.0, 0}};
  for (const Case& c : cases) {
    CalculationResults results;
    results.succeeded = 1 - c.succeeded;  // replaced, whatever the driver had set
    auto recordings = FlatRecording(0.0, 8000.0, 10.0);
    ComputeDynamometer(RunParameters{}, recordings, c.start, c.end, results);
    EXPECT_EQ(results.rowCount, c.rows) << c.start << " " << c.end;
    ASSERT_EQ(results.rpm.size(), static_cast<std::size_t>(c.rows));
    EXPECT_EQ(results.rpm.front(), c.firstRpm);
    EXPECT_EQ(results.rpm.back(), c.firstRpm + 50.0 * (c.rows - 1));
    EXPECT_EQ(results.succeeded, c.succeeded);
  }
}

TEST(ComputeDynamometer, InitialVehicleAtThreeThousandRpm) {
  CalculationResults results;
  auto recordings = FlatRecording(1000.0, 5000.0, 10.0);
  ComputeDynamometer(RunParameters{}, recordings, 1000.0, 5000.0, results);
  const std::size_t k = RowOf(results, 3000.0);
  // Figures worked by hand from f = 3.14159 / 12 * 29.3 / 10 ft per revolution; two decimals printed.
  EXPECT_TRUE(test::IsClose(results.speed[k], 26.14, 0, 0.005));
  EXPECT_TRUE(test::IsClose(results.acceleration[k], 0.23822, 0, 0.000005));
  EXPECT_TRUE(test::IsClose(results.accelForce[k], 571.73, 0, 0.005));
  EXPECT_TRUE(test::IsClose(results.dragForce[k], 29.38, 0, 0.005));
  EXPECT_TRUE(test::IsClose(results.frictionForce[k], 0.0, 0, 0.005));
  EXPECT_TRUE(test::IsClose(results.rollingForce, 24.00, 0, 0.005));
  EXPECT_TRUE(test::IsClose(results.force[k], 625.11, 0, 0.005));
  EXPECT_TRUE(test::IsClose(results.horsepower[k], 43.59, 0, 0.005));
  EXPECT_TRUE(test::IsClose(results.torque[k], 76.32, 0, 0.005));
}

TEST(ComputeDynamometer, FrictionAndDrivetrainLossesAtTheReferenceSpeed) {
  RunParameters params;
  params.frictionLossHp = 10.0;
  params.frictionLossRpm = 3000;
  params.frictionLossExponent = 1.0;
  params.drivetrainLoss = 10.0;
  CalculationResults results;
  auto recordings = FlatRecording(1000.0, 5000.0, 10.0);
  ComputeDynamometer(params, recordings, 1000.0, 5000.0, results);
  const std::size_t k = RowOf(results, 3000.0);
  const double v = 38.353578;  // ft/s at 3000 rpm
  const double friction = 3.7389609 * v;  // exactly 10 hp at the reference speed
  EXPECT_TRUE(test::IsClose(friction * v / 550.0, 10.0, 1e-6));
  EXPECT_TRUE(test::IsClose(results.force[k], 853.90, 0, 0.005));
  EXPECT_TRUE(test::IsClose(results.frictionForce[k], 228.79, 0, 0.005));
  EXPECT_TRUE(test::IsClose(results.horsepower[k], 59.55, 0, 0.005));
  EXPECT_TRUE(test::IsClose(results.torque[k], 104.25, 0, 0.005));
}

TEST(ComputeDynamometer, AveragesTheInterpolatedAccelerationOfEveryRecording) {
  std::vector<RecordingCurves> recordings{RecordingCurves{{1000.0, 2000.0, 4000.0}, {10.0, 20.0, 0.0}},
                                          RecordingCurves{{900.0, 3900.0}, {4.0, 10.0}}};
  CalculationResults results;
  ComputeDynamometer(RunParameters{}, recordings, 1000.0, 3900.0, results);
  const double feetPerRev = 3.14159 * (1.0 / 12.0) * 29.3 / 10.0;
  // At 1500 rpm: 15 from the first recording, 5.2 from the second.
  const std::size_t k = RowOf(results, 1500.0);
  EXPECT_TRUE(test::IsClose(results.acceleration[k], feetPerRev * (15.0 + 5.2) / 2.0 / 32.2, 1e-12));
  // At 3000 rpm: 10 and 8.2 (the second extends nothing here, it brackets 3000).
  const std::size_t m = RowOf(results, 3000.0);
  EXPECT_TRUE(test::IsClose(results.acceleration[m], feetPerRev * (10.0 + 8.2) / 2.0 / 32.2, 1e-12));
  EXPECT_EQ(recordings[0].angularAcceleration.size(), results.rpm.size());  // replaced by the resampled values
}

TEST(ComputeDynamometer, SummaryLinesNameTheBestRowsAndZeroWhenNothingIsPositive) {
  CalculationResults results;
  auto rising = std::vector<RecordingCurves>{RecordingCurves{{1000.0, 5000.0}, {10.0, 30.0}}};
  ComputeDynamometer(RunParameters{}, rising, 1000.0, 5000.0, results);
  const std::size_t last = results.rpm.size() - 1;
  EXPECT_EQ(results.summaryLine1, "        Max HP:" + [&] {
    char text[32];
    std::snprintf(text, sizeof text, "%6.1f", results.horsepower[last]);
    return std::string(text);
  }() + " hp @ 5000 rpm");

  auto braking = FlatRecording(1000.0, 5000.0, -200.0);
  ComputeDynamometer(RunParameters{}, braking, 1000.0, 5000.0, results);
  EXPECT_EQ(results.summaryLine1, "        Max HP:   0.0 hp @ 0 rpm");
  EXPECT_EQ(results.summaryLine2, "  Max Torque:   0.0 ft-lb @ 0 rpm");
}

}  // namespace
}  // namespace ruvo
