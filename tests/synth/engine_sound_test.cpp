#include "synth/engine_sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "synth/synth_run.h"

namespace ruvo {
namespace {

using test::IsClose;

constexpr std::size_t kHeaderBytes = 44;
constexpr double kWindowRevs = 16.0;  // analysis window: a sixteenth of an order per DFT bin

SynthOptions EngineOptions(std::int32_t cylinders, std::int32_t strokes, const char* mic) {
  SynthOptions options;
  options.sound = "engine";
  options.cylinders = cylinders;
  options.strokes = strokes;
  options.mic = mic;
  options.idleSeconds = 1.0;
  return options;
}

SynthResult Synthesize(const SynthOptions& options) {
  SynthResult run = SynthesizeRun(options);
  EXPECT_TRUE(run.ok) << run.error;
  return run;
}

// The samples of a 16-bit recording, in steps of the 8-bit scale.
std::vector<double> Levels16(const SynthResult& run) {
  std::vector<double> x(static_cast<std::size_t>(run.sampleCount));
  for (std::size_t n = 0; n < x.size(); ++n)
    x[n] = static_cast<std::int16_t>(run.wave[kHeaderBytes + 2 * n] | run.wave[kHeaderBytes + 2 * n + 1] << 8) / 256.0;
  return x;
}

// Power of one engine order in a Hann window of kWindowRevs revolutions centred on centreRevs: a
// single DFT bin taken against the true revolutions rather than time, so the bin follows the
// engine as it speeds up. Revolutions between the integration steps are interpolated linearly
// (off by under 1e-6 rev in 0.5 ms steps).
class OrderAnalysis {
 public:
  OrderAnalysis(const SynthResult& run, int sampleRate) : rate(sampleRate), x(Levels16(run)), revs(x.size()) {
    std::size_t k = 0;
    for (std::size_t n = 0; n < x.size(); ++n) {
      const double t = static_cast<double>(n) / rate;
      while (k + 2 < run.motion.size() && run.motion[k + 1].timeSeconds <= t) ++k;
      const MotionStep &a = run.motion[k], &b = run.motion[k + 1];
      revs[n] = a.revolutions + (t - a.timeSeconds) / (b.timeSeconds - a.timeSeconds) * (b.revolutions - a.revolutions);
    }
  }

  double RevolutionsAt(double seconds) const { return revs[static_cast<std::size_t>(seconds * rate)]; }

  double Power(double order, double centreRevs) const {
    std::complex<double> sum;
    for (std::size_t n = 0; n < x.size(); ++n) {
      const double u = (revs[n] - centreRevs) / kWindowRevs;
      if (std::fabs(u) >= 0.5) continue;
      const double hann = 0.5 + 0.5 * std::cos(2.0 * std::numbers::pi * u);
      sum += x[n] * hann * std::polar(1.0, -2.0 * std::numbers::pi * order * revs[n]);
    }
    return std::norm(sum);
  }

