#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/result_table.h"
#include "core/run_parameters.h"

namespace ruvo {

// Correction of measured engine power and torque to a standard's reference air, so runs made in
// different weather compare. Every standard gives a factor CF that multiplies power and torque:
//
//   sae-j1349       CF = 1.176 (99 / Pd) sqrt(T / 298) - 0.176    SAE J1349 (1995 and later),
//                                                                 25 degC, 99 kPa dry air
//   sae-j1349-1990  CF = 1.18 (99 / Pd) sqrt(T / 298) - 0.18      SAE J1349 JUN90, same reference
//   din-70020       CF = (1013 / p) sqrt(T / 293)                 DIN 70020, 20 degC, 1013 hPa
//                                                                 total pressure, humidity ignored
//   eec-80-1269     CF = (99 / Pd)^1.2 (T / 298)^0.6              EEC 80/1269, ISO 1585, ECE R85
//                                                                 (spark ignition), 25 degC, 99 kPa
//
// T is the intake air temperature in kelvin (degC + 273.15; the standards' 298 and 293 are rounded,
// so at exactly 25 degC the SAE factor is 1.0003), p the station barometric pressure in hPa and Pd
// the dry-air pressure in kPa: p less the water-vapour pressure, the relative humidity times the
// saturation pressure of Buck's formula. Each standard is valid for a stated range of conditions:
//
//   SAE J1349 (both)  15..35 degC and 90..105 kPa dry air
//   EEC 80/1269       15..35 degC (288..308 K), 80..110 kPa dry air, and 0.93 <= CF <= 1.07
//   DIN 70020         states no range of conditions; its factor is held to EEC's 0.93..1.07
//
// Outside it the factor is still given, with a note saying which condition lies outside.
enum class CorrectionStandard { kSaeJ1349, kSaeJ1349Of1990, kDin70020, kEec80_1269 };

// Every standard, in the order menus and usage texts list them.
std::span<const CorrectionStandard> CorrectionStandards();

// The name options and settings use: "sae-j1349", "sae-j1349-1990", "din-70020", "eec-80-1269".
std::string_view CorrectionKey(CorrectionStandard standard);
// The standard of that key (exact), or nothing.
std::optional<CorrectionStandard> CorrectionStandardNamed(std::string_view key);
// The name charts and sheets show: "SAE J1349", "SAE J1349 (1990)", "DIN 70020", "EEC 80/1269".
std::string_view CorrectionTitle(CorrectionStandard standard);

// Saturation vapour pressure of water over a flat water surface, kPa, at celsius degrees Celsius:
// e_s = 0.61121 exp((18.678 - t / 234.5) t / (257.14 + t)). Within 0.05 % of the steam tables
// from 0 to 50 degC. Buck, A. L. (1981), J. Appl. Meteorology 20, with his 1996 constants.
double SaturationVapourPressureKpa(double celsius);

// The station pressure, hPa, at altitudeM metres of a sea-level pressure (as weather services
// report it), by the standard atmosphere's troposphere: p = p0 (1 - 0.0065 h / 288.15)^5.25588.
// ICAO Doc 7488, ISO 2533.
double StationPressureHpa(double seaLevelHpa, double altitudeM);

// The correction of one set of conditions to one standard.
struct PowerCorrection {
  bool ok = false;
  std::string failure;  // why there is no factor: a missing or impossible condition
  CorrectionStandard standard = CorrectionStandard::kSaeJ1349;
  double factor = 1.0;              // multiplies power and torque
  double temperatureC = 0.0;        // as given
  double stationPressureHpa = 0.0;  // as given, or converted from the sea-level pressure
  double dryPressureKpa = 0.0;      // station pressure less the water vapour's
  std::optional<double> humidityPercent;
  std::optional<double> seaLevelHpa;  // the pressure given, when it was a sea-level one
  std::optional<double> altitudeM;
  std::vector<std::string> notes;  // conditions outside the standard's range, humidity taken as 0 %
};

// The factor for conditions: temperature and pressure are needed, humidity is taken as 0 % when
// missing (and noted, where the standard uses it). A temperature outside -50..60 degC, a pressure
// outside 300..1200 hPa, a humidity outside 0..100 % or an altitude outside -500..9000 m fails
// with a message naming the value; so does a missing temperature or pressure.
PowerCorrection CorrectPower(CorrectionStandard standard, const AirConditions& conditions);

// One line for the user: "SAE J1349 correction factor 1.0234 (25.0 °C, station pressure 990.0 hPa,
// 40 % relative humidity)", the station pressure given as "converted from 1013.0 hPa at sea level
// and 350 m" where it was. For a failed correction, its failure.
std::string DescribeCorrection(const PowerCorrection& correction);

// The table with its power ("HP") and torque columns multiplied by factor, every other column as
// it was; a table without them (the tachometer's) is returned unchanged.
ResultTable CorrectedTable(ResultTable table, double factor);

}  // namespace ruvo
