// Strings: families, fonts (also from logical fonts and DCs), formats,
// measuring and drawing; bitmaps to and from device bitmaps.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/gdiplus/gdiplus.h"
#include "tests/support/golden.h"

using namespace gdiplus;

namespace {

gdi::LOGFONTW Logfont(const char16_t* face, gdi::LONG height) {
  gdi::LOGFONTW lf;
  lf.lfHeight = height;
  for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
  return lf;
}

// A premultiplied bitmap cleared to white with a graphics on it.
struct TextSurface {
  GpBitmap* bitmap = nullptr;
  GpGraphics* g = nullptr;
  TextSurface(int w, int h) {
    EXPECT_EQ(GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppPARGB, nullptr, &bitmap), Ok);
    EXPECT_EQ(GdipGetImageGraphicsContext(bitmap, &g), Ok);
    GdipGraphicsClear(g, 0xFFFFFFFF);
  }
  ~TextSurface() {
    GdipDeleteGraphics(g);
    GdipDisposeImage(bitmap);
  }
  ARGB Pixel(int x, int y) {
    ARGB c = 0;
    GdipBitmapGetPixel(bitmap, x, y, &c);
    return c;
  }
  // Bounds of the pixels that are not white.
  GpRect Ink() {
    UINT w = 0, h = 0;
    GdipGetImageWidth(bitmap, &w);
    GdipGetImageHeight(bitmap, &h);
    int x0 = int(w), y0 = int(h), x1 = 0, y1 = 0;
    for (int y = 0; y < int(h); ++y)
      for (int x = 0; x < int(w); ++x)
        if (Pixel(x, y) != 0xFFFFFFFF) {
          x0 = std::min(x0, x);
          y0 = std::min(y0, y);
          x1 = std::max(x1, x + 1);
          y1 = std::max(y1, y + 1);
        }
    return x1 > x0 ? GpRect{x0, y0, x1 - x0, y1 - y0} : GpRect{};
  }
  gdi::ImageBGRA Image() {
    gdi::ImageBGRA img;
    UINT w = 0, h = 0;
    GdipGetImageWidth(bitmap, &w);
    GdipGetImageHeight(bitmap, &h);
    img = gdi::ImageBGRA(int(w), int(h));
    for (int y = 0; y < int(h); ++y)
      for (int x = 0; x < int(w); ++x) img.at(x, y) = Pixel(x, y);
    return img;
  }
};

struct Tahoma {
  GpFontFamily* family = nullptr;
  GpFont* font = nullptr;
  explicit Tahoma(REAL px = 11, INT style = FontStyleRegular) {
    EXPECT_EQ(GdipCreateFontFamilyFromName(u"Tahoma", nullptr, &family), Ok);
    EXPECT_EQ(GdipCreateFont(family, px, style, UnitPixel, &font), Ok);
  }
  ~Tahoma() {
    GdipDeleteFont(font);
    GdipDeleteFontFamily(family);
  }
};

TEST(GdipFonts, FamiliesAreFoundWhenInstalledOrMapped) {
  for (const char16_t* name : {u"Tahoma", u"tahoma", u"Verdana", u"Arial", u"Calibri", u"DejaVu Sans"}) {
    GpFontFamily* f = nullptr;
    EXPECT_EQ(GdipCreateFontFamilyFromName(name, nullptr, &f), Ok);
    WCHAR got[32];
    EXPECT_EQ(GdipGetFamilyName(f, got, 0), Ok);
    EXPECT_EQ(std::u16string(got), std::u16string(name));
    GdipDeleteFontFamily(f);
  }
  GpFontFamily* f = nullptr;
  EXPECT_EQ(GdipCreateFontFamilyFromName(u"No Such Family", nullptr, &f), FontFamilyNotFound);
  EXPECT_EQ(GdipCreateFontFamilyFromName(u"", nullptr, &f), FontFamilyNotFound);
  EXPECT_EQ(GdipCreateFontFamilyFromName(nullptr, nullptr, &f), InvalidParameter);
}

