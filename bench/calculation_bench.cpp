// The whole calculation of the minute-long run, as Calculate in the desktop does it, and what the
// checks of its evidence add to it.
#include <benchmark/benchmark.h>

#include <vector>

#include "analysis/recording_levels.h"
#include "analysis/wave_recording.h"
#include "calc/run_calculation.h"
#include "core/analysis_config.h"
#include "minute_run_files.h"

namespace ruvo {
namespace {

void BM_Calculate(benchmark::State& state) {
  const MinuteRunFiles& files = MinuteRunOnDisk();
  if (!files.ok) return state.SkipWithError(files.error.c_str());
  RunParameters params = files.parameters;
  params.smoothingMethod = static_cast<std::int32_t>(state.range(0));
  const AnalysisConfig config;
  RunCalculation calculation(params, config);
  for (auto _ : state) {
    if (!calculation.Calculate(".")) return state.SkipWithError("the calculation failed");
  }
  state.counters["rows"] = calculation.Results().rowCount;
  state.SetItemsProcessed(state.iterations() * files.sampleCount);
}
BENCHMARK(BM_Calculate)->ArgName("method")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The checks' own work within a calculation: the level pass over the samples and the checks of the
// evidence (default smoothing). BM_Calculate includes it; compare the two for its share.
void BM_RunChecks(benchmark::State& state) {
  const MinuteRunFiles& files = MinuteRunOnDisk();
  if (!files.ok) return state.SkipWithError(files.error.c_str());
  WaveRecording recording(files.wavePath);
  std::vector<std::uint8_t> samples(static_cast<std::size_t>(files.sampleCount));
  if (!recording.LoadSamples(samples)) return state.SkipWithError("the recording did not load");
  const AnalysisConfig config;
  RunCalculation calculation(files.parameters, config);
  if (!calculation.Calculate(".")) return state.SkipWithError("the calculation failed");
  for (auto _ : state) {
    const RecordingLevels levels = MeasureRecordingLevels(samples, recording.sampleRate(), recording.meanLevel());
    benchmark::DoNotOptimize(levels);
    benchmark::DoNotOptimize(CheckRun(calculation.Evidence(), calculation.Results(), files.parameters));
  }
  state.SetItemsProcessed(state.iterations() * files.sampleCount);
}
BENCHMARK(BM_RunChecks)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ruvo
