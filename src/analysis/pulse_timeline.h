#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ruvo {

// The stretch of a recording's pulses that forms its timeline.
struct TimelineRange {
  std::int32_t firstIndex = 0;
  std::int32_t count = 0;
};

// Time of every pulse in seconds, written to times (one entry per pulse): by timeReference 1 the
// pulse's start, 2 its peak, any other value the midpoint of start and end (sum taken in integers).
void ComputePulseTimes(std::span<const std::int32_t> starts,
                       std::span<const std::int32_t> ends,
                       std::span<const std::int32_t> peakPositions,
                       std::int32_t sampleRate,
                       std::int32_t timeReference,
                       std::span<double> times);

// Smoothed engine speed in RPM at every pulse: the slope of a local least-squares line through the
// cumulative revolutions (window half-width trimLevel pulses) times 60, evaluated in pulse order.
std::vector<double> SmoothedRpm(std::span<const double> times,
                                std::span<const double> revolutions,
                                std::int32_t trimLevel);

// The acceleration run within the pulses, from their smoothed speeds rpm (one per pulse, rpm[0] never
// read): it begins one pulse before the speed first exceeds initialRpm and ends at the highest speed
// reached before the speed falls more than tolerance = (finalRpm - initialRpm) * riseTolerance below
// its running maximum or comes within the tolerance of finalRpm. A speed that never exceeds
// initialRpm leaves only the last pulse. Needs at least one pulse.
TimelineRange RunUpRange(std::span<const double> rpm,
                         std::int32_t initialRpm,
                         std::int32_t finalRpm,
                         double riseTolerance);

// The "#Final Derivatives:" log section for the timeline points range.firstIndex .. + count - 1 of
// the untrimmed times (s) and revolutions, compared with the fitted revolutions, RPM and angular
// acceleration (rev/s^2) at those points. The measured RPM is 60 times the forward difference at the
// first point, the backward difference at the last and the central difference between. A timeline of
// one point takes its difference from whichever untrimmed neighbour exists (the next pulse first);
// a point without any neighbour, or without fitted values, gets no row.
std::string FinalDerivativesText(std::span<const double> times,
                                 std::span<const double> revolutions,
                                 TimelineRange range,
                                 std::span<const double> revFit,
                                 std::span<const double> rpmFit,
                                 std::span<const double> accelFit);

}  // namespace ruvo
