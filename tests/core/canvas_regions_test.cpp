// The library canvas: clip-region stacks and origins, tiled fills, frames,
// edges, focus rectangles, rotation, object synchronisation and the nested
// paint canvas; and region arithmetic.
#include <gtest/gtest.h>

#include <memory>

#include "lib/core/cxGraphics.h"
#include "lib/core/cxGraphicsBitmaps.h"
#include "platform/gdi/gdi.h"
#include "platform/ui/bitmap.h"
#include "tests/support/golden.h"

using namespace core;
using ui::TBitmap;

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlue = 0x0000FF;

// A white 32-bit bitmap with the library canvas over its canvas.
class Paper {
 public:
  Paper(int w, int h) {
    bmp_.SetPixelFormat(ui::pf32bit);
    bmp_.SetSize(w, h);
    canvas_ = std::make_unique<TcxCanvas>(bmp_.Canvas());
    canvas_->FillRect(TRect{0, 0, w, h}, ui::clWhite);
  }
  TcxCanvas& c() { return *canvas_; }
  TBitmap& bmp() { return bmp_; }
  std::uint32_t At(int x, int y) { return static_cast<std::uint32_t*>(bmp_.ScanLine(y))[x] & 0xFFFFFF; }
  // How many pixels of the rectangle have the colour.
  int Count(const TRect& r, std::uint32_t color) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == color;
    return n;
  }

 private:
  TBitmap bmp_;
  std::unique_ptr<TcxCanvas> canvas_;
};

TRect Box(const TcxRegion& r) { return r.BoundsRect(); }

}  // namespace

// ---- regions --------------------------------------------------------------------------------

TEST(Regions, Operations) {
  struct Case {
    TcxRegionOperation op;
    TRect bounds;
    bool inOverlap, inFirstOnly, inSecondOnly;
  } cases[] = {
      {roSet, {5, 5, 15, 15}, true, false, true},
      {roAdd, {0, 0, 15, 15}, true, true, true},
      {roSubtract, {0, 0, 10, 10}, false, true, false},
      {roIntersect, {5, 5, 10, 10}, true, false, false},
  };
  for (const Case& c : cases) {
    TcxRegion r(TRect{0, 0, 10, 10});
    r.Combine(new TcxRegion(TRect{5, 5, 15, 15}), c.op);  // the argument is freed
    EXPECT_EQ(Box(r), c.bounds) << int(c.op);
    EXPECT_EQ(r.PtInRegion(7, 7), c.inOverlap) << int(c.op);
    EXPECT_EQ(r.PtInRegion(1, 1), c.inFirstOnly) << int(c.op);
    EXPECT_EQ(r.PtInRegion(12, 12), c.inSecondOnly) << int(c.op);
  }
  const int before = gdi::GdiObjectCount();
  {
    TcxRegion r(TRect{0, 0, 4, 4});
    TcxRegion kept(TRect{2, 2, 6, 6});
    r.Combine(&kept, roAdd, false);
    r.Combine(TRect{0, 0, 1, 1}, roSubtract);
    EXPECT_FALSE(kept.IsEmpty());
    EXPECT_FALSE(r.PtInRegion(0, 0));
    r.Offset(TPoint{10, 0});
    EXPECT_TRUE(r.PtInRegion(TPoint{11, 1}));
    EXPECT_TRUE(cxPtInRegion(r.Handle(), TPoint{15, 5}));
  }
  EXPECT_EQ(gdi::GdiObjectCount(), before);  // no handle leaks
}

TEST(Regions, EmptinessAndEquality) {
  TcxRegion empty, alsoEmpty(TRect{3, 3, 3, 9}), box(TRect{0, 0, 2, 2}), same(TRect{0, 0, 2, 2});
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_TRUE(empty.IsEqual(&alsoEmpty));
  EXPECT_TRUE(box.IsEqual(&same));
  EXPECT_FALSE(box.IsEqual(&empty));
  EXPECT_FALSE(box.IsEqual(static_cast<TcxRegion*>(nullptr)));
}

