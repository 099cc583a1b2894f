// The base painter's answers for the control families that each use only a
// handful of operations: chart tool box, back button, gauge, map control,
// office navigation bar, spreadsheet, layout control, print preview,
// calculator, message box, breadcrumb editor, drop-down list box, alert
// window, gallery, bevel, rating control, fixed group indicator, wheel picker
// and rich-edit ruler.
//
// Most of this is colour and measure tables. The drawing is either plain
// integer geometry with the platform's pixel rules (frames, bevels, the pin)
// or, where an element is translucent (gallery selection, map elements, the
// recoloured navigation-bar image), anti-aliased through the GDI+ paint
// canvas. The image-strip elements (back button, rating star) pick one frame
// of a compiled-in strip by state.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <memory>
#include <utility>

#include "lib/core/cxCanvasText.h"
#include "lib/core/cxGraphics.h"
#include "lib/core/cxGraphicsColors.h"
#include "lib/core/dxAlphaColors.h"
#include "lib/core/dxGDIPlusClasses.h"
#include "lib/core/dxSmartImage.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/types.h"
#include "platform/rtl/scoped.h"
#include "platform/ui/colors.h"
#include "platform/ui/graphic.h"
#include "platform/ui/image_list.h"
#include "platform/win/constants.h"
#include "platform/win/system.h"

namespace lookandfeel {

using namespace ui;
using core::TcxCanvas;
using core::TdxAlphaColor;
using P = TcxCustomLookAndFeelPainter;

namespace {

constexpr TColor familyRGBColor(int r, int g, int b) {
  return TColor(gdi::RGB(gdi::BYTE(r), gdi::BYTE(g), gdi::BYTE(b)));
}

constexpr int familyWidth(const TRect& R) { return R.right - R.left; }
constexpr int familyHeight(const TRect& R) { return R.bottom - R.top; }
// Every drawing operation returns at once for an empty or inverted
// rectangle: the canvas would normalise an inverted one and paint it.
constexpr bool familyIsEmpty(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }
constexpr TRect familyInflated(const TRect& R, int ADelta) {
  return TRect{R.left - ADelta, R.top - ADelta, R.right + ADelta, R.bottom + ADelta};
}
constexpr TRect deflated(const TRect& R, const TRect& AMargins) {
  return TRect{R.left + AMargins.left, R.top + AMargins.top, R.right - AMargins.right, R.bottom - AMargins.bottom};
}
constexpr TRect familyOffset(const TRect& R, int ADX, int ADY) {
  return TRect{R.left + ADX, R.top + ADY, R.right + ADX, R.bottom + ADY};
}
constexpr TRect sides(int AValue) { return TRect{AValue, AValue, AValue, AValue}; }
TRect scaledSides(int AValue) { return sides(core::cxGetValueCurrentDPI(AValue)); }
TSize scaled(const TSize& ASize) {
  return TSize{core::cxGetValueCurrentDPI(ASize.cx), core::cxGetValueCurrentDPI(ASize.cy)};
}

// Gallery colours.
constexpr TColor dxGalleryBackgroundColor = clWhite;
constexpr TColor dxGalleryBasicBackgroundColor = familyRGBColor(1, 40, 88);
constexpr TColor dxGalleryFocusRectColor = familyRGBColor(125, 162, 206);
constexpr TColor dxGalleryMouseHoverFrameRectColor = familyRGBColor(184, 214, 251);

// The navigation bar's customization image is drawn as it is when the
// caller passes this marker instead of a colour.
constexpr TdxAlphaColor kNavigationBarDefaultColor = core::dxacDefault;

// Calculator button text colours, by button kind.
constexpr TColor BtnColors[] = {
    clMaroon, clMaroon, clMaroon,                                       // back, cancel, clear
    clRed,    clRed,    clRed,    clRed,                                // memory keys
    clBlue,   clBlue,   clBlue,   clBlue, clBlue, clBlue, clBlue,      // digits 0..6
    clBlue,   clBlue,   clBlue,                                         // digits 7..9
    clBlue,   clBlue,                                                   // sign, decimal
    clRed,    clRed,    clRed,    clRed,                                // operators
    clNavy,   clNavy,   clNavy,                                         // sqrt, percent, reciprocal
    clRed,                                                              // equal
    clBlue,                                                             // none
};
static_assert(std::size(BtnColors) == std::size_t(TcxCalcButtonKind::cbNone) + 1);

// The frame of a four-frame back-button strip, by button state.
constexpr int BackButtonOffsetMap[] = {0, 0, 1, 2, 3};
constexpr int kBackButtonFrameCount = 4;
// The frame of the three-frame rating strip, by indicator state.
constexpr int RatingOffsetMap[] = {0, 2, 1};
constexpr int kRatingFrameCount = 3;

constexpr TcxButtonState BreadcrumbButtonStateToButtonState(TdxBreadcrumbEditButtonState AState) {
  switch (AState) {
    case TdxBreadcrumbEditButtonState::dxbcbsHot: return TcxButtonState::cxbsHot;
    case TdxBreadcrumbEditButtonState::dxbcbsPressed: return TcxButtonState::cxbsPressed;
    case TdxBreadcrumbEditButtonState::dxbcbsDisabled: return TcxButtonState::cxbsDisabled;
    default: return TcxButtonState::cxbsNormal;
  }
}

// Frame AIndex of an image made of AFrameCount frames stacked vertically,
// stretched into R. The source rectangle is in image pixels, so the frame
// stays a fraction of the image whatever the screen DPI.
void DrawImageFrame(TcxCanvas* ACanvas, core::TdxSmartImage* AImage, const TRect& R, int AIndex, int AFrameCount) {
  if (AImage->Empty() || familyIsEmpty(R)) return;
  const int frameHeight = AImage->Height() / AFrameCount;
  const TRect source{0, frameHeight * AIndex, AImage->Width(), frameHeight * (AIndex + 1)};
  AImage->StretchDraw(ACanvas->Handle(), R, source, 255);
}

void DrawWholeImage(TcxCanvas* ACanvas, core::TdxSmartImage* AImage, const TRect& R) {
  if (AImage->Empty() || familyIsEmpty(R)) return;
  AImage->StretchDraw(ACanvas->Handle(), R, 255);
}

TSize ImageSize(core::TdxSmartImage* AImage) {
  if (AImage->Empty()) return TSize{0, 0};
  return TSize{AImage->Width(), AImage->Height()};
}

// Runs ADraw on the shared GDI+ paint canvas over R of ACanvas.
template <typename F>
void WithGPCanvas(TcxCanvas* ACanvas, const TRect& R, F ADraw) {
  // The paint canvas may buffer its area: only the visible part of R is worth one.
  gdi::RECT clip{};
  gdi::GetClipBox(ACanvas->Handle(), &clip);
  const TRect area{std::max(R.left, clip.left), std::max(R.top, clip.top), std::min(R.right, clip.right),
                   std::min(R.bottom, clip.bottom)};
  if (familyIsEmpty(area)) return;
  core::TdxGPPaintCanvas* canvas = core::dxGPPaintCanvas();
  canvas->BeginPaint(ACanvas->Handle(), area);
  rtl::ScopeExit end([canvas] { canvas->EndPaint(); });
  ADraw(canvas);
}

// Delphi-style Round: a tie goes to the even neighbour.
int familyRoundEven(double AValue) { return int(std::nearbyint(AValue)); }

}  // namespace

// --- chart tool box -----------------------------------------------------------------------------
int P::ChartToolBoxDataLevelInfoBorderSize() { return 1; }

// --- back button ----------------------------------------------------------------------------------
TSize P::GetBackButtonSize() {
  core::TdxSmartImage* image = GetBackButton();
  if (image->Empty()) return TSize{0, 0};
  return scaled(TSize{image->Width(), image->Height() / kBackButtonFrameCount});
}

void P::DrawBackButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (familyIsEmpty(R)) return;
  DrawImageFrame(ACanvas, GetBackButton(), R, BackButtonOffsetMap[int(AState)], kBackButtonFrameCount);
}

