// Whole calculations on synthetic recordings: from the run document to the saved table and log.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "calc/run_calculation.h"
#include "core/run_document.h"
#include "core/text_format.h"
#include "e2e/synthetic_run.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

// The form's side of a calculation: its parameters, results and document.
class CalculationE2e : public ::testing::Test {
 protected:
  bool Open(const std::string& path) { return document.OpenRunDocument(path); }
  std::string Log() const { return test::ReadFileBytes(fs::current_path() / "ruvo.log"); }
  std::string Saved() const { return test::ReadFileBytes(document.DocumentPath()); }

  test::TempFolder folder;
  test::MessageCapture messages;
  RunParameters params;
  AnalysisConfig config;
  RunCalculation calculation{params, config};
  RunDocument document{params, &calculation};
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST_F(CalculationE2e, DefaultSmoothingRecoversTheTruePeaks) {
  // The run goes on past the horsepower peak (5700 rpm): a peak in the spline's last few hundred
  // rpm is flat enough (0.3 hp over 150 rpm) that its rpm is not a fair measure.
  SynthOptions options = test::TypicalRun(22050);
  options.endRpm = 6500.0;
  const test::SyntheticRun written = test::WriteSyntheticRun(options, folder, "clean");
  ASSERT_TRUE(Open(written.documentPath));
  ASSERT_EQ(params.smoothingMethod, 2);
  ASSERT_NE(calculation.Calculate(), 0);
  EXPECT_TRUE(messages.Texts().empty()) << messages.Texts().front();

  const CalculationResults& results = calculation.Results();
  const test::TruthPeaks truth = test::PeaksOf(written.run);
  double bestHp = 0.0, bestHpRpm = 0.0, bestTorque = 0.0, bestTorqueRpm = 0.0;
  for (std::size_t k = 0; k < results.rpm.size(); ++k) {
    if (results.horsepower[k] > bestHp) bestHp = results.horsepower[k], bestHpRpm = results.rpm[k];
    if (results.torque[k] > bestTorque) bestTorque = results.torque[k], bestTorqueRpm = results.rpm[k];
  }
  // The whole chain: detection, spline fit, equation of motion. 2 % and 100 rpm are the product's promise.
  EXPECT_TRUE(test::IsClose(bestHp, truth.horsepower, 0.02)) << "horsepower";
  EXPECT_TRUE(test::IsClose(bestTorque, truth.torque, 0.02)) << "torque";
  EXPECT_NEAR(bestHpRpm, truth.horsepowerRpm, 100.0);
  EXPECT_NEAR(bestTorqueRpm, truth.torqueRpm, 100.0);
  EXPECT_EQ(results.summaryLine1, FormatText("        Max HP:%6.1f hp @ %i rpm", bestHp, static_cast<int>(bestHpRpm)));
  EXPECT_EQ(results.summaryLine2,
            FormatText("  Max Torque:%6.1f ft-lb @ %i rpm", bestTorque, static_cast<int>(bestTorqueRpm)));
}

TEST_F(CalculationE2e, SavedDocumentCarriesTheTableOnlyAfterSuccess) {
  const test::SyntheticRun written = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "run");
  ASSERT_TRUE(Open(written.documentPath));
  ASSERT_NE(calculation.Calculate(), 0);
  ASSERT_TRUE(document.SaveToCurrentPath());
  const std::vector<std::string> lines = Lines(Saved());
  const std::size_t parameterLines = 24;  // one wave file
  const auto rows = static_cast<std::size_t>(calculation.Results().rowCount);
  ASSERT_EQ(lines.size(), parameterLines + 4 + rows);
  EXPECT_EQ(lines[parameterLines], "Title=\"" + params.description + "\"");
  EXPECT_EQ(lines[parameterLines + 1], "Variables=");
  const double firstRpm = calculation.Results().rpm.front();
  EXPECT_EQ(std::fmod(firstRpm, 50.0), 0.0);
  EXPECT_EQ(lines[parameterLines + 4].substr(0, 6), FormatText("%6.0f", firstRpm));

  params.initialRpm = 6000;  // nothing rises from there: the calculation fails
  params.finalRpm = 6500;
  EXPECT_EQ(calculation.Calculate(), 0);
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_EQ(Lines(Saved()).size(), parameterLines);
}

TEST_F(CalculationE2e, EverySmoothingMethodWorksInBothModes) {
  test::SyntheticRun written = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "run");
  ASSERT_TRUE(Open(written.documentPath));
  for (int mode : {0, 1}) {
    for (int method : {0, 1, 2, 3}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " method " << method);
      params.calculationMode = mode;
      params.smoothingMethod = method;
      params.smoothingLevel = method == 3 ? 2 : 3;
      ASSERT_NE(calculation.Calculate(), 0) << (messages.Texts().empty() ? "" : messages.Texts().back());
      const std::string log = Log();
      EXPECT_EQ(log.rfind("#Ruvo Log file\n", 0), 0u);
      EXPECT_EQ(CountOf(log, "#Final Derivatives:\n"), 1u);
      EXPECT_EQ(CountOf(log, "#ExpFit:") > 0, method == 3);
      EXPECT_LT(log.find("#Final:\n"), log.find("#Final Derivatives:\n"));
      std::ostringstream table;
      ASSERT_TRUE(calculation.AppendResultTable(table));
      EXPECT_EQ(Lines(table.str())[2].substr(0, 8), mode == 0 ? "  \"RPM\" " : "    \"Tim");
      if (mode == 1) {
        EXPECT_EQ(static_cast<std::size_t>(calculation.Results().rowCount), calculation.Results().pulseTimes.size());
        EXPECT_EQ(calculation.Results().summaryLine1.substr(0, 11), " RPM range:");
      }
    }
  }
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(CalculationE2e, AFailingSecondRecordingLeavesTheResultsOfTheFirst) {
  const test::SyntheticRun written = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "run");
  ASSERT_TRUE(Open(written.documentPath));
  params.waveFiles.push_back("missing.wav");
  EXPECT_NE(calculation.Calculate(), 0);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Could not open wave file - missing.wav"});
  EXPECT_EQ(CountOf(Log(), "#Ruvo Log file\n"), 1u);
  EXPECT_GT(calculation.Results().rowCount, 1);
}

