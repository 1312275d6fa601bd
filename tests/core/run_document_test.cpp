#include "core/run_document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

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

// A document of every field set away from its initial value, with two wave files.
RunParameters SampleParameters() {
  RunParameters p;
  p.description = "Civic 3rd gear";
  p.vehicleWeight = 2650.5;
  p.revsPerIgnition = 1.0;
  p.axleRatio = 4.1;
  p.gearRatio = 1.36;
  p.wheelDiameter = 14.0;
  p.tireAspectRatio = 60.0;
  p.tireWidth = 195.0;
  p.dragCoefficient = 0.33;
  p.frontalArea = 20.5;
  p.frictionLossHp = 12.25;
  p.frictionLossRpm = 4000;
  p.frictionLossExponent = 1.5;
  p.smoothingMethod = 3;
  p.smoothingLevel = 2;
  p.initialRpm = 1500;
  p.finalRpm = 6500;
  p.maxPulseLength = 15.0;
  p.waveFiles = {"run1.wav", "/data/runs/run 2.wav"};
  p.calculationMode = 1;
  p.rollingCoefficient = 0.015;
  p.drivetrainLoss = 12.0;
  p.smoothingRpm = 6200;
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

TEST(RunDocumentText, InitialValuesAreWrittenByteForByte) { EXPECT_EQ(Written(RunParameters{}), kDefaultDocument); }

TEST(RunDocumentText, WaveLinesAndLongPrefixesRoundTrip) {
  RunParameters written = SampleParameters();
  const std::string text = Written(written);
  EXPECT_NE(text.find("# Number Wave Files: 2\n# Wave File No.  1 : run1.wav\n# Wave File No.  2 : /data/runs/run 2.wav\n"
                      "# Calculation Mode : 1\n"),
            std::string::npos);
  RunParameters read;
  ASSERT_EQ(ReadText(text, read), 1);
  EXPECT_EQ(read, written);

  // Entries from 100 on have a prefix one character wider; their paths come back unchanged.
  written.waveFiles.clear();
  for (int i = 1; i <= 120; ++i) written.waveFiles.push_back("w" + std::to_string(i) + ".wav");
  const std::string longList = Written(written);
  EXPECT_NE(longList.find("# Wave File No. 99 : w99.wav\n# Wave File No. 100 : w100.wav\n"), std::string::npos);
  RunParameters reread;
  ASSERT_EQ(ReadText(longList, reread), 1);
  EXPECT_EQ(reread.waveFiles, written.waveFiles);
}

TEST(RunDocumentText, ReadsCrLfDocumentsAndLongLines) {
  RunParameters written = SampleParameters();
  written.description = std::string(300, 'd');
  written.waveFiles = {std::string(200, 'p') + ".wav", "second.wav"};
  std::string text = Written(written);
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  RunParameters read;
  ASSERT_EQ(ReadText(crlf, read), 1);
  EXPECT_EQ(read, written);
}

TEST(RunDocumentText, DescriptionLineBreaksAreWrittenAsBlanks) {
  RunParameters written;
  written.description = "two\nlines\r\nhere";
  const std::string text = Written(written);
  EXPECT_EQ(text.substr(0, text.find('\n') + 1), "# Tammel Ruvo v2.0 : two lines  here\n");
  RunParameters read;
  ASSERT_EQ(ReadText(text, read), 1);
  EXPECT_EQ(read.description, "two lines  here");
  EXPECT_EQ(read.vehicleWeight, 2400.0);
}

TEST(RunDocumentText, VersionOneDocumentsStopAfterTheWaveFilesAndKeepTheOtherFields) {
  const RunParameters sample = SampleParameters();
  std::string text = Written(sample);
  text[15] = '1';
  text.erase(text.find("# Calculation Mode"));
  text.pop_back();  // the last wave line without a line end keeps its whole path

  RunParameters read;
  ASSERT_EQ(ReadText(text, read), 1);
  EXPECT_EQ(read.waveFiles, sample.waveFiles);
  EXPECT_EQ(read.gearRatio, sample.gearRatio);
  const RunParameters initial;
  EXPECT_EQ(read.calculationMode, initial.calculationMode);
  EXPECT_EQ(read.rollingCoefficient, initial.rollingCoefficient);
  EXPECT_EQ(read.drivetrainLoss, initial.drivetrainLoss);
  EXPECT_EQ(read.smoothingRpm, initial.smoothingRpm);

  for (char version : {'3', 'x', '0'}) {  // anything but 1 or 2 counts as version 1
    text[15] = version;
    RunParameters other;
    EXPECT_EQ(ReadText(text, other), 1) << version;
  }
}

TEST(RunDocumentText, UnconvertibleValuesKeepTheirFields) {
  std::string text = kDefaultDocument;
  const auto replaceValue = [&text](const std::string& key, const std::string& value) {
    const std::size_t start = text.find(key) + 21;
    text.replace(start, text.find('\n', start) - start, value);
  };
  replaceValue("# Gear Ratio", "fast");
  replaceValue("# Est. Final RPM", "0x1770");
  replaceValue("# Number Wave Files", "many");
  RunParameters read = SampleParameters();
  ASSERT_EQ(ReadText(text, read), 1);
  EXPECT_EQ(read.gearRatio, SampleParameters().gearRatio);
  EXPECT_EQ(read.finalRpm, 6000);
  EXPECT_TRUE(read.waveFiles.empty());  // a count that does not convert counts as 0
  EXPECT_EQ(read.calculationMode, 0);
}

TEST(RunDocumentText, ShortFirstLineGivesEmptyDescriptionAndVersionOne) {
  std::string text = kDefaultDocument;
  text.replace(0, text.find('\n'), "# short");
  text.erase(text.find("# Calculation Mode"));
  RunParameters read = SampleParameters();
  ASSERT_EQ(ReadText(text, read), 1);
  EXPECT_EQ(read.description, "");
  EXPECT_EQ(read.calculationMode, SampleParameters().calculationMode);
}

TEST(RunDocumentText, EveryEarlyEndIsReported) {
  const std::string text = Written(SampleParameters());
  std::size_t lineEnd = 0;
  int lines = 0;
  while ((lineEnd = text.find('\n', lineEnd)) != std::string::npos) {
    ++lines;
    ++lineEnd;
    if (lineEnd == text.size()) break;
    RunParameters read;
    EXPECT_EQ(ReadText(text.substr(0, lineEnd), read), 0) << "after line " << lines;
  }
  EXPECT_EQ(lines, 25);
  RunParameters read;
  EXPECT_EQ(ReadText("", read), 0);
  RunParameters huge;
  EXPECT_EQ(ReadText(std::string(kDefaultDocument).replace(std::string(kDefaultDocument).find("Files: 0") + 7, 1,
                                                           "2000000000"),
                     huge),
            0);
}

TEST(RebaseWavePath, KeepsPathsNamingTheSameRecordings) {
  struct Case {
    const char* path;
    const char* working;
    const char* document;
    const char* expected;
  };
  const Case cases[] = {
      {"a.wav", "/w", "/w", "a.wav"},
      {"/abs/a.wav", "/w", "/x", "/abs/a.wav"},
      {"sub/a.wav", "/w", "/w/sub", "a.wav"},
      {"a.wav", "/w/sub", "/w", "sub/a.wav"},
      {"a.wav", "/w", "/w/sub", "/w/a.wav"},
      {"../b/a.wav", "/w/x", "/w", "b/a.wav"},
      {"", "/w", "/x", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(RebaseWavePath(c.path, c.working, c.document), c.expected) << c.path;
}

// Result source of a calculation, as the run document sees it.
struct FakeResults : ResultTableSource {
  bool AppendResultTable(std::ostream& out) override {
    out << table;
    return !table.empty();
  }
  void DiscardResults() override { ++discarded; }
  std::string table;
  int discarded = 0;
};

class RunDocumentFiles : public ::testing::Test {
 protected:
  test::TempFolder folder;
  test::MessageCapture messages;
  RunParameters params;
  RunDocument document{params};
};

TEST_F(RunDocumentFiles, OpenMakesTheDocumentFolderTheWorkingDirectory) {
  fs::create_directory(folder.Path() / "runs");
  test::WriteFileBytes(folder.Path() / "runs" / "a.dat", Written(SampleParameters()));
  fs::current_path(folder.Path());
  ASSERT_TRUE(document.OpenRunDocument("runs/a.dat"));
  EXPECT_EQ(fs::current_path(), fs::canonical(folder.Path() / "runs"));
  EXPECT_EQ(document.DocumentPath(), (fs::canonical(folder.Path()) / "runs" / "a.dat").string());
  EXPECT_EQ(params, SampleParameters());
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(RunDocumentFiles, FailedOpenChangesNothing) {
  fs::current_path(folder.Path());
  std::string truncated = Written(SampleParameters());
  truncated.erase(truncated.rfind("# Smoothing RPM"));
  fs::create_directory(folder.Path() / "other");
  test::WriteFileBytes(folder.Path() / "other" / "bad.dat", truncated);

  EXPECT_FALSE(document.OpenRunDocument("other/bad.dat"));
  EXPECT_FALSE(document.OpenRunDocument("missing.dat"));
  EXPECT_FALSE(document.OpenRunDocument("other"));
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Invalid ruvo file - other/bad.dat",
                                                        "Not able to open - missing.dat", "Not able to open - other"}));
  EXPECT_EQ(params, RunParameters{});
  EXPECT_EQ(document.DocumentPath(), "ruvo.dat");
  EXPECT_EQ(fs::current_path(), fs::canonical(folder.Path()));
}

TEST_F(RunDocumentFiles, SaveWritesParameterLinesThenTheResultTable) {
  fs::current_path(folder.Path());
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / "ruvo.dat"), kDefaultDocument);

  FakeResults results;
  RunDocument withResults(params, &results);
  results.table = "Title=\"table\"\n";
  ASSERT_TRUE(withResults.SaveRunDocument("second.dat"));
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / "second.dat"), std::string(kDefaultDocument) + "Title=\"table\"\n");
  EXPECT_EQ(withResults.DocumentPath(), "second.dat");
  EXPECT_FALSE(fs::exists(folder.Path() / "second.dat.saving"));
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(RunDocumentFiles, AnOpenedTableIsKeptUntilACalculationHasResults) {
  fs::current_path(folder.Path());
  const std::string oldTable = "Title=\"old\"\r\nVariables=\n 1 2 3\n";
  test::WriteFileBytes(folder.Path() / "done.dat", Written(SampleParameters()) + oldTable);
  FakeResults results;
  results.table = "Title=\"other run\"\n";
  RunDocument withResults(params, &results);

  ASSERT_TRUE(withResults.OpenRunDocument("done.dat"));
  EXPECT_EQ(results.discarded, 1);
  results.table.clear();  // discarded: nothing computed for this document yet
  ASSERT_TRUE(withResults.SaveToCurrentPath());
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / "done.dat"), Written(SampleParameters()) + oldTable);

  results.table = "Title=\"new\"\n";  // a calculation succeeded
  ASSERT_TRUE(withResults.SaveToCurrentPath());
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / "done.dat"), Written(SampleParameters()) + results.table);
  results.table.clear();  // a later calculation failed: no table at all
  ASSERT_TRUE(withResults.SaveToCurrentPath());
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / "done.dat"), Written(SampleParameters()));
}

