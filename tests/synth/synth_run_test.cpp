#include "synth/synth_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "synth/ignition_sound.h"

namespace ruvo {
namespace {

constexpr std::size_t kHeaderBytes = 44;

SynthOptions CleanOptions() {
  SynthOptions options;
  options.noise = 0.0;
  options.peakVariation = 0.0;
  return options;
}

SynthResult Synthesize(const SynthOptions& options) {
  SynthResult run = SynthesizeRun(options);
  EXPECT_TRUE(run.ok) << run.error;
  return run;
}

std::vector<std::uint8_t> Samples(const SynthResult& run) {
  return {run.wave.begin() + kHeaderBytes, run.wave.begin() + kHeaderBytes + run.sampleCount};
}

std::string Le(std::uint32_t value, int size) {
  std::string bytes;
  for (int k = 0; k < size; ++k) bytes += static_cast<char>(value >> (8 * k) & 0xffU);
  return bytes;
}

// First sample at or after a time.
std::size_t SampleAtOrAfter(double seconds, int rate) {
  return static_cast<std::size_t>(std::ceil(seconds * rate));
}

TEST(SynthRun, WritesACanonicalWaveHeader) {
  for (const int rate : {8000, 11025, 48000}) {
    SCOPED_TRACE(rate);
    SynthOptions options;
    options.sampleRate = rate;
    options.endRpm = 2500.0;
    const SynthResult run = Synthesize(options);
    const std::vector<std::uint8_t>& bytes = run.wave;
    const auto count = static_cast<std::uint32_t>(run.sampleCount);
    ASSERT_EQ(bytes.size(), kHeaderBytes + count + count % 2);
    const std::string header = "RIFF" + Le(static_cast<std::uint32_t>(bytes.size() - 8), 4) + "WAVEfmt " + Le(16, 4) +
                               Le(1, 2) + Le(1, 2) + Le(static_cast<std::uint32_t>(rate), 4) +
                               Le(static_cast<std::uint32_t>(rate), 4) + Le(1, 2) + Le(8, 2) + "data" + Le(count, 4);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + kHeaderBytes), header);  // PCM, mono, 8 bit
    EXPECT_NEAR(run.sampleCount, (run.runEndSeconds + 0.00275) * rate, 1.0);
  }
}

TEST(SynthRun, EverySparkBeginsOnItsSampleAndNothingElseSounds) {
  struct Case {
    int rate;
    double revsPerIgnition;
    std::int32_t silence;
  };
  for (const Case c : {Case{8000, 2.0, 128}, Case{22050, 0.5, 100}, Case{48000, 1.0, 140}}) {
    SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.revsPerIgnition << " rev/spark");
    SynthOptions options = CleanOptions();
    options.sampleRate = c.rate;
    options.vehicle.revsPerIgnition = c.revsPerIgnition;
    options.silenceLevel = c.silence;
    const SynthResult run = Synthesize(options);
    const std::vector<std::uint8_t> samples = Samples(run);
    std::vector<bool> sounding(samples.size(), false);
    for (const SparkEvent& spark : run.sparks) {
      ASSERT_EQ(spark.peak, options.sparkPeak);
      const std::size_t first = SampleAtOrAfter(spark.timeSeconds, c.rate);
      ASSERT_LT(first, samples.size());
      EXPECT_GT(samples[first], c.silence) << "spark at " << spark.timeSeconds;
      for (std::size_t n = first; n < SampleAtOrAfter(spark.timeSeconds + kSparkBurstSeconds, c.rate); ++n)
        sounding[n] = true;
    }
    for (std::size_t n = 0; n < samples.size(); ++n) {
      if (!sounding[n]) {
        ASSERT_EQ(samples[n], c.silence) << "sample " << n;
      }
    }
  }
}

