// Whole calculations on synthetic recordings: from the run document to the saved table and log.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <thread>
#include <tuple>
#include <vector>

#include "e2e/synthetic_run.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

class CalculationE2e : public test::CalculationFixture {
 protected:
  std::string Log() const { return test::ReadFileBytes(folder.Path() / "ruvo.log"); }
  std::string Saved() const { return test::ReadFileBytes(document.DocumentPath()); }
};

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
  const test::TruthPeaks truth = test::PeaksOf(OpenRun("clean", options).run);
  ASSERT_EQ(params.smoothingMethod, 2);
  const Outcome outcome = calculation.Calculate(document.Folder());
  ASSERT_TRUE(outcome);
  EXPECT_EQ(outcome.messages(), std::vector<std::string>{});
  const CalculationResults& results = calculation.Results();
  const auto hp = std::max_element(results.horsepower.begin(), results.horsepower.end());
  const auto torque = std::max_element(results.torque.begin(), results.torque.end());
  // The whole chain: detection, spline fit, equation of motion. 2 % and 100 rpm are the product's promise.
  EXPECT_TRUE(test::IsClose(*hp, truth.horsepower, 0.02)) << "horsepower";
  EXPECT_TRUE(test::IsClose(*torque, truth.torque, 0.02)) << "torque";
  EXPECT_NEAR(results.rpm[hp - results.horsepower.begin()], truth.horsepowerRpm, 100.0);
  EXPECT_NEAR(results.rpm[torque - results.torque.begin()], truth.torqueRpm, 100.0);
}

TEST_F(CalculationE2e, EverySmoothingMethodWorksInBothModes) {
  OpenRun("run");
  for (int mode : {0, 1}) {
    for (int method : {0, 1, 2, 3}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " method " << method);
      params.calculationMode = mode;
      params.smoothingMethod = method;
      params.smoothingLevel = method == 3 ? 2 : 3;
      const Outcome outcome = calculation.Calculate(document.Folder());
      ASSERT_TRUE(outcome);
      EXPECT_EQ(outcome.messages(), std::vector<std::string>{});
      const std::string log = Log();
      EXPECT_EQ(CountOf(log, "#Final Derivatives:\n"), 1u);
      EXPECT_EQ(CountOf(log, "#ExpFit:") > 0, method == 3);
      EXPECT_LT(log.find("#Final:\n"), log.find("#Final Derivatives:\n"));
      std::ostringstream table;
      ASSERT_TRUE(calculation.AppendResultTable(table));
      EXPECT_NE(table.str().find(mode == 0 ? "\n  \"RPM\" " : "\n    \"Time\" "), std::string::npos);
    }
  }
}

TEST_F(CalculationE2e, RecordingsAreAveragedTachometerUsesTheLastAndAtMostTenCount) {
  SynthOptions second = test::TypicalRun(11025);
  second.seed = 7;
  second.vehicle.gearRatio = 1.8;  // a different run: the tachometer rows must come from it
  const test::SyntheticRun other = test::WriteSyntheticRun(second, folder, "second");
  OpenRun("first");
  params.waveFiles = {"first.wav", "second.wav", "missing.wav"};  // a failing last one keeps the others' results
  const Outcome withMissing = calculation.Calculate(document.Folder());
  ASSERT_TRUE(withMissing);
  EXPECT_EQ(withMissing.messages(), std::vector<std::string>{"Could not open wave file - missing.wav"});
  EXPECT_GT(calculation.Results().rowCount, 1);
  const std::string log = Log();
  EXPECT_EQ(CountOf(log, "#Ruvo Log file\n"), 2u);
  EXPECT_EQ(CountOf(log, "#Final Derivatives:\n"), 2u);
  EXPECT_LT(log.find("#Ruvo RPM Calculate: first.wav"), log.find("#Ruvo RPM Calculate: second.wav"));

  params.waveFiles.pop_back();
  params.calculationMode = 1;
  ASSERT_TRUE(calculation.Calculate(document.Folder()));
  const CalculationResults& results = calculation.Results();
  ASSERT_FALSE(results.pulseTimes.empty());
  // The tachometer timeline is untrimmed: its last pulse is near the end of the second recording.
  EXPECT_NEAR(results.pulseTimes.back(), static_cast<double>(other.run.sampleCount) / 11025.0, 0.1);
  EXPECT_EQ(static_cast<std::size_t>(results.rowCount), results.pulseTimes.size());

  params.waveFiles.assign(12, "first.wav");
  const Outcome twelve = calculation.Calculate(document.Folder());
  ASSERT_TRUE(twelve);
  EXPECT_EQ(twelve.messages(),
            std::vector<std::string>{"Only the first 10 wave files are used - the other 2 were ignored"});
  EXPECT_EQ(CountOf(Log(), "#Ruvo Log file\n"), 10u);
}

