// The building blocks of the B-spline fit: the sort and the banded accumulation and solve. The
// Householder step is proven through the whole fit against an independent solution.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "fitting/banded_least_squares.h"
#include "fitting/error_capture.h"
#include "fitting/value_sort.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

using test::ErrorCapture;
using test::IsClose;
using Vector = std::vector<double>;

TEST(DSORT, SortsEveryKindAndCarriesTheCompanion) {
  std::mt19937 engine(17);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int n : {1, 2, 11, 12, 13, 40, 257, 2000})
    for (unsigned distinct : {1u, 3u, 1000u, 0u})  // 0: a third of the values NaN
      for (std::int32_t kind : {1, 2, -1, -2}) {
        Vector original, values, companion;
        for (int i = 0; i < n; ++i) {
          original.push_back(distinct ? static_cast<double>(engine() % distinct) - 5.5 : i % 3 ? std::sin(i) : nan);
          companion.push_back(i);
        }
        values = original;
        DSORT(values, companion, n, kind);
        // Every value stays exactly once; kind 2 moves its companion with it, kind 1 leaves it.
        std::vector<int> seen(static_cast<std::size_t>(n), 0);
        for (std::size_t i = 0; i < values.size(); ++i) {
          const auto from = static_cast<std::size_t>(companion[i]);
          ASSERT_EQ(++seen[from], 1) << "n=" << n << " kind=" << kind;
          if (kind == 1 || kind == -1) {
            ASSERT_EQ(from, i) << "n=" << n << " kind=" << kind;
          } else {
            ASSERT_TRUE(values[i] == original[from] || (std::isnan(values[i]) && std::isnan(original[from])))
                << "n=" << n << " kind=" << kind;
          }
        }
        if (!distinct) continue;
        Vector sorted = original;
        std::sort(sorted.begin(), sorted.end());
        if (kind < 0) std::reverse(sorted.begin(), sorted.end());
        EXPECT_EQ(values, sorted) << "n=" << n << " kind=" << kind << " distinct=" << distinct;
      }
}

TEST(DSORT, RejectsBadArgumentsWithoutSorting) {
  const struct {
    std::int32_t n, kind;
    std::size_t companionLength;
    std::int32_t errorNumber;
    const char* message;
  } cases[] = {
      {0, 1, 4, 1, "The number of values to be sorted is not positive."},
      {-3, 1, 4, 1, "The number of values to be sorted is not positive."},
      {4, 0, 4, 2, "The sort control parameter, K, is not 2, 1, -1, or -2."},
      {4, std::numeric_limits<std::int32_t>::min(), 4, 2, "The sort control parameter, K, is not 2, 1, -1, or -2."},
      {5, 1, 4, 3, "The arrays are shorter than the number of values to be sorted."},
      {4, -2, 3, 3, "The arrays are shorter than the number of values to be sorted."},
  };
  for (const auto& c : cases) {
    ErrorCapture errors;
    Vector values = {4, 3, 2, 1};
    Vector companion(c.companionLength, 9.0);
    DSORT(values, companion, c.n, c.kind);
    EXPECT_EQ(values, Vector({4, 3, 2, 1})) << c.message;
    ASSERT_EQ(errors.Records().size(), 1u) << c.n << " " << c.kind;
    EXPECT_EQ(errors.Records()[0].message, c.message);
    EXPECT_EQ(errors.Records()[0].routine, "DSORT");
    EXPECT_EQ(errors.Records()[0].errorNumber, c.errorNumber);
  }
}

TEST(BandedLeastSquares, ReportsRoutineErrorsAndChangesNothing) {
  Vector storage(6 * 4, 1.0);  // six rows of a band of width 3 and its right-hand side
  const struct {
    std::int32_t ip, ir, mt, jt;
    const char* message;
  } cases[] = {
      {1, 7, 1, 1, "MDG.LT.IR, PROBABLE ERROR."},                             // first free row beyond g
      {3, 4, 1, 2, "JT.LT.IP OR THE ROWS DO NOT FIT IN G, PROBABLE ERROR."},  // column before the band
      {1, 4, 4, 1, "JT.LT.IP OR THE ROWS DO NOT FIT IN G, PROBABLE ERROR."},  // staged rows beyond g
      {1, 2, 3, 5, "JT.LT.IP OR THE ROWS DO NOT FIT IN G, PROBABLE ERROR."},  // moved rows beyond g
  };
  for (const auto& c : cases) {
    ErrorCapture errors;
    std::int32_t ip = c.ip;
    std::int32_t ir = c.ir;
    DBNDAC(ColumnMajorMatrix(storage, 6), 3, ip, ir, c.mt, c.jt);
    EXPECT_EQ(storage, Vector(24, 1.0)) << c.jt;
    EXPECT_EQ(ip * 100 + ir, c.ip * 100 + c.ir) << c.jt;
    ASSERT_EQ(errors.Records().size(), 1u) << c.jt;
    EXPECT_EQ(errors.Records()[0].message, c.message);
    EXPECT_EQ(errors.Records()[0].routine, "DBNDAC");
  }

  // A band of width 2 holding the triangle [2 1; 0 d] with right-hand sides (4, 3); first d = 0.
  Vector band(4 * 3, 0.0);
  const ColumnMajorMatrix triangle(band, 4);
  triangle(1, 1) = 2;
  triangle(1, 2) = 1;
  triangle(1, 3) = 4;
  triangle(2, 3) = 3;
  Vector x = {9, 9};
  ErrorCapture errors;
  DBNDSL(triangle, 2, 3, 3, x, 2);
  ASSERT_EQ(errors.Records().size(), 1u);
  EXPECT_EQ(errors.Records()[0].message, "A ZERO DIAGONAL TERM IS IN THE N BY N UPPER TRIANGULAR MATRIX.");
  EXPECT_EQ(errors.Records()[0].routine, "DBNDSL");
  triangle(2, 1) = 0.5;  // x2 = 3 / 0.5 = 6 and x1 = (4 - 6) / 2
  EXPECT_EQ(DBNDSL(triangle, 2, 3, 3, x, 2), 0.0);
  EXPECT_EQ(x, Vector({-1.0, 6.0}));
  EXPECT_EQ(DBNDSL(triangle, 2, 3, 3, x, 3), 0.0);  // x holds only two values
  EXPECT_EQ(errors.Records().back().message, "G OR X IS TOO SMALL FOR N, PROBABLE ERROR.");
}

}  // namespace
}  // namespace ruvo
