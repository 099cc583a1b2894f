// Curves and Bezier curves in paths, styled curve outlines, the solid fill
// fast path under clipping, and HALFTONE stretching.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/gdi/gdi.h"
#include "tests/gdi/canvas.h"

using namespace gdi;
using gdi_test::Canvas;

namespace {
constexpr COLORREF kPathWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kPathRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Region pixels as a mask over w x h.
std::string RegionMask(HRGN rgn, int w, int h) {
  std::string out;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) out += PtInRegion(rgn, x, y) ? '#' : '.';
    out += '\n';
  }
  return out;
}

struct Shape {
  const char* name;
  std::function<BOOL(HDC, const RECT&)> draw;
  std::function<HRGN(const RECT&)> region;  // of the same rectangle less one right and bottom
};

const Shape kShapes[] = {
    {"ellipse", [](HDC dc, const RECT& r) { return Ellipse(dc, r.left, r.top, r.right, r.bottom); },
     [](const RECT& r) { return CreateEllipticRgn(r.left, r.top, r.right - 1, r.bottom - 1); }},
    {"round rectangle", [](HDC dc, const RECT& r) { return RoundRect(dc, r.left, r.top, r.right, r.bottom, 7, 5); },
     [](const RECT& r) { return CreateRoundRectRgn(r.left, r.top, r.right - 1, r.bottom - 1, 7, 5); }},
    {"rectangle", [](HDC dc, const RECT& r) { return Rectangle(dc, r.left, r.top, r.right, r.bottom); },
     [](const RECT& r) { return CreateRectRgn(r.left, r.top, r.right - 1, r.bottom - 1); }},
};

const RECT kBoxes[] = {{2, 3, 19, 14}, {1, 1, 22, 22}, {4, 2, 9, 20}, {0, 0, 3, 3}, {5, 5, 6, 9}};

}  // namespace

TEST(Path, ShapesBecomeTheRegionOfTheirNullPenInterior) {
  for (const Shape& s : kShapes) {
    for (const RECT& box : kBoxes) {
      SCOPED_TRACE(std::string(s.name) + " " + std::to_string(box.left) + "," + std::to_string(box.top) + "," +
                   std::to_string(box.right) + "," + std::to_string(box.bottom));
      Canvas c(24, 24);
      ASSERT_TRUE(BeginPath(c.dc()));
      ASSERT_TRUE(s.draw(c.dc(), box));
      ASSERT_TRUE(EndPath(c.dc()));
      EXPECT_EQ(c.Mask(kPathWhite), Canvas(24, 24).Mask(kPathWhite)) << "nothing drawn while recording";
      HRGN fromPath = PathToRegion(c.dc());
      HRGN direct = s.region(box);
      ASSERT_NE(fromPath, nullptr);
      EXPECT_EQ(RegionMask(fromPath, 24, 24), RegionMask(direct, 24, 24));
      EXPECT_TRUE(EqualRgn(fromPath, direct));

      // FillPath paints what the shape with a null pen paints.
      Canvas filled(24, 24), direct2(24, 24);
      for (Canvas* k : {&filled, &direct2}) {
        SelectObject(k->dc(), GetStockObject(BLACK_BRUSH));
        SelectObject(k->dc(), GetStockObject(NULL_PEN));
      }
      BeginPath(filled.dc());
      s.draw(filled.dc(), box);
      EndPath(filled.dc());
      ASSERT_TRUE(FillPath(filled.dc()));
      s.draw(direct2.dc(), box);
      EXPECT_EQ(filled.Mask(kPathWhite), direct2.Mask(kPathWhite));
      DeleteObject(fromPath);
      DeleteObject(direct);
    }
  }
}

