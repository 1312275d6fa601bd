#include "audio/recording_conversion.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "audio/click_band.h"
#include "audio/eight_bit_scale.h"
#include "audio/sound_resampler.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr std::array<std::int32_t, 9> kUsualRates = {96000, 88200, 48000, 44100, 32000, 22050, 16000, 11025, 8000};
constexpr float kLargestSound = 1e6f;  // full scales; far beyond any recording, far below overflow

std::size_t SamplesAt(std::size_t frames, double fromHz, double toHz) {
  return static_cast<std::size_t>(std::ceil(static_cast<double>(frames) * toHz / fromHz));
}

// The rate of the result, or 0 after a reason in error; within the reader's limits with fitWaveFile.
std::int32_t ResultRate(
    const ConversionOptions& options, std::int32_t rate, std::size_t frames, bool fitWaveFile, std::string& error) {
  if (options.rate != 0) {
    if (options.rate < kSmallestWaveRate || options.rate > kLargestWaveRate) {
      error = FormatText("the rate %d Hz is outside %d to %d Hz", options.rate, kSmallestWaveRate, kLargestWaveRate);
      return 0;
    }
    if (!fitWaveFile || SamplesAt(frames, rate, options.rate) <= kLargestWaveSamples) return options.rate;
    error = FormatText("at %d Hz the recording would have more than 9999999 samples; trim it", options.rate);
    return 0;
  }
  if (!fitWaveFile || (rate >= kSmallestWaveRate && rate <= kLargestWaveRate && frames <= kLargestWaveSamples))
    return rate;
  for (std::int32_t usual : kUsualRates)
    if (usual <= std::max(rate, kUsualRates.back()) && SamplesAt(frames, rate, usual) <= kLargestWaveSamples)
      return usual;
  error = FormatText("%.1f s is too long for a wave file even at %d Hz; trim it", static_cast<double>(frames) / rate,
                     kUsualRates.back());
  return 0;
}

}  // namespace

bool PrepareSound(const DecodedAudio& audio,
                  const ConversionOptions& options,
                  bool fitWaveFile,
                  PreparedSound& prepared,
                  std::string& error) {
  const std::size_t frames = audio.FrameCount();
  if (frames == 0 || audio.sampleRate <= 0) {
    error = "no audio frames";
    return false;
  }
  const double duration = audio.DurationSeconds();
  const double to = options.toSeconds < 0.0 ? duration : options.toSeconds;
  if (!(options.fromSeconds >= 0.0 && options.fromSeconds < to && to <= duration)) {
    error =
        FormatText("the trim %.3f to %.3f s lies outside the recording of %.3f s", options.fromSeconds, to, duration);
    return false;
  }
  if (options.channel.mode == ChannelChoice::Mode::kNumber &&
      (options.channel.number < 1 || options.channel.number > audio.channels)) {
    error = FormatText("there is no channel %d among its %d", options.channel.number, audio.channels);
    return false;
  }
  const auto first = std::min(frames - 1, static_cast<std::size_t>(std::floor(options.fromSeconds * audio.sampleRate)));
  const auto last = std::min(frames, static_cast<std::size_t>(std::ceil(to * audio.sampleRate)));
  const std::int32_t rate = ResultRate(options, audio.sampleRate, last - first, fitWaveFile, error);
  if (rate == 0) return false;
  ChosenChannel chosen = TakeChannel(audio, options.channel, first, last - first);
  for (float& sample : chosen.sound)
    sample = std::isfinite(sample) ? std::clamp(sample, -kLargestSound, kLargestSound) : 0.0f;
  if (rate != audio.sampleRate && !ResampleSound(chosen.sound, audio.sampleRate, rate, error)) return false;
  if (fitWaveFile && chosen.sound.size() > kLargestWaveSamples) chosen.sound.resize(kLargestWaveSamples);
  if (chosen.sound.empty()) {
    error = "no audio frames after resampling";
    return false;
  }
  prepared = {std::move(chosen.sound), rate, std::move(chosen.description),
              static_cast<double>(first) / audio.sampleRate, static_cast<double>(last) / audio.sampleRate};
  return true;
}

bool ConvertRecording(const DecodedAudio& audio,
                      const ConversionOptions& options,
                      std::vector<std::uint8_t>& samples,
                      ConversionReport& report,
                      std::string& error) {
  PreparedSound prepared;
  if (!PrepareSound(audio, options, true, prepared, error)) return false;
  const ConditioningChoice conditioning = ConditionSound(prepared.sound, prepared.rate, options.filters);
  ScaleResult scaled = ScaleToEightBits(prepared.sound, options.normalise);
  samples = std::move(scaled.samples);
  report = {prepared.channel,
            prepared.fromSeconds,
            prepared.toSeconds,
            prepared.rate,
            DescribeConditioning(conditioning.filters, prepared.rate),
            conditioning.summary,
            scaled.gain,
            scaled.peakSteps};
  return true;
}

}  // namespace ruvo
