#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_parameters.h"
#include "synth/torque_curve.h"

namespace ruvo {

// Everything that decides one synthetic recording. The defaults make a clean recording of the
// initial form's car (2400 lb, 4.0 axle, 2.5 gear, 29.3 in wheel) accelerating from 1000 to
// 6000 rpm on the built-in torque curve. Every numeric field has a command-line option of the
// kebab-case name given in its comment, with the range that ValidateSynthOptions enforces.
struct SynthOptions {
  // Vehicle data, written unchanged to the run document. Not used from it: waveFiles (the
  // document names the generated recording) and the three pulse-detection estimates, which
  // come from the fields at the end of this struct.
  RunParameters vehicle;
  TorqueCurve torque;  // engine torque against rpm, full throttle

  double startRpm = 1000.0;         // --start-rpm: engine speed where full throttle begins
  double endRpm = 6000.0;           // --end-rpm: engine speed where the run ends
  std::int32_t sampleRate = 44100;  // --sample-rate, samples per second (8000 to 48000)
  std::uint64_t seed = 1;           // --seed: fixes every random choice

  // What the recording holds: the ignition's clicks, or the sound of the engine firing (its
  // cylinders, strokes and the microphone's place apply to that alone).
  std::string sound = "clicks";  // --sound: clicks or engine
  std::int32_t cylinders = 4;    // --cylinders
  std::int32_t strokes = 4;      // --strokes: 4 or 2
  std::string mic = "cabin";     // --mic: cabin or exhaust

  // Sound, in sample units (one step of the 8-bit scale).
  std::int32_t silenceLevel = 128;  // --silence-level: sample value without sound
  double noise = 2.0;               // --noise: standard deviation of the background noise
  double sparkPeak = 90.0;          // --spark-peak: largest height of a spark's burst
  double peakVariation = 0.2;       // --peak-variation: bursts vary down to (1 - this) x peak

  // Harder cases.
  double missingSparks = 0.0;    // --missing-sparks: fraction of sparks the recording misses
  double weakSparks = 0.0;       // --weak-sparks: fraction of sparks heard weakly
  double weakLevel = 0.3;        // --weak-level: a weak spark's peak as a fraction of its own
  std::int32_t clipLevel = 0;    // --clip-level: largest deviation from silence kept; 0: none
  double dcOffset = 0.0;         // --dc-offset: baseline drift reached at the end, linear from 0
  double idleSeconds = 0.0;      // --idle-seconds: steady start-rpm stretch before the run
  double liftOffSeconds = 0.0;   // --lift-off-seconds: coasting stretch after the run
  double liftOffTorque = -15.0;  // --lift-off-torque: engine braking while lifted off, ft-lb

  // What today's recorders add; each default leaves the recording unchanged.
  double humHz = 50.0;           // --hum-hz: mains frequency
  double humLevel = 0.0;         // --hum-level: amplitude of the mains hum
  double staticLevel = 0.0;      // --static-level: standard deviation of the band-limited static
  double staticHz = 4000.0;      // --static-hz: cut-off of the static's one-pole low-pass
  double echoDelayMs = 5.0;      // --echo-delay-ms: delay of each burst's echo
  double echoRatio = 0.0;        // --echo-ratio: echo peak as a fraction of its burst's peak
  double ringHz = 0.0;           // --ring-hz: the bursts' ring; 0: 5000 Hz or a sixth of the rate if lower
  double gainStepSeconds = 0.0;  // --gain-step-seconds: recorder gain changes here; 0: never
  double gainStepFactor = 1.0;   // --gain-step-factor: sound multiplied by this from the step on
  std::int32_t bits = 0;         // --bits: 8 (unsigned) or 16 (signed); 0: the sound's own

  // An engine-speed log beside the recording, as an OBD adapter or a GPS meter writes one.
  double logRateHz = 0.0;    // --log-rate: rows per second of NAME.log.csv; 0: no log
  double logRpmStep = 1.0;   // --log-rpm-step: engine speed rounded to multiples of this, rpm
  double logJitterMs = 0.0;  // --log-jitter-ms: timestamps off by up to this either way
  std::int32_t logHold = 0;  // --log-hold: rows repeating each update before the next

  // Pulse-detection estimates for the run document; 0 means "estimate from the run".
  std::int32_t initialRpm = 0;  // --initial-rpm
  std::int32_t finalRpm = 0;    // --final-rpm
  double maxPulseLength = 0.0;  // --max-pulse-length, percent of the spark interval
};

// One settable option, for the help text.
struct SynthOptionInfo {
  std::string name;          // "vehicle-weight" (used as "--vehicle-weight")
  std::string unit;          // "lb", or empty
  std::string help;          // one line
  std::string defaultValue;  // as the option would be written
  std::string range;         // "100 to 50000", or empty when any value of the type is allowed
};

// Every option of SynthOptions in a fixed order: the run-document fields in document order,
// then the run, sound and harder-case options.
std::vector<SynthOptionInfo> ListSynthOptions();

// Sets the option called name (without "--") from its text. Returns false with a message in
// error for an unknown name or a value that is not a number of the option's type; the range is
// checked later by ValidateSynthOptions.
bool SetSynthOption(SynthOptions& options, std::string_view name, std::string_view value, std::string& error);

// Whether options ask for the engine's sound rather than the ignition's clicks.
bool IsEngineSound(const SynthOptions& options);

// Bits per sample of the recording: options.bits, or when that is 0 the sound's own (8 for
// clicks, as the calculation reads them; 16 for engine sound, as a phone records it).
std::int32_t SampleBits(const SynthOptions& options);

// The bursts' ring frequency above which the first sample of a burst could miss its rising half:
// the sample rate over this many samples per cycle.
inline constexpr double kRingSamplesPerCycle = 6.0;

// The frequency each spark's burst rings at, Hz: options.ringHz, or when that is 0, 5000 Hz or
// a sixth of the sample rate when that is lower.
double BurstRingHz(const SynthOptions& options);

// Checks every range and the relations between options, among them that an option of one sound
// alone (the clicks' spark, echo and ring options, the engine's cylinders, strokes and microphone) keeps
// its default with the other sound. Returns an empty text when the options can be simulated,
// otherwise a message naming the first offending option.
std::string ValidateSynthOptions(const SynthOptions& options);

}  // namespace ruvo
