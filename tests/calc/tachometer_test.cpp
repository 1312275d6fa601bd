#include "calc/tachometer.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ruvo {
namespace {

TEST(ComputeTachometer, InitialVehicleRowsAndSummary) {
  const std::vector<double> revs{0.0, 100.0, 250.0};
  const std::vector<double> rpm{5000.0, 3000.0, 1000.0};  // falling throughout: still computed
  const std::vector<double> alpha{0.0, 10.0, -4.0};
  CalculationResults results;
  results.rowCount = 3;
  results.succeeded = true;
  ComputeTachometer(RunParameters{}, revs, rpm, alpha, results);
  ASSERT_EQ(results.distance.size(), 3u);
  // Second row to the digits the tables print: miles and g, then mph.
  ExpectAllClose((std::vector{results.distance[1], results.acceleration[1]}), (std::vector{0.01453, 0.23822}), 0, 5e-6);
  EXPECT_TRUE(test::IsClose(results.speed[1], 26.14, 0, 0.005));
  EXPECT_EQ(results.rpm, rpm);
  EXPECT_EQ(results.summaryLine1 + "|" + results.summaryLine2,
            " RPM range:  1000.0  to  5000.0|Max Speed:  43.6 mph, Max Accel: 0.238g");
  EXPECT_EQ(std::pair(results.succeeded, results.resultMode), std::pair(true, CalculationMode::kTachometer));
}

}  // namespace
}  // namespace ruvo
