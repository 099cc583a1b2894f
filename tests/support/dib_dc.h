#pragma once
// A memory DC over a top-down 32-bit DIB section, for tests that draw
// through a DC and read the pixels back.
#include <cstdint>

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"

namespace testing_support {

// Filled with one colour (white unless given).
struct DibDC {
  gdi::HDC dc = nullptr;
  gdi::HBITMAP bmp = nullptr;
  gdi::HGDIOBJ old = nullptr;
  std::uint32_t* bits = nullptr;
  int width, height;
  DibDC(int w, int h, std::uint32_t fill = 0x00FFFFFF) : width(w), height(h) {
    dc = gdi::CreateCompatibleDC(nullptr);
    gdi::BITMAPINFO bmi{};
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bmp = gdi::CreateDIBSection(dc, &bmi, gdi::DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<std::uint32_t*>(p);
    for (int i = 0; i < w * h; ++i) bits[i] = fill;
    old = gdi::SelectObject(dc, bmp);
  }
  ~DibDC() {
    gdi::SelectObject(dc, old);
    gdi::DeleteObject(bmp);
    gdi::DeleteDC(dc);
  }
  std::uint32_t rgb(int x, int y) const { return bits[y * width + x] & 0x00FFFFFF; }
};

}  // namespace testing_support
