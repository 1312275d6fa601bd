#pragma once

#include <QString>
#include <optional>

#include "calc/power_correction.h"
#include "plot/run_chart.h"

namespace ruvo {

// One run as a chart, a table or a sheet shows it corrected to a standard: power and torque (table
// rows and peaks) multiplied by the factor of its own document's conditions. A tachometer run, a
// run whose document has no usable conditions, and every run when no standard is chosen, stay as
// they were. The run carries the note and the standard applied too (PlotRun::note, correctedTo).
struct CorrectedRun {
  PlotRun run;
  std::optional<PowerCorrection> correction;  // the factor applied; nothing when left uncorrected
  // For the legend: "SAE J1349 ×1.0234", "uncorrected: no conditions", or "uncorrected: " and why
  // the conditions do not serve; empty when no standard is chosen or the run has no power.
  QString note;
};

CorrectedRun CorrectRun(PlotRun run, std::optional<CorrectionStandard> standard);

// The units runs corrected to standard are shown in: power in PS in place of kW for DIN 70020, whose
// sheets state it so; else those chosen.
UnitSystem UnitsFor(UnitSystem chosen, std::optional<CorrectionStandard> standard);

}  // namespace ruvo
