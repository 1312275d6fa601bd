#pragma once

#include <optional>
#include <vector>

namespace ruvo {

// Axis ticks for both kinds of chart: the charts of runs (Qt Charts axes) and the panes of the
// recording view, which draw their own. Plain functions; nothing here knows a widget.

// The round tick step (1, 2 or 5 times a power of ten) nearest above span / intervals: the
// smallest such step that gives at most about intervals intervals over span. Fewer than one
// interval counts as one; a span that is not positive and finite gives 1.
double TickStep(double span, double intervals);

// The decimals the labels of ticks at multiples of step need: 0 for steps of 1 and coarser.
int StepDecimals(double step);

// An axis fitted to a range of data: its ends, the step between ticks and the labels' decimals.
struct AxisFit {
  double low = 0.0;
  double high = 1.0;
  double step = 1.0;
  int decimals = 0;
};

// Fits an axis to the data from low to high with ticks at TickStep for about intervals intervals.
// The ends are on ticks or, with endsOnTicks false, on the nearest multiples of the step's power
// of ten outside the range, so a coarse step wastes no room. Nothing for an empty, reversed or
// unbounded range (the caller keeps its own default then).
std::optional<AxisFit> FitAxisRange(double low, double high, double intervals, bool endsOnTicks);

// The ticks at multiples of step from low up to high (and a rounding error beyond), each the one
// before plus step, so hand-drawn axes place them as they always did. None for a step that is not
// positive, and no more than a chart can show when step is below the resolution of the values.
std::vector<double> TicksBetween(double low, double high, double step);

// Intervals for an axis of the given length: one for each pixelsPerInterval, within least..most.
double IntervalsFor(double lengthPixels, double pixelsPerInterval, double least, double most);

}  // namespace ruvo
