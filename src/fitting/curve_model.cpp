#include "fitting/curve_model.h"

#include <algorithm>

namespace ruvo {

CurveModel::CurveModel(std::span<const double> xValues,
                       std::span<const double> yValues,
                       std::int32_t smoothingLevel,
                       std::int32_t splineOrder)
    : count(static_cast<std::int32_t>(std::min(xValues.size(), yValues.size()))),
      x(xValues.begin(), xValues.begin() + count),
      y(yValues.begin(), yValues.begin() + count),
      level(smoothingLevel),
      order(splineOrder) {}

}  // namespace ruvo
