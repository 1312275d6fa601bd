#include "plot/run_correction.h"

#include <string>

namespace ruvo {

namespace {

CorrectedRun Corrected(PlotRun run, std::optional<CorrectionStandard> standard) {
  CorrectedRun corrected{std::move(run), std::nullopt, QString()};
  PlotRun& shown = corrected.run;
  if (!standard || !shown.table.IsPowerTable()) return corrected;
  if (shown.table.conditions.IsEmpty()) {
    corrected.note = QStringLiteral("uncorrected: no conditions");
    return corrected;
  }
  PowerCorrection correction = CorrectPower(*standard, shown.table.conditions);
  if (!correction.ok) {
    corrected.note = QStringLiteral("uncorrected: ") + QString::fromStdString(correction.failure);
    return corrected;
  }
  const double factor = correction.factor;
  shown.table = CorrectedTable(std::move(shown.table), factor);
  if (shown.peaks) {
    if (shown.peaks->horsepower) shown.peaks->horsepower->value *= factor;
    if (shown.peaks->torque) shown.peaks->torque->value *= factor;
  }
  corrected.note = QString::fromStdString(std::string(CorrectionTitle(*standard))) + QStringLiteral(" \u00d7") +
                   QString::number(factor, 'f', 4);
  corrected.correction = std::move(correction);
  shown.correctedTo = standard;
  return corrected;
}

}  // namespace

CorrectedRun CorrectRun(PlotRun run, std::optional<CorrectionStandard> standard) {
  CorrectedRun corrected = Corrected(std::move(run), standard);
  corrected.run.note = corrected.note;
  return corrected;
}

UnitSystem UnitsFor(UnitSystem chosen, std::optional<CorrectionStandard> standard) {
  return chosen == UnitSystem::kMetric && standard == CorrectionStandard::kDin70020 ? UnitSystem::kMetricPs : chosen;
}

}  // namespace ruvo
