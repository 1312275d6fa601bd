#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ruvo {

// A complete WAV file: the canonical 44-byte header of 8-bit unsigned mono PCM (byte rate =
// sample rate, block alignment 1), the samples, and a pad byte after an odd count.
std::vector<std::uint8_t> EncodeEightBitWave(const std::vector<std::uint8_t>& samples, std::int32_t sampleRate);

// Writes bytes to path through a temporary file in the same folder that is renamed over path
// only when complete, so a failure leaves any earlier file at path as it was. Returns false with
// a reason in error, having removed the temporary file.
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

}  // namespace ruvo
