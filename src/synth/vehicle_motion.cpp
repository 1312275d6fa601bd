#include "synth/vehicle_motion.h"

#include <cmath>

#include "core/vehicle_model.h"

namespace ruvo {

VehicleMotion::VehicleMotion(const RunParameters& vehicle)
    : weightPounds(vehicle.vehicleWeight),
      feetPerRevolution(FeetPerEngineRevolution(vehicle)),
      dragFactor(DragFactor(vehicle)),
      frictionFactor(FrictionFactor(vehicle, feetPerRevolution)),
      frictionExponent(vehicle.frictionLossExponent),
      lossFraction(kPercent * vehicle.drivetrainLoss),
      rollingForce(vehicle.vehicleWeight * vehicle.rollingCoefficient) {}

double VehicleMotion::WheelForce(double torqueFtLb) const {
  return 2.0 * kPi * torqueFtLb / feetPerRevolution;
}

double VehicleMotion::ResistingForce(double speedFeetPerSecond) const {
  const double drag = dragFactor * speedFeetPerSecond * speedFeetPerSecond;
  const double friction = std::pow(speedFeetPerSecond, frictionExponent) * frictionFactor;
  return (drag + friction) + rollingForce;
}

double VehicleMotion::AngularAcceleration(double revsPerSecond, double torqueFtLb) const {
  const double speed = feetPerRevolution * revsPerSecond;
  const double netForce = WheelForce(torqueFtLb) * (1.0 - lossFraction) - ResistingForce(speed);
  const double accelerationG = netForce / weightPounds;
  return accelerationG * kGravity / feetPerRevolution;
}

}  // namespace ruvo
