// Reading a recording and finding its pulses.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "analysis/pulse_scan.h"
#include "analysis/wave_recording.h"
#include "core/analysis_config.h"
#include "core/calculation_log.h"
#include "minute_run_files.h"

namespace ruvo {
namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kPercent = 0.01;

// Opening the file, checking its header and copying its samples: the whole reader.
void BM_ReadWave(benchmark::State& state) {
  const MinuteRunFiles& files = MinuteRunOnDisk();
  if (!files.ok) return state.SkipWithError(files.error.c_str());
  std::vector<std::uint8_t> samples(static_cast<std::size_t>(files.sampleCount));
  for (auto _ : state) {
    WaveRecording recording(files.wavePath);
    const bool loaded = recording.LoadSamples(samples);
    benchmark::DoNotOptimize(loaded);
    if (!loaded) return state.SkipWithError("the recording did not load");
  }
  state.SetItemsProcessed(state.iterations() * files.sampleCount);
  state.SetBytesProcessed(state.iterations() * files.sampleCount);
}
BENCHMARK(BM_ReadWave)->Unit(benchmark::kMillisecond);

// Both scans over the loaded samples, with the log written as in a calculation. Items are samples,
// so items_per_second is the detection rate.
void BM_DetectPulses(benchmark::State& state) {
  const MinuteRunFiles& files = MinuteRunOnDisk();
  if (!files.ok) return state.SkipWithError(files.error.c_str());
  WaveRecording recording(files.wavePath);
  std::vector<std::uint8_t> samples(static_cast<std::size_t>(files.sampleCount));
  if (!recording.LoadSamples(samples)) return state.SkipWithError("the recording did not load");

  const RunParameters& params = files.parameters;
  // As many slots as the analysis allocates: sparks of the whole recording at the final rpm.
  const auto maxPulses =
      static_cast<std::int32_t>(params.finalRpm * (recording.duration() / kSecondsPerMinute) / params.revsPerIgnition);
  const AnalysisConfig config;
  const PulseScanSettings settings{recording.sampleRate(),           params.initialRpm,  params.revsPerIgnition,
                                   params.maxPulseLength * kPercent, config.noiseFactor, config.peakSpreadFactor};
  CalculationLog log;
  std::int32_t pulses = 0;
  for (auto _ : state) {
    log.Open(CalculationLog::kFileName);
    PulseScan scan(samples, recording.meanLevel(), recording.amplitude(), maxPulses, settings, log);
    Outcome said;
    if (!scan.InitialScan(said) || !scan.FinalScan(said)) return state.SkipWithError("detection failed");
    pulses = scan.Pulses().pulseCount;
    log.Close();
  }
  state.counters["pulses"] = pulses;
  state.SetItemsProcessed(state.iterations() * files.sampleCount);
}
BENCHMARK(BM_DetectPulses)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ruvo
