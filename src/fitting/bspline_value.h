#pragma once

#include <cstdint>
#include <span>

namespace ruvo {

// Result of an interval search: left is a 1-based index into the searched array.
struct KnotInterval {
  std::int32_t left;
  std::int32_t flag;  // -1 below the first value, 0 inside, 1 at or beyond the last value
};

// Finds x in the nondecreasing array b(1..L) (L = b.size(), indices from 1):
//   flag -1, left 1 when x < b(1);
//   flag  0 when b(left) <= x < b(left+1);
//   flag  1, left L when x >= b(L).
// Hunts outwards from hint with doubling steps, then bisects (de Boor, "A Practical Guide to
// Splines", 1978, routine INTERV). hint is read and written: it is left near the interval found,
// so searches at nearby x cost a few comparisons. A hint below 1 counts as 1.
KnotInterval FindKnotInterval(std::span<const double> b, double x, std::int32_t& hint);

// The ideriv-th derivative at x of the B-spline curve of order k (degree k-1) with knots
// t(1..n+k) (nondecreasing) and coefficients a(1..n); ideriv 0 gives the value. The curve is
// defined on [t(k), t(n+1)]; at t(n+1) the result is the left limit from the last interval of
// positive length. Units: those of a per unit of t to the power ideriv. hint is the caller's search
// hint (set to 1 before the first call, then passed back each time); work is scratch of at least
// 3k doubles. Method: differencing the coefficients, then de Boor's recurrence (de Boor 1978,
// routine BVALUE). Any invalid argument gives 0 and one message to ErrorSink ("FITLIB", "DBVALU",
// error 2, level 1): k < 1, n < k, ideriv outside 0..k-1, t, a or work shorter than n+k, n or 3k,
// x below t(k) (or NaN), x beyond t(n+1), and a left limit asked at t(k) = t(n+1). No allocation.
double DBVALU(std::span<const double> t,
              std::span<const double> a,
              std::int32_t n,
              std::int32_t k,
              std::int32_t ideriv,
              double x,
              std::int32_t& hint,
              std::span<double> work);

// DBVALU for ideriv 0, 1 and 2 at one x, into values[0..2]: one interval search, the first
// differences shared by both derivatives, the knot distances by all three, and otherwise the same
// operations in the same order, so each result is bitwise the one DBVALU gives. Arguments as for
// DBVALU; where DBVALU would reject any of the three (or k is larger than this routine keeps on
// its stack), it calls DBVALU three times instead.
void DBVALUUpToSecond(std::span<const double> t,
                      std::span<const double> a,
                      std::int32_t n,
                      std::int32_t k,
                      double x,
                      std::int32_t& hint,
                      std::span<double> work,
                      std::span<double, 3> values);

}  // namespace ruvo
