#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ruvo {

// A smoothing model over sample points (x: pulse times in seconds, increasing; y: cumulative
// engine revolutions). Each model is built, fitted once by its own Fit (which returns whether the
// model is usable) and then evaluated any number of times; CreateCurveModel does the first two and
// hands out fitted models only. Evaluations are const, but the piecewise-linear models move a cached
// interval index (mutable) that decides which interval a sample point belongs to, so a model serves
// one caller at a time. The model owns copies of the sample points.
class CurveModel {
 public:
  CurveModel(std::span<const double> xValues,
             std::span<const double> yValues,
             std::int32_t smoothingLevel,
             std::int32_t splineOrder);
  virtual ~CurveModel() = default;

  CurveModel(const CurveModel&) = delete;
  CurveModel& operator=(const CurveModel&) = delete;

  // dy/dx at x, revolutions per second.
  virtual double Derivative(double at) const = 0;
  // y at x, revolutions.
  virtual double Value(double at) const = 0;
  // d2y/dx2 at x, revolutions per second squared.
  virtual double SecondDerivative(double at) const = 0;

  // The three at one x, exactly as the three calls give them; a model may share the work.
  struct Evaluation {
    double value = 0.0;
    double derivative = 0.0;
    double secondDerivative = 0.0;
  };
  virtual Evaluation EvaluateAll(double at) const { return {Value(at), Derivative(at), SecondDerivative(at)}; }

 protected:
  std::int32_t count;     // number of sample points
  std::vector<double> x;  // abscissae, copied
  std::vector<double> y;  // ordinates, copied
  std::int32_t level;     // the smoothing method's integer parameter
  std::int32_t order;     // B-spline order for the spline model; ignored by the others
};

}  // namespace ruvo
