// The B-spline basis, evaluation and least-squares fit, and their building blocks (the interval
// search, the sort and the banded accumulation and solve), against textbook mathematics computed
// independently. The Householder step is proven through the whole fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "fitting/banded_least_squares.h"
#include "fitting/bspline_basis.h"
#include "fitting/bspline_fit.h"
#include "fitting/bspline_reference.h"
#include "fitting/bspline_value.h"
#include "fitting/error_sink.h"
#include "fitting/value_sort.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

using Vector = std::vector<double>;
using Texts = std::vector<std::string>;
// Records every ErrorSink report as "library routine number level: message" while alive and
// restores the previous observer afterwards.
struct ErrorCapture {
  Texts texts;
  ErrorObserver previous = SetErrorObserver([this](const ErrorReport& r) {
    texts.push_back(std::string(r.library) + " " + std::string(r.routine) + " " + std::to_string(r.errorNumber) + " " +
                    std::to_string(r.level) + ": " + std::string(r.message));
  });
  ~ErrorCapture() { SetErrorObserver(std::move(previous)); }
};

// Knots with single, double and triple interior breakpoints and clamped ends.
const Vector kMixedKnots = {0, 0, 0, 0, 0, 0, 0, 0.5, 1, 1, 2, 3, 3, 3, 4.25, 5, 6, 6, 6, 6, 6, 6, 6};

double Evaluate(const Vector& t, const Vector& a, int k, int ideriv, double x) {
  std::int32_t hint = 1;
  Vector work(static_cast<std::size_t>(3 * k));
  return DBVALU(t, a, static_cast<std::int32_t>(a.size()), k, ideriv, x, hint, work);
}

// Orders up to 6 are proven through every DEFC fit against the reference.
TEST(BsplineBasis, RejectsOrderAboveTwentyAndPointsOutsideTheKnots) {
  Vector v(25);
  // Beyond the order limit, reading before t(1), reading beyond the last knot.
  EXPECT_FALSE(BsplineBasis(kMixedKnots, 21, 1.0, 10, v) || BsplineBasis(kMixedKnots, 4, 1.0, 2, v) ||
               BsplineBasis(kMixedKnots, 4, 6.0, 21, v));
  // Order 7, beyond any fit here: x = 2.5 lies in [t(11), t(12)).
  ASSERT_TRUE(BsplineBasis(kMixedKnots, 7, 2.5, 11, v));
  for (int j = 1; j <= 7; ++j) EXPECT_NEAR(v[j - 1], test::RecursiveBspline(kMixedKnots, 4 + j, 7, 2.5), 1e-14) << j;
}

