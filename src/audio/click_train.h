#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace ruvo {

// Where the clicks of a click envelope (MatchedEnvelope) lie, found as one train rather than one
// click at a time: the sequence of times that best adds up the envelope, each time counting its
// height over clickHeight (that of the strongest clicks) less kTrainFloor, so that noise between
// the clicks counts against a train, with a penalty 4 (log(interval / previous interval))^2 on
// every change of interval, since an engine cannot change speed abruptly. Solved exactly by
// dynamic programming over 0.25-ms bins and intervals of kShortestClickInterval to
// kLongestClickInterval (reference: D. P. W. Ellis, "Beat tracking by dynamic programming", Journal
// of New Music Research 36 (2007) 51-60, here with the previous interval in place of a fixed
// tempo). The sample of each click's largest envelope, in order; empty for a sound shorter than two
// bins or without a height.
std::vector<std::size_t> TrackClickTrain(std::span<const float> envelope, double sampleRateHz, double clickHeight);

inline constexpr double kTrainFloor = 0.5;
inline constexpr double kShortestClickInterval = 0.003;  // s: 20000 rpm at two sparks a revolution
inline constexpr double kLongestClickInterval = 0.3;     // s: 400 rpm at two revolutions a spark

// Whether each of the given clicks lies within reach samples of a click of the train (all but one
// in ten must): a train that misses the strongest clicks is not the engine's.
bool TrainHoldsClicks(std::span<const std::size_t> train, std::span<const std::size_t> clicks, std::size_t reach);

// Scales the envelope by kGateFloor except within reach samples of each click of the train, so the
// noise between the clicks falls and the clicks stay.
void GateToTrain(std::vector<float>& envelope, std::span<const std::size_t> train, std::size_t reach);

// How far a click's envelope may lie from its place in the train, s: the train's bins, the noise
// moving an envelope's peak and the detection taking a click where its envelope rises.
inline constexpr double kTrainReachSeconds = 0.002;
inline constexpr float kGateFloor = 0.3f;

}  // namespace ruvo
