#include "core/run_document.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <tuple>

#include "support/test_support.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

const char* const kDefaultDocument =
    "# Tammel Ruvo v2.0 : \n"
    "# Vehicle Weight   : 2400.000000\n"
    "# Revs/Ignition    : 2.000000\n"
    "# Axle Ratio       : 4.000000\n"
    "# Gear Ratio       : 2.500000\n"
    "# Wheel Diameter   : 29.300000\n"
    "# Tire Aspect Ratio: 100.000000\n"
    "# Tire Width       : 0.000000\n"
    "# Drag Coefficient : 0.500000\n"
    "# Frontal Area     : 35.000000\n"
    "# HP Fricion Loss  : 0.000000\n"
    "# HP Loss @ RPM of : 0\n"
    "# HP Loss Exponent : 0.000000\n"
    "# Smoothing Method : 2\n"
    "# Smoothing Level  : 3\n"
    "# Est. Initial RPM : 1000\n"
    "# Est. Final RPM   : 5000\n"
    "# Max Pulse Length : 20.000000\n"
    "# Number Wave Files: 0\n"
    "# Calculation Mode : 0\n"
    "# Coef. Roll. Resis: 0.010000\n"
    "# Drivetrain Loss  : 0.000000\n"
    "# Smoothing RPM    : 0\n";

// Every field set away from its initial value, with two wave files.
RunParameters SampleParameters() {
  RunParameters p;
  std::tie(p.description, p.vehicleWeight, p.revsPerIgnition, p.axleRatio, p.gearRatio, p.wheelDiameter,
           p.tireAspectRatio, p.tireWidth, p.dragCoefficient, p.frontalArea, p.frictionLossHp, p.frictionLossRpm,
           p.frictionLossExponent, p.smoothingMethod, p.smoothingLevel, p.initialRpm, p.finalRpm, p.maxPulseLength,
           p.calculationMode, p.rollingCoefficient, p.drivetrainLoss, p.smoothingRpm) =
      std::tuple("Civic 3rd gear", 2650.5, 1.0, 4.1, 1.36, 14.0, 60.0, 195.0, 0.33, 20.5, 12.25, 4000, 1.5, 3, 2, 1500,
                 6500, 15.0, 1, 0.015, 12.0, 6200);
  p.waveFiles = {"run1.wav", "/data/runs/run 2.wav"};
  return p;
}

std::string Written(const RunParameters& params) {
  std::ostringstream out;
  EXPECT_EQ(WriteRunDocument(out, params), 1);
  return out.str();
}

std::int32_t ReadText(const std::string& text, RunParameters& params) {
  std::istringstream in(text);
  return ReadRunDocument(in, params);
}

TEST(RunDocumentText, InitialValuesAreWrittenByteForByte) {
  EXPECT_EQ(Written(RunParameters{}), kDefaultDocument);
}

