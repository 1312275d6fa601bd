#pragma once

#include <vector>

#include "calc/calculation_results.h"
#include "core/run_parameters.h"

namespace ruvo {

// The fitted engine speed and angular acceleration of one recording, one value per pulse.
struct RecordingCurves {
  std::vector<double> rpm;                  // revolutions per minute
  std::vector<double> angularAcceleration;  // revolutions per second squared
};

// Brings every recording onto the 50-rpm grid strictly above highestStartRpm and up to
// lowestFinalRpm, averages their angular acceleration there (linear interpolation in RPM) and
// solves the equation of motion per row for the forces, horsepower and torque. Fills the
// dynamometer arrays and summary lines of results and sets succeeded to whether more than one row
// came out. Replaces each recording's acceleration by its resampled values. recordings must not
// be empty. Reference: the road-load equation F = m a + 1/2 rho Cd A v^2 + Froll + Ffric.
void ComputeDynamometer(const RunParameters& params,
                        std::vector<RecordingCurves>& recordings,
                        double highestStartRpm,
                        double lowestFinalRpm,
                        CalculationResults& results);

}  // namespace ruvo