// ---- clipping and origins -------------------------------------------------------------------------

class CanvasOrigins : public ::testing::TestWithParam<TPoint> {};  // window origin

TEST_P(CanvasOrigins, ClipRegionRoundTripKeepsTheCallersRegion) {
  Paper p(64, 64);
  const TPoint org = GetParam();
  p.c().SetWindowOrg(org);
  EXPECT_EQ(p.c().DCOrigin(), (TPoint{-org.x, -org.y}));

  // No clip region: the big rectangle, in the caller's coordinates.
  std::unique_ptr<TcxRegion> none(p.c().GetClipRegion());
  EXPECT_EQ(Box(*none), (TRect{org.x, org.y, 30000 + org.x, 30000 + org.y}));
  std::unique_ptr<TcxRegion> raw(p.c().GetClipRegion(false));
  EXPECT_EQ(Box(*raw), (TRect{0, 0, 30000, 30000}));

  TcxRegion mine(TRect{org.x + 4, org.y + 4, org.x + 20, org.y + 12});
  p.c().SetClipRegion(&mine, roSet, false);
  EXPECT_EQ(Box(mine), (TRect{org.x + 4, org.y + 4, org.x + 20, org.y + 12}));
  std::unique_ptr<TcxRegion> now(p.c().GetClipRegion());
  EXPECT_TRUE(now->IsEqual(&mine));
  // Drawing is clipped to it, in logical coordinates.
  p.c().FillRect(TRect{org.x, org.y, org.x + 64, org.y + 64}, ui::clRed);
  EXPECT_EQ(p.Count(TRect{0, 0, 64, 64}, kRed), 16 * 8);
  EXPECT_EQ(p.At(4, 4), kRed);
  EXPECT_EQ(p.At(20, 4), kWhite);
}

INSTANTIATE_TEST_SUITE_P(Origins, CanvasOrigins,
                         ::testing::Values(TPoint{0, 0}, TPoint{10, 5}, TPoint{-7, 3}));

TEST(Canvas, ClipStacksAndStatesRestore) {
  Paper p(40, 40);
  p.c().Brush()->SetColor(ui::clBlue);
  p.c().Font()->SetHeight(-20);
  p.c().SaveClipRegion();
  p.c().SaveState();
  p.c().IntersectClipRect(TRect{0, 0, 10, 10});
  p.c().Brush()->SetColor(ui::clRed);
  p.c().Font()->SetHeight(-30);
  p.c().Pen()->SetWidth(4);
  p.c().RestoreState();
  EXPECT_EQ(p.c().Brush()->Color(), ui::clBlue);
  EXPECT_EQ(p.c().Font()->Height(), -20);
  EXPECT_EQ(p.c().Pen()->Width(), 1);
  p.c().FillRect(TRect{0, 0, 40, 40});  // the clip rectangle went with the state
  EXPECT_EQ(p.Count(TRect{0, 0, 40, 40}, kBlue), 1600);

  p.c().SetClipRegion(new TcxRegion(TRect{0, 0, 5, 5}), roSet);
  p.c().RestoreClipRegion();  // back to "no clip"
  p.c().FillRect(TRect{0, 0, 40, 40}, ui::clRed);
  EXPECT_EQ(p.Count(TRect{0, 0, 40, 40}, kRed), 1600);
  // Restores on empty stacks do nothing.
  p.c().RestoreClipRegion();
  p.c().RestoreState();
  p.c().RestoreDC();
  EXPECT_EQ(p.c().Canvas()->LockCount(), 0);
}

