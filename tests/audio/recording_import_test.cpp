#include "audio/recording_import.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <tuple>

#include "audio/sound_files.h"
#include "support/test_support.h"

namespace ruvo {
namespace {

namespace fs = std::filesystem;

// Largest distance from 128 among samples [from, to) seconds.
int Deviation(const std::vector<std::uint8_t>& samples, int rate, double from, double to) {
  int most = 0;
  const auto end = std::min(samples.size(), static_cast<std::size_t>(to * rate));
  for (auto n = static_cast<std::size_t>(from * rate); n < end; ++n) most = std::max(most, std::abs(samples[n] - 128));
  return most;
}

// Every click of ClickTrack is loud within 3 ms of its time (codecs delay a little) and the
// stretches halfway between clicks are quiet.
void ExpectClicks(const std::vector<std::uint8_t>& samples, int rate, double seconds, int quiet = 10) {
  for (double click = 0.05; click + 0.05 < seconds; click += 0.1) {
    EXPECT_GE(Deviation(samples, rate, click - 0.003, click + 0.005), 60) << "click at " << click << " s";
    EXPECT_LE(Deviation(samples, rate, click + 0.04, click + 0.06), quiet) << "after " << click << " s";
  }
}

TEST(RecordingImport, ReadsEveryFormatAndLayoutIntoTheCanonicalWave) {
  struct Case {
    const char* name;
    int format, rate, channels, clickChannel;
    double amplitude;
    int writtenRate;
    const char* channel;  // how the report starts
  };
  const Case cases[] = {
      {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8000, 1, 0, 0.5, 8000, "1 of 1"},
      {"s16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, 1, 0.5, 44100, "2 of 2 (auto"},
      {"s24-5.1.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 48000, 6, 3, 0.5, 48000, "4 of 6 (auto"},
      {"s32.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 22050, 1, 0, 0.5, 22050, "1 of 1"},
      {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2, -1, 3.0, 44100, "mix of 2 (auto"},
      {"double.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 96000, 1, 0, 0.5, 96000, "1 of 1"},
      {"192k.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 192000, 1, 0, 0.5, 96000, "1 of 1"},
      {"s16.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100, 2, 0, 0.5, 44100, "1 of 2 (auto"},
      {"s24.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, 1, 0, 0.5, 48000, "1 of 1"},
      {"vorbis.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, 0, 0.5, 44100, "1 of 2 (auto"},
      {"opus.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 1, 0, 0.5, 48000, "1 of 1"},
      {"layer3.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 1, 0, 0.5, 44100, "1 of 1"},
      {"aac.m4a", 0, 44100, 2, 1, 0.5, 44100, "2 of 2 (auto"},  // by the ffmpeg program, from a WAV
  };
  const bool haveFfmpeg = std::system("ffmpeg -version >/dev/null 2>&1") == 0;
  constexpr double kSeconds = 1.0;
  test::TempFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = folder.File(c.name), out = folder.File(std::string(c.name) + ".wav");
    const std::vector<float> frames = test::ClickTrack(c.rate, c.channels, kSeconds, c.clickChannel, c.amplitude, 0.0);
    if (c.format == 0) {
      if (!haveFfmpeg) continue;
      ASSERT_TRUE(
          test::WriteSoundFile(path + ".pcm.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, c.rate, c.channels, frames));
      ASSERT_EQ(std::system(("ffmpeg -loglevel error -y -i '" + path + ".pcm.wav' -c:a aac '" + path + "'").c_str()),
                0);
    } else if (!test::WriteSoundFile(path, c.format, c.rate, c.channels, frames)) {
      ADD_FAILURE() << "libsndfile cannot write " << c.name;
      continue;
    }
    ImportReport report;
    const Outcome imported = ImportRecording(path, out, ImportOptions{}, report);
    ASSERT_TRUE(imported) << test::Said(imported);
    EXPECT_EQ(std::tie(report.channels, report.sampleRate, report.conversion.rate, report.conversion.peakSteps),
              std::tuple(c.channels, c.rate, c.writtenRate, 120));
    EXPECT_EQ(report.conversion.channel.rfind(c.channel, 0), 0u) << report.conversion.channel;
    const std::vector<std::uint8_t> samples = test::ReadEightBitWave(out, c.writtenRate);
    EXPECT_TRUE(test::IsClose(static_cast<double>(samples.size()), kSeconds * c.writtenRate, 0.05));
    ExpectClicks(samples, c.writtenRate, kSeconds);
  }
  // Floating-point sound beyond +-1 is not clipped: it imports like the same sound at a tenth (through
  // the same filter: the automatic choice depends on how far the clicks stand above the fixed hiss).
  ASSERT_TRUE(test::WriteSoundFile(folder.File("tenth.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2,
                                   test::ClickTrack(44100, 2, kSeconds, -1, 0.3, 0.0)));
  ImportOptions highPass;
  highPass.conversion.filters.automatic = false;
  ImportReport report;
  ASSERT_TRUE(ImportRecording(folder.File("float.wav"), folder.File("loud.wav"), highPass, report));
  ASSERT_TRUE(ImportRecording(folder.File("tenth.wav"), folder.File("tenth.wav.wav"), highPass, report));
  const std::vector<std::uint8_t> loud = test::ReadEightBitWave(folder.File("loud.wav"), 44100),
                                  tenth = test::ReadEightBitWave(folder.File("tenth.wav.wav"), 44100);
  ASSERT_EQ(loud.size(), tenth.size());
  for (std::size_t n = 0; n < loud.size(); ++n) ASSERT_LE(std::abs(loud[n] - tenth[n]), 2) << n;
}

TEST(RecordingImport, FailuresNameTheFileAndWriteNothing) {
  test::TempFolder folder;
  const std::string good = folder.File("good.flac"), out = folder.File("out.wav");
  ASSERT_TRUE(test::WriteSoundFile(good, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1,
                                   test::ClickTrack(8000, 1, 2.0, 0, 0.5, 0.0)));
  const std::string flac = test::ReadFileBytes(good);
  test::WriteFileBytes(folder.File("garbage.ogg"), std::string(5000, '\x5a') + flac.substr(100, 3000));
  test::WriteFileBytes(folder.File("truncated.flac"), flac.substr(0, 60));
  test::WriteFileBytes(folder.File("cut.flac"), flac.substr(0, flac.size() / 2));
  ASSERT_TRUE(test::WriteSoundFile(folder.File("empty.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, {}));
  ImportOptions late, eight;
  late.conversion.fromSeconds = 2.5;
  eight.conversion.channel = {ChannelChoice::Mode::kNumber, 8};
  const std::tuple<std::string, std::string, ImportOptions, std::string> cases[] = {
      {"missing.flac", out, {}, "Could not import " + folder.File("missing.flac") + ": no such file"},
      {"garbage.ogg",
       out,
       {},
       "Could not import " + folder.File("garbage.ogg") + ": unknown or unreadable audio format ("},
      {"truncated.flac", out, {}, "Could not import " + folder.File("truncated.flac") + ": "},
      {"empty.wav", out, {}, "Could not import " + folder.File("empty.wav") + ": no audio frames"},
      {"good.flac", out, late,
       "Could not import " + good + ": the trim 2.500 to 2.000 s lies outside the recording of 2.000 s"},
      {"good.flac", out, eight, "Could not import " + good + ": there is no channel 8 among its 1"},
      {"good.flac", good, {}, "Could not import " + good + ": the output would overwrite the recording itself"},
      {"good.flac",
       folder.File("truncated.flac"),
       {},
       "Could not write " + folder.File("truncated.flac") + ": a file of that name exists"},
      {"good.flac",
       folder.File("no/such/folder.wav"),
       {},
       "Could not write " + folder.File("no/such/folder.wav") + ": "},
  };
  for (const auto& [input, output, options, message] : cases) {
    SCOPED_TRACE(message);
    ImportReport report;
    const Outcome imported = ImportRecording(folder.File(input), output, options, report);
    EXPECT_FALSE(imported);
    ASSERT_EQ(imported.messages().size(), 1u);
    EXPECT_EQ(imported.messages()[0].rfind(message, 0), 0u) << imported.messages()[0];
    EXPECT_EQ(imported.messages()[0].find('\n'), std::string::npos);
  }
  EXPECT_EQ(test::ReadFileBytes(good), flac);
  EXPECT_EQ(test::ReadFileBytes(folder.File("truncated.flac")), flac.substr(0, 60));
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder.Path())) left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"cut.flac", "empty.wav", "garbage.ogg", "good.flac", "truncated.flac"}));

  // A file cut in half keeps what it holds, or fails with a message; either way nothing crashes.
  ImportReport report;
  const Outcome cut = ImportRecording(folder.File("cut.flac"), out, {}, report);
  EXPECT_EQ(cut.messages().size(), cut ? 0u : 1u);
}

// Beside a 16-bit original of the same name an import takes the next free name and records its
// source, by which a later import finds it until the recording changes; replacing is deliberate.
TEST(RecordingImport, NeverReplacesAFileAndFindsItsEarlierImport) {
  test::TempFolder folder;
  const std::string flac = folder.File("Phone Rec 001.flac"), original = folder.File("Phone Rec 001.wav");
  const std::vector<float> clicks = test::ClickTrack(8000, 1, 1.0, 0, 0.5, 0.0);
  ASSERT_TRUE(test::WriteSoundFile(flac, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1, clicks));
  ASSERT_TRUE(test::WriteSoundFile(original, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 1, clicks));
  const std::string originalBytes = test::ReadFileBytes(original);
  ImportOptions freeName;
  freeName.existing = ExistingOutput::kFreeName;
  std::vector<std::string> written;
  for (int k = 0; k < 2; ++k) {
    ImportReport report;
    ASSERT_TRUE(ImportRecording(flac, folder.Path().string(), freeName, report));
    written.push_back(report.outputPath);
  }
  EXPECT_EQ(written,
            (std::vector<std::string>{folder.File("Phone Rec 001-8bit.wav"), folder.File("Phone Rec 001-8bit-2.wav")}));
  EXPECT_EQ(test::ReadFileBytes(original), originalBytes);
  EXPECT_EQ(test::ReadEightBitWave(written[0], 8000).size(), 8000u);
  EXPECT_EQ(FindEarlierImport(flac, folder.Path()), written[0]);
  EXPECT_EQ(FindEarlierImport(flac, folder.Path() / "elsewhere"), std::nullopt);

  // Another recording of the same name elsewhere is not the one imported here.
  fs::create_directory(folder.File("other"));
  fs::copy_file(flac, folder.File("other/Phone Rec 001.flac"));
  EXPECT_EQ(FindEarlierImport(folder.File("other/Phone Rec 001.flac"), folder.Path()), std::nullopt);
  // A recording changed after its import needs a new one.
  fs::last_write_time(flac, fs::last_write_time(written[1]) + std::chrono::seconds(5));
  EXPECT_EQ(FindEarlierImport(flac, folder.Path()), std::nullopt);

  ImportOptions replace;
  replace.existing = ExistingOutput::kReplace;
  ImportReport report;
  ASSERT_TRUE(ImportRecording(flac, original, replace, report));
  EXPECT_EQ(test::ReadEightBitWave(original, 8000).size(), 8000u);
}

TEST(RecordingImport, ResamplesWhatTheWaveReaderCouldNotHold) {
  test::TempFolder folder;
  constexpr double kSeconds = 210.0;  // 10,080,000 samples at 48 kHz
  ASSERT_TRUE(test::WriteSoundFile(folder.File("long.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 48000, 1,
                                   test::ClickTrack(48000, 1, kSeconds, 0, 0.5, 0.0)));
  ImportReport report;
  ASSERT_TRUE(ImportRecording(folder.File("long.wav"), folder.File("out.wav"), {}, report));
  const std::vector<std::uint8_t> samples = test::ReadEightBitWave(folder.File("out.wav"), 44100);
  EXPECT_TRUE(test::IsClose(static_cast<double>(samples.size()), kSeconds * 44100, 1e-4));
  ExpectClicks({samples.end() - 44100, samples.end()}, 44100, 1.0);  // the last second, clicks in place
}

// A recording that starts far off the middle, with hum at its crest, high-passes to silence at once:
// no start-up transient a detector could take for a click. Without the high-pass the offset stays.
TEST(RecordingImport, HighPassStartsWithoutAPulseAndKeepsTheClicks) {
  struct Case {
    double offset, hum;
    FilterChoice filters;
    int quietStart, quietBetween;  // largest deviation before the first click, and between clicks
  };
  const Case cases[] = {
      {0.4, 0.0, {false}, 2, 8},
      {-0.2, 0.3, {false}, 2, 8},
      {0.0, 0.3, {false, 2000.0, 8000.0}, 2, 8},  // band-pass around the clicks' 3 kHz
      {0.3, 0.0, {false, 0.0, 0.0}, 255, 255},
  };
  constexpr int kRate = 22050;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "offset " << c.offset << ", hum " << c.hum << ", " << c.filters.highPassHz);
    DecodedAudio audio{"memory", 1, kRate, test::ClickTrack(kRate, 1, 1.0, 0, 0.3, c.offset)};
    for (std::size_t n = 0; n < audio.samples.size(); ++n)
      audio.samples[n] +=
          static_cast<float>(c.hum * std::cos(2.0 * std::numbers::pi * 50.0 * static_cast<double>(n) / kRate));
    ConversionOptions options;
    options.filters = c.filters;
    std::vector<std::uint8_t> samples;
    ConversionReport report;
    std::string error;
    ASSERT_TRUE(ConvertRecording(audio, options, samples, report, error)) << error;
    EXPECT_LE(Deviation(samples, kRate, 0.0, 0.045), c.quietStart);
    if (c.quietStart < 255) {
      ExpectClicks(samples, kRate, 1.0, c.quietBetween);
    } else {
      EXPECT_GE(Deviation(samples, kRate, 0.0, 0.045), 40);  // the offset, scaled with the clicks
    }
  }
  // A trim keeps its stretch: the clicks at 0.35 s and 0.45 s land 0.1 s and 0.2 s into it.
  DecodedAudio audio{"memory", 1, kRate, test::ClickTrack(kRate, 1, 1.0, 0, 0.3, 0.0)};
  ConversionOptions trim;
  trim.fromSeconds = 0.25;
  trim.toSeconds = 0.55;
  std::vector<std::uint8_t> samples;
  ConversionReport report;
  std::string error;
  ASSERT_TRUE(ConvertRecording(audio, trim, samples, report, error)) << error;
  EXPECT_NEAR(static_cast<double>(samples.size()), 0.3 * kRate, 1.0);  // whole samples around the stretch
  EXPECT_GE(Deviation(samples, kRate, 0.099, 0.103), 60);
  EXPECT_GE(Deviation(samples, kRate, 0.199, 0.203), 60);
}

}  // namespace
}  // namespace ruvo
