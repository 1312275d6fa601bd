#pragma once

// Textbook B-spline mathematics, written independently of the routines under test: the recursive
// definition of the B-splines, Marsden's identity and a dense least-squares solve in long double.
// Indices count from 1, as in the usual formulas: t[i - 1] is t(i).

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace ruvo::test {

// B(i, k) at x by the Cox-de Boor recursion on half-open intervals, with 0/0 taken as 0.
inline double RecursiveBspline(const std::vector<double>& t, int i, int k, double x) {
  const auto knot = [&t](int j) { return t[static_cast<std::size_t>(j - 1)]; };
  if (k == 1) return knot(i) <= x && x < knot(i + 1) ? 1.0 : 0.0;
  double sum = 0.0;
  if (const double span = knot(i + k - 1) - knot(i); span > 0.0)
    sum += (x - knot(i)) / span * RecursiveBspline(t, i, k - 1, x);
  if (const double span = knot(i + k) - knot(i + 1); span > 0.0)
    sum += (knot(i + k) - x) / span * RecursiveBspline(t, i + 1, k - 1, x);
  return sum;
}

// Marsden's identity: (x - tau)^(k-1) = sum over i of psi(i) B(i, k)(x), with
// psi(i) = product over j = 1..k-1 of (t(i+j) - tau). Returns psi(1..n).
inline std::vector<double> MarsdenCoefficients(const std::vector<double>& t, int n, int k, double tau) {
  std::vector<double> psi(static_cast<std::size_t>(n), 1.0);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= k - 1; ++j)
      psi[static_cast<std::size_t>(i - 1)] *= t[static_cast<std::size_t>(i + j - 1)] - tau;
  return psi;
}

// The d-th derivative of (x - tau)^power.
inline double PowerDerivative(double x, double tau, int power, int d) {
  if (d > power) return 0.0;
  double factor = 1.0;
  for (int j = 0; j < d; ++j) factor *= power - j;
  return factor * std::pow(x - tau, power - d);
}

// Minimizes the sum over rows of ((a(row) . c - rhs(row)) / s(row))^2 (s = 0 taken as 1) by
// Householder QR in long double; a is rows x n, row-major.
inline std::vector<double> DenseLeastSquares(std::vector<std::vector<long double>> a,
                                             std::vector<long double> rhs,
                                             std::size_t n) {
  const std::size_t rows = a.size();
  for (std::size_t col = 0; col < n; ++col) {
    long double norm = 0.0L;
    for (std::size_t r = col; r < rows; ++r) norm += a[r][col] * a[r][col];
    norm = std::sqrt(norm);
    if (norm == 0.0L) continue;
    const long double alpha = a[col][col] > 0 ? -norm : norm;
    std::vector<long double> v(rows, 0.0L);
    for (std::size_t r = col; r < rows; ++r) v[r] = a[r][col];
    v[col] -= alpha;
    long double vv = 0.0L;
    for (std::size_t r = col; r < rows; ++r) vv += v[r] * v[r];
    for (std::size_t c = col; c < n; ++c) {
      long double dot = 0.0L;
      for (std::size_t r = col; r < rows; ++r) dot += v[r] * a[r][c];
      for (std::size_t r = col; r < rows; ++r) a[r][c] -= 2.0L * dot / vv * v[r];
    }
    long double dot = 0.0L;
    for (std::size_t r = col; r < rows; ++r) dot += v[r] * rhs[r];
    for (std::size_t r = col; r < rows; ++r) rhs[r] -= 2.0L * dot / vv * v[r];
  }
  std::vector<double> solution(n);
  std::vector<long double> c(n, 0.0L);
  for (std::size_t i = n; i-- > 0;) {
    long double sum = rhs[i];
    for (std::size_t j = i + 1; j < n; ++j) sum -= a[i][j] * c[j];
    c[i] = sum / a[i][i];
    solution[i] = static_cast<double>(c[i]);
  }
  return solution;
}

// The weighted least-squares B-spline coefficients for data inside [t(k), t(n+1)).
inline std::vector<double> ReferenceFit(const std::vector<double>& t,
                                        int k,
                                        const std::vector<double>& xd,
                                        const std::vector<double>& yd,
                                        const std::vector<double>& sd) {
  const int n = static_cast<int>(t.size()) - k;
  std::vector<std::vector<long double>> a;
  std::vector<long double> rhs;
  for (std::size_t r = 0; r < xd.size(); ++r) {
    const long double scale = sd[r] != 0.0 ? 1.0L / sd[r] : 1.0L;
    std::vector<long double> row(static_cast<std::size_t>(n));
    for (int i = 1; i <= n; ++i) row[static_cast<std::size_t>(i - 1)] = RecursiveBspline(t, i, k, xd[r]) * scale;
    a.push_back(std::move(row));
    rhs.push_back(yd[r] * scale);
  }
  return DenseLeastSquares(std::move(a), std::move(rhs), static_cast<std::size_t>(n));
}

}  // namespace ruvo::test
