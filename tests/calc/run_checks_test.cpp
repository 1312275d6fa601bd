#include "calc/run_checks.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/wave_encoding.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

// A clean recording at 10 kHz: 40 crossed pulses 1000 samples apart standing well out of the noise,
// speeds rising 2 % per interval, and a 4-row table from 1000 to 1150 rpm of a 2000 lb car.
struct CleanRun {
  std::vector<RecordingEvidence> evidence{1};
  CalculationResults results;
  RunParameters params;

  CleanRun() {
    RecordingEvidence& recording = evidence.front();
    recording.waveFile = "/runs/take 1.wav";
    PulseEvidence& detection = recording.detection;
    detection.sampleRate = 10000;
    detection.levels = {0.0, 1.0, 0.5};
    detection.initialScan = {50, 4, 1};
    DetectedPulses& pulses = detection.pulses;
    pulses.pulseCount = 40;
    for (int i = 0; i < 40; ++i) {
      pulses.starts.push_back(1000 * i);
      pulses.ends.push_back(1000 * i + 20);
      pulses.noiseLevels.push_back(5);
      pulses.peakLevels.push_back(60);
      pulses.cutoffs.push_back(30);
      pulses.crossed.push_back(1);
    }
    detection.timeline = {0, 40};
    for (int i = 1; i < 40; ++i) {
      const double rpm = 1000.0 * (1.0 + 0.02 * i);
      recording.speeds.push_back({0.1 * i - 0.05, rpm, rpm});
    }
    results.succeeded = true;
    results.resultMode = CalculationMode::kDynamometer;
    results.rpm = {1000, 1050, 1100, 1150};
    results.horsepower = {20, 22, 24, 26};
    results.torque = {105, 110, 114, 118};
    params.vehicleWeight = 2000.0;
    params.initialRpm = 1000;
    params.finalRpm = 1150;
  }
};

// Each check speaks on its evidence only and names the table rows it doubts (rpm from, to, ...;
// the fitted speed rises from 1020 rpm at 0.05 s by 20 rpm each 0.1 s).
TEST(RunChecks, EachCheckSpeaksOnItsEvidenceOnlyAndWarningsComeFirst) {
  using Change = std::function<void(CleanRun&)>;
  struct Case {
    Change change;
    std::string line;
    std::vector<double> rows;
  };
  auto pulses = [](CleanRun& run) -> DetectedPulses& { return run.evidence[0].detection.pulses; };
  auto speeds = [](CleanRun& run) -> std::vector<SpeedSample>& { return run.evidence[0].speeds; };
  const std::vector<Case> cases = {
      {[](CleanRun&) {}, "", {}},
      {[](CleanRun& run) { run.evidence[0].detection.initialScan.fullLengthPulses = 4; },
       "warning: take 1.wav: the first pulses found are a noise train",
       {1000, 1150}},
      // Six pulses placed on a window peak no higher than 1.5 x the quiet stretch before it; five
      // would pass, and so would a placed pulse that stands out.
      {[&](CleanRun& run) {
         for (int i = 10; i < 16; ++i) pulses(run).crossed[i] = 0, pulses(run).peakLevels[i] = 7;
         pulses(run).crossed[20] = 0;
       },
       "warning: take 1.wav: 6 pulses were placed where no spark stood out of the noise (the first at 1.000 s)",
       {1210, 1310}},
      // Two intervals beyond 25 % (a missed and an extra pulse); one at 24 % does not count.
      {[&](CleanRun& run) {
         speeds(run)[4].measuredRpm *= 1.6;
         speeds(run)[7].measuredRpm *= 0.5;
         speeds(run)[9].measuredRpm *= 1.24;
       },
       "warning: take 1.wav: 2 of 39 pulse intervals give an engine speed more than 25 % from the fitted curve "
       "(the worst at 0.450 s)",
       {1080, 1120, 1140, 1180}},
      {[&](CleanRun& run) {
         for (int i = 0; i < 3; ++i) speeds(run)[i].measuredRpm = 1000.0 + 4.9 * i;
       },
       "warning: take 1.wav: the run starts on the idle (the engine stays at 1000 rpm for 0.25 s)",
       {1020, 1080}},
      {[](CleanRun& run) { run.params.finalRpm = 1220; },
       "warning: The run ends at 1150 rpm, the Final RPM estimate is 1220",
       {}},
      {[](CleanRun& run) { run.results.torque[2] = -1.0; }, "warning: The power is negative at 1100 rpm", {1100, 1100}},
      {[](CleanRun& run) { run.results.horsepower[3] = 1000.1; },
       "warning: 1000 hp from a 2000 lb vehicle",
       {1000, 1150}},
      {[](CleanRun& run) { run.evidence[0].detection.levels.clippedShare = 0.0011; },
       "note: take 1.wav: 0.11 % of the samples are clipped",
       {}},
      {[](CleanRun& run) { run.evidence[0].detection.levels.noiseLevel = 10.1; },
       "note: take 1.wav: the sparks stand only 5.9 times above the noise",
       {}},
      {[](CleanRun& run) { run.evidence[0].detection.levels.wanderLevel = 3.1; },
       "note: take 1.wav: the mean level wanders by 3.1 steps",
       {}},
      {[](CleanRun& run) { run.evidence[0].detection.zeroCutoffSample = 39500; },
       "note: take 1.wav: the detection lost the sparks at 3.950 s",
       {}},
  };
  for (const Case& expected : cases) {
    CleanRun run;
    expected.change(run);
    const std::vector<RunFinding> findings = CheckRun(run.evidence, run.results, run.params);
    ASSERT_EQ(findings.size(), expected.line.empty() ? 0u : 1u) << expected.line;
    if (expected.line.empty()) continue;
    EXPECT_EQ(FindingLine(findings[0]).rfind(expected.line, 0), 0u) << FindingLine(findings[0]);
    std::vector<double> rows;
    for (const RowSpan& span : findings[0].rows) rows.insert(rows.end(), {span.from, span.to});
    ASSERT_EQ(rows.size(), expected.rows.size()) << expected.line;
    for (std::size_t k = 0; k < rows.size(); ++k) EXPECT_NEAR(rows[k], expected.rows[k], 1e-9) << expected.line;
  }

  // Several at once: warnings first, each group in recording order; nothing after a failure.
  CleanRun run;
  run.evidence.push_back(run.evidence[0]);
  run.evidence[0].detection.levels.wanderLevel = 4.0;
  run.evidence[1].detection.initialScan.fullLengthPulses = 4;
  run.params.finalRpm = 1300;
  std::vector<std::string> lines;
  for (const RunFinding& finding : CheckRun(run.evidence, run.results, run.params))
    lines.push_back(FindingLine(finding));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 27), "warning: take 1.wav: the fi");
  EXPECT_EQ(lines[1].substr(0, 21), "warning: The run ends");
  EXPECT_EQ(lines[2].substr(0, 20), "note: take 1.wav: th");
  run.results.succeeded = false;
  EXPECT_TRUE(CheckRun(run.evidence, run.results, run.params).empty());
}

