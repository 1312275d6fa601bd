#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo {

// What the calculation's wave reader accepts.
inline constexpr std::int32_t kSmallestWaveRate = 1001;        // samples per second
inline constexpr std::int32_t kLargestWaveRate = 99999;        // samples per second
inline constexpr std::size_t kLargestWaveSamples = 9'999'999;  // samples in one file

// Bytes in the canonical WAV header: RIFF, a 16-byte "fmt " chunk and the "data" chunk's header.
inline constexpr std::size_t kCanonicalWaveHeaderBytes = 44;

// A WAV file of sampleCount mono PCM samples of bytesPerSample bytes each (1: 8-bit unsigned,
// 2: 16-bit signed little-endian) at sampleRate per second: the canonical 44-byte header, the
// sample bytes zeroed for the caller to fill, and the pad byte an odd data size needs.
std::vector<std::uint8_t> CanonicalMonoWave(std::size_t sampleCount,
                                            std::uint32_t bytesPerSample,
                                            std::int32_t sampleRate);

// Where a WAV that Ruvo made came from, kept in a LIST/INFO chunk after its samples (which the
// calculation's reader never reaches): source (ISRC) is the absolute path of the recording it was
// made from, comment (ICMT) says how.
struct WaveOrigin {
  std::string source;
  std::string comment;
};

// A WaveOrigin comment: what Ruvo did and how, as fields joined by "; " after "ACTION by Ruvo: "
// ("Converted by Ruvo: channel 1 of 2; filters: none"). Every import writes its record this way.
std::string OriginComment(std::string_view action, const std::vector<std::string>& fields);

// The complete 8-bit mono WAV file of samples, the form the calculation reads, with its origin
// after the samples when one is given.
std::vector<std::uint8_t> EncodeEightBitWave(const std::vector<std::uint8_t>& samples,
                                             std::int32_t sampleRate,
                                             const std::optional<WaveOrigin>& origin = std::nullopt);

// The origin recorded in the WAV file at path; nothing when the file cannot be read, is no RIFF
// WAVE file or holds no source.
std::optional<WaveOrigin> ReadWaveOrigin(const std::string& path);

// Writes the byteCount low bytes of value into bytes from index at, least significant first.
void PutLittleEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value, int byteCount);

}  // namespace ruvo
