#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "audio/decoded_audio.h"
#include "audio/engine_sound_conversion.h"
#include "audio/log_import.h"
#include "audio/recording_conversion.h"
#include "core/file_output.h"
#include "core/outcome.h"

namespace ruvo {

// What an import may do about the file at its output path.
enum class ExistingOutput {
  kRefuse,    // fail with a message and leave it as it is
  kReplace,   // replace it (asked for deliberately)
  kFreeName,  // write under the first free name of ImportNaming instead
};

// Everything one import does beyond the conversion's own options.
struct ImportOptions {
  ConversionOptions conversion;
  ImportProgress progress;  // may be empty
  ExistingOutput existing = ExistingOutput::kRefuse;
  std::optional<EngineSoundOptions> engineSound;  // given: the recording holds engine sound, to be tracked
  EngineSpeedLogOptions engineSpeedLog;           // how a file of text is read as an engine-speed log
  bool expectLog = false;                         // the file must be a log: one that is not text is refused as such
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
  std::optional<EngineSoundReport> engineSound;        // when the recording was tracked as engine sound
  std::optional<EngineSpeedLogImport> engineSpeedLog;  // when the file was an engine-speed log
};

// Converts the recording at inputPath into the canonical 8-bit mono WAV at outputPath (with
// options.engineSound, the pulse track of its engine sound: see ConvertEngineSound; for a file of
// text or with options.expectLog, the pulse track of an engine-speed log: see ConvertLogFile), or under the
// first free name of ImportNaming(inputPath, folder of outputPath) with ExistingOutput::kFreeName.
// The file appears only when complete, and never in place of another unless kReplace says so; it
// records the recording's absolute path as its origin. Refuses an output that is the input itself.
// A failure carries one message naming the file and writes nothing; a cancel (the progress hook
// returned false) fails without a message and writes nothing. report.outputPath is the path
// written.
Outcome ImportRecording(const std::string& inputPath,
                        const std::string& outputPath,
                        const ImportOptions& options,
                        ImportReport& report);

// The names an import of inputPath offers in folder: NAME.wav, NAME-8bit.wav, NAME-8bit-2.wav, ...
OutputNaming ImportNaming(const std::string& inputPath, const std::filesystem::path& folder);

// An earlier import of inputPath among the names ImportNaming offers in folder: an 8-bit mono WAV
// whose origin is the recording and that is not older than it. Its path, or nothing.
std::optional<std::string> FindEarlierImport(const std::string& inputPath, const std::filesystem::path& folder);

// The lines ruvo-cli prints after an import: format, channels, rate, duration, chosen channel,
// trim, resampling, filters, peak level and output path, each line ending in "\n".
std::string FormatImportReport(const ImportReport& report);

// The lines ruvo-cli prints after an import of engine sound: the recording, the channel, the
// tracked engine and speed range, the share of low-confidence frames, the stretches where the
// track was lost, the octave check, any warnings ("warning: ..."), the file written, and the
// Rev/Spark the run document needs.
std::string FormatEngineSoundImport(const ImportReport& report, const EngineSoundOptions& options);

}  // namespace ruvo
