#pragma once

#include <optional>
#include <vector>

#include "plot/chart_model.h"

namespace ruvo {

// Where the peak labels of a chart go, in pixels of the chart, y growing downwards. Plain geometry:
// RunChart maps its curves and peaks to pixels, this finds the places, RunChart moves its labels.

// A rectangle by its top-left corner and size.
struct PixelBox {
  double left = 0.0;
  double top = 0.0;
  double width = 0.0;
  double height = 0.0;
  double Right() const { return left + width; }
  double Bottom() const { return top + height; }
};

// A straight piece of a drawn curve.
struct PixelSegment {
  ChartPoint from;
  ChartPoint to;
};

// One label to place: the peak it names (its marker is centred there) and the label's size.
struct PeakLabelBox {
  ChartPoint peak;
  double width = 0.0;
  double height = 0.0;
};

// The sizes the placement keeps clear (pixels).
struct LabelSpacing {
  double markerSize = 8.0;  // the side of a peak's marker
  double gap = 4.0;         // between a marker and its label, and between a label and a curve
};

// The top-left corners of the labels, in order: each label above its peak, inside area and clear of
// every segment, of every marker and of the labels placed before it; the lowest such place,
// searched in steps of 2 pixels up from just above the marker, centred on the peak or beside it
// (to its left, then its right). Nothing when a label finds no clear place, unless last: then such
// a label goes at the top of area above its peak (as well as a plot far too small allows).
std::optional<std::vector<ChartPoint>> PlacePeakLabels(const PixelBox& area,
                                                       const std::vector<PixelSegment>& curves,
                                                       const std::vector<PeakLabelBox>& labels,
                                                       const LabelSpacing& spacing,
                                                       bool last);

}  // namespace ruvo
