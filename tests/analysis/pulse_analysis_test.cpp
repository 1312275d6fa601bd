#include "analysis/pulse_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/pulse_reference.h"
#include "core/wave_encoding.h"

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
        EncodeEightBitWave(test::MakeSamples(static_cast<std::size_t>(length), kMean, marks), kRate);
    test::WriteFileBytes(wave, std::string(bytes.begin(), bytes.end()));
  }
};

TEST(PulseAnalysis, RejectsEstimatesAndUnreadableRecordingsBeforeWritingTheLog) {
  test::TempFolder folder;
  const std::string absent = folder.File("absent.wav");
  const std::string initial = "Invalid Initial RPM - must be greater than 0",
                    final = "Invalid Final RPM - must be greater than 0",
                    revs = "Invalid Rev/Spark - must be greater than 0";
  // The estimates are checked before the file is opened.
  const std::tuple<std::int32_t, std::int32_t, double, std::string> cases[] = {
      {0, 5000, 2.0, initial},
      {-10, 5000, 2.0, initial},
      {1000, 0, 2.0, final},
      {1000, -1, 2.0, final},
      {1000, 5000, 0.0, revs},
      {1000, 5000, -3.0, revs},
      {1000, 5000, std::nan(""), revs},
      {1000, 5000, 2.0, "Could not open wave file - " + absent}};
  for (const auto& [initialRpm, finalRpm, revsPerSpark, message] : cases) {
    test::LogFile log;
    PulseAnalysis analysis({absent, absent}, initialRpm, finalRpm, revsPerSpark, 20.0, CalculationMode::kDynamometer,
                           AnalysisConfig{}, log.Log());
    const Outcome outcome = analysis.Run();
    EXPECT_FALSE(outcome) << message;
    EXPECT_EQ(std::tuple(outcome.messages(), log.Text(), analysis.CopyTimes().size()),
              std::tuple(std::vector{message}, "", std::size_t{0}));
  }
}

// 20000 samples at 10000/s: 2 s. maxPulses = trunc(final * (2 / 60) / revs), never above the
// sample count. Amplitude 10 stops the analysis silently after the header, which names the
// recording as listed, not by the path it was read from.
TEST(PulseAnalysis, WritesTheHeaderAndStopsSilentlyOnAQuietRecording) {
  for (const auto& [finalRpm, revsPerSpark, maxPulses] : {std::tuple{1530, 2.0, 25}, {2000000000, 0.001, 20000}}) {
    Folder folder;
    folder.Write(20000, {10, -7}, 19);
    PulseAnalysis analysis({"take 1.wav", folder.wave}, 1200, finalRpm, revsPerSpark, 20.0,
                           CalculationMode::kTachometer, AnalysisConfig{}, folder.log.Log());
    const Outcome outcome = analysis.Run();
    EXPECT_FALSE(outcome);
    EXPECT_TRUE(outcome.messages().empty() && analysis.CopyTimes().empty());
    EXPECT_EQ(folder.log.Text(), "#Ruvo Log file\n#Ruvo RPM Calculate: take 1.wav\n#Initial RPM: 1200\n#Final RPM  : " +
                                     std::to_string(finalRpm) + "\n#Rev/Pulse  : " + test::Printf("%f", revsPerSpark) +
                                     "\n#Max Pulse  : 0.200000\n#Wave file  : 10000, 20000, " +
                                     std::to_string(maxPulses) + ", 128, 10\n");
  }
  // Amplitude 11 goes on, stepping the threshold by 1 from 1 to 10.
  Folder folder;
  folder.Write(20000, {11}, 19);
  PulseAnalysis analysis({folder.wave, folder.wave}, 1200, 1300, 2.0, 20.0, CalculationMode::kTachometer,
                         AnalysisConfig{}, folder.log.Log());
  analysis.Run();
  const std::string text = folder.log.Text();  // cutoff (3 * 1 + 10) / 4
  EXPECT_TRUE(text.find("\n#Pulses: 5, Cutoff: 1\n") != std::string::npos &&
              text.find("\n#Cutoff: 3\n") != std::string::npos)
      << text;
}

// Tachometer mode keeps every pulse but the last found: revolutions from 0, times at each burst's
// peak, as the configured time reference asks (the default would take the pulse's midpoint).
TEST(PulseAnalysis, TachometerTimelineHoldsEverySpark) {
  Folder folder;
  folder.Write(18700, {60, 100, 80, 40, 20}, 19);
  AnalysisConfig config;
  config.timeReference = 2;
  PulseAnalysis analysis({folder.wave, folder.wave}, 1200, 1300, 2.0, 20.0, CalculationMode::kTachometer, config,
                         folder.log.Log());
  ASSERT_TRUE(analysis.Run());
  const std::vector<double> times = analysis.CopyTimes(), revolutions = analysis.CopyRevolutions();
  ASSERT_EQ(std::pair(times.size(), revolutions.size()), std::pair(std::size_t{18}, std::size_t{18}));
  for (int i = 0; i < 18; ++i)
    EXPECT_TRUE(revolutions[i] == 2.0 * i && std::fabs(times[i] * kRate - (101.0 + 1000.0 * i)) < 1e-9)
        << "pulse " << i << " at " << times[i];
}

}  // namespace
}  // namespace ruvo
