#include "audio/ffmpeg_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

namespace ruvo {
namespace {

// FFmpeg's names of the containers it reads for us: MP4/M4A/MOV, ADTS AAC, Matroska/WebM, ASF.
constexpr std::array<std::string_view, 4> kContainers = {"mov", "aac", "matroska", "asf"};

struct FormatCloser {
  void operator()(AVFormatContext* format) const { avformat_close_input(&format); }
};
struct CodecCloser {
  void operator()(AVCodecContext* codec) const { avcodec_free_context(&codec); }
};
struct ResamplerCloser {
  void operator()(SwrContext* resampler) const { swr_free(&resampler); }
};
struct PacketCloser {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameCloser {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

bool KnownContainer(const AVInputFormat* format) {
  const std::string_view name = format && format->name ? format->name : "";
  return std::any_of(kContainers.begin(), kContainers.end(),
                     [name](std::string_view container) { return name.find(container) != std::string_view::npos; });
}

// Decodes what the codec holds, converting each frame to interleaved floats at the end of audio.
// Returns false when a frame's shape differs from the stream's.
bool DrainFrames(AVCodecContext* codec, SwrContext* resampler, AVFrame* frame, DecodedAudio& audio) {
  while (avcodec_receive_frame(codec, frame) == 0) {
    if (frame->ch_layout.nb_channels != audio.channels || frame->sample_rate != audio.sampleRate) return false;
    const std::size_t used = audio.samples.size();
    audio.samples.resize(used + static_cast<std::size_t>(frame->nb_samples) * static_cast<std::size_t>(audio.channels));
    auto* out = reinterpret_cast<std::uint8_t*>(audio.samples.data() + used);
    const int converted = swr_convert(resampler, &out, frame->nb_samples,
                                      const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
    if (converted < 0) return false;
    audio.samples.resize(used + static_cast<std::size_t>(converted) * static_cast<std::size_t>(audio.channels));
    av_frame_unref(frame);
  }
  return true;
}

}  // namespace

DecodeStatus DecodeWithFfmpeg(const std::string& path,
                              DecodedAudio& audio,
                              std::string& error,
                              const ImportProgress& progress) {
  av_log_set_level(AV_LOG_QUIET);
  AVFormatContext* opened = nullptr;
  if (avformat_open_input(&opened, path.c_str(), nullptr, nullptr) < 0) {
    error = "FFmpeg does not know the format";
    return DecodeStatus::kUnrecognised;
  }
  std::unique_ptr<AVFormatContext, FormatCloser> format(opened);
  if (!KnownContainer(format->iformat)) {
    error = "FFmpeg found no audio container it reads here";
    return DecodeStatus::kUnrecognised;
  }
  const AVCodec* decoder = nullptr;
  const int stream = avformat_find_stream_info(format.get(), nullptr) < 0
                         ? -1
                         : av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (stream < 0 || !decoder) {
    error = "no audio stream that FFmpeg can decode";
    return DecodeStatus::kFailed;
  }
  std::unique_ptr<AVCodecContext, CodecCloser> codec(avcodec_alloc_context3(decoder));
  if (!codec || avcodec_parameters_to_context(codec.get(), format->streams[stream]->codecpar) < 0 ||
      avcodec_open2(codec.get(), decoder, nullptr) < 0 || codec->ch_layout.nb_channels < 1 || codec->sample_rate < 1) {
    error = "FFmpeg could not open the audio decoder";
    return DecodeStatus::kFailed;
  }
  SwrContext* made = nullptr;
  if (swr_alloc_set_opts2(&made, &codec->ch_layout, AV_SAMPLE_FMT_FLT, codec->sample_rate, &codec->ch_layout,
                          codec->sample_fmt, codec->sample_rate, 0, nullptr) < 0) {
    error = "FFmpeg could not convert the samples";
    return DecodeStatus::kFailed;
  }
  std::unique_ptr<SwrContext, ResamplerCloser> resampler(made);
  std::unique_ptr<AVPacket, PacketCloser> packet(av_packet_alloc());
  std::unique_ptr<AVFrame, FrameCloser> frame(av_frame_alloc());
  if (swr_init(resampler.get()) < 0 || !packet || !frame) {
    error = "FFmpeg could not convert the samples";
    return DecodeStatus::kFailed;
  }

  audio.formatName = std::string(format->iformat->long_name ? format->iformat->long_name : format->iformat->name) +
                     ", " + decoder->long_name;
  audio.channels = codec->ch_layout.nb_channels;
  audio.sampleRate = codec->sample_rate;
  audio.samples.clear();
  const double fileBytes = static_cast<double>(std::max<std::int64_t>(1, avio_size(format->pb)));
  bool shapeKept = true;
  while (shapeKept && av_read_frame(format.get(), packet.get()) >= 0) {
    // A damaged packet is skipped, as players do; the frames around it still count.
    if (packet->stream_index == stream && avcodec_send_packet(codec.get(), packet.get()) >= 0)
      shapeKept = DrainFrames(codec.get(), resampler.get(), frame.get(), audio);
    const double done = std::clamp(static_cast<double>(packet->pos) / fileBytes, 0.0, 1.0);
    av_packet_unref(packet.get());
    if (progress && !progress(done)) {
      error.clear();
      return DecodeStatus::kCancelled;
    }
  }
  if (shapeKept && avcodec_send_packet(codec.get(), nullptr) >= 0)
    shapeKept = DrainFrames(codec.get(), resampler.get(), frame.get(), audio);
  if (!shapeKept) {
    error = "the channel count or sample rate changes within the stream";
    return DecodeStatus::kFailed;
  }
  return DecodeStatus::kDecoded;
}

}  // namespace ruvo
