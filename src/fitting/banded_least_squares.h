#pragma once

#include <cstdint>
#include <span>

#include "fitting/one_based.h"

namespace ruvo {

// Sequential banded least squares after Lawson and Hanson, "Solving Least Squares Problems"
// (Prentice-Hall, 1974), chapter 27, with their Householder routine H12 (chapter 10). Indices
// count from 1 (see one_based.h). Nothing here allocates; reports go to ErrorSink with library
// "FITLIB".

// One Householder transformation I + u u^T / b. With mode 2 it is only applied (u and up from an
// earlier construction); any other mode constructs it from u first: the transformation that zeros
// u(l1..m) against u(pivot). u(pivot) then holds the new pivot value and up the value the
// transformation needs besides u; u(l1..m) keep the rest of its vector. It is applied to rows
// pivot and l1..m of the ncv columns of y. Does nothing unless 0 < pivot < l1 <= m.
// Preconditions: u holds m elements and y at least m rows and ncv columns.
void HouseholderStep(std::int32_t mode,
                     std::int32_t pivot,
                     std::int32_t l1,
                     std::int32_t m,
                     OneBased<double> u,
                     double& up,
                     ColumnMajorMatrix y,
                     std::int32_t ncv);

// Merges mt new equations, staged in rows ir..ir+mt-1 of g and having their first nonzero
// coefficient in column jt of the full matrix, into the upper-triangular band held in rows
// 1..ir-1. Each row of g holds nb band coefficients and then its right-hand side (nb + 1 columns);
// g has MDG = g.rows() rows. ip (first row of the current band) and ir (first free row) are read
// and written; both start at 1. Does nothing when mt <= 0 or nb <= 0. Reports "MDG.LT.IR, PROBABLE
// ERROR." when ir > MDG, and a second message when jt < ip or the rows do not fit in g; g, ip and
// ir are then unchanged.
void DBNDAC(ColumnMajorMatrix g, std::int32_t nb, std::int32_t& ip, std::int32_t& ir, std::int32_t mt, std::int32_t jt);

// Solves the triangular band accumulated by DBNDAC for x(1..n) by back substitution and returns
// the residual norm (the root of the sum of squares of the right-hand sides of rows n+1..ir-1).
// Reports "A ZERO DIAGONAL TERM IS IN THE N BY N UPPER TRIANGULAR MATRIX." and stops at the first
// zero diagonal term, and a second message (returning 0, x unchanged) when g or x is too small for n.
double DBNDSL(
    ColumnMajorMatrix g, std::int32_t nb, std::int32_t ip, std::int32_t ir, std::span<double> x, std::int32_t n);

}  // namespace ruvo
