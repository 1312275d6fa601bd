#pragma once

#include <cstdint>
#include <vector>

#include "tracking/harmonic_salience.h"

namespace ruvo {

// How the search may move between frames.
struct PathLimits {
  std::int32_t firstIndex = 0;  // candidates searched, grid indices firstIndex..lastIndex
  std::int32_t lastIndex = 0;
  double maxRiseRpmPerSecond = 0.0;  // fastest physical change of engine speed upwards
  double maxFallRpmPerSecond = 0.0;  // and downwards (lift-off, gear change)
  double stepPenalty = 0.0;          // salience lost per grid step moved up between frames
  // and per grid step moved down: a fall may cost more, so a path that climbed onto a multiple of
  // the speed pays for coming back to it, and a slide onto a subharmonic costs more than staying.
  double fallPenalty = 0.0;
  // When not empty: frame f may only use candidates within +-corridorSteps of corridor[f] (a
  // fractional grid index), to follow a given ratio of an earlier path.
  std::vector<double> corridor;
  double corridorSteps = 0.0;
  // When startLastIndex >= startFirstIndex: the first frame may only use candidates in that range.
  std::int32_t startFirstIndex = 0;
  std::int32_t startLastIndex = -1;
};

// The most likely speed through all frames: the grid indices (one per frame) that maximise the
// summed salience minus stepPenalty per grid step moved up and fallPenalty per step down, moving between adjacent frames no faster
// than the limits allow. Viterbi dynamic programming, O(frames x candidates x reach). Reference:
// Forney, "The Viterbi algorithm", Proc. IEEE 61 (1973). Ties go to the lower index, so the
// result is deterministic. Returns an empty path when no candidate is allowed.
std::vector<std::int32_t> FindSpeedPath(const SalienceMap& salience, const PathLimits& limits);

}  // namespace ruvo
