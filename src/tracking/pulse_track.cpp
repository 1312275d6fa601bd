#include "tracking/pulse_track.h"

#include <algorithm>
#include <cmath>

#include "core/text_format.h"
#include "core/wave_encoding.h"

namespace ruvo {
namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr double kRiseStartShare = 0.03;  // of the rise from the lowest speed: still idling below it
constexpr double kStartSpeedMargin = 0.02;  // above the start speed: an idle held at it wobbles this much
constexpr double kLeadSeconds = 0.2;      // of track kept before the pull, for the scan to settle
constexpr double kTailSeconds = 0.3;      // and after its peak
constexpr double kClickLobeSeconds = 0.05e-3;  // each of a click's two lobes
constexpr int kClickHeights = 8;  // heights kClickSteps down to kClickSteps - 7, in turn
constexpr std::uint8_t kMeanLevel = 128;
constexpr std::int32_t kRateStep = 100;  // rates are chosen in whole hundreds

bool Confident(const TrackFrame& frame) {
  return frame.confidence >= kLowConfidence;
}

// Revolutions at time t within frames a and b: the cubic Hermite interpolant of their revolutions
// and speeds, the same curve whatever the pulse spacing.
double RevolutionsAt(const TrackFrame& a, const TrackFrame& b, double t) {
  const double h = b.timeSeconds - a.timeSeconds;
  const double s = (t - a.timeSeconds) / h;
  const double s2 = s * s;
  const double s3 = s2 * s;
  return (2 * s3 - 3 * s2 + 1) * a.revolutions + (s3 - 2 * s2 + s) * h * a.rpm / kSecondsPerMinute +
         (-2 * s3 + 3 * s2) * b.revolutions + (s3 - s2) * h * b.rpm / kSecondsPerMinute;
}

// The first time within [a, b] at which the interpolant reaches target (which lies between the
// two frames' revolutions), by bisection: the interpolant rises, and bisection needs no more.
double TimeOfRevolution(const TrackFrame& a, const TrackFrame& b, double target) {
  double low = a.timeSeconds;
  double high = b.timeSeconds;
  for (int step = 0; step < 60 && high - low > 1e-12; ++step) {
    const double middle = 0.5 * (low + high);
    (RevolutionsAt(a, b, middle) < target ? low : high) = middle;
  }
  return high;
}

void MarkLostStretches(const std::vector<TrackFrame>& frames, PullSpan& pull) {
  std::size_t lowCount = 0;
  std::size_t runStart = 0;
  bool inRun = false;
  const auto closeRun = [&](std::size_t end) {
    const double from = frames[runStart].timeSeconds;
    const double to = frames[end].timeSeconds;
    if (to - from >= kShortestLostSeconds) pull.lostStretches.push_back({from, to});
  };
  for (std::size_t i = pull.firstFrame; i <= pull.lastFrame; ++i) {
    const bool low = !Confident(frames[i]);
    lowCount += low ? 1 : 0;
    if (low && !inRun) runStart = i;
    if (!low && inRun) closeRun(i - 1);
    inRun = low;
  }
  if (inRun) closeRun(pull.lastFrame);
  pull.lowConfidenceShare = static_cast<double>(lowCount) / static_cast<double>(pull.lastFrame - pull.firstFrame + 1);
}

// The rate that keeps the rounding of pulse places below kPulseRounding at peakRevsPerSecond,
// within the reader's limits for a track of `seconds`.
std::int32_t TrackRate(double peakRevsPerSecond, double seconds, bool& limited) {
  const double wanted = 0.5 * peakRevsPerSecond / kPulseRounding;
  auto rate = static_cast<std::int32_t>(std::ceil(wanted / kRateStep) * kRateStep);
  rate = std::clamp(rate, kSmallestWaveRate, kLargestWaveRate);
  const auto longest = static_cast<std::int32_t>(static_cast<double>(kLargestWaveSamples - 1) / seconds);
  rate = std::min(rate, longest);
  limited = rate < wanted;
  return rate;
}

}  // namespace

