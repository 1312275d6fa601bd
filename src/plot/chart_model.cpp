#include "plot/chart_model.h"

#include <algorithm>
#include <cmath>

namespace ruvo {
namespace {

// Whether the stretch between points at x = a and x = b touches one of the spans.
bool Touches(const std::vector<RowSpan>& spans, double a, double b) {
  const double low = std::min(a, b), high = std::max(a, b);
  return std::any_of(spans.begin(), spans.end(),
                     [&](const RowSpan& span) { return span.from <= high && span.to >= low; });
}

bool Finite(const ChartPoint& point) {
  return std::isfinite(point.x) && std::isfinite(point.y);
}

// Cuts one unbroken run of points (first to end) into pieces by doubt.
void AppendPieces(std::vector<ChartPoint>::const_iterator first,
                  std::vector<ChartPoint>::const_iterator end,
                  const std::vector<RowSpan>& doubtful,
                  std::vector<CurvePiece>& pieces) {
  if (end - first == 1) {
    pieces.push_back({{*first}, false});
    return;
  }
  const auto doubtAfter = [&](auto k) { return Touches(doubtful, k->x, (k + 1)->x); };
  while (end - first > 1) {
    const bool doubt = doubtAfter(first);
    auto last = first + 1;
    while (end - last > 1 && doubtAfter(last) == doubt) ++last;
    pieces.push_back({std::vector<ChartPoint>(first, last + 1), doubt});
    first = last;
  }
}

}  // namespace

std::vector<CurvePiece> CurvePieces(const std::vector<ChartPoint>& points, const std::vector<RowSpan>& doubtful) {
  std::vector<CurvePiece> pieces;
  for (auto first = std::find_if(points.begin(), points.end(), Finite); first != points.end();) {
    const auto end = std::find_if_not(first, points.end(), Finite);
    AppendPieces(first, end, doubtful, pieces);
    first = std::find_if(end, points.end(), Finite);
  }
  return pieces;
}

std::vector<ChartPoint> ColumnPoints(const ResultTable& table,
                                     std::size_t xColumn,
                                     std::size_t yColumn,
                                     double factor) {
  std::vector<ChartPoint> points;
  points.reserve(table.rows.size());
  for (const std::vector<double>& row : table.rows) points.push_back({row[xColumn], factor * row[yColumn]});
  return points;
}

std::vector<RowSpan> DoubtfulRows(const ResultTable& table, const std::vector<RowSpan>& flagged) {
  std::vector<RowSpan> doubtful = table.RowsOutsideEstimate();
  doubtful.insert(doubtful.end(), flagged.begin(), flagged.end());
  return doubtful;
}

std::optional<ValueRange> ColumnRange(const std::vector<const ResultTable*>& tables,
                                      ResultColumn column,
                                      double factor) {
  std::optional<ValueRange> range;
  for (const ResultTable* table : tables) {
    const std::size_t c = table->Column(column);
    if (c == ResultTable::npos) continue;
    for (const std::vector<double>& row : table->rows) {
      if (!std::isfinite(row[c])) continue;
      range =
          range ? ValueRange{std::min(range->low, row[c]), std::max(range->high, row[c])} : ValueRange{row[c], row[c]};
    }
  }
  if (range) range = ValueRange{range->low * factor, range->high * factor};
  return range;
}

ValueRange PeakAxisRange(const ValueRange& data, std::size_t peakLabels) {
  const double headroom = 1.08 + 0.06 * static_cast<double>(peakLabels);
  return {std::min(0.0, data.low), data.high * headroom};
}

}  // namespace ruvo
