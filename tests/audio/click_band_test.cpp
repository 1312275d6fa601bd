#include "audio/click_band.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "audio/recording_import.h"
#include "audio/sound_files.h"
#include "core/wave_encoding.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 4.0;

// Red (one-pole low-passed at 300 Hz) plus white noise, both of about the given deviation: most of
// its power lies far below any click.
std::vector<float> ColouredNoise(double deviation, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> normal(0.0, 1.0);
  const double pole = std::exp(-2.0 * std::numbers::pi * 300.0 / kRate);
  const double redScale = deviation * std::sqrt((1.0 + pole) / (1.0 - pole));
  std::vector<float> sound(static_cast<std::size_t>(kSeconds * kRate));
  double red = 0.0;
  for (float& sample : sound) {
    red = pole * red + (1.0 - pole) * redScale * normal(random);
    sample = static_cast<float>(red + 0.3 * deviation * normal(random));
  }
  return sound;
}

// Adds a click every 25 ms from 10 ms on: a ring at ringHz rising over 0.1 ms and decaying over
// 0.3 ms, so its energy stays near the ring.
void AddClicks(std::vector<float>& sound, double ringHz, double height) {
  for (std::size_t n = 0; n < sound.size(); ++n) {
    const double since = std::fmod(static_cast<double>(n) / kRate + 0.015, 0.025);
    const double rise = since < 0.0001 ? 0.5 - 0.5 * std::cos(std::numbers::pi * since / 0.0001) : 1.0;
    const double ring = std::sin(2.0 * std::numbers::pi * ringHz * since);
    if (since < 0.002) sound[n] += static_cast<float>(height * rise * std::exp(-since / 0.0003) * ring);
  }
}

bool Contains(const ClickBand& band, double hz) {
  return band.lowHz <= hz && (band.highHz == 0.0 || hz <= band.highHz);
}

TEST(ClickBand, FindsTheClicksRingInColouredNoise) {
  for (const double ringHz : {1500.0, 3000.0, 5000.0, 7000.0, 9000.0}) {
    SCOPED_TRACE(ringHz);
    std::vector<float> sound = ColouredNoise(1.0, 7);
    AddClicks(sound, ringHz, 6.0);
    const ClickBand band = FindClickBand(sound, kRate);
    ASSERT_TRUE(band.found) << band.kurtosis;
    EXPECT_TRUE(Contains(band, ringHz)) << band.lowHz << " to " << band.highHz;
    EXPECT_GE(band.lowHz, kLowestClickBandHz);  // the red noise is cut
    EXPECT_GE(band.kurtosis, kLeastClickKurtosis);
  }
}

// Clicks far above faint noise stand out across the whole band: they are only high-passed, not reshaped.
TEST(ClickBand, CleanClicksAreOnlyHighPassed) {
  std::vector<float> sound = ColouredNoise(0.01, 3);
  AddClicks(sound, 5000.0, 6.0);
  const ClickBand band = FindClickBand(sound, kRate);
  ASSERT_TRUE(band.found);
  EXPECT_EQ(band.highHz, 0.0);
  EXPECT_GE(band.lowHz, 2500.0);  // within an octave of the ring
}

// A door slam 20 times the clicks' height, rumbling at 200 Hz with a broad crack, in one segment.
TEST(ClickBand, OneLoudTransientDoesNotWinTheBand) {
  std::vector<float> sound = ColouredNoise(1.0, 11);
  AddClicks(sound, 5000.0, 6.0);
  std::mt19937 random(3);
  std::normal_distribution<double> normal(0.0, 1.0);
  for (std::size_t n = 0; n < kRate / 10; ++n) {
    const double t = static_cast<double>(n) / kRate;
    sound[kRate + n] += static_cast<float>(40.0 * std::exp(-t / 0.03) *
                                           (std::sin(2.0 * std::numbers::pi * 200.0 * t) + normal(random)));
  }
  const ClickBand band = FindClickBand(sound, kRate);
  ASSERT_TRUE(band.found) << band.kurtosis;
  EXPECT_TRUE(Contains(band, 5000.0)) << band.lowHz << " to " << band.highHz;
}

// Noise and hum without clicks, and a recording too short to judge: today's high-pass, said so.
TEST(ClickBand, FallsBackToTheHighPassWithoutClicks) {
  std::vector<float> sound = ColouredNoise(1.0, 5);
  for (std::size_t n = 0; n < sound.size(); ++n)
    sound[n] += static_cast<float>(3.0 * std::sin(2.0 * std::numbers::pi * 50.0 * static_cast<double>(n) / kRate));
  const ClickBand band = FindClickBand(sound, kRate);
  EXPECT_FALSE(band.found);
  EXPECT_LT(band.kurtosis, kLeastClickKurtosis);
  const ConditioningChoice choice = ChooseConditioning(FilterChoice{}, sound, kRate);
  EXPECT_FALSE(choice.filters.automatic);
  EXPECT_EQ(choice.filters.highPassHz, kDefaultHighPassHz);
  EXPECT_EQ(choice.filters.lowPassHz, 0.0);
  EXPECT_EQ(choice.summary.rfind("high-pass 400 Hz with a 20 ms fade-in, no band where clicks stand out (kurtosis ", 0),
            0u)
      << choice.summary;

  EXPECT_FALSE(FindClickBand(std::vector<float>(kRate / 4, 0.0f), kRate).found);
}

// The import records its choice in the report and the file's origin; a filter asked for replaces it.
TEST(ClickBand, ImportRecordsTheChoiceAndAskedFiltersReplaceIt) {
  test::TempFolder dir;
  std::vector<float> sound = ColouredNoise(0.01, 9);
  AddClicks(sound, 5000.0, 0.05);
  const std::string input = dir.File("take.wav");
  ASSERT_TRUE(test::WriteSoundFile(input, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kRate, 1, sound));

  ImportOptions options;
  ImportReport report;
  ASSERT_TRUE(ImportRecording(input, dir.File("auto.wav"), options, report).ok());
  EXPECT_EQ(report.conversion.conditioning.rfind("band-pass ", 0), 0u) << report.conversion.conditioning;
  EXPECT_NE(report.conversion.filters.find("low-pass"), std::string::npos);
  EXPECT_NE(FormatImportReport(report).find("conditioning: band-pass "), std::string::npos);
  const auto origin = ReadWaveOrigin(report.outputPath);
  ASSERT_TRUE(origin);
  EXPECT_NE(origin->comment.find("; conditioning: automatic band-pass "), std::string::npos) << origin->comment;

  options.conversion.filters = {false, 0.0, 0.0};
  ASSERT_TRUE(ImportRecording(input, dir.File("plain.wav"), options, report).ok());
  EXPECT_EQ(report.conversion.conditioning, "");
  EXPECT_EQ(report.conversion.filters, "none");
  EXPECT_EQ(ReadWaveOrigin(report.outputPath)->comment.find("conditioning"), std::string::npos);
}

}  // namespace
}  // namespace ruvo
