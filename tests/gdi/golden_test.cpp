// Pictures of the pixel rules, compared with the references in golden/.
#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"
#include "tests/gdi/canvas.h"
#include "tests/support/golden.h"

using namespace gdi;
using gdi_test::Canvas;

namespace {

RECT Cell(int col, int row, int w, int h, int gap = 4) {
  const int l = gap + col * (w + gap), t = gap + row * (h + gap);
  return RECT{l, t, l + w, t + h};
}

struct Selection {
  HDC dc;
  HGDIOBJ obj, old;
  Selection(HDC d, HGDIOBJ o) : dc(d), obj(o), old(SelectObject(d, o)) {}
  ~Selection() {
    SelectObject(dc, old);
    DeleteObject(obj);
  }
};

}  // namespace

TEST(Golden, Lines) {
  Canvas c(96, 64);
  // A fan of 1-pixel lines from one centre: every octant, end points left out.
  for (int i = 0; i <= 16; ++i) {
    MoveToEx(c.dc(), 30, 30, nullptr);
    const int x = i <= 8 ? 2 + i * 7 : 58, y = i <= 8 ? 2 : 2 + (i - 8) * 7;
    LineTo(c.dc(), x, y);
    MoveToEx(c.dc(), 30, 30, nullptr);
    LineTo(c.dc(), 60 - x, 60 - y);
  }
  const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
  SetBkColor(c.dc(), RGB(255, 200, 200));
  for (int i = 0; i < 5; ++i) {
    Selection pen(c.dc(), CreatePen(styles[i], 1, RGB(0, 0, 160)));
    MoveToEx(c.dc(), 64, 3 + i * 4, nullptr);
    LineTo(c.dc(), 94, 3 + i * 4);
  }
  for (int w : {2, 3, 5}) {
    Selection pen(c.dc(), CreatePen(PS_SOLID, w, RGB(0, 120, 0)));
    MoveToEx(c.dc(), 66, 26 + w * 5, nullptr);
    LineTo(c.dc(), 90, 30 + w * 6);
  }
  EXPECT_GOLDEN(c.Image(), "gdi", "lines");
}

TEST(Golden, Shapes) {
  Canvas c(112, 48);
  Selection brush(c.dc(), CreateSolidBrush(RGB(255, 220, 120)));
  Rectangle(c.dc(), 4, 4, 24, 20);
  RoundRect(c.dc(), 28, 4, 52, 20, 8, 8);
  Ellipse(c.dc(), 56, 4, 76, 20);
  Ellipse(c.dc(), 80, 4, 87, 11);
  Ellipse(c.dc(), 90, 4, 98, 12);
  Arc(c.dc(), 4, 26, 24, 46, 24, 26, 4, 46);
  Pie(c.dc(), 28, 26, 48, 46, 48, 36, 38, 26);
  Chord(c.dc(), 52, 26, 72, 46, 72, 30, 52, 42);
  const POINT tri[] = {{78, 44}, {90, 26}, {104, 40}};
  Polygon(c.dc(), tri, 3);
  EXPECT_GOLDEN(c.Image(), "gdi", "shapes");
}

TEST(Golden, Edges) {
  Canvas c(4 + 5 * 24, 4 + 4 * 18, RGB(212, 208, 200));
  const UINT edges[] = {EDGE_RAISED, EDGE_SUNKEN, EDGE_ETCHED, EDGE_BUMP, BDR_SUNKENOUTER};
  const UINT variants[] = {BF_RECT, BF_RECT | BF_SOFT | BF_MIDDLE, BF_RECT | BF_FLAT, BF_TOPLEFT | BF_MONO};
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 5; ++col) {
      RECT rc = Cell(col, row, 20, 14);
      DrawEdge(c.dc(), &rc, edges[col], variants[row]);
    }
  }
  EXPECT_GOLDEN(c.Image(), "gdi", "edges");
  // BF_ADJUST leaves the rectangle inside the borders drawn.
  Canvas other(30, 30);
  RECT rc{4, 4, 24, 18};
  DrawEdge(other.dc(), &rc, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  EXPECT_EQ(rc, (RECT{6, 6, 22, 16}));
  rc = RECT{4, 4, 24, 18};
  DrawEdge(other.dc(), &rc, BDR_RAISEDINNER, BF_TOPLEFT | BF_ADJUST);
  EXPECT_EQ(rc, (RECT{5, 5, 24, 18}));
}

