// Where a conditioned copy of a listed recording goes, and which bands the dialog accepts.
#include "desktop/conditioned_copy.h"

#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "support/test_support.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

TEST(ConditionedCopy, BandRunsUpwardsAndStaysBelowHalfTheRate) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::tuple<double, double, double, BandProblem> cases[] = {
      {2800.0, 6900.0, 22050.0, BandProblem::kNone},
      {2800.0, 11024.0, 22050.0, BandProblem::kNone},
      {2800.0, 11025.0, 22050.0, BandProblem::kHighNotBelowNyquist},  // the Nyquist frequency itself
      {2800.0, 2800.0, 22050.0, BandProblem::kLowNotBelowHigh},
      {6900.0, 2800.0, 22050.0, BandProblem::kLowNotBelowHigh},
      {12000.0, 11000.0, 22050.0, BandProblem::kLowNotBelowHigh},  // both wrong: the order is said first
      {nan, 4000.0, 22050.0, BandProblem::kLowNotBelowHigh},
      {400.0, 4000.0, 0.0, BandProblem::kHighNotBelowNyquist},  // no rate: no band fits
  };
  for (const auto& [low, high, rate, problem] : cases)
    EXPECT_EQ(CheckBand(low, high, rate), problem) << low << " to " << high << " at " << rate;
}

// A folder nobody may create files in, root included (permission bits do not stop root), sends the
// copy to the document's folder; a folder that takes files keeps it beside the recording, relative
// names included, and the probe leaves nothing behind.
TEST(ConditionedCopy, GoesBesideTheRecordingUnlessItsFolderTakesNoFiles) {
  const test::TempFolder runs;
  const fs::path documents = runs.Path() / "documents";
  fs::create_directory(runs.Path() / "takes");
  EXPECT_EQ(ConditionedCopyFolder(runs.File("takes/take1.wav"), documents), runs.Path() / "takes");
  EXPECT_TRUE(fs::is_empty(runs.Path() / "takes"));
  EXPECT_EQ(ConditionedCopyFolder("/proc/take1.wav", documents), documents);
  EXPECT_EQ(ConditionedCopyFolder("/proc/take1.wav", {}), fs::path("/proc"));  // no document folder yet
  EXPECT_EQ(ConditionedCopyFolder(runs.File("missing/take1.wav"), documents), documents);

  const fs::path working = fs::current_path();
  fs::current_path(runs.Path());
  EXPECT_EQ(ConditionedCopyFolder("takes/take1.wav", documents), fs::absolute("takes"));
  fs::current_path(working);
}

// Probes left behind are never reused or removed: the next free name is tried.
TEST(ConditionedCopy, ProbeTakesNoOtherFile) {
  const test::TempFolder folder;
  test::WriteFileBytes(folder.Path() / ".ruvo-write-probe-0", "someone's");
  EXPECT_TRUE(FolderTakesFiles(folder.Path()));
  EXPECT_EQ(test::ReadFileBytes(folder.Path() / ".ruvo-write-probe-0"), "someone's");
  EXPECT_FALSE(fs::exists(folder.Path() / ".ruvo-write-probe-1"));
  EXPECT_FALSE(FolderTakesFiles(folder.Path() / "missing"));
}

}  // namespace
}  // namespace ruvo
