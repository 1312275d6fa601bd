// The harness's table, CSV, summary and plot data: shapes a reader or a spreadsheet relies on.
#include "accuracy_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace ruvo {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Commas outside double quotes.
int Fields(const std::string& line) {
  int fields = 1;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) ++fields;
  }
  return fields;
}

AccuracyResult Measured(const std::string& smoothing, const std::string& sound, double hpRms, double peakHp) {
  AccuracyFigures f;
  f.comparedRows = 10;
  f.firstRpm = 1050.0;
  f.lastRpm = 1500.0;
  f.horsepower.rmsPercent = hpRms;
  f.horsepower.peakPercent = peakHp;
  f.horsepower.peakRpmError = -50.0;
  f.torque.rmsPercent = 2.0 * hpRms;
  return {"car-11025-" + sound, sound, smoothing, f, {}};
}

AccuracyResult Failed(const std::string& smoothing, const std::string& sound, const std::string& why) {
  return {"car-11025-" + sound, sound, smoothing, std::nullopt, why};
}

TEST(AccuracyReport, CsvRowsKeepTheirColumnsWhateverTheFailureSays) {
  const std::vector<AccuracyResult> results = {
      Measured("segments-3", "clean", 1.25, -0.5),
      Failed("none", "noisy", "Calculation failed, \"badly\"; twice"),
  };
  const std::vector<std::string> lines = Lines(FormatAccuracyCsv(results));
  ASSERT_EQ(lines.size(), 3u);
  for (const std::string& line : lines) EXPECT_EQ(Fields(line), Fields(lines[0])) << line;
  EXPECT_EQ(lines[1].substr(0, 40), "car-11025-clean,clean,segments-3,10,1050");
  EXPECT_NE(lines[1].find(",1.2500,"), std::string::npos);  // horsepower rms
  EXPECT_EQ(lines[2], "car-11025-noisy,noisy,none,,,,,,,,,,,,,,\"Calculation failed, \"\"badly\"\"; twice\"");
}

TEST(AccuracyReport, TableShowsFiguresOrTheReasonPerLine) {
  const std::vector<std::string> lines =
      Lines(FormatAccuracyTable({Measured("local-3", "clean", 3.5, 1.0), Failed("none", "clean", "no pulses")}));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_NE(lines[1].find(" 1050-1500 "), std::string::npos);
  EXPECT_NE(lines[1].find("  3.50 "), std::string::npos);
  EXPECT_EQ(lines[2].substr(lines[2].size() - 17), "failed: no pulses");
}

TEST(AccuracyReport, SummaryGroupsByMethodAndSoundAndSkipsFailedRuns) {
  const std::vector<AccuracyResult> results = {
      Measured("segments-3", "clean", 1.0, -2.0),
      Measured("segments-3", "clean", 3.0, 1.0),
      Measured("segments-3", "clean", 2.5, 0.5),
      Failed("segments-3", "clean", "x"),
      Measured("segments-3", "noisy", 4.0, 1.0),
      Measured("segments-3", "noisy", 6.0, -3.0),
      Failed("none", "clean", "y"),
  };
  const std::vector<std::string> lines = Lines(FormatAccuracySummary(results));
  ASSERT_EQ(lines.size(), 5u);  // two header lines, three groups in order of appearance
  // Clean: 3 of 4 ran; power rms median 2.5 of {1, 2.5, 3}, worst 3; torque twice that;
  // |peak hp| median 1 of {2, 1, 0.5}, worst 2; |peak rpm| 50 throughout.
  EXPECT_EQ(lines[2],
            "segments-3 clean    3/4   |   2.50     3.00 |   5.00     6.00 |   1.00     2.00 |     50       50");
  // Noisy: an even count takes the mean of the two middle values.
  EXPECT_EQ(lines[3].substr(0, 39), "segments-3 noisy    2/2   |   5.00     ");
  EXPECT_EQ(lines[4], "none       clean    0/1   | none calculated");
}

TEST(AccuracyReport, PlotDataIsOneHeadedBlockPerCurve) {
  const std::string text =
      FormatPlotData({{"truth", {{1000.0, 100.0, 19.04}, {1050.0, 101.0, 20.2}}}, {"none", {{1050.0, 99.5, 19.9}}}});
  EXPECT_EQ(text,
            "truth torque_ftlb hp\n1000 100.0000 19.0400\n1050 101.0000 20.2000\n"
            "\n\n"
            "none torque_ftlb hp\n1050 99.5000 19.9000\n");
}

}  // namespace
}  // namespace ruvo
