#include "core/analysis_config.h"

#include <gtest/gtest.h>

#include <tuple>

#include "support/test_support.h"

namespace ruvo {
namespace {

TEST(ReadAnalysisConfig, ReadsEachLineFromItsStartAndKeepsDefaultsForTheRest) {
  test::TempFolder folder;
  const std::string path = folder.File("ruvo.cfg");
  struct Case {
    std::string text;  // empty: no file at all
    std::int32_t timeReference, trimLevel;
    double rise, noise, spread;
  };
  const Case cases[] = {
      {"", 0, 6, 0.002, 1.0, 1.0},
      {"1\n4\n", 1, 4, 0.002, 1.0, 1.0},
      {"2\r\n3\r\n0.01\r\n1.5\r\n0.5\r\n", 2, 3, 0.01, 1.5, 0.5},
      {"1\n4\nnot a number\n2.0\n3.0\n", 1, 4, 0.002, 2.0, 3.0},
      {"  0x2 peak\n010 trim\n 5e-3 rise\n2\n4\n99\n", 2, 8, 0.005, 2.0, 4.0},
      {"1\n4\ninf\nnan\n-inf", 1, 4, 0.002, 1.0, 1.0},
      {"3", 3, 6, 0.002, 1.0, 1.0},
      {"1 " + std::string(300, 'c') + "\n7\n0.004\n1.25\n0.75\n", 1, 7, 0.004, 1.25, 0.75},  // a long comment
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    if (!c.text.empty()) test::WriteFileBytes(path, c.text);
    const AnalysisConfig config = ReadAnalysisConfig(path);
    EXPECT_EQ(std::tie(config.timeReference, config.trimLevel, config.riseTolerance, config.noiseFactor,
                       config.peakSpreadFactor),
              std::tie(c.timeReference, c.trimLevel, c.rise, c.noise, c.spread));
  }
  EXPECT_EQ(ReadAnalysisConfig(folder.Path().string()).trimLevel, 6);  // a folder reads as no file
}

}  // namespace
}  // namespace ruvo
