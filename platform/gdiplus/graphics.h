#pragma once
// Graphics: anti-aliased drawing over cairo on an image (premultiplied ARGB)
// or on a device context (opaque RGB, alpha bytes kept to the GDI rule).
//
// Pixel model: integer coordinates are pixel edges, so filling (0, 0, 10,
// 10) covers pixels 0..9 exactly. Strokes are moved by half a pixel unless
// the pixel offset mode is Half/HighQuality, so a 1-pixel line along y = 0
// covers row 0 and a 1-pixel rectangle outline (0, 0, 9, 9) covers 0..9.
// Smoothing Default/HighSpeed/None draws without anti-aliasing, as on the
// platform; AntiAlias/HighQuality with it.
#include "platform/gdi/types.h"
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpGraphics;
class GpImage;
class GpBrush;
class GpPen;
class GpPath;
class GpRegion;
class GpMatrix;
class GpImageAttributes;

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics);
// Drawing honours the DC's origins and clip region as they are now.
GpStatus GdipCreateFromHDC(gdi::HDC dc, GpGraphics** graphics);
GpStatus GdipDeleteGraphics(GpGraphics* graphics);
GpStatus GdipFlush(GpGraphics* graphics, int intention);

// ---- settings ----------------------------------------------------------------------
GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode);
GpStatus GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode);
GpStatus GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode);
GpStatus GdipGetInterpolationMode(GpGraphics* graphics, InterpolationMode* mode);
GpStatus GdipSetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode mode);
GpStatus GdipGetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode* mode);
GpStatus GdipSetCompositingMode(GpGraphics* graphics, CompositingMode mode);
GpStatus GdipGetCompositingMode(GpGraphics* graphics, CompositingMode* mode);
GpStatus GdipSetCompositingQuality(GpGraphics* graphics, CompositingQuality quality);
GpStatus GdipSetTextRenderingHint(GpGraphics* graphics, TextRenderingHint hint);
GpStatus GdipGetTextRenderingHint(GpGraphics* graphics, TextRenderingHint* hint);
GpStatus GdipSetPageUnit(GpGraphics* graphics, Unit unit);  // UnitPixel only

// ---- world transform ---------------------------------------------------------------
GpStatus GdipResetWorldTransform(GpGraphics* graphics);
GpStatus GdipSetWorldTransform(GpGraphics* graphics, const GpMatrix* matrix);
GpStatus GdipGetWorldTransform(GpGraphics* graphics, GpMatrix* matrix);
GpStatus GdipMultiplyWorldTransform(GpGraphics* graphics, const GpMatrix* matrix, MatrixOrder order);
GpStatus GdipTranslateWorldTransform(GpGraphics* graphics, REAL dx, REAL dy, MatrixOrder order);
GpStatus GdipScaleWorldTransform(GpGraphics* graphics, REAL sx, REAL sy, MatrixOrder order);
GpStatus GdipRotateWorldTransform(GpGraphics* graphics, REAL angle, MatrixOrder order);

// ---- clipping ----------------------------------------------------------------------
// Replace, Intersect and Exclude are supported; Union, Xor and Complement
// give NotImplemented.
GpStatus GdipSetClipRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height, CombineMode mode);
GpStatus GdipSetClipRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, CombineMode mode);
GpStatus GdipSetClipPath(GpGraphics* graphics, GpPath* path, CombineMode mode);
GpStatus GdipSetClipRegion(GpGraphics* graphics, GpRegion* region, CombineMode mode);
GpStatus GdipSetClipGraphics(GpGraphics* graphics, GpGraphics* source, CombineMode mode);
GpStatus GdipResetClip(GpGraphics* graphics);
GpStatus GdipGetClip(GpGraphics* graphics, GpRegion* region);
GpStatus GdipGetClipBounds(GpGraphics* graphics, GpRectF* rect);
GpStatus GdipIsClipEmpty(GpGraphics* graphics, BOOL* result);
GpStatus GdipIsVisibleRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height, BOOL* result);
GpStatus GdipIsVisibleRectI(GpGraphics* graphics, INT x, INT y, INT width, INT height, BOOL* result);
GpStatus GdipIsVisiblePoint(GpGraphics* graphics, REAL x, REAL y, BOOL* result);
GpStatus GdipIsVisiblePointI(GpGraphics* graphics, INT x, INT y, BOOL* result);

