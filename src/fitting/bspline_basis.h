#pragma once

#include <cstdint>
#include <span>

namespace ruvo {

// Highest B-spline order the fit accepts; the knot distances of one evaluation live in fixed
// arrays of this length.
inline constexpr std::int32_t kMaxSplineOrder = 20;

// The k B-splines of order k (degree k-1) that are nonzero on the knot interval
// [t(left), t(left+1)), evaluated at x, into v(1..k), by the de Boor-Cox recurrence
// (de Boor, "A Practical Guide to Splines", 1978, routine BSPLVN). Indices count from 1: t(i) is
// t[i-1]. Reads t(left-k+2) .. t(left+k-1), which must be nondecreasing with
// t(left) <= x < t(left+1) for the values to mean anything. Returns false, writing nothing, when k
// is outside 1..kMaxSplineOrder, v is shorter than k or those knots are not all in t.
bool BsplineBasis(std::span<const double> t, std::int32_t k, double x, std::int32_t left, std::span<double> v);

}  // namespace ruvo
