#pragma once
// Device contexts: the drawing state over a 32-bit surface. Logical
// coordinates are device coordinates minus the window origin plus the
// viewport origin (translation only); the clip region is kept in device
// coordinates and is not moved by the origins.
#include "platform/gdi/types.h"

namespace gdi {

// A memory DC with the stock 1x1 monochrome bitmap selected. `dc` is
// ignored beyond its validity: every DC here is 32-bit.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);

// SelectObject returns the previous object of that kind, a region's
// complexity (as an HGDIOBJ value) for HRGN, or null on failure. A bitmap
// can be selected into one memory DC at a time.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
constexpr UINT OBJ_SELECT_PEN = 1;
HGDIOBJ GetCurrentObject(HDC dc, UINT type);  // OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_BITMAP
DWORD GetDCObjectType(HDC dc);                // OBJ_MEMDC or OBJ_DC; 0 if invalid

// Save levels start at 1; RestoreDC with a negative level goes back that
// many saves from the top.
int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int savedDC);

// ---- Origins (translation only) ---------------------------------------------
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetWindowOrgEx(HDC dc, POINT* pt);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* old);
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetViewportOrgEx(HDC dc, POINT* pt);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old);
BOOL LPtoDP(HDC dc, POINT* pts, int count);
BOOL DPtoLP(HDC dc, POINT* pts, int count);
// Where device (0, 0) lies on the surface (a child window's offset in its
// top-level window).
BOOL GetDCOrgEx(HDC dc, POINT* pt);

constexpr int MM_TEXT = 1;
int GetMapMode(HDC dc);
int SetMapMode(HDC dc, int mode);  // only MM_TEXT is accepted

// ---- Clipping ------------------------------------------------------------------
// Null `rgn` removes the clip region (RGN_COPY only). Returns the complexity
// of the resulting visible clip area, or ERROR.
int SelectClipRgn(HDC dc, HRGN rgn);
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);  // logical
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);    // logical
int OffsetClipRgn(HDC dc, int dx, int dy);                               // logical units
// Bounds of what can be drawn, in logical coordinates.
int GetClipBox(HDC dc, RECT* rc);
// Copies the DC's own clip region (device coordinates) into `rgn`: 1 when
// there is one, 0 when there is none, -1 on error.
int GetClipRgn(HDC dc, HRGN rgn);
BOOL RectVisible(HDC dc, const RECT* rc);
BOOL PtVisible(HDC dc, int x, int y);

// ---- Attributes -------------------------------------------------------------------
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

COLORREF SetTextColor(HDC dc, COLORREF color);  // previous, CLR_INVALID on error
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
// Every surface here is true colour, so a colour is its own nearest match
// (CLR_INVALID for an invalid DC).
COLORREF GetNearestColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);  // previous, 0 on error
int GetBkMode(HDC dc);
int SetROP2(HDC dc, int rop2);
int GetROP2(HDC dc);
int SetPolyFillMode(HDC dc, int mode);
int GetPolyFillMode(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
// The brush origin is in device coordinates.
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* old);
BOOL GetBrushOrgEx(HDC dc, POINT* pt);
COLORREF SetDCBrushColor(HDC dc, COLORREF color);
COLORREF GetDCBrushColor(HDC dc);
COLORREF SetDCPenColor(HDC dc, COLORREF color);
COLORREF GetDCPenColor(HDC dc);

constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr UINT GDI_ERROR = 0xFFFFFFFF;
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);

constexpr DWORD LAYOUT_RTL = 1;
DWORD GetLayout(HDC dc);  // always 0: right-to-left layout is not supported
DWORD SetLayout(HDC dc, DWORD layout);

// ---- Device capabilities ---------------------------------------------------------
constexpr int DRIVERVERSION = 0;
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMBRUSHES = 16;
constexpr int NUMPENS = 18;
constexpr int NUMFONTS = 22;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int COLORRES = 108;
constexpr int VREFRESH = 116;
constexpr int DESKTOPVERTRES = 117;
constexpr int DESKTOPHORZRES = 118;
constexpr int SHADEBLENDCAPS = 120;

constexpr int DT_RASDISPLAY = 1;
constexpr int RC_BITBLT = 1;
constexpr int RC_BITMAP64 = 8;
constexpr int RC_DI_BITMAP = 0x80;
constexpr int RC_DIBTODEV = 0x200;
constexpr int RC_STRETCHBLT = 0x800;
constexpr int RC_STRETCHDIB = 0x2000;
constexpr int SB_CONST_ALPHA = 1;
constexpr int SB_PIXEL_ALPHA = 2;
constexpr int SB_PREMULT_ALPHA = 4;
constexpr int SB_GRAD_RECT = 0x10;
constexpr int SB_GRAD_TRI = 0x20;

// LOGPIXELSX/Y answer the screen resolution (96 unless changed for a test);
// HORZRES/VERTRES the size of the surface.
int GetDeviceCaps(HDC dc, int index);
void SetScreenLogPixels(int dpi);

}  // namespace gdi
