// Inputs at the limits: the largest recording the reader takes, ten recordings, documents that
// claim more wave files than they hold, and every field at the edges of its type. Each ends in a
// result or a clear message, within seconds and within bounded memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <sstream>

#include "analysis/wave_recording.h"
#include "calc/run_calculation.h"
#include "core/run_document.h"
#include "e2e/synthetic_run.h"
#include "hardening/child_process.h"
#include "synth/synth_run.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kSecondsPerCalculation = 20.0;  // generous for a sanitized build on a busy machine
constexpr long kExtraMemoryKb = 512 * 1024;      // a few double-precision copies of the largest recording

std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

bool AllFinite(const std::vector<double>& values) {
  return std::all_of(values.begin(), values.end(), [](double value) { return std::isfinite(value); });
}

void Put32(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int k = 0; k < 4; ++k) bytes[offset + static_cast<std::size_t>(k)] = static_cast<char>(value >> (8 * k));
}

// The peak memory of a child that does nothing, for comparison.
long IdleChildMemoryKb() {
  return test::RunInChild([] { return 0; }).peakMemoryKb;
}

// Ends either with finite results and their table, or with at least one message and no table.
testing::AssertionResult EndsCleanly(std::int32_t succeeded,
                                     RunCalculation& calculation,
                                     const std::vector<std::string>& messages) {
  const CalculationResults& results = calculation.Results();
  if (!succeeded) {
    if (messages.empty()) return testing::AssertionFailure() << "failed without a message";
    for (const std::string& text : messages)
      if (text.empty()) return testing::AssertionFailure() << "an empty message";
    return testing::AssertionSuccess();
  }
  for (const std::vector<double>* array : {&results.rpm, &results.speed, &results.acceleration, &results.horsepower,
                                           &results.torque, &results.distance, &results.force})
    if (!AllFinite(*array)) return testing::AssertionFailure() << "succeeded with a number that is not finite";
  if (results.rowCount < 1) return testing::AssertionFailure() << "succeeded without rows";
  std::ostringstream table;
  if (!calculation.AppendResultTable(table)) return testing::AssertionFailure() << "succeeded without a table";
  for (const char* word : {"nan", "inf", "NAN", "INF"})
    if (table.str().find(word) != std::string::npos) return testing::AssertionFailure() << "table holds " << word;
  return testing::AssertionSuccess();
}

TEST(Limits, TheLargestRecordingIsCalculatedInBoundedTimeAndMemory) {
  // A heavy car between two steady stretches: the longest run a 48 kHz recording holds.
  SynthOptions options = test::TypicalRun(48000);
  options.vehicle.vehicleWeight = 34000.0;
  options.idleSeconds = 60.0;
  options.liftOffSeconds = 29.5635;
  SynthResult run = SynthesizeRun(options);
  ASSERT_TRUE(run.ok) << run.error;
  ASSERT_LE(run.sampleCount, WaveRecording::kMaxSampleCount);
  // A longer silence at the end would read as missing sparks.
  ASSERT_GT(run.sampleCount, WaveRecording::kMaxSampleCount - 100) << "more than 2 ms of padding";
  ASSERT_EQ(std::memcmp(run.wave.data() + 36, "data", 4), 0);

  // Silence up to the largest sample count the reader accepts.
  std::string wave(run.wave.begin(), run.wave.end());
  wave.append(static_cast<std::size_t>(WaveRecording::kMaxSampleCount - run.sampleCount), '\x80');
  Put32(wave, 4, static_cast<std::uint32_t>(wave.size() - 8));
  Put32(wave, 40, static_cast<std::uint32_t>(WaveRecording::kMaxSampleCount));
  test::TempFolder folder;
  test::WriteFileBytes(folder.Path() / "largest.wav", wave);
  fs::current_path(folder.Path());
  RunParameters params = run.document;
  params.waveFiles = {"largest.wav"};

  const long idleKb = IdleChildMemoryKb();
  for (const std::int32_t mode : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "mode " << mode);
    params.calculationMode = mode;
    const test::ChildOutcome outcome = test::RunInChild([&] {
      const AnalysisConfig config;
      RunCalculation calculation{params, config};
      const Clock::time_point start = Clock::now();
      const std::int32_t succeeded = calculation.Calculate();
      const bool fast = SecondsSince(start) < kSecondsPerCalculation;
      const bool clean = EndsCleanly(succeeded, calculation, {});
      return fast && clean && succeeded && calculation.Results().rowCount > 1 ? 0 : 1;
    });
    EXPECT_TRUE(outcome.exited && outcome.exitCode == 0)
        << "no clean result in time; signal " << outcome.signal << ", messages " << outcome.messages.size();
    EXPECT_TRUE(outcome.messages.empty()) << outcome.messages.front();
    EXPECT_LT(outcome.peakMemoryKb - idleKb, kExtraMemoryKb);
  }

  // One sample more is refused with its message.
  wave.push_back('\x80');
  Put32(wave, 4, static_cast<std::uint32_t>(wave.size() - 8));
  Put32(wave, 40, static_cast<std::uint32_t>(WaveRecording::kMaxSampleCount + 1));
  test::WriteFileBytes(folder.Path() / "largest.wav", wave);
  test::MessageCapture messages;
  const AnalysisConfig config;
  RunCalculation calculation{params, config};
  EXPECT_EQ(calculation.Calculate(), 0);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Invalid wave file - largest.wav"});
}

