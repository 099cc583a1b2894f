#pragma once
// The 32-bit colour with alpha that the vector-graphics layer draws with, and
// its conversion to and from the class library's TColor.
#include <cstdint>

#include "platform/gdi/objects.h"
#include "platform/ui/colors.h"

namespace core {

using ui::TColor;

// 0xAARRGGBB: in memory the bytes are blue, green, red, alpha, as in a
// 32-bit pixel.
using TdxAlphaColor = std::uint32_t;

inline constexpr int AlphaShift = 24;
inline constexpr int RedShift = 16;
inline constexpr int GreenShift = 8;
inline constexpr int BlueShift = 0;
inline constexpr TdxAlphaColor AlphaMask = 0xFF000000u;
inline constexpr TdxAlphaColor RedMask = 0x00FF0000u;
inline constexpr TdxAlphaColor GreenMask = 0x0000FF00u;
inline constexpr TdxAlphaColor BlueMask = 0x000000FFu;

// No colour at all, and the marker of "the default colour applies".
inline constexpr TdxAlphaColor dxacNone = 0;
inline constexpr TdxAlphaColor dxacDefault = 0x00010203u;

using TRGBQuad = gdi::RGBQUAD;

// The units of the vector-graphics layer.
enum class TdxGraphicUnit { guWorld, guDisplay, guPixel, guPoint, guInch, guDocument, guMillimeter };

// clNone -> dxacNone, clDefault -> dxacDefault, anything else resolved to
// RGB with `alpha` on top.
TdxAlphaColor dxColorToAlphaColor(TColor color, std::uint8_t alpha = 255);
// The colour resolved to RGB, red and blue exchanged, `reserved` on top.
std::uint32_t dxColorToRGBQuad(TColor color, std::uint8_t reserved = 0);
TRGBQuad dxColorToRGBQuadRec(TColor color, std::uint8_t reserved = 0);
// dxacNone -> clNone, dxacDefault -> clDefault (alpha 0 for both);
// otherwise the RGB colour, `alpha` the top byte.
TColor dxAlphaColorToColor(TdxAlphaColor color);
TColor dxAlphaColorToColor(TdxAlphaColor color, std::uint8_t& alpha);
// Red and blue exchanged; the top byte stays where it is.
TColor dxRGBQuadToColor(std::uint32_t rgb);
TColor dxRGBQuadToColor(const TRGBQuad& rgb);
constexpr std::uint8_t dxGetAlpha(TdxAlphaColor color) { return std::uint8_t(color >> AlphaShift); }

inline std::uint32_t dxRGBQuadToUInt(const TRGBQuad& q) {
  return std::uint32_t(q.rgbBlue) | (std::uint32_t(q.rgbGreen) << 8) |
         (std::uint32_t(q.rgbRed) << 16) | (std::uint32_t(q.rgbReserved) << 24);
}
inline TRGBQuad dxUIntToRGBQuad(std::uint32_t v) {
  return TRGBQuad{std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

struct TdxAlphaColors {
  // Fully transparent black or white: nothing would show.
  static constexpr bool IsTransparentOrEmpty(TdxAlphaColor color) {
    return color == 0 || color == 0x00FFFFFFu;
  }
};

}  // namespace core
