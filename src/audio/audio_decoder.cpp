#include "audio/audio_decoder.h"

#include "audio/ffmpeg_decoder.h"
#include "audio/sndfile_decoder.h"

namespace ruvo {

DecodeStatus DecodeAudioFile(const std::string& path,
                             DecodedAudio& audio,
                             std::string& error,
                             const ImportProgress& progress) {
  const DecodeStatus status = DecodeWithSndfile(path, audio, error, progress);
  if (status != DecodeStatus::kUnrecognised) return status;
  std::string ffmpegError;
  const DecodeStatus other = DecodeWithFfmpeg(path, audio, ffmpegError, progress);
  // For a file neither knows, libsndfile's reason is the more telling one.
  if (other != DecodeStatus::kUnrecognised) error = ffmpegError;
  return other;
}

}  // namespace ruvo
