#include "audio/conditioning_filter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr double kFadeInSeconds = 0.02;
constexpr double kMillisecondsPerSecond = 1000.0;
// Quality factors of the two sections of a fourth-order Butterworth filter: 1 / (2 cos(pi/8)) and
// 1 / (2 cos(3 pi/8)).
constexpr std::array<double, 2> kButterworthQ = {0.54119610014619698, 1.3065629648763766};

enum class Pass { kHigh, kLow };

// One biquad section y = (b0 x + b1 x' + b2 x'') - a1 y' - a2 y'', in transposed direct form II.
struct Biquad {
  double b0, b1, b2, a1, a2;
  double z1 = 0.0, z2 = 0.0;

  Biquad(Pass pass, double cutoffHz, double sampleRateHz, double q) {
    const double w0 = 2.0 * std::numbers::pi * cutoffHz / sampleRateHz;
    const double cosW0 = std::cos(w0), alpha = std::sin(w0) / (2.0 * q), a0 = 1.0 + alpha;
    const double edge = pass == Pass::kHigh ? (1.0 + cosW0) / 2.0 : (1.0 - cosW0) / 2.0;
    b0 = edge / a0;
    b1 = (pass == Pass::kHigh ? -2.0 * edge : 2.0 * edge) / a0;
    b2 = edge / a0;
    a1 = -2.0 * cosW0 / a0;
    a2 = (1.0 - alpha) / a0;
  }

  // Sets the state a constant input x would have left, and returns the steady output for it.
  double Settle(double x) {
    const double y = x * (b0 + b1 + b2) / (1.0 + a1 + a2);
    z2 = b2 * x - a2 * y;
    z1 = b1 * x - a1 * y + z2;
    return y;
  }

  double Step(double x) {
    const double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
  }
};

bool Active(double cutoffHz, double sampleRateHz) {
  return cutoffHz > 0.0 && cutoffHz < sampleRateHz / 2.0;
}

void Filter(std::vector<float>& sound, Pass pass, double cutoffHz, double sampleRateHz) {
  if (sound.empty()) return;
  double start = sound.front();
  for (double q : kButterworthQ) {
    Biquad section(pass, cutoffHz, sampleRateHz, q);
    start = section.Settle(start);
    for (float& sample : sound) sample = static_cast<float>(section.Step(sample));
  }
}

void FadeIn(std::vector<float>& sound, double sampleRateHz) {
  const auto length = std::min(sound.size(), static_cast<std::size_t>(std::ceil(kFadeInSeconds * sampleRateHz)));
  for (std::size_t n = 0; n < length; ++n) {
    const double weight = 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(n) / static_cast<double>(length));
    sound[n] = static_cast<float>(sound[n] * weight);
  }
}

}  // namespace

void ApplyConditioning(std::vector<float>& sound, double sampleRateHz, const FilterChoice& filters) {
  if (Active(filters.highPassHz, sampleRateHz)) {
    Filter(sound, Pass::kHigh, filters.highPassHz, sampleRateHz);
    FadeIn(sound, sampleRateHz);
  }
  if (Active(filters.lowPassHz, sampleRateHz)) Filter(sound, Pass::kLow, filters.lowPassHz, sampleRateHz);
}

std::string DescribeConditioning(const FilterChoice& filters, double sampleRateHz) {
  std::string text;
  if (Active(filters.highPassHz, sampleRateHz))
    text =
        FormatText("high-pass %g Hz with a %g ms fade-in", filters.highPassHz, kFadeInSeconds * kMillisecondsPerSecond);
  if (Active(filters.lowPassHz, sampleRateHz)) {
    if (!text.empty()) text += ", ";
    text += FormatText("low-pass %g Hz", filters.lowPassHz);
  }
  return text.empty() ? "none" : text;
}

}  // namespace ruvo
