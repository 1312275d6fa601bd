#include "calc/curve_model_factory.h"

#include "fitting/exp_fit_model.h"
#include "fitting/linear_curve_model.h"
#include "fitting/local_smoothing_model.h"
#include "fitting/spline_curve_model.h"

namespace ruvo {
namespace {

// The model once fitted, or null when its fit failed.
template <typename Model, typename... FitArguments>
std::unique_ptr<const CurveModel> Fitted(std::unique_ptr<Model> model, FitArguments... arguments) {
  if (!model->Fit(arguments...)) return nullptr;
  return model;
}

}  // namespace

std::unique_ptr<const CurveModel> CreateCurveModel(SmoothingMethod method,
                                                   std::span<const double> times,
                                                   std::span<const double> revolutions,
                                                   std::int32_t smoothingLevel,
                                                   double declineRevsPerSecond,
                                                   CalculationLog& log) {
  switch (method) {
    case SmoothingMethod::kNone:
      return Fitted(std::make_unique<LinearCurveModel>(times, revolutions, smoothingLevel, kCurveOrder));
    case SmoothingMethod::kLocal:
      return Fitted(std::make_unique<LocalSmoothingModel>(times, revolutions, smoothingLevel, kCurveOrder));
    case SmoothingMethod::kSplineSegments:
      return Fitted(std::make_unique<SplineCurveModel>(times, revolutions, smoothingLevel, kCurveOrder));
    case SmoothingMethod::kExponentialFit:
      break;
  }
  return Fitted(std::make_unique<ExpFitModel>(times, revolutions, smoothingLevel, kCurveOrder, declineRevsPerSecond),
                &log);
}

}  // namespace ruvo
