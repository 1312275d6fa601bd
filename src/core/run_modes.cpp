#include "core/run_modes.h"

namespace ruvo {

std::optional<CalculationMode> CalculationModeOf(std::int32_t fileNumber) {
  switch (fileNumber) {
    case 0:
      return CalculationMode::kDynamometer;
    case 1:
      return CalculationMode::kTachometer;
    default:
      return std::nullopt;
  }
}

std::optional<SmoothingMethod> SmoothingMethodOf(std::int32_t fileNumber) {
  switch (fileNumber) {
    case 0:
      return SmoothingMethod::kNone;
    case 1:
      return SmoothingMethod::kLocal;
    case 2:
      return SmoothingMethod::kSplineSegments;
    case 3:
      return SmoothingMethod::kExponentialFit;
    default:
      return std::nullopt;
  }
}

}  // namespace ruvo
