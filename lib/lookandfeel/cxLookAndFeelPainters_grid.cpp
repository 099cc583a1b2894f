// The base painter's grid elements: column headers and header-control
// sections, sorting marks, footers and footer cells, filter buttons, the
// smart tag, filter and find panels, the row indicator and the frames of
// card (layout-view) records. Most frames draw nothing here: the built-in
// painters give them their style, while the layout and measuring rules below
// are shared by all of them.
#include <algorithm>
#include <vector>

#include "lib/core/cxCanvasText.h"
#include "lib/core/cxGraphics.h"
#include "lib/core/dxOffice11.h"
#include "lib/lookandfeel/cxLookAndFeelPainters.h"
#include "lib/lookandfeel/cxLookAndFeelPaintersManager.h"
#include "platform/gdi/types.h"
#include "platform/ui/canvas.h"
#include "platform/ui/image_list.h"

namespace lookandfeel {

using namespace ui;
using core::TcxBorder;
using core::TcxBorders;
using core::TcxCanvas;
using P = TcxCustomLookAndFeelPainter;

namespace {

TRect shrunkOnBorders(const TRect& R, int ASize, TcxBorders ABorders) {
  TRect result = R;
  if (ABorders.contains(TcxBorder::bLeft)) result.left += ASize;
  if (ABorders.contains(TcxBorder::bTop)) result.top += ASize;
  if (ABorders.contains(TcxBorder::bRight)) result.right -= ASize;
  if (ABorders.contains(TcxBorder::bBottom)) result.bottom -= ASize;
  return result;
}

TRect shrunk(const TRect& R, int ASize) { return shrunkOnBorders(R, ASize, core::cxBordersAll); }

// Glyphs, outlines and inversions of an empty or inverted rectangle would
// still put pixels on the canvas (centred marks, normalised rectangles,
// mirrored blits); such a rectangle shows nothing.
bool gridIsEmpty(const TRect& R) { return R.right <= R.left || R.bottom <= R.top; }

int contentTextFlags(ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                     bool AShowEndEllipsis) {
  int flags = core::cxAlignmentHorz(AAlignmentHorz) | core::cxAlignmentVert(AAlignmentVert);
  flags |= AMultiLine ? core::cxWordBreak : core::cxSingleLine;
  if (AShowEndEllipsis) flags |= core::cxShowEndEllipsis;
  return flags;
}

// The outline of a sorting triangle W wide and H high whose box starts at
// (ALeft, ATop), apex up when ascending. Row by row from the apex, each edge
// is two adjacent pixels (where the row is wide enough) on its own side of
// the apex column: the left edge in AColor1, the right edge in AColor2 (a
// lit right side, a shaded left one); the base row is the right edge's
// colour when ascending and the left edge's when descending. Drawn as
// one-pixel fills, which are clipped before they are rasterised.
void drawSortingTriangle(TcxCanvas* ACanvas, int ALeft, int ATop, int W, int H, bool AAscending, TColor AColor1,
                         TColor AColor2) {
  if (W <= 0 || H <= 0) return;
  const int right = ALeft + W - 1;
  const int apexX = ALeft + (W - 1) / 2;
  auto rowY = [&](int i) { return AAscending ? ATop + i : ATop + H - 1 - i; };
  // How far an edge has moved out from the apex at row i, rounded.
  auto spread = [&](int AWidth, int i) { return H == 1 ? AWidth : (2 * AWidth * i + H - 1) / (2 * (H - 1)); };
  for (int i = 0; i < H - 1; ++i) {
    const int y = rowY(i);
    const int xl = apexX - spread(apexX - ALeft, i);
    const int xr = apexX + spread(right - apexX, i);
    const int rightFrom = std::max(xr - 1, apexX + 1);
    if (rightFrom <= xr) ACanvas->FillRect(TRect{rightFrom, y, xr + 1, y + 1}, AColor2);
    ACanvas->FillRect(TRect{xl, y, std::min(xl + 1, apexX) + 1, y + 1}, AColor1);
  }
  const int baseY = rowY(H - 1);
  ACanvas->FillRect(TRect{ALeft, baseY, right + 1, baseY + 1}, AAscending ? AColor2 : AColor1);
}

// The smart tag's funnel in its 6 x 6 box.
const std::vector<TPoint>& funnelPattern() {
  static const std::vector<TPoint> points = {{0, 0}, {5, 0}, {5, 2}, {4, 2}, {4, 3}, {3, 3}, {3, 5},
                                             {2, 5}, {2, 3}, {1, 3}, {1, 2}, {0, 2}, {0, 0}};
  return points;
}
constexpr int kFunnelBoxSize = 6;

constexpr int kSummaryValueSortingMarkIndex = 6;

constexpr TColor gridRGBColor(int r, int g, int b) {
  return TColor(gdi::RGB(gdi::BYTE(r), gdi::BYTE(g), gdi::BYTE(b)));
}

}  // namespace

// --- footer cell bounds -------------------------------------------------------------------------
TRect P::FooterCellContentBounds(const TRect& R) { return shrunk(R, FooterCellBorderSize()); }
TRect P::FooterCellTextAreaBounds(const TRect& R) { return shrunk(FooterCellContentBounds(R), 2); }

TColor P::GetFilterSmartTagColor(TcxFilterSmartTagState AState, bool AIsFilterActive) {
  switch (AState) {
    case TcxFilterSmartTagState::fstsNormal: return AIsFilterActive ? gridRGBColor(0, 38, 255) : gridRGBColor(144, 144, 144);
    case TcxFilterSmartTagState::fstsHot: return gridRGBColor(132, 132, 132);
    case TcxFilterSmartTagState::fstsPressed: return gridRGBColor(48, 48, 48);
    case TcxFilterSmartTagState::fstsParentHot: return gridRGBColor(144, 144, 144);
  }
  return gridRGBColor(144, 144, 144);
}

// --- headers, sorting marks and the grid's header-side colours ----------------------------------
void P::DrawHeader(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TcxNeighbors ANeighbors,
                   TcxBorders ABorders, TcxButtonState, ui::TAlignment AAlignmentHorz,
                   core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                   ui::TFont* AFont, TColor ATextColor, TColor ABkColor, TcxDrawBackgroundEvent AOnDrawBackground,
                   bool, bool) {
  DrawHeaderBorder(ACanvas, ABounds, ANeighbors, ABorders);
  DrawContent(ACanvas, HeaderContentBounds(ABounds, ABorders), ATextAreaBounds, 0, AAlignmentHorz, AAlignmentVert,
              AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground);
}

void P::DrawHeaderEx(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, TcxNeighbors ANeighbors,
                     TcxBorders ABorders, TcxButtonState AState, ui::TAlignment AAlignmentHorz,
                     core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                     const String& AText, ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
                     TcxDrawBackgroundEvent AOnDrawBackground) {
  DrawHeader(ACanvas, ABounds, ATextAreaBounds, ANeighbors, ABorders, AState, AAlignmentHorz, AAlignmentVert,
             AMultiLine, AShowEndEllipsis, AText, AFont, ATextColor, ABkColor, AOnDrawBackground, false, false);
}

void P::DrawHeaderBorder(TcxCanvas*, const TRect&, TcxNeighbors, TcxBorders) {}

void P::DrawHeaderPressed(TcxCanvas* ACanvas, const TRect& R) {
  if (!gridIsEmpty(R)) ACanvas->InvertRect(R);
}

void P::DrawHeaderControlSection(TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                 TcxNeighbors, TcxBorders ABorders, TcxButtonState AState,
                                 ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert,
                                 bool AMultiLine, bool AShowEndEllipsis, const String& AText, ui::TFont* AFont,
                                 TColor ATextColor, TColor ABkColor) {
  DrawHeaderControlSectionBorder(ACanvas, ABounds, ABorders, AState);
  DrawHeaderControlSectionContent(ACanvas, HeaderControlSectionContentBounds(ABounds, AState), ATextAreaBounds,
                                  AState, AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont,
                                  ATextColor, ABkColor);
}

void P::DrawHeaderControlSectionBorder(TcxCanvas*, const TRect&, TcxBorders, TcxButtonState) {}

void P::DrawHeaderControlSectionContent(TcxCanvas* ACanvas, const TRect& R, const TRect& ATextAreaBounds,
                                        TcxButtonState AState, ui::TAlignment AAlignmentHorz,
                                        core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                        bool AShowEndEllipsis, const String& AText, ui::TFont* AFont,
                                        TColor ATextColor, TColor ABkColor) {
  ACanvas->FillRect(R, ABkColor);
  DrawHeaderControlSectionText(ACanvas, HeaderControlSectionTextAreaBounds(ATextAreaBounds, AState), AState,
                               AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis, AText, AFont,
                               ATextColor);
}

void P::DrawHeaderControlSectionText(TcxCanvas* ACanvas, const TRect& ATextAreaBounds, TcxButtonState AState,
                                     ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert,
                                     bool AMultiLine, bool AShowEndEllipsis, const String& AText, ui::TFont* AFont,
                                     TColor ATextColor) {
  if (AText.empty() || gridIsEmpty(ATextAreaBounds)) return;
  const int flags = contentTextFlags(AAlignmentHorz, AAlignmentVert, AMultiLine, AShowEndEllipsis);
  ACanvas->Brush()->SetStyle(TBrushStyle::bsClear);
  if (AFont) ACanvas->SetFont(AFont);
  if (AState == TcxButtonState::cxbsDisabled) {
    // Embossed: a light copy one pixel down and right under the shadow-coloured text.
    TRect lower = ATextAreaBounds;
    lower.left += 1;
    lower.right += 1;
    lower.top += 1;
    lower.bottom += 1;
    ACanvas->Font()->SetColor(clBtnHighlight);
    ACanvas->DrawText(AText, lower, flags);
    ACanvas->Font()->SetColor(clBtnShadow);
    ACanvas->DrawText(AText, ATextAreaBounds, flags);
  } else {
    ACanvas->Font()->SetColor(ATextColor);
    ACanvas->DrawText(AText, ATextAreaBounds, flags);
  }
  ACanvas->Brush()->SetStyle(TBrushStyle::bsSolid);
}

void P::DrawHeaderSeparator(TcxCanvas* ACanvas, const TRect& R, int AIndentSize, TColor AColor,
                            const core::TcxViewParams& AViewParams) {
  const TRect left{R.left, R.top, R.left + AIndentSize, R.bottom};
  const TRect right{R.right - AIndentSize, R.top, R.right, R.bottom};
  ACanvas->FillRect(left, AViewParams);
  ACanvas->FillRect(right, AViewParams);
  ACanvas->FillRect(TRect{left.right, R.top, right.left, R.bottom}, AColor);
}

void P::DrawSortingMark(TcxCanvas*, const TRect&, bool) {}
void P::DrawSummarySortingMark(TcxCanvas*, const TRect&, bool) {}

void P::DrawSummaryValueSortingMark(TcxCanvas* ACanvas, const TRect& R, bool) {
  if (gridIsEmpty(R)) return;
  if (ui::TCustomImageList* images = cxIndicatorImages())
    images->Draw(ACanvas->Canvas(), R.left, R.top, kSummaryValueSortingMarkIndex);
}

TcxBorders P::HeaderBorders(TcxNeighbors) { return core::cxBordersAll; }
int P::HeaderBorderSize() { return 0; }

TRect P::HeaderBounds(const TRect& ABounds, TcxNeighbors ANeighbors, TcxBorders ABorders) {
  const TcxBorders drawn = HeaderBorders(ANeighbors);
  const int size = HeaderBorderSize();
  auto grows = [&](TcxBorder ABorder) { return ABorders.contains(ABorder) && !drawn.contains(ABorder); };
  TRect result = ABounds;
  if (grows(TcxBorder::bLeft)) result.left -= size;
  if (grows(TcxBorder::bTop)) result.top -= size;
  if (grows(TcxBorder::bRight)) result.right += size;
  if (grows(TcxBorder::bBottom)) result.bottom += size;
  return result;
}

TRect P::HeaderContentBounds(const TRect& ABounds, TcxBorders ABorders) {
  return shrunkOnBorders(ABounds, HeaderBorderSize(), ABorders);
}

bool P::HeaderDrawCellsFirst() { return true; }

int P::HeaderHeight(int AFontHeight) {
  int height = AFontHeight + 2 * HeaderBorderSize() + 4;
  dxAdjustToTouchableSize(height);
  return height;
}

int P::HeaderControlSectionBorderSize(TcxButtonState) { return 1; }

TRect P::HeaderControlSectionTextAreaBounds(const TRect& ABounds, TcxButtonState AState) {
  if (AState != TcxButtonState::cxbsPressed) return ABounds;
  return TRect{ABounds.left + 1, ABounds.top + 1, ABounds.right + 1, ABounds.bottom + 1};
}

TRect P::HeaderControlSectionContentBounds(const TRect& ABounds, TcxButtonState AState) {
  return shrunk(ABounds, HeaderControlSectionBorderSize(AState));
}

int P::HeaderWidth(TcxCanvas* ACanvas, TcxBorders ABorders, const String& AText, ui::TFont* AFont) {
  if (AFont) ACanvas->SetFont(AFont);
  int width = ACanvas->TextWidth(AText) + 4;
  if (ABorders.contains(TcxBorder::bLeft)) width += HeaderBorderSize();
  if (ABorders.contains(TcxBorder::bRight)) width -= HeaderBorderSize();
  return width;
}

bool P::IsHeaderHotTrack() { return false; }

TSize P::SortingMarkAreaSize() {
  const int width = cxIsTouchModeEnabled ? SortingTouchableMarkAreaWidth : SortingMarkAreaWidth;
  return TSize{core::cxGetValueCurrentDPI(width), SortingMarkSize().cy};
}

TSize P::SortingMarkSize() { return TSize{0, 0}; }
TSize P::SummarySortingMarkSize() { return TSize{0, 0}; }

TSize P::SummaryValueSortingMarkSize() {
  if (ui::TCustomImageList* images = cxIndicatorImages()) return TSize{images->Width(), images->Height()};
  return TSize{0, 0};
}

void P::DrawSortingArrow(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting, TColor AColor1,
                         TColor AColor2) {
  if (gridIsEmpty(R)) return;
  const TSize size = SortingMarkSize();
  // An even width has no middle column: the triangle leans one pixel left.
  const int left = cxCentreStart(R.left, R.right, size.cx) - (size.cx % 2 == 0 ? 1 : 0);
  const int top = cxCentreStart(R.top, R.bottom, size.cy);
  drawSortingTriangle(ACanvas, left, top, size.cx, size.cy, AAscendingSorting, AColor1, AColor2);
}

void P::DrawSummarySortingArrow(TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting, TColor AColor1,
                                TColor AColor2) {
  if (gridIsEmpty(R)) return;
  // One-pixel fills: the same pixels as pen lines, and clipped before they
  // are rasterised however wide R is.
  ACanvas->FillRect(TRect{R.left, R.top, R.right, R.top + 1}, AColor1);
  if (AColor1 != AColor2) ACanvas->FillRect(TRect{R.left, R.top + 1, R.right, R.top + 2}, AColor2);
  const TSize size = SummarySortingMarkSize();
  const int left = cxCentreStart(R.left, R.right, size.cx) - (size.cx % 2 == 0 ? 1 : 0);
  const int top = cxCentreStart(R.top, R.bottom, size.cy) + 2;
  drawSortingTriangle(ACanvas, left, top, size.cx, size.cy - 2, AAscendingSorting, AColor1, AColor2);
}

void P::DrawFilterRowSeparator(TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor) {
  DrawHeader(ACanvas, R, R, TcxNeighbors{}, core::cxBordersAll, TcxButtonState::cxbsNormal, taLeftJustify,
             core::TcxAlignmentVert::vaTop, false, false, String(), nullptr, clWindowText, ABackgroundColor);
}

void P::DrawGroupByBox(TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor,
                       ui::TBitmap* ABackgroundBitmap) {
  DrawBackground(ACanvas, R, ATransparent, ABackgroundColor, ABackgroundBitmap);
}

int P::GridBordersOverlapSize() { return 0; }
TColor P::GridGroupRowStyleOffice11ContentColor(bool AHasData) {
  return AHasData ? clWindow : core::dxOffice11GroupIndentColor;
}
TColor P::GridGroupRowStyleOffice11SeparatorColor() { return core::dxOffice11GroupRowSeparatorColor; }
TColor P::GridGroupRowStyleOffice11TextColor() { return core::dxOffice11GroupRowTextColor; }
bool P::GridDrawHeaderCellsFirst() { return HeaderDrawCellsFirst(); }
TColor P::PivotGridHeadersAreaColor() { return DefaultHeaderBackgroundColor(); }
TColor P::PivotGridHeadersAreaTextColor() { return DefaultHeaderBackgroundTextColor(); }

// --- layout-view records ------------------------------------------------------------------------
// The frames are cut out of the clip region once drawn, so that what the
// card paints next cannot cover them.
void P::LayoutViewDrawItem(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxBorders ABorders) {
  if (gridIsEmpty(R)) return;
  TColor color;
  switch (AState) {
    case TcxButtonState::cxbsHot:
      ACanvas->FrameRect(R, clBtnShadow, 1, ABorders, true);
      color = clGradientInactiveCaption;
      break;
    case TcxButtonState::cxbsPressed: color = DefaultSelectionColor(); break;
    case TcxButtonState::cxbsDisabled: color = clInactiveCaption; break;
    default: color = DefaultGroupColor(); break;
  }
  ACanvas->FillRect(R, color);
}

void P::LayoutViewDrawRecordCaption(TcxCanvas* ACanvas, const TRect& R, const TRect&, TcxGroupBoxCaptionPosition,
                                    TcxButtonState AState) {
  if (gridIsEmpty(R)) return;
  LayoutViewDrawRecordBorder(ACanvas, R, AState, core::cxBordersAll);
  TColor color;
  switch (AState) {
    case TcxButtonState::cxbsHot: color = DefaultSelectionColor(); break;
    case TcxButtonState::cxbsDisabled: color = clInactiveCaption; break;
    default: color = DefaultGroupColor(); break;
  }
  ACanvas->FillRect(R, color);
}

void P::LayoutViewDrawRecordBorder(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxBorders ABorders) {
  if (gridIsEmpty(R)) return;
  const TColor color = AState == TcxButtonState::cxbsHot ? DefaultSelectionColor() : clBtnShadow;
  ACanvas->FrameRect(R, color, 1, ABorders, true);
}

void P::LayoutViewDrawRecordContent(TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition,
                                    TcxButtonState AState, TcxBorders ABorders) {
  if (gridIsEmpty(R)) return;
  LayoutViewDrawRecordBorder(ACanvas, R, AState, ABorders);
  ACanvas->FillRect(R, DefaultGroupColor());
}

void P::LayoutViewDrawRecordExpandButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                         bool AExpanded) {
  DrawGroupExpandButton(ACanvas, R, AExpanded, AState);
}

