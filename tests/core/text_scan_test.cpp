#include "core/text_scan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

namespace ruvo {
namespace {

TEST(ScanDouble, ConvertsTheLeadingNumberLikeScanfOrLeavesTheTargetUnchanged) {
  const std::pair<const char*, double> cases[] = {
      {"\t-0.5abc", -0.5},
      {"+1e3", 1000.0},
      {".25", 0.25},
      {"7.", 7.0},
      {"1e", 1.0},
      {"3.5 4.5", 3.5},
      {"0x1p3", 8.0},
      {"-0X.8p1", -1.0},
      {"12,5", 12.0},
      {"-inf", -HUGE_VAL},
      // An incomplete binary exponent is not read, as strtod does (a fuzz finding).
      {"0x0Fp+-2", 15.0},
      {"0x1.8p", 1.5},
      {"0x2P-x", 2.0},
      {"0x1p-1", 0.5}};
  for (const auto& [text, expected] : cases) {
    double value = -99.0;
    EXPECT_TRUE(ScanDouble(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  double value = 0.0;
  EXPECT_TRUE(ScanDouble(" nan", value));
  EXPECT_TRUE(std::isnan(value));
  for (const char* text : {"", "   ", "abc", "-", "+-1", "--0", "-+.5", ".", "e5", "1e999", "x1"}) {
    value = 2.5;
    EXPECT_FALSE(ScanDouble(text, value)) << text;
    EXPECT_EQ(value, 2.5) << text;
  }
}

TEST(ScanInt, ReadsDecimalOctalAndHexadecimalOrLeavesTheTargetUnchangedWhenItDoesNotFit) {
  const std::pair<const char*, std::int32_t> cases[] = {{"1000", 1000}, {"  -42", -42}, {"+7rpm", 7}, {"010", 8},
                                                        {"0x1A", 26},   {"0XfF", 255},  {"09", 0},    {"0x", 0},
                                                        {"0xg", 0},     {"0x7", 7},     {"12.9", 12}, {"-0x10", -16}};
  for (const auto& [text, expected] : cases) {
    std::int32_t value = -99;
    EXPECT_TRUE(ScanInt(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  std::int32_t value = 0;
  EXPECT_TRUE(ScanInt("2147483647", value) && value == 2147483647);
  EXPECT_TRUE(ScanInt("-2147483648", value) && value == -2147483647 - 1);
  for (const char* text :
       {"", "rpm", "-", "--1", "--0", "+-0", "- 1", "2147483648", "-2147483649", "99999999999999999999999"}) {
    value = 5;
    EXPECT_FALSE(ScanInt(text, value)) << text;
    EXPECT_EQ(value, 5) << text;
  }
}

}  // namespace
}  // namespace ruvo
