#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ruvo {

// Low-pass filters samples and keeps every factor-th one, without delay: output k is centred on
// input k * factor, so it lies at the same time. Windowed-sinc FIR (Blackman window, cutoff at
// 0.42 of the output rate, 12 taps per unit of factor on either side); samples beyond either end
// count as zero. factor >= 1; factor 1 copies. Reference: Oppenheim & Schafer, Discrete-Time
// Signal Processing, 3rd ed., sections 4.6 and 7.5.
std::vector<double> Decimate(std::span<const double> samples, std::int32_t factor);
// The same from single-precision samples, each multiplied by scale first.
std::vector<double> Decimate(std::span<const float> samples, double scale, std::int32_t factor);

}  // namespace ruvo
