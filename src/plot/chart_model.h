#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "core/result_table.h"

namespace ruvo {

// The data side of the charts of runs, without a widget: which stretches of a curve are drawn as
// doubtful, and the ranges the axes are fitted to. RunChart draws what these return.

// A point of a curve in chart values (engine speed or seconds across, the quantity up), or in
// pixels where a function says so.
struct ChartPoint {
  double x = 0.0;
  double y = 0.0;
};

// One stretch of a curve drawn as one line: every point of it plain, or every point doubtful.
struct CurvePiece {
  std::vector<ChartPoint> points;
  bool doubtful = false;
};

// A curve cut where it starts or stops being doubtful: the stretch between two neighbouring points
// is doubtful when it touches one of the spans (by x, ends included), and neighbouring pieces share
// their end point so the line stays unbroken. A point with a coordinate that is not finite is left
// out and breaks the curve there. One point alone is a piece of its own; no points, no pieces.
std::vector<CurvePiece> CurvePieces(const std::vector<ChartPoint>& points, const std::vector<RowSpan>& doubtful);

// The points of column y against column x of table, y multiplied by factor (a unit conversion).
std::vector<ChartPoint> ColumnPoints(const ResultTable& table, std::size_t xColumn, std::size_t yColumn, double factor);

// The rows of table a chart shows as doubtful: those outside the document's RPM estimate and those
// the run checks flagged.
std::vector<RowSpan> DoubtfulRows(const ResultTable& table, const std::vector<RowSpan>& flagged);

struct ValueRange {
  double low = 0.0;
  double high = 0.0;
};

// The lowest and highest finite value of column over tables (those without the column are left
// out), each multiplied by factor; nothing when there is no such value.
std::optional<ValueRange> ColumnRange(const std::vector<const ResultTable*>& tables,
                                      ResultColumn column,
                                      double factor = 1.0);

// The range of a power or torque axis for data (in the axis's units): from zero, so curves compare
// by height, or from the lowest value where it is negative, up to the highest value with room
// above it for peakLabels labels (8 %, and 6 % more for each label).
ValueRange PeakAxisRange(const ValueRange& data, std::size_t peakLabels);

}  // namespace ruvo
