#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace ruvo {

// Candidate engine speeds, spaced by a constant ratio so every speed gets the same relative
// precision. Index i (fractional allowed) is the speed firstRevPerSecond * stepRatio^i.
struct SpeedGrid {
  double firstRevPerSecond = 1.0;
  double stepRatio = 1.005;
  std::int32_t count = 0;

  double RevPerSecond(double index) const;
  double IndexOf(double revPerSecond) const;  // fractional, may lie outside 0..count-1
};

// What the engine's sound is made of: components at every multiple of baseOrder engine orders
// (0.5 for a 4-stroke, whose cycle spans two revolutions; 1 for a 2-stroke) up to topOrder, the
// firing order and its multiples being the strongest.
struct EngineComb {
  double baseOrder = 0.5;
  double firingOrder = 2.0;
  double topOrder = 12.0;
};
EngineComb CombForEngine(std::int32_t cylinders, std::int32_t strokes);

// The recording as the analysis reads it: low-passed and decimated to a rate just high enough for
// the comb of the fastest candidate, with the analysis frame step.
struct AnalysisSignal {
  std::vector<double> samples;
  double sampleRate = 0.0;      // samples per second
  std::int32_t hopSamples = 0;  // frame f is centred on sample f * hopSamples
  double HopSeconds() const { return hopSamples / sampleRate; }
};
// samples are multiplied by scale on the way in.
AnalysisSignal PrepareAnalysisSignal(std::span<const float> samples,
                                     double scale,
                                     double sampleRate,
                                     const EngineComb& comb,
                                     const SpeedGrid& grid);

// Harmonic-sum salience of every candidate speed in every frame: frameCount x grid.count values,
// frame after frame. Each value is the weighted mean, over the comb's components, of the
// compressed spectrum at the component less that half a spacing below it (in the gap to the
// previous one): about 0 for noise or a smooth background, positive where harmonics stand at the
// comb's places and not between them, which is what tells a speed from its half.
struct SalienceMap {
  SpeedGrid grid;
  double hopSeconds = 0.0;
  std::int32_t frameCount = 0;
  std::vector<float> values;

  std::span<const float> Frame(std::int32_t frame) const;
  // Linear interpolation between candidates; 0 beyond the grid.
  double At(std::int32_t frame, double index) const;

  // The compressed spectra of every spectrumStride-th frame, kept so the strength of single
  // components can be read along a path afterwards.
  std::int32_t spectrumStride = 1;
  std::int32_t levelCount = 0;
  std::int32_t binCount = 0;  // per spectrum
  double topRate = 0.0;       // rate of level 0, samples per second
  std::int32_t windowSamples = 0;
  std::int32_t fftSize = 0;
  std::vector<float> sampledSpectra;  // (frameCount / stride, rounded up) x levelCount x binCount

  // The compressed level of the component at order x revPerSecond, as the candidate at
  // revPerSecond sees it in frame f (a multiple of spectrumStride); 0 where it is not read.
  double ComponentLevel(std::int32_t frame, double revPerSecond, double order) const;
};

// Spectra with windows that span about the same number of revolutions for every candidate (so
// the harmonics of slow speeds are resolved and fast speeds are still followed through a pull):
// one constant-size FFT per octave of candidate speed, on the signal halved in rate per octave.
// Reference: Brown, "Calculation of a constant Q spectral transform", JASA 89 (1991), for the
// octave layout; Hess, Pitch Determination of Speech Signals (Springer 1983), for the harmonic sum.
SalienceMap ComputeSalience(const AnalysisSignal& signal, const EngineComb& comb, const SpeedGrid& grid);

}  // namespace ruvo
