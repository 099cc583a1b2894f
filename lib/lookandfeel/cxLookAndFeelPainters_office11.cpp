// The Office11 painter. Most of it maps the painter's colour questions onto
// the shared Office11 palette; the rest are the few pictures of its own: the
// header gradient with its blended edge pixels, the hot bar, the expand
// bitmaps and the tube-shaded list and breadcrumb parts.
#include "lib/lookandfeel/cxLookAndFeelPainters_office11.h"

#include "lib/core/cxCanvasText.h"
#include "lib/core/cxGraphicsColors.h"
#include "lib/core/cxPaintTo.h"
#include "lib/core/dxOffice11.h"
#include "lib/core/dxSmartImage.h"
#include "lib/core/dxThemeManager.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "platform/ui/bitmap.h"
#include "platform/ui/canvas.h"
#include "platform/ui/colors.h"

namespace lookandfeel {

using core::TcxBorder;
using core::TcxBorders;
using core::TcxCanvas;
using Office11 = TcxOffice11LookAndFeelPainter;
using ui::TPoint;
using namespace core;  // the palette's colour names

namespace {

bool office11IsEmpty(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }

TRect office11Inset(const TRect& R) { return TRect{R.left + 1, R.top + 1, R.right - 1, R.bottom - 1}; }

void pixel(TcxCanvas* ACanvas, int X, int Y, TColor AColor) { ACanvas->FillRect(TRect{X, Y, X + 1, Y + 1}, AColor); }

// A vertical gradient from ATop at the top row to ABottom at the bottom row.
void gradient(TcxCanvas* ACanvas, const TRect& R, TColor ATop, TColor ABottom) {
  if (!office11IsEmpty(R)) core::FillGradientRect(ACanvas->Handle(), R, ATop, ABottom, false);
}

TColor mid(TColor A, TColor B, int APercentOfA) { return core::dxGetMiddleRGB(A, B, APercentOfA); }

}  // namespace

Office11::TcxOffice11LookAndFeelPainter() { CreateOffice11Colors(); }
Office11::~TcxOffice11LookAndFeelPainter() { ReleaseOffice11Colors(); }

TcxCustomLookAndFeelPainter* Office11::NativePainter() {
  TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
  return manager ? manager->GetPainter(TcxLookAndFeelStyle::lfsNative) : nullptr;
}

// --- identity -----------------------------------------------------------------------------------
String Office11::LookAndFeelName() { return u"Office11"; }
TcxLookAndFeelStyle Office11::LookAndFeelStyle() { return TcxLookAndFeelStyle::lfsOffice11; }
bool Office11::NeedRedrawOnResize() { return true; }

// --- colours --------------------------------------------------------------------------------------
TColor Office11::HeaderTopColor() { return mid(dxOffice11ToolbarsColor1, dxOffice11ToolbarsColor2, 50); }
TColor Office11::HeaderBottomColor() { return dxOffice11ToolbarsColor2; }
TColor Office11::HeaderDarkEdgeColor() { return dxOffice11BarSeparatorColor1; }
TColor Office11::HeaderHighlightEdgeColor() { return dxOffice11BarSeparatorColor2; }

TColor Office11::DefaultDateNavigatorHeaderHighlightTextColor() { return ui::clHighlightText; }
TColor Office11::DefaultControlColor() { return dxOffice11DockColor2; }
TColor Office11::DefaultControlTextColor() { return dxOffice11TextEnabledColor; }
TColor Office11::DefaultFilterBoxColor() { return dxOffice11BarFloatingBorderColor1; }
TColor Office11::DefaultFilterBoxTextColor() { return dxOffice11BarFloatingCaptionTextColor1; }
TColor Office11::DefaultFooterColor() { return dxOffice11DockColor1; }
TColor Office11::DefaultFooterTextColor() { return DefaultHeaderTextColor(); }
TColor Office11::DefaultGroupByBoxColor() { return dxOffice11InPlaceSubItemColor; }
TColor Office11::DefaultGroupByBoxTextColor() { return dxOffice11ToolbarsColor1; }
TColor Office11::DefaultGroupColor() { return dxOffice11GroupColor; }
TColor Office11::DefaultHeaderBackgroundColor() { return DefaultGroupByBoxColor(); }
TColor Office11::DefaultHeaderColor() { return HeaderTopColor(); }
TColor Office11::DefaultDateNavigatorHeaderColor() { return dxOffice11DockColor1; }
TColor Office11::DefaultDateNavigatorSelectionColor() { return dxOffice11DayNavigatorSelectedColor; }
TColor Office11::DefaultDateNavigatorSelectionTextColor() { return ui::clWindowText; }
TColor Office11::DefaultSchedulerBorderColor() { return dxOffice11OutlookBorderColor; }
TColor Office11::DefaultSchedulerControlColor() { return dxOffice11OutlookControlColor; }
TColor Office11::DefaultTabColor() { return dxOffice11DockColor2; }
TColor Office11::DefaultTabsBackgroundColor() { return DefaultTabColor(); }
TColor Office11::DefaultTimeGridMinorScaleColor() { return dxOffice11DockColor1; }
TColor Office11::DefaultTimeGridSelectionBarColor() { return DefaultSchedulerControlColor(); }

TColor Office11::ButtonColor(TcxButtonState AState) {
  switch (AState) {
    case TcxButtonState::cxbsHot: return dxOffice11SelectedColor1;
    case TcxButtonState::cxbsPressed: return dxOffice11SelectedDownColor1;
    case TcxButtonState::cxbsDisabled: return ui::clBtnFace;
    default: return dxOffice11DockColor1;
  }
}

TColor Office11::ButtonSymbolColor(TcxButtonState AState, TColor) {
  // With a system-derived palette the pressed tint is dark, so the symbol
  // turns light; the scheme palettes keep it readable in the normal colour.
  if (AState == TcxButtonState::cxbsPressed && !IsXPStandardScheme()) return ui::clHighlightText;
  if (AState == TcxButtonState::cxbsDisabled) return dxOffice11TextDisabledColor;
  return dxOffice11TextEnabledColor;
}

TColor Office11::CheckButtonColor(TcxButtonState AState, TcxCheckBoxState ACheckState) {
  switch (AState) {
    case TcxButtonState::cxbsHot:
    case TcxButtonState::cxbsPressed:
    case TcxButtonState::cxbsDisabled: return ButtonColor(AState);
    default: return TcxOffice11ParentPainter::CheckButtonColor(AState, ACheckState);
  }
}

TColor Office11::RadioButtonBodyColor(TcxButtonState AState) {
  return AState == TcxButtonState::cxbsNormal ? ui::clWindow : ButtonColor(AState);
}

TColor Office11::FooterSeparatorColor() { return HeaderDarkEdgeColor(); }
TColor Office11::FilterDropDownButtonBorderColor(TcxButtonState AState) {
  return AState == TcxButtonState::cxbsNormal ? HeaderDarkEdgeColor() : dxOffice11SelectedBorderColor;
}
TColor Office11::TabBorderHighlightColor() { return HeaderDarkEdgeColor(); }
TColor Office11::TabBorderDarkColor() { return TcxOffice11ParentPainter::TabBorderDarkColor(); }
TColor Office11::BorderHighlightColor() { return dxOffice11SelectedBorderColor; }
TColor Office11::GetSplitterInnerColor(bool) { return dxOffice11BarSeparatorColor2; }
TColor Office11::GetSplitterOuterColor(bool AHighlighted) {
  return AHighlighted ? dxOffice11SelectedBorderColor : dxOffice11BarSeparatorColor1;
}
TColor Office11::BreadcrumbEditBackgroundColor(TdxBreadcrumbEditState) { return HeaderTopColor(); }
void Office11::GetBevelShapeColors(TColor& AColor1, TColor& AColor2) {
  AColor1 = dxOffice11BarSeparatorColor1;
  AColor2 = dxOffice11BarSeparatorColor2;
}
TColor Office11::RichEditControlHeaderFooterLineColor() { return dxOffice11DockColor1; }
TColor Office11::RichEditControlHeaderFooterMarkBackColor() { return dxOffice11DockColor2; }
TColor Office11::RichEditRulerInactiveAreaColor() { return dxOffice11DockColor1; }
TColor Office11::RichEditRulerTabTypeToggleBorderColor() { return dxOffice11DropDownBorderColor1; }

TColor Office11::GroupBoxTextColor(bool AEnabled, TcxGroupBoxCaptionPosition ACaptionPosition) {
  TcxCustomLookAndFeelPainter* native = NativePainter();
  if (native && AreVisualStylesAvailable(TdxThemedObjectType::totButton))
    return native->GroupBoxTextColor(AEnabled, ACaptionPosition);
  return TcxOffice11ParentPainter::GroupBoxTextColor(AEnabled, ACaptionPosition);
}

// --- measures -------------------------------------------------------------------------------------
int Office11::SeparatorSize() { return 2; }
int Office11::ExpandButtonSize() { return cxGetValueCurrentDPI(11); }
bool Office11::DrawExpandButtonFirst() { return false; }
int Office11::SmallExpandButtonSize() { return ExpandButtonSize(); }
TcxBorders Office11::HeaderBorders(TcxNeighbors) { return core::cxBordersAll; }
int Office11::HeaderBorderSize() { return 1; }
bool Office11::IsHeaderHotTrack() { return true; }
int Office11::GridBordersOverlapSize() { return 0; }
int Office11::NavigatorBorderSize() { return 1; }
TSize Office11::GetBevelMinimalShapeSize(TdxBevelShape) { return TSize{2, 2}; }

TSize Office11::ClockSize() {
  core::TdxSmartImage* face = GetClockFace();
  return face ? TSize{face->Width(), face->Height()} : TSize{};
}

int Office11::ScrollBarMinimalThumbSize(bool AVertical) {
  if (TcxCustomLookAndFeelPainter* native = NativePainter()) return native->ScrollBarMinimalThumbSize(AVertical);
  return TcxOffice11ParentPainter::ScrollBarMinimalThumbSize(AVertical);
}

// --- content and headers -------------------------------------------------------------------------
void Office11::DrawContent(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, int AState,
                    ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                    bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor, TColor,
                    TcxDrawBackgroundEvent AOnDrawBackground, bool AIsFooter) {
  const bool hot = AState == int(TcxButtonState::cxbsHot);
  if (!(AOnDrawBackground && AOnDrawBackground(ACanvas, ABounds))) {
    const TColor top = hot ? dxOffice11ToolbarsColor1 : HeaderTopColor();
    const TColor bottom = hot ? dxOffice11ToolbarsColor1 : HeaderBottomColor();
    if (AIsFooter) {
      ACanvas->FillRect(ABounds, top);
    } else {
      // The flat part and the gradient strip overlap by one row, so a header
      // of any height shows the same four-row shading at its foot.
      ACanvas->FillRect(TRect{ABounds.left, ABounds.top, ABounds.right, ABounds.bottom - 3}, top);
      gradient(ACanvas, TRect{ABounds.left, ABounds.bottom - 4, ABounds.right, ABounds.bottom}, top, bottom);
    }
  }
  if (!AText.empty()) {
    ACanvas->Brush()->SetStyle(ui::TBrushStyle::bsClear);
    if (AFont) ACanvas->SetFont(AFont);
    ACanvas->Font()->SetColor(ATextColor);
    const int flags = core::cxAlignmentHorz(AAlignmentHorz) | core::cxAlignmentVert(AAlignmentVert) |
                      (AMultiLine ? core::cxWordBreak : core::cxSingleLine) |
                      (AShowEndEllipsis ? core::cxShowEndEllipsis : 0);
    ACanvas->DrawText(AText, ATextAreaBounds, flags);
    ACanvas->Brush()->SetStyle(ui::TBrushStyle::bsSolid);
  }
  if (hot)
    gradient(ACanvas, TRect{ABounds.left - 1, ABounds.bottom - 2, ABounds.right, ABounds.bottom + 1},
             dxOffice11SelectedColor1, dxOffice11SelectedColor2);
}

void Office11::DrawHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TcxNeighbors ANeighbors,
                   TcxBorders ABorders, TcxButtonState AState, ui::TAlignment AAlignmentHorz,
                   core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                   ui::TFont* AFont, TColor ATextColor, TColor ABkColor, TcxDrawBackgroundEvent, bool, bool) {
  // The base steps, with two differences: the gradient is the header's
  // background, so a caller's background event is not passed (and the group
  // form has no look of its own); and the content gets the header's state,
  // since this look tracks hot headers and shows them with the hot bar.
  DrawHeaderBorder(ACanvas, ABounds, ANeighbors, ABorders);
  DrawContent(ACanvas, HeaderContentBounds(ABounds, ABorders), ATextAreaBounds, int(AState), AAlignmentHorz,
              AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, nullptr);
}

