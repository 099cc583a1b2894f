// The drawing surface over the graphics interface: pixel rules of shapes,
// image drawing and tiling, gradients, the shared paint canvas and its
// buffer, pens and brushes that draw nothing, text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "lib/core/dxGDIPlusClasses.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/ui/graphics.h"
#include "tests/support/dib_dc.h"
#include "tests/support/golden.h"

using namespace core;

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFF;

using testing_support::DibDC;

struct BitmapDeleter {
  void operator()(gdiplus::GpBitmap* b) const { gdiplus::GdipDisposeImage(b); }
};
using BitmapPtr = std::unique_ptr<gdiplus::GpBitmap, BitmapDeleter>;

// A 10 x 10 opaque bitmap whose column x has red 20 * (x + 1): a column of
// the output tells which source column it came from.
BitmapPtr columnRamp() {
  BitmapPtr bitmap(dxGpCreateBitmap(10, 10));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      gdiplus::GdipBitmapSetPixel(bitmap.get(), x, y, 0xFF000000u | (std::uint32_t(20 * (x + 1)) << 16));
  return bitmap;
}

int redOf(std::uint32_t rgb) { return int((rgb >> 16) & 0xFF); }

TEST(GpCanvas, RectangleMovesRightAndBottomInByOneBeforeFillAndOutline) {
  DibDC d(12, 12);
  TdxGPCanvas canvas(d.dc);
  canvas.Rectangle(ui::Rect(0, 0, 10, 10), ui::TColor(0x0000FF), ui::TColor(0xFF0000));
  struct Probe {
    int x, y;
    std::uint32_t rgb;
  };
  const Probe probes[] = {
      {0, 0, 0xFF0000}, {9, 0, 0xFF0000}, {0, 9, 0xFF0000}, {9, 9, 0xFF0000},  // outline 0..9
      {1, 1, 0x0000FF}, {8, 8, 0x0000FF}, {5, 5, 0x0000FF},                    // fill inside
      {10, 5, kWhite},  {5, 10, kWhite},  {10, 10, kWhite},                    // nothing beyond
  };
  for (const Probe& p : probes) EXPECT_EQ(d.rgb(p.x, p.y), p.rgb) << p.x << "," << p.y;
}

TEST(GpCanvas, NoneColoursTransparentFillsAndUndrawablePensDrawNothing) {
  DibDC d(8, 8);
  TdxGPCanvas canvas(d.dc);
  canvas.Rectangle(ui::Rect(0, 0, 8, 8), ui::clNone, ui::clNone);
  canvas.FillRectangle(ui::Rect(0, 0, 8, 8), TdxAlphaColor(0));
  canvas.FillRectangle(ui::Rect(0, 0, 8, 8), TdxAlphaColor(0x00FFFFFF));
  canvas.Line(0, 0, 7, 7, ui::TColor(0), 1, ui::TPenStyle::psClear);
  canvas.Line(0, 0, 7, 7, ui::TColor(0), 0);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(d.bits[i] & 0xFFFFFF, kWhite) << i;

  struct Case {
    ui::TColor color;
    float width;
    ui::TPenStyle style;
    bool made;
  };
  const Case cases[] = {
      {ui::TColor(0), 1, ui::psSolid, true},        {ui::TColor(0), 2, ui::TPenStyle::psDashDotDot, true},
      {ui::TColor(0), 0, ui::psSolid, false},       {ui::TColor(0), -1, ui::psSolid, false},
      {ui::clNone, 1, ui::psSolid, false},          {ui::TColor(0), 1, ui::TPenStyle::psClear, false},
      {ui::TColor(0), 1, ui::TPenStyle::psInsideFrame, false},
  };
  for (const Case& c : cases) {
    gdiplus::GpPen* pen = nullptr;
    EXPECT_EQ(dxGpCreatePen(pen, c.color, c.width, c.style), c.made);
    EXPECT_EQ(pen != nullptr, c.made);
    if (pen) gdiplus::GdipDeletePen(pen);
  }
  gdiplus::GpBrush* brush = nullptr;
  EXPECT_FALSE(dxGpCreateBrush(brush, ui::clNone));
  EXPECT_EQ(brush, nullptr);
}