TEST_F(CalculationE2e, ARunShorterThanOneGridStepFailsWithAReason) {
  SynthOptions slow = test::TypicalRun(11025);  // 1010 to 1045 rpm: no multiple of 50 strictly inside
  slow.vehicle.vehicleWeight = 50000.0;
  slow.startRpm = 1010.0;
  slow.endRpm = 1045.0;
  OpenRun("slow", slow);
  const Outcome outcome = calculation.Calculate(document.Folder());
  EXPECT_FALSE(outcome);
  EXPECT_EQ(outcome.messages(),
            std::vector<std::string>{"Calculation failed RPM range too short - the recordings share less than 50 rpm"});
}

TEST_F(CalculationE2e, AnEmptyListCalculatesNothingAndSaysNothing) {
  const Outcome outcome = calculation.Calculate(document.Folder());
  EXPECT_EQ(std::tuple(outcome.ok(), outcome.messages().size(), Log()), std::tuple(false, 0u, ""));
}

TEST_F(CalculationE2e, OpeningAnotherDocumentDropsTheKeptResults) {
  OpenRun("a");
  ASSERT_TRUE(calculation.Calculate(document.Folder()));
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_NE(Saved().find("\nTitle=\"" + params.description + "\"\nVariables=\n"), std::string::npos);

  std::ostringstream plain;
  WriteRunDocument(plain, RunParameters{});
  test::WriteFileBytes(folder.File("b.dat"), plain.str());
  ASSERT_TRUE(document.OpenRunDocument(folder.File("b.dat")));
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_EQ(Saved(), plain.str());  // A's table does not land under B's parameters
}

// Calculations on two threads give what each gives alone: side by side in two folders, one after
// the other in one folder, where the log is whole and the last one's, never a mix of the two; neither
// reads or changes the working directory.
TEST_F(CalculationE2e, TwoCalculationsAtOnceGiveWhatEachGivesAlone) {
  OpenRun("first");
  test::TempFolder otherFolder;
  SynthOptions options = test::TypicalRun(11025);
  options.seed = 5;
  options.vehicle.gearRatio = 1.8;
  test::WriteSyntheticRun(options, folder, "second");
  RunParameters other = test::WriteSyntheticRun(options, otherFolder, "second").run.document;
  other.waveFiles = {"second.wav"};
  const std::string here = folder.Path().string(), there = otherFolder.Path().string();
  const auto calculate = [this](const RunParameters& run, const std::string& where) {
    RunCalculation alone(run, config);
    const Outcome outcome = alone.Calculate(where);
    EXPECT_TRUE(outcome) << test::Said(outcome);
    return alone.Results().horsepower;
  };
  const std::vector<double> firstAlone = calculate(params, here), secondAlone = calculate(other, there);
  const std::string firstLog = Log(), secondLog = test::ReadFileBytes(otherFolder.Path() / "ruvo.log");
  ASSERT_NE(firstAlone, secondAlone);

  const fs::path working = fs::current_path();
  for (int round = 0; round < 6; ++round) {  // an unserialised log is mixed in some rounds only
    const bool oneFolder = round > 0;
    SCOPED_TRACE(oneFolder ? "one folder" : "two folders");
    fs::remove(folder.Path() / "ruvo.log");
    fs::remove(otherFolder.Path() / "ruvo.log");
    std::vector<double> first, second;
    std::thread beside([&] { first = calculate(params, here); });
    second = calculate(other, oneFolder ? here : there);
    beside.join();
    EXPECT_EQ(std::pair(first, second), std::pair(firstAlone, secondAlone));
    if (oneFolder) {
      EXPECT_TRUE(Log() == firstLog || Log() == secondLog);
    } else {
      EXPECT_EQ(std::pair(Log(), test::ReadFileBytes(otherFolder.Path() / "ruvo.log")), std::pair(firstLog, secondLog));
    }
  }
  EXPECT_EQ(fs::current_path(), working);
}

}  // namespace
}  // namespace ruvo
