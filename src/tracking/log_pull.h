#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "tracking/log_table.h"
#include "tracking/log_time.h"

namespace ruvo {

// The engine speed as a logger updated it: one entry per real update, in time order, with the
// rows that merely repeated the last value, blank cells and duplicate timestamps taken out.
struct SpeedUpdates {
  std::vector<double> seconds;  // from the log's first row
  std::vector<double> rpm;
  std::vector<int> lines;          // file line of each update
  std::vector<double> rowSeconds;  // every row with a speed, repeats included: the logger's rhythm
};

// Engine speeds a log may hold, in rpm; a value outside is a wrong column or a broken line.
inline constexpr double kHighestLogRpm = 30000.0;

// Reads column (engine speed, or road speed times rpmPerUnit) of the rows with a value: merges
// rows of one timestamp into their mean, drops a value equal to the last update (a logger holding
// it between updates) so that held values do not become plateaus, but keeps the last row of a
// value repeated for half a second or more that the speed does not pass through on its way up or
// down (a steady speed, such as an idle). Returns false with "line N:
// ..." in error for a non-number, a value below 0 or above kHighestLogRpm (in the column's own
// unit), or time going backwards.
bool ReadSpeedUpdates(const LogTable& table,
                      const LogTimes& times,
                      std::size_t column,
                      double rpmPerUnit,
                      SpeedUpdates& updates,
                      std::string& error);

// The stretch of updates taken as the pull, and how finely the log samples it.
struct LogPull {
  std::size_t first = 0;  // update indices, last included
  std::size_t last = 0;
  double updateRateHz = 0.0;  // updates per second within the pull
  double jitterMs = 0.0;      // 95th percentile of the rows' distance from a steady rate
};

// A pull needs at least this many updates: the smoothing of the calculation needs points to fit.
inline constexpr std::size_t kFewestPullUpdates = 10;
// A longer time without an update inside the pull is refused: no interpolant knows the engine
// speed across it.
inline constexpr double kLongestLogGapSeconds = 1.0;

// A longer pull is refused: a pull at full throttle in one gear lasts seconds, not minutes.
inline constexpr double kLongestPullSeconds = 300.0;

// Chooses the pull: the updates from fromSeconds (or the first) to toSeconds (or the last) when
// either is given, otherwise the stretch of rising engine speed with the largest rise, judged on the speed
// averaged over half a second so that a dip of a few rpm (rounding, jitter) does not split it.
// Measures its update rate and jitter. Returns false with one line in error for too few updates
// in it, a gap longer than kLongestLogGapSeconds, or a pull longer than kLongestPullSeconds.
bool ChooseLogPull(const SpeedUpdates& updates,
                   std::optional<double> fromSeconds,
                   std::optional<double> toSeconds,
                   LogPull& pull,
                   std::string& error);

// Measures pull's update rate and jitter over the updates and rows from fromSeconds to toSeconds.
void MeasureLogPull(const SpeedUpdates& updates, double fromSeconds, double toSeconds, LogPull& pull);

}  // namespace ruvo