TRect P::LayoutViewGetPadding(TcxLayoutElement) { return TRect{0, 0, 0, 0}; }
TRect P::LayoutViewGetSpacing(TcxLayoutElement) { return TRect{0, 0, 0, 0}; }
int P::LayoutViewRecordCaptionTailSize(TcxGroupBoxCaptionPosition) { return 0; }

// --- footers, filter buttons, filter panel and find panel ---------------------------------------
TcxBorders P::FooterBorders() { return core::cxBordersAll; }
int P::FooterBorderSize() { return 0; }
int P::FooterCellBorderSize() { return 0; }
int P::FooterCellOffset() { return 0; }
bool P::FooterDrawCellsFirst() { return true; }
TColor P::FooterSeparatorColor() { return clBtnShadow; }
int P::FooterSeparatorSize() { return 1; }

void P::DrawFooterCell(TcxCanvas* ACanvas, const TRect& ABounds, ui::TAlignment AAlignmentHorz,
                       core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, const String& AText, ui::TFont* AFont,
                       TColor ATextColor, TColor ABkColor, TcxDrawBackgroundEvent AOnDrawBackground) {
  DrawFooterCellBorder(ACanvas, ABounds);
  DrawFooterCellContent(ACanvas, ABounds, AAlignmentHorz, AAlignmentVert, AMultiLine, AText, AFont, ATextColor,
                        ABkColor, AOnDrawBackground);
}

