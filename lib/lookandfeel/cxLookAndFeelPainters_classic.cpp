// The Standard, Flat and UltraFlat painters. Most of each painter is a
// composition of one-pixel frames in the system colours; the few operations
// with real geometry (button and header borders, tab lines, scroll-bar parts,
// splitter borders) say why they are drawn the way they are.
#include "lib/lookandfeel/cxLookAndFeelPainters_classic.h"

#include "lib/core/cxGraphics.h"
#include "lib/core/cxGraphicsColors.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "platform/gdi/edge.h"
#include "platform/ui/colors.h"

namespace lookandfeel {

using namespace ui;
using core::TcxBorder;
using core::TcxBorders;
using core::TcxCanvas;
using BS = TcxButtonState;

namespace {

constexpr TColor rgb(int ARed, int AGreen, int ABlue) { return TColor(ARed | (AGreen << 8) | (ABlue << 16)); }
constexpr bool classicIsEmpty(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }
constexpr TRect inset(const TRect& R, int ADelta = 1) {
  return TRect{R.left + ADelta, R.top + ADelta, R.right - ADelta, R.bottom - ADelta};
}
constexpr TRect moved(const TRect& R, int ADX, int ADY) {
  return TRect{R.left + ADX, R.top + ADY, R.right + ADX, R.bottom + ADY};
}

// Frame (A / B): colour A on the left and top, B on the right and bottom.
void frame(TcxCanvas* ACanvas, const TRect& R, TColor ALeftTop, TColor ARightBottom,
           TcxBorders ABorders = core::cxBordersAll) {
  ACanvas->DrawComplexFrame(R, ALeftTop, ARightBottom, ABorders, 1);
}
void raisedInner(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders = core::cxBordersAll) {
  ACanvas->DrawEdge(R, false, false, ABorders);
}
void sunkenOuter(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders = core::cxBordersAll) {
  ACanvas->DrawEdge(R, true, true, ABorders);
}

// The classic two-pixel sunken border of edits and track-bar tracks.
void sunkenBorder2(TcxCanvas* ACanvas, const TRect& R) {
  frame(ACanvas, R, clBtnShadow, clBtnHighlight);
  frame(ACanvas, inset(R), cl3DDkShadow, cl3DLight);
}
// The classic two-pixel raised edge of buttons and thumbs.
void raisedBorder2(TcxCanvas* ACanvas, const TRect& R) {
  frame(ACanvas, R, clBtnHighlight, cl3DDkShadow);
  frame(ACanvas, inset(R), cl3DLight, clBtnShadow);
}

// Adjacent headers share their edge: the joint pixels take the face colour
// (and the top-right one the highlight) so no corner shows between them.
void drawJoinedHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxNeighbors ANeighbors) {
  raisedInner(ACanvas, R);
  if (ANeighbors.contains(TcxNeighbor::nLeft)) {
    ACanvas->SetPixel(R.left, R.top + 1, clBtnFace);
    ACanvas->SetPixel(R.left, R.bottom - 2, clBtnFace);
  }
  if (ANeighbors.contains(TcxNeighbor::nRight)) {
    ACanvas->SetPixel(R.right - 1, R.top, clBtnHighlight);
    ACanvas->SetPixel(R.right - 1, R.top + 1, clBtnFace);
    ACanvas->SetPixel(R.right - 1, R.bottom - 2, clBtnFace);
  }
}

// One side of a classic tab: shadow on the side facing away from the light
// (right of a horizontal tab, bottom of a vertical one), highlight elsewhere.
// The lines are shortened so the corners come out rounded.
void drawClassicTabBorder(TcxCanvas* ACanvas, TRect R, TcxBorder ABorder, TcxBorders ABorders, bool AVertical) {
  const bool dark = AVertical ? ABorder == TcxBorder::bBottom : ABorder == TcxBorder::bRight;
  if (!AVertical) {
    if (ABorder == TcxBorder::bLeft || ABorder == TcxBorder::bRight) {
      if (ABorders.contains(TcxBorder::bTop)) R.top += 2;
      if (ABorders.contains(TcxBorder::bBottom)) R.bottom -= 1;
    } else if (ABorder == TcxBorder::bTop) {
      R.left += 1;
      R.right -= 1;
      ACanvas->SetPixel(R.left - 1, R.top + 1, clBtnHighlight);
      ACanvas->SetPixel(R.right, R.top + 1, clBtnHighlight);
    }
  } else if (ABorder == TcxBorder::bLeft) {
    R.top += ABorders.contains(TcxBorder::bTop) ? 2 : 1;
    R.bottom -= ABorders.contains(TcxBorder::bBottom) ? 2 : 1;
    ACanvas->SetPixel(R.left + 1, R.top - 1, clBtnHighlight);
    ACanvas->SetPixel(R.left + 1, R.bottom, clBtnHighlight);
  } else if ((ABorder == TcxBorder::bTop || ABorder == TcxBorder::bBottom) && ABorders.contains(TcxBorder::bLeft)) {
    R.left += 1;
  }
  ACanvas->FillRect(R, dark ? clBtnShadow : clBtnHighlight);
}

void drawClassicFilterDropDownButton(TcxCustomLookAndFeelPainter* APainter, TcxCanvas* ACanvas, const TRect& R,
                                     BS AState, bool AIsFilterActive) {
  if (classicIsEmpty(R)) return;
  if (AState == BS::cxbsPressed)
    sunkenOuter(ACanvas, R);
  else
    raisedInner(ACanvas, R);
  const TRect content = inset(R);
  ACanvas->FillRect(content, clBtnFace);
  APainter->DrawButtonArrow(ACanvas, content, AIsFilterActive ? ActiveFilterButtonArrowColor : clBtnText);
}

// The page areas of the classic scroll bars share one checkerboard brush.
void drawPageArea(TcxCanvas* ACanvas, const TRect& R, BS AState) {
  ACanvas->FillRect(R, StdScrollBitmaps(AState == BS::cxbsPressed));
  ACanvas->Brush()->SetStyle(bsSolid);
}

void drawPolyline(TcxCanvas* ACanvas, const std::vector<TPoint>& APoints, TColor AColor) {
  if (APoints.empty()) return;
  ACanvas->Pen()->SetColor(AColor);
  ACanvas->Polyline(APoints);
}

// Two passes of edge lines along the long sides of a splitter, each pass
// stepping R inwards across the splitter and outwards along it, then the
// rest in the view's colours.
void drawSplitterBorder(TcxCanvas* ACanvas, TRect R, const core::TcxViewParams& AViewParams, bool AIsHorizontal,
                        const TColor (&ALight)[2], const TColor (&ADark)[2], int APasses) {
  for (int pass = 0; pass < APasses; ++pass) {
    if (AIsHorizontal) {
      ACanvas->FillRect(TRect{R.left, R.top, R.right, R.top + 1}, ALight[pass]);
      ACanvas->FillRect(TRect{R.left, R.bottom - 1, R.right, R.bottom}, ADark[pass]);
      R = TRect{R.left - 1, R.top + 1, R.right + 1, R.bottom - 1};
    } else {
      ACanvas->FillRect(TRect{R.left, R.top, R.left + 1, R.bottom}, ALight[pass]);
      ACanvas->FillRect(TRect{R.right - 1, R.top, R.right, R.bottom}, ADark[pass]);
      R = TRect{R.left + 1, R.top - 1, R.right - 1, R.bottom + 1};
    }
  }
  ACanvas->FillRect(R, AViewParams);
}

}  // namespace

