// ruvo-import-sweep: measures what the import's conditioning does to impaired recordings. Every
// case is a ruvo-synth run at one sample rate (and, in the second table, one ring of the clicks),
// calculated as the 8-bit original ruvo-synth writes, and written at 16 bits then imported with the
// default conditioning and with a few fixed band-passes, then calculated; each cell counts the runs
// that fail, that are more than 2 % off the true peak power or torque, and that are within 2 %. A
// third table gives the largest change of peak power or torque that the default import and a
// 400 Hz high-pass make on the accuracy harness's clean runs against the import without a filter.
// Last, the goals of the default import, each computed from the runs and marked met or missed.
// Output is Markdown, its parts separated by blank lines. Deterministic; scripts/import-sweep
// builds and runs it. Exits 0 whether the goals are met or not.
#include <algorithm>
#include <cmath>
#include <cstdio>
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
#include "core/text_format.h"
#include "scratch_folder.h"
#include "synth/synth_run.h"

namespace ruvo {
namespace {

constexpr int kSeeds = 5;
constexpr double kWrongShare = 0.02;        // peak power or torque further off the truth than this is wrong
constexpr double kHighestEdgeShare = 0.45;  // a band's upper edge, capped below half the sample rate
constexpr double kCleanChangeGoal = 0.001;  // the default import may move a clean run's peaks this much
constexpr double kNoiseGoalShare = 0.8;     // of the noise 9 and 12 runs within 2 % after the default import
constexpr double kStaticGoalShare = 0.5;    // of the static 9 runs within 2 % after the default import
constexpr std::int32_t kRingRate = 48000;   // the highest rate ruvo-synth writes: rings up to 8 kHz

struct Peaks {
  double horsepower = 0.0, torque = 0.0;
};

struct Impairment {
  const char* name;
  std::function<void(SynthOptions&)> apply;
};

// How a run's recording reaches the calculation.
struct Variant {
  std::string name;
  bool import = false;                  // false: the 8-bit recording as ruvo-synth writes it
  std::optional<FilterChoice> filters;  // empty: the import's own default conditioning
};

// Runs the default import did worse on than the 8-bit original: "white noise 12, 11025 Hz, seed 3".
struct Losses {
  std::vector<std::string> failing;   // failing after the import; the original calculated
  std::vector<std::string> worsened;  // not within kWrongShare after the import; the original was
};

// Runs that fail, are off the truth by more than kWrongShare, or are within it.
struct Counts {
  int failing = 0, off = 0, within = 0;
};

// One row of a table: the same runs reaching the calculation three ways.
struct Row {
  Counts original, conditioned, band;
  std::string bandName;
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
    if (variant.filters) options.conversion.filters = *variant.filters;
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

void Count(Counts& counts, const std::optional<Peaks>& got, const Peaks& truth) {
  if (!got)
    ++counts.failing;
  else if (WorstShare(*got, truth) > kWrongShare)
    ++counts.off;
  else
    ++counts.within;
}

std::string KilohertzText(double hz) {
  return FormatText("%.3g", hz / 1000.0);
}

// The fixed band-passes at a rate, their upper edges capped below half of it; a band whose lower
// edge reaches the cap is left out.
std::vector<Variant> FixedBands(std::int32_t rate) {
  const FilterChoice nominal[] = {
      {false, 1000.0, 4000.0}, {false, 2000.0, 8000.0}, {false, 3000.0, 6000.0}, {false, 4000.0, 8000.0}};
  std::vector<Variant> bands;
  for (FilterChoice band : nominal) {
    band.lowPassHz = std::min(band.lowPassHz, kHighestEdgeShare * rate);
    if (band.highPassHz >= band.lowPassHz) continue;
    bands.push_back({KilohertzText(band.highPassHz) + "-" + KilohertzText(band.lowPassHz) + " kHz", true, band});
  }
  return bands;
}

// More runs within 2 %, then fewer failing, then the earlier band.
bool Better(const Counts& a, const Counts& b) {
  return a.within != b.within ? a.within > b.within : a.failing < b.failing;
}

// Five seeds of options (with one impairment applied) reaching the calculation as the 8-bit
// original, through the default import and through each fixed band; the best band is kept. A
// run the default import made fail while its original calculated, or put off the truth while its
// original came within it, is added to losses.
Row MeasureRow(const SynthOptions& base, const Impairment& impairment, const std::string& where, Losses& losses) {
  const Variant original{"8-bit original", false, std::nullopt};
  const Variant conditioned{"default import", true, std::nullopt};
  const std::vector<Variant> bands = FixedBands(base.sampleRate);
  Row row;
  std::vector<Counts> bandCounts(bands.size());
  for (int seed = 1; seed <= kSeeds; ++seed) {
    SynthOptions options = base;
    options.seed = static_cast<std::uint64_t>(seed);
    impairment.apply(options);
    options.bits = 8;
    const SynthResult coarse = SynthesizeRun(options);
    options.bits = 16;
    const SynthResult fine = SynthesizeRun(options);
    const Peaks truth = TruthPeaks(fine);
    const std::optional<Peaks> fromOriginal = Calculate(coarse, original, "impaired");
    const std::optional<Peaks> fromImport = Calculate(fine, conditioned, "impaired");
    Count(row.original, fromOriginal, truth);
    Count(row.conditioned, fromImport, truth);
    const std::string run = FormatText("%s, %s, seed %d", impairment.name, where.c_str(), seed);
    if (fromOriginal && !fromImport)
      losses.failing.push_back(
          FormatText("%s (the original %.0f %% off)", run.c_str(), 100.0 * WorstShare(*fromOriginal, truth)));
    if (fromOriginal && WorstShare(*fromOriginal, truth) <= kWrongShare &&
        !(fromImport && WorstShare(*fromImport, truth) <= kWrongShare))
      losses.worsened.push_back(run);
    for (std::size_t k = 0; k < bands.size(); ++k) Count(bandCounts[k], Calculate(fine, bands[k], "impaired"), truth);
  }
  for (std::size_t k = 0; k < bands.size(); ++k) {
    if (row.bandName.empty() || Better(bandCounts[k], row.band)) {
      row.band = bandCounts[k];
      row.bandName = bands[k].name;
    }
  }
  return row;
}

std::string CountsText(const Counts& counts) {
  return FormatText("%d / %d / %d", counts.failing, counts.off, counts.within);
}

void PrintRow(const std::string& first, const std::string& second, const Row& row) {
  std::printf("| %-26s | %-14s | %-14s | %-14s | %-25s |\n", first.c_str(), second.c_str(),
              CountsText(row.original).c_str(), CountsText(row.conditioned).c_str(),
              (CountsText(row.band) + " (" + row.bandName + ")").c_str());
}

void PrintHeader(const std::string& first, const std::string& second) {
  std::printf("| %-26s | %-14s | %-14s | %-14s | %-25s |\n|---|---|---|---|---|\n", first.c_str(), second.c_str(),
              "8-bit original", "default import", "best fixed band");
}

// The goals computed from the impairment table's rows.
struct GoalRuns {
  int noiseWithin = 0, noiseRuns = 0;    // noise 9 and 12 at 22050 and 44100 Hz, default import
  int staticWithin = 0, staticRuns = 0;  // static 9 at 22050 and 44100 Hz, default import
};

GoalRuns ImpairedRuns(Losses& losses) {
  const std::vector<Impairment> impairments = {
      {"clean (noise 2)", [](SynthOptions&) {}},
      {"white noise 6", [](SynthOptions& o) { o.noise = 6.0; }},
      {"white noise 9", [](SynthOptions& o) { o.noise = 9.0; }},
      {"white noise 12", [](SynthOptions& o) { o.noise = 12.0; }},
      {"white noise 15", [](SynthOptions& o) { o.noise = 15.0; }},
      {"static 6, below 3 kHz", [](SynthOptions& o) { o.staticLevel = 6.0, o.staticHz = 3000.0; }},
      {"static 9, below 3 kHz", [](SynthOptions& o) { o.staticLevel = 9.0, o.staticHz = 3000.0; }},
      {"static 12, below 3 kHz", [](SynthOptions& o) { o.staticLevel = 12.0, o.staticHz = 3000.0; }},
      {"hum 40 steps, 50 Hz", [](SynthOptions& o) { o.humLevel = 40.0; }},
      {"drift 80 steps", [](SynthOptions& o) { o.dcOffset = 80.0; }},
      {"gain x2.5 at 2 s, clip 100",
       [](SynthOptions& o) { o.gainStepSeconds = 2.0, o.gainStepFactor = 2.5, o.clipLevel = 100; }},
      {"echo 0.5 after 5 ms", [](SynthOptions& o) { o.echoRatio = 0.5; }},
  };
  const std::int32_t rates[] = {11025, 22050, 44100};
  GoalRuns goals;
  PrintHeader("impairment", "sample rate");
  for (const Impairment& impairment : impairments) {
    for (std::int32_t rate : rates) {
      SynthOptions options;
      options.sampleRate = rate;
      const std::string where = FormatText("%d Hz", rate);
      const Row row = MeasureRow(options, impairment, where, losses);
      PrintRow(impairment.name, where, row);
      if (rate < 22050) continue;
      const std::string name = impairment.name;
      if (name == "white noise 9" || name == "white noise 12") {
        goals.noiseWithin += row.conditioned.within;
        goals.noiseRuns += kSeeds;
      } else if (name == "static 9, below 3 kHz") {
        goals.staticWithin += row.conditioned.within;
        goals.staticRuns += kSeeds;
      }
    }
  }
  std::printf("\n");
  return goals;
}

void RingRuns(Losses& losses) {
  const std::vector<Impairment> sounds = {
      {"clean (noise 2)", [](SynthOptions&) {}},
      {"white noise 9", [](SynthOptions& o) { o.noise = 9.0; }},
  };
  const double rings[] = {1500.0, 3000.0, 5000.0, 7000.0, kRingRate / kRingSamplesPerCycle};
  PrintHeader("sound", FormatText("ring, %d Hz", kRingRate));
  for (double ringHz : rings) {
    for (const Impairment& sound : sounds) {
      SynthOptions options;
      options.sampleRate = kRingRate;
      options.ringHz = ringHz;
      const std::string where = FormatText("%g Hz ring", ringHz);
      PrintRow(sound.name, FormatText("%g Hz", ringHz), MeasureRow(options, sound, where, losses));
    }
  }
  std::printf("\n");
}

// The largest change of the default import on the harness's clean runs, or nothing when one of
// them failed.
std::optional<double> CleanRuns() {
  const Variant plain{"import, no filter", true, FilterChoice{false, 0.0, 0.0}};
  const std::vector<Variant> conditioned = {{"default import", true, std::nullopt},
                                            {"high-pass 400 Hz", true, FilterChoice{false, 400.0, 0.0}}};
  std::printf("| %-28s", "clean run: largest change");
  for (const Variant& variant : conditioned) std::printf(" | %-17s", variant.name.c_str());
  std::printf(" |\n|---");
  for (std::size_t k = 0; k < conditioned.size(); ++k) std::printf("|---");
  std::printf("|\n");
  std::vector<double> worst(conditioned.size(), 0.0);
  bool allCalculated = true;
  for (AccuracyCase& accuracyCase : AccuracyCases()) {
    if (accuracyCase.sound != "clean") continue;
    accuracyCase.options.bits = 16;
    const SynthResult run = SynthesizeRun(accuracyCase.options);
    const std::optional<Peaks> before = Calculate(run, plain, "clean");
    std::printf("| %-28s", accuracyCase.name.c_str());
    for (std::size_t k = 0; k < conditioned.size(); ++k) {
      const std::optional<Peaks> after = Calculate(run, conditioned[k], "clean");
      if (!before || !after) {
        allCalculated = allCalculated && k != 0;
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
  std::printf(" |\n\n");
  if (!allCalculated) return std::nullopt;
  return worst[0];
}

const char* Verdict(bool met) {
  return met ? "goal met" : "goal missed";
}

void PrintGoals(const GoalRuns& runs, const std::optional<double>& cleanChange, const Losses& losses) {
  const auto atLeast = [](int within, int total, double share) { return within >= share * total; };
  std::printf(
      "- %s: white noise 9 and 12 at 22050 and 44100 Hz, default import: %d of %d runs within 2 %% "
      "(at least %.0f %%)\n",
      Verdict(atLeast(runs.noiseWithin, runs.noiseRuns, kNoiseGoalShare)), runs.noiseWithin, runs.noiseRuns,
      100.0 * kNoiseGoalShare);
  std::printf("- %s: static 9 at 22050 and 44100 Hz, default import: %d of %d runs within 2 %% (at least %.0f %%)\n",
              Verdict(atLeast(runs.staticWithin, runs.staticRuns, kStaticGoalShare)), runs.staticWithin,
              runs.staticRuns, 100.0 * kStaticGoalShare);
  if (cleanChange)
    std::printf("- %s: clean runs, default import against no filter: largest change %.3f %% (at most %.1f %%)\n",
                Verdict(*cleanChange <= kCleanChangeGoal), 100.0 * *cleanChange, 100.0 * kCleanChangeGoal);
  else
    std::printf("- %s: clean runs, default import against no filter: a clean run failed (at most %.1f %% change)\n",
                Verdict(false), 100.0 * kCleanChangeGoal);
  std::printf("- %s: runs that calculate as 8-bit originals and fail after the default import: %d (none allowed)\n",
              Verdict(losses.failing.empty()), static_cast<int>(losses.failing.size()));
  for (const std::string& run : losses.failing) std::printf("  - %s\n", run.c_str());
  std::printf(
      "- %s: runs within 2 %% as 8-bit originals and failing or off after the default import: %d (none "
      "allowed)\n",
      Verdict(losses.worsened.empty()), static_cast<int>(losses.worsened.size()));
  for (const std::string& run : losses.worsened) std::printf("  - %s\n", run.c_str());
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
  Losses losses;
  const GoalRuns goalRuns = ImpairedRuns(losses);
  RingRuns(losses);
  const std::optional<double> cleanChange = CleanRuns();
  PrintGoals(goalRuns, cleanChange, losses);
  return 0;
}
