#include "cli/cli_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <tuple>
#include <utility>
#include <vector>

#include "core/run_document.h"
#include "core/text_format.h"
#include "core/wave_encoding.h"
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
      {{"--help"}, 0, "ruvo-cli calculate DOC.dat [--config FILE] [--no-save] [--strict]"},
      {{"--version"}, 0, ""},
      {{}, 2, "Usage:"},
      {{"--frobnicate"}, 2, "unknown command or option --frobnicate"},
      {{"calculate"}, 2, "calculate needs a run document"},
      {{"calculate", "a.dat", "--fast"}, 2, "unknown option --fast"},
      {{"calculate", "a.dat", "--config"}, 2, "--config needs a file name"},
      {{"calculate", "a.dat", "b.dat"}, 2, "only one run document"},
      {{"import"}, 2, "import needs a recording and at most one output file"},
      {{"import", "a.flac", "--channel", "0"}, 2, "--channel needs a channel number from 1, mix or auto"},
      {{"import", "a.flac", "--bandpass", "3000-2000"}, 2, "--bandpass needs two frequencies LO-HI in Hz, LO below HI"},
      {{"import", "a.flac", "--from"}, 2, "--from needs a number above 0"},
      {{"import", "a.flac", "--loud"}, 2, "unknown option --loud"},
      {{"import", "a.m4a", "--engine-sound"}, 2, "--engine-sound needs --cylinders N"},
      {{"import", "a.m4a", "--cylinders", "6"}, 2, "--cylinders needs --engine-sound"},
      {{"import", "a.m4a", "--engine-sound", "--cylinders", "17"}, 2, "--cylinders needs a number of cylinders"},
      {{"import", "a.m4a", "--engine-sound", "--cylinders", "6", "--strokes", "3"}, 2, "--strokes needs 4 or 2"},
      {{"import", "a.m4a", "--engine-sound", "--cylinders", "6", "--rpm", "5000-900"}, 2, "--rpm needs two speeds"},
      {{"import", "a.m4a", "--engine-sound", "--cylinders", "6", "--highpass", "400"},
       2,
       "--highpass does not apply to --engine-sound"},
      {{"import", "a.m4a", "--engine-sound", "--cylinders", "6", "--revs-per-pulse", "0"},
       2,
       "--revs-per-pulse needs a number above 0"},
      {{"import", "a.m4a", "--engine-sound", "--cylinders", "6", "--document", "none.dat"},
       1,
       "Could not read the run document none.dat"},
      {{"import", "nowhere.flac"}, 1, "Could not import nowhere.flac: no such file\n"},
      {{"import", "log.csv", "--speed-column", "3"}, 2, "--speed-column needs --document RUN.dat"},
      {{"import", "log.csv", "--speed-unit", "knots"}, 2, "--speed-unit needs kmh or mph"},
      {{"import", "log.csv", "--time-unit", "min"}, 2, "--time-unit needs s, ms or us"},
      {{"import", "log.csv", "--rpm-column", "2", "--channel", "1"},
       2,
       "--channel does not apply to an engine-speed log"},
      {{"table"}, 2, "table needs a run document"},
      {{"table", "a.dat", "--tsv"}, 2, "unknown option --tsv"},
      {{"table", "a.dat", "--correction", "sae"}, 2, "--correction needs one of sae-j1349, sae-j1349-1990, din-70020"},
      {{"table", "a.dat", "--correction", "din-70020", "--pressure", "high"}, 2, "--pressure needs a number"},
      {{"table", "a.dat", "--temperature", "20"}, 2, "--temperature, --pressure, --humidity and --altitude need"}};
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
  const CliResult noTable = RunRuvoCli({"table", written.documentPath});
  EXPECT_EQ(noTable.status, 1);
  EXPECT_EQ(noTable.err, "No results in " + written.documentPath + " - calculate it first\n");

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
  // The table as CSV: the header, then one line per table row.
  const CliResult csv = RunRuvoCli({"table", written.documentPath, "--csv"});
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out.rfind("RPM,HP,Torque,Speed,Accel,Faccel,Fdrag,Ffric,Froll,Force\n", 0), 0u);
  EXPECT_EQ(
      std::count(csv.out.begin(), csv.out.end(), '\n'),
      std::count(after.begin(), after.end(), '\n') - 28 + 1);  // 24 parameter and 4 table header lines; one CSV header

  fs::remove(folder.Path() / "run.wav");
  const CliResult noWave = RunRuvoCli({"calculate", written.documentPath});
  EXPECT_EQ(noWave.status, 1);
  EXPECT_EQ(noWave.err, "Could not open wave file - run.wav\n");
  const CliResult missing = RunRuvoCli({"calculate", folder.File("none.dat")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "Not able to open - " + folder.File("none.dat") + "\n");
}

