#pragma once

#include <cstddef>
#include <optional>

#include "core/result_table.h"

namespace ruvo {

// The value of column y at x by linear interpolation between the rows around it, the x column
// ascending as both layouts of table write it; at a row's own x, that row's value (the first of
// rows sharing it). Nothing outside the rows' range, for an x that is not a number, or without rows.
std::optional<double> ValueAt(const ResultTable& table, std::size_t xColumn, std::size_t yColumn, double x);

// The left edge (pixels) of the crosshair's box of boxWidth pixels beside its line at lineX: gap
// pixels right of the line where the box ends left of areaRight, else gap pixels left of it.
double CrosshairBoxLeft(double lineX, double boxWidth, double areaRight, double gap);

}  // namespace ruvo
