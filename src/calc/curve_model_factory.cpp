#include "calc/curve_model_factory.h"

#include "fitting/exp_fit_model.h"
#include "fitting/linear_curve_model.h"
#include "fitting/local_smoothing_model.h"
#include "fitting/spline_curve_model.h"

namespace ruvo {

std::unique_ptr<CurveModel> CreateCurveModel(SmoothingMethod method,
                                             std::span<const double> times,
                                             std::span<const double> revolutions,
                                             std::int32_t smoothingLevel,
                                             double declineRevsPerSecond,
                                             CalculationLog& log) {
  switch (method) {
    case SmoothingMethod::kNone:
      return std::make_unique<LinearCurveModel>(times, revolutions, smoothingLevel, kCurveOrder);
    case SmoothingMethod::kLocal:
      return std::make_unique<LocalSmoothingModel>(times, revolutions, smoothingLevel, kCurveOrder);
    case SmoothingMethod::kSplineSegments:
      return std::make_unique<SplineCurveModel>(times, revolutions, smoothingLevel, kCurveOrder);
    case SmoothingMethod::kExponentialFit:
      break;
  }
  return std::make_unique<ExpFitModel>(times, revolutions, smoothingLevel, kCurveOrder, declineRevsPerSecond, &log);
}

}  // namespace ruvo
