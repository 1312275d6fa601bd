#pragma once

#include <optional>
#include <string>

#include "calc/calculation_results.h"
#include "core/result_table.h"
#include "plot/plot_units.h"

namespace ruvo {

// The row a summary line names: its engine speed and the value there, in the table's units.
struct Peak {
  double rpm = 0.0;
  double value = 0.0;
};

// What a run's two summary lines name, chosen as they choose it: the first row with the highest
// positive power and the first with the highest positive torque (dynamometer), or the engine speed
// range and the highest speed and acceleration, each at least 0 (tachometer). After Calculate they
// come from the calculation's unrounded results, as its summary lines do; for a saved document from
// the table's rounded numbers, as an opened document's summary does. The two may differ in the last
// digit and, where rounding makes rows tie, in the row.
struct RunPeaks {
  bool power = true;  // the dynamometer layout
  bool fromCalculation = false;
  std::optional<Peak> horsepower, torque;  // nothing when no row is above 0
  double lowestRpm = 0.0, highestRpm = 0.0, topSpeed = 0.0, topAcceleration = 0.0;
};

RunPeaks PeaksOfTable(const ResultTable& table);
RunPeaks PeaksOfCalculation(const CalculationResults& results);

// "124.4 hp @ 5700 rpm": the value in unit to one decimal, the rpm as the summary line gives it.
std::string PeakText(const Peak& peak, const ColumnUnit& unit);

// The peaks as one line in the chosen units: "max 124.4 hp @ 5700 rpm, 129.7 ft-lb @ 4050 rpm" or
// "RPM 940.4 to 6485.8, max 45.3 mph, 0.534 g"; empty for a dynamometer run without a peak.
std::string PeaksText(const RunPeaks& peaks, UnitSystem units);

}  // namespace ruvo
