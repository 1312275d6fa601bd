#pragma once

#include <span>

#include "calc/calculation_results.h"
#include "core/run_parameters.h"

namespace ruvo {

// One row per pulse of the last recording (results.rowCount of them): distance from the measured
// cumulative revolutions, RPM, road speed and acceleration in g, plus the RPM range and the highest
// speed and acceleration as summary lines. Leaves succeeded untouched.
void ComputeTachometer(const RunParameters& params,
                       std::span<const double> cumulativeRevs,
                       std::span<const double> rpm,
                       std::span<const double> angularAcceleration,
                       CalculationResults& results);

}  // namespace ruvo
