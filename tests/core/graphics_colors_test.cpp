// Alpha colours, pixel rows of bitmaps, the checksum, colour arithmetic,
// gradients and alpha blending.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lib/core/cxGraphicsColors.h"
#include "lib/core/cxSmoothResize.h"
#include "lib/core/dxAlphaColors.h"
#include "lib/core/dxDIBHelpers.h"
#include "platform/gdi/gdi.h"
#include "platform/rtl/streams.h"
#include "platform/ui/bitmap.h"
#include "tests/support/golden.h"

using namespace core;
using ui::TBitmap;

namespace {

// A 32-bit bitmap whose pixels the test sets and reads directly.
struct Bitmap32 {
  TBitmap bmp;
  Bitmap32(int w, int h, std::uint32_t fill = 0) {
    bmp.SetPixelFormat(ui::pf32bit);
    bmp.SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) Set(x, y, fill);
  }
  std::uint32_t& At(int x, int y) { return static_cast<std::uint32_t*>(bmp.ScanLine(y))[x]; }
  void Set(int x, int y, std::uint32_t v) { At(x, y) = v; }
  gdi::HDC dc() { return bmp.Canvas()->Handle(); }
  std::uint32_t Rgb(int x, int y) { return At(x, y) & 0xFFFFFF; }
};

constexpr std::uint32_t kRedPixel = 0x00FF0000;  // 0xAARRGGBB

}  // namespace

// ---- alpha colours --------------------------------------------------------------------

TEST(AlphaColors, ConversionsBothWays) {
  struct Case {
    ui::TColor color;
    std::uint8_t alpha;
    TdxAlphaColor expected;
  } cases[] = {
      {ui::clRed, 255, 0xFFFF0000u},   // red lands in the third byte
      {ui::clBlue, 0x40, 0x400000FFu},
      {ui::clNone, 255, dxacNone},     // whatever the alpha
      {ui::clDefault, 255, dxacDefault},
  };
  for (const Case& c : cases) EXPECT_EQ(dxColorToAlphaColor(c.color, c.alpha), c.expected) << c.color;
  // System colours are resolved first.
  const gdi::COLORREF face = gdi::GetSysColor(gdi::COLOR_BTNFACE);
  EXPECT_EQ(dxColorToAlphaColor(ui::clBtnFace, 255),
            0xFF000000u | (gdi::GetRValue(face) << 16) | (gdi::GetGValue(face) << 8) | gdi::GetBValue(face));

  std::uint8_t alpha = 0;
  EXPECT_EQ(dxAlphaColorToColor(0x80102030u, alpha), 0x00302010);
  EXPECT_EQ(alpha, 0x80);
  EXPECT_EQ(dxAlphaColorToColor(dxacNone, alpha), ui::clNone);
  EXPECT_EQ(alpha, 0);
  alpha = 7;
  EXPECT_EQ(dxAlphaColorToColor(dxacDefault, alpha), ui::clDefault);
  EXPECT_EQ(alpha, 0);
  // The quad form keeps its top byte where it is.
  EXPECT_EQ(static_cast<std::uint32_t>(dxRGBQuadToColor(0x7F112233u)), 0x7F332211u);
  EXPECT_TRUE(TdxAlphaColors::IsTransparentOrEmpty(0x00FFFFFFu));
  EXPECT_FALSE(TdxAlphaColors::IsTransparentOrEmpty(0x01FFFFFFu));
}

// ---- DIB rows -------------------------------------------------------------------------------

TEST(DIBHelpers, RowsReadTopDownOrBottomUpAndWriteBack) {
  Bitmap32 b(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) b.Set(x, y, 0x01000000u * (y + 1) + 0x10 * x + y);
  TRGBColors topDown, bottomUp;
  ASSERT_TRUE(GetBitmapBits(&b.bmp, topDown, true));
  ASSERT_TRUE(GetBitmapBits(&b.bmp, bottomUp, false));
  ASSERT_EQ(topDown.size(), 6u);
  EXPECT_EQ(dxRGBQuadToUInt(topDown[0]), b.At(0, 0));     // first entry: the top row
  EXPECT_EQ(dxRGBQuadToUInt(bottomUp[0]), b.At(0, 1));    // first entry: the bottom row
  EXPECT_EQ(dxRGBQuadToUInt(topDown[5]), b.At(2, 1));

  for (TRGBQuad& q : topDown) q.rgbGreen = 0x77;
  SetBitmapBits(&b.bmp, topDown, true);
  EXPECT_EQ(b.At(2, 0), 0x01007720u);  // alpha kept, green replaced
  EXPECT_EQ(b.At(0, 1), 0x02007701u);

  TBitmap empty;
  TRGBColors none;
  EXPECT_FALSE(GetBitmapBits(&empty, none, true));
  EXPECT_TRUE(none.empty());
  SetBitmapBits(&empty, topDown, true);  // nothing to write, no fault
}

