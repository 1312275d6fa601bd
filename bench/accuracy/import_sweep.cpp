// ruvo-import-sweep: measures what the import's conditioning does to impaired recordings. Every
// case is a ruvo-synth run written at 16 bits, imported without conditioning, with the default
// conditioning and with the low-pass and band-pass options, then calculated; the table counts runs
// that fail or whose peak power or torque is more than 2 % off the truth. A second table gives the
// largest change of peak power or torque that high-passes of several cut-offs make on the accuracy
// harness's clean runs. Both tables are Markdown. Deterministic; scripts/import-sweep builds and runs it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "accuracy_cases.h"
#include "audio/recording_import.h"
#include "calc/run_calculation.h"
#include "core/analysis_config.h"
#include "scratch_folder.h"
#include "synth/synth_run.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

constexpr int kSeeds = 5;
constexpr double kWrongShare = 0.02;  // peak power or torque further off the truth than this is wrong

struct Peaks {
  double horsepower = 0.0, torque = 0.0;
};

struct Impairment {
  const char* name;
  std::function<void(SynthOptions&)> apply;
};

struct Variant {
  const char* name;
  bool import;  // false: the 8-bit recording as ruvo-synth writes it
  FilterChoice filters;
};

Peaks Largest(const std::vector<double>& horsepower, const std::vector<double>& torque) {
  return {*std::max_element(horsepower.begin(), horsepower.end()), *std::max_element(torque.begin(), torque.end())};
}

// Writes the run's recording (imported when asked) and calculates it; nothing when that fails.
std::optional<Peaks> Calculate(const SynthResult& run, const Variant& variant, const std::string& name) {
  const std::string raw = name + (variant.import ? ".raw.wav" : ".wav");
  std::ofstream(raw, std::ios::binary)
      .write(reinterpret_cast<const char*>(run.wave.data()), static_cast<std::streamsize>(run.wave.size()));
  bool ok = true;
  if (variant.import) {
    ImportOptions options;
    options.conversion.filters = variant.filters;
    options.existing = ExistingOutput::kReplace;  // a sweep run again over its own folder
    ImportReport report;
    ok = ImportRecording(raw, name + ".wav", options, report).ok();
  }
  RunParameters params = run.document;
  params.waveFiles = {name + ".wav"};
  const AnalysisConfig config;
  RunCalculation calculation(params, config);
  ok = ok && calculation.Calculate(".").ok();
  if (!ok) return std::nullopt;
  return Largest(calculation.Results().horsepower, calculation.Results().torque);
}

Peaks TruthPeaks(const SynthResult& run) {
  std::vector<double> horsepower, torque;
  for (const TruthRow& row : run.truth) {
    horsepower.push_back(row.horsepower);
    torque.push_back(row.torqueFtLb);
  }
  return Largest(horsepower, torque);
}

double WorstShare(const Peaks& got, const Peaks& expected) {
  return std::max(std::fabs(got.horsepower / expected.horsepower - 1.0), std::fabs(got.torque / expected.torque - 1.0));
}