void P::DrawFooterCellContent(TcxCanvas* ACanvas, const TRect& ABounds, ui::TAlignment AAlignmentHorz,
                              core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, const String& AText,
                              ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
                              TcxDrawBackgroundEvent AOnDrawBackground) {
  DrawContent(ACanvas, FooterCellContentBounds(ABounds), FooterCellTextAreaBounds(ABounds), 0, AAlignmentHorz,
              AAlignmentVert, AMultiLine, false, AText, AFont, ATextColor, ABkColor, AOnDrawBackground, true);
}

void P::DrawFooterBorder(TcxCanvas*, const TRect&) {}

void P::DrawFooterBorderEx(TcxCanvas* ACanvas, const TRect& R, TcxBorders) {
  const int separator = FooterSeparatorSize();
  DrawFooterSeparator(ACanvas, TRect{R.left, R.top, R.right, R.top + separator});
  DrawFooterBorder(ACanvas, TRect{R.left, R.top + separator, R.right, R.bottom});
}

void P::DrawFooterCellBorder(TcxCanvas*, const TRect&) {}

void P::DrawFooterContent(TcxCanvas* ACanvas, const TRect& R, const core::TcxViewParams& AViewParams) {
  if (gridIsEmpty(R)) return;
  ACanvas->FillRect(R, AViewParams);
}

