#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_table.h"

namespace ruvo {

// The units a chart shows: the table's own (hp, ft-lb, mph, g), metric (kW, N·m, km/h, m/s²), or
// metric with power in PS (metric horsepower, as DIN 70020 sheets state it).
enum class UnitSystem { kTable, kMetric, kMetricPs };

inline constexpr double kKilowattsPerHp = 0.745699872;  // mechanical horsepower
inline constexpr double kKilowattsPerPs = 0.73549875;   // metric horsepower
inline constexpr double kPsPerHp = kKilowattsPerHp / kKilowattsPerPs;
inline constexpr double kNewtonMetresPerFootPound = 1.3558179483;
inline constexpr double kKilometresPerMile = 1.609344;          // also km/h per mph
inline constexpr double kMetresPerSecondSquaredPerG = 9.80665;  // standard gravity
inline constexpr double kNewtonsPerPound = 4.4482216152605;     // pound-force

// How one table column is shown: value in the chosen units = factor x table value.
struct ColumnUnit {
  double factor = 1.0;
  std::string unit;     // "hp", "kW", "rpm", "s", ... ; empty when the column has none
  std::string label;    // axis title: "Power (hp)", "Engine speed (rpm)", ...; translated in "ruvo::PlotUnits"
  std::string heading;  // table column title: "HP", "Power (kW)", "Torque (ft-lb)", "Time (s)", ...
};

// The unit of a column of the dynamometer or tachometer table.
ColumnUnit UnitOf(ResultColumn column, UnitSystem units);
// The same by a column's name ("HP", "Torque", ...); an unknown name keeps its numbers and is
// labelled by its name.
ColumnUnit UnitOf(std::string_view column, UnitSystem units);

// A result table as the Table tab and the CSV export show it: each column under its heading, the
// values in the chosen units, rounded to as many decimals as the document gives that column. A
// table corrected to a standard names it in its power and torque headings ("HP (SAE J1349)",
// "Torque (N·m, SAE J1349)").
struct ShownTable {
  std::vector<std::string> headings;
  std::vector<int> decimals;  // of each column
  std::vector<std::vector<double>> rows;
};
ShownTable InUnits(const ResultTable& table, UnitSystem units, const std::string& correctedTo = std::string());

// One document's table for WriteTablesCsv: the document as named, its table (borrowed), and the
// standard its power and torque are corrected to ("SAE J1349"; empty when as measured).
struct NamedTable {
  std::string document;
  const ResultTable* table;
  std::string correctedTo = {};
};

// The tables of several documents as one long comma-separated table: a header row "Document" and
// the headings of every column any table has (in the order they first appear), then each table's
// rows in the chosen units under its document's name; a column a table lacks is left empty, so a
// document left uncorrected beside corrected ones keeps its power under the plain headings. Numbers
// in their shortest form of up to 10 significant digits, always with a decimal point.
void WriteTablesCsv(std::ostream& out, const std::vector<NamedTable>& tables, UnitSystem units);

}  // namespace ruvo
