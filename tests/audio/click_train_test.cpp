#include "audio/click_train.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace ruvo {
namespace {

constexpr double kRate = 22050.0;

// An envelope of clicks 0.5 to 1 high, each a 0.3-ms triangle, at the sparks of an engine
// accelerating from 1100 to 6000 rpm at two revolutions a spark (110 ms to 20 ms apart), over the
// envelope of noise through a 2-kHz band, whose peaks between clicks reach as high as the weakest
// clicks: no cutoff parts them.
struct NoisyTrain {
  std::vector<float> envelope;
  std::vector<std::size_t> clicks;

  explicit NoisyTrain(std::uint32_t seed) : envelope(static_cast<std::size_t>(5.0 * kRate)) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal(0.0, 1.0);
    const double pole = std::exp(-2.0 * 3.14159265358979 * 1000.0 / kRate);
    const double scale = kNoiseSigma * std::sqrt((1.0 + pole) / (1.0 - pole));
    double real = 0.0, imaginary = 0.0;
    for (float& level : envelope) {
      real = pole * real + (1.0 - pole) * scale * normal(random);
      imaginary = pole * imaginary + (1.0 - pole) * scale * normal(random);
      level = static_cast<float>(std::hypot(real, imaginary));
    }
    std::uniform_real_distribution<double> height(0.5, 1.0);
    const auto half = static_cast<std::size_t>(0.00015 * kRate);
    for (double t = 0.05, rpm = 1100.0; t < 4.95;
         t += 120.0 / rpm, rpm = std::min(6000.0, rpm + 120.0 / rpm * 1000.0)) {
      const auto at = static_cast<std::size_t>(t * kRate);
      const double top = height(random);
      for (std::size_t n = at - half; n <= at + half; ++n) {
        const double side = 1.0 - std::fabs(static_cast<double>(n) - static_cast<double>(at)) / (half + 1.0);
        envelope[n] = std::max(envelope[n], static_cast<float>(top * side));
      }
      clicks.push_back(at);
    }
  }

  static constexpr double kNoiseSigma = 0.13;  // of the Rayleigh-distributed envelope
};

TEST(ClickTrain, FollowsAnAcceleratingEngineThroughNoiseAsHighAsItsClicks) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    const NoisyTrain run(seed);
    float noisePeak = 0.0f;
    for (std::size_t k = 0; k + 1 < run.clicks.size(); ++k)
      for (std::size_t n = run.clicks[k] + 40; n + 40 < run.clicks[k + 1]; ++n)
        noisePeak = std::max(noisePeak, run.envelope[n]);
    ASSERT_GT(noisePeak, 0.5f);  // some noise peak stands above the weakest clicks

    const std::vector<std::size_t> train = TrackClickTrain(run.envelope, kRate, 1.0);
    ASSERT_EQ(train.size(), run.clicks.size());
    for (std::size_t k = 0; k < train.size(); ++k)
      EXPECT_LE(std::max(train[k], run.clicks[k]) - std::min(train[k], run.clicks[k]), 4u) << k;
  }
}

TEST(ClickTrain, HoldsOnlyTheClicksItPassesAndGatesTheRest) {
  const std::vector<std::size_t> train = {1000, 2000, 3000, 4000};
  const std::size_t reach = 50;
  const std::vector<std::size_t> nine = {1010, 1990, 3050, 3999, 4020, 950, 2049, 2951, 1040};
  EXPECT_TRUE(TrainHoldsClicks(train, nine, reach));
  std::vector<std::size_t> oneAside = nine;
  oneAside.push_back(2500);  // one in ten may miss
  EXPECT_TRUE(TrainHoldsClicks(train, oneAside, reach));
  oneAside.push_back(3500);
  EXPECT_FALSE(TrainHoldsClicks(train, oneAside, reach));
  EXPECT_FALSE(TrainHoldsClicks({}, nine, reach));

  std::vector<float> envelope(4100, 2.0f);
  GateToTrain(envelope, train, reach);
  EXPECT_EQ(envelope[0], 2.0f * kGateFloor);
  EXPECT_EQ(envelope[949], 2.0f * kGateFloor);
  EXPECT_EQ(envelope[950], 2.0f);
  EXPECT_EQ(envelope[1050], 2.0f);
  EXPECT_EQ(envelope[1051], 2.0f * kGateFloor);
  EXPECT_EQ(envelope[4050], 2.0f);
  EXPECT_EQ(envelope[4051], 2.0f * kGateFloor);

  EXPECT_TRUE(TrackClickTrain(std::vector<float>(3, 1.0f), kRate, 1.0).empty());
  EXPECT_TRUE(TrackClickTrain(envelope, kRate, 0.0).empty());
}

}  // namespace
}  // namespace ruvo
