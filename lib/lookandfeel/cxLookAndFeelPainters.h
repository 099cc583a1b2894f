#pragma once
// The painter interface: the drawing strategy shared by every control of the
// library. One instance of each painter class lives in the painter registry;
// controls reach it through their look-and-feel and never own it. The base
// class answers every operation (none is abstract); the built-in painters
// override what their style changes.
//
// Also here: the painter module's enumerations and constants, the centring
// routine every painter uses, and the default-colour table.
#include <memory>

#include "lib/core/cxGraphics.h"
#include "platform/rtl/classes.h"
#include "platform/rtl/object.h"
#include "platform/rtl/set.h"
#include "platform/ui/colors.h"
#include "platform/ui/graphics.h"
#include "platform/ui/stdctrls.h"

namespace core {
class TdxSkinDetails;
class TdxSmartImage;
}  // namespace core

namespace lookandfeel {

using String = rtl::String;
using ui::TColor;
using ui::TRect;
using ui::TSize;

// --- enumerations (first member has the ordinal 0) ------------------------------------------
enum class TcxButtonState { cxbsDefault, cxbsNormal, cxbsHot, cxbsPressed, cxbsDisabled };
enum class TcxLookAndFeelStyle { lfsFlat, lfsStandard, lfsUltraFlat, lfsNative, lfsOffice11, lfsSkin };
using TcxLookAndFeelStyles = rtl::Set<TcxLookAndFeelStyle, 6>;
enum class TcxNeighbor { nLeft, nTop, nRight, nBottom };
using TcxNeighbors = rtl::Set<TcxNeighbor, 4>;
enum class TcxScrollBarPart { sbpNone, sbpLineUp, sbpLineDown, sbpThumbnail, sbpPageUp, sbpPageDown };
enum class TcxArrowDirection { adUp, adDown, adLeft, adRight };
enum class TcxCheckBoxState { cbsUnchecked, cbsChecked, cbsGrayed };
enum class TcxEditCheckState { ecsNormal, ecsHot, ecsPressed, ecsDisabled };
enum class TcxButtonPart { cxbpButton, cxbpDropDownLeftPart, cxbpDropDownRightPart };
enum class TcxEditBtnKind {
  cxbkCloseBtn, cxbkComboBtn, cxbkEditorBtn, cxbkEllipsisBtn, cxbkSpinUpBtn, cxbkSpinDownBtn, cxbkSpinLeftBtn,
  cxbkSpinRightBtn
};
enum class TcxEditBtnPosition { cxbpLeft, cxbpRight };
enum class TcxEditStateColorKind { esckNormal, esckDisabled, esckInactive, esckReadOnly };
enum class TcxContainerBorderStyle { cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsUltraFlat, cbsOffice11 };
enum class TcxEditPopupBorderStyle { epbsDefault, epbsSingle, epbsFrame3D, epbsFlat };
// The popup windows of the control layer use this same type.
enum class TcxPopupBorderStyle { pbsNone, pbsUltraFlat, pbsFlat, pbs3D };
enum class TcxIndicatorKind { ikNone, ikArrow, ikEdit, ikInsert, ikMultiDot, ikMultiArrow, ikFilter };
enum class TcxGroupBoxCaptionPosition { cxgpTop, cxgpBottom, cxgpLeft, cxgpRight, cxgpCenter };
enum class TcxTrackBarTicksAlign { tbtaUp, tbtaDown, tbtaBoth };
enum class TcxFilterSmartTagState { fstsNormal, fstsHot, fstsPressed, fstsParentHot };
enum class TcxCalendarElementState { cesNormal, cesHot, cesPressed, cesSelected, cesFocused, cesMarked, cesDisabled };
using TcxCalendarElementStates = rtl::Set<TcxCalendarElementState, 7>;
enum class TcxCalcButtonKind {
  cbBack, cbCancel, cbClear, cbMC, cbMR, cbMS, cbMP, cbNum0, cbNum1, cbNum2, cbNum3, cbNum4, cbNum5, cbNum6,
  cbNum7, cbNum8, cbNum9, cbSign, cbDecimal, cbDiv, cbMul, cbSub, cbAdd, cbSqrt, cbPercent, cbRev, cbEqual, cbNone
};
enum class TcxLayoutElement {
  leGroup, leGroupWithoutBorders, leTabbedGroup, leRootGroup, leRootGroupWithoutBorders, leItem
};
enum class TdxBevelShape {
  dxbsNone, dxbsBox, dxbsFrame, dxbsLineTop, dxbsLineBottom, dxbsLineLeft, dxbsLineRight, dxbsLineCenteredHorz,
  dxbsLineCenteredVert
};
enum class TdxBevelStyle { dxbsLowered, dxbsRaised };
enum class TdxBreadcrumbEditState { dxbcsNormal, dxbcsFocused, dxbcsHot, dxbcsDisabled };
enum class TdxBreadcrumbEditButtonState { dxbcbsNormal, dxbcbsFocused, dxbcbsHot, dxbcbsPressed, dxbcbsDisabled };
enum class TdxRatingControlIndicatorState { rcisUnchecked, rcisChecked, rcisHover };
enum class TdxMapControlElementState { mcesNormal, mcesHot, mcesPressed, mcesSelected, mcesDisabled };
using TdxMapControlElementStates = rtl::Set<TdxMapControlElementState, 5>;
enum class TdxAlertWindowButtonKind { awbkClose, awbkPin, awbkDropdown, awbkPrevious, awbkNext, awbkCustom };

// The view state of one gallery item.
struct TdxGalleryItemViewState {
  bool Enabled = false;
  bool Checked = false;
  bool Hover = false;
  bool Pressed = false;
  bool Focused = false;
};

// --- module constants --------------------------------------------------------------------------
// Indexed by whether the editor is enabled.
inline constexpr TcxEditStateColorKind cxEditStateColorKindMap[2] = {TcxEditStateColorKind::esckDisabled,
                                                                     TcxEditStateColorKind::esckNormal};
inline constexpr int FilterDropDownButtonWidth = 15;
inline constexpr int SortingMarkAreaWidth = 16;
inline constexpr int SortingTouchableMarkAreaWidth = 20;
inline constexpr int FilterActiveButtonWidth = 13;
inline constexpr int FilterActiveButtonHeight = 13;
inline constexpr int FilterCloseButtonWidth = 16;
inline constexpr int FilterCloseButtonHeight = 14;
inline constexpr TColor ActiveFilterButtonArrowColor = ui::clBlue;

// --- centring ------------------------------------------------------------------------------------
// Where an extent of ASize starts when centred between ALow and AHigh. The
// half rounds toward minus infinity, so a centred element keeps its offset
// when the whole picture is shifted by any amount, negative included (a
// truncating division would move it by one pixel at the origin). Every
// painter centres through this routine.
constexpr int cxCentreStart(int ALow, int AHigh, int ASize) {
  const int twice = ALow + AHigh - ASize;
  return (twice - (twice & 1)) / 2;
}
// A rectangle of AWidth x AHeight centred in R (sizes larger than R overhang
// on both sides).
constexpr TRect cxCentreRect(const TRect& R, int AWidth, int AHeight) {
  const int left = cxCentreStart(R.left, R.right, AWidth);
  const int top = cxCentreStart(R.top, R.bottom, AHeight);
  return TRect{left, top, left + AWidth, top + AHeight};
}
constexpr TRect cxCentreRect(const TRect& R, const TSize& ASize) { return cxCentreRect(R, ASize.cx, ASize.cy); }

// --- touch mode ----------------------------------------------------------------------------------
// Touch mode of the whole library (off at start); the look-and-feel module
// switches it. Touch-adjusted sizes go through the two routines below.
extern bool cxIsTouchModeEnabled;
// The smallest element a finger hits reliably: 27 pixels at 96 DPI, scaled.
inline constexpr int cxTouchElementMinSize = 27;
// In touch mode a positive size becomes at least the scaled touch minimum;
// zero, a negative size or touch mode off leave it as it is.
void dxAdjustToTouchableSize(int& ASize);
// The same rule for the width, then the height.
void dxAdjustToTouchableSize(TSize& ASize);
// Whether ASize reaches the scaled touch minimum, touch mode or not.
bool dxElementSizeFitsForTouch(int ASize);

// --- the painter -----------------------------------------------------------------------------
class TcxCustomLookAndFeelPainter;
// Paints the background of a header or footer cell; True when it did, so
// the painter leaves the background alone.
using TcxDrawBackgroundEvent = rtl::Method<bool(core::TcxCanvas* ACanvas, const TRect& ABounds)>;
// The class-of type the registry keeps: makes one painter of a class.
using TcxCustomLookAndFeelPainterClass = std::unique_ptr<TcxCustomLookAndFeelPainter> (*)();

class TcxCustomLookAndFeelPainter : public rtl::TPersistent {
  RTL_CLASS(TcxCustomLookAndFeelPainter, rtl::TPersistent)

