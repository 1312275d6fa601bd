#include "analysis/pulse_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/pulse_reference.h"

namespace ruvo {
namespace {

using test::LogFile;
using test::Mark;
using test::Printf;

constexpr std::uint8_t kMean = 128;
constexpr std::int32_t kRate = 10000;
constexpr std::int32_t kRoomy = 1000;  // pulse capacity that never fills in these tests

// 60 * 2 rev * 10000 samples/s / 1200 rpm = 1000 samples per spark; pulse length 1.25 * 0.2 * 1000.
constexpr std::int64_t kCycle = 1000;
PulseScanSettings Settings(double pulseFraction = 0.2, double noiseFactor = 1.0) {
  return {kRate, 1200, 2.0, pulseFraction, noiseFactor, 1.0};
}

// Deviations of one spark, sample by sample; its peak is 100, also the recording's amplitude.
const std::vector<int> kBurst{60, 100, 80, 40, 20};
constexpr int kBlip = 15;  // a small noise spike in the quiet stretch between sparks

void AddBurst(std::vector<Mark>& marks, std::int64_t at) {
  for (std::size_t i = 0; i < kBurst.size(); ++i) marks.push_back({at + static_cast<std::int64_t>(i), kBurst[i]});
}

// First and last sample of the burst above a threshold, as offsets from its start.
int FirstAbove(int threshold) {
  return static_cast<int>(std::find_if(kBurst.begin(), kBurst.end(), [&](int d) { return d > threshold; }) -
                          kBurst.begin());
}
int LastAbove(int threshold) {
  return static_cast<int>(kBurst.rend() -
                          std::find_if(kBurst.rbegin(), kBurst.rend(), [&](int d) { return d > threshold; })) -
         1;
}

// Sparks of an engine speeding up (spacing 1000 samples shrinking by 10 per spark) with some jitter,
// and a noise spike 500 samples after each.
struct Recording {
  std::vector<std::int64_t> bursts;
  std::vector<std::int64_t> blips;
  std::vector<std::uint8_t> samples;
};
Recording Accelerating(int sparks, int missing = -1, int missingBlip = 0) {
  const int jitter[7] = {0, 3, -2, 4, -3, 1, -4};
  Recording r;
  std::vector<Mark> marks;
  for (int i = 0; i < sparks; ++i) {
    const std::int64_t at = 100 + 1000 * i - 5 * i * i + jitter[i % 7];
    r.bursts.push_back(at);
    r.blips.push_back(at + 500);
    if (i == missing) {
      if (missingBlip != 0) marks.push_back({at + 2, missingBlip});
    } else {
      AddBurst(marks, at);
    }
    marks.push_back({at + 500, kBlip});
  }
  r.samples = test::MakeSamples(static_cast<std::size_t>(r.bursts.back() + 600), kMean, marks);
  return r;
}

std::string ScanBlock(int count,
                      int threshold,
                      const std::vector<std::int64_t>& starts,
                      const std::vector<std::int64_t>& ends) {
  std::string text = Printf("#Pulses: %i, Cutoff: %i", count, threshold);
  text += "\n#";
  for (int i = 0; i < count; ++i) text += Printf("%6i ", static_cast<int>(starts[static_cast<std::size_t>(i)]));
  text += "\n#";
  for (int i = 0; i < count; ++i) text += Printf("%6i ", static_cast<int>(ends[static_cast<std::size_t>(i)]));
  text += "\n#";
  for (int i = 0; i < count; ++i)
    text += Printf("%6i ", static_cast<int>(ends[static_cast<std::size_t>(i)] - starts[static_cast<std::size_t>(i)]));
  text += "\n#";
  for (int i = 1; i < count; ++i)
    text +=
        Printf("%6i ", static_cast<int>(starts[static_cast<std::size_t>(i)] - starts[static_cast<std::size_t>(i - 1)]));
  return text + "\n";
}

TEST(ScanPulses, GroupsSamplesAboveTheThresholdIntoPulses) {
  struct Case {
    const char* name;
    std::vector<Mark> marks;
    std::int32_t threshold;
    std::int32_t pulseLength;
    std::int32_t maxPulses;
    std::int32_t limit;
    std::int32_t count;
    std::vector<std::int32_t> starts;  // of every pulse begun (the last one is not counted)
    std::vector<std::int32_t> ends;
    std::vector<std::int32_t> peaks;
  };
  const std::vector<Case> cases{
      {"nothing above the threshold", {{5, 10}, {50, -10}}, 10, 5, 10, 100, -1, {}, {}, {}},
      {"a pulse at sample 0 begins pulse 0", {{0, 50}, {1, 70}}, 10, 5, 10, 100, 0, {0}, {1}, {1}},
      {"a quiet gap within the pulse length", {{10, 50}, {14, 30}}, 10, 5, 10, 100, 0, {10}, {14}, {10}},
      {"a gap beyond the pulse length", {{10, 50}, {16, 30}}, 10, 5, 10, 100, 1, {10, 16}, {10, 16}, {10, 16}},
      {"samples below the mean count",
       {{10, -50}, {12, -90}, {40, 20}},
       10,
       5,
       10,
       100,
       1,
       {10, 40},
       {12, 40},
       {12, 40}},
      {"equal peaks keep the first", {{10, 50}, {12, 50}}, 10, 5, 10, 100, 0, {10}, {12}, {10}},
      {"deviation equal to the threshold is not above it", {{10, 10}, {20, 11}}, 10, 5, 10, 100, 0, {20}, {20}, {20}},
      {"full arrays return the capacity", {{0, 50}, {20, 50}, {40, 50}}, 10, 5, 2, 100, 2, {0, 20}, {0, 20}, {0, 20}},
      {"a limit past the recording stops at its end",
       {{10, 50}, {99, 50}},
       10,
       5,
       10,
       5000,
       1,
       {10, 99},
       {10, 99},
       {10, 99}},
      {"the limit excludes later samples", {{10, 50}, {30, 50}}, 10, 5, 10, 20, 0, {10}, {10}, {10}},
  };
  for (const Case& c : cases) {
    LogFile log;
    const std::vector<std::uint8_t> samples = test::MakeSamples(100, kMean, c.marks);
    PulseScan scan(samples, kMean, 100, c.maxPulses, Settings(), log.Log());
    scan.SetThreshold(c.threshold);
    EXPECT_EQ(scan.ScanPulses(c.limit, c.pulseLength), c.count) << c.name;
    const DetectedPulses& pulses = scan.Pulses();
    for (std::size_t i = 0; i < c.starts.size(); ++i) {
      EXPECT_EQ(pulses.starts[i], c.starts[i]) << c.name << " pulse " << i;
      EXPECT_EQ(pulses.ends[i], c.ends[i]) << c.name << " pulse " << i;
      EXPECT_EQ(pulses.peakPositions[i], c.peaks[i]) << c.name << " pulse " << i;
    }
  }
}

// Sparks every 1000 samples with a noise spike of 15 between them. Amplitude 100 steps the threshold
// by 10 from 10 to 90. At 10 the spikes count as pulses (12 events in the six intervals, count 11);
// from 20 on only the 6 sparks do (count 5), a plateau from 20 to 90, so the cutoff is
// (3 * 20 + 90) / 4 = 37.
TEST(InitialScan, ClimbsToTheFirstPlateauAndLogsEveryThreshold) {
  std::vector<Mark> marks;
  std::vector<std::int64_t> sparks;
  for (int i = 0; i < 9; ++i) {
    sparks.push_back(100 + kCycle * i);
    AddBurst(marks, sparks.back());
    marks.push_back({sparks.back() + 500, kBlip});
  }
  const std::vector<std::uint8_t> samples = test::MakeSamples(9000, kMean, marks);
  LogFile log;
  PulseScan scan(samples, kMean, 100, kRoomy, Settings(), log.Log());
  test::MessageCapture messages;
  ASSERT_TRUE(scan.InitialScan());

  std::string expected = "#Initial Scan: cycle length 1000: pulse length 250\n";
  for (int threshold = 10; threshold <= 90; threshold += 10) {
    std::vector<std::int64_t> starts;
    std::vector<std::int64_t> ends;
    for (std::int64_t spark : sparks) {
      if (spark >= 6 * kCycle) break;
      starts.push_back(spark + FirstAbove(threshold));
      ends.push_back(spark + LastAbove(threshold));
      if (kBlip > threshold) {
        starts.push_back(spark + 500);
        ends.push_back(spark + 500);
      }
    }
    expected += ScanBlock(static_cast<int>(starts.size()) - 1, threshold, starts, ends);
  }
  expected += "#Cutoff: 37\n";
  EXPECT_EQ(log.Text(), expected);
  EXPECT_TRUE(messages.Texts().empty());

  const DetectedPulses& pulses = scan.Pulses();
  ASSERT_EQ(pulses.pulseCount, 5);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(pulses.starts[i], sparks[i] + FirstAbove(37));
    EXPECT_EQ(pulses.ends[i], sparks[i] + LastAbove(37));
    EXPECT_EQ(pulses.noiseLevels[i], 20) << "the plateau's lowest threshold";
    EXPECT_EQ(pulses.peakLevels[i], 90) << "the plateau's highest threshold";
  }
}

TEST(InitialScan, JudgesThePulseCountOfThePlateau) {
  const std::string tooFew = "Too few pulses in initial wave file scan - check Initial RPM?";
  struct Case {
    int sparks;
    bool succeeds;
    std::string message;  // empty: none
  };
  const std::vector<Case> cases{
      {0, false, tooFew},  // nothing passes any threshold: a plateau at -1
      {1, false, "Initial wave file scan failed - check Initial RPM, Pulse Duration?"},  // count 0 ends the search
      {2, false, tooFew},
      {4, true, tooFew},
      {5, true, ""},
      {13, true, ""},
      {14, true, "Too many pulses in initial wave file scan - check Initial RPM?"},
  };
  for (const Case& c : cases) {
    std::vector<Mark> marks;
    for (int i = 0; i < c.sparks; ++i) AddBurst(marks, 100 + 400 * i);  // 400 apart, beyond the pulse length
    const std::vector<std::uint8_t> samples = test::MakeSamples(7000, kMean, marks);
    LogFile log;
    PulseScan scan(samples, kMean, 100, kRoomy, Settings(), log.Log());
    test::MessageCapture messages;
    EXPECT_EQ(scan.InitialScan(), c.succeeds) << c.sparks << " sparks";
    const std::vector<std::string> expected =
        c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message};
    EXPECT_EQ(messages.Texts(), expected) << c.sparks << " sparks";
    if (c.sparks == 0) {
      EXPECT_NE(log.Text().find("#Pulses: -1, Cutoff: 10\n#\n#\n#\n#\n#Pulses: -1, Cutoff: 20\n"), std::string::npos);
    }
  }
}

