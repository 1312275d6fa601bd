#include "tracking/spectrogram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace ruvo {
namespace {

std::vector<float> Tone(double hz, double amplitude, double rate, double seconds) {
  std::vector<float> tone(static_cast<std::size_t>(rate * seconds));
  for (std::size_t n = 0; n < tone.size(); ++n)
    tone[n] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(n) / rate));
  return tone;
}

TEST(ComputeSpectrogram, PutsAToneInItsBinAtZeroDecibels) {
  for (const double amplitude : {1.0, 1e30}) {  // the loud one overflows single-precision powers
    const Spectrogram picture = ComputeSpectrogram(Tone(440.0, amplitude, 48000.0, 2.0), 48000.0, 1000.0);
    EXPECT_NEAR(picture.hopSeconds, 0.01, 0.001);  // drawing steps: 10 ms, about 5 Hz
    EXPECT_NEAR(picture.binHz, 5.0, 1.0);
    EXPECT_NEAR(picture.frameCount * picture.hopSeconds, 2.0, picture.hopSeconds);  // the whole recording
    EXPECT_NEAR((picture.binCount - 1) * picture.binHz, 1000.0, picture.binHz);
    ASSERT_EQ(picture.levelsDb.size(), static_cast<std::size_t>(picture.frameCount * picture.binCount));
    EXPECT_EQ(*std::max_element(picture.levelsDb.begin(), picture.levelsDb.end()), 0.0f);
    for (std::int32_t f = 30; f < picture.frameCount - 30; f += 10) {
      const auto row = picture.levelsDb.begin() + f * picture.binCount;
      const auto loudest = std::max_element(row, row + picture.binCount) - row;
      EXPECT_NEAR(static_cast<double>(loudest) * picture.binHz, 440.0, picture.binHz) << "frame " << f;
      EXPECT_LT(row[static_cast<std::ptrdiff_t>(200.0 / picture.binHz)], -60.0f) << "frame " << f;  // Hann leakage
    }
  }
}

TEST(ComputeSpectrogram, DrawsNothingForInputItCannotRead) {
  const std::vector<float> tone = Tone(100.0, 1.0, 8000.0, 1.0);
  std::vector<float> withNan = tone;
  withNan[10] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(ComputeSpectrogram({}, 8000.0, 1000.0).frameCount, 0);
  EXPECT_EQ(ComputeSpectrogram(withNan, 8000.0, 1000.0).frameCount, 0);
  EXPECT_EQ(ComputeSpectrogram(tone, 0.0, 1000.0).frameCount, 0);
  EXPECT_EQ(ComputeSpectrogram(tone, 8000.0, -5.0).frameCount, 0);
  // Silence draws at the floor, not NaN.
  const Spectrogram silence = ComputeSpectrogram(std::vector<float>(8000, 0.0f), 8000.0, 1000.0);
  ASSERT_GT(silence.frameCount, 0);
  EXPECT_TRUE(std::all_of(silence.levelsDb.begin(), silence.levelsDb.end(), [](float db) { return db == -120.0f; }));
}

}  // namespace
}  // namespace ruvo
