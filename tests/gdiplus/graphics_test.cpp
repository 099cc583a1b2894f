// Drawing on images: the pixel model, anti-aliasing, brushes, pens, paths,
// clipping, transforms, images with attributes. Pixels are sampled; the
// anti-aliased scene is also kept as a golden image.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "platform/gdiplus/gdiplus.h"
#include "tests/support/golden.h"

using namespace gdiplus;

namespace {

template <class T, GpStatus (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using ImagePtr = std::unique_ptr<GpImage, Deleter<GpImage, GdipDisposeImage>>;
using GraphicsPtr = std::unique_ptr<GpGraphics, Deleter<GpGraphics, GdipDeleteGraphics>>;
using BrushPtr = std::unique_ptr<GpBrush, Deleter<GpBrush, GdipDeleteBrush>>;
using PenPtr = std::unique_ptr<GpPen, Deleter<GpPen, GdipDeletePen>>;
using PathPtr = std::unique_ptr<GpPath, Deleter<GpPath, GdipDeletePath>>;

// A cleared premultiplied bitmap and a graphics on it.
struct Canvas {
  ImagePtr image;
  GraphicsPtr g;
  explicit Canvas(int w, int h, PixelFormat format = PixelFormat32bppPARGB, SmoothingMode smoothing = SmoothingModeNone) {
    GpBitmap* b = nullptr;
    EXPECT_EQ(GdipCreateBitmapFromScan0(w, h, 0, format, nullptr, &b), Ok);
    image.reset(b);
    GpGraphics* gr = nullptr;
    EXPECT_EQ(GdipGetImageGraphicsContext(b, &gr), Ok);
    g.reset(gr);
    GdipSetSmoothingMode(gr, smoothing);
  }
  GpBitmap* bitmap() const { return static_cast<GpBitmap*>(image.get()); }
  ARGB at(int x, int y) const {
    ARGB c = 0;
    EXPECT_EQ(GdipBitmapGetPixel(bitmap(), x, y, &c), Ok);
    return c;
  }
  int alpha(int x, int y) const { return static_cast<int>(at(x, y) >> 24); }
};

BrushPtr solid(ARGB color) {
  GpSolidFill* b = nullptr;
  EXPECT_EQ(GdipCreateSolidFill(color, &b), Ok);
  return BrushPtr(b);
}

PenPtr pen(ARGB color, REAL width) {
  GpPen* p = nullptr;
  EXPECT_EQ(GdipCreatePen1(color, width, UnitPixel, &p), Ok);
  return PenPtr(p);
}

constexpr ARGB kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

// Whether pixel (x, y) is inside [x0, x1) x [y0, y1).
bool inside(int x, int y, int x0, int y0, int x1, int y1) { return x >= x0 && x < x1 && y >= y0 && y < y1; }

TEST(Drawing, FilledIntegerRectanglesCoverWholePixelsInEveryMode) {
  for (SmoothingMode mode : {SmoothingModeNone, SmoothingModeAntiAlias}) {
    Canvas c(12, 12, PixelFormat32bppPARGB, mode);
    ASSERT_EQ(GdipFillRectangleI(c.g.get(), solid(kRed).get(), 1, 2, 10, 9), Ok);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 12; ++x)
        ASSERT_EQ(c.at(x, y), inside(x, y, 1, 2, 11, 11) ? kRed : 0u) << x << "," << y << " mode " << mode;
  }
}

TEST(Drawing, OnePixelOutlinesLieOnTheEdgePixels) {
  // A 1-pixel rectangle (0, 0, 9, 9) outlines the pixels 0..9 (strokes are
  // moved by half a pixel), crisp with and without anti-aliasing.
  for (SmoothingMode mode : {SmoothingModeNone, SmoothingModeAntiAlias}) {
    Canvas c(12, 12, PixelFormat32bppPARGB, mode);
    ASSERT_EQ(GdipDrawRectangleI(c.g.get(), pen(kBlue, 1).get(), 0, 0, 9, 9), Ok);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 12; ++x) {
        const bool edge = inside(x, y, 0, 0, 10, 10) && (x == 0 || x == 9 || y == 0 || y == 9);
        ASSERT_EQ(c.at(x, y), edge ? kBlue : 0u) << x << "," << y << " mode " << mode;
      }
  }
}

