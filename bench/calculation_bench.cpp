// The whole calculation of the minute-long run, as Calculate in the desktop does it.
#include <benchmark/benchmark.h>

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
    if (!calculation.Calculate()) return state.SkipWithError("the calculation failed");
  }
  state.counters["rows"] = calculation.Results().rowCount;
  state.SetItemsProcessed(state.iterations() * files.sampleCount);
}
BENCHMARK(BM_Calculate)->ArgName("method")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ruvo
