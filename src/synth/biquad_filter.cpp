#include "synth/biquad_filter.h"

#include <cmath>
#include <numbers>

namespace ruvo {
namespace {

constexpr double kHighestFraction = 0.45;  // of the sample rate, safely below Nyquist

struct Prewarped {
  double cosine;
  double alpha;
};

Prewarped Prewarp(double hz, double q, double rate) {
  const double w = 2.0 * std::numbers::pi * std::fmin(hz, kHighestFraction * rate) / rate;
  return {std::cos(w), std::sin(w) / (2.0 * q)};
}

}  // namespace

BiquadFilter::BiquadFilter(double b0In, double b1In, double b2In, double a0, double a1In, double a2In)
    : b0(b0In / a0), b1(b1In / a0), b2(b2In / a0), a1(a1In / a0), a2(a2In / a0) {}

BiquadFilter BiquadFilter::Resonator(double hz, double q, double rate) {
  const Prewarped p = Prewarp(hz, q, rate);
  return {p.alpha, 0.0, -p.alpha, 1.0 + p.alpha, -2.0 * p.cosine, 1.0 - p.alpha};
}

BiquadFilter BiquadFilter::LowPass(double hz, double q, double rate) {
  const Prewarped p = Prewarp(hz, q, rate);
  const double b = 1.0 - p.cosine;
  return {0.5 * b, b, 0.5 * b, 1.0 + p.alpha, -2.0 * p.cosine, 1.0 - p.alpha};
}

BiquadFilter BiquadFilter::HighPass(double hz, double q, double rate) {
  const Prewarped p = Prewarp(hz, q, rate);
  const double b = 1.0 + p.cosine;
  return {0.5 * b, -b, 0.5 * b, 1.0 + p.alpha, -2.0 * p.cosine, 1.0 - p.alpha};
}

double BiquadFilter::Next(double x) {
  const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
  x2 = x1;
  x1 = x;
  y2 = y1;
  y1 = y;
  return y;
}

}  // namespace ruvo
