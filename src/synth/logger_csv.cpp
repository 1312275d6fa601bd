#include "synth/logger_csv.h"

#include <algorithm>
#include <cmath>

#include "core/text_format.h"
#include "core/units.h"
#include "core/vehicle_model.h"
#include "synth/synth_random.h"

namespace ruvo {
namespace {

constexpr std::uint64_t kLoggerStream = 8;  // the sounds use streams 1 to 7
constexpr double kKmhPerFootPerSecond = 0.3048 * 3600.0 / 1000.0;
constexpr double kMillisecond = 0.001;

// Engine revolutions per second at t, linear between the simulation's 0.5 ms steps.
double RevsPerSecondAt(const std::vector<MotionStep>& steps, double t) {
  const auto after = std::upper_bound(steps.begin(), steps.end(), t,
                                      [](double time, const MotionStep& step) { return time < step.timeSeconds; });
  if (after == steps.begin()) return steps.front().revsPerSecond;
  if (after == steps.end()) return steps.back().revsPerSecond;
  const MotionStep& a = *(after - 1);
  const MotionStep& b = *after;
  const double s = (t - a.timeSeconds) / (b.timeSeconds - a.timeSeconds);
  return a.revsPerSecond + s * (b.revsPerSecond - a.revsPerSecond);
}

}  // namespace

std::string FormatLoggerCsv(const SynthOptions& options, const std::vector<MotionStep>& steps) {
  const double period = 1.0 / options.logRateHz;
  const double feetPerRevolution = FeetPerEngineRevolution(options.vehicle);
  const double jitter = options.logJitterMs * kMillisecond;
  SynthRandom random(options.seed, kLoggerStream);
  std::string text = "Time (s),Engine RPM (rpm),Vehicle Speed (km/h)\n";
  double rpm = 0.0, kmh = 0.0;
  double lastWritten = -1.0;
  for (long row = 0;; ++row) {
    const double nominal = static_cast<double>(row) * period;
    const double motionTime = nominal - kLoggerIdleRows * period;
    if (motionTime > steps.back().timeSeconds) break;
    if (row % (options.logHold + 1) == 0) {
      const double revsPerSecond = RevsPerSecondAt(steps, std::max(motionTime, 0.0));
      rpm = std::round(revsPerSecond * kSecondsPerMinute / options.logRpmStep) * options.logRpmStep;
      kmh = std::round(100.0 * revsPerSecond * feetPerRevolution * kKmhPerFootPerSecond) / 100.0;
    }
    const double stamped = nominal + jitter * (2.0 * random.Uniform() - 1.0);
    const double written = std::max(std::round(stamped / kMillisecond) * kMillisecond, lastWritten + kMillisecond);
    lastWritten = written;
    AppendText(text, "%.3f,%.10g,%.2f\n", written, rpm, kmh);
  }
  return text;
}

}  // namespace ruvo
