#pragma once

#include <cstdint>
#include <vector>

namespace ruvo::test {

// An engine speed known in closed form: rpm at knots, linear or exponential between them.
struct SpeedLaw {
  std::vector<double> seconds;  // increasing, first 0
  std::vector<double> rpm;      // at each knot
  bool exponential = false;     // constant relative rate between knots instead of constant rate

  double RpmAt(double t) const;          // held at the last knot beyond it
  double RevolutionsAt(double t) const;  // exact integral of RpmAt / 60 from 0
};

// The sound of an engine: components at every multiple of baseOrder engine orders, each with
// its own amplitude and a fixed random phase, plus white noise.
struct EngineVoice {
  double baseOrder = 0.5;          // 0.5 for a 4-stroke, 1 for a 2-stroke
  std::vector<double> amplitudes;  // amplitudes[m] for order (m + 1) * baseOrder
  double noise = 0.0;              // standard deviation of the added white noise
  std::uint32_t seed = 1;
};

// Firing harmonics of amplitude 1/h up to the sixth, half and other orders at 0.3, noise 0.1.
EngineVoice TypicalVoice(std::int32_t cylinders, std::int32_t strokes);
// Sets the amplitude of one engine order (a multiple of the voice's baseOrder).
void SetOrder(EngineVoice& voice, double order, double amplitude);

std::vector<float> EngineSound(const SpeedLaw& law, const EngineVoice& voice, double sampleRate, double seconds);

}  // namespace ruvo::test
