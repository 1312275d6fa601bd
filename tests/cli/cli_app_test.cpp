#include "cli/cli_app.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "e2e/synthetic_run.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

struct CliResult {
  int status;
  std::string out, err;
};

CliResult RunRuvoCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = RunCli(args, out, err);
  return {status, out.str(), err.str()};
}

TEST(RuvoCli, HelpVersionAndUsageErrors) {
  const CliResult help = RunRuvoCli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("ruvo-cli calculate DOC.dat [--config FILE] [--no-save]"), std::string::npos);
  EXPECT_EQ(RunRuvoCli({"--version"}).status, 0);
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {{{}, "Usage:"},
                        {{"--frobnicate"}, "unknown command or option --frobnicate"},
                        {{"calculate"}, "calculate needs a run document"},
                        {{"calculate", "a.dat", "--fast"}, "unknown option --fast"},
                        {{"calculate", "a.dat", "--config"}, "--config needs a file name"},
                        {{"calculate", "a.dat", "b.dat"}, "only one run document"}};
  for (const Case& c : cases) {
    const CliResult result = RunRuvoCli(c.args);
    EXPECT_EQ(result.status, 2) << c.message;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
}

TEST(RuvoCli, CalculatePrintsTheSummaryAndSavesTheTable) {
  test::TempFolder folder;
  const test::SyntheticRun written = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "run");
  const std::string before = test::ReadFileBytes(written.documentPath);

  const CliResult kept = RunRuvoCli({"calculate", written.documentPath, "--no-save"});
  ASSERT_EQ(kept.status, 0) << kept.err;
  EXPECT_EQ(kept.err, "");
  EXPECT_EQ(kept.out.rfind("        Max HP:", 0), 0u);
  EXPECT_NE(kept.out.find("\n  Max Torque:"), std::string::npos);
  EXPECT_EQ(test::ReadFileBytes(written.documentPath), before);
  EXPECT_TRUE(fs::exists(folder.Path() / "ruvo.log"));

  const CliResult saved = RunRuvoCli({"calculate", written.documentPath});
  ASSERT_EQ(saved.status, 0) << saved.err;
  EXPECT_EQ(saved.out, kept.out);
  const std::string after = test::ReadFileBytes(written.documentPath);
  EXPECT_EQ(after.substr(0, before.size()), before);
  EXPECT_NE(after.find("\nTitle=\""), std::string::npos);
}

TEST(RuvoCli, FailuresExitWithOneAndTheirMessages) {
  test::TempFolder folder;
  const CliResult missing = RunRuvoCli({"calculate", folder.File("none.dat")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Not able to open - " + folder.File("none.dat") + "\n");

  const test::SyntheticRun written = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "run");
  fs::remove(folder.Path() / "run.wav");
  const CliResult noWave = RunRuvoCli({"calculate", written.documentPath});
  EXPECT_EQ(noWave.status, 1);
  EXPECT_EQ(noWave.err, "Could not open wave file - run.wav\n");
  EXPECT_EQ(noWave.out, "");
}

TEST(RuvoCli, ConfigOptionIsResolvedFromWhereTheCommandRuns) {
  test::TempFolder folder;
  const test::SyntheticRun written = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "run");
  fs::create_directory(folder.Path() / "elsewhere");
  // A trim level that leaves a curve no spline can follow still runs: the file was read.
  test::WriteFileBytes(folder.Path() / "elsewhere" / "tuning.cfg", "1\n6\n0.002\n1.0\n1.0\n");
  fs::current_path(folder.Path() / "elsewhere");
  const CliResult result = RunRuvoCli({"calculate", written.documentPath, "--config", "tuning.cfg", "--no-save"});
  EXPECT_EQ(result.status, 0) << result.err;
  const CliResult missing = RunRuvoCli({"calculate", written.documentPath, "--config", "nowhere.cfg", "--no-save"});
  EXPECT_EQ(missing.status, 0) << missing.err;  // a missing configuration keeps the defaults
}

}  // namespace
}  // namespace ruvo
