#include "fitting/bspline_fit.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "fitting/banded_least_squares.h"
#include "fitting/bspline_basis.h"
#include "fitting/error_sink.h"
#include "fitting/one_based.h"
#include "fitting/value_sort.h"
#include "fitting/vector_primitives.h"

namespace ruvo {
namespace {

constexpr char kLibrary[] = "FITLIB";
constexpr char kRoutine[] = "DEFCMN";
constexpr double kZero = 0.0;
const OneBased<const double> kZeros(&kZero, 0);  // stride 0: zero repeated

// The pieces of the caller's work array.
struct FitWork {
  ColumnMajorMatrix savedRows;  // p-k+3 rows by k+1 columns: the triangle kept for a later mdein 2
  ColumnMajorMatrix staging;    // MDG = p+1 rows by k+1 columns: new equations and the band
  std::span<double> sortedAbscissae;
  std::span<double> pointIndices;  // whole numbers held as doubles
  std::span<double> breakpoints;
  std::span<double> basisValues;
};

// Appends value right-aligned in a field of width characters (wider when it has more digits).
char* AppendRightAligned(char* out, std::int64_t value, std::ptrdiff_t width) {
  std::array<char, 24> digits;
  char* end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  const std::ptrdiff_t length = end - digits.data();
  for (std::ptrdiff_t pad = length; pad < width; ++pad) *out++ = ' ';
  return std::copy(digits.data(), end, out);
}

void ReportShortStorage(std::int64_t need, std::int32_t given) {
  constexpr std::string_view kText =
      "IN DEFC, INSUFFICIENT STORAGE FOR W(*).  CHECK FORMULA THAT READS LW.GE. ... .  NEED = ";
  constexpr std::string_view kGiven = " GIVEN = ";
  std::array<char, 160> message;
  char* out = std::copy(kText.begin(), kText.end(), message.data());
  out = AppendRightAligned(out, need, 8);
  out = std::copy(kGiven.begin(), kGiven.end(), out);
  out = AppendRightAligned(out, given, 8);
  ErrorSink(kLibrary, kRoutine, std::string_view(message.data(), static_cast<std::size_t>(out - message.data())), 6, 1);
}

// Reports the first invalid argument and returns false; true when all are valid.
bool CheckArguments(std::int32_t m, std::int32_t k, std::int32_t p, std::int32_t mdein, std::int32_t lw) {
  if (k < 1 || k > kMaxSplineOrder) {
    ErrorSink(kLibrary, kRoutine, "IN DEFC, THE ORDER OF THE B-SPLINE MUST BE 1 THRU 20.", 3, 1);
    return false;
  }
  if (p < 2 * k) {
    ErrorSink(kLibrary, kRoutine, "IN DEFC, THE NUMBER OF KNOTS MUST BE AT LEAST TWICE THE B-SPLINE ORDER.", 4, 1);
    return false;
  }
  if (m < 0) {
    ErrorSink(kLibrary, kRoutine, "IN DEFC, THE NUMBER OF DATA POINTS MUST BE NONNEGATIVE.", 5, 1);
    return false;
  }
  if (const std::int64_t need = DefcWorkLength(m, k, p); lw < need) {
    ReportShortStorage(need, lw);
    return false;
  }
  if (mdein != 1 && mdein != 2) {
    ErrorSink(kLibrary, kRoutine, "IN DEFC, INPUT VALUE OF MDEIN MUST BE 1-2.", 7, 1);
    return false;
  }
  return true;
}

// The knot interval of a data point at xval, searching up from left (xval lies at or beyond
// b(left)): the last interval l <= n+1 with b(l) <= xval. A point on the right end b(n+1) would
// land in [b(n+1), b(n+2)), which does not exist for order 1 and has no length when the end knots
// repeat, so that its B-spline values would divide 0 by 0; it joins the last interval of positive
// length instead, at that interval's closed right end. Needs b(k) < b(n+1).
std::int32_t DataInterval(OneBased<const double> b, std::int32_t k, std::int32_t n, std::int32_t left, double xval) {
  while (left <= n && xval >= b(left + 1)) ++left;
  if (left == n + 1 && (k == 1 || !(b(n + 2) > b(n + 1)))) {
    left = n;
    while (left > k && !(b(left) < b(left + 1))) --left;
  }
  return left;
}

void DEFCMN(std::int32_t m,
            OneBased<const double> xd,
            OneBased<const double> yd,
            OneBased<const double> sd,
            std::int32_t k,
            std::int32_t p,
            OneBased<const double> bk,
            std::int32_t mdein,
            std::int32_t& status,
            std::span<double> coef,
            const FitWork& work) {
  const std::int32_t n = p - k;
  const std::int32_t nbp1 = k + 1;
  const ColumnMajorMatrix& g = work.staging;
  const std::int32_t mdg = g.rows();
  const OneBased<double> b(work.breakpoints);
  const OneBased<double> xs(work.sortedAbscissae);
  const OneBased<double> ps(work.pointIndices);

  VecCopy(p, bk, b);
  DSORT(work.breakpoints, {}, p, 1);
  double xmin = b(k);
  double xmax = b(n + 1);
  VecCopy(m, xd, xs);
  for (std::int32_t i = 1; i <= m; ++i) ps(i) = i;
  if (m > 0) {
    DSORT(work.sortedAbscissae, work.pointIndices, m, 2);
    xmin = std::min(xmin, xs(1));
    xmax = std::max(xmax, xs(m));
  }
  for (std::int32_t i = 1; i <= k; ++i) b(i) = std::min(b(i), xmin);
  for (std::int32_t i = n + 1; i <= p; ++i) b(i) = std::max(b(i), xmax);
  // With every data point on one abscissa that is also every knot from b(k) to b(n+1), no knot
  // interval of positive length holds data: the coefficients are undetermined.
  if (m > 0 && !(b(k) < b(n + 1))) {
    status = 2;
    return;
  }

  // ip: first row of the current band; ir: first free row of g; mt: rows staged at ir..ir+mt-1.
  std::int32_t mt = 0;
  std::int32_t ip = 1;
  std::int32_t ir = 1;
  std::int32_t left = k;
  std::int32_t savedRow = 1;  // next row of the saved triangle to merge when continuing
  const auto mergeSavedRow = [&](std::int32_t jt) {
    VecCopy(nbp1, work.savedRows.Row(savedRow), g.Row(ir));
    DBNDAC(g, k, ip, ir, 1, jt);
    ++savedRow;
  };

  for (std::int32_t i = 1; i <= m; ++i) {
    const auto point = static_cast<std::int32_t>(ps(i));
    const double xval = xd(point);
    if (xval >= b(left + 1)) {
      DBNDAC(g, k, ip, ir, mt, left - k + 1);
      mt = 0;
      for (const std::int32_t target = DataInterval(b, k, n, left, xval); left < target; ++left)
        if (mdein == 2) mergeSavedRow(savedRow);
    }
    BsplineBasis(work.breakpoints, k, xval, left, work.basisValues);
    const std::int32_t row = ir + mt;
    VecCopy(k, OneBased<const double>(work.basisValues.data()), g.Row(row));
    g(row, nbp1) = yd(point);
    ++mt;
    if (sd(point) != 0.0) VecScale(nbp1, 1.0 / sd(point), g.Row(row));
    // Merge when the staging area is full, and also when the staged rows, once moved down to
    // start at row jt of the band, would reach the last row of g: more would not fit there.
    const std::int32_t jt = left - k + 1;
    if (row >= mdg - 1 || std::int64_t{jt} + mt - 1 >= mdg) {
      DBNDAC(g, k, ip, ir, mt, jt);
      mt = 0;
    }
  }
  DBNDAC(g, k, ip, ir, mt, left - k + 1);
  if (mdein == 2)
    while (savedRow <= n + 1) mergeSavedRow(std::min(n, savedRow));

  // A zero row merged as column n+1 moves the band of the last rows into its final place.
  VecCopy(nbp1, kZeros, g.Row(ir));
  DBNDAC(g, k, ip, ir, 1, n + 1);
  for (std::int32_t i = 1; i <= n + 1; ++i) VecCopy(nbp1, g.Row(i), work.savedRows.Row(i));

  for (std::int32_t i = 1; i <= n; ++i)
    if (g(i, 1) == 0.0) {
      status = 2;
      return;
    }
  DBNDSL(g, k, ip, ir, coef, n);  // the residual norm is not needed
  status = 1;
}

}  // namespace

std::int64_t DefcWorkLength(std::int64_t m, std::int64_t k, std::int64_t p) {
  return (p - k + 3) * (k + 1) + (p + 1) * (k + 1) + 2 * std::max(m, p) + p + k * k;
}

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
          std::int32_t lw) {
  const std::int64_t n = std::int64_t{p} - k;
  std::fill_n(coef.begin(), std::clamp<std::int64_t>(n, 0, std::ssize(coef)), 0.0);
  status = -1;
  if (!CheckArguments(m, k, p, mdein, lw)) return;
  if (std::ssize(xd) < m || std::ssize(yd) < m || std::ssize(sd) < m || std::ssize(bk) < p || std::ssize(coef) < n ||
      std::ssize(w) < lw) {
    ErrorSink(kLibrary, kRoutine, "IN DEFC, AN ARRAY IS SHORTER THAN ITS STATED LENGTH.", 8, 1);
    return;
  }

  const auto take = [&w](std::int64_t count) {
    const std::span<double> piece = w.first(static_cast<std::size_t>(count));
    w = w.subspan(static_cast<std::size_t>(count));
    return piece;
  };
  const std::int32_t mdw = p - k + 3;
  const std::int32_t mdg = p + 1;
  const std::int64_t columns = k + 1;
  const std::int64_t sortLength = std::max(m, p);
  const FitWork work{ColumnMajorMatrix(take(mdw * columns), mdw),
                     ColumnMajorMatrix(take(mdg * columns), mdg),
                     take(sortLength),
                     take(sortLength),
                     take(p),
                     take(std::int64_t{k} * k)};
  DEFCMN(m, xd, yd, sd, k, p, bk, mdein, status, coef, work);
}

}  // namespace ruvo
