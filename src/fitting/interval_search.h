#pragma once

#include <cstdint>
#include <span>

namespace ruvo {

// Interval search shared by the piecewise-linear curve models. Returns p in 0..n-2 with
// x[p] <= at <= x[p+1] inside the data range, 0 below x[0] and n-2 above x[n-1], walking one
// interval at a time from the cached index, which it updates. When the abscissae do not increase
// it returns the first bracketing interval met on that walk. At a sample point x[k] an upward walk
// stops in interval k-1, a downward walk in interval k. Requires n >= 2 and cached in 0..n-2.
std::int32_t FindInterval(std::span<const double> x, double at, std::int32_t& cached);

}  // namespace ruvo