// --- gauge -----------------------------------------------------------------------------------------
TColor P::GaugeControlBackgroundColor() { return clWindow; }
void P::DrawGaugeControlBackground(TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor) {
  if (familyIsEmpty(R)) return;
  DrawBackground(ACanvas, R, ATransparent, ABackgroundColor, nullptr);
}

// --- map control (alpha colours) ------------------------------------------------------------------
TColor P::MapControlBackgroundColor() { return familyRGBColor(95, 139, 149); }
TdxAlphaColor P::MapControlPanelBackColor() { return 0xC8000000u; }
TdxAlphaColor P::MapControlPanelHotTrackedTextColor() { return 0xFFFFFFFFu; }
TdxAlphaColor P::MapControlPanelPressedTextColor() { return 0xFF7E8383u; }
TdxAlphaColor P::MapControlPanelTextColor() { return 0xFFADDFFFu; }
TSize P::MapControlGetMapPushpinSize() { return ImageSize(GetMapPushpin()); }
TPoint P::MapControlGetMapPushpinTextOrigin() { return TPoint{17, 17}; }
TRect P::MapControlMapCustomElementSelectionOffset() { return sides(14); }
TdxAlphaColor P::MapControlMapCustomElementTextColor() { return 0xFF000000u; }
TdxAlphaColor P::MapControlMapCustomElementTextGlowColor() { return 0xFFFFFFFFu; }
TdxAlphaColor P::MapControlMapPushpinTextColor() { return 0xFF000000u; }
TdxAlphaColor P::MapControlMapPushpinTextGlowColor() { return 0xFFFFFFFFu; }
TdxAlphaColor P::MapControlSelectedRegionBackgroundColor() { return 0x800072AEu; }
TdxAlphaColor P::MapControlSelectedRegionBorderColor() { return 0xFF3399FFu; }
TdxAlphaColor P::MapControlShapeColor() { return 0xFFD7D7D7u; }
TdxAlphaColor P::MapControlShapeBorderColor() { return 0xFFFFFFFFu; }
int P::MapControlShapeBorderWidth() { return 1; }
TdxAlphaColor P::MapControlShapeHighlightedColor() { return 0xFFD7D7D7u; }
TdxAlphaColor P::MapControlShapeBorderHighlightedColor() { return 0xFFFFFFFFu; }
int P::MapControlShapeBorderHighlightedWidth() { return 1; }
TdxAlphaColor P::MapControlShapeSelectedColor() { return 0xFFD7D7D7u; }
TdxAlphaColor P::MapControlShapeBorderSelectedColor() { return 0xFFFFFFFFu; }
int P::MapControlShapeBorderSelectedWidth() { return 1; }