// An enlarged source loses its last row and column (which would blend with
// the transparent space beyond); a shrunk or 1:1 source keeps them.
TEST(GpCanvas, DrawImageShrinksAnEnlargedSourceByOnePixel) {
  struct Case {
    int destSize;
    int lastSourceColumnDrawn;  // source column seen in the last destination column
  };
  // Nearest-neighbour sampling at pixel centres: a full 10-pixel source puts
  // column 9 last at 20 pixels and column 8 last at 4; a reduced one would
  // put column 8 and column 7 there.
  const Case cases[] = {{20, 8}, {10, 9}, {4, 8}};
  BitmapPtr ramp = columnRamp();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.destSize);
    DibDC d(c.destSize, c.destSize);
    TdxGPCanvas canvas(d.dc);
    canvas.SetInterpolationMode(TdxGPInterpolationMode::imNearestNeighbor);
    dxGpDrawImage(canvas.Handle(), ui::Rect(0, 0, c.destSize, c.destSize), ui::Rect(0, 0, 10, 10), nullptr, 255,
                  ramp.get());
    EXPECT_EQ(redOf(d.rgb(c.destSize - 1, 0)), 20 * (c.lastSourceColumnDrawn + 1));
  }
}

// 10 x 10 over 25 x 25: three rows and columns of cells, the last ones 5
// pixels with their source cut to 5 (not squeezed). Opaque tiling goes
// through a texture brush, translucent tiling cell by cell: both agree.
TEST(GpCanvas, TilingCutsTheLastCellsAndTheirSourceAlike) {
  BitmapPtr ramp = columnRamp();
  for (int alpha : {255, 128}) {
    SCOPED_TRACE(alpha);
    DibDC d(30, 30, 0);
    TdxGPCanvas canvas(d.dc);
    dxGpTilePartEx(canvas.Handle(), ui::Rect(0, 0, 25, 25), ui::Rect(0, 0, 10, 10), std::uint8_t(alpha), ramp.get());
    auto expected = [alpha](int sourceColumn) { return 20 * (sourceColumn + 1) * alpha / 255; };
    for (int y : {0, 12, 24}) {
      EXPECT_NEAR(redOf(d.rgb(0, y)), expected(0), 1);
      EXPECT_NEAR(redOf(d.rgb(10, y)), expected(0), 1);
      EXPECT_NEAR(redOf(d.rgb(19, y)), expected(9), 1);
      EXPECT_NEAR(redOf(d.rgb(20, y)), expected(0), 1);
      EXPECT_NEAR(redOf(d.rgb(24, y)), expected(4), 1);
      EXPECT_EQ(d.rgb(25, y), 0u);  // nothing past the destination
    }
    EXPECT_EQ(d.rgb(5, 25), 0u);
  }
}

TEST(GpCanvas, RoundRectRadiusIsLimitedToAThirdOfTheSide) {
  struct Case {
    int radius;
    float firstX;  // where the top edge starts
    int points;
  };
  const Case cases[] = {{30, 20, 0}, {10, 10, 0}, {0, 0, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.radius);
    TdxGPPath path;
    path.AddRoundRect(ui::Rect(0, 0, 60, 60), c.radius, c.radius);
    int count = 0;
    gdiplus::GdipGetPointCount(path.Handle(), &count);
    std::vector<gdiplus::GpPointF> points(count);
    gdiplus::GdipGetPathPoints(path.Handle(), points.data(), count);
    ASSERT_GE(count, 2);
    if (c.points) {
      EXPECT_EQ(count, c.points);
      continue;
    }
    EXPECT_FLOAT_EQ(points[0].X, c.firstX);
    EXPECT_FLOAT_EQ(points[1].X, 60 - c.firstX);
    std::vector<std::uint8_t> types(count);
    gdiplus::GdipGetPathTypes(path.Handle(), types.data(), count);
    EXPECT_TRUE(types.back() & gdiplus::PathPointTypeCloseSubpath);
  }
}

