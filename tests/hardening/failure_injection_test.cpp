// Saves and calculations on a system that fails under them: places where no file can be made, a
// full disk, a save cut off half-way, a log that cannot be created and recordings that change
// after they were listed. Real failures, made in a child process where needed (the tests may run
// as root, for whom permission bits stop nothing).
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sstream>

#include "calc/run_calculation.h"
#include "core/run_document.h"
#include "e2e/synthetic_run.h"
#include "hardening/child_process.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Files a failed save may have left behind next to the document.
std::vector<std::string> LeftoverFiles(const fs::path& folder, const std::string& keep) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.path().filename() != keep) names.push_back(entry.path().filename().string());
  return names;
}

class FailingSave : public ::testing::Test {
 protected:
  // Saves a first document (the one a failure must not harm), then changes the parameters so the
  // next save writes more text than the first.
  void SaveFirstThenChange() {
    params.description = "first run";
    ASSERT_TRUE(document.SaveRunDocument(path));
    first = test::ReadFileBytes(path);
    params.description = "second run, with a longer title than the first";
    for (int k = 0; k < 20; ++k) params.waveFiles.push_back("/recordings/pass" + std::to_string(k) + ".wav");
    std::ostringstream text;
    WriteRunDocument(text, params);
    secondSize = text.str().size();
  }

  test::TempFolder folder;
  test::MessageCapture messages;
  RunParameters params;
  RunDocument document{params};
  std::string path = folder.File("run.dat");
  std::string first;
  std::size_t secondSize = 0;
};

TEST_F(FailingSave, WhereNoFileCanBeMadeTheSaveFailsWithOneMessage) {
  test::WriteFileBytes(folder.Path() / "plain.txt", "not a folder");
  fs::create_directory(folder.Path() / "taken");
  const std::string targets[] = {
      "/proc/ruvo.dat",                  // a folder where nobody may create files, root included
      folder.File("plain.txt/run.dat"),  // the folder is a file
      folder.File("missing/run.dat"),    // the folder does not exist
      folder.File("taken"),              // the document's name is taken by a folder
  };
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    test::MessageCapture local;
    EXPECT_FALSE(document.SaveRunDocument(target));
    EXPECT_EQ(local.Texts(), std::vector<std::string>{"Not able to open - " + target});
    EXPECT_TRUE(fs::is_directory(folder.Path() / "taken"));
    EXPECT_EQ(LeftoverFiles(folder.Path(), "").size(), 2u) << "a temporary file was left behind";
  }
}

TEST_F(FailingSave, AFullDiskKeepsThePreviousDocumentAndShowsOneMessage) {
  SaveFirstThenChange();
  // Room for nothing, for half of the new text and for all but its last byte.
  for (const std::uint64_t room : {std::uint64_t{1}, std::uint64_t{secondSize / 2}, std::uint64_t{secondSize - 1}}) {
    SCOPED_TRACE(testing::Message() << room << " of " << secondSize << " bytes fit");
    const test::ChildOutcome outcome =
        test::RunInChild([&] { return document.SaveToCurrentPath() ? 1 : 0; }, {.fileSizeBytes = room});
    ASSERT_TRUE(outcome.exited) << "signal " << outcome.signal;
    EXPECT_EQ(outcome.exitCode, 0) << "the save reported success";
    EXPECT_EQ(outcome.messages, std::vector<std::string>{"Not able to open - " + path});
    EXPECT_EQ(test::ReadFileBytes(path), first);
    EXPECT_EQ(LeftoverFiles(folder.Path(), "run.dat"), std::vector<std::string>{});
  }
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(FailingSave, ASaveCutOffHalfWayLeavesThePreviousDocumentWhole) {
  SaveFirstThenChange();
  const test::ChildOutcome outcome = test::RunInChild([&] { return document.SaveToCurrentPath() ? 1 : 0; },
                                                      {.fileSizeBytes = secondSize / 2, .fileSizeKills = true});
  ASSERT_EQ(outcome.signal, SIGXFSZ) << "the save was not cut off while writing";
  EXPECT_EQ(test::ReadFileBytes(path), first);

  // The next save replaces the half-written temporary file and completes.
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_EQ(test::ReadFileBytes(path).size(), secondSize);
  EXPECT_EQ(LeftoverFiles(folder.Path(), "run.dat"), std::vector<std::string>{});
  RunParameters reread;
  RunDocument reopened{reread};
  ASSERT_TRUE(reopened.OpenRunDocument(path));
  EXPECT_EQ(reread.description, params.description);
  EXPECT_TRUE(messages.Texts().empty());
}

// A calculation over a synthetic recording, with its document open.
class FailingCalculation : public ::testing::Test {
 protected:
  void SetUp() override {
    written = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "a");
    ASSERT_TRUE(document.OpenRunDocument(written.documentPath));
  }
  std::string Log() const { return test::ReadFileBytes(folder.Path() / "ruvo.log"); }

  test::TempFolder folder;
  test::MessageCapture messages;
  RunParameters params;
  AnalysisConfig config;
  RunCalculation calculation{params, config};
  RunDocument document{params, &calculation};
  test::SyntheticRun written;
};

