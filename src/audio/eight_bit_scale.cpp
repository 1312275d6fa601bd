#include "audio/eight_bit_scale.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ruvo {
namespace {

constexpr double kMiddle = 128.0;
constexpr double kFullScaleSteps = 128.0;  // steps for a full-scale (+-1) sound

}  // namespace

ScaleResult ScaleToEightBits(const std::vector<float>& sound, bool normalise) {
  ScaleResult result;
  double peak = 0.0;
  for (float sample : sound) peak = std::max(peak, static_cast<double>(std::fabs(sample)));
  const double stepsPerUnit = normalise && peak > 0.0 ? kPeakSteps / peak : kFullScaleSteps;
  result.gain = stepsPerUnit / kFullScaleSteps;
  result.samples.resize(sound.size());
  for (std::size_t n = 0; n < sound.size(); ++n) {
    const double level = std::clamp(std::floor(kMiddle + stepsPerUnit * sound[n] + 0.5), 0.0, 255.0);
    result.samples[n] = static_cast<std::uint8_t>(level);
    result.peakSteps = std::max(result.peakSteps, std::abs(static_cast<int>(level) - 128));
  }
  return result;
}

}  // namespace ruvo
