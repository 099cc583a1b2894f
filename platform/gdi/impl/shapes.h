#pragma once
// Scan conversion of the filled shapes shared by regions and drawing.
// Private.
#include <utility>
#include <vector>

#include "platform/gdi/impl/region_set.h"

namespace gdi::impl {

// A shape with one pixel interval [x0, x1) per row (convex along rows).
struct RowShape {
  int top = 0;
  std::vector<std::pair<int, int>> rows;

  bool has(int y) const { return y >= top && y < top + int(rows.size()); }
  std::pair<int, int> row(int y) const {
    if (!has(y)) return {0, 0};
    return rows[std::size_t(y - top)];
  }
  bool contains(int x, int y) const {
    auto r = row(y);
    return x >= r.first && x < r.second;
  }
};

// Pixels whose centre lies in the ellipse inscribed in the edges of `box`
// (that is, through the centres of its outer pixels).
RowShape ellipseShape(const RECT& box);
RowShape roundRectShape(const RECT& box, int ellipseWidth, int ellipseHeight);
RowShape rectShape(const RECT& box);
// Removes the pixels with a 4-neighbour outside the shape, `times` times.
RowShape erode(const RowShape& s, int times = 1);
SpanSet toSpans(const RowShape& s);
// Pixels of `outer` not in `inner`.
SpanSet difference(const RowShape& outer, const RowShape& inner);

// Polygon fill at integer sample points: a pixel is in when its top-left
// corner is inside, left and top edges included, right and bottom excluded.
SpanSet polygonSpans(const POINT* points, const int* counts, int polygons, int fillMode);

// Pixels of a 1-pixel line from a to b, end point excluded, in the order
// drawn. Ties at exact half-pixels round toward the smaller coordinate.
void linePixels(POINT a, POINT b, std::vector<POINT>& out);

}  // namespace gdi::impl