 public:
  TcxCustomLookAndFeelPainter();
  ~TcxCustomLookAndFeelPainter() override;

  // The seven images, each loaded from the program's PNG resources on first
  // use and kept for the painter's life; a missing resource leaves it empty.
  core::TdxSmartImage* GetBackButton();
  core::TdxSmartImage* GetFixedGroupIndicator();
  core::TdxSmartImage* GetClockFace();
  core::TdxSmartImage* GetClockGlass();
  core::TdxSmartImage* GetMapPushpin();
  core::TdxSmartImage* GetNavigationBarCustomizationButton();
  core::TdxSmartImage* GetRatingControlIndicator();

  // Slot order below is the painter interface: every descendant keeps it.
  // --- identity and details
  virtual std::unique_ptr<core::TdxSkinDetails> CreateLookAndFeelPainterDetails();
  virtual core::TdxSkinDetails* GetLookAndFeelPainterDetails();
  virtual TColor DefaultDateNavigatorHeaderHighlightTextColor();
  // --- element families: these bodies draw nothing until the families are filled in
  virtual void DrawBackground(core::TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor,
                              ui::TBitmap* ABackgroundBitmap);
  virtual void DrawButtonArrow(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor);
  virtual void DrawContent(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds, int AState,
                           ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                           bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor,
                           TColor ABkColor, TcxDrawBackgroundEvent AOnDrawBackground = nullptr,
                           bool AIsFooter = false);
  virtual void DrawFilterSmartTagGlyph(core::TcxCanvas* ACanvas, const TRect& R, TcxFilterSmartTagState AState,
                                       bool AIsFilterActive);
  virtual void DrawSchedulerNavigationButtonContent(core::TcxCanvas* ACanvas, const TRect& R,
                                                    const TRect& AArrowRect, bool AIsNextButton,
                                                    TcxButtonState AState);
  // --- footer cell bounds
  virtual TColor GetFilterSmartTagColor(TcxFilterSmartTagState AState, bool AIsFilterActive);
  // R narrowed to a band of AWidth pixels through its centre.
  virtual TRect GetSeparatorBounds(const TRect& R, int AWidth, bool AIsVertical);
  // --- identity
  // A painter with private data (a skin) hands it out; the base has none.
  virtual bool GetPainterData(void*& AData);
  virtual bool GetPainterDetails(core::TdxSkinDetails*& ADetails);
  virtual bool IsInternalPainter();
  virtual String LookAndFeelName();
  virtual TcxLookAndFeelStyle LookAndFeelStyle();
  virtual bool NeedRedrawOnResize();
  // --- default colours
  virtual TColor DefaultContentColor();
  virtual TColor DefaultContentEvenColor();
  virtual TColor DefaultContentOddColor();
  virtual TColor DefaultContentTextColor();
  virtual TColor DefaultControlColor();
  virtual TColor DefaultControlTextColor();
  virtual TColor DefaultEditorBackgroundColor(bool AIsDisabled);
  virtual TColor DefaultEditorBackgroundColorEx(TcxEditStateColorKind AKind);
  virtual TColor DefaultEditorTextColor(bool AIsDisabled);
  virtual TColor DefaultEditorTextColorEx(TcxEditStateColorKind AKind);
  virtual TColor DefaultFilterBoxColor();
  virtual TColor DefaultFilterBoxTextColor();
  virtual TColor DefaultFixedSeparatorColor();
  virtual TColor DefaultFooterColor();
  virtual TColor DefaultFooterTextColor();
  virtual TColor DefaultGridDetailsSiteColor();
  virtual TColor DefaultGridLineColor();
  virtual TColor DefaultGroupByBoxColor();
  virtual TColor DefaultGroupByBoxTextColor();
  virtual TColor DefaultGroupColor();
  virtual TColor DefaultGroupTextColor();
  virtual TColor DefaultHeaderBackgroundColor();
  virtual TColor DefaultHeaderBackgroundTextColor();
  virtual TColor DefaultHeaderColor();
  virtual TColor DefaultHeaderTextColor();
  virtual TColor DefaultHyperlinkTextColor();
  virtual TColor DefaultInactiveColor();
  virtual TColor DefaultInactiveTextColor();
  virtual TColor DefaultPreviewTextColor();
  virtual TColor DefaultRecordSeparatorColor();
  virtual TColor DefaultSizeGripAreaColor();
  virtual TColor DefaultTreeListGridLineColor();
  virtual TColor DefaultTreeListTreeLineColor();
  virtual TColor DefaultVGridBandLineColor();
  virtual TColor DefaultVGridCategoryColor();
  virtual TColor DefaultVGridCategoryTextColor();
  virtual TColor DefaultVGridHeaderColor();
  virtual TColor DefaultVGridHeaderTextColor();
  virtual TColor DefaultVGridLineColor();
  virtual TColor DefaultDateNavigatorContentColor();
  virtual TColor DefaultDateNavigatorHeaderColor();
  virtual TColor DefaultDateNavigatorHeaderTextColor(bool AIsHighlight);
  virtual TColor DefaultDateNavigatorHolydayTextColor();
  virtual TColor DefaultDateNavigatorInactiveTextColor();
  virtual TColor DefaultDateNavigatorSelectionColor();
  virtual TColor DefaultDateNavigatorSelectionTextColor();
  virtual TColor DefaultDateNavigatorSeparator1Color();
  virtual TColor DefaultDateNavigatorSeparator2Color();
  virtual TColor DefaultDateNavigatorTextColor();
  virtual TColor DefaultDateNavigatorTodayFrameColor();
  virtual TColor DefaultDateNavigatorTodayTextColor(bool ASelected);
  virtual TColor DefaultSchedulerBackgroundColor();
  virtual TColor DefaultSchedulerBorderColor();
  virtual TColor DefaultSchedulerContentColor(int AResourceIndex);
  virtual TColor DefaultSchedulerControlColor();
  virtual TColor DefaultSchedulerEventColor(bool AIsAllDayEvent);
  virtual TColor DefaultSchedulerNavigatorColor();
  virtual TColor DefaultSchedulerTextColor();
  virtual TColor DefaultSchedulerTimeRulerColor();
  virtual TColor DefaultSchedulerTimeRulerTextColor();
  virtual TColor DefaultSchedulerViewContentColor();
  virtual TColor DefaultSchedulerViewSelectedTextColor();
  virtual TColor DefaultSchedulerViewTextColor();
  virtual TColor DefaultSchedulerYearViewUnusedContentColor(bool AIsWorkTime);
  virtual TColor DefaultSelectionColor();
  virtual TColor DefaultSelectionTextColor();
  virtual TColor DefaultSeparatorColor();
  virtual TColor DefaultTabColor();
  virtual TColor DefaultTabTextColor();
  virtual TColor DefaultTabsBackgroundColor();
  virtual TColor DefaultRootTabsBackgroundColor();
  virtual TColor DefaultTimeGridMajorScaleColor();
  virtual TColor DefaultTimeGridMajorScaleTextColor();
  virtual TColor DefaultTimeGridMinorScaleColor();
  virtual TColor DefaultTimeGridMinorScaleTextColor();
  virtual TColor DefaultTimeGridSelectionBarColor();
  virtual TColor DefaultChartDiagramValueBorderColor();
  virtual TColor DefaultChartDiagramValueCaptionTextColor();
  virtual TColor DefaultChartHistogramAxisColor();
  virtual TColor DefaultChartHistogramGridLineColor();
  virtual TColor DefaultChartHistogramPlotColor();
  virtual TColor DefaultChartPieDiagramSeriesSiteBorderColor();
  virtual TColor DefaultChartPieDiagramSeriesSiteCaptionColor();
  virtual TColor DefaultChartPieDiagramSeriesSiteCaptionTextColor();
  virtual TColor DefaultChartToolBoxDataLevelInfoBorderColor();
  virtual TColor DefaultChartToolBoxItemSeparatorColor();
  // The first argument is the caption's owner (a layout-view record), unused by the base.
  virtual TColor DefaultLayoutViewCaptionTextColor(rtl::TObject* ACaptionOwner, TcxButtonState AState);
  virtual TColor DefaultLayoutViewContentColor();
  virtual TColor DefaultLayoutViewContentTextColor(TcxButtonState AState);
  virtual TColor DefaultGridOptionsTreeViewCategoryColor(bool ASelected);
  virtual TColor DefaultGridOptionsTreeViewCategoryTextColor(bool ASelected);
  // --- arrows, borders, buttons, expand buttons and command links
  virtual void DrawArrow(core::TcxCanvas* ACanvas, const TRect& R, TcxArrowDirection AArrowDirection, TColor AColor);
  virtual void DrawArrow(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                         TcxArrowDirection AArrowDirection, bool ADrawBorder = true);
  virtual void DrawArrowBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawCollapseArrow(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor, int ALineWidth = 1);
  virtual void DrawScrollBarArrow(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                  TcxArrowDirection AArrowDirection);
  virtual int BorderSize();
  virtual int SeparatorSize();
  virtual void DrawBorder(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawContainerBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxContainerBorderStyle AStyle,
                                   int AWidth, TColor AColor, core::TcxBorders ABorders);
  virtual void DoDrawSeparator(core::TcxCanvas* ACanvas, const TRect& R, bool AIsVertical);
  virtual int ButtonBorderSize(TcxButtonState AState = TcxButtonState::cxbsNormal);
  virtual TColor ButtonColor(TcxButtonState AState);
  virtual TColor ButtonDescriptionTextColor(TcxButtonState AState, TColor ADefaultColor);
  virtual TRect ButtonFocusRect(core::TcxCanvas* ACanvas, const TRect& R);
  virtual TColor ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = ui::clDefault);
  virtual int ButtonTextOffset();
  virtual int ButtonTextShift();
  virtual TcxButtonState ButtonSymbolState(TcxButtonState AState);
  virtual void DrawButton(core::TcxCanvas* ACanvas, const TRect& R, const String& ACaption, TcxButtonState AState,
                          bool ADrawBorder = true, TColor AColor = ui::clDefault, TColor ATextColor = ui::clDefault,
                          bool AWordWrap = false, bool AIsToolButton = false,
                          TcxButtonPart APart = TcxButtonPart::cxbpButton);
  virtual void DrawButtonBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual int GetDropDownButtonRightPartSize();
  virtual bool IsButtonHotTrack();
  virtual bool IsPointOverGroupExpandButton(const TRect& R, const ui::TPoint& P);
  virtual int ExpandButtonAreaSize();
  virtual int ExpandButtonSize();
  virtual int GroupExpandButtonSize();
  virtual int SmallExpandButtonSize();
  virtual void DrawExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor);
  virtual void DrawExpandButtonEx(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AExpanded,
                                  core::TcxRotationAngle ARotationAngle);
  virtual bool DrawExpandButtonFirst();
  virtual void DrawGroupExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded,
                                     TcxButtonState AState);
  virtual void DrawSmallExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor,
                                     TColor AColor = ui::clDefault);
  virtual TColor DefaultCommandLinkTextColor(TcxButtonState AState, TColor ADefaultColor);
  virtual void DrawCommandLinkBackground(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                         TColor AColor = ui::clDefault);
  virtual void DrawCommandLinkGlyph(core::TcxCanvas* ACanvas, const ui::TPoint& AGlyphPos, TcxButtonState AState);
  virtual TSize GetCommandLinkGlyphSize();
  // Left, top, right and bottom margins around a command link's glyph and text.
  virtual TRect GetCommandLinkMargins();
  // --- headers, sorting marks and the grid's header-side colours
  virtual void DrawHeader(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                          TcxNeighbors ANeighbors, core::TcxBorders ABorders, TcxButtonState AState,
                          ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                          bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor,
                          TColor ABkColor, TcxDrawBackgroundEvent AOnDrawBackground = nullptr, bool AIsLast = false,
                          bool AIsGroup = false);
  virtual void DrawHeaderEx(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                            TcxNeighbors ANeighbors, core::TcxBorders ABorders, TcxButtonState AState,
                            ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                            bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor,
                            TColor ABkColor, TcxDrawBackgroundEvent AOnDrawBackground = nullptr);
  virtual void DrawHeaderBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                                core::TcxBorders ABorders);
  virtual void DrawHeaderPressed(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawHeaderControlSection(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                        TcxNeighbors ANeighbors, core::TcxBorders ABorders, TcxButtonState AState,
                                        ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert,
                                        bool AMultiLine, bool AShowEndEllipsis, const String& AText,
                                        ui::TFont* AFont, TColor ATextColor, TColor ABkColor);
  virtual void DrawHeaderControlSectionBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders,
                                              TcxButtonState AState);
  virtual void DrawHeaderControlSectionContent(core::TcxCanvas* ACanvas, const TRect& R, const TRect& ATextAreaBounds,
                                               TcxButtonState AState, ui::TAlignment AAlignmentHorz,
                                               core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                               bool AShowEndEllipsis, const String& AText, ui::TFont* AFont,
                                               TColor ATextColor, TColor ABkColor);
  virtual void DrawHeaderControlSectionText(core::TcxCanvas* ACanvas, const TRect& ATextAreaBounds,
                                            TcxButtonState AState, ui::TAlignment AAlignmentHorz,
                                            core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                            bool AShowEndEllipsis, const String& AText, ui::TFont* AFont,
                                            TColor ATextColor);
  virtual void DrawHeaderSeparator(core::TcxCanvas* ACanvas, const TRect& R, int AIndentSize, TColor AColor,
                                   const core::TcxViewParams& AViewParams);
  virtual void DrawSortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting);
  virtual void DrawSummarySortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting);
  virtual void DrawSummaryValueSortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting);
  virtual core::TcxBorders HeaderBorders(TcxNeighbors ANeighbors);
  virtual int HeaderBorderSize();
  // ABounds grown by the border on each side drawn here but left to a neighbour by HeaderBorders.
  virtual TRect HeaderBounds(const TRect& ABounds, TcxNeighbors ANeighbors,
                             core::TcxBorders ABorders = core::cxBordersAll);
  virtual TRect HeaderContentBounds(const TRect& ABounds, core::TcxBorders ABorders);
  virtual bool HeaderDrawCellsFirst();
  virtual int HeaderHeight(int AFontHeight);
  virtual int HeaderControlSectionBorderSize(TcxButtonState AState);
  virtual TRect HeaderControlSectionTextAreaBounds(const TRect& ABounds, TcxButtonState AState);
  virtual TRect HeaderControlSectionContentBounds(const TRect& ABounds, TcxButtonState AState);
  virtual int HeaderWidth(core::TcxCanvas* ACanvas, core::TcxBorders ABorders, const String& AText, ui::TFont* AFont);
  virtual bool IsHeaderHotTrack();
  virtual TSize SortingMarkAreaSize();
  virtual TSize SortingMarkSize();
  virtual TSize SummarySortingMarkSize();
  virtual TSize SummaryValueSortingMarkSize();
  virtual void DrawFilterRowSeparator(core::TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor);
  virtual void DrawGroupByBox(core::TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor,
                              ui::TBitmap* ABackgroundBitmap);
  virtual int GridBordersOverlapSize();
  virtual TColor GridGroupRowStyleOffice11ContentColor(bool AHasData);
  virtual TColor GridGroupRowStyleOffice11SeparatorColor();
  virtual TColor GridGroupRowStyleOffice11TextColor();
  virtual bool GridDrawHeaderCellsFirst();
  virtual TColor PivotGridHeadersAreaColor();
  virtual TColor PivotGridHeadersAreaTextColor();
  // --- image zoom buttons
  // --- layout-view records
  // --- chart tool box
  // --- footers, filter buttons, filter panel and find panel
  // --- windows, popup borders, hints, screen tips and tabs
  // --- indicators
  // --- scroll bars, size grips, sliders and small buttons
  // --- scheduler navigation, groups and borders
  // --- editor buttons and container borders
  // --- clock
  // --- zoom buttons
  // --- back button
  // --- date navigator
  // --- navigators, progress bars and group boxes
  // --- check boxes, toggle switches, radio buttons and label lines
  // --- gauge, map control, office navigation bar and spreadsheet
  // --- panels, track bars and splitters
  // --- layout control, print preview, message box, breadcrumb edit, drop-down list box, alert window, gallery and bevel
  // --- calendars and modern clocks
  // --- rating control, fixed group indicator, wheel picker and rich edit

 private:
  core::TdxSmartImage* LoadedImage(std::unique_ptr<core::TdxSmartImage>& AImage, const char16_t* AName);

  std::unique_ptr<core::TdxSmartImage> FBackButton;
  std::unique_ptr<core::TdxSmartImage> FFixedGroupIndicator;
  std::unique_ptr<core::TdxSmartImage> FClockFace;
  std::unique_ptr<core::TdxSmartImage> FClockGlass;
  std::unique_ptr<core::TdxSmartImage> FMapPushpin;
  std::unique_ptr<core::TdxSmartImage> FNavigationBarCustomizationButton;
  std::unique_ptr<core::TdxSmartImage> FRatingControlIndicator;
  std::unique_ptr<core::TdxSkinDetails> FLookAndFeelPainterDetailsCache;
};

}  // namespace lookandfeel
