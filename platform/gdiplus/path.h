#pragma once
// Paths: figures of lines and Bézier curves, kept as points and point types
// as on the platform (arcs and ellipses become Bézier curves).
#include "platform/gdiplus/types.h"

namespace gdiplus {

class GpPath;

GpStatus GdipCreatePath(FillMode fillMode, GpPath** path);
GpStatus GdipCreatePath2(const GpPointF* points, const BYTE* types, INT count, FillMode fillMode, GpPath** path);
GpStatus GdipClonePath(GpPath* path, GpPath** clone);
GpStatus GdipDeletePath(GpPath* path);
GpStatus GdipResetPath(GpPath* path);
GpStatus GdipGetPointCount(GpPath* path, INT* count);
GpStatus GdipGetPathPoints(GpPath* path, GpPointF* points, INT count);
GpStatus GdipGetPathTypes(GpPath* path, BYTE* types, INT count);
GpStatus GdipGetPathLastPoint(GpPath* path, GpPointF* point);
GpStatus GdipGetPathFillMode(GpPath* path, FillMode* fillMode);
GpStatus GdipSetPathFillMode(GpPath* path, FillMode fillMode);
// Bounds of all points, control points of curves included; matrix and pen
// must be null (NotImplemented otherwise).
GpStatus GdipGetPathWorldBounds(GpPath* path, GpRectF* bounds, const void* matrix, const void* pen);

GpStatus GdipStartPathFigure(GpPath* path);
GpStatus GdipClosePathFigure(GpPath* path);
GpStatus GdipClosePathFigures(GpPath* path);

// Lines, arcs and Béziers continue the open figure (joined by a line to its
// last point); rectangles, ellipses and polygons are closed figures of their own.
GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2);
GpStatus GdipAddPathLineI(GpPath* path, INT x1, INT y1, INT x2, INT y2);
GpStatus GdipAddPathLine2(GpPath* path, const GpPointF* points, INT count);
GpStatus GdipAddPathLine2I(GpPath* path, const GpPoint* points, INT count);
// Angles in degrees, clockwise from the x axis, measured on the ellipse.
GpStatus GdipAddPathArc(GpPath* path, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle);
GpStatus GdipAddPathArcI(GpPath* path, INT x, INT y, INT width, INT height, REAL startAngle, REAL sweepAngle);
GpStatus GdipAddPathBezier(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3, REAL x4, REAL y4);
GpStatus GdipAddPathBezierI(GpPath* path, INT x1, INT y1, INT x2, INT y2, INT x3, INT y3, INT x4, INT y4);
GpStatus GdipAddPathBeziers(GpPath* path, const GpPointF* points, INT count);
GpStatus GdipAddPathRectangle(GpPath* path, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipAddPathRectangleI(GpPath* path, INT x, INT y, INT width, INT height);
GpStatus GdipAddPathRectangles(GpPath* path, const GpRectF* rects, INT count);
GpStatus GdipAddPathEllipse(GpPath* path, REAL x, REAL y, REAL width, REAL height);
GpStatus GdipAddPathEllipseI(GpPath* path, INT x, INT y, INT width, INT height);
GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, INT count);
GpStatus GdipAddPathPolygonI(GpPath* path, const GpPoint* points, INT count);
GpStatus GdipAddPathPath(GpPath* path, const GpPath* other, BOOL connect);

}  // namespace gdiplus
