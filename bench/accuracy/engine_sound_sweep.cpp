// ruvo-engine-sound-sweep: how close power and torque come to the truth when a pull is recorded as
// engine sound rather than as ignition clicks. Every case is a ruvo-synth pull rendered both ways;
// the engine sound (16 bits) is imported with the document's estimates into a pulse track and
// calculated, the clicks are calculated as they are. For each engine and microphone, and each noise
// level, over three rates and five seeds: runs refused at import, runs that calculated with a
// warning, runs silently more than 5 % off, and the largest peak and torque RMS errors of the
// rest, as a Markdown table. Deterministic; scripts/engine-sound-sweep builds and runs it.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "accuracy_metrics.h"
#include "audio/recording_import.h"
#include "scratch_folder.h"
#include "sweep_calculation.h"
#include "synth/synth_run.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

constexpr int kSeeds = 5;
constexpr double kSilentlyWrongPercent = 5.0;

struct Engine {
  const char* name;
  std::int32_t cylinders, strokes;
};

using Outcome = SweepOutcome;

// Tallies of one table cell.
struct Cell {
  int runs = 0, refused = 0, failed = 0, warned = 0, silentlyWrong = 0;
  double worstPeakPercent = 0.0, worstTorqueRms = 0.0;

  void Add(const std::optional<Outcome>& outcome, bool importRefused) {
    ++runs;
    if (importRefused) {
      ++refused;
      return;
    }
    if (!outcome) {
      ++failed;
      return;
    }
    const QuantityError& torque = outcome->figures.torque;
    const double peak = std::max(std::abs(torque.peakPercent), std::abs(outcome->figures.horsepower.peakPercent));
    if (outcome->warned) ++warned;
    if (!outcome->warned && std::max(peak, torque.rmsPercent) > kSilentlyWrongPercent) ++silentlyWrong;
    worstPeakPercent = std::max(worstPeakPercent, peak);
    worstTorqueRms = std::max(worstTorqueRms, torque.rmsPercent);
  }

  // "0.83 %, 2.20 %, 0", then the runs refused, failed or warned when there are any.
  std::string Text() const {
    char text[160];
    int length =
        std::snprintf(text, sizeof text, "%.2f %%, %.2f %%, %d", worstPeakPercent, worstTorqueRms, silentlyWrong);
    const int counts[] = {refused, failed, warned};
    const char* const names[] = {"refused", "failed", "warned"};
    for (int k = 0; k < 3; ++k)
      if (counts[k] > 0)
        length += std::snprintf(text + length, sizeof text - static_cast<std::size_t>(length), "; %d of %d %s",
                                counts[k], runs, names[k]);
    return text;
  }
};

// Calculates the run's document with wavePath as its recording and compares with the run's truth.
std::optional<Outcome> CalculateRecording(const SynthResult& run, const std::string& wavePath) {
  RunParameters params = run.document;
  params.waveFiles = {wavePath};
  return CalculateAgainstTruth(params, run.truth);
}

// The engine sound of run imported into a pulse track with the document's estimates, and calculated;
// refused says the import failed.
std::optional<Outcome> CalculateEngineSound(const SynthResult& run, const SynthOptions& options, bool& refused) {
  WriteScratchFile("engine.wav", run.wave);
  EngineSoundOptions sound;
  sound.tracker.cylinders = options.cylinders;
  sound.tracker.strokes = options.strokes;
  TakeDocumentEstimates(run.document, false, false, sound);
  ImportOptions import;
  import.engineSound = sound;
  import.existing = ExistingOutput::kReplace;  // the sweep reuses its names
  ImportReport report;
  refused = !ImportRecording("engine.wav", "track.wav", import, report);
  if (refused) return std::nullopt;
  return CalculateRecording(run, "track.wav");
}

std::optional<Outcome> CalculateClicks(SynthOptions options) {
  const SynthOptions clicks;  // the engine's own options back at their defaults
  options.sound = clicks.sound;
  options.cylinders = clicks.cylinders;
  options.strokes = clicks.strokes;
  options.mic = clicks.mic;
  const SynthResult run = SynthesizeRun(options);
  if (!run.ok) return std::nullopt;
  WriteScratchFile("clicks.wav", run.wave);
  return CalculateRecording(run, "clicks.wav");
}

void Sweep() {
  const Engine engines[] = {{"3 cylinders", 3, 4},
                            {"4 cylinders", 4, 4},
                            {"6 cylinders", 6, 4},
                            {"8 cylinders", 8, 4},
                            {"2 cylinders, 2-stroke", 2, 2}};
  const char* const mics[] = {"cabin", "exhaust"};
  const double noises[] = {2.0, 6.0, 12.0};
  const std::int32_t rates[] = {22050, 44100, 48000};
  std::printf(
      "Each cell, over %zu rates and %d seeds: the largest peak power or torque error, the largest torque RMS error "
      "(of the runs that calculated) and the runs more than %.0f %% off without a warning; then any runs refused at "
      "import, failed or warned.\n\n",
      std::size(rates), kSeeds, kSilentlyWrongPercent);
  std::printf("| engine | microphone |");
  for (const double noise : noises) std::printf(" noise %.0f |", noise);
  std::printf(" the same pulls as clicks |\n|---|---|");
  for (std::size_t k = 0; k <= std::size(noises); ++k) std::printf("---|");
  std::printf("\n");
  for (const Engine& engine : engines) {
    for (const char* mic : mics) {
      std::printf("| %s | %s |", engine.name, mic);
      Cell clicks;
      for (const double noise : noises) {
        Cell cell;
        for (const std::int32_t rate : rates) {
          for (int seed = 1; seed <= kSeeds; ++seed) {
            SynthOptions options;
            options.sound = "engine";
            options.cylinders = engine.cylinders;
            options.strokes = engine.strokes;
            options.mic = mic;
            options.noise = noise;
            options.sampleRate = rate;
            options.seed = static_cast<std::uint64_t>(seed);
            options.idleSeconds = 1.0;
            options.liftOffSeconds = 0.5;
            const SynthResult run = SynthesizeRun(options);
            bool refused = !run.ok;
            const std::optional<Outcome> outcome = run.ok ? CalculateEngineSound(run, options, refused) : std::nullopt;
            cell.Add(outcome, refused);
            if (noise == noises[0]) clicks.Add(CalculateClicks(options), false);
          }
        }
        std::printf(" %s |", cell.Text().c_str());
      }
      std::printf(" %s |\n", clicks.Text().c_str());
      std::fflush(stdout);
    }
  }
}

}  // namespace
}  // namespace ruvo

int main() {
  using namespace ruvo;
  ScratchFolder scratch("ruvo-engine-sound-sweep");
  if (!scratch.Enter()) {
    std::cerr << "ruvo-engine-sound-sweep: could not enter a scratch folder\n";
    return 1;
  }
  Sweep();
  return 0;
}
