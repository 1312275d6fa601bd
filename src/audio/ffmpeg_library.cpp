#include "audio/ffmpeg_library.h"

#include <dlfcn.h>

#include <cstdlib>
#include <optional>

namespace ruvo {
namespace {

#define RUVO_SONAME_TEXT(major) #major
#define RUVO_SONAME(name, major) "lib" name ".so." RUVO_SONAME_TEXT(major)

// libavformat first: the message names the library a user recognises as "FFmpeg".
struct Soname {
  const char* shortName;
  const char* file;
};
constexpr Soname kLibraries[] = {
    {"libavformat", RUVO_SONAME("avformat", LIBAVFORMAT_VERSION_MAJOR)},
    {"libavcodec", RUVO_SONAME("avcodec", LIBAVCODEC_VERSION_MAJOR)},
    {"libavutil", RUVO_SONAME("avutil", LIBAVUTIL_VERSION_MAJOR)},
    {"libswresample", RUVO_SONAME("swresample", LIBSWRESAMPLE_VERSION_MAJOR)},
};
enum Library { kFormat, kCodec, kUtil, kResample, kLibraryCount };

// Loads every library and function; false with the short name of what is missing.
bool Load(FfmpegLibrary& api, std::string& missing) {
  const char* folder = std::getenv("RUVO_FFMPEG_DIR");
  void* handles[kLibraryCount] = {};
  for (int k = 0; k < kLibraryCount; ++k) {
    const std::string file = folder ? std::string(folder) + "/" + kLibraries[k].file : kLibraries[k].file;
    // Kept open for the life of the process: the decoder's functions live in them.
    handles[k] = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handles[k]) {
      missing = kLibraries[k].shortName;
      return false;
    }
  }
  bool found = true;
  const auto take = [&](auto& function, Library library, const char* name) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handles[library], name));
    if (!function && found) {
      found = false;
      missing = kLibraries[library].shortName;
    }
  };
  take(api.logSetLevel, kUtil, "av_log_set_level");
  take(api.formatOpenInput, kFormat, "avformat_open_input");
  take(api.formatCloseInput, kFormat, "avformat_close_input");
  take(api.formatFindStreamInfo, kFormat, "avformat_find_stream_info");
  take(api.findBestStream, kFormat, "av_find_best_stream");
  take(api.readFrame, kFormat, "av_read_frame");
  take(api.ioSize, kFormat, "avio_size");
  take(api.codecAllocContext, kCodec, "avcodec_alloc_context3");
  take(api.codecFreeContext, kCodec, "avcodec_free_context");
  take(api.codecParametersToContext, kCodec, "avcodec_parameters_to_context");
  take(api.codecOpen, kCodec, "avcodec_open2");
  take(api.codecSendPacket, kCodec, "avcodec_send_packet");
  take(api.codecReceiveFrame, kCodec, "avcodec_receive_frame");
  take(api.packetAlloc, kCodec, "av_packet_alloc");
  take(api.packetFree, kCodec, "av_packet_free");
  take(api.packetUnref, kCodec, "av_packet_unref");
  take(api.frameAlloc, kUtil, "av_frame_alloc");
  take(api.frameFree, kUtil, "av_frame_free");
  take(api.frameUnref, kUtil, "av_frame_unref");
  take(api.resamplerAllocSetOpts, kResample, "swr_alloc_set_opts2");
  take(api.resamplerInit, kResample, "swr_init");
  take(api.resamplerFree, kResample, "swr_free");
  take(api.resamplerConvert, kResample, "swr_convert");
  return found;
}

}  // namespace

const FfmpegLibrary* LoadFfmpeg(std::string& missing) {
  static std::string missingLibrary;
  static const std::optional<FfmpegLibrary> library = [] {
    FfmpegLibrary api{};
    return Load(api, missingLibrary) ? std::optional(api) : std::nullopt;
  }();
  missing = missingLibrary;
  return library ? &*library : nullptr;
}

}  // namespace ruvo