TEST(Path, LogicalOriginAndGetPath) {
  Canvas c(24, 24);
  SetWindowOrgEx(c.dc(), -3, -2, nullptr);
  BeginPath(c.dc());
  Ellipse(c.dc(), 0, 0, 11, 9);
  EndPath(c.dc());
  const int n = GetPath(c.dc(), nullptr, nullptr, 0);
  ASSERT_GT(n, 4);
  std::vector<POINT> pts(static_cast<std::size_t>(n));
  std::vector<BYTE> types(static_cast<std::size_t>(n));
  ASSERT_EQ(GetPath(c.dc(), pts.data(), types.data(), n), n);
  EXPECT_EQ(types.front(), PT_MOVETO);
  EXPECT_EQ(types.back(), PT_LINETO | PT_CLOSEFIGURE);
  for (const POINT& q : pts) {
    EXPECT_TRUE(q.x >= 0 && q.x <= 10 && q.y >= 0 && q.y <= 8) << "logical points " << q.x << "," << q.y;
  }
  HRGN fromPath = PathToRegion(c.dc());
  HRGN direct = CreateEllipticRgn(3, 2, 13, 10);
  EXPECT_TRUE(EqualRgn(fromPath, direct)) << "device coordinates";
  DeleteObject(fromPath);
  DeleteObject(direct);
}

TEST(Path, ArcsPiesChordsAndBeziersAreRecorded) {
  Canvas c(30, 30);
  // From the top counter-clockwise to the bottom: the left half.
  BeginPath(c.dc());
  ASSERT_TRUE(Pie(c.dc(), 0, 0, 21, 21, 10, 0, 10, 20));
  EndPath(c.dc());
  HRGN pie = PathToRegion(c.dc());
  ASSERT_NE(pie, nullptr);
  EXPECT_TRUE(PtInRegion(pie, 4, 10));
  EXPECT_FALSE(PtInRegion(pie, 16, 10));
  DeleteObject(pie);

  BeginPath(c.dc());
  ASSERT_TRUE(Chord(c.dc(), 0, 0, 21, 21, 20, 10, 0, 10));  // upper half
  EndPath(c.dc());
  HRGN chord = PathToRegion(c.dc());
  EXPECT_TRUE(PtInRegion(chord, 10, 4));
  EXPECT_FALSE(PtInRegion(chord, 10, 16));
  DeleteObject(chord);

  // An open arc is stroked but fills nothing on its own.
  BeginPath(c.dc());
  ASSERT_TRUE(Arc(c.dc(), 0, 0, 21, 21, 20, 10, 0, 10));
  EndPath(c.dc());
  ASSERT_TRUE(StrokePath(c.dc()));
  EXPECT_EQ(c.Color(10, 0), kBlack) << "top of the arc";
  EXPECT_EQ(c.Color(10, 20), kPathWhite) << "the lower half is not part of the arc";

  // ArcTo joins the current position to the arc and moves it to the arc's end.
  c.Clear(kPathWhite);
  MoveToEx(c.dc(), 25, 25, nullptr);
  BeginPath(c.dc());
  ASSERT_TRUE(ArcTo(c.dc(), 0, 0, 21, 21, 20, 10, 0, 10));
  EndPath(c.dc());
  POINT pos;
  GetCurrentPositionEx(c.dc(), &pos);
  EXPECT_EQ(pos.x, 0);
  EXPECT_EQ(pos.y, 10);
  const int n = GetPath(c.dc(), nullptr, nullptr, 0);
  std::vector<POINT> pts(static_cast<std::size_t>(n));
  std::vector<BYTE> types(static_cast<std::size_t>(n));
  ASSERT_EQ(GetPath(c.dc(), pts.data(), types.data(), n), n);
  EXPECT_EQ(pts.front().x, 25);
  EXPECT_EQ(pts.front().y, 25);
  EXPECT_EQ(pts.back().x, 0);
  EXPECT_EQ(pts.back().y, 10);
  AbortPath(c.dc());
  EXPECT_EQ(GetPath(c.dc(), nullptr, nullptr, 0), -1) << "aborted";

  // A Bezier curve with its control points on a straight line is that line.
  const POINT straight[] = {{2, 5}, {8, 5}, {14, 5}, {20, 5}};
  BeginPath(c.dc());
  ASSERT_TRUE(PolyBezier(c.dc(), straight, 4));
  EndPath(c.dc());
  StrokePath(c.dc());
  Canvas line(30, 30);
  MoveToEx(line.dc(), 2, 5, nullptr);
  LineTo(line.dc(), 20, 5);
  EXPECT_EQ(c.Mask(kPathWhite), line.Mask(kPathWhite));
  EXPECT_FALSE(PolyBezier(c.dc(), straight, 3)) << "1 + 3n points";

  // PolyBezierTo continues the figure; CloseFigure closes it for the fill.
  c.Clear(kPathWhite);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  const POINT curve[] = {{20, 2}, {28, 14}, {20, 26}};
  BeginPath(c.dc());
  MoveToEx(c.dc(), 4, 2, nullptr);
  LineTo(c.dc(), 20, 2);
  ASSERT_TRUE(PolyBezierTo(c.dc(), curve, 3));
  LineTo(c.dc(), 4, 26);
  CloseFigure(c.dc());
  EndPath(c.dc());
  GetCurrentPositionEx(c.dc(), &pos);
  EXPECT_EQ(pos.x, 4);
  ASSERT_TRUE(StrokeAndFillPath(c.dc()));
  EXPECT_EQ(c.Color(12, 14), kBlack) << "inside";
  EXPECT_EQ(c.Color(23, 14), kBlack) << "inside the bulge";
  EXPECT_EQ(c.Color(27, 14), kPathWhite) << "beyond the curve";
}