TEST(Canvas, ClipOperationsAndVisibility) {
  Paper p(40, 40);
  p.c().SetClipRegion(new TcxRegion(TRect{0, 0, 20, 20}), roSet);
  p.c().SetClipRegion(new TcxRegion(TRect{10, 10, 30, 30}), roAdd);
  p.c().SetClipRegion(new TcxRegion(TRect{0, 0, 5, 5}), roSubtract);
  p.c().SetClipRegion(new TcxRegion(TRect{0, 0, 25, 40}), roIntersect);
  p.c().FillRect(TRect{0, 0, 40, 40}, ui::clRed);
  EXPECT_EQ(p.At(2, 2), kWhite);
  EXPECT_EQ(p.At(6, 6), kRed);
  EXPECT_EQ(p.At(24, 24), kRed);
  EXPECT_EQ(p.At(26, 26), kWhite);
  EXPECT_TRUE(p.c().RectVisible(TRect{0, 0, 6, 6}));
  EXPECT_TRUE(p.c().RectFullyVisible(TRect{6, 6, 9, 9}));
  EXPECT_FALSE(p.c().RectFullyVisible(TRect{3, 3, 9, 9}));
}

// ---- fills and frames -----------------------------------------------------------------------------

TEST(Canvas, TiledFillIsAlignedToTheLogicalOrigin) {
  // A 16 x 16 tile whose pixel (x, y) encodes its own coordinates.
  TBitmap tile(16, 16);
  tile.SetPixelFormat(ui::pf32bit);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) static_cast<std::uint32_t*>(tile.ScanLine(y))[x] = std::uint32_t(x << 8 | y);
  Paper p(48, 48);
  p.c().FillRect(TRect{10, 10, 40, 33}, &tile);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) {
      const bool inside = x >= 10 && x < 40 && y >= 10 && y < 33;
      ASSERT_EQ(p.At(x, y), inside ? std::uint32_t((x % 16) << 8 | (y % 16)) : kWhite) << x << "," << y;
    }
  // With the rectangle excluded afterwards, later drawing leaves it alone.
  Paper q(48, 48);
  q.c().FillRect(TRect{10, 10, 40, 33}, &tile, true);
  q.c().FillRect(TRect{0, 0, 48, 48}, ui::clRed);
  EXPECT_EQ(q.At(10, 10), std::uint32_t(10 << 8 | 10));
  EXPECT_EQ(q.At(9, 9), kRed);
}

TEST(Canvas, FillColoursAndSentinels) {
  Paper p(20, 20);
  p.c().Brush()->SetColor(ui::clBlue);
  p.c().FillRect(TRect{0, 0, 5, 5}, ui::clNone);  // nothing drawn
  EXPECT_EQ(p.At(0, 0), kWhite);
  p.c().FillRect(TRect{0, 0, 5, 5}, ui::clDefault);  // the brush as it is
  EXPECT_EQ(p.At(0, 0), kBlue);
  EXPECT_EQ(p.c().Brush()->Color(), ui::clBlue);
  // FillRegion takes clDefault as a colour value (unlike FillRect).
  TcxRegion rgn(TRect{10, 10, 12, 12});
  p.c().FillRegion(&rgn, ui::clDefault);
  EXPECT_EQ(p.c().Brush()->Color(), ui::clDefault);
  p.c().DrawRegion(&rgn, ui::clRed, ui::clBlue);
  EXPECT_EQ(p.At(10, 10), kBlue);  // the 1-pixel frame covers a 2 x 2 region
  TcxViewParams params;
  params.Color = ui::clRed;
  p.c().Rectangle(TRect{0, 10, 8, 18}, params, {bLeft, bBottom}, ui::clBlue, 2);
  EXPECT_EQ(p.At(1, 12), kBlue);
  EXPECT_EQ(p.At(2, 12), kRed);
  EXPECT_EQ(p.At(7, 10), kRed);
  EXPECT_EQ(p.At(7, 16), kBlue);
}

