#pragma once

// Textbook B-spline and least-squares mathematics, written independently of the routines under test. Indices count
// from 1, as in the usual formulas: t[i - 1] is t(i).

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
  if (knot(i + k - 1) > knot(i)) sum += (x - knot(i)) / (knot(i + k - 1) - knot(i)) * RecursiveBspline(t, i, k - 1, x);
  if (knot(i + k) > knot(i + 1))
    sum += (knot(i + k) - x) / (knot(i + k) - knot(i + 1)) * RecursiveBspline(t, i + 1, k - 1, x);
  return sum;
}

// Marsden's identity: (x - tau)^(k-1) is the spline with coefficients
// psi(i) = product over j = 1..k-1 of (t(i+j) - tau), i = 1..n.
inline std::vector<double> MarsdenCoefficients(const std::vector<double>& t, int n, int k, double tau) {
  std::vector<double> psi(static_cast<std::size_t>(n), 1.0);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= k - 1; ++j)
      psi[static_cast<std::size_t>(i - 1)] *= t[static_cast<std::size_t>(i + j - 1)] - tau;
  return psi;
}

// The d-th derivative of (x - tau)^power.
inline double PowerDerivative(double x, double tau, int power, int d) {
  double factor = d > power ? 0.0 : 1.0;
  for (int j = 0; j < d && j < power; ++j) factor *= power - j;
  return factor * std::pow(x - tau, d > power ? 0 : power - d);
}

// The least-squares solution of rows x c = rhs: the normal equations, solved by Gaussian
// elimination with partial pivoting in long double.
inline std::vector<double> ReferenceLeastSquares(const std::vector<std::vector<long double>>& rows,
                                                 const std::vector<long double>& rhs) {
  const std::size_t n = rows.empty() ? 0 : rows[0].size();
  std::vector<std::vector<long double>> a(n, std::vector<long double>(n + 1, 0.0L));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t i = 0; i < n; ++i) {
      for (std::size_t j = 0; j < n; ++j) a[i][j] += rows[r][i] * rows[r][j];
      a[i][n] += rows[r][i] * rhs[r];
    }
  for (std::size_t col = 0; col < n; ++col) {
    std::size_t pivot = col;
    for (std::size_t r = col + 1; r < n; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    std::swap(a[col], a[pivot]);
    for (std::size_t r = col + 1; r < n; ++r)
      for (std::size_t j = n + 1; j-- > col;) a[r][j] -= a[r][col] / a[col][col] * a[col][j];
  }
  std::vector<long double> solution(n);
  for (std::size_t i = n; i-- > 0;) {
    long double sum = a[i][n];
    for (std::size_t j = i + 1; j < n; ++j) sum -= a[i][j] * solution[j];
    solution[i] = sum / a[i][i];
  }
  return std::vector<double>(solution.begin(), solution.end());
}

// The weighted least-squares coefficients of the splines of order k on t for data inside
// [t(k), t(n+1)), each equation divided by sd (0 meaning 1).
inline std::vector<double> ReferenceFit(const std::vector<double>& t,
                                        int k,
                                        const std::vector<double>& xd,
                                        const std::vector<double>& yd,
                                        const std::vector<double>& sd) {
  std::vector<std::vector<long double>> rows;
  std::vector<long double> rhs;
  for (std::size_t r = 0; r < xd.size(); ++r) {
    const long double scale = sd[r] != 0.0 ? 1.0L / sd[r] : 1.0L;
    rows.emplace_back();
    for (std::size_t i = 1; i + static_cast<std::size_t>(k) <= t.size(); ++i)
      rows.back().push_back(RecursiveBspline(t, static_cast<int>(i), k, xd[r]) * scale);
    rhs.push_back(yd[r] * scale);
  }
  return ReferenceLeastSquares(rows, rhs);
}

}  // namespace ruvo::test
