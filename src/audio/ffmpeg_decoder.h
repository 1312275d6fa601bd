#pragma once

#include <string>

#include "audio/audio_decoder.h"

namespace ruvo {

// DecodeAudioFile's FFmpeg half, for the containers libsndfile cannot open. kUnrecognised when
// FFmpeg does not find one of those containers with an audio stream in the file, so that damaged
// files of other formats are not read as noise.
DecodeStatus DecodeWithFfmpeg(const std::string& path,
                              DecodedAudio& audio,
                              std::string& error,
                              const ImportProgress& progress);

}  // namespace ruvo