void ImpairedRuns(const std::vector<Variant>& variants) {
  const std::vector<Impairment> impairments = {
      {"clean (noise 2)", [](SynthOptions&) {}},
      {"hum 20 steps, 50 Hz", [](SynthOptions& o) { o.humLevel = 20.0; }},
      {"hum 40 steps, 50 Hz", [](SynthOptions& o) { o.humLevel = 40.0; }},
      {"hum 40 steps, 60 Hz", [](SynthOptions& o) { o.humLevel = 40.0, o.humHz = 60.0; }},
      {"hum 80 steps, 60 Hz", [](SynthOptions& o) { o.humLevel = 80.0, o.humHz = 60.0; }},
      {"drift 30 steps", [](SynthOptions& o) { o.dcOffset = 30.0; }},
      {"drift 80 steps", [](SynthOptions& o) { o.dcOffset = 80.0; }},
      {"static 6, below 12 kHz", [](SynthOptions& o) { o.staticLevel = 6.0, o.staticHz = 12000.0; }},
      {"static 10, below 12 kHz", [](SynthOptions& o) { o.staticLevel = 10.0, o.staticHz = 12000.0; }},
      {"static 10, below 2 kHz", [](SynthOptions& o) { o.staticLevel = 10.0, o.staticHz = 2000.0; }},
      {"white noise 9", [](SynthOptions& o) { o.noise = 9.0; }},
      {"gain x2.5 at 2 s, clip 100",
       [](SynthOptions& o) { o.gainStepSeconds = 2.0, o.gainStepFactor = 2.5, o.clipLevel = 100; }},
      {"echo 0.5 after 5 ms", [](SynthOptions& o) { o.echoRatio = 0.5; }},
  };
  std::printf("| %-28s", "runs failing / >2 % wrong");
  for (const Variant& variant : variants) std::printf(" | %-17s", variant.name);
  std::printf(" |\n|---");
  for (std::size_t k = 0; k < variants.size(); ++k) std::printf("|---");
  std::printf("|\n");
  for (const Impairment& impairment : impairments) {
    std::printf("| %-28s", impairment.name);
    for (const Variant& variant : variants) {
      int failing = 0, wrong = 0;
      for (int seed = 1; seed <= kSeeds; ++seed) {
        SynthOptions options;
        options.seed = static_cast<std::uint64_t>(seed);
        impairment.apply(options);
        options.bits = variant.import ? 16 : 8;
        const SynthResult run = SynthesizeRun(options);
        const std::optional<Peaks> got = Calculate(run, variant, "impaired");
        failing += !got;
        wrong += got && WorstShare(*got, TruthPeaks(run)) > kWrongShare;
      }
      std::printf(" | %d fail, %d off    ", failing, wrong);
    }
    std::printf(" |\n");
  }
}

void CleanRuns(const Variant& plain, const std::vector<Variant>& conditioned) {
  std::printf("\n| %-28s", "clean run: largest change");
  for (const Variant& variant : conditioned) std::printf(" | %-17s", variant.name);
  std::printf(" |\n|---");
  for (std::size_t k = 0; k < conditioned.size(); ++k) std::printf("|---");
  std::printf("|\n");
  std::vector<double> worst(conditioned.size(), 0.0);
  for (AccuracyCase& accuracyCase : AccuracyCases()) {
    if (accuracyCase.sound != "clean") continue;
    accuracyCase.options.bits = 16;
    const SynthResult run = SynthesizeRun(accuracyCase.options);
    const std::optional<Peaks> before = Calculate(run, plain, "clean");
    std::printf("| %-28s", accuracyCase.name.c_str());
    for (std::size_t k = 0; k < conditioned.size(); ++k) {
      const std::optional<Peaks> after = Calculate(run, conditioned[k], "clean");
      if (!before || !after) {
        std::printf(" | %-17s", "failed");
        continue;
      }
      const double change = WorstShare(*after, *before);
      worst[k] = std::max(worst[k], change);
      std::printf(" | %15.3f %%", 100.0 * change);
    }
    std::printf(" |\n");
  }
  std::printf("| %-28s", "largest");
  for (double change : worst) std::printf(" | %15.3f %%", 100.0 * change);
  std::printf(" |\n");
}

}  // namespace
}  // namespace ruvo

int main() {
  using namespace ruvo;
  ScratchFolder scratch("ruvo-import-sweep");
  if (!scratch.Enter()) {
    std::cerr << "ruvo-import-sweep: could not enter a scratch folder\n";
    return 1;
  }
  const Variant original{"8-bit original", false, {}};
  const Variant unconditioned{"import, no filter", true, {false, 0.0, 0.0}};
  const Variant conditioned{"import, default", true, {}};
  const Variant hp250{"high-pass 250 Hz", true, {false, 250.0, 0.0}};
  const Variant hp300{"high-pass 300 Hz", true, {false, 300.0, 0.0}};
  const Variant hp500{"high-pass 500 Hz", true, {false, 500.0, 0.0}};
  const Variant hp700{"high-pass 700 Hz", true, {false, 700.0, 0.0}};
  const Variant lowPass{"+ low-pass 4 kHz", true, {false, kDefaultHighPassHz, 4000.0}};
  const Variant bandPass{"band-pass 2-8 kHz", true, {false, 2000.0, 8000.0}};
  ImpairedRuns({original, unconditioned, hp250, conditioned, hp700, lowPass, bandPass});
  CleanRuns(unconditioned, {hp250, hp300, conditioned, hp500, hp700});
  return 0;
}
