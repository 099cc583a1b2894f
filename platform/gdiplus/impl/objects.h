#pragma once
// The objects behind the flat handles. Internal to platform/gdiplus.
#include <cairo.h>

#include <memory>
#include <vector>

#include "platform/gdiplus/bitmap.h"
#include "platform/gdiplus/brush.h"
#include "platform/gdiplus/matrix.h"
#include "platform/gdiplus/codecs/codecs.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

// Runs a flat function's body: exceptions become the status, and the
// message is kept for lastErrorMessage().
GpStatus statusFromCurrentException();

template <class F>
GpStatus guarded(F&& body) {
  try {
    body();
    setLastErrorMessage({});
    return Ok;
  } catch (...) {
    return statusFromCurrentException();
  }
}

inline void need(bool condition, const char* what) {
  if (!condition) fail(InvalidParameter, what);
}



class GpImageAttributes {
 public:
  bool noOp = false;
  bool hasMatrix = false;
  ColorMatrix matrix{};
  // The matrix only scales alpha (identity elsewhere): that factor, else -1.
  double constantAlpha() const;
};

// ---- brushes and pens -------------------------------------------------------------------
inline cairo_matrix_t toCairo(const Affine& a) { return cairo_matrix_t{a.m11, a.m12, a.m21, a.m22, a.dx, a.dy}; }
// A new cairo pattern for the brush in user (world) space; the caller destroys it.
cairo_pattern_t* patternFor(const GpBrush& brush, cairo_filter_t filter);
// A cairo image surface over (a copy of) premultiplied pixels.
cairo_surface_t* surfaceFor(const codecs::Raster& premultiplied);
void cairoSetSource(cairo_t* cr, ARGB color);

class GpPen {
 public:
  ARGB color = 0xFF000000;
  std::unique_ptr<GpBrush> brush;  // when set, used instead of the colour
  REAL width = 1;
  DashStyle dashStyle = DashStyleSolid;
  std::vector<REAL> dashes;  // custom, in pen widths
  REAL dashOffset = 0;
  LineCap startCap = LineCapFlat, endCap = LineCapFlat;
  DashCap dashCap = DashCapFlat;
  LineJoin join = LineJoinMiter;
  REAL miterLimit = 10;
  GpPen() = default;
  GpPen(const GpPen& other);
};

// ---- paths and regions -------------------------------------------------------------------
class GpPath {
 public:
  FillMode fillMode = FillModeAlternate;
  std::vector<GpPointF> points;
  std::vector<BYTE> types;
  bool startNew = true;  // the next segment begins a figure

  void lineTo(double x, double y);  // continues the figure
  void moveTo(double x, double y);
  void bezierTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void closeFigure();
  void addArc(double x, double y, double w, double h, double start, double sweep, bool continueFigure);
  void addEllipse(double x, double y, double w, double h);
  void addPolygon(const std::vector<GpPointF>& pts);
  void addRectangle(double x, double y, double w, double h);
  void replay(cairo_t* cr) const;
  GpPath transformed(const Affine& a) const;
};

// An intersection of shapes kept in device space; `items` empty = infinite.
struct ClipItem {
  GpPath path;      // device coordinates
  bool exclude = false;  // everything but the path
};
// A region combined with union, xor or complement is kept as a tree of
// shapes and becomes a pixel set only where a graphics uses it.
struct RegionNode {
  enum class Kind { Infinite, Empty, Shape, Combine } kind = Kind::Infinite;
  GpPath path;                    // Shape, world coordinates
  CombineMode mode = CombineModeIntersect;  // Combine: left `mode` right
  std::shared_ptr<const RegionNode> left, right;
};

class GpRegion {
 public:
  bool empty = false;
  std::vector<ClipItem> items;  // world coordinates for a free region
  // When set, the region is this tree and `empty`/`items` are not used.
  std::shared_ptr<const RegionNode> tree;
};

// Pixel membership (row-major, 0 or 1) of a region tree at device
// resolution, its shapes mapped by `toDevice`.
std::vector<std::uint8_t> rasteriseRegion(const RegionNode& node, const Affine& toDevice, int width, int height);
// The set pixels as a winding path of rectangles in device coordinates.
GpPath rectanglesOf(const std::vector<std::uint8_t>& mask, int width, int height);

}  // namespace gdiplus
