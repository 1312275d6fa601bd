#include "analysis/wave_recording.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace ruvo {
namespace {

void Put32(std::string& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xffU);
}

void Put16(std::string& bytes, std::uint16_t value) {
  bytes += static_cast<char>(value & 0xffU);
  bytes += static_cast<char>(value >> 8);
}

struct WaveLayout {
  std::uint32_t sampleRate = 8000;
  std::uint16_t channels = 1;
  std::uint16_t bitsPerSample = 8;
  std::string samples;
  std::string chunksBeforeData;  // complete chunks placed between "fmt " and "data"
  std::uint32_t extraFormatBytes = 0;
  long long declaredLength = -1;  // -1: the real length
};

std::string WaveBytes(const WaveLayout& layout) {
  std::string bytes = "RIFF";
  Put32(bytes, 0);  // patched below
  bytes += "WAVEfmt ";
  Put32(bytes, 16 + layout.extraFormatBytes);
  Put16(bytes, 1);
  Put16(bytes, layout.channels);
  Put32(bytes, layout.sampleRate);
  Put32(bytes, layout.sampleRate * layout.channels * layout.bitsPerSample / 8);
  Put16(bytes, static_cast<std::uint16_t>(layout.channels * layout.bitsPerSample / 8));
  Put16(bytes, layout.bitsPerSample);
  bytes.append(layout.extraFormatBytes, '\x7f');
  bytes += layout.chunksBeforeData;
  bytes += "data";
  Put32(bytes, layout.declaredLength < 0 ? static_cast<std::uint32_t>(layout.samples.size())
                                       : static_cast<std::uint32_t>(layout.declaredLength));
  bytes += layout.samples;
  std::string size;
  Put32(size, static_cast<std::uint32_t>(bytes.size() - 8));
  bytes.replace(4, 4, size);
  return bytes;
}

class WaveRecordingTest : public ::testing::Test {
 protected:
  // Writes the bytes to a file and opens it as a recording.
  WaveRecording Open(const std::string& bytes) {
    test::WriteFileBytes(path, bytes);
    return WaveRecording(path);
  }

  test::TempFolder folder;
  test::MessageCapture messages;
  std::string path = folder.File("run.wav");
};

// A recording of four samples with the given format fields.
std::string FourSamples(std::uint32_t sampleRate,
                        long long declaredLength,
                        std::uint16_t channels,
                        std::uint16_t bits) {
  WaveLayout layout;
  layout.sampleRate = sampleRate;
  layout.channels = channels;
  layout.bitsPerSample = bits;
  layout.samples = "abcd";
  layout.declaredLength = declaredLength;
  return WaveBytes(layout);
}

TEST_F(WaveRecordingTest, AcceptsTheRangeLimits) {
  for (const auto& [rate, length] : {std::pair<std::uint32_t, long long>{1001, 4}, {99999, 4}, {8000, 9'999'999}}) {
    const WaveRecording wave = Open(FourSamples(rate, length, 1, 8));
    ASSERT_TRUE(wave.ok()) << rate << " " << length;
    EXPECT_EQ(wave.sampleRate(), static_cast<std::int32_t>(rate));
    EXPECT_EQ(wave.sampleCount(), length);
    EXPECT_DOUBLE_EQ(wave.duration(), static_cast<double>(length) / rate);
  }
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(WaveRecordingTest, RejectsWhatItCannotReadWithItsMessage) {
  const std::string invalid = "Invalid wave file - " + path;
  const std::string valid = FourSamples(8000, -1, 1, 8);
  const std::pair<std::string, std::string> cases[] = {
      {FourSamples(1000, 4, 1, 8), invalid},
      {FourSamples(100000, 4, 1, 8), invalid},
      {FourSamples(0, 4, 1, 8), invalid},
      {FourSamples(0xffffffffU, 4, 1, 8), invalid},
      {FourSamples(8000, 10'000'000, 1, 8), invalid},
      {FourSamples(8000, 0x80000000LL, 1, 8), invalid},
      {FourSamples(8000, 4, 1, 16), "Not 8 bit recording wave file - " + path},
      {FourSamples(8000, 4, 2, 8), "Not 8 bit recording wave file - " + path},
      {"", invalid},
      {valid.substr(0, 43), invalid},
      {valid.substr(0, 36) + "junk" + valid.substr(40), invalid},  // no data chunk
      {"RIFX" + valid.substr(4), invalid},
      {valid.substr(0, 8) + "AVI " + valid.substr(12), invalid},
  };
  std::vector<std::string> expected;
  for (const auto& [bytes, message] : cases) {
    EXPECT_FALSE(Open(bytes).ok()) << message;
    expected.push_back(message);
  }
  EXPECT_FALSE(WaveRecording(folder.File("missing.wav")).ok());
  expected.push_back("Could not open wave file - " + folder.File("missing.wav"));
  EXPECT_EQ(messages.Texts(), expected);
}

TEST_F(WaveRecordingTest, ShortDataPassesTheHeaderAndFailsToLoad) {
  WaveLayout layout;
  layout.samples = std::string(10, '\x80');
  layout.declaredLength = 11;
  WaveRecording wave = Open(WaveBytes(layout));
  ASSERT_TRUE(wave.ok());
  EXPECT_TRUE(messages.Texts().empty());
  std::vector<std::uint8_t> buffer(11);
  EXPECT_FALSE(wave.LoadSamples(buffer));
  EXPECT_FALSE(wave.ok());
  EXPECT_FALSE(wave.LoadSamples(buffer));  // once failed, nothing more is tried or shown
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Invalid wave file - " + path});
}

TEST_F(WaveRecordingTest, ReadsTheDataChunkAndMeasuresMeanLevelAndAmplitude) {
  struct Case {
    std::vector<std::uint8_t> samples;
    int mean;
    int amplitude;
  };
  const Case cases[] = {
      {{77, 77, 77, 77}, 77, 0},        // all equal
      {{0, 255, 0, 255}, 127, 128},     // mean 127.5 truncated
      {{128, 128, 200, 129}, 146, 54},  // 585 / 4 = 146.25; max 200, min 128
      {{}, 0, 0},                       // no data at all
      {{255}, 255, 0},
      {{0x10, 0x20, 0x30}, 0x20, 0x10},
  };
  // Samples come from the data chunk whatever chunks come around it, odd-sized ones padded.
  std::string list = "LIST";
  Put32(list, 5);
  list += std::string("INFOx\0fact\x04\0\0\0\x03\0\0\0", 18);
  const std::string trailer = "LIST" + std::string("\x02\0\0\0zz", 6);  // after the data: never read
  for (const Case& c : cases) {
    WaveLayout layout;
    layout.samples.assign(c.samples.begin(), c.samples.end());
    layout.chunksBeforeData = list;
    layout.extraFormatBytes = 2;
    WaveRecording wave = Open(WaveBytes(layout) + trailer);
    ASSERT_TRUE(wave.ok());
    std::vector<std::uint8_t> buffer(c.samples.size());
    ASSERT_TRUE(wave.LoadSamples(buffer));
    EXPECT_EQ(buffer, c.samples);
    EXPECT_EQ(wave.meanLevel(), c.mean) << testing::PrintToString(c.samples);
    EXPECT_EQ(wave.amplitude(), c.amplitude) << testing::PrintToString(c.samples);
  }
  EXPECT_TRUE(messages.Texts().empty());
}

}  // namespace
}  // namespace ruvo
