// The Native painter. Nearly every operation is the same three steps: open
// the theme class it needs through the theme cache, map the painter's state
// onto the engine's state number, draw or measure the part; without the
// class it hands the call to the Standard or base drawing. The few with
// real work of their own are the header and tab text, the rotated vertical
// tabs and scheduler buttons, and the scroll bar's thumb gripper.
#include "lib/lookandfeel/cxLookAndFeelPainters_native.h"

#include <algorithm>
#include <cstdint>

#include "lib/core/cxCanvasText.h"
#include "lib/core/cxGeometry.h"
#include "lib/core/cxGraphics.h"
#include "lib/core/cxImageDraw.h"
#include "lib/core/dxCore.h"
#include "lib/core/dxOffice11.h"
#include "lib/core/dxSmartImage.h"
#include "lib/core/dxUxTheme.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "platform/gdi/blit.h"
#include "platform/gdi/edge.h"
#include "platform/gdi/text.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/canvas.h"
#include "platform/ui/colors.h"

namespace lookandfeel {

using core::HTHEME;
using core::TcxBorder;
using core::TcxBorders;
using core::TcxCanvas;
using core::TdxThemedObjectType;
using NativeP = TcxWinXPLookAndFeelPainter;
using BS = TcxButtonState;
using Base = TcxCustomLookAndFeelPainter;
using Standard = TcxStandardLookAndFeelPainter;
using T = TdxThemedObjectType;

namespace {

// The engine's property numbers the painter reads. A button's fill colour
// is the engine's fill property (its 204 is the glyph colour).
constexpr int kFillColor = 3802;
constexpr int kBorderColor = 3801;
constexpr int kTextColor = 3803;
constexpr int kEdgeLightColor = 3804;
constexpr int kEdgeHighlightColor = 3805;
constexpr int kSizingMargins = 3601;
constexpr int kContentMargins = 3602;

constexpr TColor rgb(int ARed, int AGreen, int ABlue) { return TColor(ARed | (AGreen << 8) | (ABlue << 16)); }
constexpr bool nativeIsEmpty(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }
constexpr int nativeWidth(const TRect& R) { return R.right - R.left; }
constexpr int nativeHeight(const TRect& R) { return R.bottom - R.top; }
constexpr TRect nativeInflated(const TRect& R, int AL, int AT, int AR, int AB) {
  return TRect{R.left - AL, R.top - AT, R.right + AR, R.bottom + AB};
}
constexpr TRect nativeInflated(const TRect& R, int ADelta) { return nativeInflated(R, ADelta, ADelta, ADelta, ADelta); }

// The state tables: indexed by TcxButtonState (default, normal, hot, pressed, disabled).
constexpr int kPushStates[5] = {5, 1, 2, 3, 4};
constexpr int kFourStates[5] = {1, 1, 2, 3, 4};  // arrow, check, radio, tab, combo, small close, back, thumb
constexpr int kHeaderStates[5] = {1, 1, 2, 3, 1};
constexpr int kToolBarStates[5] = {2, 2, 5, 3, 4};
constexpr int kTrackThumbStates[5] = {2, 1, 2, 3, 5};

int idx(BS AState) { return static_cast<int>(AState); }

HTHEME theme(T AType) { return core::OpenTheme(AType); }

bool drawPart(TcxCanvas* ACanvas, HTHEME ATheme, int APart, int AState, const TRect& R,
              const TRect* AClip = nullptr) {
  return core::DrawThemeBackground(ATheme, ACanvas->Handle(), APart, AState, &R, AClip) == core::dxS_OK;
}

bool partSize(HTHEME ATheme, int APart, int AState, core::TdxThemeSize AKind, TSize& ASize) {
  win::SIZE s{};
  if (core::GetThemePartSize(ATheme, nullptr, APart, AState, AKind, s) != core::dxS_OK) return false;
  ASize = TSize{s.cx, s.cy};
  return true;
}

TSize trueSize(HTHEME ATheme, int APart, int AState) {
  TSize s{};
  partSize(ATheme, APart, AState, core::TS_TRUE, s);
  return s;
}

bool contentRect(HTHEME ATheme, int APart, int AState, const TRect& ABounds, TRect& AContent) {
  return core::GetThemeBackgroundContentRect(ATheme, nullptr, APart, AState, ABounds, AContent) == core::dxS_OK;
}

core::TdxMargins margins(HTHEME ATheme, int APart, int AState, int AProp) {
  core::TdxMargins m;
  core::GetThemeMargins(ATheme, nullptr, APart, AState, AProp, nullptr, m);
  return m;
}

// The left inset of a part's content inside a 100 x 100 rectangle.
int leftInset(HTHEME ATheme, int APart, int AState) {
  TRect content{};
  contentRect(ATheme, APart, AState, TRect{0, 0, 100, 100}, content);
  return content.left;
}

// Index of an arrow direction in the engine's arrow-button table (up, down, left, right).
int arrowIndex(TcxArrowDirection ADirection) {
  switch (ADirection) {
    case TcxArrowDirection::adUp: return 0;
    case TcxArrowDirection::adDown: return 1;
    case TcxArrowDirection::adLeft: return 2;
    case TcxArrowDirection::adRight: return 3;
  }
  return 0;
}

int breadcrumbButtonState(TdxBreadcrumbEditButtonState AState) {
  switch (AState) {
    case TdxBreadcrumbEditButtonState::dxbcbsHot: return 2;
    case TdxBreadcrumbEditButtonState::dxbcbsPressed: return 3;
    default: return 1;
  }
}

bool breadcrumbButtonShown(TdxBreadcrumbEditButtonState AState) {
  return AState != TdxBreadcrumbEditButtonState::dxbcbsNormal &&
         AState != TdxBreadcrumbEditButtonState::dxbcbsDisabled;
}

// A bitmap of R's size holding what the canvas shows under R.
void copyFromCanvas(TcxCanvas* ACanvas, const TRect& R, ui::TBitmap* ABitmap) {
  gdi::BitBlt(ABitmap->Canvas()->Handle(), 0, 0, nativeWidth(R), nativeHeight(R), ACanvas->Handle(), R.left, R.top,
              gdi::SRCCOPY);
}

void copyToCanvas(TcxCanvas* ACanvas, const TRect& R, ui::TBitmap* ABitmap) {
  gdi::BitBlt(ACanvas->Handle(), R.left, R.top, nativeWidth(R), nativeHeight(R), ABitmap->Canvas()->Handle(), 0, 0,
              gdi::SRCCOPY);
}

// Our own zoom glyphs: a dark plus or minus on a transparent 9 x 9 cell.
std::unique_ptr<core::TcxBitmap32> makeZoomGlyph(bool APlus) {
  constexpr int kSize = 9;
  auto glyph = std::make_unique<core::TcxBitmap32>(kSize, kSize, true);
  for (int y = 0; y < kSize; ++y) {
    auto* row = static_cast<std::uint32_t*>(glyph->ScanLine(y));
    for (int x = 0; x < kSize; ++x) {
      const bool bar = (y == 4 || y == 3 + 2) && x >= 1 && x < kSize - 1;
      const bool stem = APlus && (x == 4 || x == 5) && y >= 1 && y < kSize - 1;
      row[x] = bar || stem ? 0xFF505660u : 0u;
    }
  }
  glyph->SetAlphaFormat(ui::afPremultiplied);
  return glyph;
}

}  // namespace

int BtnStateToXPBtnState(TcxButtonState AState) { return kPushStates[idx(AState)]; }

bool cxGetThemeColor(TdxThemedObjectType AType, int APart, int AState, int APropId, TColor& AColor) {
  HTHEME h = theme(AType);
  if (!h) return false;
  win::COLORREF color = 255;
  const bool ok = core::GetThemeColor(h, APart, AState, APropId, color) == core::dxS_OK;
  if (ok) AColor = TColor(color);
  return ok;
}

NativeP::TcxWinXPLookAndFeelPainter() : FZoomInButtonGlyph(makeZoomGlyph(true)), FZoomOutButtonGlyph(makeZoomGlyph(false)) {}
NativeP::~TcxWinXPLookAndFeelPainter() = default;

// --- identity and colours ------------------------------------------------------------------------
String NativeP::LookAndFeelName() { return u"Native"; }
TcxLookAndFeelStyle NativeP::LookAndFeelStyle() { return TcxLookAndFeelStyle::lfsNative; }
bool NativeP::NeedRedrawOnResize() { return core::AreVisualStylesAvailable(); }

TColor NativeP::DefaultSchedulerBorderColor() {
  TColor c = ui::clDefault;
  return cxGetThemeColor(T::totComboBox, 1, 1, kBorderColor, c) ? c : Base::DefaultSchedulerBorderColor();
}
TColor NativeP::DefaultSchedulerViewContentColor() { return rgb(255, 255, 213); }
TColor NativeP::DefaultLayoutViewCaptionTextColor(rtl::TObject* ACaptionOwner, TcxButtonState AState) {
  if (theme(T::totTab)) return DefaultTabTextColor();
  return Base::DefaultLayoutViewCaptionTextColor(ACaptionOwner, AState);
}
TColor NativeP::DefaultLayoutViewContentTextColor(TcxButtonState AState) {
  if (theme(T::totTab)) return ui::clMenuText;
  return Base::DefaultLayoutViewContentTextColor(AState);
}

// --- arrows, borders, separators ------------------------------------------------------------------
void NativeP::DrawArrow(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxArrowDirection AArrowDirection,
                  bool ADrawBorder) {
  HTHEME h = theme(T::totScrollBar);
  if (!h) return Base::DrawArrow(ACanvas, R, AState, AArrowDirection, ADrawBorder);
  drawPart(ACanvas, h, 1, arrowIndex(AArrowDirection) * 4 + kFourStates[idx(AState)], R);
}

void NativeP::DrawArrowBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  HTHEME h = theme(T::totButton);
  if (!h) return Base::DrawArrowBorder(ACanvas, R, AState);
  drawPart(ACanvas, h, 1, BtnStateToXPBtnState(AState), R);
}

