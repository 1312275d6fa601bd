#include "analysis/deviation_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

namespace ruvo {
namespace {

// The sample-by-sample loops the searches replace.
std::int32_t Deviation(std::uint8_t sample, std::uint8_t mean) {
  return std::abs(sample - mean);
}

DeviationPeak LoopLargest(const std::vector<std::uint8_t>& s,
                          std::uint8_t mean,
                          std::int64_t first,
                          std::int64_t last) {
  DeviationPeak peak{0, first};
  for (std::int64_t j = first; j < last; ++j)
    if (Deviation(s[static_cast<std::size_t>(j)], mean) > peak.level)
      peak = {Deviation(s[static_cast<std::size_t>(j)], mean), j};
  return peak;
}

std::int64_t LoopFirst(
    const std::vector<std::uint8_t>& s, std::uint8_t mean, std::int32_t t, std::int64_t first, std::int64_t last) {
  for (std::int64_t j = first; j < last; ++j)
    if (Deviation(s[static_cast<std::size_t>(j)], mean) > t) return j;
  return last;
}

std::int64_t LoopLast(
    const std::vector<std::uint8_t>& s, std::uint8_t mean, std::int32_t t, std::int64_t first, std::int64_t last) {
  for (std::int64_t j = last - 1; j >= first; --j)
    if (Deviation(s[static_cast<std::size_t>(j)], mean) > t) return j;
  return first - 1;
}

// Recordings of quiet noise with a few loud samples (rare hits, so whole blocks are skipped), of
// loud noise (hits everywhere), of the extremes 0 and 255, and of silence; stretches of every length
// around the 64-sample blocks, empty and reversed ones included; thresholds across the whole range.
TEST(DeviationSearch, GivesWhatTheSampleBySampleLoopGives) {
  std::mt19937 random(11);
  struct Recording {
    const char* name;
    std::uint8_t mean;
    int noise;         // samples lie within mean +- noise
    double loudShare;  // share of samples set to a random value of the whole range
  };
  const Recording recordings[] = {
      {"quiet with rare sparks", 128, 3, 0.002},
      {"loud", 120, 60, 0.0},
      {"extremes", 0, 0, 0.01},
      {"high mean", 255, 2, 0.005},
      {"silence", 128, 0, 0.0},
  };
  const std::int32_t thresholds[] = {-5, -1, 0, 1, 2, 3, 10, 60, 127, 128, 200, 254, 255, 300};
  for (const Recording& recording : recordings) {
    std::vector<std::uint8_t> samples(1000);
    std::uniform_int_distribution<int> offset(-recording.noise, recording.noise);
    std::uniform_int_distribution<int> anyValue(0, 255);
    std::bernoulli_distribution loud(recording.loudShare);
    for (std::uint8_t& sample : samples)
      sample = static_cast<std::uint8_t>(loud(random) ? anyValue(random)
                                                      : std::clamp(recording.mean + offset(random), 0, 255));
    const auto size = static_cast<std::int64_t>(samples.size());
    std::uniform_int_distribution<std::int64_t> position(0, size);
    for (int trial = 0; trial < 3000; ++trial) {
      const std::int64_t first = position(random);
      // Short stretches as often as long ones, and now and then a reversed one.
      const std::int64_t last = trial % 3 == 0 ? position(random) : std::min(size, first + trial % 150);
      SCOPED_TRACE(testing::Message() << recording.name << " [" << first << ", " << last << ")");
      const DeviationPeak peak = FindLargestDeviation(samples, recording.mean, first, last);
      const DeviationPeak expected = LoopLargest(samples, recording.mean, first, last);
      ASSERT_EQ(peak.level, expected.level);
      ASSERT_EQ(peak.position, expected.position);
      const std::int32_t t = thresholds[trial % std::size(thresholds)];
      ASSERT_EQ(FindFirstAbove(samples, recording.mean, t, first, last),
                LoopFirst(samples, recording.mean, t, first, last))
          << "threshold " << t;
      ASSERT_EQ(FindLastAbove(samples, recording.mean, t, first, last),
                LoopLast(samples, recording.mean, t, first, last))
          << "threshold " << t;
    }
  }
}

}  // namespace
}  // namespace ruvo
