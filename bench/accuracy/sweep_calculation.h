#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "accuracy_metrics.h"
#include "core/run_parameters.h"

namespace ruvo {

// One calculated run of a sweep: its figures and whether the run checks warned.
struct SweepOutcome {
  AccuracyFigures figures;
  bool warned = false;
};

// Calculates params (its wave files as they are) with the default analysis settings and compares
// the results with truth; nothing when the calculation fails or no row compares.
std::optional<SweepOutcome> CalculateAgainstTruth(const RunParameters& params, const std::vector<TruthRow>& truth);

// Writes bytes to path, replacing it: the sweeps reuse their scratch names.
void WriteScratchFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace ruvo
