#pragma once
// A memory DC over a fresh 32-bit bitmap, for pixel checks.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi_test {

class Canvas {
 public:
  Canvas(int width, int height, gdi::COLORREF fill = gdi::RGB(255, 255, 255)) : w_(width), h_(height) {
    dc_ = gdi::CreateCompatibleDC(nullptr);
    bmp_ = gdi::CreateBitmap(width, height, 1, 32, nullptr);
    old_ = gdi::SelectObject(dc_, bmp_);
    Clear(fill);
  }
  ~Canvas() {
    gdi::SelectObject(dc_, old_);
    gdi::DeleteObject(bmp_);
    gdi::DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  gdi::HDC dc() const { return dc_; }
  gdi::HBITMAP bitmap() const { return bmp_; }
  int width() const { return w_; }
  int height() const { return h_; }

  // Fills every pixel, alpha byte included (0 unless given).
  void Clear(gdi::COLORREF c, std::uint8_t alpha = 0) {
    gdi::Surface s = gdi::GetBitmapSurface(bmp_);
    const std::uint32_t p = (std::uint32_t(alpha) << 24) | (std::uint32_t(gdi::GetRValue(c)) << 16) |
                            (std::uint32_t(gdi::GetGValue(c)) << 8) | gdi::GetBValue(c);
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) s.at(x, y) = p;
  }
  // Raw 32-bit pixel (device coordinates).
  std::uint32_t Pixel(int x, int y) const { return gdi::GetBitmapSurface(bmp_).at(x, y); }
  // RGB as COLORREF, alpha ignored.
  gdi::COLORREF Color(int x, int y) const {
    const std::uint32_t p = Pixel(x, y);
    return gdi::RGB(std::uint8_t(p >> 16), std::uint8_t(p >> 8), std::uint8_t(p));
  }
  gdi::ImageBGRA Image() const { return gdi::CaptureBitmap(bmp_); }

  // One character per pixel: '.' for `background`, '#' for anything else.
  std::string Mask(gdi::COLORREF background, int x0 = 0, int y0 = 0, int w = -1, int h = -1) const {
    if (w < 0) w = w_ - x0;
    if (h < 0) h = h_ - y0;
    std::string out;
    for (int y = y0; y < y0 + h; ++y) {
      for (int x = x0; x < x0 + w; ++x) out += Color(x, y) == background ? '.' : '#';
      out += '\n';
    }
    return out;
  }

 private:
  int w_, h_;
  gdi::HDC dc_;
  gdi::HBITMAP bmp_;
  gdi::HGDIOBJ old_;
};

// "\n"-joined rows, for readable expectations.
inline std::string Rows(std::initializer_list<const char*> rows) {
  std::string out;
  for (const char* r : rows) {
    out += r;
    out += '\n';
  }
  return out;
}

}  // namespace gdi_test