// A recording that an import already high-passed is not sent back to the same filter; the filter
// is read from the file the calculation read, whatever name the list gave it. Its hum is gone, so
// the wander its noise alone causes (0.9 steps at noise level 1 and 10000 Hz) does not count.
TEST(RunChecks, WanderAfterAHighPassImportAdvisesAHigherFrequency) {
  test::TempFolder folder;
  const std::vector<std::uint8_t> wave =
      EncodeEightBitWave({128}, 11025, WaveOrigin{"/phone/take.m4a", "Converted by Ruvo: filters: high-pass 400 Hz"});
  test::WriteFileBytes(folder.File("take 1.wav"), std::string(wave.begin(), wave.end()));
  CleanRun run;
  run.evidence[0].waveFile = "take 1.wav";
  run.evidence[0].wavePath = folder.File("take 1.wav");
  run.evidence[0].detection.levels.wanderLevel = 3.5;
  EXPECT_TRUE(CheckRun(run.evidence, run.results, run.params).empty());
  run.evidence[0].detection.levels.wanderLevel = 4.0;
  const std::vector<RunFinding> findings = CheckRun(run.evidence, run.results, run.params);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(FindingLine(findings[0]),
            "note: take 1.wav: the mean level wanders by 4.0 steps (hum or DC drift) even after the import's "
            "high-pass filter - import the original with a higher high-pass frequency");
}

// A noise train in a recording the import already band-passed is not sent back to the band-pass.
TEST(RunChecks, ANoiseTrainAfterABandPassImportAdvisesOnlyTheRecording) {
  test::TempFolder folder;
  const std::vector<std::uint8_t> wave = EncodeEightBitWave(
      {128}, 11025, WaveOrigin{"take.flac", "Converted by Ruvo: filters: high-pass 2800 Hz, low-pass 7400 Hz"});
  test::WriteFileBytes(folder.File("take 1.wav"), std::string(wave.begin(), wave.end()));
  CleanRun run;
  run.evidence[0].wavePath = folder.File("take 1.wav");
  run.evidence[0].detection.initialScan.fullLengthPulses = 4;
  const std::vector<RunFinding> findings = CheckRun(run.evidence, run.results, run.params);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(FindingLine(findings[0]),
            "warning: take 1.wav: the first pulses found are a noise train, not sparks (each lasts the whole pulse "
            "length), though the import filtered the recording - record closer to the ignition");
}

}  // namespace
}  // namespace ruvo
