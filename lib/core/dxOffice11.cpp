#include "lib/core/dxOffice11.h"

#include <array>
#include <cstdint>
#include <memory>

#include "lib/core/cxGraphics.h"
#include "lib/core/cxGraphicsColors.h"
#include "lib/core/dxThemeManager.h"
#include "lib/core/dxUxTheme.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/rtl/mathutil.h"
#include "platform/rtl/ustring.h"
#include "platform/ui/bitmap.h"

namespace core {

int GradientPercent = 75;

ui::TColor dxOffice11DockColor1, dxOffice11DockColor2;
ui::TColor dxOffice11ToolbarsColor1, dxOffice11ToolbarsColor2;
ui::TColor dxOffice11BarMarkColors1[3];
ui::TColor dxOffice11BarMarkColors2[3];
ui::TColor dxOffice11BarBorderColors[2];
ui::TColor dxOffice11BarBorderMarkColors[6];
ui::TColor dxOffice11BarFingerColor1, dxOffice11BarFingerColor2;
ui::TColor dxOffice11BarSeparatorColor1, dxOffice11BarSeparatorColor2;
ui::TColor dxOffice11BarMarkArrowColor1, dxOffice11BarMarkArrowColor2;
ui::TColor dxOffice11BarFloatingBorderColor1, dxOffice11BarFloatingBorderColor2, dxOffice11BarFloatingBorderColor3;
ui::TColor dxOffice11BarFloatingCaptionColor;
ui::TColor dxOffice11BarFloatingCaptionTextColor1, dxOffice11BarFloatingCaptionTextColor2,
    dxOffice11BarFloatingCaptionTextColor3;
ui::TColor dxOffice11MenuColor;
ui::TColor dxOffice11MenuDownedColor1, dxOffice11MenuDownedColor2;
ui::TColor dxOffice11MenuIndentColor1, dxOffice11MenuIndentColor2;
ui::TColor dxOffice11MenuNonRecentIndentColor1, dxOffice11MenuNonRecentIndentColor2;
ui::TColor dxOffice11DropDownBorderColor1, dxOffice11DropDownBorderColor2;
ui::TColor dxOffice11ToolbarSelectedColor;
ui::TColor dxOffice11SelectedBorderColor;
ui::TColor dxOffice11SelectedColor1, dxOffice11SelectedColor2;
ui::TColor dxOffice11SelectedDownColor1, dxOffice11SelectedDownColor2;
ui::TColor dxOffice11OwnerControlDownedColor;
ui::TColor dxOffice11DownedColor;
ui::TColor dxOffice11DownedSelectedColor;
ui::TColor dxOffice11DetachableColor;
ui::TColor dxOffice11DetachableSelectedColor;
ui::TColor dxOffice11TextEnabledColor;
ui::TColor dxOffice11TextDisabledColor;
ui::TColor dxOffice11StaticBorderColor;
ui::TColor dxOffice11DateHeaderColor;
ui::TColor dxOffice11InPlaceSubItemColor;
ui::TColor dxOffice11InPlaceSubItemTextColor;
ui::TColor dxOffice11ControlBorderColor;
ui::TColor dxOffice11GroupColor;
ui::TColor dxOffice11DayNavigatorSelectedColor;
ui::TColor dxOffice11OutlookBorderColor;
ui::TColor dxOffice11OutlookControlColor;
ui::TColor dxOffice11GroupIndentColor;
ui::TColor dxOffice11GroupRowTextColor;
ui::TColor dxOffice11GroupRowSeparatorColor;
ui::TColor dxOffice11NavPaneBorder;
ui::TColor dxOffice11NavPaneGroupCaptionColor1, dxOffice11NavPaneGroupCaptionColor2;
ui::TColor dxOffice11NavPaneGroupCaptionHotColor1, dxOffice11NavPaneGroupCaptionHotColor2;
ui::TColor dxOffice11NavPaneGroupCaptionPressedColor1, dxOffice11NavPaneGroupCaptionPressedColor2;
ui::TColor dxOffice11NavPaneGroupCaptionPressedHotColor1, dxOffice11NavPaneGroupCaptionPressedHotColor2;
ui::TColor dxOffice11NavPaneHeaderColor1, dxOffice11NavPaneHeaderColor2;
ui::TColor dxOffice11NavPaneHeaderFontColor;
ui::TColor dxOffice11NavPaneSplitterColor1, dxOffice11NavPaneSplitterColor2;
ui::TColor dxOffice11ExpandButtonColor1, dxOffice11ExpandButtonColor2;

gdi::HBRUSH dxOffice11BarFingerBrush1, dxOffice11BarFingerBrush2;
gdi::HBRUSH dxOffice11BarSeparatorBrush1, dxOffice11BarSeparatorBrush2;
gdi::HBRUSH dxOffice11DropDownBorderBrush1, dxOffice11DropDownBorderBrush2;
gdi::HBRUSH dxOffice11MenuBrush;
gdi::HBRUSH dxOffice11SelectedBorderBrush;
gdi::HBRUSH dxOffice11ToolbarSelectedBrush;
gdi::HBRUSH dxOffice11OwnerControlDownedBrush;
gdi::HBRUSH dxOffice11DownedBrush;
gdi::HBRUSH dxOffice11DownedSelectedBrush;
gdi::HBRUSH dxOffice11DetachableBrush;
gdi::HBRUSH dxOffice11DetachableSelectedBrush;
gdi::HBRUSH dxOffice11StaticBorderBrush;
gdi::HBRUSH dxOffice11InPlaceSubItemBrush;

ui::TBitmap* dxOffice11SubMenuExpandBitmap;
ui::TBitmap* dxOffice11ExpandButtonBitmap1;
ui::TBitmap* dxOffice11ExpandButtonBitmap2;

namespace {

using ui::TColor;

int FCounter = 0;
TOffice11Scheme FOffice11Scheme = schUnknown;
bool FXPStandardScheme = false;
int platformMajorVersion = 10;

// The bitmaps behind the public pointers.
std::unique_ptr<ui::TBitmap> subMenuExpandBitmap, expandButtonMinus, expandButtonPlus;

constexpr int SchemeColorCount = 49;
using SchemeRow = std::array<gdi::COLORREF, SchemeColorCount>;

constexpr gdi::COLORREF rgb(int r, int g, int b) {
  return gdi::RGB(gdi::BYTE(r), gdi::BYTE(g), gdi::BYTE(b));
}

// One row per scheme (normal colour, homestead, metallic), in the order
// assignSchemeRow reads them.
constexpr std::array<SchemeRow, 3> Office11Colors{{
    {rgb(221, 236, 254), rgb(129, 169, 226), rgb(158, 190, 245), rgb(195, 218, 249), rgb(0, 53, 145),
     rgb(117, 166, 241), rgb(255, 193, 118), rgb(255, 248, 211), rgb(255, 221, 152), rgb(254, 149, 82),
     rgb(59, 97, 156),   rgb(123, 164, 224), rgb(39, 65, 118),   rgb(255, 255, 255), rgb(106, 140, 203),
     rgb(241, 249, 255), rgb(42, 102, 201),  rgb(196, 219, 249), rgb(0, 45, 150),    rgb(246, 246, 246),
     rgb(255, 238, 194), rgb(0, 0, 128),     rgb(255, 244, 204), rgb(255, 208, 145), rgb(255, 211, 142),
     rgb(254, 145, 78),  rgb(203, 225, 252), rgb(255, 192, 111), rgb(254, 128, 62),  rgb(169, 199, 240),
     rgb(0, 0, 0),       rgb(141, 141, 141), rgb(190, 218, 251), rgb(251, 230, 148), rgb(196, 218, 250),
     rgb(0, 45, 150),    rgb(55, 104, 185),  rgb(0, 45, 150),    rgb(211, 229, 251), rgb(136, 174, 228),
     rgb(255, 255, 220), rgb(247, 192, 91),  rgb(251, 230, 148), rgb(238, 149, 21),  rgb(232, 127, 8),
     rgb(247, 218, 124), rgb(89, 135, 214),  rgb(3, 56, 147),    rgb(255, 255, 255)},
    {rgb(244, 247, 222), rgb(183, 198, 145), rgb(217, 217, 167), rgb(242, 240, 228), rgb(96, 119, 107),
     rgb(176, 194, 140), rgb(255, 193, 118), rgb(255, 248, 211), rgb(255, 221, 152), rgb(254, 149, 82),
     rgb(96, 128, 88),   rgb(181, 196, 143), rgb(81, 94, 51),    rgb(255, 255, 255), rgb(96, 128, 88),
     rgb(244, 247, 222), rgb(116, 134, 94),  rgb(225, 222, 173), rgb(117, 141, 94),  rgb(244, 244, 238),
     rgb(255, 238, 194), rgb(63, 93, 56),    rgb(255, 244, 204), rgb(255, 208, 145), rgb(255, 211, 142),
     rgb(254, 145, 78),  rgb(216, 227, 182), rgb(255, 192, 111), rgb(254, 128, 62),  rgb(197, 212, 159),
     rgb(0, 0, 0),       rgb(141, 141, 141), rgb(175, 186, 145), rgb(251, 230, 148), rgb(242, 241, 228),
     rgb(96, 128, 88),   rgb(115, 137, 84),  rgb(117, 141, 94),  rgb(242, 245, 219), rgb(188, 201, 151),
     rgb(255, 255, 220), rgb(247, 192, 91),  rgb(251, 230, 148), rgb(238, 149, 21),  rgb(232, 127, 8),
     rgb(247, 218, 124), rgb(175, 192, 130), rgb(99, 122, 68),   rgb(255, 255, 255)},
    {rgb(243, 244, 250), rgb(153, 151, 181), rgb(215, 215, 229), rgb(243, 243, 247), rgb(118, 116, 146),
     rgb(179, 178, 200), rgb(255, 193, 118), rgb(255, 248, 211), rgb(255, 221, 152), rgb(254, 149, 82),
     rgb(124, 124, 148), rgb(147, 145, 176), rgb(84, 84, 117),   rgb(255, 255, 255), rgb(110, 109, 143),
     rgb(255, 255, 255), rgb(122, 121, 153), rgb(219, 218, 228), rgb(124, 124, 148), rgb(253, 250, 255),
     rgb(255, 238, 194), rgb(75, 75, 111),   rgb(255, 244, 204), rgb(255, 208, 145), rgb(255, 211, 142),
     rgb(254, 145, 78),  rgb(214, 211, 231), rgb(255, 192, 111), rgb(254, 128, 62),  rgb(192, 192, 211),
     rgb(0, 0, 0),       rgb(141, 141, 141), rgb(229, 229, 235), rgb(251, 230, 148), rgb(243, 243, 247),
     rgb(124, 124, 148), rgb(112, 111, 145), rgb(124, 124, 148), rgb(240, 241, 248), rgb(160, 158, 186),
     rgb(255, 255, 220), rgb(247, 192, 91),  rgb(251, 230, 148), rgb(238, 149, 21),  rgb(232, 127, 8),
     rgb(247, 218, 124), rgb(168, 167, 191), rgb(112, 111, 145), rgb(255, 255, 255)},
}};

// Where each entry of a scheme row goes.
const std::array<TColor*, SchemeColorCount> schemeTargets{
    &dxOffice11ToolbarsColor1, &dxOffice11ToolbarsColor2, &dxOffice11DockColor1, &dxOffice11DockColor2,
    &dxOffice11BarMarkColors2[0], &dxOffice11BarMarkColors1[0], &dxOffice11BarMarkColors2[1],
    &dxOffice11BarMarkColors1[1], &dxOffice11BarMarkColors2[2], &dxOffice11BarMarkColors1[2],
    &dxOffice11BarBorderColors[0], &dxOffice11BarBorderColors[1], &dxOffice11BarFingerColor1,
    &dxOffice11BarFingerColor2, &dxOffice11BarSeparatorColor1, &dxOffice11BarSeparatorColor2,
    &dxOffice11BarFloatingBorderColor1, &dxOffice11BarFloatingBorderColor2, &dxOffice11DropDownBorderColor1,
    &dxOffice11MenuColor, &dxOffice11ToolbarSelectedColor, &dxOffice11SelectedBorderColor,
    &dxOffice11SelectedColor1, &dxOffice11SelectedColor2, &dxOffice11SelectedDownColor1,
    &dxOffice11SelectedDownColor2, &dxOffice11OwnerControlDownedColor, &dxOffice11DownedColor,
    &dxOffice11DownedSelectedColor, &dxOffice11DetachableColor, &dxOffice11TextEnabledColor,
    &dxOffice11TextDisabledColor, &dxOffice11GroupColor, &dxOffice11DayNavigatorSelectedColor,
    &dxOffice11OutlookControlColor, &dxOffice11OutlookBorderColor, &dxOffice11GroupRowTextColor,
    &dxOffice11NavPaneBorder, &dxOffice11NavPaneGroupCaptionColor1, &dxOffice11NavPaneGroupCaptionColor2,
    &dxOffice11NavPaneGroupCaptionHotColor1, &dxOffice11NavPaneGroupCaptionHotColor2,
    &dxOffice11NavPaneGroupCaptionPressedColor1, &dxOffice11NavPaneGroupCaptionPressedColor2,
    &dxOffice11NavPaneGroupCaptionPressedHotColor1, &dxOffice11NavPaneGroupCaptionPressedHotColor2,
    &dxOffice11NavPaneHeaderColor1, &dxOffice11NavPaneHeaderColor2, &dxOffice11NavPaneHeaderFontColor};

TColor sys(TColor color) { return TColor(ui::ColorToRGB(color)); }
TColor mid(TColor a, TColor b, int percent) { return dxGetMiddleRGB(a, b, percent); }
TColor nearLight(int face, int highlight, int window) {
  return dxGetNearestColor(GetLightColor(face, highlight, window));
}

void assignSchemeRow(TOffice11Scheme scheme) {
  const SchemeRow& row = Office11Colors[scheme - schNormalColor];
  for (int i = 0; i < SchemeColorCount; ++i) *schemeTargets[i] = TColor(row[i]);
  dxOffice11NavPaneSplitterColor1 = dxOffice11NavPaneHeaderColor1;
  dxOffice11NavPaneSplitterColor2 = dxOffice11NavPaneHeaderColor2;
  for (int i = 0; i < 3; ++i)
    dxOffice11BarBorderMarkColors[i] = mid(dxOffice11BarMarkColors1[i], dxOffice11ToolbarsColor1, 90);
  dxOffice11BarMarkArrowColor1 = ui::clBlack;
  dxOffice11BarMarkArrowColor2 = ui::clWhite;
  dxOffice11BarFloatingCaptionTextColor1 = ui::clWhite;
  dxOffice11BarFloatingCaptionTextColor2 = ui::clBlack;
  dxOffice11BarFloatingCaptionTextColor3 = ui::clBlack;
  constexpr int percents[] = {41, 125, 40};
  GradientPercent = percents[scheme - schNormalColor];
  dxOffice11GroupIndentColor = TColor(rgb(253, 237, 201));
  dxOffice11GroupRowSeparatorColor = dxOffice11BarBorderColors[1];
}

void assignSystemColors() {
  const TColor face = sys(ui::clBtnFace), window = sys(ui::clWindow), shadow = sys(ui::clBtnShadow);
  const TColor btnText = sys(ui::clBtnText);
  dxOffice11DockColor1 = face;
  dxOffice11DockColor2 = mid(face, window, 20);
  dxOffice11ToolbarsColor1 = mid(face, window, 22);
  dxOffice11ToolbarsColor2 = mid(face, window, 96);

  dxOffice11BarMarkColors2[0] = shadow;
  dxOffice11BarMarkColors1[0] = mid(shadow, window, 74);
  dxOffice11BarMarkColors2[1] = dxOffice11BarMarkColors1[1] = nearLight(-15, 29, 86);
  dxOffice11BarMarkColors2[2] = dxOffice11BarMarkColors1[2] = nearLight(42, 11, 47);
  dxOffice11BarBorderColors[0] = mid(face, window, 85);
  dxOffice11BarBorderColors[1] = face;
  for (int i = 0; i < 3; ++i) dxOffice11BarBorderMarkColors[i] = mid(dxOffice11BarMarkColors2[i], window, 50);

  dxOffice11BarFingerColor1 = mid(shadow, window, 76);
  dxOffice11BarFingerColor2 = window;
  dxOffice11BarSeparatorColor1 = mid(shadow, window, 70);
  dxOffice11BarSeparatorColor2 = ui::clWhite;
  dxOffice11BarMarkArrowColor1 = btnText;
  dxOffice11BarMarkArrowColor2 = window;
  dxOffice11BarFloatingBorderColor1 = shadow;
  dxOffice11BarFloatingBorderColor2 = dxOffice11ToolbarsColor2;
  dxOffice11BarFloatingCaptionTextColor1 = sys(ui::clBtnHighlight);
  dxOffice11BarFloatingCaptionTextColor2 = dxOffice11BarFloatingCaptionTextColor3 = btnText;
  dxOffice11DropDownBorderColor1 = shadow;
  dxOffice11MenuColor = window;

  dxOffice11ToolbarSelectedColor = nearLight(-2, 30, 72);
  dxOffice11SelectedBorderColor = sys(ui::clHighlight);
  dxOffice11SelectedColor1 = dxOffice11SelectedColor2 = dxOffice11ToolbarSelectedColor;
  dxOffice11OwnerControlDownedColor = dxOffice11ToolbarsColor2;
  dxOffice11DownedColor = GetLightColor(41, 11, 48);
  dxOffice11DownedSelectedColor = dxOffice11SelectedDownColor1 = dxOffice11SelectedDownColor2 =
      nearLight(14, 44, 40);
  dxOffice11DetachableColor = dxOffice11OwnerControlDownedColor;
  dxOffice11TextEnabledColor = btnText;
  dxOffice11TextDisabledColor = sys(ui::clGrayText);
  GradientPercent = 75;

  dxOffice11GroupColor = face;
  dxOffice11DayNavigatorSelectedColor = dxOffice11DownedColor;
  dxOffice11OutlookControlColor = dxOffice11DockColor1;
  dxOffice11OutlookBorderColor = dxOffice11DropDownBorderColor1;
  dxOffice11GroupIndentColor = face;
  dxOffice11GroupRowTextColor = dxOffice11GroupRowSeparatorColor = shadow;

  dxOffice11NavPaneBorder = dxGetNearestColor(shadow);
  dxOffice11NavPaneGroupCaptionColor1 = GetdxOffice11NavPaneGroupCaptionColor(true);
  dxOffice11NavPaneGroupCaptionColor2 = GetdxOffice11NavPaneGroupCaptionColor(false);
  dxOffice11NavPaneGroupCaptionHotColor1 = dxOffice11SelectedColor1;
  dxOffice11NavPaneGroupCaptionHotColor2 = dxOffice11SelectedColor2;
  dxOffice11NavPaneGroupCaptionPressedColor1 = dxOffice11NavPaneGroupCaptionPressedColor2 = dxOffice11DownedColor;
  dxOffice11NavPaneGroupCaptionPressedHotColor1 = dxOffice11NavPaneGroupCaptionPressedHotColor2 =
      dxOffice11DownedSelectedColor;
  dxOffice11NavPaneHeaderColor1 = dxOffice11NavPaneHeaderColor2 = dxOffice11NavPaneBorder;
  dxOffice11NavPaneHeaderFontColor = sys(ui::clHighlightText);
  dxOffice11NavPaneSplitterColor1 = dxGetNearestColor(face);
  dxOffice11NavPaneSplitterColor2 = dxOffice11NavPaneBorder;
}

// What both palettes derive the same way from the colours set so far.
void assignDerivedColors() {
  for (int i = 0; i < 3; ++i)
    dxOffice11BarBorderMarkColors[3 + i] = mid(dxOffice11BarMarkColors2[i], dxOffice11BarBorderColors[1], 50);
  dxOffice11BarFloatingBorderColor3 = dxOffice11ToolbarsColor1;
  dxOffice11BarFloatingCaptionColor = dxOffice11BarFloatingBorderColor1;
  dxOffice11DropDownBorderColor2 = dxOffice11MenuColor;
  dxOffice11MenuDownedColor1 = dxOffice11MenuIndentColor1 = dxOffice11ToolbarsColor1;
  dxOffice11MenuDownedColor2 = dxOffice11MenuIndentColor2 = dxOffice11ToolbarsColor2;
  dxOffice11MenuNonRecentIndentColor1 = mid(dxOffice11MenuIndentColor1, ui::clBlack, 92);
  dxOffice11MenuNonRecentIndentColor2 = mid(dxOffice11MenuIndentColor2, ui::clBlack, 92);
  dxOffice11DetachableSelectedColor = dxOffice11ToolbarSelectedColor;
  dxOffice11StaticBorderColor = dxOffice11ControlBorderColor = dxOffice11DropDownBorderColor1;
  dxOffice11DateHeaderColor = dxOffice11DockColor1;
  dxOffice11InPlaceSubItemColor = dxOffice11BarBorderMarkColors[3];
  dxOffice11InPlaceSubItemTextColor = dxOffice11BarFloatingCaptionTextColor1;
}

// ---- the artwork, drawn here rather than shipped as files ----------------------------------------

constexpr std::uint32_t opaque(gdi::COLORREF c) {
  return 0xFF000000u | (std::uint32_t(gdi::GetRValue(c)) << 16) | (std::uint32_t(gdi::GetGValue(c)) << 8) |
         gdi::GetBValue(c);
}

std::unique_ptr<ui::TBitmap> newBitmap(int width, int height, gdi::COLORREF fill) {
  auto bitmap = std::make_unique<ui::TBitmap>();
  bitmap->SetPixelFormat(ui::pf32bit);
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<std::uint32_t*>(bitmap->ScanLine(y));
    for (int x = 0; x < width; ++x) row[x] = opaque(fill);
  }
  return bitmap;
}

void setPixel(ui::TBitmap& bitmap, int x, int y, gdi::COLORREF c) {
  static_cast<std::uint32_t*>(bitmap.ScanLine(y))[x] = opaque(c);
}

// Two chevrons pointing down on a fuchsia background, shaded from light
// grey at the top to dark grey at the bottom of each: the recolouring turns
// the greys into the toolbar gradient. A margin of background all round
// keeps pixel (0, 0), which the recolouring takes as the background, clear.
std::unique_ptr<ui::TBitmap> makeSubMenuExpandBitmap() {
  auto bitmap = newBitmap(9, 10, rgb(255, 0, 255));
  static constexpr const char* chevron[4] = {"X.....X", "XX...XX", ".XX.XX.", "..XXX.."};
  for (int top : {1, 5})
    for (int row = 0; row < 4; ++row) {
      const int grey = 0xE0 - row * 0x30;
      for (int x = 0; x < 7; ++x)
        if (chevron[row][x] == 'X') setPixel(*bitmap, x + 1, top + row, rgb(grey, grey, grey));
    }
  return bitmap;
}

// A 9x9 box in the expand-button frame colour with a black minus or plus.
std::unique_ptr<ui::TBitmap> makeExpandButtonBitmap(bool plus) {
  auto bitmap = newBitmap(9, 9, rgb(255, 255, 255));
  const gdi::COLORREF frame = rgb(158, 174, 191);
  for (int i = 0; i < 9; ++i) {
    setPixel(*bitmap, i, 0, frame);
    setPixel(*bitmap, i, 8, frame);
    setPixel(*bitmap, 0, i, frame);
    setPixel(*bitmap, 8, i, frame);
  }
  for (int i = 2; i <= 6; ++i) {
    setPixel(*bitmap, i, 4, 0);
    if (plus) setPixel(*bitmap, 4, i, 0);
  }
  return bitmap;
}

void deleteBrush(gdi::HBRUSH& brush) {
  if (brush) gdi::DeleteObject(brush);
  brush = nullptr;
}

rtl::String fileNameOnly(const char16_t* path) {
  rtl::String s(path);
  const auto slash = s.find_last_of(u"\\/");
  return slash == rtl::String::npos ? s : s.substr(slash + 1);
}

}  // namespace

