#pragma once

#include <string>
#include <string_view>

namespace ruvo {

// The units a chart shows: the table's own (hp, ft-lb, mph, g) or metric (kW, N·m, km/h, m/s²).
enum class UnitSystem { kTable, kMetric };

inline constexpr double kKilowattsPerHp = 0.745699872;  // mechanical horsepower
inline constexpr double kNewtonMetresPerFootPound = 1.3558179483;
inline constexpr double kKilometresPerMile = 1.609344;          // also km/h per mph
inline constexpr double kMetresPerSecondSquaredPerG = 9.80665;  // standard gravity
inline constexpr double kNewtonsPerPound = 4.4482216152605;     // pound-force

// How one table column is shown: value in the chosen units = factor x table value.
struct ColumnUnit {
  double factor = 1.0;
  std::string unit;   // "hp", "kW", "rpm", "s", ... ; empty when the column has none
  std::string label;  // axis title: "Power (hp)", "Engine speed (rpm)", ...
};

// The unit of a column of the dynamometer or tachometer table by its name ("HP", "Torque", ...);
// an unknown name keeps its numbers and is labelled by its name.
ColumnUnit UnitOf(std::string_view column, UnitSystem units);

}  // namespace ruvo