TEST(GdipFonts, FromLogfontAndDC) {
  gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
  gdi::LOGFONTW lf = Logfont(u"Tahoma", -11);
  lf.lfWeight = gdi::FW_BOLD;
  lf.lfItalic = 1;
  GpFont* font = nullptr;
  ASSERT_EQ(GdipCreateFontFromLogfontW(dc, &lf, &font), Ok);
  REAL size = 0;
  INT style = 0;
  Unit unit = UnitPoint;
  GdipGetFontSize(font, &size);
  GdipGetFontStyle(font, &style);
  GdipGetFontUnit(font, &unit);
  EXPECT_FLOAT_EQ(size, 11.0f);
  EXPECT_EQ(style, FontStyleBold | FontStyleItalic);
  EXPECT_EQ(unit, UnitWorld);
  GdipDeleteFont(font);

  // A positive height is the cell: the em height is smaller.
  lf = Logfont(u"Tahoma", 13);
  ASSERT_EQ(GdipCreateFontFromLogfontW(dc, &lf, &font), Ok);
  GdipGetFontSize(font, &size);
  EXPECT_NEAR(size, 13.0 * 2048 / 2472, 0.05);
  GdipDeleteFont(font);

  // The dialog font is a bitmap font: not TrueType, as the library's
  // retry with another face expects.
  lf = Logfont(u"MS Sans Serif", -11);
  EXPECT_EQ(GdipCreateFontFromLogfontW(dc, &lf, &font), NotTrueTypeFont);

  lf = Logfont(u"Arial", -16);
  gdi::HFONT h = gdi::CreateFontIndirectW(&lf);
  gdi::HGDIOBJ old = gdi::SelectObject(dc, h);
  ASSERT_EQ(GdipCreateFontFromDC(dc, &font), Ok);
  GdipGetFontSize(font, &size);
  EXPECT_FLOAT_EQ(size, 16.0f);
  GdipDeleteFont(font);
  gdi::SelectObject(dc, old);
  gdi::DeleteObject(h);
  gdi::DeleteDC(dc);
}

TEST(GdipStrings, TypographicWidthMatchesGdiExtents) {
  TextSurface s(50, 50);
  Tahoma t(13);
  GpStringFormat* typographic = nullptr;
  GdipStringFormatGetGenericTypographic(&typographic);
  GpStringFormat* generic = nullptr;
  GdipStringFormatGetGenericDefault(&generic);

  gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
  const gdi::LOGFONTW lf = Logfont(u"Tahoma", -13);
  gdi::HFONT h = gdi::CreateFontIndirectW(&lf);
  gdi::SelectObject(dc, h);
  gdi::SIZE sz;
  gdi::GetTextExtentPoint32W(dc, u"Measured text", 13, &sz);

  GpRectF box;
  INT fitted = 0, lines = 0;
  const GpRectF origin{};
  ASSERT_EQ(GdipMeasureString(s.g, u"Measured text", -1, t.font, &origin, typographic, &box, &fitted, &lines), Ok);
  EXPECT_NEAR(box.Width, sz.cx, 1.0);
  EXPECT_EQ(fitted, 13);
  EXPECT_EQ(lines, 1);
  // The default format pads a sixth of the em on both sides.
  GpRectF padded;
  ASSERT_EQ(GdipMeasureString(s.g, u"Measured text", -1, t.font, &origin, generic, &padded, nullptr, nullptr), Ok);
  EXPECT_NEAR(padded.Width - box.Width, 13.0 / 3, 0.01);
  // Deleting the shared formats does nothing.
  EXPECT_EQ(GdipDeleteStringFormat(typographic), Ok);
  EXPECT_EQ(GdipDeleteStringFormat(generic), Ok);
  gdi::DeleteDC(dc);
  gdi::DeleteObject(h);
}

