#pragma once

#include <string>

#include "audio/decoded_audio.h"

namespace ruvo {

enum class DecodeStatus {
  kDecoded,
  kUnrecognised,  // the decoder does not know the file's format
  kFailed,        // a file it knows, but it could not be read
  kCancelled,     // the progress hook asked to stop
  kMissingLibrary,  // libsndfile, or for a format only FFmpeg reads FFmpeg's libraries, not installed
};

// Reads the whole recording at path into audio: libsndfile first (WAV of every PCM and float
// encoding, AIFF, FLAC, Ogg Vorbis, Opus, MP3), then FFmpeg for the containers libsndfile lacks
// (MP4/M4A and raw ADTS AAC, Matroska/WebM, ASF). progress hears the fraction of the file read, from
// 0 to 1. libsndfile is loaded at the first call, FFmpeg's libraries only when libsndfile does not
// know the file; without libsndfile, or without FFmpeg's for a file that looks like one of those
// containers, the status is kMissingLibrary with the sentence to show in error. On any status but kDecoded, error holds a one-line reason (empty after kCancelled) and
// audio is unspecified. A file with no frames decodes with an empty sample vector.
DecodeStatus DecodeAudioFile(const std::string& path,
                             DecodedAudio& audio,
                             std::string& error,
                             const ImportProgress& progress);

// Whether path holds a WAV the calculation reads as it is: 8-bit unsigned mono PCM. False for
// anything else, unreadable files included (and every file without libsndfile).
bool IsEightBitMonoWave(const std::string& path);

}  // namespace ruvo
