#include "accuracy_metrics.h"

#include <algorithm>
#include <cmath>

namespace ruvo {
namespace {

constexpr double kPercent = 100.0;

// The truth at rpm, which lies within the truth's span: torque and power per rpm (proportional to
// torque) interpolated linearly, so both are exact wherever the torque is linear between rows.
TruthRow TruthAt(std::span<const TruthRow> truth, double rpm) {
  const auto above = std::lower_bound(truth.begin(), truth.end(), rpm,
                                      [](const TruthRow& row, double value) { return row.rpm < value; });
  if (above == truth.begin()) return *above;
  const TruthRow& high = *above;
  const TruthRow& low = *(above - 1);
  const double share = (rpm - low.rpm) / (high.rpm - low.rpm);
  const double lowPerRpm = low.horsepower / low.rpm;
  const double highPerRpm = high.horsepower / high.rpm;
  return {rpm, low.torqueFtLb + share * (high.torqueFtLb - low.torqueFtLb),
          (lowPerRpm + share * (highPerRpm - lowPerRpm)) * rpm};
}

// Running sums of one quantity's per-row errors.
struct ErrorSums {
  double squares = 0.0;
  double largest = 0.0;
  double largestAt = 0.0;

  void Add(double percent, double rpm) {
    squares += percent * percent;
    if (std::fabs(percent) > std::fabs(largest)) {
      largest = percent;
      largestAt = rpm;
    }
  }
};

struct Peak {
  double value = -INFINITY;
  double rpm = 0.0;
};

template <typename Row, typename Field>
Peak PeakOf(std::span<const Row> rows, Field field) {
  Peak peak;
  for (const Row& row : rows)
    if (row.*field > peak.value) peak = {row.*field, row.rpm};
  return peak;
}

QuantityError Summarize(const ErrorSums& sums, std::int32_t rows, Peak recovered, Peak truth) {
  return {std::sqrt(sums.squares / rows), sums.largest, sums.largestAt,
          kPercent * (recovered.value - truth.value) / truth.value, recovered.rpm - truth.rpm};
}

}  // namespace

std::optional<AccuracyFigures> CompareWithTruth(std::span<const PowerRow> recovered, std::span<const TruthRow> truth) {
  if (truth.empty()) return std::nullopt;
  AccuracyFigures figures;
  ErrorSums torque, horsepower;
  for (const PowerRow& row : recovered) {
    if (!(row.rpm >= truth.front().rpm && row.rpm <= truth.back().rpm)) continue;
    const TruthRow expected = TruthAt(truth, row.rpm);
    if (!(expected.torqueFtLb > 0.0 && expected.horsepower > 0.0)) continue;
    torque.Add(kPercent * (row.torqueFtLb - expected.torqueFtLb) / expected.torqueFtLb, row.rpm);
    horsepower.Add(kPercent * (row.horsepower - expected.horsepower) / expected.horsepower, row.rpm);
    figures.firstRpm = figures.comparedRows == 0 ? row.rpm : std::min(figures.firstRpm, row.rpm);
    figures.lastRpm = figures.comparedRows == 0 ? row.rpm : std::max(figures.lastRpm, row.rpm);
    ++figures.comparedRows;
  }
  if (figures.comparedRows == 0) return std::nullopt;
  figures.torque = Summarize(torque, figures.comparedRows, PeakOf(recovered, &PowerRow::torqueFtLb),
                             PeakOf(truth, &TruthRow::torqueFtLb));
  figures.horsepower = Summarize(horsepower, figures.comparedRows, PeakOf(recovered, &PowerRow::horsepower),
                                 PeakOf(truth, &TruthRow::horsepower));
  return figures;
}

}  // namespace ruvo