// ---- the shared palette ------------------------------------------------------------------------

int dxOffice11PlatformMajorVersion() { return platformMajorVersion; }
void dxSetOffice11PlatformMajorVersion(int value) { platformMajorVersion = value; }

TOffice11Scheme dxGetOffice11Scheme() {
  constexpr int BufferSize = 1024;
  char16_t fileName[BufferSize] = {}, colorName[BufferSize] = {}, sizeName[BufferSize] = {};
  if (!AreVisualStylesAvailable() ||
      GetCurrentThemeName(fileName, BufferSize, colorName, BufferSize, sizeName, BufferSize) != dxS_OK)
    return schUnknown;
  // An engine that fills a buffer to the brim leaves no terminator.
  fileName[BufferSize - 1] = colorName[BufferSize - 1] = 0;
  if (platformMajorVersion < 6 && rtl::AnsiUpperCase(fileNameOnly(fileName)) != u"LUNA.MSSTYLES") return schUnknown;
  const rtl::String color = rtl::AnsiUpperCase(rtl::String(colorName));
  if (color == u"NORMALCOLOR") return schNormalColor;
  if (color == u"HOMESTEAD") return schHomestead;
  if (color == u"METALLIC") return schMetallic;
  return schUnknown;
}

TColor GetdxOffice11NavPaneGroupCaptionColor(bool isStartColor) {
  const gdi::COLORREF face = ui::ColorToRGB(ui::clBtnFace);
  auto transform = [isStartColor](int v) {
    return isStartColor ? v * 127 / 255 + 128 : (v - v * 4 / 255 + 4) & 0xFF;
  };
  return dxGetNearestColor(TColor(rgb(transform(gdi::GetRValue(face)), transform(gdi::GetGValue(face)),
                                      transform(gdi::GetBValue(face)))));
}

