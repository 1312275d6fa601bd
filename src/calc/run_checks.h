#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/pulse_analysis.h"
#include "calc/calculation_results.h"
#include "core/result_table.h"
#include "core/run_parameters.h"

namespace ruvo {

// Engine speed at one timeline interval: measured from the interval alone and read off the fitted
// curve at the interval's midpoint.
struct SpeedSample {
  double timeSeconds = 0.0;  // midpoint of the interval
  double measuredRpm = 0.0;  // 60 x revolutions per spark / interval
  double fittedRpm = 0.0;
};

// Everything one recording of a calculation showed, kept with the results for the checks and the views.
struct RecordingEvidence {
  std::string waveFile;  // as the wave list names it
  std::string wavePath;  // the file that was read
  PulseEvidence detection;
  std::vector<SpeedSample> speeds;  // one per interval of the timeline, empty when fitting failed
};

enum class FindingSeverity { kNote, kWarning };

// One thing the evidence says about the trust a result deserves.
struct RunFinding {
  FindingSeverity severity = FindingSeverity::kNote;
  std::string text;             // one sentence naming the recording, then what the user can do
  std::int32_t recording = -1;  // index into the evidence, or -1 for the run as a whole
  double timeSeconds = -1.0;    // where in that recording, or -1
  std::vector<RowSpan> rows;    // the stretches of the result table it casts doubt on
};

// Checks the evidence of every recording and the results of a successful calculation; warnings first,
// each group in recording order. A clean run gives none.
std::vector<RunFinding> CheckRun(const std::vector<RecordingEvidence>& evidence,
                                 const CalculationResults& results,
                                 const RunParameters& params);

// "warning: TEXT" or "note: TEXT".
std::string FindingLine(const RunFinding& finding);

}  // namespace ruvo
