#include "audio/ffmpeg_decoder.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <memory>
#include <string_view>

#include "audio/ffmpeg_library.h"

namespace ruvo {
namespace {

// FFmpeg's names of the containers it reads for us: MP4/M4A/MOV, ADTS AAC, Matroska/WebM, ASF.
constexpr std::array<std::string_view, 4> kContainers = {"mov", "aac", "matroska", "asf"};

// Frees each FFmpeg object through the loaded library.
struct Release {
  const FfmpegLibrary* api;
  void operator()(AVFormatContext* format) const { api->formatCloseInput(&format); }
  void operator()(AVCodecContext* codec) const { api->codecFreeContext(&codec); }
  void operator()(SwrContext* resampler) const { api->resamplerFree(&resampler); }
  void operator()(AVPacket* packet) const { api->packetFree(&packet); }
  void operator()(AVFrame* frame) const { api->frameFree(&frame); }
};
template <typename T>
using Owned = std::unique_ptr<T, Release>;

// Whether the file starts like one of those containers: MP4/M4A/MOV/3GP ("ftyp" at byte 4),
// Matroska/WebM (EBML), ASF (its header GUID) or ADTS AAC (12 sync bits).
bool LooksLikeKnownContainer(const std::string& path) {
  std::array<unsigned char, 8> head{};
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(head.data()), head.size());
  if (in.gcount() < 4) return false;
  const auto starts = [&head](std::initializer_list<unsigned char> bytes, std::size_t at) {
    return std::equal(bytes.begin(), bytes.end(), head.begin() + static_cast<std::ptrdiff_t>(at));
  };
  return (in.gcount() == 8 && starts({'f', 't', 'y', 'p'}, 4)) || starts({0x1a, 0x45, 0xdf, 0xa3}, 0) ||
         starts({0x30, 0x26, 0xb2, 0x75}, 0) || (head[0] == 0xff && (head[1] & 0xf6) == 0xf0);
}

bool KnownContainer(const AVInputFormat* format) {
  const std::string_view name = format && format->name ? format->name : "";
  return std::any_of(kContainers.begin(), kContainers.end(),
                     [name](std::string_view container) { return name.find(container) != std::string_view::npos; });
}

// Decodes what the codec holds, converting each frame to interleaved floats at the end of audio.
// Returns false when a frame's shape differs from the stream's.
bool DrainFrames(const FfmpegLibrary& api,
                 AVCodecContext* codec,
                 SwrContext* resampler,
                 AVFrame* frame,
                 DecodedAudio& audio) {
  while (api.codecReceiveFrame(codec, frame) == 0) {
    if (frame->ch_layout.nb_channels != audio.channels || frame->sample_rate != audio.sampleRate) return false;
    const std::size_t used = audio.samples.size();
    audio.samples.resize(used + static_cast<std::size_t>(frame->nb_samples) * static_cast<std::size_t>(audio.channels));
    auto* out = reinterpret_cast<std::uint8_t*>(audio.samples.data() + used);
    const int converted = api.resamplerConvert(resampler, &out, frame->nb_samples,
                                      const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
    if (converted < 0) return false;
    audio.samples.resize(used + static_cast<std::size_t>(converted) * static_cast<std::size_t>(audio.channels));
    api.frameUnref(frame);
  }
  return true;
}

}  // namespace

DecodeStatus DecodeWithFfmpeg(const std::string& path,
                              DecodedAudio& audio,
                              std::string& error,
                              const ImportProgress& progress) {
  std::string missing;
  const FfmpegLibrary* api = LoadFfmpeg(missing);
  if (!api) {
    if (!LooksLikeKnownContainer(path)) {
      error = "not a format libsndfile reads, and FFmpeg's libraries are not installed";
      return DecodeStatus::kUnrecognised;
    }
    error = "Reading " + path + " needs FFmpeg's libraries (" + missing + "); install them";
    return DecodeStatus::kMissingLibrary;
  }
  const Release release{api};
  api->logSetLevel(AV_LOG_QUIET);
  AVFormatContext* opened = nullptr;
  if (api->formatOpenInput(&opened, path.c_str(), nullptr, nullptr) < 0) {
    error = "FFmpeg does not know the format";
    return DecodeStatus::kUnrecognised;
  }
  Owned<AVFormatContext> format(opened, release);
  if (!KnownContainer(format->iformat)) {
    error = "FFmpeg found no audio container it reads here";
    return DecodeStatus::kUnrecognised;
  }
  const AVCodec* decoder = nullptr;
  const int stream = api->formatFindStreamInfo(format.get(), nullptr) < 0
                         ? -1
                         : api->findBestStream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (stream < 0 || !decoder) {
    error = "no audio stream that FFmpeg can decode";
    return DecodeStatus::kFailed;
  }
  Owned<AVCodecContext> codec(api->codecAllocContext(decoder), release);
  if (!codec || api->codecParametersToContext(codec.get(), format->streams[stream]->codecpar) < 0 ||
      api->codecOpen(codec.get(), decoder, nullptr) < 0 || codec->ch_layout.nb_channels < 1 ||
      codec->sample_rate < 1) {
    error = "FFmpeg could not open the audio decoder";
    return DecodeStatus::kFailed;
  }
  SwrContext* made = nullptr;
  if (api->resamplerAllocSetOpts(&made, &codec->ch_layout, AV_SAMPLE_FMT_FLT, codec->sample_rate, &codec->ch_layout,
                                 codec->sample_fmt, codec->sample_rate, 0, nullptr) < 0) {
    error = "FFmpeg could not convert the samples";
    return DecodeStatus::kFailed;
  }
  Owned<SwrContext> resampler(made, release);
  Owned<AVPacket> packet(api->packetAlloc(), release);
  Owned<AVFrame> frame(api->frameAlloc(), release);
  if (api->resamplerInit(resampler.get()) < 0 || !packet || !frame) {
    error = "FFmpeg could not convert the samples";
    return DecodeStatus::kFailed;
  }

  audio.formatName = std::string(format->iformat->long_name ? format->iformat->long_name : format->iformat->name) +
                     ", " + decoder->long_name;
  audio.channels = codec->ch_layout.nb_channels;
  audio.sampleRate = codec->sample_rate;
  audio.samples.clear();
  const double fileBytes = static_cast<double>(std::max<std::int64_t>(1, api->ioSize(format->pb)));
  bool shapeKept = true;
  while (shapeKept && api->readFrame(format.get(), packet.get()) >= 0) {
    // A damaged packet is skipped, as players do; the frames around it still count.
    if (packet->stream_index == stream && api->codecSendPacket(codec.get(), packet.get()) >= 0)
      shapeKept = DrainFrames(*api, codec.get(), resampler.get(), frame.get(), audio);
    const double done = std::clamp(static_cast<double>(packet->pos) / fileBytes, 0.0, 1.0);
    api->packetUnref(packet.get());
    if (progress && !progress(done)) {
      error.clear();
      return DecodeStatus::kCancelled;
    }
  }
  if (shapeKept && api->codecSendPacket(codec.get(), nullptr) >= 0)
    shapeKept = DrainFrames(*api, codec.get(), resampler.get(), frame.get(), audio);
  if (!shapeKept) {
    error = "the channel count or sample rate changes within the stream";
    return DecodeStatus::kFailed;
  }
  return DecodeStatus::kDecoded;
}

}  // namespace ruvo
