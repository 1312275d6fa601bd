#pragma once

#include <cstdint>
#include <vector>

#include "synth/ignition_simulation.h"
#include "synth/synth_options.h"

namespace ruvo {

// One combustion of the simulated engine. Times and revolutions count from the first sample.
struct EngineFiring {
  double timeSeconds = 0.0;
  double revolutions = 0.0;    // engine revolutions turned when it fires
  double revsPerSecond = 0.0;  // engine speed then
  double torqueFtLb = 0.0;     // engine torque then: the load that sets the combustion's strength
  std::int32_t cylinder = 0;   // 0 to cylinders - 1, in firing order
};

// The firings of an engine of cylinders (1 to 16) and strokes (4 or 2) along the motion: cylinder
// c fires whenever the engine has turned (k + c / cylinders) x strokes / 2 revolutions, k = 0, 1,
// ..., that is every 2 / cylinders revolutions for a 4-stroke and 1 / cylinders for a 2-stroke,
// the first at revolution 0. Each time and speed is solved on the cubic Hermite interpolant of its
// step, as the simulation places its sparks, so the firings keep the motion's phase exactly; the
// torque is interpolated linearly. Preconditions: steps in time order, revolutions not falling.
std::vector<EngineFiring> EngineFirings(const std::vector<MotionStep>& steps,
                                        std::int32_t cylinders,
                                        std::int32_t strokes);

// Renders the sound of the engine of options (cylinders, strokes, mic) along the motion as the
// levels of a recording of sampleCount samples at options.sampleRate, on the 8-bit scale but not
// rounded, ready for the 8- or 16-bit encoders:
//  - each firing of EngineFirings is a combustion pulse exp(-d / tau) sin(2 pi f d) (d: time since
//    the firing), its shape fixed whatever the speed, its height growing with the engine's torque;
//  - each cylinder keeps its own gain, a slight timing offset (mean 0 over the cylinders, so the
//    mean phase stays the motion's) and a slightly different tau and f, drawn from options.seed,
//    so the sound has energy at every half order, not only at the firing frequency; each
//    combustion varies a little more, at random;
//  - the pulses (with intake noise that grows with rpm) reach the phone through the microphone's
//    path: a low-pass plus two fixed resonances (cabin: muffled below 250 Hz with the body booming
//    at 55 and 95 Hz; exhaust: bright, open to 3 kHz, stronger pulses, pipe resonances at 130 and
//    420 Hz); road noise grows with road speed, strong in the cabin and faint at the exhaust; a
//    20 Hz high-pass stands for the phone's microphone;
//  - the sum is scaled so its largest swing is 40 steps of the 8-bit scale (-10 dBFS, a loud engine
//    on a phone, with room for every recorder effect), then passed through ApplyRecorder (noise,
//    hum, static, drift, gain step and clipping as options say).
// Deterministic: the same options and motion give the same levels bit for bit. Preconditions:
// ValidateSynthOptions(options) is empty and steps come from SimulateIgnition(options).
std::vector<double> RenderEngineLevels(const SynthOptions& options,
                                       const std::vector<MotionStep>& steps,
                                       std::int32_t sampleCount);

}  // namespace ruvo
