#include "calc/result_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace ruvo {
namespace {

CalculationResults DynamometerRows(int rows) {
  CalculationResults results;
  results.rowCount = rows;
  results.AllocateResults(CalculationMode::kDynamometer);
  results.rollingForce = 24.0;
  for (std::size_t k = 0; k < results.rpm.size(); ++k) {
    results.rpm[k] = 1050.0 + 50.0 * static_cast<double>(k);
    results.horsepower[k] = 10.0 + static_cast<double>(k);
    results.torque[k] = 76.321;
    results.speed[k] = 26.1418;
    results.acceleration[k] = 0.238224;
    results.accelForce[k] = 571.734;
    results.dragForce[k] = 29.375;
    results.frictionForce[k] = -0.004;
    results.force[k] = 625.105;
  }
  return results;
}

TEST(WritePowerTable, HeadersThenOneFormattedLinePerRow) {
  std::ostringstream out;
  WritePowerTable(out, "A run of exactly forty characters long!!", DynamometerRows(2));
  EXPECT_EQ(
      out.str(),
      "Title=\"A run of exactly forty characters long!!\"\n"
      "Variables=\n"
      "  \"RPM\"    \"HP\"  \"Torque\"  \"Speed\"  \"Accel\" \"Faccel\"  \"Fdrag\"  \"Ffric\"  \"Froll\"  \"Force\"\n"
      "Zone T=\"A run of exactly forty character\"\n"
      "  1050    10.00    76.32    26.14  0.23822   571.73    29.38    -0.00    24.00   625.11\n"
      "  1100    11.00    76.32    26.14  0.23822   571.73    29.38    -0.00    24.00   625.11\n");

  // Quotes and line ends would break the quoted title; all eighty rows follow.
  std::ostringstream quoted;
  WritePowerTable(quoted, "The \"fast\"\r\none", DynamometerRows(80));
  const std::string text = quoted.str();
  EXPECT_EQ(text.rfind("Title=\"The 'fast'  one\"\nVariables=\n", 0), 0u) << text.substr(0, 60);
  EXPECT_NE(text.find("\"Force\"\nZone T=\"The 'fast'  one\"\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 84);
}

TEST(WriteTimeTable, SparkLinesOnlyWhenTheFirstFractionIsPositive) {
  CalculationResults results;
  results.rowCount = 1;
  results.AllocateResults(CalculationMode::kTachometer);
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
  for (const double firstFraction : {0.0, 0.55}) {
    results.spark.sparkFractions[0] = firstFraction;
    std::ostringstream out;
    WriteTimeTable(out, "", results);
    EXPECT_EQ(out.str(),
              firstFraction > 0.0 ? results.spark.sparkFractionsLine + results.spark.sparkErrorLine + table : table);
  }
}

}  // namespace
}  // namespace ruvo
