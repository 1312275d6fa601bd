#pragma once

namespace ruvo {

// Unit conversions used across the engine.
inline constexpr double kSecondsPerMinute = 60.0;  // revolutions per second to RPM
inline constexpr double kPercent = 0.01;           // percent to a fraction

}  // namespace ruvo
