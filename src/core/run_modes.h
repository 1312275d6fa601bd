#pragma once

#include <cstdint>
#include <optional>

namespace ruvo {

// What a calculation computes: power and torque against RPM, or speed and distance against time.
enum class CalculationMode { kDynamometer, kTachometer };

// How the revolutions against time are smoothed before they are differentiated.
enum class SmoothingMethod { kNone, kLocal, kSplineSegments, kExponentialFit };

// The run document's numbers, in this one place: Calculation Mode 0 and 1, Smoothing Method 0 to
// 3. A document keeps whatever number it holds; these give the choice it names, or nothing.
std::optional<CalculationMode> CalculationModeOf(std::int32_t fileNumber);
std::optional<SmoothingMethod> SmoothingMethodOf(std::int32_t fileNumber);

}  // namespace ruvo