TEST(StyledCurves, DashesRunAlongTheOutline) {
  struct Case {
    const char* name;
    std::function<void(HDC)> draw;
  } cases[] = {
      {"ellipse", [](HDC dc) { Ellipse(dc, 2, 2, 40, 30); }},
      {"round rectangle", [](HDC dc) { RoundRect(dc, 2, 2, 40, 30, 14, 10); }},
      {"arc", [](HDC dc) { Arc(dc, 2, 2, 40, 30, 40, 16, 2, 16); }},
  };
  for (const Case& k : cases) {
    for (int style : {PS_DASH, PS_DOT}) {
      SCOPED_TRACE(std::string(k.name) + (style == PS_DASH ? " dash" : " dot"));
      auto drawWith = [&](Canvas& c, int penStyle, int bkMode) {
        HPEN pen = CreatePen(penStyle, 1, kPathRed);
        HGDIOBJ old = SelectObject(c.dc(), pen);
        SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
        SetBkMode(c.dc(), bkMode);
        SetBkColor(c.dc(), kBlue);
        k.draw(c.dc());
        SelectObject(c.dc(), old);
        DeleteObject(pen);
      };
      Canvas solid(44, 34), transparent(44, 34), opaque(44, 34);
      drawWith(solid, PS_SOLID, OPAQUE);
      drawWith(transparent, style, TRANSPARENT);
      drawWith(opaque, style, OPAQUE);
      int on = 0, off = 0;
      for (int y = 0; y < 34; ++y) {
        for (int x = 0; x < 44; ++x) {
          const bool outline = solid.Color(x, y) == kPathRed;
          const COLORREF t = transparent.Color(x, y), o = opaque.Color(x, y);
          ASSERT_TRUE(outline || (t == kPathWhite && o == kPathWhite)) << x << "," << y << " off the outline";
          if (!outline) continue;
          ASSERT_TRUE(t == kPathRed || t == kPathWhite);
          if (t == kPathRed) {
            ++on;
            ASSERT_EQ(o, kPathRed);
          } else {
            ++off;
            ASSERT_EQ(o, kBlue) << "gaps take the background colour when opaque";
          }
        }
      }
      EXPECT_GT(on, 0);
      EXPECT_GT(off, 0);
      // Dots are 3 on, 3 off; dashes 18 on, 6 off.
      const double share = double(on) / (on + off);
      if (style == PS_DOT) EXPECT_NEAR(share, 0.5, 0.1);
      else EXPECT_NEAR(share, 0.75, 0.1);
    }
  }
}

