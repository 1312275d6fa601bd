#pragma once

#include <string>
#include <vector>

namespace ruvo {

// The high-pass that imports use unless told otherwise, Hz: it removes mains hum and baseline
// drift while the ignition clicks, which carry their energy in the kilohertz range, pass.
inline constexpr double kDefaultHighPassHz = 400.0;

// Filters applied to the mono sound before its 8-bit conversion; 0 turns a filter off. A
// band-pass is a high-pass at its low edge and a low-pass at its high edge. An automatic choice
// takes the band where the recording's clicks stand out (ChooseConditioning), and these cut-offs
// only where none does.
struct FilterChoice {
  bool automatic = true;
  double highPassHz = kDefaultHighPassHz;
  double lowPassHz = 0.0;
};

// Filters sound (one channel at sampleRateHz, written in place) with a fourth-order Butterworth
// high-pass and/or low-pass, each two cascaded biquad sections (bilinear transform with
// pre-warping; R. Bristow-Johnson's cookbook coefficients). Every section starts in the steady
// state of the first sample, so an offset does not ring, and after a high-pass the sound fades in
// over kFadeInSeconds (raised cosine) so no start-up transient can look like a click. A cut-off at
// or above half the sample rate turns its filter off. Reference: A. V. Oppenheim and R. W.
// Schafer, Discrete-Time Signal Processing, 3rd ed., 7.1 (IIR design by the bilinear transform).
void ApplyConditioning(std::vector<float>& sound, double sampleRateHz, const FilterChoice& filters);

// "high-pass 400 Hz with a 20 ms fade-in, low-pass 4000 Hz", or "none".
std::string DescribeConditioning(const FilterChoice& filters, double sampleRateHz);

}  // namespace ruvo
