#include "tracking/engine_sound.h"

#include <cmath>
#include <numbers>
#include <random>

namespace ruvo::test {
namespace {

constexpr double kSecondsPerMinute = 60.0;

// Which segment t lies in and the fraction through it; held at the ends.
std::size_t Segment(const SpeedLaw& law, double t) {
  std::size_t k = 0;
  while (k + 2 < law.seconds.size() && t >= law.seconds[k + 1]) ++k;
  return k;
}

// Revolutions over the first u seconds of segment k.
double SegmentRevolutions(const SpeedLaw& law, std::size_t k, double u) {
  const double length = law.seconds[k + 1] - law.seconds[k];
  const double from = law.rpm[k];
  const double to = law.rpm[k + 1];
  if (law.exponential && from != to) {
    const double rate = std::log(to / from) / length;
    return from * std::expm1(rate * u) / rate / kSecondsPerMinute;
  }
  return (from * u + 0.5 * (to - from) / length * u * u) / kSecondsPerMinute;
}

}  // namespace

double SpeedLaw::RpmAt(double t) const {
  if (t >= seconds.back()) return rpm.back();
  const std::size_t k = Segment(*this, t);
  const double fraction = (t - seconds[k]) / (seconds[k + 1] - seconds[k]);
  if (exponential) return rpm[k] * std::pow(rpm[k + 1] / rpm[k], fraction);
  return rpm[k] + fraction * (rpm[k + 1] - rpm[k]);
}

double SpeedLaw::RevolutionsAt(double t) const {
  double total = 0.0;
  std::size_t k = 0;
  for (; k + 1 < seconds.size() && t > seconds[k + 1]; ++k)
    total += SegmentRevolutions(*this, k, seconds[k + 1] - seconds[k]);
  if (k + 1 < seconds.size()) return total + SegmentRevolutions(*this, k, t - seconds[k]);
  return total + (t - seconds.back()) * rpm.back() / kSecondsPerMinute;
}

EngineVoice TypicalVoice(std::int32_t cylinders, std::int32_t strokes) {
  EngineVoice voice;
  voice.baseOrder = strokes == 4 ? 0.5 : 1.0;
  const double firingOrder = strokes == 4 ? 0.5 * cylinders : cylinders;
  const auto firingStep = static_cast<std::int32_t>(std::lround(firingOrder / voice.baseOrder));
  for (std::int32_t m = 1; m <= 6 * firingStep; ++m)
    voice.amplitudes.push_back(m % firingStep == 0 ? 1.0 / (m / firingStep) : 0.3);
  voice.noise = 0.1;
  return voice;
}

void SetOrder(EngineVoice& voice, double order, double amplitude) {
  const auto m = static_cast<std::size_t>(std::lround(order / voice.baseOrder));
  if (voice.amplitudes.size() < m) voice.amplitudes.resize(m, 0.0);
  voice.amplitudes[m - 1] = amplitude;
}

std::vector<float> EngineSound(const SpeedLaw& law, const EngineVoice& voice, double sampleRate, double seconds) {
  std::mt19937 random(voice.seed);
  std::uniform_real_distribution<double> phaseOf(0.0, 2.0 * std::numbers::pi);
  std::vector<double> phases;
  for (std::size_t m = 0; m < voice.amplitudes.size(); ++m) phases.push_back(phaseOf(random));
  std::normal_distribution<double> noise(0.0, voice.noise);
  const auto count = static_cast<std::size_t>(std::lround(seconds * sampleRate));
  std::vector<float> sound(count);
  for (std::size_t n = 0; n < count; ++n) {
    const double angle = 2.0 * std::numbers::pi * law.RevolutionsAt(static_cast<double>(n) / sampleRate);
    double value = voice.noise > 0.0 ? noise(random) : 0.0;
    for (std::size_t m = 0; m < voice.amplitudes.size(); ++m)
      if (voice.amplitudes[m] != 0.0)
        value += voice.amplitudes[m] * std::sin(static_cast<double>(m + 1) * voice.baseOrder * angle + phases[m]);
    sound[n] = static_cast<float>(value);
  }
  return sound;
}

}  // namespace ruvo::test
