#include "tracking/log_time.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

#include "core/number_text.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr double kSecondsPerDay = 86400.0;
constexpr double kEpochMilliseconds = 1e11;   // 1973 in milliseconds, 5138 in seconds
constexpr double kMillisecondSteps = 2.0;     // a median row step above this is not in seconds
constexpr double kMicrosecondSteps = 5000.0;  // nor, above this, in milliseconds

enum class TimeForm { kNumber, kClock, kDate };

// Whole digits of text[from, from + count) into value.
bool Digits(const std::string& text, std::size_t from, std::size_t count, int& value) {
  if (from + count > text.size()) return false;
  value = 0;
  for (std::size_t i = from; i < from + count; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    value = 10 * value + (text[i] - '0');
  }
  return true;
}

// "hh:mm:ss.sss" or "mm:ss.sss" (hours of any width) into seconds.
bool ReadClock(const std::string& text, double& seconds) {
  const std::size_t last = text.rfind(':');
  if (last == std::string::npos) return false;
  const std::size_t before = last == 0 ? std::string::npos : text.rfind(':', last - 1);
  double sec = 0.0;
  std::int32_t minutes = 0, hours = 0;
  const bool hasHours = before != std::string::npos;
  const std::size_t minutesFrom = hasHours ? before + 1 : 0;
  if (!ParseReal(text.substr(last + 1), sec) || sec < 0.0 || sec >= 61.0 ||
      !ParseInteger(text.substr(minutesFrom, last - minutesFrom), minutes) || minutes < 0 || minutes > 59 ||
      (hasHours && (!ParseInteger(text.substr(0, before), hours) || hours < 0)))
    return false;
  seconds = (hours * 60.0 + minutes) * 60.0 + sec;
  return true;
}

// Days from 1970-01-01 to the proleptic Gregorian date (H. Hinnant's days_from_civil).
double DaysFromCivil(int year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return static_cast<double>(era) * 146097.0 + dayOfEra - 719468.0;
}

// "YYYY-MM-DDThh:mm:ss.sss" (or a blank for T), with an optional "Z" or "+hh:mm" that a log
// keeps the same throughout, into seconds since 1970.
bool ReadDate(std::string text, double& seconds) {
  int year = 0, month = 0, day = 0;
  if (text.size() < 19 || !Digits(text, 0, 4, year) || text[4] != '-' || !Digits(text, 5, 2, month) || text[7] != '-' ||
      !Digits(text, 8, 2, day) || (text[10] != 'T' && text[10] != ' ') || month < 1 || month > 12 || day < 1 ||
      day > 31)
    return false;
  std::string clock = text.substr(11);
  if (!clock.empty() && (clock.back() == 'Z' || clock.back() == 'z')) clock.pop_back();
  const std::size_t zone = clock.find_first_of("+-");
  if (zone != std::string::npos) clock.resize(zone);
  double ofDay = 0.0;
  if (!ReadClock(clock, ofDay)) return false;
  seconds = DaysFromCivil(year, month, day) * kSecondsPerDay + ofDay;
  return true;
}

TimeForm FormOf(const std::string& cell) {
  if (cell.size() >= 19 && cell[4] == '-' && cell[7] == '-') return TimeForm::kDate;
  return cell.find(':') != std::string::npos ? TimeForm::kClock : TimeForm::kNumber;
}

LogTimeUnit UnitOfHeader(const std::string& name) {
  const std::string unit = SplitHeaderName(name).unit;
  if (unit == "s" || unit == "sec" || unit == "secs") return LogTimeUnit::kSeconds;
  if (unit == "ms" || unit == "msec") return LogTimeUnit::kMilliseconds;
  if (unit == "us" || unit == "usec" || unit == "\xC2\xB5s" || unit == "\xCE\xBCs") return LogTimeUnit::kMicroseconds;
  return LogTimeUnit::kAuto;
}

// The unit of plain numbers that a header does not give, from their size and spacing.
LogTimeUnit GuessUnit(const std::vector<double>& values) {
  if (values.front() >= kEpochMilliseconds) return LogTimeUnit::kMilliseconds;
  std::vector<double> steps;
  for (std::size_t i = 1; i < values.size(); ++i)
    if (values[i] > values[i - 1]) steps.push_back(values[i] - values[i - 1]);
  if (steps.empty()) return LogTimeUnit::kSeconds;
  std::nth_element(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2), steps.end());
  const double median = steps[steps.size() / 2];
  if (median > kMicrosecondSteps) return LogTimeUnit::kMicroseconds;
  return median > kMillisecondSteps ? LogTimeUnit::kMilliseconds : LogTimeUnit::kSeconds;
}

}  // namespace

bool ReadLogTimes(const LogTable& table, std::size_t column, LogTimeUnit unit, LogTimes& times, std::string& error) {
  times = LogTimes{};
  if (table.rows.empty()) {
    error = FormatText("line %d: no rows under the header", table.headerLine);
    return false;
  }
  const TimeForm form = FormOf(table.rows.front().cells[column]);
  std::vector<double>& values = times.seconds;
  for (const LogRow& row : table.rows) {
    const std::string& cell = row.cells[column];
    double value = 0.0;
    const bool read = form == TimeForm::kNumber  ? ParseReal(cell, value)
                      : form == TimeForm::kClock ? ReadClock(cell, value)
                                                 : ReadDate(cell, value);
    if (!read) {
      error = cell.empty() ? FormatText("line %d: no time", row.line)
                           : FormatText("line %d: \"%s\" is not a time", row.line, cell.c_str());
      return false;
    }
    // A clock that passes midnight starts again from 0.
    if (form == TimeForm::kClock && !values.empty() && value < values.back() - kSecondsPerDay / 2)
      value += kSecondsPerDay;
    values.push_back(value);
  }
  if (form == TimeForm::kNumber) {
    if (unit == LogTimeUnit::kAuto) unit = UnitOfHeader(table.names[column]);
    if (unit == LogTimeUnit::kAuto) unit = GuessUnit(values);
    const double scale = unit == LogTimeUnit::kMicroseconds ? 1e-6 : unit == LogTimeUnit::kMilliseconds ? 1e-3 : 1.0;
    for (double& value : values) value *= scale;
    times.form = unit == LogTimeUnit::kMicroseconds ? "microseconds"
                 : unit == LogTimeUnit::kMilliseconds
                     ? (values.front() >= kEpochMilliseconds * 1e-3 ? "epoch milliseconds" : "milliseconds")
                     : "seconds";
  } else {
    times.form = form == TimeForm::kClock ? "clock time" : "date and time";
  }
  const double origin = values.front();
  for (std::size_t r = 0; r < values.size(); ++r) {
    values[r] -= origin;
    if (!std::isfinite(values[r])) {
      error = FormatText("line %d: \"%s\" lies beyond any time from the first row", table.rows[r].line,
                         table.rows[r].cells[column].c_str());
      return false;
    }
  }
  return true;
}

}  // namespace ruvo
