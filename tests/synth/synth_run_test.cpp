#include "synth/synth_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/vehicle_model.h"
#include "synth/ignition_sound.h"

namespace ruvo {
namespace {

constexpr std::size_t kHeaderBytes = 44;

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

// Silence outside the bursts, each burst sounding from its spark's first sample on, in a
// canonical 8-bit mono PCM file.
TEST(SynthRun, EverySparkBeginsOnItsSampleInACanonicalWaveFile) {
  for (const auto& [rate, revsPerIgnition, silence] :
       {std::tuple{8000, 2.0, 128}, std::tuple{22050, 0.5, 100}, std::tuple{48000, 1.0, 140}}) {
    SCOPED_TRACE(testing::Message() << rate << " Hz, " << revsPerIgnition << " rev/spark");
    SynthOptions options;  // 2400 lb, 4.0 axle, 2.5 gear, 29.3 in wheel, 1000 to 6000 rpm
    options.noise = options.peakVariation = 0.0;
    options.sampleRate = rate;
    options.vehicle.revsPerIgnition = revsPerIgnition;
    options.silenceLevel = silence;
    const SynthResult run = Synthesize(options);
    const auto count = static_cast<std::uint32_t>(run.sampleCount), r = static_cast<std::uint32_t>(rate);
    ASSERT_EQ(run.wave.size(), kHeaderBytes + count + count % 2);
    EXPECT_EQ(std::string(run.wave.begin(), run.wave.begin() + kHeaderBytes),
              "RIFF" + Le(static_cast<std::uint32_t>(run.wave.size() - 8), 4) + "WAVEfmt " + Le(16, 4) + Le(1, 2) +
                  Le(1, 2) + Le(r, 4) + Le(r, 4) + Le(1, 2) + Le(8, 2) + "data" + Le(count, 4));
    EXPECT_NEAR(run.sampleCount, (run.runEndSeconds + 0.00275) * rate, 1.0);

    const std::vector<std::uint8_t> samples = Samples(run);
    std::vector<bool> sounding(samples.size(), false);
    for (const SparkEvent& spark : run.sparks) {
      ASSERT_EQ(spark.peak, options.sparkPeak);
      const std::size_t first = SampleAtOrAfter(spark.timeSeconds, rate);
      ASSERT_LT(first, samples.size());
      EXPECT_GT(samples[first], silence) << "spark at " << spark.timeSeconds;
      for (std::size_t n = first; n < SampleAtOrAfter(spark.timeSeconds + kSparkBurstSeconds, rate); ++n)
        sounding[n] = true;
    }
    for (std::size_t n = 0; n < samples.size(); ++n) {
      if (!sounding[n]) {
        ASSERT_EQ(samples[n], silence) << "sample " << n;
      }
    }
  }
}

TEST(SynthRun, TheSameSeedGivesTheSameBytes) {
  const auto run = [](std::uint64_t seed, double noise) {
    SynthOptions options;
    options.noise = noise;
    options.missingSparks = options.weakSparks = 0.1;
    options.seed = seed;
    return Synthesize(options);
  };
  const SynthResult first = run(7, 4.0), other = run(8, 4.0);
  const SynthResult quieter = run(7, 1.0);  // the noise has its own stream: its strength keeps every spark's choice
  EXPECT_EQ(run(7, 4.0).wave, first.wave);
  EXPECT_NE(first.wave, other.wave);
  ASSERT_EQ(first.sparks.size(), other.sparks.size());
  int samePeaks = 0;
  for (std::size_t k = 0; k < first.sparks.size(); ++k) {
    EXPECT_EQ(first.sparks[k].timeSeconds, other.sparks[k].timeSeconds);  // the motion has no chance in it
    samePeaks += first.sparks[k].peak == other.sparks[k].peak;
    EXPECT_EQ(first.sparks[k].peak, quieter.sparks[k].peak);
    EXPECT_LE(first.sparks[k].peak, SynthOptions{}.sparkPeak);  // variation only lowers a burst
  }
  EXPECT_LT(samePeaks, static_cast<int>(first.sparks.size()) / 4);
}

TEST(SynthRun, HarderCasesShapeTheSound) {
  SynthResult run;
  const auto sound = [&run](void (*change)(SynthOptions&)) {
    SynthOptions options;
    options.noise = options.peakVariation = 0.0;
    options.vehicle.revsPerIgnition = 0.5;  // about 600 sparks, for the fractions
    change(options);
    run = Synthesize(options);
    return Samples(run);
  };
  const auto extremes = [&](void (*change)(SynthOptions&)) {
    const std::vector<std::uint8_t> samples = sound(change);
    const auto [lowest, highest] = std::minmax_element(samples.begin(), samples.end());
    return std::pair<int, int>{*lowest, *highest};
  };

  std::vector<std::uint8_t> samples = sound([](SynthOptions& o) { o.missingSparks = 0.3; });
  int missed = 0;
  for (const SparkEvent& spark : run.sparks) {
    if (spark.peak != 0.0) continue;
    ++missed;
    EXPECT_EQ(samples[SampleAtOrAfter(spark.timeSeconds, SynthOptions{}.sampleRate)], 128) << spark.timeSeconds;
  }
  EXPECT_NEAR(static_cast<double>(missed) / static_cast<double>(run.sparks.size()), 0.3, 0.08);

  EXPECT_EQ(extremes([](SynthOptions& o) { o.weakSparks = 1.0, o.weakLevel = 0.3; }).second, 128 + 27);
  EXPECT_EQ(extremes([](SynthOptions& o) { o.clipLevel = 20, o.noise = 2.0; }), std::pair(108, 148));
  EXPECT_EQ(extremes([](SynthOptions& o) { o.sparkPeak = 250.0; }), std::pair(0, 255));

  samples = sound([](SynthOptions& o) { o.missingSparks = 1.0, o.dcOffset = 30.0; });
  EXPECT_EQ(std::pair(samples.front(), samples.back()), (std::pair<std::uint8_t, std::uint8_t>(128, 158)));
  EXPECT_TRUE(std::is_sorted(samples.begin(), samples.end()));
}

template <class Term>
double MeanOver(std::size_t from, std::size_t to, Term term) {
  double total = 0.0;
  for (std::size_t n = from; n < to; ++n) total += term(n);
  return total / static_cast<double>(to - from);
}

// Each impairment measured on a 16-bit recording (in 8-bit steps), so that a missing one fails;
// the 8-bit recording is the same sound rounded.
TEST(SynthRun, ImpairmentsAreMeasurableInSixteenBitRecordings) {
  constexpr int kRate = 48000;
  SynthResult run;
  std::vector<double> x;
  const auto render = [&](void (*change)(SynthOptions&)) {
    SynthOptions options;
    options.noise = options.peakVariation = 0.0;
    options.missingSparks = 1.0;
    options.sampleRate = kRate;
    change(options);
    const std::vector<std::uint8_t> coarse = Samples(Synthesize(options));
    options.bits = 16;
    run = Synthesize(options);
    ASSERT_EQ(run.wave.size(), kHeaderBytes + 2 * coarse.size());
    x.resize(coarse.size());
    for (std::size_t n = 0; n < x.size(); ++n) {
      x[n] =
          static_cast<std::int16_t>(run.wave[kHeaderBytes + 2 * n] | run.wave[kHeaderBytes + 2 * n + 1] << 8) / 256.0;
      ASSERT_NEAR(coarse[n] - 128.0, x[n], 0.5) << n;
    }
  };
  render([](SynthOptions& o) { o.humLevel = 30.0, o.humHz = 60.0; });  // amplitude by correlation
  const double w = 2.0 * std::numbers::pi * 60.0 / kRate;
  EXPECT_NEAR(2.0 * MeanOver(0, x.size(), [&](std::size_t n) { return x[n] * std::sin(w * static_cast<double>(n)); }),
              30.0, 0.1);
  render([](SynthOptions& o) { o.staticLevel = 6.0; });  // lag-1 covariance: 36 x exp(-2 pi 4000 Hz / rate)
  EXPECT_NEAR(MeanOver(1, x.size(), [&](std::size_t n) { return x[n] * x[n - 1]; }),
              36.0 * std::exp(-2.0 * std::numbers::pi * 4000.0 / kRate), 1.5);
  render([](SynthOptions& o) { o.missingSparks = 0.0, o.echoRatio = 0.4; });  // 5 ms: 240 samples after each burst
  EXPECT_NEAR(MeanOver(0, run.sparks.size(),
                       [&](std::size_t k) {
                         const std::size_t first = SampleAtOrAfter(run.sparks[k].timeSeconds, kRate);
                         return x[first + 240] / x[first];
                       }),
              0.4, 0.005);
  render([](SynthOptions& o) { o.missingSparks = 0.0, o.gainStepSeconds = 5.0, o.gainStepFactor = 0.5; });
  const auto step = x.begin() + 5 * kRate;
  EXPECT_NEAR(*std::max_element(step, x.end()) / *std::max_element(x.begin(), step), 0.5, 0.03);
}

// The first burst of a noiseless 16-bit recording: its zero crossings (interpolated between
// samples) lie half a period of the asked ring apart; and its first sample, even at the highest
// ring allowed, carries at least a fifth of the peak with its sign.
TEST(SynthRun, BurstsRingAtTheAskedFrequency) {
  // Options with the ring unset keep the bytes of the ring they always had: 5 kHz, or rate / 6.
  for (const auto& [rate, usualRing] : {std::pair{44100, 5000.0}, std::pair{11025, 1837.5}}) {
    SynthOptions options;
    options.sampleRate = rate;
    const std::vector<std::uint8_t> usual = Synthesize(options).wave;
    options.ringHz = usualRing;
    EXPECT_EQ(Synthesize(options).wave, usual) << rate;
  }
  for (const auto& [rate, ringHz] : {std::pair{48000, 1500.0}, std::pair{48000, 3000.0}, std::pair{48000, 8000.0},
                                     std::pair{22050, 3675.0}, std::pair{11025, 0.0}}) {
    SCOPED_TRACE(testing::Message() << ringHz << " Hz ring at " << rate << " Hz");
    SynthOptions options;
    options.noise = options.peakVariation = 0.0;
    options.sampleRate = rate;
    options.ringHz = ringHz;
    options.bits = 16;
    const SynthResult run = Synthesize(options);
    const double expectedHz = ringHz > 0.0 ? ringHz : rate / 6.0;
    const std::size_t first = SampleAtOrAfter(run.sparks[0].timeSeconds, rate);
    const std::size_t end = SampleAtOrAfter(run.sparks[0].timeSeconds + kSparkBurstSeconds, rate);
    std::vector<double> x;  // the burst with its decay (0.15 ms, ignition_sound.h) taken out
    for (std::size_t n = first; n < end; ++n) {
      const double delay = static_cast<double>(n) / rate - run.sparks[0].timeSeconds;
      const double value =
          static_cast<std::int16_t>(run.wave[kHeaderBytes + 2 * n] | run.wave[kHeaderBytes + 2 * n + 1] << 8);
      if (n == first) {
        EXPECT_GE(value, 0.2 * options.sparkPeak * 256.0);
      }
      x.push_back(value * std::exp(delay / 0.00015));
    }
    std::vector<double> crossings;  // in samples from the first
    for (std::size_t n = 1; n < x.size(); ++n)
      if ((x[n - 1] > 0.0) != (x[n] > 0.0)) crossings.push_back(static_cast<double>(n) - x[n] / (x[n] - x[n - 1]));
    ASSERT_GE(crossings.size(), 2u);
    const double measuredHz =
        static_cast<double>(crossings.size() - 1) * rate / (2.0 * (crossings.back() - crossings.front()));
    EXPECT_NEAR(measuredHz, expectedHz, 0.01 * expectedHz);  // straight lines across a cosine's zeros: 1 %
  }
}

TEST(SynthRun, TheDocumentCarriesTheVehicleAndEstimatesThatCoverTheBursts) {
  // Twice the burst at the shortest spark interval, at least 20 and at most 50 percent.
  for (const auto& [revsPerIgnition, endRpm, percent] :
       {std::array{2.0, 6000.0, 20.0}, std::array{0.5, 8000.0, 40.0}, std::array{0.25, 9000.0, 50.0}}) {
    SynthOptions options;
    options.vehicle.revsPerIgnition = revsPerIgnition;
    options.vehicle.drivetrainLoss = 7.5;
    options.endRpm = endRpm;
    options.startRpm = 1234.4;
    RunParameters expected = options.vehicle;
    expected.description = "Synthetic run, seed 1";
    expected.initialRpm = 1234;
    expected.finalRpm = static_cast<std::int32_t>(endRpm);
    expected.maxPulseLength = percent;
    EXPECT_EQ(Synthesize(options).document, expected);
  }
  SynthOptions options;  // given estimates win
  options.vehicle.description = "Test car";
  RunParameters expected = options.vehicle;
  expected.initialRpm = options.initialRpm = 1100;
  expected.finalRpm = options.finalRpm = 5900;
  expected.maxPulseLength = options.maxPulseLength = 12.5;
  EXPECT_EQ(Synthesize(options).document, expected);
}

// Rows every 1/20 s, jittered by up to 5 ms in whole milliseconds; engine speed in steps of 10 rpm,
// each update held on two more rows; the road speed through the gearing; idle rows first.
TEST(SynthRun, TheLogSamplesTheMotionAsALoggerWould) {
  SynthOptions options;
  options.logRateHz = 20.0;
  options.logRpmStep = 10.0;
  options.logJitterMs = 5.0;
  options.logHold = 2;
  const SynthResult run = Synthesize(options);
  EXPECT_TRUE(Synthesize(SynthOptions{}).loggerCsv.empty());
  const std::string& csv = run.loggerCsv;
  const std::string header = "Time (s),Engine RPM (rpm),Vehicle Speed (km/h)\n";
  ASSERT_EQ(csv.rfind(header, 0), 0u);
  const double kmhPerRpm = FeetPerEngineRevolution(options.vehicle) * 0.3048 * 3600.0 / 1000.0 / 60.0;
  std::vector<std::array<double, 3>> rows;
  for (std::size_t at = header.size(); at < csv.size(); at = csv.find('\n', at) + 1) {
    std::array<double, 3> row{};
    ASSERT_EQ(std::sscanf(csv.c_str() + at, "%lf,%lf,%lf", &row[0], &row[1], &row[2]), 3);
    rows.push_back(row);
  }
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(std::floor(run.motion.back().timeSeconds * 20.0)) + 6);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const auto [time, rpm, kmh] = rows[k];
    EXPECT_NEAR(time, 0.05 * static_cast<double>(k), 0.0055) << k;  // jitter and the millisecond
    EXPECT_EQ(std::fmod(rpm, 10.0), 0.0) << k;
    EXPECT_NEAR(kmh, rpm * kmhPerRpm, 5.0 * kmhPerRpm + 0.005) << k;  // rounded apart
    EXPECT_TRUE(k >= 5 || rpm == 1000.0) << k;                        // idle rows at the start speed
    EXPECT_TRUE(k % 3 == 0 || rows[k - k % 3][1] == rpm) << k;        // held
    if (k < 5 || k % 3 != 0) continue;
    // An update is the true speed at its row's nominal time (the nearest 0.5 ms step), rounded.
    const double t = 0.05 * static_cast<double>(k - 5);
    const auto step = std::min_element(run.motion.begin(), run.motion.end(), [t](const auto& a, const auto& b) {
      return std::abs(a.timeSeconds - t) < std::abs(b.timeSeconds - t);
    });
    EXPECT_NEAR(rpm, 60.0 * step->revsPerSecond, 5.0 + 1.0) << k;  // half a step, and 0.25 ms of the rise
  }
}

