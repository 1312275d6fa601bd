// A whole calculation on a small fuzzed recording with fuzzed estimates, smoothing and mode ends
// in results that are all finite or in a failure, never in a crash or a hang.
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

#include "calc/run_calculation.h"
#include "fuzz_support.h"

namespace {

// Layout of the fuzz input: these fields, then the 8-bit samples at 8000 samples per second.
struct Header {
  std::uint16_t initialRpm;
  std::uint16_t finalRpm;
  std::uint16_t smoothing;  // method in the low 2 bits, level above
  std::uint16_t mode;
  double revsPerIgnition;
  double maxPulseLength;
  double rollingCoefficient;
};

constexpr std::uint32_t kSampleRate = 8000;

void Put32(std::string& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xffU);
}

std::string Wave(const std::uint8_t* samples, std::size_t count) {
  std::string bytes = "RIFF";
  Put32(bytes, static_cast<std::uint32_t>(36 + count));
  bytes += "WAVEfmt ";
  Put32(bytes, 16);
  bytes += std::string("\x01\x00\x01\x00", 4);
  Put32(bytes, kSampleRate);
  Put32(bytes, kSampleRate);
  bytes += std::string("\x01\x00\x08\x00", 4);
  bytes += "data";
  Put32(bytes, static_cast<std::uint32_t>(count));
  bytes.append(reinterpret_cast<const char*>(samples), count);
  return bytes;
}

// The private folder every run calculates in: its recording and ruvo.log lie there.
const std::string& ScratchFolder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/ruvo-fuzz-XXXXXX";
    return std::string(mkdtemp(pattern) ? pattern : "");
  }();
  ruvo::fuzz::Require(!folder.empty(), "a scratch folder to calculate in");
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Header header;
  if (size < sizeof header) return 0;
  std::memcpy(&header, data, sizeof header);
  const std::string& folder = ScratchFolder();
  std::ofstream(folder + "/fuzz.wav", std::ios::binary | std::ios::trunc)
      << Wave(data + sizeof header, size - sizeof header);

  ruvo::RunParameters params;
  params.initialRpm = header.initialRpm;
  params.finalRpm = header.finalRpm;
  params.smoothingMethod = header.smoothing & 3;
  params.smoothingLevel = header.smoothing >> 2;
  params.calculationMode = header.mode & 1;
  params.revsPerIgnition = header.revsPerIgnition;
  params.maxPulseLength = header.maxPulseLength;
  params.rollingCoefficient = header.rollingCoefficient;
  params.waveFiles = {"fuzz.wav"};
  const ruvo::AnalysisConfig config;
  ruvo::RunCalculation calculation(params, config);
  if (!calculation.Calculate(folder)) return 0;

  const ruvo::CalculationResults& results = calculation.Results();
  for (const auto* array : {&results.rpm, &results.speed, &results.acceleration, &results.horsepower, &results.torque})
    for (double value : *array) ruvo::fuzz::Require(std::isfinite(value), "a successful calculation is finite");
  return 0;
}
