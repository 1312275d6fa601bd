#include "tracking/log_conversion.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "core/text_format.h"
#include "core/units.h"
#include "core/vehicle_model.h"
#include "core/wave_encoding.h"
#include "tracking/monotone_cubic.h"

namespace ruvo {
namespace {

constexpr double kFeetPerSecondPerKmh = 1000.0 / 0.3048 / 3600.0;
constexpr double kFeetPerSecondPerMph = 5280.0 / 3600.0;
constexpr double kFrameMarginSeconds = 0.5;  // of frames beyond the pull: the pulse track's lead and tail

// Engine rpm per unit of the road-speed column, through the gearing and tyre of vehicle.
bool RpmPerRoadSpeedUnit(const EngineSpeedLogOptions& options,
                         const LogColumns& columns,
                         const LogTable& table,
                         double& rpmPerUnit,
                         std::string& error) {
  if (!options.vehicle) {
    error = "the log holds road speed (\"" + table.names[*columns.speed] +
            "\"), which needs a run document's gearing and tyre to become engine speed";
    return false;
  }
  const double feetPerRevolution = FeetPerEngineRevolution(*options.vehicle);
  if (!(feetPerRevolution > 0.0) || !std::isfinite(feetPerRevolution)) {
    error = "the run document's gearing and tyre give no road distance per engine revolution";
    return false;
  }
  const double feetPerSecond = columns.speedUnit == RoadSpeedUnit::kMph ? kFeetPerSecondPerMph : kFeetPerSecondPerKmh;
  rpmPerUnit = feetPerSecond / feetPerRevolution * kSecondsPerMinute;
  return true;
}

// Frames every kLogFrameSeconds of the monotone cubic through the updates, from shortly before
// the pull to shortly after it; revolutions from the first frame.
std::vector<TrackFrame> InterpolatedFrames(const SpeedUpdates& updates, const LogPull& pull) {
  const MonotoneCubic speed(updates.seconds, updates.rpm);
  const double from = std::max(updates.seconds.front(), updates.seconds[pull.first] - kFrameMarginSeconds);
  const double to = std::min(updates.seconds.back(), updates.seconds[pull.last] + kFrameMarginSeconds);
  const double start = speed.Integral(from);
  std::vector<TrackFrame> frames;
  const auto count = static_cast<std::size_t>(std::floor((to - from) / kLogFrameSeconds)) + 1;
  for (std::size_t k = 0; k < count; ++k) {
    const double t = from + static_cast<double>(k) * kLogFrameSeconds;
    frames.push_back({t, speed.Value(t), (speed.Integral(t) - start) / kSecondsPerMinute, 1.0});
  }
  return frames;
}

// The pull within the frames: the stretch asked for as it is, or a found rise started as
// FindPull starts one (where the rise leaves the idle, or passes the start speed).
bool SpanOfPull(const EngineSpeedLog& log, const EngineSpeedLogOptions& options, PullSpan& span, std::string& error) {
  const std::vector<TrackFrame>& frames = log.frames;
  const double from = log.updates.seconds[log.pull.first], to = log.updates.seconds[log.pull.last];
  const auto inPull = [&](const TrackFrame& frame) { return frame.timeSeconds >= from && frame.timeSeconds <= to; };
  const auto first = static_cast<std::size_t>(std::find_if(frames.begin(), frames.end(), inPull) - frames.begin());
  const auto end = static_cast<std::size_t>(
      std::find_if(frames.begin() + static_cast<std::ptrdiff_t>(first), frames.end(), std::not_fn(inPull)) -
      frames.begin());
  if (end < first + 2) {
    error = FormatText("the pull (%.3f to %.3f s) is too short to follow", from, to);
    return false;
  }
  if (options.fromSeconds || options.toSeconds) {
    span.firstFrame = first;
    span.lastFrame = end - 1;
    span.startRpm = frames[first].rpm;
    span.peakRpm = frames[end - 1].rpm;
    return true;
  }
  const std::vector<TrackFrame> rise(frames.begin() + static_cast<std::ptrdiff_t>(first),
                                     frames.begin() + static_cast<std::ptrdiff_t>(end));
  if (!FindPull(rise, options.startRpm, span, error)) return false;
  span.firstFrame += first;
  span.lastFrame += first;
  return true;
}

std::vector<std::string> LogWarnings(const EngineSpeedLog& log, const EngineSpeedLogOptions& options) {
  std::vector<std::string> warnings;
  if (log.pull.updateRateHz < kSteadyLogRateHz)
    warnings.push_back(
        FormatText("the log updates the engine speed %.1f times a second in the pull; below %.1f the "
                   "peaks may be more than 2 %% off",
                   log.pull.updateRateHz, kSteadyLogRateHz));
  if (log.pull.jitterMs > kSteadyLogJitterMs)
    warnings.push_back(
        FormatText("the log's timestamps jitter by %.0f ms in the pull; above %.0f ms the peaks may be "
                   "more than 2 %% off",
                   log.pull.jitterMs, kSteadyLogJitterMs));
  if (log.span.startsAboveStartRpm)
    warnings.push_back(FormatText("the pull starts above the Initial RPM of %.0f: it is taken from its first update",
                                  options.startRpm));
  return warnings;
}

}  // namespace

bool ReadEngineSpeedLog(std::string_view text,
                        const EngineSpeedLogOptions& options,
                        EngineSpeedLog& log,
                        std::string& error) {
  log = EngineSpeedLog{};
  LogTimes times;
  if (!ReadLogTable(text, log.table, error) ||
      !ChooseLogColumns(log.table, options.columns, options.speedUnit, log.columns, error) ||
      !ReadLogTimes(log.table, log.columns.time, options.timeUnit, times, error))
    return false;
  log.timeForm = times.form;
  double rpmPerUnit = 1.0;
  if (log.columns.speed && !RpmPerRoadSpeedUnit(options, log.columns, log.table, rpmPerUnit, error)) return false;
  const std::size_t column = log.columns.rpm ? *log.columns.rpm : *log.columns.speed;
  if (!ReadSpeedUpdates(log.table, times, column, rpmPerUnit, log.updates, error) ||
      !ChooseLogPull(log.updates, options.fromSeconds, options.toSeconds, log.pull, error))
    return false;
  log.frames = InterpolatedFrames(log.updates, log.pull);
  if (!SpanOfPull(log, options, log.span, error)) return false;
  MeasureLogPull(log.updates, log.frames[log.span.firstFrame].timeSeconds, log.frames[log.span.lastFrame].timeSeconds,
                 log.pull);
  log.warnings = LogWarnings(log, options);
  return true;
}

bool ConvertEngineSpeedLog(std::string_view text,
                           const EngineSpeedLogOptions& options,
                           EngineSpeedLog& log,
                           PulseTrack& track,
                           std::string& error) {
  if (!ReadEngineSpeedLog(text, options, log, error) ||
      !MakePulseTrack(log.frames, log.span, options.revsPerPulse, track, error))
    return false;
  if (track.rateLimited) log.warnings.push_back(PulseRoundingWarning(track, log.span.peakRpm));
  return true;
}

std::string EngineSpeedLogOrigin(const EngineSpeedLogOptions& options, const EngineSpeedLog& log, std::int32_t rate) {
  const LogColumns& columns = log.columns;
  const std::string speed = columns.rpm ? "engine speed \"" + log.table.names[*columns.rpm] + "\""
                                        : "road speed \"" + log.table.names[*columns.speed] + "\" " +
                                              (columns.speedUnit == RoadSpeedUnit::kMph ? "mph" : "km/h");
  return OriginComment("Tracked", {"engine-speed log", "time \"" + log.table.names[columns.time] + "\" " + log.timeForm,
                                   speed, FormatText("revolutions per pulse %g", options.revsPerPulse),
                                   FormatText("pull %.3f-%.3f s", log.frames[log.span.firstFrame].timeSeconds,
                                              log.frames[log.span.lastFrame].timeSeconds),
                                   FormatText("updates %.1f Hz", log.pull.updateRateHz),
                                   FormatText("jitter %.0f ms", log.pull.jitterMs), FormatText("rate %d Hz", rate)});
}

}  // namespace ruvo
