#include "audio/click_band.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "audio/click_envelope.h"
#include "audio/recording_import.h"
#include "audio/sound_files.h"
#include "core/wave_encoding.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 4.0;
constexpr double kNoisyClickHeight = 4.5;

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

std::vector<float> WhiteNoise(double deviation, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> normal(0.0, deviation);
  std::vector<float> sound(static_cast<std::size_t>(kSeconds * kRate));
  for (float& sample : sound) sample = static_cast<float>(normal(random));
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
  AddClicks(sound, 5000.0, 0.1);
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

// The largest sample within [from, to) seconds after each click of AddClicks, the first and last
// clicks left out (the filters' fade-in and the envelope's end).
std::vector<float> PeaksAfterClicks(const std::vector<float>& sound, double from, double to) {
  std::vector<float> peaks;
  for (double click = 0.035; click + 0.05 < kSeconds; click += 0.025) {
    float peak = 0.0f;
    const auto end = static_cast<std::size_t>((click + to) * kRate);
    for (auto n = static_cast<std::size_t>((click + from) * kRate); n < end; ++n)
      peak = std::max(peak, std::fabs(sound[n]));
    peaks.push_back(peak);
  }
  return peaks;
}

// Clicks that barely clear the noise after their band-pass are written as their matched filter's
// envelope, in which every click stands above every noise peak between the clicks; clean clicks
// keep the band-pass.
TEST(ClickEnvelope, LiftsClicksThatBarelyClearTheNoise) {
  std::vector<float> noisy = WhiteNoise(1.0, 11);
  AddClicks(noisy, 5000.0, kNoisyClickHeight);
  std::vector<float> highPassed = noisy;
  ApplyConditioning(highPassed, kRate, {false, kDefaultHighPassHz, 0.0});
  const auto lowest = [](const std::vector<float>& v) { return *std::min_element(v.begin(), v.end()); };
  const auto highest = [](const std::vector<float>& v) { return *std::max_element(v.begin(), v.end()); };
  EXPECT_LT(lowest(PeaksAfterClicks(highPassed, 0.0, 0.001)), highest(PeaksAfterClicks(highPassed, 0.003, 0.024)));

  const ConditioningChoice choice = ConditionSound(noisy, kRate, FilterChoice{});
  ASSERT_TRUE(choice.envelope) << choice.summary;
  EXPECT_EQ(choice.filters.highPassHz, kDefaultHighPassHz);
  EXPECT_EQ(choice.filters.lowPassHz, 0.0);
  EXPECT_EQ(choice.summary.rfind("matched-filter envelope along a train of ", 0), 0u) << choice.summary;
  EXPECT_GT(lowest(PeaksAfterClicks(noisy, -0.001, 0.001)), 1.2f * highest(PeaksAfterClicks(noisy, 0.003, 0.022)));

  std::vector<float> clean = WhiteNoise(0.2, 11);
  AddClicks(clean, 5000.0, kNoisyClickHeight);
  EXPECT_FALSE(ConditionSound(clean, kRate, FilterChoice{}).envelope);
  std::vector<float> asked = highPassed;
  EXPECT_FALSE(ConditionSound(asked, kRate, {false, kDefaultHighPassHz, 0.0}).envelope);
}

// A click of the template's own shape keeps its height, whatever the phase it is sampled at; too
// few clicks give no template.
TEST(ClickEnvelope, AClickOfTheTemplatesShapeKeepsItsHeight) {
  std::vector<float> clicks = ColouredNoise(0.01, 3);
  AddClicks(clicks, 3000.0, 1.0);
  const std::vector<float> shape = ClickTemplate(clicks, kRate);
  ASSERT_EQ(shape.size(), 2 * static_cast<std::size_t>(std::lround(kClickSeconds * kRate)));
  const float height = *std::max_element(shape.begin(), shape.end());

  std::vector<float> alone(1000, 0.0f);
  std::copy(shape.begin(), shape.end(), alone.begin() + 500);
  const std::vector<float> envelope = MatchedEnvelope(alone, shape);
  ASSERT_EQ(envelope.size(), alone.size());
  EXPECT_NEAR(*std::max_element(envelope.begin(), envelope.end()), height, 0.02 * height);
  EXPECT_NEAR(envelope[500], height, 0.02 * height);
  EXPECT_EQ(envelope[100], 0.0f);

  EXPECT_TRUE(ClickTemplate(std::span(clicks).first(kRate / 20), kRate).empty());  // 12 spacings
}

}  // namespace
}  // namespace ruvo
