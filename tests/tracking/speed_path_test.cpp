#include "tracking/speed_path.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace ruvo {
namespace {

constexpr std::int32_t kFrames = 60;
constexpr std::int32_t kCandidates = 200;

// A map of kFrames x kCandidates, 0 everywhere but where ridge says: ridge(frame) gives the
// candidates and their salience in that frame.
template <typename Ridge>
SalienceMap MapOf(Ridge ridge) {
  SalienceMap map;
  map.grid.count = kCandidates;
  map.hopSeconds = 0.02;
  map.frameCount = kFrames;
  map.values.assign(static_cast<std::size_t>(kFrames * kCandidates), 0.0f);
  for (std::int32_t f = 0; f < kFrames; ++f)
    for (const auto& [index, value] : ridge(f))
      map.values[static_cast<std::size_t>(f * kCandidates + index)] = value;
  return map;
}

PathLimits Limits(double fallPenalty) {
  PathLimits limits;
  limits.firstIndex = 0;
  limits.lastIndex = kCandidates - 1;
  limits.maxRiseRpmPerSecond = 1e9;  // no reach limit: the penalties alone decide
  limits.maxFallRpmPerSecond = 1e9;
  limits.stepPenalty = 0.01;
  limits.fallPenalty = fallPenalty;
  return limits;
}

struct Point {
  std::int32_t index;
  float value;
};

TEST(FindSpeedPath, PaysForComingBackFromAMultipleButFollowsARealFall) {
  // The speed at 50 throughout, a louder multiple at 150 for the first 20 frames only: a path
  // on the multiple must come down 100 steps, which a fall penalty of 0.1 makes cost 10, more
  // than the 20 x 0.2 the multiple adds. With falls as cheap as rises it pays off.
  const SalienceMap multiple = MapOf([](std::int32_t f) {
    std::vector<Point> points{{50, 1.0f}};
    if (f < 20) points.push_back({150, 1.2f});
    return points;
  });
  for (const std::int32_t index : FindSpeedPath(multiple, Limits(0.1))) EXPECT_EQ(index, 50);
  EXPECT_EQ(FindSpeedPath(multiple, Limits(0.01))[0], 150);

  // A real fall (a lift-off: the only ridge drops from 150 to 50) is followed at any penalty.
  const SalienceMap liftOff = MapOf([](std::int32_t f) { return std::vector<Point>{{f < 30 ? 150 : 50, 1.0f}}; });
  const std::vector<std::int32_t> path = FindSpeedPath(liftOff, Limits(0.1));
  ASSERT_EQ(path.size(), static_cast<std::size_t>(kFrames));
  EXPECT_EQ(path[29], 150);
  EXPECT_EQ(path[kFrames - 1], 50);
}

}  // namespace
}  // namespace ruvo
