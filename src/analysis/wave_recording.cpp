#include "analysis/wave_recording.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <utility>

#include "analysis/byte_lanes.h"

namespace ruvo {
namespace {

constexpr std::size_t kCanonicalHeaderBytes = 44;
constexpr std::size_t kChunkHeaderBytes = 8;
constexpr std::size_t kRiffHeaderBytes = 12;
constexpr std::uint32_t kFmtRateOffset = 4;      // sample rate within the "fmt " chunk body
constexpr std::uint32_t kFmtByteRateOffset = 8;  // byte rate within the "fmt " chunk body
constexpr std::uint32_t kFmtMinimumBytes = 12;   // enough to hold the byte rate
constexpr std::int32_t kMinSampleRate = 1001;    // samples per second
constexpr std::int32_t kMaxSampleRate = 99999;

std::uint32_t LittleEndian32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::int32_t Signed32(std::uint32_t value) {
  return value > 0x7fffffffU ? static_cast<std::int32_t>(static_cast<std::int64_t>(value) - 0x100000000LL)
                             : static_cast<std::int32_t>(value);
}

constexpr std::size_t kPieceBytes = 256 * 1024;  // samples read and measured at once: a few syscalls, L2-sized

// Sum, smallest and largest of the samples, gathered piece by piece.
struct SampleTally {
  std::uint64_t sum = 0;
  std::uint8_t minimum = 255;
  std::uint8_t maximum = 0;

