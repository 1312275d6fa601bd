#include "cli/cli_app.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <utility>

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
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{}, "Usage:"},
      {{"--frobnicate"}, "unknown command or option --frobnicate"},
      {{"calculate"}, "calculate needs a run document"},
      {{"calculate", "a.dat", "--fast"}, "unknown option --fast"},
      {{"calculate", "a.dat", "--config"}, "--config needs a file name"},
      {{"calculate", "a.dat", "b.dat"}, "only one run document"}};
  for (const auto& [args, message] : cases) {
    const CliResult result = RunRuvoCli(args);
    EXPECT_EQ(result.status, 2) << message;
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
  }
}

TEST(RuvoCli, CalculatePrintsTheSummarySavesTheTableAndFailsWithItsMessages) {
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

  fs::remove(folder.Path() / "run.wav");
  const CliResult noWave = RunRuvoCli({"calculate", written.documentPath});
  EXPECT_EQ(noWave.status, 1);
  EXPECT_EQ(noWave.err, "Could not open wave file - run.wav\n");
  EXPECT_EQ(noWave.out, "");
  const CliResult missing = RunRuvoCli({"calculate", folder.File("none.dat")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Not able to open - " + folder.File("none.dat") + "\n");
}

TEST(RuvoCli, ConfigOptionIsResolvedFromWhereTheCommandRuns) {
  test::TempFolder folder;
  const test::SyntheticRun written = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "run");
  fs::create_directory(folder.Path() / "elsewhere");
  test::WriteFileBytes(folder.Path() / "elsewhere" / "tuning.cfg", "2\n1\n0.002\n1.0\n1.0\n");
  fs::current_path(folder.Path() / "elsewhere");
  const CliResult tuned = RunRuvoCli({"calculate", written.documentPath, "--config", "tuning.cfg", "--no-save"});
  EXPECT_EQ(tuned.status, 0) << tuned.err;
  fs::current_path(folder.Path() / "elsewhere");
  const CliResult missing = RunRuvoCli({"calculate", written.documentPath, "--config", "nowhere.cfg", "--no-save"});
  EXPECT_EQ(missing.status, 0) << missing.err;  // a missing configuration keeps the defaults
  const CliResult plain = RunRuvoCli({"calculate", written.documentPath, "--no-save"});
  EXPECT_EQ(missing.out, plain.out);
  EXPECT_NE(tuned.out, plain.out) << "tuning.cfg was not read";
}

}  // namespace
}  // namespace ruvo
