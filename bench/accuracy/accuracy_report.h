#pragma once

#include <optional>
#include <string>
#include <vector>

#include "accuracy_metrics.h"

namespace ruvo {

// The outcome of one run calculated with one smoothing method.
struct AccuracyResult {
  std::string caseName;
  std::string sound;                       // "clean" or "noisy"
  std::string smoothing;                   // the smoothing choice's name
  std::optional<AccuracyFigures> figures;  // empty when the calculation failed or compared nothing
  std::string failure;                     // why figures is empty
};

// One line per result: rows, compared rpm span, RMS and largest error of torque and horsepower,
// and the errors of both peaks; a failed result shows its reason instead of figures.
std::string FormatAccuracyTable(const std::vector<AccuracyResult>& results);

// The same as comma-separated values with a header line; failures have empty figure fields and
// their reason, quoted, in the last column.
std::string FormatAccuracyCsv(const std::vector<AccuracyResult>& results);

// Per smoothing method and sound, in the order they first appear: how many runs calculated, and
// the median and worst horsepower and torque RMS errors, peak horsepower errors and peak rpm errors
// (magnitudes) over the runs that did.
std::string FormatAccuracySummary(const std::vector<AccuracyResult>& results);

// Two significant digits, or the whole number when it has more: 0.071 gives "0.07", 3.41 "3.4",
// 278.8 "279". For the Markdown tables, where a reader compares sizes rather than digits.
std::string ShortFigure(double value);

// The summary as a Markdown table for docs/accuracy.md: per smoothing method (named as ruvo-synth
// names it) and sound, the runs that calculated, and "median (worst)" of the power RMS error, the
// peak power error and its rpm error; then a list of the runs that did not calculate, with reasons.
std::string FormatAccuracySummaryMarkdown(const std::vector<AccuracyResult>& results);

// A curve of the plot: a name and its rows.
struct PlotCurve {
  std::string name;  // one word
  std::vector<PowerRow> rows;
};

// gnuplot data: one block per curve, separated by two blank lines, each starting with a line
// "name torque_ftlb hp" and then "rpm torque hp" rows.
std::string FormatPlotData(const std::vector<PlotCurve>& curves);

}  // namespace ruvo
