#pragma once

#include "core/run_parameters.h"

namespace ruvo {

// The vehicle's equation of motion in the test gear, read forwards: from engine torque and
// speed to the engine's angular acceleration, with the constants and force laws that the
// dynamometer results use backwards, so that a perfect measurement of the motion gives back
// the torque. Built once from the vehicle data; immutable.
//
//   wheel force   F = 2 pi T / f                      (T ft-lb, f feet per engine revolution)
//   net force       = F (1 - loss) - (kd v^2 + kf v^e) - rolling      (pounds, v = f n ft/s)
//   acceleration  a = net / (weight / g)               (ft/s^2)
//   engine        dn/dt = a / f                        (n revolutions per second)
//
// Preconditions: positive weight, ratios and tire diameter, a drivetrain loss below 100 % and,
// when frictionLossHp is not 0, a positive frictionLossRpm; the caller validates them.
class VehicleMotion {
 public:
  explicit VehicleMotion(const RunParameters& vehicle);

  double FeetPerRevolution() const { return feetPerRevolution; }

  // Force at the wheels in pounds that an engine torque in foot-pounds produces, before the
  // drivetrain loss.
  double WheelForce(double torqueFtLb) const;

  // Drag, friction and rolling force in pounds at a road speed in feet per second.
  double ResistingForce(double speedFeetPerSecond) const;

  // Engine angular acceleration in revolutions per second squared at revsPerSecond under an
  // engine torque in foot-pounds.
  double AngularAcceleration(double revsPerSecond, double torqueFtLb) const;

 private:
  double weightPounds;
  double feetPerRevolution;
  double dragFactor;      // pounds per (ft/s)^2
  double frictionFactor;  // pounds per (ft/s)^exponent
  double frictionExponent;
  double lossFraction;
  double rollingForce;  // pounds
};

}  // namespace ruvo