void Office11::DrawHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxNeighbors ANeighbors, TcxBorders ABorders) {
  const TColor top = HeaderTopColor();
  const TColor bottom = HeaderBottomColor();
  const TColor dark = HeaderDarkEdgeColor();
  const TColor light = HeaderHighlightEdgeColor();
  if (ABorders.contains(TcxBorder::bTop)) ACanvas->FillRect(TRect{R.left, R.top, R.right, R.top + 1}, top);
  if (ABorders.contains(TcxBorder::bBottom)) ACanvas->FillRect(TRect{R.left, R.bottom - 1, R.right, R.bottom}, dark);
  if (ABorders.contains(TcxBorder::bLeft)) {
    pixel(ACanvas, R.left, R.top + 1, top);
    if (ANeighbors.contains(TcxNeighbor::nLeft)) {
      pixel(ACanvas, R.left, R.top + 2, top);
      pixel(ACanvas, R.left, R.bottom - 3, mid(top, bottom, 25));
      pixel(ACanvas, R.left, R.bottom - 2, bottom);
      ACanvas->FillRect(TRect{R.left, R.top + 2, R.left + 1, R.bottom - 3}, light);
    } else {
      pixel(ACanvas, R.left, R.bottom - 2, bottom);
      ACanvas->FillRect(TRect{R.left, R.top + 1, R.left + 1, R.bottom - 2}, light);
    }
  }
  if (ABorders.contains(TcxBorder::bRight)) {
    const int x = R.right - 1;
    if (ANeighbors.contains(TcxNeighbor::nRight)) {
      pixel(ACanvas, x, R.top + 1, top);
      pixel(ACanvas, x, R.top + 2, top);
      pixel(ACanvas, x, R.bottom - 3, mid(top, bottom, 25));
      pixel(ACanvas, x, R.bottom - 2, bottom);
      ACanvas->FillRect(TRect{x, R.top + 2, x + 1, R.bottom - 3}, dark);
    } else {
      pixel(ACanvas, x, R.top, mid(top, dark, 50));
      pixel(ACanvas, x, R.bottom - 2, mid(bottom, dark, 50));
      ACanvas->FillRect(TRect{x, R.top + 1, x + 1, R.bottom - 2}, dark);
    }
  }
}

