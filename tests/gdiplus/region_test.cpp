// Regions combined in every mode, filled and used as the clip: pixel sets
// checked against the set operation on their shapes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/gdiplus/gdiplus.h"

using namespace gdiplus;

namespace {

struct Surface {
  GpBitmap* bitmap = nullptr;
  GpGraphics* g = nullptr;
  Surface(int w, int h) {
    EXPECT_EQ(GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppPARGB, nullptr, &bitmap), Ok);
    EXPECT_EQ(GdipGetImageGraphicsContext(bitmap, &g), Ok);
  }
  ~Surface() {
    GdipDeleteGraphics(g);
    GdipDisposeImage(bitmap);
  }
  ARGB at(int x, int y) const {
    ARGB c = 0;
    EXPECT_EQ(GdipBitmapGetPixel(bitmap, x, y, &c), Ok);
    return c;
  }
};

struct Region {
  GpRegion* r = nullptr;
  explicit Region(const GpRect& rect) { EXPECT_EQ(GdipCreateRegionRectI(&rect, &r), Ok); }
  Region() { EXPECT_EQ(GdipCreateRegion(&r), Ok); }
  ~Region() { GdipDeleteRegion(r); }
};

struct Fill {
  GpSolidFill* b = nullptr;
  explicit Fill(ARGB c) { EXPECT_EQ(GdipCreateSolidFill(c, &b), Ok); }
  ~Fill() { GdipDeleteBrush(b); }
};

constexpr ARGB kRegionRed = 0xFFFF0000;

bool in(int x, int y, const GpRect& r) { return x >= r.X && x < r.X + r.Width && y >= r.Y && y < r.Y + r.Height; }

// Fills the region and compares every pixel with `expected`.
void expectPixels(GpRegion* region, const std::function<bool(int, int)>& expected, const char* what) {
  Surface s(12, 12);
  Fill red(kRegionRed);
  ASSERT_EQ(GdipFillRegion(s.g, red.b, region), Ok) << what;
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) ASSERT_EQ(s.at(x, y), expected(x, y) ? kRegionRed : 0u) << what << " at " << x << "," << y;
}

}  // namespace

TEST(Region, EveryCombineModeGivesItsSetOperation) {
  const GpRect a{1, 1, 6, 6}, b{4, 3, 6, 7};
  struct Case {
    CombineMode mode;
    std::function<bool(bool, bool)> op;
    const char* name;
  } cases[] = {
      {CombineModeReplace, [](bool, bool q) { return q; }, "replace"},
      {CombineModeIntersect, [](bool p, bool q) { return p && q; }, "intersect"},
      {CombineModeUnion, [](bool p, bool q) { return p || q; }, "union"},
      {CombineModeXor, [](bool p, bool q) { return p != q; }, "xor"},
      {CombineModeExclude, [](bool p, bool q) { return p && !q; }, "exclude"},
      {CombineModeComplement, [](bool p, bool q) { return q && !p; }, "complement"},
  };
  for (const Case& k : cases) {
    Region r(a);
    ASSERT_EQ(GdipCombineRegionRectI(r.r, &b, k.mode), Ok) << k.name;
    expectPixels(r.r, [&](int x, int y) { return k.op(in(x, y, a), in(x, y, b)); }, k.name);
  }
}

