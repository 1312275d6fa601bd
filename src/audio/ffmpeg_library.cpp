#include "audio/ffmpeg_library.h"

#include "core/shared_library.h"

namespace ruvo {
namespace {

#define RUVO_SONAME_TEXT(major) #major
#define RUVO_SONAME(name, major) "lib" name ".so." RUVO_SONAME_TEXT(major)

// libavformat first: the message names the library a user recognises as "FFmpeg".
void Load(LibraryLoader& loader, FfmpegLibrary& api) {
  loader.Open("libavformat", RUVO_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR));
  loader.Take(api.formatOpenInput, "avformat_open_input");
  loader.Take(api.formatCloseInput, "avformat_close_input");
  loader.Take(api.formatFindStreamInfo, "avformat_find_stream_info");
  loader.Take(api.findBestStream, "av_find_best_stream");
  loader.Take(api.readFrame, "av_read_frame");
  loader.Take(api.ioSize, "avio_size");
  loader.Open("libavcodec", RUVO_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR));
  loader.Take(api.codecAllocContext, "avcodec_alloc_context3");
  loader.Take(api.codecFreeContext, "avcodec_free_context");
  loader.Take(api.codecParametersToContext, "avcodec_parameters_to_context");
  loader.Take(api.codecOpen, "avcodec_open2");
  loader.Take(api.codecSendPacket, "avcodec_send_packet");
  loader.Take(api.codecReceiveFrame, "avcodec_receive_frame");
  loader.Take(api.packetAlloc, "av_packet_alloc");
  loader.Take(api.packetFree, "av_packet_free");
  loader.Take(api.packetUnref, "av_packet_unref");
  loader.Open("libavutil", RUVO_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR));
  loader.Take(api.logSetLevel, "av_log_set_level");
  loader.Take(api.frameAlloc, "av_frame_alloc");
  loader.Take(api.frameFree, "av_frame_free");
  loader.Take(api.frameUnref, "av_frame_unref");
  loader.Open("libswresample", RUVO_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR));
  loader.Take(api.resamplerAllocSetOpts, "swr_alloc_set_opts2");
  loader.Take(api.resamplerInit, "swr_init");
  loader.Take(api.resamplerFree, "swr_free");
  loader.Take(api.resamplerConvert, "swr_convert");
}

}  // namespace

const FfmpegLibrary* LoadFfmpeg(std::string& missing) {
  static const LoadedApi<FfmpegLibrary> library("RUVO_FFMPEG_DIR", Load);
  return library.Get(missing);
}

}  // namespace ruvo