TEST(SynthRun, TheSameSeedGivesTheSameBytes) {
  SynthOptions options;
  options.noise = 4.0;
  options.missingSparks = 0.1;
  options.weakSparks = 0.1;
  options.seed = 7;
  const SynthResult first = Synthesize(options);
  const SynthResult again = Synthesize(options);
  EXPECT_EQ(first.wave, again.wave);

  options.seed = 8;
  const SynthResult other = Synthesize(options);
  EXPECT_NE(first.wave, other.wave);
  ASSERT_EQ(first.sparks.size(), other.sparks.size());
  int samePeaks = 0;
  for (std::size_t k = 0; k < first.sparks.size(); ++k) {
    EXPECT_EQ(first.sparks[k].timeSeconds, other.sparks[k].timeSeconds);  // the motion has no chance in it
    samePeaks += first.sparks[k].peak == other.sparks[k].peak;
  }
  EXPECT_LT(samePeaks, static_cast<int>(first.sparks.size()) / 4);

  // The noise has its own stream: changing its strength keeps every spark's choice.
  options.seed = 7;
  options.noise = 1.0;
  const SynthResult quieter = Synthesize(options);
  for (std::size_t k = 0; k < first.sparks.size(); ++k) EXPECT_EQ(first.sparks[k].peak, quieter.sparks[k].peak);
}

TEST(SynthRun, HarderCasesShapeTheSound) {
  SynthOptions options = CleanOptions();
  options.vehicle.revsPerIgnition = 0.5;  // about 600 sparks, for the fractions
  const auto sound = [&](void (*change)(SynthOptions&), SynthResult* result = nullptr) {
    SynthOptions changed = options;
    change(changed);
    const SynthResult run = Synthesize(changed);
    if (result) *result = run;
    return Samples(run);
  };
  const auto extremes = [&](void (*change)(SynthOptions&)) {
    const std::vector<std::uint8_t> samples = sound(change);
    const auto [lowest, highest] = std::minmax_element(samples.begin(), samples.end());
    return std::pair<int, int>{*lowest, *highest};
  };

  SynthResult run;
  std::vector<std::uint8_t> samples = sound([](SynthOptions& o) { o.missingSparks = 0.3; }, &run);
  int missed = 0;
  for (const SparkEvent& spark : run.sparks) {
    if (spark.peak != 0.0) continue;
    ++missed;
    EXPECT_EQ(samples[SampleAtOrAfter(spark.timeSeconds, options.sampleRate)], 128) << spark.timeSeconds;
  }
  EXPECT_NEAR(static_cast<double>(missed) / static_cast<double>(run.sparks.size()), 0.3, 0.08);

  EXPECT_EQ(extremes([](SynthOptions& o) { o.weakSparks = 1.0, o.weakLevel = 0.3; }).second, 128 + 27);
  EXPECT_EQ(extremes([](SynthOptions& o) { o.clipLevel = 20, o.noise = 2.0; }), std::pair(108, 148));
  EXPECT_EQ(extremes([](SynthOptions& o) { o.sparkPeak = 250.0; }), std::pair(0, 255));

  samples = sound([](SynthOptions& o) { o.missingSparks = 1.0, o.dcOffset = 30.0; });
  EXPECT_EQ(samples.front(), 128);
  EXPECT_EQ(samples.back(), 158);
  EXPECT_TRUE(std::is_sorted(samples.begin(), samples.end()));
}

