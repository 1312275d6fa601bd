#include "synth/synth_run.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/text_format.h"
#include "core/vehicle_model.h"
#include "core/wave_encoding.h"
#include "synth/engine_sound.h"
#include "synth/ignition_sound.h"
#include "synth/logger_csv.h"
#include "synth/recorder_effects.h"

namespace ruvo {
namespace {

constexpr double kTailSeconds = 0.002;  // quiet end after the last burst has died away
constexpr double kLongestRecordingSamples = 9'999'999.0;
constexpr double kDefaultPulsePercent = 20.0;
constexpr double kLongestPulsePercent = 50.0;
constexpr double kPulseMargin = 2.0;  // the estimate allows twice the burst

std::vector<TruthRow> TruthTable(const SynthOptions& options) {
  std::vector<TruthRow> rows;
  const auto first = static_cast<long>(std::ceil(options.startRpm / kRpmGridStep));
  const auto last = static_cast<long>(std::floor(options.endRpm / kRpmGridStep));
  for (long k = first; k <= last; ++k) {
    const double rpm = static_cast<double>(k) * kRpmGridStep;
    const double torque = options.torque.TorqueAt(rpm);
    rows.push_back({rpm, torque, 2.0 * kPi * torque * (rpm / kSecondsPerMinute) / kFootPoundsPerSecondPerHp});
  }
  return rows;
}

// Pulse duration in percent of the spark interval: twice the burst at the shortest interval of
// the run, and never less than the form's usual 20 %.
double PulseLengthEstimate(const SynthOptions& options) {
  const double shortestInterval = options.vehicle.revsPerIgnition * kSecondsPerMinute / options.endRpm;
  const double percent = std::ceil(100.0 * kPulseMargin * kSparkBurstSeconds / shortestInterval);
  return std::clamp(percent, kDefaultPulsePercent, kLongestPulsePercent);
}

RunParameters DocumentParameters(const SynthOptions& options) {
  RunParameters document = options.vehicle;
  document.waveFiles.clear();
  if (document.description.empty())
    document.description = FormatText("Synthetic run, seed %llu", static_cast<unsigned long long>(options.seed));
  document.initialRpm =
      options.initialRpm != 0 ? options.initialRpm : static_cast<std::int32_t>(std::lround(options.startRpm));
  document.finalRpm = options.finalRpm != 0 ? options.finalRpm : static_cast<std::int32_t>(std::lround(options.endRpm));
  document.maxPulseLength = options.maxPulseLength != 0.0 ? options.maxPulseLength : PulseLengthEstimate(options);
  return document;
}

}  // namespace

SynthResult SynthesizeRun(const SynthOptions& options) {
  SynthResult result;
  result.error = ValidateSynthOptions(options);
  if (!result.error.empty()) return result;

  IgnitionMotion motion;
  if (!SimulateIgnition(options, motion, result.error)) return result;
  const double samples = std::ceil((motion.endSeconds + kSparkBurstSeconds + kTailSeconds) * options.sampleRate);
  if (samples > kLongestRecordingSamples) {
    result.error = FormatText(
        "The recording would last %.1f s, more than a wave file of %d samples per second can hold; "
        "shorten the run or lower --sample-rate",
        samples / options.sampleRate, options.sampleRate);
    return result;
  }

  const auto count = static_cast<std::int32_t>(samples);
  const std::vector<double> levels = IsEngineSound(options) ? RenderEngineLevels(options, motion.steps, count)
                                                            : RenderIgnitionLevels(options, motion.sparks, count);
  result.wave = SampleBits(options) == 16 ? EncodeWave16(levels, options.sampleRate)
                                          : EncodeEightBitWave(RoundToEightBit(levels), options.sampleRate);
  result.sampleCount = count;
  result.sparks = std::move(motion.sparks);
  if (options.logRateHz > 0.0) result.loggerCsv = FormatLoggerCsv(options, motion.steps);
  result.motion = std::move(motion.steps);
  result.truth = TruthTable(options);
  result.runStartSeconds = motion.runStartSeconds;
  result.runEndSeconds = motion.runEndSeconds;
  result.document = DocumentParameters(options);
  result.ok = true;
  return result;
}

}  // namespace ruvo
