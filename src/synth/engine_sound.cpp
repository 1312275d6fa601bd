#include "synth/engine_sound.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "core/units.h"
#include "core/vehicle_model.h"
#include "synth/biquad_filter.h"
#include "synth/hermite_step.h"
#include "synth/recorder_effects.h"
#include "synth/synth_random.h"
#include "synth/vehicle_motion.h"

namespace ruvo {
namespace {

// The combustion pulse, the same at every speed: a pressure wave with a sharp crack at its start,
// which only an open path (the exhaust) lets through.
constexpr double kPulseDecaySeconds = 0.002;  // tau
constexpr double kPulseRingHz = 160.0;        // f
constexpr double kPulseDecays = 8.0;          // a pulse is cut after this many tau (3e-4 of its peak)
constexpr double kCrackDecaySeconds = 0.0004;
constexpr double kCrackRingHz = 1500.0;
constexpr double kCrackShare = 0.6;  // of the pulse's height

// How the cylinders differ: each draws its timing and pulse shape within +- these; the gains are
// drawn too, then scaled to one spread, so that every seed gives half orders of the same strength.
constexpr double kCylinderGainDeviation = 0.15;      // root mean square about a mean gain of 1
constexpr double kCylinderShapeSpread = 0.08;        // share of tau and f
constexpr double kCylinderTimingSpreadRevs = 0.006;  // about 2 degrees of crank
constexpr double kCombustionDeviation = 0.04;        // one combustion's height varies so (standard deviation)
constexpr double kOverrunShare = 0.3;                // pulse height without torque, as a share of full load's

constexpr double kIntakeHz = 700.0;  // centre of the intake roar
constexpr double kIntakeQ = 0.8;
constexpr double kRoadHz = 250.0;         // road noise is rumble below this
constexpr double kReferenceRpm = 6000.0;  // the noise levels are given at these speeds
constexpr double kReferenceMph = 60.0;
constexpr double kSecondsPerHour = 3600.0;
constexpr double kNoiseReferenceRate = 44100.0;  // white noise is scaled to this rate's density
constexpr double kMicrophoneHighPassHz = 20.0;
constexpr double kButterworthQ = std::numbers::sqrt2 / 2.0;  // flattest pass band of a second-order filter
constexpr double kPhonePeakSteps = 40.0;                     // of the 8-bit scale's 128 either side of silence

constexpr std::uint64_t kCylinderStream = 4;  // the recorder's noise and the sparks use 1 to 3
constexpr std::uint64_t kCombustionStream = 5;
constexpr std::uint64_t kIntakeStream = 6;
constexpr std::uint64_t kRoadStream = 7;

struct Resonance {
  double hz;
  double q;
  double gain;  // at its centre, against the pulses' direct path
};

// Where the phone listens. Noise deviations are of white noise at kNoiseReferenceRate before its
// band filter, relative to a full-load pulse's height.
struct MicPath {
  double lowPassHz;
  double pulseGain;
  std::array<Resonance, 2> resonances;
  double intakeDeviation;  // at kReferenceRpm
  double roadDeviation;    // at kReferenceMph
};

// The cabin muffles the engine and booms; the exhaust is bright, loud and far from the tyres.
constexpr MicPath kCabin = {250.0, 1.0, {{{55.0, 5.0, 2.5}, {95.0, 4.0, 1.2}}}, 0.05, 0.08};
constexpr MicPath kExhaust = {3000.0, 2.0, {{{130.0, 3.0, 1.0}, {420.0, 5.0, 0.6}}}, 0.06, 0.02};

struct Cylinder {
  double gain;
  double timingRevs;
  double decaySeconds;
  double ringHz;
};

double Spread(SynthRandom& random, double spread) {
  return spread * (2.0 * random.Uniform() - 1.0);
}

std::vector<Cylinder> DrawCylinders(const SynthOptions& options) {
  SynthRandom random(options.seed, kCylinderStream);
  std::vector<Cylinder> cylinders(static_cast<std::size_t>(options.cylinders));
  const auto size = static_cast<double>(cylinders.size());
  double meanGain = 0.0;
  double meanTiming = 0.0;
  for (Cylinder& c : cylinders) {
    c.gain = Spread(random, 1.0);
    c.timingRevs = Spread(random, kCylinderTimingSpreadRevs);
    c.decaySeconds = kPulseDecaySeconds * (1.0 + Spread(random, kCylinderShapeSpread));
    c.ringHz = kPulseRingHz * (1.0 + Spread(random, kCylinderShapeSpread));
    meanGain += c.gain / size;
    meanTiming += c.timingRevs / size;
  }
  double squares = 0.0;
  for (const Cylinder& c : cylinders) squares += (c.gain - meanGain) * (c.gain - meanGain) / size;
  const double scale = squares > 0.0 ? kCylinderGainDeviation / std::sqrt(squares) : 0.0;
  for (Cylinder& c : cylinders) {
    c.gain = 1.0 + scale * (c.gain - meanGain);
    c.timingRevs -= meanTiming;
  }
  return cylinders;
}

// Adds one pulse of the given height and shape from its firing time on.
void AddPulse(std::vector<double>& sound, double seconds, double height, const Cylinder& shape, double rate) {
  const double span = kPulseDecays * shape.decaySeconds;
  const double w = 2.0 * std::numbers::pi * shape.ringHz;
  const double crackW = 2.0 * std::numbers::pi * kCrackRingHz;
  for (auto n = static_cast<std::size_t>(std::max(0.0, std::ceil(seconds * rate))); n < sound.size(); ++n) {
    const double delay = static_cast<double>(n) / rate - seconds;
    if (delay >= span) break;
    sound[n] += height * (std::exp(-delay / shape.decaySeconds) * std::sin(w * delay) +
                          kCrackShare * std::exp(-delay / kCrackDecaySeconds) * std::sin(crackW * delay));
  }
}

std::vector<double> PulseTrain(const SynthOptions& options, const std::vector<MotionStep>& steps, std::size_t count) {
  std::vector<double> pulses(count, 0.0);
  double fullTorque = 0.0;
  for (const MotionStep& step : steps) fullTorque = std::max(fullTorque, step.torqueFtLb);
  const std::vector<Cylinder> cylinders = DrawCylinders(options);
  SynthRandom combustion(options.seed, kCombustionStream);
  for (const EngineFiring& firing : EngineFirings(steps, options.cylinders, options.strokes)) {
    const Cylinder& cylinder = cylinders[static_cast<std::size_t>(firing.cylinder)];
    const double load = fullTorque > 0.0 ? std::clamp(firing.torqueFtLb / fullTorque, 0.0, 1.0) : 1.0;
    const double height = cylinder.gain * (kOverrunShare + (1.0 - kOverrunShare) * load) *
                          (1.0 + kCombustionDeviation * combustion.Normal());
    const double seconds = firing.timeSeconds + cylinder.timingRevs / firing.revsPerSecond;
    AddPulse(pulses, seconds, height, cylinder, options.sampleRate);
  }
  return pulses;
}

// Engine speed at increasing times, linear between the steps: enough for noise levels.
class SpeedCursor {
 public:
  explicit SpeedCursor(const std::vector<MotionStep>& motionSteps) : steps(motionSteps) {}

