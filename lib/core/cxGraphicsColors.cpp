#include "lib/core/cxGraphicsColors.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "lib/core/cxSmoothResize.h"
#include "lib/core/dxCore.h"
#include "lib/core/dxDIBHelpers.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/mathutil.h"
#include "platform/win/paint.h"

namespace core {

namespace {

bool gSystemBlendingAvailable = true;
TcxAlphaBlendPath gLastPath = TcxAlphaBlendPath::None;

struct Rgb {
  int r, g, b;
};

Rgb Resolve(TColor color) {
  const gdi::COLORREF c = ui::ColorToRGB(color);
  return Rgb{gdi::GetRValue(c), gdi::GetGValue(c), gdi::GetBValue(c)};
}

int ClampByte(int v) { return std::clamp(v, 0, 255); }

TColor MakeColor(int r, int g, int b) {
  return TColor(gdi::RGB(gdi::BYTE(ClampByte(r)), gdi::BYTE(ClampByte(g)), gdi::BYTE(ClampByte(b))));
}

std::uint8_t RoundByte(float v) { return std::uint8_t(std::clamp(std::nearbyint(v), 0.0f, 255.0f)); }

int RectWidth(const TRect& r) { return r.right - r.left; }
int RectHeight(const TRect& r) { return r.bottom - r.top; }
bool IsEmptyColorRect(const TRect& r) { return RectWidth(r) <= 0 || RectHeight(r) <= 0; }

void FillSolid(gdi::HDC dc, const TRect& r, gdi::COLORREF color) {
  gdi::HBRUSH brush = gdi::CreateSolidBrush(color);
  gdi::FillRect(dc, &r, brush);
  gdi::DeleteObject(brush);
}

// The band of a gradient between `from` and `to` along its direction.
TRect Band(const TRect& r, int from, int to, bool horizontal) {
  return horizontal ? TRect{from, r.top, to, r.bottom} : TRect{r.left, from, r.right, to};
}

void SoftwareGradient(gdi::HDC dc, const TRect& r, const Rgb& c1, const Rgb& c2, bool horizontal) {
  const int start = horizontal ? r.left : r.top;
  const int length = horizontal ? RectWidth(r) : RectHeight(r);
  if (length <= 0) return;
  // At most 256 bands however long the rectangle is.
  const int n = std::min(length, 256);
  int bandStart = start;
  for (int i = 0; i < n; ++i) {
    const int bandEnd = start + rtl::MulDiv(i + 1, length, n);
    auto channel = [&](int a, int b) { return n == 1 ? a : a + rtl::MulDiv(i, b - a, n - 1); };
    if (bandEnd > bandStart)
      FillSolid(dc, Band(r, bandStart, bandEnd, horizontal),
                gdi::RGB(gdi::BYTE(channel(c1.r, c2.r)), gdi::BYTE(channel(c1.g, c2.g)),
                         gdi::BYTE(channel(c1.b, c2.b))));
    bandStart = bandEnd;
    if (bandEnd >= start + length) break;
  }
}

void SystemGradient(gdi::HDC dc, const TRect& r, const Rgb& c1, const Rgb& c2, bool horizontal) {
  gdi::TRIVERTEX v[2];
  v[0] = gdi::TRIVERTEX{r.left, r.top, gdi::COLOR16(c1.r << 8), gdi::COLOR16(c1.g << 8),
                        gdi::COLOR16(c1.b << 8), 0};
  v[1] = gdi::TRIVERTEX{r.right, r.bottom, gdi::COLOR16(c2.r << 8), gdi::COLOR16(c2.g << 8),
                        gdi::COLOR16(c2.b << 8), 0};
  gdi::GRADIENT_RECT mesh{0, 1};
  gdi::GradientFill(dc, v, 2, &mesh, 1, horizontal ? gdi::GRADIENT_FILL_RECT_H : gdi::GRADIENT_FILL_RECT_V);
}

// A 32-bit bitmap of the given size, all pixels transparent black.
std::unique_ptr<ui::TBitmap> NewBitmap32(int width, int height) {
  auto bitmap = std::make_unique<ui::TBitmap>();
  bitmap->SetPixelFormat(ui::pf32bit);
  bitmap->SetSize(width, height);
  const TRect all{0, 0, width, height};
  gdi::FillRect(bitmap->Canvas()->Handle(), &all, static_cast<gdi::HBRUSH>(gdi::GetStockObject(gdi::BLACK_BRUSH)));
  return bitmap;
}

void SoftwareBlend(ui::TBitmap* source, ui::TBitmap* dest, std::uint8_t constantAlpha) {
  TRGBColors src, dst;
  GetBitmapBits(source, src, false);
  GetBitmapBits(dest, dst, false);
  const std::size_t n = std::min(src.size(), dst.size());
  for (std::size_t i = 0; i < n; ++i) cxBlendFunction(src[i], dst[i], constantAlpha);
  SetBitmapBits(dest, dst, false);
}

void ComplexBlend(gdi::HDC destDC, gdi::HDC srcDC, const TRect& destRect, const TRect& srcRect,
                  bool smooth, std::uint8_t constantAlpha) {
  const int dw = RectWidth(destRect), dh = RectHeight(destRect);
  const int sw = RectWidth(srcRect), sh = RectHeight(srcRect);
  auto sourceCopy = NewBitmap32(sw, sh);
  gdi::BitBlt(sourceCopy->Canvas()->Handle(), 0, 0, sw, sh, srcDC, srcRect.left, srcRect.top, gdi::SRCCOPY);
  // The vector-graphics road of a 64-bit system does not exist here
  // (IsWin64Bit is false), so the blend runs on memory bitmaps.
  auto destCopy = NewBitmap32(dw, dh);
  gdi::BitBlt(destCopy->Canvas()->Handle(), 0, 0, dw, dh, destDC, destRect.left, destRect.top, gdi::SRCCOPY);
  auto resized = NewBitmap32(dw, dh);
  if (smooth) {
    cxSmoothResizeBitmap(sourceCopy.get(), resized.get(), true);
  } else {
    gdi::StretchBlt(resized->Canvas()->Handle(), 0, 0, dw, dh, sourceCopy->Canvas()->Handle(), 0, 0, sw, sh,
                    gdi::SRCCOPY);
  }
  bool blended = false;
  if (gSystemBlendingAvailable) {
    const gdi::BLENDFUNCTION blend{gdi::AC_SRC_OVER, 0, constantAlpha, gdi::AC_SRC_ALPHA};
    blended = gdi::AlphaBlend(destCopy->Canvas()->Handle(), 0, 0, dw, dh, resized->Canvas()->Handle(), 0, 0,
                              dw, dh, blend) != 0;
  }
  if (!blended) SoftwareBlend(resized.get(), destCopy.get(), constantAlpha);
  gdi::BitBlt(destDC, destRect.left, destRect.top, dw, dh, destCopy->Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
}

}  // namespace

// ---- colour helpers -----------------------------------------------------------------

bool cxColorIsEqual(const TRGBQuad& a, const TRGBQuad& b) { return dxRGBQuadToUInt(a) == dxRGBQuadToUInt(b); }

void cxExchangeColors(TColor& color1, TColor& color2) { std::swap(color1, color2); }

TColor dxInvertColor(TColor color) { return TColor(ui::ColorToRGB(color) ^ 0xFFFFFF); }

TColor dxGetNearestColor(TColor color) {
  gdi::HDC dc = win::GetDC(nullptr);
  const TColor result = TColor(gdi::GetNearestColor(dc, ui::ColorToRGB(color)));
  win::ReleaseDC(nullptr, dc);
  return result;
}

TColor dxGetDarkerColor(TColor color, std::uint8_t percent) {
  const Rgb c = Resolve(color);
  auto scale = [&](int v) { return int(std::trunc(percent * v / 100.0)); };
  return MakeColor(scale(c.r), scale(c.g), scale(c.b));
}

TColor dxGetMiddleRGB(TColor color1, TColor color2, int percent) {
  const Rgb a = Resolve(color1), b = Resolve(color2);
  auto mix = [&](int c1, int c2) {
    return std::min(rtl::MulDiv(c2, 100 - percent, 100) + rtl::MulDiv(c1, percent, 100), 255);
  };
  return dxGetNearestColor(MakeColor(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)));
}

TColor dxGetColorTint(TColor color, int tintPercent) {
  TdxHSV hsv = dxColorToHSV(color);
  const double p = std::abs(tintPercent);
  if (tintPercent < 0) {
    if (hsv.S != 0) hsv.S = hsv.S + (1 - hsv.S) * p / 100;
    hsv.V = hsv.V - p * hsv.V / 100;
  } else {
    if (hsv.S != 0) hsv.S = hsv.S - hsv.S * p / 100;
    hsv.V = hsv.V + (1 - hsv.V) * p / 100;
  }
  hsv.S = std::clamp(hsv.S, 0.0, 1.0);
  hsv.V = std::clamp(hsv.V, 0.0, 1.0);
  return dxHSVToColor(hsv);
}

TColor GetLightColor(int btnFaceColorPart, int highlightColorPart, int windowColorPart) {
  const gdi::COLORREF faceRgb = ui::ColorToRGB(ui::clBtnFace);
  const gdi::COLORREF highlightRgb = ui::ColorToRGB(ui::clHighlight);
  if ((faceRgb == 0 || faceRgb == 0xFFFFFF) && highlightRgb != 0) return TColor(highlightRgb);
  const Rgb face = Resolve(ui::clBtnFace), hl = Resolve(ui::clHighlight), win = Resolve(ui::clWindow);
  auto mix = [&](int f, int h, int w) {
    return rtl::MulDiv(f, btnFaceColorPart, 100) + rtl::MulDiv(h, highlightColorPart, 100) +
           rtl::MulDiv(w, windowColorPart, 100);
  };
  return MakeColor(mix(face.r, hl.r, win.r), mix(face.g, hl.g, win.g), mix(face.b, hl.b, win.b));
}

TColor GetLightSelColor() { return dxGetNearestColor(GetLightColor(-2, 30, 72)); }
TColor GetLightDownedSelColor() { return dxGetNearestColor(GetLightColor(14, 44, 40)); }

bool IsHighContrastBlack() { return gdi::GetSysColor(gdi::COLOR_BTNFACE) == 0; }
bool IsHighContrast2() {
  return IsHighContrastBlack() && gdi::GetSysColor(gdi::COLOR_BTNTEXT) != 0xFFFFFF;
}

// ---- hue, saturation, value ---------------------------------------------------------------

TdxHSV TdxColorSpaceConverter::ColorToHSV(TColor color) {
  TdxHSV hsv;
  if (color == ui::clNone || color == ui::clDefault) return hsv;
  const Rgb c = Resolve(color);
  const int mx = std::max({c.r, c.g, c.b}), mn = std::min({c.r, c.g, c.b});
  hsv.V = mx / 255.0;
  hsv.S = hsv.V != 0 ? 1 - double(mn) / mx : 0;
  if (mx != mn) {
    const double d = mx - mn;
    if (c.r == mx)
      hsv.H = (c.g - c.b) * 60 / d;
    else if (c.g == mx)
      hsv.H = (c.b - c.r) * 60 / d + 120;
    else
      hsv.H = (c.r - c.g) * 60 / d + 240;
    if (hsv.H < 0) hsv.H += 360;
  }
  return hsv;
}

TColor TdxColorSpaceConverter::HSVToColor(const TdxHSV& hsv) {
  const int v = static_cast<std::uint8_t>(rtl::Round(hsv.V * 255));
  const int p = int(rtl::Round(v * (1 - hsv.S)));
  const int k = int(rtl::Trunc(hsv.H / 60)) % 6;
  const double f = hsv.H / 60 - k;
  const int q = int(rtl::Round(v * (1 - hsv.S * f)));
  const int t = int(rtl::Round(v * (1 - hsv.S * (1 - f))));
  int r = 0, g = 0, b = 0;
  switch (k) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
  }
  const TRGBQuad quad{std::uint8_t(b), std::uint8_t(g), std::uint8_t(r), 0};
  return dxRGBQuadToColor(quad);
}