int NativeP::BorderSize() { return theme(T::totListView) ? 1 : Standard::BorderSize(); }
int NativeP::SeparatorSize() { return 6; }

void NativeP::DrawBorder(TcxCanvas* ACanvas, const TRect& R) {
  HTHEME h = theme(T::totListView);
  if (!h) return Standard::DrawBorder(ACanvas, R);
  // Only the part's one-pixel edge may show: the inside is the control's.
  ACanvas->SaveDC();
  ACanvas->ExcludeClipRect(nativeInflated(R, -1));
  drawPart(ACanvas, h, 5, 0, R);
  ACanvas->RestoreDC();
}

void NativeP::DoDrawSeparator(TcxCanvas* ACanvas, const TRect& R, bool AIsVertical) {
  HTHEME h = theme(T::totToolBar);
  if (!h) return Base::DoDrawSeparator(ACanvas, R, AIsVertical);
  drawPart(ACanvas, h, AIsVertical ? 5 : 6, 1, R);
}

// --- buttons --------------------------------------------------------------------------------------
int NativeP::ButtonBorderSize(TcxButtonState AState) {
  HTHEME h = theme(T::totButton);
  if (!h) return Standard::ButtonBorderSize(TcxButtonState::cxbsNormal);
  return leftInset(h, 1, BtnStateToXPBtnState(AState));
}

TColor NativeP::ButtonColor(TcxButtonState AState) {
  TColor c = ui::clDefault;
  return cxGetThemeColor(T::totButton, 1, BtnStateToXPBtnState(AState), kFillColor, c) ? c : Base::ButtonColor(AState);
}

TRect NativeP::ButtonFocusRect(TcxCanvas* ACanvas, const TRect& R) {
  HTHEME h = theme(T::totButton);
  TRect content{};
  if (h && contentRect(h, 1, 1, R, content)) return content;
  return Base::ButtonFocusRect(ACanvas, R);
}

TColor NativeP::ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor) {
  TColor c = ui::clDefault;
  return cxGetThemeColor(T::totButton, 1, BtnStateToXPBtnState(AState), kTextColor, c)
             ? c
             : Base::ButtonSymbolColor(AState, ADefaultColor);
}

int NativeP::ButtonTextOffset() { return 2; }
int NativeP::ButtonTextShift() { return 0; }

void NativeP::DrawButton(TcxCanvas* ACanvas, const TRect& R, const String& ACaption, TcxButtonState AState,
                   bool ADrawBorder, TColor AColor, TColor ATextColor, bool AWordWrap, bool AIsToolButton,
                   TcxButtonPart APart) {
  HTHEME h = theme(AIsToolButton ? T::totToolBar : T::totButton);
  if (!h)
    return Base::DrawButton(ACanvas, R, ACaption, AState, ADrawBorder, AColor, ATextColor, AWordWrap, AIsToolButton,
                            APart);
  const int state = BtnStateToXPBtnState(AState);
  drawPart(ACanvas, h, 1, state, R);
  DrawContent(ACanvas, h, 1, state, R, R, ui::taCenter, core::vaCenter, false, false, true, ACaption,
              nullptr, ui::clDefault, ui::clDefault);
}

bool NativeP::IsButtonHotTrack() { return true; }

// --- expand buttons -------------------------------------------------------------------------------
bool NativeP::IsPointOverGroupExpandButton(const TRect& R, const ui::TPoint& APoint) {
  HTHEME h = theme(T::totExplorerBar);
  if (!h) return Base::IsPointOverGroupExpandButton(R, APoint);
  win::HRGN region = nullptr;
  if (core::GetThemeBackgroundRegion(h, nullptr, 7, 2, R, region) != core::dxS_OK || !region) return false;
  const bool inside = gdi::PtInRegion(region, APoint.x, APoint.y) != 0;
  gdi::DeleteObject(region);
  return inside;
}

int NativeP::ExpandButtonSize() {
  HTHEME h = theme(T::totTreeview);
  return h ? trueSize(h, 2, 2).cx : Standard::ExpandButtonSize();
}

int NativeP::GroupExpandButtonSize() {
  HTHEME h = theme(T::totExplorerBar);
  return h ? trueSize(h, 7, 1).cx : Base::GroupExpandButtonSize();
}

int NativeP::SmallExpandButtonSize() { return theme(T::totTreeview) ? ExpandButtonSize() : Base::SmallExpandButtonSize(); }

void NativeP::DrawExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  HTHEME h = theme(T::totTreeview);
  if (!h) return Standard::DrawExpandButton(ACanvas, R, AExpanded, AColor);
  drawPart(ACanvas, h, 2, AExpanded ? 2 : 1, R);
  ACanvas->ExcludeClipRect(R);
}

bool NativeP::DrawExpandButtonFirst() { return false; }

void NativeP::DrawGroupExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TcxButtonState AState) {
  HTHEME h = theme(T::totExplorerBar);
  if (!h) return Standard::DrawGroupExpandButton(ACanvas, R, AExpanded, AState);
  // Default and disabled buttons show as normal ones: the bar's group
  // buttons have only the normal, hot and pressed looks.
  const int state = AState == BS::cxbsHot ? 2 : AState == BS::cxbsPressed ? 3 : 1;
  drawPart(ACanvas, h, AExpanded ? 6 : 7, state, R);
}

void NativeP::DrawSmallExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor, TColor) {
  if (theme(T::totTreeview)) return DrawExpandButton(ACanvas, R, AExpanded, ui::clDefault);
  Base::DrawSmallExpandButton(ACanvas, R, AExpanded, ABorderColor, ui::clDefault);
}

// --- command links ----------------------------------------------------------------------------
TColor NativeP::DefaultCommandLinkTextColor(TcxButtonState AState, TColor ADefaultColor) {
  TColor c = ui::clDefault;
  if (core::IsWinVistaOrLater && cxGetThemeColor(T::totButton, 6, BtnStateToXPBtnState(AState), kTextColor, c))
    return c;
  return Base::DefaultCommandLinkTextColor(AState, ADefaultColor);
}

