// The base painter: identity, details, the lazily loaded images and the
// default colours. The element families' bodies live beside this file.
#include "lib/lookandfeel/cxLookAndFeelPainters.h"

#include <algorithm>

#include "lib/core/cxLibraryStrs.h"
#include "lib/core/dxCore.h"
#include "lib/core/dxOffice11.h"
#include "lib/core/dxSkinsCore.h"
#include "lib/core/dxSmartImage.h"
#include "platform/gdi/types.h"
#include "platform/rtl/resources.h"
#include "platform/rtl/ustring.h"

namespace lookandfeel {

using namespace ui;
using core::TdxSkinDetails;
using core::TdxSkinIconSize;
using core::TdxSmartImage;

namespace {
constexpr char16_t kPNG[] = u"PNG";

constexpr TColor RGBColor(int r, int g, int b) {
  return TColor(gdi::RGB(gdi::BYTE(r), gdi::BYTE(g), gdi::BYTE(b)));
}

// Loads the PNG resource AName into AImage when the program has it; false
// when it has not, so the caller decides what an absent picture means.
bool LoadPNGResource(TdxSmartImage* AImage, const String& AName) {
  if (rtl::FindResource(rtl::StringView(kPNG), rtl::StringView(AName)) == nullptr) return false;
  AImage->LoadFromResource(AName, kPNG);
  return true;
}
}  // namespace

bool cxIsTouchModeEnabled = false;

void dxAdjustToTouchableSize(int& ASize) {
  if (cxIsTouchModeEnabled && ASize > 0) ASize = std::max(ASize, core::cxGetValueCurrentDPI(cxTouchElementMinSize));
}
void dxAdjustToTouchableSize(TSize& ASize) {
  dxAdjustToTouchableSize(ASize.cx);
  dxAdjustToTouchableSize(ASize.cy);
}
bool dxElementSizeFitsForTouch(int ASize) { return ASize >= core::cxGetValueCurrentDPI(cxTouchElementMinSize); }

TcxCustomLookAndFeelPainter::TcxCustomLookAndFeelPainter() = default;
TcxCustomLookAndFeelPainter::~TcxCustomLookAndFeelPainter() = default;

// --- images -------------------------------------------------------------------------------------
TdxSmartImage* TcxCustomLookAndFeelPainter::LoadedImage(std::unique_ptr<TdxSmartImage>& AImage,
                                                        const char16_t* AName) {
  if (!AImage) {
    AImage.reset(rtl::Create<TdxSmartImage>());
    // A missing resource leaves the image empty; whatever draws it then draws nothing.
    LoadPNGResource(AImage.get(), AName);
  }
  return AImage.get();
}

TdxSmartImage* TcxCustomLookAndFeelPainter::GetBackButton() { return LoadedImage(FBackButton, u"CX_BACKBUTTON"); }
TdxSmartImage* TcxCustomLookAndFeelPainter::GetFixedGroupIndicator() {
  return LoadedImage(FFixedGroupIndicator, u"CX_FIXEDGROUPINDICATOR");
}
TdxSmartImage* TcxCustomLookAndFeelPainter::GetClockFace() { return LoadedImage(FClockFace, u"CX_CLOCKFACE"); }
TdxSmartImage* TcxCustomLookAndFeelPainter::GetClockGlass() { return LoadedImage(FClockGlass, u"CX_CLOCKGLASS"); }
TdxSmartImage* TcxCustomLookAndFeelPainter::GetMapPushpin() { return LoadedImage(FMapPushpin, u"DX_MAPPUSHPIN"); }
TdxSmartImage* TcxCustomLookAndFeelPainter::GetNavigationBarCustomizationButton() {
  return LoadedImage(FNavigationBarCustomizationButton, u"DX_NAVIGATIONBARCUSTOMIZATIONBUTTON");
}
TdxSmartImage* TcxCustomLookAndFeelPainter::GetRatingControlIndicator() {
  return LoadedImage(FRatingControlIndicator, u"CX_RATINGCONTROLINDICATOR");
}

// --- identity and details -----------------------------------------------------------------------
std::unique_ptr<TdxSkinDetails> TcxCustomLookAndFeelPainter::CreateLookAndFeelPainterDetails() {
  std::unique_ptr<TdxSkinDetails> details(rtl::Create<TdxSkinDetails>());
  details->SetName(LookAndFeelName());
  details->SetDisplayName(LookAndFeelName());
  details->SetGroupName(core::cxGetResourceString(&core::scxBuiltInLookAndFeelStyles));
  const String prefix = u"CX_LOOKANDFEELSTYLEICON_" + rtl::UpperCase(LookAndFeelName());
  const struct {
    TdxSkinIconSize size;
    const char16_t* suffix;
  } icons[] = {{TdxSkinIconSize::sis16, u"16"}, {TdxSkinIconSize::sis48, u"48"}};
  for (const auto& icon : icons)
    if (!LoadPNGResource(details->GetIcon(icon.size), prefix + icon.suffix)) details->ResetIcon(icon.size);
  return details;
}

TdxSkinDetails* TcxCustomLookAndFeelPainter::GetLookAndFeelPainterDetails() {
  if (!FLookAndFeelPainterDetailsCache) FLookAndFeelPainterDetailsCache = CreateLookAndFeelPainterDetails();
  return FLookAndFeelPainterDetailsCache.get();
}

TColor TcxCustomLookAndFeelPainter::DefaultDateNavigatorHeaderHighlightTextColor() {
  return core::IsWinVistaOrLater ? clHotLight : clHighlightText;
}

// --- element families ---------------------------------------------------------------------------
void TcxCustomLookAndFeelPainter::DrawBackground(core::TcxCanvas*, const TRect&, bool, TColor, ui::TBitmap*) {}
void TcxCustomLookAndFeelPainter::DrawButtonArrow(core::TcxCanvas*, const TRect&, TColor) {}
void TcxCustomLookAndFeelPainter::DrawContent(core::TcxCanvas*, const TRect&, const TRect&, int, ui::TAlignment,
                                              core::TcxAlignmentVert, bool, bool, const String&, ui::TFont*, TColor,
                                              TColor, TcxDrawBackgroundEvent, bool) {}
void TcxCustomLookAndFeelPainter::DrawFilterSmartTagGlyph(core::TcxCanvas*, const TRect&, TcxFilterSmartTagState,
                                                          bool) {}
void TcxCustomLookAndFeelPainter::DrawSchedulerNavigationButtonContent(core::TcxCanvas*, const TRect&, const TRect&,
                                                                       bool, TcxButtonState) {}

TColor TcxCustomLookAndFeelPainter::GetFilterSmartTagColor(TcxFilterSmartTagState AState, bool AIsFilterActive) {
  switch (AState) {
    case TcxFilterSmartTagState::fstsNormal: return AIsFilterActive ? RGBColor(0, 38, 255) : RGBColor(144, 144, 144);
    case TcxFilterSmartTagState::fstsHot: return RGBColor(132, 132, 132);
    case TcxFilterSmartTagState::fstsPressed: return RGBColor(48, 48, 48);
    case TcxFilterSmartTagState::fstsParentHot: return RGBColor(144, 144, 144);
  }
  return RGBColor(144, 144, 144);
}

TRect TcxCustomLookAndFeelPainter::GetSeparatorBounds(const TRect& R, int AWidth, bool AIsVertical) {
  TRect result = R;
  if (AIsVertical) {
    result.left = cxCentreStart(R.left, R.right, 0) - AWidth / 2;
    result.right = result.left + AWidth;
  } else {
    result.top = cxCentreStart(R.top, R.bottom, 0) - AWidth / 2;
    result.bottom = result.top + AWidth;
  }
  return result;
}

// --- identity -----------------------------------------------------------------------------------
bool TcxCustomLookAndFeelPainter::GetPainterData(void*& AData) {
  AData = nullptr;
  return false;
}

bool TcxCustomLookAndFeelPainter::GetPainterDetails(TdxSkinDetails*& ADetails) {
  ADetails = GetLookAndFeelPainterDetails();
  return ADetails != nullptr;
}

bool TcxCustomLookAndFeelPainter::IsInternalPainter() { return false; }
String TcxCustomLookAndFeelPainter::LookAndFeelName() { return String(); }
TcxLookAndFeelStyle TcxCustomLookAndFeelPainter::LookAndFeelStyle() { return TcxLookAndFeelStyle::lfsStandard; }
bool TcxCustomLookAndFeelPainter::NeedRedrawOnResize() { return false; }

// --- default colours ----------------------------------------------------------------------------
using P = TcxCustomLookAndFeelPainter;
TColor P::DefaultContentColor() { return clWindow; }
TColor P::DefaultContentEvenColor() { return DefaultContentColor(); }
TColor P::DefaultContentOddColor() { return DefaultContentColor(); }
TColor P::DefaultContentTextColor() { return clWindowText; }
TColor P::DefaultControlColor() { return clBtnFace; }
TColor P::DefaultControlTextColor() { return clBtnText; }
TColor P::DefaultEditorBackgroundColor(bool AIsDisabled) {
  return DefaultEditorBackgroundColorEx(cxEditStateColorKindMap[!AIsDisabled]);
}
TColor P::DefaultEditorBackgroundColorEx(TcxEditStateColorKind) { return clDefault; }
TColor P::DefaultEditorTextColor(bool AIsDisabled) {
  return DefaultEditorTextColorEx(cxEditStateColorKindMap[!AIsDisabled]);
}
TColor P::DefaultEditorTextColorEx(TcxEditStateColorKind) { return clDefault; }
TColor P::DefaultFilterBoxColor() { return clBtnShadow; }
TColor P::DefaultFilterBoxTextColor() { return clBtnHighlight; }
TColor P::DefaultFixedSeparatorColor() { return clBtnText; }
TColor P::DefaultFooterColor() { return clBtnFace; }
TColor P::DefaultFooterTextColor() { return clBtnText; }
TColor P::DefaultGridDetailsSiteColor() { return clBtnFace; }
TColor P::DefaultGridLineColor() { return clBtnShadow; }
TColor P::DefaultGroupByBoxColor() { return clBtnShadow; }
TColor P::DefaultGroupByBoxTextColor() { return clBtnFace; }
TColor P::DefaultGroupColor() { return clBtnFace; }
TColor P::DefaultGroupTextColor() { return clBtnText; }
TColor P::DefaultHeaderBackgroundColor() { return clBtnShadow; }
TColor P::DefaultHeaderBackgroundTextColor() { return clBtnFace; }
TColor P::DefaultHeaderColor() { return clBtnFace; }
TColor P::DefaultHeaderTextColor() { return clBtnText; }
TColor P::DefaultHyperlinkTextColor() { return clBlue; }
TColor P::DefaultInactiveColor() { return clBtnFace; }
TColor P::DefaultInactiveTextColor() { return clBtnText; }
TColor P::DefaultPreviewTextColor() { return clBlue; }
TColor P::DefaultRecordSeparatorColor() { return DefaultGridLineColor(); }
TColor P::DefaultSizeGripAreaColor() { return clBtnFace; }
TColor P::DefaultTreeListGridLineColor() { return DefaultGridLineColor(); }
TColor P::DefaultTreeListTreeLineColor() { return DefaultGridLineColor(); }
TColor P::DefaultVGridBandLineColor() { return DefaultVGridLineColor(); }
TColor P::DefaultVGridCategoryColor() { return DefaultHeaderColor(); }
TColor P::DefaultVGridCategoryTextColor() { return clDefault; }
TColor P::DefaultVGridHeaderColor() { return DefaultHeaderColor(); }
TColor P::DefaultVGridHeaderTextColor() { return DefaultHeaderTextColor(); }
TColor P::DefaultVGridLineColor() { return clBlack; }
TColor P::DefaultDateNavigatorContentColor() {
  const TColor color = DefaultEditorBackgroundColor(false);
  return color == clDefault ? DefaultContentColor() : color;
}
TColor P::DefaultDateNavigatorHeaderColor() { return clBtnFace; }
TColor P::DefaultDateNavigatorHeaderTextColor(bool AIsHighlight) {
  return AIsHighlight ? DefaultDateNavigatorHeaderHighlightTextColor() : DefaultHeaderTextColor();
}
TColor P::DefaultDateNavigatorHolydayTextColor() { return clRed; }
TColor P::DefaultDateNavigatorInactiveTextColor() { return clGrayText; }
TColor P::DefaultDateNavigatorSelectionColor() { return clHighlight; }
TColor P::DefaultDateNavigatorSelectionTextColor() { return clHighlightText; }
TColor P::DefaultDateNavigatorSeparator1Color() { return clBtnShadow; }
TColor P::DefaultDateNavigatorSeparator2Color() { return clWindow; }
TColor P::DefaultDateNavigatorTextColor() { return clWindowText; }
TColor P::DefaultDateNavigatorTodayFrameColor() { return clMaroon; }
TColor P::DefaultDateNavigatorTodayTextColor(bool ASelected) { return ASelected ? clDefault : clNavy; }
TColor P::DefaultSchedulerBackgroundColor() { return clWindow; }
TColor P::DefaultSchedulerBorderColor() { return RGBColor(161, 157, 157); }
TColor P::DefaultSchedulerContentColor(int) { return clDefault; }
TColor P::DefaultSchedulerControlColor() { return clBtnFace; }
TColor P::DefaultSchedulerEventColor(bool AIsAllDayEvent) { return AIsAllDayEvent ? clWhite : clWindow; }
TColor P::DefaultSchedulerNavigatorColor() { return clBtnFace; }
TColor P::DefaultSchedulerTextColor() { return clWindowText; }
TColor P::DefaultSchedulerTimeRulerColor() { return DefaultHeaderColor(); }
TColor P::DefaultSchedulerTimeRulerTextColor() { return DefaultHeaderTextColor(); }
TColor P::DefaultSchedulerViewContentColor() { return RGBColor(255, 255, 213); }
TColor P::DefaultSchedulerViewSelectedTextColor() { return DefaultSelectionTextColor(); }
TColor P::DefaultSchedulerViewTextColor() { return clWindowText; }
TColor P::DefaultSchedulerYearViewUnusedContentColor(bool) { return clDefault; }
TColor P::DefaultSelectionColor() { return clHighlight; }
TColor P::DefaultSelectionTextColor() { return clHighlightText; }
TColor P::DefaultSeparatorColor() { return clBtnFace; }
TColor P::DefaultTabColor() { return clBtnFace; }
TColor P::DefaultTabTextColor() { return clBtnText; }
TColor P::DefaultTabsBackgroundColor() { return clWindow; }
TColor P::DefaultRootTabsBackgroundColor() { return clBtnFace; }
TColor P::DefaultTimeGridMajorScaleColor() { return clWhite; }
TColor P::DefaultTimeGridMajorScaleTextColor() { return clBlack; }
TColor P::DefaultTimeGridMinorScaleColor() { return clBtnFace; }
TColor P::DefaultTimeGridMinorScaleTextColor() { return clBtnText; }
TColor P::DefaultTimeGridSelectionBarColor() { return clWhite; }
TColor P::DefaultChartDiagramValueBorderColor() { return clBlack; }
TColor P::DefaultChartDiagramValueCaptionTextColor() { return clBlack; }
TColor P::DefaultChartHistogramAxisColor() { return clBlack; }
TColor P::DefaultChartHistogramGridLineColor() { return RGBColor(207, 207, 207); }
TColor P::DefaultChartHistogramPlotColor() { return clWhite; }
TColor P::DefaultChartPieDiagramSeriesSiteBorderColor() { return clBtnShadow; }
TColor P::DefaultChartPieDiagramSeriesSiteCaptionColor() { return RGBColor(166, 202, 240); }
TColor P::DefaultChartPieDiagramSeriesSiteCaptionTextColor() { return clNavy; }
TColor P::DefaultChartToolBoxDataLevelInfoBorderColor() { return clBtnShadow; }
TColor P::DefaultChartToolBoxItemSeparatorColor() { return clBtnShadow; }
TColor P::DefaultLayoutViewCaptionTextColor(rtl::TObject*, TcxButtonState AState) {
  return DefaultLayoutViewContentTextColor(AState);
}
TColor P::DefaultLayoutViewContentColor() { return DefaultContentColor(); }
TColor P::DefaultLayoutViewContentTextColor(TcxButtonState AState) {
  switch (AState) {
    case TcxButtonState::cxbsPressed: return DefaultSelectionTextColor();
    case TcxButtonState::cxbsDisabled: return clInactiveCaptionText;
    default: return DefaultContentTextColor();
  }
}
TColor P::DefaultGridOptionsTreeViewCategoryColor(bool ASelected) { return ASelected ? clHighlight : clBtnShadow; }
TColor P::DefaultGridOptionsTreeViewCategoryTextColor(bool ASelected) {
  return ASelected ? clHighlightText : clBtnText;
}

// --- arrows, borders, buttons, expand buttons and command links --------------------------------
// The drawing bodies come with the element families; the answers below are the base values.
void P::DrawArrow(core::TcxCanvas*, const TRect&, TcxArrowDirection, TColor) {}
void P::DrawArrow(core::TcxCanvas*, const TRect&, TcxButtonState, TcxArrowDirection, bool) {}
void P::DrawArrowBorder(core::TcxCanvas*, const TRect&, TcxButtonState) {}
void P::DrawCollapseArrow(core::TcxCanvas*, const TRect&, TColor, int) {}
void P::DrawScrollBarArrow(core::TcxCanvas*, const TRect&, TcxButtonState, TcxArrowDirection) {}
int P::BorderSize() { return 0; }
int P::SeparatorSize() { return BorderSize(); }
void P::DrawBorder(core::TcxCanvas*, const TRect&) {}
void P::DrawContainerBorder(core::TcxCanvas*, const TRect&, TcxContainerBorderStyle, int, TColor, core::TcxBorders) {}
void P::DoDrawSeparator(core::TcxCanvas*, const TRect&, bool) {}
int P::ButtonBorderSize(TcxButtonState) { return 0; }
TColor P::ButtonColor(TcxButtonState) { return clBtnFace; }
TColor P::ButtonDescriptionTextColor(TcxButtonState, TColor ADefaultColor) { return ADefaultColor; }
TRect P::ButtonFocusRect(core::TcxCanvas*, const TRect& R) {
  const TRect shrunk{R.left + 4, R.top + 4, R.right - 4, R.bottom - 4};
  return shrunk.right > shrunk.left && shrunk.bottom > shrunk.top ? shrunk : R;
}
TColor P::ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor) {
  if (AState == TcxButtonState::cxbsDisabled) return clBtnShadow;
  return ADefaultColor == clDefault ? clBtnText : ADefaultColor;
}
int P::ButtonTextOffset() { return 0; }
int P::ButtonTextShift() { return 0; }
TcxButtonState P::ButtonSymbolState(TcxButtonState AState) { return AState; }
void P::DrawButton(core::TcxCanvas*, const TRect&, const String&, TcxButtonState, bool, TColor, TColor, bool, bool,
                   TcxButtonPart) {}
