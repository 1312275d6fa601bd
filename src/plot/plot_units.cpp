#include "plot/plot_units.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

#include "core/text_format.h"
#include "core/translation_marker.h"

namespace ruvo {
namespace {

constexpr int kMostDecimals = 6;  // for columns of unknown tables

// "Torque (ft-lb)"; the name alone when it says its unit ("HP", "RPM") or has none.
std::string Heading(const std::string& name, const std::string& unit) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return unit.empty() || lower == unit ? name : name + " (" + unit + ')';
}

ColumnUnit Unit(double factor, std::string unit, std::string label, const std::string& name) {
  std::string heading = Heading(name, unit);
  return {factor, std::move(unit), std::move(label), std::move(heading)};
}

// A force of the dynamometer table, in pounds.
ColumnUnit ForceUnit(const std::string& name, UnitSystem units) {
  return units != UnitSystem::kTable ? Unit(kNewtonsPerPound, "N", name + " (N)", name)
                                     : Unit(1.0, "lb", name + " (lb)", name);
}

// The decimals the document gives column c: as the dynamometer and tachometer tables write them,
// and for a column of neither the fewest that write each of its values unchanged.
int DecimalsOf(const ResultTable& table, std::size_t c) {
  using enum ResultColumn;
  const std::optional<ResultColumn> column = ColumnNamed(table.variables[c]);
  if (table.IsPowerTable()) return column == kRpm ? 0 : column == kAcceleration ? 5 : 2;
  if (table.Column(kTime) != ResultTable::npos) {
    if (column == kTime || column == kDistance || column == kAcceleration) return 4;
    if (column == kCumulativeRevs) return 1;
    if (column == kRpm || column == kSpeed) return 2;
  }
  for (int decimals = 0; decimals < kMostDecimals; ++decimals) {
    const double scale = std::pow(10.0, decimals);
    if (std::all_of(table.rows.begin(), table.rows.end(), [&](const std::vector<double>& row) {
          return std::abs(std::round(row[c] * scale) / scale - row[c]) <= 1e-9 * std::max(1.0, std::abs(row[c]));
        }))
      return decimals;
  }
  return kMostDecimals;
}

// A CSV field: quoted when it holds a comma, a quote or a line end, the quote doubled.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

}  // namespace

ColumnUnit UnitOf(ResultColumn column, UnitSystem units) {
  const bool metric = units != UnitSystem::kTable;
  const std::string name(ColumnName(column));
  switch (column) {
    case ResultColumn::kRpm:
      return Unit(1.0, "rpm", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Engine speed (rpm)"), name);
    case ResultColumn::kHorsepower:
      if (units == UnitSystem::kMetricPs)
        return Unit(kPsPerHp, "PS", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Power (PS)"), "Power");
      return metric ? Unit(kKilowattsPerHp, "kW", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Power (kW)"), "Power")
                    : Unit(1.0, "hp", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Power (hp)"), name);
    case ResultColumn::kTorque:
      return metric ? Unit(kNewtonMetresPerFootPound, "N\u00b7m",
                           QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Torque (N\u00b7m)"), name)
                    : Unit(1.0, "ft-lb", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Torque (ft-lb)"), name);
    case ResultColumn::kSpeed:
      return metric ? Unit(kKilometresPerMile, "km/h", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Speed (km/h)"), name)
                    : Unit(1.0, "mph", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Speed (mph)"), name);
    case ResultColumn::kAcceleration:
      return metric ? Unit(kMetresPerSecondSquaredPerG, "m/s\u00b2",
                           QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Acceleration (m/s\u00b2)"), name)
                    : Unit(1.0, "g", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Acceleration (g)"), name);
    case ResultColumn::kDistance:
      return metric ? Unit(kKilometresPerMile, "km", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Distance (km)"), name)
                    : Unit(1.0, "mi", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Distance (mi)"), name);
    case ResultColumn::kTime:
      return Unit(1.0, "s", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Time (s)"), name);
    case ResultColumn::kCumulativeRevs:
      return Unit(1.0, "rev", QT_TRANSLATE_NOOP("ruvo::PlotUnits", "Revolutions"), name);
    case ResultColumn::kAccelForce:
    case ResultColumn::kDragForce:
    case ResultColumn::kFrictionForce:
    case ResultColumn::kRollingForce:
    case ResultColumn::kForce:
      break;
  }
  return ForceUnit(name, units);
}

ColumnUnit UnitOf(std::string_view column, UnitSystem units) {
  if (const std::optional<ResultColumn> known = ColumnNamed(column)) return UnitOf(*known, units);
  const std::string name(column);
  if (column.starts_with('F')) return ForceUnit(name, units);  // as the dynamometer table names its forces
  return Unit(1.0, "", name, name);
}

ShownTable InUnits(const ResultTable& table, UnitSystem units, const std::string& correctedTo) {
  ShownTable shown;
  shown.rows = table.rows;
  for (std::size_t c = 0; c < table.variables.size(); ++c) {
    const ColumnUnit unit = UnitOf(table.variables[c], units);
    const std::optional<ResultColumn> column = ColumnNamed(table.variables[c]);
    const bool corrected =
        !correctedTo.empty() && (column == ResultColumn::kHorsepower || column == ResultColumn::kTorque);
    shown.headings.push_back(!corrected ? unit.heading
                             : unit.heading.ends_with(')')
                                 ? unit.heading.substr(0, unit.heading.size() - 1) + ", " + correctedTo + ')'
                                 : unit.heading + " (" + correctedTo + ')');
    shown.decimals.push_back(DecimalsOf(table, c));
    if (unit.factor == 1.0 && !corrected) continue;  // a corrected value to the decimals of the measured one
    const double scale = std::pow(10.0, shown.decimals.back());
    for (std::vector<double>& row : shown.rows) row[c] = std::round(unit.factor * row[c] * scale) / scale;
  }
  return shown;
}

void WriteTablesCsv(std::ostream& out, const std::vector<NamedTable>& tables, UnitSystem units) {
  std::vector<std::string> headings;
  std::vector<ShownTable> shown;
  for (const NamedTable& named : tables) {
    shown.push_back(InUnits(*named.table, units, named.correctedTo));
    for (const std::string& heading : shown.back().headings)
      if (std::find(headings.begin(), headings.end(), heading) == headings.end()) headings.push_back(heading);
  }
  out << "Document";
  for (const std::string& heading : headings) out << ',' << CsvField(heading);
  out << '\n';
  for (std::size_t t = 0; t < tables.size(); ++t) {
    // Where each heading's values sit in this table, or npos.
    std::vector<std::size_t> at;
    for (const std::string& heading : headings) {
      const auto found = std::find(shown[t].headings.begin(), shown[t].headings.end(), heading);
      at.push_back(found == shown[t].headings.end() ? ResultTable::npos
                                                    : static_cast<std::size_t>(found - shown[t].headings.begin()));
    }
    const std::string document = CsvField(tables[t].document);
    for (const std::vector<double>& row : shown[t].rows) {
      out << document;
      for (const std::size_t c : at)
        out << ',' << (c == ResultTable::npos ? std::string() : FormatText("%.10g", row[c]));
      out << '\n';
    }
  }
}

}  // namespace ruvo
