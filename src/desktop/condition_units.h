#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace ruvo {

// The air conditions the Conditions dialog edits, each shown in a unit the user chooses and held
// in the run parameters' metric units (degC, hPa, %, m).
enum class ConditionQuantity { kTemperature, kPressure, kHumidity, kAltitude };

// Each quantity has its metric unit and at most one other: degF, inHg, ft (humidity has none).
enum class ConditionUnit { kMetric, kImperial };

inline constexpr double kHpaPerInchOfMercury = 33.8638866667;  // hPa in one inch of mercury at 0 degC
inline constexpr double kMetresPerFoot = 0.3048;               // international foot

// The unit's symbol as boxes and messages show it: "°C", "°F", "hPa", "inHg", "%", "m", "ft".
std::string_view ConditionUnitSymbol(ConditionQuantity quantity, ConditionUnit unit);
// The value the settings keep for a unit ("C", "F", "hPa", "inHg", "m", "ft"), and back: any other
// text is the metric unit.
std::string_view ConditionUnitKey(ConditionQuantity quantity, ConditionUnit unit);
ConditionUnit ConditionUnitFromKey(ConditionQuantity quantity, std::string_view key);

// A metric value in unit, and a value in unit back to metric.
double ToConditionUnit(ConditionQuantity quantity, ConditionUnit unit, double metric);
double FromConditionUnit(ConditionQuantity quantity, ConditionUnit unit, double value);

// The accepted metric range: -50..60 degC, 300..1200 hPa, 0..100 %, -500..9000 m.
struct ConditionRange {
  double low;
  double high;
};
ConditionRange MetricRange(ConditionQuantity quantity);

// The text a box shows for a metric value in unit, rounded to the digits a weather report gives:
// 25 -> "77" (degF), 1013.25 -> "29.92" (inHg).
std::string ConditionText(ConditionQuantity quantity, ConditionUnit unit, double metric);

// What a box's text gives: nothing for a blank text, or the metric value; a text that is not a
// number, or lies outside the range, fails with a message naming label and the range in unit
// ("Temperature: enter a number between -58 and 140").
struct ConditionReading {
  bool ok = true;
  std::optional<double> metric;
  std::string message;
};
ConditionReading ReadConditionText(ConditionQuantity quantity,
                                   ConditionUnit unit,
                                   std::string_view text,
                                   std::string_view label);

// One box of the dialog: the metric value behind the text it was given, so that a value shown
// rounded (or in another unit) and left as shown keeps every digit it had.
class ConditionField {
 public:
  ConditionField(ConditionQuantity of, std::string named) : quantity(of), label(std::move(named)) {}

  ConditionUnit Unit() const { return unit; }
  // Holds metric (or nothing) and returns the text to show for it.
  std::string Show(std::optional<double> metric);
  // The value of the box's text: the held one while the text is the one shown for it.
  ConditionReading Read(std::string_view text) const;
  // Changes the unit; returns the box's new text: the value of text in the new unit, or text
  // itself when it holds no valid value.
  std::string ChangeUnit(ConditionUnit to, std::string_view text);

 private:
  ConditionQuantity quantity;
  std::string label;
  ConditionUnit unit = ConditionUnit::kMetric;
  std::optional<double> held;
  std::string shown;
};

}  // namespace ruvo
