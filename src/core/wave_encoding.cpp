#include "core/wave_encoding.h"

#include <algorithm>

namespace ruvo {
namespace {

void PutTag(std::vector<std::uint8_t>& bytes, std::size_t at, const char (&tag)[5]) {
  for (std::size_t k = 0; k < 4; ++k) bytes[at + k] = static_cast<std::uint8_t>(tag[k]);
}

}  // namespace

void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int byteCount) {
  for (int k = 0; k < byteCount; ++k)
    bytes[at + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(value >> (8 * k));
}

std::vector<std::uint8_t> CanonicalMonoWave(std::size_t sampleCount,
                                            std::uint32_t bytesPerSample,
                                            std::int32_t sampleRate) {
  const auto dataBytes = static_cast<std::uint32_t>(sampleCount * bytesPerSample);
  const std::uint32_t pad = dataBytes % 2;
  const auto rate = static_cast<std::uint32_t>(sampleRate);
  const auto headerBytes = static_cast<std::uint32_t>(kCanonicalWaveHeaderBytes);
  std::vector<std::uint8_t> bytes(headerBytes + dataBytes + pad, 0);
  PutTag(bytes, 0, "RIFF");
  PutLittleEndian(bytes, 4, headerBytes - 8 + dataBytes + pad, 4);
  PutTag(bytes, 8, "WAVE");
  PutTag(bytes, 12, "fmt ");
  PutLittleEndian(bytes, 16, 16, 4);                     // format chunk size
  PutLittleEndian(bytes, 20, 1, 2);                      // PCM
  PutLittleEndian(bytes, 22, 1, 2);                      // mono
  PutLittleEndian(bytes, 24, rate, 4);                   // samples per second
  PutLittleEndian(bytes, 28, rate * bytesPerSample, 4);  // bytes per second
  PutLittleEndian(bytes, 32, bytesPerSample, 2);         // block alignment
  PutLittleEndian(bytes, 34, 8 * bytesPerSample, 2);     // bits per sample
  PutTag(bytes, 36, "data");
  PutLittleEndian(bytes, 40, dataBytes, 4);
  return bytes;
}

std::vector<std::uint8_t> EncodeEightBitWave(const std::vector<std::uint8_t>& samples, std::int32_t sampleRate) {
  std::vector<std::uint8_t> bytes = CanonicalMonoWave(samples.size(), 1, sampleRate);
  std::copy(samples.begin(), samples.end(), bytes.begin() + kCanonicalWaveHeaderBytes);
  return bytes;
}

}  // namespace ruvo
