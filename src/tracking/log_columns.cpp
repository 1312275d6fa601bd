#include "tracking/log_columns.h"

#include <algorithm>
#include <initializer_list>
#include <span>
#include <string_view>

#include "core/number_text.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

using Names = std::span<const std::string_view>;

// Header words and units of each quantity, as common exports write them.
constexpr std::string_view kTimeWords[] = {"time",        "timestamp",    "time stamp", "zeit",
                                           "zeitstempel", "elapsed time", "seconds"};
constexpr std::string_view kTimeUnits[] = {"s", "ms", "us"};
constexpr std::string_view kRpmWords[] = {"rpm", "engine speed", "engine rpm", "drehzahl", "motordrehzahl"};
constexpr std::string_view kRpmUnits[] = {"rpm", "1/min", "u/min", "min-1"};
constexpr std::string_view kSpeedWords[] = {"speed",        "vehicle speed",   "gps speed",
                                            "ground speed", "geschwindigkeit", "fahrzeuggeschwindigkeit"};
constexpr std::string_view kKmhUnits[] = {"km/h", "kmh", "kph"};
constexpr std::string_view kMphUnits[] = {"mph", "mi/h"};

bool OneOf(std::string_view text, Names names) {
  return std::find(names.begin(), names.end(), text) != names.end();
}

std::string NameList(const LogTable& table) {
  std::string list;
  for (const std::string& name : table.names) list += (list.empty() ? "\"" : ", \"") + name + "\"";
  return list;
}

// The first column whose header matches, not one of those taken.
std::optional<std::size_t> FindByName(const LogTable& table,
                                      Names words,
                                      Names units,
                                      std::initializer_list<std::optional<std::size_t>> taken) {
  for (std::size_t i = 0; i < table.names.size(); ++i) {
    if (std::find(taken.begin(), taken.end(), std::optional<std::size_t>(i)) != taken.end()) continue;
    const HeaderName name = SplitHeaderName(table.names[i]);
    if (OneOf(name.words, words) || OneOf(name.unit, units)) return i;
  }
  return std::nullopt;
}

// The column asked for as a name or a number from 1.
bool Resolve(const LogTable& table, const std::string& asked, std::size_t& column, std::string& error) {
  std::int32_t number = 0;
  if (ParseInteger(asked, number)) {
    if (number >= 1 && static_cast<std::size_t>(number) <= table.names.size()) {
      column = static_cast<std::size_t>(number - 1);
      return true;
    }
    error = FormatText("there is no column %d: the log has %zu", number, table.names.size());
    return false;
  }
  // "Engine RPM (rpm)", "engine rpm" and "ENGINE RPM (rpm)" all name the same column.
  const HeaderName wanted = SplitHeaderName(asked);
  for (std::size_t i = 0; i < table.names.size(); ++i) {
    const HeaderName name = SplitHeaderName(table.names[i]);
    if (name.words == wanted.words && (wanted.unit.empty() || name.unit == wanted.unit)) {
      column = i;
      return true;
    }
  }
  error = "there is no column \"" + asked + "\" among " + NameList(table);
  return false;
}

bool ResolveOptional(const LogTable& table,
                     const std::string& asked,
                     std::optional<std::size_t>& column,
                     std::string& error) {
  if (asked.empty()) return true;
  std::size_t found = 0;
  if (!Resolve(table, asked, found, error)) return false;
  column = found;
  return true;
}

}  // namespace

bool ChooseLogColumns(const LogTable& table,
                      const LogColumnRequest& request,
                      RoadSpeedUnit unit,
                      LogColumns& columns,
                      std::string& error) {
  columns = LogColumns{};
  std::optional<std::size_t> time;
  if (!ResolveOptional(table, request.time, time, error) || !ResolveOptional(table, request.rpm, columns.rpm, error) ||
      !ResolveOptional(table, request.speed, columns.speed, error))
    return false;
  if (!time) time = FindByName(table, kTimeWords, kTimeUnits, {});
  if (!time) {
    error = "no time column (time, timestamp, zeit) among " + NameList(table);
    return false;
  }
  columns.time = *time;
  if (!columns.rpm && !columns.speed) columns.rpm = FindByName(table, kRpmWords, kRpmUnits, {time});
  if (!columns.rpm && !columns.speed) {
    columns.speed = FindByName(table, kSpeedWords, {}, {time});
    for (std::size_t i = 0; !columns.speed && i < table.names.size(); ++i) {
      const std::string headerUnit = SplitHeaderName(table.names[i]).unit;
      if (i != columns.time && (OneOf(headerUnit, kKmhUnits) || OneOf(headerUnit, kMphUnits))) columns.speed = i;
    }
  }
  if (!columns.rpm && !columns.speed) {
    error = "no column of engine speed (rpm, engine speed, drehzahl) or road speed among " + NameList(table);
    return false;
  }
  if (columns.rpm) return true;
  const std::string headerUnit = SplitHeaderName(table.names[*columns.speed]).unit;
  columns.speedUnit = unit != RoadSpeedUnit::kAuto   ? unit
                      : OneOf(headerUnit, kKmhUnits) ? RoadSpeedUnit::kKmh
                      : OneOf(headerUnit, kMphUnits) ? RoadSpeedUnit::kMph
                                                     : RoadSpeedUnit::kAuto;
  if (columns.speedUnit == RoadSpeedUnit::kAuto) {
    error = "the road speed \"" + table.names[*columns.speed] + "\" has no unit of km/h or mph in its header";
    return false;
  }
  return true;
}

}  // namespace ruvo