// The conditions stay in the document through a calculation; the table is corrected by the factor
// of the document's conditions, or of those the options put in their place.
TEST(RuvoCli, TableCorrectsPowerAndTorqueByTheConditionsFactor) {
  test::TempFolder folder;
  const test::SyntheticRun written = test::WriteSyntheticRun(test::TypicalRun(11025), folder, "run");
  const std::string conditions = "# Air Temp. (deg C): 30.000000\n# Air Press. (hPa) : 1000.000000\n";
  test::WriteFileBytes(written.documentPath, test::ReadFileBytes(written.documentPath) + conditions);
  ASSERT_EQ(RunRuvoCli({"calculate", written.documentPath}).status, 0);
  const std::string saved = test::ReadFileBytes(written.documentPath);
  EXPECT_NE(saved.find(conditions + "Title=\""), std::string::npos);

  const auto rows = [](const std::string& csv) {
    std::vector<std::vector<double>> numbers;
    std::istringstream lines(csv.substr(csv.find('\n') + 1));
    for (std::string line; std::getline(lines, line);) {
      numbers.emplace_back();
      std::istringstream fields(line);
      for (std::string field; std::getline(fields, field, ',');) numbers.back().push_back(std::stod(field));
    }
    return numbers;
  };
  const CliResult plain = RunRuvoCli({"table", written.documentPath});
  const CliResult fromDocument = RunRuvoCli({"table", written.documentPath, "--correction", "din-70020"});
  const CliResult overridden =
      RunRuvoCli({"table", written.documentPath, "--correction", "sae-j1349", "--temperature", "25", "--pressure",
                  "1000", "--humidity", "50"});
  ASSERT_EQ(fromDocument.status, 0) << fromDocument.err;
  ASSERT_EQ(overridden.status, 0) << overridden.err;
  const double din = 1013.0 / 1000.0 * std::sqrt(303.15 / 293.0);
  EXPECT_EQ(fromDocument.err, FormatText("note: DIN 70020 correction factor %.4f (30.0 °C, station pressure 1000.0 hPa)\n", din));
  const double dry = 100.0 - 0.5 * 3.1685314;  // kPa: half the saturation pressure at 25 degC (Buck)
  const double sae = 1.176 * (99.0 / dry) * std::sqrt(298.15 / 298.0) - 0.176;
  EXPECT_EQ(overridden.err, FormatText("note: SAE J1349 correction factor %.4f (25.0 °C, station pressure 1000.0 hPa, "
                                       "50 %% relative humidity)\n",
                                       sae));
  for (const auto& [corrected, factor] : {std::pair{&fromDocument, din}, {&overridden, sae}}) {
    const auto expected = rows(plain.out), actual = rows(corrected->out);
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t r = 0; r < actual.size(); ++r)
      for (std::size_t c = 0; c < actual[r].size(); ++c)  // HP and Torque scaled, to the CSV's 10 digits
        EXPECT_TRUE(test::IsClose(actual[r][c], expected[r][c] * (c == 1 || c == 2 ? factor : 1.0), 1e-9)) << r << c;
  }
  const CliResult noPressure =
      RunRuvoCli({"table", written.documentPath, "--correction", "eec-80-1269", "--altitude", "300"});
  EXPECT_EQ(noPressure.status, 0);  // the document's pressure, now taken as at sea level
  EXPECT_NE(noPressure.err.find("converted from 1000.0 hPa at sea level and 300 m"), std::string::npos);
}