TEST(GpCanvas, GradientOfEqualColoursOrTheDefaultMarkerFillsPlainly) {
  struct Case {
    TdxAlphaColor second;
    bool plain;
  };
  const Case cases[] = {{0xFFFF0000, true}, {dxacDefault, true}, {0xFF0000FF, false}};
  for (const Case& c : cases) {
    DibDC d(40, 4);
    TdxGPCanvas canvas(d.dc);
    canvas.FillRectangleByGradient(ui::Rect(0, 0, 40, 4), 0xFFFF0000, c.second,
                                   TdxGPBrushGradientMode::gpbgmHorizontal);
    if (c.plain) {
      EXPECT_EQ(d.rgb(0, 0), 0xFF0000u);
      EXPECT_EQ(d.rgb(39, 3), 0xFF0000u);
    } else {
      EXPECT_GT(redOf(d.rgb(0, 0)), 0xE0);
      EXPECT_LT(d.rgb(0, 0) & 0xFF, 0x20u);
      // The brush is one pixel wider on each side, so the ends are near
      // (not at) the two colours and the tile wrap never shows.
      EXPECT_GT(d.rgb(39, 0) & 0xFF, 0xE0u);
      EXPECT_LT(redOf(d.rgb(39, 0)), 0x20);
      for (int x = 1; x < 40; ++x) ASSERT_LE(redOf(d.rgb(x, 0)), redOf(d.rgb(x - 1, 0))) << x;
    }
  }
}

// A monochrome device takes the drawing through a 32-bit buffer; nested
// paintings on the shared canvas restore the outer one.
TEST(GpCanvas, NestedPaintingOnTheSharedCanvasRestoresTheOuterDeviceAndBuffer) {
  DibDC outer(10, 10);
  gdi::HDC monoDC = gdi::CreateCompatibleDC(nullptr);
  gdi::HBITMAP mono = gdi::CreateBitmap(10, 10, 1, 1, nullptr);
  gdi::HGDIOBJ oldMono = gdi::SelectObject(monoDC, mono);
  ASSERT_TRUE(dxGpIsDoubleBufferedNeeded(monoDC));
  ASSERT_FALSE(dxGpIsDoubleBufferedNeeded(outer.dc));

  TdxGPPaintCanvas* canvas = dxGPPaintCanvas();
  canvas->BeginPaint(outer.dc, ui::Rect(0, 0, 10, 10));
  EXPECT_FALSE(canvas->IsLowColorsMode());
  canvas->BeginPaint(monoDC, ui::Rect(2, 2, 8, 8));
  EXPECT_TRUE(canvas->IsLowColorsMode());
  canvas->FillRectangle(ui::Rect(0, 0, 10, 10), 0xFFFFFFFF);
  canvas->EndPaint();
  EXPECT_EQ(canvas->SavedStateCount(), 1);
  canvas->FillRectangle(ui::Rect(0, 0, 5, 5), 0xFF00FF00);
  canvas->EndPaint();
  EXPECT_EQ(canvas->SavedStateCount(), 0);

  EXPECT_EQ(outer.rgb(0, 0), 0x00FF00u);
  EXPECT_EQ(outer.rgb(6, 6), kWhite);
  // The buffer went back onto the monochrome bitmap inside the rectangle only.
  EXPECT_EQ(gdi::GetPixel(monoDC, 3, 3), gdi::COLORREF(0xFFFFFF));
  EXPECT_EQ(gdi::GetPixel(monoDC, 0, 0), gdi::COLORREF(0));
  gdi::SelectObject(monoDC, oldMono);
  gdi::DeleteObject(mono);
  gdi::DeleteDC(monoDC);
}