void P::DrawButtonBorder(core::TcxCanvas*, const TRect&, TcxButtonState) {}
int P::GetDropDownButtonRightPartSize() { return core::cxGetValueCurrentDPI(15); }
bool P::IsButtonHotTrack() { return false; }
bool P::IsPointOverGroupExpandButton(const TRect& R, const ui::TPoint& P) {
  return P.x >= R.left && P.x < R.right && P.y >= R.top && P.y < R.bottom;
}
// Raised to the touchable size once touch mode exists.
int P::ExpandButtonAreaSize() { return ExpandButtonSize(); }
int P::ExpandButtonSize() { return 0; }
int P::GroupExpandButtonSize() { return core::cxGetValueCurrentDPI(15); }
int P::SmallExpandButtonSize() { return 9; }
void P::DrawExpandButton(core::TcxCanvas*, const TRect&, bool, TColor) {}
void P::DrawExpandButtonEx(core::TcxCanvas*, const TRect&, TcxButtonState, bool, core::TcxRotationAngle) {}
bool P::DrawExpandButtonFirst() { return true; }
void P::DrawGroupExpandButton(core::TcxCanvas*, const TRect&, bool, TcxButtonState) {}
void P::DrawSmallExpandButton(core::TcxCanvas*, const TRect&, bool, TColor, TColor) {}
TColor P::DefaultCommandLinkTextColor(TcxButtonState AState, TColor ADefaultColor) {
  return ButtonSymbolColor(AState, ADefaultColor);
}
void P::DrawCommandLinkBackground(core::TcxCanvas*, const TRect&, TcxButtonState, TColor) {}
void P::DrawCommandLinkGlyph(core::TcxCanvas*, const ui::TPoint&, TcxButtonState) {}
TSize P::GetCommandLinkGlyphSize() { return TSize{20, 20}; }
TRect P::GetCommandLinkMargins() { return TRect{7, 10, 7, 10}; }