TEST(SynthRun, RejectsOptionsItCannotSimulate) {
  const std::pair<void (*)(SynthOptions&), const char*> cases[] = {
      {[](SynthOptions& o) { o.sampleRate = 7999; }, "Option --sample-rate must be 8000 to 48000 Hz, not 7999"},
      {[](SynthOptions& o) { o.bits = 12; }, "Option --bits must be 8 or 16, not 12"},
      {[](SynthOptions& o) { o.sound = "piano"; }, "Option --sound must be clicks or engine, not \"piano\""},
      {[](SynthOptions& o) { o.sound = "engine", o.cylinders = 17; }, "Option --cylinders must be 1 to 16, not 17"},
      {[](SynthOptions& o) { o.sound = "engine", o.strokes = 3; }, "Option --strokes must be 4 or 2, not 3"},
      {[](SynthOptions& o) { o.sound = "engine", o.mic = "roof"; },
       "Option --mic must be cabin or exhaust, not \"roof\""},
      // An option of the other sound only, changed from its default.
      {[](SynthOptions& o) { o.mic = "exhaust"; }, "Option --mic applies to --sound engine only"},
      {[](SynthOptions& o) { o.cylinders = 6; }, "Option --cylinders applies to --sound engine only"},
      {[](SynthOptions& o) { o.sound = "engine", o.missingSparks = 0.1; },
       "Option --missing-sparks applies to --sound clicks only"},
      {[](SynthOptions& o) { o.sound = "engine", o.echoDelayMs = 3.0; },
       "Option --echo-delay-ms applies to --sound clicks only"},
      {[](SynthOptions& o) { o.vehicle.vehicleWeight = std::nan(""); },
       "Option --vehicle-weight must be 100 to 50000 lb, not nan"},
      {[](SynthOptions& o) { o.maxPulseLength = INFINITY; }, "Option --max-pulse-length must be a finite number"},
      {[](SynthOptions& o) { o.vehicle.frictionLossHp = 5.0; }, "Option --friction-loss-rpm must be above 0"},
      {[](SynthOptions& o) { o.logHold = 2; },
       "Options --log-rpm-step, --log-jitter-ms and --log-hold need --log-rate"},
      {[](SynthOptions& o) { o.vehicle.description.assign(106, 'x'); }, "at most 105 characters"},
      {[](SynthOptions& o) { o.ringHz = -1.0; }, "Option --ring-hz must be 0 to 20000 Hz, not -1"},
      {[](SynthOptions& o) { o.sampleRate = 11025, o.ringHz = 1838.0; },
       "Option --ring-hz must be at most a sixth of --sample-rate (1837.5 Hz at 11025 Hz), not 1838"},
      {[](SynthOptions& o) { o.sound = "engine", o.ringHz = 3000.0; },
       "Option --ring-hz applies to --sound clicks only"},
      {[](SynthOptions& o) { o.torque = TorqueCurve::Constant(2.0); },
       "At 1000 rpm the engine's torque of 2.0 ft-lb no longer accelerates the vehicle, short of the end rpm 6000"},
      {[](SynthOptions& o) {  // checked over the whole run, not only at its start
         std::string error;
         EXPECT_TRUE(TorqueCurve::FromPoints({{1000.0, 100.0}, {3000.0, 100.0}, {3500.0, 5.0}}, o.torque, error));
       },
       "no longer accelerates the vehicle, short of the end rpm 6000"},
      {[](SynthOptions& o) {
         o.vehicle.vehicleWeight = 40000.0;
         o.vehicle.rollingCoefficient = o.vehicle.dragCoefficient = 0.0;
         o.torque = TorqueCurve::Constant(100.0);
         o.endRpm = 6500.0;
         o.idleSeconds = o.liftOffSeconds = 60.0;
         o.sampleRate = 48000;
       },
       "more than a wave file of 48000 samples per second can hold"},
  };
  for (const auto& [change, message] : cases) {
    SynthOptions options;
    change(options);
    const SynthResult run = SynthesizeRun(options);
    EXPECT_TRUE(!run.ok && run.wave.empty());
    EXPECT_NE(run.error.find(message), std::string::npos) << run.error;
  }
}

}  // namespace
}  // namespace ruvo