  // Adds count samples from p, kByteLanes at a time: their even and odd bytes are summed in 16-bit
  // lanes, which hold 256 loads (at most 256 * 255) before they are emptied into the sum.
  __attribute__((target_clones("avx2", "default"))) void Add(const std::uint8_t* p, std::size_t count) {
    constexpr std::size_t kLoadsPerSum = 256;
    constexpr std::size_t kLanes = kByteLanes;
    ByteLanes low = SplatLanes(minimum);
    ByteLanes high = SplatLanes(maximum);
    std::size_t i = 0;
    while (i + kLanes <= count) {
      WordLanes even{};
      WordLanes odd{};
      const std::size_t loads = std::min(kLoadsPerSum, (count - i) / kLanes);
      const std::uint8_t* const end = p + i + loads * kLanes;
      for (const std::uint8_t* at = p + i; at < end; at += kLanes) {
        const ByteLanes bytes = LoadLanes(at);
        low = MinLanes(low, bytes);
        high = MaxLanes(high, bytes);
        WordLanes pairs;
        std::memcpy(&pairs, &bytes, sizeof pairs);
        even += pairs & 0xff;
        odd += pairs >> 8;
      }
      i += loads * kLanes;
      for (std::size_t lane = 0; lane < kLanes / 2; ++lane) sum += even[lane] + odd[lane];
    }
    minimum = SmallestLane(low);
    maximum = LargestLane(high);
    for (; i < count; ++i) {
      sum += p[i];
      minimum = std::min(minimum, p[i]);
      maximum = std::max(maximum, p[i]);
    }
  }
};

bool ReadAt(std::istream& file, std::uint64_t offset, unsigned char* bytes, std::size_t length) {
  file.clear();
  file.seekg(static_cast<std::streamoff>(offset));
  file.read(reinterpret_cast<char*>(bytes), static_cast<std::streamsize>(length));
  return file.gcount() == static_cast<std::streamsize>(length);
}

}  // namespace

WaveRecording::WaveRecording(std::string name)
    : WaveRecording(name, std::make_unique<std::ifstream>(name, std::ios::binary)) {}

WaveRecording::WaveRecording(const ListedRecording& listed)
    : WaveRecording(listed.name, std::make_unique<std::ifstream>(listed.path, std::ios::binary)) {}

WaveRecording::WaveRecording(std::string name, std::unique_ptr<std::istream> stream)
    : fileName(std::move(name)), file(std::move(stream)) {
  if (!file || !*file) {
    Reject("Could not open wave file - ");
    return;
  }
  ReadHeader();
}

bool WaveRecording::Reject(const char* prefix) {
  file.reset();
  readOutcome.Fail(prefix + fileName);
  return false;
}

bool WaveRecording::ReadHeader() {
  std::array<unsigned char, kCanonicalHeaderBytes> header{};
  if (!ReadAt(*file, 0, header.data(), header.size()) || std::memcmp(header.data(), "RIFF", 4) != 0 ||
      std::memcmp(header.data() + 8, "WAVE", 4) != 0)
    return Reject("Invalid wave file - ");

  bool haveFormat = false;
  bool haveData = false;
  std::uint32_t byteRate = 0;
  std::uint32_t dataLength = 0;
  std::uint64_t position = kRiffHeaderBytes;
  unsigned char chunk[kChunkHeaderBytes];
  while (!(haveFormat && haveData) && ReadAt(*file, position, chunk, sizeof chunk)) {
    const std::uint32_t size = LittleEndian32(chunk + 4);
    const std::uint64_t body = position + kChunkHeaderBytes;
    if (!haveFormat && std::memcmp(chunk, "fmt ", 4) == 0) {
      unsigned char format[kFmtMinimumBytes];
      if (size < kFmtMinimumBytes || !ReadAt(*file, body, format, sizeof format)) break;
      rate = Signed32(LittleEndian32(format + kFmtRateOffset));
      byteRate = LittleEndian32(format + kFmtByteRateOffset);
      haveFormat = true;
    } else if (!haveData && std::memcmp(chunk, "data", 4) == 0) {
      dataLength = size;
      dataOffset = body;
      haveData = true;
    }
    position = body + size + (size & 1U);  // chunks are padded to an even length
  }
  if (!haveFormat || !haveData) return Reject("Invalid wave file - ");

  count = Signed32(dataLength);
  if (rate < kMinSampleRate || rate > kMaxSampleRate || count < 0 || count > kMaxSampleCount)
    return Reject("Invalid wave file - ");
  if (Signed32(byteRate) != rate) return Reject("Not 8 bit recording wave file - ");
  durationSeconds = static_cast<double>(count) / static_cast<double>(rate);
  return true;
}

bool WaveRecording::LoadSamples(std::span<std::uint8_t> buffer,
                                const std::function<void(std::span<const std::uint8_t>)>& eachPiece) {
  if (!ok()) return false;
  const auto length = static_cast<std::size_t>(count);
  if (buffer.size() < length) return Reject("Invalid wave file - ");
  // Piece by piece, each measured while it is still in the cache.
  file->clear();
  file->seekg(static_cast<std::streamoff>(dataOffset));
  SampleTally tally;
  for (std::size_t done = 0; done < length;) {
    const std::size_t piece = std::min(kPieceBytes, length - done);
    file->read(reinterpret_cast<char*>(buffer.data() + done), static_cast<std::streamsize>(piece));
    if (file->gcount() != static_cast<std::streamsize>(piece)) return Reject("Invalid wave file - ");
    tally.Add(buffer.data() + done, piece);
    if (eachPiece) eachPiece(buffer.subspan(done, piece));
    done += piece;
  }
  file.reset();
  SetLevels(tally.sum, tally.minimum, tally.maximum);
  return true;
}

bool WaveRecording::ReadSamples(std::span<const std::uint8_t>& samples,
                                const std::function<void(std::span<const std::uint8_t>)>& eachPiece) {
  if (!ok()) return false;
  // Every byte is read from the file, so the buffer is not cleared first.
  const auto length = static_cast<std::size_t>(count);
  ownSamples = std::make_unique_for_overwrite<std::uint8_t[]>(length);
  const std::span<std::uint8_t> buffer(ownSamples.get(), length);
  if (!LoadSamples(buffer, eachPiece)) return false;
  samples = buffer;
  return true;
}

void WaveRecording::SetLevels(std::uint64_t sum, std::uint8_t minimum, std::uint8_t maximum) {
  // The integer sum is exact here (at most 255 * 9,999,999) and equals the double-precision sum.
  const auto length = static_cast<std::uint64_t>(count);
  mean = static_cast<std::uint8_t>(length == 0 ? 0 : sum / length);
  const int above = maximum - mean;
  const int below = mean - minimum;
  peakDeviation = static_cast<std::uint8_t>(std::max({above, below, 0}));
}

}  // namespace ruvo
