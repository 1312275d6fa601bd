#include "calc/input_checks.h"

#include <cmath>
#include <optional>

#include "core/run_modes.h"
#include "core/vehicle_model.h"

namespace ruvo {
namespace {

constexpr double kWholeLossPercent = 100.0;

}  // namespace

std::string FindInputProblem(const RunParameters& params) {
  if (!SmoothingMethodOf(params.smoothingMethod)) return "Calculation failed - Smoothing Method must be 0 to 3";
  const std::optional<CalculationMode> mode = CalculationModeOf(params.calculationMode);
  if (!mode) return "Calculation failed - Calculation Mode must be 0 or 1";
  if (!(params.gearRatio != 0.0)) return "Calculation failed - Test Gear Ratio must not be 0";
  if (!(params.axleRatio != 0.0)) return "Calculation failed - Final Axle Ratio must not be 0";
  if (!(TireDiameterInches(params) != 0.0)) return "Calculation failed - Wheel Diameter must not be 0";
  if (mode != CalculationMode::kDynamometer) return {};
  if (!(params.drivetrainLoss < kWholeLossPercent)) return "Calculation failed - Drivetrain Loss must be below 100 %";
  if (params.frictionLossHp != 0.0 && params.frictionLossRpm == 0)
    return "Calculation failed - HP Loss @ RPM must not be 0 with a friction loss";
  return {};
}

}  // namespace ruvo
