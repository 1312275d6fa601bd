#include "calc/power_correction.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace ruvo {
namespace {

using Standard = CorrectionStandard;

AirConditions Air(double celsius, double hpa, std::optional<double> humidity = std::nullopt) {
  return {celsius, hpa, humidity, std::nullopt};
}

// Factors worked out independently (double precision, from the formulas as the standards print them).
TEST(PowerCorrection, EachStandardMatchesWorkedValuesAndIsOneAtItsReference) {
  struct Case {
    AirConditions air;
    double sae, sae1990, din, eec;
  };
  const std::vector<Case> cases = {
      {Air(25.0, 990.0, 0.0), 1.000296, 1.000297, 1.032186, 1.000302},  // SAE and EEC reference air
      {Air(20.0, 1013.0), 0.963908, 0.963785, 1.000256, 0.963286},      // DIN reference air
      {Air(30.0, 1000.0, 50.0), 1.023722, 1.023803, 1.030397, 1.024255},
      {Air(10.0, 950.0, 80.0), 1.031071, 1.031177, 1.048239, 1.031789},
  };
  for (const Case& c : cases) {
    const double expected[] = {c.sae, c.sae1990, c.din, c.eec};
    for (std::size_t s = 0; s < CorrectionStandards().size(); ++s) {
      const PowerCorrection correction = CorrectPower(CorrectionStandards()[s], c.air);
      ASSERT_TRUE(correction.ok) << correction.failure;
      EXPECT_NEAR(correction.factor, expected[s], 5e-7)  // worked values to six decimals
          << CorrectionKey(CorrectionStandards()[s]) << " at " << *c.air.temperatureC << " degC";
    }
  }
}

TEST(PowerCorrection, VapourPressureAndStandardAtmosphereMatchPublishedTables) {
  // Saturation pressure of water, kPa (steam tables), to Buck's stated accuracy.
  for (const auto& [celsius, kpa] : {std::pair{0.0, 0.6112}, {20.0, 2.3392}, {30.0, 4.2467}, {50.0, 12.352}})
    EXPECT_TRUE(test::IsClose(SaturationVapourPressureKpa(celsius), kpa, 5e-4)) << celsius;
  // ISA pressure at 1000 m and 2000 m, hPa, to the table's rounding and the exponent's.
  EXPECT_TRUE(test::IsClose(StationPressureHpa(1013.25, 1000.0), 898.76, 1e-4));
  EXPECT_TRUE(test::IsClose(StationPressureHpa(1013.25, 2000.0), 795.01, 1e-4));
  EXPECT_DOUBLE_EQ(StationPressureHpa(1013.25, 0.0), 1013.25);

  // A sea-level pressure with its altitude corrects as its station pressure would.
  const PowerCorrection fromSea = CorrectPower(Standard::kDin70020, {20.0, 1013.0, std::nullopt, 1000.0});
  const PowerCorrection atStation = CorrectPower(Standard::kDin70020, Air(20.0, StationPressureHpa(1013.0, 1000.0)));
  ASSERT_TRUE(fromSea.ok && atStation.ok);
  EXPECT_DOUBLE_EQ(fromSea.factor, atStation.factor);
  EXPECT_EQ(DescribeCorrection(fromSea),
            "DIN 70020 correction factor 1.1277 (20.0 °C, station pressure 898.5 hPa converted from 1013.0 hPa at "
            "sea level and 1000 m)");
}

TEST(PowerCorrection, ConditionsOutsideTheRangeAreNotedAndImpossibleOnesRefused) {
  const PowerCorrection hot = CorrectPower(Standard::kSaeJ1349, Air(38.0, 1000.0));
  ASSERT_TRUE(hot.ok);
  EXPECT_EQ(hot.notes,
            (std::vector<std::string>{"no relative humidity given: the air is taken as dry (0 %)",
                                      "air temperature 38.0 °C is outside the 15 to 35 °C SAE J1349 is valid for"}));
  const PowerCorrection high = CorrectPower(Standard::kEec80_1269, {20.0, 1013.0, 30.0, 2500.0});
  ASSERT_TRUE(high.ok);
  EXPECT_EQ(high.notes,
            (std::vector<std::string>{"dry-air pressure 74.0 kPa is outside the 80 to 110 kPa EEC 80/1269 is valid for",
                                      "correction factor 1.4050 is outside the 0.93 to 1.07 EEC 80/1269 allows"}));
  EXPECT_TRUE(CorrectPower(Standard::kDin70020, Air(20.0, 1013.0)).notes.empty());  // humidity is not DIN's

  EXPECT_EQ(CorrectPower(Standard::kSaeJ1349, {std::nullopt, 1000.0, 40.0, std::nullopt}).failure,
            "No air temperature given for the correction");
  EXPECT_EQ(CorrectPower(Standard::kSaeJ1349, {20.0, std::nullopt, 40.0, std::nullopt}).failure,
            "No barometric pressure given for the correction");
  EXPECT_EQ(CorrectPower(Standard::kSaeJ1349, Air(20.0, 29.9)).failure,
            "Barometric pressure 29.9 hPa is outside 300 to 1200 hPa");
  EXPECT_EQ(CorrectPower(Standard::kSaeJ1349, Air(20.0, 1000.0, 120.0)).failure,
            "Relative humidity 120 % is outside 0 to 100 %");
}

TEST(PowerCorrection, OnlyPowerAndTorqueColumnsAreScaled) {
  ResultTable table;
  table.variables = {"RPM", "HP", "Torque", "Speed"};
  table.rows = {{3000.0, 50.0, 87.5, 30.0}, {5000.0, 100.0, 105.0, 50.0}};
  const ResultTable corrected = CorrectedTable(table, 1.1);
  EXPECT_EQ(corrected.rows[1], (std::vector<double>{5000.0, 100.0 * 1.1, 105.0 * 1.1, 50.0}));
  table.variables = {"Time", "CumRev", "Dist", "RPM", "Speed", "Accel"};
  table.rows = {{0.5, 10.0, 0.01, 3000.0, 30.0, 0.2}};
  EXPECT_EQ(CorrectedTable(table, 1.1).rows, table.rows);
  EXPECT_EQ(CorrectionStandardNamed("eec-80-1269"), Standard::kEec80_1269);
  EXPECT_EQ(CorrectionStandardNamed("SAE"), std::nullopt);
}

}  // namespace
}  // namespace ruvo
