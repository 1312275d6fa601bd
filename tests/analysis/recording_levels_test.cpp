#include "analysis/recording_levels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <span>
#include <utility>
#include <vector>

namespace ruvo {
namespace {

TEST(RecordingLevels, ClippingNoiseAndWanderAreMeasuredApart) {
  // 1024 samples at 4000 Hz, measured every 8th in 8-sample blocks. Each block holds one deviation of
  // the cycle 0, 1, -1, 2 around 128: half of the measured deviations are at most 1 (median 1.0,
  // interpolated in its bin) and the block means 128, 129, 127, 130 spread by sqrt(32 x 5 / 127).
  std::vector<std::uint8_t> samples(1024);
  const int pattern[4] = {0, 1, -1, 2};
  for (std::size_t n = 0; n < samples.size(); ++n) samples[n] = static_cast<std::uint8_t>(128 + pattern[n / 8 % 4]);
  RecordingLevels levels = MeasureRecordingLevels(samples, 4000, 128);
  EXPECT_EQ(levels.clippedShare, 0.0);  // the extremes lie within the noise
  EXPECT_DOUBLE_EQ(levels.noiseLevel, 1.0);
  EXPECT_DOUBLE_EQ(levels.wanderLevel, std::sqrt(160.0 / 127.0));

  // A square hum of +-10 steps, 64 samples each way; then two measured samples on the limits.
  for (std::size_t n = 0; n < samples.size(); ++n) samples[n] = static_cast<std::uint8_t>(n / 64 % 2 ? 148 : 128);
  levels = MeasureRecordingLevels(samples, 4000, 138);
  EXPECT_NEAR(levels.wanderLevel, 10.0, 0.05);
  EXPECT_NEAR(levels.noiseLevel, 10.0, 0.01);
  EXPECT_EQ(levels.clippedShare, 0.0);
  samples[16] = 0;
  samples[24] = 255;
  EXPECT_DOUBLE_EQ(MeasureRecordingLevels(samples, 4000, 138).clippedShare, 2.0 / 128.0);

  EXPECT_EQ(MeasureRecordingLevels({}, 4000, 128).wanderLevel, 0.0);
}

// Standard deviation of the means of the complete blocks (blockLength samples, every 8th measured),
// as the measurement defines it, computed here without the counter.
double ReferenceWander(const std::vector<std::uint8_t>& samples, std::size_t blockLength) {
  std::vector<double> means;
  for (std::size_t n = 0; n + blockLength <= samples.size(); n += blockLength) {
    double sum = 0.0;
    for (std::size_t k = n; k < n + blockLength; k += 8) sum += samples[k];
    means.push_back(sum / static_cast<double>(blockLength / 8));
  }
  if (means.size() < 2) return 0.0;
  double total = 0.0;
  for (double mean : means) total += mean;
  const double average = total / static_cast<double>(means.size());
  double squares = 0.0;
  for (double mean : means) squares += (mean - average) * (mean - average);
  return std::sqrt(squares / static_cast<double>(means.size() - 1));
}

// Lengths around whole blocks (a last block whose measured samples are all in but whose span is
// not must not count) at rates with blocks of 8, 16, 88 and 96 samples, cut into pieces of random
// lengths: the counter gives exactly what one pass over the whole recording gives.
TEST(RecordingLevels, ACounterFedInPiecesMeasuresWhatTheWholeRecordingGives) {
  std::mt19937 random(5);
  const std::pair<std::int32_t, std::size_t> rates[] = {{4000, 8}, {8000, 16}, {44100, 88}, {48000, 96}};
  for (const auto& [rate, blockLength] : rates) {
    for (const std::size_t length : {std::size_t{1}, blockLength - 1, blockLength, blockLength + 1, 3 * blockLength - 7,
                                     3 * blockLength + 1, 50 * blockLength + 3, std::size_t{100003}}) {
      std::vector<std::uint8_t> samples(length);
      std::uniform_int_distribution<int> noise(-6, 6);
      for (std::size_t n = 0; n < length; ++n)
        samples[n] = static_cast<std::uint8_t>(128 + noise(random) + (n / 40 % 2 ? 9 : 0) + (n % 997 == 0 ? 100 : 0));
      SCOPED_TRACE(testing::Message() << rate << " samples per second, " << length << " samples");
      const RecordingLevels whole = MeasureRecordingLevels(samples, rate, 131);
      EXPECT_DOUBLE_EQ(whole.wanderLevel, ReferenceWander(samples, blockLength));
      for (int split = 0; split < 5; ++split) {
        RecordingLevelCounter counter(rate);
        std::uniform_int_distribution<std::size_t> pieceLength(0, split == 0 ? 3 : 3 * blockLength + 20);
        for (std::size_t at = 0; at < length;) {
          const std::size_t piece = std::min(length - at, pieceLength(random));
          counter.Add(std::span<const std::uint8_t>(samples).subspan(at, piece));
          at += piece;
        }
        const RecordingLevels pieces = counter.Levels(131);
        EXPECT_EQ(pieces.wanderLevel, whole.wanderLevel);
        EXPECT_EQ(pieces.noiseLevel, whole.noiseLevel);
        EXPECT_EQ(pieces.clippedShare, whole.clippedShare);
      }
    }
  }
}

}  // namespace
}  // namespace ruvo
