#include "synth/ignition_sound.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "synth/synth_random.h"

namespace ruvo {
namespace {

constexpr double kBurstDecaySeconds = 0.00015;
constexpr double kBurstRingHz = 5000.0;
constexpr double kRingSamplesPerCycle = 6.0;  // keeps the first sample of a burst on its rising half
constexpr std::uint64_t kSparkStream = 1;
constexpr std::uint64_t kNoiseStream = 2;
constexpr std::uint32_t kWaveHeaderBytes = 44;

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

void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int byteCount) {
  for (int k = 0; k < byteCount; ++k)
    bytes[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (8 * k));
}

void PutTag(std::vector<std::uint8_t>& bytes, std::size_t at, const char (&tag)[5]) {
  for (std::size_t k = 0; k < 4; ++k) bytes[at + k] = static_cast<std::uint8_t>(tag[k]);
}

}  // namespace

std::vector<std::uint8_t> RenderIgnitionSound(const SynthOptions& options,
                                              std::vector<SparkEvent>& sparks,
                                              std::int32_t sampleCount) {
  const auto count = static_cast<std::size_t>(std::max(0, sampleCount));
  const double rate = options.sampleRate;
  const double ringHz = std::fmin(kBurstRingHz, rate / kRingSamplesPerCycle);
  std::vector<double> level(count, 0.0);
  SynthRandom sparkRandom(options.seed, kSparkStream);
  for (SparkEvent& spark : sparks) {
    spark.peak = SparkPeak(options, sparkRandom);
    if (spark.peak > 0.0) AddBurst(level, spark.timeSeconds, spark.peak, rate, ringHz);
  }

  SynthRandom noiseRandom(options.seed, kNoiseStream);
  const double silence = options.silenceLevel;
  const double driftPerSample = count > 1 ? options.dcOffset / static_cast<double>(count - 1) : 0.0;
  std::vector<std::uint8_t> samples(count);
  for (std::size_t n = 0; n < count; ++n) {
    double value = silence + driftPerSample * static_cast<double>(n) + level[n];
    if (options.noise > 0.0) value += options.noise * noiseRandom.Normal();
    if (options.clipLevel > 0) value = std::clamp(value, silence - options.clipLevel, silence + options.clipLevel);
    samples[n] = static_cast<std::uint8_t>(std::clamp(std::floor(value + 0.5), 0.0, 255.0));
  }
  return samples;
}

std::vector<std::uint8_t> EncodeWave(const std::vector<std::uint8_t>& samples, std::int32_t sampleRate) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size());
  const std::uint32_t pad = dataBytes % 2;
  const auto rate = static_cast<std::uint32_t>(sampleRate);
  std::vector<std::uint8_t> bytes(kWaveHeaderBytes + dataBytes + pad, 0);
  PutTag(bytes, 0, "RIFF");
  PutLittleEndian(bytes, 4, kWaveHeaderBytes - 8 + dataBytes + pad, 4);
  PutTag(bytes, 8, "WAVE");
  PutTag(bytes, 12, "fmt ");
  PutLittleEndian(bytes, 16, 16, 4);    // format chunk size
  PutLittleEndian(bytes, 20, 1, 2);     // PCM
  PutLittleEndian(bytes, 22, 1, 2);     // mono
  PutLittleEndian(bytes, 24, rate, 4);  // samples per second
  PutLittleEndian(bytes, 28, rate, 4);  // bytes per second: one byte per sample
  PutLittleEndian(bytes, 32, 1, 2);     // block alignment
  PutLittleEndian(bytes, 34, 8, 2);     // bits per sample
  PutTag(bytes, 36, "data");
  PutLittleEndian(bytes, 40, dataBytes, 4);
  std::copy(samples.begin(), samples.end(), bytes.begin() + kWaveHeaderBytes);
  return bytes;
}

}  // namespace ruvo