// The import prints what it did and writes the WAV beside the recording under a free name: "-8bit.wav"
// beside a WAV of the same name.
TEST(RuvoCli, ImportWritesBesideTheRecordingAndSaysWhatItDid) {
  test::TempFolder folder;
  SynthOptions options = test::TypicalRun(11025);
  options.bits = 16;
  const int total = test::WriteSyntheticRun(options, folder, "phone").run.sampleCount, kept = total - 11025;
  const CliResult imported = RunRuvoCli({"import", folder.File("phone.wav"), "--from", "1", "--highpass", "off"});
  ASSERT_EQ(imported.status, 0) << imported.err;
  const std::string seconds = FormatText("%.3f s", total / 11025.0);
  const std::string expected = "Read " + folder.File("phone.wav") +
                               ": WAV (Microsoft), Signed 16 bit PCM, 1 channel, " + "11025 Hz, " + seconds +
                               "\nChannel: 1 of 1\nTrimmed to: 1.000 to " + seconds +
                               "\nFilters: none\nPeak: 120 steps from 128 (gain ";
  EXPECT_EQ(imported.out.substr(0, expected.size()), expected);
  EXPECT_NE(imported.out.find(FormatText("\nWrote %s: 8-bit mono PCM, 11025 Hz, %d samples\n",
                                         folder.File("phone-8bit.wav").c_str(), kept)),
            std::string::npos)
      << imported.out;
  const std::optional<WaveOrigin> origin = ReadWaveOrigin(folder.File("phone-8bit.wav"));
  ASSERT_TRUE(origin.has_value());
  EXPECT_EQ(origin->source, std::filesystem::weakly_canonical(folder.File("phone.wav")).string());

  // An existing OUT.wav stays byte for byte unless --overwrite; the default name moves on.
  const std::string before = test::ReadFileBytes(folder.File("phone-8bit.wav"));
  const CliResult refused = RunRuvoCli({"import", folder.File("phone.wav"), folder.File("phone-8bit.wav")});
  EXPECT_EQ(std::tie(refused.status, refused.err),
            std::tuple(1, "Could not write " + folder.File("phone-8bit.wav") + ": a file of that name exists\n"));
  EXPECT_EQ(test::ReadFileBytes(folder.File("phone-8bit.wav")), before);
  const CliResult again = RunRuvoCli({"import", folder.File("phone.wav")});
  EXPECT_NE(again.out.find("\nWrote " + folder.File("phone-8bit-2.wav") + ": "), std::string::npos) << again.out;
  const CliResult replaced =
      RunRuvoCli({"import", folder.File("phone.wav"), folder.File("phone-8bit.wav"), "--overwrite"});
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_NE(test::ReadFileBytes(folder.File("phone-8bit.wav")), before);
}

// The peak horsepower and torque of "        Max HP: 123.3 hp @ 5500 rpm\n  Max Torque: 129.6 ft-lb @ ...".
std::pair<double, double> SummaryPeaks(const std::string& out) {
  double hp = 0.0, torque = 0.0;
  EXPECT_EQ(std::sscanf(out.c_str(), " Max HP: %lf hp @ %*d rpm Max Torque: %lf", &hp, &torque), 2) << out;
  return {hp, torque};
}