TEST_F(FailingCalculation, ALogThatCannotBeCreatedStopsBeforeAnythingElse) {
  const fs::path gone = folder.Path() / "gone";
  struct Case {
    const char* what;
    std::function<void()> arrange;
  };
  const Case cases[] = {
      {"the working folder was removed",
       [&] {
         fs::create_directory(gone);
         fs::current_path(gone);
         fs::remove(gone);
       }},
      {"the working folder takes no files", [] { fs::current_path("/proc"); }},
      {"ruvo.log leads where no file can be made",
       [&] {
         fs::remove(folder.Path() / "ruvo.log");
         fs::create_symlink("/proc/no-such-folder/ruvo.log", folder.Path() / "ruvo.log");
       }},
  };
  params.waveFiles = {fs::absolute(params.waveFiles.front()).string()};  // found from any folder
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::current_path(folder.Path());
    fs::remove(folder.Path() / "ruvo.log");
    ASSERT_NE(calculation.Calculate(), 0);
    c.arrange();
    test::MessageCapture local;
    EXPECT_EQ(calculation.Calculate(), 0);
    // Only the log's message: the recording was not even opened.
    EXPECT_EQ(local.Texts(), std::vector<std::string>{"Could not open Log file - ruvo.log"});
    EXPECT_EQ(calculation.Results().succeeded, 0);
    EXPECT_TRUE(calculation.Results().rpm.empty()) << "the previous results were kept";
    EXPECT_TRUE(calculation.Results().pulseTimes.empty());
    fs::current_path(folder.Path());
    fs::remove(folder.Path() / "ruvo.log");
    ASSERT_TRUE(document.SaveToCurrentPath());
    EXPECT_EQ(test::ReadFileBytes(written.documentPath).find("Title="), std::string::npos);
  }
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(FailingCalculation, ARecordingThatChangedAfterListingGivesItsMessage) {
  const fs::path second = folder.Path() / "b.wav";
  const std::string bytes = test::ReadFileBytes(folder.Path() / "a.wav");
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::vector<std::string> messages;  // any one of these, once
  };
  const Case cases[] = {
      {"removed", [&] { fs::remove(second); }, {"Could not open wave file - b.wav"}},
      {"half copied",
       [&] { test::WriteFileBytes(second, bytes.substr(0, bytes.size() / 2)); },
       {"Invalid wave file - b.wav"}},
      {"cut inside its header",
       [&] { test::WriteFileBytes(second, bytes.substr(0, 20)); },
       {"Invalid wave file - b.wav"}},
      {"emptied", [&] { test::WriteFileBytes(second, ""); }, {"Invalid wave file - b.wav"}},
      {"replaced by a folder",
       [&] {
         fs::remove(second);
         fs::create_directory(second);
       },
       {"Could not open wave file - b.wav", "Invalid wave file - b.wav"}},
  };
  params.waveFiles.push_back("b.wav");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(second);
    test::WriteFileBytes(second, bytes);
    c.arrange();
    test::MessageCapture local;
    // The first recording still gives the results, as it would alone.
    EXPECT_NE(calculation.Calculate(), 0);
    ASSERT_EQ(local.Texts().size(), 1u);
    EXPECT_NE(std::find(c.messages.begin(), c.messages.end(), local.Texts().front()), c.messages.end())
        << local.Texts().front();
    EXPECT_EQ(CountOf(Log(), "#Ruvo RPM Calculate: a.wav"), 1u);
    EXPECT_GT(calculation.Results().rowCount, 1);
  }

  params.waveFiles = {"b.wav"};  // the only recording is gone: nothing to compute, nothing saved
  fs::remove_all(second);
  test::MessageCapture local;
  EXPECT_EQ(calculation.Calculate(), 0);
  EXPECT_EQ(local.Texts(), std::vector<std::string>{"Could not open wave file - b.wav"});
  ASSERT_TRUE(document.SaveToCurrentPath());
  EXPECT_EQ(test::ReadFileBytes(written.documentPath).find("Title="), std::string::npos);
  EXPECT_TRUE(messages.Texts().empty());
}

}  // namespace
}  // namespace ruvo
