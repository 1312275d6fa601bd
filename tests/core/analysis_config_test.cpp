#include "core/analysis_config.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ruvo {
namespace {

void ExpectConfig(const AnalysisConfig& config, std::int32_t timeReference, std::int32_t trimLevel, double rise,
                  double noise, double spread) {
  EXPECT_EQ(config.timeReference, timeReference);
  EXPECT_EQ(config.trimLevel, trimLevel);
  EXPECT_EQ(config.riseTolerance, rise);
  EXPECT_EQ(config.noiseFactor, noise);
  EXPECT_EQ(config.peakSpreadFactor, spread);
}

TEST(ReadAnalysisConfig, MissingFileGivesTheDefaults) {
  test::TempFolder folder;
  ExpectConfig(ReadAnalysisConfig(folder.File("ruvo.cfg")), 0, 6, 0.002, 1.0, 1.0);
  ExpectConfig(ReadAnalysisConfig(folder.Path().string()), 0, 6, 0.002, 1.0, 1.0);  // a folder, not a file
}

TEST(ReadAnalysisConfig, ReadsEachLineFromItsStartAndKeepsDefaultsForTheRest) {
  test::TempFolder folder;
  const std::string path = folder.File("ruvo.cfg");
  struct Case {
    const char* text;
    std::int32_t timeReference, trimLevel;
    double rise, noise, spread;
  };
  const Case cases[] = {
      {"1\n4\n", 1, 4, 0.002, 1.0, 1.0},
      {"2\r\n3\r\n0.01\r\n1.5\r\n0.5\r\n", 2, 3, 0.01, 1.5, 0.5},
      {"1\n4\nnot a number\n2.0\n3.0\n", 1, 4, 0.002, 2.0, 3.0},
      {"  0x2 peak\n010 trim\n 5e-3 rise\n2\n4\n99\n", 2, 8, 0.005, 2.0, 4.0},
      {"1\n4\ninf\nnan\n-inf", 1, 4, 0.002, 1.0, 1.0},
      {"", 0, 6, 0.002, 1.0, 1.0},
      {"3", 3, 6, 0.002, 1.0, 1.0},
  };
  for (const Case& c : cases) {
    test::WriteFileBytes(path, c.text);
    SCOPED_TRACE(c.text);
    ExpectConfig(ReadAnalysisConfig(path), c.timeReference, c.trimLevel, c.rise, c.noise, c.spread);
  }
}

TEST(ReadAnalysisConfig, LongCommentsDoNotShiftLaterValues) {
  test::TempFolder folder;
  const std::string path = folder.File("ruvo.cfg");
  test::WriteFileBytes(path, "1 " + std::string(300, 'c') + "\n7\n0.004\n1.25\n0.75\n");
  ExpectConfig(ReadAnalysisConfig(path), 1, 7, 0.004, 1.25, 0.75);
}

}  // namespace
}  // namespace ruvo
