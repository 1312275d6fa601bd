// Whole calculations on synthetic recordings: from the run document to the saved table and log.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <tuple>

#include "e2e/synthetic_run.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

class CalculationE2e : public test::CalculationFixture {
 protected:
  std::string Log() const { return test::ReadFileBytes(fs::current_path() / "ruvo.log"); }
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
  const Outcome outcome = calculation.Calculate();
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
      const Outcome outcome = calculation.Calculate();
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
  const Outcome withMissing = calculation.Calculate();
  ASSERT_TRUE(withMissing);
  EXPECT_EQ(withMissing.messages(), std::vector<std::string>{"Could not open wave file - missing.wav"});
  EXPECT_GT(calculation.Results().rowCount, 1);
  const std::string log = Log();
  EXPECT_EQ(CountOf(log, "#Ruvo Log file\n"), 2u);
  EXPECT_EQ(CountOf(log, "#Final Derivatives:\n"), 2u);
  EXPECT_LT(log.find("#Ruvo RPM Calculate: first.wav"), log.find("#Ruvo RPM Calculate: second.wav"));

  params.waveFiles.pop_back();
  params.calculationMode = 1;
  ASSERT_TRUE(calculation.Calculate());
  const CalculationResults& results = calculation.Results();
  ASSERT_FALSE(results.pulseTimes.empty());
  // The tachometer timeline is untrimmed: its last pulse is near the end of the second recording.
  EXPECT_NEAR(results.pulseTimes.back(), static_cast<double>(other.run.sampleCount) / 11025.0, 0.1);
  EXPECT_EQ(static_cast<std::size_t>(results.rowCount), results.pulseTimes.size());

  params.waveFiles.assign(12, "first.wav");
  const Outcome twelve = calculation.Calculate();
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
  const Outcome outcome = calculation.Calculate();
  EXPECT_FALSE(outcome);
  EXPECT_EQ(outcome.messages(),
            std::vector<std::string>{"Calculation failed RPM range too short - the recordings share less than 50 rpm"});
}

TEST_F(CalculationE2e, AnEmptyListCalculatesNothingAndSaysNothing) {
  fs::current_path(folder.Path());
  const Outcome outcome = calculation.Calculate();
  EXPECT_EQ(std::tuple(outcome.ok(), outcome.messages().size(), Log()), std::tuple(false, 0u, ""));
}

TEST_F(CalculationE2e, OpeningAnotherDocumentDropsTheKeptResults) {
  OpenRun("a");
  ASSERT_TRUE(calculation.Calculate());
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_NE(Saved().find("\nTitle=\"" + params.description + "\"\nVariables=\n"), std::string::npos);

  std::ostringstream plain;
  WriteRunDocument(plain, RunParameters{});
  test::WriteFileBytes(folder.File("b.dat"), plain.str());
  ASSERT_TRUE(document.OpenRunDocument(folder.File("b.dat")));
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_EQ(Saved(), plain.str());  // A's table does not land under B's parameters
}

}  // namespace
}  // namespace ruvo