// ================================================================================================
// Standard
// ================================================================================================
using SP = TcxStandardLookAndFeelPainter;

String SP::LookAndFeelName() { return u"Standard"; }
TcxLookAndFeelStyle SP::LookAndFeelStyle() { return TcxLookAndFeelStyle::lfsStandard; }
TColor SP::DefaultSchedulerViewContentColor() { return clWindow; }
int SP::BorderSize() { return 2; }
void SP::DrawBorder(TcxCanvas* ACanvas, const TRect& R) { sunkenBorder2(ACanvas, R); }
int SP::ButtonBorderSize(BS AState) { return AState == BS::cxbsDefault ? 3 : 2; }
int SP::ButtonTextOffset() { return 1; }
int SP::ButtonTextShift() { return 1; }

void SP::DrawButtonBorder(TcxCanvas* ACanvas, const TRect& R, BS AState) {
  TRect r = R;
  if (AState == BS::cxbsPressed) {
    // Pressed: flat, a black ring around a shadow ring.
    ACanvas->FrameRect(r, clBlack);
    frame(ACanvas, inset(r), clBtnShadow, clBtnShadow);
    return;
  }
  if (AState == BS::cxbsDefault) {
    // The default button carries a black ring outside its raised edge.
    ACanvas->FrameRect(r, clBlack);
    r = inset(r);
  }
  raisedBorder2(ACanvas, r);
}

bool SP::IsButtonHotTrack() { return false; }
int SP::ExpandButtonSize() { return core::cxGetValueCurrentDPI(12); }

void SP::DrawExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  ACanvas->DrawEdge(R, false, false, {TcxBorder::bLeft, TcxBorder::bTop});
  ACanvas->DrawEdge(R, false, true, {TcxBorder::bRight, TcxBorder::bBottom});
  TRect r = inset(R);
  ACanvas->DrawEdge(r, false, false, {TcxBorder::bRight, TcxBorder::bBottom});
  r.right -= 1;
  r.bottom -= 1;
  ACanvas->FillRect(r, core::cxGetActualColor(AColor, clBtnFace));
  DrawExpandButtonCross(ACanvas, r, AExpanded, clBtnText);
  ACanvas->ExcludeClipRect(R);
}

void SP::DrawGroupExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, BS AState) {
  // Group buttons are the flat ones in this style; without the Flat painter
  // the base drawing serves.
  TcxLookAndFeelPaintersManager* manager = cxLookAndFeelPaintersManager();
  TcxCustomLookAndFeelPainter* flat = manager ? manager->GetPainter(TcxLookAndFeelStyle::lfsFlat) : nullptr;
  if (flat && flat != this)
    flat->DrawGroupExpandButton(ACanvas, R, AExpanded, AState);
  else
    TcxCustomLookAndFeelPainter::DrawGroupExpandButton(ACanvas, R, AExpanded, AState);
}

void SP::DrawHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxNeighbors ANeighbors, TcxBorders) {
  drawJoinedHeaderBorder(ACanvas, R, ANeighbors);
}

void SP::DrawHeaderControlSectionBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, BS AState) {
  if (AState == BS::cxbsPressed) {
    frame(ACanvas, R, clBtnShadow, clBtnShadow, ABorders);
    return;
  }
  frame(ACanvas, R, clBtnHighlight, cl3DDkShadow, ABorders);
  frame(ACanvas, inset(R), cl3DLight, clBtnShadow, ABorders);
}

