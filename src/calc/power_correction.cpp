#include "calc/power_correction.h"

#include <array>
#include <cmath>

#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr double kKelvinAtZeroCelsius = 273.15;
constexpr double kHpaPerKpa = 10.0;

// What each standard is named and where its conditions are valid.
struct StandardInfo {
  CorrectionStandard standard;
  std::string_view key;
  std::string_view title;
  bool usesHumidity;             // corrects to dry air (all but DIN, which takes the total pressure)
  double lowC, highC;            // valid intake air temperatures, degC; equal: no stated range
  double lowKpa, highKpa;        // valid dry-air pressures, kPa; equal: no stated range
  double lowFactor, highFactor;  // valid factors; equal: no stated limit
};

constexpr std::array<StandardInfo, 4> kStandards{{
    {CorrectionStandard::kSaeJ1349, "sae-j1349", "SAE J1349", true, 15.0, 35.0, 90.0, 105.0, 0.0, 0.0},
    {CorrectionStandard::kSaeJ1349Of1990, "sae-j1349-1990", "SAE J1349 (1990)", true, 15.0, 35.0, 90.0, 105.0, 0.0,
     0.0},
    {CorrectionStandard::kDin70020, "din-70020", "DIN 70020", false, 0.0, 0.0, 0.0, 0.0, 0.93, 1.07},
    {CorrectionStandard::kEec80_1269, "eec-80-1269", "EEC 80/1269", true, 15.0, 35.0, 80.0, 110.0, 0.93, 1.07},
}};
constexpr std::array<CorrectionStandard, 4> kStandardOrder{
    CorrectionStandard::kSaeJ1349, CorrectionStandard::kSaeJ1349Of1990, CorrectionStandard::kDin70020,
    CorrectionStandard::kEec80_1269};

const StandardInfo& InfoOf(CorrectionStandard standard) {
  for (const StandardInfo& info : kStandards)
    if (info.standard == standard) return info;
  return kStandards.front();
}

double Factor(CorrectionStandard standard, double kelvin, double stationHpa, double dryKpa) {
  switch (standard) {
    case CorrectionStandard::kSaeJ1349:
      return 1.176 * (99.0 / dryKpa) * std::sqrt(kelvin / 298.0) - 0.176;
    case CorrectionStandard::kSaeJ1349Of1990:
      return 1.18 * (99.0 / dryKpa) * std::sqrt(kelvin / 298.0) - 0.18;
    case CorrectionStandard::kDin70020:
      return (1013.0 / stationHpa) * std::sqrt(kelvin / 293.0);
    case CorrectionStandard::kEec80_1269:
      return std::pow(99.0 / dryKpa, 1.2) * std::pow(kelvin / 298.0, 0.6);
  }
  return 1.0;
}

// "-50 to 60 °C": a range as messages and notes write it.
std::string RangeText(double low, double high, std::string_view unit, const char* format = "%g") {
  std::string text = FormatText(format, low) + " to " + FormatText(format, high);
  return unit.empty() ? text : text + " " + std::string(unit);
}

// Fails correction with a message when value lies outside low..high.
bool Within(double value, double low, double high, const char* what, const char* unit, PowerCorrection& correction) {
  if (value >= low && value <= high) return true;
  correction.failure = FormatText("%s %g %s is outside %s", what, value, unit, RangeText(low, high, unit).c_str());
  return false;
}

void NoteOutside(double value, double low, double high, std::string text, PowerCorrection& correction) {
  if (low < high && (value < low || value > high)) correction.notes.push_back(std::move(text));
}

}  // namespace

std::span<const CorrectionStandard> CorrectionStandards() {
  return kStandardOrder;
}

std::string_view CorrectionKey(CorrectionStandard standard) {
  return InfoOf(standard).key;
}

std::optional<CorrectionStandard> CorrectionStandardNamed(std::string_view key) {
  for (const StandardInfo& info : kStandards)
    if (info.key == key) return info.standard;
  return std::nullopt;
}

std::string_view CorrectionTitle(CorrectionStandard standard) {
  return InfoOf(standard).title;
}

double SaturationVapourPressureKpa(double celsius) {
  return 0.61121 * std::exp((18.678 - celsius / 234.5) * celsius / (257.14 + celsius));
}

