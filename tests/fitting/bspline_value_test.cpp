#include "fitting/bspline_value.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fitting/bspline_basis.h"
#include "fitting/bspline_reference.h"
#include "fitting/error_capture.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

using test::ErrorCapture;
using test::IsClose;

// Knots with single, double and triple interior breakpoints and clamped ends.
const std::vector<double> kMixedKnots = {0, 0, 0, 0, 0, 0, 0, 0.5, 1, 1, 2, 3, 3, 3, 4.25, 5, 6, 6, 6, 6, 6, 6, 6};

double Evaluate(const std::vector<double>& t, const std::vector<double>& a, int k, int ideriv, double x) {
  std::int32_t hint = 1;
  std::vector<double> work(static_cast<std::size_t>(3 * k));
  return DBVALU(t, a, static_cast<std::int32_t>(a.size()), k, ideriv, x, hint, work);
}

TEST(BsplineBasis, MatchesTheRecursiveDefinitionAndSumsToOne) {
  const auto& t = kMixedKnots;
  for (int k = 1; k <= 7; ++k)
    for (int left = k; left + k <= static_cast<int>(t.size()); ++left) {
      if (!(t[left - 1] < t[left])) continue;
      for (double fraction : {0.0, 0.3, 0.999}) {
        const double x = t[left - 1] + fraction * (t[left] - t[left - 1]);
        std::vector<double> v(static_cast<std::size_t>(k), std::nan(""));
        ASSERT_TRUE(BsplineBasis(t, k, x, left, v));
        double sum = 0.0;
        for (int j = 1; j <= k; ++j) {
          sum += v[j - 1];
          // Values lie in [0, 1]: absolute rounding of a few units.
          EXPECT_NEAR(v[j - 1], test::RecursiveBspline(t, left - k + j, k, x), 1e-14)
              << "k=" << k << " left=" << left << " x=" << x << " j=" << j;
        }
        EXPECT_NEAR(sum, 1.0, 1e-14) << "k=" << k << " left=" << left << " x=" << x;
      }
    }
  std::vector<double> v(25);
  // Beyond the order limit, reading before t(1), reading beyond the last knot.
  EXPECT_FALSE(BsplineBasis(t, 21, 1.0, 10, v) || BsplineBasis(t, 4, 1.0, 2, v) || BsplineBasis(t, 4, 6.0, 21, v));
}

TEST(FindKnotInterval, AgreesWithALinearScanFromEveryHint) {
  const std::vector<double> b = {0, 1, 1, 1, 2, 3, 5, 5, 8, 13, 21, 34, 55};
  std::vector<double> probes = {-1.0, 60.0};
  for (double value : b) probes.insert(probes.end(), {value, value + 0.5, value - 1e-9});
  const std::int32_t hints[] = {std::numeric_limits<std::int32_t>::min(), -3, 0, 1, 2, 4, 6, 11, 12, 13, 14,
                                std::numeric_limits<std::int32_t>::max()};
  for (double x : probes) {
    // Flag -1 below b(1) and 1 from b(count) on; otherwise the largest left with b(left) <= x, by a plain scan.
    const std::int32_t expectedFlag = x < b.front() ? -1 : (x >= b.back() ? 1 : 0);
    std::int32_t expectedLeft = expectedFlag == 1 ? static_cast<std::int32_t>(b.size()) : 1;
    while (expectedFlag == 0 && b[static_cast<std::size_t>(expectedLeft)] <= x) ++expectedLeft;
    for (std::int32_t start : hints) {
      std::int32_t hint = start;
      const KnotInterval found = FindKnotInterval(b, x, hint);
      EXPECT_EQ(std::pair(found.left, found.flag), std::pair(expectedLeft, expectedFlag))
          << "x=" << x << " hint=" << start;
      EXPECT_TRUE(expectedFlag != 0 || hint == found.left) << "x=" << x << " hint=" << start;
    }
  }
  std::int32_t hint = 1;
  EXPECT_EQ(FindKnotInterval({}, 1.0, hint).flag, -1);
}

// Marsden's identity gives the coefficients of (x - tau)^(k-1) on any knots, so every derivative
// of the spline is known exactly.
TEST(DBVALU, ReproducesPowersAndTheirDerivativesOnAnyKnots) {
  const auto& t = kMixedKnots;
  for (int k = 1; k <= 7; ++k) {
    const int n = static_cast<int>(t.size()) - k;
    for (double tau : {-1.5, 2.0, 7.25}) {
      const std::vector<double> a = test::MarsdenCoefficients(t, n, k, tau);
      for (double x = t[k - 1]; x <= t[n]; x += 0.0625)
        for (int d = 0; d < k; ++d) {
          // Rounding grows with the size of the power: relative 1e-11 of the largest term.
          const double scale = test::PowerDerivative(8.0, -1.5, k - 1, d) + 1.0;
          EXPECT_NEAR(Evaluate(t, a, k, d, x), test::PowerDerivative(x, tau, k - 1, d), 1e-11 * scale)
              << "k=" << k << " tau=" << tau << " x=" << x << " derivative=" << d;
        }
    }
  }
}

