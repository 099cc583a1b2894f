#pragma once
// Drawing primitives with the platform's pixel rules: right and bottom edges
// are exclusive, LineTo leaves out its end point, Rectangle outlines inside
// its bounds, Ellipse and RoundRect fit the rectangle less one pixel (their
// figure passes through the centres of the outer pixels). All coordinates are
// logical. Primitives write colour with alpha byte 0.
#include "platform/gdi/types.h"

namespace gdi {

// Rectangles with a brush (PATCOPY: the ROP2 mode is not used).
int FillRect(HDC dc, const RECT* rc, HBRUSH brush);
int FrameRect(HDC dc, const RECT* rc, HBRUSH brush);  // 1-pixel frame
BOOL InvertRect(HDC dc, const RECT* rc);
BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush);
// Frames every edge of the region with bands `width` x `height` wide,
// inside the region.
BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int width, int height);
BOOL PaintRgn(HDC dc, HRGN rgn);  // selected brush, with the ROP2 mode
BOOL InvertRgn(HDC dc, HRGN rgn);

// Lines with the selected pen and the ROP2 mode.
BOOL MoveToEx(HDC dc, int x, int y, POINT* old);
BOOL LineTo(HDC dc, int x, int y);
BOOL GetCurrentPositionEx(HDC dc, POINT* pt);
BOOL Polyline(HDC dc, const POINT* points, int count);
BOOL PolylineTo(HDC dc, const POINT* points, DWORD count);
BOOL PolyPolyline(HDC dc, const POINT* points, const DWORD* counts, DWORD polylines);

// Closed figures: interior with the selected brush, outline with the pen.
BOOL Polygon(HDC dc, const POINT* points, int count);
BOOL PolyPolygon(HDC dc, const POINT* points, const INT* counts, int polygons);
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ellipseWidth,
               int ellipseHeight);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
// The arc runs counter-clockwise (on screen) from the ray through
// (xStart, yStart) to the ray through (xEnd, yEnd).
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
         int yEnd);
BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
         int yEnd);
BOOL Chord(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
           int yEnd);
// A line from the current position to the arc's start, then the arc; the
// current position moves to the arc's end.
BOOL ArcTo(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
           int yEnd);
// Cubic Bezier curves: 1 + 3n points, or 3n points from the current position
// (which moves to the last point).
BOOL PolyBezier(HDC dc, const POINT* points, DWORD count);
BOOL PolyBezierTo(HDC dc, const POINT* points, DWORD count);

// Paths: lines, polylines, polygons, rectangles, ellipses, round rectangles,
// arcs, pies, chords and Bezier curves are recorded between BeginPath and
// EndPath instead of drawn, as polygons in device coordinates. A rectangle
// ends at (right - 1, bottom - 1) and an ellipse or round rectangle is the
// pixel outline of the interior a null pen fills, so a path of one shape
// becomes the region of that interior. Curves are flattened.
BOOL BeginPath(HDC dc);
BOOL EndPath(HDC dc);
BOOL AbortPath(HDC dc);
BOOL CloseFigure(HDC dc);
HRGN PathToRegion(HDC dc);  // device coordinates; the path is used up
BOOL FillPath(HDC dc);
BOOL StrokePath(HDC dc);
BOOL StrokeAndFillPath(HDC dc);
constexpr BYTE PT_CLOSEFIGURE = 1;
constexpr BYTE PT_LINETO = 2;
constexpr BYTE PT_MOVETO = 6;
// Points in logical coordinates; returns the count (or the count needed).
int GetPath(HDC dc, POINT* points, BYTE* types, int size);

// Pixels. GetPixel answers CLR_INVALID outside the clip area.
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);  // the colour set
BOOL SetPixelV(HDC dc, int x, int y, COLORREF color);

}  // namespace gdi
