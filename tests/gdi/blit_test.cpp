// Raster operations, monochrome conversion, stretching, alpha blending,
// gradients and DIB transfers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi/gdi.h"
#include "tests/gdi/canvas.h"

using namespace gdi;
using gdi_test::Canvas;

TEST(Rop, TruthTablesMatchTheNamedOperations) {
  const std::uint32_t p = 0xF0F0F0F0, s = 0xCCCCCCCC, d = 0xAAAAAAAA;
  struct Case {
    DWORD rop;
    std::uint32_t expected;
  } cases[] = {
      {SRCCOPY, s},          {SRCPAINT, s | d},  {SRCAND, s & d},       {SRCINVERT, s ^ d},
      {SRCERASE, s & ~d},    {NOTSRCCOPY, ~s},   {NOTSRCERASE, ~(s | d)}, {MERGECOPY, p & s},
      {MERGEPAINT, ~s | d},  {PATCOPY, p},       {PATPAINT, p | ~s | d}, {PATINVERT, p ^ d},
      {DSTINVERT, ~d},       {BLACKNESS, 0},     {WHITENESS, ~0u},
      {0x00B8074A, ((d ^ p) & s) ^ p},  // PSDPxax
      {0x00220326, d & ~s},             // DSna
  };
  for (const Case& k : cases) EXPECT_EQ(EvalRop3(Rop3Index(k.rop), p, s, d), k.expected) << std::hex << k.rop;
  EXPECT_TRUE(RopUsesSource(SRCCOPY));
  EXPECT_FALSE(RopUsesSource(PATINVERT));
  EXPECT_TRUE(RopUsesPattern(MERGECOPY));
  EXPECT_FALSE(RopUsesPattern(DSTINVERT));
  EXPECT_EQ(EvalRop2(R2_XORPEN, 0xF0, 0xCC) & 0xFF, 0x3Cu);
  EXPECT_EQ(EvalRop2(R2_NOTMERGEPEN, 0xF0, 0xCC) & 0xFF, 0x03u);
}

TEST(Blit, SrcCopyCopiesAllFourBytesAndOtherRopsWorkBitwise) {
  Canvas src(4, 4), dst(4, 4);
  src.Clear(RGB(0x10, 0x20, 0x30), 0x80);
  dst.Clear(RGB(0xFF, 0x0F, 0x00), 0x01);
  ASSERT_TRUE(BitBlt(dst.dc(), 1, 1, 2, 2, src.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dst.Pixel(1, 1), 0x80102030u);
  EXPECT_EQ(dst.Pixel(0, 0), 0x01FF0F00u);
  EXPECT_EQ(dst.Pixel(3, 3), 0x01FF0F00u);
  BitBlt(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, SRCINVERT);
  EXPECT_EQ(dst.Pixel(0, 0), 0x80102030u ^ 0x01FF0F00u);
  BitBlt(dst.dc(), 3, 3, 1, 1, nullptr, 0, 0, DSTINVERT);
  EXPECT_EQ(dst.Pixel(3, 3), ~0x01FF0F00u);
  EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY)) << "no source DC";
}

TEST(Blit, PatBltUsesTheBrushAndNormalisesNegativeSizes) {
  Canvas c(6, 3);
  SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
  PatBlt(c.dc(), 4, 0, -3, 2, PATCOPY);  // columns 1..3
  EXPECT_EQ(c.Mask(RGB(255, 255, 255)), ".###..\n.###..\n......\n");
  SelectObject(c.dc(), GetStockObject(WHITE_BRUSH));
  PatBlt(c.dc(), 0, 0, 6, 1, PATINVERT);
  EXPECT_EQ(c.Color(0, 0), RGB(0, 0, 0)) << "white pattern xor white";
  EXPECT_EQ(c.Color(1, 0), RGB(255, 255, 255)) << "white pattern xor black";
  SelectObject(c.dc(), GetStockObject(NULL_BRUSH));
  PatBlt(c.dc(), 0, 2, 6, 1, PATCOPY);
  EXPECT_EQ(c.Color(0, 2), RGB(255, 255, 255)) << "a null brush paints nothing";
  EXPECT_FALSE(PatBlt(c.dc(), 0, 0, 1, 1, SRCCOPY));
}

