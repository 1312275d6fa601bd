// Inputs at the limits: the largest recording the reader takes and ten recordings in one
// calculation. Each ends in a result without a message; their time and memory are measured by the
// benchmarks (scripts/bench).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "analysis/wave_recording.h"
#include "calc/run_calculation.h"
#include "e2e/synthetic_run.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

TEST(Limits, TheLargestRecordingIsCalculatedInBothModes) {
  // A heavy car between two steady stretches: the longest run a 48 kHz recording holds.
  SynthOptions options = test::TypicalRun(48000);
  options.vehicle.vehicleWeight = 34000.0;
  options.idleSeconds = 60.0;
  options.liftOffSeconds = 29.5635;
  SynthResult run = SynthesizeRun(options);
  ASSERT_TRUE(run.ok) << run.error;

  // Silence up to the largest sample count the reader accepts.
  std::string wave(run.wave.begin(), run.wave.end());
  wave.append(static_cast<std::size_t>(WaveRecording::kMaxSampleCount - run.sampleCount), '\x80');
  // The RIFF size at byte 4 and the data size at byte 40, little-endian.
  for (const auto& [offset, size] : {std::pair{4, wave.size() - 8}, {40, std::size_t{WaveRecording::kMaxSampleCount}}})
    for (int k = 0; k < 4; ++k) wave[static_cast<std::size_t>(offset + k)] = static_cast<char>(size >> (8 * k));
  test::TempFolder folder;
  test::WriteFileBytes(folder.Path() / "largest.wav", wave);
  RunParameters params = run.document;
  params.waveFiles = {"largest.wav"};

  const AnalysisConfig config;
  for (const std::int32_t mode : {0, 1}) {
    SCOPED_TRACE(testing::Message() << "mode " << mode);
    params.calculationMode = mode;
    RunCalculation calculation{params, config};
    const Outcome outcome = calculation.Calculate(folder.Path().string());
    EXPECT_TRUE(outcome);
    EXPECT_GT(calculation.Results().rowCount, 1);
    EXPECT_TRUE(outcome.messages().empty()) << test::Said(outcome);
  }
}

TEST(Limits, TenRecordingsAreAveragedInOneCalculation) {
  test::TempFolder folder;
  RunParameters params;
  test::SyntheticRun first;
  for (int k = 1; k <= 10; ++k) {
    SynthOptions options = test::TypicalRun(8000);
    options.seed = static_cast<std::uint64_t>(k);
    const std::string name = "run" + std::to_string(k);
    const test::SyntheticRun written = test::WriteSyntheticRun(options, folder, name);
    if (k == 1) params = (first = written).run.document;  // the car of every pass
    params.waveFiles.push_back(name + ".wav");
  }
  const AnalysisConfig config;
  RunCalculation calculation{params, config};
  const Outcome outcome = calculation.Calculate(folder.Path().string());
  ASSERT_TRUE(outcome) << test::Said(outcome);
  EXPECT_TRUE(outcome.messages().empty()) << test::Said(outcome);
  const std::string log = test::ReadFileBytes(folder.Path() / "ruvo.log");
  EXPECT_NE(log.find("#Ruvo RPM Calculate: run10.wav", log.find("#Ruvo RPM Calculate: run9.wav")), std::string::npos);

  // Ten noisy passes of one car average to its true peak (2 %, the product's promise).
  const std::vector<double>& horsepower = calculation.Results().horsepower;
  ASSERT_FALSE(horsepower.empty());
  EXPECT_TRUE(test::IsClose(std::ranges::max(horsepower), test::PeaksOf(first.run).horsepower, 0.02));
}

}  // namespace
}  // namespace ruvo