void SP::DrawSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  DrawSortingArrow(ACanvas, R, AAscendingSorting, clBtnShadow, clBtnHighlight);
}
void SP::DrawSummarySortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  DrawSummarySortingArrow(ACanvas, R, AAscendingSorting, clBtnShadow, clBtnHighlight);
}
int SP::HeaderBorderSize() { return 1; }
int SP::HeaderControlSectionBorderSize(BS AState) { return AState == BS::cxbsPressed ? 1 : 2; }
TSize SP::SortingMarkSize() { return core::cxGetValueCurrentDPI(TSize{8, 7}); }
TSize SP::SummarySortingMarkSize() { return core::cxGetValueCurrentDPI(TSize{8, 8}); }
int SP::FooterBorderSize() { return 1; }
int SP::FooterCellBorderSize() { return 1; }
int SP::FooterCellOffset() { return 1; }
void SP::DrawFooterBorder(TcxCanvas* ACanvas, const TRect& R) { raisedInner(ACanvas, R); }
void SP::DrawFooterCellBorder(TcxCanvas* ACanvas, const TRect& R) { sunkenOuter(ACanvas, R); }
void SP::DrawFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, BS AState, bool AIsFilterActive) {
  drawClassicFilterDropDownButton(this, ACanvas, R, AState, AIsFilterActive);
}
void SP::DrawFindPanelBorder(TcxCanvas*, const TRect&, TcxBorders) {}
void SP::DrawTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ABorder, TcxBorders ABorders, bool AVertical) {
  drawClassicTabBorder(ACanvas, R, ABorder, ABorders, AVertical);
}
void SP::DrawTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool) {
  raisedInner(ACanvas, R, ABorders);
}
int SP::TabBorderSize() { return 1; }

void SP::DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                           BS AState) {
  using SBP = TcxScrollBarPart;
  if (classicIsEmpty(R) || APart == SBP::sbpNone) return;
  // A disabled thumb is left out so the page pattern shows through.
  if (APart == SBP::sbpThumbnail && AState == BS::cxbsDisabled) return;
  if (AState == BS::cxbsHot) AState = BS::cxbsNormal;
  const bool pressed = AState == BS::cxbsPressed;
  switch (APart) {
    case SBP::sbpLineUp:
    case SBP::sbpLineDown: {
      // The platform's scroll arrow, pushed one pixel right and down while
      // pressed; clipped to R so the shifted picture stays inside the part.
      const bool second = APart == SBP::sbpLineDown;
      gdi::UINT kind = AHorizontal ? (second ? gdi::DFCS_SCROLLRIGHT : gdi::DFCS_SCROLLLEFT)
                                   : (second ? gdi::DFCS_SCROLLDOWN : gdi::DFCS_SCROLLUP);
      if (AState == BS::cxbsDisabled) kind |= gdi::DFCS_INACTIVE;
      if (pressed) kind |= gdi::DFCS_FLAT;
      gdi::RECT arrow = pressed ? moved(R, 1, 1) : R;
      ACanvas->SaveClipRegion();
      ACanvas->IntersectClipRect(R);
      gdi::DrawFrameControl(ACanvas->Handle(), &arrow, gdi::DFC_SCROLL, kind);
      ACanvas->RestoreClipRegion();
      if (pressed) {
        frame(ACanvas, R, clBtnShadow, clBtnShadow);
        frame(ACanvas, inset(R), clBtnFace, clBtnFace);
      } else {
        frame(ACanvas, R, clBtnFace, cl3DDkShadow);
        frame(ACanvas, inset(R), clBtnHighlight, clBtnShadow);
      }
      break;
    }
    case SBP::sbpThumbnail:
      frame(ACanvas, R, clBtnFace, cl3DDkShadow);
      frame(ACanvas, inset(R), clBtnHighlight, clBtnShadow);
      ACanvas->FillRect(inset(R, ButtonBorderSize(BS::cxbsNormal)), clBtnFace);
      break;
    case SBP::sbpPageUp:
    case SBP::sbpPageDown:
      drawPageArea(ACanvas, R, AState);
      break;
    case SBP::sbpNone:
      break;
  }
}

void SP::DrawMonthHeader(TcxCanvas* ACanvas, const TRect& ABounds, const String& AText, TcxNeighbors ANeighbors,
                         const core::TcxViewParams& AViewParams, TcxArrowDirections AArrows, int ASideWidth,
                         TcxDrawBackgroundEvent AOnDrawBackground) {
  if (classicIsEmpty(ABounds)) return;
  // Neighbouring month headers share the black line between them.
  TcxBorders borders = core::cxBordersAll;
  if (ANeighbors.contains(TcxNeighbor::nRight)) borders.Exclude(TcxBorder::bRight);
  if (ANeighbors.contains(TcxNeighbor::nLeft)) borders.Exclude(TcxBorder::bLeft);
  ACanvas->FrameRect(ABounds, clBlack, 1, borders);
  const TRect content = HeaderContentBounds(ABounds, borders);
  DrawHeader(ACanvas, content, content, ANeighbors, core::cxBordersAll, BS::cxbsNormal, taCenter,
             core::TcxAlignmentVert::vaCenter, false, false, AText, AViewParams.Font, AViewParams.TextColor,
             AViewParams.Color, AOnDrawBackground, false, false);
  DrawMonthHeaderArrows(ACanvas, ABounds, AArrows, ASideWidth, clWindowText);
}

void SP::DrawSchedulerSplitterBorder(TcxCanvas* ACanvas, const TRect& R, const core::TcxViewParams& AViewParams,
                                     bool AIsHorizontal) {
  static constexpr TColor light[2] = {clBtnFace, clBtnHighlight};
  static constexpr TColor dark[2] = {cl3DDkShadow, clBtnShadow};
  drawSplitterBorder(ACanvas, R, AViewParams, AIsHorizontal, light, dark, 2);
}

void SP::DrawGroupBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition, TcxBorders ABorders) {
  // Etched: a shadow frame with a highlight frame one pixel right and down.
  const TRect shadow{R.left, R.top, R.right - 1, R.bottom - 1};
  const TRect light = moved(shadow, 1, 1);
  ACanvas->FrameRect(shadow, clBtnShadow, 1, ABorders);
  ACanvas->FrameRect(light, clBtnHighlight, 1, ABorders);
  ACanvas->ExcludeFrameRect(shadow, 1, ABorders);
  ACanvas->ExcludeFrameRect(light, 1, ABorders);
}

