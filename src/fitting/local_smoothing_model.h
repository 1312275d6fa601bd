#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "fitting/curve_model.h"

namespace ruvo {

// Local smoothing: at every sample a straight line is fitted by least squares to the samples within
// `level` samples on each side (fewer near the ends); its value and slope there become the smoothed
// value and first derivative. The slopes are smoothed the same way once more (in place), and the
// slopes of lines through the final slopes are the second derivative. Between samples the three
// per-sample arrays are interpolated linearly; outside the range the first or last interval extends.
// Fit computes all three arrays, once.
//
// Needs at least 2 samples: with fewer, Fit returns false. Before a successful Fit every evaluation
// returns NaN. A negative level counts as 0. Equal neighbouring abscissae give infinite or undefined
// results, unreported. Evaluations move a cached interval index: one caller at a time,
// single-threaded.
class LocalSmoothingModel : public CurveModel {
 public:
  LocalSmoothingModel(std::span<const double> xValues,
                      std::span<const double> yValues,
                      std::int32_t smoothingLevel,
                      std::int32_t splineOrder);

  // Whether there are at least 2 samples; smooths them if so. Call once.
  bool Fit();
  double Derivative(double at) const override;
  double Value(double at) const override;
  double SecondDerivative(double at) const override;

 private:
  struct Line {
    double intercept;
    double slope;
  };
  Line LocalLine(std::int32_t i, const std::vector<double>& v) const;
  double Interpolate(const std::vector<double>& s, double at) const;

  // Each empty until a successful Fit.
  std::vector<double> smoothedValues;      // revolutions at each sample
  std::vector<double> smoothedSlopes;      // revolutions per second at each sample
  std::vector<double> smoothedCurvatures;  // revolutions per second squared at each sample
  // Where the last evaluation's search ended. At a sample point it decides which neighbouring
  // interval answers, so evaluations keep it; a model serves one caller at a time.
  mutable std::int32_t cachedInterval = 0;
};

}  // namespace ruvo
