#include "bench_runs.h"

#include <cmath>

namespace ruvo {
namespace {

constexpr double kStartRpm = 1000.0;
constexpr double kEndRpm = 6000.0;
constexpr double kRevsPerPulse = 2.0;
constexpr double kSampleRate = 44100.0;  // samples per second the times are rounded to

}  // namespace

SynthOptions MinuteLongRun() {
  SynthOptions options;
  options.vehicle.description = "Minute-long benchmark run";
  options.vehicle.vehicleWeight = 21000.0;  // a loaded truck: the run lasts about 60 s
  options.startRpm = kStartRpm;
  options.endRpm = kEndRpm;
  options.sampleRate = 44100;
  options.noise = 4.0;
  options.liftOffSeconds = 1.0;
  return options;
}

PulseTrain AcceleratingPulseTrain(std::int32_t pulseCount) {
  // rev(t) = r0 t + a t^2 / 2 with the speed rising linearly over the whole train.
  const double totalRevs = kRevsPerPulse * (pulseCount - 1);
  const double r0 = kStartRpm / 60.0;                                  // revolutions per second
  const double seconds = totalRevs / ((kStartRpm + kEndRpm) / 120.0);  // at the mean speed
  const double a = (kEndRpm - kStartRpm) / 60.0 / seconds;             // revolutions per second squared
  PulseTrain train;
  for (std::int32_t k = 0; k < pulseCount; ++k) {
    const double revs = kRevsPerPulse * k;
    const double t = (std::sqrt(r0 * r0 + 2.0 * a * revs) - r0) / a;
    train.times.push_back(std::round(t * kSampleRate) / kSampleRate);
    train.revolutions.push_back(revs);
  }
  return train;
}

}  // namespace ruvo
