#include "tracking/monotone_cubic.h"

#include <algorithm>
#include <cmath>

namespace ruvo {
namespace {

// End slope from the three-point formula, kept within the shape of the first two intervals.
double EndSlope(double h0, double h1, double del0, double del1) {
  double d = ((2.0 * h0 + h1) * del0 - h0 * del1) / (h0 + h1);
  if (std::signbit(d) != std::signbit(del0) || d == 0.0) return 0.0;
  if (std::signbit(del0) != std::signbit(del1) && std::abs(d) > std::abs(3.0 * del0)) d = 3.0 * del0;
  return d;
}

// Integrals over [0, s] of the four Hermite basis functions on the unit interval.
struct BasisIntegrals {
  double h00, h10, h01, h11;
};
BasisIntegrals IntegrateBasis(double s) {
  const double s2 = s * s, s3 = s2 * s, s4 = s3 * s;
  return {s - s3 + s4 / 2.0, s2 / 2.0 - 2.0 * s3 / 3.0 + s4 / 4.0, s3 - s4 / 2.0, s4 / 4.0 - s3 / 3.0};
}

}  // namespace

MonotoneCubic::MonotoneCubic(std::vector<double> xs, std::vector<double> ys)
    : x(std::move(xs)), y(std::move(ys)), slope(x.size(), 0.0), integral(x.size(), 0.0) {
  const std::size_t n = x.size();
  std::vector<double> h(n - 1), del(n - 1);
  for (std::size_t k = 0; k + 1 < n; ++k) {
    h[k] = x[k + 1] - x[k];
    del[k] = (y[k + 1] - y[k]) / h[k];
  }
  if (n == 2) {
    slope[0] = slope[1] = del[0];
  } else {
    for (std::size_t k = 1; k + 1 < n; ++k) {
      if (del[k - 1] * del[k] <= 0.0) continue;  // an extremum or a flat: the slope stays 0
      const double w1 = 2.0 * h[k] + h[k - 1];
      const double w2 = h[k] + 2.0 * h[k - 1];
      slope[k] = (w1 + w2) / (w1 / del[k - 1] + w2 / del[k]);
    }
    slope[0] = EndSlope(h[0], h[1], del[0], del[1]);
    slope[n - 1] = EndSlope(h[n - 2], h[n - 3], del[n - 2], del[n - 3]);
  }
  for (std::size_t k = 0; k + 1 < n; ++k)
    integral[k + 1] = integral[k] + h[k] * (y[k] + y[k + 1]) / 2.0 + h[k] * h[k] * (slope[k] - slope[k + 1]) / 12.0;
}

std::size_t MonotoneCubic::PieceOf(double t) const {
  const auto above = std::upper_bound(x.begin(), x.end(), t);
  const auto piece = static_cast<std::size_t>(std::max<std::ptrdiff_t>(above - x.begin(), 1)) - 1;
  return std::min(piece, x.size() - 2);
}

double MonotoneCubic::Value(double t) const {
  if (t <= x.front()) return y.front();
  if (t >= x.back()) return y.back();
  const std::size_t k = PieceOf(t);
  const double h = x[k + 1] - x[k];
  const double s = (t - x[k]) / h;
  const double s2 = s * s, s3 = s2 * s;
  return (2.0 * s3 - 3.0 * s2 + 1.0) * y[k] + (s3 - 2.0 * s2 + s) * h * slope[k] + (-2.0 * s3 + 3.0 * s2) * y[k + 1] +
         (s3 - s2) * h * slope[k + 1];
}

double MonotoneCubic::Integral(double t) const {
  t = std::clamp(t, x.front(), x.back());
  const std::size_t k = PieceOf(t);
  const double h = x[k + 1] - x[k];
  const BasisIntegrals b = IntegrateBasis((t - x[k]) / h);
  return integral[k] + h * (b.h00 * y[k] + b.h10 * h * slope[k] + b.h01 * y[k + 1] + b.h11 * h * slope[k + 1]);
}

}  // namespace ruvo
