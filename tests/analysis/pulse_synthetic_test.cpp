#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "analysis/pulse_analysis.h"
#include "analysis/pulse_reference.h"
#include "support/test_support.h"
#include "synth/synth_run.h"

namespace ruvo {
namespace {

struct Detection {
  bool ok = false;
  std::vector<double> times;
  std::vector<double> revolutions;
  std::vector<std::string> messages;
};

Detection Detect(const SynthResult& run, std::int32_t mode) {
  test::TempFolder folder;
  const std::string path = folder.File("run.wav");
  test::WriteFileBytes(path, std::string(run.wave.begin(), run.wave.end()));
  test::LogFile log;
  test::MessageCapture messages;
  const RunParameters& document = run.document;
  PulseAnalysis analysis(path, document.initialRpm, document.finalRpm, document.revsPerIgnition,
                         document.maxPulseLength, mode, AnalysisConfig{}, log.Log());
  Detection detection;
  detection.ok = analysis.Run();
  detection.times = analysis.CopyTimes();
  detection.revolutions = analysis.CopyRevolutions();
  detection.messages = messages.Texts();
  return detection;
}

// Each timeline point is the spark its revolutions count to, within one pulse length (the pulse
// duration's share of the spark interval there).
void ExpectMatchesSparks(const Detection& d, const SynthResult& run, const std::string& label) {
  const double revsPerSpark = run.document.revsPerIgnition;
  const double fraction = run.document.maxPulseLength * 0.01;
  for (std::size_t i = 0; i < d.times.size(); ++i) {
    const double index = d.revolutions[i] / revsPerSpark;
    ASSERT_EQ(index, std::round(index)) << label;
    const auto j = static_cast<std::size_t>(index);
    ASSERT_LT(j + 1, run.sparks.size()) << label;
    const double interval = run.sparks[j + 1].timeSeconds - run.sparks[j].timeSeconds;
    EXPECT_NEAR(d.times[i], run.sparks[j].timeSeconds, fraction * interval) << label << " point " << i;
  }
}

SynthOptions Typical(std::int32_t sampleRate) {
  SynthOptions options;
  options.sampleRate = sampleRate;  // noise, peak variation: the defaults of a realistic recording
  return options;
}

TEST(PulseDetection, FindsEverySparkOfTypicalRunsInTachometerMode) {
  for (std::int32_t rate : {11025, 22050, 44100}) {
    const SynthResult run = SynthesizeRun(Typical(rate));
    ASSERT_TRUE(run.ok) << run.error;
    const std::string label = "rate " + std::to_string(rate);
    const Detection d = Detect(run, kTachometerMode);
    ASSERT_TRUE(d.ok) << label;
    EXPECT_TRUE(d.messages.empty()) << label;
    ASSERT_FALSE(d.revolutions.empty()) << label;
    EXPECT_EQ(d.revolutions[0], 0.0) << label;
    // All sparks in order; at the end only the spark whose window would pass the last sample and
    // the last one found (dropped) may be missing.
    EXPECT_GE(d.times.size() + 2, run.sparks.size()) << label;
    ExpectMatchesSparks(d, run, label);
  }
}

TEST(PulseDetection, TrimsTypicalRunsToTheRunUpInDynamometerMode) {
  for (std::int32_t rate : {11025, 22050, 44100}) {
    SynthOptions options = Typical(rate);
    options.idleSeconds = 1.0;  // steady at 1000 rpm before full throttle
    options.initialRpm = 1100;  // the run-up is kept from 1100 rpm on
    const SynthResult run = SynthesizeRun(options);
    ASSERT_TRUE(run.ok) << run.error;
    const std::string label = "rate " + std::to_string(rate);
    const Detection d = Detect(run, kDynamometerMode);
    ASSERT_TRUE(d.ok) << label;
    EXPECT_TRUE(d.messages.empty()) << label;
    ASSERT_GT(d.times.size(), 100u) << label;
    ExpectMatchesSparks(d, run, label);

    // Consecutive sparks throughout, from the passage of 1100 rpm to near the final 6000 rpm.
    for (std::size_t i = 1; i < d.revolutions.size(); ++i)
      EXPECT_EQ(d.revolutions[i] - d.revolutions[i - 1], options.vehicle.revsPerIgnition) << label;
    const auto first = static_cast<std::size_t>(d.revolutions.front() / options.vehicle.revsPerIgnition);
    const auto last = static_cast<std::size_t>(d.revolutions.back() / options.vehicle.revsPerIgnition);
    // The smoothed speed looks up to trimLevel (6) pulses ahead, so it passes 1100 rpm at most six
    // sparks before the true speed does.
    std::size_t crossing = 0;
    while (run.sparks[crossing].rpm <= 1100.0) ++crossing;
    EXPECT_LE(first, crossing) << label;
    EXPECT_GE(first + 6, crossing) << label;
    EXPECT_GT(run.sparks[last].rpm, 5800.0) << label;
  }
}

}  // namespace
}  // namespace ruvo