// --- headers, sorting marks and the grid's header-side colours ----------------------------------
void P::DrawHeader(core::TcxCanvas*, const TRect&, const TRect&, TcxNeighbors, core::TcxBorders, TcxButtonState,
                   ui::TAlignment, core::TcxAlignmentVert, bool, bool, const String&, ui::TFont*, TColor, TColor,
                   TcxDrawBackgroundEvent, bool, bool) {}
void P::DrawHeaderEx(core::TcxCanvas*, const TRect&, const TRect&, TcxNeighbors, core::TcxBorders, TcxButtonState,
                     ui::TAlignment, core::TcxAlignmentVert, bool, bool, const String&, ui::TFont*, TColor, TColor,
                     TcxDrawBackgroundEvent) {}
void P::DrawHeaderBorder(core::TcxCanvas*, const TRect&, TcxNeighbors, core::TcxBorders) {}
void P::DrawHeaderPressed(core::TcxCanvas*, const TRect&) {}
void P::DrawHeaderControlSection(core::TcxCanvas*, const TRect&, const TRect&, TcxNeighbors, core::TcxBorders,
                                 TcxButtonState, ui::TAlignment, core::TcxAlignmentVert, bool, bool, const String&,
                                 ui::TFont*, TColor, TColor) {}
void P::DrawHeaderControlSectionBorder(core::TcxCanvas*, const TRect&, core::TcxBorders, TcxButtonState) {}
void P::DrawHeaderControlSectionContent(core::TcxCanvas*, const TRect&, const TRect&, TcxButtonState, ui::TAlignment,
                                        core::TcxAlignmentVert, bool, bool, const String&, ui::TFont*, TColor,
                                        TColor) {}
