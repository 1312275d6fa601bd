#pragma once

#include <string>
#include <vector>

#include "tracking/log_table.h"

namespace ruvo {

// The unit of a time column of plain numbers; kAuto reads it from the header ("Time [ms]",
// "time_us") or, failing that, from the values.
enum class LogTimeUnit { kAuto, kSeconds, kMilliseconds, kMicroseconds };

// A time column read into seconds from its first row, one per row of the table.
struct LogTimes {
  std::vector<double> seconds;
  std::string form;  // how the column was read: "seconds", "milliseconds", "clock time", ...
};

// Reads column (0-based) of every row as a time: a number in unit (epoch milliseconds when the
// values are 10^11 and more; otherwise, without a unit in the header, milliseconds when rows lie
// more than 2 apart and microseconds when more than 5000: no logger records a pull at one row in
// two seconds), a clock time "hh:mm:ss.sss" or "mm:ss.sss" (passing midnight adds a day), or an
// ISO date-time "YYYY-MM-DD hh:mm:ss.sss" with "T" or a blank between, an optional "Z" or offset
// ignored (a log keeps one zone). Returns false with "line N: ..." in error for a blank or
// unreadable time.
bool ReadLogTimes(const LogTable& table, std::size_t column, LogTimeUnit unit, LogTimes& times, std::string& error);

}  // namespace ruvo
