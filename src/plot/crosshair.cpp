#include "plot/crosshair.h"

#include <algorithm>

namespace ruvo {

std::optional<double> ValueAt(const ResultTable& table, std::size_t xColumn, std::size_t yColumn, double x) {
  const auto& rows = table.rows;
  if (rows.empty() || !(x >= rows.front()[xColumn] && x <= rows.back()[xColumn])) return std::nullopt;
  const auto after = std::lower_bound(rows.begin(), rows.end(), x,
                                      [xColumn](const std::vector<double>& row, double v) { return row[xColumn] < v; });
  if (after == rows.end()) return std::nullopt;
  if (after == rows.begin() || (*after)[xColumn] == x) return (*after)[yColumn];
  const auto& high = *after;
  const auto& low = *(after - 1);
  const double span = high[xColumn] - low[xColumn];
  if (!(span > 0.0)) return high[yColumn];
  const double fraction = (x - low[xColumn]) / span;
  return low[yColumn] + fraction * (high[yColumn] - low[yColumn]);
}

double CrosshairBoxLeft(double lineX, double boxWidth, double areaRight, double gap) {
  return lineX + gap + boxWidth < areaRight ? lineX + gap : lineX - gap - boxWidth;
}

}  // namespace ruvo
