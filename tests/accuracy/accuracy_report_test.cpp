// The harness's CSV and summary: shapes a spreadsheet or a reader relies on.
#include "accuracy_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ruvo {
namespace {

AccuracyResult Measured(const std::string& smoothing, const std::string& sound, double hpRms, double peakHp) {
  AccuracyFigures f;
  f.horsepower.rmsPercent = hpRms;
  f.horsepower.peakPercent = peakHp;
  f.horsepower.peakRpmError = -50.0;
  f.torque.rmsPercent = 2.0 * hpRms;
  return {"car-11025-" + sound, sound, smoothing, f, {}};
}

AccuracyResult Failed(const std::string& smoothing, const std::string& sound, const std::string& why) {
  return {"car-11025-" + sound, sound, smoothing, std::nullopt, why};
}

TEST(AccuracyReport, CsvQuotesTheFailureAndSummaryGroupsByMethodAndSound) {
  const std::string csv = FormatAccuracyCsv({Failed("none", "noisy", "Calculation failed, \"badly\"; twice")});
  EXPECT_TRUE(csv.ends_with("\ncar-11025-noisy,noisy,none,,,,,,,,,,,,,,\"Calculation failed, \"\"badly\"\"; twice\"\n"))
      << csv;

  const std::string summary = FormatAccuracySummary({
      Measured("segments-3", "clean", 1.0, -2.0),
      Measured("segments-3", "clean", 3.0, 1.0),
      Measured("segments-3", "clean", 2.5, 0.5),
      Failed("segments-3", "clean", "x"),
      Measured("segments-3", "noisy", 4.0, 1.0),
      Measured("segments-3", "noisy", 6.0, -3.0),
      Failed("none", "clean", "y"),
  });
  // Two header lines, then the groups in order of appearance. Clean: 3 of 4 ran; power rms median
  // 2.5 of {1, 2.5, 3}, worst 3; torque twice that; |peak hp| median 1 of {2, 1, 0.5}, worst 2;
  // |peak rpm| 50 throughout. Noisy: an even count takes the mean of the two middle values.
  const std::size_t groups = summary.find("\nsegments-3 clean");
  ASSERT_NE(groups, std::string::npos) << summary;
  EXPECT_EQ(summary.substr(groups + 1),
            "segments-3 clean    3/4   |   2.50     3.00 |   5.00     6.00 |   1.00     2.00 |     50       50\n"
            "segments-3 noisy    2/2   |   5.00     6.00 |  10.00    12.00 |   2.00     3.00 |     50       50\n"
            "none       clean    0/1   | none calculated\n");
}

TEST(AccuracyReport, MarkdownNamesTheMethodsAndListsEachFailureOnce) {
  const std::string markdown = FormatAccuracySummaryMarkdown({
      Measured("segments-3", "clean", 1.0, -2.0),
      Failed("none", "noisy", "Incomplete scan"),
      Failed("local-3", "noisy", "Incomplete scan"),
      Measured("segments-3", "noisy", 278.8, 0.071),
      Failed("expfit-3", "noisy", "other"),
  });
  // Each method's sounds stand together; medians and worsts rounded to two digits.
  EXPECT_EQ(markdown,
            "| smoothing | sound | calculated | power RMS error | peak power error | peak power rpm error |\n"
            "|---|---|---|---|---|---|\n"
            "| curve segments (default) | clean | 1 of 1 | 1.0 % (1.0 %) | 2.0 % (2.0 %) | 50 (50) rpm |\n"
            "| curve segments (default) | noisy | 1 of 1 | 279 % (279 %) | 0.07 % (0.07 %) | 50 (50) rpm |\n"
            "| none | noisy | 0 of 1 | - | - | - |\n"
            "| local smoothing | noisy | 0 of 1 | - | - | - |\n"
            "| exponential fit | noisy | 0 of 1 | - | - | - |\n"
            "\nNot calculated:\n\n"
            "- `car-11025-noisy` with none, local smoothing: Incomplete scan\n"
            "- `car-11025-noisy` with exponential fit: other\n");
}

TEST(AccuracyReport, ShortFigureKeepsTwoDigitsAcrossTheRoundingBounds) {
  EXPECT_EQ(ShortFigure(0.994), "0.99");
  EXPECT_EQ(ShortFigure(0.996), "1.0");
  EXPECT_EQ(ShortFigure(9.94), "9.9");
  EXPECT_EQ(ShortFigure(9.96), "10");
  EXPECT_EQ(ShortFigure(18509.24), "18509");
  EXPECT_EQ(ShortFigure(-3.41), "-3.4");
}

}  // namespace
}  // namespace ruvo
