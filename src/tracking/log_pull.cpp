#include "tracking/log_pull.h"

#include <algorithm>
#include <cmath>

#include "core/number_text.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr double kSmoothingSeconds = 0.5;  // the pull is judged on speeds averaged over this
constexpr double kDipRpm = 5.0;            // a dip of the averaged speed this small does not end a rise
constexpr double kJitterShare = 0.95;      // of the rows within the jitter
constexpr double kSteadySeconds = 0.5;     // a value repeated longer is a steady speed, not a logger's hold

// Mean of the speeds within kSmoothingSeconds / 2 of each update.
std::vector<double> SmoothedRpm(const SpeedUpdates& updates) {
  const std::vector<double>& t = updates.seconds;
  std::vector<double> smoothed(t.size());
  std::size_t from = 0, to = 0;
  double sum = 0.0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    while (to < t.size() && t[to] <= t[i] + kSmoothingSeconds / 2) sum += updates.rpm[to++];
    while (t[from] < t[i] - kSmoothingSeconds / 2) sum -= updates.rpm[from++];
    smoothed[i] = sum / static_cast<double>(to - from);
  }
  return smoothed;
}

// The stretch of the largest rise: it ends where the averaged speed falls more than kDipRpm below
// the highest it reached since the stretch began.
void LargestRise(const std::vector<double>& smoothed, std::size_t& first, std::size_t& last) {
  double bestRise = -1.0;
  std::size_t start = 0, peak = 0;
  for (std::size_t i = 0; i <= smoothed.size(); ++i) {
    if (i < smoothed.size() && smoothed[i] >= smoothed[peak] - kDipRpm) {
      if (smoothed[i] > smoothed[peak]) peak = i;
      continue;
    }
    const double rise = smoothed[peak] - smoothed[start];
    if (rise > bestRise) {
      bestRise = rise;
      first = start;
      last = peak;
    }
    start = peak = i;
  }
}

// The 95th percentile of the distance of the rows' times from their least-squares straight line
// against the row number: a steady logger stays on it, a jittering one scatters about it.
double JitterSeconds(const std::vector<double>& rows) {
  const auto n = static_cast<double>(rows.size());
  if (rows.size() < 3) return 0.0;
  double meanIndex = (n - 1.0) / 2.0, meanTime = 0.0;
  for (const double t : rows) meanTime += t / n;
  double sxy = 0.0, sxx = 0.0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const double dx = static_cast<double>(i) - meanIndex;
    sxy += dx * (rows[i] - meanTime);
    sxx += dx * dx;
  }
  const double step = sxy / sxx;
  std::vector<double> distances;
  for (std::size_t i = 0; i < rows.size(); ++i)
    distances.push_back(std::abs(rows[i] - (meanTime + step * (static_cast<double>(i) - meanIndex))));
  const auto at = static_cast<std::size_t>(std::floor(kJitterShare * (n - 1.0)));
  std::nth_element(distances.begin(), distances.begin() + static_cast<std::ptrdiff_t>(at), distances.end());
  return distances[at];
}

}  // namespace

bool ReadSpeedUpdates(const LogTable& table,
                      const LogTimes& times,
                      std::size_t column,
                      double rpmPerUnit,
                      SpeedUpdates& updates,
                      std::string& error) {
  updates = SpeedUpdates{};
  double sum = 0.0;  // of the rows at the last update's time
  int merged = 0;
  double heldSeconds = 0.0;  // the last row repeating the last update
  int heldLine = 0;
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    const LogRow& row = table.rows[r];
    const double t = times.seconds[r];
    if (r > 0 && t < times.seconds[r - 1]) {
      error = FormatText("line %d: time goes backwards, to %.3f s after %.3f s", row.line, t, times.seconds[r - 1]);
      return false;
    }
    const std::string& cell = row.cells[column];
    if (cell.empty()) continue;
    double value = 0.0;
    if (!ParseReal(cell, value)) {
      error = FormatText("line %d: \"%s\" is not a number", row.line, cell.c_str());
      return false;
    }
    const double rpm = value * rpmPerUnit;
    if (!(rpm >= 0.0 && rpm <= kHighestLogRpm)) {
      error = FormatText("line %d: %s is %.0f rpm, outside 0 to %.0f rpm", row.line, cell.c_str(), rpm, kHighestLogRpm);
      return false;
    }
    updates.rowSeconds.push_back(t);
    if (!updates.seconds.empty() && t == updates.seconds.back()) {
      sum += rpm;
      updates.rpm.back() = sum / ++merged;
      continue;
    }
    if (!updates.rpm.empty() && rpm == updates.rpm.back()) {  // held between updates, or steady
      heldSeconds = t;
      heldLine = row.line;
      continue;
    }
    // A value repeated for longer than a logger holds one, where the speed does not pass through
    // it from one side to the other, was the engine's steady speed (an idle, a limiter): it stays
    // until its last row, so that the interpolant does not ramp across the whole steady stretch.
    const std::size_t n = updates.rpm.size();
    const bool passesThrough = n >= 2 && (updates.rpm[n - 2] - updates.rpm[n - 1]) * (updates.rpm[n - 1] - rpm) > 0.0;
    if (n >= 1 && !passesThrough && heldSeconds - updates.seconds.back() >= kSteadySeconds) {
      updates.seconds.push_back(heldSeconds);
      updates.rpm.push_back(updates.rpm.back());
      updates.lines.push_back(heldLine);
    }
    heldSeconds = t;
    updates.seconds.push_back(t);
    updates.rpm.push_back(rpm);
    updates.lines.push_back(row.line);
    sum = rpm;
    merged = 1;
  }
  return true;
}