void P::DrawHeaderControlSectionText(core::TcxCanvas*, const TRect&, TcxButtonState, ui::TAlignment,
                                     core::TcxAlignmentVert, bool, bool, const String&, ui::TFont*, TColor) {}
void P::DrawHeaderSeparator(core::TcxCanvas*, const TRect&, int, TColor, const core::TcxViewParams&) {}
void P::DrawSortingMark(core::TcxCanvas*, const TRect&, bool) {}
void P::DrawSummarySortingMark(core::TcxCanvas*, const TRect&, bool) {}
void P::DrawSummaryValueSortingMark(core::TcxCanvas*, const TRect&, bool) {}
core::TcxBorders P::HeaderBorders(TcxNeighbors) { return core::cxBordersAll; }
int P::HeaderBorderSize() { return 0; }
TRect P::HeaderBounds(const TRect& ABounds, TcxNeighbors ANeighbors, core::TcxBorders ABorders) {
  const core::TcxBorders drawn = HeaderBorders(ANeighbors);
  const int size = HeaderBorderSize();
  auto grows = [&](core::TcxBorder ABorder) { return ABorders.contains(ABorder) && !drawn.contains(ABorder); };
  TRect result = ABounds;
  if (grows(core::TcxBorder::bLeft)) result.left -= size;
  if (grows(core::TcxBorder::bTop)) result.top -= size;
  if (grows(core::TcxBorder::bRight)) result.right += size;
  if (grows(core::TcxBorder::bBottom)) result.bottom += size;
  return result;
}
TRect P::HeaderContentBounds(const TRect& ABounds, core::TcxBorders) { return ABounds; }
bool P::HeaderDrawCellsFirst() { return true; }
int P::HeaderHeight(int AFontHeight) { return AFontHeight; }
int P::HeaderControlSectionBorderSize(TcxButtonState) { return 1; }
TRect P::HeaderControlSectionTextAreaBounds(const TRect& ABounds, TcxButtonState) { return ABounds; }
TRect P::HeaderControlSectionContentBounds(const TRect& ABounds, TcxButtonState) { return ABounds; }
int P::HeaderWidth(core::TcxCanvas* ACanvas, core::TcxBorders ABorders, const String& AText, ui::TFont* AFont) {
  ACanvas->SetFont(AFont);
  int width = ACanvas->TextWidth(AText) + 4;
  if (ABorders.contains(core::TcxBorder::bLeft)) width += HeaderBorderSize();
  if (ABorders.contains(core::TcxBorder::bRight)) width -= HeaderBorderSize();
  return width;
}
bool P::IsHeaderHotTrack() { return false; }
// Widened to the touchable width once touch mode exists.
TSize P::SortingMarkAreaSize() {
  return TSize{core::cxGetValueCurrentDPI(SortingMarkAreaWidth), SortingMarkSize().cy};
}
TSize P::SortingMarkSize() { return TSize{0, 0}; }
TSize P::SummarySortingMarkSize() { return TSize{0, 0}; }
// The indicator images come with the look-and-feel module; until then there is no mark to measure.
TSize P::SummaryValueSortingMarkSize() { return TSize{0, 0}; }
void P::DrawFilterRowSeparator(core::TcxCanvas*, const TRect&, TColor) {}
void P::DrawGroupByBox(core::TcxCanvas*, const TRect&, bool, TColor, ui::TBitmap*) {}
int P::GridBordersOverlapSize() { return 0; }
TColor P::GridGroupRowStyleOffice11ContentColor(bool AHasData) {
  return AHasData ? clWindow : core::dxOffice11GroupIndentColor;
}
TColor P::GridGroupRowStyleOffice11SeparatorColor() { return core::dxOffice11GroupRowSeparatorColor; }
TColor P::GridGroupRowStyleOffice11TextColor() { return core::dxOffice11GroupRowTextColor; }
bool P::GridDrawHeaderCellsFirst() { return HeaderDrawCellsFirst(); }
TColor P::PivotGridHeadersAreaColor() { return DefaultHeaderBackgroundColor(); }
TColor P::PivotGridHeadersAreaTextColor() { return DefaultHeaderBackgroundTextColor(); }

}  // namespace lookandfeel
