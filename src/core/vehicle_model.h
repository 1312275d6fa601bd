#pragma once

#include "core/run_parameters.h"
#include "core/units.h"

namespace ruvo {

// Constants of the vehicle's equation of motion, exactly as the results are computed with them.
inline constexpr double kRpmGridStep = 50.0;            // rpm between rows of the dynamometer table
inline constexpr double kSidewallFactor = 0.02;         // two sidewalls, aspect ratio in percent
inline constexpr double kMillimetresPerInch = 25.4;
inline constexpr double kPi = 3.14159;                  // the results' own value, not full precision
inline constexpr double kFeetPerInch = 1.0 / 12.0;
inline constexpr double kAirDensity = 0.0735;           // pounds per cubic foot
inline constexpr double kGravity = 32.2;                // feet per second squared
inline constexpr double kDragHalf = 0.5;                // the 1/2 of 1/2 rho Cd A v^2
inline constexpr double kFootPoundsPerSecondPerHp = 550.0;
inline constexpr double kFeetPerSecondToMph = 0.6816;   // the results' own factor
inline constexpr double kFeetPerMile = 5280.0;

// Rolling diameter of the driven wheel in inches: rim plus two sidewalls.
double TireDiameterInches(const RunParameters& params);

// Road distance in feet per engine revolution in the test gear.
double FeetPerEngineRevolution(const RunParameters& params);

// Aerodynamic drag force in pounds per (feet per second) squared: 1/2 rho Cd A / g.
double DragFactor(const RunParameters& params);

// Factor kf of the friction force kf * v^exponent (pounds, v in ft/s), chosen so that the force
// absorbs frictionLossHp at the road speed of frictionLossRpm; 0 when frictionLossHp is 0.
double FrictionFactor(const RunParameters& params, double feetPerRevolution);

}  // namespace ruvo
