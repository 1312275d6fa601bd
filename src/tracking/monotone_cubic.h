#pragma once

#include <vector>

namespace ruvo {

// The monotone piecewise cubic Hermite interpolant of points (x, y): it keeps the shape of the
// data (no overshoot, monotone where the data are, flat at a local extremum), so an engine speed
// logged in coarse steps becomes a smooth speed that never rises above or falls below its updates.
// Slopes by Fritsch and Butland's weighted harmonic mean with shape-preserving three-point ends.
// References: F. N. Fritsch and R. E. Carlson, "Monotone piecewise cubic interpolation", SIAM J.
// Numer. Anal. 17 (1980) 238-246; C. B. Moler, Numerical Computing with MATLAB, SIAM 2004, 3.4.
// Immutable; evaluation searches the interval by bisection.
class MonotoneCubic {
 public:
  // x strictly increasing, at least two points, as long as y; the caller checks.
  MonotoneCubic(std::vector<double> x, std::vector<double> y);

  // The interpolant at t, held at the end values outside [x.front(), x.back()].
  double Value(double t) const;

  // Its integral from x.front() to t in [x.front(), x.back()], exact for the cubics (by each
  // piece's closed form), in y units times x units.
  double Integral(double t) const;

 private:
  std::size_t PieceOf(double t) const;

  std::vector<double> x, y;
  std::vector<double> slope;     // dy/dx at each point
  std::vector<double> integral;  // from x.front() to each point
};

}  // namespace ruvo
