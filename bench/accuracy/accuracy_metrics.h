#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "synth/synth_run.h"

namespace ruvo {

// One row of a recovered power curve.
struct PowerRow {
  double rpm = 0.0;
  double torqueFtLb = 0.0;
  double horsepower = 0.0;
};

// How far one recovered quantity (torque or horsepower) lies from the truth.
struct QuantityError {
  double rmsPercent = 0.0;    // root mean square of the per-row errors, percent of the true value
  double maxPercent = 0.0;    // the per-row error of largest magnitude, with its sign
  double maxAtRpm = 0.0;      // where it occurs
  double peakPercent = 0.0;   // recovered peak value against the true peak value, percent
  double peakRpmError = 0.0;  // recovered peak rpm minus the true peak rpm
};

struct AccuracyFigures {
  std::int32_t comparedRows = 0;
  double firstRpm = 0.0;  // lowest and highest compared rpm
  double lastRpm = 0.0;
  QuantityError torque;
  QuantityError horsepower;
};

// Compares a recovered curve with the truth of its run. truth must be sorted by increasing rpm; at a
// recovered row's rpm the true torque and the true power per rpm are interpolated linearly between
// truth rows (exact where the torque is linear, as power is torque times rpm). Rows outside the
// truth's rpm span, and rows where the true torque or horsepower is not positive (no percentage
// exists there), are not compared. The true peaks are those of the whole truth table, so a curve
// that stops short of the true peak shows it as a peak error; the recovered peaks are those of all
// recovered rows. Nothing when no row can be compared.
std::optional<AccuracyFigures> CompareWithTruth(std::span<const PowerRow> recovered, std::span<const TruthRow> truth);

}  // namespace ruvo