// Regions: shapes combined in any mode (union, xor and complement become
// pixel sets at the resolution of the graphics that uses them).
GpStatus GdipCreateRegion(GpRegion** region);  // infinite
GpStatus GdipCreateRegionRect(const GpRectF* rect, GpRegion** region);
GpStatus GdipCreateRegionRectI(const GpRect* rect, GpRegion** region);
GpStatus GdipCreateRegionPath(GpPath* path, GpRegion** region);
GpStatus GdipCloneRegion(GpRegion* region, GpRegion** clone);
GpStatus GdipDeleteRegion(GpRegion* region);
GpStatus GdipSetInfinite(GpRegion* region);
GpStatus GdipSetEmpty(GpRegion* region);
GpStatus GdipIsInfiniteRegion(GpRegion* region, GpGraphics* graphics, BOOL* result);
GpStatus GdipCombineRegionRect(GpRegion* region, const GpRectF* rect, CombineMode mode);
GpStatus GdipCombineRegionRectI(GpRegion* region, const GpRect* rect, CombineMode mode);
GpStatus GdipCombineRegionPath(GpRegion* region, GpPath* path, CombineMode mode);
GpStatus GdipTranslateRegion(GpRegion* region, REAL dx, REAL dy);

// ---- drawing -------------------------------------------------------------------------
GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color);  // inside the clip, replacing
GpStatus GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus GdipDrawLineI(GpGraphics* graphics, GpPen* pen, INT x1, INT y1, INT x2, INT y2);
GpStatus GdipDrawLines(GpGraphics* graphics, GpPen* pen, const GpPointF* points, INT count);
GpStatus GdipDrawLinesI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count);
GpStatus GdipDrawRectangle(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawRectangleI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height);
GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);
GpStatus GdipFillRectangles(GpGraphics* graphics, GpBrush* brush, const GpRectF* rects, INT count);
GpStatus GdipDrawEllipse(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawEllipseI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height);
GpStatus GdipFillEllipse(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipFillEllipseI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width, INT height);
GpStatus GdipDrawArc(GpGraphics* graphics, GpPen* pen, REAL x, REAL y, REAL width, REAL height, REAL startAngle,
                     REAL sweepAngle);
GpStatus GdipDrawBezier(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3,
                        REAL x4, REAL y4);
GpStatus GdipDrawPolygon(GpGraphics* graphics, GpPen* pen, const GpPointF* points, INT count);
GpStatus GdipDrawPolygonI(GpGraphics* graphics, GpPen* pen, const GpPoint* points, INT count);
GpStatus GdipFillPolygon(GpGraphics* graphics, GpBrush* brush, const GpPointF* points, INT count, FillMode mode);
GpStatus GdipFillPolygonI(GpGraphics* graphics, GpBrush* brush, const GpPoint* points, INT count, FillMode mode);
GpStatus GdipFillPolygon2(GpGraphics* graphics, GpBrush* brush, const GpPointF* points, INT count);
GpStatus GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path);
GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path);
GpStatus GdipFillRegion(GpGraphics* graphics, GpBrush* brush, GpRegion* region);

// Images at their size in pixels (resolution is not applied), into a
// rectangle, or a source part into a rectangle (source unit UnitPixel).
// Attributes may carry a colour matrix; a matrix that only scales alpha is
// drawn as a constant alpha. The callback must be null.
GpStatus GdipDrawImage(GpGraphics* graphics, GpImage* image, REAL x, REAL y);
GpStatus GdipDrawImageI(GpGraphics* graphics, GpImage* image, INT x, INT y);
GpStatus GdipDrawImageRect(GpGraphics* graphics, GpImage* image, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipDrawImageRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT width, INT height);
GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty, REAL dstwidth,
                               REAL dstheight, REAL srcx, REAL srcy, REAL srcwidth, REAL srcheight, Unit srcUnit,
                               const GpImageAttributes* attributes, void* callback, void* callbackData);
GpStatus GdipDrawImageRectRectI(GpGraphics* graphics, GpImage* image, INT dstx, INT dsty, INT dstwidth,
                                INT dstheight, INT srcx, INT srcy, INT srcwidth, INT srcheight, Unit srcUnit,
                                const GpImageAttributes* attributes, void* callback, void* callbackData);

}  // namespace gdiplus