void P::DrawFooterSeparator(TcxCanvas* ACanvas, const TRect& R) { ACanvas->FillRect(R, FooterSeparatorColor()); }

void P::DrawFilterActivateButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked) {
  DrawCheckButton(ACanvas, R, AState, AChecked);
}

void P::DrawFilterCloseButton(TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) {
  DrawSmallButton(ACanvas, R, AState);
  DrawButtonCross(ACanvas, R, ButtonSymbolColor(AState), ButtonSymbolState(AState));
}

void P::DrawFilterDropDownButton(TcxCanvas*, const TRect&, TcxButtonState, bool) {}

void P::DrawFilterPanel(TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor,
                        ui::TBitmap* ABackgroundBitmap) {
  DrawBackground(ACanvas, R, ATransparent, ABackgroundColor, ABackgroundBitmap);
}

void P::DrawFilterSmartTag(TcxCanvas* ACanvas, const TRect& R, TcxFilterSmartTagState AState,
                           bool AIsFilterActive) {
  if (gridIsEmpty(R)) return;
  // The outline as four one-pixel strips: what a one-pixel pen draws around
  // R with a clear brush, without rasterising edges far outside the clip.
  ACanvas->FrameRect(R, GetFilterSmartTagColor(AState, AIsFilterActive));
  DrawFilterSmartTagGlyph(ACanvas, R, AState, AIsFilterActive);
}