TEST(RunDocumentText, EveryFieldRoundTripsAlsoWithCrLfLineEndsAndLongLines) {
  RunParameters written = SampleParameters();
  const std::string text = Written(written);
  EXPECT_NE(text.find("# Number Wave Files: 2\n# Wave File No.  1 : run1.wav\n# Wave File No.  2 : /data/runs/"),
            std::string::npos);
  RunParameters read;
  ASSERT_EQ(ReadText(text, read), 1);
  EXPECT_EQ(read, written);

  written.description = std::string(300, 'd') + "\r\n.";  // line breaks are written as blanks
  written.waveFiles = {std::string(200, 'p') + ".wav", "second.wav"};
  std::string crlf;
  for (char c : Written(written)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  RunParameters reread;
  ASSERT_EQ(ReadText(crlf, reread), 1);
  written.description = std::string(300, 'd') + "  .";
  EXPECT_EQ(reread, written);
}

TEST(RunDocumentText, VersionOneDocumentsStopAfterTheWaveFilesAndKeepTheOtherFields) {
  const RunParameters sample = SampleParameters();
  std::string text = Written(sample);
  text[15] = '1';
  text.erase(text.find("# Calculation Mode"));
  text.pop_back();  // the last wave line without a line end keeps its whole path

  RunParameters read;
  ASSERT_EQ(ReadText(text, read), 1);
  RunParameters expected = sample;  // the version-2 fields keep their initial values
  const RunParameters initial;
  std::tie(expected.calculationMode, expected.rollingCoefficient, expected.drivetrainLoss, expected.smoothingRpm) =
      std::tie(initial.calculationMode, initial.rollingCoefficient, initial.drivetrainLoss, initial.smoothingRpm);
  EXPECT_EQ(read, expected);

  text[15] = '3';  // anything but 1 or 2 counts as version 1
  EXPECT_EQ(ReadText(text, read), 1);
  text.replace(0, text.find('\n'), "# short");  // too short for a version or a description
  RunParameters shortLine = sample;
  ASSERT_EQ(ReadText(text, shortLine), 1);
  EXPECT_EQ(shortLine.description, "");
}

TEST(RunDocumentText, UnconvertibleValuesKeepTheirFields) {
  std::string text = kDefaultDocument;
  const auto replaceValue = [&text](const std::string& key, const std::string& value) {
    const std::size_t start = text.find(key) + 21;
    text.replace(start, text.find('\n', start) - start, value);
  };
  replaceValue("# Gear Ratio", "fast");
  replaceValue("# Est. Final RPM", "0x1770");
  replaceValue("# Number Wave Files", "many");  // a count that does not convert counts as 0
  RunParameters read = SampleParameters();
  ASSERT_EQ(ReadText(text, read), 1);
  RunParameters expected;
  expected.gearRatio = SampleParameters().gearRatio;
  expected.finalRpm = 6000;
  EXPECT_EQ(read, expected);
}

TEST(RunDocumentText, EveryEarlyEndIsReported) {
  const std::string text = Written(SampleParameters());
  RunParameters read;
  for (std::size_t end = text.find('\n'); end + 1 < text.size(); end = text.find('\n', end + 1))
    EXPECT_EQ(ReadText(text.substr(0, end + 1), read), 0) << "cut after byte " << end + 1;
  std::string huge = kDefaultDocument;
  EXPECT_EQ(ReadText(huge.replace(huge.find("Files: 0") + 7, 1, "2000000000"), read), 0);
}

TEST(RunDocumentText, ConditionLinesFollowTheParametersAndStayOutOfTheTable) {
  const std::string table = "# Spark (fractions): 0.5000 0.5000\nTitle=\"t\"\n";
  // A document without conditions is written exactly as before and reads back none.
  RunParameters read = SampleParameters();
  read.conditions.temperatureC = 30.0;
  ASSERT_EQ(ReadText(Written(SampleParameters()) + table, read), 1);
  EXPECT_EQ(read, SampleParameters());

  RunParameters withConditions = SampleParameters();
  withConditions.conditions = {21.5, 1002.25, 40.0, 350.0};
  const std::string text = Written(withConditions);
  EXPECT_EQ(text, Written(SampleParameters()) +
                      "# Air Temp. (deg C): 21.500000\n# Air Press. (hPa) : 1002.250000\n"
                      "# Rel. Humidity (%): 40.000000\n# Altitude (m)     : 350.000000\n");
  std::istringstream in(text + table);
  ASSERT_EQ(ReadRunDocument(in, read), 1);
  EXPECT_EQ(read, withConditions);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), table);  // the reader stops at the table

  // Only the set ones are written; an unreadable value is unset; a repeated key ends the lines.
  withConditions.conditions = {-5.0, std::nullopt, std::nullopt, std::nullopt};
  EXPECT_EQ(Written(withConditions), Written(SampleParameters()) + "# Air Temp. (deg C): -5.000000\n");
  const std::string odd = Written(SampleParameters()) +
                          "# Rel. Humidity (%): nan\r\n# Air Temp. (deg C): 12\r\n# Air Temp. (deg C): 13\r\n";
  std::istringstream oddIn(odd);
  ASSERT_EQ(ReadRunDocument(oddIn, read), 1);
  EXPECT_EQ(read.conditions, (AirConditions{12.0, std::nullopt, std::nullopt, std::nullopt}));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(oddIn), {}), "# Air Temp. (deg C): 13\r\n");
}

TEST(RebaseWavePath, KeepsPathsNamingTheSameRecordings) {
  // path, working folder, document folder, stored path
  const std::array<const char*, 4> cases[] = {{"/x/a.wav", "/w", "/x", "/x/a.wav"},
                                              {"sub/a.wav", "/w", "/w/sub", "a.wav"},
                                              {"a.wav", "/w", "/w/sub", "/w/a.wav"},
                                              {"../b/a.wav", "/w/x", "/w", "b/a.wav"},
                                              {"", "/w", "/x", ""}};
  for (const auto& [path, working, documentFolder, expected] : cases)
    EXPECT_EQ(RebaseWavePath(path, working, documentFolder), expected) << path;
}

