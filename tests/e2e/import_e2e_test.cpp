// Recordings as today's devices make them, imported and calculated like the 8-bit original.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <tuple>

#include "audio/recording_import.h"
#include "audio/sound_files.h"
#include "e2e/synthetic_run.h"

namespace ruvo {
namespace {

class ImportE2e : public test::CalculationFixture {
 protected:
  // Peak horsepower and torque of a calculation of the open document.
  std::pair<double, double> CalculatedPeaks() {
    const Outcome outcome = calculation.Calculate(document.Folder());
    EXPECT_TRUE(outcome) << test::Said(outcome);
    const CalculationResults& results = calculation.Results();
    if (results.horsepower.empty()) return {0.0, 0.0};
    return {*std::max_element(results.horsepower.begin(), results.horsepower.end()),
            *std::max_element(results.torque.begin(), results.torque.end())};
  }
};

TEST_F(ImportE2e, SixteenBitStereoFilesCalculateWithinOnePercentOfTheOriginal) {
  OpenRun("original", test::TypicalRun(48000));
  const auto [horsepower, torque] = CalculatedPeaks();

  SynthOptions options = test::TypicalRun(48000);
  options.bits = 16;
  const SynthResult run = SynthesizeRun(options);
  ASSERT_TRUE(run.ok) << run.error;
  std::vector<float> stereo;  // the same sound in both channels
  for (std::size_t n = 44; n + 1 < run.wave.size(); n += 2) {
    const auto sample = static_cast<float>(static_cast<std::int16_t>(run.wave[n] | run.wave[n + 1] << 8)) / 32768.0f;
    stereo.insert(stereo.end(), {sample, sample});
  }
  for (const auto& [name, format] : {std::tuple{"phone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                                     std::tuple{"phone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
                                     std::tuple{"phone.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III}}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(test::WriteSoundFile(folder.File(name), format, 48000, 2, stereo));
    ImportReport report;
    ImportOptions replace;  // each format in turn
    replace.existing = ExistingOutput::kReplace;
    ASSERT_TRUE(ImportRecording(folder.File(name), folder.File("imported.wav"), replace, report));
    params.waveFiles = {"imported.wav"};
    const auto [importedHorsepower, importedTorque] = CalculatedPeaks();
    EXPECT_TRUE(test::IsClose(importedHorsepower, horsepower, 0.01)) << importedHorsepower << " hp";
    EXPECT_TRUE(test::IsClose(importedTorque, torque, 0.01)) << importedTorque << " ft-lb";
  }
}

// A pull recorded as engine sound (a phone in the cabin, an exhaust microphone) imported with the
// document's estimates into a pulse track: its peaks come within 2 % of the truth, as the clicks do.
TEST_F(ImportE2e, EngineSoundPullsCalculateWithinTwoPercentOfTheTruth) {
  for (const auto& [cylinders, mic] : {std::tuple{6, "cabin"}, std::tuple{4, "exhaust"}}) {
    SCOPED_TRACE(testing::Message() << cylinders << " cylinders, " << mic);
    SynthOptions options = test::TypicalRun(44100);
    options.sound = "engine";
    options.cylinders = cylinders;
    options.mic = mic;
    options.idleSeconds = 1.0;
    const test::SyntheticRun written = test::WriteSyntheticRun(options, folder, "phone");
    ASSERT_TRUE(document.OpenRunDocument(written.documentPath));
    ImportOptions import;
    import.engineSound.emplace();
    import.engineSound->tracker.cylinders = cylinders;
    TakeDocumentEstimates(params, false, false, *import.engineSound);
    import.existing = ExistingOutput::kReplace;
    ImportReport report;
    const Outcome imported = ImportRecording(folder.File("phone.wav"), folder.File("track.wav"), import, report);
    ASSERT_TRUE(imported) << test::Said(imported);
    params.waveFiles = {"track.wav"};
    const auto [horsepower, torque] = CalculatedPeaks();
    double trueHorsepower = 0.0, trueTorque = 0.0;
    for (const TruthRow& row : written.run.truth) {
      trueHorsepower = std::max(trueHorsepower, row.horsepower);
      trueTorque = std::max(trueTorque, row.torqueFtLb);
    }
    EXPECT_TRUE(test::IsClose(horsepower, trueHorsepower, 0.02)) << horsepower << " hp against " << trueHorsepower;
    EXPECT_TRUE(test::IsClose(torque, trueTorque, 0.02)) << torque << " ft-lb against " << trueTorque;
    for (const RunFinding& finding : calculation.Findings())  // a clean track looks clean to the checks
      EXPECT_EQ(finding.severity, FindingSeverity::kNote) << finding.text;
    for (const RunFinding& finding : calculation.Findings())
      EXPECT_EQ(finding.text.find("clipped"), std::string::npos) << finding.text;
  }
}

}  // namespace
}  // namespace ruvo