TEST(GdipStrings, WrappingLineLimitAndTrimming) {
  TextSurface s(50, 50);
  Tahoma t(13);
  GpStringFormat* fmt = nullptr;
  ASSERT_EQ(GdipCreateStringFormat(0, 0, &fmt), Ok);
  const char16_t* text = u"one two three four five six";
  GpRectF box;
  INT fitted = 0, lines = 0;
  const GpRectF narrow{0, 0, 60, 0};
  ASSERT_EQ(GdipMeasureString(s.g, text, -1, t.font, &narrow, fmt, &box, &fitted, &lines), Ok);
  EXPECT_GE(lines, 3);
  EXPECT_EQ(fitted, 27);
  EXPECT_LE(box.Width, 60);

  // No wrap: one line, whatever the width.
  GdipSetStringFormatFlags(fmt, StringFormatFlagsNoWrap);
  ASSERT_EQ(GdipMeasureString(s.g, text, -1, t.font, &narrow, fmt, &box, &fitted, &lines), Ok);
  EXPECT_EQ(lines, 1);

  // Line limit: only whole lines of a short box count.
  GdipSetStringFormatFlags(fmt, StringFormatFlagsLineLimit);
  REAL lineHeight = 0;
  GdipGetFontHeight(t.font, s.g, &lineHeight);
  const GpRectF shortBox{0, 0, 60, lineHeight * 1.5f};
  ASSERT_EQ(GdipMeasureString(s.g, text, -1, t.font, &shortBox, fmt, &box, &fitted, &lines), Ok);
  EXPECT_EQ(lines, 1);
  EXPECT_LT(fitted, 27);
  GdipSetStringFormatFlags(fmt, 0);
  ASSERT_EQ(GdipMeasureString(s.g, text, -1, t.font, &shortBox, fmt, &box, &fitted, &lines), Ok);
  EXPECT_EQ(lines, 2);

  // An ellipsis keeps one line within the width.
  GdipSetStringFormatFlags(fmt, StringFormatFlagsNoWrap);
  GdipSetStringFormatTrimming(fmt, StringTrimmingEllipsisCharacter);
  const GpRectF line{0, 0, 60, lineHeight};
  ASSERT_EQ(GdipMeasureString(s.g, text, -1, t.font, &line, fmt, &box, &fitted, &lines), Ok);
  EXPECT_EQ(lines, 1);
  EXPECT_LE(box.Width, 60);
  EXPECT_EQ(GdipSetStringFormatTrimming(fmt, StringTrimming(6)), InvalidParameter);
  GdipDeleteStringFormat(fmt);
}

TEST(GdipStrings, HotkeyPrefixes) {
  TextSurface s(50, 50);
  Tahoma t(13);
  GpStringFormat* fmt = nullptr;
  GdipCreateStringFormat(0, 0, &fmt);
  const GpRectF origin{};
  GpRectF plain, shown, none;
  INT fitted = 0;
  GdipMeasureString(s.g, u"File", -1, t.font, &origin, fmt, &plain, nullptr, nullptr);
  GdipSetStringFormatHotkeyPrefix(fmt, HotkeyPrefixShow);
  GdipMeasureString(s.g, u"&File", -1, t.font, &origin, fmt, &shown, &fitted, nullptr);
  EXPECT_FLOAT_EQ(shown.Width, plain.Width);
  EXPECT_EQ(fitted, 5);  // the mark counts as a unit of the caller's text
  GdipSetStringFormatHotkeyPrefix(fmt, HotkeyPrefixNone);
  GdipMeasureString(s.g, u"&File", -1, t.font, &origin, fmt, &none, nullptr, nullptr);
  EXPECT_GT(none.Width, plain.Width);
  GdipDeleteStringFormat(fmt);
}

TEST(GdipStrings, BoldIsTheBoldFace) {
  TextSurface s(50, 50);
  Tahoma regular(16), bold(16, FontStyleBold);
  const GpRectF origin{};
  GpRectF a, b;
  GdipMeasureString(s.g, u"Weight", -1, regular.font, &origin, nullptr, &a, nullptr, nullptr);
  GdipMeasureString(s.g, u"Weight", -1, bold.font, &origin, nullptr, &b, nullptr, nullptr);
  EXPECT_GT(b.Width, a.Width);
}

TEST(GdipStrings, AlignmentInTheLayoutRectangle) {
  Tahoma t(13);
  GpSolidFill* black = nullptr;
  GdipCreateSolidFill(0xFF000000, &black);
  GpStringFormat* fmt = nullptr;
  GdipCreateStringFormat(0, 0, &fmt);
  GpRect ink[3];
  for (int a = 0; a < 3; ++a) {
    TextSurface s(200, 60);
    GdipSetStringFormatAlign(fmt, StringAlignment(a));
    GdipSetStringFormatLineAlign(fmt, StringAlignmentCenter);
    const GpRectF rect{10, 10, 180, 40};
    ASSERT_EQ(GdipDrawString(s.g, u"Centre", -1, t.font, &rect, fmt, black), Ok);
    ink[a] = s.Ink();
    EXPECT_GT(ink[a].Width, 20);
    EXPECT_GE(ink[a].X, 10);
    EXPECT_LE(ink[a].X + ink[a].Width, 190);
    // Vertically centred in 10..50.
    EXPECT_NEAR(ink[a].Y + ink[a].Height / 2.0, 30, 3);
  }
  EXPECT_LT(ink[0].X, ink[1].X);
  EXPECT_LT(ink[1].X, ink[2].X);
  EXPECT_NEAR(ink[1].X + ink[1].Width / 2.0, 100, 2);
  GdipDeleteStringFormat(fmt);
  GdipDeleteBrush(black);
}

