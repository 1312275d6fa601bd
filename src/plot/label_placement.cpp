#include "plot/label_placement.h"

#include <algorithm>
#include <cmath>

namespace ruvo {
namespace {

// Rectangles and segments meet as Qt's QRectF and QLineF decide it, so labels land where the
// charts always put them: a rectangle without area meets nothing, edges that only touch do not
// meet, a point on a rectangle's edge is inside it.
bool Overlap(const PixelBox& a, const PixelBox& b) {
  if (a.width == 0.0 || a.height == 0.0 || b.width == 0.0 || b.height == 0.0) return false;
  return a.left < b.Right() && b.left < a.Right() && a.top < b.Bottom() && b.top < a.Bottom();
}

bool Inside(const PixelBox& box, const ChartPoint& p) {
  if (box.width == 0.0 || box.height == 0.0) return false;
  return p.x >= box.left && p.x <= box.Right() && p.y >= box.top && p.y <= box.Bottom();
}

// Whether two segments cross within both their lengths (ends included); parallel ones never do.
bool SegmentsCross(const PixelSegment& s, const PixelSegment& t) {
  const ChartPoint a{s.to.x - s.from.x, s.to.y - s.from.y};
  const ChartPoint b{t.from.x - t.to.x, t.from.y - t.to.y};
  const ChartPoint c{s.from.x - t.from.x, s.from.y - t.from.y};
  const double denominator = a.y * b.x - a.x * b.y;
  if (denominator == 0.0 || !std::isfinite(denominator)) return false;
  const double reciprocal = 1.0 / denominator;
  const double na = (b.y * c.x - b.x * c.y) * reciprocal;
  if (na < 0.0 || na > 1.0) return false;
  const double nb = (a.x * c.y - a.y * c.x) * reciprocal;
  return nb >= 0.0 && nb <= 1.0;
}

// Whether the segment crosses or lies in box.
bool Crosses(const PixelBox& box, const PixelSegment& line) {
  // The segment's bounds half a pixel wider all round, computed in the order QRectF does it.
  PixelBox bounds{line.from.x, line.from.y, line.to.x - line.from.x, line.to.y - line.from.y};
  if (bounds.width < 0.0) bounds.left += bounds.width, bounds.width = -bounds.width;
  if (bounds.height < 0.0) bounds.top += bounds.height, bounds.height = -bounds.height;
  bounds = {bounds.left - 0.5, bounds.top - 0.5, bounds.width + 0.5 + 0.5, bounds.height + 0.5 + 0.5};
  if (!Overlap(box, bounds)) return false;
  if (Inside(box, line.from) || Inside(box, line.to)) return true;
  const ChartPoint topLeft{box.left, box.top}, topRight{box.Right(), box.top};
  const ChartPoint bottomRight{box.Right(), box.Bottom()}, bottomLeft{box.left, box.Bottom()};
  const PixelSegment edges[] = {
      {topLeft, topRight}, {topRight, bottomRight}, {bottomRight, bottomLeft}, {bottomLeft, topLeft}};
  return std::any_of(std::begin(edges), std::end(edges),
                     [&](const PixelSegment& edge) { return SegmentsCross(line, edge); });
}

}  // namespace

std::optional<std::vector<ChartPoint>> PlacePeakLabels(const PixelBox& area,
                                                       const std::vector<PixelSegment>& curves,
                                                       const std::vector<PeakLabelBox>& labels,
                                                       const LabelSpacing& spacing,
                                                       bool last) {
  const double marker = spacing.markerSize, gap = spacing.gap;
  std::vector<PixelBox> taken;
  for (const PeakLabelBox& label : labels)
    taken.push_back({label.peak.x - marker / 2.0, label.peak.y - marker / 2.0, marker, marker});
  const auto clear = [&](const PixelBox& place) {
    const PixelBox margin{place.left - gap / 2, place.top - gap / 2, place.width + gap / 2 + gap / 2,
                          place.height + gap / 2 + gap / 2};
    return std::none_of(curves.begin(), curves.end(),
                        [&](const PixelSegment& line) { return Crosses(margin, line); }) &&
           std::none_of(taken.begin(), taken.end(), [&](const PixelBox& other) { return Overlap(other, place); });
  };
  std::vector<ChartPoint> corners;
  for (const PeakLabelBox& label : labels) {
    const ChartPoint at = label.peak;
    const double leftmost = area.left + 2.0, rightmost = std::max(leftmost, area.Right() - label.width - 2.0);
    const double lefts[] = {at.x - label.width / 2.0, at.x - label.width + gap, at.x - gap};
    const double lowest = at.y - marker / 2.0 - gap;  // the bottom of a label
    std::optional<PixelBox> found;
    for (double bottom = lowest; !found && bottom - label.height >= area.top; bottom -= 2.0)
      for (const double left : lefts) {
        const PixelBox place{std::clamp(left, leftmost, rightmost), bottom - label.height, label.width, label.height};
        if (clear(place)) {
          found = place;
          break;
        }
      }
    if (!found && !last) return std::nullopt;
    const PixelBox place =
        found.value_or(PixelBox{std::clamp(lefts[0], leftmost, rightmost), std::max(area.top, lowest - label.height),
                                label.width, label.height});
    corners.push_back({place.left, place.top});
    taken.push_back(place);
  }
  return corners;
}

}  // namespace ruvo
