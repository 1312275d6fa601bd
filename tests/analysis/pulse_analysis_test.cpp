#include "analysis/pulse_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/pulse_reference.h"
#include "support/test_support.h"
#include "synth/ignition_sound.h"
#include "synth/synth_run.h"

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
    test::MessageCapture messages;
    PulseAnalysis analysis(absent, initialRpm, finalRpm, revsPerSpark, 20.0, 0, AnalysisConfig{}, log.Log());
    EXPECT_FALSE(analysis.Run()) << message;
    EXPECT_EQ(std::tuple(messages.Texts(), log.Text(), analysis.PulseCount()), std::tuple(std::vector{message}, "", 0));
  }
}

// 20000 samples at 10000/s: 2 s. maxPulses = trunc(final * (2 / 60) / revs), never above the
// sample count. Amplitude 10 stops the analysis silently after the header.
TEST(PulseAnalysis, WritesTheHeaderAndStopsSilentlyOnAQuietRecording) {
  for (const auto& [finalRpm, revsPerSpark, maxPulses] : {std::tuple{1530, 2.0, 25}, {2000000000, 0.001, 20000}}) {
    Folder folder;
    folder.Write(20000, {10, -7}, 19);
    test::MessageCapture messages;
    PulseAnalysis analysis(folder.wave, 1200, finalRpm, revsPerSpark, 20.0, 1, AnalysisConfig{}, folder.log.Log());
    EXPECT_FALSE(analysis.Run());
    EXPECT_TRUE(messages.Texts().empty() && analysis.CopyTimes().empty());
    EXPECT_EQ(folder.log.Text(),
              "#Ruvo Log file\n#Ruvo RPM Calculate: " + folder.wave + "\n#Initial RPM: 1200\n#Final RPM  : " +
                  std::to_string(finalRpm) + "\n#Rev/Pulse  : " + test::Printf("%f", revsPerSpark) +
                  "\n#Max Pulse  : 0.200000\n#Wave file  : 10000, 20000, " + std::to_string(maxPulses) + ", 128, 10\n");
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
  // Time reference and the first and last burst sample that a pulse's time may fall on.
  for (const auto& [timeReference, firstOffset, lastOffset] : {std::tuple{0, 0, 4}, {1, 0, 1}, {2, 1, 1}}) {
    Folder folder;
    folder.Write(18700, {60, 100, 80, 40, 20}, 19);
    AnalysisConfig config;
    config.timeReference = timeReference;
    PulseAnalysis analysis(folder.wave, 1200, 1300, 2.0, 20.0, 1, config, folder.log.Log());
    ASSERT_TRUE(analysis.Run());
    const std::vector<double> times = analysis.CopyTimes(), revolutions = analysis.CopyRevolutions();
    ASSERT_EQ(std::pair(analysis.PulseCount(), times.size()), std::pair(18, std::size_t{18}));
    for (std::size_t i = 0; i < times.size(); ++i) {
      const double spark = 100.0 + 1000.0 * static_cast<double>(i);
      EXPECT_TRUE(revolutions[i] == 2.0 * static_cast<double>(i) && times[i] * kRate >= spark + firstOffset - 1e-9 &&
                  times[i] * kRate <= spark + lastOffset + 1e-9)
          << "reference " << timeReference << " pulse " << i << " at " << times[i];
    }
  }
}

// Typical runs with the default noise and peak variation. In dynamometer mode the engine idles at
// 1000 rpm for a second before full throttle and the run-up is kept from 1100 rpm on.
TEST(PulseDetection, FindsEverySparkOfTypicalRunsInBothModes) {
  for (const std::int32_t mode : {kTachometerMode, kDynamometerMode})
    for (const std::int32_t rate : {11025, 44100}) {
      const std::string label = "mode " + std::to_string(mode) + " rate " + std::to_string(rate);
      SynthOptions options;
      options.sampleRate = rate;
      if (mode == kDynamometerMode) options.idleSeconds = 1.0, options.initialRpm = 1100;
      const SynthResult run = SynthesizeRun(options);
      ASSERT_TRUE(run.ok) << run.error;
      Folder folder;
      test::WriteFileBytes(folder.wave, std::string(run.wave.begin(), run.wave.end()));
      test::MessageCapture messages;
      const RunParameters& doc = run.document;
      PulseAnalysis analysis(folder.wave, doc.initialRpm, doc.finalRpm, doc.revsPerIgnition, doc.maxPulseLength, mode,
                             AnalysisConfig{}, folder.log.Log());
      ASSERT_TRUE(analysis.Run()) << label;
      EXPECT_TRUE(messages.Texts().empty()) << label;
      const std::vector<double> times = analysis.CopyTimes(), revolutions = analysis.CopyRevolutions();
      ASSERT_GT(times.size(), 100u) << label;
      // Consecutive sparks throughout, each point within one pulse length (the pulse duration's share
      // of the spark interval there) of the spark its revolutions count to.
      const auto first = static_cast<std::size_t>(std::lround(revolutions.front() / doc.revsPerIgnition));
      for (std::size_t i = 0; i < times.size(); ++i) {
        const std::size_t j = first + i;
        ASSERT_EQ(revolutions[i], static_cast<double>(j) * doc.revsPerIgnition) << label;
        ASSERT_LT(j + 1, run.sparks.size()) << label;
        const double interval = run.sparks[j + 1].timeSeconds - run.sparks[j].timeSeconds;
        EXPECT_NEAR(times[i], run.sparks[j].timeSeconds, doc.maxPulseLength * 0.01 * interval) << label << " " << i;
      }
      if (mode == kTachometerMode) {
        // All sparks; at the end only the spark whose window would pass the last sample and the last
        // one found (dropped) may be missing.
        EXPECT_EQ(first, 0u) << label;
        EXPECT_GE(times.size() + 2, run.sparks.size()) << label;
        continue;
      }
      // The smoothed speed looks up to trimLevel (6) pulses ahead, so it passes 1100 rpm at most six
      // sparks before the true speed does; the run-up reaches near the final 6000 rpm.
      std::size_t crossing = 0;
      while (run.sparks[crossing].rpm <= 1100.0) ++crossing;
      EXPECT_LE(first, crossing) << label;
      EXPECT_GE(first + 6, crossing) << label;
      EXPECT_GT(run.sparks[first + times.size() - 1].rpm, 5800.0) << label;
    }
}

}  // namespace
}  // namespace ruvo