void SP::DrawCheckBorder(TcxCanvas* ACanvas, const TRect& R, BS) {
  ACanvas->DrawEdge(R, true, false);
  sunkenOuter(ACanvas, inset(R));
}
TColor SP::ToggleSwitchToggleColor(bool AChecked) { return AChecked ? rgb(33, 153, 33) : rgb(227, 227, 227); }
void SP::DrawToggleSwitchState(TcxCanvas* ACanvas, const TRect& R, BS, bool AChecked) {
  ACanvas->FillRect(R, ToggleSwitchToggleColor(AChecked));
  DrawContainerBorder(ACanvas, R, TcxContainerBorderStyle::cbs3D, 2, rgb(105, 105, 105), core::cxBordersAll);
}
void SP::DrawTrackBarTrackBounds(TcxCanvas* ACanvas, const TRect& R) { sunkenBorder2(ACanvas, R); }
void SP::DrawTrackBarThumbBorderUpDown(TcxCanvas* ACanvas, const std::vector<TPoint>& ALightPolyLine,
                                       const std::vector<TPoint>& AShadowPolyLine,
                                       const std::vector<TPoint>& ADarkPolyLine) {
  drawPolyline(ACanvas, ALightPolyLine, clBtnHighlight);
  drawPolyline(ACanvas, AShadowPolyLine, clBtnShadow);
  drawPolyline(ACanvas, ADarkPolyLine, cl3DDkShadow);
}
void SP::DrawTrackBarThumbBorderBoth(TcxCanvas* ACanvas, const TRect& R) { raisedBorder2(ACanvas, R); }

void SP::DrawBreadcrumbEditButton(TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState, bool,
                                  bool) {
  using S = TdxBreadcrumbEditButtonState;
  if (classicIsEmpty(R)) return;
  if (AState == S::dxbcbsPressed)
    frame(ACanvas, R, clBtnShadow, clBtnHighlight);
  else if (AState == S::dxbcbsFocused || AState == S::dxbcbsHot)
    frame(ACanvas, R, clBtnHighlight, clBtnShadow);
}

// ================================================================================================
// Flat
// ================================================================================================
using FP = TcxFlatLookAndFeelPainter;

String FP::LookAndFeelName() { return u"Flat"; }
TcxLookAndFeelStyle FP::LookAndFeelStyle() { return TcxLookAndFeelStyle::lfsFlat; }
int FP::BorderSize() { return 1; }
int FP::SeparatorSize() { return 2; }
void FP::DrawBorder(TcxCanvas* ACanvas, const TRect& R) { sunkenOuter(ACanvas, R); }
int FP::ButtonBorderSize(BS AState) { return AState == BS::cxbsDefault ? 2 : 1; }
int FP::ButtonTextOffset() { return 1; }
int FP::ButtonTextShift() { return 1; }

void FP::DrawButtonBorder(TcxCanvas* ACanvas, const TRect& R, BS AState) {
  if (AState == BS::cxbsPressed) {
    frame(ACanvas, R, clBtnShadow, clBtnHighlight);
    return;
  }
  TRect r = R;
  if (AState == BS::cxbsDefault) {
    ACanvas->FrameRect(r, clBlack);
    r = inset(r);
  }
  frame(ACanvas, r, clBtnHighlight, clBtnShadow);
}

bool FP::IsButtonHotTrack() { return false; }
int FP::ExpandButtonSize() { return core::cxGetValueCurrentDPI(11); }

void FP::DrawExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  DrawButton(ACanvas, R, String(), BS::cxbsNormal, true, AColor, clDefault);
  DrawExpandButtonCross(ACanvas, inset(R), AExpanded, clBtnText);
  ACanvas->ExcludeClipRect(R);
}

void FP::DrawHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxNeighbors ANeighbors, TcxBorders) {
  drawJoinedHeaderBorder(ACanvas, R, ANeighbors);
}
void FP::DrawHeaderControlSectionBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, BS AState) {
  if (AState == BS::cxbsPressed)
    frame(ACanvas, R, clBtnShadow, clBtnHighlight, ABorders);
  else
    frame(ACanvas, R, clBtnHighlight, clBtnShadow, ABorders);
}
void FP::DrawSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  DrawSortingArrow(ACanvas, R, AAscendingSorting, clBtnShadow, clBtnHighlight);
}
void FP::DrawSummarySortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  DrawSummarySortingArrow(ACanvas, R, AAscendingSorting, clBtnShadow, clBtnHighlight);
}
int FP::HeaderBorderSize() { return 1; }
TSize FP::SortingMarkSize() { return core::cxGetValueCurrentDPI(TSize{8, 7}); }
TSize FP::SummarySortingMarkSize() { return core::cxGetValueCurrentDPI(TSize{8, 8}); }
int FP::FooterBorderSize() { return 1; }
int FP::FooterCellBorderSize() { return 1; }
int FP::FooterCellOffset() { return 1; }
void FP::DrawFooterBorder(TcxCanvas* ACanvas, const TRect& R) { raisedInner(ACanvas, R); }
void FP::DrawFooterCellBorder(TcxCanvas* ACanvas, const TRect& R) { sunkenOuter(ACanvas, R); }
void FP::DrawFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, BS AState, bool AIsFilterActive) {
  drawClassicFilterDropDownButton(this, ACanvas, R, AState, AIsFilterActive);
}
void FP::DrawFindPanelBorder(TcxCanvas*, const TRect&, TcxBorders) {}
void FP::DrawTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ABorder, TcxBorders ABorders, bool AVertical) {
  drawClassicTabBorder(ACanvas, R, ABorder, ABorders, AVertical);
}
void FP::DrawTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool) {
  raisedInner(ACanvas, R, ABorders);
}
int FP::TabBorderSize() { return 1; }

void FP::DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                           BS AState) {
  using SBP = TcxScrollBarPart;
  if (classicIsEmpty(R) || APart == SBP::sbpNone) return;
  if (APart == SBP::sbpThumbnail && AState == BS::cxbsDisabled) return;
  if (AState == BS::cxbsHot) AState = BS::cxbsNormal;
  if (APart == SBP::sbpPageUp || APart == SBP::sbpPageDown) {
    drawPageArea(ACanvas, R, AState);
    return;
  }
  DrawButton(ACanvas, R, String(), AState, true, clDefault, clDefault);
  if (APart == SBP::sbpThumbnail) return;
  DrawScrollBarArrow(ACanvas, inset(R, ButtonBorderSize(BS::cxbsNormal)), AState,
                     GetArrowDirection(AHorizontal, APart));
}