  double RevsPerSecond(double seconds) {
    while (next + 1 < steps.size() && steps[next].timeSeconds <= seconds) ++next;
    const MotionStep& a = steps[next == 0 ? 0 : next - 1];
    const MotionStep& b = steps[next];
    if (!(b.timeSeconds > a.timeSeconds) || seconds >= b.timeSeconds) return b.revsPerSecond;
    const double fraction = std::max(0.0, (seconds - a.timeSeconds) / (b.timeSeconds - a.timeSeconds));
    return a.revsPerSecond + fraction * (b.revsPerSecond - a.revsPerSecond);
  }

 private:
  const std::vector<MotionStep>& steps;
  std::size_t next = 0;
};

}  // namespace

std::vector<EngineFiring> EngineFirings(const std::vector<MotionStep>& steps,
                                        std::int32_t cylinders,
                                        std::int32_t strokes) {
  std::vector<EngineFiring> firings;
  if (cylinders < 1) return firings;
  const double revsPerCycle = 2.0 * static_cast<double>(cylinders);  // firing j at j x strokes / revsPerCycle
  for (std::size_t i = 0; i + 1 < steps.size(); ++i) {
    const MotionStep& a = steps[i];
    const MotionStep& b = steps[i + 1];
    const double h = b.timeSeconds - a.timeSeconds;
    if (!(h > 0.0)) continue;
    const HermiteStep revolutions{a.revolutions, b.revolutions, a.revsPerSecond, b.revsPerSecond, h};
    const HermiteStep speed{a.revsPerSecond, b.revsPerSecond, a.angularAcceleration, b.angularAcceleration, h};
    for (;;) {
      const auto j = static_cast<std::int32_t>(firings.size());
      const double target = static_cast<double>(j) * strokes / revsPerCycle;
      if (target > b.revolutions) break;
      const double tau = revolutions.Solve(target);
      const double torque = a.torqueFtLb + tau / h * (b.torqueFtLb - a.torqueFtLb);
      firings.push_back({a.timeSeconds + tau, target, speed.Value(tau), torque, j % cylinders});
    }
  }
  return firings;
}

std::vector<double> RenderEngineLevels(const SynthOptions& options,
                                       const std::vector<MotionStep>& steps,
                                       std::int32_t sampleCount) {
  const auto count = static_cast<std::size_t>(std::max(0, sampleCount));
  const double rate = options.sampleRate;
  const MicPath& mic = options.mic == "exhaust" ? kExhaust : kCabin;
  std::vector<double> sound = PulseTrain(options, steps, count);

  BiquadFilter muffle = BiquadFilter::LowPass(mic.lowPassHz, kButterworthQ, rate);
  std::array<BiquadFilter, 2> resonators = {BiquadFilter::Resonator(mic.resonances[0].hz, mic.resonances[0].q, rate),
                                            BiquadFilter::Resonator(mic.resonances[1].hz, mic.resonances[1].q, rate)};
  BiquadFilter intakeBand = BiquadFilter::Resonator(kIntakeHz, kIntakeQ, rate);
  BiquadFilter roadBand = BiquadFilter::LowPass(kRoadHz, kButterworthQ, rate);
  BiquadFilter microphone = BiquadFilter::HighPass(kMicrophoneHighPassHz, kButterworthQ, rate);
  SynthRandom intakeRandom(options.seed, kIntakeStream);
  SynthRandom roadRandom(options.seed, kRoadStream);
  SpeedCursor cursor(steps);
  const double white = std::sqrt(rate / kNoiseReferenceRate);  // the same noise per hertz at every rate
  const double mphPerRevsPerSecond =
      VehicleMotion(options.vehicle).FeetPerRevolution() * kSecondsPerHour / kFeetPerMile;
  double largest = 0.0;
  for (std::size_t n = 0; n < count; ++n) {
    const double revsPerSecond = cursor.RevsPerSecond(static_cast<double>(n) / rate);
    const double rpmShare = revsPerSecond * kSecondsPerMinute / kReferenceRpm;
    const double mphShare = revsPerSecond * mphPerRevsPerSecond / kReferenceMph;
    const double source = sound[n] + mic.intakeDeviation * rpmShare * intakeBand.Next(white * intakeRandom.Normal());
    double heard = mic.pulseGain * muffle.Next(source);
    for (std::size_t r = 0; r < resonators.size(); ++r) heard += mic.resonances[r].gain * resonators[r].Next(source);
    heard += mic.roadDeviation * mphShare * roadBand.Next(white * roadRandom.Normal());
    sound[n] = microphone.Next(heard);
    largest = std::max(largest, std::fabs(sound[n]));
  }
  if (largest > 0.0)
    for (double& value : sound) value *= kPhonePeakSteps / largest;
  ApplyRecorder(options, sound);
  return sound;
}

}  // namespace ruvo
