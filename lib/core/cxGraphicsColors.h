#pragma once
// Colour arithmetic for painters (shades, tints, light selection colours),
// the hue/saturation/value conversion, the named colours, the two gradient
// fills and the alpha blending that every image and fade path ends in.
#include <cstdint>

#include "lib/core/dxAlphaColors.h"
#include "platform/gdi/types.h"
#include "platform/rtl/types.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/graphics.h"

namespace core {

using ui::TColor;
using ui::TPoint;
using ui::TRect;

// ---- colour helpers -----------------------------------------------------------------
constexpr bool cxColorIsValid(TColor color) { return color != ui::clNone && color != ui::clDefault; }
bool cxColorIsEqual(const TRGBQuad& color1, const TRGBQuad& color2);
void cxExchangeColors(TColor& color1, TColor& color2);
constexpr TColor cxGetActualColor(TColor color, TColor defaultColor) {
  return color == ui::clDefault ? defaultColor : color;
}
TColor dxInvertColor(TColor color);
// The nearest colour the screen can show.
TColor dxGetNearestColor(TColor color);
// Each channel scaled to `percent` of itself.
TColor dxGetDarkerColor(TColor color, std::uint8_t percent);
// `percent` is the weight of the first colour.
TColor dxGetMiddleRGB(TColor color1, TColor color2, int percent);
// Negative percentages darken, positive ones lighten (saturation and value).
TColor dxGetColorTint(TColor color, int tintPercent);
// Signed percentages of the button face, highlight and window colours.
TColor GetLightColor(int btnFaceColorPart, int highlightColorPart, int windowColorPart);
TColor GetLightSelColor();
TColor GetLightDownedSelColor();
bool IsHighContrastBlack();
bool IsHighContrast2();

// ---- hue, saturation, value ---------------------------------------------------------------
struct TdxHSV {
  double H = 0;  // degrees, 0 up to 360
  double S = 0;  // 0..1
  double V = 0;  // 0..1
};

class TdxColorSpaceConverter {
 public:
  static TdxHSV ColorToHSV(TColor color);
  static TColor HSVToColor(const TdxHSV& hsv);
};
inline TdxHSV dxColorToHSV(TColor color) { return TdxColorSpaceConverter::ColorToHSV(color); }
inline TColor dxHSVToColor(const TdxHSV& hsv) { return TdxColorSpaceConverter::HSVToColor(hsv); }

// ---- named colours ----------------------------------------------------------------------------
struct TcxColorInfo {
  const char16_t* Name;
  TColor Color;
};
inline constexpr int cxColorsByNameCount = 169;
// The web colours in alphabetical order, then the system colours by name.
extern const TcxColorInfo cxColorsByName[cxColorsByNameCount];

// ---- rectangles in one colour, gradients ----------------------------------------------------------
void FillRectByColor(gdi::HDC dc, const TRect& r, TColor color);
void FrameRectByColor(gdi::HDC dc, const TRect& r, TColor color);
// Horizontal runs the colours from left to right, otherwise top to bottom.
void FillGradientRect(gdi::HDC dc, const TRect& r, TColor color1, TColor color2, bool horizontal);
// Two linear pieces meeting in the middle; 100 percent meets at the plain
// midpoint, 0 keeps the first colour over the first half.
void FillTubeGradientRect(gdi::HDC dc, const TRect& r, TColor color1, TColor color2,
                          int gradientPercent, bool horizontal);

// ---- alpha blending --------------------------------------------------------------------------------
// Premultiplied source-over of one pixel with a constant alpha.
void cxBlendFunction(const TRGBQuad& source, TRGBQuad& dest, std::uint8_t sourceConstantAlpha);

void cxAlphaBlend(gdi::HDC destDC, gdi::HDC srcDC, const TRect& destRect, const TRect& srcRect,
                  bool smoothImage = false, std::uint8_t constantAlpha = 0xFF);
void cxAlphaBlend(gdi::HDC destDC, ui::TBitmap* source, const TRect& destRect, const TRect& srcRect,
                  bool smoothImage = false, std::uint8_t constantAlpha = 0xFF);
void cxAlphaBlend(ui::TBitmap* dest, ui::TBitmap* source, const TRect& destRect, const TRect& srcRect,
                  bool smoothImage = false, std::uint8_t constantAlpha = 0xFF);

void cxBitBlt(gdi::HDC destDC, gdi::HDC srcDC, const TRect& destRect, const TPoint& srcTopLeft,
              gdi::DWORD rop);

// The platform's gradient and per-pixel blend calls are optional; they are
// always there on this platform, and this switch hides them so that the
// software paths can be exercised. CanApplySystemAlphaBlending tells whether
// the blend call is in use.
void cxSetSystemBlendingAvailable(bool available);
bool CanApplySystemAlphaBlending();

// Which road the latest cxAlphaBlend took (for tests and measurements).
enum class TcxAlphaBlendPath { None, System, Complex };
TcxAlphaBlendPath cxLastAlphaBlendPath();

}  // namespace core
