#include "analysis/recording_levels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
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

}  // namespace
}  // namespace ruvo
