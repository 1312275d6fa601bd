#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "tracking/log_table.h"

namespace ruvo {

// Columns asked for by their header name (case ignored, with or without the unit) or their
// number from 1; empty: found by name.
struct LogColumnRequest {
  std::string time;
  std::string rpm;
  std::string speed;
};

// The road speed's unit; kAuto takes it from the header ("Speed (km/h)", "GPS mph").
enum class RoadSpeedUnit { kAuto, kKmh, kMph };

// The columns of a log that the conversion reads, 0-based: time, and engine speed or (when the
// log has none, as a GPS meter's) road speed in speedUnit.
struct LogColumns {
  std::size_t time = 0;
  std::optional<std::size_t> rpm;
  std::optional<std::size_t> speed;
  RoadSpeedUnit speedUnit = RoadSpeedUnit::kAuto;
};

// Chooses the columns: those asked for, otherwise by the names of common exports in English and
// German (time, timestamp, zeit; rpm, engine speed, engine rpm, drehzahl, motordrehzahl, or a
// unit of rpm or 1/min; speed, vehicle speed, gps speed, geschwindigkeit, or a unit of km/h or
// mph). Engine speed is preferred to road speed unless road speed is asked for. unit overrides
// the header's. Returns false with one line in error when a column asked for is not there, none
// is found, or a road speed has no unit.
bool ChooseLogColumns(const LogTable& table,
                      const LogColumnRequest& request,
                      RoadSpeedUnit unit,
                      LogColumns& columns,
                      std::string& error);

}  // namespace ruvo
