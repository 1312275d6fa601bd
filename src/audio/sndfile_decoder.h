#pragma once

#include <string>

#include "audio/audio_decoder.h"

namespace ruvo {

// DecodeAudioFile's libsndfile half; kUnrecognised when libsndfile cannot open the file at all
// (error then holds libsndfile's reason); kMissingLibrary when libsndfile is not installed.
DecodeStatus DecodeWithSndfile(const std::string& path,
                               DecodedAudio& audio,
                               std::string& error,
                               const ImportProgress& progress);

}  // namespace ruvo
