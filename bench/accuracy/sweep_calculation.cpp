#include "sweep_calculation.h"

#include <fstream>

#include "calc/run_calculation.h"
#include "core/analysis_config.h"

namespace ruvo {

std::optional<SweepOutcome> CalculateAgainstTruth(const RunParameters& params, const std::vector<TruthRow>& truth) {
  const AnalysisConfig config;
  RunParameters held = params;
  RunCalculation calculation(held, config);
  if (!calculation.Calculate(".")) return std::nullopt;
  const CalculationResults& results = calculation.Results();
  std::vector<PowerRow> rows;
  for (std::size_t i = 0; i < results.rpm.size(); ++i)
    rows.push_back({results.rpm[i], results.torque[i], results.horsepower[i]});
  const std::optional<AccuracyFigures> figures = CompareWithTruth(rows, truth);
  if (!figures) return std::nullopt;
  SweepOutcome outcome{*figures, false};
  for (const RunFinding& finding : calculation.Findings())
    outcome.warned = outcome.warned || finding.severity == FindingSeverity::kWarning;
  return outcome;
}

void WriteScratchFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace ruvo
