#include "tracking/speed_path.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/units.h"

namespace ruvo {
namespace {

constexpr double kExcluded = -std::numeric_limits<double>::infinity();

// For every candidate, the lowest and highest predecessor index it may come from in one frame.
struct Reach {
  std::vector<std::int32_t> lowest;
  std::vector<std::int32_t> highest;
};

Reach ReachOf(const SpeedGrid& grid, const PathLimits& limits, double hopSeconds) {
  Reach reach;
  for (std::int32_t i = limits.firstIndex; i <= limits.lastIndex; ++i) {
    const double rpm = grid.RevPerSecond(i) * kSecondsPerMinute;
    // Coming from below means the engine rose to rpm; from above, it fell.
    const double fromRpm = std::max(rpm - limits.maxRiseRpmPerSecond * hopSeconds, 1.0);
    const double toRpm = rpm + limits.maxFallRpmPerSecond * hopSeconds;
    const auto low = static_cast<std::int32_t>(std::ceil(grid.IndexOf(fromRpm / kSecondsPerMinute)));
    const auto high = static_cast<std::int32_t>(std::floor(grid.IndexOf(toRpm / kSecondsPerMinute)));
    // At least the neighbours, so a grid coarser than one frame's change can still move.
    reach.lowest.push_back(std::max(limits.firstIndex, std::min(low, i - 1)));
    reach.highest.push_back(std::min(limits.lastIndex, std::max(high, i + 1)));
  }
  return reach;
}

bool InCorridor(const PathLimits& limits, std::int32_t frame, std::int32_t index) {
  if (limits.corridor.empty()) return true;
  return std::abs(index - limits.corridor[static_cast<std::size_t>(frame)]) <= limits.corridorSteps;
}

bool InStart(const PathLimits& limits, std::int32_t index) {
  return limits.startLastIndex < limits.startFirstIndex || (index >= limits.startFirstIndex && index <= limits.startLastIndex);
}

}  // namespace

std::vector<std::int32_t> FindSpeedPath(const SalienceMap& salience, const PathLimits& limits) {
  const std::int32_t width = limits.lastIndex - limits.firstIndex + 1;
  if (salience.frameCount <= 0 || width <= 0) return {};
  const Reach reach = ReachOf(salience.grid, limits, salience.hopSeconds);
  const auto columns = static_cast<std::size_t>(width);
  std::vector<double> score(columns), next(columns);
  std::vector<std::int32_t> from(static_cast<std::size_t>(salience.frameCount) * columns, -1);

  for (std::int32_t c = 0; c < width; ++c)
    score[static_cast<std::size_t>(c)] =
        InCorridor(limits, 0, limits.firstIndex + c) && InStart(limits, limits.firstIndex + c) ? salience.Frame(0)[static_cast<std::size_t>(limits.firstIndex + c)]
                                                     : kExcluded;
  for (std::int32_t f = 1; f < salience.frameCount; ++f) {
    const std::span<const float> row = salience.Frame(f);
    std::int32_t* back = from.data() + static_cast<std::size_t>(f) * columns;
    for (std::int32_t c = 0; c < width; ++c) {
      const std::int32_t i = limits.firstIndex + c;
      double best = kExcluded;
      std::int32_t bestFrom = -1;
      if (InCorridor(limits, f, i)) {
        for (std::int32_t j = reach.lowest[static_cast<std::size_t>(c)]; j <= reach.highest[static_cast<std::size_t>(c)]; ++j) {
          // j is the previous frame's candidate: i above it is a rise, below it a fall.
          const double cost = i >= j ? limits.stepPenalty * (i - j) : limits.fallPenalty * (j - i);
          const double candidate = score[static_cast<std::size_t>(j - limits.firstIndex)] - cost;
          if (candidate > best) {
            best = candidate;
            bestFrom = j;
          }
        }
      }
      next[static_cast<std::size_t>(c)] = bestFrom >= 0 ? best + row[static_cast<std::size_t>(i)] : kExcluded;
      back[c] = bestFrom;
    }
    score.swap(next);
  }

  const auto last = std::max_element(score.begin(), score.end());
  if (*last == kExcluded) return {};
  std::vector<std::int32_t> path(static_cast<std::size_t>(salience.frameCount));
  std::int32_t index = limits.firstIndex + static_cast<std::int32_t>(last - score.begin());
  for (std::int32_t f = salience.frameCount - 1; f >= 0; --f) {
    path[static_cast<std::size_t>(f)] = index;
    if (f > 0) index = from[static_cast<std::size_t>(f) * columns + static_cast<std::size_t>(index - limits.firstIndex)];
  }
  return path;
}

}  // namespace ruvo
