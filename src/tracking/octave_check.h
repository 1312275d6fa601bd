#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tracking/engine_order_tracker.h"
#include "tracking/harmonic_salience.h"

namespace ruvo {

// What the octave check weighs: the salience map, the chosen path (fractional grid index per
// frame), each frame's baseline (the median salience of the band) and which frames were tracked
// with confidence (their speeds are compared with the expected ones).
struct OctaveEvidence {
  const SalienceMap* salience = nullptr;
  std::span<const double> pathIndex;
  std::span<const double> baseline;
  std::span<const std::uint8_t> confident;
  std::span<const double> ratios;  // of RatiosFor, at least one
  double lowRpm = 0.0;  // the band, for the verdict
  double highRpm = 0.0;
  double expectedStartRpm = 0.0;  // 0 when unknown
  double expectedEndRpm = 0.0;
};

// The ratios of the chosen speed scored: half and double (an octave, or a wrong cylinder count),
// two thirds and three halves (a 2- or 3-cylinder pattern read as the other), a third and triple
// (a 6-cylinder's firing order landing on the orders of a slower 6, a 3-cylinder's firing order
// on the half orders of a faster 3) and a quarter and four times (the same for 8 cylinders).
// The commonest mistakes come first.
inline constexpr double kOctaveRatios[] = {0.5, 2.0, 2.0 / 3.0, 1.5, 1.0 / 3.0, 3.0, 0.25, 4.0};

// kOctaveRatios and, when it is not among them, the engine's own pair: the speed whose firing
// order lands on the engine's lowest order (1/6 for a 6-cylinder 4-stroke, whose half orders a
// slower 6-cylinder reads as its firing harmonics) and its inverse.
std::vector<double> RatiosFor(const EngineComb& comb);

struct OctaveDecision {
  OctaveCheck check;
  // The ratio of the chosen path the expected speeds point to: 1 to keep it, another of
  // ratios to track that multiple of it instead (then check again), 0 when nothing fits.
  double retrackRatio = 1.0;
};

// Scores every ratio along the whole recording (outside the band too) as the salience above the
// baseline summed along ratio x path, over that of the path. Without expected speeds the path
// passes when every alternative scores clearly below it; with them, a path passes when its speeds
// come within 25% of each expected one, and an alternative that fits is asked for instead.
OctaveDecision CheckOctaves(const OctaveEvidence& evidence);

}  // namespace ruvo
