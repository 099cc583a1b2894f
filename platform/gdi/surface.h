#pragma once
// 32-bit pixel surfaces. A pixel is a little-endian uint32 0xAARRGGBB, that is
// bytes B, G, R, A in memory: byte for byte cairo ARGB32 and pixman a8r8g8b8.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/types.h"

namespace gdi {

// A non-owning view of 32-bit pixels. `stride` is in bytes and may be
// negative: a bottom-up DIB is seen top-down through its last row.
struct Surface {
  std::uint8_t* scan0 = nullptr;  // row 0 (the top row)
  std::ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;

  bool empty() const { return scan0 == nullptr || width <= 0 || height <= 0; }
  std::uint32_t* row(int y) const {
    return reinterpret_cast<std::uint32_t*>(scan0 + stride * y);
  }
  std::uint32_t& at(int x, int y) const { return row(y)[x]; }
};

// An owned, tightly packed, top-down 32-bit image (straight, not
// premultiplied, alpha when it comes from a file).
struct ImageBGRA {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height, row after row

  ImageBGRA() = default;
  ImageBGRA(int w, int h, std::uint32_t fill = 0)
      : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), fill) {}
  std::uint32_t& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
  std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
  Surface view() {
    return Surface{reinterpret_cast<std::uint8_t*>(pixels.data()),
                   std::ptrdiff_t(width) * 4, width, height};
  }
  friend bool operator==(const ImageBGRA&, const ImageBGRA&) = default;
};

// Copies the pixels of a view into an owned image.
ImageBGRA CopySurface(const Surface& s);

// The pixels of a bitmap (32-bit view of its storage) or of the surface a
// DC draws on. Empty when the handle is not valid. For a DIB section of 32
// bits the view aliases the section's bits. Views of low-depth DIB sections
// are synchronised copies: call CommitBitmapSurface after writing to them.
Surface GetBitmapSurface(HBITMAP bmp);
void CommitBitmapSurface(HBITMAP bmp);
Surface GetDCSurface(HDC dc);

// Snapshot of a rectangle (device coordinates of the DC's surface, clipped to
// it) or of a whole bitmap.
ImageBGRA CaptureDC(HDC dc, const RECT& area);
ImageBGRA CaptureBitmap(HBITMAP bmp);

// A new 32-bit bitmap holding a copy of the image (all four bytes).
HBITMAP CreateBitmapFromImage(const ImageBGRA& image);

// A DC drawing on memory owned by someone else (a window's surface). The
// memory must outlive the DC. `origin` is where device (0, 0) lies on the
// surface; `visible` (device coordinates, may be null) limits all drawing,
// as the part of a window that is not covered.
HDC CreateSurfaceDC(const Surface& surface, POINT origin = {}, HRGN visible = nullptr);

}  // namespace gdi
