#include "calc/input_checks.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace ruvo {
namespace {

TEST(FindInputProblem, NamesTheFieldThatLeavesNoFiniteResult) {
  const std::string failed = "Calculation failed - ";
  const std::pair<void (*)(RunParameters&), std::string> cases[] = {
      {[](RunParameters&) {}, ""},
      {[](RunParameters& p) { p.smoothingMethod = 4; }, failed + "Smoothing Method must be 0 to 3"},
      {[](RunParameters& p) { p.smoothingMethod = -1; }, failed + "Smoothing Method must be 0 to 3"},
      {[](RunParameters& p) { p.smoothingMethod = 0; }, ""},
      {[](RunParameters& p) { p.smoothingMethod = 3; }, ""},
      {[](RunParameters& p) { p.calculationMode = 2; }, failed + "Calculation Mode must be 0 or 1"},
      {[](RunParameters& p) { p.gearRatio = 0.0; }, failed + "Test Gear Ratio must not be 0"},
      {[](RunParameters& p) { p.axleRatio = 0.0; }, failed + "Final Axle Ratio must not be 0"},
      {[](RunParameters& p) { p.wheelDiameter = 0.0; }, failed + "Wheel Diameter must not be 0"},
      {[](RunParameters& p) { p.wheelDiameter = 0.0, p.tireWidth = 195.0; }, ""},  // the sidewalls alone still roll
      {[](RunParameters& p) { p.drivetrainLoss = 100.0; }, failed + "Drivetrain Loss must be below 100 %"},
      {[](RunParameters& p) { p.frictionLossHp = 5.0; }, failed + "HP Loss @ RPM must not be 0 with a friction loss"},
      // Tachometer results use only the geometry.
      {[](RunParameters& p) { p.calculationMode = 1, p.drivetrainLoss = 100.0, p.frictionLossHp = 5.0; }, ""},
  };
  for (const auto& [change, expected] : cases) {
    RunParameters params;
    change(params);
    EXPECT_EQ(FindInputProblem(params), expected);
  }
}

}  // namespace
}  // namespace ruvo