void Office11::DrawHeaderControlSection(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                 TcxNeighbors, TcxBorders ABorders, TcxButtonState AState,
                                 ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                 bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor,
                                 TColor ABkColor) {
  DrawHeader(ACanvas, ABounds, ATextAreaBounds, TcxNeighbors{TcxNeighbor::nRight}, ABorders, AState, AAlignmentHorz,
             AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, nullptr, false, false);
  if (AState == TcxButtonState::cxbsPressed) DrawHeaderPressed(ACanvas, ABounds);
}

void Office11::DrawSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  DrawSortingArrow(ACanvas, R, AAscendingSorting, HeaderDarkEdgeColor(), HeaderHighlightEdgeColor());
}

void Office11::DrawSummarySortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  DrawSummarySortingArrow(ACanvas, R, AAscendingSorting, HeaderDarkEdgeColor(), HeaderHighlightEdgeColor());
}

void Office11::LayoutViewDrawRecordCaption(TcxCanvas* ACanvas, const TRect& R, const TRect&,
                                    TcxGroupBoxCaptionPosition APosition, TcxButtonState AState) {
  LayoutViewDrawRecordBorder(ACanvas, R, AState, core::cxBordersAll);
  // A caption on a left or right side gets the header's bottom gradient; a
  // caption on top or bottom is one flat fill, like a footer.
  const bool vertical =
      APosition == TcxGroupBoxCaptionPosition::cxgpLeft || APosition == TcxGroupBoxCaptionPosition::cxgpRight;
  DrawContent(ACanvas, R, TRect{}, int(AState), ui::TAlignment::taLeftJustify, core::TcxAlignmentVert::vaTop, false,
              false, String(), nullptr, ui::clDefault, ui::clDefault, nullptr, !vertical);
}