TEST(Region, ModesChainAndMixWithPaths) {
  // (A union B) xor ellipse, then intersect C: a tree followed by a simple mode.
  const GpRect a{0, 0, 5, 12}, b{7, 0, 5, 12}, c{0, 2, 12, 8};
  GpPath* ellipse = nullptr;
  ASSERT_EQ(GdipCreatePath(FillModeAlternate, &ellipse), Ok);
  ASSERT_EQ(GdipAddPathEllipseI(ellipse, 2, 2, 8, 8), Ok);
  Region r(a);
  ASSERT_EQ(GdipCombineRegionRectI(r.r, &b, CombineModeUnion), Ok);
  ASSERT_EQ(GdipCombineRegionPath(r.r, ellipse, CombineModeXor), Ok);
  ASSERT_EQ(GdipCombineRegionRectI(r.r, &c, CombineModeIntersect), Ok);
  BOOL infinite = 1;
  ASSERT_EQ(GdipIsInfiniteRegion(r.r, nullptr, &infinite), Ok);
  EXPECT_FALSE(infinite);

  // The ellipse's pixels as the graphics draws it without smoothing.
  Surface e(12, 12);
  Fill red(kRegionRed);
  GdipFillPath(e.g, red.b, ellipse);
  auto inEllipse = [&](int x, int y) { return e.at(x, y) == kRegionRed; };
  ASSERT_TRUE(inEllipse(6, 6));
  ASSERT_FALSE(inEllipse(0, 0));
  expectPixels(r.r, [&](int x, int y) { return in(x, y, c) && ((in(x, y, a) || in(x, y, b)) != inEllipse(x, y)); },
               "chain");

  // Translating moves every shape of the tree.
  ASSERT_EQ(GdipTranslateRegion(r.r, 1, 0), Ok);
  expectPixels(r.r, [&](int x, int y) {
    const int u = x - 1;
    return u >= 0 && in(u, y, c) && ((in(u, y, a) || in(u, y, b)) != inEllipse(u, y));
  }, "translated");
  GdipDeletePath(ellipse);
}

TEST(Region, EmptyAndInfiniteOperands) {
  const GpRect a{2, 2, 4, 4}, none{5, 5, 0, 0};
  for (CombineMode mode : {CombineModeUnion, CombineModeXor, CombineModeExclude}) {
    Region r(a);
    ASSERT_EQ(GdipCombineRegionRectI(r.r, &none, mode), Ok);
    expectPixels(r.r, [&](int x, int y) { return in(x, y, a); }, "with an empty rectangle");
  }
  {
    Region r(a);
    ASSERT_EQ(GdipCombineRegionRectI(r.r, &none, CombineModeComplement), Ok);
    expectPixels(r.r, [](int, int) { return false; }, "complement of an empty rectangle");
  }
  {
    Region infinite;
    ASSERT_EQ(GdipCombineRegionRectI(infinite.r, &a, CombineModeXor), Ok);
    expectPixels(infinite.r, [&](int x, int y) { return !in(x, y, a); }, "infinite xor");
    ASSERT_EQ(GdipSetInfinite(infinite.r), Ok);
    BOOL yes = 0;
    GdipIsInfiniteRegion(infinite.r, nullptr, &yes);
    EXPECT_TRUE(yes);
  }
  Region r(a);
  EXPECT_EQ(GdipCombineRegionRectI(r.r, &a, static_cast<CombineMode>(7)), InvalidParameter);
}

TEST(Region, CombinedRegionClipsDrawing) {
  const GpRect a{0, 0, 6, 6}, b{4, 4, 6, 6};
  Region r(a);
  ASSERT_EQ(GdipCombineRegionRectI(r.r, &b, CombineModeXor), Ok);
  struct Case {
    CombineMode mode;
    std::function<bool(bool)> keep;
  } cases[] = {
      {CombineModeReplace, [](bool x) { return x; }},
      {CombineModeIntersect, [](bool x) { return x; }},
      {CombineModeExclude, [](bool x) { return !x; }},
  };
  for (const Case& k : cases) {
    Surface s(12, 12);
    Fill red(kRegionRed);
    ASSERT_EQ(GdipSetClipRegion(s.g, r.r, k.mode), Ok);
    GdipFillRectangleI(s.g, red.b, 0, 0, 12, 12);
    for (int y = 0; y < 12; ++y)
      for (int x = 0; x < 12; ++x)
        ASSERT_EQ(s.at(x, y), k.keep(in(x, y, a) != in(x, y, b)) ? kRegionRed : 0u) << k.mode << " at " << x << "," << y;
  }
}