void NativeP::DrawCommandLinkBackground(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TColor AColor) {
  HTHEME h = core::IsWinVistaOrLater ? theme(T::totButton) : nullptr;
  if (h) {
    drawPart(ACanvas, h, 6, BtnStateToXPBtnState(AState), R);
    return;
  }
  TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
  TcxCustomLookAndFeelPainter* flat = manager ? manager->GetPainter(TcxLookAndFeelStyle::lfsFlat) : nullptr;
  if (!flat) return Base::DrawCommandLinkBackground(ACanvas, R, AState, AColor);
  flat->DrawButton(ACanvas, R, String(), AState, AState == BS::cxbsHot || AState == BS::cxbsPressed, AColor);
}

void NativeP::DrawCommandLinkGlyph(TcxCanvas* ACanvas, const ui::TPoint& AGlyphPos, TcxButtonState AState) {
  HTHEME h = core::IsWinVistaOrLater ? theme(T::totButton) : nullptr;
  if (!h) return Base::DrawCommandLinkGlyph(ACanvas, AGlyphPos, AState);
  const TSize size = GetCommandLinkGlyphSize();
  drawPart(ACanvas, h, 7, BtnStateToXPBtnState(AState),
           TRect{AGlyphPos.x, AGlyphPos.y, AGlyphPos.x + size.cx, AGlyphPos.y + size.cy});
}

TSize NativeP::GetCommandLinkGlyphSize() {
  HTHEME h = core::IsWinVistaOrLater ? theme(T::totButton) : nullptr;
  return h ? trueSize(h, 7, 0) : Base::GetCommandLinkGlyphSize();
}

TRect NativeP::GetCommandLinkMargins() {
  HTHEME h = core::IsWinVistaOrLater ? theme(T::totButton) : nullptr;
  if (!h) return Base::GetCommandLinkMargins();
  const core::TdxMargins m = margins(h, 6, 0, kContentMargins);
  return TRect{m.cxLeftWidth, m.cyTopHeight, m.cxRightWidth, m.cyBottomHeight};
}

// --- headers ----------------------------------------------------------------------------------
void NativeP::DrawHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TcxNeighbors ANeighbors,
                   TcxBorders ABorders, TcxButtonState AState, ui::TAlignment AAlignmentHorz,
                   core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                   ui::TFont* AFont, TColor ATextColor, TColor ABkColor, TcxDrawBackgroundEvent AOnDrawBackground,
                   bool AIsLast, bool AIsGroup) {
  HTHEME h = theme(T::totHeader);
  if (!h)
    return Base::DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz,
                            AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor,
                            AOnDrawBackground, AIsLast, AIsGroup);
  const int state = kHeaderStates[idx(AState)];
  const core::TOffice11Scheme scheme = core::GetOffice11Scheme();
  const int part =
      AIsLast && state == 1 && (scheme == core::schNormalColor || scheme == core::schHomestead) ? 3 : 1;
  if (core::IsWin10OrLater) ACanvas->FillRect(ABounds, ui::clWindow);
  drawPart(ACanvas, h, part, state, ABounds);
  TRect text = ATextAreaBounds;
  if (AState == BS::cxbsPressed) text = core::cxRectOffset(text, 1, 1);
  DrawContent(ACanvas, h, part, state, ABounds, text, AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis,
              false, AText, AFont, ATextColor, ABkColor);
}

void NativeP::DrawHeaderPressed(TcxCanvas*, const TRect&) {}

void NativeP::DrawHeaderControlSection(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                 TcxNeighbors, TcxBorders ABorders, TcxButtonState AState,
                                 ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert,
                                 bool AMultiLine, bool AShowEndEllipsis, const String& AText, ui::TFont* AFont,
                                 TColor ATextColor, TColor ABkColor) {
  ACanvas->FillRect(ABounds, ui::clBtnFace);
  DrawHeader(ACanvas, ABounds, ATextAreaBounds, TcxNeighbors{TcxNeighbor::nRight}, ABorders, AState, AAlignmentHorz,
             AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, nullptr, false, false);
}

void NativeP::DrawSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  DrawSortingArrow(ACanvas, R, AAscendingSorting, ui::clBtnShadow, ui::clBtnShadow);
}

void NativeP::DrawSummarySortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  DrawSummarySortingArrow(ACanvas, R, AAscendingSorting, ui::clBtnShadow, ui::clBtnShadow);
}

int NativeP::HeaderBorderSize() {
  HTHEME h = theme(T::totHeader);
  if (!h) return Standard::HeaderBorderSize();
  TRect content{};
  contentRect(h, 1, 1, TRect{0, 0, 100, 100}, content);
  return std::max(1, (content.left + content.top) / 2);
}

int NativeP::HeaderControlSectionBorderSize(TcxButtonState) { return HeaderBorderSize(); }

TRect NativeP::HeaderControlSectionContentBounds(const TRect& ABounds, TcxButtonState AState) {
  if (!theme(T::totHeader)) return Base::HeaderControlSectionContentBounds(ABounds, AState);
  return nativeInflated(ABounds, -HeaderBorderSize());
}

bool NativeP::IsHeaderHotTrack() { return true; }
TSize NativeP::SortingMarkSize() { return core::cxGetValueCurrentDPI(TSize{7, 8}); }

void NativeP::DrawFilterRowSeparator(TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor) {
  Base::DrawFilterRowSeparator(ACanvas, R, ABackgroundColor);
  if (core::IsWin10OrLater)
    ACanvas->FrameRect(R, DefaultGridLineColor(), 1, TcxBorders{TcxBorder::bTop, TcxBorder::bRight, TcxBorder::bBottom});
}

// --- layout-view records ------------------------------------------------------------------------
void NativeP::LayoutViewDrawItem(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxBorders ABorders) {
  HTHEME h = theme(T::totMenu);
  if (h && (AState == BS::cxbsHot || AState == BS::cxbsPressed || AState == BS::cxbsDisabled)) {
    drawPart(ACanvas, h, 14, AState == BS::cxbsDisabled ? 4 : 2, R);
    return;
  }
  Base::LayoutViewDrawItem(ACanvas, R, AState, ABorders);
}

void NativeP::LayoutViewDrawRecordCaption(TcxCanvas* ACanvas, const TRect& R, const TRect& ATextRect,
                                    TcxGroupBoxCaptionPosition APosition, TcxButtonState AState) {
  LayoutViewDrawRecordBorder(ACanvas, R, AState, core::cxBordersAll);
  HTHEME h = theme(T::totTab);
  if (!h) return Base::LayoutViewDrawRecordCaption(ACanvas, R, ATextRect, APosition, AState);
  // The caption's state index 0..4 (the button state) to the tab's state.
  constexpr int kCaptionTabStates[5] = {1, 1, 2, 3, 5};
  // A caption on the left or right side is a vertical tab.
  const bool vertical =
      APosition == TcxGroupBoxCaptionPosition::cxgpLeft || APosition == TcxGroupBoxCaptionPosition::cxgpRight;
  DrawThemedTab(ACanvas, R, TcxBorders{}, String(), h, kCaptionTabStates[idx(AState)], vertical, nullptr,
                ui::clDefault, ui::clDefault, false);
}

// --- footers, filter buttons, find panel --------------------------------------------------------
int NativeP::FooterBorderSize() { return theme(T::totEdit) ? 1 : Standard::FooterBorderSize(); }

int NativeP::FooterCellBorderSize() {
  HTHEME h = theme(T::totTrackBar);
  return h ? leftInset(h, 1, 1) : Standard::FooterCellBorderSize();
}

int NativeP::FooterCellOffset() { return theme(T::totTrackBar) ? 1 : Standard::FooterCellOffset(); }
bool NativeP::FooterDrawCellsFirst() { return false; }

void NativeP::DrawFooterCell(TcxCanvas* ACanvas, const TRect& ABounds, ui::TAlignment AAlignmentHorz,
                       core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, const String& AText, ui::TFont* AFont,
                       TColor ATextColor, TColor ABkColor, TcxDrawBackgroundEvent AOnDrawBackground) {
  HTHEME h = theme(T::totTrackBar);
  if (!h)
    return Base::DrawFooterCell(ACanvas, ABounds, AAlignmentHorz, AAlignmentVert, AMultiLine, AText, AFont,
                                ATextColor, ABkColor, AOnDrawBackground);
  drawPart(ACanvas, h, 1, 1, ABounds);
  DrawContent(ACanvas, h, 1, 1, ABounds, FooterCellTextAreaBounds(ABounds), AAlignmentHorz, AAlignmentVert,
              AMultiLine, false, false, AText, AFont, ATextColor, ABkColor);
}

