// What the desktop reads back from a pulse track's origin comment, and the settings it derives from
// a run document's estimates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/engine_sound_conversion.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

TEST(EngineSoundOrigin, ReadsBackWhatTheImportWrote) {
  EngineSoundOptions options;
  options.tracker.cylinders = 6;
  options.tracker.strokes = 2;
  options.tracker.lowRpm = 1499.6;  // written as whole rpm
  options.tracker.highRpm = 8125.0;
  options.revsPerPulse = 0.5;
  EngineSoundReport report;
  report.track.hopSeconds = 0.005;
  report.track.frames = {{1.2004, 2000.0, 0.0, 1.0}, {5.0, 4000.0, 30.0, 1.0}, {9.8, 8000.0, 90.0, 1.0}};
  report.pull.firstFrame = 0;
  report.pull.lastFrame = 2;
  const std::optional<EngineSoundOriginFields> read = ReadEngineSoundOrigin(EngineSoundOrigin(options, report, 75000));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->tracker.cylinders, 6);
  EXPECT_EQ(read->tracker.strokes, 2);
  EXPECT_EQ(read->tracker.lowRpm, 1500.0);  // exact: whole numbers as written
  EXPECT_EQ(read->tracker.highRpm, 8125.0);
  EXPECT_EQ(read->revsPerPulse, 0.5);
  EXPECT_TRUE(test::IsClose(read->pullFromSeconds, 1.2004, 0.0, 0.0005));  // written to the millisecond
  EXPECT_TRUE(test::IsClose(read->pullToSeconds, 9.8, 0.0, 0.0005));
  EXPECT_EQ(read->hopSeconds, 0.005);
  EXPECT_EQ(read->rate, 75000);
  EXPECT_EQ(read->tracker.expectedStartRpm, 0.0);  // not recorded
  EXPECT_EQ(read->tracker.expectedEndRpm, 0.0);
}

TEST(EngineSoundOrigin, RefusesEveryOtherComment) {
  const std::string good =
      "Tracked by Ruvo: engine sound; cylinders 6; strokes 4; band 1500-8125 rpm; revolutions per pulse 2; "
      "pull 1.200-9.800 s; hop 0.0050 s; rate 75000 Hz";
  ASSERT_TRUE(ReadEngineSoundOrigin(good).has_value());
  const std::vector<std::string> others = {
      "",
      "Converted by Ruvo: channel 1 of 2; filters: none",
      "Tracked by Ruvo: engine speed log; cylinders 6",
      good.substr(0, good.size() - 1),                                               // "rate 75000 H"
      good + "; extra 1",                                                            // a field more
      good.substr(0, good.find("; hop")),                                            // fields missing
      std::string(good).replace(good.find("6;"), 1, "six"),                          // not a number
      std::string(good).replace(good.find("1500-"), 5, "1500 "),                     // no range
      std::string(good).replace(good.find("rate 75000 Hz"), 13, "rate 75000.5 Hz"),  // not whole
  };
  for (const std::string& comment : others) EXPECT_FALSE(ReadEngineSoundOrigin(comment).has_value()) << comment;
}

TEST(EngineSoundOrigin, DocumentEstimatesGiveTheBandStartAndPulseSpacing) {
  RunParameters params;
  params.initialRpm = 2000;
  params.finalRpm = 6500;
  params.revsPerIgnition = 2.0;
  EngineSoundOptions options;
  TakeDocumentEstimates(params, false, false, options);
  EXPECT_EQ(options.tracker.lowRpm, 1500.0);  // 2000 less 25 %, exact in binary
  EXPECT_EQ(options.tracker.highRpm, 8125.0);
  EXPECT_EQ(options.startRpm, 2000.0);
  EXPECT_EQ(options.tracker.expectedStartRpm, 2000.0);
  EXPECT_EQ(options.tracker.expectedEndRpm, 6500.0);
  EXPECT_EQ(options.revsPerPulse, 2.0);

  // A band and a pulse spacing given by the user stay; the expectations still follow the document.
  EngineSoundOptions given;
  given.tracker.lowRpm = 900.0;
  given.tracker.highRpm = 9000.0;
  given.revsPerPulse = 1.0;
  TakeDocumentEstimates(params, true, true, given);
  EXPECT_EQ(given.tracker.lowRpm, 900.0);
  EXPECT_EQ(given.tracker.highRpm, 9000.0);
  EXPECT_EQ(given.revsPerPulse, 1.0);
  EXPECT_EQ(given.tracker.expectedEndRpm, 6500.0);
}

TEST(EngineSoundOrigin, FiringsPerRevolutionFollowStrokes) {
  struct Case {
    std::int32_t cylinders, strokes;
    double firings;
  };
  for (const Case& c : {Case{1, 4, 0.5}, Case{6, 4, 3.0}, Case{16, 4, 8.0}, Case{1, 2, 1.0}, Case{3, 2, 3.0}})
    EXPECT_EQ(FiringsPerRevolution(c.cylinders, c.strokes), c.firings) << c.cylinders << " cylinders, " << c.strokes;
}

}  // namespace
}  // namespace ruvo
