#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/run_modes.h"

namespace ruvo {

// How evenly the pulses of the last analysed recording are spaced within one engine cycle.
struct SparkTiming {
  static constexpr int kSlots = 12;                // at most 12 pulses per engine cycle of two revolutions
  std::array<double, kSlots> sparkFractions{};     // share of the cycle from each pulse to the next
  std::array<double, kSlots> sparkDegreeErrors{};  // deviation from even spacing, crank degrees
  std::string sparkFractionsLine;                  // "# Spark (fractions):..." with its line end, or empty
  std::string sparkErrorLine;                      // "# Spark (deg error):..." with its line end, or empty
};

// The results of the last calculation, kept until the next one starts. Arrays hold rowCount values
// while arraysAllocated is true; which arrays exist depends on resultMode.
struct CalculationResults {
  bool succeeded = false;
  bool arraysAllocated = false;
  std::vector<double> pulseTimes;      // seconds, last processed recording
  std::vector<double> cumulativeRevs;  // engine revolutions at each pulse
  std::int32_t rowCount = 0;
  CalculationMode resultMode = CalculationMode::kDynamometer;  // the arrays were allocated for it
  // Both modes.
  std::vector<double> rpm;           // revolutions per minute
  std::vector<double> acceleration;  // g
  std::vector<double> speed;         // miles per hour
  // Dynamometer mode (forces in pounds).
  std::vector<double> force, accelForce, dragForce, frictionForce;
  std::vector<double> horsepower;  // hp
  std::vector<double> torque;      // foot-pounds
  // Tachometer mode.
  std::vector<double> distance;  // miles
  double rollingForce = 0.0;     // pounds, one value for every dynamometer row
  std::string summaryLine1, summaryLine2;
  SparkTiming spark;

  // Releases any arrays, then allocates rowCount values for the arrays of mode.
  void AllocateResults(CalculationMode mode);
  // Releases the timeline copies and every result array; nothing when none are allocated.
  void ReleaseResults();
};

}  // namespace ruvo