void NativeP::DrawFooterBorder(TcxCanvas* ACanvas, const TRect& R) {
  HTHEME h = theme(T::totEdit);
  if (!h) return Standard::DrawFooterBorder(ACanvas, R);
  core::DrawThemeEdge(h, ACanvas->Handle(), 0, 0, R, gdi::BDR_RAISEDINNER, gdi::BF_RECT, nullptr);
}

void NativeP::DrawFilterCloseButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  HTHEME h = theme(T::totWindow);
  if (!h) return Base::DrawFilterCloseButton(ACanvas, R, AState);
  drawPart(ACanvas, h, 19, kFourStates[idx(AState)], R);
}

void NativeP::DrawFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AIsFilterActive) {
  HTHEME h = theme(T::totComboBox);
  if (!h) return Standard::DrawFilterDropDownButton(ACanvas, R, AState, AIsFilterActive);
  drawPart(ACanvas, h, 1, kFourStates[idx(AState)], R);
}

TSize NativeP::FilterActivateButtonSize() {
  HTHEME h = theme(T::totButton);
  return h ? trueSize(h, 3, 5) : Base::FilterActivateButtonSize();
}

TSize NativeP::FilterCloseButtonSize() {
  if (!theme(T::totWindow)) return Base::FilterCloseButtonSize();
  const TSize s = DoGetSmallCloseButtonSize();
  return TSize{s.cx + 4, s.cy + 4};
}

void NativeP::DrawFindPanelBorder(TcxCanvas*, const TRect&, TcxBorders) {}

// --- popup borders, hints, screen tips ------------------------------------------------------------
void NativeP::DrawEditPopupWindowBorder(TcxCanvas* ACanvas, TRect& R, TcxEditPopupBorderStyle, bool) {
  HTHEME h = core::IsWinVistaOrLater ? theme(T::totListBox) : nullptr;
  if (h)
    drawPart(ACanvas, h, 3, 3, R);
  else
    ACanvas->FrameRect(R, ui::clBtnText);
  R = nativeInflated(R, -1);
}

int NativeP::GetEditPopupWindowBorderWidth(TcxEditPopupBorderStyle) { return 1; }
int NativeP::GetEditPopupWindowClientEdgeWidth(TcxEditPopupBorderStyle) { return 2; }

TColor NativeP::GetHintBorderColor() { return theme(T::totToolTip) ? ui::clWindowFrame : Base::GetHintBorderColor(); }

void NativeP::DrawHintBackground(TcxCanvas* ACanvas, const TRect& R, TColor AColor) {
  HTHEME h = theme(T::totToolTip);
  if (!h) return Base::DrawHintBackground(ACanvas, R, AColor);
  drawPart(ACanvas, h, 1, 1, nativeInflated(R, 4));
}

TColor NativeP::ScreenTipGetDescriptionTextColor() {
  TColor c = ui::clDefault;
  return cxGetThemeColor(T::totToolTip, 1, 1, kTextColor, c) ? c : Base::ScreenTipGetDescriptionTextColor();
}

TColor NativeP::ScreenTipGetTitleTextColor() { return ScreenTipGetDescriptionTextColor(); }

// --- tabs -------------------------------------------------------------------------------------
void NativeP::DrawThemedTab(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, const String& AText, HTHEME ATheme,
                      int ATabState, bool AVertical, ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
                      bool AShowPrefix) {
  if (nativeIsEmpty(R)) return;
  constexpr int kSelected = 3;
  // Vertical tabs are drawn upright into a bitmap and turned into place
  // afterwards. The turn is a reflection across the diagonal, its own
  // inverse: the same turn brings the canvas under R into the bitmap's
  // upright frame, so transparent corners show what lies beneath.
  std::unique_ptr<core::TcxBitmap32> bitmap;
  TcxCanvas* target = ACanvas;
  std::unique_ptr<TcxCanvas> bitmapCanvas;
  TRect work = R;
  bool sideA = ABorders.contains(TcxBorder::bLeft), sideB = ABorders.contains(TcxBorder::bRight);
  if (AVertical) {
    bitmap = std::make_unique<core::TcxBitmap32>(nativeWidth(R), nativeHeight(R));
    copyFromCanvas(ACanvas, R, bitmap.get());
    TcxCanvas::RotateBitmap(bitmap.get(), core::TcxRotationAngle::raPlus90, true);
    bitmapCanvas = std::make_unique<TcxCanvas>(bitmap->Canvas());
    target = bitmapCanvas.get();
    work = TRect{0, 0, nativeHeight(R), nativeWidth(R)};
    sideA = ABorders.contains(TcxBorder::bTop);
    sideB = ABorders.contains(TcxBorder::bBottom);
  }
  TRect draw = work;
  TRect clip = work;
  if (!sideA) draw.left -= 2;
  if (!sideB) draw.right += 2;
  if (ATabState == kSelected)
    draw.bottom += 1;
  else
    clip.bottom -= 1;
  drawPart(target, ATheme, 1, ATabState, draw, &clip);
  TRect text = draw;
  if (AVertical) {
    TcxCanvas::RotateBitmap(bitmap.get(), core::TcxRotationAngle::raPlus90, true);
    copyToCanvas(ACanvas, R, bitmap.get());
    text = TRect{R.left + draw.top, R.top + draw.left, R.left + draw.bottom, R.top + draw.right};
    if (ATabState == kSelected) text.right -= 2;
  } else if (ATabState == kSelected) {
    text.bottom -= 2;
  }
  DrawContent(ACanvas, ATheme, 1, ATabState, R, text, ui::taCenter, core::vaCenter, false, false, AShowPrefix, AText,
              AFont, ATextColor, ABkColor);
}

void NativeP::DrawTab(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, const String& AText, TcxButtonState AState,
                bool AVertical, ui::TFont* AFont, TColor ATextColor, TColor ABkColor, bool AShowPrefix) {
  HTHEME h = theme(T::totTab);
  if (!h)
    return Base::DrawTab(ACanvas, R, ABorders, AText, AState, AVertical, AFont, ATextColor, ABkColor, AShowPrefix);
  DrawThemedTab(ACanvas, R, ABorders, AText, h, kFourStates[idx(AState)], AVertical, AFont, ATextColor, ABkColor,
                AShowPrefix);
}

void NativeP::DrawTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ABorder, TcxBorders ABorders, bool AVertical) {
  if (!theme(T::totTab)) Standard::DrawTabBorder(ACanvas, R, ABorder, ABorders, AVertical);
}

void NativeP::DrawTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool AVertical) {
  HTHEME h = theme(T::totTab);
  if (!h) return Standard::DrawTabsRoot(ACanvas, R, ABorders, AVertical);
  // Only the pane's edge on the tab side may show: the pane is drawn past
  // R on the far sides and clipped to R.
  TRect content{};
  contentRect(h, 9, 0, R, content);
  TRect pane = R;
  if (AVertical) {
    pane.right += 10;
    pane.bottom += (R.bottom - content.bottom) - (content.top - R.top);
  } else {
    pane.bottom += 10;
    pane.right += (R.right - content.right) - (content.left - R.left);
  }
  drawPart(ACanvas, h, 9, 0, pane, &R);
}

bool NativeP::IsDrawTabImplemented() { return theme(T::totTab) ? true : Base::IsDrawTabImplemented(); }
bool NativeP::IsTabHotTrack() { return theme(T::totTab) ? true : Base::IsTabHotTrack(); }
int NativeP::TabBorderSize() { return theme(T::totTab) ? 1 : Standard::TabBorderSize(); }

// --- indicators -------------------------------------------------------------------------------
void NativeP::DrawIndicatorItem(TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                          TcxDrawBackgroundEvent AOnDrawBackground) {
  TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
  TcxCustomLookAndFeelPainter* flat = manager ? manager->GetPainter(TcxLookAndFeelStyle::lfsFlat) : nullptr;
  if (flat) return flat->DrawIndicatorItem(ACanvas, R, AKind, AColor, AOnDrawBackground);
  Base::DrawIndicatorItem(ACanvas, R, AKind, AColor, AOnDrawBackground);
}

