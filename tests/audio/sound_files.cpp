#include "audio/sound_files.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "support/test_support.h"

namespace ruvo::test {

std::vector<float> ClickTrack(
    int rate, int channels, double seconds, int clickChannel, double amplitude, double offset) {
  const auto frames = static_cast<std::size_t>(seconds * rate);
  std::vector<float> samples(frames * static_cast<std::size_t>(channels));
  std::uint32_t noise = 12345;
  for (std::size_t n = 0; n < frames; ++n) {
    const double sinceClick = std::fmod(static_cast<double>(n) / rate + 0.05, 0.1);
    const double click = sinceClick < 0.002 ? amplitude * std::exp(-sinceClick / 0.0003) *
                                                  std::sin(2.0 * std::numbers::pi * 3000.0 * sinceClick + 1.0)
                                            : 0.0;
    for (int c = 0; c < channels; ++c) {
      noise = noise * 1664525u + 1013904223u;  // a fixed pseudo-random sequence, +-0.002
      const double hiss = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.004;
      samples[n * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
          static_cast<float>(offset + hiss + (clickChannel < 0 || c == clickChannel ? click : 0.0));
    }
  }
  return samples;
}

std::vector<float> EngineSweep(int rate, int cylinders, double fromRpm, double toRpm, double pullSeconds) {
  constexpr double kIdleSeconds = 1.0, kHoldSeconds = 0.5;
  const auto frames = static_cast<std::size_t>((kIdleSeconds + pullSeconds + kHoldSeconds) * rate);
  std::vector<float> samples(frames);
  std::uint32_t noise = 4321;
  double firingPhase = 0.0;  // in firings
  for (std::size_t n = 0; n < frames; ++n) {
    const double t = static_cast<double>(n) / rate;
    const double rise = std::clamp((t - kIdleSeconds) / pullSeconds, 0.0, 1.0);
    const double rpm = fromRpm + rise * (toRpm - fromRpm);
    firingPhase += rpm / 60.0 * cylinders / 2.0 / rate;
    double sound = 0.0;
    for (int h = 1; h <= 4; ++h) sound += 0.3 / h * std::sin(2.0 * std::numbers::pi * h * firingPhase);
    noise = noise * 1664525u + 1013904223u;  // a fixed pseudo-random sequence, +-0.01
    samples[n] = static_cast<float>(sound + (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.02);
  }
  return samples;
}

bool WriteSoundFile(const std::string& path, int format, int rate, int channels, const std::vector<float>& frames) {
  SF_INFO info{0, rate, channels, format, 0, 0};
  if (!sf_format_check(&info)) return false;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  const auto count = static_cast<sf_count_t>(frames.size() / static_cast<std::size_t>(channels));
  const bool written = sf_writef_float(file, frames.data(), count) == count;
  return sf_close(file) == 0 && written;
}

std::vector<std::uint8_t> ReadEightBitWave(const std::string& path, int rate) {
  const std::string bytes = ReadFileBytes(path);
  const auto le = [&bytes](std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int k = size - 1; k >= 0; --k)
      value = value << 8 | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(k)]);
    return value;
  };
  if (bytes.size() < 44) {
    ADD_FAILURE() << path << " holds " << bytes.size() << " bytes";
    return {};
  }
  const std::uint32_t count = le(40, 4);
  EXPECT_EQ(bytes.substr(0, 4) + bytes.substr(8, 8) + bytes.substr(36, 4), "RIFFWAVEfmt data");
  // The samples and their pad byte may be followed by the LIST chunk of the file's origin.
  const auto size = static_cast<std::uint32_t>(bytes.size()), end = 44 + count + count % 2;
  constexpr std::uint32_t kList = 0x5453494c;  // "LIST", little-endian
  EXPECT_EQ((std::vector<std::uint32_t>{le(4, 4), le(16, 4), le(20, 2), le(22, 2), le(24, 4), le(28, 4), le(32, 2),
                                        le(34, 2), size > end ? le(end, 4) : size}),
            (std::vector<std::uint32_t>{size - 8, 16, 1, 1, static_cast<std::uint32_t>(rate),
                                        static_cast<std::uint32_t>(rate), 1, 8, size > end ? kList : end}));
  return {bytes.begin() + 44, bytes.begin() + 44 + std::min<std::size_t>(count, bytes.size() - 44)};
}

}  // namespace ruvo::test
