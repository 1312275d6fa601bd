#include "core/vehicle_model.h"

#include <cmath>

namespace ruvo {

double TireDiameterInches(const RunParameters& params) {
  return kSidewallFactor * params.tireAspectRatio * params.tireWidth / kMillimetresPerInch + params.wheelDiameter;
}

double FeetPerEngineRevolution(const RunParameters& params) {
  return kPi * kFeetPerInch * TireDiameterInches(params) / (params.gearRatio * params.axleRatio);
}

double DragFactor(const RunParameters& params) {
  return kDragHalf * params.dragCoefficient * params.frontalArea * kAirDensity / kGravity;
}

double FrictionFactor(const RunParameters& params, double feetPerRevolution) {
  if (params.frictionLossHp == 0.0) return 0.0;
  const double referenceSpeed = params.frictionLossRpm * feetPerRevolution / kSecondsPerMinute;
  return kFootPoundsPerSecondPerHp * params.frictionLossHp / std::pow(referenceSpeed, params.frictionLossExponent + 1.0);
}

}  // namespace ruvo
