// ruvo-accuracy OUTPUT_FOLDER: calculates every synthetic run of the harness with every smoothing
// method, compares the recovered torque and horsepower with the truth, prints the table and the
// per-method summary and writes accuracy.csv, accuracy.txt and one plots/RUN.dat per run into
// OUTPUT_FOLDER (scripts/accuracy turns those into PNGs). Then calculates the impairment sweep and
// counts, by outcome, the runs whose checks warned (sweep.txt, sweep.csv). accuracy.md and sweep.md
// hold the summaries as Markdown tables, which scripts/accuracy puts into docs/accuracy.md.
// ruvo-accuracy --write-runs FOLDER: writes those runs' documents and recordings instead, for
// comparing two builds' programs on them (scripts/golden).
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "accuracy_cases.h"
#include "accuracy_report.h"
#include "calc/run_calculation.h"
#include "core/analysis_config.h"
#include "core/text_format.h"
#include "harness_runs.h"
#include "impairment_sweep.h"
#include "scratch_folder.h"
#include "synth/synth_run.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

bool WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (out.fail()) std::cerr << "ruvo-accuracy: could not write " << path.string() << "\n";
  return !out.fail();
}

std::vector<PowerRow> RecoveredRows(const CalculationResults& results) {
  std::vector<PowerRow> rows;
  for (std::size_t k = 0; k < results.rpm.size(); ++k)
    rows.push_back({results.rpm[k], results.torque[k], results.horsepower[k]});
  return rows;
}

bool AnyWarning(const std::vector<RunFinding>& findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const RunFinding& finding) { return finding.severity == FindingSeverity::kWarning; });
}

// Calculates params; true on success, with the calculation's messages joined by "; ".
bool CalculateQuietly(RunCalculation& calculation, std::string& messages) {
  const Outcome outcome = calculation.Calculate(".");
  for (const std::string& text : outcome.messages()) messages += (messages.empty() ? "" : "; ") + text;
  return outcome.ok();
}

std::vector<PowerRow> TruthRows(const SynthResult& run) {
  std::vector<PowerRow> rows;
  for (const TruthRow& row : run.truth) rows.push_back({row.rpm, row.torqueFtLb, row.horsepower});
  return rows;
}

// Calculates one run with every smoothing choice; adds a result per choice and the run's curves.
struct WarningCounts {
  std::int32_t warned = 0;  // calculations whose checks warned
  std::int32_t good = 0;    // calculations as good as the impairment sweep's good runs
  std::int32_t goodWarned = 0;
};

void MeasureCase(const AccuracyCase& accuracyCase,
                 const ScratchFolder& scratch,
                 std::vector<AccuracyResult>& results,
                 std::vector<PlotCurve>& curves,
                 WarningCounts& warnings) {
  const SynthResult run = SynthesizeRun(accuracyCase.options);
  const std::string written = run.ok ? scratch.WriteRun(run, accuracyCase.name) : std::string();
  RunParameters params = run.document;
  params.waveFiles = {accuracyCase.name + ".wav"};
  const AnalysisConfig config;
  curves = {{"truth", TruthRows(run)}};

  for (const SmoothingChoice& choice : SmoothingChoices()) {
    AccuracyResult result{accuracyCase.name, accuracyCase.sound, choice.name, std::nullopt, {}};
    if (!run.ok || written.empty()) {
      result.failure = run.ok ? "could not write the recording" : "synthesis failed: " + run.error;
      results.push_back(result);
      continue;
    }
    params.smoothingMethod = choice.method;
    params.smoothingLevel = choice.level;
    RunCalculation calculation(params, config);
    std::string messages;
    const bool calculated = CalculateQuietly(calculation, messages);
    const bool warned = AnyWarning(calculation.Findings());
    if (calculated) {
      const std::vector<PowerRow> rows = RecoveredRows(calculation.Results());
      result.figures = CompareWithTruth(rows, run.truth);
      if (!result.figures) result.failure = "no result row lies within the true curve's rpm span";
      curves.push_back({choice.name, rows});
    } else {
      result.failure = messages.empty() ? "the calculation failed without a message" : messages;
    }
    const bool good = ClassifySweepRun(result.figures, calculated) == SweepOutcome::kGood;
    warnings.warned += warned ? 1 : 0;
    warnings.good += good ? 1 : 0;
    warnings.goodWarned += good && warned ? 1 : 0;
    results.push_back(result);
  }
}