double StationPressureHpa(double seaLevelHpa, double altitudeM) {
  constexpr double kLapseRate = 0.0065;            // K/m, troposphere
  constexpr double kSeaLevelKelvin = 288.15;       // standard sea-level temperature
  constexpr double kBarometricExponent = 5.25588;  // g M / (R L)
  return seaLevelHpa * std::pow(1.0 - kLapseRate * altitudeM / kSeaLevelKelvin, kBarometricExponent);
}

PowerCorrection CorrectPower(CorrectionStandard standard, const AirConditions& conditions) {
  PowerCorrection correction;
  correction.standard = standard;
  const StandardInfo& info = InfoOf(standard);
  if (!conditions.temperatureC) {
    correction.failure = "No air temperature given for the correction";
    return correction;
  }
  if (!conditions.pressureHpa) {
    correction.failure = "No barometric pressure given for the correction";
    return correction;
  }
  const double celsius = *conditions.temperatureC;
  if (!Within(celsius, -50.0, 60.0, "Air temperature", "°C", correction) ||
      !Within(*conditions.pressureHpa, 300.0, 1200.0, "Barometric pressure", "hPa", correction) ||
      (conditions.humidityPercent &&
       !Within(*conditions.humidityPercent, 0.0, 100.0, "Relative humidity", "%", correction)) ||
      (conditions.altitudeM && !Within(*conditions.altitudeM, -500.0, 9000.0, "Altitude", "m", correction)))
    return correction;

  correction.temperatureC = celsius;
  correction.humidityPercent = conditions.humidityPercent;
  correction.altitudeM = conditions.altitudeM;
  correction.stationPressureHpa = *conditions.pressureHpa;
  if (conditions.altitudeM) {
    correction.seaLevelHpa = conditions.pressureHpa;
    correction.stationPressureHpa = StationPressureHpa(*conditions.pressureHpa, *conditions.altitudeM);
  }
  const double vapourKpa = conditions.humidityPercent.value_or(0.0) / 100.0 * SaturationVapourPressureKpa(celsius);
  correction.dryPressureKpa = correction.stationPressureHpa / kHpaPerKpa - vapourKpa;
  correction.factor =
      Factor(standard, celsius + kKelvinAtZeroCelsius, correction.stationPressureHpa, correction.dryPressureKpa);
  correction.ok = true;

  const std::string title(info.title);
  if (info.usesHumidity && !conditions.humidityPercent)
    correction.notes.push_back("no relative humidity given: the air is taken as dry (0 %)");
  NoteOutside(celsius, info.lowC, info.highC,
              FormatText("air temperature %.1f °C is outside the %s %s is valid for", celsius,
                         RangeText(info.lowC, info.highC, "°C").c_str(), title.c_str()),
              correction);
  NoteOutside(correction.dryPressureKpa, info.lowKpa, info.highKpa,
              FormatText("dry-air pressure %.1f kPa is outside the %s %s is valid for", correction.dryPressureKpa,
                         RangeText(info.lowKpa, info.highKpa, "kPa").c_str(), title.c_str()),
              correction);
  NoteOutside(correction.factor, info.lowFactor, info.highFactor,
              FormatText("correction factor %.4f is outside the %s %s allows", correction.factor,
                         RangeText(info.lowFactor, info.highFactor, "", "%.2f").c_str(), title.c_str()),
              correction);
  return correction;
}

std::string DescribeCorrection(const PowerCorrection& correction) {
  if (!correction.ok) return correction.failure;
  std::string text = FormatText("%s correction factor %.4f (%.1f °C, station pressure %.1f hPa",
                                std::string(CorrectionTitle(correction.standard)).c_str(), correction.factor,
                                correction.temperatureC, correction.stationPressureHpa);
  if (correction.seaLevelHpa)
    text += FormatText(" converted from %.1f hPa at sea level and %.0f m", *correction.seaLevelHpa,
                       correction.altitudeM.value_or(0.0));
  if (correction.humidityPercent) text += FormatText(", %.0f %% relative humidity", *correction.humidityPercent);
  return text + ")";
}

ResultTable CorrectedTable(ResultTable table, double factor) {
  for (const ResultColumn column : {ResultColumn::kHorsepower, ResultColumn::kTorque}) {
    const std::size_t index = table.Column(column);
    if (index == ResultTable::npos) continue;
    for (std::vector<double>& row : table.rows) row[index] *= factor;
  }
  return table;
}

}  // namespace ruvo