TEST_F(CalculationE2e, TwoRecordingsAreAveragedAndTachometerUsesTheLast) {
  SynthOptions second = test::TypicalRun(11025);
  second.seed = 7;
  second.vehicle.gearRatio = 1.8;  // a different run: the tachometer rows must come from it
  const test::SyntheticRun first = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "first");
  const test::SyntheticRun other = test::WriteSyntheticRun(second, folder, "second");
  ASSERT_TRUE(Open(first.documentPath));
  params.waveFiles.push_back("second.wav");
  ASSERT_NE(calculation.Calculate(), 0);
  const std::string log = Log();
  EXPECT_EQ(CountOf(log, "#Ruvo Log file\n"), 2u);
  EXPECT_EQ(CountOf(log, "#Final Derivatives:\n"), 2u);
  EXPECT_LT(log.find("#Ruvo RPM Calculate: first.wav"), log.find("#Ruvo RPM Calculate: second.wav"));

  params.calculationMode = 1;
  ASSERT_NE(calculation.Calculate(), 0);
  const CalculationResults& results = calculation.Results();
  ASSERT_FALSE(results.pulseTimes.empty());
  // The tachometer timeline is untrimmed: its last pulse is near the end of the second recording.
  const double secondDuration = static_cast<double>(other.run.sampleCount) / 11025.0;
  EXPECT_NEAR(results.pulseTimes.back(), secondDuration, 0.1);
  EXPECT_EQ(static_cast<std::size_t>(results.rowCount), results.pulseTimes.size());
}

TEST_F(CalculationE2e, ARunShorterThanOneGridStepFailsWithAReason) {
  SynthOptions slow = test::TypicalRun(11025);  // 1010 to 1045 rpm: no multiple of 50 strictly inside
  slow.vehicle.vehicleWeight = 50000.0;
  slow.startRpm = 1010.0;
  slow.endRpm = 1045.0;
  const test::SyntheticRun written = test::WriteSyntheticRun(slow, folder, "slow");
  ASSERT_TRUE(Open(written.documentPath));
  EXPECT_EQ(calculation.Calculate(), 0);
  EXPECT_EQ(messages.Texts(),
            std::vector<std::string>{"Calculation failed RPM range too short - the recordings share less than 50 rpm"});
}

TEST_F(CalculationE2e, NothingToCalculateAndUnusableLogsFailAsTheUserExpects) {
  fs::current_path(folder.Path());
  EXPECT_EQ(calculation.Calculate(), 0);  // empty list: no message, an empty log
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_EQ(Log(), "");

  fs::remove(folder.Path() / "ruvo.log");
  fs::create_directory(folder.Path() / "ruvo.log");
  params.waveFiles = {"a.wav"};
  EXPECT_EQ(calculation.Calculate(), 0);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Could not open Log file - ruvo.log"});
}

TEST_F(CalculationE2e, AtMostTenRecordingsAreAnalysed) {
  const test::SyntheticRun written = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "run");
  ASSERT_TRUE(Open(written.documentPath));
  params.calculationMode = 1;
  params.waveFiles.assign(12, "run.wav");
  ASSERT_NE(calculation.Calculate(), 0);
  EXPECT_EQ(messages.Texts(),
            std::vector<std::string>{"Only the first 10 wave files are used - the other 2 were ignored"});
  EXPECT_EQ(CountOf(Log(), "#Ruvo Log file\n"), 10u);
}

TEST_F(CalculationE2e, OpeningAnotherDocumentDropsTheKeptResults) {
  const test::SyntheticRun a = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "a");
  ASSERT_TRUE(Open(a.documentPath));
  ASSERT_NE(calculation.Calculate(), 0);
  ASSERT_TRUE(document.SaveToCurrentPath());
  const std::string finishedA = Saved();

  RunParameters other;
  other.description = "plain";
  std::ofstream(folder.File("b.dat")) << [&] {
    std::ostringstream text;
    WriteRunDocument(text, other);
    return text.str();
  }();
  ASSERT_TRUE(Open(folder.File("b.dat")));
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_EQ(Saved().find("Title="), std::string::npos);  // A's table does not land under B's parameters

  ASSERT_TRUE(Open(a.documentPath));  // a finished run keeps its table when saved again
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_EQ(Saved(), finishedA);
}

}  // namespace
}  // namespace ruvo
