#pragma once

namespace ruvo {

// Cubic Hermite interpolant on [0, h] through values p0, p1 with slopes m0, m1: how the
// simulation's state moves inside one integration step, shared by everything that places
// events between steps so that they agree to the last bit. Reference: J. C. Butcher,
// Numerical Methods for Ordinary Differential Equations, 3rd ed., 2016, 3.2 (dense output).
struct HermiteStep {
  double p0, p1, m0, m1, h;

  double Value(double tau) const;
  double Slope(double tau) const;

  // tau in [0, h] where Value(tau) = target, for a target between p0 and p1 and a monotone
  // interpolant: Newton steps kept inside a shrinking bracket, bisecting when one leaves it.
  double Solve(double target) const;
};

}  // namespace ruvo
