#include "fitting/banded_least_squares.h"

#include <algorithm>
#include <cmath>

#include "fitting/error_sink.h"
#include "fitting/vector_primitives.h"

namespace ruvo {
namespace {

constexpr char kLibrary[] = "FITLIB";
constexpr double kZero = 0.0;
const OneBased<const double> kZeros(&kZero, 0);  // stride 0: zero repeated

}  // namespace

void HouseholderStep(std::int32_t mode,
                     std::int32_t pivot,
                     std::int32_t l1,
                     std::int32_t m,
                     OneBased<double> u,
                     double& up,
                     ColumnMajorMatrix y,
                     std::int32_t ncv) {
  if (!(0 < pivot && pivot < l1 && l1 <= m)) return;
  double cl = std::fabs(u(pivot));
  if (mode != 2) {
    for (std::int32_t j = l1; j <= m; ++j) cl = std::max(std::fabs(u(j)), cl);
    if (cl <= 0.0) return;
    // Scaled by the largest element so that the squares neither overflow nor underflow.
    const double clInverse = 1.0 / cl;
    const double scaledPivot = u(pivot) * clInverse;
    double sum = scaledPivot * scaledPivot;
    for (std::int32_t j = l1; j <= m; ++j) {
      const double scaled = u(j) * clInverse;
      sum = sum + scaled * scaled;
    }
    cl = cl * std::sqrt(sum);
    if (u(pivot) > 0.0) cl = -cl;
    up = u(pivot) - cl;
    u(pivot) = cl;
  } else if (cl <= 0.0) {
    return;
  }
  if (ncv <= 0) return;
  double b = up * u(pivot);
  if (b >= 0.0) return;  // b is never positive; 0 means there is nothing to transform
  b = 1.0 / b;

  // For each column, s = y(pivot)*up + sum of y(i)*u(i) over l1..m, then y += s*b*(up, u). up sits
  // in u(l1-1) for the moment and y(pivot) is exchanged with y(l1-1), so that one contiguous dot
  // product and update over l1-1..m take the pivot term first, as the plain loop would.
  const std::int32_t first = l1 - 1;
  const std::int32_t length = m - first + 1;
  const double displaced = u(first);
  u(first) = up;
  if (pivot != first) VecSwap(ncv, y.Row(first), y.Row(pivot));
  for (std::int32_t column = 1; column <= ncv; ++column) {
    const OneBased<double> target = y.Column(column, first);
    const double s = VecDot(length, u.From(first), target) * b;
    VecAxpy(length, s, u.From(first), target);
  }
  u(first) = displaced;
  if (pivot != first) VecSwap(ncv, y.Row(first), y.Row(pivot));
}

void DBNDAC(
    ColumnMajorMatrix g, std::int32_t nb, std::int32_t& ip, std::int32_t& ir, std::int32_t mt, std::int32_t jt) {
  const std::int32_t mdg = g.rows();
  if (mt <= 0 || nb <= 0) return;
  if (mdg < ir) {
    ErrorSink(kLibrary, "DBNDAC", "MDG.LT.IR, PROBABLE ERROR.", 1, 2);
    return;
  }
  const std::int64_t lastStagedRow = std::int64_t{ir} + mt - 1;
  const std::int64_t lastMovedRow = std::int64_t{jt} + mt - 1;
  if (g.columns() <= nb || ip < 1 || ir < ip || jt < ip || lastStagedRow > mdg || (jt > ir && lastMovedRow > mdg)) {
    ErrorSink(kLibrary, "DBNDAC", "JT.LT.IP OR THE ROWS DO NOT FIT IN G, PROBABLE ERROR.", 2, 2);
    return;
  }
  const std::int32_t nbp1 = nb + 1;

  if (jt != ip) {
    if (jt > ir) {
      // Move the new rows down to start at row jt (last row first: the ranges may overlap) and
      // clear the rows they leave between the band and them.
      for (std::int32_t i = 1; i <= mt; ++i) VecCopy(nbp1, g.Row(ir + mt - i), g.Row(jt + mt - i));
      for (std::int32_t row = ir; row < jt; ++row) VecCopy(nbp1, kZeros, g.Row(row));
      ir = jt;
    }
    // Shift the band rows below ip left so that their first coefficient belongs to column jt.
    const std::int32_t mu = std::min(nb - 1, ir - ip - 1);
    for (std::int32_t l = 1; l <= mu; ++l) {
      const std::int32_t shift = std::min(l, jt - ip);
      const OneBased<double> row = g.Row(ip + l);
      VecCopy(nb - l, row.From(l + 1), row.From(l + 1 - shift));
      VecCopy(shift, kZeros, row.From(nbp1 - shift));
    }
    ip = jt;
  }

  const std::int32_t mh = ir + mt - ip;
  const std::int32_t kh = std::min(nbp1, mh);
  for (std::int32_t i = 1; i <= kh; ++i) {
    double up = 0.0;
    // The last pivot column has no columns to its right (ncv = 0); its block is never read.
    const ColumnMajorMatrix right = g.Block(ip, std::min(i + 1, nbp1));
    HouseholderStep(1, i, std::max(i + 1, ir - ip + 1), mh, g.Column(i, ip), up, right, nbp1 - i);
  }
  ir = ip + kh;
  if (kh == nbp1) VecCopy(nb, kZeros, g.Row(ir - 1));
}

double DBNDSL(
    ColumnMajorMatrix g, std::int32_t nb, std::int32_t ip, std::int32_t ir, std::span<double> x, std::int32_t n) {
  if (nb < 1 || g.columns() <= nb || ip < 1 || std::int64_t{n} > std::ssize(x) || n > g.rows() || ir - 1 > g.rows() ||
      std::int64_t{n} - ip > nb) {
    ErrorSink(kLibrary, "DBNDSL", "G OR X IS TOO SMALL FOR N, PROBABLE ERROR.", 2, 2);
    return 0.0;
  }
  const OneBased<double> solution(x);
  const std::int32_t nbp1 = nb + 1;
  VecCopy(n, g.Column(nbp1), solution);
  double residualSquares = 0.0;
  for (std::int32_t j = n + 1; j <= ir - 1; ++j) residualSquares = residualSquares + g(j, nbp1) * g(j, nbp1);
  const double residualNorm = std::sqrt(residualSquares);

  for (std::int32_t i = n; i >= 1; --i) {
    // Rows below ip are not yet shifted: their diagonal sits l columns to the right, and their
    // band ends l columns early (the coefficients beyond it are zero).
    const std::int32_t l = std::max(0, i - ip);
    double s = 0.0;
    if (i != n) {
      const std::int32_t last = std::min({n + 1 - i, nb, nb - l});
      for (std::int32_t j = 2; j <= last; ++j) s = s + g(i, j + l) * solution(i - 1 + j);
    }
    if (g(i, l + 1) == 0.0) {
      ErrorSink(kLibrary, "DBNDSL", "A ZERO DIAGONAL TERM IS IN THE N BY N UPPER TRIANGULAR MATRIX.", 1, 2);
      return residualNorm;
    }
    solution(i) = (solution(i) - s) / g(i, l + 1);
  }
  return residualNorm;
}

}  // namespace ruvo