// --- borders, separators and buttons ---------------------------------------------------------------
void Office11::DrawBorder(TcxCanvas* ACanvas, const TRect& R) { ACanvas->FrameRect(R, dxOffice11ControlBorderColor); }

void Office11::DoDrawSeparator(TcxCanvas* ACanvas, const TRect& R, bool) {
  const TRect dark{R.left, R.top, R.right - 1, R.bottom - 1};
  ACanvas->FillRect(dark, dxOffice11BarSeparatorColor1);
  ACanvas->FillRect(TRect{dark.left + 1, dark.top + 1, dark.right + 1, dark.bottom + 1}, dxOffice11BarSeparatorColor2);
}

void Office11::DrawButtonBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  switch (AState) {
    case TcxButtonState::cxbsDefault: TcxOffice11ParentPainter::DrawButtonBorder(ACanvas, R, AState); break;
    case TcxButtonState::cxbsNormal: ACanvas->FrameRect(R, ui::clBtnText); break;
    case TcxButtonState::cxbsDisabled: ACanvas->FrameRect(R, dxOffice11TextDisabledColor); break;
    default: ACanvas->FrameRect(R, dxOffice11SelectedBorderColor); break;
  }
}

void Office11::DrawExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor) {
  ui::TBitmap* bitmap = AExpanded ? dxOffice11ExpandButtonBitmap1 : dxOffice11ExpandButtonBitmap2;
  if (!bitmap) return;
  // The corners are rewritten on the shared bitmap before every draw (all
  // four each time), so the rounded look blends into whatever lies beneath.
  // They are the bitmap's own corners: the artwork decides the size.
  ui::TCanvas* target = ACanvas->Canvas();
  ui::TCanvas* source = bitmap->Canvas();
  const int last = bitmap->Width() - 1;
  const int lastRow = bitmap->Height() - 1;
  const TColor topLeft = mid(dxOffice11ExpandButtonColor1, target->Pixels(R.left, R.top), 25);
  const TColor other = mid(dxOffice11ExpandButtonColor2, target->Pixels(R.right - 1, R.bottom - 1), 25);
  source->SetPixels(0, 0, topLeft);
  source->SetPixels(last, lastRow, other);
  source->SetPixels(0, lastRow, other);
  source->SetPixels(last, 0, other);
  ACanvas->Draw(R.left, R.top, bitmap);
}

