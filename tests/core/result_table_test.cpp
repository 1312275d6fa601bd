#include "core/result_table.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <utility>

namespace ruvo {
namespace {

// The parameter lines of a document with no wave files: 23 lines, so a table starts on line 24.
std::string Parameters() {
  std::string text = "# Tammel Ruvo v2.0 : run\n";
  for (int line = 2; line <= 18; ++line) text += "# Some Value       : 1\n";
  text += "# Number Wave Files: 0\n";
  for (int line = 20; line <= 23; ++line) text += "# Some Value       : 1\n";
  return text;
}

const std::string kPowerTable =
    "Title=\"Civic \"stock\"\"\n"
    "Variables=\n"
    "  \"RPM\"    \"HP\"  \"Torque\"\n"
    "Zone T=\"Civic\"\n"
    "  3000    50.25   87.97\n"
    "\n"
    "  5600   125.20  117.42\n";

TEST(ResultTable, ReadsTitleColumnsRowsAndNotesWithEitherLineEnd) {
  for (const bool crlf : {false, true}) {
    std::string text;
    // The air condition lines belong to the parameters, the spark line to the table's notes.
    for (const char c : Parameters() + "# Air Temp. (deg C): 20.0\n# Spark (fractions): 0.5\n" + kPowerTable) {
      if (crlf && c == '\n') text += '\r';
      text += c;
    }
    const TableReadResult read = ReadResultTable(text, "a.dat");
    ASSERT_EQ(read.status, TableReadStatus::kRead) << read.error;
    EXPECT_EQ(read.table.title, "Civic \"stock\"");
    EXPECT_EQ(read.table.notes, std::vector<std::string>{"# Spark (fractions): 0.5"});
    EXPECT_TRUE(read.table.IsPowerTable());
    EXPECT_EQ(read.table.Column(ResultColumn::kTorque), 2u);
    std::ostringstream csv;
    WriteTableCsv(csv, read.table);
    EXPECT_EQ(csv.str(), "RPM,HP,Torque\n3000,50.25,87.97\n5600,125.2,117.42\n");
  }
}

// The identifiers find every column of the two tables as run documents carry them, in order.
TEST(ResultColumn, FindsEveryColumnOfBothTables) {
  using C = ResultColumn;
  const struct {
    const char* variables;
    std::vector<C> columns;
  } tables[] = {
      {"  \"RPM\"    \"HP\"  \"Torque\"  \"Speed\"  \"Accel\" \"Faccel\"  \"Fdrag\"  \"Ffric\"  \"Froll\"  \"Force\"",
       {C::kRpm, C::kHorsepower, C::kTorque, C::kSpeed, C::kAcceleration, C::kAccelForce, C::kDragForce,
        C::kFrictionForce, C::kRollingForce, C::kForce}},
      {"    \"Time\"   \"CumRev\"   \"Dist\"    \"RPM\"     \"Speed\"   \"Accel\"",
       {C::kTime, C::kCumulativeRevs, C::kDistance, C::kRpm, C::kSpeed, C::kAcceleration}}};
  for (const auto& [variables, columns] : tables) {
    std::string row;
    for (std::size_t c = 0; c < columns.size(); ++c) row += " 1";
    const TableReadResult read = ReadResultTable(
        Parameters() + "Title=\"\"\nVariables=\n" + variables + "\nZone T=\"\"\n" + row + '\n', "a.dat");
    ASSERT_EQ(read.status, TableReadStatus::kRead) << read.error;
    for (std::size_t c = 0; c < columns.size(); ++c) {
      EXPECT_EQ(read.table.Column(columns[c]), c) << read.table.variables[c];
      EXPECT_EQ(ColumnNamed(read.table.variables[c]), columns[c]) << read.table.variables[c];
    }
  }
  for (const char* other : {"rpm", "Revs", ""}) EXPECT_EQ(ColumnNamed(other), std::nullopt) << other;
  EXPECT_EQ(ResultTable().Column(ResultColumn::kRpm), ResultTable::npos);
}

// Rows below the Initial or above the Final RPM estimate (lines 16 and 17; 0 means not given).
TEST(ResultTable, RowsOutsideTheEstimatedRange) {
  const struct {
    const char* initial;
    const char* final;
    std::vector<double> spans;  // from, to, ...
  } cases[] = {{"0", "0", {}}, {"3500", "5000", {3000, 3500, 5000, 5600}}, {"6000", "0", {3000, 5600}}};
  for (const auto& c : cases) {
    std::string text = Parameters() + kPowerTable;
    for (const auto& [line, value] : {std::pair{16, c.initial}, std::pair{17, c.final}}) {
      std::size_t at = 0;
      for (int k = 1; k < line; ++k) at = text.find('\n', at) + 1;
      text.replace(text.find(": 1", at), 3, std::string(": ") + value);
    }
    const TableReadResult read = ReadResultTable(text, "a.dat");
    ASSERT_EQ(read.status, TableReadStatus::kRead) << read.error;
    std::vector<double> spans;
    for (const RowSpan& span : read.table.RowsOutsideEstimate()) spans.insert(spans.end(), {span.from, span.to});
    EXPECT_EQ(spans, c.spans) << c.initial << " to " << c.final;
  }
}

TEST(ResultTable, DocumentWithoutTableHasNoResults) {
  for (const std::string tail : {"", "\n\n", "# Spark (fractions): 0.5\n"}) {
    const TableReadResult read = ReadResultTable(Parameters() + tail, "a.dat");
    EXPECT_EQ(read.status, TableReadStatus::kNoTable) << tail;
    EXPECT_TRUE(read.table.notes.empty());
  }
  EXPECT_EQ(NoResultsMessage("a.dat"), "No results in a.dat - calculate it first");
}

// Each fault is named with the file and the line it stands on.
TEST(ResultTable, MalformedTableNamesFileAndLine) {
  const struct {
    std::string tail;
    const char* error;
  } cases[] = {
      {"Titel=\"x\"\n", "line 24: expected Title=\"...\""},
      {"Title=\"x\"\n", "line 25: expected Variables="},
      {"Title=\"x\"\nVariables=\n\"RPM\" HP\n", "line 26: expected quoted column names"},
      {"Title=\"x\"\nVariables= \"RPM\"\n", "line 26: expected Zone T=\"...\""},
      {"Title=\"x\"\nVariables=\nZone T=\"x\"\n", "line 26: the table names no columns"},
      {"Title=\"x\"\nVariables= \"A\" \"B\"\nZone T=\"x\"\n1 2\n\n3\n",
       "line 29: 1 numbers where the table has 2 columns"},
      {"Title=\"x\"\nVariables= \"A\"\nZone T=\"x\"\n1,5\n", "line 27: \"1,5\" is not a number"},
      {"Title=\"x\"\nVariables= \"A\"\nZone T=\"x\"\ninf\n", "line 27: \"inf\" is not a number"},
  };
  for (const auto& c : cases) {
    const TableReadResult read = ReadResultTable(Parameters() + c.tail, "runs/b.dat");
    EXPECT_EQ(read.status, TableReadStatus::kMalformed) << c.tail;
    EXPECT_EQ(read.error, std::string("Malformed result table in runs/b.dat, ") + c.error);
    EXPECT_TRUE(read.table.rows.empty());
  }
  const TableReadResult notDocument = ReadResultTable("Title=\"x\"\n", "c.dat");
  EXPECT_EQ(notDocument.status, TableReadStatus::kMalformed);
  EXPECT_EQ(notDocument.error, "Invalid ruvo file - c.dat");
}

}  // namespace
}  // namespace ruvo
