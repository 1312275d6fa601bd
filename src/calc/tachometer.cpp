#include "calc/tachometer.h"

#include <algorithm>

#include "core/text_format.h"
#include "core/vehicle_model.h"

namespace ruvo {

void ComputeTachometer(const RunParameters& params,
                       std::span<const double> cumulativeRevs,
                       std::span<const double> rpm,
                       std::span<const double> angularAcceleration,
                       CalculationResults& results) {
  const double feetPerRev = FeetPerEngineRevolution(params);
  double highestSpeed = 0.0, highestAcceleration = 0.0, highestRpm = 0.0;
  double lowestRpm = rpm.empty() ? 0.0 : rpm[0];
  results.AllocateResults(CalculationMode::kTachometer);
  const std::size_t rows =
      std::min({results.rpm.size(), cumulativeRevs.size(), rpm.size(), angularAcceleration.size()});
  for (std::size_t k = 0; k < rows; ++k) {
    results.distance[k] = feetPerRev * cumulativeRevs[k] / kFeetPerMile;
    results.rpm[k] = rpm[k];
    results.speed[k] = feetPerRev * results.rpm[k] * kFeetPerSecondToMph / kSecondsPerMinute;
    results.acceleration[k] = feetPerRev * angularAcceleration[k] / kGravity;
    highestSpeed = std::max(results.speed[k], highestSpeed);
    highestAcceleration = std::max(results.acceleration[k], highestAcceleration);
    lowestRpm = std::min(lowestRpm, rpm[k]);
    highestRpm = std::max(rpm[k], highestRpm);
  }
  results.summaryLine1 = FormatText(" RPM range:%8.1f  to%8.1f", lowestRpm, highestRpm);
  results.summaryLine2 = FormatText("Max Speed:%6.1f mph, Max Accel:%6.3fg", highestSpeed, highestAcceleration);
}

}  // namespace ruvo
