// The units of the Conditions dialog: conversions, ranges and the boxes' texts.
#include "desktop/condition_units.h"

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace ruvo {
namespace {

using Q = ConditionQuantity;
constexpr ConditionUnit kMetric = ConditionUnit::kMetric;
constexpr ConditionUnit kImperial = ConditionUnit::kImperial;

// Worked values: the freezing and boiling points, the standard atmosphere (1013.25 hPa = 29.92126
// inHg), a mile (5280 ft = 1609.344 m); each converts back to itself.
TEST(ConditionUnits, ConvertWorkedValuesBothWays) {
  const struct {
    Q quantity;
    double metric;
    double imperial;
  } cases[] = {{Q::kTemperature, 0.0, 32.0},       {Q::kTemperature, 100.0, 212.0},
               {Q::kTemperature, -40.0, -40.0},    {Q::kPressure, 1013.25, 29.9212553},
               {Q::kPressure, 33.8638866667, 1.0}, {Q::kAltitude, 1609.344, 5280.0},
               {Q::kHumidity, 40.0, 40.0}};
  for (const auto& c : cases) {
    // The inHg figure is given to 8 digits.
    EXPECT_TRUE(test::IsClose(ToConditionUnit(c.quantity, kImperial, c.metric), c.imperial, 1e-7)) << c.metric;
    EXPECT_TRUE(test::IsClose(FromConditionUnit(c.quantity, kImperial, c.imperial), c.metric, 1e-7)) << c.imperial;
    EXPECT_EQ(ToConditionUnit(c.quantity, kMetric, c.metric), c.metric);
  }
  // The settings' keys name each unit, and anything else is the metric one.
  EXPECT_EQ(ConditionUnitFromKey(Q::kPressure, ConditionUnitKey(Q::kPressure, kImperial)), kImperial);
  EXPECT_EQ(ConditionUnitFromKey(Q::kTemperature, "F"), kImperial);
  EXPECT_EQ(ConditionUnitFromKey(Q::kAltitude, "yards"), kMetric);
  EXPECT_EQ(ConditionUnitFromKey(Q::kHumidity, "%"), kMetric);
}

// Blank is "not set"; the range's ends are accepted in either unit and the message gives them in
// the unit shown, rounded inwards (300 hPa = 8.859 inHg, 1200 hPa = 35.436 inHg).
TEST(ConditionUnits, ReadsTextsWithinTheRangeOfTheUnitShown) {
  EXPECT_TRUE(ReadConditionText(Q::kTemperature, kMetric, "  ", "Temperature").ok);
  EXPECT_FALSE(ReadConditionText(Q::kTemperature, kMetric, "", "Temperature").metric);
  const struct {
    Q quantity;
    ConditionUnit unit;
    const char* text;
    double metric;
  } accepted[] = {{Q::kTemperature, kImperial, "-58", -50.0},       {Q::kTemperature, kImperial, "140", 60.0},
                  {Q::kTemperature, kMetric, "25.5", 25.5},         {Q::kPressure, kImperial, "8.86", 300.03404},
                  {Q::kPressure, kImperial, "35.43", 1199.7975},    {Q::kHumidity, kMetric, "100", 100.0},
                  {Q::kAltitude, kImperial, "-1640.4", -499.99392}, {Q::kAltitude, kMetric, "9000", 9000.0}};
  for (const auto& c : accepted) {
    const ConditionReading reading = ReadConditionText(c.quantity, c.unit, c.text, "Box");
    EXPECT_TRUE(reading.ok && reading.metric && test::IsClose(*reading.metric, c.metric, 1e-7)) << c.text;
  }
  const struct {
    Q quantity;
    ConditionUnit unit;
    const char* text;
    const char* message;
  } refused[] = {{Q::kTemperature, kMetric, "60.01", "Air Temperature: enter a number between -50 and 60 \u00b0C"},
                 {Q::kTemperature, kImperial, "-58.1", "Air Temperature: enter a number between -58 and 140 \u00b0F"},
                 {Q::kPressure, kImperial, "35.44", "Air Temperature: enter a number between 8.86 and 35.43 inHg"},
                 {Q::kPressure, kMetric, "1013,25", "Air Temperature: enter a number between 300 and 1200 hPa"},
                 {Q::kHumidity, kImperial, "-1", "Air Temperature: enter a number between 0 and 100 %"},
                 {Q::kAltitude, kImperial, "29528", "Air Temperature: enter a number between -1640.4 and 29527.5 ft"}};
  for (const auto& c : refused) {
    const ConditionReading reading = ReadConditionText(c.quantity, c.unit, c.text, "Air Temperature:");
    EXPECT_FALSE(reading.ok || reading.metric) << c.text;
    EXPECT_EQ(reading.message, c.message);
  }
}

// A box shows its value rounded in the unit chosen; left as shown, it keeps every digit, through
// any number of unit changes. An edited text is read in the unit it was typed in.
TEST(ConditionUnits, FieldKeepsTheHeldValueUntilEdited) {
  ConditionField pressure(Q::kPressure, "Pressure");
  EXPECT_EQ(pressure.Show(1013.25), "1013.25");
  std::string text = pressure.ChangeUnit(kImperial, "1013.25");
  EXPECT_EQ(text, "29.92");
  text = pressure.ChangeUnit(kMetric, pressure.ChangeUnit(kImperial, pressure.ChangeUnit(kMetric, text)));
  EXPECT_EQ(text, "1013.25");
  EXPECT_EQ(pressure.Read(text).metric, 1013.25);
  // Typed in inHg, then shown in hPa: the typed value, converted.
  pressure.ChangeUnit(kImperial, text);
  EXPECT_EQ(pressure.ChangeUnit(kMetric, "30"), "1015.92");
  EXPECT_EQ(pressure.Read("1015.92").metric, 30 * kHpaPerInchOfMercury);
  // A text that is no value stays as typed, and empty stays empty.
  EXPECT_EQ(pressure.ChangeUnit(kImperial, "high"), "high");
  EXPECT_EQ(pressure.ChangeUnit(kMetric, ""), "");
  ConditionField temperature(Q::kTemperature, "Temperature");
  EXPECT_EQ(temperature.Show(-0.01), "0");
  EXPECT_EQ(temperature.ChangeUnit(kImperial, "0"), "32");
}

}  // namespace
}  // namespace ruvo