TEST(Golden, FocusRectangles) {
  Canvas c(40, 24, RGB(40, 90, 200));
  RECT a{2, 2, 20, 12}, b{5, 9, 38, 22}, tiny{24, 2, 25, 5};
  DrawFocusRect(c.dc(), &a);
  DrawFocusRect(c.dc(), &b);
  DrawFocusRect(c.dc(), &tiny);
  EXPECT_GOLDEN(c.Image(), "gdi", "focus");
  DrawFocusRect(c.dc(), &a);
  DrawFocusRect(c.dc(), &b);
  DrawFocusRect(c.dc(), &tiny);
  Canvas plain(40, 24, RGB(40, 90, 200));
  EXPECT_EQ(c.Mask(RGB(40, 90, 200)), plain.Mask(RGB(40, 90, 200))) << "drawing twice erases";
}

TEST(Golden, FrameControls) {
  Canvas c(4 + 8 * 20, 4 + 4 * 20, RGB(255, 255, 255));
  const UINT scroll[] = {DFCS_SCROLLUP,
                         DFCS_SCROLLDOWN,
                         DFCS_SCROLLLEFT,
                         DFCS_SCROLLRIGHT,
                         DFCS_SCROLLUP | DFCS_PUSHED,
                         DFCS_SCROLLDOWN | DFCS_INACTIVE,
                         DFCS_SCROLLRIGHT | DFCS_FLAT,
                         DFCS_SCROLLSIZEGRIP};
  for (int i = 0; i < 8; ++i) {
    RECT rc = Cell(i, 0, 16, 16);
    DrawFrameControl(c.dc(), &rc, DFC_SCROLL, scroll[i]);
  }
  const UINT checks[] = {DFCS_BUTTONCHECK,
                         DFCS_BUTTONCHECK | DFCS_CHECKED,
                         DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_INACTIVE,
                         DFCS_BUTTONCHECK | DFCS_PUSHED,
                         DFCS_BUTTON3STATE | DFCS_CHECKED,
                         DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT,
                         DFCS_BUTTONCHECK | DFCS_MONO,
                         DFCS_SCROLLCOMBOBOX};
  for (int i = 0; i < 8; ++i) {
    RECT rc = Cell(i, 1, 13, 13);
    DrawFrameControl(c.dc(), &rc, i == 7 ? DFC_SCROLL : DFC_BUTTON, checks[i]);
  }
  const UINT radios[] = {DFCS_BUTTONRADIO, DFCS_BUTTONRADIO | DFCS_CHECKED,
                         DFCS_BUTTONRADIO | DFCS_CHECKED | DFCS_INACTIVE, DFCS_BUTTONRADIOMASK,
                         DFCS_BUTTONRADIO | DFCS_FLAT | DFCS_CHECKED, DFCS_BUTTONRADIO | DFCS_PUSHED};
  for (int i = 0; i < 6; ++i) {
    RECT rc = Cell(i, 2, 12, 12);
    DrawFrameControl(c.dc(), &rc, DFC_BUTTON, radios[i]);
  }
  const UINT pushes[] = {DFCS_BUTTONPUSH, DFCS_BUTTONPUSH | DFCS_PUSHED, DFCS_BUTTONPUSH | DFCS_CHECKED,
                         DFCS_BUTTONPUSH | DFCS_FLAT, DFCS_BUTTONPUSH | DFCS_MONO};
  for (int i = 0; i < 5; ++i) {
    RECT rc = Cell(i, 3, 18, 14);
    DrawFrameControl(c.dc(), &rc, DFC_BUTTON, pushes[i]);
  }
  RECT rc{0, 0, 10, 10};
  EXPECT_FALSE(DrawFrameControl(c.dc(), &rc, DFC_CAPTION, 0));
  EXPECT_GOLDEN(c.Image(), "gdi", "frame_controls");
}

