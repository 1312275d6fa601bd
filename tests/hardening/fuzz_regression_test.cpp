// Inputs that fuzzing found to break an invariant, reduced to the unit at fault.
#include <gtest/gtest.h>

#include <sstream>
#include <utility>

#include "calc/dynamometer.h"
#include "core/run_document.h"

namespace ruvo {
namespace {

// A recording whose fitted curve starts at an absurd engine speed leaves a one-row grid far
// above any RPM; its summary lines must still print an integer RPM, not overflow one.
TEST(FuzzRegression, SummaryOfAOneRowGridFarAboveAnyRpm) {
  const std::pair<double, const char*> cases[] = {
      {3.00558e10, "@ 2147483647 rpm"}, {1e12, "@ 2147483647 rpm"}, {2147483000.0, "@ 2147483050 rpm"}};
  for (const auto& [startRpm, rpmText] : cases) {
    SCOPED_TRACE(startRpm);
    std::vector<RecordingCurves> recordings{RecordingCurves{{startRpm, startRpm + 100.0}, {5.0, 5.0}}};
    CalculationResults results;
    ComputeDynamometer(RunParameters{}, recordings, startRpm, 6000.0, results);
    EXPECT_FALSE(results.succeeded);
    EXPECT_NE(results.summaryLine1.find(rpmText), std::string::npos) << results.summaryLine1;
    EXPECT_NE(results.summaryLine2.find(rpmText), std::string::npos) << results.summaryLine2;
  }
}

// The key of a wave file line grows by one character per digit beyond two; paths from number 1000
// on once read back with a leading blank.
TEST(FuzzRegression, WaveFileLinesFromNumberOneThousandReadBackWhole) {
  RunParameters written;
  written.calculationMode = 1;  // the line after the list, read only if every wave line was
  for (int k = 1; k <= 1001; ++k) written.waveFiles.push_back("pass" + std::to_string(k) + ".wav");
  std::ostringstream out;
  WriteRunDocument(out, written);
  const std::string text = out.str();
  EXPECT_NE(text.find("# Wave File No. 99 : pass99.wav\n# Wave File No. 100 : pass100.wav\n"), std::string::npos);
  EXPECT_NE(text.find("# Wave File No. 999 : pass999.wav\n# Wave File No. 1000 : pass1000.wav\n"), std::string::npos);
  std::istringstream in(text);
  RunParameters read;
  ASSERT_EQ(ReadRunDocument(in, read), 1);
  EXPECT_EQ(read, written);
}

}  // namespace
}  // namespace ruvo
