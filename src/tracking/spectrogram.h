#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ruvo {

// Levels of a recording against time and frequency, for drawing under a tracked engine speed.
struct Spectrogram {
  double hopSeconds = 0.0;         // time between frames; frame f is centred at (f + 0.5) * hopSeconds
  double binHz = 0.0;              // frequency step between bins; bin b is at b * binHz
  std::int32_t frameCount = 0;
  std::int32_t binCount = 0;
  std::vector<float> levelsDb;     // frameCount x binCount, frame after frame; dB, 0 at the loudest
};

// The spectrogram of mono samples up to maxHz (at most half the rate); empty without FFTW's library.
Spectrogram ComputeSpectrogram(std::span<const float> samples, double sampleRate, double maxHz);

}  // namespace ruvo