void Office11::DrawSmallExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor, TColor AColor) {
  DrawExpandButton(ACanvas, R, AExpanded, AColor);
}

void Office11::DrawFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AIsFilterActive) {
  ACanvas->FrameRect(R, FilterDropDownButtonBorderColor(AState));
  const TRect inner = office11Inset(R);
  ACanvas->FillRect(inner, ButtonColor(AState));
  DrawButtonArrow(ACanvas, inner, AIsFilterActive ? ui::clBlue : ButtonSymbolColor(AState, ui::clDefault));
}

// --- scroll bars, size grip, group boxes: native when there is a native painter ---------------------
void Office11::DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                          TcxButtonState AState) {
  if (TcxCustomLookAndFeelPainter* native = NativePainter())
    native->DrawScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
  else
    TcxOffice11ParentPainter::DrawScrollBarPart(ACanvas, AHorizontal, R, APart, AState);
}

void Office11::DoDrawSizeGrip(TcxCanvas* ACanvas, const TRect& R) { Office11DrawSizeGrip(ACanvas->Handle(), R); }

void Office11::DrawGroupBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition ACaptionPosition,
                          TcxBorders ABorders) {
  TcxCustomLookAndFeelPainter* native = NativePainter();
  if (native && AreVisualStylesAvailable(TdxThemedObjectType::totButton))
    native->DrawGroupBoxFrame(ACanvas, R, ACaptionPosition, ABorders);
  else
    TcxOffice11ParentPainter::DrawGroupBoxFrame(ACanvas, R, ACaptionPosition, ABorders);
}

