#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "fitting/curve_model.h"

namespace ruvo {

// The "Smooth Curve, Segments" model: one least-squares B-spline curve of order `order` (the
// driver passes 5: piecewise quartic) through all samples, on knots that divide the time span
// into `level` equal segments. Few segments give a stiff curve, many follow the samples closely.
// The fit runs at construction (DEFC); Fit() only reports it. Value and the derivatives evaluate
// the spline (DBVALU) and move the search hint and the scratch part of the work array, so a model
// serves one caller at a time. It owns its weights, knots, coefficients and work array, allocated
// once at construction; evaluations allocate nothing.
//
// Fit() gives 0 when the segment count is below 1, the order is outside 1..20, there are fewer
// samples than coefficients (level + order - 1, checked in 64 bits before anything is allocated),
// the samples do not determine every coefficient, or a coefficient is not finite. A model rejected
// before its fit places no knots and evaluates to NaN; a fit that failed leaves zero coefficients.
class SplineCurveModel : public CurveModel {
 public:
  SplineCurveModel(std::span<const double> xValues,
                   std::span<const double> yValues,
                   std::int32_t segmentCount,
                   std::int32_t bsplineOrder);

  std::int32_t Fit() override;
  double Derivative(double at) override;  // revolutions per second
  double Value(double at) override;       // revolutions
  double SecondDerivative(double at) override;
  Evaluation EvaluateAll(double at) override;  // revolutions per second squared

  // The breakpoints (empty when the model was rejected before its fit) and the fitted coefficients.
  std::span<const double> Knots() const { return knots; }
  std::span<const double> Coefficients() const { return coefficients; }

 private:
  void PlaceKnots();
  double Evaluate(double at, std::int32_t derivativeOrder);

  std::int32_t segments;              // S, equal segments of the time span
  std::int32_t splineOrder;           // K
  std::vector<double> weights;        // n uncertainties, all 1: an unweighted fit
  std::vector<double> knots;          // P = S + 2K - 1 breakpoints
  std::vector<double> coefficients;   // N = S + K - 1
  std::vector<double> work;           // the fit's work array; its first 3K doubles serve every evaluation
  std::int32_t knotCount = 0;         // P
  std::int32_t coefficientCount = 0;  // N
  std::int32_t workLength = 0;        // LW
  std::int32_t fitStatus = -1;        // DEFC status: 1 solved, 2 not solved, -1 invalid input
  std::int32_t searchHint = 1;        // knot interval of the last evaluation
};

}  // namespace ruvo
