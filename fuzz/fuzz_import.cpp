// Random PCM parameters and sample data through the import's conversion: every conversion that
// succeeds gives a WAV that the calculation's reader accepts, with the samples the converter made.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/wave_recording.h"
#include "audio/recording_conversion.h"
#include "core/wave_encoding.h"
#include "fuzz_support.h"

namespace {

constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kLargestFrames = std::size_t{1} << 15;  // keeps one input fast

// One sample of the given encoding at data, as the decoders deliver it (full scale +-1).
float Sample(const std::uint8_t* data, int encoding) {
  switch (encoding) {
    case 0:
      return static_cast<float>(data[0] - 128) / 128.0f;
    case 1:
      return static_cast<float>(static_cast<std::int16_t>(data[0] | data[1] << 8)) / 32768.0f;
    case 2: {
      float value;
      std::memcpy(&value, data, sizeof value);
      return value;  // any bits: NaN, infinities and huge values included
    }
    default: {
      double value;
      std::memcpy(&value, data, sizeof value);
      return static_cast<float>(std::clamp(value, -1e30, 1e30));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeaderBytes) return 0;
  const int channels = 1 + data[0] % 8;
  const int rate = 1000 + (data[1] | data[2] << 8 | (data[3] % 4) << 16);  // 1000 to 263143 Hz
  const int encoding = data[4] % 4;
  const std::size_t width = encoding == 0 ? 1 : encoding == 1 ? 2 : encoding == 2 ? 4 : 8;

  ruvo::DecodedAudio audio{"fuzz", channels, rate, {}};
  const std::size_t frames =
      std::min(kLargestFrames, (size - kHeaderBytes) / (width * static_cast<std::size_t>(channels)));
  for (std::size_t k = 0; k < frames * static_cast<std::size_t>(channels); ++k)
    audio.samples.push_back(Sample(data + kHeaderBytes + k * width, encoding));

  ruvo::ConversionOptions options;
  const int mode = data[5] % 4;
  options.channel.mode = mode == 0   ? ruvo::ChannelChoice::Mode::kAuto
                         : mode == 1 ? ruvo::ChannelChoice::Mode::kMix
                                     : ruvo::ChannelChoice::Mode::kNumber;
  options.channel.number = 1 + data[5] / 4 % 9;  // sometimes a channel the audio lacks
  options.filters.highPassHz = (data[6] & 1) ? 0.0 : 40.0 * (data[6] >> 1);
  options.filters.lowPassHz = (data[6] & 2) ? 500.0 * (data[7] % 64) : 0.0;
  options.normalise = (data[7] & 64) == 0;
  options.fromSeconds = (data[7] & 128) ? audio.DurationSeconds() * 0.25 : 0.0;

  std::vector<std::uint8_t> samples;
  ruvo::ConversionReport report;
  std::string error;
  if (!ruvo::ConvertRecording(audio, options, samples, report, error)) return 0;
  const std::vector<std::uint8_t> file = ruvo::EncodeEightBitWave(samples, report.rate);
  ruvo::WaveRecording wave("fuzz.wav", std::make_unique<std::istringstream>(std::string(file.begin(), file.end())));
  ruvo::fuzz::Require(wave.ok(), "the reader accepts every converted recording");
  ruvo::fuzz::Require(
      wave.sampleRate() == report.rate && wave.sampleCount() == static_cast<std::int32_t>(samples.size()),
      "the reader sees the converted rate and length");
  std::vector<std::uint8_t> read(samples.size());
  ruvo::fuzz::Require(wave.LoadSamples(read) && read == samples, "the reader loads the converted samples");
  ruvo::fuzz::Require(!options.normalise || report.peakSteps <= 121, "normalised peaks stay within the 8-bit range");
  return 0;
}
