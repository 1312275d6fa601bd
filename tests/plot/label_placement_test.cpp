// Where peak labels go: above the peak, clear of curves, markers and each other, inside the plot.
#include "plot/label_placement.h"

#include <gtest/gtest.h>

namespace ruvo {
namespace {

// A plot 200 x 100 pixels, labels 40 x 10 with the charts' spacing (8-pixel markers, 4-pixel gaps),
// so a label right above a peak at (x, y) has its top-left at (x - 20, y - 18). Each step up is 2
// pixels; all the coordinates are small integers and halves, so the expected corners are exact.
TEST(PlacePeakLabels, LowestClearPlaceAboveEachPeak) {
  const PixelBox plot{0, 0, 200, 100};
  const PixelSegment flat{{0, 45}, {200, 45}};  // a curve across the plot at y = 45
  const struct {
    const char* what;
    std::vector<PixelSegment> curves;
    std::vector<ChartPoint> peaks;
    std::vector<ChartPoint> corners;
  } cases[] = {
      {"free", {}, {{100, 60}}, {{80, 42}}},
      // The label and its 2-pixel margin above the curve: its bottom at 42 or higher.
      {"under a curve", {flat}, {{100, 60}}, {{80, 32}}},
      // A curve rising through the centred place: the label moves to the peak's left.
      {"beside a rising curve", {{{104, 60}, {150, 20}}}, {{100, 60}}, {{64, 42}}},
      // Two runs peaking at the same point: the second label stacks above the first.
      {"a tie", {}, {{100, 60}, {100, 60}}, {{80, 42}, {80, 32}}},
      // The second peak's marker stays visible: the first label moves up past it, the second above that.
      {"a marker in the way", {}, {{100, 60}, {100, 48}}, {{80, 34}, {80, 24}}},
      // At the right edge the label is kept 2 pixels inside the plot.
      {"at the edge", {}, {{195, 60}}, {{158, 42}}},
  };
  for (const auto& c : cases) {
    std::vector<PeakLabelBox> labels;
    for (const ChartPoint& peak : c.peaks) labels.push_back({peak, 40, 10});
    const auto corners = PlacePeakLabels(plot, c.curves, labels, LabelSpacing{}, false);
    ASSERT_TRUE(corners) << c.what;
    ASSERT_EQ(corners->size(), c.corners.size()) << c.what;
    for (std::size_t k = 0; k < corners->size(); ++k)
      EXPECT_TRUE((*corners)[k].x == c.corners[k].x && (*corners)[k].y == c.corners[k].y)
          << c.what << ", label " << k << " at " << (*corners)[k].x << ", " << (*corners)[k].y;
  }
}

TEST(PlacePeakLabels, WithoutRoomFailsUnlessLastThenTopOfThePlot) {
  const PixelBox low{0, 50, 200, 50};  // the peak's label would start above the plot's top
  const std::vector<PeakLabelBox> labels = {{{100, 60}, 40, 10}};
  EXPECT_FALSE(PlacePeakLabels(low, {}, labels, LabelSpacing{}, false));
  const auto corners = PlacePeakLabels(low, {}, labels, LabelSpacing{}, true);
  ASSERT_TRUE(corners && corners->size() == 1);
  EXPECT_TRUE(corners->front().x == 80 && corners->front().y == 50);
  // No labels, nothing to place, even in an empty plot.
  EXPECT_TRUE(PlacePeakLabels(PixelBox{}, {}, {}, LabelSpacing{}, false)->empty());
}

}  // namespace
}  // namespace ruvo