// A 10 Hz log with 3 ms of jitter, as a logger with engine speed and one with road speed alone
// write it, imported against the run document and calculated: both within 2 % of the true peaks.
TEST(RuvoCli, ImportsAnEngineSpeedLogThatCalculatesWithinTwoPercentOfTheTruth) {
  test::TempFolder folder;
  SynthOptions options = test::TypicalRun(11025);
  options.idleSeconds = 1.0;
  options.liftOffSeconds = 1.0;
  options.logRateHz = 10.0;
  options.logJitterMs = 3.0;
  const test::SyntheticRun written = test::WriteSyntheticRun(options, folder, "run");
  const test::TruthPeaks truth = test::PeaksOf(written.run);
  const std::string log = folder.File("run.log.csv");
  const std::vector<std::vector<std::string>> imports = {
      {"import", log, folder.File("rpm.wav"), "--document", written.documentPath},
      {"import", log, folder.File("speed.wav"), "--speed-column", "Vehicle Speed (km/h)", "--document",
       written.documentPath}};
  for (const std::vector<std::string>& import : imports) {
    SCOPED_TRACE(import[2]);
    const CliResult imported = RunRuvoCli(import);
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_NE(imported.out.find("\nTime: column 1 \"Time (s)\", seconds\n"), std::string::npos) << imported.out;
    EXPECT_NE(imported.out.find("\nUpdates: "), std::string::npos) << imported.out;
    EXPECT_EQ(imported.out.find("warning: "), std::string::npos) << imported.out;
    RunParameters params = written.run.document;
    params.waveFiles = {import[2]};
    std::ostringstream document;
    WriteRunDocument(document, params);
    test::WriteFileBytes(folder.File("log.dat"), document.str());
    const CliResult calculated = RunRuvoCli({"calculate", folder.File("log.dat"), "--no-save"});
    ASSERT_EQ(calculated.status, 0) << calculated.err;
    const auto [hp, torque] = SummaryPeaks(calculated.out);
    EXPECT_TRUE(test::IsClose(hp, truth.horsepower, 0.02)) << calculated.out;  // the goal for 10 Hz logs
    EXPECT_TRUE(test::IsClose(torque, truth.torque, 0.02)) << calculated.out;
  }
  EXPECT_NE(ReadWaveOrigin(folder.File("speed.wav"))->comment.find("road speed \"Vehicle Speed (km/h)\" km/h"),
            std::string::npos);
}