// ---- rectangles and gradients -----------------------------------------------------------------

void FillRectByColor(gdi::HDC dc, const TRect& r, TColor color) {
  if (color == ui::clNone) return;
  FillSolid(dc, r, ui::ColorToRGB(color));
}

void FrameRectByColor(gdi::HDC dc, const TRect& r, TColor color) {
  if (color == ui::clNone) return;
  gdi::HBRUSH brush = gdi::CreateSolidBrush(ui::ColorToRGB(color));
  gdi::FrameRect(dc, &r, brush);
  gdi::DeleteObject(brush);
}

void FillGradientRect(gdi::HDC dc, const TRect& r, TColor color1, TColor color2, bool horizontal) {
  const Rgb c1 = Resolve(color1), c2 = Resolve(color2);
  if (ui::ColorToRGB(color1) == ui::ColorToRGB(color2)) {
    FillRectByColor(dc, r, color1);
  } else if (gSystemBlendingAvailable) {
    SystemGradient(dc, r, c1, c2, horizontal);
  } else {
    SoftwareGradient(dc, r, c1, c2, horizontal);
  }
}

void FillTubeGradientRect(gdi::HDC dc, const TRect& r, TColor color1, TColor color2, int gradientPercent,
                          bool horizontal) {
  if (ui::ColorToRGB(color1) == ui::ColorToRGB(color2)) {
    FillSolid(dc, r, ui::ColorToRGB(color1));
    return;
  }
  const Rgb c1 = Resolve(color1), c2 = Resolve(color2);
  const int start = horizontal ? r.left : r.top;
  const int length = horizontal ? RectWidth(r) : RectHeight(r);
  const int half = length / 2;
  // Per channel: the first piece falls by h over the first half, the second
  // runs from s to the second colour. A length of 1 divides by a zero half;
  // MulDiv answers -1 then, as the platform's does, and nothing breaks.
  struct Piece {
    int c1, c2, dc, h, m, s;
  };
  auto piece = [&](int a, int b) {
    Piece pc{a, b, 0, 0, 0, 0};
    pc.dc = rtl::MulDiv(a - b, gradientPercent, 200);
    pc.h = rtl::MulDiv(pc.dc, length, half);
    pc.m = a - pc.dc;
    pc.s = b + rtl::MulDiv(a - pc.dc - b, length, half);
    return pc;
  };
  const Piece pr = piece(c1.r, c2.r), pg = piece(c1.g, c2.g), pb = piece(c1.b, c2.b);
  auto channel = [&](const Piece& pc, int i) {
    if (i < half) return pc.c1 + rtl::MulDiv(i, -pc.h, length - 1);
    if (i == half) return pc.m;
    return pc.s + rtl::MulDiv(i, pc.c2 - pc.s, length - 1);
  };
  for (int i = 0; i < length; ++i) {
    const TRect band = Band(r, start + i, start + i + 1, horizontal);
    FillSolid(dc, band,
              gdi::RGB(gdi::BYTE(channel(pr, i)), gdi::BYTE(channel(pg, i)), gdi::BYTE(channel(pb, i))));
  }
}

