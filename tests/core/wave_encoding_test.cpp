#include "core/wave_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace ruvo {
namespace {

// The origin follows the samples, so the 44-byte header and the samples read as before, and it
// reads back from the file; files without one, or that are no WAV, give none.
TEST(WaveEncoding, OriginFollowsTheSamplesAndReadsBack) {
  test::TempFolder folder;
  const std::vector<std::uint8_t> samples{128, 200, 40};  // odd: a pad byte precedes the LIST chunk
  const WaveOrigin origin{"/home/me/Phone Rec 001.mp3", "Converted by Ruvo: filters: high-pass 400 Hz"};
  const std::vector<std::uint8_t> plain = EncodeEightBitWave(samples, 11025);
  const std::vector<std::uint8_t> marked = EncodeEightBitWave(samples, 11025, origin);
  ASSERT_GT(marked.size(), plain.size());
  EXPECT_TRUE(std::equal(plain.begin() + 8, plain.end(), marked.begin() + 8));  // all but the RIFF size
  EXPECT_EQ(marked[4] | marked[5] << 8 | marked[6] << 16 | marked[7] << 24, static_cast<int>(marked.size() - 8));

  test::WriteFileBytes(folder.File("marked.wav"), std::string(marked.begin(), marked.end()));
  test::WriteFileBytes(folder.File("plain.wav"), std::string(plain.begin(), plain.end()));
  test::WriteFileBytes(folder.File("text.wav"), "RIFF, but not really");
  const std::optional<WaveOrigin> read = ReadWaveOrigin(folder.File("marked.wav"));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->source, origin.source);
  EXPECT_EQ(read->comment, origin.comment);
  for (const char* name : {"plain.wav", "text.wav", "missing.wav"})
    EXPECT_FALSE(ReadWaveOrigin(folder.File(name))) << name;
}

}  // namespace
}  // namespace ruvo