SweepResult MeasureSweepRun(const SweepCase& sweepCase, const ScratchFolder& scratch) {
  SweepResult result{sweepCase, SweepOutcome::kFailed, std::nullopt, {}};
  std::string error;
  const std::optional<SynthOptions> options = SweepOptions(sweepCase, error);
  if (!options) {
    result.findings.push_back("not synthesized: " + error);
    return result;
  }
  const SynthResult run = SynthesizeRun(*options);
  if (!run.ok || scratch.WriteRun(run, "sweep").empty()) {
    result.findings.push_back("not synthesized: " + run.error);
    return result;
  }
  RunParameters params = run.document;
  params.waveFiles = {"sweep.wav"};
  const AnalysisConfig config;
  RunCalculation calculation(params, config);
  std::string messages;
  const bool calculated = CalculateQuietly(calculation, messages);
  if (calculated) result.figures = CompareWithTruth(RecoveredRows(calculation.Results()), run.truth);
  result.outcome = ClassifySweepRun(result.figures, calculated);
  for (const RunFinding& finding : calculation.Findings()) result.findings.push_back(FindingLine(finding));
  return result;
}

int Run(const fs::path& output) {
  std::error_code error;
  const fs::path outputFolder = fs::absolute(output, error);
  fs::create_directories(outputFolder / "plots", error);
  ScratchFolder scratch("ruvo-accuracy");
  if (error || !scratch.ok()) {
    std::cerr << "ruvo-accuracy: could not create " << (outputFolder / "plots").string() << " or a scratch folder\n";
    return 1;
  }
  fs::current_path(scratch.Path(), error);  // each calculation writes ruvo.log into the working directory
  if (error) {
    std::cerr << "ruvo-accuracy: could not enter " << scratch.Path().string() << "\n";
    return 1;
  }

  std::vector<AccuracyResult> results;
  WarningCounts warnings;
  for (const AccuracyCase& accuracyCase : AccuracyCases()) {
    std::vector<PlotCurve> curves;
    MeasureCase(accuracyCase, scratch, results, curves, warnings);
    const bool hasTruth = !curves.front().rows.empty();  // a run that failed to synthesize has no plot
    if (hasTruth && !WriteText(outputFolder / "plots" / (accuracyCase.name + ".dat"), FormatPlotData(curves))) return 1;
    std::cerr << "ruvo-accuracy: " << accuracyCase.name << " done\n";
  }

  const std::string report =
      FormatAccuracyTable(results) + "\n" + FormatAccuracySummary(results) +
      FormatText(
          "\nCalculations whose checks warned: %d of %d; of the %d good ones (both peaks within 2 %%, every "
          "row within 10 %% of the truth): %d\n",
          warnings.warned, static_cast<int>(results.size()), warnings.good, warnings.goodWarned);
  std::cout << report;
  if (!WriteText(outputFolder / "accuracy.txt", report)) return 1;
  if (!WriteText(outputFolder / "accuracy.csv", FormatAccuracyCsv(results))) return 1;
  const std::string markdown =
      FormatAccuracySummaryMarkdown(results) +
      FormatText(
          "\nThe checks warn on %d of the %d calculations, and on %d of the %d good ones (both peaks within "
          "2 %%, every row within 10 %% of the truth).\n",
          warnings.warned, static_cast<int>(results.size()), warnings.goodWarned, warnings.good);
  if (!WriteText(outputFolder / "accuracy.md", markdown)) return 1;

  std::vector<SweepResult> sweep;
  for (const SweepCase& sweepCase : ImpairmentSweepCases()) sweep.push_back(MeasureSweepRun(sweepCase, scratch));
  const std::string sweepReport = FormatSweepTable(sweep);
  std::cout << "\n" << sweepReport;
  if (!WriteText(outputFolder / "sweep.txt", sweepReport)) return 1;
  if (!WriteText(outputFolder / "sweep.md", FormatSweepMarkdown(sweep))) return 1;
  return WriteText(outputFolder / "sweep.csv", FormatSweepCsv(sweep)) ? 0 : 1;
}

}  // namespace
}  // namespace ruvo

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write-runs")
    return ruvo::WriteHarnessRuns(argv[2], std::cerr) == 0 ? 0 : 1;
  if (argc != 2) {
    std::cerr << "Usage: ruvo-accuracy OUTPUT_FOLDER\n       ruvo-accuracy --write-runs FOLDER\n";
    return 2;
  }
  return ruvo::Run(argv[1]);
}
