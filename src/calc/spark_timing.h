#pragma once

#include <span>

#include "calc/calculation_results.h"
#include "core/calculation_log.h"

namespace ruvo {

// Measures how evenly the pulses fall within engine cycles of two revolutions: averages, over the
// complete cycles of the recording, the revolution fraction at each pulse (time fraction corrected
// for constant angular acceleration within the cycle), differences them into shares per pulse and
// their errors in crank degrees, and writes the two spark lines to the log. Resets the fractions
// and errors on every call; skipped (lines unchanged) above 1.99 revolutions per spark, when more
// than 12 pulses would fall in one cycle, or without one complete cycle.
// times in seconds, revolutions cumulative, angularAcceleration in revolutions per second squared.
void AnalyzeSparkTiming(double revsPerIgnition,
                        std::span<const double> times,
                        std::span<const double> revolutions,
                        std::span<const double> angularAcceleration,
                        SparkTiming& timing,
                        CalculationLog& log);

}  // namespace ruvo