TEST(GdipStrings, ClippedToTheLayoutRectangleUnlessNoClip) {
  Tahoma t(13);
  GpSolidFill* black = nullptr;
  GdipCreateSolidFill(0xFF000000, &black);
  GpStringFormat* fmt = nullptr;
  GdipCreateStringFormat(StringFormatFlagsNoWrap, 0, &fmt);
  const GpRectF rect{10, 10, 30, 20};
  {
    TextSurface s(200, 40);
    GdipDrawString(s.g, u"Clipped away text", -1, t.font, &rect, fmt, black);
    const GpRect ink = s.Ink();
    EXPECT_GE(ink.X, 10);
    EXPECT_LE(ink.X + ink.Width, 40);
    // The graphics' own clip is back afterwards.
    GpRectF bounds;
    GdipGetClipBounds(s.g, &bounds);
    EXPECT_GE(bounds.Width, 200);
  }
  {
    TextSurface s(200, 40);
    GdipSetStringFormatFlags(fmt, StringFormatFlagsNoWrap | StringFormatFlagsNoClip);
    GdipDrawString(s.g, u"Clipped away text", -1, t.font, &rect, fmt, black);
    EXPECT_GT(s.Ink().X + s.Ink().Width, 60);
  }
  GdipDeleteStringFormat(fmt);
  GdipDeleteBrush(black);
}

TEST(GdipStrings, RenderingHintSingleBitHasNoGrays) {
  Tahoma t(14);
  GpSolidFill* black = nullptr;
  GdipCreateSolidFill(0xFF000000, &black);
  TextSurface s(120, 30);
  GdipSetTextRenderingHint(s.g, TextRenderingHintSingleBitPerPixelGridFit);
  const GpRectF at{2, 2, 0, 0};
  GdipDrawString(s.g, u"Sharp text", -1, t.font, &at, nullptr, black);
  int black_ = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 120; ++x) {
      const ARGB c = s.Pixel(x, y);
      EXPECT_TRUE(c == 0xFFFFFFFF || c == 0xFF000000) << x << "," << y;
      black_ += c == 0xFF000000;
    }
  EXPECT_GT(black_, 20);
  GdipDeleteBrush(black);
}

TEST(GdipStrings, DrawnOnADeviceContextKeepsTheGdiAlphaRule) {
  gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
  gdi::HBITMAP bmp = gdi::CreateBitmap(100, 30, 1, 32, nullptr);
  gdi::SelectObject(dc, bmp);
  gdi::Surface surf = gdi::GetBitmapSurface(bmp);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) surf.at(x, y) = 0xFFFFFFFF;
  GpGraphics* g = nullptr;
  ASSERT_EQ(GdipCreateFromHDC(dc, &g), Ok);
  Tahoma t(13);
  GpSolidFill* black = nullptr;
  GdipCreateSolidFill(0xFF000000, &black);
  const GpRectF at{2, 2, 0, 0};
  ASSERT_EQ(GdipDrawString(g, u"On a DC", -1, t.font, &at, nullptr, black), Ok);
  int touched = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x) {
      const std::uint32_t p = surf.at(x, y);
      if ((p & 0xFFFFFF) != 0xFFFFFF) {
        EXPECT_EQ(p >> 24, 0u);
        ++touched;
      } else {
        EXPECT_EQ(p >> 24, 0xFFu);
      }
    }
  EXPECT_GT(touched, 20);
  GdipDeleteBrush(black);
  GdipDeleteGraphics(g);
  gdi::DeleteDC(dc);
  gdi::DeleteObject(bmp);
}

