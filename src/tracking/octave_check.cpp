#include "tracking/octave_check.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <string>

#include "core/text_format.h"
#include "core/units.h"

namespace ruvo {
namespace {

constexpr double kAmbiguousScore = 0.9;     // an alternative this close makes the speed ambiguous
constexpr double kExpectedTolerance = 0.25;  // the pull passes within 25% of each expected speed

std::string RatioName(double ratio) {
  // The engine's own ratio (see RatiosFor) where it is none of the common ones.
  if (ratio < 0.2) return FormatText("1/%.0f speed", 1.0 / ratio);
  if (ratio > 5.0) return FormatText("%.0f times", ratio);
  if (ratio < 0.3) return "a quarter";
  if (ratio < 0.4) return "a third";
  if (ratio < 0.6) return "half speed";
  if (ratio < 1.0) return "two thirds";
  if (ratio < 1.75) return "three halves";
  if (ratio < 2.5) return "double speed";
  if (ratio < 3.5) return "triple speed";
  return "four times";
}

struct Span {
  double lowRpm = 0.0;
  double highRpm = 0.0;
};

// The speeds the confident frames reach (all frames when none is confident).
Span TrackSpan(const OctaveEvidence& evidence) {
  const SpeedGrid& grid = evidence.salience->grid;
  const bool anyConfident =
      std::find(evidence.confident.begin(), evidence.confident.end(), 1) != evidence.confident.end();
  Span span{std::numeric_limits<double>::infinity(), 0.0};
  for (std::size_t f = 0; f < evidence.pathIndex.size(); ++f) {
    if (anyConfident && evidence.confident[f] == 0) continue;
    const double rpm = grid.RevPerSecond(evidence.pathIndex[f]) * kSecondsPerMinute;
    span.lowRpm = std::min(span.lowRpm, rpm);
    span.highRpm = std::max(span.highRpm, rpm);
  }
  return span;
}

// Some speed of the span, scaled by ratio, lies within the tolerance of expected (0: unknown).
bool Reaches(const Span& span, double ratio, double expectedRpm) {
  if (expectedRpm <= 0.0) return true;
  return ratio * span.highRpm >= (1.0 - kExpectedTolerance) * expectedRpm &&
         ratio * span.lowRpm <= (1.0 + kExpectedTolerance) * expectedRpm;
}

// A ratio fits when its speeds stay in the band (beyond it they cannot be tracked) and reach both
// expected speeds.
bool Fits(const OctaveEvidence& evidence, const Span& span, double ratio) {
  return ratio * span.lowRpm >= evidence.lowRpm && ratio * span.highRpm <= evidence.highRpm &&
         Reaches(span, ratio, evidence.expectedStartRpm) && Reaches(span, ratio, evidence.expectedEndRpm);
}

std::string ExpectedText(const OctaveEvidence& evidence) {
  if (evidence.expectedStartRpm > 0.0 && evidence.expectedEndRpm > 0.0)
    return FormatText("%.0f-%.0f rpm", evidence.expectedStartRpm, evidence.expectedEndRpm);
  if (evidence.expectedStartRpm > 0.0) return FormatText("a start near %.0f rpm", evidence.expectedStartRpm);
  return FormatText("an end near %.0f rpm", evidence.expectedEndRpm);
}

}  // namespace

std::vector<double> RatiosFor(const EngineComb& comb) {
  std::vector<double> ratios(std::begin(kOctaveRatios), std::end(kOctaveRatios));
  const double own = comb.firingOrder / comb.baseOrder;
  const bool listed = std::any_of(ratios.begin(), ratios.end(), [own](double ratio) { return std::abs(ratio * own - 1.0) < 1e-9; });
  if (own > 1.5 && !listed) {
    ratios.push_back(1.0 / own);
    ratios.push_back(own);
  }
  return ratios;
}

OctaveDecision CheckOctaves(const OctaveEvidence& evidence) {
  const SalienceMap& map = *evidence.salience;
  const double shiftPerRatio = 1.0 / std::log(map.grid.stepRatio);
  double chosen = 0.0;
  for (std::size_t f = 0; f < evidence.pathIndex.size(); ++f)
    chosen += std::max(0.0, map.At(static_cast<std::int32_t>(f), evidence.pathIndex[f]) - evidence.baseline[f]);

  OctaveDecision decision;
  OctaveCheck& check = decision.check;
  std::string scores;
  double strongest = 0.0;
  double strongestRatio = 1.0;
  for (const double ratio : evidence.ratios) {
    const double shift = std::log(ratio) * shiftPerRatio;
    double sum = 0.0;
    for (std::size_t f = 0; f < evidence.pathIndex.size(); ++f)
      sum += std::max(0.0, map.At(static_cast<std::int32_t>(f), evidence.pathIndex[f] + shift) - evidence.baseline[f]);
    const double score = chosen > 0.0 ? sum / chosen : 0.0;
    check.alternatives.push_back({ratio, score});
    if (score > strongest) {
      strongest = score;
      strongestRatio = ratio;
    }
    const bool lastRatio = ratio == evidence.ratios.back();
    const char* separator = scores.empty() ? "" : (lastRatio ? " and " : ", ");
    AppendText(scores, "%s%s%s %.2f", separator, RatioName(ratio).c_str(), scores.empty() ? " scores" : "", score);
  }
  scores[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(scores[0])));
  const Span span = TrackSpan(evidence);
  std::string verdict = scores + FormatText(" of the tracked speed; the track spans %.0f-%.0f rpm", span.lowRpm, span.highRpm);

  check.anchored = evidence.expectedStartRpm > 0.0 || evidence.expectedEndRpm > 0.0;
  if (!check.anchored) {
    check.passed = strongest < kAmbiguousScore;
    if (!check.passed)
      AppendText(verdict, ", but %s scores nearly as high, so the speed is ambiguous: give the expected speeds",
                 RatioName(strongestRatio).c_str());
  } else if (Fits(evidence, span, 1.0)) {
    check.passed = true;
    verdict += ", as expected from " + ExpectedText(evidence);
  } else {
    // The best-scoring ratio that brings the track to the expected speeds, if any.
    decision.retrackRatio = 0.0;
    double best = 0.0;
    for (const OctaveAlternative& alternative : check.alternatives) {
      if (alternative.score > best && Fits(evidence, span, alternative.ratio)) {
        best = alternative.score;
        decision.retrackRatio = alternative.ratio;
      }
    }
    verdict += ", but " + ExpectedText(evidence) + " was expected";
    if (decision.retrackRatio == 0.0) verdict += " and no simple ratio of the track fits";
  }
  check.verdict = verdict;
  return decision;
}

}  // namespace ruvo
