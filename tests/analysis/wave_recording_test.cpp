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

struct WaveSpec {
  std::uint32_t sampleRate = 8000;
  std::uint32_t byteRate = 8000;
  std::uint16_t channels = 1;
  std::uint16_t bitsPerSample = 8;
  std::string samples;
  std::string chunksBeforeData;  // complete chunks placed between "fmt " and "data"
  std::uint32_t extraFormatBytes = 0;
  long long declaredLength = -1;  // -1: the real length
};

std::string WaveBytes(const WaveSpec& spec) {
  std::string bytes = "RIFF";
  Put32(bytes, 0);  // patched below
  bytes += "WAVEfmt ";
  Put32(bytes, 16 + spec.extraFormatBytes);
  Put16(bytes, 1);
  Put16(bytes, spec.channels);
  Put32(bytes, spec.sampleRate);
  Put32(bytes, spec.byteRate);
  Put16(bytes, static_cast<std::uint16_t>(spec.channels * spec.bitsPerSample / 8));
  Put16(bytes, spec.bitsPerSample);
  bytes.append(spec.extraFormatBytes, '\x7f');
  bytes += spec.chunksBeforeData;
  bytes += "data";
  Put32(bytes, spec.declaredLength < 0 ? static_cast<std::uint32_t>(spec.samples.size())
                                       : static_cast<std::uint32_t>(spec.declaredLength));
  bytes += spec.samples;
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

TEST_F(WaveRecordingTest, AcceptsTheRangeLimitsAndRejectsJustOutside) {
  struct Case {
    std::uint32_t sampleRate;
    long long declaredLength;
    bool accepted;
  };
  const Case cases[] = {{1000, 4, false},       {1001, 4, true},         {99999, 4, true},
                        {100000, 4, false},     {0, 4, false},           {8000, 9'999'999, true},
                        {8000, 10'000'000, false}, {8000, 0x80000000LL, false}, {0xffffffffU, 4, false}};
  for (const Case& c : cases) {
    WaveSpec spec;
    spec.sampleRate = spec.byteRate = c.sampleRate;
    spec.samples = "abcd";
    spec.declaredLength = c.declaredLength;
    const WaveRecording wave = Open(WaveBytes(spec));
    EXPECT_EQ(wave.ok(), c.accepted) << c.sampleRate << " " << c.declaredLength;
    if (c.accepted) {
      EXPECT_EQ(wave.sampleRate(), static_cast<std::int32_t>(c.sampleRate));
      EXPECT_EQ(wave.sampleCount(), c.declaredLength);
      EXPECT_DOUBLE_EQ(wave.duration(), static_cast<double>(c.declaredLength) / c.sampleRate);
    }
  }
  EXPECT_EQ(messages.Texts(), std::vector<std::string>(6, "Invalid wave file - " + path));
}

TEST_F(WaveRecordingTest, RejectsRecordingsThatAreNotEightBitMono) {
  for (auto [channels, bits] : {std::pair<std::uint16_t, std::uint16_t>{1, 16}, {2, 8}}) {
    WaveSpec spec;
    spec.channels = channels;
    spec.bitsPerSample = bits;
    spec.byteRate = spec.sampleRate * channels * bits / 8;
    spec.samples = std::string(64, '\x80');
    EXPECT_FALSE(Open(WaveBytes(spec)).ok());
  }
  EXPECT_EQ(messages.Texts(), std::vector<std::string>(2, "Not 8 bit recording wave file - " + path));
}

TEST_F(WaveRecordingTest, RejectsFilesItCannotReadWithTheirMessage) {
  EXPECT_FALSE(WaveRecording(folder.File("missing.wav")).ok());
  WaveSpec spec;
  spec.samples = "xyz";
  const std::string valid = WaveBytes(spec);
  std::string noData = valid.substr(0, 36) + "junk" + valid.substr(40);
  const std::string inputs[] = {"", valid.substr(0, 43), noData, "RIFX" + valid.substr(4),
                                valid.substr(0, 8) + "AVI " + valid.substr(12)};
  for (const std::string& bytes : inputs) EXPECT_FALSE(Open(bytes).ok());
  std::vector<std::string> expected{"Could not open wave file - " + folder.File("missing.wav")};
  expected.insert(expected.end(), 5, "Invalid wave file - " + path);
  EXPECT_EQ(messages.Texts(), expected);
}

TEST_F(WaveRecordingTest, ShortDataPassesTheHeaderAndFailsToLoad) {
  WaveSpec spec;
  spec.samples = std::string(10, '\x80');
  spec.declaredLength = 11;
  WaveRecording wave = Open(WaveBytes(spec));
  ASSERT_TRUE(wave.ok());
  EXPECT_TRUE(messages.Texts().empty());
  std::vector<std::uint8_t> buffer(11);
  EXPECT_FALSE(wave.LoadSamples(buffer));
  EXPECT_FALSE(wave.ok());
  EXPECT_FALSE(wave.LoadSamples(buffer));  // once failed, nothing more is tried or shown
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Invalid wave file - " + path});
}

TEST_F(WaveRecordingTest, ReadsSamplesFromTheDataChunkWhateverComesAround) {
  WaveSpec spec;
  spec.samples = "\x10\x20\x30";
  std::string list = "LIST";
  Put32(list, 5);
  list += "INFOx";
  list += '\0';  // pad byte of an odd-sized chunk
  spec.chunksBeforeData = list + "fact" + std::string("\x04\0\0\0\x03\0\0\0", 8);
  spec.extraFormatBytes = 2;
  const std::string trailer = "LIST" + std::string("\x02\0\0\0zz", 6);  // after the data: never read
  WaveRecording wave = Open(WaveBytes(spec) + trailer);
  ASSERT_TRUE(wave.ok());
  ASSERT_EQ(wave.sampleCount(), 3);
  std::vector<std::uint8_t> buffer(3);
  ASSERT_TRUE(wave.LoadSamples(buffer));
  EXPECT_EQ(buffer, (std::vector<std::uint8_t>{0x10, 0x20, 0x30}));
  EXPECT_EQ(wave.meanLevel(), 0x20);
  EXPECT_EQ(wave.amplitude(), 0x10);
}

TEST_F(WaveRecordingTest, MeasuresMeanLevelAndAmplitude) {
  struct Case {
    std::vector<std::uint8_t> samples;
    int mean;
    int amplitude;
  };
  const Case cases[] = {
      {{77, 77, 77, 77}, 77, 0},       // all equal
      {{0, 255, 0, 255}, 127, 128},    // mean 127.5 truncated
      {{128, 128, 200, 129}, 146, 54},  // 585 / 4 = 146.25; max 200, min 128
      {{}, 0, 0},                      // no data at all
      {{255}, 255, 0},
  };
  for (const Case& c : cases) {
    WaveSpec spec;
    spec.samples.assign(c.samples.begin(), c.samples.end());
    WaveRecording wave = Open(WaveBytes(spec));
    ASSERT_TRUE(wave.ok());
    std::vector<std::uint8_t> buffer(c.samples.size());
    ASSERT_TRUE(wave.LoadSamples(buffer));
    EXPECT_EQ(wave.meanLevel(), c.mean) << testing::PrintToString(c.samples);
    EXPECT_EQ(wave.amplitude(), c.amplitude) << testing::PrintToString(c.samples);
  }
  EXPECT_TRUE(messages.Texts().empty());
}

}  // namespace
}  // namespace ruvo