TEST(Golden, BrushesAtBrushOrigins) {
  Canvas c(4 + 6 * 20, 4 + 2 * 20);
  SetBkColor(c.dc(), RGB(255, 255, 190));
  for (int h = HS_HORIZONTAL; h <= HS_DIAGCROSS; ++h) {
    HBRUSH b = CreateHatchBrush(h, RGB(0, 0, 140));
    RECT rc = Cell(h, 0, 16, 16);
    FillRect(c.dc(), &rc, b);
    DeleteObject(b);
  }
  // A monochrome 8x8 pattern (an arrow head) at three brush origins; the
  // same origin also aligns the hatch in the last cell.
  const BYTE rows[16] = {0x80, 0, 0xC0, 0, 0xE0, 0, 0xF0, 0, 0xE0, 0, 0xC0, 0, 0x80, 0, 0x00, 0};
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, rows);
  HBRUSH pb = CreatePatternBrush(pattern);
  SetTextColor(c.dc(), RGB(200, 0, 0));
  SetBkColor(c.dc(), RGB(230, 230, 230));
  const POINT origins[] = {{0, 0}, {3, 2}, {7, 7}};
  for (int i = 0; i < 3; ++i) {
    SetBrushOrgEx(c.dc(), origins[i].x, origins[i].y, nullptr);
    RECT rc = Cell(i, 1, 16, 16);
    FillRect(c.dc(), &rc, pb);
  }
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(0, 100, 0));
  RECT rc = Cell(3, 1, 16, 16);
  FillRect(c.dc(), &rc, hatch);
  // A colour pattern tile drawn with Rectangle (interior) at an origin.
  Canvas tile(4, 4, RGB(0, 160, 255));
  SetPixel(tile.dc(), 0, 0, RGB(0, 0, 0));
  SetPixel(tile.dc(), 3, 3, RGB(255, 255, 255));
  HBRUSH colourPattern = CreatePatternBrush(tile.bitmap());
  HGDIOBJ old = SelectObject(c.dc(), colourPattern);
  SetBrushOrgEx(c.dc(), 1, 1, nullptr);
  const RECT last{84, 24, 120, 40};
  Rectangle(c.dc(), last.left, last.top, last.right, last.bottom);
  SelectObject(c.dc(), old);
  for (HGDIOBJ o : {HGDIOBJ(pb), HGDIOBJ(pattern), HGDIOBJ(hatch), HGDIOBJ(colourPattern)}) DeleteObject(o);
  EXPECT_GOLDEN(c.Image(), "gdi", "brushes");
}

