#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswresample/swresample.h>
}

#include <string>

namespace ruvo {

// The FFmpeg functions the decoder calls, taken from FFmpeg's shared libraries at first use, so that
// programs that never read such a recording neither load nor depend on them. The libraries are the
// exact sonames of the headers the build used (libavformat.so.59 and its kin on Debian 12), from the
// system's library path, or from the folder the RUVO_FFMPEG_DIR variable names.
struct FfmpegLibrary {
  decltype(&av_log_set_level) logSetLevel;
  decltype(&avformat_open_input) formatOpenInput;
  decltype(&avformat_close_input) formatCloseInput;
  decltype(&avformat_find_stream_info) formatFindStreamInfo;
  decltype(&av_find_best_stream) findBestStream;
  decltype(&av_read_frame) readFrame;
  decltype(&avio_size) ioSize;
  decltype(&avcodec_alloc_context3) codecAllocContext;
  decltype(&avcodec_free_context) codecFreeContext;
  decltype(&avcodec_parameters_to_context) codecParametersToContext;
  decltype(&avcodec_open2) codecOpen;
  decltype(&avcodec_send_packet) codecSendPacket;
  decltype(&avcodec_receive_frame) codecReceiveFrame;
  decltype(&av_packet_alloc) packetAlloc;
  decltype(&av_packet_free) packetFree;
  decltype(&av_packet_unref) packetUnref;
  decltype(&av_frame_alloc) frameAlloc;
  decltype(&av_frame_free) frameFree;
  decltype(&av_frame_unref) frameUnref;
  decltype(&swr_alloc_set_opts2) resamplerAllocSetOpts;
  decltype(&swr_init) resamplerInit;
  decltype(&swr_free) resamplerFree;
  decltype(&swr_convert) resamplerConvert;
};

// FFmpeg's functions, loaded on the first call and kept for the life of the process; nullptr when
// a library or function is missing, with the library's short name ("libavformat") in missing.
const FfmpegLibrary* LoadFfmpeg(std::string& missing);

}  // namespace ruvo
