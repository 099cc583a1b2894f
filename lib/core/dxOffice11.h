#pragma once
// The Office11 palette: the named colours, solid brushes and small bitmaps
// that the Office11 look and a few controls draw with, and the drawing
// routines only that palette uses (tube gradient, selection frame, grip dots,
// size grip). With a well-known visual-style colour scheme the colours come
// from a fixed table per scheme; otherwise they follow the system colours.
// The palette is shared and reference-counted: brushes and bitmaps exist
// while at least one reference is held.
#include "platform/gdi/types.h"
#include "platform/ui/colors.h"
#include "platform/ui/graphics.h"

namespace ui {
class TBitmap;
}

namespace core {

enum TOffice11Scheme { schUnknown, schNormalColor, schHomestead, schMetallic };

// Share of the tube gradient: per scheme, or 75 with the system palette.
extern int GradientPercent;

// ---- colours (resolved RGB values) -------------------------------------------------------
// The arrays count from 0: dxOffice11BarMarkColors1[0] is the first colour.
extern ui::TColor dxOffice11DockColor1, dxOffice11DockColor2;
extern ui::TColor dxOffice11ToolbarsColor1, dxOffice11ToolbarsColor2;
extern ui::TColor dxOffice11BarMarkColors1[3];
extern ui::TColor dxOffice11BarMarkColors2[3];
extern ui::TColor dxOffice11BarBorderColors[2];
extern ui::TColor dxOffice11BarBorderMarkColors[6];
extern ui::TColor dxOffice11BarFingerColor1, dxOffice11BarFingerColor2;
extern ui::TColor dxOffice11BarSeparatorColor1, dxOffice11BarSeparatorColor2;
extern ui::TColor dxOffice11BarMarkArrowColor1, dxOffice11BarMarkArrowColor2;
extern ui::TColor dxOffice11BarFloatingBorderColor1, dxOffice11BarFloatingBorderColor2,
    dxOffice11BarFloatingBorderColor3;
extern ui::TColor dxOffice11BarFloatingCaptionColor;
extern ui::TColor dxOffice11BarFloatingCaptionTextColor1, dxOffice11BarFloatingCaptionTextColor2,
    dxOffice11BarFloatingCaptionTextColor3;
extern ui::TColor dxOffice11MenuColor;
extern ui::TColor dxOffice11MenuDownedColor1, dxOffice11MenuDownedColor2;
extern ui::TColor dxOffice11MenuIndentColor1, dxOffice11MenuIndentColor2;
extern ui::TColor dxOffice11MenuNonRecentIndentColor1, dxOffice11MenuNonRecentIndentColor2;
extern ui::TColor dxOffice11DropDownBorderColor1, dxOffice11DropDownBorderColor2;
extern ui::TColor dxOffice11ToolbarSelectedColor;
extern ui::TColor dxOffice11SelectedBorderColor;
extern ui::TColor dxOffice11SelectedColor1, dxOffice11SelectedColor2;
extern ui::TColor dxOffice11SelectedDownColor1, dxOffice11SelectedDownColor2;
extern ui::TColor dxOffice11OwnerControlDownedColor;
extern ui::TColor dxOffice11DownedColor;
extern ui::TColor dxOffice11DownedSelectedColor;
extern ui::TColor dxOffice11DetachableColor;
extern ui::TColor dxOffice11DetachableSelectedColor;
extern ui::TColor dxOffice11TextEnabledColor;
extern ui::TColor dxOffice11TextDisabledColor;
extern ui::TColor dxOffice11StaticBorderColor;
extern ui::TColor dxOffice11DateHeaderColor;
extern ui::TColor dxOffice11InPlaceSubItemColor;
extern ui::TColor dxOffice11InPlaceSubItemTextColor;
extern ui::TColor dxOffice11ControlBorderColor;
extern ui::TColor dxOffice11GroupColor;
extern ui::TColor dxOffice11DayNavigatorSelectedColor;
extern ui::TColor dxOffice11OutlookBorderColor;
extern ui::TColor dxOffice11OutlookControlColor;
extern ui::TColor dxOffice11GroupIndentColor;
extern ui::TColor dxOffice11GroupRowTextColor;
extern ui::TColor dxOffice11GroupRowSeparatorColor;
extern ui::TColor dxOffice11NavPaneBorder;
extern ui::TColor dxOffice11NavPaneGroupCaptionColor1, dxOffice11NavPaneGroupCaptionColor2;
extern ui::TColor dxOffice11NavPaneGroupCaptionHotColor1, dxOffice11NavPaneGroupCaptionHotColor2;
extern ui::TColor dxOffice11NavPaneGroupCaptionPressedColor1, dxOffice11NavPaneGroupCaptionPressedColor2;
extern ui::TColor dxOffice11NavPaneGroupCaptionPressedHotColor1, dxOffice11NavPaneGroupCaptionPressedHotColor2;
extern ui::TColor dxOffice11NavPaneHeaderColor1, dxOffice11NavPaneHeaderColor2;
extern ui::TColor dxOffice11NavPaneHeaderFontColor;
extern ui::TColor dxOffice11NavPaneSplitterColor1, dxOffice11NavPaneSplitterColor2;
extern ui::TColor dxOffice11ExpandButtonColor1, dxOffice11ExpandButtonColor2;

// ---- brushes (null while no reference is held; some are the same brush) ----------------------
extern gdi::HBRUSH dxOffice11BarFingerBrush1, dxOffice11BarFingerBrush2;
extern gdi::HBRUSH dxOffice11BarSeparatorBrush1, dxOffice11BarSeparatorBrush2;
extern gdi::HBRUSH dxOffice11DropDownBorderBrush1, dxOffice11DropDownBorderBrush2;
extern gdi::HBRUSH dxOffice11MenuBrush;
extern gdi::HBRUSH dxOffice11SelectedBorderBrush;
extern gdi::HBRUSH dxOffice11ToolbarSelectedBrush;
extern gdi::HBRUSH dxOffice11OwnerControlDownedBrush;
extern gdi::HBRUSH dxOffice11DownedBrush;
extern gdi::HBRUSH dxOffice11DownedSelectedBrush;
extern gdi::HBRUSH dxOffice11DetachableBrush;
extern gdi::HBRUSH dxOffice11DetachableSelectedBrush;
extern gdi::HBRUSH dxOffice11StaticBorderBrush;
extern gdi::HBRUSH dxOffice11InPlaceSubItemBrush;

// ---- bitmaps (owned here, null while no reference is held) -----------------------------------
extern ui::TBitmap* dxOffice11SubMenuExpandBitmap;
extern ui::TBitmap* dxOffice11ExpandButtonBitmap1;  // minus
extern ui::TBitmap* dxOffice11ExpandButtonBitmap2;  // plus

// ---- the shared palette --------------------------------------------------------------------
// The first reference computes the palette and makes brushes and bitmaps.
void CreateOffice11Colors();
// The last release frees brushes and bitmaps; the colours keep their values.
void ReleaseOffice11Colors();
// Recomputes the palette; remakes brushes and bitmaps only while referenced.
void RefreshOffice11Colors();
TOffice11Scheme GetOffice11Scheme();
bool IsXPStandardScheme();
// The scheme of the current visual style, schUnknown without one.
TOffice11Scheme dxGetOffice11Scheme();
void InitOffice11Colors();
void CreateOffice11Brushes();
void DestroyOffice11Brushes();

// The caption colour of a navigation-pane group without a scheme: the start
// or end colour of its gradient, derived from the button face.
ui::TColor GetdxOffice11NavPaneGroupCaptionColor(bool isStartColor);
// Shades the grey artwork of `bitmap` between the two toolbar colours:
// lighter greys toward the first. Pixel (0, 0) is the background; it and
// black stay as they are.
void PrepareSubMenuExpandBitmap(ui::TBitmap* bitmap);

// The platform's major version as the scheme rule reads it. The platform
// stands for a current system; tests set an older one to see the rule that
// only the Luna style file carries the schemes there.
int dxOffice11PlatformMajorVersion();
void dxSetOffice11PlatformMajorVersion(int value);

// ---- drawing ---------------------------------------------------------------------------------
void Office11FillTubeGradientRect(gdi::HDC dc, const ui::TRect& r, ui::TColor color1, ui::TColor color2,
                                  bool horizontal);
void Office11FrameSelectedRect(gdi::HDC dc, const ui::TRect& r);
// A row (or with `vertical` a column) of grip dots; null brushes take the
// finger brushes of the palette.
void Office11DrawFingerElements(gdi::HDC dc, const ui::TRect& r, bool vertical, gdi::HBRUSH lightBrush = nullptr,
                                gdi::HBRUSH darkBrush = nullptr);
// Rows of three, two and one grip dots against the bottom-right corner;
// clDefault takes the finger colours of the palette.
void Office11DrawSizeGrip(gdi::HDC dc, const ui::TRect& r, ui::TColor darkColor = ui::clDefault,
                          ui::TColor lightColor = ui::clDefault);
int GetOffice11FingerElementSize();

}  // namespace core
