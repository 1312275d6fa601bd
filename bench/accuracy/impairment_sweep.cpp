#include "impairment_sweep.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr double kGoodPeakPercent = 2.0;  // peak power and torque
constexpr double kBadPeakPercent = 5.0;
constexpr double kBadRowPercent = 10.0;  // one table row; the clean runs' rows stay within 3 %
constexpr std::uint64_t kSeeds = 5;

struct Impairment {
  std::string name;
  std::string option;  // the option that sets the level
  std::array<std::string, 3> levels;
  std::vector<std::pair<std::string, std::string>> fixed;  // options every level shares
};

std::vector<Impairment> Impairments() {
  return {
      {"noise", "noise", {"4", "6", "9"}, {}},
      {"static", "static-level", {"4", "8", "12"}, {}},
      {"hum", "hum-level", {"10", "20", "40"}, {}},
      {"drift", "dc-offset", {"30", "60", "90"}, {}},
      {"clipping", "clip-level", {"40", "25", "15"}, {}},
      {"misfire", "missing-sparks", {"0.02", "0.05", "0.1"}, {}},
      {"weak", "weak-sparks", {"0.05", "0.1", "0.2"}, {{"weak-level", "0.25"}}},
      {"echo", "echo-ratio", {"0.3", "0.6", "0.9"}, {}},
      {"gain-step", "gain-step-factor", {"0.5", "0.25", "3"}, {{"gain-step-seconds", "2"}}},
      {"idle", "idle-seconds", {"0.5", "1", "2"}, {{"initial-rpm", "1000"}}},
  };
}

const char* OutcomeName(SweepOutcome outcome) {
  switch (outcome) {
    case SweepOutcome::kGood:
      return "good";
    case SweepOutcome::kBorderline:
      return "borderline";
    case SweepOutcome::kBad:
      return "bad";
    case SweepOutcome::kFailed:
      break;
  }
  return "failed";
}

double Share(std::int32_t part, std::int32_t whole) {
  return whole == 0 ? 0.0 : 100.0 * part / whole;
}

}  // namespace

std::vector<SweepCase> ImpairmentSweepCases() {
  std::vector<SweepCase> cases;
  auto addRuns = [&cases](const std::string& impairment, const std::string& level,
                          const std::vector<std::pair<std::string, std::string>>& options) {
    for (std::int32_t rate : {11025, 22050, 44100})
      for (std::uint64_t seed = 1; seed <= kSeeds; ++seed) cases.push_back({impairment, level, rate, seed, options});
  };
  addRuns("clean", "-", {});
  for (const Impairment& impairment : Impairments()) {
    for (const std::string& level : impairment.levels) {
      std::vector<std::pair<std::string, std::string>> options = impairment.fixed;
      options.emplace_back(impairment.option, level);
      addRuns(impairment.name, level, options);
    }
  }
  return cases;
}

std::optional<SynthOptions> SweepOptions(const SweepCase& sweepCase, std::string& error) {
  SynthOptions options;
  options.liftOffSeconds = 1.0;
  options.sampleRate = sweepCase.sampleRate;
  options.seed = sweepCase.seed;
  for (const auto& [name, value] : sweepCase.options)
    if (!SetSynthOption(options, name, value, error)) return std::nullopt;
  error = ValidateSynthOptions(options);
  if (!error.empty()) return std::nullopt;
  return options;
}

SweepOutcome ClassifySweepRun(const std::optional<AccuracyFigures>& figures, bool calculated) {
  if (!calculated || !figures) return SweepOutcome::kFailed;
  const double peak = std::max(std::fabs(figures->horsepower.peakPercent), std::fabs(figures->torque.peakPercent));
  // Torque and power rows err alike: both come from one acceleration.
  const double row = std::fabs(figures->torque.maxPercent);
  if (peak > kBadPeakPercent || !(row <= kBadRowPercent)) return SweepOutcome::kBad;
  return peak <= kGoodPeakPercent ? SweepOutcome::kGood : SweepOutcome::kBorderline;
}

bool Warned(const SweepResult& result) {
  return std::any_of(result.findings.begin(), result.findings.end(),
                     [](const std::string& line) { return line.rfind("warning: ", 0) == 0; });
}

std::string FormatSweepTable(const std::vector<SweepResult>& results) {
  struct Counts {
    std::map<SweepOutcome, std::int32_t> runs, warned;
  };
  Counts all;
  std::vector<std::string> order;
  std::map<std::string, Counts> byImpairment;
  for (const SweepResult& result : results) {
    if (!byImpairment.count(result.run.impairment)) order.push_back(result.run.impairment);
    for (Counts* counts : {&all, &byImpairment[result.run.impairment]}) {
      ++counts->runs[result.outcome];
      if (Warned(result)) ++counts->warned[result.outcome];
    }
  }
  std::string text = FormatText("Impairment sweep: %d runs, default smoothing (curve segments, level 3)\n",
                                static_cast<int>(results.size()));
  text += "outcome       runs  warned  not warned\n";
  for (SweepOutcome outcome :
       {SweepOutcome::kGood, SweepOutcome::kBorderline, SweepOutcome::kBad, SweepOutcome::kFailed}) {
    const std::int32_t runs = all.runs[outcome];
    const std::int32_t warned = all.warned[outcome];
    text += FormatText("%-12s %5d %7d %11d", OutcomeName(outcome), runs, warned, runs - warned);
    if (outcome == SweepOutcome::kGood)
      text += FormatText("   %.1f %% warned (goal: at most 2 %%)", Share(warned, runs));
    if (outcome == SweepOutcome::kBad)
      text += FormatText("   %.1f %% warned (goal: at least 95 %%)", Share(warned, runs));
    text += "\n";
  }
  text += "\nimpairment  good (warned)  borderline (warned)  bad (warned)  failed\n";
  for (const std::string& name : order) {
    Counts& counts = byImpairment[name];
    text += FormatText("%-10s %6d (%3d) %12d (%3d) %8d (%3d) %7d\n", name.c_str(), counts.runs[SweepOutcome::kGood],
                       counts.warned[SweepOutcome::kGood], counts.runs[SweepOutcome::kBorderline],
                       counts.warned[SweepOutcome::kBorderline], counts.runs[SweepOutcome::kBad],
                       counts.warned[SweepOutcome::kBad], counts.runs[SweepOutcome::kFailed]);
  }
  return text;
}

std::string FormatSweepCsv(const std::vector<SweepResult>& results) {
  std::string text =
      "impairment,level,rate,seed,outcome,peak_hp_percent,peak_torque_percent,torque_rms_percent,"
      "torque_max_percent,warned,findings\n";
  for (const SweepResult& result : results) {
    const SweepCase& run = result.run;
    text += FormatText("%s,%s,%d,%d,%s,", run.impairment.c_str(), run.level.c_str(), run.sampleRate,
                       static_cast<int>(run.seed), OutcomeName(result.outcome));
    if (result.figures)
      text +=
          FormatText("%.2f,%.2f,%.2f,%.2f,", result.figures->horsepower.peakPercent, result.figures->torque.peakPercent,
                     result.figures->torque.rmsPercent, result.figures->torque.maxPercent);
    else
      text += ",,,,";
    std::string findings;
    for (const std::string& line : result.findings) findings += (findings.empty() ? "" : " | ") + line;
    std::replace(findings.begin(), findings.end(), '"', '\'');
    text += FormatText("%d,\"%s\"\n", Warned(result) ? 1 : 0, findings.c_str());
  }
  return text;
}

}  // namespace ruvo