TEST(GdipStrings, GoldenSample) {
  TextSurface s(240, 90);
  GdipSetSmoothingMode(s.g, SmoothingModeAntiAlias);
  GdipSetTextRenderingHint(s.g, TextRenderingHintAntiAlias);
  GpSolidFill* blue = nullptr;
  GdipCreateSolidFill(0xFF203080, &blue);
  GpSolidFill* red = nullptr;
  GdipCreateSolidFill(0xC0C02020, &red);
  Tahoma regular(13), bold(16, FontStyleBold | FontStyleUnderline);
  GpStringFormat* fmt = nullptr;
  GdipCreateStringFormat(0, 0, &fmt);
  const GpRectF top{4, 4, 232, 20};
  GdipDrawString(s.g, u"Regular Tahoma, 13 pixels", -1, regular.font, &top, fmt, blue);
  GdipSetStringFormatAlign(fmt, StringAlignmentFar);
  const GpRectF mid{4, 24, 232, 24};
  GdipDrawString(s.g, u"Bold underlined, right", -1, bold.font, &mid, fmt, red);
  GdipSetStringFormatAlign(fmt, StringAlignmentCenter);
  GdipSetStringFormatTrimming(fmt, StringTrimmingEllipsisCharacter);
  GdipSetStringFormatFlags(fmt, StringFormatFlagsNoWrap);
  const GpRectF low{4, 52, 150, 30};
  GdipDrawString(s.g, u"A centred line trimmed with an ellipsis", -1, regular.font, &low, fmt, blue);
  GdipDeleteStringFormat(fmt);
  GdipDeleteBrush(blue);
  GdipDeleteBrush(red);
  testing_support::GoldenOptions options;
  options.channelTolerance = 48;
  options.maxDifferingPixels = 120;
  EXPECT_GOLDEN(s.Image(), "gdiplus", "strings", options);
}

// ---- device bitmaps --------------------------------------------------------------------------
TEST(GdipHbitmap, FromHbitmapIgnoresAlpha) {
  gdi::HBITMAP bmp = gdi::CreateBitmap(3, 2, 1, 32, nullptr);
  gdi::Surface s = gdi::GetBitmapSurface(bmp);
  s.at(0, 0) = 0x00112233;
  s.at(2, 1) = 0x80445566;
  GpBitmap* b = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromHBITMAP(bmp, nullptr, &b), Ok);
  PixelFormat f = 0;
  GdipGetImagePixelFormat(b, &f);
  EXPECT_EQ(f, PixelFormat32bppRGB);
  ARGB c = 0;
  GdipBitmapGetPixel(b, 0, 0, &c);
  EXPECT_EQ(c, 0xFF112233u);
  GdipBitmapGetPixel(b, 2, 1, &c);
  EXPECT_EQ(c, 0xFF445566u);
  GdipDisposeImage(b);
  gdi::DeleteObject(bmp);
  EXPECT_EQ(GdipCreateBitmapFromHBITMAP(nullptr, nullptr, &b), InvalidParameter);
}

TEST(GdipHbitmap, ToHbitmapPremultipliesOverTheBackground) {
  GpBitmap* b = nullptr;
  ASSERT_EQ(GdipCreateBitmapFromScan0(2, 1, 0, PixelFormat32bppARGB, nullptr, &b), Ok);
  GdipBitmapSetPixel(b, 0, 0, 0xFF102030);
  GdipBitmapSetPixel(b, 1, 0, 0x80FF0000);
  gdi::HBITMAP h = nullptr;
  ASSERT_EQ(GdipCreateHBITMAPFromBitmap(b, &h, 0x00000000), Ok);
  gdi::ImageBGRA img = gdi::CaptureBitmap(h);
  ASSERT_EQ(img.width, 2);
  EXPECT_EQ(img.at(0, 0), 0xFF102030u);
  EXPECT_EQ(img.at(1, 0) >> 24, 0x80u);           // alpha kept
  EXPECT_NEAR(int((img.at(1, 0) >> 16) & 0xFF), 0x80, 1);  // premultiplied red
  gdi::DeleteObject(h);
  // Over an opaque white background.
  ASSERT_EQ(GdipCreateHBITMAPFromBitmap(b, &h, 0xFFFFFFFF), Ok);
  img = gdi::CaptureBitmap(h);
  EXPECT_EQ(img.at(1, 0) >> 24, 0xFFu);
  EXPECT_EQ((img.at(1, 0) >> 16) & 0xFF, 0xFFu);
  EXPECT_NEAR(int((img.at(1, 0) >> 8) & 0xFF), 0x7F, 1);
  gdi::DeleteObject(h);
  GdipDisposeImage(b);
}

}  // namespace
