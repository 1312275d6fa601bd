// ruvo-log-sweep: how close power and torque come to the truth when a pull is known only from an
// engine-speed log, as an OBD adapter or a GPS meter writes one. Every case is a ruvo-synth pull of
// one of the accuracy harness's vehicles (clean, lift-off after the run), logged at 5, 10, 20 and 50
// rows a second with the engine speed rounded to 1 rpm, timestamps jittered by up to 3 or 30 ms,
// and (in the held rows) every update repeated on the next row; the log is imported with the run
// document's estimates into a pulse track and calculated with each smoothing method. Each cell
// holds the largest peak error (power or torque) and the largest torque RMS error, in percent, over
// the vehicles and three seeds. Deterministic; scripts/log-sweep builds and runs it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "accuracy_cases.h"
#include "audio/recording_import.h"
#include "scratch_folder.h"
#include "sweep_calculation.h"
#include "synth/synth_run.h"

namespace ruvo {
namespace {

constexpr int kSeeds = 3;
constexpr double kGoalPercent = 2.0;

struct LogShape {
  const char* name;
  double jitterMs;
  std::int32_t hold;
};

// The largest errors of one cell, and how many of its runs were off by more than the goal.
struct Cell {
  int runs = 0, failed = 0, off = 0;
  double worstPeakPercent = 0.0, worstTorqueRms = 0.0;

  void Add(const std::optional<SweepOutcome>& outcome) {
    ++runs;
    if (!outcome) {
      ++failed;
      return;
    }
    const double peak =
        std::max(std::abs(outcome->figures.torque.peakPercent), std::abs(outcome->figures.horsepower.peakPercent));
    off += peak > kGoalPercent ? 1 : 0;
    worstPeakPercent = std::max(worstPeakPercent, peak);
    worstTorqueRms = std::max(worstTorqueRms, outcome->figures.torque.rmsPercent);
  }

  std::string Text() const {
    char text[64];
    if (failed > 0)
      std::snprintf(text, sizeof text, "%d of %d failed", failed, runs);
    else
      std::snprintf(text, sizeof text, "%.2f / %.2f", worstPeakPercent, worstTorqueRms);
    return text;
  }
};

// The vehicles of the accuracy harness, once each.
std::vector<AccuracyCase> Vehicles() {
  std::vector<AccuracyCase> vehicles;
  for (AccuracyCase& run : AccuracyCases())
    if (run.options.sampleRate == 11025 && run.sound == "clean") vehicles.push_back(std::move(run));
  return vehicles;
}

// The run's log imported with its document's estimates; false when the import refused it, warned
// set when it printed a warning.
bool ImportLog(const SynthResult& run, bool& warned) {
  WriteScratchFile("run.log.csv", std::vector<std::uint8_t>(run.loggerCsv.begin(), run.loggerCsv.end()));
  ImportOptions import;
  import.existing = ExistingOutput::kReplace;  // the sweep reuses its names
  import.expectLog = true;
  import.engineSpeedLog.startRpm = run.document.initialRpm;
  import.engineSpeedLog.revsPerPulse = run.document.revsPerIgnition;
  ImportReport report;
  if (!ImportRecording("run.log.csv", "track.wav", import, report)) return false;
  warned = !report.engineSpeedLog->log.warnings.empty();
  return true;
}

void Sweep() {
  const double rates[] = {5.0, 10.0, 20.0, 50.0};
  const LogShape shapes[] = {{"±3 ms", 3.0, 0}, {"±30 ms", 30.0, 0}, {"±3 ms, held 1 row", 3.0, 1}};
  const std::vector<SmoothingChoice> smoothings = SmoothingChoices();
  const std::vector<AccuracyCase> vehicles = Vehicles();
  std::printf(
      "Each cell: largest peak power or torque error %% / largest torque RMS error %%, over %zu vehicles and "
      "%d seeds.\n\n| log | refused | warned |",
      vehicles.size(), kSeeds);
  for (const SmoothingChoice& smoothing : smoothings) std::printf(" %s |", smoothing.label.c_str());
  std::printf("\n|---|---|---|");
  for (std::size_t k = 0; k < smoothings.size(); ++k) std::printf("---|");
  std::printf("\n");
  for (const double rate : rates) {
    for (const LogShape& shape : shapes) {
      std::vector<Cell> cells(smoothings.size());
      int refused = 0, warned = 0, runs = 0;
      for (const AccuracyCase& vehicle : vehicles) {
        for (int seed = 1; seed <= kSeeds; ++seed) {
          SynthOptions options = vehicle.options;
          options.seed = static_cast<std::uint64_t>(seed);
          options.logRateHz = rate;
          options.logJitterMs = shape.jitterMs;
          options.logHold = shape.hold;
          const SynthResult run = SynthesizeRun(options);
          ++runs;
          bool logWarned = false;
          if (!run.ok || !ImportLog(run, logWarned)) {
            ++refused;
            continue;
          }
          warned += logWarned ? 1 : 0;
          for (std::size_t k = 0; k < smoothings.size(); ++k) {
            RunParameters params = run.document;
            params.waveFiles = {"track.wav"};
            params.smoothingMethod = smoothings[k].method;
            params.smoothingLevel = smoothings[k].level;
            cells[k].Add(CalculateAgainstTruth(params, run.truth));
          }
        }
      }
      std::printf("| %.0f Hz, %s | %d/%d | %d/%d |", rate, shape.name, refused, runs, warned, runs);
      for (const Cell& cell : cells) std::printf(" %s |", cell.Text().c_str());
      std::printf("\n");
      std::fflush(stdout);
    }
  }
}

}  // namespace
}  // namespace ruvo

int main() {
  using namespace ruvo;
  ScratchFolder scratch("ruvo-log-sweep");
  if (!scratch.Enter()) {
    std::cerr << "ruvo-log-sweep: could not enter a scratch folder\n";
    return 1;
  }
  Sweep();
  return 0;
}
