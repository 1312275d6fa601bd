#include "impairment_sweep.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "accuracy_report.h"
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

constexpr SweepOutcome kOutcomes[] = {SweepOutcome::kGood, SweepOutcome::kBorderline, SweepOutcome::kBad,
                                      SweepOutcome::kFailed};

// Runs by outcome, and those of them whose checks warned; every outcome present.
struct OutcomeCounts {
  std::map<SweepOutcome, std::int32_t> runs, warned;

  OutcomeCounts() {
    for (SweepOutcome outcome : kOutcomes) runs[outcome] = warned[outcome] = 0;
  }
};

struct ImpairmentCounts {
  std::string name;
  std::string levelOption;  // empty for the clean runs
  std::vector<std::string> levels;
  std::vector<std::pair<std::string, std::string>> fixed;  // the options every level shares
  OutcomeCounts counts;

  // As typed on ruvo-synth's command line: "--weak-sparks 0.05 / 0.1 / 0.2 --weak-level 0.25".
  std::string Options() const {
    if (levelOption.empty()) return {};
    std::string text = "--" + levelOption + " ";
    for (const std::string& level : levels) text += (&level == &levels.front() ? "" : " / ") + level;
    for (const auto& [option, value] : fixed) text += " --" + option + " " + value;
    return text;
  }
};

struct SweepCounts {
  OutcomeCounts all;
  std::vector<ImpairmentCounts> byImpairment;  // in order of first appearance
};

SweepCounts CountSweep(const std::vector<SweepResult>& results) {
  SweepCounts counts;
  for (const SweepResult& result : results) {
    const SweepCase& run = result.run;
    auto impairment = std::find_if(counts.byImpairment.begin(), counts.byImpairment.end(),
                                   [&run](const ImpairmentCounts& entry) { return entry.name == run.impairment; });
    if (impairment == counts.byImpairment.end()) {
      impairment = counts.byImpairment.insert(counts.byImpairment.end(), {run.impairment, {}, {}, {}, {}});
      if (!run.options.empty()) {  // the level option comes last
        impairment->levelOption = run.options.back().first;
        impairment->fixed.assign(run.options.begin(), run.options.end() - 1);
      }
    }
    std::vector<std::string>& levels = impairment->levels;
    if (!impairment->levelOption.empty() && std::find(levels.begin(), levels.end(), run.level) == levels.end())
      levels.push_back(run.level);
    for (OutcomeCounts* outcomes : {&counts.all, &impairment->counts}) {
      ++outcomes->runs[result.outcome];
      if (Warned(result)) ++outcomes->warned[result.outcome];
    }
  }
  return counts;
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
  const SweepCounts counts = CountSweep(results);
  std::string text = FormatText("Impairment sweep: %d runs, default smoothing (curve segments, level 3)\n",
                                static_cast<int>(results.size()));
  text += "outcome       runs  warned  not warned\n";
  for (SweepOutcome outcome : kOutcomes) {
    const std::int32_t runs = counts.all.runs.at(outcome);
    const std::int32_t warned = counts.all.warned.at(outcome);
    text += FormatText("%-12s %5d %7d %11d", OutcomeName(outcome), runs, warned, runs - warned);
    if (outcome == SweepOutcome::kGood)
      text += FormatText("   %.1f %% warned (goal: at most 2 %%)", Share(warned, runs));
    if (outcome == SweepOutcome::kBad)
      text += FormatText("   %.1f %% warned (goal: at least 95 %%)", Share(warned, runs));
    text += "\n";
  }
  text += "\nimpairment  good (warned)  borderline (warned)  bad (warned)  failed\n";
  for (const ImpairmentCounts& impairment : counts.byImpairment) {
    const OutcomeCounts& c = impairment.counts;
    text += FormatText(
        "%-10s %6d (%3d) %12d (%3d) %8d (%3d) %7d\n", impairment.name.c_str(), c.runs.at(SweepOutcome::kGood),
        c.warned.at(SweepOutcome::kGood), c.runs.at(SweepOutcome::kBorderline), c.warned.at(SweepOutcome::kBorderline),
        c.runs.at(SweepOutcome::kBad), c.warned.at(SweepOutcome::kBad), c.runs.at(SweepOutcome::kFailed));
  }
  return text;
}

std::string FormatSweepMarkdown(const std::vector<SweepResult>& results) {
  const SweepCounts counts = CountSweep(results);
  std::string text = FormatText("All %d runs by outcome:\n\n", static_cast<int>(results.size()));
  text += "| outcome | runs | warned | not warned |\n|---|---|---|---|\n";
  for (SweepOutcome outcome : kOutcomes) {
    const std::int32_t runs = counts.all.runs.at(outcome);
    const std::int32_t warned = counts.all.warned.at(outcome);
    text += FormatText("| %s | %d | ", OutcomeName(outcome), runs);
    if (outcome == SweepOutcome::kFailed)  // stopped with its message: the checks have nothing to judge
      text += FormatText("- | %d |\n", runs);
    else if (outcome == SweepOutcome::kBorderline)
      text += FormatText("%d | %d |\n", warned, runs - warned);
    else
      text += FormatText("%d (%s %%) | %d |\n", warned, ShortFigure(Share(warned, runs)).c_str(), runs - warned);
  }

  text += "\n| impairment, ruvo-synth options | good (warned) | borderline (warned) | bad (warned) | failed |\n";
  text += "|---|---|---|---|---|\n";
  for (const ImpairmentCounts& impairment : counts.byImpairment) {
    const std::string options = impairment.Options();
    text += "| " + impairment.name + (options.empty() ? "" : ", `" + options + "`") + " |";
    const OutcomeCounts& c = impairment.counts;
    for (SweepOutcome outcome : {SweepOutcome::kGood, SweepOutcome::kBorderline, SweepOutcome::kBad}) {
      const std::int32_t runs = c.runs.at(outcome);
      text += runs == 0 ? std::string(" 0 |") : FormatText(" %d (%d) |", runs, c.warned.at(outcome));
    }
    text += FormatText(" %d |\n", c.runs.at(SweepOutcome::kFailed));
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