// --- scheduler and calendars ------------------------------------------------------------------------
void Office11::DrawSchedulerNavigationButtonContent(TcxCanvas* ACanvas, const TRect& R, const TRect& AArrowRect,
                                             bool AIsNextButton, TcxButtonState AState) {
  TColor fill = dxOffice11DockColor1;
  if (AState == TcxButtonState::cxbsHot) fill = dxOffice11SelectedColor1;
  if (AState == TcxButtonState::cxbsPressed) fill = dxOffice11SelectedDownColor1;
  ACanvas->FillRect(R, fill);
  // The outer side stays open where the button meets the scheduler's edge.
  const TcxBorders borders = AIsNextButton ? TcxBorders{TcxBorder::bLeft, TcxBorder::bTop, TcxBorder::bBottom}
                                           : TcxBorders{TcxBorder::bTop, TcxBorder::bRight, TcxBorder::bBottom};
  ACanvas->FrameRect(R, dxOffice11OutlookBorderColor, 1, borders);
  DrawSchedulerNavigationButtonArrow(ACanvas, AArrowRect, AIsNextButton, ButtonSymbolColor(AState));
}

void Office11::DrawSchedulerNavigatorButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  if (TcxCustomLookAndFeelPainter* native = NativePainter())
    native->DrawSchedulerNavigatorButton(ACanvas, R, AState);
  else
    TcxOffice11ParentPainter::DrawSchedulerNavigatorButton(ACanvas, R, AState);
}

void Office11::DrawSchedulerBorder(TcxCanvas* ACanvas, const TRect& R) { ACanvas->FrameRect(R, DefaultSchedulerBorderColor()); }

void Office11::DrawMonthHeader(TcxCanvas* ACanvas, const TRect& ABounds, const String& AText, TcxNeighbors,
                        const core::TcxViewParams& AViewParams, TcxArrowDirections AArrows, int ASideWidth,
                        TcxDrawBackgroundEvent AOnDrawBackground) {
  const TRect R = office11Inset(ABounds);
  if (!(AOnDrawBackground && AOnDrawBackground(ACanvas, R))) ACanvas->FillRect(R, AViewParams);
  if (!AText.empty()) {
    ACanvas->Brush()->SetStyle(ui::TBrushStyle::bsClear);
    if (AViewParams.Font) ACanvas->SetFont(AViewParams.Font);
    ACanvas->Font()->SetColor(AViewParams.TextColor);
    ACanvas->DrawText(AText, R, core::cxAlignHCenter | core::cxAlignVCenter | core::cxSingleLine);
    ACanvas->Brush()->SetStyle(ui::TBrushStyle::bsSolid);
  }
  DrawMonthHeaderArrows(ACanvas, ABounds, AArrows, ASideWidth, ui::clWindowText);
}

void Office11::DrawDateNavigatorDateHeader(TcxCanvas* ACanvas, TRect& R) {
  ACanvas->FillRect(R, DefaultDateNavigatorHeaderColor());
}

void Office11::DrawClock(TcxCanvas* ACanvas, const TRect& R, rtl::TDateTime ADateTime, TColor ABackgroundColor) {
  DrawModernCalendarClock(ACanvas, R, ADateTime, ABackgroundColor);
}

// --- track bars, panels and backgrounds ------------------------------------------------------------
void Office11::DrawTrackBarTrackBounds(TcxCanvas* ACanvas, const TRect& R) { ACanvas->FrameRect(R, ui::clBtnText); }