void P::DrawMapCustomElementBackground(TcxCanvas* ACanvas, const TRect& R, TdxMapControlElementState AState) {
  if (familyIsEmpty(R)) return;
  TdxAlphaColor border = 0, fill = 0;
  switch (AState) {
    case TdxMapControlElementState::mcesHot:
    case TdxMapControlElementState::mcesPressed:
      border = 0x5A000000u;
      fill = 0x5AFFFFFFu;
      break;
    case TdxMapControlElementState::mcesSelected:
      border = 0x80000000u;
      fill = 0x80FFFFFFu;
      break;
    default: return;  // fully transparent: nothing to draw
  }
  const TRect shape = familyInflated(R, -1);
  if (familyIsEmpty(shape)) return;
  WithGPCanvas(ACanvas, R, [&](core::TdxGPPaintCanvas* AGP) { AGP->RoundRectA(shape, border, fill, 4, 4, 1); });
}

void P::DrawMapPushpin(TcxCanvas* ACanvas, const TRect& R, TdxMapControlElementState) {
  if (familyIsEmpty(R)) return;
  DrawWholeImage(ACanvas, GetMapPushpin(), R);
}

// --- office navigation bar --------------------------------------------------------------------------
void P::OfficeNavigationBarDrawCustomizationButton(TcxCanvas* ACanvas, const TRect& R, int, TdxAlphaColor AColor) {
  if (familyIsEmpty(R)) return;
  core::TdxSmartImage* image = GetNavigationBarCustomizationButton();
  if (AColor == kNavigationBarDefaultColor) return DrawWholeImage(ACanvas, image, R);
  if (image->Empty() || familyIsEmpty(R)) return;
  std::unique_ptr<core::TdxGPImage> copy(image->Clone());
  std::uint8_t alpha = 255;
  copy->ChangeColor(core::dxAlphaColorToColor(AColor, alpha));
  copy->StretchDraw(ACanvas->Handle(), R, core::dxGetAlpha(AColor));
}

void P::OfficeNavigationBarDrawBackground(TcxCanvas* ACanvas, const TRect& R) {
  if (familyIsEmpty(R)) return;
  ACanvas->FillRect(R, familyRGBColor(228, 228, 228));
}

void P::OfficeNavigationBarDrawImageSelection(TcxCanvas* ACanvas, const TRect& R, int AState) {
  if (familyIsEmpty(R)) return;
  switch (AState) {
    case 1:
    case 3: ACanvas->FillRect(R, familyRGBColor(205, 230, 247)); break;
    case 2: ACanvas->FillRect(R, familyRGBColor(146, 192, 224)); break;
    default: break;
  }
}

void P::OfficeNavigationBarButtonItemDrawBackground(TcxCanvas* ACanvas, const TRect& R, int AState) {
  if (familyIsEmpty(R)) return;
  DrawButton(ACanvas, R, String(), AState == 1 ? TcxButtonState::cxbsHot : TcxButtonState::cxbsNormal);
}

void P::OfficeNavigationBarItemDrawBackground(TcxCanvas*, const TRect&, int) {}
TRect P::OfficeNavigationBarContentOffsets() { return sides(2); }
TSize P::OfficeNavigationBarCustomizationButtonSize() { return ImageSize(GetNavigationBarCustomizationButton()); }
TRect P::OfficeNavigationBarButtonItemContentOffsets() { return sides(4); }
int P::OfficeNavigationBarButtonItemFontSize() { return 9; }
TColor P::OfficeNavigationBarButtonItemTextColor(int AState) {
  return AState >= 1 && AState <= 3 ? familyRGBColor(0, 114, 198) : familyRGBColor(86, 86, 86);
}
TRect P::OfficeNavigationBarItemContentOffsets() { return sides(2); }
int P::OfficeNavigationBarItemFontSize() { return 19; }
TColor P::OfficeNavigationBarItemTextColor(int AState) { return OfficeNavigationBarButtonItemTextColor(AState); }

// --- spreadsheet -----------------------------------------------------------------------------------
void P::DrawSpreadSheetGroupExpandButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (familyIsEmpty(R)) return;
  DrawButton(ACanvas, R, String(), AState);
}

void P::DrawSpreadSheetGroupExpandButtonGlyph(TcxCanvas* ACanvas, const TRect& R, TcxButtonState, bool AExpanded,
                                              ui::TCustomImageList* ADefaultGlyphs) {
  if (familyIsEmpty(R) || ADefaultGlyphs == nullptr) return;
  // The navigator's glyph list: 8 is its collapse sign, 6 its expand sign.
  DrawNavigatorButtonGlyph(ACanvas, ADefaultGlyphs, AExpanded ? 8 : 6, cxCentreRect(R, NavigatorButtonGlyphSize()),
                           true, false);
}

void P::DrawSpreadSheetHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                              TcxNeighbors ANeighbors, core::TcxBorders ABorders, TcxButtonState AState,
                              ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                              bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor,
                              TColor ABkColor, TcxDrawBackgroundEvent AOnDrawBackground, bool AIsLast,
                              bool AIsGroup) {
  if (familyIsEmpty(ABounds)) return;
  // A pressed header keeps its own colour but leans towards the selection.
  if (AState == TcxButtonState::cxbsPressed) ABkColor = core::dxGetMiddleRGB(ABkColor, clHighlight, 70);
  DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz, AAlignmentVert,
             AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground, AIsLast, AIsGroup);
}

