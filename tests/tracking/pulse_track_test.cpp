#include "tracking/pulse_track.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numeric>
#include <vector>

namespace ruvo {
namespace {

constexpr double kHop = 0.01;  // seconds between frames

// A pull with a known law: idleSeconds at 1000 rpm, a linear rise to peakRpm over riseSeconds,
// then a fall at 2000 rpm per second for a second. Revolutions are the exact integral.
struct KnownPull {
  double idleSeconds = 2.0;
  double riseSeconds = 10.0;
  double peakRpm = 6000.0;

  double Rpm(double t) const {
    if (t < idleSeconds) return 1000.0;
    if (t < idleSeconds + riseSeconds) return 1000.0 + (peakRpm - 1000.0) * (t - idleSeconds) / riseSeconds;
    return peakRpm - 2000.0 * (t - idleSeconds - riseSeconds);
  }
  double Revolutions(double t) const {
    const double idle = std::min(t, idleSeconds);
    double revs = 1000.0 * idle;
    if (t > idleSeconds) {
      const double rise = std::min(t, idleSeconds + riseSeconds) - idleSeconds;
      revs += 1000.0 * rise + 0.5 * (peakRpm - 1000.0) / riseSeconds * rise * rise;
    }
    if (t > idleSeconds + riseSeconds) {
      const double fall = t - idleSeconds - riseSeconds;
      revs += peakRpm * fall - 1000.0 * fall * fall;
    }
    return revs / 60.0;
  }
  std::vector<TrackFrame> Frames() const {
    std::vector<TrackFrame> frames;
    for (double t = 0.0; t <= idleSeconds + riseSeconds + 1.0; t += kHop)
      frames.push_back({t, Rpm(t), Revolutions(t), 0.9});
    return frames;
  }
};

TEST(PullSpan, StartsWhereTheRiseBeginsOrPassesTheStartSpeedAndMeasuresLostTrack) {
  const KnownPull known;
  std::vector<TrackFrame> frames = known.Frames();
  // A lost stretch of 0.3 s and a lone low frame within the rise; only the stretch is reported.
  for (std::size_t i = 500; i < 530; ++i) frames[i].confidence = 0.5 * kLowConfidence;
  frames[700].confidence = 0.5 * kLowConfidence;
  PullSpan pull;
  std::string error;
  ASSERT_TRUE(FindPull(frames, 0.0, pull, error));
  EXPECT_NEAR(frames[pull.firstFrame].timeSeconds, 2.29, 0.015);  // 3 % of the rise above idle
  EXPECT_NEAR(pull.peakRpm, 6000.0, 1e-9);
  EXPECT_NEAR(frames[pull.lastFrame].timeSeconds, 12.0, 1e-9);
  ASSERT_EQ(pull.lostStretches.size(), 1u);
  EXPECT_NEAR(pull.lostStretches[0].fromSeconds, 5.0, 1e-9);
  EXPECT_NEAR(pull.lostStretches[0].toSeconds, 5.29, 1e-9);
  EXPECT_NEAR(pull.lowConfidenceShare, 31.0 / static_cast<double>(pull.lastFrame - pull.firstFrame + 1), 1e-12);

  ASSERT_TRUE(FindPull(frames, 2000.0, pull, error));
  EXPECT_LE(pull.startRpm, 2040.0);
  EXPECT_GT(frames[pull.firstFrame + 1].rpm, 2040.0);
  ASSERT_TRUE(FindPull(frames, 1000.0, pull, error));  // the idle sits at the start speed: not in the pull
  EXPECT_NEAR(frames[pull.firstFrame].timeSeconds, 2.04, 0.015);
  EXPECT_FALSE(pull.startsAboveStartRpm);
  ASSERT_TRUE(FindPull(frames, 500.0, pull, error));
  EXPECT_TRUE(pull.startsAboveStartRpm);
  EXPECT_EQ(pull.firstFrame, 0u);

  for (TrackFrame& frame : frames) frame.confidence = 0.5 * kLowConfidence;
  EXPECT_FALSE(FindPull(frames, 0.0, pull, error));
  EXPECT_EQ(error, "the engine's speed was not followed anywhere");
  for (TrackFrame& frame : frames) frame = {frame.timeSeconds, 3000.0, 50.0 * frame.timeSeconds, 0.9};
  EXPECT_FALSE(FindPull(frames, 0.0, pull, error));
  EXPECT_EQ(error, "the engine's speed never rises");
}

// Every pulse's first sample sits where the known law turns the next revsPerPulse revolutions,
// within half a sample; the clicks leave the mean level at 128 exactly.
TEST(PulseTrack, PlacesOnePulseEveryRevsPerPulseRevolutionsAtTheRightSample) {
  const KnownPull known;
  const std::vector<TrackFrame> frames = known.Frames();
  PullSpan pull;
  std::string error;
  ASSERT_TRUE(FindPull(frames, 2000.0, pull, error));
  for (const double revsPerPulse : {2.0, 1.0, 0.5}) {
    SCOPED_TRACE(revsPerPulse);
    PulseTrack track;
    ASSERT_TRUE(MakePulseTrack(frames, pull, revsPerPulse, track, error)) << error;
    EXPECT_FALSE(track.rateLimited);
    EXPECT_GE(track.sampleRate, 0.5 * 6000.0 / 60.0 / kPulseRounding);
    EXPECT_LE(track.roundingRevolutions, kPulseRounding);
    EXPECT_NEAR(track.fromSeconds, frames[pull.firstFrame].timeSeconds - 0.2, kHop);
    EXPECT_NEAR(track.toSeconds, 12.3, kHop);
    const std::uint64_t sum = std::accumulate(track.samples.begin(), track.samples.end(), std::uint64_t{0});
    EXPECT_EQ(sum, 128u * track.samples.size());

    std::vector<double> starts;
    for (std::size_t i = 0; i < track.samples.size(); ++i)
      if (track.samples[i] > 128 && (i == 0 || track.samples[i - 1] <= 128)) starts.push_back(static_cast<double>(i));
    ASSERT_EQ(static_cast<std::int32_t>(starts.size()), track.pulseCount);
    ASSERT_GT(starts.size(), 10u);
    const double rate = track.sampleRate;
    const double firstRevs = known.Revolutions(track.fromSeconds + starts[0] / rate);
    double worst = 0.0;
    for (std::size_t k = 0; k < starts.size(); ++k) {
      // The time at which the law reaches the pulse's revolutions, by bisection.
      const double target = firstRevs + revsPerPulse * static_cast<double>(k);
      double low = track.fromSeconds, high = track.toSeconds;
      for (int step = 0; step < 80; ++step)
        (known.Revolutions(0.5 * (low + high)) < target ? low : high) = 0.5 * (low + high);
      worst = std::max(worst, std::abs((low - track.fromSeconds) * rate - starts[k]));
    }
    EXPECT_LE(worst, 1.0);  // the first pulse's own rounding and this one's
  }
}

TEST(PulseTrack, KeepsWithinTheReadersLimitsAndRefusesWhatItCannotRender) {
  KnownPull known;
  known.riseSeconds = 150.0;  // at the rate the rounding wants, more samples than a wave file holds
  known.peakRpm = 9000.0;
  std::vector<TrackFrame> frames = known.Frames();
  PullSpan pull;
  std::string error;
  ASSERT_TRUE(FindPull(frames, 0.0, pull, error));
  PulseTrack track;
  ASSERT_TRUE(MakePulseTrack(frames, pull, 1.0, track, error)) << error;
  EXPECT_TRUE(track.rateLimited);
  EXPECT_LT(track.samples.size(), 10'000'000u);
  EXPECT_GT(track.roundingRevolutions, kPulseRounding);

  known = KnownPull{};
  frames = known.Frames();
  ASSERT_TRUE(FindPull(frames, 0.0, pull, error));
  EXPECT_FALSE(MakePulseTrack(frames, pull, 0.0, track, error));
  EXPECT_EQ(error, "revolutions per pulse must be above 0");
  EXPECT_FALSE(MakePulseTrack(frames, pull, 0.005, track, error));
  EXPECT_EQ(error, "pulses every 0.005 revolutions come too close at 6000 rpm; raise the revolutions per pulse");
}

}  // namespace
}  // namespace ruvo
