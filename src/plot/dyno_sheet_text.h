#pragma once

#include <optional>
#include <string>
#include <vector>

#include "calc/power_correction.h"
#include "core/run_parameters.h"
#include "plot/plot_units.h"
#include "plot/run_peaks.h"

namespace ruvo {

// One document as the dyno sheet lists it: what its parameter lines say and its run's peaks,
// corrected where a standard was chosen and its conditions serve.
struct SheetEntry {
  std::string title;  // the description, or the file name where there is none
  RunParameters params;
  RunPeaks peaks;
  std::optional<PowerCorrection> correction;  // the factor applied; nothing when left uncorrected
  std::string uncorrected;                    // why not, when a standard was chosen: "no conditions", ...
};

// One line of the sheet's table: a label and a value for each entry, in the entries' order.
struct SheetLine {
  std::string label;
  std::vector<std::string> values;
  bool emphasized = false;  // the peaks
};

struct SheetSection {
  std::string heading;
  std::vector<SheetLine> lines;
};

// The table of the sheet, one column per entry: the peaks (in units), the correction and the air,
// the vehicle data and the smoothing. Values are shown in the units the chart uses, the weather as
// the document gives it (degrees Celsius, hPa); a missing condition reads "not given".
std::vector<SheetSection> SheetSections(const std::vector<SheetEntry>& entries,
                                        UnitSystem units,
                                        std::optional<CorrectionStandard> standard);

// The sheet's title: the entries' titles, each once, joined by " / ".
std::string SheetTitle(const std::vector<SheetEntry>& entries);

// "Local smoothing, level 3", "Smooth curve, 12 segments", ...: a document's smoothing in words.
std::string SmoothingText(const RunParameters& params);

}  // namespace ruvo
