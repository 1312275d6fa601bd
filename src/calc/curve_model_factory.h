#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "core/calculation_log.h"
#include "core/run_modes.h"
#include "fitting/curve_model.h"

namespace ruvo {

inline constexpr std::int32_t kCurveOrder = 5;  // B-spline order of every fitted curve

// The model of the smoothing method over the pulse times and cumulative revolutions, fitted; null
// when its fit failed. declineRevsPerSecond is the exponential fit's start of decline; log receives
// its lines.
std::unique_ptr<const CurveModel> CreateCurveModel(SmoothingMethod method,
                                                   std::span<const double> times,
                                                   std::span<const double> revolutions,
                                                   std::int32_t smoothingLevel,
                                                   double declineRevsPerSecond,
                                                   CalculationLog& log);

}  // namespace ruvo
