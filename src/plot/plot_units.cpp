#include "plot/plot_units.h"

namespace ruvo {

ColumnUnit UnitOf(std::string_view column, UnitSystem units) {
  const bool metric = units == UnitSystem::kMetric;
  if (column == "RPM") return {1.0, "rpm", "Engine speed (rpm)"};
  if (column == "HP")
    return metric ? ColumnUnit{kKilowattsPerHp, "kW", "Power (kW)"} : ColumnUnit{1.0, "hp", "Power (hp)"};
  if (column == "Torque")
    return metric ? ColumnUnit{kNewtonMetresPerFootPound, "N\u00b7m", "Torque (N\u00b7m)"}
                  : ColumnUnit{1.0, "ft-lb", "Torque (ft-lb)"};
  if (column == "Speed")
    return metric ? ColumnUnit{kKilometresPerMile, "km/h", "Speed (km/h)"} : ColumnUnit{1.0, "mph", "Speed (mph)"};
  if (column == "Accel")
    return metric ? ColumnUnit{kMetresPerSecondSquaredPerG, "m/s\u00b2", "Acceleration (m/s\u00b2)"}
                  : ColumnUnit{1.0, "g", "Acceleration (g)"};
  if (column == "Dist")
    return metric ? ColumnUnit{kKilometresPerMile, "km", "Distance (km)"} : ColumnUnit{1.0, "mi", "Distance (mi)"};
  if (column == "Time") return {1.0, "s", "Time (s)"};
  if (column == "CumRev") return {1.0, "rev", "Revolutions"};
  if (column.starts_with('F')) {  // the forces of the dynamometer table, in pounds
    const std::string name(column);
    return metric ? ColumnUnit{kNewtonsPerPound, "N", name + " (N)"} : ColumnUnit{1.0, "lb", name + " (lb)"};
  }
  return {1.0, "", std::string(column)};
}

}  // namespace ruvo