TEST(SynthRun, TheDocumentCarriesTheVehicleAndEstimatesThatCoverTheBursts) {
  struct Case {
    double revsPerIgnition, endRpm, expectedPercent;
  };
  for (const Case c : {Case{2.0, 6000.0, 20.0}, Case{0.5, 8000.0, 40.0}, Case{0.25, 9000.0, 50.0}}) {
    SynthOptions options;
    options.vehicle.revsPerIgnition = c.revsPerIgnition;
    options.vehicle.drivetrainLoss = 7.5;
    options.endRpm = c.endRpm;
    options.startRpm = 1234.4;
    const SynthResult run = Synthesize(options);
    RunParameters expected = options.vehicle;
    expected.description = "Synthetic run, seed 1";
    expected.initialRpm = 1234;
    expected.finalRpm = static_cast<std::int32_t>(c.endRpm);
    expected.maxPulseLength = c.expectedPercent;
    EXPECT_EQ(run.document, expected);
    const double shortestInterval = c.revsPerIgnition * 60.0 / c.endRpm;
    if (c.expectedPercent < 50.0) {
      EXPECT_GE(c.expectedPercent / 100.0 * shortestInterval, 2.0 * kSparkBurstSeconds);
    }
  }

  SynthOptions options;
  options.vehicle.description = "Test car";
  options.initialRpm = 1100;
  options.finalRpm = 5900;
  options.maxPulseLength = 12.5;
  const SynthResult run = Synthesize(options);
  EXPECT_EQ(run.document.description, "Test car");
  EXPECT_EQ(run.document.initialRpm, 1100);
  EXPECT_EQ(run.document.finalRpm, 5900);
  EXPECT_EQ(run.document.maxPulseLength, 12.5);
}

TEST(SynthRun, RejectsOptionsItCannotSimulate) {
  struct Case {
    void (*change)(SynthOptions&);
    const char* message;
  };
  const std::vector<Case> cases = {
      {[](SynthOptions& o) { o.sampleRate = 7999; }, "Option --sample-rate must be 8000 to 48000 Hz, not 7999"},
      {[](SynthOptions& o) { o.vehicle.vehicleWeight = std::nan(""); },
       "Option --vehicle-weight must be 100 to 50000 lb, not nan"},
      {[](SynthOptions& o) { o.maxPulseLength = INFINITY; }, "Option --max-pulse-length must be a finite number"},
      {[](SynthOptions& o) { o.vehicle.frictionLossHp = 5.0; }, "Option --friction-loss-rpm must be above 0"},
      {[](SynthOptions& o) { o.vehicle.description.assign(106, 'x'); }, "at most 105 characters"},
      {[](SynthOptions& o) { o.torque = TorqueCurve::Constant(2.0); },
       "At 1000 rpm the engine's torque of 2.0 ft-lb no longer accelerates the vehicle, short of the end rpm 6000"},
      {[](SynthOptions& o) {
         std::string error;
         EXPECT_TRUE(TorqueCurve::FromPoints({{1000.0, 100.0}, {3000.0, 100.0}, {3500.0, 5.0}}, o.torque, error));
       },
       "no longer accelerates the vehicle, short of the end rpm 6000"},
      {[](SynthOptions& o) {
         o.vehicle.vehicleWeight = 40000.0;
         o.vehicle.rollingCoefficient = 0.0;
         o.vehicle.dragCoefficient = 0.0;
         o.torque = TorqueCurve::Constant(100.0);
         o.endRpm = 6500.0;
         o.idleSeconds = 60.0;
         o.liftOffSeconds = 60.0;
         o.sampleRate = 48000;
       },
       "more than a wave file of 48000 samples per second can hold"},
  };
  for (const Case& c : cases) {
    SynthOptions options;
    c.change(options);
    const SynthResult run = SynthesizeRun(options);
    EXPECT_FALSE(run.ok);
    EXPECT_TRUE(run.wave.empty());
    EXPECT_NE(run.error.find(c.message), std::string::npos) << run.error;
  }
}

TEST(SynthRun, ATypicalRunTakesWellUnderASecond) {
  SynthOptions options;  // 2400 lb, 4.0 axle, 2.5 gear, 29.3 in wheel, 1000 to 6000 rpm
  options.sampleRate = 48000;
  const auto start = std::chrono::steady_clock::now();
  const SynthResult run = Synthesize(options);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed.count(), 1.0);  // includes the sanitizers' slowdown
  EXPECT_GT(run.sparks.size(), 100u);
}

}  // namespace
}  // namespace ruvo
