#pragma once
// Basic GDI types: integer aliases, geometry records, colour values and the
// opaque handle types. Names and values are the platform's so that drawing
// code reads as it was written against it.
#include <cstdint>

namespace gdi {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using INT = int;
using COLOR16 = std::uint16_t;
using ULONG_PTR = std::uintptr_t;
using WCHAR = char16_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

struct POINT {
  LONG x = 0;
  LONG y = 0;
  friend bool operator==(const POINT&, const POINT&) = default;
};

struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
  friend bool operator==(const SIZE&, const SIZE&) = default;
};

// Right and bottom are exclusive.
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
  friend bool operator==(const RECT&, const RECT&) = default;
};

// 0x00BBGGRR.
using COLORREF = DWORD;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
  return COLORREF(r) | (COLORREF(g) << 8) | (COLORREF(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE((c >> 16) & 0xFF); }

// Opaque handles. Every GDI object handle converts to HGDIOBJ (as the
// platform's SelectObject/DeleteObject take any object); going back needs a
// static_cast, as on the platform. A handle is a key into the handle table,
// never a pointer to memory.
struct HGDIOBJ__ {};
struct HBITMAP__ : HGDIOBJ__ {};
struct HPEN__ : HGDIOBJ__ {};
struct HBRUSH__ : HGDIOBJ__ {};
struct HRGN__ : HGDIOBJ__ {};
struct HFONT__ : HGDIOBJ__ {};
struct HPALETTE__ : HGDIOBJ__ {};
struct HDC__ {};

using HGDIOBJ = HGDIOBJ__*;
using HBITMAP = HBITMAP__*;
using HPEN = HPEN__*;
using HBRUSH = HBRUSH__*;
using HRGN = HRGN__*;
using HFONT = HFONT__*;
using HPALETTE = HPALETTE__*;
using HDC = HDC__*;

// Object types as GetObjectType reports them.
constexpr DWORD OBJ_PEN = 1;
constexpr DWORD OBJ_BRUSH = 2;
constexpr DWORD OBJ_DC = 3;
constexpr DWORD OBJ_PAL = 5;
constexpr DWORD OBJ_FONT = 6;
constexpr DWORD OBJ_BITMAP = 7;
constexpr DWORD OBJ_REGION = 8;
constexpr DWORD OBJ_MEMDC = 10;

// Rectangle helpers of the user interface layer that drawing code uses with
// GDI calls.
BOOL SetRect(RECT* rc, int left, int top, int right, int bottom);
BOOL SetRectEmpty(RECT* rc);
BOOL CopyRect(RECT* dst, const RECT* src);
BOOL IsRectEmpty(const RECT* rc);
BOOL OffsetRect(RECT* rc, int dx, int dy);
BOOL InflateRect(RECT* rc, int dx, int dy);
BOOL IntersectRect(RECT* dst, const RECT* a, const RECT* b);
BOOL UnionRect(RECT* dst, const RECT* a, const RECT* b);
BOOL PtInRect(const RECT* rc, POINT pt);
BOOL EqualRect(const RECT* a, const RECT* b);

}  // namespace gdi