// ---- alpha blending --------------------------------------------------------------------------------

void cxBlendFunction(const TRGBQuad& source, TRGBQuad& dest, std::uint8_t sourceConstantAlpha) {
  const float k = sourceConstantAlpha / 255.0f;
  const float a = k * source.rgbReserved;
  const float e = 1.0f - a / 255.0f;
  dest.rgbRed = RoundByte(k * source.rgbRed + e * dest.rgbRed);
  dest.rgbGreen = RoundByte(k * source.rgbGreen + e * dest.rgbGreen);
  dest.rgbBlue = RoundByte(k * source.rgbBlue + e * dest.rgbBlue);
  dest.rgbReserved = RoundByte(a + e * dest.rgbReserved);
}

void cxAlphaBlend(gdi::HDC destDC, gdi::HDC srcDC, const TRect& destRect, const TRect& srcRect,
                  bool smoothImage, std::uint8_t constantAlpha) {
  gLastPath = TcxAlphaBlendPath::None;
  if (IsEmptyColorRect(destRect) || IsEmptyColorRect(srcRect)) return;
  const bool smooth = smoothImage && (RectWidth(destRect) != RectWidth(srcRect) ||
                                      RectHeight(destRect) != RectHeight(srcRect));
  if (!IsWin64Bit && !IsWin9X && gSystemBlendingAvailable && !smooth) {
    gLastPath = TcxAlphaBlendPath::System;
    const gdi::BLENDFUNCTION blend{gdi::AC_SRC_OVER, 0, constantAlpha, gdi::AC_SRC_ALPHA};
    gdi::AlphaBlend(destDC, destRect.left, destRect.top, RectWidth(destRect), RectHeight(destRect), srcDC,
                    srcRect.left, srcRect.top, RectWidth(srcRect), RectHeight(srcRect), blend);
    return;
  }
  gLastPath = TcxAlphaBlendPath::Complex;
  ComplexBlend(destDC, srcDC, destRect, srcRect, smooth, constantAlpha);
}