TEST(Drawing, HalfPixelOffsetModeStrokesOnTheGrid) {
  Canvas c(10, 10, PixelFormat32bppPARGB, SmoothingModeAntiAlias);
  GdipSetPixelOffsetMode(c.g.get(), PixelOffsetModeHalf);
  ASSERT_EQ(GdipDrawLineI(c.g.get(), pen(kRed, 1).get(), 0, 5, 10, 5), Ok);
  // The line straddles rows 4 and 5: half coverage on each.
  EXPECT_NEAR(c.alpha(3, 4), 128, 2);
  EXPECT_NEAR(c.alpha(3, 5), 128, 2);
  EXPECT_EQ(c.alpha(3, 3), 0);
}

TEST(Drawing, LinesEndAtTheirLastPointWithFlatCaps) {
  Canvas c(12, 3);
  ASSERT_EQ(GdipDrawLineI(c.g.get(), pen(kRed, 1).get(), 1, 1, 8, 1), Ok);
  for (int x = 0; x < 12; ++x) EXPECT_EQ(c.at(x, 1), inside(x, 1, 1, 1, 8, 2) ? kRed : 0u) << x;
  EXPECT_EQ(c.at(4, 0), 0u);
  EXPECT_EQ(c.at(4, 2), 0u);
}

TEST(Drawing, AntiAliasedEllipsesHavePartialEdgesAndSymmetry) {
  Canvas c(21, 21, PixelFormat32bppPARGB, SmoothingModeAntiAlias);
  ASSERT_EQ(GdipFillEllipseI(c.g.get(), solid(kRed).get(), 0, 0, 21, 21), Ok);
  EXPECT_EQ(c.at(10, 10), kRed);
  EXPECT_EQ(c.at(0, 0), 0u);
  int partial = 0;
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x) {
      const int a = c.alpha(x, y);
      if (a > 0 && a < 255) ++partial;
      // The rasteriser samples a grid, so mirrored edges differ a little.
      ASSERT_NEAR(a, c.alpha(20 - x, y), 10) << x << "," << y;
      ASSERT_NEAR(a, c.alpha(y, x), 10) << x << "," << y;
    }
  EXPECT_GT(partial, 20);
  // Without smoothing every pixel is either in or out.
  Canvas hard(21, 21);
  GdipFillEllipseI(hard.g.get(), solid(kRed).get(), 0, 0, 21, 21);
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 21; ++x) ASSERT_TRUE(hard.alpha(x, y) == 0 || hard.alpha(x, y) == 255);
}

TEST(Drawing, TranslucentColoursBlendAndSourceCopyReplaces) {
  Canvas c(4, 1);
  GdipFillRectangleI(c.g.get(), solid(0xFF0000FF).get(), 0, 0, 4, 1);
  GdipFillRectangleI(c.g.get(), solid(0x80FF0000).get(), 0, 0, 2, 1);
  const ARGB blended = c.at(0, 0);
  EXPECT_EQ(blended >> 24, 0xFFu);
  EXPECT_NEAR(int((blended >> 16) & 0xFF), 128, 2);
  EXPECT_NEAR(int(blended & 0xFF), 127, 2);
  GdipSetCompositingMode(c.g.get(), CompositingModeSourceCopy);
  GdipFillRectangleI(c.g.get(), solid(0x00000000).get(), 1, 0, 2, 1);
  EXPECT_EQ(c.at(1, 0), 0u);
  EXPECT_EQ(c.at(2, 0), 0u);
  EXPECT_EQ(c.at(3, 0), 0xFF0000FFu);
}

TEST(Drawing, ClearReplacesInsideTheClipOnly) {
  Canvas c(6, 6);
  GdipGraphicsClear(c.g.get(), kRed);
  EXPECT_EQ(c.at(5, 5), kRed);
  GdipSetClipRectI(c.g.get(), 1, 1, 2, 2, CombineModeReplace);
  GdipGraphicsClear(c.g.get(), 0x40000000);
  EXPECT_EQ(c.at(1, 1), 0x40000000u);
  EXPECT_EQ(c.at(2, 2), 0x40000000u);
  EXPECT_EQ(c.at(3, 3), kRed);
}

