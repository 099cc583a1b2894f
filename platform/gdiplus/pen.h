#pragma once
// Pens: colour or brush, width (0 = one device pixel), dash style, caps and
// joins. Dash lengths are in pen widths, as on the platform.
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpPen;
class GpBrush;

GpStatus GdipCreatePen1(ARGB color, REAL width, Unit unit, GpPen** pen);
GpStatus GdipCreatePen2(GpBrush* brush, REAL width, Unit unit, GpPen** pen);
GpStatus GdipClonePen(GpPen* pen, GpPen** clone);
GpStatus GdipDeletePen(GpPen* pen);

GpStatus GdipSetPenWidth(GpPen* pen, REAL width);
GpStatus GdipGetPenWidth(GpPen* pen, REAL* width);
GpStatus GdipSetPenColor(GpPen* pen, ARGB color);
GpStatus GdipGetPenColor(GpPen* pen, ARGB* color);
GpStatus GdipSetPenBrushFill(GpPen* pen, GpBrush* brush);
GpStatus GdipSetPenDashStyle(GpPen* pen, DashStyle style);
GpStatus GdipGetPenDashStyle(GpPen* pen, DashStyle* style);
GpStatus GdipSetPenDashArray(GpPen* pen, const REAL* dashes, INT count);
GpStatus GdipSetPenDashOffset(GpPen* pen, REAL offset);
// One cap is used for both ends and the dashes (the drawing library has one
// cap per stroke): the start cap, or the dash cap when the pen is dashed.
GpStatus GdipSetPenLineCap197819(GpPen* pen, LineCap startCap, LineCap endCap, DashCap dashCap);
GpStatus GdipSetPenStartCap(GpPen* pen, LineCap cap);
GpStatus GdipSetPenEndCap(GpPen* pen, LineCap cap);
GpStatus GdipSetPenDashCap197819(GpPen* pen, DashCap cap);
GpStatus GdipGetPenDashCap197819(GpPen* pen, DashCap* cap);
GpStatus GdipGetPenStartCap(GpPen* pen, LineCap* cap);
GpStatus GdipGetPenEndCap(GpPen* pen, LineCap* cap);
GpStatus GdipSetPenLineJoin(GpPen* pen, LineJoin join);
GpStatus GdipGetPenLineJoin(GpPen* pen, LineJoin* join);
GpStatus GdipSetPenMiterLimit(GpPen* pen, REAL limit);

}  // namespace gdiplus