TEST(Canvas, FrameStripsClampToTheRectangle) {
  struct Case {
    int lineWidth;
    TcxBorders borders;
    int framed;  // pixels of a 10 x 6 rectangle in the frame colour
  } cases[] = {
      {1, cxBordersAll, 10 * 6 - 8 * 4},
      {2, cxBordersAll, 10 * 6 - 6 * 2},
      {4, cxBordersAll, 60},  // wider than half: strips stay inside
      {20, {bLeft}, 60},
      {1, {bTop, bBottom}, 20},
      {3, {}, 0},
  };
  for (const Case& c : cases) {
    Paper p(12, 8);
    p.c().FrameRect(TRect{1, 1, 11, 7}, ui::clRed, c.lineWidth, c.borders);
    EXPECT_EQ(p.Count(TRect{0, 0, 12, 8}, kRed), c.framed) << c.lineWidth;
    EXPECT_EQ(p.At(0, 0), kWhite);
  }
  // Excluded strips are kept from later drawing.
  Paper p(12, 8);
  p.c().FrameRect(TRect{1, 1, 11, 7}, ui::clRed, 1, cxBordersAll, true);
  p.c().FillRect(TRect{0, 0, 12, 8}, ui::clBlue);
  EXPECT_EQ(p.Count(TRect{0, 0, 12, 8}, kRed), 28);
  Paper e(12, 8);
  e.c().ExcludeFrameRect(TRect{1, 1, 11, 7}, 2, {bRight});
  e.c().FillRect(TRect{0, 0, 12, 8}, ui::clBlue);
  EXPECT_EQ(e.Count(TRect{0, 0, 12, 8}, kWhite), 12);
}

TEST(Canvas, EdgesUseTheSystemColourPairs) {
  gdi::ResetSysColors();
  struct Case {
    bool sunken, outer;
    ui::TColor leftTop, rightBottom;
  } cases[] = {
      {true, true, ui::clBtnShadow, ui::clBtnHighlight},
      {true, false, ui::cl3DDkShadow, ui::cl3DLight},
      {false, true, ui::cl3DLight, ui::cl3DDkShadow},
      {false, false, ui::clBtnHighlight, ui::clBtnShadow},
  };
  auto pixel = [](ui::TColor c) {
    const gdi::COLORREF rgb = ui::ColorToRGB(c);
    return (std::uint32_t(gdi::GetRValue(rgb)) << 16) | (gdi::GetGValue(rgb) << 8) | gdi::GetBValue(rgb);
  };
  for (const Case& c : cases) {
    Paper p(10, 10);
    p.c().DrawEdge(TRect{0, 0, 10, 10}, c.sunken, c.outer);
    EXPECT_EQ(p.At(0, 5), pixel(c.leftTop));
    EXPECT_EQ(p.At(5, 0), pixel(c.leftTop));
    EXPECT_EQ(p.At(9, 5), pixel(c.rightBottom));
    // Right and bottom are drawn last and own the far corners.
    EXPECT_EQ(p.At(9, 0), pixel(c.rightBottom));
    EXPECT_EQ(p.At(0, 9), pixel(c.rightBottom));
    EXPECT_EQ(p.At(5, 5), kWhite);
  }
}

TEST(Canvas, FocusRectanglesAreXorAndCanBePartial) {
  Paper p(20, 20);
  p.c().DrawFocusRect(TRect{2, 2, 18, 18});
  const int dotted = p.Count(TRect{0, 0, 20, 20}, 0x000000);
  EXPECT_GT(dotted, 20);
  p.c().DrawFocusRect(TRect{2, 2, 18, 18});  // twice erases it
  EXPECT_EQ(p.Count(TRect{0, 0, 20, 20}, kWhite), 400);

  p.c().DrawFocusRectEx(TRect{2, 2, 18, 18}, {bTop});
  EXPECT_EQ(p.Count(TRect{0, 3, 20, 20}, kWhite), 20 * 17);  // only the top line
  EXPECT_GT(p.Count(TRect{2, 2, 18, 3}, 0x000000), 4);
  p.c().DrawFocusRectEx(TRect{2, 2, 18, 18}, {bTop}, true);  // erased, then excluded
  p.c().FillRect(TRect{0, 0, 20, 20}, ui::clRed);
  EXPECT_EQ(p.Count(TRect{2, 2, 18, 3}, kWhite), 16);
  p.c().DrawFocusRectEx(TRect{0, 0, 4, 4}, {});  // nothing for no sides

  Paper inv(4, 4);
  inv.c().InvertRect(TRect{0, 0, 2, 4});
  EXPECT_EQ(inv.At(0, 0), 0u);
  EXPECT_EQ(inv.At(3, 0), kWhite);
  EXPECT_EQ(inv.c().CopyMode(), ui::cmSrcCopy);
}