bool ChooseLogPull(const SpeedUpdates& updates,
                   std::optional<double> fromSeconds,
                   std::optional<double> toSeconds,
                   LogPull& pull,
                   std::string& error) {
  pull = LogPull{};
  const std::vector<double>& t = updates.seconds;
  if (t.size() < kFewestPullUpdates) {
    error = FormatText("only %zu engine-speed updates in the whole log; a pull needs at least %zu", t.size(),
                       kFewestPullUpdates);
    return false;
  }
  if (fromSeconds || toSeconds) {
    pull.first =
        static_cast<std::size_t>(std::lower_bound(t.begin(), t.end(), fromSeconds.value_or(t.front())) - t.begin());
    pull.last =
        static_cast<std::size_t>(std::upper_bound(t.begin(), t.end(), toSeconds.value_or(t.back())) - t.begin());
    pull.last = pull.last > 0 ? pull.last - 1 : 0;
  } else {
    const std::vector<double> smoothed = SmoothedRpm(updates);
    LargestRise(smoothed, pull.first, pull.last);
    // A steady stretch before the rise (an idle) is not part of it.
    const double idle = smoothed[pull.first];
    while (pull.first < pull.last && smoothed[pull.first + 1] <= idle + kDipRpm) ++pull.first;
    // The average peaks before the speed does where the speed falls fast after it: the pull ends
    // at the highest update near the average's peak.
    const double peakSeconds = t[pull.last];
    for (std::size_t i = pull.last + 1; i < t.size() && t[i] <= peakSeconds + kSmoothingSeconds; ++i)
      if (updates.rpm[i] > updates.rpm[pull.last]) pull.last = i;
  }
  if (pull.last < pull.first || pull.last - pull.first + 1 < kFewestPullUpdates) {
    const double from = fromSeconds.value_or(t[std::min(pull.first, t.size() - 1)]);
    error = FormatText("only %zu engine-speed updates in the pull (%.3f to %.3f s); it needs at least %zu",
                       pull.last < pull.first ? std::size_t{0} : pull.last - pull.first + 1, from,
                       toSeconds.value_or(t[pull.last]), kFewestPullUpdates);
    return false;
  }
  const double from = t[pull.first], to = t[pull.last];
  if (to - from > kLongestPullSeconds) {
    error = FormatText("the pull (%.3f to %.3f s) lasts longer than %.0f s", from, to, kLongestPullSeconds);
    return false;
  }
  for (std::size_t i = pull.first + 1; i <= pull.last; ++i)
    if (t[i] - t[i - 1] > kLongestLogGapSeconds && updates.rpm[i] != updates.rpm[i - 1]) {  // not a steady speed
      error = FormatText(
          "line %d: no engine-speed update for %.2f s before %.3f s, inside the pull; at most %.1f s "
          "can be bridged",
          updates.lines[i], t[i] - t[i - 1], t[i], kLongestLogGapSeconds);
      return false;
    }
  MeasureLogPull(updates, from, to, pull);
  return true;
}

void MeasureLogPull(const SpeedUpdates& updates, double fromSeconds, double toSeconds, LogPull& pull) {
  const std::vector<double>& t = updates.seconds;
  const auto first = std::lower_bound(t.begin(), t.end(), fromSeconds);
  const auto last = std::upper_bound(first, t.end(), toSeconds);
  pull.updateRateHz = last - first < 2 ? 0.0 : static_cast<double>(last - first - 1) / (*(last - 1) - *first);
  const auto rowsFrom = std::lower_bound(updates.rowSeconds.begin(), updates.rowSeconds.end(), fromSeconds);
  const auto rowsTo = std::upper_bound(rowsFrom, updates.rowSeconds.end(), toSeconds);
  pull.jitterMs = 1000.0 * JitterSeconds(std::vector<double>(rowsFrom, rowsTo));
}

}  // namespace ruvo
