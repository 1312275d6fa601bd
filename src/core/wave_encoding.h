#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ruvo {

// Bytes in the canonical WAV header: RIFF, a 16-byte "fmt " chunk and the "data" chunk's header.
inline constexpr std::size_t kCanonicalWaveHeaderBytes = 44;

// A WAV file of sampleCount mono PCM samples of bytesPerSample bytes each (1: 8-bit unsigned,
// 2: 16-bit signed little-endian) at sampleRate per second: the canonical 44-byte header, the
// sample bytes zeroed for the caller to fill, and the pad byte an odd data size needs.
std::vector<std::uint8_t> CanonicalMonoWave(std::size_t sampleCount,
                                            std::uint32_t bytesPerSample,
                                            std::int32_t sampleRate);

// The complete 8-bit mono WAV file of samples, the form the calculation reads.
std::vector<std::uint8_t> EncodeEightBitWave(const std::vector<std::uint8_t>& samples, std::int32_t sampleRate);

// Writes the byteCount low bytes of value into bytes from index at, least significant first.
void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int byteCount);

}  // namespace ruvo