TEST(Canvas, GoldenFramesEdgesFocus) {
  gdi::ResetSysColors();
  Paper p(120, 48);
  p.c().FillRect(TRect{0, 0, 120, 48}, ui::clBtnFace);
  p.c().FrameRect(TRect{4, 4, 28, 24}, ui::clNavy);
  p.c().FrameRect(TRect{32, 4, 56, 24}, ui::clMaroon, 3, {bLeft, bBottom});
  p.c().DrawComplexFrame(TRect{60, 4, 84, 24}, ui::clRed, ui::clBlue, cxBordersAll, 2);
  p.c().DrawEdge(TRect{88, 4, 116, 24}, false, true);
  p.c().DrawEdge(TRect{89, 5, 115, 23}, false, false);
  p.c().DrawEdge(TRect{4, 28, 28, 44}, true, true);
  p.c().DrawEdge(TRect{5, 29, 27, 43}, true, false);
  p.c().DrawFocusRect(TRect{32, 28, 56, 44});
  p.c().DrawFocusRectEx(TRect{60, 28, 84, 44}, {bLeft, bBottom});
  p.c().DrawDesignSelection(TRect{88, 28, 116, 44}, 3);
  EXPECT_EQ(p.At(4, 4), 0x000080u);
  EXPECT_GOLDEN(p.bmp().ToImage(), "core", "canvas_frames");
}

// ---- rotation -----------------------------------------------------------------------------------------

TEST(Canvas, RotateBitmapIndexFormulas) {
  // 3 x 2: a b c / d e f, pixel value = letter index.
  struct Case {
    TcxRotationAngle angle;
    bool flip;
    int w, h;
    std::uint32_t rows[6];  // top-down result
  } cases[] = {
      {ra0, true, 3, 2, {3, 4, 5, 0, 1, 2}},
      {raPlus90, false, 2, 3, {2, 5, 1, 4, 0, 3}},  // former top-right at top-left
      {raPlus90, true, 2, 3, {0, 3, 1, 4, 2, 5}},
      {raMinus90, false, 2, 3, {3, 0, 4, 1, 5, 2}},
      {raMinus90, true, 2, 3, {5, 2, 4, 1, 3, 0}},
      {ra180, false, 3, 2, {5, 4, 3, 2, 1, 0}},
      {ra180, true, 3, 2, {2, 1, 0, 5, 4, 3}},
      {ra0, false, 3, 2, {0, 1, 2, 3, 4, 5}},
  };
  for (const Case& c : cases) {
    TBitmap b(3, 2);
    b.SetPixelFormat(ui::pf32bit);
    for (int i = 0; i < 6; ++i) static_cast<std::uint32_t*>(b.ScanLine(i / 3))[i % 3] = std::uint32_t(i);
    TcxCanvas::RotateBitmap(&b, c.angle, c.flip);
    ASSERT_EQ(b.Width(), c.w);
    ASSERT_EQ(b.Height(), c.h);
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(static_cast<std::uint32_t*>(b.ScanLine(i / c.w))[i % c.w], c.rows[i])
          << int(c.angle) << c.flip << " at " << i;
  }
}

// ---- objects, resolution, shared canvases ------------------------------------------------------------

