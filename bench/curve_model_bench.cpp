// Each smoothing model as the calculation uses it: build, fit, then value, slope and curvature at
// every pulse.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_runs.h"
#include "calc/curve_model_factory.h"
#include "core/calculation_log.h"

namespace ruvo {
namespace {

constexpr std::int32_t kLevel = 3;  // the smoothing dialog's default for every method

void BM_CurveModel(benchmark::State& state) {
  const SmoothingMethod method = *SmoothingMethodOf(static_cast<std::int32_t>(state.range(0)));
  const PulseTrain train = AcceleratingPulseTrain(static_cast<std::int32_t>(state.range(1)));
  CalculationLog closedLog;  // takes the exponential fit's lines and drops them
  double sink = 0.0;
  for (auto _ : state) {
    const std::unique_ptr<const CurveModel> model =
        CreateCurveModel(method, train.times, train.revolutions, kLevel, 0.0, closedLog);
    if (!model) return state.SkipWithError("the fit failed");
    for (double t : train.times) sink += model->Value(t) + model->Derivative(t) + model->SecondDerivative(t);
  }
  benchmark::DoNotOptimize(sink);
  state.SetItemsProcessed(state.iterations() * state.range(1));
}
// Methods 0 none, 1 local, 2 spline segments, 3 exponential fit; 300 and 3000 pulses.
BENCHMARK(BM_CurveModel)
    ->ArgNames({"method", "pulses"})
    ->ArgsProduct({{0, 1, 2, 3}, {300, 3000}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ruvo