// --- scroll bars, size grip, small buttons ------------------------------------------------------
int NativeP::ScrollBarMinimalThumbSize(bool AVertical) {
  HTHEME h = theme(T::totScrollBar);
  const int part = AVertical ? 3 : 2;
  TSize size{};
  if (!h || !partSize(h, part, 1, core::TS_MIN, size)) return Base::ScrollBarMinimalThumbSize(AVertical);
  if (core::IsWinVistaOrLater) {
    const core::TdxMargins m = margins(h, part, 1, kContentMargins);
    size.cy += m.cyTopHeight + m.cyBottomHeight;
    size.cx += m.cxLeftWidth + m.cxRightWidth;
  }
  return AVertical ? size.cy : size.cx;
}

void NativeP::DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) {
  if (nativeIsEmpty(R)) return;
  HTHEME h = theme(T::totScrollBar);
  if (!h) return Standard::DrawScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
  const int state = kFourStates[idx(AState)];
  switch (APart) {
    case TcxScrollBarPart::sbpLineUp:
    case TcxScrollBarPart::sbpLineDown:
      DrawArrow(ACanvas, R, AState, GetArrowDirection(AHorizontal, APart));
      break;
    case TcxScrollBarPart::sbpThumbnail: {
      const int thumb = AHorizontal ? 2 : 3;
      drawPart(ACanvas, h, thumb, state, R);
      // The gripper only on a thumb longer than the bar is thick.
      TSize size{};
      const bool known = partSize(h, thumb, state, core::TS_TRUE, size);
      if (!known || (AHorizontal ? nativeWidth(R) > size.cy : nativeHeight(R) > size.cx))
        drawPart(ACanvas, h, AHorizontal ? 8 : 9, state, R);
      break;
    }
    case TcxScrollBarPart::sbpPageUp:
      drawPart(ACanvas, h, AHorizontal ? 4 : 6, state, R);
      break;
    case TcxScrollBarPart::sbpPageDown:
      drawPart(ACanvas, h, AHorizontal ? 5 : 7, state, R);
      break;
    case TcxScrollBarPart::sbpNone: break;
  }
}

void NativeP::DrawScrollBarSplitter(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  Base::DrawSplitter(ACanvas, nativeInflated(R, -2), AState == BS::cxbsHot, AState == BS::cxbsPressed, false);
}

TSize NativeP::SizeGripSize() {
  // No fallback of its own: this painter is chosen only while themes are
  // there; without them the answer is the base's, never an empty size.
  HTHEME h = theme(T::totScrollBar);
  return h ? trueSize(h, 10, 1) : Base::SizeGripSize();
}

void NativeP::DoDrawSizeGrip(TcxCanvas* ACanvas, const TRect& R) {
  HTHEME h = theme(T::totScrollBar);
  if (!h) return Base::DoDrawSizeGrip(ACanvas, R);
  drawPart(ACanvas, h, 10, 1, R);
}

TSize NativeP::DoGetSmallCloseButtonSize() {
  HTHEME h = theme(T::totWindow);
  if (!h) return Base::DoGetSmallCloseButtonSize();
  TSize s = trueSize(h, 19, 1);
  if (core::IsWin8OrLater && (s.cx < 10 || s.cy < 10)) s = TSize{13, 13};
  return s;
}

void NativeP::DrawSmallButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawButton(ACanvas, R, String(), AState, true);
}

// --- scheduler --------------------------------------------------------------------------------
void NativeP::DrawSchedulerNavigationButtonContent(TcxCanvas* ACanvas, const TRect& R, const TRect& AArrowRect,
                                             bool AIsNextButton, TcxButtonState AState) {
  HTHEME h = theme(T::totTab);
  if (!h) return Base::DrawSchedulerNavigationButtonContent(ACanvas, R, AArrowRect, AIsNextButton, AState);
  if (!nativeIsEmpty(R)) {
    // The button is a tab standing on the scheduler's side edge.
    core::TcxBitmap32 bitmap(nativeWidth(R), nativeHeight(R));
    copyFromCanvas(ACanvas, R, &bitmap);
    const auto there = AIsNextButton ? core::TcxRotationAngle::raPlus90 : core::TcxRotationAngle::raMinus90;
    const auto back = AIsNextButton ? core::TcxRotationAngle::raMinus90 : core::TcxRotationAngle::raPlus90;
    TcxCanvas::RotateBitmap(&bitmap, there);
    TcxCanvas canvas(bitmap.Canvas());
    drawPart(&canvas, h, 1, kFourStates[idx(AState)], TRect{0, 0, bitmap.Width(), bitmap.Height()});
    TcxCanvas::RotateBitmap(&bitmap, back);
    copyToCanvas(ACanvas, R, &bitmap);
  }
  DrawSchedulerNavigationButtonArrow(ACanvas, AArrowRect, AIsNextButton, ButtonSymbolColor(AState, ui::clDefault));
}

void NativeP::DrawMonthHeader(TcxCanvas* ACanvas, const TRect& ABounds, const String& AText, TcxNeighbors ANeighbors,
                        const core::TcxViewParams& AViewParams, TcxArrowDirections AArrows, int ASideWidth,
                        TcxDrawBackgroundEvent AOnDrawBackground) {
  DrawHeader(ACanvas, ABounds, ABounds, ANeighbors, core::cxBordersAll, BS::cxbsNormal, ui::taCenter,
             core::vaCenter, false, false, AText, AViewParams.Font, AViewParams.TextColor, AViewParams.Color,
             AOnDrawBackground, !ANeighbors.contains(TcxNeighbor::nRight), false);
  DrawMonthHeaderArrows(ACanvas, ABounds, AArrows, ASideWidth, ui::clWindowText);
}

void NativeP::DrawSchedulerEventProgress(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& AProgress,
                                   const core::TcxViewParams& AViewParams, bool ATransparent) {
  HTHEME h = theme(T::totProgress);
  if (!h) return Base::DrawSchedulerEventProgress(ACanvas, ABounds, AProgress, AViewParams, ATransparent);
  drawPart(ACanvas, h, 1, 0, ABounds);
  drawPart(ACanvas, h, 3, 0, AProgress);
}

TRect NativeP::SchedulerEventProgressOffsets() { return TRect{3, 3, 3, 3}; }

void NativeP::DrawSchedulerNavigatorButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  HTHEME h = theme(T::totToolBar);
  if (!h) return Base::DrawSchedulerNavigatorButton(ACanvas, R, AState);
  drawPart(ACanvas, h, 1, kToolBarStates[idx(AState)], R);
}

void NativeP::DrawSchedulerSplitterBorder(TcxCanvas* ACanvas, const TRect& R, const core::TcxViewParams& AViewParams,
                                    bool AIsHorizontal) {
  TColor line = ui::clDefault;
  if (!theme(T::totListView) || !cxGetThemeColor(T::totComboBox, 1, 1, kBorderColor, line))
    return Standard::DrawSchedulerSplitterBorder(ACanvas, R, AViewParams, AIsHorizontal);
  // Lines along the two long sides, the rest in the view's colour.
  TRect inner = R;
  if (AIsHorizontal) {
    ACanvas->FillRect(TRect{R.left, R.top, R.right, R.top + 1}, line);
    ACanvas->FillRect(TRect{R.left, R.bottom - 1, R.right, R.bottom}, line);
    inner.top += 1;
    inner.bottom -= 1;
  } else {
    ACanvas->FillRect(TRect{R.left, R.top, R.left + 1, R.bottom}, line);
    ACanvas->FillRect(TRect{R.right - 1, R.top, R.right, R.bottom}, line);
    inner.left += 1;
    inner.right -= 1;
  }
  ACanvas->FillRect(inner, AViewParams);
}

// --- clock, zoom and back buttons, date navigator, navigator ----------------------------------------
TSize NativeP::ClockSize() {
  core::TdxSmartImage* face = GetClockFace();
  return face ? TSize{face->Width(), face->Height()} : TSize{};
}

