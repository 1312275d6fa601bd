#include "synth/recorder_effects.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "synth/synth_random.h"

namespace ruvo {
namespace {

constexpr std::uint64_t kNoiseStream = 2;
constexpr std::uint64_t kStaticStream = 3;
constexpr double kLargestLevel = 255.0;  // top of the 8-bit scale
constexpr double kNever = std::numeric_limits<double>::infinity();

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

void ApplyRecorder(const SynthOptions& options, std::vector<double>& sound) {
  const std::size_t count = sound.size();
  const double rate = options.sampleRate;
  SynthRandom noiseRandom(options.seed, kNoiseStream);
  StaticSource staticNoise(options);
  const double silence = options.silenceLevel;
  const double driftPerSample = count > 1 ? options.dcOffset / static_cast<double>(count - 1) : 0.0;
  const double humRadiansPerSample = 2.0 * std::numbers::pi * options.humHz / rate;
  const double gainStepSample = options.gainStepSeconds > 0.0 ? std::ceil(options.gainStepSeconds * rate) : kNever;
  for (std::size_t n = 0; n < count; ++n) {
    // The gain multiplies exactly when it is 1, so the sum keeps the bytes it had without it.
    const double gain = static_cast<double>(n) >= gainStepSample ? options.gainStepFactor : 1.0;
    double value = silence + driftPerSample * static_cast<double>(n) + gain * sound[n];
    if (options.noise > 0.0) value += gain * (options.noise * noiseRandom.Normal());
    if (options.humLevel > 0.0)
      value += gain * (options.humLevel * std::sin(humRadiansPerSample * static_cast<double>(n)));
    if (options.staticLevel > 0.0) value += gain * staticNoise.Next();
    if (options.clipLevel > 0) value = std::clamp(value, silence - options.clipLevel, silence + options.clipLevel);
    sound[n] = std::clamp(value, 0.0, kLargestLevel);
  }
}

std::vector<std::uint8_t> RoundToEightBit(const std::vector<double>& levels) {
  std::vector<std::uint8_t> samples(levels.size());
  for (std::size_t n = 0; n < levels.size(); ++n) samples[n] = static_cast<std::uint8_t>(std::floor(levels[n] + 0.5));
  return samples;
}

}  // namespace ruvo
