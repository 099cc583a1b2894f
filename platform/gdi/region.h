#pragma once
// Regions: sets of pixels made of rectangles (right and bottom exclusive).
#include "platform/gdi/types.h"

namespace gdi {

// CombineRgn modes.
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;

// Region complexity, also returned by the clip functions.
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

// Polygon fill modes.
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

constexpr DWORD RDH_RECTANGLES = 1;

struct RGNDATAHEADER {
  DWORD dwSize = sizeof(RGNDATAHEADER);
  DWORD iType = RDH_RECTANGLES;
  DWORD nCount = 0;
  DWORD nRgnSize = 0;
  RECT rcBound;
};
static_assert(sizeof(RGNDATAHEADER) == 32);

// The header followed by nCount RECTs.
struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
};

struct XFORM;  // transforms are not supported: ExtCreateRegion wants null

HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rc);
// The pixels of Ellipse's figure over the same rectangle.
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* rc);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ellipseWidth,
                        int ellipseHeight);
// Pixels whose top-left corner lies inside, left and top edges included.
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
HRGN CreatePolyPolygonRgn(const POINT* points, const INT* counts, int polygons, int fillMode);

// `dst` must exist; it receives the result (it may be one of the sources).
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL EqualRgn(HRGN a, HRGN b);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const RECT* rc);
int GetRgnBox(HRGN rgn, RECT* rc);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
// Returns the bytes needed when `data` is null or `size` too small (0 then
// means failure only for a bad handle); otherwise the bytes written.
DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* data);
HRGN ExtCreateRegion(const XFORM* xform, DWORD size, const RGNDATA* data);

}  // namespace gdi
