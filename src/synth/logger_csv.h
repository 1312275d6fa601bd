#pragma once

#include <string>
#include <vector>

#include "synth/ignition_simulation.h"
#include "synth/synth_options.h"

namespace ruvo {

// Rows of idle at the start speed that a logger writes before the simulated motion begins.
inline constexpr int kLoggerIdleRows = 5;

// The log that an OBD adapter or a GPS meter would have written of the motion:
// "Time (s),Engine RPM (rpm),Vehicle Speed (km/h)", then a row every 1 / options.logRateHz
// seconds from kLoggerIdleRows rows of idle at the start speed to the end of the motion. Each
// row's speeds are the true ones at its nominal time, the engine speed rounded to a multiple of
// options.logRpmStep and the road speed (through the vehicle's gearing and tyre) to 0.01 km/h;
// each update is repeated on options.logHold more rows before the next; the time written is the
// nominal one plus a uniform jitter of up to options.logJitterMs either way, kept at least a
// millisecond after the row before, in whole milliseconds. Deterministic for a seed.
// Preconditions: ValidateSynthOptions(options) is empty, options.logRateHz > 0, steps not empty.
std::string FormatLoggerCsv(const SynthOptions& options, const std::vector<MotionStep>& steps);

}  // namespace ruvo