TEST(DBVALU, EvaluatesKnownSplinesUpToTheRightEnd) {
  // The straight line written as a quadratic.
  const std::vector<double> line = {0, 0, 0, 1, 1, 1}, ramp = {0, 0.5, 1};
  const double lineAt[] = {0.25, 1.0, 0.0};  // value, slope and curvature at 0.25
  for (int d = 0; d < 3; ++d) EXPECT_NEAR(Evaluate(line, ramp, 3, d, 0.25), lineAt[d], 1e-15) << d;
  // Piecewise constant: A(i) on [T(i), T(i+1)), and A(N) at T(N+1), the left limit at the right end.
  const std::vector<double> steps = {0, 1, 2, 3}, levels = {10, 20, 30};
  EXPECT_EQ(std::pair(Evaluate(steps, levels, 1, 0, 1.0), Evaluate(steps, levels, 1, 0, 3.0)), std::pair(20.0, 30.0));
  // Clamped cubic: the ends interpolate the end coefficients, also where the right end repeats.
  const std::vector<double> t = {0, 0, 0, 0, 1, 2, 2, 2, 2}, a = {1.5, -2, 4, 0.5, 3};
  EXPECT_TRUE(IsClose(Evaluate(t, a, 4, 0, 2.0), 3.0, 1e-14) && IsClose(Evaluate(t, a, 4, 0, 0.0), 1.5, 1e-14));
  // End slope of a clamped spline: (k-1)(A(N) - A(N-1)) / (T(N+k-1) - T(N)).
  EXPECT_TRUE(IsClose(Evaluate(t, a, 4, 1, 2.0), 3.0 * (3 - 0.5) / (2.0 - 1.0), 1e-13));
  // Distinct knots: the value at T(N+1) continues the last interval.
  const std::vector<double> open = {0, 1, 2, 3, 4, 5, 6, 7}, b = {1, 4, -2, 3};
  EXPECT_TRUE(IsClose(Evaluate(open, b, 4, 0, 4.0), Evaluate(open, b, 4, 0, 4.0 - 1e-9), 1e-8));
}

TEST(DBVALU, RejectsEachInvalidArgumentWithZeroAndOneMessage) {
  const std::vector<double> t = {0, 0, 0, 1, 2, 2, 2}, a = {1, 2, 3, 4};
  const std::vector<double> flat = {0, 1, 1, 1, 1, 2};  // T(K) = T(N+1) for K = 2, N = 4
  struct Case {
    const char *name, *message;
    const std::vector<double>* knots;
    std::int32_t n, k, ideriv;
    std::size_t workLength;
    double x;
  };
  const Case cases[] = {
      {"order 0", "K DOES NOT SATISFY K.GE.1", &t, 4, 0, 0, 9, 1.0},
      {"N below K", "N DOES NOT SATISFY N.GE.K", &t, 2, 3, 0, 9, 1.0},
      {"negative derivative", "IDERIV DOES NOT SATISFY 0.LE.IDERIV.LT.K", &t, 4, 3, -1, 9, 1.0},
      {"derivative K", "IDERIV DOES NOT SATISFY 0.LE.IDERIV.LT.K", &t, 4, 3, 3, 9, 1.0},
      {"below T(K)", "X IS N0T GREATER THAN OR EQUAL TO T(K)", &t, 4, 3, 0, 9, -1e-12},
      {"NaN", "X IS N0T GREATER THAN OR EQUAL TO T(K)", &t, 4, 3, 0, 9, std::nan("")},
      {"beyond T(N+1)", "X IS NOT LESS THAN OR EQUAL TO T(N+1)", &t, 4, 3, 0, 9, 2.0 + 1e-12},
      {"no interval", "A LEFT LIMITING VALUE CANNOT BE OBTAINED AT T(K)", &flat, 4, 2, 0, 6, 1.0},
      {"short work", "T, A OR WORK IS SHORTER THAN N+K, N OR 3*K", &t, 4, 3, 0, 8, 1.0},
      {"short knots", "T, A OR WORK IS SHORTER THAN N+K, N OR 3*K", &t, 5, 3, 0, 9, 1.0},
  };
  for (const Case& c : cases) {
    ErrorCapture errors;
    std::int32_t hint = 1;
    std::vector<double> work(c.workLength);
    EXPECT_EQ(DBVALU(*c.knots, a, c.n, c.k, c.ideriv, c.x, hint, work), 0.0) << c.name;
    ASSERT_EQ(errors.Records().size(), 1u) << c.name;
    const auto& r = errors.Records().front();
    EXPECT_EQ(std::tie(r.message, r.library, r.routine, r.errorNumber, r.level),
              std::make_tuple(std::string(c.message), std::string("FITLIB"), std::string("DBVALU"), 2, 1))
        << c.name;
  }
  ErrorCapture errors;
  // T(K) itself is inside.
  EXPECT_TRUE(IsClose(Evaluate(t, a, 3, 0, 0.0), 1.0, 1e-15) && errors.Records().empty());
}

}  // namespace
}  // namespace ruvo
