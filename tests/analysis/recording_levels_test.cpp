#include "analysis/recording_levels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace ruvo {
namespace {

TEST(RecordingLevels, ClippingNoiseAndWanderAreMeasuredApart) {
  // 1 s at 1000 Hz (2-sample blocks): deviations cycle 0, 1, 1, 2 around 128 with alternating signs,
  // so half of the samples deviate by at most 1: the median deviation is 1.0 (interpolated in its bin).
  std::vector<std::uint8_t> samples(1000);
  const int pattern[4] = {0, 1, -1, 2};
  for (std::size_t n = 0; n < samples.size(); ++n) samples[n] = static_cast<std::uint8_t>(128 + pattern[n % 4]);
  RecordingLevels levels = MeasureRecordingLevels(samples, 1000, 128);
  EXPECT_EQ(levels.clippedShare, 0.0);
  EXPECT_DOUBLE_EQ(levels.noiseLevel, 1.0);
  EXPECT_EQ(levels.wanderLevel, 0.0);  // every 2-sample block averages 128.5

  // A square hum of 20 steps every 100 ms and two clipped samples.
  for (std::size_t n = 0; n < samples.size(); ++n) samples[n] = static_cast<std::uint8_t>((n / 50) % 2 ? 148 : 128);
  samples[10] = 0;
  samples[11] = 255;
  levels = MeasureRecordingLevels(samples, 1000, 138);
  EXPECT_DOUBLE_EQ(levels.clippedShare, 0.002);
  EXPECT_NEAR(levels.wanderLevel, 10.0, 0.2);
  EXPECT_NEAR(levels.noiseLevel, 10.0, 0.01);

  EXPECT_EQ(MeasureRecordingLevels({}, 1000, 128).wanderLevel, 0.0);
}

}  // namespace
}  // namespace ruvo