TEST(Blit, MonochromeSourceTakesTextAndBackgroundColours) {
  const BYTE bits[4] = {0x80, 0, 0x40, 0};  // 2x2: (0,0)=1, (1,1)=1
  HBITMAP mono = CreateBitmap(2, 2, 1, 1, bits);
  HDC mdc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(mdc, mono);
  Canvas c(2, 2);
  SetTextColor(c.dc(), RGB(255, 0, 0));
  SetBkColor(c.dc(), RGB(0, 0, 255));
  BitBlt(c.dc(), 0, 0, 2, 2, mdc, 0, 0, SRCCOPY);
  EXPECT_EQ(c.Color(0, 0), RGB(0, 0, 255)) << "1 -> background colour";
  EXPECT_EQ(c.Color(1, 0), RGB(255, 0, 0)) << "0 -> text colour";
  EXPECT_EQ(c.Color(1, 1), RGB(0, 0, 255));

  // Colour -> monochrome: pixels equal to the source's background colour give 1.
  c.Clear(RGB(9, 9, 9));
  SetPixel(c.dc(), 1, 0, RGB(0, 255, 0));
  SetBkColor(c.dc(), RGB(0, 255, 0));
  BitBlt(mdc, 0, 0, 2, 2, c.dc(), 0, 0, SRCCOPY);
  std::uint8_t out[4] = {};
  GetBitmapBits(mono, 4, out);
  EXPECT_EQ(out[0], 0x40);
  EXPECT_EQ(out[2], 0x00);
  SelectObject(mdc, old);
  DeleteObject(mono);
  DeleteDC(mdc);
}

TEST(Blit, OverlappingCopyOnOneSurfaceIsExact) {
  Canvas c(8, 1);
  for (int x = 0; x < 8; ++x) SetPixel(c.dc(), x, 0, RGB(x, 0, 0));
  BitBlt(c.dc(), 2, 0, 5, 1, c.dc(), 0, 0, SRCCOPY);
  const int expected[8] = {0, 1, 0, 1, 2, 3, 4, 7};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(GetRValue(c.Color(x, 0)), expected[x]) << x;
}

TEST(Blit, CopyStaysInsideTheSourceSurface) {
  Canvas src(2, 2, RGB(0, 0, 0)), dst(4, 4);
  BitBlt(dst.dc(), 0, 0, 4, 4, src.dc(), -1, -1, SRCCOPY);
  EXPECT_EQ(dst.Mask(RGB(255, 255, 255)), "....\n.##.\n.##.\n....\n");
}

