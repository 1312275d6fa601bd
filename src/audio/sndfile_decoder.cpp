#include "audio/sndfile_decoder.h"

#include <sndfile.h>

#include <algorithm>
#include <memory>

#include "core/text_format.h"

namespace ruvo {
namespace {

constexpr sf_count_t kChunkFrames = 65536;
constexpr std::size_t kLargestReservation = std::size_t{1} << 26;  // samples, against a lying header

struct SndfileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

std::string FormatName(int format) {
  SF_FORMAT_INFO major{format & SF_FORMAT_TYPEMASK, nullptr, nullptr};
  SF_FORMAT_INFO subtype{format & SF_FORMAT_SUBMASK, nullptr, nullptr};
  const bool haveMajor = sf_command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major) == 0 && major.name;
  const bool haveSubtype = sf_command(nullptr, SFC_GET_FORMAT_INFO, &subtype, sizeof subtype) == 0 && subtype.name;
  std::string name = haveMajor ? major.name : "unnamed format";
  if (haveSubtype) name += std::string(", ") + subtype.name;
  return name;
}

}  // namespace

DecodeStatus DecodeWithSndfile(const std::string& path,
                               DecodedAudio& audio,
                               std::string& error,
                               const ImportProgress& progress) {
  SF_INFO info{};
  std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
  if (!file) {
    error = sf_strerror(nullptr);
    return DecodeStatus::kUnrecognised;
  }
  if (info.channels < 1 || info.samplerate < 1) {
    error = "no channels or no sample rate in the file";
    return DecodeStatus::kFailed;
  }
  audio.formatName = FormatName(info.format);
  audio.channels = info.channels;
  audio.sampleRate = info.samplerate;
  audio.samples.clear();
  const auto channels = static_cast<std::size_t>(info.channels);
  if (info.frames > 0)
    audio.samples.reserve(std::min(kLargestReservation, static_cast<std::size_t>(info.frames) * channels));

  std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * channels);
  for (;;) {
    const sf_count_t got = sf_readf_float(file.get(), chunk.data(), kChunkFrames);
    if (got <= 0) break;
    audio.samples.insert(audio.samples.end(), chunk.begin(),
                         chunk.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(got) * channels));
    const double done =
        info.frames > 0 ? static_cast<double>(audio.FrameCount()) / static_cast<double>(info.frames) : 0;
    if (progress && !progress(std::min(1.0, done))) {
      error.clear();
      return DecodeStatus::kCancelled;
    }
  }
  if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
    error = FormatText("damaged after %.3f s (%s)", audio.DurationSeconds(), sf_strerror(file.get()));
    return DecodeStatus::kFailed;
  }
  return DecodeStatus::kDecoded;
}

bool IsEightBitMonoWave(const std::string& path) {
  SF_INFO info{};
  std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open(path.c_str(), SFM_READ, &info));
  return file && info.channels == 1 && info.format == (SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
}

}  // namespace ruvo
