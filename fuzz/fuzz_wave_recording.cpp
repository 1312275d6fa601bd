// Any file handed to the WAV reader ends in a recording or a message, never out of bounds.
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/wave_recording.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ruvo::WaveRecording wave(
      "fuzz.wav", std::make_unique<std::istringstream>(std::string(reinterpret_cast<const char*>(data), size)));
  ruvo::fuzz::Require(wave.ok() || wave.outcome().messages().size() == 1, "a refused file has one message");
  if (!wave.ok()) return 0;
  ruvo::fuzz::Require(wave.sampleCount() >= 0 && wave.sampleCount() <= ruvo::WaveRecording::kMaxSampleCount,
                      "sample count within its range");
  // A declared length larger than the file fails to load; don't allocate for it.
  if (static_cast<std::size_t>(wave.sampleCount()) > size) return 0;
  std::vector<std::uint8_t> samples(static_cast<std::size_t>(wave.sampleCount()));
  if (wave.LoadSamples(samples)) {
    for (std::uint8_t sample : samples)
      ruvo::fuzz::Require(
          sample >= wave.meanLevel() - wave.amplitude() && sample <= wave.meanLevel() + wave.amplitude(),
          "every sample lies within the amplitude of the mean");
  }
  return 0;
}
