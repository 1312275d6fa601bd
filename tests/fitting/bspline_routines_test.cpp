// The building blocks of the B-spline fit: the sort, the Householder step and the banded
// accumulation and solve.
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
  for (int n : {1, 2, 3, 11, 12, 13, 40, 257, 2000})
    for (int distinct : {1, 3, 1000}) {
      Vector original;
      for (int i = 0; i < n; ++i)
        original.push_back(static_cast<double>(engine() % static_cast<unsigned>(distinct)) - 5.5);
      for (std::int32_t kind : {1, 2, -1, -2}) {
        Vector values = original;
        Vector companion;
        for (int i = 0; i < n; ++i) companion.push_back(i);
        DSORT(values, companion, n, kind);
        Vector expected = original;
        if (kind > 0)
          std::sort(expected.begin(), expected.end());
        else
          std::sort(expected.begin(), expected.end(), std::greater<>());
        EXPECT_EQ(values, expected) << "n=" << n << " kind=" << kind << " distinct=" << distinct;
        for (int i = 0; i < n; ++i) {
          // Kind 2 permutes the companion with the values; kind 1 leaves it alone.
          const auto from = static_cast<std::size_t>(companion[static_cast<std::size_t>(i)]);
          if (kind == 2 || kind == -2)
            ASSERT_EQ(original[from], values[static_cast<std::size_t>(i)]) << "n=" << n << " kind=" << kind;
          else
            ASSERT_EQ(from, static_cast<std::size_t>(i)) << "n=" << n << " kind=" << kind;
        }
      }
    }
}

TEST(DSORT, StaysInsideTheArrayWhenValuesAreNaN) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int n : {5, 30, 300}) {
    Vector values;
    Vector companion;
    for (int i = 0; i < n; ++i) {
      values.push_back(i % 3 == 0 ? nan : std::sin(i));
      companion.push_back(i);
    }
    DSORT(values, companion, n, 2);
    // Every point is still there exactly once, with its own value.
    std::vector<bool> seen(static_cast<std::size_t>(n), false);
    for (int i = 0; i < n; ++i) {
      const auto from = static_cast<std::size_t>(companion[static_cast<std::size_t>(i)]);
      ASSERT_FALSE(seen[from]) << "n=" << n;
      seen[from] = true;
      const double value = values[static_cast<std::size_t>(i)];
      if (from % 3 == 0)
        EXPECT_TRUE(std::isnan(value));
      else
        EXPECT_EQ(value, std::sin(static_cast<double>(from)));
    }
  }
}

TEST(DSORT, RejectsBadArgumentsWithoutSorting) {
  struct Case {
    std::int32_t n, kind;
    std::size_t companionLength;
    std::int32_t errorNumber;
    const char* message;
  };
  const Case cases[] = {
      {0, 1, 4, 1, "The number of values to be sorted is not positive."},
      {-3, 1, 4, 1, "The number of values to be sorted is not positive."},
      {4, 0, 4, 2, "The sort control parameter, K, is not 2, 1, -1, or -2."},
      {4, 3, 4, 2, "The sort control parameter, K, is not 2, 1, -1, or -2."},
      {4, std::numeric_limits<std::int32_t>::min(), 4, 2, "The sort control parameter, K, is not 2, 1, -1, or -2."},
      {5, 1, 4, 3, "The arrays are shorter than the number of values to be sorted."},
      {4, 2, 3, 3, "The arrays are shorter than the number of values to be sorted."},
  };
  for (const Case& c : cases) {
    ErrorCapture errors;
    Vector values = {4, 3, 2, 1};
    Vector companion(c.companionLength, 9.0);
    DSORT(values, companion, c.n, c.kind);
    EXPECT_EQ(values, Vector({4, 3, 2, 1})) << c.message;
    ASSERT_EQ(errors.Records().size(), 1u) << c.n << " " << c.kind;
    EXPECT_EQ(errors.Records()[0].message, c.message);
    EXPECT_EQ(errors.Records()[0].routine, "DSORT");
    EXPECT_EQ(errors.Records()[0].errorNumber, c.errorNumber);
    EXPECT_EQ(errors.Records()[0].level, 1);
  }
}

