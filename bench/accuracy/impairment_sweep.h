#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "accuracy_metrics.h"
#include "synth/synth_options.h"

namespace ruvo {

// One impaired synthetic recording of the sweep.
struct SweepCase {
  std::string impairment;  // "hum", or "clean"
  std::string level;       // the impairment's setting as written on ruvo-synth's command line
  std::int32_t sampleRate = 0;
  std::uint64_t seed = 0;
  std::vector<std::pair<std::string, std::string>> options;  // ruvo-synth option names and values
};

// Every impairment at three levels, each at 11025, 22050 and 44100 samples per second with five
// seeds, plus the clean runs; the car of ruvo-synth's defaults, ending in a lift-off. Deterministic.
std::vector<SweepCase> ImpairmentSweepCases();

// SynthOptions of a case; empty with a reason in error when an option is not understood or invalid.
std::optional<SynthOptions> SweepOptions(const SweepCase& sweepCase, std::string& error);

// bad: calculated, yet a peak (power or torque) more than 5 % or a table row more than 10 % from the
// truth; good: both peaks within 2 % and no row bad; borderline between; failed: no result.
enum class SweepOutcome { kGood, kBorderline, kBad, kFailed };
SweepOutcome ClassifySweepRun(const std::optional<AccuracyFigures>& figures, bool calculated);

struct SweepResult {
  SweepCase run;
  SweepOutcome outcome = SweepOutcome::kFailed;
  std::optional<AccuracyFigures> figures;
  std::vector<std::string> findings;  // "warning: ..." and "note: ..." lines
};

bool Warned(const SweepResult& result);

// Runs by outcome against warned / not warned, with the shares the checks aim at, then the same per
// impairment.
std::string FormatSweepTable(const std::vector<SweepResult>& results);

// The same two tables in Markdown for docs/accuracy.md; each impairment is named with the
// ruvo-synth options of its levels.
std::string FormatSweepMarkdown(const std::vector<SweepResult>& results);

// One line per run: impairment, level, rate, seed, outcome, peak errors, RMS, warned, findings.
std::string FormatSweepCsv(const std::vector<SweepResult>& results);

}  // namespace ruvo
