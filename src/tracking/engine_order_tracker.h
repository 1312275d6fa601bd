#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ruvo {

// What the tracker is told about the engine: its firing order follows from cylinders and strokes
// (cylinders / 2 firings per revolution for a 4-stroke, cylinders for a 2-stroke).
struct EngineOrderSettings {
  std::int32_t cylinders = 4;  // 1 to 16
  std::int32_t strokes = 4;    // 4 or 2
  double lowRpm = 600.0;       // engine-speed band searched, revolutions per minute
  double highRpm = 9000.0;
  // The speeds a pull is expected to start and end near (a run document's Initial and Final RPM
  // estimates); 0 when unknown. They anchor the octave verdict where they are known.
  double expectedStartRpm = 0.0;
  double expectedEndRpm = 0.0;
};

// Frames whose confidence is below this count as low-confidence (the track may be lost there).
// On synthetic pulls with noise 10 dB under the firing order, 9 frames in 10 reach it; in white
// noise, fewer than 1 in 10.
inline constexpr double kLowConfidence = 0.2;

// The engine's state at the centre of one analysis frame.
struct TrackFrame {
  double timeSeconds = 0.0;  // from the first sample
  double rpm = 0.0;          // tracked engine speed, within the settings' band
  double revolutions = 0.0;  // engine revolutions turned since the first frame's centre
  double confidence = 0.0;   // 0 to 1: the chosen speed's salience against the best alternative
};

// A simple ratio of the chosen speed (half, double, 2/3, 3/2 ...) scored over the whole recording.
struct OctaveAlternative {
  double ratio = 1.0;  // alternative speed / chosen speed
  double score = 0.0;  // its salience summed along its path, as a fraction of the chosen path's
};

struct OctaveCheck {
  std::vector<OctaveAlternative> alternatives;
  bool anchored = false;  // the expected speeds took part in the verdict
  bool passed = false;    // the chosen path is taken for the engine's speed
  std::string verdict;    // one sentence for the user, with the scores behind it
};

struct EngineTrack {
  bool ok = false;
  std::string failure;             // one line when !ok: why nothing usable was tracked
  double hopSeconds = 0.0;         // time between frames (about 20 ms)
  std::vector<TrackFrame> frames;  // every hopSeconds, in time order
  OctaveCheck octave;
};

// Follows the firing order of the engine through mono samples (any scale; sampleRate in samples
// per second) and returns its speed, revolutions and confidence frame by frame, with the verdict
// on the wrong-harmonic alternatives. Fails (ok false, with a reason) when no engine speed in the
// band stands out or the octave check does not pass. Deterministic: the same input gives the same
// track bit for bit.
EngineTrack TrackEngineOrder(std::span<const float> samples, double sampleRate, const EngineOrderSettings& settings);

}  // namespace ruvo
