#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/wave_encoding.h"
#include "tracking/log_conversion.h"

namespace ruvo {

// What the import of an engine-speed log found and made.
struct EngineSpeedLogImport {
  EngineSpeedLog log;
  std::int32_t sampleRate = 0;  // of the pulse track
  std::int32_t pulseCount = 0;
};

// Whether the file at path is to be read as an engine-speed log: all of it is text
// (LooksLikeText), which no audio file is. False when it cannot be read or is empty.
bool IsTextFile(const std::string& path);

// Reads the whole text of the log at path, at most kLargestLogBytes; false with a reason in error.
bool ReadLogFile(const std::string& path, std::string& text, std::string& error);

// Reads the log at path (ReadLogFile) and makes its pulse track: samples at
// done.sampleRate, the origin comment in origin. Returns false with one line in error.
bool ConvertLogFile(const std::string& path,
                    const EngineSpeedLogOptions& options,
                    std::vector<std::uint8_t>& samples,
                    EngineSpeedLogImport& done,
                    WaveOrigin& origin,
                    std::string& error);

// Logs larger than this are refused rather than read into memory.
inline constexpr std::size_t kLargestLogBytes = 256u << 20;

// The lines ruvo-cli prints after an import of a log: the file and its table, the columns, the
// pull with its update rate and jitter, any warnings ("warning: ..."), the file written, and the
// Rev/Spark the run document needs; each ends in "\n".
std::string FormatLogImport(const std::string& inputPath,
                            const std::string& outputPath,
                            std::size_t sampleCount,
                            const EngineSpeedLogOptions& options,
                            const EngineSpeedLogImport& done);

}  // namespace ruvo
