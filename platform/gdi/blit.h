#pragma once
// Block transfers, DIB conversions, alpha blending and gradients.
//
// Monochrome rules: a monochrome source drawn on a colour DC gives the
// destination's background colour for 1 and its text colour for 0; a colour
// source drawn on a monochrome DC gives 1 where the pixel equals the source
// DC's background colour, else 0. SRCCOPY copies all four bytes; other
// operations work bitwise on all four bytes.
#include "platform/gdi/objects.h"
#include "platform/gdi/rop.h"
#include "platform/gdi/types.h"

namespace gdi {

BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
// Nearest-pixel scaling. Negative sizes mirror: x (or y) is then the first
// pixel drawn, the run going left (or up). Any stretch mode is accepted.
BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
                int srcWidth, int srcHeight, DWORD rop);
// The selected brush; width/height may be negative (the rectangle is
// normalised).
BOOL PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
// `mask` is monochrome: 1 selects the foreground ROP of `rop4`, 0 the
// background ROP. Null mask: the foreground ROP everywhere.
BOOL MaskBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
             HBITMAP mask, int xMask, int yMask, DWORD rop4);
// Copies (stretched) source pixels whose colour is not `transparent`.
BOOL TransparentBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
                    int srcWidth, int srcHeight, UINT transparent);

// ---- Alpha blending ----------------------------------------------------------------
constexpr BYTE AC_SRC_OVER = 0x00;
constexpr BYTE AC_SRC_ALPHA = 0x01;

struct BLENDFUNCTION {
  BYTE BlendOp = AC_SRC_OVER;
  BYTE BlendFlags = 0;
  BYTE SourceConstantAlpha = 255;
  BYTE AlphaFormat = 0;
};

// Source-over: s' = source * constantAlpha / 255 (all four bytes); with
// AC_SRC_ALPHA the source is premultiplied and srcA = s'.alpha, otherwise
// srcA = constantAlpha; result = s' + dest * (1 - srcA / 255), rounded.
BOOL AlphaBlend(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc,
                int srcWidth, int srcHeight, BLENDFUNCTION blend);

// ---- Gradients ----------------------------------------------------------------------
struct TRIVERTEX {
  LONG x = 0;
  LONG y = 0;
  COLOR16 Red = 0;  // 8-bit value << 8
  COLOR16 Green = 0;
  COLOR16 Blue = 0;
  COLOR16 Alpha = 0;
};
struct GRADIENT_RECT {
  ULONG UpperLeft = 0;
  ULONG LowerRight = 0;
};
struct GRADIENT_TRIANGLE {
  ULONG Vertex1 = 0;
  ULONG Vertex2 = 0;
  ULONG Vertex3 = 0;
};
constexpr ULONG GRADIENT_FILL_RECT_H = 0;
constexpr ULONG GRADIENT_FILL_RECT_V = 1;
constexpr ULONG GRADIENT_FILL_TRIANGLE = 2;

// Writes the interpolated vertex colours and alphas.
BOOL GradientFill(HDC dc, const TRIVERTEX* vertices, ULONG vertexCount, const void* mesh,
                  ULONG meshCount, ULONG mode);

// ---- DIBs -----------------------------------------------------------------------------
// Rows of the bitmap converted into the format `bmi` describes (1, 4, 8, 16,
// 24 or 32 bits). With null `bits` only the header (size, image size) and,
// for up to 8 bits, the colour table are filled in. Returns the lines
// copied, 0 on failure.
int GetDIBits(HDC dc, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* bmi,
              UINT usage);
// Converts rows into the bitmap (32-bit rows keep their alpha byte, other
// depths give alpha 0). Returns the lines copied.
int SetDIBits(HDC dc, HBITMAP bmp, UINT start, UINT lines, const void* bits,
              const BITMAPINFO* bmi, UINT usage);
// ySrc counts from the DIB's bottom row for bottom-up DIBs and from its top
// row for top-down ones; `start`/`lines` give the band of scan lines (in
// memory order) present in `bits`.
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD width, DWORD height, int xSrc,
                      int ySrc, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi,
                      UINT usage);
int StretchDIBits(HDC dc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* bmi,
                  UINT usage, DWORD rop);

}  // namespace gdi
