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

}  // namespace lookandfeel