void InitOffice11Colors() {
  FOffice11Scheme = dxGetOffice11Scheme();
  FXPStandardScheme = AreVisualStylesAvailable() && FOffice11Scheme != schUnknown;
  if (FXPStandardScheme)
    assignSchemeRow(FOffice11Scheme);
  else
    assignSystemColors();
  assignDerivedColors();
}

void PrepareSubMenuExpandBitmap(ui::TBitmap* bitmap) {
  if (!bitmap || bitmap->Empty()) return;
  bitmap->SetPixelFormat(ui::pf32bit);
  const int width = bitmap->Width(), height = bitmap->Height();
  auto pixel = [&](int x, int y) -> std::uint32_t& { return static_cast<std::uint32_t*>(bitmap->ScanLine(y))[x]; };
  const std::uint32_t background = pixel(0, 0) & 0xFFFFFF;
  auto isArtwork = [background](std::uint32_t p) {
    p &= 0xFFFFFF;
    return p != background && p != 0;
  };
  const gdi::COLORREF c1 = ui::ColorToRGB(dxOffice11ToolbarsColor1);
  gdi::COLORREF c2 = ui::ColorToRGB(dxOffice11ToolbarsColor2);
  if (c1 == c2) c2 = c1 != 0 ? 0 : 0xFFFFFF;

  int smallest = 255, largest = 1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (const std::uint32_t p = pixel(x, y); isArtwork(p)) {
        const int red = int((p >> 16) & 0xFF);
        if (red < smallest) smallest = red;
        if (red > largest) largest = red;
      }
  // A single grey level makes the span 0: MulDiv then answers -1, which the
  // mix takes as "all of the second colour" rather than dividing by zero.
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (std::uint32_t& p = pixel(x, y); isArtwork(p)) {
        const int red = int((p >> 16) & 0xFF);
        const int percent = rtl::MulDiv(red - smallest, 100, largest - smallest);
        p = (p & 0xFF000000u) | (opaque(ui::ColorToRGB(mid(TColor(c1), TColor(c2), percent))) & 0xFFFFFF);
      }
}