void Office11::DrawTrackBarThumbBorderUpDown(TcxCanvas* ACanvas, const std::vector<TPoint>& ALightPolyLine,
                                      const std::vector<TPoint>&, const std::vector<TPoint>& ADarkPolyLine) {
  ACanvas->Pen()->SetColor(ui::clBtnText);
  ACanvas->Polyline(ALightPolyLine);
  ACanvas->Polyline(ADarkPolyLine);
}

void Office11::DrawTrackBarThumbBorderBoth(TcxCanvas* ACanvas, const TRect& R) { ACanvas->FrameRect(R, ui::clBtnText); }

void Office11::DrawPanelBackground(TcxCanvas* ACanvas, ui::TWinControl* AControl, const TRect& ABounds, TColor AColorFrom,
                            TColor AColorTo) {
  if (AColorFrom == ui::clDefault)
    core::cxDrawTransparentControlBackground(AControl, ACanvas, ABounds);
  else if (AColorTo == ui::clDefault)
    ACanvas->FillRect(ABounds, AColorFrom);
  else
    gradient(ACanvas, ABounds, AColorFrom, AColorTo);
}

void Office11::DrawLayoutControlBackground(TcxCanvas* ACanvas, const TRect& R) {
  gradient(ACanvas, R, dxOffice11ToolbarsColor1, dxOffice11ToolbarsColor2);
}

void Office11::DrawAlertWindowBackground(TcxCanvas* ACanvas, const TRect& R) {
  ACanvas->FrameRect(R, dxOffice11ControlBorderColor);
  gradient(ACanvas, office11Inset(R), dxOffice11DockColor2, dxOffice11DockColor1);
}

// --- breadcrumb edit and drop-down list box ----------------------------------------------------------
void Office11::DrawBreadcrumbEditBorders(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, TdxBreadcrumbEditState) {
  ACanvas->FrameRect(R, dxOffice11ControlBorderColor, 1, ABorders);
}

void Office11::DrawBreadcrumbEditCustomButton(TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                       TcxBorders ABorders) {
  if (office11IsEmpty(R)) return;
  TColor from = HeaderTopColor();
  TColor to = from;
  switch (AState) {
    case TdxBreadcrumbEditButtonState::dxbcbsFocused: from = to = dxOffice11SelectedColor1; break;
    case TdxBreadcrumbEditButtonState::dxbcbsHot:
      from = dxOffice11SelectedColor1;
      to = dxOffice11SelectedColor2;
      break;
    case TdxBreadcrumbEditButtonState::dxbcbsPressed:
      from = dxOffice11DownedColor;
      to = dxOffice11SelectedColor1;
      break;
    default: break;
  }
  Office11FillTubeGradientRect(ACanvas->Handle(), R, from, to, false);
  ACanvas->FrameRect(R, dxOffice11DropDownBorderColor1, 1, ABorders);
}

void Office11::DrawDropDownListBoxBackground(TcxCanvas* ACanvas, const TRect& R, bool AHasBorders) {
  TRect body = R;
  if (AHasBorders) {
    ACanvas->FrameRect(body, dxOffice11DropDownBorderColor1);
    body = office11Inset(body);
    ACanvas->FrameRect(body, dxOffice11DropDownBorderColor2);
    body = office11Inset(body);
  }
  ACanvas->FillRect(body, dxOffice11MenuColor);
}

void Office11::DrawDropDownListBoxGutterBackground(TcxCanvas* ACanvas, const TRect& R) {
  Office11FillTubeGradientRect(ACanvas->Handle(), R, dxOffice11MenuIndentColor1, dxOffice11MenuIndentColor2, true);
}

void Office11::DrawDropDownListBoxSelection(TcxCanvas* ACanvas, const TRect& R, const TRect&) {
  ACanvas->FillRect(R, dxOffice11SelectedColor1);
  Office11FrameSelectedRect(ACanvas->Handle(), R);
}

void Office11::DrawDropDownListBoxSeparator(TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect) {
  const int y = cxCentreStart(R.top, R.bottom, 1);
  ACanvas->FillRect(TRect{AGutterRect.right + 8, y, R.right, y + 1}, dxOffice11BarSeparatorColor1);
}

}  // namespace lookandfeel