void NativeP::DrawClock(TcxCanvas* ACanvas, const TRect& R, rtl::TDateTime ADateTime, TColor ABackgroundColor) {
  DrawModernCalendarClock(ACanvas, R, ADateTime, ABackgroundColor);
}

TSize NativeP::GetZoomInButtonSize() {
  HTHEME h = theme(T::totButton);
  if (!h) return Base::GetZoomInButtonSize();
  const core::TdxMargins m = margins(h, 1, 0, kContentMargins);
  return TSize{FZoomInButtonGlyph->Width() + m.cxLeftWidth + m.cxRightWidth,
               FZoomInButtonGlyph->Height() + m.cyTopHeight + m.cyBottomHeight};
}

TSize NativeP::GetZoomOutButtonSize() {
  HTHEME h = theme(T::totButton);
  if (!h) return Base::GetZoomOutButtonSize();
  const core::TdxMargins m = margins(h, 1, 0, kContentMargins);
  return TSize{FZoomOutButtonGlyph->Width() + m.cxLeftWidth + m.cxRightWidth,
               FZoomOutButtonGlyph->Height() + m.cyTopHeight + m.cyBottomHeight};
}

void NativeP::DrawZoomInButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  HTHEME h = theme(T::totButton);
  if (!h) return Base::DrawZoomInButton(ACanvas, R, AState);
  drawPart(ACanvas, h, 1, BtnStateToXPBtnState(AState), R);
  core::cxDrawImage(ACanvas, R, FZoomInButtonGlyph.get(), nullptr, -1, core::ifmNormal);
}

void NativeP::DrawZoomOutButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  HTHEME h = theme(T::totButton);
  if (!h) return Base::DrawZoomOutButton(ACanvas, R, AState);
  drawPart(ACanvas, h, 1, BtnStateToXPBtnState(AState), R);
  core::cxDrawImage(ACanvas, R, FZoomOutButtonGlyph.get(), nullptr, -1, core::ifmNormal);
}

TSize NativeP::GetBackButtonSize() {
  HTHEME h = theme(T::totNavigation);
  TSize s{};
  if (h && partSize(h, 1, 0, core::TS_TRUE, s)) return s;
  return Base::GetBackButtonSize();
}

void NativeP::DrawBackButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  HTHEME h = theme(T::totNavigation);
  if (!h) return Base::DrawBackButton(ACanvas, R, AState);
  drawPart(ACanvas, h, 1, kFourStates[idx(AState)], R);
}

void NativeP::DrawDateNavigatorDateHeader(TcxCanvas* ACanvas, TRect& R) {
  HTHEME h = theme(T::totHeader);
  if (!h) return Base::DrawDateNavigatorDateHeader(ACanvas, R);
  drawPart(ACanvas, h, 2, 1, R);
}

TSize NativeP::NavigatorButtonMinSize() { return core::cxGetValueCurrentDPI(TSize{18, 19}); }
ui::TPoint NativeP::NavigatorButtonPressedGlyphOffset() { return ui::TPoint{0, 0}; }

// --- group boxes, check boxes, toggle switches, radio buttons ------------------------------------
void NativeP::DrawGroupBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition ACaptionPosition,
                          TcxBorders ABorders) {
  HTHEME h = theme(T::totButton);
  if (!h) return Standard::DrawGroupBoxFrame(ACanvas, R, ACaptionPosition, ABorders);
  drawPart(ACanvas, h, 4, 1, R);
}

TColor NativeP::GroupBoxTextColor(bool AEnabled, TcxGroupBoxCaptionPosition ACaptionPosition) {
  TColor c = ui::clDefault;
  return cxGetThemeColor(T::totButton, 4, AEnabled ? 1 : 2, kTextColor, c)
             ? c
             : Base::GroupBoxTextColor(AEnabled, ACaptionPosition);
}

int NativeP::CheckBorderSize() { return theme(T::totButton) ? 0 : Base::CheckBorderSize(); }

TSize NativeP::CheckButtonSize() {
  HTHEME h = theme(T::totButton);
  return h ? trueSize(h, 3, 5) : Base::CheckButtonSize();
}

void NativeP::DrawCheck(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxCheckBoxState ACheckState,
                  TColor AColor) {
  HTHEME h = theme(T::totButton);
  if (!h) return Base::DrawCheck(ACanvas, R, AState, ACheckState, AColor);
  drawPart(ACanvas, h, 3, static_cast<int>(ACheckState) * 4 + kFourStates[idx(AState)], R);
}

void NativeP::DrawCheckBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (!theme(T::totButton)) Standard::DrawCheckBorder(ACanvas, R, AState);
}

TColor NativeP::ToggleSwitchToggleColor(bool AChecked) { return AChecked ? rgb(160, 160, 160) : rgb(200, 200, 200); }

void NativeP::DrawToggleSwitchState(TcxCanvas* ACanvas, const TRect& R, TcxButtonState, bool AChecked) {
  // An opaque one-pixel outline around an opaque fill: on whole pixels the
  // anti-aliased path and the pixel rules agree, so the plain canvas draws it.
  ACanvas->FillRect(R, ToggleSwitchToggleColor(AChecked));
  ACanvas->FrameRect(R, rgb(112, 112, 112));
}

void NativeP::DrawToggleSwitchThumb(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawButton(ACanvas, nativeInflated(R, -1), String(), AState);
}

void NativeP::DrawRadioButton(TcxCanvas* ACanvas, int X, int Y, TcxButtonState AButtonState, bool AChecked, bool AFocused,
                        TColor ABrushColor, bool AIsDesigning) {
  HTHEME h = theme(T::totButton);
  // Chosen only while themes are there; should they go away under a
  // control, the radio button is still drawn, in the base look.
  if (!h) return Base::DrawRadioButton(ACanvas, X, Y, AButtonState, AChecked, AFocused, ABrushColor, AIsDesigning);
  const TSize size = RadioButtonSize();
  drawPart(ACanvas, h, 2, (AChecked ? 4 : 0) + kFourStates[idx(AButtonState)],
           TRect{X, Y, X + size.cx, Y + size.cy});
}

TSize NativeP::RadioButtonSize() {
  HTHEME h = theme(T::totButton);
  return h ? trueSize(h, 2, 1) : Base::RadioButtonSize();
}

void NativeP::DrawSpreadSheetHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                              TcxNeighbors ANeighbors, TcxBorders ABorders, TcxButtonState AState,
                              ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                              bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor,
                              TColor ABkColor, TcxDrawBackgroundEvent AOnDrawBackground, bool AIsLast,
                              bool AIsGroup) {
  DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz, AAlignmentVert,
             AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground, AIsLast, AIsGroup);
}

void NativeP::DrawPanelBackground(TcxCanvas* ACanvas, ui::TWinControl* AControl, const TRect& ABounds, TColor AColorFrom,
                            TColor) {
  if (AColorFrom == ui::clDefault) {
    if (AControl) core::DrawThemeParentBackground(AControl->Handle(), ACanvas->Handle(), &ABounds);
    return;
  }
  ACanvas->FillRect(ABounds, AColorFrom);
}

// --- track bars and splitters -------------------------------------------------------------------
namespace {
int trackThumbPart(TcxTrackBarTicksAlign ATicks, bool AHorizontal) {
  switch (ATicks) {
    case TcxTrackBarTicksAlign::tbtaUp: return AHorizontal ? 5 : 7;
    case TcxTrackBarTicksAlign::tbtaDown: return AHorizontal ? 4 : 8;
    case TcxTrackBarTicksAlign::tbtaBoth: return AHorizontal ? 3 : 6;
  }
  return 3;
}
}  // namespace

void NativeP::CorrectThumbRect(TcxCanvas* ACanvas, TRect& R, bool AHorizontal, TcxTrackBarTicksAlign ATicks) {
  HTHEME h = theme(T::totTrackBar);
  if (!h) return Base::CorrectThumbRect(ACanvas, R, AHorizontal, ATicks);
  win::SIZE s{};
  if (core::GetThemePartSize(h, ACanvas->Handle(), trackThumbPart(ATicks, AHorizontal), 1, &R, core::TS_DRAW, s) !=
      core::dxS_OK)
    return;
  R = cxCentreRect(R, s.cx, s.cy);
}