TEST(InitialScan, EndsOnLoudAndOnShortRecordings) {
  {
    // Amplitude 255 steps by 25 up to 250; an 8-bit threshold would wrap to 19 and never end.
    std::vector<Mark> marks;
    for (int i = 0; i < 7; ++i) marks.push_back({100 + kCycle * i, 255});
    const std::vector<std::uint8_t> samples = test::MakeSamples(8000, 0, marks);
    LogFile log;
    PulseScan scan(samples, 0, 255, kRoomy, Settings(), log.Log());
    EXPECT_TRUE(scan.InitialScan());
    const std::string text = log.Text();
    EXPECT_NE(text.find("#Pulses: 5, Cutoff: 250\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("#Cutoff: 81\n")) << "(3 * 25 + 250) / 4";
  }
  {
    // Shorter than six spark intervals: the scan stops at the last sample.
    std::vector<Mark> marks;
    for (int i = 0; i < 3; ++i) AddBurst(marks, 100 + kCycle * i);
    const std::vector<std::uint8_t> samples = test::MakeSamples(2200, kMean, marks);
    LogFile log;
    PulseScan scan(samples, kMean, 100, kRoomy, Settings(), log.Log());
    test::MessageCapture messages;
    EXPECT_TRUE(scan.InitialScan());
    EXPECT_EQ(scan.Pulses().pulseCount, 2);
  }
}

// Independent account of the final scan over an Accelerating recording, whose windows each hold one
// spark and whose quiet stretches each hold one spike: predicted windows from a long-double
// least-squares fit, cutoffs from the means and spread of the recent levels, pulse edges from the
// burst shape.
struct ReferenceScan {
  std::string text;
  std::vector<std::int64_t> starts;
  std::vector<std::int64_t> ends;
};

int ReferenceCutoff(const std::vector<int>& noise, const std::vector<int>& peaks) {
  const std::size_t count = peaks.size();
  const std::size_t w = std::min<std::size_t>(count, 10);
  double noiseMean = 0;
  double peakMean = 0;
  int minPeak = 255;
  for (std::size_t i = count - w; i < count; ++i) {
    noiseMean += noise[i];
    peakMean += peaks[i];
    minPeak = std::min(minPeak, peaks[i]);
  }
  noiseMean /= static_cast<double>(w);
  peakMean /= static_cast<double>(w);
  double spread = 0;
  for (std::size_t i = count - w; i < count; ++i) spread += (peaks[i] - peakMean) * (peaks[i] - peakMean);
  const double peakCut = 0.8 * peakMean - std::sqrt(spread / static_cast<double>(w - 1));
  if (minPeak < std::trunc(noiseMean)) return 0;
  return static_cast<int>(std::max(peakCut, noiseMean));
}

std::int64_t ClearTrunc(long double value) {
  const long double fraction = value - std::floor(value);
  EXPECT_TRUE(fraction > 1e-6L && fraction < 1 - 1e-6L) << "test data too close to an integer: " << value;
  return static_cast<std::int64_t>(std::trunc(value));
}

ReferenceScan ReferenceFinalScan(const Recording& r, int initialCount, int initialCutoff, int first, int stable) {
  ReferenceScan out;
  out.text =
      "#Final:\n#  No.   Time    RPM  smaxq smaxp scut  imaxq    ip0     ip1    imax     ip2     ip3x    ip3  "
      "duration\n";
  std::vector<int> noise(static_cast<std::size_t>(initialCount), first);
  std::vector<int> peaks(static_cast<std::size_t>(initialCount), stable);
  for (int i = 0; i < initialCount; ++i) {
    out.starts.push_back(r.bursts[static_cast<std::size_t>(i)] + FirstAbove(initialCutoff));
    out.ends.push_back(r.bursts[static_cast<std::size_t>(i)] + LastAbove(initialCutoff));
  }
  const auto length = static_cast<std::int64_t>(r.samples.size());
  double early = -10.0;
  double late = -10.0;
  std::int64_t quietPeak = 0;
  for (int n = initialCount;; ++n) {
    const auto k = static_cast<std::size_t>(n - 1);
    const int m = std::min(n, 8);
    std::vector<long double> x;
    std::vector<long double> y;
    long double durations = 0;
    for (int i = n - m; i < n; ++i) {
      x.push_back(i - n);
      y.push_back(static_cast<long double>(out.starts[static_cast<std::size_t>(i)]));
      durations +=
          static_cast<long double>(out.ends[static_cast<std::size_t>(i)] - out.starts[static_cast<std::size_t>(i)]);
    }
    const test::PolynomialFit fit = test::ReferenceFit(x, y, n >= 5 ? 3 : 2);
    const std::int64_t s = ClearTrunc(fit.c0 - 3 * fit.sigma);
    const std::int64_t e = ClearTrunc(fit.c0 + 3 * fit.sigma + durations / (m - 1));
    const auto margin = static_cast<std::int64_t>(static_cast<double>(out.starts[k] - out.starts[k - 1]) * 0.2);
    const std::int64_t windowStart = std::max(s - margin, out.ends[k] + 1);
    const std::int64_t windowEnd = e + margin;
    if (windowStart >= length) break;
    const std::int64_t blip = r.blips[k];
    EXPECT_TRUE(blip >= out.starts[k] + margin && blip < windowStart) << "spike outside the quiet stretch";
    if (kBlip > noise[k]) {
      noise[k] = kBlip;
      quietPeak = blip;
    }
    const int cutoff = ReferenceCutoff(noise, peaks);
    if (windowEnd >= length) break;
    const std::int64_t spark = r.bursts[static_cast<std::size_t>(n)];
    EXPECT_TRUE(spark >= windowStart && spark + 4 < windowEnd) << "spark " << n << " outside its window";
    const std::int64_t start = spark + FirstAbove(cutoff);
    const std::int64_t end = spark + LastAbove(cutoff);
    out.text += Printf(
        "#%5i %7.3f %6.0f %4i %5i %4i %7i %7i %7i %7i %7i %7i %7i %5i %6.3f\n", n, static_cast<double>(start) / kRate,
        120.0 * kRate / static_cast<double>(start - out.starts[k]), noise[k], 100, cutoff, static_cast<int>(quietPeak),
        static_cast<int>(windowStart), static_cast<int>(start), static_cast<int>(spark + 1), static_cast<int>(end),
        static_cast<int>(start + margin), static_cast<int>(windowEnd), static_cast<int>(end - start), cutoff / 100.0);
    early = std::max(early, static_cast<double>(s - start) / static_cast<double>(margin));
    late = std::max(late, static_cast<double>(end - e) / static_cast<double>(margin));
    out.starts.push_back(start);
    out.ends.push_back(end);
    noise.push_back(0);
    peaks.push_back(100);
  }
  out.text += Printf("#Pulse factors: %f %f\n", early, late);
  return out;
}

// The initial scan of an Accelerating recording sees seven sparks in its six intervals (count 6) and
// the same plateau as above: cutoff 37, noise 20, peak 90.
TEST(FinalScan, FollowsEverySparkToTheEndAndLogsEachWindow) {
  const Recording r = Accelerating(20);
  LogFile log;
  PulseScan scan(r.samples, kMean, 100, kRoomy, Settings(), log.Log());
  test::MessageCapture messages;
  ASSERT_TRUE(scan.InitialScan());
  ASSERT_EQ(scan.Pulses().pulseCount, 6);
  ASSERT_TRUE(scan.FinalScan());

  const ReferenceScan reference = ReferenceFinalScan(r, 6, 37, 20, 90);
  const std::string text = log.Text();
  const std::size_t final = text.find("#Final:\n");
  ASSERT_NE(final, std::string::npos);
  EXPECT_EQ(text.substr(final), reference.text);
  EXPECT_TRUE(messages.Texts().empty());

  // Every spark but the last one found is kept, at the sample where it passes the cutoff.
  const DetectedPulses& pulses = scan.Pulses();
  ASSERT_EQ(pulses.pulseCount, static_cast<std::int32_t>(reference.starts.size()) - 1);
  EXPECT_EQ(pulses.pulseCount, 19);
  for (std::size_t i = 0; i < static_cast<std::size_t>(pulses.pulseCount); ++i) {
    EXPECT_EQ(pulses.starts[i], reference.starts[i]) << "pulse " << i;
    EXPECT_EQ(pulses.ends[i], reference.ends[i]) << "pulse " << i;
    EXPECT_NEAR(static_cast<double>(pulses.starts[i]), static_cast<double>(r.bursts[i]), 4.0) << "pulse " << i;
  }
}

TEST(FinalScan, StopsWithEveryPulseWhenTheArraysAreFull) {
  const Recording r = Accelerating(20);
  LogFile log;
  PulseScan scan(r.samples, kMean, 100, 10, Settings(), log.Log());
  ASSERT_TRUE(scan.InitialScan());
  ASSERT_TRUE(scan.FinalScan());
  EXPECT_EQ(scan.Pulses().pulseCount, 10);
  const std::string text = log.Text();
  EXPECT_EQ(text.find("#Pulse factors"), std::string::npos);
  EXPECT_NE(text.find("\n#    9 "), std::string::npos);
  EXPECT_EQ(text.find("\n#   10 "), std::string::npos);
}

// Fields of one final-scan row: ip0 (window start), ip1 (start), ip2 (end), smaxp (window peak).
struct Row {
  int windowStart = -1;
  int start = -1;
  int end = -1;
  int peak = -1;
};
Row FindRow(const std::string& text, int pulse) {
  Row row;
  const std::size_t at = text.find(Printf("\n#%5i ", pulse));
  if (at == std::string::npos) return row;
  double time = 0;
  double rpm = 0;
  int number = 0;
  int noise = 0;
  int cut = 0;
  int quiet = 0;
  std::sscanf(text.c_str() + at + 1, "#%i %lf %lf %i %i %i %i %i %i", &number, &time, &rpm, &noise, &row.peak, &cut,
              &quiet, &row.windowStart, &row.start);
  int imax = 0;
  std::sscanf(text.c_str() + at + 1, "#%*i %*f %*f %*i %*i %*i %*i %*i %*i %i %i", &imax, &row.end);
  return row;
}

TEST(FinalScan, PlacesAMissingSparkAtItsWindowsLargestDeviation) {
  {
    // A weak spike (30, below the cutoff) where spark 10 should be: the pulse goes there and the
    // scan goes on to the next spark.
    const Recording r = Accelerating(20, 10, 30);
    LogFile log;
    PulseScan scan(r.samples, kMean, 100, kRoomy, Settings(), log.Log());
    test::MessageCapture messages;
    ASSERT_TRUE(scan.InitialScan());
    ASSERT_TRUE(scan.FinalScan());
    const Row row = FindRow(log.Text(), 10);
    const auto spike = static_cast<int>(r.bursts[10] + 2);
    EXPECT_EQ(row.start, spike);
    EXPECT_EQ(row.end, spike);
    EXPECT_EQ(row.peak, 30);
    EXPECT_EQ(scan.Pulses().starts[10], spike);
    EXPECT_GE(scan.Pulses().starts[11], r.bursts[11]) << "the next spark is found";
    EXPECT_LE(scan.Pulses().starts[11], r.bursts[11] + 4) << "the next spark is found";
    EXPECT_TRUE(messages.Texts().empty());
  }
  {
    // Silence: the pulse goes to the window's first sample; its peak of 0 no longer stands out of
    // the noise, so the scan ends at the next window and drops it.
    const Recording r = Accelerating(20, 10, 0);
    LogFile log;
    PulseScan scan(r.samples, kMean, 100, kRoomy, Settings(), log.Log());
    test::MessageCapture messages;
    ASSERT_TRUE(scan.InitialScan());
    ASSERT_TRUE(scan.FinalScan());
    const Row row = FindRow(log.Text(), 10);
    ASSERT_GT(row.windowStart, r.bursts[9]);
    EXPECT_EQ(row.start, row.windowStart);
    EXPECT_EQ(row.end, row.windowStart);
    EXPECT_EQ(row.peak, 0);
    EXPECT_EQ(scan.Pulses().pulseCount, 10);
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"Incomplete wave file scan weak pulse or noise - check Pulse Duration"});
  }
}

