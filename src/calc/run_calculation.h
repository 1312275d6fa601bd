#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "calc/calculation_results.h"
#include "calc/dynamometer.h"
#include "calc/run_checks.h"
#include "core/analysis_config.h"
#include "core/calculation_log.h"
#include "core/outcome.h"
#include "core/run_document.h"
#include "core/run_modes.h"
#include "core/run_parameters.h"

namespace ruvo {

// Performs a calculation over the run's wave files and keeps its results until the next one
// starts or another document is opened. Reads the parameters and the configuration through the
// references it was given and never writes them. One calculation at a time per object; objects
// on different threads may calculate at once, those in one folder one after the other (they share
// its ruvo.log).
class RunCalculation : public ResultTableSource {
 public:
  static constexpr std::size_t kMaxRecordings = 10;

  RunCalculation(const RunParameters& heldParams, const AnalysisConfig& heldConfig);

  // Analyses every wave file (at most ten) in list order, fits the chosen curve, computes the
  // results of the calculation mode and writes ruvo.log. folder is the run document's: relative
  // wave names and the log lie there (messages name the files as listed). Succeeds when
  // the results' succeeded flag is set, and carries every message in the order the user must see
  // them; every failure has one, except a recording too quiet to analyse and an empty wave file
  // list.
  Outcome Calculate(const std::string& folder);

  const CalculationResults& Results() const { return results; }
  // What each analysed recording of the last calculation showed, in list order (also the recording
  // that failed, as far as its analysis got), and the findings of the checks after a success or the
  // diagnosis of a failure.
  const std::vector<RecordingEvidence>& Evidence() const { return evidence; }
  const std::vector<RunFinding>& Findings() const { return findings; }

  // The dynamometer or tachometer table after a successful calculation.
  bool AppendResultTable(std::ostream& out) override;
  void DiscardResults() override;

 private:
  // Analyses and fits one recording; when it counts, adds its curves, timeline and RPM bounds.
  // Returns false when the file loop must end.
  bool ProcessRecording(const ListedRecording& recording);
  void ComputeResults();
  bool ResultsAreFinite() const;

  const RunParameters& params;
  const AnalysisConfig& config;
  CalculationResults results;
  std::vector<RecordingEvidence> evidence;
  std::vector<RunFinding> findings;
  CalculationLog log;
  // Working storage of one calculation. The messages so far; whether it succeeds is the results'
  // succeeded flag, since a later recording's failure may leave the earlier ones' results standing.
  Outcome said;
  CalculationMode mode = CalculationMode::kDynamometer;  // the document's, once the inputs are checked
  SmoothingMethod method = SmoothingMethod::kSplineSegments;
  std::vector<RecordingCurves> curves;
  double highestStartRpm = 0.0;
  double lowestFinalRpm = 0.0;
};

}  // namespace ruvo