TEST_F(RunDocumentFiles, SaveIntoAnotherFolderRebasesRelativeWavePaths) {
  fs::create_directories(folder.Path() / "out");
  fs::current_path(folder.Path());
  params.waveFiles = {"rec/a.wav", "/abs/b.wav"};
  ASSERT_TRUE(document.SaveRunDocument("out/run.dat"));
  RunParameters reread;
  RunDocument reopened(reread);
  ASSERT_TRUE(reopened.OpenRunDocument("out/run.dat"));
  EXPECT_EQ(reread.waveFiles, (std::vector<std::string>{(fs::canonical(folder.Path()) / "rec/a.wav").string(),
                                                        "/abs/b.wav"}));
  EXPECT_EQ(params.waveFiles, (std::vector<std::string>{"rec/a.wav", "/abs/b.wav"}));  // the held list is untouched
}

TEST_F(RunDocumentFiles, FailedSaveKeepsThePreviousDocument) {
  fs::current_path(folder.Path());
  test::WriteFileBytes(folder.Path() / "keep.dat", "previous contents\n");
  fs::create_directory(folder.Path() / "locked");
  test::WriteFileBytes(folder.Path() / "locked" / "run.dat", "locked contents\n");
  fs::permissions(folder.Path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);

  EXPECT_FALSE(document.SaveRunDocument(folder.File("missing/run.dat")));
  EXPECT_FALSE(document.SaveRunDocument(folder.File("locked")));  // a folder
  // As root the folder's permissions do not stop the write; the locked document must survive either way.
  const bool saved = document.SaveRunDocument(folder.File("locked/run.dat"));
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / "locked" / "run.dat"), saved ? kDefaultDocument : "locked contents\n");
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / "keep.dat"), "previous contents\n");
  ASSERT_GE(messages.Texts().size(), 2u);
  EXPECT_EQ(messages.Texts()[0], "Not able to open - " + folder.File("missing/run.dat"));
  EXPECT_EQ(messages.Texts()[1], "Not able to open - " + folder.File("locked"));
  EXPECT_FALSE(fs::exists(folder.Path() / "locked" / "run.dat.saving"));
}

}  // namespace
}  // namespace ruvo