void NativeP::DrawTrackBarTrack(TcxCanvas* ACanvas, const TRect& R, const TRect& ASelection, bool AShowSelection,
                          bool AEnabled, bool AHorizontal, TColor ATrackColor) {
  HTHEME h = theme(T::totTrackBar);
  if (!h) return Base::DrawTrackBarTrack(ACanvas, R, ASelection, AShowSelection, AEnabled, AHorizontal, ATrackColor);
  drawPart(ACanvas, h, AHorizontal ? 1 : 2, 1, R);
}

void NativeP::DrawTrackBarThumb(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AHorizontal,
                          TcxTrackBarTicksAlign ATicks, TColor AThumbColor) {
  HTHEME h = theme(T::totTrackBar);
  if (!h) return Base::DrawTrackBarThumb(ACanvas, R, AState, AHorizontal, ATicks, AThumbColor);
  drawPart(ACanvas, h, trackThumbPart(ATicks, AHorizontal), kTrackThumbStates[idx(AState)], R);
}

void NativeP::DrawSplitter(TcxCanvas*, const TRect&, bool, bool, bool) {}

// --- breadcrumb edit --------------------------------------------------------------------------
TColor NativeP::BreadcrumbEditBackgroundColor(TdxBreadcrumbEditState) { return DefaultContentColor(); }
TRect NativeP::BreadcrumbEditBordersSize() { return TRect{1, 1, 1, 1}; }

TRect NativeP::BreadcrumbEditButtonContentOffsets(bool AIsFirst, bool AIsLast) {
  HTHEME h = theme(T::totButton);
  if (!h) return Base::BreadcrumbEditButtonContentOffsets(AIsFirst, AIsLast);
  const core::TdxMargins m = margins(h, 1, 0, kContentMargins);
  return TRect{m.cxLeftWidth, m.cyTopHeight, m.cxRightWidth, m.cyBottomHeight};
}

bool NativeP::BreadcrumbEditIsFadingSupports() { return true; }

TSize NativeP::BreadcrumbEditProgressChunkOverlaySize() {
  HTHEME h = core::IsWinVistaOrLater ? theme(T::totProgress) : nullptr;
  TSize s{};
  if (h && partSize(h, 8, 0, core::TS_TRUE, s)) return s;
  return Base::BreadcrumbEditProgressChunkOverlaySize();
}

TRect NativeP::BreadcrumbEditProgressChunkPadding() { return TRect{0, 0, 0, 0}; }

void NativeP::DrawBreadcrumbEditBorders(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                  TdxBreadcrumbEditState AState) {
  HTHEME h = theme(T::totEdit);
  if (!h) return Base::DrawBreadcrumbEditBorders(ACanvas, R, ABorders, AState);
  constexpr int kEditStates[4] = {1, 5, 2, 4};  // normal, focused, hot, disabled
  const int part = core::IsWinVistaOrLater ? 6 : 1;
  const int state = kEditStates[static_cast<int>(AState)];
  if (ABorders == core::cxBordersAll) {
    drawPart(ACanvas, h, part, state, R);
    return;
  }
  // Sides without a border are pushed out past R by the sizing margins and clipped away.
  const core::TdxMargins m = margins(h, part, state, kSizingMargins);
  const TRect grown = nativeInflated(R, ABorders.contains(TcxBorder::bLeft) ? 0 : m.cxLeftWidth,
                               ABorders.contains(TcxBorder::bTop) ? 0 : m.cyTopHeight,
                               ABorders.contains(TcxBorder::bRight) ? 0 : m.cxRightWidth,
                               ABorders.contains(TcxBorder::bBottom) ? 0 : m.cyBottomHeight);
  drawPart(ACanvas, h, part, state, grown, &R);
}

void NativeP::DrawBreadcrumbEditButtonAreaSeparator(TcxCanvas*, const TRect&, TdxBreadcrumbEditState) {}

void NativeP::DrawBreadcrumbEditButton(TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                 bool AIsFirst, bool AIsLast) {
  HTHEME h = theme(T::totButton);
  if (!h) return Standard::DrawBreadcrumbEditButton(ACanvas, R, AState, AIsFirst, AIsLast);
  if (!breadcrumbButtonShown(AState) || nativeIsEmpty(R)) return;
  const TRect o = BreadcrumbEditButtonContentOffsets(AIsFirst, AIsLast);
  // Grown past R at the top and bottom so only the side edges show there.
  drawPart(ACanvas, h, 1, breadcrumbButtonState(AState), nativeInflated(R, 1, o.top, 1, o.bottom), &R);
}

void NativeP::DrawBreadcrumbEditDropDownButton(TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                         bool) {
  DrawBreadcrumbEditButton(ACanvas, R, AState, true, true);
}

void NativeP::DrawBreadcrumbEditNodePart(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders,
                                   TdxBreadcrumbEditButtonState AState) {
  if (!breadcrumbButtonShown(AState) || nativeIsEmpty(R)) return;
  HTHEME h = theme(T::totButton);
  if (!h) return;
  const TRect o = BreadcrumbEditButtonContentOffsets(true, true);
  // A side named in ABorders shows its edge one pixel out; the others are
  // pushed past R by the content offsets and clipped away.
  auto side = [&](TcxBorder ASide, int AOffset) { return ABorders.contains(ASide) ? 1 : AOffset; };
  const TRect grown = nativeInflated(R, side(TcxBorder::bLeft, o.left), side(TcxBorder::bTop, o.top),
                               side(TcxBorder::bRight, o.right), side(TcxBorder::bBottom, o.bottom));
  drawPart(ACanvas, h, 1, breadcrumbButtonState(AState), grown, &R);
}

void NativeP::DrawBreadcrumbEditNode(TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                               bool AHasDelimiter) {
  if (!theme(T::totButton)) return Base::DrawBreadcrumbEditNode(ACanvas, R, AState, AHasDelimiter);
  DrawBreadcrumbEditNodePart(ACanvas, R,
                             AHasDelimiter ? TcxBorders{TcxBorder::bLeft} : TcxBorders{TcxBorder::bLeft, TcxBorder::bRight},
                             AState);
}

void NativeP::DrawBreadcrumbEditNodeDelimiter(TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState) {
  if (!theme(T::totButton)) return Base::DrawBreadcrumbEditNodeDelimiter(ACanvas, R, AState);
  DrawBreadcrumbEditNodePart(ACanvas, R, TcxBorders{TcxBorder::bLeft, TcxBorder::bRight}, AState);
}

void NativeP::DrawBreadcrumbEditNodeDelimiterGlyph(TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState) {
  const TcxArrowDirection direction = AState == TdxBreadcrumbEditButtonState::dxbcbsPressed
                                          ? TcxArrowDirection::adDown
                                          : TcxArrowDirection::adRight;
  DrawArrow(ACanvas, nativeInflated(R, -1), direction, BreadcrumbEditNodeTextColor(AState));
}

void NativeP::DrawBreadcrumbEditNodeMoreButtonGlyph(TcxCanvas* ACanvas, const TRect& R,
                                              TdxBreadcrumbEditButtonState AState) {
  DrawCollapseArrow(ACanvas, R, BreadcrumbEditNodeTextColor(AState), core::cxGetValueCurrentDPI(2));
}

void NativeP::DrawBreadcrumbEditProgressChunk(TcxCanvas* ACanvas, const TRect& R) {
  HTHEME h = theme(T::totProgress);
  if (!h) return Base::DrawBreadcrumbEditProgressChunk(ACanvas, R);
  drawPart(ACanvas, h, 3, 1, R);
}

void NativeP::DrawBreadcrumbEditProgressChunkOverlay(TcxCanvas* ACanvas, const TRect& R) {
  HTHEME h = core::IsWinVistaOrLater ? theme(T::totProgress) : nullptr;
  if (!h) return Base::DrawBreadcrumbEditProgressChunkOverlay(ACanvas, R);
  drawPart(ACanvas, h, 8, 0, R);
}