TEST(DIBHelpers, AlphaUseNeedsThirtyTwoBits) {
  Bitmap32 opaque(4, 4, 0x00123456);
  EXPECT_FALSE(dxIsAlphaUsed(&opaque.bmp));
  opaque.Set(3, 3, 0x01123456);
  EXPECT_TRUE(dxIsAlphaUsed(&opaque.bmp));
  opaque.bmp.SetPixelFormat(ui::pf24bit);  // the alpha byte is gone with the format
  EXPECT_FALSE(dxIsAlphaUsed(&opaque.bmp));
  EXPECT_EQ(cxGetBitmapPixelFormat(&opaque.bmp), 24);
}

TEST(DIBHelpers, GraphicEqualityComparesClassSizeAndBytes) {
  Bitmap32 a(5, 4, 0x00FF0000), b(5, 4, 0x00FF0000), taller(5, 5, 0x00FF0000);
  EXPECT_TRUE(dxGraphicIsEquals(&a.bmp, &b.bmp));
  EXPECT_FALSE(dxGraphicIsEquals(&a.bmp, &taller.bmp));
  b.Set(4, 3, 0x0000FF00);
  EXPECT_FALSE(dxGraphicIsEquals(&a.bmp, &b.bmp));
  EXPECT_FALSE(dxGraphicIsEquals(&a.bmp, nullptr));
}

TEST(DIBHelpers, ObjectDescriptions) {
  Bitmap32 a(7, 3);
  gdi::BITMAP bm;
  ASSERT_TRUE(dxGetBitmapData(a.bmp.Handle(), bm));
  EXPECT_EQ(bm.bmWidth, 7);
  EXPECT_EQ(bm.bmHeight, 3);
  gdi::LOGFONTW lf;
  ui::TFont font;
  font.SetHeight(-20);
  ASSERT_TRUE(dxGetFontData(font.Handle(), lf));
  EXPECT_EQ(lf.lfHeight, -20);
  EXPECT_FALSE(dxGetBitmapData(nullptr, bm));
}

TEST(CRC32, StandardValuesAndRunningForm) {
  struct Case {
    const char* text;
    std::uint32_t crc;
  } cases[] = {{"", 0u}, {"abc", 0x352441C2u}, {"123456789", 0xCBF43926u},
               {"The quick brown fox jumps over the lazy dog", 0x414FA339u}};
  for (const Case& c : cases) EXPECT_EQ(dxCRC32(c.text, std::strlen(c.text)), c.crc) << c.text;
  // The running form chains pieces without the initial value or inversion.
  const std::string all = "123456789";
  std::uint32_t running = 0xFFFFFFFFu;
  running = dxCRC32(all.data(), 4, running);
  running = dxCRC32(all.data() + 4, 5, running);
  EXPECT_EQ(~running, 0xCBF43926u);
}

// ---- colour arithmetic -----------------------------------------------------------------------

TEST(Colors, ShadesAndMixes) {
  struct Case {
    const char* what;
    ui::TColor actual, expected;
  } cases[] = {
      {"middle 25% white", dxGetMiddleRGB(ui::clWhite, ui::clBlack, 25), 0x404040},
      {"middle 100% first", dxGetMiddleRGB(ui::clRed, ui::clBlue, 100), ui::clRed},
      {"middle clamps", dxGetMiddleRGB(ui::clWhite, ui::clWhite, 150), 0xFFFFFF},
      {"darker 50%", dxGetDarkerColor(0x00C86432, 50), 0x00643219},
      {"darker of a system colour", dxGetDarkerColor(ui::clBtnFace, 100),
       ui::TColor(gdi::GetSysColor(gdi::COLOR_BTNFACE))},
      {"invert", dxInvertColor(0x00102030), 0x00EFDFCF},
      {"nearest is exact", dxGetNearestColor(0x00123456), 0x00123456},
      {"tint 0 keeps the colour", dxGetColorTint(0x00336699, 0), 0x00336699},
      {"tint +100 is white", dxGetColorTint(0x00336699, 100), 0x00FFFFFF},
      {"tint -100 is black", dxGetColorTint(0x00336699, -100), 0x00000000},
      {"actual default", cxGetActualColor(ui::clDefault, ui::clRed), ui::clRed},
      {"actual set", cxGetActualColor(ui::clBlue, ui::clRed), ui::clBlue},
  };
  for (const Case& c : cases) EXPECT_EQ(c.actual, c.expected) << c.what;
  EXPECT_FALSE(cxColorIsValid(ui::clNone));
  EXPECT_FALSE(cxColorIsValid(ui::clDefault));
  EXPECT_TRUE(cxColorIsValid(ui::clBtnFace));
}

