#include "fitting/bspline_value.h"

#include <algorithm>
#include <array>
#include <limits>

#include "fitting/error_sink.h"
#include "fitting/one_based.h"
#include "fitting/vector_index.h"

namespace ruvo {
namespace {

double Reject(const char* message) {
  ErrorSink("FITLIB", "DBVALU", message, 2, 1);
  return 0.0;
}

}  // namespace

KnotInterval FindKnotInterval(std::span<const double> b, double x, std::int32_t& hint) {
  const std::int64_t count = std::min<std::int64_t>(std::ssize(b), std::numeric_limits<std::int32_t>::max());
  const OneBased<const double> value(b);
  std::int64_t lo = std::max(hint, std::int32_t{1});
  const auto found = [&](std::int64_t left, std::int32_t flag) {
    hint = static_cast<std::int32_t>(lo);
    return KnotInterval{static_cast<std::int32_t>(left), flag};
  };
  if (count < 1) return found(1, -1);

  std::int64_t hi = lo + 1;
  if (hi >= count) {
    if (x >= value(count)) return found(count, 1);
    if (count <= 1) return found(1, -1);
    lo = count - 1;
    hi = count;
  }
  if (x >= value(hi)) {
    for (std::int64_t step = 1;; step *= 2) {  // hunt upwards
      lo = hi;
      hi = lo + step;
      if (hi >= count) {
        if (x >= value(count)) return found(count, 1);
        hi = count;
        break;
      }
      if (x < value(hi)) break;
    }
  } else if (x >= value(lo)) {
    return found(lo, 0);
  } else {
    for (std::int64_t step = 1;; step *= 2) {  // hunt downwards
      hi = lo;
      lo = hi - step;
      if (lo <= 1) {
        lo = 1;
        if (x < value(1)) return found(1, -1);
        break;
      }
      if (x >= value(lo)) break;
    }
  }
  // Now value(lo) <= x < value(hi).
  for (std::int64_t mid = (lo + hi) / 2; mid != lo; mid = (lo + hi) / 2) {
    if (x >= value(mid))
      lo = mid;
    else
      hi = mid;
  }
  return found(lo, 0);
}

double DBVALU(std::span<const double> t,
              std::span<const double> a,
              std::int32_t n,
              std::int32_t k,
              std::int32_t ideriv,
              double x,
              std::int32_t& hint,
              std::span<double> work) {
  if (k < 1) return Reject("K DOES NOT SATISFY K.GE.1");
  if (n < k) return Reject("N DOES NOT SATISFY N.GE.K");
  if (ideriv < 0 || ideriv >= k) return Reject("IDERIV DOES NOT SATISFY 0.LE.IDERIV.LT.K");
  if (std::ssize(t) < std::int64_t{n} + k || std::ssize(a) < n || std::ssize(work) < 3 * std::int64_t{k})
    return Reject("T, A OR WORK IS SHORTER THAN N+K, N OR 3*K");
  const OneBased<const double> knot(t);
  const OneBased<const double> coefficient(a);
  const OneBased<double> w(work);  // 1..k coefficients, k+1..2k right distances, 2k+1..3k left distances

  auto [i, flag] = FindKnotInterval(t.first(static_cast<std::size_t>(n) + 1), x, hint);
  if (x < knot(k) || flag < 0 || i < k) return Reject("X IS N0T GREATER THAN OR EQUAL TO T(K)");
  if (flag != 0) {
    if (x > knot(i)) return Reject("X IS NOT LESS THAN OR EQUAL TO T(N+1)");
    // x = t(n+1): take the left limit on the last interval of positive length.
    do {
      if (i == k) return Reject("A LEFT LIMITING VALUE CANNOT BE OBTAINED AT T(K)");
      --i;
    } while (x == knot(i));
  }

  for (std::int32_t j = 1; j <= k; ++j) w(j) = coefficient(i - k + j);
  // Coefficients of the derivative spline, one order lower per differencing.
  for (std::int32_t j = 1; j <= ideriv; ++j) {
    const std::int32_t r = k - j;
    for (std::int32_t jj = 1; jj <= r; ++jj)
      w(jj) = (w(jj + 1) - w(jj)) / (knot(i + jj) - knot(i + jj - r)) * static_cast<double>(r);
  }
  if (ideriv == k - 1) return w(1);

  for (std::int32_t j = 1; j <= k - ideriv; ++j) {
    w(k + j) = knot(i + j) - x;
    w(2 * k + j) = x - knot(i + 1 - j);
  }
  for (std::int32_t j = ideriv + 1; j <= k - 1; ++j) {
    const std::int32_t r = k - j;
    std::int32_t q = r;
    for (std::int32_t jj = 1; jj <= r; ++jj) {
      w(jj) = (w(jj + 1) * w(2 * k + q) + w(jj) * w(k + jj)) / (w(2 * k + q) + w(k + jj));
      --q;
    }
  }
  return w(1);
}

void DBVALUUpToSecond(std::span<const double> t,
                      std::span<const double> a,
                      std::int32_t n,
                      std::int32_t k,
                      double x,
                      std::int32_t& hint,
                      std::span<double> work,
                      std::span<double, 3> values) {
  constexpr std::int32_t kLargestOrder = 16;  // coefficients kept on the stack
  const auto separately = [&] {
    for (std::int32_t ideriv = 0; ideriv < 3; ++ideriv)
      values[static_cast<std::size_t>(ideriv)] = DBVALU(t, a, n, k, ideriv, x, hint, work);
  };
  if (k < 3 || k > kLargestOrder || n < k || std::ssize(t) < std::int64_t{n} + k || std::ssize(a) < n ||
      std::ssize(work) < 3 * std::int64_t{k})
    return separately();
  const OneBased<const double> knot(t);
  const OneBased<const double> coefficient(a);
  std::int32_t searchHint = hint;
  auto [i, flag] = FindKnotInterval(t.first(static_cast<std::size_t>(n) + 1), x, searchHint);
  if (x < knot(k) || flag < 0 || i < k) return separately();
  if (flag != 0) {
    if (x > knot(i)) return separately();
    do {
      if (i == k) return separately();
      --i;
    } while (x == knot(i));
    // At the right end the search leaves its hint where it started from: three searches move it
    // as three DBVALU calls do (inside, the first search already leaves it on the interval).
    for (int again = 0; again < 2; ++again) FindKnotInterval(t.first(static_cast<std::size_t>(n) + 1), x, searchHint);
  }
  hint = searchHint;

  // Coefficient sets by derivative order (1-based within each, as in DBVALU's work array), then the
  // right and left knot distances.
  std::array<std::array<double, kLargestOrder + 1>, 3> w{};
  std::array<double, kLargestOrder + 1> right{};
  std::array<double, kLargestOrder + 1> left{};
  for (std::int32_t j = 1; j <= k; ++j) w[0][At(j)] = coefficient(i - k + j);
  for (std::size_t order = 1; order < w.size(); ++order) {
    w[order] = w[order - 1];
    const std::int32_t r = k - static_cast<std::int32_t>(order);
    for (std::int32_t jj = 1; jj <= r; ++jj)
      w[order][At(jj)] =
          (w[order][At(jj + 1)] - w[order][At(jj)]) / (knot(i + jj) - knot(i + jj - r)) * static_cast<double>(r);
  }
  for (std::int32_t j = 1; j <= k; ++j) {
    right[At(j)] = knot(i + j) - x;
    left[At(j)] = x - knot(i + 1 - j);
  }
  for (std::size_t order = 0; order < w.size(); ++order) {
    auto& c = w[order];
    if (static_cast<std::int32_t>(order) == k - 1) {
      values[order] = c[1];
      continue;
    }
    for (std::int32_t j = static_cast<std::int32_t>(order) + 1; j <= k - 1; ++j) {
      const std::int32_t r = k - j;
      std::int32_t q = r;
      for (std::int32_t jj = 1; jj <= r; ++jj) {
        c[At(jj)] = (c[At(jj + 1)] * left[At(q)] + c[At(jj)] * right[At(jj)]) / (left[At(q)] + right[At(jj)]);
        --q;
      }
    }
    values[order] = c[1];
  }
}

}  // namespace ruvo
