#pragma once

#include <ostream>
#include <string>

#include "calc/calculation_results.h"

namespace ruvo {

// The dynamometer table in the plotting program's ASCII layout: title, variables, zone, then one
// row per 50-rpm grid point. description names the run.
void WritePowerTable(std::ostream& out, const std::string& description, const CalculationResults& results);

// The tachometer table: the two spark lines when they apply, then title, variables, zone and one
// row per pulse.
void WriteTimeTable(std::ostream& out, const std::string& description, const CalculationResults& results);

}  // namespace ruvo