TEST(Colors, LightColorsFollowTheSystemScheme) {
  gdi::ResetSysColors();
  // Face C0C0C0, highlight 000080 (navy), window white. Blue:
  // MulDiv(192,-2,100) + MulDiv(128,30,100) + MulDiv(255,72,100) = -4 + 38 + 184;
  // red and green: -4 + 0 + 184. A negative part can take a channel below 0:
  // it is clamped, not wrapped.
  const int idx3[] = {gdi::COLOR_BTNFACE, gdi::COLOR_HIGHLIGHT, gdi::COLOR_WINDOW};
  const gdi::COLORREF scheme[] = {0xC0C0C0, 0x800000, 0xFFFFFF};
  gdi::SetSysColors(3, idx3, scheme);
  EXPECT_EQ(GetLightSelColor(), 0x00DAB4B4);
  EXPECT_EQ(GetLightColor(-100, 0, 0), 0);
  EXPECT_EQ(GetLightColor(100, 100, 100), 0x00FFFFFF);
  // A white button face takes the highlight colour itself.
  const int idx[] = {gdi::COLOR_BTNFACE};
  const gdi::COLORREF white[] = {0xFFFFFF}, black[] = {0};
  gdi::SetSysColors(1, idx, white);
  EXPECT_EQ(GetLightColor(10, 20, 30), 0x00800000);
  EXPECT_FALSE(IsHighContrastBlack());
  gdi::SetSysColors(1, idx, black);
  EXPECT_TRUE(IsHighContrastBlack());
  EXPECT_TRUE(IsHighContrast2());  // button text stays black
  gdi::ResetSysColors();
}

