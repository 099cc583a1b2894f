// Pixel rules of the primitives.
#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"
#include "tests/gdi/canvas.h"

using namespace gdi;
using gdi_test::Canvas;
using gdi_test::Rows;

namespace {
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
}  // namespace

TEST(Draw, FillRectExcludesRightAndBottomAndWritesAlphaZero) {
  Canvas c(6, 5);
  c.Clear(kWhite, 0xFF);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT rc{1, 1, 4, 3};
  FillRect(c.dc(), &rc, red);
  EXPECT_EQ(c.Mask(kWhite), Rows({"......", ".###..", ".###..", "......", "......"}));
  EXPECT_EQ(c.Pixel(1, 1), 0x00FF0000u);
  EXPECT_EQ(c.Pixel(0, 0), 0xFFFFFFFFu) << "untouched pixels keep their alpha";
  DeleteObject(red);
}

TEST(Draw, FillRectTakesSystemColourIndexPlusOne) {
  Canvas c(2, 2);
  RECT rc{0, 0, 2, 2};
  FillRect(c.dc(), &rc, reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_BTNFACE + 1)));
  EXPECT_EQ(c.Color(1, 1), GetSysColor(COLOR_BTNFACE));
}

TEST(Draw, LineToLeavesOutTheEndPoint) {
  struct Case {
    POINT from, to;
    const char* name;
  } cases[] = {{{1, 1}, {5, 1}, "right"}, {{5, 3}, {1, 3}, "left"}, {{2, 0}, {2, 4}, "down"},
               {{0, 4}, {4, 0}, "diagonal"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Canvas c(7, 6);
    MoveToEx(c.dc(), k.from.x, k.from.y, nullptr);
    LineTo(c.dc(), k.to.x, k.to.y);
    EXPECT_NE(c.Color(k.from.x, k.from.y), kWhite);
    EXPECT_EQ(c.Color(k.to.x, k.to.y), kWhite);
    POINT pos;
    GetCurrentPositionEx(c.dc(), &pos);
    EXPECT_EQ(pos, k.to);
  }
}

TEST(Draw, ShallowLineRoundsHalfwayPointsUp) {
  // y = x / 4 passes exactly between two pixels at x = 2 and x = 6: the
  // upper pixel (smaller y) is taken, whichever way the line runs.
  Canvas c(9, 3);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 8, 2);
  EXPECT_EQ(c.Mask(kWhite), Rows({"###......", "...####..", ".......#."}));
  c.Clear(kWhite);
  MoveToEx(c.dc(), 8, 2, nullptr);
  LineTo(c.dc(), 0, 0);
  EXPECT_EQ(c.Mask(kWhite), Rows({".##......", "...####..", ".......##"}));
}

TEST(Draw, XorPenTwiceRestoresThePicture) {
  Canvas c(10, 10, RGB(10, 200, 30));
  const gdi::ImageBGRA before = c.Image();
  SetROP2(c.dc(), R2_XORPEN);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(c.dc(), pen);
  const POINT pts[] = {{1, 1}, {8, 2}, {3, 8}, {1, 1}};
  Polyline(c.dc(), pts, 4);
  EXPECT_NE(c.Image(), before);
  Polyline(c.dc(), pts, 4);
  EXPECT_EQ(c.Image(), before) << "every pixel of the figure is drawn exactly once";
  SelectObject(c.dc(), old);
  DeleteObject(pen);
}

TEST(Draw, RectangleOutlineStaysInsideItsBounds) {
  Canvas c(7, 6);
  HBRUSH red = CreateSolidBrush(kRed);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 1, 1, 6, 5);
  EXPECT_EQ(c.Mask(kWhite), Rows({".......", ".#####.", ".#...#.", ".#...#.", ".#####.", "......."}));
  SelectObject(c.dc(), red);
  Rectangle(c.dc(), 1, 1, 6, 5);
  EXPECT_EQ(c.Color(1, 1), RGB(0, 0, 0));
  EXPECT_EQ(c.Color(4, 3), kRed);
  EXPECT_EQ(c.Color(2, 2), kRed);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(red);
}

TEST(Draw, RectangleWithNullPenFillsOnePixelLess) {
  Canvas c(6, 5);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  Rectangle(c.dc(), 1, 1, 5, 4);
  EXPECT_EQ(c.Mask(kWhite), Rows({"......", ".###..", ".###..", "......", "......"}));
}

