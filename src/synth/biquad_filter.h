#pragma once

namespace ruvo {

// A second-order recursive filter (biquad) in direct form I,
//   y[n] = (b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2]) / a0,
// designed by the bilinear transform of the analog prototypes with the cut-off prewarped:
// w = 2 pi hz / rate, alpha = sin(w) / (2 q). Reference: U. Zoelzer, Digital Audio Signal
// Processing, 2nd ed., 2008, 5.1 (second-order filters). hz is kept below 0.45 x rate so a
// filter stays stable at every sample rate. Holds its own past samples; single-threaded.
class BiquadFilter {
 public:
  // Two-pole band-pass of gain 1 at hz, its width hz / q: a resonance that rings at hz.
  static BiquadFilter Resonator(double hz, double q, double rate);
  static BiquadFilter LowPass(double hz, double q, double rate);
  static BiquadFilter HighPass(double hz, double q, double rate);

  double Next(double x);

 private:
  BiquadFilter(double b0, double b1, double b2, double a0, double a1, double a2);

  double b0, b1, b2, a1, a2;  // normalised by a0
  double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
};

}  // namespace ruvo
