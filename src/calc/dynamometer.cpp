#include "calc/dynamometer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/text_format.h"
#include "core/vehicle_model.h"
#include "fitting/linear_curve_model.h"

namespace ruvo {
namespace {

// Rows of the grid: the multiples of 50 rpm strictly above the start and at or below the end.
void BuildRpmGrid(double highestStartRpm, double lowestFinalRpm, CalculationResults& results) {
  const double first = std::trunc(highestStartRpm / kRpmGridStep) + 1.0;
  const double last = std::trunc(lowestFinalRpm / kRpmGridStep);
  results.rowCount = static_cast<std::int32_t>(std::max(1.0, last - first + 1.0));
  results.succeeded = results.rowCount > 1;
  results.AllocateResults(CalculationMode::kDynamometer);
  results.rpm[0] = first * kRpmGridStep;
  for (std::size_t k = 1; k < results.rpm.size(); ++k) results.rpm[k] = results.rpm[k - 1] + kRpmGridStep;
}

// Mean angular acceleration over the recordings at each grid RPM, revolutions per second squared.
void AverageAcceleration(std::vector<RecordingCurves>& recordings, CalculationResults& results) {
  for (RecordingCurves& recording : recordings) {
    const LinearCurveModel model(recording.rpm, recording.angularAcceleration, 0, 0);
    std::vector<double> resampled(results.rpm.size());
    for (std::size_t k = 0; k < resampled.size(); ++k) resampled[k] = model.Value(results.rpm[k]);
    recording.angularAcceleration = std::move(resampled);
  }
  const double count = static_cast<double>(recordings.size());
  for (std::size_t k = 0; k < results.rpm.size(); ++k) {
    double sum = 0.0;
    for (const RecordingCurves& recording : recordings) sum += recording.angularAcceleration[k];
    results.acceleration[k] = sum / count;
  }
}

// The RPM of a summary line, truncated toward zero. A one-row grid (a failed calculation) can
// lie far above any engine speed, beyond the range of int.
int SummaryRpm(double rpm) {
  constexpr double kLowest = std::numeric_limits<int>::min();
  constexpr double kHighest = std::numeric_limits<int>::max();
  return static_cast<int>(std::clamp(rpm, kLowest, kHighest));
}

}  // namespace

void ComputeDynamometer(const RunParameters& params,
                        std::vector<RecordingCurves>& recordings,
                        double highestStartRpm,
                        double lowestFinalRpm,
                        CalculationResults& results) {
  BuildRpmGrid(highestStartRpm, lowestFinalRpm, results);
  AverageAcceleration(recordings, results);

  const double feetPerRev = FeetPerEngineRevolution(params);
  const double dragFactor = DragFactor(params);
  const double frictionFactor = FrictionFactor(params, feetPerRev);
  const double lossFraction = kPercent * params.drivetrainLoss;
  results.rollingForce = params.vehicleWeight * params.rollingCoefficient;

  double bestHp = 0.0, bestHpRpm = 0.0, bestTorque = 0.0, bestTorqueRpm = 0.0;
  for (std::size_t k = 0; k < results.rpm.size(); ++k) {
    const double v = feetPerRev * results.rpm[k] / kSecondsPerMinute;  // road speed, ft/s
    results.speed[k] = v * kFeetPerSecondToMph;
    results.acceleration[k] = feetPerRev * results.acceleration[k] / kGravity;
    results.accelForce[k] = params.vehicleWeight * results.acceleration[k];
    results.dragForce[k] = dragFactor * v * v;
    results.frictionForce[k] = std::pow(v, params.frictionLossExponent) * frictionFactor;
    results.force[k] =
        ((results.dragForce[k] + results.frictionForce[k]) + results.rollingForce + results.accelForce[k]) /
        (1.0 - lossFraction);
    results.frictionForce[k] = lossFraction * results.force[k] + results.frictionForce[k];
    results.horsepower[k] = v * results.force[k] / kFootPoundsPerSecondPerHp;
    results.torque[k] = feetPerRev * results.force[k] / (2.0 * kPi);
    if (results.horsepower[k] > bestHp) {
      bestHp = results.horsepower[k];
      bestHpRpm = results.rpm[k];
    }
    if (results.torque[k] > bestTorque) {
      bestTorque = results.torque[k];
      bestTorqueRpm = results.rpm[k];
    }
  }
  results.summaryLine1 = FormatText("        Max HP:%6.1f hp @ %i rpm", bestHp, SummaryRpm(bestHpRpm));
  results.summaryLine2 = FormatText("  Max Torque:%6.1f ft-lb @ %i rpm", bestTorque, SummaryRpm(bestTorqueRpm));
}

}  // namespace ruvo
