#pragma once

#include <cstdint>

#include "fitting/one_based.h"

namespace ruvo {

// Level-1 vector operations of the banded least-squares fit, after the Basic Linear Algebra
// Subprograms (Lawson, Hanson, Kincaid and Krogh, ACM TOMS 5, 1979). Each works on elements
// 1..n of views that carry their own stride; n <= 0 does nothing (VecDot returns 0). A copy's
// source may have stride 0, which repeats one element: that is how rows are set to zero.

// y(i) = x(i).
void VecCopy(std::int32_t n, OneBased<const double> x, OneBased<double> y);
// x(i) = a * x(i).
void VecScale(std::int32_t n, double a, OneBased<double> x);
// Sum of x(i) * y(i), accumulated from 0 in increasing i.
double VecDot(std::int32_t n, OneBased<const double> x, OneBased<const double> y);
// y(i) = y(i) + a * x(i); nothing at all when a is 0.
void VecAxpy(std::int32_t n, double a, OneBased<const double> x, OneBased<double> y);
// Exchanges x(i) and y(i).
void VecSwap(std::int32_t n, OneBased<double> x, OneBased<double> y);

}  // namespace ruvo