TEST(Limits, TenRecordingsAreAveragedInOneCalculation) {
  test::TempFolder folder;
  RunParameters params;
  test::SyntheticRun first;
  for (int k = 1; k <= 10; ++k) {
    SynthOptions options = test::TypicalRun(8000);
    options.seed = static_cast<std::uint64_t>(k);
    const test::SyntheticRun written = test::WriteSyntheticRun(options, folder, "run" + std::to_string(k));
    if (k == 1) {
      first = written;
      params = written.run.document;
    }
    params.waveFiles.push_back("run" + std::to_string(k) + ".wav");
  }
  fs::current_path(folder.Path());
  test::MessageCapture messages;
  const AnalysisConfig config;
  RunCalculation calculation{params, config};
  const Clock::time_point start = Clock::now();
  ASSERT_NE(calculation.Calculate(), 0) << (messages.Texts().empty() ? "" : messages.Texts().front());
  EXPECT_LT(SecondsSince(start), kSecondsPerCalculation);
  EXPECT_TRUE(messages.Texts().empty());
  const std::string log = test::ReadFileBytes(folder.Path() / "ruvo.log");
  EXPECT_EQ(CountOf(log, "#Ruvo Log file\n"), 10u);
  EXPECT_LT(log.find("#Ruvo RPM Calculate: run9.wav"), log.find("#Ruvo RPM Calculate: run10.wav"));

  // Ten noisy passes of one car average to its true peak (2 %, the product's promise).
  const CalculationResults& results = calculation.Results();
  ASSERT_TRUE(EndsCleanly(1, calculation, {}));
  const double bestHp = *std::max_element(results.horsepower.begin(), results.horsepower.end());
  EXPECT_TRUE(test::IsClose(bestHp, test::PeaksOf(first.run).horsepower, 0.02));
}

// A document whose count line claims more wave files than it holds.
std::string DocumentClaiming(const std::string& count) {
  RunParameters params;
  params.description = "claims";
  params.waveFiles = {"a.wav", "b.wav"};
  std::ostringstream text;
  WriteRunDocument(text, params);
  std::string document = text.str();
  const std::string line = "# Number Wave Files: 2\n";
  document.replace(document.find(line), line.size(), "# Number Wave Files: " + count + "\n");
  return document;
}

TEST(Limits, ACountLineClaimingBillionsOfFilesEndsQuickly) {
  struct Case {
    const char* count;
    bool opens;  // a count that does not convert, or is negative, counts as no wave file
  };
  const Case cases[] = {{"2147483647", false},   {"0x7fffffff", false}, {"1000000000", false},
                        {"017777777777", false}, {"4294967296", true},  {"99999999999999999999", true},
                        {"-2147483648", true}};
  test::TempFolder folder;
  const long idleKb = IdleChildMemoryKb();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    const std::string path = folder.File("claims.dat");
    test::WriteFileBytes(path, DocumentClaiming(c.count));
    const test::ChildOutcome outcome = test::RunInChild([&] {
      RunParameters params;
      RunDocument document{params};
      const Clock::time_point start = Clock::now();
      const bool opened = document.OpenRunDocument(path);
      const bool fast = SecondsSince(start) < 1.0;
      return fast && opened == c.opens && (!opened || params.waveFiles.empty()) ? 0 : 1;
    });
    EXPECT_TRUE(outcome.exited && outcome.exitCode == 0) << "signal " << outcome.signal;
    EXPECT_EQ(outcome.messages,
              c.opens ? std::vector<std::string>{} : std::vector<std::string>{"Invalid ruvo file - " + path});
    EXPECT_LT(outcome.peakMemoryKb - idleKb, 64 * 1024) << "the claimed count was allocated";
  }
}

TEST(Limits, ADocumentOfThousandsOfWaveFilesKeepsEveryPath) {
  test::TempFolder folder;
  fs::current_path(folder.Path());
  RunParameters params;
  for (int k = 1; k <= 1200; ++k) params.waveFiles.push_back("pass" + std::to_string(k) + ".wav");
  RunDocument document{params};
  ASSERT_TRUE(document.SaveRunDocument(folder.File("many.dat")));
  RunParameters reread;
  RunDocument reopened{reread};
  ASSERT_TRUE(reopened.OpenRunDocument(folder.File("many.dat")));
  ASSERT_EQ(reread.waveFiles.size(), params.waveFiles.size());
  for (std::size_t k :
       {std::size_t{0}, std::size_t{98}, std::size_t{99}, std::size_t{998}, std::size_t{999}, std::size_t{1199}})
    EXPECT_EQ(reread.waveFiles[k], params.waveFiles[k]) << "entry " << k + 1;
  EXPECT_EQ(reread.calculationMode, params.calculationMode);
}

