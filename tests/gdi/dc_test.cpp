// Device-context state: objects, saved states, clipping, attributes.
#include <gtest/gtest.h>

#include "platform/gdi/gdi.h"
#include "tests/gdi/canvas.h"

using namespace gdi;
using gdi_test::Canvas;

TEST(Objects, HandleKindsAndGetObject) {
  HPEN pen = CreatePen(PS_DASH, 1, RGB(1, 2, 3));
  LOGPEN lp;
  EXPECT_EQ(GetObjectW(pen, sizeof lp, &lp), int(sizeof lp));
  EXPECT_EQ(lp.lopnStyle, UINT(PS_DASH));
  EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
  EXPECT_EQ(GetObjectType(pen), OBJ_PEN);

  HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(9, 9, 9));
  LOGBRUSH lb;
  EXPECT_EQ(GetObjectW(hatch, sizeof lb, &lb), int(sizeof lb));
  EXPECT_EQ(lb.lbStyle, BS_HATCHED);
  EXPECT_EQ(lb.lbHatch, ULONG_PTR(HS_CROSS));

  HBITMAP mono = CreateBitmap(10, 3, 1, 1, nullptr);
  BITMAP bm;
  EXPECT_EQ(GetObjectW(mono, sizeof bm, &bm), int(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmWidthBytes, 2) << "rows are padded to 16 bits";

  LOGFONTW lf;
  lf.lfHeight = -11;
  lf.lfWeight = FW_BOLD;
  lf.lfFaceName[0] = u'T';
  HFONT font = CreateFontIndirectW(&lf);
  LOGFONTW back;
  EXPECT_EQ(GetObjectW(font, sizeof back, &back), 92);
  EXPECT_EQ(back.lfHeight, -11);
  EXPECT_EQ(back.lfFaceName[0], u'T');
  EXPECT_EQ(GetObjectW(font, 0, nullptr), 92);

  HRGN rgn = CreateRectRgn(0, 0, 1, 1);
  EXPECT_EQ(GetObjectW(rgn, sizeof bm, &bm), 0);
  for (HGDIOBJ o : {HGDIOBJ(pen), HGDIOBJ(hatch), HGDIOBJ(mono), HGDIOBJ(font), HGDIOBJ(rgn)}) {
    EXPECT_TRUE(DeleteObject(o));
    EXPECT_FALSE(DeleteObject(o)) << "a handle dies once";
  }
}

TEST(Objects, StockObjectsSurviveDeleteObject) {
  const int before = GdiObjectCount();
  for (int i : {WHITE_BRUSH, BLACK_PEN, NULL_BRUSH, SYSTEM_FONT, DC_BRUSH}) {
    HGDIOBJ o = GetStockObject(i);
    ASSERT_NE(o, nullptr) << i;
    EXPECT_TRUE(DeleteObject(o));
    EXPECT_EQ(GetStockObject(i), o);
    EXPECT_NE(GetObjectType(o), 0u);
  }
  HBRUSH sys = GetSysColorBrush(COLOR_BTNFACE);
  EXPECT_TRUE(DeleteObject(sys));
  EXPECT_EQ(GetObjectType(sys), OBJ_BRUSH);
  EXPECT_EQ(GetStockObject(9), nullptr);
  EXPECT_EQ(GdiObjectCount(), before);
}

TEST(Objects, SystemColoursCanChangeAndBrushesFollow) {
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(99), 0u);
  const int idx[] = {COLOR_BTNFACE};
  const COLORREF col[] = {RGB(1, 2, 3)};
  ASSERT_TRUE(SetSysColors(1, idx, col));
  Canvas c(2, 2);
  RECT rc{0, 0, 2, 2};
  FillRect(c.dc(), &rc, GetSysColorBrush(COLOR_BTNFACE));
  EXPECT_EQ(c.Color(0, 0), RGB(1, 2, 3));
  ResetSysColors();
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(212, 208, 200));
}

TEST(DC, SelectObjectReturnsThePreviousObject) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  HPEN pen = CreatePen(PS_SOLID, 2, 0);
  EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), HGDIOBJ(pen));
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), HGDIOBJ(pen));
  HBITMAP first = static_cast<HBITMAP>(GetCurrentObject(dc, OBJ_BITMAP));
  BITMAP bm;
  GetObjectW(first, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 1) << "a new memory DC holds a 1x1 monochrome bitmap";
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 1);
  EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
  DeleteObject(pen);
  DeleteDC(dc);
  EXPECT_FALSE(DeleteDC(dc));
}

