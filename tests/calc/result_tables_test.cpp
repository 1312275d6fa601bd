#include "calc/result_tables.h"

#include <gtest/gtest.h>

#include <sstream>

namespace ruvo {
namespace {

CalculationResults DynamometerRows(int rows) {
  CalculationResults results;
  results.rowCount = rows;
  results.AllocateResults(0);
  results.rollingForce = 24.0;
  for (int k = 0; k < rows; ++k) {
    const auto i = static_cast<std::size_t>(k);
    results.rpm[i] = 1050.0 + 50.0 * k;
    results.horsepower[i] = 10.0 + k;
    results.torque[i] = 76.321;
    results.speed[i] = 26.1418;
    results.acceleration[i] = 0.238224;
    results.accelForce[i] = 571.734;
    results.dragForce[i] = 29.375;
    results.frictionForce[i] = -0.004;
    results.force[i] = 625.105;
  }
  return results;
}

TEST(WritePowerTable, HeadersThenOneFormattedLinePerRow) {
  std::ostringstream out;
  WritePowerTable(out, "A run of exactly forty characters long!!", DynamometerRows(2));
  EXPECT_EQ(out.str(),
            "Title=\"A run of exactly forty characters long!!\"\n"
            "Variables=\n"
            "  \"RPM\"    \"HP\"  \"Torque\"  \"Speed\"  \"Accel\" \"Faccel\"  \"Fdrag\"  \"Ffric\"  \"Froll\"  \"Force\"\n"
            "Zone T=\"A run of exactly forty character\"\n"
            "  1050    10.00    76.32    26.14  0.23822   571.73    29.38    -0.00    24.00   625.11\n"
            "  1100    11.00    76.32    26.14  0.23822   571.73    29.38    -0.00    24.00   625.11\n");
}

TEST(WritePowerTable, EightyRowsAndQuotesInTheDescription) {
  std::ostringstream out;
  WritePowerTable(out, "The \"fast\" one", DynamometerRows(80));
  std::istringstream lines(out.str());
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    ++count;
    if (count == 1) {
      EXPECT_EQ(line, "Title=\"The 'fast' one\"");
    } else if (count == 4) {
      EXPECT_EQ(line, "Zone T=\"The 'fast' one\"");
    } else if (count > 4) {
      EXPECT_EQ(line.substr(69, 9), "    24.00") << count;  // ninth column: 6 + 7 * 9 characters in
    }
  }
  EXPECT_EQ(count, 84);
}

TEST(WriteTimeTable, SparkLinesOnlyWhenTheFirstFractionIsPositive) {
  CalculationResults results;
  results.rowCount = 1;
  results.AllocateResults(1);
  results.pulseTimes = {0.0123456};
  results.cumulativeRevs = {2.0};
  results.distance[0] = 0.00029;
  results.rpm[0] = 1234.567;
  results.speed[0] = 10.75;
  results.acceleration[0] = 0.12345;
  results.spark.sparkFractionsLine = "# Spark (fractions): 0.5500 0.4500\n";
  results.spark.sparkErrorLine = "# Spark (deg error):  36.00 -36.00\n";
  const std::string table =
      "Title=\"\"\n"
      "Variables=\n"
      "    \"Time\"   \"CumRev\"   \"Dist\"    \"RPM\"     \"Speed\"   \"Accel\"\n"
      "Zone T=\"\"\n"
      "    0.0123       2.0    0.0003   1234.57     10.75    0.1235\n";
  std::ostringstream without;
  WriteTimeTable(without, "", results);
  EXPECT_EQ(without.str(), table);

  results.spark.sparkFractions[0] = 0.55;
  std::ostringstream with;
  WriteTimeTable(with, "", results);
  EXPECT_EQ(with.str(), results.spark.sparkFractionsLine + results.spark.sparkErrorLine + table);
}

}  // namespace
}  // namespace ruvo
