#include "calc/spark_timing.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ruvo {
namespace {

class SparkTimingTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(log.Open(folder.File("ruvo.log"))); }
  std::string LogText() {
    log.Close();
    return test::ReadFileBytes(folder.File("ruvo.log"));
  }

  test::TempFolder folder;
  CalculationLog log;
  SparkTiming timing;
};

TEST_F(SparkTimingTest, UnevenPairOfSparksPerCycle) {
  AnalyzeSparkTiming(1.0, std::vector<double>{0.0, 0.011, 0.020}, std::vector<double>{0.0, 1.0, 2.0},
                     std::vector<double>{0.0, 0.0, 0.0}, timing, log);
  EXPECT_TRUE(test::IsClose(timing.sparkFractions[0], 0.55, 1e-12));
  EXPECT_TRUE(test::IsClose(timing.sparkFractions[1], 0.45, 1e-12));
  EXPECT_TRUE(test::IsClose(timing.sparkDegreeErrors[0], 36.0, 1e-9));
  EXPECT_TRUE(test::IsClose(timing.sparkDegreeErrors[1], -36.0, 1e-9));
  const std::string lines = "# Spark (fractions): 0.5500 0.4500\n# Spark (deg error):  36.00 -36.00\n";
  EXPECT_EQ(timing.sparkFractionsLine + timing.sparkErrorLine, lines);
  EXPECT_EQ(LogText(), lines);
}

TEST_F(SparkTimingTest, AccelerationShiftsTheRevolutionFraction) {
  AnalyzeSparkTiming(1.0, std::vector<double>{0.0, 0.01, 0.02}, std::vector<double>{0.0, 1.0, 2.0},
                     std::vector<double>{50.0, 50.0, 50.0}, timing, log);
  // q = 0.02^2 * 100 / (2 * 4) = 0.005; first fraction 0.5 - 0.25 * 0.005 before differencing.
  EXPECT_TRUE(test::IsClose(timing.sparkFractions[0], 0.49875, 1e-12));
  EXPECT_TRUE(test::IsClose(timing.sparkFractions[1], 0.50125, 1e-12));
}

TEST_F(SparkTimingTest, AveragesCompleteCyclesOnly) {
  std::vector<double> t, r, a;
  for (int i = 0; i < 9; ++i) {
    t.push_back(0.01 * i + (i % 4 == 1 ? 0.001 : 0.0));  // the second pulse of every cycle is late
    r.push_back(0.5 * i);
    a.push_back(0.0);
  }
  AnalyzeSparkTiming(0.5, t, r, a, timing, log);  // four pulses per cycle, two complete cycles
  EXPECT_TRUE(test::IsClose(timing.sparkFractions[0], 0.275, 1e-12));
  EXPECT_TRUE(test::IsClose(timing.sparkFractions[1], 0.225, 1e-12));
  EXPECT_TRUE(test::IsClose(timing.sparkFractions[2], 0.25, 1e-12));
  EXPECT_TRUE(test::IsClose(timing.sparkFractions[3], 0.25, 1e-12));
  EXPECT_EQ(timing.sparkFractions[4], 0.0);
}

TEST_F(SparkTimingTest, SkipsWithoutACompleteCycleOrWithTooManyPulsesPerCycle) {
  timing.sparkFractionsLine = "previous\n";
  const std::vector<double> four{0.0, 0.01, 0.02, 0.03};
  const struct {
    double revsPerIgnition;
    std::size_t pulses;
  } cases[] = {{2.0, 4}, {0.5, 4}, {0.15, 4}, {2.01 / 13.0, 4}, {1.0, 1}, {1.0, 0}};
  for (const auto& c : cases) {
    timing.sparkFractions.fill(7.0);
    const std::span<const double> values(four.data(), c.pulses);
    AnalyzeSparkTiming(c.revsPerIgnition, values, values, values, timing, log);
    EXPECT_EQ(timing.sparkFractions, (std::array<double, 12>{})) << c.revsPerIgnition;
  }
  EXPECT_EQ(timing.sparkFractionsLine, "previous\n");
  EXPECT_EQ(LogText(), "");
}

}  // namespace
}  // namespace ruvo