TEST(DC, BitmapLivesInOneDCAndIsNotDeletedWhileSelected) {
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmap(4, 4, 1, 32, nullptr);
  HGDIOBJ oldA = SelectObject(a, bmp);
  ASSERT_NE(oldA, nullptr);
  EXPECT_EQ(SelectObject(b, bmp), nullptr);
  EXPECT_FALSE(DeleteObject(bmp));
  SelectObject(a, oldA);
  EXPECT_NE(SelectObject(b, bmp), nullptr);
  DeleteDC(b);  // frees the bitmap again
  EXPECT_TRUE(DeleteObject(bmp));
  DeleteDC(a);
}

TEST(DC, CompatibleBitmapFollowsTheSelectedBitmap) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateCompatibleBitmap(dc, 8, 8);
  BITMAP bm;
  GetObjectW(mono, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  HBITMAP colour = CreateBitmap(2, 2, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, colour);
  HBITMAP c2 = CreateCompatibleBitmap(dc, 8, 8);
  GetObjectW(c2, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(CreateCompatibleBitmap(dc, 0, 5), CreateCompatibleBitmap(dc, 5, 0)) << "the stock bitmap";
  SelectObject(dc, old);
  for (HBITMAP b : {mono, colour, c2}) DeleteObject(b);
  DeleteDC(dc);
}

TEST(DC, SaveAndRestoreIncludingRelativeLevels) {
  Canvas c(10, 10);
  HDC dc = c.dc();
  SetTextColor(dc, RGB(1, 1, 1));
  EXPECT_EQ(SaveDC(dc), 1);
  SetTextColor(dc, RGB(2, 2, 2));
  SetWindowOrgEx(dc, 5, 5, nullptr);
  IntersectClipRect(dc, 0, 0, 3, 3);
  EXPECT_EQ(SaveDC(dc), 2);
  SetTextColor(dc, RGB(3, 3, 3));
  EXPECT_EQ(SaveDC(dc), 3);
  EXPECT_TRUE(RestoreDC(dc, -1));
  EXPECT_EQ(GetTextColor(dc), RGB(3, 3, 3));
  EXPECT_TRUE(RestoreDC(dc, -1));
  EXPECT_EQ(GetTextColor(dc), RGB(2, 2, 2));
  POINT org;
  GetWindowOrgEx(dc, &org);
  EXPECT_EQ(org, (POINT{5, 5}));
  EXPECT_FALSE(RestoreDC(dc, 2)) << "level 2 is gone";
  EXPECT_TRUE(RestoreDC(dc, 1));
  EXPECT_EQ(GetTextColor(dc), RGB(1, 1, 1));
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(dc, rgn), 0) << "the clip region was restored to none";
  EXPECT_FALSE(RestoreDC(dc, -1));
  DeleteObject(rgn);
}

TEST(DC, ClipModes) {
  struct Case {
    int mode;
    bool inA, inB, inBoth;
  } cases[] = {
      {RGN_AND, false, false, true}, {RGN_OR, true, true, true},   {RGN_XOR, true, true, false},
      {RGN_DIFF, true, false, false}, {RGN_COPY, false, true, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.mode);
    Canvas c(20, 20);
    HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15);
    SelectClipRgn(c.dc(), a);
    EXPECT_NE(ExtSelectClipRgn(c.dc(), b, k.mode), ERROR);
    EXPECT_EQ(PtVisible(c.dc(), 2, 2), k.inA);
    EXPECT_EQ(PtVisible(c.dc(), 12, 12), k.inB);
    EXPECT_EQ(PtVisible(c.dc(), 7, 7), k.inBoth);
    DeleteObject(a);
    DeleteObject(b);
  }
}

