// Drawing on a device context: the DC's 32-bit memory seen as opaque RGB,
// alpha bytes kept to the GDI rule, origins and clip region honoured.
#include <gtest/gtest.h>

#include "platform/gdi/dc.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/region.h"
#include "platform/gdiplus/gdiplus.h"

using namespace gdiplus;

namespace {

// A memory DC with a 32-bit DIB section, every pixel 0xAA102030.
struct DibDC {
  gdi::HDC dc = nullptr;
  gdi::HBITMAP bmp = nullptr;
  gdi::HGDIOBJ old = nullptr;
  std::uint32_t* bits = nullptr;
  int width, height;
  bool bottomUp;
  DibDC(int w, int h, bool bottomUpRows) : width(w), height(h), bottomUp(bottomUpRows) {
    dc = gdi::CreateCompatibleDC(nullptr);
    gdi::BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(gdi::BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = bottomUp ? h : -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    void* p = nullptr;
    bmp = gdi::CreateDIBSection(dc, &bmi, gdi::DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<std::uint32_t*>(p);
    for (int i = 0; i < w * h; ++i) bits[i] = 0xAA102030;
    old = gdi::SelectObject(dc, bmp);
  }
  ~DibDC() {
    gdi::SelectObject(dc, old);
    gdi::DeleteObject(bmp);
    gdi::DeleteDC(dc);
  }
  // Pixel (x, y) counted from the top whatever the row order.
  std::uint32_t at(int x, int y) const { return bits[(bottomUp ? height - 1 - y : y) * width + x]; }
};

void fill(gdi::HDC dc, ARGB color, INT x, INT y, INT w, INT h, SmoothingMode mode = SmoothingModeNone) {
  GpGraphics* g = nullptr;
  ASSERT_EQ(GdipCreateFromHDC(dc, &g), Ok) << lastErrorMessage();
  GdipSetSmoothingMode(g, mode);
  GpSolidFill* brush = nullptr;
  GdipCreateSolidFill(color, &brush);
  EXPECT_EQ(GdipFillRectangleI(g, brush, x, y, w, h), Ok);
  GdipDeleteBrush(brush);
  GdipDeleteGraphics(g);
}

class OnDC : public testing::TestWithParam<bool> {};

TEST_P(OnDC, DrawnPixelsGetAlphaZeroAndTheRestKeepTheirs) {
  DibDC d(6, 4, GetParam());
  fill(d.dc, 0xFFFF0000, 1, 0, 2, 3);
  EXPECT_EQ(d.at(1, 0), 0x00FF0000u);
  EXPECT_EQ(d.at(2, 2), 0x00FF0000u);
  EXPECT_EQ(d.at(0, 0), 0xAA102030u);
  EXPECT_EQ(d.at(1, 3), 0xAA102030u);
}

TEST_P(OnDC, TranslucentColoursBlendWithTheOpaqueDestination) {
  DibDC d(2, 1, GetParam());
  fill(d.dc, 0x80FFFFFF, 0, 0, 1, 1);
  const std::uint32_t p = d.at(0, 0);
  EXPECT_EQ(p >> 24, 0u);
  EXPECT_NEAR(int((p >> 16) & 0xFF), (0x10 + 0xFF) / 2, 2);  // destination alpha counts as 255
  EXPECT_NEAR(int(p & 0xFF), (0x30 + 0xFF) / 2, 2);
}

TEST_P(OnDC, HonoursTheWindowOriginAndTheClipRegion) {
  DibDC d(8, 8, GetParam());
  gdi::SetWindowOrgEx(d.dc, 10, 10, nullptr);
  fill(d.dc, 0xFF00FF00, 10, 10, 2, 2);
  EXPECT_EQ(d.at(0, 0), 0x0000FF00u);
  EXPECT_EQ(d.at(1, 1), 0x0000FF00u);
  EXPECT_EQ(d.at(2, 2), 0xAA102030u);
  gdi::SetWindowOrgEx(d.dc, 0, 0, nullptr);
  gdi::HRGN clip = gdi::CreateRectRgn(4, 4, 6, 5);
  gdi::SelectClipRgn(d.dc, clip);
  gdi::DeleteObject(clip);
  fill(d.dc, 0xFF0000FF, 0, 0, 8, 8);
  EXPECT_EQ(d.at(4, 4), 0x000000FFu);
  EXPECT_EQ(d.at(5, 4), 0x000000FFu);
  EXPECT_EQ(d.at(6, 4), 0xAA102030u);
  EXPECT_EQ(d.at(4, 5), 0xAA102030u);
}

INSTANTIATE_TEST_SUITE_P(RowOrders, OnDC, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) { return i.param ? "BottomUp" : "TopDown"; });

TEST(OnDCErrors, RefusesAMissingDC) {
  GpGraphics* g = nullptr;
  EXPECT_EQ(GdipCreateFromHDC(nullptr, &g), InvalidParameter);
}

}  // namespace
