#include "cli/synth_command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/run_document.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SynthCommandLine, ParsesEveryFormOfOption) {
  SynthCommand command;
  std::string error;
  // Separate and attached values, every number form, the ends of the seed's range and of a name's
  // length, a value with spaces.
  // clang-format off
  const std::vector<std::string> args = {
      "--out", "runs", "--name=" + std::string(101, 'n'), "--vehicle-weight", "3100.5", "--gear-ratio=1.8",
      "--revs-per-ignition", " 0.5 ", "--friction-loss-rpm", "+4500", "--end-rpm", "6.5e3", "--seed",
      "18446744073709551615", "--lift-off-torque", "-22", "--sample-rate=8000", "--description", "Test car, 3rd gear",
      "--torque-csv", "t.csv", "--sound", "engine", "--cylinders=6", "--strokes", "2", "--mic", "exhaust"};
  // clang-format on
  ASSERT_TRUE(ParseSynthCommandLine(args, command, error)) << error;
  const SynthOptions& o = command.options;
  EXPECT_EQ(command.outFolder + "|" + command.torqueCsv + "|" + o.vehicle.description + "|" + command.name,
            "runs|t.csv|Test car, 3rd gear|" + std::string(101, 'n'));
  // The axle ratio is untouched and keeps its default.
  EXPECT_EQ((std::vector<double>{o.vehicle.vehicleWeight, o.vehicle.gearRatio, o.vehicle.revsPerIgnition, o.endRpm,
                                 o.liftOffTorque, o.vehicle.axleRatio, static_cast<double>(o.vehicle.frictionLossRpm),
                                 static_cast<double>(o.sampleRate)}),
            (std::vector<double>{3100.5, 1.8, 0.5, 6500.0, -22.0, 4.0, 4500.0, 8000.0}));
  EXPECT_EQ(o.seed, 18446744073709551615ULL);
  EXPECT_EQ(o.sound + "|" + o.mic + "|" + std::to_string(o.cylinders) + "|" + std::to_string(o.strokes),
            "engine|exhaust|6|2");
}

TEST(SynthCommandLine, WritesTheFourFilesThatDescribeOneRunAlike) {
  test::TempFolder folder;
  const std::string out = folder.File("runs");  // created by the tool
  std::ostringstream printed;
  test::MessageCapture messages;
  ASSERT_EQ(RunSynthTool({"--name", "car", "--end-rpm", "5000", "--gear-ratio", "1.9", "--sample-rate", "22050",
                          "--initial-rpm", "1100", "--missing-sparks", "0.05", "--out", out},
                         printed),
            0);
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"car.dat", "car.sparks.csv", "car.truth.csv", "car.wav"}));
  EXPECT_EQ(printed.str().rfind("Wrote " + out + "/car.wav", 0), 0u) << printed.str();

  std::istringstream document(test::ReadFileBytes(out + "/car.dat"));
  RunParameters read;
  ASSERT_EQ(ReadRunDocument(document, read), 1);
  EXPECT_EQ(read.waveFiles, std::vector<std::string>{"car.wav"});

  const std::string truth = test::ReadFileBytes(out + "/car.truth.csv");
  EXPECT_EQ(truth.rfind("rpm,torque_ftlb,hp\n1000,88.000000,16.755147\n1050,", 0), 0u) << truth.substr(0, 80);
  EXPECT_EQ(std::count(truth.begin(), truth.end(), '\n'), 1 + 81);  // 1000 to 5000 rpm every 50

  // One row a spark: the first after half of two revolutions, one every two after that.
  const std::string sparks = test::ReadFileBytes(out + "/car.sparks.csv");
  EXPECT_EQ(sparks.rfind("index,time_s,revolutions,rpm\n0,", 0), 0u);
  int index = -1;
  double time = 0.0, revolutions = 0.0, rpm = 0.0;
  const char* last = sparks.c_str() + sparks.rfind('\n', sparks.size() - 2) + 1;
  ASSERT_EQ(std::sscanf(last, "%d,%lf,%lf,%lf", &index, &time, &revolutions, &rpm), 4) << last;
  EXPECT_EQ(std::count(sparks.begin(), sparks.end(), '\n'), index + 2);
  EXPECT_EQ(revolutions, 1.0 + 2.0 * index);
  EXPECT_TRUE(index > 100 && rpm > 4900.0 && rpm <= 5000.0) << last;
}