void FP::DrawSchedulerSplitterBorder(TcxCanvas* ACanvas, const TRect& R, const core::TcxViewParams& AViewParams,
                                     bool AIsHorizontal) {
  static constexpr TColor light[2] = {clBtnHighlight, clBtnHighlight};
  static constexpr TColor dark[2] = {clBtnShadow, clBtnShadow};
  drawSplitterBorder(ACanvas, R, AViewParams, AIsHorizontal, light, dark, 1);
}

void FP::DrawDateNavigatorDateHeader(TcxCanvas* ACanvas, TRect& R) {
  ACanvas->FillRect(R, DefaultDateNavigatorHeaderColor());
  ACanvas->FillRect(TRect{R.left, R.bottom - 1, R.right, R.bottom}, clBtnFace);
  R.bottom -= 1;
}

void FP::DrawGroupBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition, TcxBorders ABorders) {
  ACanvas->FrameRect(R, clBtnShadow, 1, ABorders);
  ACanvas->FrameRect(inset(R), clBtnHighlight, 1, ABorders);
  ACanvas->ExcludeFrameRect(R, 1, ABorders);
  ACanvas->ExcludeFrameRect(inset(R), 1, ABorders);
}

void FP::DrawCheckBorder(TcxCanvas* ACanvas, const TRect& R, BS AState) {
  sunkenOuter(ACanvas, R);
  ACanvas->FrameRect(inset(R), CheckButtonColor(AState, TcxCheckBoxState::cbsChecked));
}
TColor FP::ToggleSwitchToggleColor(bool AChecked) { return AChecked ? rgb(160, 160, 160) : rgb(200, 200, 200); }
void FP::DrawToggleSwitchState(TcxCanvas* ACanvas, const TRect& R, BS, bool AChecked) {
  ACanvas->FillRect(R, ToggleSwitchToggleColor(AChecked));
  // The outline runs on Right and Bottom themselves, one pixel outside the
  // half-open rectangle: the switch's layout leaves room for it.
  ACanvas->Pen()->SetColor(rgb(160, 160, 160));
  ACanvas->MoveTo(R.left, R.bottom);
  ACanvas->LineTo(R.left, R.top);
  ACanvas->LineTo(R.right, R.top);
  ACanvas->Pen()->SetColor(clWhite);
  ACanvas->LineTo(R.right, R.bottom);
  ACanvas->LineTo(R.left, R.bottom);
}
void FP::DrawTrackBarTrackBounds(TcxCanvas* ACanvas, const TRect& R) {
  frame(ACanvas, R, clBtnShadow, clBtnHighlight);
  frame(ACanvas, inset(R), clBtnFace, clBtnFace);
}
void FP::DrawTrackBarThumbBorderUpDown(TcxCanvas* ACanvas, const std::vector<TPoint>& ALightPolyLine,
                                       const std::vector<TPoint>&, const std::vector<TPoint>& ADarkPolyLine) {
  drawPolyline(ACanvas, ALightPolyLine, clBtnHighlight);
  drawPolyline(ACanvas, ADarkPolyLine, clBtnShadow);
}
void FP::DrawTrackBarThumbBorderBoth(TcxCanvas* ACanvas, const TRect& R) {
  frame(ACanvas, R, clBtnHighlight, clBtnShadow);
}
TColor FP::GetSplitterOuterColor(bool AHighlighted) {
  return AHighlighted ? cl3DDkShadow : TcxCustomLookAndFeelPainter::GetSplitterOuterColor(AHighlighted);
}

// ================================================================================================
// UltraFlat
// ================================================================================================
using UP = TcxUltraFlatLookAndFeelPainter;

namespace {
using EditState = TdxBreadcrumbEditState;
using ButtonState = TdxBreadcrumbEditButtonState;
constexpr TColor kBreadcrumbBorderColors[4] = {clBtnShadow, clHighlight, clHighlight, clBtnShadow};
constexpr TColor kBreadcrumbButtonBorderColors[5] = {clNone, clBtnShadow, clHighlight, clHighlight, clNone};
constexpr BS kBreadcrumbButtonStates[5] = {BS::cxbsNormal, BS::cxbsNormal, BS::cxbsHot, BS::cxbsPressed,
                                           BS::cxbsDisabled};
}  // namespace

void UP::DrawSchedulerNavigationButtonContent(TcxCanvas* ACanvas, const TRect& R, const TRect& AArrowRect,
                                              bool AIsNextButton, BS AState) {
  ACanvas->FillRect(R, clBtnFace);
  // The button is open on the side that meets the view.
  const TcxBorders borders = AIsNextButton ? TcxBorders{TcxBorder::bLeft, TcxBorder::bTop, TcxBorder::bBottom}
                                           : TcxBorders{TcxBorder::bTop, TcxBorder::bRight, TcxBorder::bBottom};
  ACanvas->FrameRect(R, AState == BS::cxbsHot ? TabBorderHighlightColor() : TabBorderDarkColor(), 1, borders);
  DrawSchedulerNavigationButtonArrow(ACanvas, AArrowRect, AIsNextButton, ButtonSymbolColor(AState, clDefault));
}

