#include "synth/ignition_sound.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "core/wave_encoding.h"
#include "synth/synth_random.h"

namespace ruvo {
namespace {

constexpr double kBurstDecaySeconds = 0.00015;
constexpr double kBurstRingHz = 5000.0;
constexpr double kRingSamplesPerCycle = 6.0;  // keeps the first sample of a burst on its rising half
constexpr std::uint64_t kSparkStream = 1;
constexpr std::uint64_t kNoiseStream = 2;
constexpr std::uint64_t kStaticStream = 3;
constexpr double kMillisecondsPerSecond = 1000.0;
constexpr double kLargestLevel = 255.0;     // top of the 8-bit scale
constexpr double kMidLevel = 128.0;         // the 8-bit level that is 0 at 16 bits
constexpr double kSixteenBitSteps = 256.0;  // 16-bit steps in one 8-bit step
constexpr double kNever = std::numeric_limits<double>::infinity();

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

// Gaussian noise through the one-pole low-pass y[n] = y[n-1] + a (x[n] - y[n-1]),
// a = 1 - exp(-2 pi fc / rate), whose output variance is a / (2 - a) of the input's; the input is
// scaled so the output has standard deviation options.staticLevel. Reference: A. V. Oppenheim and
// R. W. Schafer, Discrete-Time Signal Processing, 3rd ed., 6.3 (first-order systems).
class StaticSource {
 public:
  explicit StaticSource(const SynthOptions& options)
      : random(options.seed, kStaticStream),
        coefficient(1.0 - std::exp(-2.0 * std::numbers::pi * options.staticHz / options.sampleRate)),
        inputDeviation(options.staticLevel * std::sqrt((2.0 - coefficient) / coefficient)) {}

  double Next() {
    output += coefficient * (inputDeviation * random.Normal() - output);
    return output;
  }

 private:
  SynthRandom random;
  double coefficient;
  double inputDeviation;
  double output = 0.0;
};

}  // namespace

std::vector<double> RenderIgnitionLevels(const SynthOptions& options,
                                         std::vector<SparkEvent>& sparks,
                                         std::int32_t sampleCount) {
  const auto count = static_cast<std::size_t>(std::max(0, sampleCount));
  const double rate = options.sampleRate;
  const double ringHz = std::fmin(kBurstRingHz, rate / kRingSamplesPerCycle);
  const double echoSeconds = options.echoDelayMs / kMillisecondsPerSecond;
  std::vector<double> level(count, 0.0);
  SynthRandom sparkRandom(options.seed, kSparkStream);
  for (SparkEvent& spark : sparks) {
    spark.peak = SparkPeak(options, sparkRandom);
    if (spark.peak > 0.0) AddBurst(level, spark.timeSeconds, spark.peak, rate, ringHz);
    if (spark.peak > 0.0 && options.echoRatio > 0.0)
      AddBurst(level, spark.timeSeconds + echoSeconds, spark.peak * options.echoRatio, rate, ringHz);
  }

  SynthRandom noiseRandom(options.seed, kNoiseStream);
  StaticSource staticNoise(options);
  const double silence = options.silenceLevel;
  const double driftPerSample = count > 1 ? options.dcOffset / static_cast<double>(count - 1) : 0.0;
  const double humRadiansPerSample = 2.0 * std::numbers::pi * options.humHz / rate;
  const double gainStepSample = options.gainStepSeconds > 0.0 ? std::ceil(options.gainStepSeconds * rate) : kNever;
  for (std::size_t n = 0; n < count; ++n) {
    // The gain multiplies exactly when it is 1, so the sum keeps the bytes it had without it.
    const double gain = static_cast<double>(n) >= gainStepSample ? options.gainStepFactor : 1.0;
    double value = silence + driftPerSample * static_cast<double>(n) + gain * level[n];
    if (options.noise > 0.0) value += gain * (options.noise * noiseRandom.Normal());
    if (options.humLevel > 0.0)
      value += gain * (options.humLevel * std::sin(humRadiansPerSample * static_cast<double>(n)));
    if (options.staticLevel > 0.0) value += gain * staticNoise.Next();
    if (options.clipLevel > 0) value = std::clamp(value, silence - options.clipLevel, silence + options.clipLevel);
    level[n] = std::clamp(value, 0.0, kLargestLevel);
  }
  return level;
}

std::vector<std::uint8_t> RenderIgnitionSound(const SynthOptions& options,
                                              std::vector<SparkEvent>& sparks,
                                              std::int32_t sampleCount) {
  const std::vector<double> levels = RenderIgnitionLevels(options, sparks, sampleCount);
  std::vector<std::uint8_t> samples(levels.size());
  for (std::size_t n = 0; n < levels.size(); ++n) samples[n] = static_cast<std::uint8_t>(std::floor(levels[n] + 0.5));
  return samples;
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
