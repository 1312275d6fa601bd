#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "fitting/curve_model.h"

namespace ruvo {

// The unsmoothed model: the samples joined by straight lines. Value interpolates linearly (and
// extends the first or last segment outside the range); Derivative takes each segment's slope to hold
// at its midpoint and interpolates between midpoints, except on the first and last segment where it
// is that segment's slope; SecondDerivative is the piecewise-constant change of slope per midpoint
// distance. Complete after construction, so it also serves as a plain interpolator without Fit,
// which does no work.
//
// Needs at least 2 samples for Value and Derivative and 3 for SecondDerivative. With fewer, Fit
// returns false and the evaluations that cannot be answered return NaN without reading past the
// arrays. Equal neighbouring abscissae give infinite or undefined slopes, unreported.
// Evaluations move a cached interval index: one caller at a time, single-threaded.
class LinearCurveModel : public CurveModel {
 public:
  LinearCurveModel(std::span<const double> xValues,
                   std::span<const double> yValues,
                   std::int32_t smoothingLevel,
                   std::int32_t splineOrder);

  // Whether all three evaluations can be answered: at least 3 samples.
  bool Fit();
  double Derivative(double at) const override;
  double Value(double at) const override;
  double SecondDerivative(double at) const override;

 private:
  double Midpoint(std::int32_t interval) const;

  // Where the last evaluation's search ended. At a sample point it decides which neighbouring
  // interval answers, so evaluations keep it; a model serves one caller at a time.
  mutable std::int32_t cachedInterval = 0;
  std::vector<double> intercepts;  // y[i] - slopes[i] * x[i], revolutions
  std::vector<double> slopes;      // (y[i+1] - y[i]) / (x[i+1] - x[i]), revolutions per second
  double upperMid = 0.0;           // midpoint of the last interval, seconds
  double lowerMid = 0.0;           // midpoint of the first interval, seconds
};

}  // namespace ruvo
