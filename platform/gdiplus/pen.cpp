// Pens.
#include "platform/gdiplus/impl/objects.h"
#include "platform/gdiplus/pen.h"

namespace gdiplus {

GpPen::GpPen(const GpPen& o)
    : color(o.color),
      brush(o.brush ? o.brush->clone() : nullptr),
      width(o.width),
      dashStyle(o.dashStyle),
      dashes(o.dashes),
      dashOffset(o.dashOffset),
      startCap(o.startCap),
      endCap(o.endCap),
      dashCap(o.dashCap),
      join(o.join),
      miterLimit(o.miterLimit) {}

namespace {
template <class F>
GpStatus onPen(GpPen* pen, F&& f) {
  return guarded([&] {
    need(pen, "pen");
    f(*pen);
  });
}
bool pixelUnits(Unit unit) { return unit == UnitPixel || unit == UnitWorld; }
}  // namespace

GpStatus GdipCreatePen1(ARGB color, REAL width, Unit unit, GpPen** pen) {
  return guarded([&] {
    need(pen, "pen");
    if (!pixelUnits(unit)) fail(NotImplemented, "pen unit");
    auto p = std::make_unique<GpPen>();
    p->color = color;
    p->width = width;
    *pen = p.release();
  });
}

GpStatus GdipCreatePen2(GpBrush* brush, REAL width, Unit unit, GpPen** pen) {
  return guarded([&] {
    need(pen && brush, "pen");
    if (!pixelUnits(unit)) fail(NotImplemented, "pen unit");
    auto p = std::make_unique<GpPen>();
    p->brush = brush->clone();
    p->width = width;
    *pen = p.release();
  });
}

GpStatus GdipClonePen(GpPen* pen, GpPen** clone) {
  return onPen(pen, [&](GpPen& p) {
    need(clone, "clone");
    *clone = new GpPen(p);
  });
}

GpStatus GdipDeletePen(GpPen* pen) {
  if (!pen) return InvalidParameter;
  delete pen;
  return Ok;
}

GpStatus GdipSetPenWidth(GpPen* pen, REAL width) { return onPen(pen, [&](GpPen& p) { p.width = width; }); }
GpStatus GdipGetPenWidth(GpPen* pen, REAL* width) {
  return onPen(pen, [&](GpPen& p) { need(width, "width"); *width = p.width; });
}
GpStatus GdipSetPenColor(GpPen* pen, ARGB color) {
  return onPen(pen, [&](GpPen& p) {
    p.color = color;
    p.brush.reset();
  });
}
GpStatus GdipGetPenColor(GpPen* pen, ARGB* color) {
  return onPen(pen, [&](GpPen& p) { need(color, "colour"); *color = p.color; });
}
GpStatus GdipSetPenBrushFill(GpPen* pen, GpBrush* brush) {
  return onPen(pen, [&](GpPen& p) {
    need(brush, "brush");
    p.brush = brush->clone();
  });
}
GpStatus GdipSetPenDashStyle(GpPen* pen, DashStyle style) {
  return onPen(pen, [&](GpPen& p) {
    need(style >= DashStyleSolid && style <= DashStyleCustom, "dash style");
    p.dashStyle = style;
  });
}
GpStatus GdipGetPenDashStyle(GpPen* pen, DashStyle* style) {
  return onPen(pen, [&](GpPen& p) { need(style, "style"); *style = p.dashStyle; });
}
GpStatus GdipSetPenDashArray(GpPen* pen, const REAL* dashes, INT count) {
  return onPen(pen, [&](GpPen& p) {
    need(dashes && count > 0, "dashes");
    for (INT i = 0; i < count; ++i) need(dashes[i] > 0, "dash length");
    p.dashes.assign(dashes, dashes + count);
    p.dashStyle = DashStyleCustom;
  });
}
GpStatus GdipSetPenDashOffset(GpPen* pen, REAL offset) { return onPen(pen, [&](GpPen& p) { p.dashOffset = offset; }); }
GpStatus GdipSetPenLineCap197819(GpPen* pen, LineCap startCap, LineCap endCap, DashCap dashCap) {
  return onPen(pen, [&](GpPen& p) {
    p.startCap = startCap;
    p.endCap = endCap;
    p.dashCap = dashCap;
  });
}
GpStatus GdipSetPenStartCap(GpPen* pen, LineCap cap) { return onPen(pen, [&](GpPen& p) { p.startCap = cap; }); }
GpStatus GdipSetPenEndCap(GpPen* pen, LineCap cap) { return onPen(pen, [&](GpPen& p) { p.endCap = cap; }); }
GpStatus GdipSetPenDashCap197819(GpPen* pen, DashCap cap) { return onPen(pen, [&](GpPen& p) { p.dashCap = cap; }); }
GpStatus GdipGetPenDashCap197819(GpPen* pen, DashCap* cap) {
  return onPen(pen, [&](GpPen& p) { need(cap, "cap"); *cap = p.dashCap; });
}
GpStatus GdipGetPenStartCap(GpPen* pen, LineCap* cap) {
  return onPen(pen, [&](GpPen& p) { need(cap, "cap"); *cap = p.startCap; });
}
GpStatus GdipGetPenEndCap(GpPen* pen, LineCap* cap) {
  return onPen(pen, [&](GpPen& p) { need(cap, "cap"); *cap = p.endCap; });
}
GpStatus GdipSetPenLineJoin(GpPen* pen, LineJoin join) { return onPen(pen, [&](GpPen& p) { p.join = join; }); }
GpStatus GdipGetPenLineJoin(GpPen* pen, LineJoin* join) {
  return onPen(pen, [&](GpPen& p) { need(join, "join"); *join = p.join; });
}
GpStatus GdipSetPenMiterLimit(GpPen* pen, REAL limit) { return onPen(pen, [&](GpPen& p) { p.miterLimit = limit; }); }

}  // namespace gdiplus