TEST(Blit, StretchBltScalesAndMirrors) {
  Canvas src(2, 1), dst(4, 2);
  SetPixel(src.dc(), 0, 0, RGB(255, 0, 0));
  SetPixel(src.dc(), 1, 0, RGB(0, 0, 255));
  StretchBlt(dst.dc(), 0, 0, 4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dst.Color(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(dst.Color(2, 0), RGB(0, 0, 255));
  StretchBlt(dst.dc(), 3, 0, -4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(dst.Color(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(dst.Color(3, 1), RGB(255, 0, 0));
}

TEST(Blit, MaskBltPicksForegroundOrBackgroundRop) {
  const BYTE bits[2] = {0x80, 0};  // 2x1 mask: 1, 0
  HBITMAP mask = CreateBitmap(2, 1, 1, 1, bits);
  Canvas src(2, 1, RGB(0, 0, 0)), dst(2, 1);
  ASSERT_TRUE(MaskBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, mask, 0, 0, MAKEROP4(SRCCOPY, 0x00AA0029)));
  EXPECT_EQ(dst.Color(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(dst.Color(1, 0), RGB(255, 255, 255));
  HBITMAP colour = CreateBitmap(2, 1, 1, 32, nullptr);
  EXPECT_FALSE(MaskBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, colour, 0, 0, SRCCOPY));
  DeleteObject(mask);
  DeleteObject(colour);
}

TEST(Blit, TransparentBltSkipsTheKeyColour) {
  Canvas src(2, 1, RGB(255, 0, 255)), dst(2, 1);
  SetPixel(src.dc(), 1, 0, RGB(1, 2, 3));
  TransparentBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 2, 1, RGB(255, 0, 255));
  EXPECT_EQ(dst.Color(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(dst.Color(1, 0), RGB(1, 2, 3));
}

TEST(Blit, AlphaBlendFormulas) {
  struct Case {
    std::uint32_t src, dst;
    BYTE constant, format;
    std::uint32_t expected;
  } cases[] = {
      {0xFF102030, 0x00FFFFFF, 255, AC_SRC_ALPHA, 0xFF102030},  // opaque source replaces
      {0x00000000, 0x40506070, 255, AC_SRC_ALPHA, 0x40506070},  // transparent source keeps
      {0x80400000, 0xFF0000FF, 255, AC_SRC_ALPHA, 0xFF40007F},  // premultiplied half red over blue
      {0xFF102030, 0x00FFFFFF, 0, AC_SRC_ALPHA, 0x00FFFFFF},    // constant alpha 0 keeps
      {0xFFFFFFFF, 0x00000000, 128, 0, 0x80808080},             // constant alpha scales all four
      {0x00FF0000, 0xFF0000FF, 128, 0, 0x7F80007F},             // without per-pixel alpha
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << k.src << " over " << k.dst);
    Canvas src(1, 1), dst(1, 1);
    GetBitmapSurface(src.bitmap()).at(0, 0) = k.src;
    GetBitmapSurface(dst.bitmap()).at(0, 0) = k.dst;
    BLENDFUNCTION bf{AC_SRC_OVER, 0, k.constant, k.format};
    ASSERT_TRUE(AlphaBlend(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 1, 1, bf));
    EXPECT_EQ(dst.Pixel(0, 0), k.expected);
  }
}

TEST(Blit, AlphaBlendRefusesSourceOutsideItsSurface) {
  Canvas src(4, 4), dst(4, 4);
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 4, 4, src.dc(), 1, 0, 4, 4, bf));
  bf.BlendOp = 1;
  EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 4, 4, bf));
}

TEST(Blit, GradientRectWritesVertexColoursAndAlpha) {
  Canvas c(4, 2);
  TRIVERTEX v[2] = {{0, 0, 0xFF00, 0, 0, 0xFF00}, {4, 2, 0, 0, 0xFF00, 0x0000}};
  GRADIENT_RECT r{0, 1};
  ASSERT_TRUE(GradientFill(c.dc(), v, 2, &r, 1, GRADIENT_FILL_RECT_H));
  EXPECT_EQ(c.Pixel(0, 0), 0xFFFF0000u);
  EXPECT_EQ(c.Pixel(2, 1), 0x7F7F007Fu);
  EXPECT_EQ(c.Pixel(3, 0) >> 24, 0x3Fu);
  ASSERT_TRUE(GradientFill(c.dc(), v, 2, &r, 1, GRADIENT_FILL_RECT_V));
  EXPECT_EQ(c.Pixel(3, 0), 0xFFFF0000u);
  EXPECT_EQ(c.Pixel(0, 1), 0x7F7F007Fu);
  GRADIENT_RECT bad{0, 5};
  EXPECT_FALSE(GradientFill(c.dc(), v, 2, &bad, 1, GRADIENT_FILL_RECT_H));
}

TEST(Blit, GradientTriangleInterpolates) {
  Canvas c(10, 10);
  TRIVERTEX v[3] = {{0, 0, 0xFF00, 0, 0, 0}, {10, 0, 0, 0xFF00, 0, 0}, {0, 10, 0, 0, 0xFF00, 0}};
  GRADIENT_TRIANGLE t{0, 1, 2};
  ASSERT_TRUE(GradientFill(c.dc(), v, 3, &t, 1, GRADIENT_FILL_TRIANGLE));
  EXPECT_EQ(c.Color(0, 0), RGB(255, 0, 0));
  EXPECT_EQ(c.Color(5, 0), RGB(127, 127, 0));
  EXPECT_EQ(c.Color(9, 9), RGB(255, 255, 255)) << "outside the triangle";
}

namespace {

// A BITMAPINFO with room for a colour table or masks.
struct Info {
  BITMAPINFOHEADER header;
  RGBQUAD colors[256];
};

}  // namespace

TEST(Dib, RoundTripThroughEveryDepth) {
  // Colours every depth can hold exactly (the 8-bit table has a 6-step cube).
  const COLORREF colours[4] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 0, 255)};
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(::testing::Message() << bpp << " bits, top-down " << topDown);
      Canvas c(5, 3);
      for (int i = 0; i < 15; ++i) SetPixel(c.dc(), i % 5, i / 5, colours[bpp == 1 ? (i % 2) : (i % 4)]);
      Info info{};
      info.header.biWidth = 5;
      info.header.biHeight = topDown ? -3 : 3;
      info.header.biBitCount = WORD(bpp);
      auto* bmi = reinterpret_cast<BITMAPINFO*>(&info);
      std::vector<std::uint8_t> bits(((5 * bpp + 31) / 32) * 4 * 3);
      EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 0, 3, nullptr, bmi, DIB_RGB_COLORS), 3);
      EXPECT_EQ(info.header.biSizeImage, bits.size());
      EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 0, 3, bits.data(), bmi, DIB_RGB_COLORS), 3);
      const gdi::ImageBGRA before = c.Image();
      c.Clear(RGB(9, 9, 9));
      EXPECT_EQ(SetDIBits(c.dc(), c.bitmap(), 0, 3, bits.data(), bmi, DIB_RGB_COLORS), 3);
      EXPECT_EQ(c.Image(), before);
    }
  }
}

