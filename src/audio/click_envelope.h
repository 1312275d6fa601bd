#pragma once

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

namespace ruvo {

inline constexpr int kStrongClicks = 24;
inline constexpr double kClickSpacingSeconds = 0.004;

// Positions of the kStrongClicks strongest peaks of |sound|, each at least kClickSpacingSeconds
// from the others, strongest first (fewer in a short or silent sound).
std::vector<std::size_t> StrongClicks(std::span<const float> sound, double sampleRateHz);

// The median of values (the upper one of an even count); values must not be empty.
template <typename Value>
Value Median(std::vector<Value> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// How far the strongest clicks of a conditioned sound stand above its noise: the median height of
// its kStrongClicks strongest peaks (at least kClickSpacingSeconds apart) over the noise's 99th
// percentile, taken as 3.82 times the median magnitude (so for Gaussian noise; a median is not
// lifted by the clicks, however many there are). 0 when the sound holds fewer such peaks.
double ClickProminence(std::span<const float> sound, double sampleRateHz);

// Below this the clicks barely clear the noise peaks between them: a filter matched to the clicks
// and their envelope lift them further than a band-pass alone.
inline constexpr double kLeastPlainProminence = 5.0;

// The average click of sound: from half a click's length before each of the strongest peaks to one
// and a half after, sign-aligned on the peak and Hann-tapered. Empty when there are fewer than
// kStrongClicks peaks.
std::vector<float> ClickTemplate(std::span<const float> sound, double sampleRateHz);

// Length of a click's ringing, s.
inline constexpr double kClickSeconds = 0.00075;

// The envelope of sound through the filter matched to shape (a click template): the magnitude of
// its correlation with the analytic shape (the shape and its Hilbert transform), scaled so that a
// click of that very shape keeps its peak height. Peaks where each click lies, whatever phase its
// ringing is sampled at, and integrates the whole click against noise. Same length as sound.
// Needs FFTW (FftAvailable); shape holds at least 4 samples.
std::vector<float> MatchedEnvelope(std::span<const float> sound, std::span<const float> shape);

}  // namespace ruvo