TEST(Draw, InsideFramePenKeepsWideOutlinesInTheBounds) {
  Canvas c(8, 8);
  HPEN pen = CreatePen(PS_INSIDEFRAME, 2, RGB(0, 0, 0));
  SelectObject(c.dc(), pen);
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  Rectangle(c.dc(), 1, 1, 7, 7);
  EXPECT_EQ(c.Mask(kWhite), Rows({"........", ".######.", ".######.", ".##..##.", ".##..##.", ".######.",
                                  ".######.", "........"}));
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(Draw, EllipseTouchesEveryEdgeOfItsBoundsAndNoMore) {
  for (int size : {3, 4, 9, 10}) {
    SCOPED_TRACE(size);
    Canvas c(size + 4, size + 4);
    Ellipse(c.dc(), 2, 2, 2 + size, 2 + size);
    int minX = 99, minY = 99, maxX = -1, maxY = -1;
    for (int y = 0; y < c.height(); ++y)
      for (int x = 0; x < c.width(); ++x)
        if (c.Color(x, y) != kWhite) {
          minX = std::min(minX, x);
          maxX = std::max(maxX, x);
          minY = std::min(minY, y);
          maxY = std::max(maxY, y);
        }
    EXPECT_EQ(minX, 2);
    EXPECT_EQ(minY, 2);
    EXPECT_EQ(maxX, 2 + size - 1);
    EXPECT_EQ(maxY, 2 + size - 1);
  }
}

TEST(Draw, SmallCircleHasTheClassicShape) {
  Canvas c(6, 6);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  Ellipse(c.dc(), 1, 1, 6, 6);  // null pen: one pixel less, a 4x4 disc
  EXPECT_EQ(c.Mask(kWhite), Rows({"......", "..##..", ".####.", ".####.", "..##..", "......"}));
}

TEST(Draw, PolygonFillModes) {
  // A five-pointed star: the centre is a hole with ALTERNATE only.
  const POINT star[] = {{10, 0}, {16, 19}, {0, 7}, {20, 7}, {4, 19}};
  for (int mode : {ALTERNATE, WINDING}) {
    SCOPED_TRACE(mode);
    Canvas c(21, 21);
    SetPolyFillMode(c.dc(), mode);
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
    Polygon(c.dc(), star, 5);
    EXPECT_EQ(c.Color(10, 10), mode == WINDING ? RGB(0, 0, 0) : kWhite);
    EXPECT_EQ(c.Color(10, 3), RGB(0, 0, 0));
  }
}

TEST(Draw, PolygonWithPenCoversItsVertices) {
  Canvas c(6, 6);
  const POINT square[] = {{1, 1}, {4, 1}, {4, 4}, {1, 4}};
  Polygon(c.dc(), square, 4);
  EXPECT_EQ(c.Mask(kWhite), Rows({"......", ".####.", ".#..#.", ".#..#.", ".####.", "......"}));
}

TEST(Draw, DashedPenInOpaqueModeFillsGapsWithBackground) {
  Canvas c(30, 1);
  HPEN pen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
  SelectObject(c.dc(), pen);
  SetBkColor(c.dc(), kRed);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 12, 0);
  for (int x = 0; x < 12; ++x) EXPECT_EQ(c.Color(x, 0), (x / 3) % 2 ? kRed : RGB(0, 0, 0)) << x;
  SetBkMode(c.dc(), TRANSPARENT);
  c.Clear(kWhite);
  MoveToEx(c.dc(), 0, 0, nullptr);
  LineTo(c.dc(), 12, 0);
  EXPECT_EQ(c.Color(4, 0), kWhite);
  SelectObject(c.dc(), GetStockObject(BLACK_PEN));
  DeleteObject(pen);
}

TEST(Draw, OriginsMoveDrawingButNotTheClip) {
  Canvas c(10, 10);
  IntersectClipRect(c.dc(), 0, 0, 5, 10);
  SetWindowOrgEx(c.dc(), -3, 0, nullptr);  // logical 0 is device 3
  RECT rc{0, 0, 4, 1};
  FillRect(c.dc(), &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Mask(kWhite, 0, 0, 10, 1), "...##.....\n");
  RECT box;
  EXPECT_EQ(GetClipBox(c.dc(), &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{-3, 0, 2, 10})) << "the clip box answers logical coordinates";
}

TEST(Draw, PathToRegionMatchesPolygonRegion) {
  Canvas c(20, 20);
  const POINT tri[] = {{2, 2}, {15, 4}, {6, 14}};
  BeginPath(c.dc());
  MoveToEx(c.dc(), tri[0].x, tri[0].y, nullptr);
  LineTo(c.dc(), tri[1].x, tri[1].y);
  LineTo(c.dc(), tri[2].x, tri[2].y);
  CloseFigure(c.dc());
  EndPath(c.dc());
  EXPECT_EQ(c.Mask(kWhite), Canvas(20, 20).Mask(kWhite)) << "nothing drawn while recording";
  HRGN fromPath = PathToRegion(c.dc());
  HRGN direct = CreatePolygonRgn(tri, 3, ALTERNATE);
  ASSERT_NE(fromPath, nullptr);
  EXPECT_TRUE(EqualRgn(fromPath, direct));
  EXPECT_EQ(PathToRegion(c.dc()), nullptr) << "the path is used up";
  DeleteObject(fromPath);
  DeleteObject(direct);
}