void CreateOffice11Brushes() {
  auto solid = [](TColor color) { return gdi::CreateSolidBrush(ui::ColorToRGB(color)); };
  dxOffice11BarFingerBrush1 = solid(dxOffice11BarFingerColor1);
  dxOffice11BarFingerBrush2 = solid(dxOffice11BarFingerColor2);
  dxOffice11BarSeparatorBrush1 = solid(dxOffice11BarSeparatorColor1);
  dxOffice11BarSeparatorBrush2 = solid(dxOffice11BarSeparatorColor2);
  dxOffice11DropDownBorderBrush1 = solid(dxOffice11DropDownBorderColor1);
  dxOffice11StaticBorderBrush = dxOffice11DropDownBorderBrush1;
  dxOffice11MenuBrush = solid(dxOffice11MenuColor);
  dxOffice11DropDownBorderBrush2 = dxOffice11MenuBrush;
  dxOffice11SelectedBorderBrush = solid(dxOffice11SelectedBorderColor);
  dxOffice11ToolbarSelectedBrush = solid(dxOffice11ToolbarSelectedColor);
  dxOffice11DetachableSelectedBrush = dxOffice11ToolbarSelectedBrush;
  dxOffice11OwnerControlDownedBrush = solid(dxOffice11OwnerControlDownedColor);
  dxOffice11DownedBrush = solid(dxOffice11DownedColor);
  dxOffice11DownedSelectedBrush = solid(dxOffice11DownedSelectedColor);
  dxOffice11DetachableBrush = solid(dxOffice11DetachableColor);
  dxOffice11InPlaceSubItemBrush = solid(dxOffice11InPlaceSubItemColor);

  subMenuExpandBitmap = makeSubMenuExpandBitmap();
  PrepareSubMenuExpandBitmap(subMenuExpandBitmap.get());
  expandButtonMinus = makeExpandButtonBitmap(false);
  expandButtonPlus = makeExpandButtonBitmap(true);
  dxOffice11SubMenuExpandBitmap = subMenuExpandBitmap.get();
  dxOffice11ExpandButtonBitmap1 = expandButtonMinus.get();
  dxOffice11ExpandButtonBitmap2 = expandButtonPlus.get();
  dxOffice11ExpandButtonColor1 = TColor(rgb(158, 174, 191));
  dxOffice11ExpandButtonColor2 = TColor(rgb(46, 70, 95));
}

