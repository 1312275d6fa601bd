#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "core/calculation_log.h"
#include "fitting/curve_model.h"

namespace ruvo {

inline constexpr std::int32_t kCurveOrder = 5;  // B-spline order of every fitted curve

// The model of smoothing method 0 (none), 1 (local), 2 (spline segments) or 3 (exponential fit)
// over the pulse times and cumulative revolutions; nullptr for any other method.
// declineRevsPerSecond is the exponential fit's start of decline; log receives its lines.
std::unique_ptr<CurveModel> CreateCurveModel(std::int32_t smoothingMethod,
                                             std::span<const double> times,
                                             std::span<const double> revolutions,
                                             std::int32_t smoothingLevel,
                                             double declineRevsPerSecond,
                                             CalculationLog& log);

}  // namespace ruvo