bool FindPull(const std::vector<TrackFrame>& frames, double startRpm, PullSpan& pull, std::string& error) {
  pull = PullSpan{};
  std::size_t peak = frames.size();
  for (std::size_t i = 0; i < frames.size(); ++i)
    if (Confident(frames[i]) && (peak == frames.size() || frames[i].rpm > frames[peak].rpm)) peak = i;
  if (peak == frames.size()) {
    error = "the engine's speed was not followed anywhere";
    return false;
  }
  double lowest = frames[peak].rpm;
  for (std::size_t i = 0; i < peak; ++i) lowest = std::min(lowest, frames[i].rpm);
  if (!(lowest < frames[peak].rpm)) {
    error = "the engine's speed never rises";
    return false;
  }
  // Back from the peak to the last frame still at or below the start speed.
  const double floor =
      startRpm > 0.0 ? startRpm * (1.0 + kStartSpeedMargin) : lowest + kRiseStartShare * (frames[peak].rpm - lowest);
  std::size_t first = peak;
  while (first > 0 && frames[first - 1].rpm > floor) --first;
  pull.startsAboveStartRpm = startRpm > 0.0 && first == 0 && frames[0].rpm > startRpm;
  if (first > 0) --first;
  pull.firstFrame = first;
  pull.lastFrame = peak;
  pull.startRpm = frames[first].rpm;
  pull.peakRpm = frames[peak].rpm;
  MarkLostStretches(frames, pull);
  return true;
}

bool MakePulseTrack(const std::vector<TrackFrame>& frames,
                    const PullSpan& pull,
                    double revsPerPulse,
                    PulseTrack& track,
                    std::string& error) {
  track = PulseTrack{};
  if (!(revsPerPulse > 0.0) || !std::isfinite(revsPerPulse)) {
    error = "revolutions per pulse must be above 0";
    return false;
  }
  if (pull.lastFrame >= frames.size() || pull.firstFrame >= pull.lastFrame) {
    error = "the pull has no length";
    return false;
  }
  // The covered frames: the pull and a little before and after it.
  std::size_t first = pull.firstFrame;
  while (first > 0 && frames[pull.firstFrame].timeSeconds - frames[first].timeSeconds < kLeadSeconds) --first;
  std::size_t last = pull.lastFrame;
  while (last + 1 < frames.size() && frames[last].timeSeconds - frames[pull.lastFrame].timeSeconds < kTailSeconds)
    ++last;
  double peakRpm = 0.0;
  for (std::size_t i = first; i <= last; ++i) peakRpm = std::max(peakRpm, frames[i].rpm);
  track.fromSeconds = frames[first].timeSeconds;
  track.toSeconds = frames[last].timeSeconds;
  const double seconds = track.toSeconds - track.fromSeconds;
  const double peakRevsPerSecond = peakRpm / kSecondsPerMinute;
  track.sampleRate = TrackRate(peakRevsPerSecond, seconds, track.rateLimited);
  track.roundingRevolutions = 0.5 * peakRevsPerSecond / track.sampleRate;

  const double rate = track.sampleRate;
  const auto lobe = std::max<std::int64_t>(1, std::llround(kClickLobeSeconds * rate));
  const double closest = revsPerPulse / peakRevsPerSecond * rate;  // samples between pulses at the peak
  if (closest < static_cast<double>(4 * lobe)) {
    error = FormatText("pulses every %g revolutions come too close at %.0f rpm; raise the revolutions per pulse",
                       revsPerPulse, peakRpm);
    return false;
  }
  const auto count = static_cast<std::int64_t>(std::floor(seconds * rate)) + 1;
  track.samples.assign(static_cast<std::size_t>(count), kMeanLevel);

  // The first pulse a click's length into the track, then one every revsPerPulse revolutions.
  const double startRevolutions = RevolutionsAt(frames[first], frames[first + 1], track.fromSeconds + 2.0 * static_cast<double>(lobe) / rate);
  std::size_t segment = first;
  for (double target = startRevolutions;; target += revsPerPulse) {
    while (segment < last && frames[segment + 1].revolutions < target) ++segment;
    if (segment >= last) break;
    const double time = TimeOfRevolution(frames[segment], frames[segment + 1], target);
    const std::int64_t at = std::llround((time - track.fromSeconds) * rate);
    if (at + 2 * lobe > count) break;
    // Two lobes of equal and opposite steps: the mean level stays where it was.
    const int height = kClickSteps - track.pulseCount % kClickHeights;
    for (std::int64_t k = 0; k < lobe; ++k) {
      const auto step = static_cast<int>(std::lround(height * static_cast<double>(lobe - k) / static_cast<double>(lobe)));
      track.samples[static_cast<std::size_t>(at + k)] = static_cast<std::uint8_t>(kMeanLevel + step);
      track.samples[static_cast<std::size_t>(at + lobe + k)] = static_cast<std::uint8_t>(kMeanLevel - step);
    }
    ++track.pulseCount;
  }
  return true;
}

std::string PulseRoundingWarning(const PulseTrack& track, double peakRpm) {
  return FormatText(
      "pulse places are rounded by up to %.4f revolutions at %.0f rpm, more than the %.3f the "
      "calculation needs: the wave file's rate cannot go higher",
      track.roundingRevolutions, peakRpm, kPulseRounding);
}

}  // namespace ruvo