 private:
  int rate;
  std::vector<double> x;
  std::vector<double> revs;
};

// Sparks every two firing intervals land on the odd firings, and both are placed on the motion
// independently: equal times and speeds show that the sound keeps the truth's phase.
TEST(EngineSound, FiringsKeepTheSimulatedPhase) {
  for (const auto& [cylinders, strokes] : {std::pair{4, 4}, std::pair{1, 4}, std::pair{6, 4}, std::pair{3, 2}}) {
    SCOPED_TRACE(testing::Message() << cylinders << " cylinders, " << strokes << " strokes");
    const double interval = strokes / 2.0 / cylinders;  // revolutions between firings
    SynthOptions options;
    options.vehicle.revsPerIgnition = 2.0 * interval;
    options.idleSeconds = options.liftOffSeconds = 0.5;
    const SynthResult run = Synthesize(options);
    const std::vector<EngineFiring> firings = EngineFirings(run.motion, cylinders, strokes);
    ASSERT_GE(firings.size(), 2 * run.sparks.size());
    EXPECT_LT(firings.back().timeSeconds, run.motion.back().timeSeconds);
    for (std::size_t j = 0; j < firings.size(); ++j) {
      ASSERT_TRUE(IsClose(firings[j].revolutions, static_cast<double>(j) * interval, 1e-15)) << j;
      ASSERT_EQ(firings[j].cylinder, static_cast<std::int32_t>(j) % cylinders);
    }
    for (std::size_t k = 0; k < run.sparks.size(); ++k) {
      const EngineFiring& firing = firings[2 * k + 1];
      // A nanosecond: the step lengths recorded as time differences may differ in their last bit.
      ASSERT_NEAR(firing.timeSeconds, run.sparks[k].timeSeconds, 1e-9) << k;
      ASSERT_NEAR(firing.revsPerSecond * 60.0, run.sparks[k].rpm, 1e-6) << k;
    }
  }
}

// In the middle of the idle stretch, through the pull and in the middle of the lift-off, the
// firing order towers over the orders between the lines of the engine's cycle. Under full
// throttle the line one cycle order below it, which only the differences between cylinders make,
// stands clear of them too (when lifted off the combustions are weak and the road noise hides
// it). A 2-stroke's cycle is one revolution: it fires twice as often as a 4-stroke of as many
// cylinders and has no half orders.
TEST(EngineSound, SpectrumPeaksAtTheFiringOrderWithCylinderOrdersBelow) {
  for (const auto& [cylinders, strokes, mic] :
       {std::tuple{4, 4, "cabin"}, std::tuple{6, 4, "exhaust"}, std::tuple{3, 2, "cabin"}, std::tuple{3, 4, "exhaust"},
        std::tuple{2, 2, "exhaust"}}) {
    SCOPED_TRACE(testing::Message() << cylinders << " cylinders, " << strokes << " strokes, " << mic);
    SynthOptions options = EngineOptions(cylinders, strokes, mic);
    options.liftOffSeconds = 1.0;
    const SynthResult run = Synthesize(options);
    const OrderAnalysis analysis(run, options.sampleRate);
    const double firingOrder = 2.0 * cylinders / strokes;
    const double cycleOrder = 2.0 / strokes;
    const double pull = run.runEndSeconds - run.runStartSeconds;
    for (const auto& [seconds, fullThrottle] :
         {std::pair{0.5 * run.runStartSeconds, false}, std::pair{run.runStartSeconds + 0.2 * pull, true},
          std::pair{run.runStartSeconds + 0.5 * pull, true}, std::pair{run.runStartSeconds + 0.8 * pull, true},
          std::pair{run.runEndSeconds + 0.5, false}}) {
      SCOPED_TRACE(testing::Message() << "at " << seconds << " s");
      const double centre = analysis.RevolutionsAt(seconds);
      const double firing = analysis.Power(firingOrder, centre);
      const double cylinderLine = analysis.Power(firingOrder - cycleOrder, centre);
      const double between = std::max(analysis.Power(firingOrder - 0.5 * cycleOrder, centre),
                                      analysis.Power(firingOrder + 0.5 * cycleOrder, centre));
      if (cylinders == 1) continue;
      EXPECT_LT(cylinderLine, firing);
      if (fullThrottle) {
        EXPECT_GT(cylinderLine, 10.0 * between);
      }
    }
  }
}

TEST(EngineSound, PhoneLevelSeedsAndMicrophones) {
  SynthOptions options = EngineOptions(4, 4, "cabin");
  options.noise = 0.0;
  const SynthResult cabin = Synthesize(options);
  EXPECT_EQ(cabin.wave[34], 16);  // bits per sample: 16 unless --bits says otherwise
  std::vector<double> x = Levels16(cabin);
  const auto [low, high] = std::minmax_element(x.begin(), x.end());
  EXPECT_NEAR(std::max(-*low, *high), 40.0, 1.0 / 256.0);  // -10 dBFS peak, to the 16-bit step

  // The simulation is the clicks', only the sound differs.
  SynthOptions clicks;
  clicks.idleSeconds = 1.0;
  clicks.noise = 0.0;
  const SynthResult clickRun = Synthesize(clicks);
  EXPECT_EQ(cabin.document, clickRun.document);
  EXPECT_EQ(cabin.sampleCount, clickRun.sampleCount);
  EXPECT_EQ(cabin.truth.size(), clickRun.truth.size());
  ASSERT_EQ(cabin.sparks.size(), clickRun.sparks.size());
  for (std::size_t k = 0; k < cabin.sparks.size(); ++k)
    ASSERT_EQ(cabin.sparks[k].timeSeconds, clickRun.sparks[k].timeSeconds);

  EXPECT_EQ(Synthesize(options).wave, cabin.wave);
  options.seed = 2;
  EXPECT_NE(Synthesize(options).wave, cabin.wave);
  options.seed = 1;
  options.bits = 8;
  const SynthResult coarse = Synthesize(options);
  ASSERT_EQ(coarse.wave.size(), kHeaderBytes + x.size() + x.size() % 2);
  for (std::size_t n = 0; n < x.size(); ++n) ASSERT_NEAR(coarse.wave[kHeaderBytes + n] - 128.0, x[n], 0.5) << n;

  // Mean squared slope over mean square: the squared mean frequency, far higher at the exhaust.
  const auto brightness = [](const std::vector<double>& v) {
    double slope = 0.0, level = 0.0;
    for (std::size_t n = 1; n < v.size(); ++n) slope += (v[n] - v[n - 1]) * (v[n] - v[n - 1]), level += v[n] * v[n];
    return slope / level;
  };
  options.bits = 0;
  options.mic = "exhaust";
  EXPECT_GT(brightness(Levels16(Synthesize(options))), 4.0 * brightness(x));
}

}  // namespace
}  // namespace ruvo
