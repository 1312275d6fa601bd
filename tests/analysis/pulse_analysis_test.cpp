#include "analysis/pulse_analysis.h"

#include <gtest/gtest.h>

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

TEST(PulseAnalysis, RejectsEstimatesAndUnreadableRecordingsBeforeWritingTheLog) {
  test::TempFolder folder;
  const std::string absent = folder.File("absent.wav");
  const std::string initial = "Invalid Initial RPM - must be greater than 0";
  const std::string final = "Invalid Final RPM - must be greater than 0";
  const std::string revs = "Invalid Rev/Spark - must be greater than 0";
  struct Case {
    std::int32_t initialRpm;
    std::int32_t finalRpm;
    double revsPerSpark;
    std::string message;  // the estimates are checked before the file is opened
  };
  const std::vector<Case> cases{
      {0, 5000, 2.0, initial},
      {-10, 5000, 2.0, initial},
      {1000, 0, 2.0, final},
      {1000, -1, 2.0, final},
      {1000, 5000, 0.0, revs},
      {1000, 5000, -3.0, revs},
      {1000, 5000, std::numeric_limits<double>::quiet_NaN(), revs},
      {1000, 5000, 2.0, "Could not open wave file - " + absent},
  };
  for (const Case& c : cases) {
    test::LogFile log;
    test::MessageCapture messages;
    PulseAnalysis analysis(absent, c.initialRpm, c.finalRpm, c.revsPerSpark, 20.0, 0, AnalysisConfig{}, log.Log());
    EXPECT_FALSE(analysis.Run()) << c.message;
    EXPECT_EQ(messages.Texts(), std::vector{c.message});
    EXPECT_EQ(log.Text(), "") << c.message;
    EXPECT_EQ(analysis.PulseCount(), 0);
  }
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
    EXPECT_TRUE(analysis.CopyTimes().empty());
  }
  // Amplitude 11 goes on, stepping the threshold by 1 from 1 to 10.
  Folder folder;
  folder.Write(20000, {11}, 19);
  PulseAnalysis analysis(folder.wave, 1200, 1300, 2.0, 20.0, 1, AnalysisConfig{}, folder.log.Log());
  analysis.Run();
  const std::string text = folder.log.Text();
  EXPECT_NE(text.find("\n#Pulses: 5, Cutoff: 1\n"), std::string::npos);
  EXPECT_NE(text.find("\n#Pulses: 5, Cutoff: 10\n#"), std::string::npos);
  EXPECT_NE(text.find("\n#Cutoff: 3\n"), std::string::npos);  // (3 * 1 + 10) / 4
}

// Tachometer mode keeps every pulse but the last found: revolutions from 0, times inside each
// burst, at the sample that timeReference picks.
TEST(PulseAnalysis, TachometerTimelineHoldsEverySpark) {
  struct Case {
    std::int32_t timeReference;
    int firstOffset;  // the burst samples that a pulse's time may fall on
    int lastOffset;
  };
  for (const Case& c : {Case{0, 0, 4}, Case{1, 0, 1}, Case{2, 1, 1}}) {
    Folder folder;
    folder.Write(18700, {60, 100, 80, 40, 20}, 19);
    AnalysisConfig config;
    config.timeReference = c.timeReference;
    PulseAnalysis analysis(folder.wave, 1200, 1300, 2.0, 20.0, 1, config, folder.log.Log());
    ASSERT_TRUE(analysis.Run());
    const std::vector<double> times = analysis.CopyTimes();
    const std::vector<double> revolutions = analysis.CopyRevolutions();
    ASSERT_EQ(analysis.PulseCount(), 18);
    ASSERT_EQ(times.size(), 18u);
    for (std::size_t i = 0; i < times.size(); ++i) {
      EXPECT_EQ(revolutions[i], 2.0 * static_cast<double>(i));
      const double spark = 100.0 + 1000.0 * static_cast<double>(i);
      EXPECT_TRUE(times[i] * kRate >= spark + c.firstOffset - 1e-9 && times[i] * kRate <= spark + c.lastOffset + 1e-9)
          << "reference " << c.timeReference << " pulse " << i << " at " << times[i];
    }
  }
}

}  // namespace
}  // namespace ruvo