TColor P::SpreadSheetContentColor() { return clWindow; }
TColor P::SpreadSheetContentTextColor() { return clWindowText; }
TColor P::SpreadSheetFrozenPaneSeparatorColor() { return clBlack; }
TRect P::SpreadSheetGroupExpandButtonContentOffsets() { return sides(3); }
TSize P::SpreadSheetGroupExpandButtonGlyphSize() { return NavigatorButtonGlyphSize(); }
TColor P::SpreadSheetGroupExpandButtonTextColor(TcxButtonState AState) { return ButtonSymbolColor(AState); }
TSize P::SpreadSheetGroupLevelMarkSize() { return TSize{2, 2}; }
TColor P::SpreadSheetGroupLineColor() { return clGray; }
TColor P::SpreadSheetSelectionColor() { return DefaultSelectionColor(); }

// --- layout control, scroll box, print preview, calculator, customization form, message box -----------
TColor P::LayoutControlEmptyAreaColor() { return clBtnFace; }
void P::DrawLayoutControlBackground(TcxCanvas* ACanvas, const TRect& R) {
  if (familyIsEmpty(R)) return;
  ACanvas->FillRect(R, LayoutControlEmptyAreaColor());
}
void P::DrawScrollBoxBackground(TcxCanvas* ACanvas, const TRect& R, TColor AColor) {
  if (familyIsEmpty(R)) return;
  ACanvas->FillRect(R, AColor);
}
TRect P::PrintPreviewPageBordersWidth() { return TRect{2, 2, 4, 4}; }
void P::DrawPrintPreviewBackground(TcxCanvas* ACanvas, const TRect& R) {
  if (familyIsEmpty(R)) return;
  ACanvas->FillRect(R, clBtnShadow);
}

void P::DrawPrintPreviewPageBackground(TcxCanvas* ACanvas, const TRect& ABorderRect, const TRect& AContentRect,
                                       bool ASelected, bool ADrawContent) {
  if (familyIsEmpty(ABorderRect)) return;
  static constexpr TColor FrameColorMap[2] = {clWindowText, clHighlight};
  ACanvas->SaveClipRegion();
  rtl::ScopeExit restore([ACanvas] { ACanvas->RestoreClipRegion(); });
  if (ADrawContent) ACanvas->FillRect(AContentRect, clWindow);
  // The page leaves room for its shadow at the right and bottom; an
  // unselected page has a thinner frame.
  TRect page{ABorderRect.left, ABorderRect.top, ABorderRect.right - 2, ABorderRect.bottom - 2};
  if (!ASelected) page = familyInflated(page, -1);
  if (familyIsEmpty(page)) return;
  ACanvas->ExcludeClipRect(AContentRect);
  ACanvas->FillRect(page, FrameColorMap[ASelected]);
  ACanvas->ExcludeClipRect(page);
  ACanvas->FillRect(familyOffset(page, 2, 2), clWindowText);
}

TColor P::CalcEditButtonTextColor(TcxCalcButtonKind AButtonKind) { return BtnColors[int(AButtonKind)]; }
TColor P::GetCustomizationFormListBackgroundColor() { return clBtnFace; }

void P::DrawMessageBox(TcxCanvas* ACanvas, const TRect& R, const String& AMessage, ui::TFont* AFont, TColor AColor) {
  if (familyIsEmpty(R)) return;
  ACanvas->FrameRect(R, DefaultGridLineColor(), 1, core::cxBordersAll, true);
  ACanvas->FillRect(R, AColor == clNone ? DefaultGroupColor() : AColor);
  if (AFont != nullptr) ACanvas->SetFont(AFont);
  ACanvas->Brush()->SetStyle(bsClear);
  rtl::ScopeExit solid([ACanvas] { ACanvas->Brush()->SetStyle(bsSolid); });
  ACanvas->DrawText(AMessage, R, core::cxAlignHCenter | core::cxAlignVCenter | core::cxSingleLine);
}

// --- breadcrumb editor ---------------------------------------------------------------------------------
TColor P::BreadcrumbEditBackgroundColor(TdxBreadcrumbEditState) { return clBtnFace; }
TRect P::BreadcrumbEditBordersSize() { return sides(1); }
int P::BreadcrumbEditButtonAreaSeparatorSize() { return 2; }
TRect P::BreadcrumbEditButtonContentOffsets(bool, bool) { return scaledSides(3); }
int P::BreadcrumbEditDropDownButtonOriginalWidth() { return win::GetSystemMetrics(win::SM_CXHSCROLL); }
int P::BreadcrumbEditDropDownButtonWidth() {
  int result = BreadcrumbEditDropDownButtonOriginalWidth();
  dxAdjustToTouchableSize(result);
  return result;
}
bool P::BreadcrumbEditIsFadingSupports() { return false; }
int P::BreadcrumbEditNodeDelimiterSize() { return core::cxGetValueCurrentDPI(16); }
TColor P::BreadcrumbEditNodeTextColor(TdxBreadcrumbEditButtonState AState) {
  return ButtonSymbolColor(AState == TdxBreadcrumbEditButtonState::dxbcbsDisabled ? TcxButtonState::cxbsDisabled
                                                                                   : TcxButtonState::cxbsNormal);
}
TRect P::BreadcrumbEditNodeTextOffsets() { return scaledSides(4); }
TSize P::BreadcrumbEditProgressChunkOverlaySize() { return TSize{0, 0}; }
TRect P::BreadcrumbEditProgressChunkPadding() { return sides(1); }

void P::DrawBreadcrumbEditBorders(TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders,
                                  TdxBreadcrumbEditState) {
  if (familyIsEmpty(R)) return;
  ACanvas->DrawComplexFrame(R, clBtnShadow, clBtnHighlight, ABorders, 1);
}
void P::DrawBreadcrumbEditButtonAreaSeparator(TcxCanvas*, const TRect&, TdxBreadcrumbEditState) {}

