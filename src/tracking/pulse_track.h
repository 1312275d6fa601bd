#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tracking/engine_order_tracker.h"

namespace ruvo {

// A stretch of lost track: consecutive low-confidence frames.
struct LostStretch {
  double fromSeconds = 0.0;
  double toSeconds = 0.0;
};

// The full-throttle pull within a track: from where the engine passes the start speed on its way
// up to its highest speed. Frame indices are into the track's frames, lastFrame included.
struct PullSpan {
  std::size_t firstFrame = 0;
  std::size_t lastFrame = 0;
  double startRpm = 0.0;  // tracked speed at firstFrame
  double peakRpm = 0.0;   // tracked speed at lastFrame
  bool startsAboveStartRpm = false;  // the recording begins faster than the start speed asked for
  double lowConfidenceShare = 0.0;   // of the pull's frames
  std::vector<LostStretch> lostStretches;  // within the pull, each at least kShortestLostSeconds long
};

// Lost stretches shorter than this are bridged by the speed bound and not reported.
inline constexpr double kShortestLostSeconds = 0.1;

// The pull of a track. startRpm > 0 (a run document's Initial RPM) starts it where the engine
// last rises through that speed before its peak; 0 starts it where the rise begins (the end of an
// idle). Fails (false, reason in error) when no frame is confident or the speed never rises.
bool FindPull(const std::vector<TrackFrame>& frames, double startRpm, PullSpan& pull, std::string& error);

// The canonical 8-bit mono recording of one clean pulse every revsPerPulse revolutions of a pull,
// for the click analysis to read as if it were ignition.
struct PulseTrack {
  std::int32_t sampleRate = 0;  // samples per second
  std::vector<std::uint8_t> samples;
  double fromSeconds = 0.0;  // the stretch of the source it covers
  double toSeconds = 0.0;
  std::int32_t pulseCount = 0;
  // Largest error of a pulse's place from rounding it to a sample, in revolutions at the peak speed.
  double roundingRevolutions = 0.0;
  bool rateLimited = false;  // the rate could not keep the rounding below kPulseRounding
};

// The tallest click's first sample, in steps from the mean level of 128.
inline constexpr int kClickSteps = 100;

// Pulse places are rounded to samples; the rate is chosen to keep the error below this share of
// a revolution at the pull's peak speed, where the reader's rate and length limits allow.
inline constexpr double kPulseRounding = 0.001;

// Renders the pull (with a little of the track before and after it) as a pulse track: the rate
// keeps the rounding below kPulseRounding within the reader's 1001 to 99,999 samples per second
// and 9,999,999 samples, and every pulse is a short two-lobed click that leaves the mean level at
// 128; their heights cycle over a few steps, as recorded clicks vary, so the extremes are rare and
// never look like a recorder's clipping limit. Fails with a reason for revsPerPulse not above 0 or pulses too close for their clicks.
bool MakePulseTrack(const std::vector<TrackFrame>& frames,
                    const PullSpan& pull,
                    double revsPerPulse,
                    PulseTrack& track,
                    std::string& error);

// The warning for a track whose rate could not keep the rounding below kPulseRounding (its
// rateLimited), at the pull's peak speed in rpm: one sentence, without "warning: ".
std::string PulseRoundingWarning(const PulseTrack& track, double peakRpm);

}  // namespace ruvo