void P::DrawFilterSmartTagGlyph(TcxCanvas* ACanvas, const TRect& R, TcxFilterSmartTagState AState,
                                bool AIsFilterActive) {
  if (gridIsEmpty(R)) return;
  const TRect box = cxCentreRect(R, kFunnelBoxSize, kFunnelBoxSize);
  std::vector<TPoint> points = funnelPattern();
  for (TPoint& point : points) {
    point.x += box.left;
    point.y += box.top;
  }
  ACanvas->Pen()->SetColor(GetFilterSmartTagColor(AState, AIsFilterActive));
  ACanvas->Polyline(points);
}

TSize P::FilterActivateButtonSize() { return TSize{FilterActiveButtonWidth, FilterActiveButtonHeight}; }
TSize P::FilterCloseButtonSize() { return TSize{FilterCloseButtonWidth, FilterCloseButtonHeight}; }

TSize P::FilterDropDownButtonSize() {
  int width = core::cxGetValueCurrentDPI(FilterDropDownButtonWidth);
  dxAdjustToTouchableSize(width);
  return TSize{width, 0};
}

TSize P::FilterSmartTagSize() {
  const int side = core::cxGetValueCurrentDPI(10);
  return TSize{side, side};
}

void P::DrawFindPanel(TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor,
                      ui::TBitmap* ABackgroundBitmap) {
  DrawFilterPanel(ACanvas, R, ATransparent, ABackgroundColor, ABackgroundBitmap);
}