TEST(SynthCommandLine, FailuresExplainThemselvesAndWriteNothing) {
  test::TempFolder folder;
  test::WriteFileBytes(folder.File("torque.csv"), "rpm,torque\n1000,90\n");
  test::WriteFileBytes(folder.File("plain-file"), "not a folder");
  const std::string out = folder.File("runs");
  const std::tuple<std::vector<std::string>, int, std::string> cases[] = {
      {{"--out", out, "--wheel-size", "29"}, 2, "Unknown option --wheel-size (ruvo-synth --help lists them)"},
      {{"--out", out, "--vehicle-weight"}, 2, "Option --vehicle-weight needs a value"},
      {{"--out", out, "--vehicle-weight", "12x"}, 2, "Option --vehicle-weight: \"12x\" is not a number"},
      {{"--out", out, "--vehicle-weight=nan"}, 2, "Option --vehicle-weight: \"nan\" is not a number"},
      {{"--out", out, "--sample-rate", "44100.5"}, 2, "Option --sample-rate: \"44100.5\" is not a whole number"},
      {{"--out", out, "--seed", "18446744073709551616"}, 2, "Option --seed: \"18446744073709551616\" is not a whole"},
      {{"--name", "car"}, 2, "Option --out is required"},
      {{"--out="}, 2, "Option --out needs a folder"},
      {{"--out", out, "--name", "sub/car"}, 2, "Option --name must be a plain file name"},
      {{"--out", out, "--name", ".."}, 2, "Option --name must be a plain file name"},
      {{"--out", out, "--name", std::string(102, 'n')},
       2,
       "Option --name must be a plain file name without a folder, of 1 to 101 characters"},
      {{"--out", out, "stray"}, 2, "Unexpected argument \"stray\""},
      {{"--out", out, "--"}, 2, "Unexpected argument \"--\""},
      {{"--out", out, "--end-rpm", "800"}, 2, "Option --end-rpm (800) must be above --start-rpm (1000)"},
      {{"--out", out, "--ring-hz=9000"},
       2,
       "Option --ring-hz must be at most a sixth of --sample-rate (7350 Hz at 44100 Hz), not 9000"},
      {{"--out", out, "--torque-csv", folder.File("torque.csv")},
       2,
       "Torque file " + folder.File("torque.csv") + ": a torque curve needs at least two points"},
      {{"--out", out, "--vehicle-weight", "50000"},
       1,
       "The run from 1000 to 6000 rpm would take about 247 s, longer than 120 s"},
      {{"--out", folder.File("plain-file")}, 1, "Could not create folder - "},
      // A file that cannot be replaced (a folder in its place) fails the whole set.
      {{"--out", folder.File("taken"), "--name", "car"}, 1, "Could not write - " + folder.File("taken/car.truth.csv")},
      // Help wins over every other option and writes nothing either.
      {{"--out", out, "--help"}, 0, ""},
  };
  fs::create_directories(folder.File("taken/car.truth.csv"));
  for (const auto& [args, status, message] : cases) {
    SCOPED_TRACE(message);
    test::MessageCapture messages;
    std::ostringstream printed;
    EXPECT_EQ(RunSynthTool(args, printed), status);
    const std::vector<std::string> texts = messages.Texts();
    ASSERT_EQ(texts.size(), message.empty() ? 0u : 1u);
    if (!texts.empty()) {
      EXPECT_EQ(texts[0].rfind(message, 0), 0u) << texts[0];  // the message starts so
    }
    EXPECT_EQ(printed.str().empty(), status != 0);
    EXPECT_FALSE(fs::exists(out));
  }
  EXPECT_EQ(FilesIn(folder.File("taken")), std::vector<std::string>{"car.truth.csv"});  // no file of the set remains
}

TEST(SynthCommandLine, HelpShowsUnitsDefaultsAndRanges) {
  std::ostringstream printed;
  EXPECT_EQ(RunSynthTool({"--help"}, printed), 0);
  EXPECT_EQ(printed.str().rfind("Usage: ruvo-synth --out DIR [--name NAME] [options]\n", 0), 0u);
  EXPECT_NE(printed.str().find("\n  --lift-off-torque           engine torque while lifted off (engine braking is "
                               "negative) (ft-lb; default -15; -1000 to 0)\n"),
            std::string::npos);
}

}  // namespace
}  // namespace ruvo
