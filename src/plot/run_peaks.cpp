#include "plot/run_peaks.h"

#include <algorithm>
#include <limits>

#include "core/run_parameters.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

// The summary's running maximum: from 0, and a later row only when strictly higher.
void Keep(std::optional<Peak>& best, double rpm, double value) {
  if (value > (best ? best->value : 0.0)) best = Peak{rpm, value};
}

// The summary's engine speed range and its highest speed and acceleration, one row at a time.
void KeepTimeRow(RunPeaks& peaks, bool first, double rpm, double speed, double acceleration) {
  peaks.lowestRpm = first ? rpm : std::min(peaks.lowestRpm, rpm);
  peaks.highestRpm = std::max(rpm, peaks.highestRpm);
  peaks.topSpeed = std::max(speed, peaks.topSpeed);
  peaks.topAcceleration = std::max(acceleration, peaks.topAcceleration);
}

// The rpm of a summary line: truncated toward zero, within the range of int.
int SummaryRpm(double rpm) {
  return static_cast<int>(
      std::clamp(rpm, double{std::numeric_limits<int>::min()}, double{std::numeric_limits<int>::max()}));
}

}  // namespace

RunPeaks PeaksOfTable(const ResultTable& table) {
  RunPeaks peaks;
  peaks.power = table.IsPowerTable();
  const std::size_t rpm = table.Column(ResultColumn::kRpm);
  if (rpm == ResultTable::npos) return peaks;
  if (peaks.power) {
    const std::size_t hp = table.Column(ResultColumn::kHorsepower), torque = table.Column(ResultColumn::kTorque);
    for (const std::vector<double>& row : table.rows) {
      Keep(peaks.horsepower, row[rpm], row[hp]);
      if (torque != ResultTable::npos) Keep(peaks.torque, row[rpm], row[torque]);
    }
    return peaks;
  }
  const std::size_t speed = table.Column(ResultColumn::kSpeed),
                    acceleration = table.Column(ResultColumn::kAcceleration);
  for (std::size_t k = 0; k < table.rows.size(); ++k) {
    const std::vector<double>& row = table.rows[k];
    KeepTimeRow(peaks, k == 0, row[rpm], speed == ResultTable::npos ? 0.0 : row[speed],
                acceleration == ResultTable::npos ? 0.0 : row[acceleration]);
  }
  return peaks;
}

RunPeaks PeaksOfCalculation(const CalculationResults& results) {
  RunPeaks peaks;
  peaks.fromCalculation = true;
  peaks.power = results.resultMode == CalculationMode::kDynamometer;
  if (peaks.power) {
    const std::size_t rows = std::min({results.rpm.size(), results.horsepower.size(), results.torque.size()});
    for (std::size_t k = 0; k < rows; ++k) {
      Keep(peaks.horsepower, results.rpm[k], results.horsepower[k]);
      Keep(peaks.torque, results.rpm[k], results.torque[k]);
    }
    return peaks;
  }
  const std::size_t rows = std::min({results.rpm.size(), results.speed.size(), results.acceleration.size()});
  for (std::size_t k = 0; k < rows; ++k)
    KeepTimeRow(peaks, k == 0, results.rpm[k], results.speed[k], results.acceleration[k]);
  return peaks;
}

std::string PeakText(const Peak& peak, const ColumnUnit& unit) {
  return FormatText("%.1f %s @ %i rpm", unit.factor * peak.value, unit.unit.c_str(), SummaryRpm(peak.rpm));
}

std::string PeaksText(const RunPeaks& peaks, UnitSystem units) {
  if (!peaks.power) {
    const ColumnUnit speed = UnitOf(ResultColumn::kSpeed, units),
                     acceleration = UnitOf(ResultColumn::kAcceleration, units);
    return FormatText("RPM %.1f to %.1f, max %.1f %s, %.3f %s", peaks.lowestRpm, peaks.highestRpm,
                      speed.factor * peaks.topSpeed, speed.unit.c_str(), acceleration.factor * peaks.topAcceleration,
                      acceleration.unit.c_str());
  }
  std::string text;
  if (peaks.horsepower) text = PeakText(*peaks.horsepower, UnitOf(ResultColumn::kHorsepower, units));
  if (peaks.torque) text += (text.empty() ? "" : ", ") + PeakText(*peaks.torque, UnitOf(ResultColumn::kTorque, units));
  return text.empty() ? text : "max " + text;
}

}  // namespace ruvo