// Applied to a copy of u itself the transformation must give (cl, 0, ..., 0) at pivot and l1..m;
// being orthogonal, it keeps the length of every column and the rows it does not touch.
TEST(HouseholderStep, ZerosTheVectorAgainstItsPivotAndKeepsLengths) {
  for (int m : {3, 10, 21, 22, 40})
    for (int pivot : {1, 2})
      for (int gap : {0, 1}) {  // l1 right after the pivot, or one row further
        const int l1 = pivot + 1 + gap;
        if (l1 > m) continue;
        Vector u;
        for (int i = 1; i <= m; ++i) u.push_back(std::cos(1.7 * i) + (i == pivot ? 0.5 : 0.0));
        const int rows = m + 1;  // a leading dimension larger than m
        Vector y(static_cast<std::size_t>(rows * 3));
        for (int i = 1; i <= m; ++i) {
          y[static_cast<std::size_t>(i - 1)] = u[static_cast<std::size_t>(i - 1)];
          y[static_cast<std::size_t>(rows + i - 1)] = std::sin(0.3 * i);
          y[static_cast<std::size_t>(2 * rows + i - 1)] = 1.0 / i;
        }
        const auto squares = [&](const Vector& v, std::size_t offset) {
          double sum =
              v[offset + static_cast<std::size_t>(pivot - 1)] * v[offset + static_cast<std::size_t>(pivot - 1)];
          for (int i = l1; i <= m; ++i)
            sum += v[offset + static_cast<std::size_t>(i - 1)] * v[offset + static_cast<std::size_t>(i - 1)];
          return sum;
        };
        const double lengthU = std::sqrt(squares(u, 0));
        const double lengthOther = squares(y, static_cast<std::size_t>(rows));
        const Vector untouched = y;
        Vector third = y;
        double up = 0.0;
        HouseholderStep(1, pivot, l1, m, OneBased<double>(u.data()), up, ColumnMajorMatrix(y, rows), 2);
        EXPECT_TRUE(IsClose(std::fabs(u[static_cast<std::size_t>(pivot - 1)]), lengthU, 1e-15)) << "m=" << m;
        EXPECT_TRUE(IsClose(y[static_cast<std::size_t>(pivot - 1)], u[static_cast<std::size_t>(pivot - 1)], 1e-14));
        for (int i = 1; i <= m; ++i) {
          const auto at = static_cast<std::size_t>(i - 1);
          if (i >= l1) {
            EXPECT_NEAR(y[at], 0.0, 1e-15 * lengthU) << "m=" << m << " pivot=" << pivot << " i=" << i;
          }
          if (i != pivot && i < l1) {
            EXPECT_EQ(y[at], untouched[at]) << "m=" << m << " i=" << i;
            EXPECT_EQ(y[static_cast<std::size_t>(rows) + at], untouched[static_cast<std::size_t>(rows) + at]);
          }
        }
        EXPECT_TRUE(IsClose(squares(y, static_cast<std::size_t>(rows)), lengthOther, 1e-14)) << "m=" << m;
        // Mode 2 applies the same transformation again, to a fresh copy of the second column.
        HouseholderStep(2, pivot, l1, m, OneBased<double>(u.data()), up, ColumnMajorMatrix(third, rows).Block(1, 2), 1);
        for (int i = 1; i <= m; ++i) {
          const auto at = static_cast<std::size_t>(rows + i - 1);
          EXPECT_TRUE(IsClose(third[at], y[at], 1e-14, 1e-15)) << "m=" << m << " pivot=" << pivot << " i=" << i;
        }
      }
}

TEST(BandedLeastSquares, ReportsRoutineErrorsAndChangesNothing) {
  Vector storage(6 * 4, 1.0);  // six rows of a band of width 3 with its right-hand side
  const ColumnMajorMatrix g(storage, 6);
  struct Case {
    const char* name;
    std::int32_t ip, ir, mt, jt;
    const char* message;
  };
  const Case accumulations[] = {
      {"first free row beyond g", 1, 7, 1, 1, "MDG.LT.IR, PROBABLE ERROR."},
      {"column before the band", 3, 4, 1, 2, "JT.LT.IP OR THE ROWS DO NOT FIT IN G, PROBABLE ERROR."},
      {"rows beyond g", 1, 4, 4, 1, "JT.LT.IP OR THE ROWS DO NOT FIT IN G, PROBABLE ERROR."},
      {"rows moved beyond g", 1, 2, 3, 5, "JT.LT.IP OR THE ROWS DO NOT FIT IN G, PROBABLE ERROR."},
  };
  for (const Case& c : accumulations) {
    ErrorCapture errors;
    std::int32_t ip = c.ip;
    std::int32_t ir = c.ir;
    DBNDAC(g, 3, ip, ir, c.mt, c.jt);
    EXPECT_EQ(storage, Vector(24, 1.0)) << c.name;
    EXPECT_EQ(ip, c.ip) << c.name;
    EXPECT_EQ(ir, c.ir) << c.name;
    ASSERT_EQ(errors.Records().size(), 1u) << c.name;
    EXPECT_EQ(errors.Records()[0].message, c.message) << c.name;
    EXPECT_EQ(errors.Records()[0].routine, "DBNDAC") << c.name;
    EXPECT_EQ(errors.Records()[0].level, 2) << c.name;
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
  EXPECT_EQ(errors.Records()[0].errorNumber, 1);
  triangle(2, 1) = 0.5;  // d = 0.5: x2 = 3 / 0.5 = 6 and x1 = (4 - 6) / 2
  EXPECT_EQ(DBNDSL(triangle, 2, 3, 3, x, 2), 0.0);
  EXPECT_EQ(x, Vector({-1.0, 6.0}));
  EXPECT_EQ(DBNDSL(triangle, 2, 3, 3, x, 3), 0.0);  // x holds only two values
  EXPECT_EQ(errors.Records().back().message, "G OR X IS TOO SMALL FOR N, PROBABLE ERROR.");
}

}  // namespace
}  // namespace ruvo
