// Saves and calculations on a system that fails under them: places where no file can be made, a
// full disk, a save cut off half-way, a log that cannot be created and recordings that change
// after they were listed. Real failures, not permission bits (the tests may run as root, for whom
// they stop nothing).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <tuple>

#include "calc/run_calculation.h"
#include "core/run_document.h"
#include "e2e/synthetic_run.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

// The number of files in a folder: a failed save must leave no temporary file behind.
std::ptrdiff_t FilesIn(const fs::path& folder) {
  return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

class FailingSave : public ::testing::Test {
 protected:
  test::TempFolder folder;
  RunParameters params;
  RunDocument document{params, folder.Path().string()};
  std::string path = folder.File("run.dat");
};

TEST_F(FailingSave, WhereNoFileCanBeMadeTheSaveFailsWithOneMessage) {
  fs::create_directory(folder.Path() / "taken");
  const std::string targets[] = {
      "/proc/ruvo.dat",      // a folder where nobody may create files, root included
      folder.File("taken"),  // the document's name is taken by a folder
  };
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    const Outcome saved = document.SaveRunDocument(target);
    EXPECT_FALSE(saved);
    EXPECT_EQ(saved.messages(), std::vector<std::string>{"Not able to open - " + target});
    EXPECT_EQ(FilesIn(folder.Path()), 1);
  }
}

TEST_F(FailingSave, AFullDiskOrASaveCutOffHalfWayKeepsThePreviousDocumentWhole) {
  params.description = "first run";
  ASSERT_TRUE(document.SaveRunDocument(path));
  const std::string first = test::ReadFileBytes(path);
  // The next save writes more text than the first.
  params.description = "second run, with a longer title than the first";
  for (int k = 0; k < 20; ++k) params.waveFiles.push_back("/recordings/pass" + std::to_string(k) + ".wav");
  std::ostringstream second;
  WriteRunDocument(second, params);
  const rlim_t size = second.str().size();
  // Room for all but the new text's last byte: the final write fails.
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous{};
  getrlimit(RLIMIT_FSIZE, &previous);
  const rlimit full{size - 1, previous.rlim_max};
  setrlimit(RLIMIT_FSIZE, &full);
  const Outcome saved = document.SaveToCurrentPath();
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, handler);
  EXPECT_EQ(std::tuple(saved.ok(), test::ReadFileBytes(path), FilesIn(folder.Path())), std::tuple(false, first, 1));
  EXPECT_EQ(saved.messages(), std::vector<std::string>{"Not able to open - " + path});

  // A save cut off half-way (the program ended while writing) leaves its temporary file behind;
  // the next save replaces it and completes.
  test::WriteFileBytes(path + ".saving", second.str().substr(0, size / 2));
  const Outcome resaved = document.SaveToCurrentPath();
  ASSERT_TRUE(resaved);
  EXPECT_TRUE(resaved.messages().empty());
  EXPECT_EQ(test::ReadFileBytes(path), second.str());
  EXPECT_EQ(FilesIn(folder.Path()), 1);
}

// A calculation over a synthetic recording, with its document open.
class FailingCalculation : public test::CalculationFixture {
 protected:
  const test::SyntheticRun written = OpenRun("a");
};

TEST_F(FailingCalculation, ALogThatCannotBeCreatedStopsBeforeAnythingElse) {
  params.waveFiles = {ListedWavePath(document.Folder(), params.waveFiles.front())};  // found from any folder
  ASSERT_TRUE(calculation.Calculate(document.Folder()));
  // The folder to calculate in was removed.
  const fs::path gone = folder.Path() / "gone";
  fs::create_directory(gone);
  fs::remove(gone);
  const Outcome outcome = calculation.Calculate(gone.string());
  EXPECT_FALSE(outcome);
  // Only the log's message: the recording was not even opened.
  EXPECT_EQ(outcome.messages(), std::vector<std::string>{"Could not open Log file - ruvo.log"});
  EXPECT_FALSE(calculation.Results().succeeded);
  EXPECT_TRUE(calculation.Results().rpm.empty() && calculation.Results().pulseTimes.empty()) << "results were kept";
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_EQ(test::ReadFileBytes(written.documentPath).find("Title="), std::string::npos);
}

TEST_F(FailingCalculation, ARecordingThatChangedAfterListingGivesItsMessage) {
  const fs::path second = folder.Path() / "b.wav";
  const std::string bytes = test::ReadFileBytes(folder.Path() / "a.wav");
  params.waveFiles.push_back("b.wav");
  // Half copied, cut inside its header, replaced by a folder (which may fail to open or to read).
  for (const std::string& copied : {bytes.substr(0, bytes.size() / 2), bytes.substr(0, 20), std::string()}) {
    SCOPED_TRACE(testing::Message() << copied.size() << " bytes");
    fs::remove_all(second);
    if (copied.empty())
      fs::create_directory(second);
    else
      test::WriteFileBytes(second, copied);
    // The first recording still gives the results, as it would alone.
    const Outcome outcome = calculation.Calculate(document.Folder());
    EXPECT_TRUE(outcome);
    ASSERT_EQ(outcome.messages().size(), 1u);
    const std::string& text = outcome.messages().front();
    EXPECT_TRUE(text == "Invalid wave file - b.wav" || (copied.empty() && text == "Could not open wave file - b.wav"))
        << text;
    const std::string log = test::ReadFileBytes(folder.Path() / "ruvo.log");
    EXPECT_EQ(log.find("#Ruvo RPM Calculate: a.wav"), log.rfind("#Ruvo RPM Calculate: a.wav"));
    EXPECT_GT(calculation.Results().rowCount, 1);
  }
}

}  // namespace
}  // namespace ruvo