// Result source of a calculation, as the run document sees it.
struct FakeResults : ResultTableSource {
  bool AppendResultTable(std::ostream& out) override { return (out << table) && !table.empty(); }
  void DiscardResults() override { ++discarded; }
  std::string table;
  int discarded = 0;
};

class RunDocumentFiles : public ::testing::Test {
 protected:
  test::TempFolder folder;
  RunParameters params;
  RunDocument document{params, folder.Path().string()};
};

TEST_F(RunDocumentFiles, RelativePathsResolveInTheDocumentFolderAndAFailedOpenChangesNothing) {
  fs::create_directory(folder.Path() / "runs");
  test::WriteFileBytes(folder.Path() / "runs" / "a.dat", Written(SampleParameters()));
  std::string truncated = Written(RunParameters{});
  test::WriteFileBytes(folder.Path() / "bad.dat", truncated.erase(truncated.rfind("# Smoothing RPM")));
  const fs::path working = fs::current_path();
  const Outcome opened = document.OpenRunDocument("runs/a.dat");
  ASSERT_TRUE(opened);
  const fs::path runs = folder.Path() / "runs";
  EXPECT_EQ(std::tuple(document.Folder(), document.DocumentPath(), opened.messages().size()),
            std::tuple(runs.string(), (runs / "a.dat").string(), 0u));
  EXPECT_EQ(params, SampleParameters());

  for (const auto& [path, message] :
       {std::pair<std::string, std::string>{"../bad.dat", "Invalid ruvo file - ../bad.dat"},
        {"missing.dat", "Not able to open - missing.dat"},
        {"..", "Not able to open - .."}}) {
    const Outcome failed = document.OpenRunDocument(path);
    EXPECT_EQ(std::pair(failed.ok(), failed.messages()), std::pair(false, std::vector{message}));
  }
  EXPECT_EQ(params, SampleParameters());
  EXPECT_EQ(std::pair(document.Folder(), document.DocumentPath()), std::pair(runs.string(), (runs / "a.dat").string()));
  EXPECT_EQ(fs::current_path(), working);
}

TEST_F(RunDocumentFiles, SavedIntoAnotherFolderTheDocumentMovesThereWithItsWaveList) {
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / "ruvo.dat"), kDefaultDocument);

  fs::create_directories(folder.Path() / "out");
  params.waveFiles = {"rec/a.wav", "/abs/b.wav", "out/c.wav"};
  ASSERT_TRUE(document.SaveRunDocument("out/run.dat"));
  const fs::path out = folder.Path() / "out";
  EXPECT_EQ(std::pair(document.Folder(), document.DocumentPath()), std::pair(out.string(), (out / "run.dat").string()));
  const std::vector<std::string> moved{(folder.Path() / "rec/a.wav").string(), "/abs/b.wav", "c.wav"};
  EXPECT_EQ(params.waveFiles, moved);  // the held list names the same files from the new folder
  RunParameters reread;
  RunDocument reopened(reread, "/");
  ASSERT_TRUE(reopened.OpenRunDocument((out / "run.dat").string()));
  EXPECT_EQ(reread.waveFiles, moved);
}

TEST_F(RunDocumentFiles, AnOpenedTableIsKeptUntilACalculationHasResults) {
  const std::string oldTable = "Title=\"old\"\r\nVariables=\n 1 2 3\n";
  test::WriteFileBytes(folder.Path() / "done.dat", Written(SampleParameters()) + oldTable);
  FakeResults results;
  RunDocument withResults(params, folder.Path().string(), &results);
  ASSERT_TRUE(withResults.OpenRunDocument(folder.File("done.dat")));
  EXPECT_EQ(results.discarded, 1);  // nothing computed for this document yet
  ASSERT_TRUE(withResults.SaveToCurrentPath());
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / "done.dat"), Written(SampleParameters()) + oldTable);

  results.table = "Title=\"new\"\n";  // a calculation succeeded
  ASSERT_TRUE(withResults.SaveToCurrentPath());
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / "done.dat"), Written(SampleParameters()) + results.table);
  results.table.clear();  // a later calculation failed: no table at all
  ASSERT_TRUE(withResults.SaveToCurrentPath());
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / "done.dat"), Written(SampleParameters()));
}

}  // namespace
}  // namespace ruvo
