#include "cli/cli_app.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <tuple>

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
  // Help and version print to standard output and succeed; usage errors go to standard error.
  const std::tuple<std::vector<std::string>, int, const char*> cases[] = {
      {{"--help"}, 0, "ruvo-cli calculate DOC.dat [--config FILE] [--no-save]"},
      {{"--version"}, 0, ""},
      {{}, 2, "Usage:"},
      {{"--frobnicate"}, 2, "unknown command or option --frobnicate"},
      {{"calculate"}, 2, "calculate needs a run document"},
      {{"calculate", "a.dat", "--fast"}, 2, "unknown option --fast"},
      {{"calculate", "a.dat", "--config"}, 2, "--config needs a file name"},
      {{"calculate", "a.dat", "b.dat"}, 2, "only one run document"}};
  for (const auto& [args, status, message] : cases) {
    const CliResult result = RunRuvoCli(args);
    EXPECT_EQ(result.status, status) << message;
    EXPECT_NE((status == 0 ? result.out : result.err).find(message), std::string::npos) << result.out << result.err;
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
  const CliResult missing = RunRuvoCli({"calculate", written.documentPath, "--config", "nowhere.cfg", "--no-save"});
  EXPECT_EQ(missing.status, 0) << missing.err;  // a missing configuration keeps the defaults
  const CliResult plain = RunRuvoCli({"calculate", written.documentPath, "--no-save"});
  EXPECT_EQ(missing.out, plain.out);
  EXPECT_NE(tuned.out, plain.out) << "tuning.cfg was not read";
}

}  // namespace
}  // namespace ruvo
