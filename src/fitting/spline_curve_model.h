#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "fitting/curve_model.h"

namespace ruvo {

// The "Smooth Curve, Segments" model: one least-squares B-spline curve of order `order` (the
// driver passes 5: piecewise quartic) through all samples, on knots that divide the time span
// into `level` equal segments. Few segments give a stiff curve, many follow the samples closely.
// Fit places the knots and solves for the coefficients (DEFC), once; its weights and work array
// live only as long as the fit. Value and the derivatives evaluate the spline (DBVALU) with a
// search hint and scratch of their own, so they change nothing and allocate nothing.
//
// Fit returns false when the segment count is below 1, the order is outside 1..20, there are fewer
// samples than coefficients (level + order - 1, checked in 64 bits before anything is allocated),
// the samples do not determine every coefficient, or a coefficient is not finite. A model not
// fitted, or rejected before its fit, has no knots and evaluates to NaN; a fit that failed leaves
// zero coefficients.
class SplineCurveModel : public CurveModel {
 public:
  SplineCurveModel(std::span<const double> xValues,
                   std::span<const double> yValues,
                   std::int32_t segmentCount,
                   std::int32_t bsplineOrder);

  // Whether the fit succeeded. Call once.
  bool Fit();
  double Derivative(double at) const override;  // revolutions per second
  double Value(double at) const override;       // revolutions
  double SecondDerivative(double at) const override;
  Evaluation EvaluateAll(double at) const override;  // revolutions per second squared

  // For tests: the breakpoints, empty until Fit places them.
  std::span<const double> Knots() const { return knots; }

 private:
  void PlaceKnots();
  double Evaluate(double at, std::int32_t derivativeOrder) const;

  std::int32_t segments;              // S, equal segments of the time span
  std::int32_t splineOrder;           // K
  std::vector<double> knots;          // P = S + 2K - 1 breakpoints
  std::vector<double> coefficients;   // N = S + K - 1
  std::int32_t knotCount = 0;         // P
  std::int32_t coefficientCount = 0;  // N
};

}  // namespace ruvo
