#pragma once

#include <span>
#include <vector>

#include "tracking/harmonic_salience.h"

namespace ruvo {

// Revolutions at every frame centre (frame f at sample f * hopSamples), from the phase of one
// engine order followed in the angle domain: the signal is shifted down by the order's phase along
// a reference speed, averaged over a Hann window spanning a fixed number of reference revolutions
// (which nulls the neighbouring orders), and the residual phase is added back to the reference
// angle. An error of the reference speed thus only changes the residual, never the result beyond
// the averaging. Frames where the order is weaker than a fifth of its median strength keep the
// reference's increment, so a gap in the sound cannot slip the count by a cycle.
// referenceRevPerSecond: one positive speed per frame (revolutions per second); order: engine
// order followed (cycles per revolution). Returns revolutions since frame 0, one per frame.
// Reference: Fyfe & Munck, "Analysis of computed order tracking", Mech. Syst. Signal Process. 11
// (1997); Vold & Leuridan, "High resolution order tracking at extreme slew rates", SAE 931288.
std::vector<double> RevolutionsFromPhase(const AnalysisSignal& signal,
                                         std::span<const double> referenceRevPerSecond,
                                         double order);

// Engine speed (revolutions per second) at every frame from revolutions: the slope of a
// least-squares quadratic over +-halfSpan frames (fewer at the ends). Reference: Savitzky & Golay,
// Analytical Chemistry 36 (1964).
std::vector<double> SpeedFromRevolutions(std::span<const double> revolutions, double hopSeconds, std::int32_t halfSpan);

}  // namespace ruvo