TEST(GpCanvas, FillRectOnADeviceBlendsItsAlpha) {
  DibDC d(4, 4, 0);
  dxGpFillRect(d.dc, ui::Rect(1, 1, 3, 3), ui::TColor(0x0000FF), 128);
  EXPECT_EQ(d.rgb(0, 0), 0u);
  EXPECT_NEAR(redOf(d.rgb(1, 1)), 128, 1);
  EXPECT_EQ(d.rgb(3, 3), 0u);
}

TEST(GpCanvas, AntiAliasedShapes) {
  DibDC d(96, 64);
  TdxGPCanvas canvas(d.dc);
  canvas.SetSmoothingMode(TdxGPSmoothingMode::smAntiAlias);
  canvas.Ellipse(TdxRectF{4, 4, 44, 36}, ui::TColor(0x800000), ui::TColor(0x00C0FF), 2);
  canvas.RoundRectA(ui::Rect(50, 4, 92, 36), 0xFF008000, 0x8000FF00, 8, 8, 1);
  canvas.Polygon(std::vector<ui::TPoint>{{8, 60}, {28, 40}, {48, 60}}, ui::TColor(0), ui::TColor(0xFF00FF), 1);
  canvas.Line(52, 42, 92, 60, ui::TColor(0xFF0000), 3);
  EXPECT_GOLDEN(d.dc, gdi::RECT{0, 0, 96, 64}, "core", "gp_shapes",
                testing_support::GoldenOptions{24, 40});
  // What matters in the picture: solid fills inside, untouched outside,
  // the translucent round rectangle over white.
  EXPECT_EQ(d.rgb(24, 20), 0xFFC000u);  // ellipse fill (BGR colour 0x00C0FF)
  EXPECT_EQ(d.rgb(0, 0), kWhite);
  EXPECT_EQ(d.rgb(28, 52), 0xFF00FFu);
  EXPECT_NEAR(int((d.rgb(70, 20) >> 8) & 0xFF), 255, 1);
  EXPECT_NEAR(redOf(d.rgb(70, 20)), 127, 2);
}

TEST(GpCanvas, TextIsDrawnInsideItsRectangleAndMeasuredOutward) {
  DibDC d(120, 40);
  TdxGPCanvas canvas(d.dc);
  ui::TFont font;
  font.SetName(u"Tahoma");
  font.SetSize(10);
  dxGPDrawText(&canvas, u"", ui::Rect(0, 0, 120, 40), &font, 0xFF000000);
  dxGPDrawText(&canvas, u"Kestrel", ui::Rect(10, 10, 10, 30), &font, 0xFF000000);  // empty rectangle
  for (int i = 0; i < 120 * 40; ++i) ASSERT_EQ(d.bits[i] & 0xFFFFFF, kWhite);

  dxGPDrawText(&canvas, u"Kestrel", ui::Rect(10, 10, 110, 30), &font, 0xFF000000, ui::taCenter,
               TcxVerticalAlignment::vaCenter);
  int inked = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x)
      if (d.rgb(x, y) != kWhite) {
        ++inked;
        EXPECT_TRUE(x >= 10 && x < 110 && y >= 10 && y < 30) << x << "," << y;
      }
  EXPECT_GT(inked, 20);

  TdxRectF box;
  dxGPGetTextRect(canvas.Handle(), u"Kestrel", &font, false, TdxRectF{0, 0, 200, 40}, box);
  ui::TRect rect;
  dxGPGetTextRect(canvas.Handle(), u"Kestrel", &font, false, ui::Rect(0, 0, 200, 40), rect);
  EXPECT_GT(box.Width(), 20);
  EXPECT_LT(box.Width(), 200);
  // The integer form rounds outward.
  EXPECT_EQ(rect.left, static_cast<int>(std::trunc(box.Left)));
  EXPECT_EQ(rect.right, static_cast<int>(std::ceil(box.Right)));
  EXPECT_EQ(rect.bottom, static_cast<int>(std::ceil(box.Bottom)));
}

}  // namespace