void P::DrawFindPanelBorder(TcxCanvas* ACanvas, const TRect& R, TcxBorders ABorders) {
  DrawFooterBorderEx(ACanvas, R, ABorders);
}

// --- indicators ---------------------------------------------------------------------------------
void P::DrawIndicatorCustomizationMark(TcxCanvas* ACanvas, const TRect& R, TColor AColor) {
  // A list sign: five rows two pixels apart, every other one led by a bullet.
  if (gridIsEmpty(R)) return;
  constexpr int kRows = 5;
  const int left = R.left + 3;
  const int lineEnd = R.right - 3;
  const int firstRow = cxCentreStart(R.top, R.bottom, 9);
  for (int row = 0; row < kRows; ++row) {
    const int y = firstRow + 2 * row;
    if (row % 2 == 0) ACanvas->FillRect(TRect{left, y, left + 1, y + 1}, AColor);
    ACanvas->FillRect(TRect{left + 2, y, lineEnd, y + 1}, AColor);
  }
}

void P::DrawIndicatorImage(TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind) {
  if (AKind == TcxIndicatorKind::ikNone || gridIsEmpty(R)) return;
  ui::TCustomImageList* images = cxIndicatorImages();
  if (!images) return;
  const int x = cxCentreStart(R.left, R.right, images->Width());
  const int y = cxCentreStart(R.top, R.bottom, images->Height());
  images->Draw(ACanvas->Canvas(), x, y, int(AKind) - 1, true);
}

void P::DrawIndicatorItem(TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                          TcxDrawBackgroundEvent AOnDrawBackground) {
  DrawHeader(ACanvas, R, R, TcxNeighbors{}, HeaderBorders(TcxNeighbors{TcxNeighbor::nTop, TcxNeighbor::nBottom}),
             TcxButtonState::cxbsNormal, taLeftJustify, core::TcxAlignmentVert::vaTop, false, false, String(),
             nullptr, clNone, AColor, AOnDrawBackground);
  DrawIndicatorImage(ACanvas, R, AKind);
}

void P::DrawIndicatorItemEx(TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                            TcxDrawBackgroundEvent AOnDrawBackground) {
  DrawHeaderEx(ACanvas, R, R, TcxNeighbors{}, core::cxBordersAll, TcxButtonState::cxbsNormal, taLeftJustify,
               core::TcxAlignmentVert::vaTop, false, false, String(), nullptr, clNone, AColor, AOnDrawBackground);
  DrawIndicatorImage(ACanvas, R, AKind);
}

bool P::IndicatorDrawItemsFirst() { return true; }

}  // namespace lookandfeel
