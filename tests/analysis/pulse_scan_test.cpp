#include "analysis/pulse_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/pulse_reference.h"

namespace ruvo {
namespace {

using test::Mark;
using test::Printf;

constexpr std::uint8_t kMean = 128;
constexpr int kRate = 10000;
// 60 * 2 rev * 10000 samples/s / 1200 rpm = 1000 samples per spark; pulse length 1.25 * 0.2 * 1000.
PulseScanSettings Settings(double pulseFraction = 0.2, double noiseFactor = 1.0, std::int32_t initialRpm = 1200) {
  return {kRate, initialRpm, 2.0, pulseFraction, noiseFactor, 1.0};
}
const std::string kIncomplete = "Incomplete wave file scan weak pulse or noise - check Pulse Duration";
const std::string kFinalHead =
    "#Final:\n#  No.   Time    RPM  smaxq smaxp scut  imaxq    ip0     ip1    imax     ip2     ip3x    ip3  duration\n";

// Deviations of one spark, sample by sample; its peak of 100 is the recording's amplitude.
const std::vector<int> kBurst{60, 100, 80, 40, 20};
constexpr int kBlip = 15;  // a small noise spike in the quiet stretch after each spark

void AddBurst(std::vector<Mark>& marks, int at, const std::vector<int>& burst = kBurst) {
  for (std::size_t i = 0; i < burst.size(); ++i) marks.push_back({at + static_cast<int>(i), burst[i]});
}
// First and last sample of the burst above a threshold, as offsets from its start.
int FirstAbove(int threshold) {
  return static_cast<int>(std::ranges::find_if(kBurst, [&](int d) { return d > threshold; }) - kBurst.begin());
}
int LastAbove(int threshold) {
  const auto last = std::find_if(kBurst.rbegin(), kBurst.rend(), [&](int d) { return d > threshold; });
  return static_cast<int>(kBurst.rend() - last) - 1;
}

// An engine speeding up (spacing 1000 samples shrinking by 10 per spark, with jitter) and a
// spike 500 samples after each spark. Spark `missing` leaves only a spike of missingLevel (0: none).
struct Recording {
  std::vector<int> sparks;
  std::vector<std::uint8_t> samples;
};
Recording Accelerating(int count, int missing = -1, int missingLevel = 0) {
  const int jitter[7] = {0, 3, -2, 4, -3, 1, -4};
  Recording r;
  std::vector<Mark> marks;
  for (int i = 0; i < count; ++i) {
    r.sparks.push_back(100 + 1000 * i - 5 * i * i + jitter[i % 7]);
    if (i != missing) AddBurst(marks, r.sparks.back());
    if (i == missing && missingLevel != 0) marks.push_back({r.sparks.back() + 2, missingLevel});
    marks.push_back({r.sparks.back() + 500, kBlip});
  }
  r.samples = test::MakeSamples(static_cast<std::size_t>(r.sparks.back() + 600), kMean, marks);
  return r;
}

// A scan over the given samples with its own log.
struct Scan {
  Scan(std::vector<std::uint8_t> bytes,
       PulseScanSettings settings = Settings(),
       std::int32_t maxPulses = 1000,
       std::uint8_t mean = kMean,
       std::uint8_t amplitude = 100)
      : samples(std::move(bytes)), scan(samples, mean, amplitude, maxPulses, settings, log.Log()) {}
  bool Run() { return scan.InitialScan(said) && scan.FinalScan(said); }
  test::LogFile log;
  Outcome said;  // the scans' messages
  std::vector<std::uint8_t> samples;
  PulseScan scan;
  const DetectedPulses& pulses = scan.Pulses();
};

TEST(ScanPulses, GroupsSamplesAboveTheThresholdIntoPulses) {
  using Positions = std::vector<std::int32_t>;
  // Marks, maxPulses, limit, count; starts, ends and peaks of every pulse begun (the last is not counted).
  const std::vector<std::tuple<const char*, std::vector<Mark>, std::int32_t, std::int32_t, std::int32_t, Positions,
                               Positions, Positions>>
      cases{
          {"a pulse at sample 0", {{0, 50}, {1, 70}}, 10, 100, 0, {0}, {1}, {1}},
          {"a quiet gap within the pulse length", {{10, 50}, {14, 30}}, 10, 100, 0, {10}, {14}, {10}},
          {"a gap beyond it", {{10, 50}, {16, 30}, {19, 60}}, 10, 100, 1, {10, 16}, {10, 19}, {10, 19}},
          {"below the mean", {{10, -50}, {12, -90}, {40, 20}}, 10, 100, 1, {10, 40}, {12, 40}, {12, 40}},
          {"full arrays", {{0, 50}, {20, 50}, {40, 50}}, 2, 100, 2, {0, 20}, {0, 20}, {0, 20}},
          {"a limit past the end", {{10, 50}, {99, 50}}, 10, 5000, 1, {10, 99}, {10, 99}, {10, 99}},
      };
  for (const auto& [name, marks, maxPulses, limit, count, starts, ends, peaks] : cases) {
    Scan s(test::MakeSamples(100, kMean, marks), Settings(), maxPulses);
    s.scan.SetThreshold(10);  // a deviation of exactly 10 is not above it
    EXPECT_EQ(s.scan.ScanPulses(limit, 5), count) << name;
    const auto begun = [&](const Positions& v) { return Positions(v.begin(), v.begin() + std::ssize(starts)); };
    EXPECT_EQ(std::tuple(begun(s.pulses.starts), begun(s.pulses.ends), begun(s.pulses.peakPositions)),
              std::tuple(starts, ends, peaks))
        << name;
  }
}

// Sparks every 1000 samples with a spike of 15 after each. Amplitude 100 steps the threshold by 10
// from 10 to 90. At 10 the spikes count too (12 events in six intervals: count 11); from 20 on only
// the sparks (count 5): a plateau from 20 to 90 and a cutoff of (3 * 20 + 90) / 4 = 37.
TEST(InitialScan, ClimbsToTheFirstPlateauAndLogsEveryThreshold) {
  std::vector<Mark> marks;
  for (int i = 0; i < 9; ++i) AddBurst(marks, 100 + 1000 * i), marks.push_back({600 + 1000 * i, kBlip});
  Scan s(test::MakeSamples(9000, kMean, marks));
  ASSERT_TRUE(s.scan.InitialScan(s.said));

  std::string expected = "#Initial Scan: cycle length 1000: pulse length 250\n";
  for (int threshold = 10; threshold <= 90; threshold += 10) {
    std::vector<int> starts, ends;
    for (int spark = 100; spark < 6000; spark += 1000) {
      starts.push_back(spark + FirstAbove(threshold));
      ends.push_back(spark + LastAbove(threshold));
      if (kBlip > threshold) starts.push_back(spark + 500), ends.push_back(spark + 500);
    }
    const std::size_t count = starts.size() - 1;
    std::string lines[4];
    for (std::size_t i = 0; i < count; ++i) {
      lines[0] += Printf("%6i ", starts[i]);
      lines[1] += Printf("%6i ", ends[i]);
      lines[2] += Printf("%6i ", ends[i] - starts[i]);
      if (i > 0) lines[3] += Printf("%6i ", starts[i] - starts[i - 1]);
    }
    expected += Printf("#Pulses: %zu, Cutoff: %i\n#", count, threshold) + lines[0] + "\n#" + lines[1] + "\n#" +
                lines[2] + "\n#" + lines[3] + "\n";
  }
  EXPECT_EQ(s.log.Text(), expected + "#Cutoff: 37\n");
  // The pulses found at the cutoff are checked with the final scan, which starts from them.
  EXPECT_TRUE(s.said.messages().empty() && s.pulses.pulseCount == 5);
}

TEST(InitialScan, JudgesThePulseCountOfThePlateau) {
  const std::string tooFew = "Too few pulses in initial wave file scan - check Initial RPM?";
  // Sparks; whether the scan succeeds; its messages. No spark passes any threshold: a plateau at -1;
  // one gives count 0, which ends the search.
  const std::vector<std::tuple<int, bool, std::vector<std::string>>> cases{
      {0, false, {tooFew}},
      {1, false, {"Initial wave file scan failed - check Initial RPM, Pulse Duration?"}},
      {2, false, {tooFew}},
      {4, true, {tooFew}},
      {5, true, {}},
      {13, true, {}},
      {14, true, {"Too many pulses in initial wave file scan - check Initial RPM?"}},
  };
  for (const auto& [sparks, succeeds, texts] : cases) {
    std::vector<Mark> marks;
    for (int i = 0; i < sparks; ++i) AddBurst(marks, 100 + 400 * i);  // 400 apart, beyond the pulse length
    Scan s(test::MakeSamples(7000, kMean, marks));
    EXPECT_EQ(std::pair(s.scan.InitialScan(s.said), s.said.messages()), std::pair(succeeds, texts))
        << sparks << " sparks";
    EXPECT_TRUE(sparks != 0 ||
                s.log.Text().starts_with("#Initial Scan: cycle length 1000: pulse length 250\n"
                                         "#Pulses: -1, Cutoff: 10\n#\n#\n#\n#\n#Pulses: -1, Cutoff: 20\n"));
  }
}

TEST(InitialScan, EndsOnLoudRecordings) {
  // Amplitude 255 steps by 25 up to 250, where an 8-bit threshold would wrap to 19 and go on.
  std::vector<Mark> marks;
  for (int i = 0; i < 7; ++i) marks.push_back({100 + 1000 * i, 255});
  Scan loud(test::MakeSamples(8000, 0, marks), Settings(), 1000, 0, 255);
  EXPECT_TRUE(loud.scan.InitialScan(loud.said));
  const std::string text = loud.log.Text();  // cutoff (3 * 25 + 250) / 4
  EXPECT_TRUE(text.find("#Pulses: 5, Cutoff: 250\n") != std::string::npos && text.ends_with("#Cutoff: 81\n")) << text;
}

// Independent account of the final scan over an Accelerating recording, each of whose windows holds
// one spark and each quiet stretch one spike: windows from a long-double least-squares fit, cutoffs
// from the mean and spread of the recent levels, pulse edges from the burst shape.
struct Reference {
  std::string text = kFinalHead;
  std::vector<int> starts, ends, noise, peaks;
};
Reference ReferenceFinalScan(const Recording& r) {
  Reference out;
  // What the initial scan leaves: cutoff 37 on the plateau 20 to 90.
  out.noise.assign(6, 20), out.peaks.assign(6, 90);
  for (std::size_t i = 0; i < 6; ++i)
    out.starts.push_back(r.sparks[i] + FirstAbove(37)), out.ends.push_back(r.sparks[i] + LastAbove(37));
  const auto length = std::ssize(r.samples);
  double early = -10.0, late = -10.0;
  int quietPeak = 0;
  for (std::size_t n = 6;; ++n) {
    const std::size_t k = n - 1, m = std::min<std::size_t>(n, 8);
    std::vector<long double> x, y;
    long double durations = 0;
    for (std::size_t i = n - m; i < n; ++i) {
      x.push_back(static_cast<long double>(i) - static_cast<long double>(n));
      y.push_back(out.starts[i]);
      durations += out.ends[i] - out.starts[i];
    }
    const auto [c0, sigma] = test::ReferenceFit(x, y, 3);
    const auto s = static_cast<int>(std::trunc(c0 - 3 * sigma));
    const auto e = static_cast<int>(std::trunc(c0 + 3 * sigma + durations / static_cast<long double>(m - 1)));
    const auto margin = static_cast<int>((out.starts[k] - out.starts[k - 1]) * 0.2);
    const int windowStart = std::max(s - margin, out.ends[k] + 1), windowEnd = e + margin;
    if (windowStart >= length) break;
    if (kBlip > out.noise[k]) out.noise[k] = kBlip, quietPeak = r.sparks[k] + 500;

    const auto w = std::min<std::ptrdiff_t>(std::ssize(out.noise), 10);
    const double noiseMean = std::accumulate(out.noise.end() - w, out.noise.end(), 0.0) / double(w);
    const double peakMean = std::accumulate(out.peaks.end() - w, out.peaks.end(), 0.0) / double(w);
    double spread = 0;
    for (auto i = out.peaks.end() - w; i != out.peaks.end(); ++i) spread += (*i - peakMean) * (*i - peakMean);
    const auto cutoff = static_cast<int>(std::max(0.8 * peakMean - std::sqrt(spread / double(w - 1)), noiseMean));
    if (windowEnd >= length) break;

    const int spark = r.sparks[n];
    EXPECT_TRUE(spark >= windowStart && spark + 4 < windowEnd) << "spark " << n << " outside its window";
    const int start = spark + FirstAbove(cutoff), end = spark + LastAbove(cutoff);
    out.text +=
        Printf("#%5zu %7.3f %6.0f %4i %5i %4i %7i %7i %7i %7i %7i %7i %7i %5i %6.3f\n", n, start / double(kRate),
               120.0 * kRate / (start - out.starts[k]), out.noise[k], 100, cutoff, quietPeak, windowStart, start,
               spark + 1, end, start + margin, windowEnd, end - start, cutoff / 100.0);
    early = std::max(early, double(s - start) / margin);
    late = std::max(late, double(end - e) / margin);
    out.starts.push_back(start), out.ends.push_back(end);
    out.noise.push_back(0), out.peaks.push_back(100);
  }
  out.text += Printf("#Pulse factors: %f %f\n", early, late);
  return out;
}

TEST(FinalScan, FollowsEverySparkToTheEndOrTheArraysLimitAndLogsEachWindow) {
  const Recording r = Accelerating(20);
  Scan s(r.samples);
  ASSERT_TRUE(s.scan.InitialScan(s.said));
  ASSERT_EQ(s.pulses.pulseCount, 6) << "seven sparks in the first six intervals";
  ASSERT_TRUE(s.scan.FinalScan(s.said));

  const Reference reference = ReferenceFinalScan(r);
  const std::string text = s.log.Text();
  EXPECT_EQ(text.substr(text.find("#Final:\n")), reference.text);
  EXPECT_TRUE(s.said.messages().empty());
  // Every spark but the last one found is kept, where it passes the cutoff.
  ASSERT_EQ(s.pulses.pulseCount, 19);
  EXPECT_TRUE(std::equal(reference.starts.begin(), reference.starts.begin() + 19, s.pulses.starts.begin()) &&
              std::equal(reference.ends.begin(), reference.ends.begin() + 19, s.pulses.ends.begin()));

  // With room for ten pulses the scan stops when the arrays are full, keeping all ten.
  Scan full(r.samples, Settings(), 10);
  ASSERT_TRUE(full.Run());
  const std::string fullText = full.log.Text();  // windows up to pulse 9, and no closing line
  EXPECT_TRUE(full.pulses.pulseCount == 10 && fullText.find("\n#    9 ") != std::string::npos &&
              fullText.find("\n#   10 ") == std::string::npos && fullText.find("#Pulse factors") == std::string::npos);
}

TEST(FinalScan, PlacesAMissingSparkAtItsWindowsLargestDeviation) {
  for (const int spike : {30, 0}) {  // a weak spike below the cutoff, or silence
    const Recording r = Accelerating(20, 10, spike);
    Scan s(r.samples);
    ASSERT_TRUE(s.Run());
    const std::int32_t* starts = s.pulses.starts.data();
    EXPECT_EQ(std::pair(starts[10], int{s.pulses.peakLevels[10]}), std::pair(s.pulses.ends[10], spike)) << spike;
    EXPECT_EQ(s.said.messages(), spike != 0 ? std::vector<std::string>{} : std::vector{kIncomplete});
    // With a spike, at it, and the scan goes on. Without, at the window's first sample, after spark 9;
    // a peak of 0 does not stand out of the noise, so the scan ends at the next window and drops it.
    EXPECT_TRUE(spike != 0
                    ? starts[10] == r.sparks[10] + 2 && starts[11] >= r.sparks[11] && starts[11] <= r.sparks[11] + 4
                    : starts[10] > s.pulses.ends[9] && starts[10] < r.sparks[10] && s.pulses.pulseCount == 10)
        << spike;
  }
}

// Noise factor 10 makes the noise of 20 count as 200, above any cutoff: the first window ends the scan.
TEST(FinalScan, EndsAtTheFirstWindowWhenTheNoiseRulesItOut) {
  Scan s(Accelerating(20).samples, Settings(0.2, 10.0));
  ASSERT_TRUE(s.scan.InitialScan(s.said));
  EXPECT_TRUE(s.scan.FinalScan(s.said));
  EXPECT_EQ(std::pair(s.pulses.pulseCount, s.said.messages()), std::pair(5, std::vector{kIncomplete}));
  EXPECT_TRUE(s.log.Text().ends_with(kFinalHead + "#Pulse factors: -10.000000 -10.000000\n"));
}

// Long pulses and a wide margin: the predicted window would begin inside the pulse just found and
// find it again. It begins after that pulse's last sample, so every spark is found once.
TEST(FinalScan, NeverFindsThePulseJustFoundAgain) {
  std::vector<Mark> marks;
  for (int i = 0; i < 12; ++i) AddBurst(marks, 100 + 1000 * i, std::vector<int>(300, 100));
  // Initial RPM 1500: cycle 800, pulse length 1.25 * 0.9 * 800 = 900 keeps the initial pulses apart.
  Scan s(test::MakeSamples(11700, kMean, marks), Settings(0.9, 1.0, 1500));
  ASSERT_TRUE(s.Run());
  ASSERT_EQ(s.pulses.pulseCount, 10);
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(std::pair(s.pulses.starts[i], s.pulses.ends[i]), std::pair(100 + 1000 * i, 399 + 1000 * i)) << i;
}

}  // namespace
}  // namespace ruvo