void P::DrawBreadcrumbEditButton(TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState, bool,
                                 bool) {
  if (familyIsEmpty(R)) return;
  // A resting button is flat: only hot, pressed and focused ones show a face.
  if (AState == TdxBreadcrumbEditButtonState::dxbcbsNormal || AState == TdxBreadcrumbEditButtonState::dxbcbsDisabled)
    return;
  DrawButton(ACanvas, R, String(), BreadcrumbButtonStateToButtonState(AState));
}

void P::DrawBreadcrumbEditDropDownButton(TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                         bool AIsInEditor) {
  if (familyIsEmpty(R)) return;
  if (AIsInEditor)
    DrawButton(ACanvas, R, String(), BreadcrumbButtonStateToButtonState(AState));
  else
    DrawBreadcrumbEditButton(ACanvas, R, AState, false, false);
}

void P::DrawBreadcrumbEditDropDownButtonGlyph(TcxCanvas* ACanvas, const TRect& R,
                                              TdxBreadcrumbEditButtonState AState, bool) {
  if (familyIsEmpty(R)) return;
  DrawButtonArrow(ACanvas, familyInflated(R, -2), ButtonSymbolColor(BreadcrumbButtonStateToButtonState(AState)));
}

void P::DrawBreadcrumbEditNode(TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState, bool) {
  if (familyIsEmpty(R)) return;
  DrawBreadcrumbEditButton(ACanvas, R, AState, false, false);
}
void P::DrawBreadcrumbEditNodeDelimiter(TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState) {
  if (familyIsEmpty(R)) return;
  DrawBreadcrumbEditButton(ACanvas, R, AState, false, false);
}
void P::DrawBreadcrumbEditNodeDelimiterGlyph(TcxCanvas* ACanvas, const TRect& R,
                                             TdxBreadcrumbEditButtonState AState) {
  if (familyIsEmpty(R)) return;
  DrawArrow(ACanvas, R, TcxArrowDirection::adDown, BreadcrumbEditNodeTextColor(AState));
}
void P::DrawBreadcrumbEditNodeMoreButtonGlyph(TcxCanvas* ACanvas, const TRect& R,
                                              TdxBreadcrumbEditButtonState AState) {
  if (familyIsEmpty(R)) return;
  DrawArrow(ACanvas, R, TcxArrowDirection::adDown, BreadcrumbEditNodeTextColor(AState));
}
void P::DrawBreadcrumbEditProgressChunk(TcxCanvas* ACanvas, const TRect& R) {
  if (familyIsEmpty(R)) return;
  ACanvas->FillRect(R, familyRGBColor(164, 168, 170));
}
void P::DrawBreadcrumbEditProgressChunkOverlay(TcxCanvas*, const TRect&) {}

// --- drop-down list box (popup menus and list popups) -------------------------------------------------
void P::DrawDropDownListBoxBackground(TcxCanvas* ACanvas, const TRect& R, bool AHasBorders) {
  if (familyIsEmpty(R)) return;
  TRect r = R;
  if (AHasBorders) {
    ACanvas->DrawComplexFrame(r, cl3DLight, cl3DDkShadow);
    r = familyInflated(r, -1);
    ACanvas->DrawComplexFrame(r, clBtnHighlight, clBtnShadow);
    r = familyInflated(r, -1);
  }
  if (!familyIsEmpty(r)) ACanvas->FillRect(r, clMenu);
}
void P::DrawDropDownListBoxGutterBackground(TcxCanvas*, const TRect&) {}
void P::DrawDropDownListBoxSelection(TcxCanvas* ACanvas, const TRect& R, const TRect&) {
  if (familyIsEmpty(R)) return;
  ACanvas->FillRect(R, clMenuHighlight);
}
void P::DrawDropDownListBoxSeparator(TcxCanvas* ACanvas, const TRect& R, const TRect&) {
  if (familyIsEmpty(R)) return;
  const int top = cxCentreStart(R.top, R.bottom, 2);
  ACanvas->FillRect(TRect{R.left, top, R.right, top + 1}, clBtnShadow);
  ACanvas->FillRect(TRect{R.left, top + 1, R.right, top + 2}, clBtnHighlight);
}
int P::DropDownListBoxBordersSize() { return 3; }
TRect P::DropDownListBoxItemImageOffsets() {
  return TRect{core::cxGetValueCurrentDPI(5), core::cxGetValueCurrentDPI(3), core::cxGetValueCurrentDPI(5),
               core::cxGetValueCurrentDPI(3)};
}
TColor P::DropDownListBoxItemTextColor(bool ASelected) { return ASelected ? clHighlightText : clMenuText; }
TRect P::DropDownListBoxItemTextOffsets() {
  return TRect{core::cxGetValueCurrentDPI(5), core::cxGetValueCurrentDPI(2), core::cxGetValueCurrentDPI(5),
               core::cxGetValueCurrentDPI(2)};
}
int P::DropDownListBoxSeparatorSize() { return core::cxGetValueCurrentDPI(8); }

