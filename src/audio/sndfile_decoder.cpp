#include "audio/sndfile_decoder.h"

#include <sndfile.h>

#include <algorithm>
#include <memory>

#include "core/shared_library.h"
#include "core/text_format.h"

namespace ruvo {
namespace {

// libsndfile's functions, opened at the first recording so that starting a program does not load
// it and the codec libraries it brings.
struct SndfileLibrary {
  decltype(&sf_open) open;
  decltype(&sf_close) close;
  decltype(&sf_readf_float) readFloatFrames;
  decltype(&sf_command) command;
  decltype(&sf_error) error;
  decltype(&sf_strerror) errorText;
};

const SndfileLibrary* LoadSndfile(std::string& missing) {
  static const LoadedApi<SndfileLibrary> library("RUVO_SNDFILE_DIR", [](LibraryLoader& loader, SndfileLibrary& api) {
    loader.Open("libsndfile", "libsndfile.so.1");
    loader.Take(api.open, "sf_open");
    loader.Take(api.close, "sf_close");
    loader.Take(api.readFloatFrames, "sf_readf_float");
    loader.Take(api.command, "sf_command");
    loader.Take(api.error, "sf_error");
    loader.Take(api.errorText, "sf_strerror");
  });
  return library.Get(missing);
}

constexpr sf_count_t kChunkFrames = 65536;
constexpr std::size_t kLargestReservation = std::size_t{1} << 26;  // samples, against a lying header

struct SndfileCloser {
  const SndfileLibrary* api;
  void operator()(SNDFILE* file) const { api->close(file); }
};
using SndfilePointer = std::unique_ptr<SNDFILE, SndfileCloser>;

std::string FormatName(const SndfileLibrary& api, int format) {
  SF_FORMAT_INFO major{format & SF_FORMAT_TYPEMASK, nullptr, nullptr};
  SF_FORMAT_INFO subtype{format & SF_FORMAT_SUBMASK, nullptr, nullptr};
  const bool haveMajor = api.command(nullptr, SFC_GET_FORMAT_INFO, &major, sizeof major) == 0 && major.name;
  const bool haveSubtype = api.command(nullptr, SFC_GET_FORMAT_INFO, &subtype, sizeof subtype) == 0 && subtype.name;
  std::string name = haveMajor ? major.name : "unnamed format";
  if (haveSubtype) name += std::string(", ") + subtype.name;
  return name;
}

}  // namespace

DecodeStatus DecodeWithSndfile(const std::string& path,
                               DecodedAudio& audio,
                               std::string& error,
                               const ImportProgress& progress) {
  std::string missing;
  const SndfileLibrary* api = LoadSndfile(missing);
  if (!api) {
    error = "Reading " + path + " needs libsndfile; install it";
    return DecodeStatus::kMissingLibrary;
  }
  SF_INFO info{};
  const SndfilePointer file(api->open(path.c_str(), SFM_READ, &info), {api});
  if (!file) {
    error = api->errorText(nullptr);
    return DecodeStatus::kUnrecognised;
  }
  if (info.channels < 1 || info.samplerate < 1) {
    error = "no channels or no sample rate in the file";
    return DecodeStatus::kFailed;
  }
  audio.formatName = FormatName(*api, info.format);
  audio.channels = info.channels;
  audio.sampleRate = info.samplerate;
  audio.samples.clear();
  const auto channels = static_cast<std::size_t>(info.channels);
  if (info.frames > 0)
    audio.samples.reserve(std::min(kLargestReservation, static_cast<std::size_t>(info.frames) * channels));

  std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * channels);
  for (;;) {
    const sf_count_t got = api->readFloatFrames(file.get(), chunk.data(), kChunkFrames);
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
  if (api->error(file.get()) != SF_ERR_NO_ERROR) {
    error = FormatText("damaged after %.3f s (%s)", audio.DurationSeconds(), api->errorText(file.get()));
    return DecodeStatus::kFailed;
  }
  return DecodeStatus::kDecoded;
}

bool IsEightBitMonoWave(const std::string& path) {
  std::string missing;
  const SndfileLibrary* api = LoadSndfile(missing);
  if (!api) return false;
  SF_INFO info{};
  const SndfilePointer file(api->open(path.c_str(), SFM_READ, &info), {api});
  return file && info.channels == 1 && info.format == (SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
}

}  // namespace ruvo
