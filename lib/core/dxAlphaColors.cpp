#include "lib/core/dxAlphaColors.h"

namespace core {

std::uint32_t dxColorToRGBQuad(TColor color, std::uint8_t reserved) {
  const gdi::COLORREF rgb = ui::ColorToRGB(color);
  return std::uint32_t(gdi::GetBValue(rgb)) | (std::uint32_t(gdi::GetGValue(rgb)) << 8) |
         (std::uint32_t(gdi::GetRValue(rgb)) << 16) | (std::uint32_t(reserved) << 24);
}

TRGBQuad dxColorToRGBQuadRec(TColor color, std::uint8_t reserved) {
  return dxUIntToRGBQuad(dxColorToRGBQuad(color, reserved));
}

TdxAlphaColor dxColorToAlphaColor(TColor color, std::uint8_t alpha) {
  if (color == ui::clNone) return dxacNone;
  if (color == ui::clDefault) return dxacDefault;
  return dxColorToRGBQuad(color, alpha);
}

TColor dxAlphaColorToColor(TdxAlphaColor color) {
  std::uint8_t alpha;
  return dxAlphaColorToColor(color, alpha);
}

TColor dxAlphaColorToColor(TdxAlphaColor color, std::uint8_t& alpha) {
  if (color == dxacNone) {
    alpha = 0;
    return ui::clNone;
  }
  if (color == dxacDefault) {
    alpha = 0;
    return ui::clDefault;
  }
  alpha = dxGetAlpha(color);
  return TColor(gdi::RGB(std::uint8_t(color >> RedShift), std::uint8_t(color >> GreenShift),
                         std::uint8_t(color >> BlueShift)));
}

TColor dxRGBQuadToColor(std::uint32_t rgb) {
  return TColor(((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF) | (rgb & 0xFF000000u));
}

TColor dxRGBQuadToColor(const TRGBQuad& rgb) { return dxRGBQuadToColor(dxRGBQuadToUInt(rgb)); }

}  // namespace core