void cxAlphaBlend(gdi::HDC destDC, ui::TBitmap* source, const TRect& destRect, const TRect& srcRect,
                  bool smoothImage, std::uint8_t constantAlpha) {
  cxAlphaBlend(destDC, source->Canvas()->Handle(), destRect, srcRect, smoothImage, constantAlpha);
}

void cxAlphaBlend(ui::TBitmap* dest, ui::TBitmap* source, const TRect& destRect, const TRect& srcRect,
                  bool smoothImage, std::uint8_t constantAlpha) {
  cxAlphaBlend(dest->Canvas()->Handle(), source->Canvas()->Handle(), destRect, srcRect, smoothImage,
               constantAlpha);
}

void cxBitBlt(gdi::HDC destDC, gdi::HDC srcDC, const TRect& destRect, const TPoint& srcTopLeft,
              gdi::DWORD rop) {
  gdi::BitBlt(destDC, destRect.left, destRect.top, RectWidth(destRect), RectHeight(destRect), srcDC,
              srcTopLeft.x, srcTopLeft.y, rop);
}

void cxSetSystemBlendingAvailable(bool available) { gSystemBlendingAvailable = available; }
bool CanApplySystemAlphaBlending() { return gSystemBlendingAvailable; }
TcxAlphaBlendPath cxLastAlphaBlendPath() { return gLastPath; }