String UP::LookAndFeelName() { return u"UltraFlat"; }
TcxLookAndFeelStyle UP::LookAndFeelStyle() { return TcxLookAndFeelStyle::lfsUltraFlat; }
TColor UP::DefaultSchedulerBorderColor() { return clBtnShadow; }
int UP::BorderSize() { return 1; }
void UP::DrawBorder(TcxCanvas* ACanvas, const TRect& R) { ACanvas->FrameRect(R, clBtnShadow); }
void UP::DoDrawSeparator(TcxCanvas* ACanvas, const TRect& R, bool) { ACanvas->FillRect(R, clBtnShadow); }
int UP::ButtonBorderSize(BS AState) { return AState == BS::cxbsDefault ? 2 : 1; }
TColor UP::ButtonColor(BS AState) {
  if (AState == BS::cxbsHot) return core::GetLightSelColor();
  if (AState == BS::cxbsPressed) return core::GetLightDownedSelColor();
  return TcxCustomLookAndFeelPainter::ButtonColor(AState);
}
TRect UP::ButtonFocusRect(TcxCanvas*, const TRect& R) {
  const TRect r = inset(R, 3);
  return classicIsEmpty(r) ? R : r;
}
TColor UP::ButtonSymbolColor(BS AState, TColor ADefaultColor) {
  if (AState == BS::cxbsPressed) return clHighlightText;
  return TcxCustomLookAndFeelPainter::ButtonSymbolColor(AState, ADefaultColor);
}
int UP::ButtonTextOffset() { return 2; }
int UP::ButtonTextShift() { return 0; }
BS UP::ButtonSymbolState(BS) { return BS::cxbsNormal; }

void UP::DrawButtonBorder(TcxCanvas* ACanvas, const TRect& R, BS AState) {
  switch (AState) {
    case BS::cxbsDefault:
      ACanvas->FrameRect(R, clWindowFrame);
      ACanvas->FrameRect(inset(R), clWindowFrame);
      break;
    case BS::cxbsNormal:
      ACanvas->FrameRect(R, clBtnText);
      break;
    case BS::cxbsDisabled:
      ACanvas->FrameRect(R, clBtnShadow);
      break;
    case BS::cxbsHot:
    case BS::cxbsPressed:
      ACanvas->FrameRect(R, clHighlight);
      break;
  }
}

bool UP::IsButtonHotTrack() { return true; }
int UP::ExpandButtonSize() { return core::cxGetValueCurrentDPI(11); }

void UP::DrawExpandButton(TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) {
  ACanvas->FrameRect(R, clBtnShadow);
  const TRect r = inset(R);
  ACanvas->FillRect(r, core::cxGetActualColor(AColor, clBtnFace));
  DrawExpandButtonCross(ACanvas, r, AExpanded, clBtnText);
  ACanvas->ExcludeClipRect(R);
}

void UP::DrawHeaderEx(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                      TcxNeighbors ANeighbors, TcxBorders ABorders, BS AState, ui::TAlignment AAlignmentHorz,
                      core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                      const String& AText, ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
                      TcxDrawBackgroundEvent AOnDrawBackground) {
  DrawContent(ACanvas, ABounds, inset(ATextAreaBounds), static_cast<int>(AState), AAlignmentHorz, AAlignmentVert,
              AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground, false);
  DrawHeaderBorder(ACanvas, inset(ABounds), ANeighbors, ABorders);
}

void UP::DrawHeaderBorder(TcxCanvas* ACanvas, const TRect& R, TcxNeighbors, TcxBorders ABorders) {
  TcxBorders lines{TcxBorder::bRight, TcxBorder::bBottom};
  if (ABorders.contains(TcxBorder::bLeft)) lines.Include(TcxBorder::bLeft);
  if (ABorders.contains(TcxBorder::bTop)) lines.Include(TcxBorder::bTop);
  ACanvas->FrameRect(R, clBtnText, 1, lines);
}

void UP::DrawHeaderControlSectionBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, BS AState) {
  ACanvas->FrameRect(R, AState == BS::cxbsDisabled ? clBtnShadow : clBlack, 1, ABorders);
}

void UP::DrawHeaderControlSectionContent(TcxCanvas* ACanvas, const TRect& R, const TRect& ATextAreaBounds,
                                         BS AState, ui::TAlignment AAlignmentHorz,
                                         core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                         bool AShowEndEllipsis, const String& AText, ui::TFont* AFont,
                                         TColor ATextColor, TColor ABkColor) {
  const bool tinted = AState == BS::cxbsHot || AState == BS::cxbsPressed || AState == BS::cxbsDisabled;
  ACanvas->FillRect(R, tinted ? ButtonColor(AState) : ABkColor);
  ACanvas->Font()->SetColor(ATextColor);
  DrawHeaderControlSectionText(ACanvas, ATextAreaBounds, AState, AAlignmentHorz, AAlignmentVert, AMultiLine,
                               AShowEndEllipsis, AText, AFont, ATextColor);
}

void UP::DrawSortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  DrawSortingArrow(ACanvas, R, AAscendingSorting, clBtnShadow, clBtnShadow);
}
void UP::DrawSummarySortingMark(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) {
  DrawSummarySortingArrow(ACanvas, R, AAscendingSorting, clBtnShadow, clBtnShadow);
}
TcxBorders UP::HeaderBorders(TcxNeighbors ANeighbors) {
  TcxBorders borders = TcxCustomLookAndFeelPainter::HeaderBorders(ANeighbors);
  if (ANeighbors.contains(TcxNeighbor::nLeft)) borders.Exclude(TcxBorder::bLeft);
  if (ANeighbors.contains(TcxNeighbor::nTop)) borders.Exclude(TcxBorder::bTop);
  return borders;
}
int UP::HeaderBorderSize() { return 1; }
TSize UP::SortingMarkSize() { return core::cxGetValueCurrentDPI(TSize{7, 8}); }
TSize UP::SummarySortingMarkSize() { return core::cxGetValueCurrentDPI(TSize{7, 9}); }
int UP::GridBordersOverlapSize() { return 1; }
TcxBorders UP::FooterBorders() { return TcxBorders{TcxBorder::bRight, TcxBorder::bBottom}; }
int UP::FooterBorderSize() { return 1; }
int UP::FooterCellBorderSize() { return 1; }
int UP::FooterCellOffset() { return 2; }
void UP::DrawFooterBorder(TcxCanvas* ACanvas, const TRect& R) {
  DrawFooterBorderEx(ACanvas, R, TcxBorders{TcxBorder::bRight, TcxBorder::bBottom});
}
void UP::DrawFooterBorderEx(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders) {
  ACanvas->FrameRect(R, FooterSeparatorColor(), FooterSeparatorSize(), ABorders);
}
void UP::DrawFooterCellBorder(TcxCanvas* ACanvas, const TRect& R) { ACanvas->FrameRect(R, FooterSeparatorColor()); }