// --- drop-down list box -----------------------------------------------------------------------
void NativeP::DrawDropDownListBoxBackground(TcxCanvas* ACanvas, const TRect& R, bool AHasBorders) {
  if (!core::AreVisualStylesAvailable()) return Base::DrawDropDownListBoxBackground(ACanvas, R, AHasBorders);
  TRect rest = R;
  if (AHasBorders) {
    TColor light = ui::clBtnShadow, highlight = ui::clBtnHighlight;
    cxGetThemeColor(T::totMenu, 9, 0, kEdgeLightColor, light);
    cxGetThemeColor(T::totMenu, 9, 0, kEdgeHighlightColor, highlight);
    ACanvas->FrameRect(rest, light);
    rest = nativeInflated(rest, -1);
    ACanvas->FrameRect(rest, highlight);
    rest = nativeInflated(rest, -1);
  }
  HTHEME h = theme(T::totMenu);
  if (h)
    drawPart(ACanvas, h, 9, 0, rest);
  else
    ACanvas->FillRect(rest, ui::clWindow);
}

void NativeP::DrawDropDownListBoxGutterBackground(TcxCanvas* ACanvas, const TRect& R) {
  HTHEME h = theme(T::totMenu);
  if (!h) return Base::DrawDropDownListBoxGutterBackground(ACanvas, R);
  drawPart(ACanvas, h, 13, 0, R);
}

void NativeP::DrawDropDownListBoxSelection(TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect) {
  HTHEME h = theme(T::totMenu);
  if (!h) return Base::DrawDropDownListBoxSelection(ACanvas, R, AGutterRect);
  drawPart(ACanvas, h, 14, 2, R);
}

void NativeP::DrawDropDownListBoxSeparator(TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect) {
  HTHEME h = theme(T::totMenu);
  if (!h) return Base::DrawDropDownListBoxSeparator(ACanvas, R, AGutterRect);
  const int lineHeight = trueSize(h, 15, 0).cy;
  const int top = cxCentreStart(R.top, R.bottom, lineHeight);
  drawPart(ACanvas, h, 15, 0, TRect{AGutterRect.right + 2, top, R.right, top + lineHeight});
}

TColor NativeP::DropDownListBoxItemTextColor(bool ASelected) {
  TColor c = ui::clDefault;
  return cxGetThemeColor(T::totMenu, 14, 1, kTextColor, c) ? c : Base::DropDownListBoxItemTextColor(ASelected);
}

int NativeP::DropDownListBoxSeparatorSize() {
  HTHEME h = theme(T::totMenu);
  return h ? trueSize(h, 15, 0).cy : Base::DropDownListBoxSeparatorSize();
}

int NativeP::AlertWindowCornerRadius() { return 5; }

// --- gallery, bevels, calendars, wheel picker ------------------------------------------------
bool NativeP::DrawGalleryItemSelectionFirst() {
  return theme(T::totExplorerListView) ? true : Base::DrawGalleryItemSelectionFirst();
}

void NativeP::DrawGalleryItemSelection(TcxCanvas* ACanvas, const TRect& R, const TdxGalleryItemViewState& AViewState) {
  HTHEME h = theme(T::totExplorerListView);
  if (!h) return Base::DrawGalleryItemSelection(ACanvas, R, AViewState);
  int state = 0;
  if (AViewState.Pressed)
    state = 3;
  else if (AViewState.Checked)
    state = (AViewState.Hover || AViewState.Focused) && core::IsWinVistaOrLater ? 6 : 3;
  else if (AViewState.Focused)
    state = 5;
  else if (AViewState.Hover)
    state = 2;
  if (state) drawPart(ACanvas, h, 1, state, R);
}

TSize NativeP::GetBevelMinimalShapeSize(TdxBevelShape) { return TSize{6, 6}; }

void NativeP::DrawBevelFrame(TcxCanvas* ACanvas, const TRect& R, TColor AColor1, TColor AColor2, bool ABoxStyle) {
  HTHEME h = theme(T::totButton);
  if (!h) return Base::DrawBevelFrame(ACanvas, R, AColor1, AColor2, ABoxStyle);
  drawPart(ACanvas, h, 4, 1, R);
}

void NativeP::DrawBevelLine(TcxCanvas* ACanvas, const TRect& R, TColor AColor1, TColor AColor2, bool AIsVertical) {
  HTHEME h = theme(T::totToolBar);
  if (!h) return Base::DrawBevelLine(ACanvas, R, AColor1, AColor2, AIsVertical);
  drawPart(ACanvas, h, AIsVertical ? 5 : 6, 1, R);
}

void NativeP::DrawModernCalendarDateCellSelection(TcxCanvas* ACanvas, const TRect& R, TcxCalendarElementStates AStates) {
  HTHEME h = theme(T::totExplorerListView);
  if (!h) return Base::DrawModernCalendarDateCellSelection(ACanvas, R, AStates);
  using S = TcxCalendarElementState;
  const bool hot = AStates.contains(S::cesHot), selected = AStates.contains(S::cesSelected);
  if (hot || selected) {
    const int state = selected && hot                        ? 6
                      : selected && AStates.contains(S::cesFocused) ? 3
                      : selected                             ? 5
                                                             : 2;
    drawPart(ACanvas, h, 1, state, R);
  }
  if (AStates.contains(S::cesMarked)) ACanvas->FrameRect(R, GetModernCalendarMarkedCellBorderColor());
  if (AStates.contains(S::cesFocused)) ACanvas->DrawFocusRect(nativeInflated(R, -1));
}

TColor NativeP::GetModernCalendarHeaderTextColor() {
  TColor c = ui::clDefault;
  return cxGetThemeColor(T::totTextStyle, 6, 1, kTextColor, c) ? c : Base::GetModernCalendarHeaderTextColor();
}

void NativeP::DrawWheelPickerItemBackground(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  HTHEME h = theme(T::totExplorerListView);
  if (h && (AState == BS::cxbsHot || AState == BS::cxbsPressed)) {
    drawPart(ACanvas, h, 1, AState == BS::cxbsPressed ? 3 : 5, R);
    return;
  }
  Base::DrawWheelPickerItemBackground(ACanvas, R, AState);
}

void NativeP::DrawWheelPickerItemBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (theme(T::totExplorerListView) && (AState == BS::cxbsHot || AState == BS::cxbsPressed)) return;
  Base::DrawWheelPickerItemBorder(ACanvas, R, AState);
}

// --- theme text -------------------------------------------------------------------------------
void NativeP::DrawContent(TcxCanvas* ACanvas, HTHEME ATheme, int APartId, int AStateId, const TRect&,
                    const TRect& ATextAreaBounds, ui::TAlignment AAlignmentHorz,
                    core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis, bool AShowPrefix,
                    const String& AText, ui::TFont* AFont, TColor ATextColor, TColor) {
  if (AText.empty()) return;
  if (AFont) ACanvas->SetFont(AFont);
  if (ATextColor != ui::clDefault) ACanvas->Font()->SetColor(ATextColor);
  TRect text = ATextAreaBounds;
  if (AMultiLine)
    ACanvas->AlignMultiLineTextRectVertically(text, AText, AAlignmentVert, true, AShowPrefix, true, false,
                                              AShowEndEllipsis);
  int flags = core::SystemAlignmentsHorz[static_cast<int>(AAlignmentHorz)] |
              core::SystemAlignmentsVert[static_cast<int>(AAlignmentVert)] | gdi::DT_EDITCONTROL |
              (AMultiLine ? gdi::DT_WORDBREAK : gdi::DT_SINGLELINE);
  if (AShowEndEllipsis) flags |= gdi::DT_END_ELLIPSIS;
  if (!AShowPrefix) flags |= gdi::DT_NOPREFIX;
  // The part's own text colour unless the caller names one: a header or tab
  // given the grid's text colour shows it.
  if (ATextColor == ui::clDefault || ATextColor == ui::clNone) {
    core::DrawThemeText(ATheme, ACanvas->Handle(), APartId, AStateId, AText, -1, win::DWORD(flags), 0, text);
    return;
  }
  core::TdxDTTOpts options;
  constexpr win::DWORD kTextColorFlag = 0x1;
  options.dwFlags = kTextColorFlag;
  options.crText = ui::ColorToRGB(ATextColor);
  core::DrawThemeTextEx(ATheme, ACanvas->Handle(), APartId, AStateId, AText, -1, win::DWORD(flags), &text, options);
}

}  // namespace lookandfeel
