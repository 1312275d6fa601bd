#include "analysis/pulse_timeline.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/pulse_reference.h"

namespace ruvo {
namespace {

using test::Printf;

TEST(ComputePulseTimes, TakesTheConfiguredSampleOfEachPulse) {
  const std::vector<std::int32_t> starts{800, 4000};
  const std::vector<std::int32_t> ends{809, 4000};  // the second pulse was placed without a crossing
  const std::vector<std::int32_t> peaks{803, 4000};
  struct Case {
    std::int32_t reference;
    double first;  // seconds at 8000 samples/s
  };
  for (const Case& c : {Case{1, 0.1}, Case{2, 803 / 8000.0}, Case{0, 1609 / 16000.0}, Case{7, 1609 / 16000.0}}) {
    std::vector<double> times(2, -1.0);
    ComputePulseTimes(starts, ends, peaks, 8000, c.reference, times);
    EXPECT_DOUBLE_EQ(times[0], c.first) << "timeReference " << c.reference;
    EXPECT_EQ(times[1], 0.5) << "timeReference " << c.reference << ": exactly the placed pulse's sample";
  }
}

TEST(RunUpRange, KeepsTheAccelerationFromTheInitialTowardsTheFinalRpm) {
  struct Case {
    const char* name;
    std::vector<double> rpm;  // rpm[0] is never read
    std::int32_t initialRpm;
    std::int32_t finalRpm;  // with rise tolerance 0.002
    TimelineRange expected;
  };
  const std::vector<Case> cases{
      {"never above the initial rpm: the last pulse alone", {-1, 900, 950, 990, 1000}, 1000, 6000, {4, 1}},
      {"above at pulse 1: starts at pulse 0", {-1, 1100, 1200, 1300}, 1000, 6000, {0, 4}},
      // tolerance (6000 - 1000) * 0.002 = 10
      {"a dip of exactly the tolerance goes on", {-1, 900, 1100, 1200, 1190, 1300}, 1000, 6000, {1, 5}},
      {"a deeper dip ends at the highest speed", {-1, 900, 1100, 1200, 1189.99, 1300}, 1000, 6000, {1, 3}},
      {"a dip right after the start leaves one pulse", {-1, 900, 1100, 1080, 1300}, 1000, 6000, {1, 1}},
      // tolerance 2: 1999 + 2 passes 2000, but 1999 is a new maximum and stays
      {"within the tolerance of the final rpm", {-1, 1500, 1990, 1997, 1999, 2005}, 1000, 2000, {0, 5}},
      // tolerance -0.2: the first speed checked is already too far below itself
      {"final rpm below the initial rpm", {-1, 1100, 1200}, 1000, 900, {0, 1}},
      {"a single pulse", {-1}, 1000, 6000, {0, 1}},
  };
  for (const Case& c : cases) {
    const TimelineRange range = RunUpRange(c.rpm, c.initialRpm, c.finalRpm, 0.002);
    EXPECT_EQ(range.firstIndex, c.expected.firstIndex) << c.name;
    EXPECT_EQ(range.count, c.expected.count) << c.name;
  }
}

const std::string kDerivativesHead =
    "#Final Derivatives:\nVariables =\n  \"Time\"   \"Revs\" \"RevFit\" \"RevDif\" \"RPM\"  \"RPMFit\" \"RPMDif\" "
    "\"d2RdtFit\"\n";

std::string Row(double time, double revs, double revFit, double rpm, double rpmFit, double accel) {
  return Printf("%7.3f %8.3f %8.3f %8.5f %7.1f %8.1f %9.3f %10.5f\n", time, revs, revFit, revs - revFit, rpm, rpmFit,
                rpm - rpmFit, accel);
}

TEST(FinalDerivativesText, ComparesMeasuredAndFittedSpeedsOverTheTimeline) {
  // Five pulses, two revolutions apart; the timeline keeps pulses 1 to 3.
  const std::vector<double> times{0.0, 0.1, 0.25, 0.45, 0.6};
  const std::vector<double> revs{10.0, 12.0, 14.0, 16.0, 18.0};
  const std::vector<double> revFit{12.01, 13.98, 16.0};
  const std::vector<double> rpmFit{790.0, 690.5, 610.25};
  const std::vector<double> accelFit{1.5, -0.25, 3.125};

  // Measured: forward 2 rev / 0.15 s, central 120 * 2 / (0.45 - 0.1), backward 2 rev / 0.2 s.
  const std::string expected = kDerivativesHead + Row(0.1, 12.0, 12.01, 800.0, 790.0, 1.5) +
                               Row(0.25, 14.0, 13.98, 240.0 / 0.35, 690.5, -0.25) +
                               Row(0.45, 16.0, 16.0, 600.0, 610.25, 3.125);
  EXPECT_EQ(FinalDerivativesText(times, revs, {1, 3}, revFit, rpmFit, accelFit), expected);

  // Fewer fitted values than points: only the fitted points get rows, measured as before.
  EXPECT_EQ(
      FinalDerivativesText(times, revs, {1, 3}, std::vector<double>(revFit.begin(), revFit.begin() + 2), rpmFit,
                           accelFit),
      kDerivativesHead + Row(0.1, 12.0, 12.01, 800.0, 790.0, 1.5) + Row(0.25, 14.0, 13.98, 240.0 / 0.35, 690.5, -0.25));
}

TEST(FinalDerivativesText, MeasuresALonePointFromAnyNeighbourItHas) {
  const std::vector<double> times{0.0, 0.1, 0.25, 0.45, 0.6};
  const std::vector<double> revs{0.0, 2.0, 4.0, 6.0, 8.0};
  const std::vector<double> fit{1.0};
  const std::string last = Row(0.6, 8.0, 1.0, 2.0 / 0.15 * 60.0, 1.0, 1.0);  // looks back
  EXPECT_EQ(FinalDerivativesText(times, revs, {4, 1}, fit, fit, fit), kDerivativesHead + last);
  EXPECT_EQ(FinalDerivativesText(times, revs, {2, 1}, fit, fit, fit),
            kDerivativesHead + Row(0.25, 4.0, 1.0, 600.0, 1.0, 1.0));  // looks ahead
  EXPECT_EQ(FinalDerivativesText(times, revs, {4, 3}, fit, fit, fit), kDerivativesHead + last) << "cut to the arrays";
  const std::vector<double> one{0.5};
  EXPECT_EQ(FinalDerivativesText(one, one, {0, 1}, fit, fit, fit), kDerivativesHead) << "no neighbour at all";
}

}  // namespace
}  // namespace ruvo