TEST(Canvas, SynchronizeObjectsDescribesTheSelectedObjects) {
  Paper p(8, 8);
  gdi::HDC dc = p.bmp().Canvas()->Handle();
  gdi::HBRUSH hatch = gdi::CreateHatchBrush(gdi::HS_CROSS, 0x00123456);
  gdi::HPEN pen = gdi::CreatePen(gdi::PS_DOT, 1, 0x00654321);
  gdi::HGDIOBJ oldBrush = gdi::SelectObject(dc, hatch), oldPen = gdi::SelectObject(dc, pen);
  gdi::SetROP2(dc, gdi::R2_XORPEN);
  gdi::SetTextColor(dc, 0x000000FF);
  ui::TCanvas other;
  TcxCanvas::SynchronizeObjects(&other, dc);
  EXPECT_EQ(other.Brush()->Color(), 0x00123456);
  EXPECT_EQ(other.Brush()->Style(), ui::bsCross);
  EXPECT_EQ(other.Pen()->Color(), 0x00654321);
  EXPECT_EQ(other.Pen()->Style(), ui::psDot);
  EXPECT_EQ(other.Pen()->Mode(), ui::pmXor);
  EXPECT_EQ(other.Font()->Color(), ui::clRed);
  gdi::SelectObject(dc, oldBrush);
  gdi::SelectObject(dc, oldPen);
  gdi::DeleteObject(hatch);
  gdi::DeleteObject(pen);
  gdi::SetROP2(dc, gdi::R2_COPYPEN);
}

TEST(Canvas, FontAngleAndHeight) {
  Paper p(8, 8);
  p.c().SetFontAngle(90);
  gdi::LOGFONTW lf{};
  ASSERT_EQ(gdi::GetObjectW(p.c().Font()->Handle(), sizeof(lf), &lf), int(sizeof(lf)));
  EXPECT_EQ(lf.lfEscapement, 900);
  EXPECT_EQ(lf.lfOutPrecision, 7);  // TrueType only, for a turned font
  ui::TFont big;
  big.SetHeight(-24);
  EXPECT_GE(p.c().FontHeight(&big), 24);
  EXPECT_EQ(p.c().Font()->Height(), -24);
}

TEST(Canvas, ValuesScaleWithTheScreenResolution) {
  struct Case {
    int dpi, value, scaled;
  } cases[] = {{96, 16, 16}, {144, 16, 24}, {120, 5, 6}, {192, -3, -6}};
  for (const Case& c : cases) {
    gdi::SetScreenLogPixels(c.dpi);
    EXPECT_EQ(cxGetValueCurrentDPI(c.value), c.scaled) << c.dpi;
    EXPECT_EQ(cxGetValueCurrentDPI(TRect{c.value, 0, c.value, c.value}),
              (TRect{c.scaled, 0, c.scaled, c.scaled}));
  }
  gdi::SetScreenLogPixels(96);
  EXPECT_EQ(cxGetPixelsPerInch(), (TSize{96, 96}));
}

TEST(Canvas, ControlCanvasOriginsAreRelativeToBeginPaint) {
  Paper p(32, 32);
  gdi::HDC dc = p.bmp().Canvas()->Handle();
  gdi::SetWindowOrgEx(dc, -5, -7, nullptr);  // the painting code's starting origin
  TcxControlCanvas cc(p.bmp().Canvas());
  cc.BeginPaint();
  EXPECT_EQ(cc.WindowOrg(), (TPoint{0, 0}));
  cc.SetWindowOrg(TPoint{2, 3});
  TPoint org;
  gdi::GetWindowOrgEx(dc, &org);
  EXPECT_EQ(org, (TPoint{-3, -4}));
  EXPECT_EQ(cc.DCOrigin(), (TPoint{3, 4}));
  TPoint brushOrg;
  gdi::GetBrushOrgEx(dc, &brushOrg);
  EXPECT_EQ(brushOrg, (TPoint{-5, -7}));
  cc.EndPaint();
  gdi::GetBrushOrgEx(dc, &brushOrg);
  EXPECT_EQ(brushOrg, (TPoint{0, 0}));
  gdi::SetWindowOrgEx(dc, 0, 0, nullptr);
}