TEST(SolidFill, RowsOfEveryLengthAndAlignmentUnderClipping) {
  // The fast fill across lengths and start offsets, then through a clip
  // region of many rectangles.
  Canvas c(70, 8);
  HBRUSH brush = CreateSolidBrush(RGB(0x12, 0x34, 0x56));
  for (int x0 = 0; x0 < 5; ++x0) {
    for (int len = 0; len <= 40; ++len) {
      c.Clear(kPathWhite, 0xFF);
      RECT rc{x0, 2, x0 + len, 5};
      FillRect(c.dc(), &rc, brush);
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 70; ++x)
          ASSERT_EQ(c.Pixel(x, y), x >= x0 && x < x0 + len && y >= 2 && y < 5 ? 0x00123456u : 0xFFFFFFFFu)
              << x0 << "+" << len << " at " << x << "," << y;
    }
  }
  DeleteObject(brush);

  for (int way = 0; way < 2; ++way) {
    Canvas k(40, 30);
    HRGN clip = CreateEllipticRgn(3, 2, 37, 28);
    HRGN hole = CreateRectRgn(15, 10, 25, 18);
    CombineRgn(clip, clip, hole, RGN_DIFF);
    SelectClipRgn(k.dc(), clip);
    HBRUSH b = CreateSolidBrush(RGB(0x10, 0x80, 0x20));
    const RECT rc{0, 5, 33, 30};
    if (way == 0) {
      FillRect(k.dc(), &rc, b);
    } else {
      HGDIOBJ old = SelectObject(k.dc(), b);
      PatBlt(k.dc(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, PATCOPY);
      SelectObject(k.dc(), old);
    }
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        const bool in = PtInRegion(clip, x, y) && x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom;
        ASSERT_EQ(k.Color(x, y), in ? RGB(0x10, 0x80, 0x20) : kPathWhite) << (way ? "PatBlt " : "FillRect ") << x << "," << y;
      }
    DeleteObject(b);
    DeleteObject(clip);
    DeleteObject(hole);
  }
}

TEST(Stretch, HalftoneAveragesWhenShrinkingAndColorOnColorPicks) {
  // A 4 x 2 source of distinct pixels shrunk to 2 x 1.
  Canvas src(4, 2), dst(2, 1);
  const COLORREF px[2][4] = {{RGB(0, 0, 0), RGB(100, 40, 8), RGB(10, 20, 30), RGB(30, 40, 50)},
                             {RGB(200, 80, 16), RGB(100, 40, 4), RGB(50, 60, 70), RGB(70, 80, 91)}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) SetPixel(src.dc(), x, y, px[y][x]);
  struct Case {
    int mode;
    COLORREF left, right;
  } cases[] = {
      // Mean of each 2 x 2 block, rounded.
      {HALFTONE, RGB(100, 40, 7), RGB(40, 50, 60)},
      // The nearest pixel: centres map to source (1, 1) and (3, 1).
      {COLORONCOLOR, RGB(100, 40, 4), RGB(70, 80, 91)},
  };
  for (const Case& k : cases) {
    SetStretchBltMode(dst.dc(), k.mode);
    ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 4, 2, SRCCOPY));
    EXPECT_EQ(dst.Color(0, 0), k.left) << k.mode;
    EXPECT_EQ(dst.Color(1, 0), k.right) << k.mode;
  }
  // Mirrored: the blocks swap places.
  SetStretchBltMode(dst.dc(), HALFTONE);
  ASSERT_TRUE(StretchBlt(dst.dc(), 1, 0, -2, 1, src.dc(), 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(dst.Color(0, 0), RGB(40, 50, 60));
  EXPECT_EQ(dst.Color(1, 0), RGB(100, 40, 7));
  // Enlarging in HALFTONE repeats pixels as before.
  Canvas big(8, 4);
  SetStretchBltMode(big.dc(), HALFTONE);
  ASSERT_TRUE(StretchBlt(big.dc(), 0, 0, 8, 4, src.dc(), 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(big.Color(2, 0), RGB(100, 40, 8));
  EXPECT_EQ(big.Color(7, 3), RGB(70, 80, 91));
}
