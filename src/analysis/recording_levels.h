#pragma once

#include <cstdint>
#include <span>

namespace ruvo {

// How fit a recording's levels are for pulse detection, measured once over all its samples.
struct RecordingLevels {
  double clippedShare = 0.0;  // share of the samples on the lowest or highest value, when that is a clipping limit
  double noiseLevel = 0.0;  // median deviation from the mean level, 8-bit steps (sparks are rare enough not to move it)
  double wanderLevel = 0.0;  // standard deviation of the mean level of 2-ms blocks, steps: hum or DC drift
};

// Measures every 8th of samples (8-bit, sampleRate per second) around meanLevel. An empty recording
// gives zeros.
RecordingLevels MeasureRecordingLevels(std::span<const std::uint8_t> samples,
                                       std::int32_t sampleRate,
                                       std::uint8_t meanLevel);

}  // namespace ruvo