TEST(Canvas, PaintCanvasNestsOnForeignContexts) {
  Paper outer(8, 8), inner(8, 8);
  TcxPaintCanvas* pc = cxPaintCanvas();
  ASSERT_NE(pc, nullptr);
  EXPECT_EQ(pc, cxPaintCanvas());
  gdi::HDC outerDC = outer.bmp().Canvas()->Handle(), innerDC = inner.bmp().Canvas()->Handle();
  pc->BeginPaint(outerDC);
  pc->FillRect(TRect{0, 0, 2, 2}, ui::clRed);
  pc->BeginPaint(innerDC);
  EXPECT_EQ(pc->Counter(), 2);
  pc->IntersectClipRect(TRect{0, 0, 1, 1});
  pc->FillRect(TRect{0, 0, 8, 8}, ui::clBlue);
  pc->EndPaint();
  pc->FillRect(TRect{6, 6, 8, 8}, ui::clBlue);  // the outer context again
  pc->EndPaint();
  pc->EndPaint();  // unpaired: nothing
  EXPECT_EQ(pc->Counter(), 0);
  EXPECT_EQ(pc->Canvas(), nullptr);
  EXPECT_EQ(outer.At(0, 0), kRed);
  EXPECT_EQ(outer.At(7, 7), kBlue);
  EXPECT_EQ(inner.Count(TRect{0, 0, 8, 8}, kBlue), 1);
  // The inner context's clip rectangle went with its saved state.
  EXPECT_EQ(gdi::GetClipRgn(innerDC, nullptr) <= 0, true);
}

TEST(Canvas, ScreenCanvasMeasuresAndGoesDormant) {
  TcxScreenCanvas* sc = cxScreenCanvas();
  ASSERT_NE(sc, nullptr);
  EXPECT_EQ(sc, cxScreenCanvas());
  EXPECT_NE(sc->Handle(), nullptr);
  EXPECT_EQ(gdi::GetDeviceCaps(sc->Handle(), gdi::LOGPIXELSY), 96);
  sc->Dormant();
  EXPECT_FALSE(sc->Canvas()->HandleAllocated());
  EXPECT_NE(sc->Handle(), nullptr);  // a new one on the next use
  sc->Dormant();
}

TEST(Canvas, SystemAndHalfToneBrushes) {
  ASSERT_NE(cxSystemBrush(gdi::COLOR_BTNFACE), nullptr);
  EXPECT_EQ(cxSystemBrush(gdi::COLOR_BTNFACE)->Color(), ui::clBtnFace);
  EXPECT_EQ(cxSystemBrush(31), nullptr);
  EXPECT_EQ(cxSystemBrush(-1), nullptr);
  Paper p(8, 8);
  gdi::HDC dc = p.bmp().Canvas()->Handle();
  gdi::SetTextColor(dc, 0x000000);
  gdi::SetBkColor(dc, 0xFFFFFF);
  TRect all{0, 0, 8, 8};
  gdi::FillRect(dc, &all, cxHalfToneBrush()->Handle());
  // A checkerboard: neighbours differ, diagonal neighbours agree.
  EXPECT_NE(p.At(0, 0), p.At(1, 0));
  EXPECT_NE(p.At(0, 0), p.At(0, 1));
  EXPECT_EQ(p.At(0, 0), p.At(1, 1));
  EXPECT_EQ(p.Count(all, 0), 32);
}

TEST(Canvas, RotatingALibraryBitmapTurnsItsShape) {
  // The library's bitmap batches its changes; a quarter turn must still end
  // with the new shape and every pixel.
  for (TcxRotationAngle angle : {raPlus90, raMinus90}) {
    TcxBitmap32 b(3, 2);
    for (int i = 0; i < 6; ++i) static_cast<std::uint32_t*>(b.ScanLine(i / 3))[i % 3] = std::uint32_t(i + 1);
    b.Rotate(angle, false);
    ASSERT_EQ(b.Width(), 2);
    ASSERT_EQ(b.Height(), 3);
    std::uint32_t sum = 0;
    for (int i = 0; i < 6; ++i) sum += static_cast<std::uint32_t*>(b.ScanLine(i / 2))[i % 2];
    EXPECT_EQ(sum, 21u) << int(angle);
  }
}
