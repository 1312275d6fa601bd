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

// Typical runs with the default noise and peak variation. In dynamometer mode the engine idles at
// 1000 rpm for a second before full throttle and the run-up is kept from 1100 rpm on.
TEST(PulseDetection, FindsEverySparkOfTypicalRunsInBothModes) {
  for (const std::int32_t mode : {kTachometerMode, kDynamometerMode})
    for (const std::int32_t rate : {11025, 22050, 44100}) {
      const std::string label = "mode " + std::to_string(mode) + " rate " + std::to_string(rate);
      SynthOptions options;
      options.sampleRate = rate;
      if (mode == kDynamometerMode) {
        options.idleSeconds = 1.0;
        options.initialRpm = 1100;
      }
      const SynthResult run = SynthesizeRun(options);
      ASSERT_TRUE(run.ok) << run.error;
      const Detection d = Detect(run, mode);
      ASSERT_TRUE(d.ok) << label;
      EXPECT_TRUE(d.messages.empty()) << label;
      ASSERT_GT(d.times.size(), 100u) << label;
      ExpectMatchesSparks(d, run, label);
      // Consecutive sparks throughout.
      for (std::size_t i = 1; i < d.revolutions.size(); ++i)
        ASSERT_EQ(d.revolutions[i] - d.revolutions[i - 1], options.vehicle.revsPerIgnition) << label;
      const auto first = static_cast<std::size_t>(d.revolutions.front() / options.vehicle.revsPerIgnition);
      if (mode == kTachometerMode) {
        // All sparks; at the end only the spark whose window would pass the last sample and the last
        // one found (dropped) may be missing.
        EXPECT_EQ(first, 0u) << label;
        EXPECT_GE(d.times.size() + 2, run.sparks.size()) << label;
        continue;
      }
      // The smoothed speed looks up to trimLevel (6) pulses ahead, so it passes 1100 rpm at most six
      // sparks before the true speed does; the run-up reaches near the final 6000 rpm.
      std::size_t crossing = 0;
      while (run.sparks[crossing].rpm <= 1100.0) ++crossing;
      EXPECT_LE(first, crossing) << label;
      EXPECT_GE(first + 6, crossing) << label;
      EXPECT_GT(run.sparks[first + d.times.size() - 1].rpm, 5800.0) << label;
    }
}

}  // namespace
}  // namespace ruvo