// --- alert window --------------------------------------------------------------------------------------
TRect P::AlertWindowButtonContentOffsets(TdxAlertWindowButtonKind) { return scaledSides(3); }
TSize P::AlertWindowButtonGlyphSize(TdxAlertWindowButtonKind AKind, const TSize& ACustomSize) {
  // A custom button brings its own glyph, and with it its size.
  if (AKind == TdxAlertWindowButtonKind::awbkCustom) return ACustomSize;
  return scaled(TSize{10, 10});
}
TRect P::AlertWindowContentOffsets() { return scaledSides(4); }
int P::AlertWindowCornerRadius() { return 0; }
TColor P::AlertWindowNavigationPanelTextColor() { return AlertWindowTextColor(); }
TColor P::AlertWindowTextColor() { return clBtnText; }

void P::DrawAlertWindowBackground(TcxCanvas* ACanvas, const TRect& R) {
  if (familyIsEmpty(R)) return;
  ACanvas->FillRect(R, clBtnFace);
  const int radius = AlertWindowCornerRadius();
  ACanvas->Brush()->SetStyle(bsClear);
  rtl::ScopeExit solid([ACanvas] { ACanvas->Brush()->SetStyle(bsSolid); });
  ACanvas->RoundRect(R, radius, radius);
}

void P::DrawAlertWindowButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                              TdxAlertWindowButtonKind AKind, bool ADown) {
  if (familyIsEmpty(R)) return;
  const TcxButtonState state = ADown ? TcxButtonState::cxbsPressed : AState;
  DrawButton(ACanvas, R, String(), state);
  const TRect content = deflated(R, AlertWindowButtonContentOffsets(AKind));
  const TColor color = ButtonSymbolColor(state);
  switch (AKind) {
    case TdxAlertWindowButtonKind::awbkClose: DrawButtonCross(ACanvas, content, color, state); break;
    case TdxAlertWindowButtonKind::awbkPin: DrawPin(ACanvas, content, ADown, color); break;
    case TdxAlertWindowButtonKind::awbkDropdown: DrawArrow(ACanvas, content, TcxArrowDirection::adDown, color); break;
    case TdxAlertWindowButtonKind::awbkPrevious: DrawArrow(ACanvas, content, TcxArrowDirection::adLeft, color); break;
    case TdxAlertWindowButtonKind::awbkNext: DrawArrow(ACanvas, content, TcxArrowDirection::adRight, color); break;
    case TdxAlertWindowButtonKind::awbkCustom: break;
  }
}

void P::DrawAlertWindowNavigationPanel(TcxCanvas* ACanvas, const TRect& R) {
  if (familyIsEmpty(R)) return;
  ACanvas->FrameRect(R, clBtnShadow);
}

// The pin of an alert window's pin button: a head, a plate and a needle,
// each sized from R by its own width and height factors. Pinned, the chain
// hangs from R's top; unpinned, it lies on its side from R's right edge.
void P::DrawPin(TcxCanvas* ACanvas, const TRect& R, bool APinned, TColor AColor) {
  struct Factors {
    double across, along;
  };
  static constexpr Factors SizeMap[3] = {{0.5, 0.5}, {0.9, 0.1}, {0.1, 0.5}};  // head, plate, needle
  if (familyIsEmpty(R)) return;
  // Across the chain the elements are odd-sized so that they share one centre line.
  const int acrossExtent = APinned ? familyWidth(R) : familyHeight(R);
  const int alongExtent = APinned ? familyHeight(R) : familyWidth(R);
  TRect parts[3];
  int along = APinned ? R.top : R.right;
  for (int i = 0; i < 3; ++i) {
    const int across = 2 * int(acrossExtent / 2 * SizeMap[i].across) + 1;
    const int length = familyRoundEven(alongExtent * SizeMap[i].along);
    if (APinned) {
      const int left = cxCentreStart(R.left, R.right, across);
      parts[i] = TRect{left, along, left + across, along + length};
      along = parts[i].bottom - 1;  // the next element overlaps this one by a pixel
    } else {
      const int top = cxCentreStart(R.top, R.bottom, across);
      parts[i] = TRect{along - length, top, along, top + across};
      along = parts[i].left + 1;
    }
  }
  const TRect& head = parts[0];
  ACanvas->FrameRect(head, AColor);
  if (APinned)
    ACanvas->FillRect(TRect{head.left + familyWidth(head) / 2, head.top, head.right, head.bottom}, AColor);
  else
    ACanvas->FillRect(TRect{head.left, head.top + familyHeight(head) / 2, head.right, head.bottom}, AColor);
  ACanvas->FillRect(parts[1], AColor);
  ACanvas->FillRect(parts[2], AColor);
}

// --- gallery -------------------------------------------------------------------------------------------
TRect P::GetGalleryGroupHeaderContentOffsets() { return TRect{7, 2, 7, 2}; }
TColor P::GetGalleryGroupTextColor() { return clDefault; }
TColor P::GetGalleryItemCaptionTextColor() { return clWindowText; }
TColor P::GetGalleryItemDescriptionTextColor() { return clGrayText; }
TColor P::GetGalleryItemImageFrameColor() { return clBtnShadow; }
void P::DrawGalleryBackground(TcxCanvas* ACanvas, const TRect& R) {
  if (familyIsEmpty(R)) return;
  ACanvas->FillRect(R, dxGalleryBackgroundColor);
}

void P::DrawGalleryGroupHeader(TcxCanvas* ACanvas, const TRect& R) {
  if (familyIsEmpty(R)) return;
  DrawHeader(ACanvas, R, R, TcxNeighbors{}, core::cxBordersAll, TcxButtonState::cxbsNormal, taLeftJustify,
             core::TcxAlignmentVert::vaCenter, false, false, String(), ACanvas->Font(), clDefault,
             DefaultHeaderColor());
}