TEST(Draw, FillPathAndStrokePath) {
  Canvas c(8, 8);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  const POINT sq[] = {{1, 1}, {5, 1}, {5, 5}, {1, 5}};
  BeginPath(c.dc());
  Polygon(c.dc(), sq, 4);
  EndPath(c.dc());
  FillPath(c.dc());
  EXPECT_EQ(c.Mask(kWhite, 0, 0, 7, 7),
            Rows({".......", ".####..", ".####..", ".####..", ".####..", ".......", "......."}));
  c.Clear(kWhite);
  BeginPath(c.dc());
  Polygon(c.dc(), sq, 4);
  EndPath(c.dc());
  StrokePath(c.dc());
  EXPECT_EQ(c.Mask(kWhite, 0, 0, 7, 7),
            Rows({".......", ".#####.", ".#...#.", ".#...#.", ".#...#.", ".#####.", "......."}));
}

TEST(Draw, GetAndSetPixelHonourClip) {
  Canvas c(4, 4);
  EXPECT_EQ(SetPixel(c.dc(), 1, 2, RGB(1, 2, 3)), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(c.dc(), 1, 2), RGB(1, 2, 3));
  EXPECT_EQ(c.Pixel(1, 2), 0x00010203u);
  EXPECT_EQ(GetPixel(c.dc(), 4, 0), CLR_INVALID);
  ExcludeClipRect(c.dc(), 0, 0, 1, 1);
  EXPECT_EQ(SetPixel(c.dc(), 0, 0, 0), CLR_INVALID);
  EXPECT_EQ(c.Color(0, 0), kWhite);
}

TEST(Draw, HatchBrushFollowsBackgroundMode) {
  Canvas c(8, 8, RGB(0, 255, 0));
  HBRUSH hatch = CreateHatchBrush(HS_HORIZONTAL, RGB(0, 0, 0));
  SelectObject(c.dc(), hatch);
  SelectObject(c.dc(), GetStockObject(NULL_PEN));
  SetBkMode(c.dc(), TRANSPARENT);
  Rectangle(c.dc(), 0, 0, 9, 9);
  EXPECT_EQ(c.Color(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(c.Color(0, 7), RGB(0, 0, 0));
  SetBkMode(c.dc(), OPAQUE);
  Rectangle(c.dc(), 0, 0, 9, 9);
  EXPECT_EQ(c.Color(0, 0), kWhite);
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(hatch);
}

TEST(Draw, MonochromePatternBrushUsesTextAndBackgroundColours) {
  // Rows of a monochrome bitmap are padded to 16 bits.
  const BYTE rows[16] = {0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0, 0xAA, 0, 0x55, 0};
  HBITMAP checker = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH brush = CreatePatternBrush(checker);
  Canvas c(4, 2);
  SetTextColor(c.dc(), kRed);
  SetBkColor(c.dc(), RGB(0, 0, 255));
  RECT rc{0, 0, 4, 2};
  FillRect(c.dc(), &rc, brush);
  // Bits set (1) -> background colour; clear (0) -> text colour.
  EXPECT_EQ(c.Color(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(c.Color(1, 0), kRed);
  EXPECT_EQ(c.Color(0, 1), kRed);
  SetBrushOrgEx(c.dc(), 1, 0, nullptr);
  FillRect(c.dc(), &rc, brush);
  EXPECT_EQ(c.Color(0, 0), kRed) << "the brush origin shifts the tile";
  DeleteObject(brush);
  DeleteObject(checker);
}

TEST(Draw, FrameRectAndInvertRect) {
  Canvas c(5, 4);
  RECT rc{0, 0, 5, 4};
  FrameRect(c.dc(), &rc, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Mask(kWhite), Rows({"#####", "#...#", "#...#", "#####"}));
  RECT inner{1, 1, 3, 3};
  InvertRect(c.dc(), &inner);
  EXPECT_EQ(c.Color(1, 1), RGB(0, 0, 0));
  EXPECT_EQ(c.Color(3, 1), kWhite);
}

TEST(Draw, RegionsFillInLogicalCoordinates) {
  Canvas c(6, 6);
  HRGN rgn = CreateRectRgn(0, 0, 2, 2);
  SetViewportOrgEx(c.dc(), 2, 2, nullptr);
  FillRgn(c.dc(), rgn, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(c.Color(2, 2), RGB(0, 0, 0));
  EXPECT_EQ(c.Color(1, 1), kWhite);
  c.Clear(kWhite);
  HRGN big = CreateRectRgn(0, 0, 4, 4);
  FrameRgn(c.dc(), big, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 1, 1);
  EXPECT_EQ(c.Mask(kWhite, 2, 2, 4, 4), Rows({"####", "#..#", "#..#", "####"}));
  DeleteObject(rgn);
  DeleteObject(big);
}
