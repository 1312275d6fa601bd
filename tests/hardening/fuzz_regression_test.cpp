// Inputs that fuzzing found to break an invariant, reduced to the unit at fault.
#include <gtest/gtest.h>

#include "calc/dynamometer.h"

namespace ruvo {
namespace {

// A recording whose fitted curve starts at an absurd engine speed leaves a one-row grid far
// above any RPM; its summary lines must still print an integer RPM, not overflow one.
TEST(FuzzRegression, SummaryOfAOneRowGridFarAboveAnyRpm) {
  struct Case {
    double startRpm;
    const char* rpmText;
  };
  const Case cases[] = {
      {3.00558e10, "@ 2147483647 rpm"}, {1e12, "@ 2147483647 rpm"}, {2147483000.0, "@ 2147483050 rpm"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.startRpm);
    std::vector<RecordingCurves> recordings{RecordingCurves{{c.startRpm, c.startRpm + 100.0}, {5.0, 5.0}}};
    CalculationResults results;
    ComputeDynamometer(RunParameters{}, recordings, c.startRpm, 6000.0, results);
    EXPECT_EQ(results.succeeded, 0);
    EXPECT_NE(results.summaryLine1.find(c.rpmText), std::string::npos) << results.summaryLine1;
    EXPECT_NE(results.summaryLine2.find(c.rpmText), std::string::npos) << results.summaryLine2;
  }
}

}  // namespace
}  // namespace ruvo
