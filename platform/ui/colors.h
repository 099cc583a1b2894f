#pragma once
// Colours of the class library: a TColor is either a COLORREF (0x00BBGGRR)
// or a system colour (0xFF000000 | COLOR_* index) resolved when used, plus
// the two sentinels clNone and clDefault.
#include <cstdint>

#include "platform/gdi/types.h"

namespace ui {

using TColor = std::int32_t;

constexpr TColor clSystemColor = TColor(0xFF000000u);
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

constexpr TColor clScrollBar = TColor(0xFF000000u | 0);
constexpr TColor clBackground = TColor(0xFF000000u | 1);
constexpr TColor clActiveCaption = TColor(0xFF000000u | 2);
constexpr TColor clInactiveCaption = TColor(0xFF000000u | 3);
constexpr TColor clMenu = TColor(0xFF000000u | 4);
constexpr TColor clWindow = TColor(0xFF000000u | 5);
constexpr TColor clWindowFrame = TColor(0xFF000000u | 6);
constexpr TColor clMenuText = TColor(0xFF000000u | 7);
constexpr TColor clWindowText = TColor(0xFF000000u | 8);
constexpr TColor clCaptionText = TColor(0xFF000000u | 9);
constexpr TColor clActiveBorder = TColor(0xFF000000u | 10);
constexpr TColor clInactiveBorder = TColor(0xFF000000u | 11);
constexpr TColor clAppWorkSpace = TColor(0xFF000000u | 12);
constexpr TColor clHighlight = TColor(0xFF000000u | 13);
constexpr TColor clHighlightText = TColor(0xFF000000u | 14);
constexpr TColor clBtnFace = TColor(0xFF000000u | 15);
constexpr TColor clBtnShadow = TColor(0xFF000000u | 16);
constexpr TColor clGrayText = TColor(0xFF000000u | 17);
constexpr TColor clBtnText = TColor(0xFF000000u | 18);
constexpr TColor clInactiveCaptionText = TColor(0xFF000000u | 19);
constexpr TColor clBtnHighlight = TColor(0xFF000000u | 20);
constexpr TColor cl3DDkShadow = TColor(0xFF000000u | 21);
constexpr TColor cl3DLight = TColor(0xFF000000u | 22);
constexpr TColor clInfoText = TColor(0xFF000000u | 23);
constexpr TColor clInfoBk = TColor(0xFF000000u | 24);
constexpr TColor clHotLight = TColor(0xFF000000u | 26);
constexpr TColor clGradientActiveCaption = TColor(0xFF000000u | 27);
constexpr TColor clGradientInactiveCaption = TColor(0xFF000000u | 28);
constexpr TColor clMenuHighlight = TColor(0xFF000000u | 29);
constexpr TColor clMenuBar = TColor(0xFF000000u | 30);

// A system colour becomes the current value of its entry in the system
// colour table; any other value is returned unchanged (clNone and
// clDefault included, as the platform does).
gdi::COLORREF ColorToRGB(TColor color);

}  // namespace ui
