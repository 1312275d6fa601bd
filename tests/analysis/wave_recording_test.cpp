#include "analysis/wave_recording.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace ruvo {
namespace {

std::string Le(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xffU);
  return out;
}

// A RIFF/WAVE file of PCM samples; chunksBeforeData are complete chunks placed between "fmt " and
// "data"; a declaredLength of -1 is the real length.
std::string WaveBytes(std::uint32_t rate = 8000,
                      long long declaredLength = -1,
                      std::uint16_t channels = 1,
                      std::uint16_t bits = 8,
                      const std::string& samples = "abcd",
                      const std::string& chunksBeforeData = "",
                      std::uint32_t extraFormatBytes = 0) {
  const auto length = static_cast<std::uint32_t>(declaredLength < 0 ? std::ssize(samples) : declaredLength);
  const std::string body = "WAVEfmt " + Le(16 + extraFormatBytes, 4) + Le(1, 2) + Le(channels, 2) + Le(rate, 4) +
                           Le(rate * channels * bits / 8, 4) + Le(static_cast<std::uint32_t>(channels * bits / 8), 2) +
                           Le(bits, 2) + std::string(extraFormatBytes, '\x7f') + chunksBeforeData + "data" +
                           Le(length, 4) + samples;
  return "RIFF" + Le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

class WaveRecordingTest : public ::testing::Test {
 protected:
  // Writes the bytes to a file and opens it as a recording.
  WaveRecording Open(const std::string& bytes) {
    test::WriteFileBytes(path, bytes);
    return WaveRecording(path);
  }

  test::TempFolder folder;
  std::string path = folder.File("run.wav");
};

TEST_F(WaveRecordingTest, AcceptsTheRangeLimits) {
  for (const auto& [rate, length] : {std::pair<std::uint32_t, long long>{1001, 4}, {99999, 4}, {8000, 9'999'999}}) {
    const WaveRecording wave = Open(WaveBytes(rate, length));
    EXPECT_EQ(std::tuple(wave.ok(), wave.sampleRate(), wave.sampleCount(), wave.duration()),
              std::tuple(true, static_cast<std::int32_t>(rate), length, static_cast<double>(length) / rate));
    EXPECT_TRUE(wave.outcome().messages().empty());
  }
}

TEST_F(WaveRecordingTest, RejectsWhatItCannotReadWithItsMessage) {
  const std::string invalid = "Invalid wave file - " + path, notEightBit = "Not 8 bit recording wave file - " + path;
  const std::string valid = WaveBytes();
  const std::pair<std::string, std::string> cases[] = {
      {WaveBytes(1000), invalid},
      {WaveBytes(100000), invalid},
      {WaveBytes(8000, 10'000'000), invalid},
      {WaveBytes(8000, 0x80000000LL), invalid},
      {WaveBytes(8000, -1, 1, 16), notEightBit},
      {WaveBytes(8000, -1, 2), notEightBit},
      {valid.substr(0, 43), invalid},
      {valid.substr(0, 36) + "junk" + valid.substr(40), invalid},  // no data chunk
      {"RIFX" + valid.substr(4), invalid},
      {valid.substr(0, 8) + "AVI " + valid.substr(12), invalid},
  };
  for (const auto& [bytes, message] : cases) {
    const WaveRecording wave = Open(bytes);
    EXPECT_EQ(std::pair(wave.ok(), wave.outcome().messages()), std::pair(false, std::vector{message}));
  }
  const WaveRecording missing(folder.File("missing.wav"));
  EXPECT_EQ(std::pair(missing.ok(), missing.outcome().messages()),
            std::pair(false, std::vector{"Could not open wave file - " + folder.File("missing.wav")}));
}

TEST_F(WaveRecordingTest, ShortDataPassesTheHeaderAndFailsToLoad) {
  WaveRecording wave = Open(WaveBytes(8000, 11, 1, 8, std::string(10, '\x80')));
  ASSERT_TRUE(wave.ok());
  EXPECT_TRUE(wave.outcome().messages().empty());
  std::vector<std::uint8_t> buffer(11);
  EXPECT_FALSE(wave.LoadSamples(buffer) || wave.ok());
  EXPECT_FALSE(wave.LoadSamples(buffer));  // once failed, nothing more is tried or said
  EXPECT_EQ(wave.outcome().messages(), std::vector<std::string>{"Invalid wave file - " + path});
  // Reading into the recording's own buffer fails the same way.
  WaveRecording again(path);
  std::span<const std::uint8_t> kept;
  EXPECT_FALSE(again.ReadSamples(kept) || again.ok());
  EXPECT_EQ(again.outcome().messages(), std::vector<std::string>{"Invalid wave file - " + path});
}

TEST_F(WaveRecordingTest, ReadsTheDataChunkAndMeasuresMeanLevelAndAmplitude) {
  // Samples, mean level and amplitude. 585 / 4 = 146.25 with max 200, min 128; in 610 / 4 = 152.5
  // the minimum lies further from the mean.
  const std::tuple<std::vector<std::uint8_t>, int, int> cases[] = {{{77, 77, 77, 77}, 77, 0},
                                                                   {{0, 255, 0, 255}, 127, 128},
                                                                   {{128, 128, 200, 129}, 146, 54},
                                                                   {{10, 200, 200, 200}, 152, 142},
                                                                   {{}, 0, 0},
                                                                   {{255}, 255, 0},
                                                                   {{0x10, 0x20, 0x30}, 0x20, 0x10}};
  // Samples come from the data chunk whatever chunks come around it, odd-sized ones padded.
  const std::string list = "LIST" + Le(5, 4) + std::string("INFOx\0fact\x04\0\0\0\x03\0\0\0", 18);
  const std::string trailer = "LIST" + std::string("\x02\0\0\0zz", 6);  // after the data: never read
  for (const auto& [samples, mean, amplitude] : cases) {
    WaveRecording wave =
        Open(WaveBytes(8000, -1, 1, 8, std::string(samples.begin(), samples.end()), list, 2) + trailer);
    std::vector<std::uint8_t> buffer(samples.size());
    ASSERT_TRUE(wave.ok() && wave.LoadSamples(buffer));
    EXPECT_EQ(std::tuple(buffer, int{wave.meanLevel()}, int{wave.amplitude()}), std::tuple(samples, mean, amplitude));
  }
}

// Recordings longer than the pieces they are read in, loaded into a buffer and read into the
// recording's own from a file and from a stream: every sample arrives, in order, once, and
// the mean and amplitude are those of all of them, also where every sum of 16-bit lanes runs full.
TEST_F(WaveRecordingTest, ReadsLongRecordingsPieceByPieceWithTheirMeanAndAmplitude) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> anyValue(0, 255);
  std::vector<std::vector<std::uint8_t>> recordings(3, std::vector<std::uint8_t>(600003));
  for (std::uint8_t& sample : recordings[0]) sample = static_cast<std::uint8_t>(anyValue(random));
  std::fill(recordings[1].begin(), recordings[1].end(), 255);
  recordings[1][123457] = 3;
  recordings[2][599999] = 201;
  enum class Way { kLoad, kReadFile, kReadStream };
  for (const std::vector<std::uint8_t>& samples : recordings) {
    std::uint64_t sum = 0;
    for (std::uint8_t sample : samples) sum += sample;
    const auto mean = static_cast<int>(sum / samples.size());
    const auto [lowest, highest] = std::minmax_element(samples.begin(), samples.end());
    const std::string bytes = WaveBytes(8000, -1, 1, 8, std::string(samples.begin(), samples.end()));
    for (const Way way : {Way::kLoad, Way::kReadFile, Way::kReadStream}) {
      SCOPED_TRACE(static_cast<int>(way));
      WaveRecording wave = way == Way::kReadStream
                               ? WaveRecording("stream.wav", std::make_unique<std::istringstream>(bytes))
                               : Open(bytes);
      std::vector<std::uint8_t> pieces;
      std::size_t pieceCount = 0;
      const auto eachPiece = [&](std::span<const std::uint8_t> piece) {
        pieces.insert(pieces.end(), piece.begin(), piece.end());
        ++pieceCount;
      };
      std::vector<std::uint8_t> buffer(samples.size());
      std::span<const std::uint8_t> kept;
      if (way == Way::kLoad) {
        ASSERT_TRUE(wave.LoadSamples(buffer, eachPiece));
      } else {
        ASSERT_TRUE(wave.ReadSamples(kept, eachPiece));
        buffer.assign(kept.begin(), kept.end());
      }
      EXPECT_TRUE(buffer == samples && pieces == samples);
      EXPECT_GT(pieceCount, 1u);
      EXPECT_EQ(wave.meanLevel(), mean);
      EXPECT_EQ(wave.amplitude(), std::max(*highest - mean, mean - *lowest));
      EXPECT_TRUE(wave.ok());
    }
  }
}

}  // namespace
}  // namespace ruvo
