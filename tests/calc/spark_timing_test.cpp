#include "calc/spark_timing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

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
  std::vector<double> Fractions(std::size_t count) const {
    return {timing.sparkFractions.begin(), timing.sparkFractions.begin() + static_cast<std::ptrdiff_t>(count)};
  }

  test::TempFolder folder;
  CalculationLog log;
  SparkTiming timing;
};

TEST_F(SparkTimingTest, UnevenPairOfSparksPerCycle) {
  AnalyzeSparkTiming(1.0, std::vector<double>{0.0, 0.011, 0.020}, std::vector<double>{0.0, 1.0, 2.0},
                     std::vector<double>{0.0, 0.0, 0.0}, timing, log);
  ExpectAllClose(Fractions(2), (std::vector<double>{0.55, 0.45}), 1e-12, 0);
  ExpectAllClose((std::vector<double>(timing.sparkDegreeErrors.begin(), timing.sparkDegreeErrors.begin() + 3)),
                 (std::vector<double>{36.0, -36.0, 0.0}), 1e-9, 0);
  const std::string lines = "# Spark (fractions): 0.5500 0.4500\n# Spark (deg error):  36.00 -36.00\n";
  EXPECT_EQ(timing.sparkFractionsLine + timing.sparkErrorLine, lines);
  EXPECT_EQ(LogText(), lines);
}

TEST_F(SparkTimingTest, AccelerationShiftsTheFractionAndOnlyCompleteCyclesCount) {
  // q = 0.02^2 * 100 / (2 * 4) = 0.005; first fraction 0.5 - 0.25 * 0.005 before differencing.
  AnalyzeSparkTiming(1.0, std::vector<double>{0.0, 0.01, 0.02}, std::vector<double>{0.0, 1.0, 2.0},
                     std::vector<double>{50.0, 50.0, 50.0}, timing, log);
  ExpectAllClose(Fractions(2), (std::vector<double>{0.49875, 0.50125}), 1e-12, 0);

  std::vector<double> t, r, a(9, 0.0);
  for (int i = 0; i < 9; ++i) {
    t.push_back(0.01 * i + (i % 4 == 1 ? 0.001 : 0.0));  // the second pulse of every cycle is late
    r.push_back(0.5 * i);
  }
  AnalyzeSparkTiming(0.5, t, r, a, timing, log);  // four pulses per cycle, two complete cycles
  ExpectAllClose(Fractions(5), (std::vector<double>{0.275, 0.225, 0.25, 0.25, 0.0}), 1e-12, 0);
}

TEST_F(SparkTimingTest, SkipsWithoutACompleteCycleOrWithTooManyPulsesPerCycle) {
  timing.sparkFractionsLine = "previous\n";
  const std::vector<double> four{0.0, 0.01, 0.02, 0.03};
  const std::pair<double, std::size_t> cases[] = {{2.0, 4}, {0.5, 4}, {0.15, 4}, {1.0, 1}, {1.0, 0}};
  for (const auto& [revsPerIgnition, pulses] : cases) {
    timing.sparkFractions.fill(7.0);
    const std::span<const double> values(four.data(), pulses);
    AnalyzeSparkTiming(revsPerIgnition, values, values, values, timing, log);
    EXPECT_EQ(timing.sparkFractions, (std::array<double, 12>{})) << revsPerIgnition;
  }
  EXPECT_EQ(timing.sparkFractionsLine, "previous\n");
  EXPECT_EQ(LogText(), "");
}

// 2.01 / 13 revolutions per spark still counts as 13 pulses per cycle, one more than the 12 slots:
// skipped even with a complete cycle. The next larger value counts 12 and is analysed.
TEST_F(SparkTimingTest, ThirteenPulsesPerCycleAreSkippedAndTwelveAnalysed) {
  std::vector<double> t{0.0}, r{0.0}, a(14, 0.0);
  for (int i = 1; i < 14; ++i) t.push_back(t.back() + 0.001 * std::min(i, 12));  // intervals 1 to 12 ms, then 12
  const double thirteen = 2.01 / 13.0;
  for (int i = 1; i < 14; ++i) r.push_back(thirteen * i);
  timing.sparkFractionsLine = "previous\n";
  AnalyzeSparkTiming(thirteen, t, r, a, timing, log);
  EXPECT_EQ(timing.sparkFractionsLine, "previous\n");
  EXPECT_EQ(timing.sparkFractions, (std::array<double, 12>{}));

  // Shares k / 78 of the 78 ms cycle, errors (k / 78 - 1 / 12) * 720 degrees.
  AnalyzeSparkTiming(std::nextafter(thirteen, 1.0), t, r, a, timing, log);
  const std::string lines =
      "# Spark (fractions): 0.0128 0.0256 0.0385 0.0513 0.0641 0.0769 0.0897 0.1026 0.1154 0.1282 0.1410 0.1538\n"
      "# Spark (deg error): -50.77 -41.54 -32.31 -23.08 -13.85  -4.62   4.62  13.85  23.08  32.31  41.54  50.77\n";
  EXPECT_EQ(timing.sparkFractionsLine + timing.sparkErrorLine, lines);
  EXPECT_EQ(LogText(), lines);
}

}  // namespace
}  // namespace ruvo
