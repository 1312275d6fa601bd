#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ruvo {

// A whole recording as its decoder delivered it: frames of interleaved float samples, full
// scale +-1 for integer encodings (floating-point files may go beyond it). Plain data, owned by
// whoever holds it.
struct DecodedAudio {
  std::string formatName;       // container and encoding as the decoder names them, "FLAC, 16 bit"
  std::int32_t channels = 0;    // samples in one frame
  std::int32_t sampleRate = 0;  // frames per second
  std::vector<float> samples;   // frame after frame

  std::size_t FrameCount() const { return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0; }
  double DurationSeconds() const { return sampleRate > 0 ? static_cast<double>(FrameCount()) / sampleRate : 0.0; }
};

// Told the fraction of an import done so far (0 to 1); returns false to cancel the import.
using ImportProgress = std::function<bool(double fraction)>;

}  // namespace ruvo
