#include "plot/dyno_sheet_text.h"

#include <functional>

#include "core/run_modes.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr double kKilogramsPerPound = 0.45359237;          // avoirdupois pound
constexpr double kSquareMetresPerSquareFoot = 0.09290304;  // (0.3048 m)^2
constexpr double kMillimetresPerInch = 25.4;

const char* const kNotGiven = "not given";

// A line with the value of each entry.
SheetLine Line(const std::vector<SheetEntry>& entries,
               std::string label,
               const std::function<std::string(const SheetEntry&)>& value) {
  SheetLine line{std::move(label), {}};
  for (const SheetEntry& entry : entries) line.values.push_back(value(entry));
  return line;
}

std::string Optional(const std::optional<double>& value, const char* format) {
  return value ? FormatText(format, *value) : kNotGiven;
}

std::string PressureText(const AirConditions& air) {
  if (!air.pressureHpa) return kNotGiven;
  if (air.altitudeM) return FormatText("%.1f hPa at sea level, %.0f m altitude", *air.pressureHpa, *air.altitudeM);
  return FormatText("%.1f hPa station", *air.pressureHpa);
}

std::string TyreText(const RunParameters& params, UnitSystem units) {
  // With a tyre width the diameter is the rim's, as the sidewall names it.
  if (params.tireWidth > 0.0)
    return FormatText("%.0f/%.0f R%g", params.tireWidth, params.tireAspectRatio, params.wheelDiameter);
  if (units == UnitSystem::kMetric) return FormatText("%.0f mm diameter", params.wheelDiameter * kMillimetresPerInch);
  return FormatText("%.1f in diameter", params.wheelDiameter);
}

}  // namespace

std::string SmoothingText(const RunParameters& params) {
  const std::optional<SmoothingMethod> method = SmoothingMethodOf(params.smoothingMethod);
  if (!method) return FormatText("method %i, level %i", params.smoothingMethod, params.smoothingLevel);
  switch (*method) {
    case SmoothingMethod::kNone:
      return "No smoothing";
    case SmoothingMethod::kLocal:
      return FormatText("Local smoothing, level %i", params.smoothingLevel);
    case SmoothingMethod::kSplineSegments:
      return FormatText("Smooth curve, %i segments", params.smoothingLevel);
    case SmoothingMethod::kExponentialFit:
      return FormatText("Exponential fit, level %i", params.smoothingLevel);
  }
  return std::string();
}

std::string SheetTitle(const std::vector<SheetEntry>& entries) {
  std::vector<std::string> titles;
  std::string joined;
  for (const SheetEntry& entry : entries) {
    bool seen = false;
    for (const std::string& title : titles) seen = seen || title == entry.title;
    if (seen) continue;
    titles.push_back(entry.title);
    joined += (joined.empty() ? "" : " / ") + entry.title;
  }
  return joined;
}

std::vector<SheetSection> SheetSections(const std::vector<SheetEntry>& entries,
                                        UnitSystem units,
                                        std::optional<CorrectionStandard> standard) {
  const ColumnUnit power = UnitOf(ResultColumn::kHorsepower, units), torque = UnitOf(ResultColumn::kTorque, units);
  std::vector<SheetSection> sections;

  SheetSection results{"Results", {}};
  results.lines.push_back(Line(entries, "Peak power", [&](const SheetEntry& entry) {
    return entry.peaks.power && entry.peaks.horsepower ? PeakText(*entry.peaks.horsepower, power) : "-";
  }));
  results.lines.push_back(Line(entries, "Peak torque", [&](const SheetEntry& entry) {
    return entry.peaks.power && entry.peaks.torque ? PeakText(*entry.peaks.torque, torque) : "-";
  }));
  for (SheetLine& line : results.lines) line.emphasized = true;
  bool tachometer = false;
  for (const SheetEntry& entry : entries) tachometer = tachometer || !entry.peaks.power;
  if (tachometer) {
    results.lines.push_back(Line(entries, "Tachometer run", [&](const SheetEntry& entry) {
      return entry.peaks.power ? std::string("-") : PeaksText(entry.peaks, units);
    }));
  }
  results.lines.push_back(Line(entries, "Correction", [&](const SheetEntry& entry) {
    if (!entry.peaks.power) return std::string("-");
    if (!standard) return std::string("none (as measured)");
    if (!entry.correction) return "uncorrected: " + entry.uncorrected;
    std::string text =
        FormatText("%s factor %.4f", std::string(CorrectionTitle(*standard)).c_str(), entry.correction->factor);
    for (const std::string& note : entry.correction->notes) text += "; " + note;
    return text;
  }));
  sections.push_back(std::move(results));

  SheetSection air{"Air", {}};
  air.lines.push_back(Line(entries, "Temperature", [](const SheetEntry& entry) {
    return Optional(entry.params.conditions.temperatureC, "%.1f \u00b0C");
  }));
  air.lines.push_back(
      Line(entries, "Pressure", [](const SheetEntry& entry) { return PressureText(entry.params.conditions); }));
  air.lines.push_back(Line(entries, "Rel. humidity", [](const SheetEntry& entry) {
    return Optional(entry.params.conditions.humidityPercent, "%.0f %%");
  }));
  sections.push_back(std::move(air));

  const bool metric = units == UnitSystem::kMetric;
  SheetSection vehicle{"Vehicle", {}};
  vehicle.lines.push_back(Line(entries, "Weight", [&](const SheetEntry& entry) {
    return metric ? FormatText("%.0f kg", entry.params.vehicleWeight * kKilogramsPerPound)
                  : FormatText("%.0f lb", entry.params.vehicleWeight);
  }));
  vehicle.lines.push_back(Line(entries, "Gear / axle ratio", [](const SheetEntry& entry) {
    return FormatText("%.3f / %.3f", entry.params.gearRatio, entry.params.axleRatio);
  }));
  vehicle.lines.push_back(
      Line(entries, "Tyre", [&](const SheetEntry& entry) { return TyreText(entry.params, units); }));
  vehicle.lines.push_back(Line(entries, "Drag coefficient", [](const SheetEntry& entry) {
    return FormatText("%.3f", entry.params.dragCoefficient);
  }));
  vehicle.lines.push_back(Line(entries, "Frontal area", [&](const SheetEntry& entry) {
    return metric ? FormatText("%.2f m\u00b2", entry.params.frontalArea * kSquareMetresPerSquareFoot)
                  : FormatText("%.1f ft\u00b2", entry.params.frontalArea);
  }));
  vehicle.lines.push_back(Line(entries, "Rolling resistance", [](const SheetEntry& entry) {
    return FormatText("%.4f", entry.params.rollingCoefficient);
  }));
  vehicle.lines.push_back(Line(entries, "Drivetrain loss", [](const SheetEntry& entry) {
    return FormatText("%.1f %%", entry.params.drivetrainLoss);
  }));
  vehicle.lines.push_back(Line(entries, "Revs/Ignition",
                               [](const SheetEntry& entry) { return FormatText("%g", entry.params.revsPerIgnition); }));
  vehicle.lines.push_back(
      Line(entries, "Smoothing", [](const SheetEntry& entry) { return SmoothingText(entry.params); }));
  sections.push_back(std::move(vehicle));
  return sections;
}

}  // namespace ruvo