bool P::DrawGalleryItemSelectionFirst() { return false; }

void P::DrawGalleryItemSelection(TcxCanvas* ACanvas, const TRect& R, const TdxGalleryItemViewState& AViewState) {
  if (familyIsEmpty(R)) return;
  int opacity;
  if (AViewState.Checked)
    opacity = AViewState.Pressed ? 128 : AViewState.Hover ? 96 : 16;
  else
    opacity = AViewState.Pressed ? 64 : AViewState.Hover ? 32 : 0;
  if (opacity > 0)
    WithGPCanvas(ACanvas, R, [&](core::TdxGPPaintCanvas* AGP) {
      AGP->FillRectangle(R, core::dxColorToAlphaColor(dxGalleryBasicBackgroundColor, std::uint8_t(opacity)));
    });

  TColor frame = clNone;
  if (AViewState.Focused)
    frame = dxGalleryFocusRectColor;
  else if (AViewState.Checked)
    frame = core::dxGetColorTint(dxGalleryFocusRectColor, AViewState.Pressed ? -20 : AViewState.Hover ? 10 : 80);
  else if (AViewState.Pressed)
    frame = core::dxGetColorTint(dxGalleryFocusRectColor, 20);
  else if (AViewState.Hover)
    frame = dxGalleryMouseHoverFrameRectColor;
  if (frame != clNone) ACanvas->FrameRect(R, frame, 2);
}

void P::DrawGalleryItemImageFrame(TcxCanvas* ACanvas, const TRect& R) {
  if (familyIsEmpty(R)) return;
  ACanvas->FrameRect(R, GetGalleryItemImageFrameColor());
}
TColor P::GetColorGalleryGlyphFrameColor() { return familyRGBColor(230, 228, 226); }

void P::DrawColorGalleryItemSelection(TcxCanvas* ACanvas, const TRect& R, const TdxGalleryItemViewState& AViewState) {
  if (familyIsEmpty(R)) return;
  TColor outer;
  if (AViewState.Checked)
    outer = familyRGBColor(239, 72, 16);
  else if (AViewState.Pressed)
    outer = familyRGBColor(239, 34, 0);
  else if (AViewState.Hover || AViewState.Focused)
    outer = familyRGBColor(242, 148, 54);
  else
    return;
  ACanvas->FrameRect(R, outer);
  ACanvas->FrameRect(familyInflated(R, -1), familyRGBColor(255, 226, 148));
}

// --- bevel ------------------------------------------------------------------------------------------------
TSize P::GetBevelMinimalShapeSize(TdxBevelShape) { return TSize{2, 2}; }
void P::GetBevelShapeColors(TColor& AColor1, TColor& AColor2) {
  AColor1 = clBtnShadow;
  AColor2 = clBtnHighlight;
}

void P::DrawBevelFrame(TcxCanvas* ACanvas, const TRect& R, TColor AColor1, TColor AColor2, bool ABoxStyle) {
  if (familyIsEmpty(R)) return;
  if (AColor2 == clNone) {
    ACanvas->FrameRect(R, AColor1);
  } else if (ABoxStyle) {
    ACanvas->DrawComplexFrame(R, AColor1, AColor2, core::cxBordersAll);
  } else {
    // Two frames one pixel apart: the dark one up and left, the light one down and right.
    const TRect light{R.left + 1, R.top + 1, R.right, R.bottom};
    ACanvas->FrameRect(light, AColor2);
    ACanvas->FrameRect(familyOffset(light, -1, -1), AColor1);
  }
}

void P::DrawBevelLine(TcxCanvas* ACanvas, const TRect& R, TColor AColor1, TColor AColor2, bool AIsVertical) {
  if (familyIsEmpty(R)) return;
  if (AColor2 == clNone) return ACanvas->FillRect(R, AColor1);
  using core::TcxBorder;
  const core::TcxBorders borders = AIsVertical ? core::TcxBorders{TcxBorder::bLeft, TcxBorder::bRight}
                                               : core::TcxBorders{TcxBorder::bTop, TcxBorder::bBottom};
  ACanvas->DrawComplexFrame(R, AColor1, AColor2, borders);
}

void P::DrawBevelShape(TcxCanvas* ACanvas, const TRect& R, TdxBevelShape AShape, TdxBevelStyle AStyle) {
  if (familyIsEmpty(R)) return;
  TColor color1, color2;
  GetBevelShapeColors(color1, color2);
  if (AStyle == TdxBevelStyle::dxbsRaised) std::swap(color1, color2);
  // A painter without a dark colour draws the light one as a plain line.
  if (color1 == clNone) std::swap(color1, color2);
  const TSize minSize = GetBevelMinimalShapeSize(AShape);
  switch (AShape) {
    case TdxBevelShape::dxbsBox:
    case TdxBevelShape::dxbsFrame:
      DrawBevelFrame(ACanvas, R, color1, color2, AShape == TdxBevelShape::dxbsBox);
      break;
    case TdxBevelShape::dxbsLineTop:
      DrawBevelLine(ACanvas, TRect{R.left, R.top, R.right, R.top + minSize.cy}, color1, color2, false);
      break;
    case TdxBevelShape::dxbsLineBottom:
      DrawBevelLine(ACanvas, TRect{R.left, R.bottom - minSize.cy, R.right, R.bottom}, color1, color2, false);
      break;
    case TdxBevelShape::dxbsLineLeft:
      DrawBevelLine(ACanvas, TRect{R.left, R.top, R.left + minSize.cx, R.bottom}, color1, color2, true);
      break;
    case TdxBevelShape::dxbsLineRight:
      DrawBevelLine(ACanvas, TRect{R.right - minSize.cx, R.top, R.right, R.bottom}, color1, color2, true);
      break;
    case TdxBevelShape::dxbsLineCenteredHorz: {
      const int left = cxCentreStart(R.left, R.right, minSize.cx);
      DrawBevelLine(ACanvas, TRect{left, R.top, left + minSize.cx, R.bottom}, color1, color2, true);
      break;
    }
    case TdxBevelShape::dxbsLineCenteredVert: {
      const int top = cxCentreStart(R.top, R.bottom, minSize.cy);
      DrawBevelLine(ACanvas, TRect{R.left, top, R.right, top + minSize.cy}, color1, color2, false);
      break;
    }
    case TdxBevelShape::dxbsNone: break;
  }
}

