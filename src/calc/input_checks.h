#pragma once

#include <string>

#include "core/run_parameters.h"

namespace ruvo {

// The message for the first run parameter that would leave the calculation without a finite
// result (a zero ratio or wheel, a drivetrain loss of 100 % or more, a friction loss without its
// reference RPM), or an unknown smoothing method or calculation mode; empty when all are usable,
// the file's numbers naming a SmoothingMethod and a CalculationMode among them.
std::string FindInputProblem(const RunParameters& params);

}  // namespace ruvo