void DestroyOffice11Brushes() {
  dxOffice11SubMenuExpandBitmap = dxOffice11ExpandButtonBitmap1 = dxOffice11ExpandButtonBitmap2 = nullptr;
  subMenuExpandBitmap.reset();
  expandButtonMinus.reset();
  expandButtonPlus.reset();
  // The shared brushes are deleted once, through their owner name.
  dxOffice11StaticBorderBrush = dxOffice11DropDownBorderBrush2 = dxOffice11DetachableSelectedBrush = nullptr;
  for (gdi::HBRUSH* brush :
       {&dxOffice11BarFingerBrush1, &dxOffice11BarFingerBrush2, &dxOffice11BarSeparatorBrush1,
        &dxOffice11BarSeparatorBrush2, &dxOffice11DropDownBorderBrush1, &dxOffice11MenuBrush,
        &dxOffice11SelectedBorderBrush, &dxOffice11ToolbarSelectedBrush, &dxOffice11OwnerControlDownedBrush,
        &dxOffice11DownedBrush, &dxOffice11DownedSelectedBrush, &dxOffice11DetachableBrush,
        &dxOffice11InPlaceSubItemBrush})
    deleteBrush(*brush);
}

void CreateOffice11Colors() {
  if (FCounter++ > 0) return;
  InitOffice11Colors();
  CreateOffice11Brushes();
}