// --- rating control, fixed group indicator, wheel picker ------------------------------------------------
void P::DrawRatingControlIndicator(TcxCanvas* ACanvas, ui::TGraphic* AGlyph, const TRect& R,
                                   TdxRatingControlIndicatorState AState) {
  if (familyIsEmpty(R)) return;
  if (AGlyph == nullptr || AGlyph->Empty()) {
    DrawRatingControlIndicator(ACanvas, cxCentreRect(R, GetRatingControlIndicatorSize()), AState);
    return;
  }
  const TRect glyphRect = cxCentreRect(R, scaled(TSize{AGlyph->Width(), AGlyph->Height()}));
  if (!familyIsEmpty(glyphRect)) ACanvas->StretchDraw(glyphRect, AGlyph);
}

void P::DrawRatingControlIndicator(TcxCanvas* ACanvas, const TRect& R, TdxRatingControlIndicatorState AState) {
  if (familyIsEmpty(R)) return;
  DrawImageFrame(ACanvas, GetRatingControlIndicator(), R, RatingOffsetMap[int(AState)], kRatingFrameCount);
}

void P::DrawRatingControlIndicatorPart(TcxCanvas* ACanvas, ui::TGraphic* AGlyph, const TRect& R,
                                       const TRect& APartRect, TdxRatingControlIndicatorState AState) {
  if (familyIsEmpty(R)) return;
  ACanvas->SaveClipRegion();
  rtl::ScopeExit restore([ACanvas] { ACanvas->RestoreClipRegion(); });
  ACanvas->IntersectClipRect(APartRect);
  DrawRatingControlIndicator(ACanvas, AGlyph, R, AState);
}

TSize P::GetRatingControlIndicatorSize() {
  core::TdxSmartImage* image = GetRatingControlIndicator();
  if (image->Empty()) return TSize{0, 0};
  return scaled(TSize{image->Width(), image->Height() / kRatingFrameCount});
}

void P::DrawFixedGroupIndicator(TcxCanvas* ACanvas, const TRect& R) {
  if (familyIsEmpty(R)) return;
  DrawWholeImage(ACanvas, GetFixedGroupIndicator(), R);
}
TSize P::GetFixedGroupIndicatorSize() { return ImageSize(GetFixedGroupIndicator()); }

TColor P::GetWheelPickerFillItemColor(TcxButtonState AState) {
  switch (AState) {
    case TcxButtonState::cxbsHot: return familyRGBColor(239, 240, 242);
    case TcxButtonState::cxbsPressed: return familyRGBColor(226, 234, 253);
    default: return clDefault;
  }
}
TColor P::GetWheelPickerBorderItemColor(TcxButtonState AState) {
  switch (AState) {
    case TcxButtonState::cxbsHot: return familyRGBColor(217, 217, 217);
    case TcxButtonState::cxbsPressed: return familyRGBColor(188, 201, 231);
    default: return clDefault;
  }
}
void P::DrawWheelPickerItem(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (familyIsEmpty(R)) return;
  DrawWheelPickerItemBackground(ACanvas, R, AState);
  DrawWheelPickerItemBorder(ACanvas, R, AState);
}
// A normal item has no colours of its own (clDefault): the wheel's background shows.
void P::DrawWheelPickerItemBackground(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (familyIsEmpty(R)) return;
  const TColor color = GetWheelPickerFillItemColor(AState);
  if (color != clDefault && color != clNone) ACanvas->FillRect(R, color);
}
void P::DrawWheelPickerItemBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (familyIsEmpty(R)) return;
  const TColor color = GetWheelPickerBorderItemColor(AState);
  if (color != clDefault && color != clNone) ACanvas->FrameRect(R, color);
}

// --- rich-edit ruler and header-footer marks --------------------------------------------------------------
TColor P::RichEditControlHeaderFooterLineColor() { return clBtnShadow; }
TColor P::RichEditControlHeaderFooterMarkBackColor() { return DefaultControlColor(); }
TColor P::RichEditControlHeaderFooterMarkTextColor() { return DefaultControlTextColor(); }
TColor P::RichEditRulerControlColor() { return DefaultControlColor(); }
TColor P::RichEditRulerActiveAreaColor() { return DefaultContentColor(); }
TColor P::RichEditRulerDefaultTabColor() { return clBtnShadow; }
TColor P::RichEditRulerInactiveAreaColor() { return clBtnShadow; }
TColor P::RichEditRulerTabTypeToggleBorderColor() { return cl3DDkShadow; }
TColor P::RichEditRulerTextColor() { return DefaultControlTextColor(); }

}  // namespace lookandfeel
