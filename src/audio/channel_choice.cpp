#include "audio/channel_choice.h"

#include <algorithm>
#include <cmath>

#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr std::size_t kMedianSamples = std::size_t{1} << 18;  // differences sampled for the median
constexpr double kNoiseFloor = 1.0 / 16777216.0;              // one step of 24-bit sound: digital silence
constexpr double kClearlyStronger = 1.1;                      // a channel must beat the mix by this

// Peak-to-noise ratio of the first differences of a signal given sample by sample.
class ClickStrength {
 public:
  explicit ClickStrength(std::size_t sampleStride) : stride(sampleStride) {}

  void Add(double value, std::size_t index) {
    if (index > 0) {
      const double difference = std::fabs(value - previous);
      peak = std::max(peak, difference);
      if (index % stride == 0) sampled.push_back(difference);
    }
    previous = value;
  }

  double Ratio() {
    if (sampled.empty()) return 0.0;
    const auto middle = sampled.begin() + static_cast<std::ptrdiff_t>(sampled.size() / 2);
    std::nth_element(sampled.begin(), middle, sampled.end());
    return peak / std::max(*middle, kNoiseFloor);
  }

 private:
  std::size_t stride;
  double previous = 0.0;
  double peak = 0.0;
  std::vector<double> sampled;
};

std::vector<float> Extract(const DecodedAudio& audio, std::size_t firstFrame, std::size_t frameCount, int channel) {
  const auto channels = static_cast<std::size_t>(audio.channels);
  std::vector<float> sound(frameCount);
  const float* frame = audio.samples.data() + firstFrame * channels;
  for (std::size_t n = 0; n < frameCount; ++n, frame += channels) {
    if (channel >= 0) {
      sound[n] = frame[channel];
    } else {
      double sum = 0.0;
      for (std::size_t c = 0; c < channels; ++c) sum += frame[c];
      sound[n] = static_cast<float>(sum / static_cast<double>(channels));
    }
  }
  return sound;
}

}  // namespace

ChosenChannel TakeChannel(const DecodedAudio& audio,
                          const ChannelChoice& choice,
                          std::size_t firstFrame,
                          std::size_t frameCount) {
  const int channels = audio.channels;
  if (channels == 1) return {Extract(audio, firstFrame, frameCount, 0), "1 of 1"};
  if (choice.mode == ChannelChoice::Mode::kNumber)
    return {Extract(audio, firstFrame, frameCount, choice.number - 1), FormatText("%d of %d", choice.number, channels)};
  if (choice.mode == ChannelChoice::Mode::kMix)
    return {Extract(audio, firstFrame, frameCount, -1), FormatText("mix of %d", channels)};

  const std::size_t stride = std::max<std::size_t>(1, frameCount / kMedianSamples);
  std::vector<ClickStrength> strength(static_cast<std::size_t>(channels) + 1, ClickStrength(stride));
  ClickStrength& mix = strength.back();
  const float* frame = audio.samples.data() + firstFrame * static_cast<std::size_t>(channels);
  for (std::size_t n = 0; n < frameCount; ++n, frame += channels) {
    double sum = 0.0;
    for (std::size_t c = 0; c < static_cast<std::size_t>(channels); ++c) {
      strength[c].Add(frame[c], n);
      sum += frame[c];
    }
    mix.Add(sum / channels, n);
  }
  std::vector<double> ratios;
  for (ClickStrength& candidate : strength) ratios.push_back(candidate.Ratio());
  const auto best = std::max_element(ratios.begin(), ratios.end() - 1);
  const double mixRatio = ratios.back();
  if (*best > kClearlyStronger * mixRatio) {
    const auto number = static_cast<int>(best - ratios.begin()) + 1;
    return {
        Extract(audio, firstFrame, frameCount, number - 1),
        FormatText("%d of %d (auto: peak-to-noise %.1f against %.1f for the mix)", number, channels, *best, mixRatio)};
  }
  return {Extract(audio, firstFrame, frameCount, -1),
          FormatText("mix of %d (auto: peak-to-noise %.1f, no channel clearly stronger)", channels, mixRatio)};
}

}  // namespace ruvo