void UP::DrawFilterDropDownButton(TcxCanvas* ACanvas, const TRect& R, BS AState, bool AIsFilterActive) {
  if (classicIsEmpty(R)) return;
  ACanvas->FrameRect(R, FilterDropDownButtonBorderColor(AState));
  const TRect r = inset(R);
  ACanvas->FillRect(r, ButtonColor(AState));
  DrawButtonArrow(ACanvas, r, AIsFilterActive ? ActiveFilterButtonArrowColor : ButtonSymbolColor(AState, clDefault));
}
TSize UP::FilterCloseButtonSize() {
  TSize size = TcxCustomLookAndFeelPainter::FilterCloseButtonSize();
  size.cy += 1;
  return size;
}

void UP::DrawTabBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorder ABorder, TcxBorders, bool AVertical) {
  TRect r = R;
  const bool dark = AVertical ? ABorder == TcxBorder::bBottom : ABorder == TcxBorder::bRight;
  // The right line of a horizontal tab stops short of the root's line.
  if (!AVertical && ABorder == TcxBorder::bRight) r.bottom -= TabBorderSize();
  ACanvas->FillRect(r, dark ? TabBorderDarkColor() : TabBorderHighlightColor());
}
void UP::DrawTabsRoot(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, bool) {
  ACanvas->FrameRect(R, TabBorderHighlightColor(), TabBorderSize(), ABorders);
}
int UP::TabBorderSize() { return 1; }

void UP::DrawScrollBarPart(TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                           BS AState) {
  using SBP = TcxScrollBarPart;
  if (classicIsEmpty(R) || APart == SBP::sbpNone) return;
  if (APart == SBP::sbpThumbnail && AState == BS::cxbsDisabled) return;
  if (APart == SBP::sbpPageUp || APart == SBP::sbpPageDown) {
    drawPageArea(ACanvas, R, AState);
    return;
  }
  // Hot and pressed parts keep their own look: tinted, framed in the highlight.
  DrawButton(ACanvas, R, String(), AState, true, clDefault, clDefault);
  if (APart != SBP::sbpThumbnail) DrawScrollBarArrow(ACanvas, R, AState, GetArrowDirection(AHorizontal, APart));
}

void UP::DrawSchedulerNavigatorButton(TcxCanvas* ACanvas, const TRect& R, BS AState) {
  DrawButton(ACanvas, R, String(), AState, AState == BS::cxbsHot || AState == BS::cxbsPressed);
}

void UP::DrawSchedulerSplitterBorder(TcxCanvas* ACanvas, const TRect& R, const core::TcxViewParams& AViewParams,
                                     bool AIsHorizontal) {
  const TColor line = DefaultSchedulerBorderColor();
  const TColor light[2] = {line, line};
  const TColor dark[2] = {line, line};
  drawSplitterBorder(ACanvas, R, AViewParams, AIsHorizontal, light, dark, 1);
}

void UP::DrawNavigatorBorder(TcxCanvas* ACanvas, const TRect& R, bool ASelected) {
  ACanvas->FrameRect(R, ASelected ? BorderHighlightColor() : clBtnShadow);
  ACanvas->ExcludeFrameRect(R);
}
void UP::DrawNavigatorButton(TcxCanvas* ACanvas, const TRect& R, BS AState, TColor ABackgroundColor) {
  const bool quiet = AState == BS::cxbsNormal || AState == BS::cxbsDisabled;
  ACanvas->FrameRect(R, quiet ? ABackgroundColor : BorderHighlightColor());
  ACanvas->FillRect(inset(R), ButtonColor(AState));
}
bool UP::NavigatorBorderOverlap() { return true; }
int UP::NavigatorBorderSize() { return BorderSize(); }

void UP::DrawGroupBoxFrame(TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition, TcxBorders ABorders) {
  // The operation has no enabled flag: a group box painted here is enabled.
  ACanvas->FrameRect(R, clHighlight, 1, ABorders, true);
}