TEST(RuvoCli, ABadLogIsRefusedWithItsFileAndLineAndNothingIsWritten) {
  test::TempFolder folder;
  std::string backwards = "Time (s),RPM\n";
  for (int row = 0; row < 20; ++row) backwards += FormatText("%.1f,%d\n", row == 8 ? 0.1 : 0.1 * row, 1000 + 100 * row);
  test::WriteFileBytes(folder.Path() / "backwards.csv", backwards);
  test::WriteFileBytes(folder.Path() / "ruvo.log", "#Ruvo Log file\n#Ruvo RPM Calculate: run.wav\n");
  const std::pair<std::string, std::string> cases[] = {
      {"backwards.csv", "line 10: time goes backwards, to 0.100 s after 0.700 s"},
      {"ruvo.log", "this is Ruvo's own calculation log (ruvo.log), not an engine-speed log"}};
  for (const auto& [name, reason] : cases) {
    const CliResult refused = RunRuvoCli({"import", folder.File(name), folder.File("out.wav")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Could not import " + folder.File(name) + ": " + reason + "\n");
    EXPECT_FALSE(fs::exists(folder.File("out.wav")));
  }
  // A filter meant for a recording is refused rather than dropped when the input is a log.
  const CliResult filtered =
      RunRuvoCli({"import", folder.File("backwards.csv"), folder.File("out.wav"), "--highpass", "800"});
  EXPECT_EQ(filtered.status, 2);
  EXPECT_EQ(filtered.err, "ruvo-cli: --highpass does not apply to an engine-speed log, which " +
                              folder.File("backwards.csv") + " is\n");
  EXPECT_FALSE(fs::exists(folder.File("out.wav")));
}

// --config is resolved from where the command runs; without it ruvo.cfg beside the document is read.
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
  fs::copy_file(folder.Path() / "elsewhere" / "tuning.cfg", folder.Path() / "ruvo.cfg");
  EXPECT_EQ(RunRuvoCli({"calculate", written.documentPath, "--no-save"}).out, tuned.out) << "ruvo.cfg was not read";
}

TEST(RuvoCli, ChecksWarnAfterTheMessagesAndStrictSavesNothing) {
  // Impaired recordings of the accuracy harness's impairment sweep (11025 Hz, lift-off after the
  // run), each with the warning its evidence must raise.
  struct Case {
    std::vector<std::pair<std::string, std::string>> options;
    std::string warning;
  };
  const Case cases[] = {
      {{{"dc-offset", "60"}, {"seed", "3"}}, "warning: run.wav: the first pulses found are a noise train"},
      {{{"missing-sparks", "0.05"}}, "warning: The run ends at 1900 rpm, the Final RPM estimate is 6000"},
      {{{"weak-sparks", "0.1"}, {"weak-level", "0.25"}}, "warning: The run ends at 4500 rpm"},
      {{{"echo-ratio", "0.9"}}, "warning: The run ends at 4800 rpm"},
      {{{"idle-seconds", "1"}, {"initial-rpm", "1000"}}, "warning: run.wav: the run starts on the idle"},
      {{{"clip-level", "15"}}, "% of the samples are clipped"},
      {{{"hum-level", "10"}}, "pulse intervals give an engine speed more than 25 %"},
  };
  for (const Case& impaired : cases) {
    test::TempFolder folder;
    SynthOptions options = test::TypicalRun(11025);
    options.liftOffSeconds = 1.0;
    std::string error;
    for (const auto& [name, value] : impaired.options)
      ASSERT_TRUE(SetSynthOption(options, name, value, error)) << error;
    const test::SyntheticRun written = test::WriteSyntheticRun(options, folder, "run");
    const std::string before = test::ReadFileBytes(written.documentPath);

    const CliResult strict = RunRuvoCli({"calculate", written.documentPath, "--strict"});
    EXPECT_EQ(strict.status, 3) << strict.err;
    EXPECT_NE(strict.err.find(impaired.warning), std::string::npos) << strict.err;
    EXPECT_EQ(test::ReadFileBytes(written.documentPath), before);
    // The findings follow every message.
    const std::size_t firstFinding = std::min(strict.err.find("warning: "), strict.err.find("note: "));
    for (std::size_t line = firstFinding; line < strict.err.size(); line = strict.err.find('\n', line) + 1)
      EXPECT_TRUE(strict.err.compare(line, 9, "warning: ") == 0 || strict.err.compare(line, 6, "note: ") == 0)
          << strict.err;
  }
}

// A failure keeps its messages as they were and adds what the recording shows of its cause after
// them; the exit status stays that of a failure.
TEST(RuvoCli, AFailedCalculationIsDiagnosedAfterItsMessages) {
  test::TempFolder folder;
  SynthOptions options = test::TypicalRun(44100);
  options.noise = 12.0;
  options.seed = 3;
  const test::SyntheticRun written = test::WriteSyntheticRun(options, folder, "run");
  const CliResult failed = RunRuvoCli({"calculate", written.documentPath});
  EXPECT_EQ(failed.status, 1);
  const std::string messages =
      "Too many pulses in initial wave file scan - check Initial RPM?\n"
      "Incomplete wave file scan weak pulse or noise - check Pulse Duration\n"
      "Calculation failed RPM range too short - the recordings share less than 50 rpm\n";
  ASSERT_EQ(failed.err.substr(0, messages.size()), messages) << failed.err;
  const std::string notes = failed.err.substr(messages.size());
  EXPECT_EQ(notes.rfind("note: run.wav: the loudest click stands only ", 0), 0u) << notes;
  EXPECT_NE(notes.find(" - re-import with the automatic band-pass: ruvo-cli import run.wav\n"), std::string::npos);
  for (std::size_t line = 0; line < notes.size(); line = notes.find('\n', line) + 1)
    EXPECT_EQ(notes.compare(line, 6, "note: "), 0) << notes;
  EXPECT_EQ(failed.out, "");
}

}  // namespace
}  // namespace ruvo
