#include "synth/synth_random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace ruvo {
namespace {

TEST(SynthRandom, SplitMixMatchesItsPublishedSequence) {
  std::uint64_t x = 0;  // the reference implementation started from 0
  EXPECT_EQ(SplitMix64(x), 0xE220A8397B1DCDAFULL);
  EXPECT_EQ(SplitMix64(x), 0x6E789E6AA1B965F4ULL);
  EXPECT_EQ(SplitMix64(x), 0x06C45D188009454FULL);
}

TEST(SynthRandom, SeedsAndStreamsRepeatAndDiffer) {
  SynthRandom a(42), b(42), otherSeed(43), otherStream(42, 1);
  int sameAsOtherSeed = 0, sameAsOtherStream = 0;
  for (int k = 0; k < 1000; ++k) {
    const std::uint64_t value = a.Next();
    ASSERT_EQ(value, b.Next());
    sameAsOtherSeed += value == otherSeed.Next();
    sameAsOtherStream += value == otherStream.Next();
  }
  EXPECT_EQ(sameAsOtherSeed, 0);
  EXPECT_EQ(sameAsOtherStream, 0);
}

// Sample moments of 200000 draws; the tolerances are about five standard errors.
TEST(SynthRandom, UniformAndNormalHaveTheirMoments) {
  constexpr int kCount = 200000;
  SynthRandom random(7);
  double uniformSum = 0.0;
  for (int k = 0; k < kCount; ++k) {
    const double u = random.Uniform();
    ASSERT_TRUE(u >= 0.0 && u < 1.0) << u;
    uniformSum += u;
  }
  EXPECT_NEAR(uniformSum / kCount, 0.5, 5.0 * std::sqrt(1.0 / 12.0 / kCount));

  double sum = 0.0, squares = 0.0, fourths = 0.0;
  for (int k = 0; k < kCount; ++k) {
    const double z = random.Normal();
    sum += z;
    squares += z * z;
    fourths += z * z * z * z;
  }
  EXPECT_NEAR(sum / kCount, 0.0, 5.0 / std::sqrt(kCount));
  EXPECT_NEAR(squares / kCount, 1.0, 5.0 * std::sqrt(2.0 / kCount));
  EXPECT_NEAR(fourths / kCount, 3.0, 5.0 * std::sqrt(96.0 / kCount));  // kurtosis of a normal
}

}  // namespace
}  // namespace ruvo