// The values at the edges of the two number types of the files.
const char* const kIntEdges[] = {"-2147483648", "2147483647"};
const char* const kDoubleEdges[] = {"-1.7976931348623157e308", "1.7976931348623157e308", "nan", "inf", "-inf"};

// A synthetic recording with its document, made once for every edge case.
class EdgeValues : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    run = new SynthResult(SynthesizeRun(test::TypicalRun(8000)));
    ASSERT_TRUE(run->ok);
  }
  static void TearDownTestSuite() {
    delete run;
    run = nullptr;
  }

  void SetUp() override {
    test::WriteFileBytes(folder.Path() / "run.wav", std::string(run->wave.begin(), run->wave.end()));
    fs::current_path(folder.Path());
  }

  // Calculates in both modes with the document text and ruvo.cfg text given, as a user would after
  // editing them by hand, and checks that each calculation ends cleanly and quickly.
  void CalculateBothModes(const std::string& documentText, const std::string& configText, const std::string& what) {
    for (const char* mode : {"0", "1"}) {
      SCOPED_TRACE(testing::Message() << what << ", mode " << mode);
      std::string text = documentText;
      const std::string modeLine = "# Calculation Mode : 0\n";
      const std::size_t at = text.find(modeLine);
      if (at == std::string::npos && mode[0] == '1') continue;  // the mode line holds the edge value itself
      if (at != std::string::npos)
        text.replace(at, modeLine.size(), std::string("# Calculation Mode : ") + mode + "\n");
      test::WriteFileBytes(folder.Path() / "run.dat", text);
      test::WriteFileBytes(folder.Path() / "ruvo.cfg", configText);
      test::MessageCapture messages;
      RunParameters params;
      const AnalysisConfig config = ReadAnalysisConfig(folder.File("ruvo.cfg"));
      RunCalculation calculation{params, config};
      RunDocument document{params, &calculation};
      ASSERT_TRUE(document.OpenRunDocument(folder.File("run.dat")));
      const Clock::time_point start = Clock::now();
      const std::int32_t succeeded = calculation.Calculate();
      EXPECT_LT(SecondsSince(start), kSecondsPerCalculation);
      EXPECT_TRUE(EndsCleanly(succeeded, calculation, messages.Texts()));
      ASSERT_TRUE(document.SaveToCurrentPath());
      EXPECT_EQ(test::ReadFileBytes(folder.File("run.dat")).find("Title=") != std::string::npos, succeeded != 0);
    }
  }

  std::string Document() const {
    RunParameters params = run->document;
    params.waveFiles = {"run.wav"};
    std::ostringstream text;
    WriteRunDocument(text, params);
    return text.str();
  }

  static SynthResult* run;
  test::TempFolder folder;
};

SynthResult* EdgeValues::run = nullptr;

TEST_F(EdgeValues, EveryDocumentFieldAtTheEdgesOfItsType) {
  const std::string base = Document();
  // Line numbers from 1; the count line (19) is covered above.
  const int intLines[] = {12, 14, 15, 16, 17, 21, 24};
  const std::string longDescription(100000, 'x');
  const std::string longWavePath(5000, 'w');  // longer than any file name a system allows
  for (int line = 1; line <= 24; ++line) {
    if (line == 19) continue;
    const bool isInt = std::find(std::begin(intLines), std::end(intLines), line) != std::end(intLines);
    std::vector<std::string> edges(std::begin(kDoubleEdges), std::end(kDoubleEdges));
    if (isInt) edges.assign(std::begin(kIntEdges), std::end(kIntEdges));
    if (line == 1) edges = {longDescription};
    if (line == 20) edges = {longWavePath};
    for (const std::string& edge : edges) {
      std::istringstream in(base);
      std::string text, current;
      for (int number = 1; std::getline(in, current); ++number)
        text += (number == line ? current.substr(0, 21) + edge : current) + "\n";
      CalculateBothModes(text, "", "line " + std::to_string(line) + " = " + edge.substr(0, 30));
    }
  }
}

TEST_F(EdgeValues, EveryConfigurationValueAtTheEdgesOfItsType) {
  const std::string document = Document();
  const char* const defaults[] = {"0", "6", "0.002", "1.0", "1.0"};
  for (int line = 0; line < 5; ++line) {
    const auto edges = line < 2 ? std::vector<const char*>(std::begin(kIntEdges), std::end(kIntEdges))
                                : std::vector<const char*>(std::begin(kDoubleEdges), std::end(kDoubleEdges));
    for (const char* edge : edges) {
      std::string config;
      for (int k = 0; k < 5; ++k) config += std::string(k == line ? edge : defaults[k]) + "\n";
      CalculateBothModes(document, config, "ruvo.cfg line " + std::to_string(line + 1) + " = " + edge);
    }
  }
}

}  // namespace
}  // namespace ruvo
