#include "tracking/engine_order_tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "tracking/octave_check.h"
#include "tracking/engine_sound.h"

namespace ruvo {
namespace {

using test::EngineSound;
using test::EngineVoice;
using test::SpeedLaw;
using test::TypicalVoice;

constexpr double kRate = 8000.0;  // samples per second: plenty for six firing harmonics at 9000 rpm
constexpr double kEdgeSeconds = 0.5;  // the first and last frames' windows reach past the recording

EngineOrderSettings Engine(std::int32_t cylinders, std::int32_t strokes, double highRpm = 9000.0) {
  EngineOrderSettings settings;
  settings.cylinders = cylinders;
  settings.strokes = strokes;
  settings.highRpm = highRpm;
  return settings;
}

// Speed within relative of the law, and revolutions since frame 0 within revolutions of the law's
// integral, on every frame away from the ends and further than 0.3 s from a knot (where the law's
// own speed has a corner no engine has); at least confidentShare of the frames confident.
void ExpectFollows(const EngineTrack& track,
                   const SpeedLaw& law,
                   double seconds,
                   double relative,
                   double revolutions,
                   const std::string& name,
                   double confidentShare = 0.8) {
  ASSERT_TRUE(track.ok) << name << ": " << track.failure;
  ASSERT_FALSE(track.frames.empty()) << name;
  const double origin = law.RevolutionsAt(track.frames[0].timeSeconds);
  std::int32_t confident = 0;
  for (std::size_t f = 0; f < track.frames.size(); ++f) {
    const TrackFrame& frame = track.frames[f];
    EXPECT_EQ(frame.timeSeconds, static_cast<double>(f) * track.hopSeconds) << name;
    EXPECT_TRUE(frame.confidence >= 0.0 && frame.confidence <= 1.0) << name << " frame " << f;
    if (f > 0) {
      EXPECT_GE(frame.revolutions, track.frames[f - 1].revolutions) << name << " frame " << f;
    }
    confident += frame.confidence >= kLowConfidence ? 1 : 0;
    const double t = frame.timeSeconds;
    if (t < kEdgeSeconds || t > seconds - kEdgeSeconds) continue;
    EXPECT_TRUE(test::IsClose(frame.revolutions, law.RevolutionsAt(t) - origin, 0.0, revolutions))
        << name << " at " << t << " s";
    const bool nearKnot = std::any_of(law.seconds.begin(), law.seconds.end(),
                                      [t](double knot) { return std::abs(t - knot) < 0.3; });
    if (!nearKnot) {
      EXPECT_TRUE(test::IsClose(frame.rpm, law.RpmAt(t), relative)) << name << " at " << t << " s";
    }
  }
  EXPECT_GT(confident, confidentShare * static_cast<double>(track.frames.size())) << name;
}

TEST(TrackEngineOrder, FollowsPullsWithinAFifthOfAPercentAndAFractionOfARevolution) {
  struct Case {
    const char* name;
    SpeedLaw law;
    double seconds;
    std::int32_t cylinders;
    std::int32_t strokes;
    double highRpm;
  };
  const Case cases[] = {
      {"4-cylinder linear", {{0.0, 1.0, 9.0, 10.0}, {1500.0, 1500.0, 6500.0, 6500.0}, false}, 10.0, 4, 4, 9000.0},
      {"6-cylinder exponential", {{0.0, 1.0, 11.0, 12.0}, {1200.0, 1200.0, 7000.0, 7000.0}, true}, 12.0, 6, 4, 9000.0},
      {"8-cylinder from idle", {{0.0, 8.0}, {900.0, 5500.0}, true}, 8.0, 8, 4, 7000.0},
      {"single 2-stroke", {{0.0, 8.0}, {3000.0, 9000.0}, false}, 8.0, 1, 2, 10000.0},
      {"lift-off and shift", {{0.0, 6.0, 6.5, 8.0}, {2000.0, 6000.0, 3500.0, 3500.0}, false}, 8.0, 4, 4, 9000.0},
  };
  for (const Case& c : cases) {
    const std::vector<float> sound = EngineSound(c.law, TypicalVoice(c.cylinders, c.strokes), kRate, c.seconds);
    const EngineTrack track = TrackEngineOrder(sound, kRate, Engine(c.cylinders, c.strokes, c.highRpm));
    // 0.2% in speed (what power needs); revolutions to a twentieth, i.e. well under one firing;
    // nine frames in ten of a clean pull confident (the edges and corners are not).
    ExpectFollows(track, c.law, c.seconds, 0.002, 0.05, c.name);
  }
}

TEST(TrackEngineOrder, ResolvesOctaveTraps) {
  const SpeedLaw law{{0.0, 8.0}, {1800.0, 5400.0}, true};
  struct Case {
    const char* name;
    double order;
    double amplitude;
  };
  const Case cases[] = {
      {"strong second firing harmonic", 4.0, 3.0},
      {"missing fundamental", 2.0, 0.0},
      {"strong first order", 1.0, 2.0},
      {"strong half order", 0.5, 2.0},
  };
  for (const Case& c : cases) {
    EngineVoice voice = TypicalVoice(4, 4);
    test::SetOrder(voice, c.order, c.amplitude);
    const EngineTrack track = TrackEngineOrder(EngineSound(law, voice, kRate, 8.0), kRate, Engine(4, 4));
    ExpectFollows(track, law, 8.0, 0.002, 0.05, c.name);
    ASSERT_EQ(track.octave.alternatives.size(), std::size(kOctaveRatios)) << c.name;
    for (const OctaveAlternative& alternative : track.octave.alternatives)
      EXPECT_LT(alternative.score, 0.9) << c.name << ", ratio " << alternative.ratio;
    EXPECT_TRUE(track.octave.passed && !track.octave.anchored) << c.name;
  }
}

TEST(TrackEngineOrder, ExpectedSpeedsDecideBetweenASpeedAndItsDouble) {
  // A 4-cylinder at 1500-4000 rpm whose sound has only whole orders, strongest every fourth: just
  // what a 4-cylinder at twice the speed makes, so without expectations double speed wins.
  const SpeedLaw law{{0.0, 8.0}, {1500.0, 4000.0}, false};
  EngineVoice voice;
  voice.baseOrder = 1.0;
  for (std::int32_t order = 1; order <= 24; ++order) voice.amplitudes.push_back(order % 4 == 0 ? 4.0 / order : 0.3);
  voice.noise = 0.1;
  const std::vector<float> sound = EngineSound(law, voice, kRate, 8.0);

  const EngineTrack free = TrackEngineOrder(sound, kRate, Engine(4, 4));
  ASSERT_TRUE(free.ok) << free.failure;
  EXPECT_TRUE(test::IsClose(free.frames[200].rpm, 2.0 * law.RpmAt(free.frames[200].timeSeconds), 0.005));

  EngineOrderSettings expected = Engine(4, 4);
  expected.expectedStartRpm = 1500.0;
  expected.expectedEndRpm = 4000.0;
  const EngineTrack anchored = TrackEngineOrder(sound, kRate, expected);
  // Half the comb of the slower speed is empty in this sound, so fewer frames are confident.
  ExpectFollows(anchored, law, 8.0, 0.002, 0.05, "anchored", 0.3);
  EXPECT_TRUE(anchored.octave.anchored && anchored.octave.passed);
  EXPECT_NE(anchored.octave.verdict.find("as expected from 1500-4000 rpm"), std::string::npos)
      << anchored.octave.verdict;

  // Expectations no simple ratio of the track meets are refused, with the scores said.
  expected.expectedStartRpm = 500.0;
  expected.expectedEndRpm = 600.0;
  const EngineTrack unmet = TrackEngineOrder(sound, kRate, expected);
  EXPECT_FALSE(unmet.ok);
  EXPECT_NE(unmet.failure.find("the octave check failed: Half speed scores"), std::string::npos) << unmet.failure;
  EXPECT_NE(unmet.failure.find("500-600 rpm was expected and no simple ratio of the track fits"), std::string::npos)
      << unmet.failure;
}

// Voiced syllables of random pitch (90-250 Hz, harmonics shaped by three random formants) and
// random length, separated by short pauses: a pitch that jumps and stops as an engine's cannot.
std::vector<float> SpeechLike(double seconds, std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::normal_distribution<double> hiss(0.0, 0.01);
  std::vector<float> sound(static_cast<std::size_t>(seconds * kRate));
  std::size_t n = 0;
  while (n < sound.size()) {
    const auto syllable = static_cast<std::size_t>((0.12 + 0.23 * unit(random)) * kRate);
    const double pitch = 90.0 + 160.0 * unit(random);
    const double formants[] = {300.0 + 600.0 * unit(random), 900.0 + 1300.0 * unit(random), 2200.0 + 800 * unit(random)};
    double phase = 0.0;
    for (std::size_t k = 0; k < syllable && n < sound.size(); ++k, ++n) {
      phase += 2.0 * std::numbers::pi * pitch * (1.0 + 0.05 * static_cast<double>(k) / static_cast<double>(syllable)) / kRate;
      double value = 0.0;
      for (std::int32_t h = 1; pitch * h < 3500.0; ++h) {
        double gain = 0.0;
        for (const double formant : formants) gain += 1.0 / (1.0 + std::pow((pitch * h - formant) / 120.0, 2.0));
        value += gain * std::sin(h * phase);
      }
      sound[n] = static_cast<float>(value + hiss(random));
    }
    const auto pause = static_cast<std::size_t>((0.04 + 0.11 * unit(random)) * kRate);
    for (std::size_t k = 0; k < pause && n < sound.size(); ++k, ++n) sound[n] = static_cast<float>(hiss(random));
  }
  return sound;
}

// Single clicks (2 ms decaying bursts) at irregular times, at least 150 ms apart, over faint hiss.
std::vector<float> SparseClicks(double seconds, std::mt19937& random) {
  std::normal_distribution<double> hiss(0.0, 0.005);
  std::exponential_distribution<double> gap(1.0 / 0.35);
  std::vector<float> sound(static_cast<std::size_t>(seconds * kRate));
  for (float& sample : sound) sample = static_cast<float>(hiss(random));
  for (double t = 0.1; t < seconds - 0.01; t += 0.15 + gap(random))
    for (std::size_t k = 0; k < 16; ++k)
      sound[static_cast<std::size_t>(t * kRate) + k] += static_cast<float>(std::exp(-0.4 * static_cast<double>(k)) * (k % 2 ? -1.0 : 1.0));
  return sound;
}

TEST(TrackEngineOrder, RefusesSoundsWithoutAnEngine) {
  std::mt19937 random(7);
  std::normal_distribution<double> gauss(0.0, 1.0);
  std::vector<float> white(static_cast<std::size_t>(8.0 * kRate));
  for (float& sample : white) sample = static_cast<float>(gauss(random));
  struct Case {
    const char* name;
    std::vector<float> sound;
    const char* failure;
  };
  const Case cases[] = {
      {"silence", std::vector<float>(static_cast<std::size_t>(8.0 * kRate), 0.0f), "the recording is silent"},
      {"white noise", white, "no engine speed stands out in 600-9000 rpm"},
      {"speech-like", SpeechLike(8.0, random), "no engine speed stands out in 600-9000 rpm"},
      {"sparse clicks", SparseClicks(8.0, random), "no engine speed stands out in 600-9000 rpm"},
  };
  for (const Case& c : cases) {
    const EngineTrack track = TrackEngineOrder(c.sound, kRate, Engine(4, 4));
    EXPECT_FALSE(track.ok) << c.name;
    EXPECT_NE(track.failure.find(c.failure), std::string::npos) << c.name << ": " << track.failure;
    EXPECT_TRUE(track.frames.empty()) << c.name;
  }
}

// An expected start that no path can begin near (below the band) holds nothing: the speed is
// followed from wherever the sound puts it, and only the octave verdict weighs the expectation.
TEST(TrackEngineOrder, FollowsTheSoundWhereTheExpectedStartLiesOutsideTheBand) {
  const SpeedLaw law{{0.0, 2.0}, {3000.0, 3000.0}, false};
  const std::vector<float> sound = EngineSound(law, TypicalVoice(4, 4), kRate, 2.0);
  EngineOrderSettings settings;
  settings.lowRpm = 2000.0;
  settings.highRpm = 4000.0;
  settings.expectedStartRpm = 400.0;
  const EngineTrack track = TrackEngineOrder(sound, kRate, settings);
  ASSERT_FALSE(track.frames.empty()) << track.failure;
  EXPECT_NEAR(track.frames[track.frames.size() / 2].rpm, 3000.0, 6.0);
}

TEST(TrackEngineOrder, RefusesBadInputWithItsReason) {
  const SpeedLaw law{{0.0, 2.0}, {3000.0, 3000.0}, false};
  const std::vector<float> sound = EngineSound(law, TypicalVoice(4, 4), kRate, 2.0);
  std::vector<float> withNan = sound;
  withNan[1234] = std::numeric_limits<float>::quiet_NaN();
  std::vector<float> withInfinity = sound;
  withInfinity[5] = -std::numeric_limits<float>::infinity();
  const std::vector<float> short_(sound.begin(), sound.begin() + 4000);
  auto with = [](auto change) {
    EngineOrderSettings settings;
    change(settings);
    return settings;
  };
  struct Case {
    const std::vector<float>* samples;
    double rate;
    EngineOrderSettings settings;
    const char* failure;
  };
  const std::vector<float> empty;
  const Case cases[] = {
      {&empty, kRate, {}, "the recording is empty"},
      {&withNan, kRate, {}, "sample 1234 of the recording is not a finite number"},
      {&withInfinity, kRate, {}, "sample 5 of the recording is not a finite number"},
      {&short_, kRate, {}, "the recording lasts 0.50 s; at least 1 s is needed"},
      {&sound, 0.0, {}, "the sample rate 0 is outside 2000-768000 samples per second"},
      {&sound, std::numeric_limits<double>::quiet_NaN(), {}, "the sample rate nan is outside"},
      {&sound, 1e9, {}, "the sample rate 1e+09 is outside"},
      {&sound, kRate, with([](auto& s) { s.cylinders = 0; }), "the engine must have 1 to 16 cylinders, not 0"},
      {&sound, kRate, with([](auto& s) { s.cylinders = 17; }), "the engine must have 1 to 16 cylinders, not 17"},
      {&sound, kRate, with([](auto& s) { s.strokes = 3; }), "the engine must be a 2-stroke or a 4-stroke, not 3"},
      {&sound, kRate, with([](auto& s) { s.lowRpm = 50.0; }), "the speed band 50-9000 rpm must satisfy 100 <= low"},
      {&sound, kRate, with([](auto& s) { s.lowRpm = 9000.0; }), "the speed band 9000-9000 rpm must satisfy"},
      {&sound, kRate, with([](auto& s) { s.highRpm = 25000.0; }), "the speed band 600-25000 rpm must satisfy"},
      {&sound, kRate, with([](auto& s) { s.lowRpm = std::numeric_limits<double>::quiet_NaN(); }), "the speed band nan"},
      {&sound, kRate, with([](auto& s) { s.cylinders = 16, s.strokes = 2, s.highRpm = 20000.0; }),
       "the firing frequency at 20000 rpm (5333 Hz) is above half the sample rate (4000 Hz)"},
      {&sound, kRate, with([](auto& s) { s.expectedEndRpm = -1.0; }), "the expected start and end speeds must be 0"},
  };
  for (const Case& c : cases) {
    const EngineTrack track = TrackEngineOrder(*c.samples, c.rate, c.settings);
    EXPECT_FALSE(track.ok) << c.failure;
    EXPECT_EQ(track.failure.rfind(c.failure, 0), 0u) << "got: " << track.failure;
    EXPECT_TRUE(track.frames.empty()) << c.failure;
  }
}

TEST(TrackEngineOrder, GivesTheSameTrackBitForBitAtAnyScale) {
  const SpeedLaw law{{0.0, 4.0}, {2000.0, 4000.0}, false};
  std::vector<float> sound = EngineSound(law, TypicalVoice(4, 4), kRate, 4.0);
  const EngineTrack first = TrackEngineOrder(sound, kRate, Engine(4, 4));
  const EngineTrack again = TrackEngineOrder(sound, kRate, Engine(4, 4));
  // Scaling by a power of two is exact, so even the scale-free analysis must agree bit for bit.
  for (float& sample : sound) sample *= 1024.0f;
  const EngineTrack louder = TrackEngineOrder(sound, kRate, Engine(4, 4));
  ASSERT_TRUE(first.ok) << first.failure;
  for (const EngineTrack* other : {&again, &louder}) {
    ASSERT_EQ(other->frames.size(), first.frames.size());
    for (std::size_t f = 0; f < first.frames.size(); ++f) {
      EXPECT_EQ(other->frames[f].rpm, first.frames[f].rpm) << f;
      EXPECT_EQ(other->frames[f].revolutions, first.frames[f].revolutions) << f;
      EXPECT_EQ(other->frames[f].confidence, first.frames[f].confidence) << f;
    }
    EXPECT_EQ(other->octave.verdict, first.octave.verdict);
  }
}

}  // namespace
}  // namespace ruvo
