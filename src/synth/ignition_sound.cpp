#include "synth/ignition_sound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/wave_encoding.h"
#include "synth/recorder_effects.h"
#include "synth/synth_random.h"

namespace ruvo {
namespace {

constexpr double kBurstDecaySeconds = 0.00015;
constexpr std::uint64_t kSparkStream = 1;
constexpr double kMillisecondsPerSecond = 1000.0;
constexpr double kMidLevel = 128.0;         // the 8-bit level that is 0 at 16 bits
constexpr double kSixteenBitSteps = 256.0;  // 16-bit steps in one 8-bit step

double SparkPeak(const SynthOptions& options, SynthRandom& random) {
  // Three draws for every spark whatever the options, so changing one option keeps the others.
  const double variation = random.Uniform();
  const double missing = random.Uniform();
  const double weak = random.Uniform();
  if (missing < options.missingSparks) return 0.0;
  const double peak = options.sparkPeak * (1.0 - options.peakVariation * variation);
  return weak < options.weakSparks ? peak * options.weakLevel : peak;
}

void AddBurst(std::vector<double>& level, double sparkSeconds, double peak, double rate, double ringHz) {
  const double first = std::ceil(sparkSeconds * rate) - 1.0;  // one early, against rounding
  for (std::size_t n = static_cast<std::size_t>(std::max(0.0, first)); n < level.size(); ++n) {
    const double delay = static_cast<double>(n) / rate - sparkSeconds;
    if (delay < 0.0) continue;
    if (delay >= kSparkBurstSeconds) break;
    level[n] += peak * std::exp(-delay / kBurstDecaySeconds) * std::cos(2.0 * std::numbers::pi * ringHz * delay);
  }
}

}  // namespace

std::vector<double> RenderIgnitionLevels(const SynthOptions& options,
                                         std::vector<SparkEvent>& sparks,
                                         std::int32_t sampleCount) {
  const auto count = static_cast<std::size_t>(std::max(0, sampleCount));
  const double rate = options.sampleRate;
  const double ringHz = BurstRingHz(options);
  const double echoSeconds = options.echoDelayMs / kMillisecondsPerSecond;
  std::vector<double> level(count, 0.0);
  SynthRandom sparkRandom(options.seed, kSparkStream);
  for (SparkEvent& spark : sparks) {
    spark.peak = SparkPeak(options, sparkRandom);
    if (spark.peak > 0.0) AddBurst(level, spark.timeSeconds, spark.peak, rate, ringHz);
    if (spark.peak > 0.0 && options.echoRatio > 0.0)
      AddBurst(level, spark.timeSeconds + echoSeconds, spark.peak * options.echoRatio, rate, ringHz);
  }

  ApplyRecorder(options, level);
  return level;
}

std::vector<std::uint8_t> EncodeWave16(const std::vector<double>& levels, std::int32_t sampleRate) {
  std::vector<std::uint8_t> bytes = CanonicalMonoWave(levels.size(), 2, sampleRate);
  for (std::size_t n = 0; n < levels.size(); ++n) {
    const double scaled = std::floor((levels[n] - kMidLevel) * kSixteenBitSteps + 0.5);
    const auto value = static_cast<std::int16_t>(std::clamp(scaled, -32768.0, 32767.0));
    PutLittleEndian(bytes, kCanonicalWaveHeaderBytes + 2 * n, static_cast<std::uint16_t>(value), 2);
  }
  return bytes;
}

}  // namespace ruvo