TEST(DC, ClipRegionIsCopiedAndStaysInDeviceCoordinates) {
  Canvas c(20, 20);
  HRGN r = CreateRectRgn(2, 2, 6, 6);
  EXPECT_EQ(SelectClipRgn(c.dc(), r), SIMPLEREGION);
  OffsetRgn(r, 10, 10);  // the DC keeps its own copy
  SetViewportOrgEx(c.dc(), 3, 0, nullptr);
  HRGN got = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetClipRgn(c.dc(), got), 1);
  RECT box;
  GetRgnBox(got, &box);
  EXPECT_EQ(box, (RECT{2, 2, 6, 6}));
  GetClipBox(c.dc(), &box);
  EXPECT_EQ(box, (RECT{-1, 2, 3, 6}));
  EXPECT_EQ(ExcludeClipRect(c.dc(), -1, 2, 0, 6), SIMPLEREGION);
  EXPECT_EQ(ExtSelectClipRgn(c.dc(), nullptr, RGN_AND), ERROR);
  EXPECT_EQ(SelectClipRgn(c.dc(), nullptr), SIMPLEREGION);
  EXPECT_EQ(GetClipRgn(c.dc(), got), 0);
  GetClipBox(c.dc(), &box);
  EXPECT_EQ(box, (RECT{-3, 0, 17, 20}));
  RECT off{100, 100, 120, 120};
  EXPECT_FALSE(RectVisible(c.dc(), &off));
  DeleteObject(r);
  DeleteObject(got);
}

TEST(DC, AttributesAndCaps) {
  Canvas c(30, 20);
  HDC dc = c.dc();
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, 7), 0);
  EXPECT_EQ(SetROP2(dc, R2_XORPEN), R2_COPYPEN);
  EXPECT_EQ(SetROP2(dc, 0), 0);
  EXPECT_EQ(SetPolyFillMode(dc, WINDING), ALTERNATE);
  EXPECT_EQ(SetBkColor(dc, RGB(1, 2, 3)), RGB(255, 255, 255));
  EXPECT_EQ(SetStretchBltMode(dc, HALFTONE), BLACKONWHITE);
  POINT old;
  SetBrushOrgEx(dc, 3, 4, &old);
  EXPECT_EQ(old, (POINT{0, 0}));
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 30);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 20);
  EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASDISPLAY);
  SetScreenLogPixels(144);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 144);
  SetScreenLogPixels(96);
  EXPECT_EQ(SetTextColor(nullptr, 0), CLR_INVALID);
}

TEST(DC, SurfaceDCDrawsOnForeignMemoryWithOriginAndVisibleRegion) {
  gdi::ImageBGRA window(20, 10, 0x00FFFFFF);
  HRGN visible = CreateRectRgn(0, 0, 5, 5);
  HDC dc = CreateSurfaceDC(window.view(), POINT{10, 2}, visible);
  RECT all{0, 0, 100, 100};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(window.at(10, 2), 0u);
  EXPECT_EQ(window.at(14, 6), 0u);
  EXPECT_EQ(window.at(15, 6), 0x00FFFFFFu);
  EXPECT_EQ(window.at(9, 2), 0x00FFFFFFu);
  EXPECT_EQ(GetDCObjectType(dc), OBJ_DC);
  RECT box;
  GetClipBox(dc, &box);
  EXPECT_EQ(box, (RECT{0, 0, 5, 5}));
  DeleteDC(dc);
  DeleteObject(visible);
}

TEST(Objects, StockBrushesAreNotTakenForSystemColourIndexes) {
  // FillRect reads the values 1..31 as "system colour index + 1"; no real
  // handle may fall in that range, or a stock brush paints a system colour.
  const struct {
    int stock;
    COLORREF color;
  } cases[] = {{WHITE_BRUSH, RGB(255, 255, 255)}, {LTGRAY_BRUSH, RGB(192, 192, 192)},
               {GRAY_BRUSH, RGB(128, 128, 128)},  {DKGRAY_BRUSH, RGB(64, 64, 64)},
               {BLACK_BRUSH, RGB(0, 0, 0)}};
  for (const auto& c : cases) {
    Canvas canvas(4, 4, RGB(1, 2, 3));
    const RECT r{0, 0, 4, 4};
    FillRect(canvas.dc(), &r, HBRUSH(GetStockObject(c.stock)));
    EXPECT_EQ(canvas.Color(2, 2), c.color) << c.stock;
  }
  Canvas canvas(4, 4, RGB(1, 2, 3));
  const RECT r{0, 0, 4, 4};
  FillRect(canvas.dc(), &r, HBRUSH(std::uintptr_t(COLOR_BTNFACE + 1)));
  EXPECT_EQ(canvas.Color(2, 2), GetSysColor(COLOR_BTNFACE));
}