void ReleaseOffice11Colors() {
  if (FCounter == 0) return;
  if (--FCounter == 0) DestroyOffice11Brushes();
}

void RefreshOffice11Colors() {
  InitOffice11Colors();
  if (FCounter > 0) {
    DestroyOffice11Brushes();
    CreateOffice11Brushes();
  }
}

TOffice11Scheme GetOffice11Scheme() { return FOffice11Scheme; }
bool IsXPStandardScheme() { return FXPStandardScheme; }

// ---- drawing --------------------------------------------------------------------------------------

int GetOffice11FingerElementSize() { return cxGetValueCurrentDPI(4); }

void Office11FillTubeGradientRect(gdi::HDC dc, const ui::TRect& r, TColor color1, TColor color2,
                                  bool horizontal) {
  FillTubeGradientRect(dc, r, color1, color2, GradientPercent, horizontal);
}

void Office11FrameSelectedRect(gdi::HDC dc, const ui::TRect& r) {
  if (IsHighContrastBlack() || IsHighContrast2())
    FrameRectByColor(dc, r, ui::clHighlightText);
  else
    gdi::FrameRect(dc, &r, dxOffice11SelectedBorderBrush);
}

void Office11DrawFingerElements(gdi::HDC dc, const ui::TRect& r, bool vertical, gdi::HBRUSH lightBrush,
                                gdi::HBRUSH darkBrush) {
  const int s = GetOffice11FingerElementSize(), d = cxGetValueCurrentDPI(1);
  if (s <= 0) return;
  if (!darkBrush) darkBrush = dxOffice11BarFingerBrush1;
  if (!lightBrush) lightBrush = dxOffice11BarFingerBrush2;
  const int dx = vertical ? 0 : 1, dy = vertical ? 1 : 0;
  const int length = vertical ? r.bottom - r.top : r.right - r.left;
  const int farEdge = vertical ? r.bottom : r.right;
  const int rest = length - s * (length / 4);
  const int shift = d < rest ? rest / 2 : rest;
  ui::TRect element{r.left + dx * shift, r.top + dy * shift, r.left + s + dx * shift, r.top + s + dy * shift};
  while ((vertical ? element.bottom : element.right) <= farEdge) {
    ui::TRect dot{element.left + d, element.top + d, element.right - d, element.bottom - d};
    gdi::FillRect(dc, &dot, lightBrush);
    dot = {dot.left - d, dot.top - d, dot.right - d, dot.bottom - d};
    gdi::FillRect(dc, &dot, darkBrush);
    element = {element.left + dx * s, element.top + dy * s, element.right + dx * s, element.bottom + dy * s};
  }
}

void Office11DrawSizeGrip(gdi::HDC dc, const ui::TRect& r, TColor darkColor, TColor lightColor) {
  auto brushOf = [](TColor color) -> gdi::HBRUSH {
    return color == ui::clDefault ? nullptr : gdi::CreateSolidBrush(ui::ColorToRGB(color));
  };
  gdi::HBRUSH dark = brushOf(darkColor), light = brushOf(lightColor);
  const int s = GetOffice11FingerElementSize();
  ui::TRect strip{r.right - cxGetValueCurrentDPI(12), r.bottom - cxGetValueCurrentDPI(3), r.right, r.bottom};
  for (int row = 0; row < 3; ++row) {
    Office11DrawFingerElements(dc, strip, false, light, dark);
    strip.left += s;
    strip.top -= s;
    strip.bottom -= s;
  }
  deleteBrush(dark);
  deleteBrush(light);
}

}  // namespace core
