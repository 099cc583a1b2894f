#pragma once
// The objects behind GDI handles and the handle table. Private.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/impl/region_set.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/surface.h"

namespace gdi::impl {

enum class Kind : std::uint8_t { Pen = 1, Brush, Bitmap, Region, Font, Palette };

struct DC;

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
  bool stock = false;  // never deleted
};

struct Pen : Object {
  Pen() : Object(Kind::Pen) {}
  int style = 0;  // PS_ style (low bits)
  int width = 1;
  COLORREF color = 0;
  bool dcPen = false;  // DC_PEN: the DC's pen colour
};

struct Brush : Object {
  Brush() : Object(Kind::Brush) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
  int sysIndex = -1;     // system colour brush: colour read at drawing time
  bool dcBrush = false;  // DC_BRUSH: the DC's brush colour
  // BS_PATTERN: the tile; monochrome tiles keep 0 or 0x00FFFFFF pixels.
  ImageBGRA pattern;
  bool monoPattern = false;
  ULONG_PTR patternHandle = 0;  // the bitmap it was made from, for LOGBRUSH
};

struct Font : Object {
  Font() : Object(Kind::Font) {}
  LOGFONTW lf;
};

struct Palette : Object {
  Palette() : Object(Kind::Palette) {}
};

struct Region : Object {
  Region() : Object(Kind::Region) {}
  RegionSet set;
};

// Pixel formats of DIB sections other than 32-bit BI_RGB.
struct DibFormat {
  int bpp = 32;
  bool topDown = true;
  DWORD compression = BI_RGB;
  DWORD masks[3] = {0, 0, 0};   // BI_BITFIELDS (or the implied 5-5-5 for 16 bits)
  std::vector<RGBQUAD> colors;  // up to 8 bits
};

struct Bitmap : Object {
  Bitmap() : Object(Kind::Bitmap) {}
  int width = 0;
  int height = 0;
  int bpp = 32;       // what GetObject reports
  bool mono = false;  // monochrome device bitmap: pixels 0 or 0x00FFFFFF
  bool dib = false;
  DibFormat format;   // DIB sections
  // 32-bit pixels of device bitmaps, and the working copy of low-depth DIB
  // sections.
  std::vector<std::uint32_t> pixels;
  // The section's own bits (any depth). For 32-bit sections these are the
  // pixels themselves.
  std::vector<std::uint8_t> dibBits;
  DC* selectedIn = nullptr;

  bool directSection() const { return dib && format.bpp == 32 && format.compression == BI_RGB; }
  // 32-bit view; low-depth sections are converted from their bits first.
  Surface surface();
  // After writing through surface(): low-depth sections convert back.
  void commit();
  int dibStride() const;
};

// The handle table. Handles are never reused, so a stale handle fails.
std::uintptr_t addObject(std::shared_ptr<Object> obj);
std::shared_ptr<Object> findObject(const void* handle);
bool removeObject(const void* handle);
int objectCount();

template <class T>
std::shared_ptr<T> find(const void* handle, Kind kind) {
  auto o = findObject(handle);
  if (!o || o->kind != kind) return nullptr;
  return std::static_pointer_cast<T>(o);
}
inline std::shared_ptr<Pen> findPen(const void* h) { return find<Pen>(h, Kind::Pen); }
inline std::shared_ptr<Brush> findBrush(const void* h) { return find<Brush>(h, Kind::Brush); }
inline std::shared_ptr<Bitmap> findBitmap(const void* h) { return find<Bitmap>(h, Kind::Bitmap); }
inline std::shared_ptr<Region> findRegion(const void* h) { return find<Region>(h, Kind::Region); }
inline std::shared_ptr<Font> findFont(const void* h) { return find<Font>(h, Kind::Font); }

template <class H>
H handleOf(std::uintptr_t v) {
  return reinterpret_cast<H>(v);
}
inline std::uintptr_t handleValue(const void* h) { return reinterpret_cast<std::uintptr_t>(h); }

// The stock 1x1 monochrome bitmap every memory DC starts with.
HBITMAP defaultBitmap();

// Colour conversions between COLORREF (0x00BBGGRR) and pixels (0xAARRGGBB).
constexpr std::uint32_t toPixel(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF toColorRef(std::uint32_t p) {
  return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}
// The black or white a colour becomes on a monochrome surface.
constexpr std::uint32_t toMono(std::uint32_t p) {
  const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  return (r * 30 + g * 59 + b * 11) >= 12750 ? 0x00FFFFFFu : 0u;
}

// Row conversion between DIB bits and 32-bit pixels.
std::size_t dibStride(int width, int bpp);
bool validDibHeader(const BITMAPINFOHEADER& h);
// Reads the colour table / masks that follow a header.
DibFormat dibFormatOf(const BITMAPINFO* bmi);
void dibRowToPixels(const std::uint8_t* row, const DibFormat& f, std::uint32_t* out, int width);
void pixelsToDibRow(const std::uint32_t* in, int width, const DibFormat& f, std::uint8_t* row);
// The colour table GetDIBits reports for a depth.
std::vector<RGBQUAD> defaultColorTable(int bpp, bool mono);

}  // namespace gdi::impl
