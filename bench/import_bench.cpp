// Importing a phone's recording: a 3-minute 48 kHz stereo 16-bit FLAC to the 8-bit mono WAV, with
// clicks clear of the hiss (band-passed) or barely above it (matched filter and click train).
#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "audio/recording_import.h"
#include "scratch_folder.h"

namespace ruvo {
namespace {

constexpr int kRate = 48000;
constexpr int kSeconds = 180;

constexpr double kFaintHiss = 0.01, kLoudHiss = 0.7;  // full scale, peak to peak; the clicks peak at 0.5

// Clicks 40 times a second over hiss and hum, in both channels (the second at half level).
bool WriteLongFlac(const std::string& path, double hiss) {
  SF_INFO info{0, kRate, 2, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0, 0};
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  std::vector<float> frames(2 * kRate);
  std::uint32_t noise = 1;
  bool written = true;
  for (int second = 0; second < kSeconds && written; ++second) {
    for (int n = 0; n < kRate; ++n) {
      const double t = static_cast<double>(n) / kRate, sinceClick = std::fmod(t, 0.025);
      noise = noise * 1664525u + 1013904223u;
      const double sound =
          0.1 * std::sin(2.0 * std::numbers::pi * 50.0 * t) +
          hiss * (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) +
          0.5 * std::exp(-sinceClick / 0.0003) * std::sin(2.0 * std::numbers::pi * 5000.0 * sinceClick);
      frames[2 * static_cast<std::size_t>(n)] = static_cast<float>(sound);
      frames[2 * static_cast<std::size_t>(n) + 1] = static_cast<float>(sound / 2.0);
    }
    written = sf_writef_float(file, frames.data(), kRate) == kRate;
  }
  return sf_close(file) == 0 && written;
}

void BM_ImportThreeMinuteFlac(benchmark::State& state) {
  ScratchFolder scratch("ruvo-import-bench");
  const std::string input = (scratch.Path() / "phone.flac").string(), output = (scratch.Path() / "phone.wav").string();
  const bool loud = state.range(0) != 0;
  if (!scratch.ok() || !WriteLongFlac(input, loud ? kLoudHiss : kFaintHiss))
    return state.SkipWithError("could not write the FLAC");
  ImportOptions options;
  options.existing = ExistingOutput::kReplace;  // every iteration writes the same file
  for (auto _ : state) {
    ImportReport report;
    if (!ImportRecording(input, output, options, report)) return state.SkipWithError("the import failed");
    if ((report.conversion.conditioning.find("matched-filter") != std::string::npos) != loud)
      return state.SkipWithError(("unexpected conditioning: " + report.conversion.conditioning).c_str());
  }
  state.SetItemsProcessed(state.iterations() * kRate * kSeconds);  // frames
}
BENCHMARK(BM_ImportThreeMinuteFlac)->ArgName("loud_hiss")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace ruvo