TEST(Drawing, ClipCombinesAndRestoresThroughRegions) {
  Canvas c(10, 10);
  GpGraphics* g = c.g.get();
  ASSERT_EQ(GdipSetClipRectI(g, 0, 0, 6, 6, CombineModeReplace), Ok);
  ASSERT_EQ(GdipSetClipRectI(g, 2, 2, 6, 6, CombineModeIntersect), Ok);
  GpRegion* saved = nullptr;
  GdipCreateRegion(&saved);
  ASSERT_EQ(GdipGetClip(g, saved), Ok);
  ASSERT_EQ(GdipSetClipRectI(g, 3, 3, 1, 1, CombineModeExclude), Ok);
  GdipFillRectangleI(g, solid(kRed).get(), 0, 0, 10, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(c.at(x, y), inside(x, y, 2, 2, 6, 6) && !(x == 3 && y == 3) ? kRed : 0u) << x << "," << y;
  BOOL visible = -1;
  GdipIsVisibleRectI(g, 7, 7, 2, 2, &visible);
  EXPECT_FALSE(visible);
  GdipIsVisibleRectI(g, 5, 5, 2, 2, &visible);
  EXPECT_TRUE(visible);

  // Restoring the saved clip brings back (3, 3).
  ASSERT_EQ(GdipSetClipRegion(g, saved, CombineModeReplace), Ok);
  GdipFillRectangleI(g, solid(kBlue).get(), 0, 0, 10, 10);
  EXPECT_EQ(c.at(3, 3), kBlue);
  EXPECT_EQ(c.at(1, 1), 0u);
  GdipDeleteRegion(saved);
  ASSERT_EQ(GdipResetClip(g), Ok);
  GdipFillRectangleI(g, solid(kBlue).get(), 0, 0, 10, 10);
  EXPECT_EQ(c.at(9, 9), kBlue);
  EXPECT_EQ(GdipSetClipRectI(g, 0, 0, 1, 1, CombineModeUnion), NotImplemented);
}

TEST(Drawing, ClipFollowsTheWorldTransformWhenSet) {
  Canvas c(10, 10);
  GdipTranslateWorldTransform(c.g.get(), 4, 4, MatrixOrderPrepend);
  GdipSetClipRectI(c.g.get(), 0, 0, 2, 2, CombineModeReplace);
  GdipResetWorldTransform(c.g.get());
  GdipFillRectangleI(c.g.get(), solid(kRed).get(), 0, 0, 10, 10);
  EXPECT_EQ(c.at(4, 4), kRed);
  EXPECT_EQ(c.at(5, 5), kRed);
  EXPECT_EQ(c.at(3, 3), 0u);
  EXPECT_EQ(c.at(6, 6), 0u);
  GpRectF bounds{};
  GdipGetClipBounds(c.g.get(), &bounds);
  EXPECT_FLOAT_EQ(bounds.X, 4);
  EXPECT_FLOAT_EQ(bounds.Width, 2);
}

TEST(Drawing, WorldTransformsScaleRotateAndTranslate) {
  Canvas c(12, 12);
  GpGraphics* g = c.g.get();
  GdipScaleWorldTransform(g, 2, 2, MatrixOrderPrepend);
  GdipTranslateWorldTransform(g, 1, 1, MatrixOrderPrepend);  // acts first: (x + 1) * 2
  GdipFillRectangleI(g, solid(kRed).get(), 0, 0, 2, 1);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(c.at(x, y), inside(x, y, 2, 2, 6, 4) ? kRed : 0u) << x << "," << y;
  // A quarter turn clockwise, then moved right: (x, y) -> (10 - y, x).
  Canvas r(12, 12);
  GdipRotateWorldTransform(r.g.get(), 90, MatrixOrderAppend);
  GdipTranslateWorldTransform(r.g.get(), 10, 0, MatrixOrderAppend);
  GdipFillRectangleI(r.g.get(), solid(kRed).get(), 0, 0, 4, 2);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(r.at(x, y), inside(x, y, 8, 0, 10, 4) ? kRed : 0u) << x << "," << y;
  GpMatrix* m = nullptr;
  GdipCreateMatrix(&m);
  GdipGetWorldTransform(r.g.get(), m);
  REAL e[6];
  GdipGetMatrixElements(m, e);
  EXPECT_NEAR(e[0], 0, 1e-6);
  EXPECT_NEAR(e[1], 1, 1e-6);
  EXPECT_NEAR(e[4], 10, 1e-6);
  GdipDeleteMatrix(m);
}

TEST(Drawing, ZeroWidthPensDrawOneDevicePixel) {
  Canvas c(20, 20);
  GdipScaleWorldTransform(c.g.get(), 4, 4, MatrixOrderPrepend);
  GdipDrawLineI(c.g.get(), pen(kRed, 0).get(), 0, 2, 4, 2);
  EXPECT_EQ(c.at(5, 8), kRed);
  EXPECT_EQ(c.at(5, 7), 0u);
  EXPECT_EQ(c.at(5, 9), 0u);
}

TEST(Drawing, DashStylesRepeatInPenWidths) {
  const struct {
    DashStyle style;
    const char* pattern;  // the first 12 pixels of a 1-pixel line
  } cases[] = {
      {DashStyleSolid, "############"},
      {DashStyleDash, "###.###.###."},
      {DashStyleDot, "#.#.#.#.#.#."},
      {DashStyleDashDot, "###.#.###.#."},
      {DashStyleDashDotDot, "###.#.#.###."},
  };
  for (const auto& k : cases) {
    Canvas c(12, 1);
    PenPtr p = pen(kRed, 1);
    ASSERT_EQ(GdipSetPenDashStyle(p.get(), k.style), Ok);
    GdipDrawLineI(c.g.get(), p.get(), 0, 0, 12, 0);
    std::string got;
    for (int x = 0; x < 12; ++x) got += c.at(x, 0) == kRed ? '#' : c.at(x, 0) == 0 ? '.' : '?';
    EXPECT_EQ(got, k.pattern) << "style " << k.style;
  }
  // Widths scale the pattern: a 2-pixel dash is 6 on, 2 off.
  Canvas wide(16, 2);
  PenPtr p = pen(kRed, 2);
  GdipSetPenDashStyle(p.get(), DashStyleDash);
  GdipSetPixelOffsetMode(wide.g.get(), PixelOffsetModeHalf);
  GdipDrawLineI(wide.g.get(), p.get(), 0, 1, 16, 1);
  EXPECT_EQ(wide.at(5, 0), kRed);
  EXPECT_EQ(wide.at(6, 0), 0u);
  EXPECT_EQ(wide.at(8, 1), kRed);
}

TEST(Drawing, RoundCapsReachPastTheEndPoints) {
  Canvas c(12, 5);
  PenPtr p = pen(kRed, 3);
  GdipSetPenLineCap197819(p.get(), LineCapRound, LineCapRound, DashCapFlat);
  GdipSetPixelOffsetMode(c.g.get(), PixelOffsetModeHalf);
  GdipDrawLineI(c.g.get(), p.get(), 3, 2, 8, 2);
  EXPECT_EQ(c.at(2, 2), kRed);  // the cap covers the pixel before the start
  EXPECT_EQ(c.at(8, 2), kRed);
  EXPECT_EQ(c.at(0, 2), 0u);
}

TEST(Drawing, LinearGradientsRunAcrossTheRectangleAndTile) {
  Canvas c(200, 4);
  const GpRect r{0, 0, 100, 4};
  GpLineGradient* g = nullptr;
  ASSERT_EQ(GdipCreateLineBrushFromRectI(&r, kRed, kBlue, LinearGradientModeHorizontal, WrapModeTile, &g), Ok);
  BrushPtr brush(g);
  GdipFillRectangleI(c.g.get(), brush.get(), 0, 0, 200, 4);
  auto red = [&](int x) { return int((c.at(x, 1) >> 16) & 0xFF); };
  auto blue = [&](int x) { return int(c.at(x, 1) & 0xFF); };
  EXPECT_GE(red(0), 250);
  EXPECT_LE(blue(0), 5);
  EXPECT_NEAR(red(50), 127, 4);
  EXPECT_GE(blue(99), 248);
  EXPECT_GE(red(100), 250);  // the tile starts again
  EXPECT_EQ(c.at(150, 0), c.at(50, 3));
  GpPointF a{0, 0}, b{0, 0};
  GpLineGradient* bad = nullptr;
  EXPECT_EQ(GdipCreateLineBrush(&a, &b, kRed, kBlue, WrapModeTile, &bad), InvalidParameter);
  EXPECT_EQ(GdipCreateLineBrushFromRectI(&r, kRed, kBlue, LinearGradientModeVertical, WrapModeClamp, &bad),
            InvalidParameter);
}

TEST(Drawing, VerticalAndDiagonalGradientsFollowTheRectangle) {
  Canvas c(40, 20);
  const GpRect r{0, 0, 40, 20};
  GpLineGradient* g = nullptr;
  ASSERT_EQ(GdipCreateLineBrushFromRectI(&r, kRed, kBlue, LinearGradientModeForwardDiagonal, WrapModeTile, &g), Ok);
  BrushPtr brush(g);
  GdipFillRectangleI(c.g.get(), brush.get(), 0, 0, 40, 20);
  // The other diagonal has one colour: (39, 0) and (0, 19) alike, half-way.
  const ARGB topRight = c.at(39, 0), bottomLeft = c.at(0, 19);
  EXPECT_NEAR(int((topRight >> 16) & 0xFF), int((bottomLeft >> 16) & 0xFF), 6);
  EXPECT_NEAR(int((topRight >> 16) & 0xFF), 128, 10);
  EXPECT_GE(int((c.at(0, 0) >> 16) & 0xFF), 245);
}

TEST(Drawing, TextureBrushesRepeatTheirImage) {
  GpBitmap* tile = nullptr;
  GdipCreateBitmapFromScan0(2, 2, 0, PixelFormat32bppARGB, nullptr, &tile);
  ImagePtr tileOwner(tile);
  GdipBitmapSetPixel(tile, 0, 0, kRed);
  GdipBitmapSetPixel(tile, 1, 1, kBlue);
  GpTexture* t = nullptr;
  ASSERT_EQ(GdipCreateTexture(tile, WrapModeTile, &t), Ok);
  BrushPtr brush(t);
  GdipBitmapSetPixel(tile, 0, 0, 0);  // the brush kept its own copy
  Canvas c(6, 6);
  GdipSetInterpolationMode(c.g.get(), InterpolationModeNearestNeighbor);
  GdipFillRectangleI(c.g.get(), brush.get(), 0, 0, 6, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) {
      const ARGB want = (x % 2 == 0 && y % 2 == 0) ? kRed : (x % 2 == 1 && y % 2 == 1) ? kBlue : 0u;
      ASSERT_EQ(c.at(x, y), want) << x << "," << y;
    }
}

TEST(Drawing, PolygonsAndPathsUseTheirFillMode) {
  // Two squares, the inner one inside the outer, both drawn the same way
  // round: alternate leaves a hole, winding does not.
  for (FillMode mode : {FillModeAlternate, FillModeWinding}) {
    GpPath* raw = nullptr;
    ASSERT_EQ(GdipCreatePath(mode, &raw), Ok);
    PathPtr path(raw);
    GdipAddPathRectangleI(raw, 0, 0, 10, 10);
    GdipAddPathRectangleI(raw, 3, 3, 4, 4);
    Canvas c(10, 10);
    ASSERT_EQ(GdipFillPath(c.g.get(), solid(kRed).get(), raw), Ok);
    EXPECT_EQ(c.at(1, 1), kRed);
    EXPECT_EQ(c.at(5, 5), mode == FillModeWinding ? kRed : 0u);
  }
  Canvas c(10, 10);
  const GpPoint star[] = {{0, 0}, {9, 0}, {0, 9}, {9, 9}};  // a bow tie: its halves meet in the middle
  ASSERT_EQ(GdipFillPolygonI(c.g.get(), solid(kRed).get(), star, 4, FillModeWinding), Ok);
  EXPECT_EQ(c.at(4, 1), kRed);
  EXPECT_EQ(c.at(1, 4), 0u);
  EXPECT_EQ(GdipFillPolygonI(c.g.get(), solid(kRed).get(), star, 2, FillModeWinding), InvalidParameter);
}

TEST(Paths, KeepFiguresAsPointsAndTypes) {
  GpPath* raw = nullptr;
  GdipCreatePath(FillModeAlternate, &raw);
  PathPtr path(raw);
  GdipAddPathLine(raw, 0, 0, 10, 0);
  GdipAddPathLine(raw, 10, 5, 0, 5);  // continues the figure
  GdipClosePathFigure(raw);
  GdipStartPathFigure(raw);
  GdipAddPathArc(raw, 0, 0, 20, 10, 0, 90);
  INT count = 0;
  GdipGetPointCount(raw, &count);
  ASSERT_EQ(count, 8);
  std::vector<BYTE> types(count);
  std::vector<GpPointF> points(count);
  GdipGetPathTypes(raw, types.data(), count);
  GdipGetPathPoints(raw, points.data(), count);
  EXPECT_EQ(types, (std::vector<BYTE>{0, 1, 1, 0x81, 0, 3, 3, 3}));
  // The arc from 0 to 90 degrees runs from the right end to the bottom.
  EXPECT_NEAR(points[4].X, 20, 1e-4);
  EXPECT_NEAR(points[4].Y, 5, 1e-4);
  EXPECT_NEAR(points[7].X, 10, 1e-4);
  EXPECT_NEAR(points[7].Y, 10, 1e-4);
  GpRectF bounds{};
  GdipGetPathWorldBounds(raw, &bounds, nullptr, nullptr);
  EXPECT_FLOAT_EQ(bounds.Width, 20);
  GpPointF last{};
  GdipGetPathLastPoint(raw, &last);
  EXPECT_NEAR(last.Y, 10, 1e-4);
}

TEST(Paths, ArcAnglesAreMeasuredOnTheEllipse) {
  // On a flat ellipse, 45 degrees is where the ray at 45 degrees meets it,
  // not the parameter 45 degrees.
  GpPath* raw = nullptr;
  GdipCreatePath(FillModeAlternate, &raw);
  PathPtr path(raw);
  GdipAddPathArc(raw, -20, -10, 40, 20, 45, 10);
  GpPointF first{};
  INT count = 0;
  GdipGetPointCount(raw, &count);
  std::vector<GpPointF> points(count);
  GdipGetPathPoints(raw, points.data(), count);
  first = points[0];
  EXPECT_NEAR(first.X, first.Y, 1e-3);
  EXPECT_NEAR(first.X * first.X / 400 + first.Y * first.Y / 100, 1.0, 1e-4);
  // A full sweep closes on itself; ellipses are closed figures of 13 points.
  GdipResetPath(raw);
  GdipAddPathEllipse(raw, 0, 0, 10, 10);
  GdipGetPointCount(raw, &count);
  EXPECT_EQ(count, 13);
}

TEST(Paths, FillAndOutlineOfARoundedRectangle) {
  GpPath* raw = nullptr;
  GdipCreatePath(FillModeAlternate, &raw);
  PathPtr path(raw);
  // Clockwise from the top-left, as the library's rounded rectangles are.
  const REAL l = 2, t = 2, r = 37, b = 27, d = 12;
  GdipStartPathFigure(raw);
  GdipAddPathLine(raw, l + d / 2, t, r - d / 2, t);
  GdipAddPathArc(raw, r - d, t, d, d, 270, 90);
  GdipAddPathLine(raw, r, t + d / 2, r, b - d / 2);
  GdipAddPathArc(raw, r - d, b - d, d, d, 0, 90);
  GdipAddPathLine(raw, r - d / 2, b, l + d / 2, b);
  GdipAddPathArc(raw, l, b - d, d, d, 90, 90);
  GdipAddPathLine(raw, l, b - d / 2, l, t + d / 2);
  GdipAddPathArc(raw, l, t, d, d, 180, 90);
  GdipClosePathFigure(raw);
  // Drawn three times larger through the world transform.
  Canvas c(120, 90, PixelFormat32bppPARGB, SmoothingModeAntiAlias);
  GdipScaleWorldTransform(c.g.get(), 3, 3, MatrixOrderPrepend);
  GdipGraphicsClear(c.g.get(), 0xFFFFFFFF);
  ASSERT_EQ(GdipFillPath(c.g.get(), solid(0xFF3070C0).get(), raw), Ok);
  PenPtr p = pen(0xFF102040, 1.5f);
  GdipSetPenLineJoin(p.get(), LineJoinRound);
  ASSERT_EQ(GdipDrawPath(c.g.get(), p.get(), raw), Ok);
  GpLineGradient* g = nullptr;
  const GpRect band{8, 12, 24, 6};
  GdipCreateLineBrushFromRectI(&band, 0xC0FFFFFF, 0x00FFFFFF, LinearGradientModeHorizontal, WrapModeTile, &g);
  BrushPtr shine(g);
  GdipFillEllipseI(c.g.get(), shine.get(), 8, 12, 24, 6);
  EXPECT_EQ(c.at(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(c.at(60, 66), 0xFF3070C0u);
  EXPECT_EQ(c.at(7, 7), 0xFFFFFFFFu);  // the corner is cut round

  BitmapData data{};
  ASSERT_EQ(GdipBitmapLockBits(c.bitmap(), nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), Ok);
  gdi::ImageBGRA picture(120, 90);
  for (int y = 0; y < 90; ++y)
    std::memcpy(&picture.at(0, y), static_cast<BYTE*>(data.Scan0) + data.Stride * y, 120 * 4);
  GdipBitmapUnlockBits(c.bitmap(), &data);
  testing_support::GoldenOptions tolerance;
  tolerance.channelTolerance = 3;
  tolerance.maxDifferingPixels = 4;
  EXPECT_GOLDEN(picture, "gdiplus", "rounded_rectangle", tolerance);
}

// ---- images -------------------------------------------------------------------------------

ImagePtr quad() {
  // 2 x 2: red, green / blue, half-transparent white.
  GpBitmap* b = nullptr;
  GdipCreateBitmapFromScan0(2, 2, 0, PixelFormat32bppARGB, nullptr, &b);
  GdipBitmapSetPixel(b, 0, 0, kRed);
  GdipBitmapSetPixel(b, 1, 0, 0xFF00FF00);
  GdipBitmapSetPixel(b, 0, 1, kBlue);
  GdipBitmapSetPixel(b, 1, 1, 0x80FFFFFF);
  return ImagePtr(b);
}

TEST(Images, DrawnIntoRectanglesPixelForPixel) {
  ImagePtr src = quad();
  Canvas c(6, 6);
  GdipSetInterpolationMode(c.g.get(), InterpolationModeNearestNeighbor);
  ASSERT_EQ(GdipDrawImageRectRectI(c.g.get(), src.get(), 1, 1, 4, 4, 0, 0, 2, 2, UnitPixel, nullptr, nullptr, nullptr),
            Ok);
  EXPECT_EQ(c.at(1, 1), kRed);
  EXPECT_EQ(c.at(2, 2), kRed);
  EXPECT_EQ(c.at(3, 1), 0xFF00FF00u);
  EXPECT_EQ(c.at(1, 4), kBlue);
  EXPECT_EQ(c.at(4, 4) >> 24, 0x80u);
  EXPECT_EQ(c.at(0, 0), 0u);
  EXPECT_EQ(c.at(5, 5), 0u);
  // A source part at its own size.
  Canvas part(3, 3);
  GdipDrawImageRectRectI(part.g.get(), src.get(), 0, 0, 1, 1, 1, 0, 1, 1, UnitPixel, nullptr, nullptr, nullptr);
  EXPECT_EQ(part.at(0, 0), 0xFF00FF00u);
  EXPECT_EQ(part.at(1, 0), 0u);
  EXPECT_EQ(GdipDrawImageRectRectI(part.g.get(), src.get(), 0, 0, 1, 1, 0, 0, 1, 1, UnitInch, nullptr, nullptr, nullptr),
            NotImplemented);
}

ColorMatrix identity() {
  ColorMatrix m{};
  for (int i = 0; i < 5; ++i) m.m[i][i] = 1;
  return m;
}

TEST(Images, AttributesScaleAlphaOrApplyAColourMatrix) {
  ImagePtr src = quad();
  GpImageAttributes* attr = nullptr;
  ASSERT_EQ(GdipCreateImageAttributes(&attr), Ok);
  ColorMatrix m = identity();
  m.m[3][3] = 0.5f;
  ASSERT_EQ(GdipSetImageAttributesColorMatrix(attr, ColorAdjustTypeBitmap, 1, &m, nullptr, ColorMatrixFlagsDefault), Ok);
  Canvas c(2, 2);
  GdipDrawImageRectRectI(c.g.get(), src.get(), 0, 0, 2, 2, 0, 0, 2, 2, UnitPixel, attr, nullptr, nullptr);
  EXPECT_NEAR(c.alpha(0, 0), 128, 1);
  EXPECT_NEAR(int((c.at(0, 0) >> 16) & 0xFF), 255, 2);  // straight colour unchanged
  EXPECT_NEAR(c.alpha(1, 1), 64, 1);

  // Red and blue swapped: a matrix that does more than alpha.
  m = identity();
  m.m[0][0] = m.m[2][2] = 0;
  m.m[0][2] = m.m[2][0] = 1;
  GdipSetImageAttributesColorMatrix(attr, ColorAdjustTypeDefault, 1, &m, nullptr, ColorMatrixFlagsDefault);
  Canvas swapped(2, 2);
  GdipDrawImageRectRectI(swapped.g.get(), src.get(), 0, 0, 2, 2, 0, 0, 2, 2, UnitPixel, attr, nullptr, nullptr);
  EXPECT_EQ(swapped.at(0, 0), kBlue);
  EXPECT_EQ(swapped.at(0, 1), kRed);
  // No-op attributes draw as they are.
  GdipSetImageAttributesNoOp(attr, ColorAdjustTypeDefault, 1);
  Canvas plain(2, 2);
  GdipDrawImageRectRectI(plain.g.get(), src.get(), 0, 0, 2, 2, 0, 0, 2, 2, UnitPixel, attr, nullptr, nullptr);
  EXPECT_EQ(plain.at(0, 0), kRed);
  GdipDisposeImageAttributes(attr);
}

TEST(Images, ScalingSmoothlyStaysInsideTheDestination) {
  ImagePtr src = quad();
  Canvas c(12, 12);
  GdipSetInterpolationMode(c.g.get(), InterpolationModeHighQualityBicubic);
  GdipDrawImageRectI(c.g.get(), src.get(), 2, 2, 8, 8);
  EXPECT_EQ(c.at(1, 5), 0u);
  EXPECT_EQ(c.at(10, 5), 0u);
  EXPECT_EQ(c.at(2, 2), kRed);  // edges are not faded
  const ARGB middle = c.at(5, 2);
  EXPECT_GT((middle >> 8) & 0xFF, 0u);
  EXPECT_GT((middle >> 16) & 0xFF, 0u);
}

// ---- targets ------------------------------------------------------------------------------

TEST(Targets, StraightAlphaBitmapsReadBackStraight) {
  Canvas c(2, 1, PixelFormat32bppARGB);
  GdipFillRectangleI(c.g.get(), solid(0x80FF0000).get(), 0, 0, 1, 1);
  EXPECT_EQ(c.at(0, 0), 0x80FF0000u);
  PixelFormat f = 0;
  GdipGetImagePixelFormat(c.image.get(), &f);
  EXPECT_EQ(f, PixelFormat32bppARGB);
}

TEST(Targets, OpaqueBitmapsStayOpaque) {
  Canvas c(2, 1, PixelFormat32bppRGB);
  GdipFillRectangleI(c.g.get(), solid(0x80FF0000).get(), 0, 0, 1, 1);
  EXPECT_EQ(c.at(0, 0) >> 24, 0xFFu);
  EXPECT_NEAR(int((c.at(0, 0) >> 16) & 0xFF), 128, 2);
  EXPECT_EQ(c.at(1, 0), 0xFF000000u);
}

TEST(Targets, CallersStraightMemoryIsDrawnThroughACopy) {
  std::uint32_t memory[4] = {0x80FF0000, 0, 0, 0};
  GpBitmap* b = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(2, 2, 8, PixelFormat32bppARGB, reinterpret_cast<BYTE*>(memory), &b), Ok);
  ImagePtr owner(b);
  GpGraphics* g = nullptr;
  ASSERT_EQ(GdipGetImageGraphicsContext(b, &g), Ok);
  GraphicsPtr graphics(g);
  GdipFillRectangleI(g, solid(kBlue).get(), 1, 1, 1, 1);
  EXPECT_EQ(memory[3], kBlue);
  EXPECT_EQ(memory[0], 0x80FF0000u);  // untouched and still straight
}

TEST(Targets, TheActiveFrameCannotChangeUnderAGraphics) {
  std::vector<std::uint8_t> none;
  Canvas c(2, 2);
  UINT count = 0;
  GdipImageGetFrameCount(c.image.get(), &FrameDimensionPage, &count);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(GdipImageSelectActiveFrame(c.image.get(), &FrameDimensionPage, 0), ObjectBusy);
}

TEST(Matrices, OrderDecidesWhichActsFirst) {
  GpMatrix* m = nullptr;
  GdipCreateMatrix(&m);
  GdipTranslateMatrix(m, 10, 0, MatrixOrderPrepend);
  GdipScaleMatrix(m, 2, 2, MatrixOrderPrepend);  // scale first, then translate
  GpPointF p{1, 1};
  GdipTransformMatrixPoints(m, &p, 1);
  EXPECT_FLOAT_EQ(p.X, 12);
  EXPECT_FLOAT_EQ(p.Y, 2);
  GdipScaleMatrix(m, 0.5f, 1, MatrixOrderAppend);  // then halve x
  p = {1, 1};
  GdipTransformMatrixPoints(m, &p, 1);
  EXPECT_FLOAT_EQ(p.X, 6);
  ASSERT_EQ(GdipInvertMatrix(m), Ok);
  GdipTransformMatrixPoints(m, &p, 1);
  EXPECT_FLOAT_EQ(p.X, 1);
  EXPECT_FLOAT_EQ(p.Y, 1);
  GdipSetMatrixElements(m, 1, 2, 2, 4, 0, 0);
  EXPECT_EQ(GdipInvertMatrix(m), InvalidParameter);
  GdipDeleteMatrix(m);
}

}  // namespace
