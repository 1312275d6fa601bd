#include "core/wave_encoding.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace ruvo {
namespace {

void PutTag(std::vector<std::uint8_t>& bytes, std::size_t at, const char (&tag)[5]) {
  for (std::size_t k = 0; k < 4; ++k) bytes[at + k] = static_cast<std::uint8_t>(tag[k]);
}

constexpr std::size_t kChunkHeaderBytes = 8;        // tag and size
constexpr std::uint32_t kLongestOriginText = 65536;  // bytes of one INFO text read back

// One INFO text chunk: its tag, size and the text with its terminating zero, padded to even.
void AppendInfoText(std::vector<std::uint8_t>& info, const char (&tag)[5], const std::string& text) {
  const auto size = static_cast<std::uint32_t>(text.size() + 1);
  const std::size_t at = info.size();
  info.resize(at + kChunkHeaderBytes + size + size % 2, 0);
  PutTag(info, at, tag);
  PutLittleEndian(info, at + 4, size, 4);
  std::copy(text.begin(), text.end(), info.begin() + static_cast<std::ptrdiff_t>(at + kChunkHeaderBytes));
}

std::uint32_t LittleEndian(const std::array<char, kChunkHeaderBytes>& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t k = 0; k < 4; ++k) value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + k])) << (8 * k);
  return value;
}

bool HasTag(const std::array<char, kChunkHeaderBytes>& bytes, std::size_t at, const char (&tag)[5]) {
  return std::equal(tag, tag + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at));
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

std::string OriginComment(std::string_view action, const std::vector<std::string>& fields) {
  std::string comment = std::string(action) + " by Ruvo: ";
  for (std::size_t i = 0; i < fields.size(); ++i) comment += (i > 0 ? "; " : "") + fields[i];
  return comment;
}

std::vector<std::uint8_t> EncodeEightBitWave(const std::vector<std::uint8_t>& samples,
                                             std::int32_t sampleRate,
                                             const std::optional<WaveOrigin>& origin) {
  std::vector<std::uint8_t> bytes = CanonicalMonoWave(samples.size(), 1, sampleRate);
  std::copy(samples.begin(), samples.end(), bytes.begin() + kCanonicalWaveHeaderBytes);
  if (!origin) return bytes;
  std::vector<std::uint8_t> info(kChunkHeaderBytes + 4, 0);
  PutTag(info, 0, "LIST");
  PutTag(info, kChunkHeaderBytes, "INFO");
  AppendInfoText(info, "ISRC", origin->source);
  AppendInfoText(info, "ICMT", origin->comment);
  PutLittleEndian(info, 4, static_cast<std::uint32_t>(info.size() - kChunkHeaderBytes), 4);
  bytes.insert(bytes.end(), info.begin(), info.end());
  PutLittleEndian(bytes, 4, static_cast<std::uint32_t>(bytes.size() - kChunkHeaderBytes), 4);
  return bytes;
}

std::optional<WaveOrigin> ReadWaveOrigin(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::array<char, kChunkHeaderBytes> header{};
  if (!in.read(header.data(), 8) || !HasTag(header, 0, "RIFF")) return std::nullopt;
  const std::uint64_t riffEnd = std::uint64_t{LittleEndian(header, 4)} + kChunkHeaderBytes;
  if (!in.read(header.data(), 4) || !HasTag(header, 0, "WAVE")) return std::nullopt;
  // Walk the chunks (each padded to an even size) to the LIST of type INFO, then its texts.
  std::uint64_t at = 12, listEnd = 0;
  WaveOrigin origin;
  while (in.seekg(static_cast<std::streamoff>(at)) && in.read(header.data(), kChunkHeaderBytes)) {
    const std::uint32_t size = LittleEndian(header, 4);
    const std::uint64_t next = at + kChunkHeaderBytes + size + size % 2;
    if (listEnd == 0 && HasTag(header, 0, "LIST")) {
      std::array<char, kChunkHeaderBytes> type{};
      if (size >= 4 && in.read(type.data(), 4) && HasTag(type, 0, "INFO")) {
        listEnd = next;
        at += kChunkHeaderBytes + 4;  // into the list
        continue;
      }
    } else if (listEnd != 0 && size <= kLongestOriginText && (HasTag(header, 0, "ISRC") || HasTag(header, 0, "ICMT"))) {
      std::string text(size, '\0');
      if (!in.read(text.data(), size)) break;
      text.resize(std::min(text.find('\0'), text.size()));
      (HasTag(header, 0, "ISRC") ? origin.source : origin.comment) = text;
    }
    at = next;
    if (listEnd != 0 && at >= listEnd) break;
    if (at >= riffEnd) break;
  }
  if (origin.source.empty()) return std::nullopt;
  return origin;
}

}  // namespace ruvo
