#include "calc/dynamometer.h"

#include <gtest/gtest.h>

#include <tuple>

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
  // Common range, then rows, first rpm and whether the grid succeeded.
  for (const auto& [start, end, rows, firstRpm, succeeded] :
       {std::tuple{1000.0, 5000.0, 80, 1050.0, true}, std::tuple{1049.9, 1099.9, 1, 1050.0, false},
        std::tuple{1049.9, 1100.0, 2, 1050.0, true}, std::tuple{3000.0, 2000.0, 1, 3050.0, false}}) {
    CalculationResults results;
    results.succeeded = !succeeded;  // replaced, whatever the driver had set
    auto recordings = FlatRecording(0.0, 8000.0, 10.0);
    ComputeDynamometer(RunParameters{}, recordings, start, end, results);
    EXPECT_EQ(results.rowCount, rows) << start << " " << end;
    ASSERT_EQ(results.rpm.size(), static_cast<std::size_t>(rows));
    EXPECT_EQ(std::tuple(results.rpm.front(), results.rpm.back(), results.succeeded),
              std::tuple(firstRpm, firstRpm + 50.0 * (rows - 1), succeeded));
  }
}

// Worked by hand at 3000 rpm from f = 3.14159 / 12 * 29.3 / 10 ft per revolution; two decimals
// as the table prints them. Order: speed, accel force, drag, friction, rolling, force, hp, torque.
TEST(ComputeDynamometer, InitialVehicleAndLossesAtThreeThousandRpm) {
  const auto row = [](const RunParameters& params) {
    CalculationResults results;
    auto recordings = FlatRecording(1000.0, 5000.0, 10.0);
    ComputeDynamometer(params, recordings, 1000.0, 5000.0, results);
    const std::size_t k = RowOf(results, 3000.0);
    EXPECT_TRUE(test::IsClose(results.acceleration[k], 0.23822, 0, 0.000005));
    return std::vector<double>{results.speed[k],         results.accelForce[k], results.dragForce[k],
                               results.frictionForce[k], results.rollingForce,  results.force[k],
                               results.horsepower[k],    results.torque[k]};
  };
  ExpectAllClose(row(RunParameters{}), (std::vector<double>{26.14, 571.73, 29.38, 0.0, 24.0, 625.11, 43.59, 76.32}), 0,
                 0.005);

  // 10 hp of friction at 3000 rpm (38.3536 ft/s, so 143.40 lb) and 10 % drivetrain loss:
  // force (29.38 + 143.40 + 24 + 571.73) / 0.9 = 853.90, of which 85.39 lost plus 143.40 friction.
  RunParameters lossy;
  lossy.frictionLossHp = 10.0;
  lossy.frictionLossRpm = 3000;
  lossy.frictionLossExponent = 1.0;
  lossy.drivetrainLoss = 10.0;
  ExpectAllClose(row(lossy), (std::vector<double>{26.14, 571.73, 29.38, 228.79, 24.0, 853.90, 59.55, 104.25}), 0,
                 0.005);
}

TEST(ComputeDynamometer, AveragesTheInterpolatedAccelerationOfEveryRecording) {
  std::vector<RecordingCurves> recordings{RecordingCurves{{1000.0, 2000.0, 4000.0}, {10.0, 20.0, 0.0}},
                                          RecordingCurves{{900.0, 3900.0}, {4.0, 10.0}}};
  CalculationResults results;
  ComputeDynamometer(RunParameters{}, recordings, 1000.0, 3900.0, results);
  // At 1500 rpm 15 and 5.2 rev/s^2, mean 10.1: 10.1 * 0.767072 / 32.2 = 0.240603 g.
  // At 3000 rpm 10 and 8.2 (the second brackets 3000, nothing extended), mean 9.1: 0.216781 g.
  EXPECT_TRUE(test::IsClose(results.acceleration[RowOf(results, 1500.0)], 0.240603, 2e-6));
  EXPECT_TRUE(test::IsClose(results.acceleration[RowOf(results, 3000.0)], 0.216781, 2e-6));
  EXPECT_EQ(recordings[0].angularAcceleration.size(), results.rpm.size());  // replaced by the resampled values
}

TEST(ComputeDynamometer, SummaryLinesNameTheBestRowsAndZeroWhenNothingIsPositive) {
  CalculationResults results;
  // Best at the last row, 5000 rpm, 30 rev/s^2: v = 63.923 ft/s, force 1715.19 (acceleration)
  // + 81.61 (drag) + 24 (rolling) = 1820.80 lb; 63.923 * 1820.80 / 550 = 211.6 hp, 0.767072 * 1820.80 / (2 pi) = 222.3
  // ft-lb.
  auto rising = std::vector<RecordingCurves>{RecordingCurves{{1000.0, 5000.0}, {10.0, 30.0}}};
  ComputeDynamometer(RunParameters{}, rising, 1000.0, 5000.0, results);
  EXPECT_EQ(results.summaryLine1, "        Max HP: 211.6 hp @ 5000 rpm");
  EXPECT_EQ(results.summaryLine2, "  Max Torque: 222.3 ft-lb @ 5000 rpm");

  auto braking = FlatRecording(1000.0, 5000.0, -200.0);
  ComputeDynamometer(RunParameters{}, braking, 1000.0, 5000.0, results);
  EXPECT_EQ(results.summaryLine1, "        Max HP:   0.0 hp @ 0 rpm");
  EXPECT_EQ(results.summaryLine2, "  Max Torque:   0.0 ft-lb @ 0 rpm");
}

}  // namespace
}  // namespace ruvo
