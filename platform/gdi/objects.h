#pragma once
// GDI objects: pens, brushes, bitmaps (device-dependent and DIB sections),
// fonts (description only), stock objects and the system colour table.
#include "platform/gdi/types.h"

namespace gdi {

// ---- Pens -----------------------------------------------------------------
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;
constexpr int PS_STYLE_MASK = 0x0000000F;

struct LOGPEN {
  UINT lopnStyle = PS_SOLID;
  POINT lopnWidth;  // x is the width; y unused
  COLORREF lopnColor = 0;
};

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* lp);

// ---- Brushes --------------------------------------------------------------
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;
constexpr UINT BS_HATCHED = 2;
constexpr UINT BS_PATTERN = 3;
constexpr UINT BS_DIBPATTERN = 5;
constexpr UINT BS_PATTERN8X8 = 7;

constexpr int HS_HORIZONTAL = 0;
constexpr int HS_VERTICAL = 1;
constexpr int HS_FDIAGONAL = 2;
constexpr int HS_BDIAGONAL = 3;
constexpr int HS_CROSS = 4;
constexpr int HS_DIAGCROSS = 5;

struct LOGBRUSH {
  UINT lbStyle = BS_SOLID;
  COLORREF lbColor = 0;
  ULONG_PTR lbHatch = 0;  // hatch style, or the pattern bitmap's handle
};

HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
// The bitmap is copied; a monochrome bitmap draws its 0 bits in the text
// colour and its 1 bits in the background colour of the DC at drawing time.
HBRUSH CreatePatternBrush(HBITMAP bmp);
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);

// ---- Stock objects ----------------------------------------------------------
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int DEFAULT_PALETTE = 15;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;
constexpr int DC_BRUSH = 18;
constexpr int DC_PEN = 19;

HGDIOBJ GetStockObject(int index);

// ---- System colours ---------------------------------------------------------
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_DESKTOP = COLOR_BACKGROUND;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_3DFACE = COLOR_BTNFACE;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_3DSHADOW = COLOR_BTNSHADOW;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26;
constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_MENUHILIGHT = 29;
constexpr int COLOR_MENUBAR = 30;
constexpr int SYS_COLOR_COUNT = 31;

// The classic (standard) scheme until SetSysColors changes it; 0 for an
// index out of range.
DWORD GetSysColor(int index);
// A brush that always paints the current system colour; not deletable.
// Null for an index out of range.
HBRUSH GetSysColorBrush(int index);
BOOL SetSysColors(int count, const int* indexes, const COLORREF* colors);
// Back to the classic scheme (tests use it to stay independent).
void ResetSysColors();

// ---- Bitmaps ----------------------------------------------------------------
struct BITMAP {
  LONG bmType = 0;
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;
  WORD bmPlanes = 0;
  WORD bmBitsPixel = 0;
  void* bmBits = nullptr;
};

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;  // positive: bottom-up rows; negative: top-down
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = BI_RGB;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0;
  LONG biYPelsPerMeter = 0;
  DWORD biClrUsed = 0;
  DWORD biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
  BYTE rgbBlue = 0;
  BYTE rgbGreen = 0;
  BYTE rgbRed = 0;
  BYTE rgbReserved = 0;
};

// The header followed by the colour table (or the three BI_BITFIELDS masks).
// Callers with more than one entry allocate a larger block, as on the
// platform.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3] = {0, 0, 0};
  void* dshSection = nullptr;
  DWORD dsOffset = 0;
};

constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;

// planes * bitsPerPixel must be 1 (monochrome) or 32; other depths are made
// 32-bit. `bits` (may be null) are rows of that depth padded to 16 bits.
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateBitmapIndirect(const BITMAP* bm);
// Monochrome when the DC has a monochrome bitmap selected, else 32-bit. An
// empty size gives the stock 1x1 monochrome bitmap.
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
// 1, 4, 8, 16, 24 or 32 bits; BI_RGB, or BI_BITFIELDS for 16 and 32 bits.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* bmi, UINT usage, void** bits,
                         void* section, DWORD offset);

LONG GetBitmapBits(HBITMAP bmp, LONG count, void* bits);
LONG SetBitmapBits(HBITMAP bmp, DWORD count, const void* bits);
BOOL GetBitmapDimensionEx(HBITMAP bmp, SIZE* size);

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;
// A new bitmap with the pixels of `bmp` (IMAGE_BITMAP only), scaled to
// cx x cy by nearest pixels when those are not 0. The copy is 32-bit: a DIB
// section with LR_CREATEDIBSECTION, a device bitmap otherwise.
HBITMAP CopyImage(HBITMAP bmp, UINT type, int cx, int cy, UINT flags);

// ---- Fonts (description only; text comes with the text layer) -------------
constexpr int LF_FACESIZE = 32;
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_BOLD = 700;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE CLEARTYPE_QUALITY = 5;
constexpr BYTE DEFAULT_PITCH = 0;

struct LOGFONTW {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 0;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  WCHAR lfFaceName[LF_FACESIZE] = {};
};
static_assert(sizeof(LOGFONTW) == 92);

HFONT CreateFontIndirectW(const LOGFONTW* lf);

// ---- Any object ---------------------------------------------------------------
// Fills `out` with LOGPEN, LOGBRUSH, BITMAP (or DIBSECTION when the buffer is
// that large and the bitmap is a section) or LOGFONTW; returns the bytes
// written, or the size needed when `out` is null; 0 on failure.
int GetObjectW(HGDIOBJ obj, int size, void* out);
DWORD GetObjectType(HGDIOBJ obj);
// Stock and system-colour objects are never deleted (TRUE is returned, as
// on the platform). A bitmap selected into a DC is not deleted (FALSE).
BOOL DeleteObject(HGDIOBJ obj);

// Number of live objects made by the Create functions (leak checks in tests).
int GdiObjectCount();

}  // namespace gdi