TEST(FindKnotInterval, AgreesWithALinearScanFromEveryHint) {
  const Vector b = {0, 1, 1, 1, 2, 3, 5, 5, 8, 13, 21, 34, 55};
  Vector probes = {-1.0, 60.0};
  for (double value : b) probes.insert(probes.end(), {value, value + 0.5, value - 1e-9});
  for (double x : probes) {
    // Flag -1 below b(1) and 1 from b(count) on; otherwise the largest left with b(left) <= x, by a plain scan.
    const std::int32_t expectedFlag = x < b.front() ? -1 : (x >= b.back() ? 1 : 0);
    std::int32_t expectedLeft = expectedFlag == 1 ? static_cast<std::int32_t>(b.size()) : 1;
    while (expectedFlag == 0 && b[static_cast<std::size_t>(expectedLeft)] <= x) ++expectedLeft;
    for (std::int32_t start : {INT32_MIN, 0, 1, 6, 12, 13, 14, INT32_MAX}) {
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
// of the spline is known exactly, from T(K) up to the clamped right end.
TEST(DBVALU, ReproducesPowersAndTheirDerivativesOnAnyKnots) {
  const auto& t = kMixedKnots;
  for (int k = 1; k <= 7; ++k) {
    const int n = static_cast<int>(t.size()) - k;
    for (double tau : {-1.5, 2.0, 7.25}) {
      const Vector a = test::MarsdenCoefficients(t, n, k, tau);
      for (double x = t[k - 1]; x <= t[n]; x += 0.0625)
        for (int d = 0; d < k; ++d) {
          // Rounding grows with the size of the power: relative 1e-11 of the largest term.
          const double scale = test::PowerDerivative(8.0, -1.5, k - 1, d) + 1.0;
          EXPECT_NEAR(Evaluate(t, a, k, d, x), test::PowerDerivative(x, tau, k - 1, d), 1e-11 * scale)
              << "k=" << k << " tau=" << tau << " x=" << x << " derivative=" << d;
        }
    }
  }
  // At an unclamped right end T(N+1): piecewise constant gives A(N), the left limit; a cubic on
  // distinct knots continues its last interval.
  EXPECT_EQ(std::pair(Evaluate({0, 1, 2, 3}, {10, 20, 30}, 1, 0, 1.0), Evaluate({0, 1, 2, 3}, {10, 20, 30}, 1, 0, 3.0)),
            std::pair(20.0, 30.0));
  const Vector open = {0, 1, 2, 3, 4, 5, 6, 7}, b = {1, 4, -2, 3};
  EXPECT_TRUE(test::IsClose(Evaluate(open, b, 4, 0, 4.0), Evaluate(open, b, 4, 0, 4.0 - 1e-9), 1e-8));
}

// On knots with repeated breakpoints, orders 1 to 7 (below 3 and above the stack limit the routine
// falls back to DBVALU itself), random coefficients, at knots, between them, at both ends and
// outside: the three results are bitwise DBVALU's, with the same messages and the same final hint.
TEST(DBVALUUpToSecond, GivesDbvalusThreeResultsBitForBit) {
  std::mt19937 random(23);
  std::uniform_real_distribution<double> coefficient(-50.0, 50.0);
  const auto& t = kMixedKnots;
  for (int k = 1; k <= 7; ++k) {
    const int n = static_cast<int>(t.size()) - k;
    Vector a(static_cast<std::size_t>(n));
    for (double& value : a) value = coefficient(random);
    Vector probes = {t[k - 1] - 0.5, t[static_cast<std::size_t>(n)], t[static_cast<std::size_t>(n)] + 0.1,
                     std::nan("")};
    for (double x = t[k - 1]; x <= t[static_cast<std::size_t>(n)]; x += 0.125) probes.push_back(x);
    for (int i = 0; i < 40; ++i) probes.push_back(t[k - 1] + (t[static_cast<std::size_t>(n)] - t[k - 1]) * (i / 39.7));
    std::int32_t hintOne = 1, hintThree = 1;
    Vector workOne(static_cast<std::size_t>(3 * k)), workThree(static_cast<std::size_t>(3 * k));
    for (double x : probes) {
      ErrorCapture three;
      std::array<double, 3> expected{};
      for (int d = 0; d < 3; ++d)
        expected[static_cast<std::size_t>(d)] = DBVALU(t, a, n, k, d, x, hintThree, workThree);
      const Texts threeTexts = three.texts;
      three.texts.clear();
      std::array<double, 3> values{};
      DBVALUUpToSecond(t, a, n, k, x, hintOne, workOne, values);
      for (int d = 0; d < 3; ++d) {
        const double e = expected[static_cast<std::size_t>(d)], v = values[static_cast<std::size_t>(d)];
        EXPECT_TRUE(v == e || (std::isnan(v) && std::isnan(e)))
            << "k=" << k << " x=" << x << " d=" << d << ": " << v << " instead of " << e;
      }
      EXPECT_EQ(three.texts, threeTexts) << "k=" << k << " x=" << x;
      EXPECT_EQ(hintOne, hintThree) << "k=" << k << " x=" << x;
    }
  }
}

TEST(DBVALU, RejectsEachInvalidArgumentWithZeroAndOneMessage) {
  const Vector t = {0, 0, 0, 1, 2, 2, 2}, a = {1, 2, 3, 4};
  const Vector flat = {0, 1, 1, 1, 1, 2};  // T(K) = T(N+1) for K = 2, N = 4
  const std::string kShort = "T, A OR WORK IS SHORTER THAN N+K, N OR 3*K",
                    kBelow = "X IS N0T GREATER THAN OR EQUAL TO T(K)",
                    kDerivative = "IDERIV DOES NOT SATISFY 0.LE.IDERIV.LT.K";
  const std::tuple<std::string, const Vector*, std::int32_t, std::int32_t, std::int32_t, std::size_t, double> cases[] =
      {
          // message, knots, n, k, ideriv, work length, x
          {"K DOES NOT SATISFY K.GE.1", &t, 4, 0, 0, 9, 1.0},
          {"N DOES NOT SATISFY N.GE.K", &t, 2, 3, 0, 9, 1.0},
          {kDerivative, &t, 4, 3, -1, 9, 1.0},
          {kDerivative, &t, 4, 3, 3, 9, 1.0},
          {kBelow, &t, 4, 3, 0, 9, -1e-12},
          {kBelow, &t, 4, 3, 0, 9, std::nan("")},
          {"X IS NOT LESS THAN OR EQUAL TO T(N+1)", &t, 4, 3, 0, 9, 2.0 + 1e-12},
          {"A LEFT LIMITING VALUE CANNOT BE OBTAINED AT T(K)", &flat, 4, 2, 0, 6, 1.0},
          {kShort, &t, 4, 3, 0, 8, 1.0},  // work
          {kShort, &t, 5, 3, 0, 9, 1.0},  // knots
      };
  for (const auto& [message, knots, n, k, ideriv, workLength, x] : cases) {
    ErrorCapture errors;
    std::int32_t hint = 1;
    Vector work(workLength);
    EXPECT_EQ(DBVALU(*knots, a, n, k, ideriv, x, hint, work), 0.0) << message;
    EXPECT_EQ(errors.texts, Texts{"FITLIB DBVALU 2 1: " + message}) << "k " << k << " ideriv " << ideriv << " x " << x;
  }
}

TEST(DSORT, SortsEveryKindAndCarriesTheCompanion) {
  std::mt19937 engine(17);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int n : {1, 2, 12, 13, 257})
    for (unsigned distinct : {1u, 3u, 1000u, 0u})  // 0: a third of the values NaN
      for (std::int32_t kind : {1, 2, -1, -2}) {
        SCOPED_TRACE(testing::Message() << "n=" << n << " kind=" << kind << " distinct=" << distinct);
        Vector original, companion;
        for (int i = 0; i < n; ++i)
          original.push_back(distinct ? static_cast<double>(engine() % distinct) - 5.5
                             : i % 3  ? std::sin(i)
                                      : nan),
              companion.push_back(i);
        Vector values = original;
        DSORT(values, companion, n, kind);
        // Every value stays exactly once; kind 2 moves its companion with it, kind 1 leaves it.
        std::vector<int> seen(static_cast<std::size_t>(n), 0);
        for (std::size_t i = 0; i < values.size(); ++i) {
          const auto from = static_cast<std::size_t>(companion[i]);
          const bool same = values[i] == original[from] || (std::isnan(values[i]) && std::isnan(original[from]));
          ASSERT_TRUE(++seen[from] == 1 && (kind % 2 == 0 ? same : from == i)) << "at " << i;
        }
        Vector sorted = original;
        std::sort(sorted.begin(), sorted.end());
        if (kind < 0) std::reverse(sorted.begin(), sorted.end());
        EXPECT_TRUE(!distinct || values == sorted);
      }
}

TEST(DSORT, RejectsBadArgumentsWithoutSorting) {
  const std::string kCount = "FITLIB DSORT 1 1: The number of values to be sorted is not positive.",
                    kKind = "FITLIB DSORT 2 1: The sort control parameter, K, is not 2, 1, -1, or -2.",
                    kShort = "FITLIB DSORT 3 1: The arrays are shorter than the number of values to be sorted.";
  const std::tuple<std::int32_t, std::int32_t, std::size_t, std::string> cases[] = {
      // n, kind, companion length, report
      {0, 1, 4, kCount}, {4, 0, 4, kKind}, {4, INT32_MIN, 4, kKind}, {5, 1, 4, kShort}, {4, -2, 3, kShort},
  };
  for (const auto& [n, kind, companionLength, report] : cases) {
    ErrorCapture errors;
    Vector values = {4, 3, 2, 1}, companion(companionLength, 9.0);
    DSORT(values, companion, n, kind);
    EXPECT_EQ(std::pair(values, errors.texts), std::pair(Vector{4, 3, 2, 1}, Texts{report})) << n << " " << kind;
  }
}

TEST(BandedLeastSquares, ReportsRoutineErrorsAndChangesNothing) {
  Vector storage(6 * 4, 1.0);  // six rows of a band of width 3 and its right-hand side
  const std::string kNoFit = "FITLIB DBNDAC 2 2: JT.LT.IP OR THE ROWS DO NOT FIT IN G, PROBABLE ERROR.";
  const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::string> cases[] = {
      // ip, ir, mt, jt, report
      {1, 7, 1, 1, "FITLIB DBNDAC 1 2: MDG.LT.IR, PROBABLE ERROR."},  // first free row beyond g
      {3, 4, 1, 2, kNoFit},                                           // column before the band
      {1, 4, 4, 1, kNoFit},                                           // staged rows beyond g
      {1, 2, 3, 5, kNoFit},                                           // moved rows beyond g
  };
  for (const auto& [ipIn, irIn, mt, jt, report] : cases) {
    ErrorCapture errors;
    std::int32_t ip = ipIn, ir = irIn;
    DBNDAC(ColumnMajorMatrix(storage, 6), 3, ip, ir, mt, jt);
    EXPECT_EQ(std::tuple(storage, ip, ir, errors.texts), std::tuple(Vector(24, 1.0), ipIn, irIn, Texts{report})) << jt;
  }

  // A band of width 2 holding the triangle [2 1; 0 d] with right-hand sides (4, 3), by columns of
  // four rows; first d = 0.
  Vector band{2, 0, 0, 0, 1, 0, 0, 0, 4, 3, 0, 0};
  const ColumnMajorMatrix triangle(band, 4);
  Vector x = {9, 9};
  ErrorCapture errors;
  DBNDSL(triangle, 2, 3, 3, x, 2);
  triangle(2, 1) = 0.5;  // x2 = 3 / 0.5 = 6 and x1 = (4 - 6) / 2
  EXPECT_EQ(DBNDSL(triangle, 2, 3, 3, x, 2), 0.0);
  EXPECT_EQ(x, Vector({-1.0, 6.0}));
  EXPECT_EQ(DBNDSL(triangle, 2, 3, 3, x, 3), 0.0);  // x holds only two values
  EXPECT_EQ(errors.texts, (Texts{"FITLIB DBNDSL 1 2: A ZERO DIAGONAL TERM IS IN THE N BY N UPPER TRIANGULAR MATRIX.",
                                 "FITLIB DBNDSL 2 2: G OR X IS TOO SMALL FOR N, PROBABLE ERROR."}));
}

struct Data {
  Vector xd, yd, sd;
};
struct FitOutcome {
  std::int32_t status;
  Vector coef;
};

// DEFC with a work array of exactly the required length (or the caller's), pre-filled with NaN
// so that reading any element before writing it would show in the result.
FitOutcome RunFit(const Data& data, int k, const Vector& knots, Vector* work = nullptr, int mdein = 1) {
  const auto m = static_cast<std::int32_t>(data.xd.size()), p = static_cast<std::int32_t>(knots.size());
  const auto lw = static_cast<std::int32_t>(DefcWorkLength(m, k, p));
  Vector own(static_cast<std::size_t>(lw), std::nan(""));
  FitOutcome outcome{0, Vector(static_cast<std::size_t>(p - k), std::nan(""))};
  DEFC(m, data.xd, data.yd, data.sd, k, p, knots, mdein, outcome.status, outcome.coef, work ? *work : own, lw);
  return outcome;
}

Data Join(Data to, const Data& more) {
  for (const auto& [into, from] : {std::pair{&to.xd, &more.xd}, {&to.yd, &more.yd}, {&to.sd, &more.sd}})
    into->insert(into->end(), from->begin(), from->end());
  return to;
}

Vector Uniform(int count, double step) {
  Vector knots;
  for (int i = 0; i < count; ++i) knots.push_back(i * step);
  return knots;
}

Vector Clamped(int k, const Vector& interior, double lo, double hi) {
  Vector knots(static_cast<std::size_t>(k), lo);
  knots.insert(knots.end(), interior.begin(), interior.end());
  knots.insert(knots.end(), static_cast<std::size_t>(k), hi);
  return knots;
}

// perInterval abscissae inside every interval of positive length of [t(k), t(n+1)), unevenly
// spaced, in an order scrambled by the seed, with ordinates from f and all uncertainties 1.
template <typename F>
Data Sample(Vector knots, int k, int perInterval, unsigned seed, F f) {
  std::sort(knots.begin(), knots.end());
  Data data;
  for (std::size_t i = static_cast<std::size_t>(k) - 1; i + static_cast<std::size_t>(k) < knots.size(); ++i)
    for (int j = 0; j < perInterval && knots[i] < knots[i + 1]; ++j) {
      const double jitter = std::fmod(0.6180339887 * static_cast<double>(data.xd.size()), 1.0);
      data.xd.push_back(knots[i] + (j + 0.2 + 0.6 * jitter) / perInterval * (knots[i + 1] - knots[i]));
    }
  std::mt19937 engine(seed);
  std::shuffle(data.xd.begin(), data.xd.end(), engine);
  for (double x : data.xd) data.yd.push_back(f(x));
  data.sd.assign(data.xd.size(), 1.0);
  return data;
}

TEST(DEFC, ReproducesPolynomialsOfDegreeBelowTheOrder) {
  for (int k = 1; k <= 6; ++k) {
    const auto polynomial = [k](double x) {
      double y = 0.0;
      for (int j = k - 1; j >= 0; --j) y = y * (x - 2.0) + (j % 2 ? -1.0 : 1.0) / (j + 1);
      return y;
    };
    // Clamped knots with a double interior one (an interval of no length, which order 1 cannot fit),
    // and data on both ends too.
    const Vector knots = Clamped(k, k > 1 ? Vector{1, 2, 2, 3, 4.5} : Vector{1, 2, 3, 4.5}, 0, 6);
    const Data data =
        Join(Sample(knots, k, 2 * k + 1, 7, polynomial), {{0.0, 6.0}, {polynomial(0.0), polynomial(6.0)}, {1.0, 1.0}});
    ErrorCapture errors;
    const FitOutcome fit = RunFit(data, k, knots);
    ASSERT_EQ(fit.status, 1) << "k=" << k;
    std::int32_t hint = 1;  // kept from point to point, in the scrambled order of the data
    Vector scratch(static_cast<std::size_t>(3 * k));
    for (std::size_t i = 0; i < data.xd.size(); ++i)
      // The polynomial stays below 10^3 here; rounding of a well-posed fit.
      EXPECT_NEAR(DBVALU(knots, fit.coef, static_cast<std::int32_t>(fit.coef.size()), k, 0, data.xd[i], hint, scratch),
                  data.yd[i], 1e-9 * (1.0 + std::fabs(data.yd[i])))
          << "k=" << k << " x=" << data.xd[i];
    EXPECT_EQ(errors.texts, Texts{}) << "k=" << k;
  }
}

TEST(DEFC, MatchesTheWeightedLeastSquaresSolutionWhateverTheOrderOfDataAndKnots) {
  // Order, knots, points per interval (60 pass the staging area many times over).
  const std::tuple<int, Vector, int> cases[] = {
      {1, Uniform(6, 1.0), 5},   {2, Uniform(8, 0.25), 9}, {3, Clamped(3, {0.5, 1, 2.5}, 0, 3), 7},
      {4, Uniform(10, 1.0), 60}, {5, Uniform(13, 0.2), 8}, {6, Clamped(6, {1, 1, 4}, 0, 5), 11}};
  const auto f = [](double x) { return std::sin(3.0 * x) + 0.3 * std::cos(40 * x); };
  for (const auto& [k, knots, perInterval] : cases) {
    Data data = Sample(knots, k, perInterval, 11, f);
    for (std::size_t i = 0; i < data.sd.size(); ++i)
      data.sd[i] = i % 5 == 0 ? 0.0 : 0.5 + 0.25 * static_cast<double>(i % 7);
    const FitOutcome fit = RunFit(data, k, knots);
    ASSERT_EQ(fit.status, 1) << "k=" << k << " p=" << knots.size() << " m=" << data.xd.size();
    // Well-conditioned bases: both solutions agree far below any noise in the data.
    ExpectAllClose(fit.coef, test::ReferenceFit(knots, k, data.xd, data.yd, data.sd), 1e-10, 1e-10);
    // The data and knots are taken in increasing order whatever their order: the same arithmetic.
    const FitOutcome sameData = RunFit(Sample(knots, k, perInterval, 11, f), k, knots);
    EXPECT_EQ(RunFit(Sample(knots, k, perInterval, 4, f), k, knots).coef, sameData.coef) << "k=" << k;
    EXPECT_EQ(RunFit(Sample(knots, k, perInterval, 5, f), k, Vector(knots.rbegin(), knots.rend())).coef, sameData.coef)
        << "k=" << k;
  }
}

TEST(DEFC, ContinuesAFitFromTheSavedRows) {
  const Vector knots = Uniform(11, 1.0);
  const auto f = [](double x) { return std::cos(x) + 0.1 * std::sin(23 * x); };
  const Data first = Sample(knots, 4, 5, 21, f);
  const Data second = Sample(knots, 4, 3, 22, [&](double x) { return f(x) + 0.05; });
  Vector work(static_cast<std::size_t>(DefcWorkLength(static_cast<std::int64_t>(first.xd.size()), 4, 11)),
              std::nan(""));
  ASSERT_EQ(RunFit(first, 4, knots, &work).status, 1);
  const FitOutcome continued = RunFit(second, 4, knots, &work, 2);
  ASSERT_EQ(continued.status, 1);
  ExpectAllClose(continued.coef, RunFit(Join(first, second), 4, knots).coef, 1e-11, 1e-11);
}

TEST(DEFC, LeavesUndeterminedCoefficientsAtZeroWithStatusTwo) {
  Vector piled = {3.5};  // one point, then more points two intervals on than the staging area holds
  for (int i = 0; i < 30; ++i) piled.push_back(6.0 + i / 30.0);
  const std::tuple<const char*, int, Vector, Vector> cases[] = {
      {"no data", 4, Uniform(10, 1.0), {}},
      {"fewer points than coefficients", 3, Uniform(10, 1.0), {2.5, 3.5, 4.5, 5.5, 6.5}},
      {"a B-spline without data", 2, Uniform(8, 1.0), {1.2, 1.5, 1.7, 2.2, 2.6, 5.2, 5.5, 5.8}},
      {"all data on one repeated knot", 3, {0, 1, 1, 1, 1, 1, 2}, {1, 1, 1, 1}},
      {"points piled up after a gap", 4, Uniform(12, 1.0), piled},
  };
  for (const auto& [name, k, knots, xd] : cases) {
    ErrorCapture errors;
    const FitOutcome fit = RunFit({xd, Vector(xd.size(), 1.0), Vector(xd.size(), 1.0)}, k, knots);
    EXPECT_EQ(std::tuple(fit.status, fit.coef, errors.texts),
              std::tuple(2, Vector(knots.size() - static_cast<std::size_t>(k), 0.0), Texts{}))
        << name;
  }
}

TEST(DEFC, RejectsInvalidInputWithOneMessage) {
  const Vector values = Uniform(10, 0.5);
  const std::string kOrder = "FITLIB DEFCMN 3 1: IN DEFC, THE ORDER OF THE B-SPLINE MUST BE 1 THRU 20.",
                    kMode = "FITLIB DEFCMN 7 1: IN DEFC, INPUT VALUE OF MDEIN MUST BE 1-2.";
  const std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::ptrdiff_t, std::string>
      cases[] = {
          // m, k, p, mdein, lw, data length, report
          {10, 0, 10, 1, 1000, 10, kOrder},
          {10, 21, 42, 1, 1000, 10, kOrder},
          {10, 4, 7, 1, 1000, 10,
           "FITLIB DEFCMN 4 1: IN DEFC, THE NUMBER OF KNOTS MUST BE AT LEAST TWICE THE B-SPLINE ORDER."},
          {-1, 4, 10, 1, 1000, 10, "FITLIB DEFCMN 5 1: IN DEFC, THE NUMBER OF DATA POINTS MUST BE NONNEGATIVE."},
          {10, 4, 10, 1, 145, 10,  // need = 9*5 + 11*5 + 2*10 + 10 + 16 = 146
           "FITLIB DEFCMN 6 1: IN DEFC, INSUFFICIENT STORAGE FOR W(*).  CHECK FORMULA THAT READS LW.GE. ... .  NEED =  "
           "    146 GIVEN =      145"},
          {10, 4, 10, 0, 1000, 10, kMode},
          {10, 4, 10, 3, 1000, 10, kMode},
          {10, 4, 10, 1, 1000, 9, "FITLIB DEFCMN 8 1: IN DEFC, AN ARRAY IS SHORTER THAN ITS STATED LENGTH."},
      };
  for (const auto& [m, k, p, mdein, lw, dataLength, report] : cases) {
    ErrorCapture errors;
    const Vector xd(values.begin(), values.begin() + dataLength);
    Vector work(static_cast<std::size_t>(lw), 5.0), coef(12, 7.0), expected(12, 7.0);
    std::int32_t status = 0;
    DEFC(m, xd, xd, xd, k, p, values, mdein, status, coef, work, lw);
    // The N = P - K coefficients are set to 0, nothing else.
    std::fill_n(expected.begin(), std::clamp(p - k, 0, 12), 0.0);
    EXPECT_EQ(std::tuple(status, coef, errors.texts), std::tuple(-1, expected, Texts{report}));
  }
}

}  // namespace
}  // namespace ruvo
