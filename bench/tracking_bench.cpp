// Following the engine order through a minute of engine sound at a phone's rate.
#include <benchmark/benchmark.h>

#include <vector>

#include "tracking/engine_order_tracker.h"
#include "tracking/engine_sound.h"

namespace ruvo {
namespace {

constexpr double kSampleRate = 48000.0;  // samples per second
constexpr double kSeconds = 60.0;

// A 4-cylinder pulled from 1200 to 7000 rpm over the minute, the typical voice with noise.
const std::vector<float>& MinuteOfEngineSound() {
  static const std::vector<float> sound = [] {
    const test::SpeedLaw law{{0.0, kSeconds}, {1200.0, 7000.0}, true};
    return test::EngineSound(law, test::TypicalVoice(4, 4), kSampleRate, kSeconds);
  }();
  return sound;
}

void BM_TrackEngineSound(benchmark::State& state) {
  const std::vector<float>& sound = MinuteOfEngineSound();
  const EngineOrderSettings settings;
  for (auto _ : state) {
    const EngineTrack track = TrackEngineOrder(sound, kSampleRate, settings);
    if (!track.ok) return state.SkipWithError(track.failure.c_str());
    benchmark::DoNotOptimize(track.frames.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(sound.size()));
}
BENCHMARK(BM_TrackEngineSound)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ruvo