TEST(Colors, HueSaturationValue) {
  struct Case {
    ui::TColor color;
    double h, s, v;
  } cases[] = {
      {ui::clRed, 0, 1, 1},   {ui::clBlack, 0, 0, 0},       {0x808080, 0, 0, 128 / 255.0},
      {ui::clLime, 120, 1, 1}, {ui::clBlue, 240, 1, 1},     {0x00FF00FF, 300, 1, 1},  // magenta
      {ui::clNone, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const TdxHSV hsv = dxColorToHSV(c.color);
    EXPECT_DOUBLE_EQ(hsv.H, c.h) << c.color;
    EXPECT_DOUBLE_EQ(hsv.S, c.s) << c.color;
    EXPECT_DOUBLE_EQ(hsv.V, c.v) << c.color;
  }
  EXPECT_EQ(dxHSVToColor({120, 1, 1}), ui::clLime);
  // Round trips through all six sectors.
  for (ui::TColor c : {0x000080FF, 0x0000FF80, 0x0080FF00, 0x00FF8000, 0x00FF0080, 0x008000FF, 0x00336699})
    EXPECT_EQ(dxHSVToColor(dxColorToHSV(c)), c) << std::hex << c;
}

TEST(Colors, NamedColoursTable) {
  EXPECT_STREQ(reinterpret_cast<const char*>(std::u16string(cxColorsByName[0].Name) == u"aliceblue" ? "ok" : "no"), "ok");
  struct Case {
    int row;  // counted from 1
    const char16_t* name;
    ui::TColor color;
  } cases[] = {{1, u"aliceblue", 0x00FFF8F0},       {2, u"antiquewhite", 0x00D7EBFA},
               {3, u"aqua", 0x00FFFF00},            {85, u"mediumpurple", 0x00DB7093},
               {86, u"mediumseagreen", 0x0071B33C}, {87, u"mediumpurple", 0x00DB7093},
               {140, u"yellow", 0x0000FFFF},        {141, u"yellowgreen", 0x0032CD9A},
               {142, u"activeborder", ui::clActiveBorder}, {164, u"threedhighlight", ui::clHighlightText},
               {169, u"windowtext", ui::clWindowText}};
  for (const Case& c : cases) {
    EXPECT_EQ(std::u16string(cxColorsByName[c.row - 1].Name), std::u16string(c.name)) << c.row;
    EXPECT_EQ(cxColorsByName[c.row - 1].Color, c.color) << c.row;
  }
}

// ---- gradients ----------------------------------------------------------------------------------

class Gradients : public ::testing::TestWithParam<bool> {  // system gradient call or software bands
 protected:
  void SetUp() override { cxSetSystemBlendingAvailable(GetParam()); }
  void TearDown() override { cxSetSystemBlendingAvailable(true); }
};

TEST_P(Gradients, RunFromFirstToSecondColour) {
  Bitmap32 b(600, 40, 0x00FFFFFF);
  FillGradientRect(b.dc(), {0, 0, 600, 20}, ui::clBlack, ui::clWhite, true);
  FillGradientRect(b.dc(), {0, 20, 600, 40}, ui::clRed, ui::clBlue, false);
  EXPECT_EQ(b.Rgb(0, 5), 0x000000u);
  // The last pixel is the second colour, or one step short of it.
  EXPECT_GE(b.Rgb(599, 5) & 0xFF, 254u);
  // Monotonic along the run, and the vertical one is constant across it.
  for (int x = 1; x < 600; ++x) ASSERT_GE(b.Rgb(x, 5) & 0xFF, b.Rgb(x - 1, 5) & 0xFF) << x;
  EXPECT_EQ(b.Rgb(0, 20), kRedPixel);
  EXPECT_GE(b.Rgb(0, 39) & 0xFF, 255u * 19u / 20u);
  EXPECT_EQ(b.Rgb(0, 30), b.Rgb(599, 30));
}

TEST_P(Gradients, EqualColoursFillSolid) {
  Bitmap32 b(10, 10, 0);
  const gdi::COLORREF face = gdi::GetSysColor(gdi::COLOR_BTNFACE);
  FillGradientRect(b.dc(), {2, 2, 8, 8}, ui::clBtnFace, ui::TColor(face), true);
  const std::uint32_t facePixel = (gdi::GetRValue(face) << 16) | (gdi::GetGValue(face) << 8) | gdi::GetBValue(face);
  EXPECT_EQ(b.Rgb(2, 2), facePixel);
  EXPECT_EQ(b.Rgb(7, 7), facePixel);
  EXPECT_EQ(b.Rgb(8, 8), 0u);
}

INSTANTIATE_TEST_SUITE_P(SystemAndSoftware, Gradients, ::testing::Bool());

TEST(Gradients, SoftwareBandsOfALongRectangle) {
  cxSetSystemBlendingAvailable(false);
  Bitmap32 b(600, 1, 0x00FFFFFF);
  FillGradientRect(b.dc(), {0, 0, 600, 1}, ui::clBlack, 0x00FF0000, true);  // 0..255 in blue
  cxSetSystemBlendingAvailable(true);
  // 256 bands of 2 or 3 pixels; band i has blue i.
  int bands = 1, run = 1;
  for (int x = 1; x < 600; ++x) {
    const int prev = b.At(x - 1, 0) & 0xFF, cur = b.At(x, 0) & 0xFF;
    if (cur != prev) {
      EXPECT_EQ(cur, prev + 1) << x;
      EXPECT_TRUE(run == 2 || run == 3) << "band ending at " << x << " is " << run;
      ++bands;
      run = 1;
    } else {
      ++run;
    }
  }
  EXPECT_EQ(bands, 256);
  EXPECT_EQ(b.At(599, 0) & 0xFF, 255u);
}

TEST(Gradients, TubeMeetsInTheMiddleAndSurvivesOnePixel) {
  Bitmap32 b(101, 3, 0);
  FillTubeGradientRect(b.dc(), {0, 0, 101, 1}, 0x000000C8, 0x00000000, 100, true);  // red 200 -> 0
  // M = 200 - MulDiv(200, 100, 200) = 100 at i = Half = 50.
  EXPECT_EQ(b.At(0, 0) & 0xFF0000, 200u << 16);
  EXPECT_EQ((b.At(50, 0) >> 16) & 0xFF, 100u);
  // 0 percent keeps the first colour over the first half.
  FillTubeGradientRect(b.dc(), {0, 1, 101, 2}, 0x000000C8, 0x00000000, 0, true);
  EXPECT_EQ((b.At(49, 1) >> 16) & 0xFF, 200u);
  // A length of 1: its half is 0 (a MulDiv by zero); one band, no fault.
  FillTubeGradientRect(b.dc(), {5, 2, 6, 3}, ui::clRed, ui::clBlue, 50, true);
  FillTubeGradientRect(b.dc(), {5, 2, 6, 3}, ui::clRed, ui::clBlue, 50, false);
  EXPECT_NE(b.Rgb(5, 2), 0u);
}

TEST(Gradients, Golden) {
  Bitmap32 b(128, 64, 0x00FFFFFF);
  FillGradientRect(b.dc(), {0, 0, 64, 32}, ui::clNavy, ui::clWhite, true);
  FillGradientRect(b.dc(), {64, 0, 128, 32}, ui::clBtnFace, ui::clMaroon, false);
  FillTubeGradientRect(b.dc(), {0, 32, 64, 64}, 0x00FFE0C0, 0x00A06020, 60, false);
  FillTubeGradientRect(b.dc(), {64, 32, 128, 64}, ui::clYellow, ui::clGreen, 100, true);
  EXPECT_EQ(b.Rgb(0, 0), 0x000080u);
  EXPECT_GOLDEN(b.bmp.ToImage(), "core", "gradients");
}

// ---- alpha blending ----------------------------------------------------------------------------------

TEST(Blend, BlendFunctionCases) {
  struct Case {
    const char* what;
    TRGBQuad src, dst;
    std::uint8_t constant;
    TRGBQuad expected;
  } cases[] = {
      {"opaque replaces", {10, 20, 30, 255}, {200, 100, 50, 255}, 255, {10, 20, 30, 255}},
      {"constant 0 keeps", {10, 20, 30, 255}, {200, 100, 50, 77}, 0, {200, 100, 50, 77}},
      {"half premultiplied", {0, 0, 128, 128}, {0, 0, 0, 0}, 255, {0, 0, 128, 128}},
      {"half over white", {0, 0, 128, 128}, {255, 255, 255, 255}, 255, {127, 127, 255, 255}},
      {"constant half", {0, 0, 255, 255}, {255, 0, 0, 255}, 128, {127, 0, 128, 255}},
  };
  for (const Case& c : cases) {
    TRGBQuad d = c.dst;
    cxBlendFunction(c.src, d, c.constant);
    EXPECT_EQ(dxRGBQuadToUInt(d), dxRGBQuadToUInt(c.expected)) << c.what;
  }
}

class AlphaBlendPaths : public ::testing::TestWithParam<bool> {  // the system call on or off
 protected:
  void SetUp() override { cxSetSystemBlendingAvailable(GetParam()); }
  void TearDown() override { cxSetSystemBlendingAvailable(true); }
};

TEST_P(AlphaBlendPaths, SameSizeBlendsPremultipliedSource) {
  Bitmap32 dst(8, 8, 0x00FFFFFF), src(8, 8, 0x80800000);  // half red, premultiplied
  cxAlphaBlend(dst.dc(), src.dc(), {0, 0, 8, 8}, {0, 0, 8, 8});
  EXPECT_EQ(cxLastAlphaBlendPath(), GetParam() ? TcxAlphaBlendPath::System : TcxAlphaBlendPath::Complex);
  // red 128 + 255 * 127/255, green and blue 255 * 127/255.
  EXPECT_NEAR(int((dst.At(3, 3) >> 16) & 0xFF), 255, 1);
  EXPECT_NEAR(int(dst.At(3, 3) & 0xFF), 127, 1);
  // Empty rectangles draw nothing.
  Bitmap32 untouched(4, 4, 0x00FFFFFF);
  cxAlphaBlend(untouched.dc(), src.dc(), {0, 0, 0, 4}, {0, 0, 4, 4});
  EXPECT_EQ(cxLastAlphaBlendPath(), TcxAlphaBlendPath::None);
  EXPECT_EQ(untouched.At(0, 0), 0x00FFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(SystemAndSoftware, AlphaBlendPaths, ::testing::Bool());

TEST(Blend, SmoothScalingTakesTheComplexPathWithLanczos) {
  Bitmap32 src(4, 4, 0xFF0000FF);  // opaque blue
  src.Set(0, 0, 0xFFFF0000);
  Bitmap32 plain(8, 8, 0xFF000000), smooth(8, 8, 0xFF000000);
  cxAlphaBlend(&plain.bmp, &src.bmp, {0, 0, 8, 8}, {0, 0, 4, 4}, false);
  EXPECT_EQ(cxLastAlphaBlendPath(), TcxAlphaBlendPath::System);
  cxAlphaBlend(&smooth.bmp, &src.bmp, {0, 0, 8, 8}, {0, 0, 4, 4}, true);
  EXPECT_EQ(cxLastAlphaBlendPath(), TcxAlphaBlendPath::Complex);
  // Nearest pixels keep the red square 2 x 2; the filter spreads it.
  EXPECT_EQ(plain.Rgb(2, 2), 0x0000FFu);
  EXPECT_EQ(smooth.Rgb(0, 0) >> 16 & 0xFF, 255u);
  EXPECT_NE(smooth.Rgb(2, 2), 0x0000FFu);
  EXPECT_NE(smooth.Rgb(2, 2), 0xFF0000u);
  // Same size with smoothing asked: no scaling, so the system call serves.
  cxAlphaBlend(&smooth.bmp, &src.bmp, {0, 0, 4, 4}, {0, 0, 4, 4}, true);
  EXPECT_EQ(cxLastAlphaBlendPath(), TcxAlphaBlendPath::System);
}

TEST(Blend, Golden) {
  Bitmap32 dst(96, 48, 0x00FFFFFF);
  FillGradientRect(dst.dc(), {0, 0, 96, 48}, ui::clWhite, ui::clTeal, true);
  Bitmap32 src(16, 16, 0);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const std::uint32_t a = std::uint32_t(x * 16 + 15);  // alpha ramps left to right
      src.Set(x, y, (a << 24) | ((y < 8 ? a : 0) << 16) | (y < 8 ? 0 : a));
    }
  cxAlphaBlend(&dst.bmp, &src.bmp, {4, 4, 20, 20}, {0, 0, 16, 16});
  cxAlphaBlend(&dst.bmp, &src.bmp, {24, 4, 40, 20}, {0, 0, 16, 16}, false, 128);
  cxAlphaBlend(&dst.bmp, &src.bmp, {44, 4, 92, 44}, {0, 0, 16, 16}, true);
  EXPECT_EQ(dst.Rgb(19, 4), 0xFF0000u);  // the opaque column is the source itself
  EXPECT_GOLDEN(dst.bmp.ToImage(), "core", "blending");
}

// ---- smooth resizing (the blend's smooth path) -----------------------------------------------------

TEST(SmoothResize, LanczosContributors) {
  // Unscaled: the kernel is 1 at 0 and 0 at the other integers.
  const TcxResizeContributors same = cxBuildResizeFilter(5, 5);
  ASSERT_EQ(same.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    ASSERT_EQ(same[i].size(), 1u) << i;
    EXPECT_EQ(same[i][0].Pixel, i);
    EXPECT_EQ(same[i][0].Weight, 256);
  }
  EXPECT_FLOAT_EQ(cxLanczos3Filter(0), 1.0f);
  EXPECT_FLOAT_EQ(cxLanczos3Filter(3), 0.0f);
  EXPECT_FLOAT_EQ(cxLanczos3Filter(-4.5f), 0.0f);
  // Shrinking widens the reach; positions outside are mirrored inside, and
  // the weights of each pixel sum to about 256.
  for (const auto& [from, to] : {std::pair{10, 3}, std::pair{3, 10}, std::pair{1, 4}, std::pair{7, 1}}) {
    for (const auto& pixel : cxBuildResizeFilter(from, to)) {
      int sum = 0;
      for (const TcxResizeContributor& c : pixel) {
        EXPECT_GE(c.Pixel, 0);
        EXPECT_LT(c.Pixel, from);
        sum += c.Weight;
      }
      EXPECT_NEAR(sum, 256, 8) << from << "->" << to;
    }
  }
}

TEST(SmoothResize, FlatPicturesStayFlatAndEmptyOnesAreLeftAlone) {
  Bitmap32 src(6, 4, 0x80402010), dst(13, 9, 0);
  cxSmoothResizeBitmap(&src.bmp, &dst.bmp, true);
  // Integer weights of 1/256 leave a flat picture flat within their rounding.
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_NEAR(int(dst.At(x, y) >> 24), 0x80, 4) << x << "," << y;
  EXPECT_NEAR(int((dst.At(6, 4) >> 16) & 0xFF), 0x40, 2);
  TBitmap empty;
  cxSmoothResizeBitmap(&empty, &dst.bmp, true);
  cxSmoothResizeBitmap(&src.bmp, &empty, true);
  EXPECT_TRUE(empty.Empty());
}
