#include "calc/run_diagnosis.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace ruvo {
namespace {

constexpr int kRate = 11025;

// The pulses of an engine whose speed at t seconds is rpmAt(t), two revolutions a spark, until
// the given second; the first four are the initial scan's.
DetectedPulses PulsesOf(const std::function<double(double)>& rpmAt, double untilSeconds) {
  DetectedPulses pulses;
  for (double t = 0.0; t < untilSeconds; t += 120.0 / rpmAt(t)) {
    const auto start = static_cast<std::int32_t>(t * kRate);
    pulses.starts.push_back(start);
    pulses.ends.push_back(start + 20);
    pulses.peakPositions.push_back(start + 5);
    pulses.noiseLevels.push_back(5);
    pulses.peakLevels.push_back(pulses.starts.size() <= 4 ? 40 : 100);
    pulses.cutoffs.push_back(30);
    pulses.crossed.push_back(1);
  }
  pulses.pulseCount = static_cast<std::int32_t>(pulses.starts.size());
  return pulses;
}

// A 5-s recording of a run from 1000 to 6000 rpm (1000 rpm/s) with clean levels, whose
// calculation failed for no reason the evidence shows.
struct FailedRun {
  RecordingEvidence evidence;
  RunParameters params;

  FailedRun() {
    evidence.waveFile = "runs/take.wav";
    PulseEvidence& detection = evidence.detection;
    detection.sampleRate = kRate;
    detection.sampleCount = 5 * kRate;
    detection.amplitude = 100;
    detection.levels = {0.0, 2.0, 0.5};
    detection.initialScan = {300, 4, 0};
    detection.pulses = PulsesOf([](double t) { return 1000.0 + 1000.0 * t; }, 5.0);
    params.initialRpm = 1000;
    params.finalRpm = 6000;
    params.revsPerIgnition = 2.0;
    params.maxPulseLength = 20.0;
  }

