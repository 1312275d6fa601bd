#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_parameters.h"

namespace ruvo {

// The columns the dynamometer table (RPM to Force) and the tachometer table (Time, CumRev, Dist,
// RPM, Speed, Accel) write, each known by the name ColumnName gives it in the file.
enum class ResultColumn {
  kRpm,           // engine speed, rpm
  kHorsepower,    // hp
  kTorque,        // ft-lb
  kSpeed,         // road speed, mph
  kAcceleration,  // g
  kAccelForce,    // the forces in pounds
  kDragForce,
  kFrictionForce,
  kRollingForce,
  kForce,
  kTime,            // s
  kCumulativeRevs,  // revolutions since the first pulse
  kDistance,        // mi
};

// The name the tables write the column under: "RPM", "HP", "Torque", "Time", ...
std::string_view ColumnName(ResultColumn column);

// The column written under name (exact, case included), or nothing for any other name.
std::optional<ResultColumn> ColumnNamed(std::string_view name);

// A stretch of a table's rows by the value of its first column (rpm, or seconds), ends included.
struct RowSpan {
  double from = 0.0;
  double to = 0.0;
};

// The result table a run document carries after its parameter lines, as read back from the text:
// the title, the column names and one row of numbers per table line.
struct ResultTable {
  std::string title;                      // between the quotes of the "Title=" line
  std::vector<std::string> variables;     // column names, unquoted ("RPM", "HP", ...)
  std::vector<std::vector<double>> rows;  // each row holds variables.size() finite numbers
  std::vector<std::string> notes;         // "#" lines ahead of the title (the spark lines), line ends removed
  double initialRpm = 0.0;                // the document's Initial and Final RPM estimates; 0: not given
  double finalRpm = 0.0;
  AirConditions conditions;  // the document's weather, for correcting power; the rows are uncorrected

  // Index of the column named name, or npos.
  std::size_t Column(std::string_view name) const;
  std::size_t Column(ResultColumn column) const { return Column(ColumnName(column)); }
  // True for the dynamometer layout (an "HP" column), false for the tachometer's ("Time").
  bool IsPowerTable() const { return Column(ResultColumn::kHorsepower) != npos; }
  // The dynamometer rows below the Initial or above the Final RPM estimate: outside the range the
  // run was meant to cover (the idle before it, the lift-off after it). None for other tables.
  std::vector<RowSpan> RowsOutsideEstimate() const;

  static constexpr std::size_t npos = static_cast<std::size_t>(-1);
};

enum class TableReadStatus {
  kRead,       // a table with its rows (possibly none)
  kNoTable,    // a valid run document without a table: never calculated, or the last one failed
  kMalformed,  // not a run document, or a table that does not read
};

struct TableReadResult {
  TableReadStatus status = TableReadStatus::kNoTable;
  ResultTable table;
  std::string error;  // for kMalformed: "Malformed result table in NAME, line N: what was wrong"
};

// Reads the result table of a run document's whole text. name only names the file in the error.
// Accepts "\n" and "\r\n" line ends, blank lines between rows and at the end; rejects everything
// else that does not fit the table layout, naming the first line that is wrong (counted from 1).
// Never throws; the work is linear in the length of the text.
TableReadResult ReadResultTable(std::string_view documentText, const std::string& name);

// Reads the file at path (named in messages as given) and its result table; a file that cannot be
// read gives kMalformed with "Not able to open - PATH".
TableReadResult ReadResultTableFile(const std::string& path);

// The table as comma-separated values: a header row of the column names, then one line per row,
// each number in its shortest form of up to 10 significant digits ("5600", "125.23"). Returns out.
std::ostream& WriteTableCsv(std::ostream& out, const ResultTable& table);

// "No results in NAME - calculate it first".
std::string NoResultsMessage(const std::string& name);

}  // namespace ruvo