void UP::DrawCheckBorder(TcxCanvas* ACanvas, const TRect& R, BS AState) {
  ACanvas->FrameRect(R, clBtnText);
  ACanvas->FrameRect(inset(R), CheckButtonColor(AState, TcxCheckBoxState::cbsChecked));
}
TColor UP::ToggleSwitchToggleColor(bool AChecked) { return AChecked ? rgb(51, 153, 255) : rgb(200, 200, 200); }
void UP::DrawToggleSwitchState(TcxCanvas* ACanvas, const TRect& R, BS, bool AChecked) {
  ACanvas->FillRect(R, ToggleSwitchToggleColor(AChecked));
  ACanvas->FrameRect(R, AChecked ? clBlack : rgb(160, 160, 160));
}
void UP::DrawToggleSwitchThumb(TcxCanvas* ACanvas, const TRect& R, BS AState) {
  TcxCustomLookAndFeelPainter::DrawToggleSwitchThumb(ACanvas, R, AState);
  ACanvas->FrameRect(inset(R, 2), clBlack);
}
TColor UP::RadioButtonBodyColor(BS AState) {
  switch (AState) {
    case BS::cxbsNormal:
      return clWindow;
    case BS::cxbsHot:
      return core::GetLightSelColor();
    case BS::cxbsPressed:
      return core::GetLightDownedSelColor();
    default:
      return clBtnFace;
  }
}
void UP::DrawTrackBarTrackBounds(TcxCanvas* ACanvas, const TRect& R) { ACanvas->FrameRect(R, clWindowText); }
void UP::DrawTrackBarThumbBorderUpDown(TcxCanvas* ACanvas, const std::vector<TPoint>& ALightPolyLine,
                                       const std::vector<TPoint>&, const std::vector<TPoint>& ADarkPolyLine) {
  drawPolyline(ACanvas, ALightPolyLine, clWindowText);
  drawPolyline(ACanvas, ADarkPolyLine, clWindowText);
}
void UP::DrawTrackBarThumbBorderBoth(TcxCanvas* ACanvas, const TRect& R) { ACanvas->FrameRect(R, clWindowText); }
TColor UP::GetSplitterOuterColor(bool AHighlighted) {
  return AHighlighted ? clHighlight : TcxCustomLookAndFeelPainter::GetSplitterOuterColor(AHighlighted);
}
TSize UP::GetSplitterSize(bool AHorizontal) {
  TSize size = TcxCustomLookAndFeelPainter::GetSplitterSize(AHorizontal);
  if (AHorizontal)
    size.cy = 1;
  else
    size.cx = 1;
  return size;
}
void UP::DrawPrintPreviewBackground(TcxCanvas* ACanvas, const TRect& R) {
  // The shadow colour a third of the way towards white, channel by channel.
  const gdi::COLORREF c = ColorToRGB(clBtnShadow);
  auto lighter = [](int v) { return v + (255 - v) / 3; };
  ACanvas->FillRect(R, rgb(lighter(c & 0xFF), lighter((c >> 8) & 0xFF), lighter((c >> 16) & 0xFF)));
}
int UP::BreadcrumbEditButtonAreaSeparatorSize() { return 1; }
TRect UP::BreadcrumbEditButtonContentOffsets(bool AIsFirst, bool AIsLast) {
  return core::cxGetValueCurrentDPI(TRect{AIsFirst ? 2 : 3, 3, AIsLast ? 2 : 3, 3});
}
void UP::DrawBreadcrumbEditBorders(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders, EditState AState) {
  ACanvas->FrameRect(R, kBreadcrumbBorderColors[static_cast<int>(AState)], 1, ABorders);
}
void UP::DrawBreadcrumbEditButtonAreaSeparator(TcxCanvas* ACanvas, const TRect& R, EditState AState) {
  DrawBreadcrumbEditBorders(ACanvas, R, TcxBorders{TcxBorder::bLeft}, AState);
}
void UP::DrawBreadcrumbEditButton(TcxCanvas* ACanvas, const TRect& R, ButtonState AState, bool AIsFirst,
                                  bool AIsLast) {
  if (AState == ButtonState::dxbcbsNormal || AState == ButtonState::dxbcbsDisabled) return;
  // Inner buttons share their side lines; the ends leave the outer line to the edit's border.
  TcxBorders borders = AIsFirst ? TcxBorders{TcxBorder::bRight} : TcxBorders{TcxBorder::bLeft, TcxBorder::bRight};
  if (AIsLast) borders.Exclude(TcxBorder::bRight);
  DrawBreadcrumbEditCustomButton(ACanvas, R, AState, borders);
}
void UP::DrawBreadcrumbEditDropDownButton(TcxCanvas* ACanvas, const TRect& R, ButtonState AState, bool) {
  // The operation carries no drop-down flag: only an active state shows the button.
  if (AState == ButtonState::dxbcbsNormal || AState == ButtonState::dxbcbsDisabled) return;
  DrawBreadcrumbEditCustomButton(ACanvas, R, AState, TcxBorders{TcxBorder::bLeft});
}
void UP::DrawDropDownListBoxBackground(TcxCanvas* ACanvas, const TRect& R, bool AHasBorders) {
  TRect r = R;
  if (AHasBorders) {
    ACanvas->FrameRect(r, clBtnShadow);
    r = inset(r);
    ACanvas->FrameRect(r, clBtnHighlight);
    r = inset(r);
  }
  ACanvas->FillRect(r, clWindow);
}
void UP::DrawDropDownListBoxGutterBackground(TcxCanvas* ACanvas, const TRect& R) { ACanvas->FillRect(R, clBtnFace); }
void UP::DrawDropDownListBoxSelection(TcxCanvas* ACanvas, const TRect& R, const TRect&) {
  ACanvas->FillRect(R, core::GetLightColor(254, 30, 72));
  ACanvas->FrameRect(R, clHighlight);
}
void UP::DrawDropDownListBoxSeparator(TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect) {
  const int y = cxCentreStart(R.top, R.bottom, 1);
  ACanvas->FillRect(TRect{AGutterRect.right + 4, y, R.right, y + 1}, clBtnShadow);
}
TColor UP::DropDownListBoxItemTextColor(bool) { return clMenuText; }
TSize UP::GetBevelMinimalShapeSize(TdxBevelShape) { return TSize{1, 1}; }
void UP::GetBevelShapeColors(TColor& AColor1, TColor& AColor2) {
  AColor1 = clBtnShadow;
  AColor2 = clNone;
}

TColor UP::FilterDropDownButtonBorderColor(BS AState) {
  return AState == BS::cxbsNormal ? clBtnShadow : clHighlight;
}
void UP::DrawBreadcrumbEditCustomButton(TcxCanvas* ACanvas, const TRect& R, ButtonState AState, TcxBorders ABorders) {
  const int state = static_cast<int>(AState);
  ACanvas->FillRect(R, ButtonColor(kBreadcrumbButtonStates[state]));
  ACanvas->FrameRect(R, kBreadcrumbButtonBorderColors[state], 1, ABorders);
}
TColor UP::TabBorderHighlightColor() { return clBtnShadow; }
TColor UP::TabBorderDarkColor() { return clBtnText; }
TColor UP::BorderHighlightColor() { return clHighlight; }

}  // namespace lookandfeel
