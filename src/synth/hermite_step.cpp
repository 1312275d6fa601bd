#include "synth/hermite_step.h"

#include <cmath>

namespace ruvo {
namespace {

constexpr int kSolverIterations = 100;

}  // namespace

double HermiteStep::Value(double tau) const {
  const double s = tau / h;
  const double s2 = s * s;
  const double s3 = s2 * s;
  return (2.0 * s3 - 3.0 * s2 + 1.0) * p0 + (s3 - 2.0 * s2 + s) * h * m0 + (-2.0 * s3 + 3.0 * s2) * p1 +
         (s3 - s2) * h * m1;
}

double HermiteStep::Slope(double tau) const {
  const double s = tau / h;
  const double s2 = s * s;
  return ((6.0 * s2 - 6.0 * s) * p0 + (6.0 * s - 6.0 * s2) * p1) / h + (3.0 * s2 - 4.0 * s + 1.0) * m0 +
         (3.0 * s2 - 2.0 * s) * m1;
}

double HermiteStep::Solve(double target) const {
  const bool rising = p1 >= p0;
  double low = 0.0;
  double high = h;
  double tau = p1 != p0 ? h * (target - p0) / (p1 - p0) : 0.5 * h;
  for (int iteration = 0; iteration < kSolverIterations; ++iteration) {
    const double residual = Value(tau) - target;
    if (residual == 0.0) break;
    if ((residual < 0.0) == rising)
      low = tau;
    else
      high = tau;
    const double slope = Slope(tau);
    double next = slope != 0.0 ? tau - residual / slope : low;
    if (!(next > low && next < high)) next = 0.5 * (low + high);
    const bool converged = std::fabs(next - tau) <= 1e-15 * h;
    tau = next;
    if (converged) break;
  }
  return tau;
}

}  // namespace ruvo
