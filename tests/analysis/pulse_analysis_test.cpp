#include "analysis/pulse_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "analysis/pulse_reference.h"
#include "support/test_support.h"
#include "synth/ignition_sound.h"

namespace ruvo {
namespace {

using test::Mark;

constexpr std::uint8_t kMean = 128;
constexpr std::int32_t kRate = 10000;

// A recording of sparks every 1000 samples (1200 rpm at 2 revolutions per spark), each a burst
// of the given deviations.
struct Folder {
  test::TempFolder temp;
  test::LogFile log;
  std::string wave = temp.File("run.wav");

  void Write(std::int64_t length, const std::vector<int>& burst, int sparks) {
    std::vector<Mark> marks;
    for (int i = 0; i < sparks; ++i)
      for (std::size_t j = 0; j < burst.size(); ++j) marks.push_back({100 + 1000 * i + static_cast<int>(j), burst[j]});
    const std::vector<std::uint8_t> bytes =
        EncodeWave(test::MakeSamples(static_cast<std::size_t>(length), kMean, marks), kRate);
    test::WriteFileBytes(wave, std::string(bytes.begin(), bytes.end()));
  }
};

TEST(PulseAnalysis, RejectsEstimatesThatCannotSizeTheScan) {
  struct Case {
    std::int32_t initialRpm;
    std::int32_t finalRpm;
    double revsPerSpark;
    std::string message;
  };
  const std::string initial = "Invalid Initial RPM - must be greater than 0";
  const std::string final = "Invalid Final RPM - must be greater than 0";
  const std::string revs = "Invalid Rev/Spark - must be greater than 0";
  const std::vector<Case> cases{
      {0, 5000, 2.0, initial},
      {-10, 5000, 2.0, initial},
      {1000, 0, 2.0, final},
      {1000, -1, 2.0, final},
      {1000, 5000, 0.0, revs},
      {1000, 5000, -3.0, revs},
      {1000, 5000, std::numeric_limits<double>::quiet_NaN(), revs},
  };
  for (const Case& c : cases) {
    test::LogFile log;
    test::MessageCapture messages;
    // The file does not exist: the estimates are checked before anything is opened.
    PulseAnalysis analysis("missing.wav", c.initialRpm, c.finalRpm, c.revsPerSpark, 20.0, 0, AnalysisConfig{},
                           log.Log());
    EXPECT_FALSE(analysis.Run()) << c.message;
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{c.message});
    EXPECT_EQ(log.Text(), "") << c.message;
    EXPECT_EQ(analysis.PulseCount(), 0);
  }
}

TEST(PulseAnalysis, LeavesTheLogUntouchedWhenTheRecordingCannotBeRead) {
  test::TempFolder folder;
  test::LogFile log;
  test::MessageCapture messages;
  const std::string path = folder.File("absent.wav");
  PulseAnalysis analysis(path, 1000, 5000, 2.0, 20.0, 0, AnalysisConfig{}, log.Log());
  EXPECT_FALSE(analysis.Run());
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Could not open wave file - " + path});
  EXPECT_EQ(log.Text(), "");
}

// 20000 samples at 10000/s: 2 s. maxPulses = trunc(final * (2 / 60) / revs), never above the
// sample count. Amplitude 10 stops the analysis silently after the header.
TEST(PulseAnalysis, WritesTheHeaderAndStopsSilentlyOnAQuietRecording) {
  struct Case {
    std::int32_t finalRpm;
    double revsPerSpark;
    int maxPulses;
  };
  for (const Case& c : {Case{1530, 2.0, 25}, Case{2000000000, 0.001, 20000}}) {
    Folder folder;
    folder.Write(20000, {10, -7}, 19);
    test::MessageCapture messages;
    PulseAnalysis analysis(folder.wave, 1200, c.finalRpm, c.revsPerSpark, 20.0, 1, AnalysisConfig{}, folder.log.Log());
    EXPECT_FALSE(analysis.Run());
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_EQ(folder.log.Text(), "#Ruvo Log file\n#Ruvo RPM Calculate: " + folder.wave +
                                     "\n#Initial RPM: 1200\n#Final RPM  : " + std::to_string(c.finalRpm) +
                                     "\n#Rev/Pulse  : " + test::Printf("%f", c.revsPerSpark) +
                                     "\n#Max Pulse  : 0.200000\n#Wave file  : 10000, 20000, " +
                                     std::to_string(c.maxPulses) + ", 128, 10\n");
    EXPECT_EQ(analysis.PulseCount(), 0);
    EXPECT_TRUE(analysis.CopyTimes().empty());
  }
}

TEST(PulseAnalysis, AmplitudeElevenStepsTheThresholdByOne) {
  Folder folder;
  folder.Write(20000, {11}, 19);
  PulseAnalysis analysis(folder.wave, 1200, 1300, 2.0, 20.0, 1, AnalysisConfig{}, folder.log.Log());
  analysis.Run();
  const std::string text = folder.log.Text();
  EXPECT_NE(text.find("\n#Pulses: 5, Cutoff: 1\n"), std::string::npos);
  EXPECT_NE(text.find("\n#Pulses: 5, Cutoff: 10\n"), std::string::npos);
  EXPECT_EQ(text.find("Cutoff: 11\n"), std::string::npos);
  EXPECT_NE(text.find("\n#Cutoff: 3\n"), std::string::npos);  // (3 * 1 + 10) / 4
}

// Tachometer mode keeps every pulse: one per spark, revolutions from 0, times inside each burst.
TEST(PulseAnalysis, TachometerTimelineHoldsEverySpark) {
  const std::vector<int> burst{60, 100, 80, 40, 20};
  struct Case {
    std::int32_t timeReference;
    int firstOffset;  // first and last sample of the burst that a pulse's time may fall on
    int lastOffset;
  };
  for (const Case& c : {Case{0, 0, 4}, Case{1, 0, 1}, Case{2, 1, 1}}) {
    Folder folder;
    folder.Write(18700, burst, 19);
    AnalysisConfig config;
    config.timeReference = c.timeReference;
    test::MessageCapture messages;
    PulseAnalysis analysis(folder.wave, 1200, 1300, 2.0, 20.0, 1, config, folder.log.Log());
    ASSERT_TRUE(analysis.Run());
    EXPECT_TRUE(messages.Texts().empty());
    const std::vector<double> times = analysis.CopyTimes();
    const std::vector<double> revolutions = analysis.CopyRevolutions();
    ASSERT_EQ(analysis.PulseCount(), 18) << "the last spark found is dropped";
    ASSERT_EQ(times.size(), 18u);
    ASSERT_EQ(revolutions.size(), 18u);
    for (std::size_t i = 0; i < times.size(); ++i) {
      EXPECT_EQ(revolutions[i], 2.0 * static_cast<double>(i));
      const double spark = (100.0 + 1000.0 * static_cast<double>(i)) / kRate;
      EXPECT_GE(times[i], spark + c.firstOffset / double{kRate} - 1e-12) << "pulse " << i;
      EXPECT_LE(times[i], spark + c.lastOffset / double{kRate} + 1e-12) << "pulse " << i;
    }
  }
}

TEST(PulseAnalysis, FinalDerivativesFollowTheTrimmedTimeline) {
  Folder folder;
  folder.Write(18700, {60, 100, 80, 40, 20}, 19);
  // Steady 1200 rpm never exceeds an initial estimate of 1300: one point, the last pulse.
  PulseAnalysis analysis(folder.wave, 1300, 6000, 2.0, 20.0, 0, AnalysisConfig{}, folder.log.Log());
  ASSERT_TRUE(analysis.Run());
  ASSERT_EQ(analysis.PulseCount(), 1);
  EXPECT_EQ(analysis.CopyRevolutions(), std::vector<double>{34.0});  // pulse 17, counted from the first
  const double time = analysis.CopyTimes()[0];
  EXPECT_NEAR(time, (100 + 17 * 1000) / double{kRate}, 0.0005);  // spark 17
  const std::vector<double> fit{33.9};
  analysis.WriteFinalDerivatives(fit, std::vector<double>{1190.0}, std::vector<double>{0.5});
  const std::string text = folder.log.Text();
  const std::size_t at = text.find("#Final Derivatives:\n");
  ASSERT_NE(at, std::string::npos);
  // The lone point measures its speed from the pulse before it, 0.1 s and 2 revolutions back.
  const std::string rows = text.substr(text.find("\"d2RdtFit\"\n", at) + 11);
  double columns[8] = {};
  ASSERT_EQ(std::sscanf(rows.c_str(), "%lf %lf %lf %lf %lf %lf %lf %lf", &columns[0], &columns[1], &columns[2],
                        &columns[3], &columns[4], &columns[5], &columns[6], &columns[7]),
            8);
  EXPECT_NEAR(columns[4], 1200.0, 1.0);
  EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 1);
}

}  // namespace
}  // namespace ruvo