TEST(Dib, GetDIBitsDescribesTheBitmapWhenAskedWithZeroDepth) {
  Canvas c(7, 3);
  Info info{};
  auto* bmi = reinterpret_cast<BITMAPINFO*>(&info);
  EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 0, 0, nullptr, bmi, DIB_RGB_COLORS), 3);
  EXPECT_EQ(info.header.biWidth, 7);
  EXPECT_EQ(info.header.biHeight, 3);
  EXPECT_EQ(info.header.biBitCount, 32);
  EXPECT_EQ(info.header.biSizeImage, 7u * 4 * 3);
  info.header.biBitCount = 12;
  EXPECT_EQ(GetDIBits(c.dc(), c.bitmap(), 0, 3, nullptr, bmi, DIB_RGB_COLORS), 0);
}

TEST(Dib, BottomUpRowsAndScanBands) {
  // A 1x3 bottom-up DIB: memory rows are bottom, middle, top.
  std::uint32_t rows[3] = {0x00000001, 0x00000002, 0x00000003};
  Info info{};
  info.header.biWidth = 1;
  info.header.biHeight = 3;
  info.header.biBitCount = 32;
  auto* bmi = reinterpret_cast<BITMAPINFO*>(&info);
  Canvas c(1, 3, RGB(9, 9, 9));
  EXPECT_EQ(SetDIBitsToDevice(c.dc(), 0, 0, 1, 3, 0, 0, 0, 3, rows, bmi, DIB_RGB_COLORS), 3);
  EXPECT_EQ(c.Pixel(0, 0), 3u);
  EXPECT_EQ(c.Pixel(0, 2), 1u);
  // Only scan line 1 (the middle row) present.
  c.Clear(RGB(9, 9, 9));
  SetDIBitsToDevice(c.dc(), 0, 0, 1, 3, 0, 0, 1, 1, &rows[1], bmi, DIB_RGB_COLORS);
  EXPECT_EQ(c.Pixel(0, 1), 2u);
  EXPECT_EQ(c.Color(0, 0), RGB(9, 9, 9));
  // Stretched to twice the height, upright.
  Canvas big(1, 6);
  EXPECT_EQ(StretchDIBits(big.dc(), 0, 0, 1, 6, 0, 0, 1, 3, rows, bmi, DIB_RGB_COLORS, SRCCOPY), 3);
  EXPECT_EQ(big.Pixel(0, 0), 3u);
  EXPECT_EQ(big.Pixel(0, 5), 1u);
}

TEST(Dib, SectionsExposeTheirBits) {
  Info info{};
  info.header.biWidth = 3;
  info.header.biHeight = 2;  // bottom-up
  info.header.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP sec = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(sec, nullptr);
  ASSERT_NE(bits, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, sec);
  SetPixel(dc, 0, 0, RGB(1, 2, 3));  // top-left: the last row in memory
  EXPECT_EQ(static_cast<std::uint32_t*>(bits)[3], 0x00010203u);
  DIBSECTION ds;
  EXPECT_EQ(GetObjectW(sec, sizeof ds, &ds), int(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBmih.biHeight, 2);

  // An 8-bit section: drawing goes through its colour table.
  Info pal{};
  pal.header.biWidth = 4;
  pal.header.biHeight = -1;
  pal.header.biBitCount = 8;
  pal.header.biClrUsed = 2;
  pal.colors[1] = RGBQUAD{0, 0, 255, 0};  // red
  void* pbits = nullptr;
  HBITMAP sec8 = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&pal), DIB_RGB_COLORS, &pbits, nullptr, 0);
  SelectObject(dc, sec8);
  SetPixel(dc, 2, 0, RGB(250, 0, 0));
  EXPECT_EQ(static_cast<std::uint8_t*>(pbits)[2], 1);
  static_cast<std::uint8_t*>(pbits)[0] = 1;
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteObject(sec);
  DeleteObject(sec8);
  DeleteDC(dc);

  info.header.biBitCount = 7;
  EXPECT_EQ(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
}