// ---- named colours -------------------------------------------------------------------------------------

namespace {
constexpr TColor Web(std::uint32_t rgb) {
  // Written as the web writes them (0xRRGGBB); stored as TColor (0x00BBGGRR).
  return TColor(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF));
}
constexpr TColor Sys(int index) { return TColor(0xFF000000u | std::uint32_t(index)); }
}  // namespace

const TcxColorInfo cxColorsByName[cxColorsByNameCount] = {
    {u"aliceblue", Web(0xF0F8FF)}, {u"antiquewhite", Web(0xFAEBD7)}, {u"aqua", Web(0x00FFFF)},
    {u"aquamarine", Web(0x7FFFD4)}, {u"azure", Web(0xF0FFFF)}, {u"beige", Web(0xF5F5DC)},
    {u"bisque", Web(0xFFE4C4)}, {u"black", Web(0x000000)}, {u"blanchedalmond", Web(0xFFEBCD)},
    {u"blue", Web(0x0000FF)}, {u"blueviolet", Web(0x8A2BE2)}, {u"brown", Web(0xA52A2A)},
    {u"burlywood", Web(0xDEB887)}, {u"cadetblue", Web(0x5F9EA0)}, {u"chartreuse", Web(0x7FFF00)},
    {u"chocolate", Web(0xD2691E)}, {u"coral", Web(0xFF7F50)}, {u"cornflowerblue", Web(0x6495ED)},
    {u"cornsilk", Web(0xFFF8DC)}, {u"crimson", Web(0xDC143C)}, {u"cyan", Web(0x00FFFF)},
    {u"darkblue", Web(0x00008B)}, {u"darkcyan", Web(0x008B8B)}, {u"darkgoldenrod", Web(0xB8860B)},
    {u"darkgray", Web(0xA9A9A9)}, {u"darkgreen", Web(0x006400)}, {u"darkkhaki", Web(0xBDB76B)},
    {u"darkmagenta", Web(0x8B008B)}, {u"darkolivegreen", Web(0x556B2F)}, {u"darkorange", Web(0xFF8C00)},
    {u"darkorchid", Web(0x9932CC)}, {u"darkred", Web(0x8B0000)}, {u"darksalmon", Web(0xE9967A)},
    {u"darkseagreen", Web(0x8FBC8F)}, {u"darkslateblue", Web(0x483D8B)}, {u"darkslategray", Web(0x2F4F4F)},
    {u"darkturquoise", Web(0x00CED1)}, {u"darkviolet", Web(0x9400D3)}, {u"deeppink", Web(0xFF1493)},
    {u"deepskyblue", Web(0x00BFFF)}, {u"dimgray", Web(0x696969)}, {u"dodgerblue", Web(0x1E90FF)},
    {u"firebrick", Web(0xB22222)}, {u"floralwhite", Web(0xFFFAF0)}, {u"forestgreen", Web(0x228B22)},
    {u"fuchsia", Web(0xFF00FF)}, {u"gainsboro", Web(0xDCDCDC)}, {u"ghostwhite", Web(0xF8F8FF)},
    {u"gold", Web(0xFFD700)}, {u"goldenrod", Web(0xDAA520)}, {u"gray", Web(0x808080)},
    {u"green", Web(0x008000)}, {u"greenyellow", Web(0xADFF2F)}, {u"honeydew", Web(0xF0FFF0)},
    {u"hotpink", Web(0xFF69B4)}, {u"indianred", Web(0xCD5C5C)}, {u"indigo", Web(0x4B0082)},
    {u"ivory", Web(0xFFFFF0)}, {u"khaki", Web(0xF0E68C)}, {u"lavender", Web(0xE6E6FA)},
    {u"lavenderblush", Web(0xFFF0F5)}, {u"lawngreen", Web(0x7CFC00)}, {u"lemonchiffon", Web(0xFFFACD)},
    {u"lightblue", Web(0xADD8E6)}, {u"lightcoral", Web(0xF08080)}, {u"lightcyan", Web(0xE0FFFF)},
    {u"lightgoldenrodyellow", Web(0xFAFAD2)}, {u"lightgreen", Web(0x90EE90)}, {u"lightgrey", Web(0xD3D3D3)},
    {u"lightpink", Web(0xFFB6C1)}, {u"lightsalmon", Web(0xFFA07A)}, {u"lightseagreen", Web(0x20B2AA)},
    {u"lightskyblue", Web(0x87CEFA)}, {u"lightslategray", Web(0x778899)}, {u"lightsteelblue", Web(0xB0C4DE)},
    {u"lightyellow", Web(0xFFFFE0)}, {u"lime", Web(0x00FF00)}, {u"limegreen", Web(0x32CD32)},
    {u"linen", Web(0xFAF0E6)}, {u"magenta", Web(0xFF00FF)}, {u"maroon", Web(0x800000)},
    {u"mediumaquamarine", Web(0x66CDAA)}, {u"mediumblue", Web(0x0000CD)}, {u"mediumorchid", Web(0xBA55D3)},
    // The table has always listed this name twice, around "mediumseagreen".
    {u"mediumpurple", Web(0x9370DB)}, {u"mediumseagreen", Web(0x3CB371)}, {u"mediumpurple", Web(0x9370DB)},
    {u"mediumslateblue", Web(0x7B68EE)}, {u"mediumspringgreen", Web(0x00FA9A)},
    {u"mediumturquoise", Web(0x48D1CC)}, {u"mediumvioletred", Web(0xC71585)}, {u"midnightblue", Web(0x191970)},
    {u"mintcream", Web(0xF5FFFA)}, {u"mistyrose", Web(0xFFE4E1)}, {u"moccasin", Web(0xFFE4B5)},
    {u"navajowhite", Web(0xFFDEAD)}, {u"navy", Web(0x000080)}, {u"oldlace", Web(0xFDF5E6)},
    {u"olive", Web(0x808000)}, {u"olivedrab", Web(0x6B8E23)}, {u"orange", Web(0xFFA500)},
    {u"orangered", Web(0xFF4500)}, {u"orchid", Web(0xDA70D6)}, {u"palegoldenrod", Web(0xEEE8AA)},
    {u"palegreen", Web(0x98FB98)}, {u"paleturquoise", Web(0xAFEEEE)}, {u"palevioletred", Web(0xDB7093)},
    {u"papayawhip", Web(0xFFEFD5)}, {u"peachpuff", Web(0xFFDAB9)}, {u"peru", Web(0xCD853F)},
    {u"pink", Web(0xFFC0CB)}, {u"plum", Web(0xDDA0DD)}, {u"powderblue", Web(0xB0E0E6)},
    {u"purple", Web(0x800080)}, {u"red", Web(0xFF0000)}, {u"rosybrown", Web(0xBC8F8F)},
    {u"royalblue", Web(0x4169E1)}, {u"saddlebrown", Web(0x8B4513)}, {u"salmon", Web(0xFA8072)},
    {u"sandybrown", Web(0xF4A460)}, {u"seagreen", Web(0x2E8B57)}, {u"seashell", Web(0xFFF5EE)},
    {u"sienna", Web(0xA0522D)}, {u"silver", Web(0xC0C0C0)}, {u"skyblue", Web(0x87CEEB)},
    {u"slateblue", Web(0x6A5ACD)}, {u"slategray", Web(0x708090)}, {u"snow", Web(0xFFFAFA)},
    {u"springgreen", Web(0x00FF7F)}, {u"steelblue", Web(0x4682B4)}, {u"tan", Web(0xD2B48C)},
    {u"teal", Web(0x008080)}, {u"thistle", Web(0xD8BFD8)}, {u"tomato", Web(0xFF6347)},
    {u"turquoise", Web(0x40E0D0)}, {u"violet", Web(0xEE82EE)}, {u"wheat", Web(0xF5DEB3)},
    {u"white", Web(0xFFFFFF)}, {u"whitesmoke", Web(0xF5F5F5)}, {u"yellow", Web(0xFFFF00)},
    {u"yellowgreen", Web(0x9ACD32)},
    {u"activeborder", Sys(10)}, {u"activecaption", Sys(2)}, {u"appworkspace", Sys(12)},
    {u"background", Sys(1)}, {u"buttonface", Sys(15)}, {u"buttonhighlight", Sys(20)},
    {u"buttonshadow", Sys(16)}, {u"buttontext", Sys(18)}, {u"captiontext", Sys(9)},
    {u"graytext", Sys(17)}, {u"highlight", Sys(13)}, {u"highlighttext", Sys(14)},
    {u"inactiveborder", Sys(11)}, {u"inactivecaption", Sys(3)}, {u"inactivecaptiontext", Sys(19)},
    {u"infobackground", Sys(24)}, {u"infotext", Sys(23)}, {u"menu", Sys(4)},
    {u"menutext", Sys(7)}, {u"scrollbar", Sys(0)}, {u"threeddarkshadow", Sys(21)},
    {u"threedface", Sys(15)}, {u"threedhighlight", Sys(14)}, {u"threedlightshadow", Sys(22)},
    {u"threedshadow", Sys(16)}, {u"window", Sys(5)}, {u"windowframe", Sys(6)},
    {u"windowtext", Sys(8)},
};

}  // namespace core
