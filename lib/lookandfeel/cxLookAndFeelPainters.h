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
#include <vector>

#include "lib/core/cxGraphics.h"
#include "lib/core/dxAlphaColors.h"
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
namespace ui {
class TCustomImageList;
}  // namespace ui

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
using TcxArrowDirections = rtl::Set<TcxArrowDirection, 4>;
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
// The corner of a window that a size grip serves.
enum class TdxCorner { coTopLeft, coTopRight, coBottomLeft, coBottomRight };

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
  // R less the footer cell's border on each side.
  virtual TRect FooterCellContentBounds(const TRect& R);
  // The content less a 2-pixel text margin on each side.
  virtual TRect FooterCellTextAreaBounds(const TRect& R);
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
  // Not virtual: the outline of a sorting triangle of SortingMarkSize centred
  // in R (apex up when ascending), for the painters' sorting marks; the
  // summary form adds one or two lines along R's top and a shorter triangle
  // of SummarySortingMarkSize below them.
  void DrawSortingArrow(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting, TColor AColor1,
                        TColor AColor2);
  void DrawSummarySortingArrow(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting, TColor AColor1,
                               TColor AColor2);
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
  virtual void DrawImageZoomInButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawImageZoomOutButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual TSize GetImageZoomInButtonSize();
  virtual TSize GetImageZoomOutButtonSize();
  // --- layout-view records
  virtual void LayoutViewDrawItem(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                  core::TcxBorders ABorders);
  virtual void LayoutViewDrawRecordCaption(core::TcxCanvas* ACanvas, const TRect& R, const TRect& ATextRect,
                                           TcxGroupBoxCaptionPosition APosition, TcxButtonState AState);
  virtual void LayoutViewDrawRecordBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                          core::TcxBorders ABorders);
  virtual void LayoutViewDrawRecordContent(core::TcxCanvas* ACanvas, const TRect& R,
                                           TcxGroupBoxCaptionPosition ACaptionPosition, TcxButtonState AState,
                                           core::TcxBorders ABorders);
  virtual void LayoutViewDrawRecordExpandButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                bool AExpanded);
  // Margins (left, top, right, bottom) around and between layout elements.
  virtual TRect LayoutViewGetPadding(TcxLayoutElement AElement);
  virtual TRect LayoutViewGetSpacing(TcxLayoutElement AElement);
  // How far a record caption reaches beyond its caption band.
  virtual int LayoutViewRecordCaptionTailSize(TcxGroupBoxCaptionPosition APosition);
  // --- chart tool box
  virtual int ChartToolBoxDataLevelInfoBorderSize();
  // --- footers, filter buttons, filter panel and find panel
  virtual core::TcxBorders FooterBorders();
  virtual int FooterBorderSize();
  virtual int FooterCellBorderSize();
  virtual int FooterCellOffset();
  virtual bool FooterDrawCellsFirst();
  virtual TColor FooterSeparatorColor();
  virtual int FooterSeparatorSize();
  virtual void DrawFooterCell(core::TcxCanvas* ACanvas, const TRect& ABounds, ui::TAlignment AAlignmentHorz,
                              core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, const String& AText,
                              ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
                              TcxDrawBackgroundEvent AOnDrawBackground = nullptr);
  virtual void DrawFooterCellContent(core::TcxCanvas* ACanvas, const TRect& ABounds, ui::TAlignment AAlignmentHorz,
                                     core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, const String& AText,
                                     ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
                                     TcxDrawBackgroundEvent AOnDrawBackground = nullptr);
  virtual void DrawFooterBorder(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawFooterBorderEx(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders);
  virtual void DrawFooterCellBorder(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawFooterContent(core::TcxCanvas* ACanvas, const TRect& R, const core::TcxViewParams& AViewParams);
  virtual void DrawFooterSeparator(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawFilterActivateButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                        bool AChecked);
  virtual void DrawFilterCloseButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawFilterDropDownButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                        bool AIsFilterActive);
  virtual void DrawFilterPanel(core::TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor,
                               ui::TBitmap* ABackgroundBitmap);
  virtual void DrawFilterSmartTag(core::TcxCanvas* ACanvas, const TRect& R, TcxFilterSmartTagState AState,
                                  bool AIsFilterActive);
  virtual TSize FilterActivateButtonSize();
  virtual TSize FilterCloseButtonSize();
  virtual TSize FilterDropDownButtonSize();
  virtual TSize FilterSmartTagSize();
  virtual void DrawFindPanel(core::TcxCanvas* ACanvas, const TRect& R, bool ATransparent, TColor ABackgroundColor,
                             ui::TBitmap* ABackgroundBitmap);
  virtual void DrawFindPanelBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders);
  // --- windows, popup borders, hints, screen tips and tabs
  virtual TColor GetWindowContentTextColor();
  virtual void DrawWindowContent(core::TcxCanvas* ACanvas, const TRect& R);
  // R comes back as the rectangle inside the border.
  virtual void DrawEditPopupWindowBorder(core::TcxCanvas* ACanvas, TRect& R, TcxEditPopupBorderStyle ABorderStyle,
                                         bool AClientEdge);
  virtual int GetEditPopupWindowBorderWidth(TcxEditPopupBorderStyle AStyle);
  virtual int GetEditPopupWindowClientEdgeWidth(TcxEditPopupBorderStyle AStyle);
  virtual TcxPopupBorderStyle PopupBorderStyle();
  virtual TColor GetHintBorderColor();
  virtual void DrawHintBackground(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor = ui::clDefault);
  virtual TColor ScreenTipGetDescriptionTextColor();
  virtual TColor ScreenTipGetTitleTextColor();
  virtual int ScreenTipGetFooterLineSize();
  virtual void ScreenTipDrawBackground(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void ScreenTipDrawFooterLine(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawTab(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders, const String& AText,
                       TcxButtonState AState, bool AVertical, ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
                       bool AShowPrefix = false);
  // R is the one-pixel line of the side ABorder of a tab whose drawn sides are ABorders.
  virtual void DrawTabBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorder ABorder,
                             core::TcxBorders ABorders, bool AVertical);
  virtual void DrawTabsRoot(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders, bool AVertical);
  virtual bool IsDrawTabImplemented();
  virtual bool IsTabHotTrack();
  virtual int TabBorderSize();
  // --- indicators
  virtual void DrawIndicatorCustomizationMark(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor);
  virtual void DrawIndicatorImage(core::TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind);
  virtual void DrawIndicatorItem(core::TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                                 TcxDrawBackgroundEvent AOnDrawBackground = nullptr);
  virtual void DrawIndicatorItemEx(core::TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                                   TcxDrawBackgroundEvent AOnDrawBackground = nullptr);
  virtual bool IndicatorDrawItemsFirst();
  // --- scroll bars, size grips, sliders and small buttons
  // AVertical: the thumb of a vertical bar.
  virtual int ScrollBarMinimalThumbSize(bool AVertical);
  virtual void DrawScrollBarBackground(core::TcxCanvas* ACanvas, const TRect& R, bool AHorizontal);
  virtual void DrawScrollBarPart(core::TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                                 TcxButtonState AState);
  virtual void DrawScrollBarSplitter(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  // The system's vertical scroll-bar width by the horizontal scroll-bar height.
  virtual TSize SizeGripSize();
  // Draws the grip of the bottom-right corner.
  virtual void DoDrawSizeGrip(core::TcxCanvas* ACanvas, const TRect& R);
  // clNone as ABackgroundColor keeps what lies under R.
  virtual void DrawSizeGrip(core::TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor = ui::clDefault,
                            TdxCorner ACorner = TdxCorner::coBottomRight);
  virtual TSize SliderButtonSize(TcxArrowDirection ADirection);
  virtual void DrawSliderButton(core::TcxCanvas* ACanvas, const TRect& R, TcxArrowDirection ADirection,
                                TcxButtonState AState);
  virtual TSize SmallCloseButtonSize();
  virtual TSize DoGetSmallCloseButtonSize();
  virtual void DrawSmallButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawSmallCloseButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  // Not virtual: the arrow of a scroll-bar part.
  static TcxArrowDirection GetArrowDirection(bool AHorizontal, TcxScrollBarPart APart);
  // Not virtual: the resizable popup's band with its size grip and close button.
  int PopupPanelSize();
  // AClientRect shrinks by ABorders and gives up the band (APanelHeight high,
  // 0 for PopupPanelSize) at the side of the grip corner; the grip and close
  // button rectangles are empty when they are not shown.
  void CalculatePopupPanelClientRect(TRect& AClientRect, TRect& APanelRect, TRect& ASizeGripRect,
                                     TRect& ACloseButtonRect, TdxCorner ASizeGripCorner, bool ACloseButton,
                                     bool ASizeGrip, const TRect& ABorders, int APanelHeight = 0);
  // Paints the band (ABorders of it in ABorderColor) and leaves it excluded from the clip region.
  void DrawPopupPanelBand(core::TcxCanvas* ACanvas, const TRect& APanelRect, const TRect& ABorders,
                          TColor ABorderColor, bool ASizeGrip, bool ACloseButton, const TRect& ASizeGripRect,
                          const TRect& ACloseButtonRect, TcxButtonState ACloseButtonState,
                          TdxCorner ASizeGripCorner);
  // --- scheduler navigation, groups and borders
  // Lays out a scheduler navigation button: ABounds may shrink (collapsed) or
  // grow (a text taller than its room); the text and arrow rectangles follow.
  virtual void CalculateSchedulerNavigationButtonRects(bool AIsNextButton, bool ACollapsed,
                                                       const TSize& APrevButtonTextSize,
                                                       const TSize& ANextButtonTextSize, TRect& ABounds,
                                                       TRect& ATextRect, TRect& AArrowRect);
  virtual void DrawMonthHeader(core::TcxCanvas* ACanvas, const TRect& ABounds, const String& AText,
                               TcxNeighbors ANeighbors, const core::TcxViewParams& AViewParams,
                               TcxArrowDirections AArrows, int ASideWidth,
                               TcxDrawBackgroundEvent AOnDrawBackground = nullptr);
  virtual void DrawSchedulerBorder(core::TcxCanvas* ACanvas, const TRect& R);
  // AProgress is the filled part's rectangle.
  virtual void DrawSchedulerEventProgress(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& AProgress,
                                          const core::TcxViewParams& AViewParams, bool ATransparent);
  virtual void DrawSchedulerGroup(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor);
  virtual void DrawSchedulerGroupSeparator(core::TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor,
                                           TcxDrawBackgroundEvent AOnDrawBackground);
  virtual void DrawSchedulerMilestone(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawSchedulerNavigationButton(core::TcxCanvas* ACanvas, const TRect& R, bool AIsNextButton,
                                             TcxButtonState AState, const String& AText, const TRect& ATextRect,
                                             const TRect& AArrowRect);
  virtual void DrawSchedulerNavigationButtonArrow(core::TcxCanvas* ACanvas, const TRect& R, bool AIsNextButton,
                                                  TColor AColor);
  virtual void DrawSchedulerNavigatorButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawSchedulerSplitterBorder(core::TcxCanvas* ACanvas, const TRect& R,
                                           const core::TcxViewParams& AViewParams, bool AIsHorizontal);
  // Left, top, right and bottom offsets of an event's progress bar.
  virtual TRect SchedulerEventProgressOffsets();
  virtual TColor SchedulerNavigationButtonTextColor(bool AIsNextButton, TcxButtonState AState,
                                                    TColor ADefaultColor);
  // ABorders holds the left, top, right and bottom border widths.
  virtual void SchedulerNavigationButtonSizes(bool AIsNextButton, TRect& ABorders, TSize& AArrowSize,
                                              bool& AHasTextArea);
  // Not part of the interface: the arrows of a month header, each in a square
  // as high as R at its end (ASideWidth is for descendants).
  void DrawMonthHeaderArrows(core::TcxCanvas* ACanvas, const TRect& R, TcxArrowDirections AArrows, int ASideWidth,
                             TColor AColor);
  // --- editor buttons and container borders
  virtual void DrawEditorButton(core::TcxCanvas* ACanvas, const TRect& R, TcxEditBtnKind AButtonKind,
                                TcxButtonState AState, TcxEditBtnPosition APosition = TcxEditBtnPosition::cxbpRight);
  virtual void DrawEditorButtonGlyph(core::TcxCanvas* ACanvas, const TRect& R, TcxEditBtnKind AButtonKind,
                                     TcxButtonState AState,
                                     TcxEditBtnPosition APosition = TcxEditBtnPosition::cxbpRight);
  virtual int EditButtonTextOffset();
  virtual TSize EditButtonSize();
  virtual TColor EditButtonTextColor();
  virtual TColor GetContainerBorderColor(bool AIsHighlightBorder);
  virtual int GetContainerBorderWidth(TcxContainerBorderStyle ABorderStyle);
  // --- clock
  virtual TSize ClockSize();
  virtual void DrawClock(core::TcxCanvas* ACanvas, const TRect& R, rtl::TDateTime ADateTime,
                         TColor ABackgroundColor);
  // --- zoom buttons
  virtual TSize GetZoomInButtonSize();
  virtual TSize GetZoomOutButtonSize();
  virtual void DrawZoomInButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawZoomOutButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  // --- back button
  // One frame of the back-button strip, scaled.
  virtual TSize GetBackButtonSize();
  virtual void DrawBackButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  // --- date navigator
  virtual void DrawDateNavigatorCellSelection(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor);
  // R shrinks to the area inside the header's edge.
  virtual void DrawDateNavigatorDateHeader(core::TcxCanvas* ACanvas, TRect& R);
  virtual void DrawDateNavigatorTodayCellSelection(core::TcxCanvas* ACanvas, const TRect& R);
  // --- navigators, progress bars and group boxes
  virtual void DrawNavigatorBorder(core::TcxCanvas* ACanvas, const TRect& R, bool ASelected);
  virtual void DrawNavigatorButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                   TColor ABackgroundColor);
  virtual void DrawNavigatorButtonGlyph(core::TcxCanvas* ACanvas, ui::TCustomImageList* AImageList, int AImageIndex,
                                        const TRect& AGlyphRect, bool AEnabled, bool AUserGlyphs);
  virtual bool NavigatorBorderOverlap();
  virtual int NavigatorBorderSize();
  // Left, top, right and bottom space between a navigator button's edge and its glyph.
  virtual TRect NavigatorButtonGlyphPadding();
  virtual TSize NavigatorButtonGlyphSize();
  virtual TSize NavigatorButtonMinSize();
  virtual ui::TPoint NavigatorButtonPressedGlyphOffset();
  virtual TColor NavigatorButtonTextColor();
  virtual void DrawProgressBarBorder(core::TcxCanvas* ACanvas, const TRect& R, bool AVertical);
  virtual void DrawProgressBarChunk(core::TcxCanvas* ACanvas, const TRect& R, bool AVertical);
  virtual void DrawProgressBarText(core::TcxCanvas* ACanvas, bool AVertical, bool ASolid, const String& AText,
                                   const TRect& ATextRect, const TRect& AProgressBarRect,
                                   const TRect& AProgressChunkRect, TColor ATextColor = ui::clDefault);
  virtual TRect ProgressBarBorderSize(bool AVertical);
  virtual TColor ProgressBarTextColor();
  virtual TColor ProgressBarTextColorEx(bool AIsFilledArea);
  virtual void DrawGroupBoxBackground(core::TcxCanvas* ACanvas, const TRect& R, const TRect& ARect);
  virtual void DrawGroupBoxCaption(core::TcxCanvas* ACanvas, const TRect& R,
                                   TcxGroupBoxCaptionPosition ACaptionPosition, const TRect& ATextRect);
  virtual void DrawGroupBoxContent(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders);
  virtual void DrawGroupBoxExpandButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                        bool AExpanded, core::TcxRotationAngle ARotationAngle = core::ra0);
  virtual void DrawGroupBoxButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawGroupBoxExpandGlyph(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                       bool AExpanded);
  virtual void DrawGroupBoxFrame(core::TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition ACaptionPosition,
                                 core::TcxBorders ABorders = core::cxBordersAll);
  virtual TRect GroupBoxBorderSize(bool ACaption, TcxGroupBoxCaptionPosition ACaptionPosition);
  virtual int GroupBoxCaptionTailSize(TcxGroupBoxCaptionPosition ACaptionPosition);
  virtual TColor GroupBoxTextColor(bool AEnabled, TcxGroupBoxCaptionPosition ACaptionPosition);
  virtual bool IsGroupBoxCaptionTextDrawnOverBorder(TcxGroupBoxCaptionPosition ACaptionPosition);
  virtual bool IsGroupBoxTransparent(bool AIsCaption, TcxGroupBoxCaptionPosition ACaptionPosition);
  // --- check boxes, toggle switches, radio buttons and label lines
  virtual TSize CheckButtonAreaSize();
  virtual int CheckBorderSize();
  virtual TColor CheckButtonColor(TcxButtonState AState, TcxCheckBoxState ACheckState);
  virtual TSize CheckButtonSize();
  virtual void DrawCheck(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked,
                         TColor AColor);
  // A clear brush leaves the box unfilled: only the mark is drawn.
  virtual void DrawCheck(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                         TcxCheckBoxState ACheckState, TColor AColor);
  virtual void DrawCheckBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawCheckButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked);
  virtual void DrawCheckButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                               TcxCheckBoxState ACheckState);
  virtual TColor ToggleSwitchToggleColor(bool AChecked);
  // The track in the state the thumb's position shows; a thumb between the
  // ends splits it at the thumb's centre.
  virtual void DrawToggleSwitch(core::TcxCanvas* ACanvas, const TRect& ABounds, TcxButtonState AState,
                                const TRect& AThumbBounds);
  virtual void DrawToggleSwitchState(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                     bool AChecked);
  virtual void DrawToggleSwitchStateIndicator(core::TcxCanvas* ACanvas, const TRect& R, const String& AText,
                                              ui::TFont* AFont);
  virtual void DrawToggleSwitchThumb(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual int GetToggleSwitchThumbPercentsWidth();
  virtual void DrawRadioButton(core::TcxCanvas* ACanvas, int X, int Y, TcxButtonState AButtonState, bool AChecked,
                               bool AFocused, TColor ABrushColor, bool AIsDesigning = false);
  virtual TColor RadioButtonBodyColor(TcxButtonState AState);
  virtual TSize RadioButtonSize();
  // AOuterColor is the left or top line, AInnerColor the right or bottom one;
  // clDefault gives the classic shadow and highlight.
  virtual void DrawLabelLine(core::TcxCanvas* ACanvas, const TRect& R, TColor AOuterColor, TColor AInnerColor,
                             bool AIsVertical);
  virtual int LabelLineHeight();
  // Shared pieces of these families that other units call directly (not part of the interface).
  // The three corners of an arrow in R; AArrowSize 0 derives the size from R.
  static void CalculateArrowPoints(TRect R, ui::TPoint (&P)[3], TcxArrowDirection AArrowDirection,
                                   bool AProportional, int AArrowSize);
  void DrawSeparator(core::TcxCanvas* ACanvas, const TRect& R, bool AIsVertical);
  // The x of a close glyph.
  void DrawButtonCross(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor, TcxButtonState AState);
  // A plus sign, or a minus sign when expanded.
  void DrawExpandButtonCross(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor);
  // Two chevrons one above the other, pointing up when expanded.
  void DrawExpandMark(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor, bool AExpanded);
  // --- gauge, map control, office navigation bar and spreadsheet
  virtual TColor GaugeControlBackgroundColor();
  virtual void DrawGaugeControlBackground(core::TcxCanvas* ACanvas, const TRect& R, bool ATransparent,
                                          TColor ABackgroundColor);
  // The map control's colours are alpha colours ($AARRGGBB) except the background.
  virtual TColor MapControlBackgroundColor();
  virtual core::TdxAlphaColor MapControlPanelBackColor();
  virtual core::TdxAlphaColor MapControlPanelHotTrackedTextColor();
  virtual core::TdxAlphaColor MapControlPanelPressedTextColor();
  virtual core::TdxAlphaColor MapControlPanelTextColor();
  virtual TSize MapControlGetMapPushpinSize();
  virtual ui::TPoint MapControlGetMapPushpinTextOrigin();
  virtual TRect MapControlMapCustomElementSelectionOffset();
  virtual core::TdxAlphaColor MapControlMapCustomElementTextColor();
  virtual core::TdxAlphaColor MapControlMapCustomElementTextGlowColor();
  virtual core::TdxAlphaColor MapControlMapPushpinTextColor();
  virtual core::TdxAlphaColor MapControlMapPushpinTextGlowColor();
  virtual core::TdxAlphaColor MapControlSelectedRegionBackgroundColor();
  virtual core::TdxAlphaColor MapControlSelectedRegionBorderColor();
  virtual core::TdxAlphaColor MapControlShapeColor();
  virtual core::TdxAlphaColor MapControlShapeBorderColor();
  virtual int MapControlShapeBorderWidth();
  virtual core::TdxAlphaColor MapControlShapeHighlightedColor();
  virtual core::TdxAlphaColor MapControlShapeBorderHighlightedColor();
  virtual int MapControlShapeBorderHighlightedWidth();
  virtual core::TdxAlphaColor MapControlShapeSelectedColor();
  virtual core::TdxAlphaColor MapControlShapeBorderSelectedColor();
  virtual int MapControlShapeBorderSelectedWidth();
  virtual void DrawMapCustomElementBackground(core::TcxCanvas* ACanvas, const TRect& R,
                                              TdxMapControlElementState AState);
  virtual void DrawMapPushpin(core::TcxCanvas* ACanvas, const TRect& R, TdxMapControlElementState AState);
  // Navigation-bar states: 0 normal, 1 hot, 2 pressed, 3 selected. AColor is
  // an alpha colour; core::dxacDefault draws the image in its own colours.
  virtual void OfficeNavigationBarDrawCustomizationButton(core::TcxCanvas* ACanvas, const TRect& R, int AState,
                                                          core::TdxAlphaColor AColor);
  virtual void OfficeNavigationBarDrawBackground(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void OfficeNavigationBarDrawImageSelection(core::TcxCanvas* ACanvas, const TRect& R, int AState);
  virtual void OfficeNavigationBarButtonItemDrawBackground(core::TcxCanvas* ACanvas, const TRect& R, int AState);
  virtual void OfficeNavigationBarItemDrawBackground(core::TcxCanvas* ACanvas, const TRect& R, int AState);
  virtual TRect OfficeNavigationBarContentOffsets();
  virtual TSize OfficeNavigationBarCustomizationButtonSize();
  virtual TRect OfficeNavigationBarButtonItemContentOffsets();
  virtual int OfficeNavigationBarButtonItemFontSize();
  virtual TColor OfficeNavigationBarButtonItemTextColor(int AState);
  virtual TRect OfficeNavigationBarItemContentOffsets();
  virtual int OfficeNavigationBarItemFontSize();
  virtual TColor OfficeNavigationBarItemTextColor(int AState);
  virtual void DrawSpreadSheetGroupExpandButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  // The expand (collapsed) or collapse (expanded) sign of the navigator's glyph list.
  virtual void DrawSpreadSheetGroupExpandButtonGlyph(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                                     bool AExpanded, ui::TCustomImageList* ADefaultGlyphs);
  virtual void DrawSpreadSheetHeader(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                     TcxNeighbors ANeighbors, core::TcxBorders ABorders, TcxButtonState AState,
                                     ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert,
                                     bool AMultiLine, bool AShowEndEllipsis, const String& AText, ui::TFont* AFont,
                                     TColor ATextColor, TColor ABkColor,
                                     TcxDrawBackgroundEvent AOnDrawBackground = nullptr, bool AIsLast = false,
                                     bool AIsGroup = false);
  virtual TColor SpreadSheetContentColor();
  virtual TColor SpreadSheetContentTextColor();
  virtual TColor SpreadSheetFrozenPaneSeparatorColor();
  virtual TRect SpreadSheetGroupExpandButtonContentOffsets();
  virtual TSize SpreadSheetGroupExpandButtonGlyphSize();
  virtual TColor SpreadSheetGroupExpandButtonTextColor(TcxButtonState AState);
  virtual TSize SpreadSheetGroupLevelMarkSize();
  virtual TColor SpreadSheetGroupLineColor();
  virtual TColor SpreadSheetSelectionColor();
  // --- panels, track bars and splitters
  // AControl is the panel (its parent's background shows through in some painters).
  virtual void DrawPanelBackground(core::TcxCanvas* ACanvas, ui::TWinControl* AControl, const TRect& ABounds,
                                   TColor AColorFrom = ui::clDefault, TColor AColorTo = ui::clDefault);
  virtual void DrawPanelBorders(core::TcxCanvas* ACanvas, const TRect& ABorderRect);
  virtual void DrawPanelCaption(core::TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition ACaptionPosition);
  virtual void DrawPanelContent(core::TcxCanvas* ACanvas, const TRect& R, bool ADrawBorders);
  virtual TRect PanelBorderSize();
  virtual TColor PanelTextColor();
  // R grows by one pixel at the right and at the bottom in the base.
  virtual void CorrectThumbRect(core::TcxCanvas* ACanvas, TRect& R, bool AHorizontal, TcxTrackBarTicksAlign ATicks);
  virtual void DrawTrackBarTrack(core::TcxCanvas* ACanvas, const TRect& R, const TRect& ASelection,
                                 bool AShowSelection, bool AEnabled, bool AHorizontal, TColor ATrackColor);
  virtual void DrawTrackBarTrackBounds(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawTrackBarThumb(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AHorizontal,
                                 TcxTrackBarTicksAlign ATicks, TColor AThumbColor);
  // The edges of a pointed thumb: lit, shadowed and dark.
  virtual void DrawTrackBarThumbBorderUpDown(core::TcxCanvas* ACanvas, const std::vector<ui::TPoint>& ALightPolyLine,
                                             const std::vector<ui::TPoint>& AShadowPolyLine,
                                             const std::vector<ui::TPoint>& ADarkPolyLine);
  virtual void DrawTrackBarThumbBorderBoth(core::TcxCanvas* ACanvas, const TRect& R);
  virtual TSize TrackBarThumbSize(bool AHorizontal);
  virtual TColor TrackBarTicksColor(bool AText);
  virtual int TrackBarTrackSize();
  virtual TColor GetSplitterInnerColor(bool AHighlighted);
  virtual TColor GetSplitterOuterColor(bool AHighlighted);
  virtual void DrawSplitter(core::TcxCanvas* ACanvas, const TRect& R, bool AHighlighted, bool AClicked,
                            bool AHorizontal);
  virtual TSize GetSplitterSize(bool AHorizontal);
  // --- layout control, print preview, message box, breadcrumb edit, drop-down list box, alert window, gallery and bevel
  virtual TColor LayoutControlEmptyAreaColor();
  virtual void DrawLayoutControlBackground(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawScrollBoxBackground(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor);
  // Left, top, right and bottom widths of a preview page's frame and shadow.
  virtual TRect PrintPreviewPageBordersWidth();
  virtual void DrawPrintPreviewBackground(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawPrintPreviewPageBackground(core::TcxCanvas* ACanvas, const TRect& ABorderRect,
                                              const TRect& AContentRect, bool ASelected, bool ADrawContent);
  virtual TColor CalcEditButtonTextColor(TcxCalcButtonKind AButtonKind);
  virtual TColor GetCustomizationFormListBackgroundColor();
  // Leaves the frame excluded from the canvas's clipping.
  virtual void DrawMessageBox(core::TcxCanvas* ACanvas, const TRect& R, const String& AMessage,
                              ui::TFont* AFont = nullptr, TColor AColor = ui::clNone);
  virtual TColor BreadcrumbEditBackgroundColor(TdxBreadcrumbEditState AState);
  virtual TRect BreadcrumbEditBordersSize();
  virtual int BreadcrumbEditButtonAreaSeparatorSize();
  virtual TRect BreadcrumbEditButtonContentOffsets(bool AIsFirst, bool AIsLast);
  virtual int BreadcrumbEditDropDownButtonOriginalWidth();
  virtual int BreadcrumbEditDropDownButtonWidth();
  virtual bool BreadcrumbEditIsFadingSupports();
  virtual int BreadcrumbEditNodeDelimiterSize();
  virtual TColor BreadcrumbEditNodeTextColor(TdxBreadcrumbEditButtonState AState);
  virtual TRect BreadcrumbEditNodeTextOffsets();
  virtual TSize BreadcrumbEditProgressChunkOverlaySize();
  virtual TRect BreadcrumbEditProgressChunkPadding();
  virtual void DrawBreadcrumbEditBorders(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders,
                                         TdxBreadcrumbEditState AState);
  virtual void DrawBreadcrumbEditButtonAreaSeparator(core::TcxCanvas* ACanvas, const TRect& R,
                                                     TdxBreadcrumbEditState AState);
  virtual void DrawBreadcrumbEditButton(core::TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                        bool AIsFirst, bool AIsLast);
  virtual void DrawBreadcrumbEditDropDownButton(core::TcxCanvas* ACanvas, const TRect& R,
                                                TdxBreadcrumbEditButtonState AState, bool AIsInEditor);
  virtual void DrawBreadcrumbEditDropDownButtonGlyph(core::TcxCanvas* ACanvas, const TRect& R,
                                                     TdxBreadcrumbEditButtonState AState, bool AIsInEditor);
  virtual void DrawBreadcrumbEditNode(core::TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                      bool AHasDelimiter);
  virtual void DrawBreadcrumbEditNodeDelimiter(core::TcxCanvas* ACanvas, const TRect& R,
                                               TdxBreadcrumbEditButtonState AState);
  virtual void DrawBreadcrumbEditNodeDelimiterGlyph(core::TcxCanvas* ACanvas, const TRect& R,
                                                    TdxBreadcrumbEditButtonState AState);
  virtual void DrawBreadcrumbEditNodeMoreButtonGlyph(core::TcxCanvas* ACanvas, const TRect& R,
                                                     TdxBreadcrumbEditButtonState AState);
  virtual void DrawBreadcrumbEditProgressChunk(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawBreadcrumbEditProgressChunkOverlay(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawDropDownListBoxBackground(core::TcxCanvas* ACanvas, const TRect& R, bool AHasBorders);
  virtual void DrawDropDownListBoxGutterBackground(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawDropDownListBoxSelection(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect);
  virtual void DrawDropDownListBoxSeparator(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect);
  virtual int DropDownListBoxBordersSize();
  virtual TRect DropDownListBoxItemImageOffsets();
  virtual TColor DropDownListBoxItemTextColor(bool ASelected);
  virtual TRect DropDownListBoxItemTextOffsets();
  virtual int DropDownListBoxSeparatorSize();
  virtual TRect AlertWindowButtonContentOffsets(TdxAlertWindowButtonKind AKind);
  // A custom button's glyph brings its own size: ACustomSize comes back unchanged.
  virtual TSize AlertWindowButtonGlyphSize(TdxAlertWindowButtonKind AKind, const TSize& ACustomSize = TSize{});
  virtual TRect AlertWindowContentOffsets();
  virtual int AlertWindowCornerRadius();
  virtual TColor AlertWindowNavigationPanelTextColor();
  virtual TColor AlertWindowTextColor();
  virtual void DrawAlertWindowBackground(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawAlertWindowButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                     TdxAlertWindowButtonKind AKind, bool ADown = false);
  virtual void DrawAlertWindowNavigationPanel(core::TcxCanvas* ACanvas, const TRect& R);
  virtual TRect GetGalleryGroupHeaderContentOffsets();
  virtual TColor GetGalleryGroupTextColor();
  virtual TColor GetGalleryItemCaptionTextColor();
  virtual TColor GetGalleryItemDescriptionTextColor();
  virtual TColor GetGalleryItemImageFrameColor();
  virtual void DrawGalleryBackground(core::TcxCanvas* ACanvas, const TRect& R);
  virtual void DrawGalleryGroupHeader(core::TcxCanvas* ACanvas, const TRect& R);
  virtual bool DrawGalleryItemSelectionFirst();
  virtual void DrawGalleryItemSelection(core::TcxCanvas* ACanvas, const TRect& R,
                                        const TdxGalleryItemViewState& AViewState);
  virtual void DrawGalleryItemImageFrame(core::TcxCanvas* ACanvas, const TRect& R);
  virtual TColor GetColorGalleryGlyphFrameColor();
  virtual void DrawColorGalleryItemSelection(core::TcxCanvas* ACanvas, const TRect& R,
                                             const TdxGalleryItemViewState& AViewState);
  virtual TSize GetBevelMinimalShapeSize(TdxBevelShape AShape);
  virtual void GetBevelShapeColors(TColor& AColor1, TColor& AColor2);
  virtual void DrawBevelFrame(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor1, TColor AColor2,
                              bool ABoxStyle);
  virtual void DrawBevelLine(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor1, TColor AColor2,
                             bool AIsVertical);
  virtual void DrawBevelShape(core::TcxCanvas* ACanvas, const TRect& R, TdxBevelShape AShape, TdxBevelStyle AStyle);
  // The pin glyph of an alert window's pin button (not an interface slot).
  static void DrawPin(core::TcxCanvas* ACanvas, const TRect& R, bool APinned, TColor AColor);
  // --- calendars and modern clocks
  virtual void DrawCalendarDateCellSelection(core::TcxCanvas* ACanvas, const TRect& R,
                                             TcxCalendarElementStates AStates);
  virtual void DrawModernCalendarArrow(core::TcxCanvas* ACanvas, const TRect& R, TcxArrowDirection AArrowDirection,
                                       TcxCalendarElementState AState);
  // ABackgroundColor clNone keeps what the canvas shows under R.
  virtual void DrawModernCalendarClock(core::TcxCanvas* ACanvas, const TRect& R, rtl::TDateTime ADateTime,
                                       TColor ABackgroundColor);
  virtual void DrawModernCalendarDateCellSelection(core::TcxCanvas* ACanvas, const TRect& R,
                                                   TcxCalendarElementStates AStates);
  virtual void DrawModernCalendarDateHeaderSelection(core::TcxCanvas* ACanvas, const TRect& R,
                                                     TcxCalendarElementStates AStates);
  // Underlines the canvas font of a hot or pressed header; draws nothing.
  virtual void DrawModernCalendarHeaderSelection(core::TcxCanvas* ACanvas, const TRect& R,
                                                 TcxCalendarElementStates AStates);
  virtual TColor GetModernCalendarCellTextColor(TcxCalendarElementStates AStates);
  virtual TColor GetModernCalendarDateHeaderTextColor(TcxCalendarElementStates AStates);
  virtual TColor GetModernCalendarHeaderTextColor();
  virtual TRect GetModernCalendarHeaderTextOffsets();
  virtual TColor GetModernCalendarMarkedCellBorderColor();
  virtual TColor GetModernCalendarSelectedTextColor();
  virtual void DrawModernClockHands(core::TcxCanvas* ACanvas, const TRect& R, rtl::TDateTime ADateTime,
                                    TColor AColor);
  // --- rating control, fixed group indicator, wheel picker and rich edit
  // AGlyph nullptr or empty: the painter's own indicator image.
  virtual void DrawRatingControlIndicator(core::TcxCanvas* ACanvas, ui::TGraphic* AGlyph, const TRect& R,
                                          TdxRatingControlIndicatorState AState);
  virtual void DrawRatingControlIndicator(core::TcxCanvas* ACanvas, const TRect& R,
                                          TdxRatingControlIndicatorState AState);
  virtual void DrawRatingControlIndicatorPart(core::TcxCanvas* ACanvas, ui::TGraphic* AGlyph, const TRect& R,
                                              const TRect& APartRect, TdxRatingControlIndicatorState AState);
  virtual TSize GetRatingControlIndicatorSize();
  virtual void DrawFixedGroupIndicator(core::TcxCanvas* ACanvas, const TRect& R);
  virtual TSize GetFixedGroupIndicatorSize();
  virtual TColor GetWheelPickerFillItemColor(TcxButtonState AState);
  virtual TColor GetWheelPickerBorderItemColor(TcxButtonState AState);
  virtual void DrawWheelPickerItem(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawWheelPickerItemBackground(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual void DrawWheelPickerItemBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState);
  virtual TColor RichEditControlHeaderFooterLineColor();
  virtual TColor RichEditControlHeaderFooterMarkBackColor();
  virtual TColor RichEditControlHeaderFooterMarkTextColor();
  virtual TColor RichEditRulerControlColor();
  virtual TColor RichEditRulerActiveAreaColor();
  virtual TColor RichEditRulerDefaultTabColor();
  virtual TColor RichEditRulerInactiveAreaColor();
  virtual TColor RichEditRulerTabTypeToggleBorderColor();
  virtual TColor RichEditRulerTextColor();

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
