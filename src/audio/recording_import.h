#pragma once

#include <cstdint>
#include <string>

#include "audio/decoded_audio.h"
#include "audio/recording_conversion.h"

namespace ruvo {

// Everything one import does beyond the conversion's own options.
struct ImportOptions {
  ConversionOptions conversion;
  ImportProgress progress;  // may be empty
};

// What an import found and did, for the user.
struct ImportReport {
  std::string inputPath;
  std::string formatName;  // DecodedAudio::formatName
  std::int32_t channels = 0;
  std::int32_t sampleRate = 0;  // of the recording
  double durationSeconds = 0.0;
  ConversionReport conversion;
  std::size_t sampleCount = 0;  // in the written file
  std::string outputPath;
};

enum class ImportStatus { kDone, kFailed, kCancelled };

// Converts the recording at inputPath into the canonical 8-bit mono WAV at outputPath (written
// atomically: see WriteFileAtomically). Refuses an output that is the input itself. On failure
// shows one message naming the file through ShowMessage and writes nothing; a cancel (the
// progress hook returned false) shows none and writes nothing. Not thread-safe in its messages.
ImportStatus ImportRecording(const std::string& inputPath,
                             const std::string& outputPath,
                             const ImportOptions& options,
                             ImportReport& report);

// Where an import writes by default: the input's name with ".wav" beside it, or with "-8bit.wav"
// when that would be the input itself.
std::string DefaultImportPath(const std::string& inputPath);

// The lines ruvo-cli prints after an import: format, channels, rate, duration, chosen channel,
// trim, resampling, filters, peak level and output path, each line ending in "\n".
std::string FormatImportReport(const ImportReport& report);

}  // namespace ruvo
