#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_parameters.h"
#include "tracking/log_columns.h"
#include "tracking/log_pull.h"
#include "tracking/log_time.h"
#include "tracking/pulse_track.h"

namespace ruvo {

// How an engine-speed log becomes a pulse track.
struct EngineSpeedLogOptions {
  LogColumnRequest columns;
  LogTimeUnit timeUnit = LogTimeUnit::kAuto;
  RoadSpeedUnit speedUnit = RoadSpeedUnit::kAuto;
  // The run document's vehicle: its gearing and tyre turn a road speed into engine speed; a log
  // of road speed cannot be converted without it.
  std::optional<RunParameters> vehicle;
  // The pull, in seconds from the log's first row: from the start or to the end where only one
  // is given; found by itself where neither is.
  std::optional<double> fromSeconds;
  std::optional<double> toSeconds;
  double startRpm = 0.0;      // a found pull starts where the engine rises through this; 0: where it rises
  double revsPerPulse = 1.0;  // revolutions between the track's pulses: the document's Rev/Spark
};

// What the reading of a log found, before any pulse track: enough for a dialog to show the
// columns and draw the pull.
struct EngineSpeedLog {
  LogTable table;
  LogColumns columns;
  std::string timeForm;  // LogTimes::form
  SpeedUpdates updates;  // engine speed, road speed already converted
  LogPull pull;
  std::vector<TrackFrame> frames;     // the interpolated speed and revolutions around the pull
  PullSpan span;                      // the pull within frames
  std::vector<std::string> warnings;  // each a sentence, without "warning: "
};

// Seconds between the frames of an interpolated log: fine enough that the pulse track's cubic
// between frames follows the interpolant to a millionth of a revolution.
inline constexpr double kLogFrameSeconds = 0.005;

// Below this update rate or above this jitter a log's peaks may be more than 2 % off: a warning
// says so. Measured (scripts/log-sweep, default smoothing): down to 1.1 updates a second (an update
// held over nine rows of a 10 Hz log) and up to 60 ms of jitter the peaks stay within 1.3 %; at
// 100 ms they are 2.1 % off. Slower than one update a second, a pull has gaps that are refused.
inline constexpr double kSteadyLogRateHz = 1.1;
inline constexpr double kSteadyLogJitterMs = 60.0;

// Reads a logger's text, chooses its columns and pull, and interpolates the engine speed's real
// updates with a monotone cubic whose integral gives the revolutions, in frames every
// kLogFrameSeconds from shortly before the pull to shortly after it. Returns false with one line
// in error (from ReadLogTable, ReadLogTimes, ChooseLogColumns, ReadSpeedUpdates, ChooseLogPull,
// FindPull, or a road speed without the vehicle).
bool ReadEngineSpeedLog(std::string_view text,
                        const EngineSpeedLogOptions& options,
                        EngineSpeedLog& log,
                        std::string& error);

// ReadEngineSpeedLog, then MakePulseTrack of its pull: the track and its report in log.
bool ConvertEngineSpeedLog(std::string_view text,
                           const EngineSpeedLogOptions& options,
                           EngineSpeedLog& log,
                           PulseTrack& track,
                           std::string& error);

// The origin comment of a log's pulse track: the columns, revolutions per pulse, the pull's
// stretch of the log, its update rate and jitter, and the rate.
std::string EngineSpeedLogOrigin(const EngineSpeedLogOptions& options, const EngineSpeedLog& log, std::int32_t rate);

}  // namespace ruvo
