#include "desktop/condition_units.h"

#include <cmath>

#include "core/number_text.h"
#include "desktop/field_text.h"

namespace ruvo {
namespace {

constexpr double kFahrenheitOffset = 32.0;  // degF at 0 degC

bool IsImperial(ConditionQuantity quantity, ConditionUnit unit) {
  return unit == ConditionUnit::kImperial && quantity != ConditionQuantity::kHumidity;
}

// Decimals a box shows: a tenth of a degree or per cent, a hundredth of a hPa or inHg, a tenth of
// a metre or foot.
int ShownDecimals(ConditionQuantity quantity) {
  return quantity == ConditionQuantity::kPressure ? 2 : 1;
}

double Rounded(double value, int decimals, double (*round)(double)) {
  const double scale = std::pow(10.0, decimals);
  const double rounded = round(value * scale) / scale;
  return rounded == 0.0 ? 0.0 : rounded;  // never "-0"
}

}  // namespace

std::string_view ConditionUnitSymbol(ConditionQuantity quantity, ConditionUnit unit) {
  const bool imperial = IsImperial(quantity, unit);
  switch (quantity) {
    case ConditionQuantity::kTemperature:
      return imperial ? "\u00b0F" : "\u00b0C";
    case ConditionQuantity::kPressure:
      return imperial ? "inHg" : "hPa";
    case ConditionQuantity::kHumidity:
      return "%";
    case ConditionQuantity::kAltitude:
      return imperial ? "ft" : "m";
  }
  return "";
}

std::string_view ConditionUnitKey(ConditionQuantity quantity, ConditionUnit unit) {
  if (quantity == ConditionQuantity::kTemperature) return IsImperial(quantity, unit) ? "F" : "C";
  return ConditionUnitSymbol(quantity, unit);
}

ConditionUnit ConditionUnitFromKey(ConditionQuantity quantity, std::string_view key) {
  const bool imperial =
      quantity != ConditionQuantity::kHumidity && key == ConditionUnitKey(quantity, ConditionUnit::kImperial);
  return imperial ? ConditionUnit::kImperial : ConditionUnit::kMetric;
}

double ToConditionUnit(ConditionQuantity quantity, ConditionUnit unit, double metric) {
  if (!IsImperial(quantity, unit)) return metric;
  switch (quantity) {
    case ConditionQuantity::kTemperature:
      return metric * 9.0 / 5.0 + kFahrenheitOffset;
    case ConditionQuantity::kPressure:
      return metric / kHpaPerInchOfMercury;
    case ConditionQuantity::kAltitude:
      return metric / kMetresPerFoot;
    case ConditionQuantity::kHumidity:
      break;
  }
  return metric;
}

double FromConditionUnit(ConditionQuantity quantity, ConditionUnit unit, double value) {
  if (!IsImperial(quantity, unit)) return value;
  switch (quantity) {
    case ConditionQuantity::kTemperature:
      // Multiplied before dividing, so whole degrees at the range's ends convert exactly.
      return (value - kFahrenheitOffset) * 5.0 / 9.0;
    case ConditionQuantity::kPressure:
      return value * kHpaPerInchOfMercury;
    case ConditionQuantity::kAltitude:
      return value * kMetresPerFoot;
    case ConditionQuantity::kHumidity:
      break;
  }
  return value;
}

ConditionRange MetricRange(ConditionQuantity quantity) {
  switch (quantity) {
    case ConditionQuantity::kTemperature:
      return {-50.0, 60.0};
    case ConditionQuantity::kPressure:
      return {300.0, 1200.0};
    case ConditionQuantity::kHumidity:
      return {0.0, 100.0};
    case ConditionQuantity::kAltitude:
      return {-500.0, 9000.0};
  }
  return {0.0, 0.0};
}

std::string ConditionText(ConditionQuantity quantity, ConditionUnit unit, double metric) {
  return FormatReal(Rounded(ToConditionUnit(quantity, unit, metric), ShownDecimals(quantity), std::round));
}

ConditionReading ReadConditionText(ConditionQuantity quantity,
                                   ConditionUnit unit,
                                   std::string_view text,
                                   std::string_view label) {
  ConditionReading reading;
  if (text.find_first_not_of(" \t") == std::string_view::npos) return reading;
  const ConditionRange range = MetricRange(quantity);
  double value = 0.0;
  double metric = 0.0;
  if (ParseReal(text, value)) metric = FromConditionUnit(quantity, unit, value);
  if (!ParseReal(text, value) || metric < range.low || metric > range.high) {
    // The range in the unit shown, its ends rounded inwards so that both are accepted.
    const int decimals = ShownDecimals(quantity);
    const double low = Rounded(ToConditionUnit(quantity, unit, range.low), decimals, std::ceil);
    const double high = Rounded(ToConditionUnit(quantity, unit, range.high), decimals, std::floor);
    reading.ok = false;
    reading.message = ExpectedRangeMessage(label, low, high) + " " + std::string(ConditionUnitSymbol(quantity, unit));
    return reading;
  }
  reading.metric = metric;
  return reading;
}

std::string ConditionField::Show(std::optional<double> metric) {
  held = metric;
  shown = metric ? ConditionText(quantity, unit, *metric) : std::string();
  return shown;
}

ConditionReading ConditionField::Read(std::string_view text) const {
  if (text == shown) return {true, held, {}};
  return ReadConditionText(quantity, unit, text, label);
}

std::string ConditionField::ChangeUnit(ConditionUnit to, std::string_view text) {
  const ConditionReading reading = Read(text);
  unit = to;
  if (!reading.ok || !reading.metric) return std::string(text);
  return Show(reading.metric);
}

}  // namespace ruvo
