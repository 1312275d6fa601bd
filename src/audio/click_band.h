#pragma once

#include <span>
#include <string>
#include <vector>

#include "audio/conditioning_filter.h"

namespace ruvo {

// The frequency band in which a recording's ignition clicks stand out most, or why none does.
struct ClickBand {
  bool found = false;
  double lowHz = 0.0;  // band edges; highHz 0 when the band reaches the Nyquist frequency
  double highHz = 0.0;
  double kurtosis = 0.0;  // spectral kurtosis at the band's centre: 0 for Gaussian noise, large for clicks
  std::string missing;    // the library the search needed and did not find ("libfftw3"), or empty
};

// Finds the clicks' band by spectral kurtosis (the kurtogram of machine diagnostics: the band
// where a signal is most impulsive). Short-time spectra (Hann windows of 0.5 to 6 ms, half
// overlapped) give each frequency bin the kurtosis of its magnitude over the frames of every
// 0.5-s segment, K = E|X|^4 / (E|X|^2)^2 - 2; a bin's score is the median over the segments, so a
// door slam or a clipped burst in one segment cannot win the band. The window length and bin with
// the highest score centre the band, which spans the neighbouring bins scoring at least half as
// much, at least an octave and at most an octave either side of the best bin, and never reaches
// below kLowestClickBandHz. When the power of the whole band above that edge is nearly as
// impulsive as the band's, the band reaches up to the Nyquist frequency (a high-pass only). Nothing is found when no
// score reaches kLeastClickKurtosis (no clicks, or clicks drowned), when the sound is shorter
// than a segment, or when FFTW is missing. Reference: J. Antoni, "The spectral kurtosis: a useful
// tool for characterising non-stationary signals", Mechanical Systems and Signal Processing 20
// (2006) 282-307.
ClickBand FindClickBand(std::span<const float> sound, double sampleRateHz);

// The lowest edge a click band may have, Hz: below it are mains hum and drift, which the band
// must remove as the plain high-pass does.
inline constexpr double kLowestClickBandHz = 400.0;

// A score below this is what noise reaches by chance; the band is not trusted.
inline constexpr double kLeastClickKurtosis = 1.0;

// The filters an import applies and what it chose, for its report and the file's origin.
struct ConditioningChoice {
  FilterChoice filters;    // never automatic
  bool bandFound = false;  // the filters are the band FindClickBand found
  bool envelope = false;   // then the matched filter's envelope replaced the sound (ConditionSound)
  std::string summary;     // "band-pass 2.8–7.4 kHz (kurtosis 41)"; empty when the filters were asked for
};

// asked as it stands when it is not automatic; otherwise the band-pass of FindClickBand on sound,
// or asked's cut-offs when no band stands out.
ConditioningChoice ChooseConditioning(const FilterChoice& asked, std::span<const float> sound, double sampleRateHz);

// Conditions sound (one channel at sampleRateHz, in place) as ChooseConditioning chooses. When the
// choice was automatic and the filtered clicks barely clear the noise (ClickProminence below
// kLeastPlainProminence), the sound becomes its envelope through a filter matched to its own
// clicks (MatchedEnvelope), scaled down away from their train (TrackClickTrain), and the summary
// says so.
ConditioningChoice ConditionSound(std::vector<float>& sound, double sampleRateHz, const FilterChoice& asked);

}  // namespace ruvo