  std::vector<std::string> Lines(const ImportConditioning& conditioning = {}) const {
    std::vector<std::string> lines;
    for (const RunFinding& finding : DiagnoseRecording(evidence, 0, params, conditioning)) {
      EXPECT_EQ(finding.severity, FindingSeverity::kNote);
      EXPECT_EQ(finding.recording, 0);
      lines.push_back(FindingLine(finding));
    }
    return lines;
  }
};

TEST(RunDiagnosis, EachCauseIsNamedWithItsFigureAndRemedy) {
  struct Case {
    std::function<void(FailedRun&)> change;
    std::string line;  // empty: nothing to say
  };
  const Case cases[] = {
      {[](FailedRun&) {}, ""},
      // The pulses the final scan followed peak at 20 steps over a noise level of 2; the initial
      // scan's plateau does not count.
      {[](FailedRun& run) {
         auto& peaks = run.evidence.detection.pulses.peakLevels;
         std::fill(peaks.begin() + 4, peaks.end(), 20);
       },
       "note: take.wav: the spark peaks stand only 10.0 times above the median noise level of 2.0 steps - re-import "
       "with the automatic band-pass: ruvo-cli import runs/take.wav"},
      // The initial scan found too few: the loudest click is the measure (and where the pulses end
      // is not judged on pulses found in noise).
      {[](FailedRun& run) {
         run.evidence.detection.pulses = PulsesOf([](double) { return 1000.0; }, 0.3);
         run.evidence.detection.initialScan.pulseCount = 3;
         run.evidence.detection.amplitude = 27;
       },
       "note: take.wav: the loudest click stands only 13.5 times above the median noise level of 2.0 steps - "
       "re-import with the automatic band-pass: ruvo-cli import runs/take.wav"},
      {[](FailedRun& run) { run.evidence.detection.levels.wanderLevel = 6.0; },
       "note: take.wav: the mean level wanders by 6.0 steps (hum or DC drift) - re-import with the high-pass "
       "filter: ruvo-cli import runs/take.wav"},
      {[](FailedRun& run) { run.evidence.detection.levels.wanderLevel = 3.0; }, ""},
      {[](FailedRun& run) { run.evidence.detection.levels.clippedShare = 0.0125; },
       "note: take.wav: 1.25 % of the samples are clipped - lower the recording level"},
      {[](FailedRun& run) { run.evidence.detection.levels.clippedShare = 0.001; }, ""},
      // Clipped clicks are low for the clipping, not for weak sparks.
      {[](FailedRun& run) {
         run.evidence.detection.levels.clippedShare = 0.0125;
         run.evidence.detection.amplitude = 20;
         run.evidence.detection.pulses = {};
       },
       "note: take.wav: 1.25 % of the samples are clipped - lower the recording level"},
      // 220.5 samples between sparks at 6000 rpm; 0.8 % of them is 1.76 samples, 1 % would do.
      {[](FailedRun& run) { run.params.maxPulseLength = 0.8; },
       "note: take.wav: at 11025 Hz a pulse lasts only 1.8 samples at Final RPM (0.8 % of 220 samples between "
       "sparks), too few to follow the sparks - record at a higher sample rate"},
      {[](FailedRun& run) { run.params.maxPulseLength = 1.0; }, ""},
      // The run reaches 3500 rpm when the recording ends; one near Final RPM is complete.
      {[](FailedRun& run) {
         run.evidence.detection.pulses = PulsesOf([](double t) { return 1000.0 + 500.0 * t; }, 5.0);
       },
       "note: take.wav: the recording ends at 5.00 s with the engine at 3445 rpm, short of Final RPM 6000 - it is "
       "shorter than the run; record up to Final RPM, or lower Final RPM"},
      {[](FailedRun& run) {
         run.evidence.detection.pulses = PulsesOf([](double t) { return 1000.0 + 1100.0 * t; }, 5.0);
         run.params.finalRpm = 6500;
       },
       ""},
      // The sparks are lost at 2.5 s, half way up.
      {[](FailedRun& run) {
         run.evidence.detection.pulses = PulsesOf([](double t) { return 1000.0 + 1000.0 * t; }, 2.5);
       },
       "note: take.wav: the pulses end at 2.492 s with the engine at 3384 rpm, 2.51 s before the recording ends - "
       "the sparks were lost there; check the recording there"},
      // A second of idle at Initial RPM before the run; not when Initial RPM is above it.
      {[](FailedRun& run) {
         run.evidence.detection.pulses =
             PulsesOf([](double t) { return t < 1.0 ? 1000.0 : 1000.0 + 1000.0 * (t - 1.0); }, 5.0);
         run.params.finalRpm = 5000;
       },
       "note: take.wav: the first pulses come evenly at 1000 rpm, the idle, and Initial RPM is 1000 - set Initial "
       "RPM above the idle"},
      {[](FailedRun& run) {
         run.evidence.detection.pulses =
             PulsesOf([](double t) { return t < 1.0 ? 1000.0 : 1000.0 + 1000.0 * (t - 1.0); }, 5.0);
         run.params.finalRpm = 5000;
         run.params.initialRpm = 1200;
       },
       ""},
  };
  for (const Case& c : cases) {
    FailedRun run;
    c.change(run);
    const std::vector<std::string> lines = run.Lines();
    if (c.line.empty()) {
      EXPECT_TRUE(lines.empty()) << lines.front();
    } else {
      ASSERT_EQ(lines.size(), 1u) << c.line;
      EXPECT_EQ(lines[0], c.line);
    }
  }
}

// The import's comment says which filters it applied; the diagnosis then advises what is left,
// and names the recording the wave file came from.
TEST(RunDiagnosis, TheRemedyAlreadyAppliedIsNotRecommended) {
  const auto conditioning = [](const std::string& comment) { return ConditioningOf({"/phone/take.m4a", comment}); };
  const ImportConditioning highPassed =
      conditioning("Converted by Ruvo: channel 1 of 2; filters: high-pass 400 Hz with a 20 ms fade-in");
  const ImportConditioning bandPassed = conditioning(
      "Converted by Ruvo: channel 1 of 2; filters: high-pass 2800 Hz with a 20 ms fade-in, low-pass 7400 Hz; "
      "conditioning: automatic band-pass 2.8\u20137.4 kHz (kurtosis 41)");
  const ImportConditioning noBand = conditioning(
      "Converted by Ruvo: channel 1 of 2; filters: high-pass 400 Hz with a 20 ms fade-in; conditioning: automatic, "
      "no band stood out (kurtosis 0.8)");
  EXPECT_TRUE(highPassed.highPass && !highPassed.bandPass && !highPassed.automatic);
  EXPECT_EQ(highPassed.highPassHz, 400.0);
  EXPECT_TRUE(bandPassed.bandPass && bandPassed.automatic);
  EXPECT_EQ(bandPassed.highPassHz, 2800.0);
  EXPECT_TRUE(noBand.automatic && !noBand.bandPass);
  const ImportConditioning enveloped = conditioning(
      "Converted by Ruvo: channel 1 of 1; filters: high-pass 400 Hz with a 20 ms fade-in; conditioning: automatic "
      "matched-filter envelope after a 400 Hz high-pass (band-pass 2.0\u20135.5 kHz (kurtosis 3.2) left the clicks "
      "3.5 times the noise)");
  EXPECT_TRUE(enveloped.envelope && enveloped.highPass && !enveloped.bandPass);
  EXPECT_FALSE(bandPassed.envelope || noBand.envelope);
  EXPECT_FALSE(conditioning("Converted by Ruvo: channel 1 of 1; filters: none").highPass);
  // A low-pass outside the filters field is no band-pass.
  EXPECT_FALSE(conditioning("Converted by Ruvo: filters: high-pass 400 Hz; note: low-pass later").bandPass);

  FailedRun run;
  auto& peaks = run.evidence.detection.pulses.peakLevels;
  std::fill(peaks.begin() + 4, peaks.end(), 20);
  run.evidence.detection.levels.wanderLevel = 6.0;
  const std::string weak =
      "note: take.wav: the spark peaks stand only 10.0 times above the median noise level of "
      "2.0 steps - ";
  const std::string wander = "note: take.wav: the mean level wanders by 6.0 steps (hum or DC drift) ";
  EXPECT_EQ(run.Lines(highPassed),
            (std::vector<std::string>{
                weak + "re-import with the automatic band-pass: ruvo-cli import /phone/take.m4a",
                wander + "even after the import's 400 Hz high-pass - re-import with a higher one: ruvo-cli import "
                         "/phone/take.m4a --highpass 800"}));
  // After the high-pass, of block means spread by 4.7 steps noise of level 2 explains 1.8 at this
  // rate: not 3 steps of hum beyond it.
  run.evidence.detection.levels.wanderLevel = 4.7;
  EXPECT_EQ(run.Lines(highPassed).size(), 1u);
  EXPECT_EQ(run.Lines(bandPassed)[0],
            weak + "the import's band-pass was applied already; record closer to the ignition lead");
  // An envelope's mean level wanders with the clicks, not with hum.
  run.evidence.detection.levels.wanderLevel = 6.0;
  EXPECT_EQ(run.Lines(enveloped),
            (std::vector<std::string>{weak + "the import's filter matched to the clicks was applied already; record "
                                             "closer to the ignition lead"}));
  EXPECT_EQ(run.Lines(noBand)[0], weak +
                                      "the import's automatic band-pass found no band to keep; record closer to the "
                                      "ignition lead");
}

// Read from the file the calculation read; a recording it could not read says nothing.
TEST(RunDiagnosis, AFailureIsDiagnosedFromTheFilesItRead) {
  test::TempFolder folder;
  const std::vector<std::uint8_t> wave = EncodeEightBitWave(
      {128}, kRate, WaveOrigin{"take.flac", "Converted by Ruvo: filters: high-pass 2800 Hz, low-pass 7400 Hz"});
  test::WriteFileBytes(folder.File("take.wav"), std::string(wave.begin(), wave.end()));
  FailedRun run;
  run.evidence.wavePath = folder.File("take.wav");
  run.evidence.detection.amplitude = 20;
  run.evidence.detection.pulses = {};
  RecordingEvidence unread;
  unread.waveFile = "gone.wav";
  const std::vector<RunFinding> findings = DiagnoseFailure({run.evidence, unread}, run.params);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(findings[0].text,
            "take.wav: the loudest click stands only 10.0 times above the median noise level of 2.0 steps - the "
            "import's band-pass was applied already; record closer to the ignition lead");
}

}  // namespace
}  // namespace ruvo