TEST(Golden, RasterOperations) {
  // Source: four quadrants; destination: vertical stripes; pattern: hatch.
  Canvas src(16, 16);
  const COLORREF quad[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(0, 0, 0)};
  for (int q = 0; q < 4; ++q) {
    HBRUSH b = CreateSolidBrush(quad[q]);
    RECT rc{(q % 2) * 8, (q / 2) * 8, (q % 2) * 8 + 8, (q / 2) * 8 + 8};
    FillRect(src.dc(), &rc, b);
    DeleteObject(b);
  }
  const DWORD rops[] = {SRCCOPY,  SRCPAINT,  SRCAND,   SRCINVERT, SRCERASE,   NOTSRCCOPY, MERGECOPY,
                        PATCOPY,  PATINVERT, DSTINVERT, BLACKNESS, 0x00B8074A, 0x00220326, WHITENESS};
  Canvas c(4 + 7 * 20, 4 + 2 * 20);
  for (int x = 0; x < c.width(); x += 4) {
    RECT stripe{x, 0, x + 2, c.height()};
    FillRect(c.dc(), &stripe, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  }
  Selection brush(c.dc(), CreateHatchBrush(HS_BDIAGONAL, RGB(160, 0, 160)));
  SetBkColor(c.dc(), RGB(255, 255, 0));
  for (int i = 0; i < 14; ++i) {
    const RECT rc = Cell(i % 7, i / 7, 16, 16);
    BitBlt(c.dc(), rc.left, rc.top, 16, 16, src.dc(), 0, 0, rops[i]);
  }
  // Alpha is not part of this picture: WHITENESS sets it, others keep it.
  EXPECT_GOLDEN(c.Image(), "gdi", "rops");
}

TEST(Golden, ClippingAndOrigins) {
  Canvas c(64, 48);
  HRGN ellipse = CreateEllipticRgn(4, 4, 60, 44);
  HRGN hole = CreateRectRgn(24, 18, 40, 30);
  CombineRgn(ellipse, ellipse, hole, RGN_DIFF);
  SelectClipRgn(c.dc(), ellipse);
  ExcludeClipRect(c.dc(), 0, 0, 32, 10);
  // Moving the origins moves the drawing, not the clip.
  SetWindowOrgEx(c.dc(), 10, 0, nullptr);
  SetViewportOrgEx(c.dc(), 0, 4, nullptr);
  Selection brush(c.dc(), CreateHatchBrush(HS_CROSS, RGB(0, 90, 0)));
  SetBkColor(c.dc(), RGB(210, 255, 210));
  PatBlt(c.dc(), 10, -4, 64, 48, PATCOPY);
  Selection pen(c.dc(), CreatePen(PS_SOLID, 1, RGB(200, 0, 0)));
  for (int y = -4; y < 44; y += 6) {
    MoveToEx(c.dc(), 10, y, nullptr);
    LineTo(c.dc(), 74, y + 10);
  }
  SaveDC(c.dc());
  SelectClipRgn(c.dc(), nullptr);
  SetWindowOrgEx(c.dc(), 0, 0, nullptr);
  SetViewportOrgEx(c.dc(), 0, 0, nullptr);
  RECT frame{0, 0, 64, 48};
  FrameRect(c.dc(), &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RestoreDC(c.dc(), -1);
  DeleteObject(ellipse);
  DeleteObject(hole);
  EXPECT_GOLDEN(c.Image(), "gdi", "clipping");
}

TEST(Golden, AlphaBlend) {
  // A premultiplied red disc with a soft edge, blended at two constant
  // alphas over a checkerboard.
  Canvas src(24, 24);
  src.Clear(0, 0);
  Surface s = GetBitmapSurface(src.bitmap());
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 24; ++x) {
      const int dx = x - 12, dy = y - 12, d2 = dx * dx + dy * dy;
      const int a = d2 < 64 ? 255 : d2 < 144 ? (144 - d2) * 255 / 80 : 0;
      s.at(x, y) = (std::uint32_t(a) << 24) | (std::uint32_t(a) << 16);
    }
  }
  Canvas c(60, 28);
  for (int y = 0; y < 28; y += 4)
    for (int x = 0; x < 60; x += 4)
      if (((x + y) / 4) % 2) {
        RECT rc{x, y, x + 4, y + 4};
        FillRect(c.dc(), &rc, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
      }
  AlphaBlend(c.dc(), 2, 2, 24, 24, src.dc(), 0, 0, 24, 24, BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
  AlphaBlend(c.dc(), 32, 2, 24, 24, src.dc(), 0, 0, 24, 24, BLENDFUNCTION{AC_SRC_OVER, 0, 128, AC_SRC_ALPHA});
  EXPECT_GOLDEN(c.Image(), "gdi", "alpha_blend", testing_support::GoldenOptions{0, 0, true});
}

TEST(Golden, Gradients) {
  Canvas c(72, 28);
  TRIVERTEX v[4] = {{2, 2, 0xFF00, 0x8000, 0, 0xFF00},
                    {34, 26, 0, 0x4000, 0xFF00, 0xFF00},
                    {38, 2, 0xFF00, 0xFF00, 0xFF00, 0xFF00},
                    {70, 26, 0x2000, 0x2000, 0x2000, 0xFF00}};
  GRADIENT_RECT h{0, 1}, vert{2, 3};
  GradientFill(c.dc(), v, 4, &h, 1, GRADIENT_FILL_RECT_H);
  GradientFill(c.dc(), v, 4, &vert, 1, GRADIENT_FILL_RECT_V);
  TRIVERTEX t[3] = {{40, 4, 0xFF00, 0, 0, 0xFF00}, {68, 10, 0, 0xFF00, 0, 0xFF00}, {46, 25, 0, 0, 0xFF00, 0xFF00}};
  GRADIENT_TRIANGLE tri{0, 1, 2};
  GradientFill(c.dc(), t, 3, &tri, 1, GRADIENT_FILL_TRIANGLE);
  EXPECT_GOLDEN(c.Image(), "gdi", "gradients", testing_support::GoldenOptions{0, 0, true});
}