TEST(FinalScan, NoiseAboveThePeaksEndsTheScanWithAMessage) {
  const Recording r = Accelerating(20);
  LogFile log;
  PulseScan scan(r.samples, kMean, 100, kRoomy, Settings(0.2, 10.0), log.Log());  // noise 20 counts as 200
  ASSERT_TRUE(scan.InitialScan());
  test::MessageCapture messages;
  EXPECT_TRUE(scan.FinalScan()) << "the five pulses left are enough";
  EXPECT_EQ(scan.Pulses().pulseCount, 5);
  EXPECT_EQ(messages.Texts(),
            std::vector<std::string>{"Incomplete wave file scan weak pulse or noise - check Pulse Duration"});
  const std::string text = log.Text();
  EXPECT_EQ(text.substr(text.find("#Final:\n")),
            "#Final:\n#  No.   Time    RPM  smaxq smaxp scut  imaxq    ip0     ip1    imax     ip2     ip3x    ip3  "
            "duration\n#Pulse factors: -10.000000 -10.000000\n");
}

// Long pulses and a wide margin: the predicted window would begin inside the pulse just found and
// find it again. It begins after that pulse's last sample instead, so every spark is found once.
TEST(FinalScan, NeverFindsThePulseJustFoundAgain) {
  std::vector<Mark> marks;
  std::vector<std::int64_t> sparks;
  for (int i = 0; i < 12; ++i) {
    sparks.push_back(100 + 1000 * i);
    for (int j = 0; j < 300; ++j) marks.push_back({sparks.back() + j, 100});
  }
  const std::vector<std::uint8_t> samples = test::MakeSamples(11700, kMean, marks);
  // Initial RPM 1500: cycle 800 and pulse length 1.25 * 0.9 * 800 = 900 keep the initial pulses apart.
  const PulseScanSettings settings{kRate, 1500, 2.0, 0.9, 1.0, 1.0};
  LogFile log;
  PulseScan scan(samples, kMean, 100, kRoomy, settings, log.Log());
  ASSERT_TRUE(scan.InitialScan());
  ASSERT_TRUE(scan.FinalScan());
  const DetectedPulses& pulses = scan.Pulses();
  ASSERT_GE(pulses.pulseCount, 10);
  for (std::size_t i = 0; i < static_cast<std::size_t>(pulses.pulseCount); ++i) {
    EXPECT_EQ(pulses.starts[i], sparks[i]) << "pulse " << i;
    EXPECT_EQ(pulses.ends[i], sparks[i] + 299) << "pulse " << i;
  }
  EXPECT_EQ(log.Text().find("inf"), std::string::npos);
}

TEST(FinalScan, AnEmptyWindowEndsTheScan) {
  // A negative pulse duration turns every window inside out.
  std::vector<Mark> marks;
  for (int i = 0; i < 12; ++i) marks.push_back({100 + 1000 * i, 100});
  const std::vector<std::uint8_t> samples = test::MakeSamples(11700, kMean, marks);
  LogFile log;
  PulseScan scan(samples, kMean, 100, kRoomy, Settings(-0.5), log.Log());
  ASSERT_TRUE(scan.InitialScan());
  ASSERT_EQ(scan.Pulses().pulseCount, 5);
  EXPECT_TRUE(scan.FinalScan());
  EXPECT_EQ(scan.Pulses().pulseCount, 4);
  const std::string text = log.Text();
  EXPECT_TRUE(
      text.ends_with("#Final:\n#  No.   Time    RPM  smaxq smaxp scut  imaxq    ip0     ip1    imax     ip2     "
                     "ip3x    ip3  duration\n#Pulse factors: -10.000000 -10.000000\n"));
}

}  // namespace
}  // namespace ruvo
