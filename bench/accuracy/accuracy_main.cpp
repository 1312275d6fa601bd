// ruvo-accuracy OUTPUT_FOLDER: calculates every synthetic run of the harness with every smoothing
// method, compares the recovered torque and horsepower with the truth, prints the table and the
// per-method summary and writes accuracy.csv, accuracy.txt and one plots/RUN.dat per run into
// OUTPUT_FOLDER (scripts/accuracy turns those into PNGs).
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
#include "core/message.h"
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

std::vector<PowerRow> TruthRows(const SynthResult& run) {
  std::vector<PowerRow> rows;
  for (const TruthRow& row : run.truth) rows.push_back({row.rpm, row.torqueFtLb, row.horsepower});
  return rows;
}

// Calculates one run with every smoothing choice; adds a result per choice and the run's curves.
void MeasureCase(const AccuracyCase& accuracyCase,
                 const ScratchFolder& scratch,
                 std::vector<AccuracyResult>& results,
                 std::vector<PlotCurve>& curves) {
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
    const MessageHandler previous =
        SetMessageHandler([&messages](const std::string& text) { messages += (messages.empty() ? "" : "; ") + text; });
    const bool calculated = calculation.Calculate() != 0;
    SetMessageHandler(previous);
    if (calculated) {
      const std::vector<PowerRow> rows = RecoveredRows(calculation.Results());
      result.figures = CompareWithTruth(rows, run.truth);
      if (!result.figures) result.failure = "no result row lies within the true curve's rpm span";
      curves.push_back({choice.name, rows});
    } else {
      result.failure = messages.empty() ? "the calculation failed without a message" : messages;
    }
    results.push_back(result);
  }
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
  for (const AccuracyCase& accuracyCase : AccuracyCases()) {
    std::vector<PlotCurve> curves;
    MeasureCase(accuracyCase, scratch, results, curves);
    const bool hasTruth = !curves.front().rows.empty();  // a run that failed to synthesize has no plot
    if (hasTruth && !WriteText(outputFolder / "plots" / (accuracyCase.name + ".dat"), FormatPlotData(curves))) return 1;
    std::cerr << "ruvo-accuracy: " << accuracyCase.name << " done\n";
  }

  const std::string report = FormatAccuracyTable(results) + "\n" + FormatAccuracySummary(results);
  std::cout << report;
  if (!WriteText(outputFolder / "accuracy.txt", report)) return 1;
  return WriteText(outputFolder / "accuracy.csv", FormatAccuracyCsv(results)) ? 0 : 1;
}

}  // namespace
}  // namespace ruvo

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "Usage: ruvo-accuracy OUTPUT_FOLDER\n";
    return 2;
  }
  return ruvo::Run(argv[1]);
}
