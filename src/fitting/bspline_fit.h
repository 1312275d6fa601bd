#pragma once

#include <cstdint>
#include <span>

namespace ruvo {

// The length DEFC needs for its work array with m data points, B-splines of order k and p
// breakpoints: (p-k+3)(k+1) + (p+1)(k+1) + 2 max(m, p) + p + k^2. Computed in 64 bits, so it is
// exact for any 32-bit arguments.
std::int64_t DefcWorkLength(std::int64_t m, std::int64_t k, std::int64_t p);

// Least-squares fit of a B-spline curve of order k (degree k-1) on the breakpoints bk(1..p) to
// the data (xd(i), yd(i)), i = 1..m, each equation scaled by 1/sd(i) where sd(i) != 0. The data
// and the breakpoints may come in any order; the breakpoints are not modified, but the end ones
// are widened (in a working copy) to cover the data. The n = p - k coefficients go to coef(1..n).
// Method: sequential banded accumulation with Householder transformations (Lawson and Hanson,
// "Solving Least Squares Problems", 1974, chapter 27), B-spline values by de Boor's recurrence.
//
// w(1..lw) is the caller's work array, lw >= DefcWorkLength(m, k, p), laid out as: the saved rows
// (p-k+3 rows by k+1 columns, column-major), the staging matrix (p+1 by k+1, column-major), the
// sorted abscissae and their point indices (max(m, p) doubles each), the sorted breakpoints (p)
// and the B-spline values of one point (k*k). On return the saved rows hold the accumulated
// triangle; mdein 2 continues a fit from them with more data, mdein 1 starts afresh.
//
// status: 1 solved; 2 not solved because the data do not determine every coefficient (coef all 0,
// no message); -1 invalid input (coef all 0, one message to ErrorSink, routine "DEFCMN"). Invalid
// input: k outside 1..20 (error 3), p < 2k (4), m < 0 (5), lw too small (6), mdein not 1 or 2
// (7), and an array shorter than its stated length (8). No allocation.
void DEFC(std::int32_t m,
          std::span<const double> xd,
          std::span<const double> yd,
          std::span<const double> sd,
          std::int32_t k,
          std::int32_t p,
          std::span<const double> bk,
          std::int32_t mdein,
          std::int32_t& status,
          std::span<double> coef,
          std::span<double> w,
          std::int32_t lw);

}  // namespace ruvo
