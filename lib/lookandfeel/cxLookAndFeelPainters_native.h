#pragma once
// The Native painter: every element is a part of the visual-styles engine
// (a theme class, part and state) drawn and measured through the core's
// theme binding. Where a theme class is not available (themes switched
// off, or a class the engine does not know) each operation draws as the
// Standard painter does, or as the base painter where Standard keeps the
// base look, so a control never shows a blank element.
#include <memory>

#include "lib/core/cxGraphicsBitmaps.h"
#include "lib/core/dxThemeManager.h"
#include "lib/lookandfeel/cxLookAndFeelPainters_classic.h"

namespace lookandfeel {

// The engine's push-button state of a button state: default 5, normal 1,
// hot 2, pressed 3, disabled 4. Other painters and controls use it too.
int BtnStateToXPBtnState(TcxButtonState AState);

// The theme colour of a part, state and property of the theme of AType.
// False without that theme or when the engine has no such colour; AColor
// is then left as it was.
bool cxGetThemeColor(core::TdxThemedObjectType AType, int APart, int AState, int APropId, TColor& AColor);

class TcxWinXPLookAndFeelPainter : public TcxStandardLookAndFeelPainter {
  RTL_CLASS(TcxWinXPLookAndFeelPainter, TcxStandardLookAndFeelPainter)

 public:
  TcxWinXPLookAndFeelPainter();
  ~TcxWinXPLookAndFeelPainter() override;

  // The overloads of the parent stay visible beside the ones overridden here.
  using TcxCustomLookAndFeelPainter::DrawArrow;
  using TcxCustomLookAndFeelPainter::DrawCheck;
  using TcxCustomLookAndFeelPainter::DrawContent;

  void DrawSchedulerNavigationButtonContent(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AArrowRect,
                                            bool AIsNextButton, TcxButtonState AState) override;
  String LookAndFeelName() override;
  TcxLookAndFeelStyle LookAndFeelStyle() override;
  bool NeedRedrawOnResize() override;
  TColor DefaultSchedulerBorderColor() override;
  TColor DefaultSchedulerViewContentColor() override;
  TColor DefaultLayoutViewCaptionTextColor(rtl::TObject* ACaptionOwner, TcxButtonState AState) override;
  TColor DefaultLayoutViewContentTextColor(TcxButtonState AState) override;
  void DrawArrow(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxArrowDirection AArrowDirection,
                 bool ADrawBorder = true) override;
  void DrawArrowBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  int BorderSize() override;
  int SeparatorSize() override;
  void DrawBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DoDrawSeparator(core::TcxCanvas* ACanvas, const TRect& R, bool AIsVertical) override;
  int ButtonBorderSize(TcxButtonState AState = TcxButtonState::cxbsNormal) override;
  TColor ButtonColor(TcxButtonState AState) override;
  TRect ButtonFocusRect(core::TcxCanvas* ACanvas, const TRect& R) override;
  TColor ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = ui::clDefault) override;
  int ButtonTextOffset() override;
  int ButtonTextShift() override;
  void DrawButton(core::TcxCanvas* ACanvas, const TRect& R, const String& ACaption, TcxButtonState AState,
                  bool ADrawBorder = true, TColor AColor = ui::clDefault, TColor ATextColor = ui::clDefault,
                  bool AWordWrap = false, bool AIsToolButton = false,
                  TcxButtonPart APart = TcxButtonPart::cxbpButton) override;
  bool IsButtonHotTrack() override;
  bool IsPointOverGroupExpandButton(const TRect& R, const ui::TPoint& P) override;
  int ExpandButtonSize() override;
  int GroupExpandButtonSize() override;
  int SmallExpandButtonSize() override;
  void DrawExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) override;
  bool DrawExpandButtonFirst() override;
  void DrawGroupExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TcxButtonState AState) override;
  void DrawSmallExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor ABorderColor,
                             TColor AColor = ui::clDefault) override;
  TColor DefaultCommandLinkTextColor(TcxButtonState AState, TColor ADefaultColor) override;
  void DrawCommandLinkBackground(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                 TColor AColor = ui::clDefault) override;
  void DrawCommandLinkGlyph(core::TcxCanvas* ACanvas, const ui::TPoint& AGlyphPos, TcxButtonState AState) override;
  TSize GetCommandLinkGlyphSize() override;
  TRect GetCommandLinkMargins() override;
  void DrawHeader(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                  TcxNeighbors ANeighbors, core::TcxBorders ABorders, TcxButtonState AState,
                  ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                  bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
                  TcxDrawBackgroundEvent AOnDrawBackground = nullptr, bool AIsLast = false,
                  bool AIsGroup = false) override;
  void DrawHeaderPressed(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawHeaderControlSection(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                                TcxNeighbors ANeighbors, core::TcxBorders ABorders, TcxButtonState AState,
                                ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                                bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor,
                                TColor ABkColor) override;
  void DrawSortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  void DrawSummarySortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  int HeaderBorderSize() override;
  int HeaderControlSectionBorderSize(TcxButtonState AState) override;
  TRect HeaderControlSectionContentBounds(const TRect& ABounds, TcxButtonState AState) override;
  bool IsHeaderHotTrack() override;
  TSize SortingMarkSize() override;
  void DrawFilterRowSeparator(core::TcxCanvas* ACanvas, const TRect& R, TColor ABackgroundColor) override;
  void LayoutViewDrawItem(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                          core::TcxBorders ABorders) override;
  void LayoutViewDrawRecordCaption(core::TcxCanvas* ACanvas, const TRect& R, const TRect& ATextRect,
                                   TcxGroupBoxCaptionPosition APosition, TcxButtonState AState) override;
  int FooterBorderSize() override;
  int FooterCellBorderSize() override;
  int FooterCellOffset() override;
  bool FooterDrawCellsFirst() override;
  void DrawFooterCell(core::TcxCanvas* ACanvas, const TRect& ABounds, ui::TAlignment AAlignmentHorz,
                      core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, const String& AText, ui::TFont* AFont,
                      TColor ATextColor, TColor ABkColor, TcxDrawBackgroundEvent AOnDrawBackground = nullptr) override;
  void DrawFooterBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawFilterCloseButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawFilterDropDownButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                bool AIsFilterActive) override;
  TSize FilterActivateButtonSize() override;
  TSize FilterCloseButtonSize() override;
  void DrawFindPanelBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders) override;
  void DrawEditPopupWindowBorder(core::TcxCanvas* ACanvas, TRect& R, TcxEditPopupBorderStyle ABorderStyle,
                                 bool AClientEdge) override;
  int GetEditPopupWindowBorderWidth(TcxEditPopupBorderStyle AStyle) override;
  int GetEditPopupWindowClientEdgeWidth(TcxEditPopupBorderStyle AStyle) override;
  TColor GetHintBorderColor() override;
  void DrawHintBackground(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor = ui::clDefault) override;
  TColor ScreenTipGetDescriptionTextColor() override;
  TColor ScreenTipGetTitleTextColor() override;
  void DrawTab(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders, const String& AText,
               TcxButtonState AState, bool AVertical, ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
               bool AShowPrefix = false) override;
  void DrawTabBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorder ABorder, core::TcxBorders ABorders,
                     bool AVertical) override;
  void DrawTabsRoot(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders, bool AVertical) override;
  bool IsDrawTabImplemented() override;
  bool IsTabHotTrack() override;
  int TabBorderSize() override;
  void DrawIndicatorItem(core::TcxCanvas* ACanvas, const TRect& R, TcxIndicatorKind AKind, TColor AColor,
                         TcxDrawBackgroundEvent AOnDrawBackground = nullptr) override;
  int ScrollBarMinimalThumbSize(bool AVertical) override;
  void DrawScrollBarPart(core::TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) override;
  void DrawScrollBarSplitter(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  TSize SizeGripSize() override;
  void DoDrawSizeGrip(core::TcxCanvas* ACanvas, const TRect& R) override;
  TSize DoGetSmallCloseButtonSize() override;
  void DrawSmallButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawMonthHeader(core::TcxCanvas* ACanvas, const TRect& ABounds, const String& AText, TcxNeighbors ANeighbors,
                       const core::TcxViewParams& AViewParams, TcxArrowDirections AArrows, int ASideWidth,
                       TcxDrawBackgroundEvent AOnDrawBackground = nullptr) override;
  void DrawSchedulerEventProgress(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& AProgress,
                                  const core::TcxViewParams& AViewParams, bool ATransparent) override;
  TRect SchedulerEventProgressOffsets() override;
  void DrawSchedulerNavigatorButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawSchedulerSplitterBorder(core::TcxCanvas* ACanvas, const TRect& R, const core::TcxViewParams& AViewParams,
                                   bool AIsHorizontal) override;
  TSize ClockSize() override;
  void DrawClock(core::TcxCanvas* ACanvas, const TRect& R, rtl::TDateTime ADateTime, TColor ABackgroundColor) override;
  TSize GetZoomInButtonSize() override;
  TSize GetZoomOutButtonSize() override;
  void DrawZoomInButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawZoomOutButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  TSize GetBackButtonSize() override;
  void DrawBackButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawDateNavigatorDateHeader(core::TcxCanvas* ACanvas, TRect& R) override;
  TSize NavigatorButtonMinSize() override;
  ui::TPoint NavigatorButtonPressedGlyphOffset() override;
  void DrawGroupBoxFrame(core::TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition ACaptionPosition,
                         core::TcxBorders ABorders = core::cxBordersAll) override;
  TColor GroupBoxTextColor(bool AEnabled, TcxGroupBoxCaptionPosition ACaptionPosition) override;
  int CheckBorderSize() override;
  TSize CheckButtonSize() override;
  void DrawCheck(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, TcxCheckBoxState ACheckState,
                 TColor AColor) override;
  void DrawCheckBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  TColor ToggleSwitchToggleColor(bool AChecked) override;
  void DrawToggleSwitchState(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked) override;
  void DrawToggleSwitchThumb(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawRadioButton(core::TcxCanvas* ACanvas, int X, int Y, TcxButtonState AButtonState, bool AChecked,
                       bool AFocused, TColor ABrushColor, bool AIsDesigning = false) override;
  TSize RadioButtonSize() override;
  void DrawSpreadSheetHeader(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                             TcxNeighbors ANeighbors, core::TcxBorders ABorders, TcxButtonState AState,
                             ui::TAlignment AAlignmentHorz, core::TcxAlignmentVert AAlignmentVert, bool AMultiLine,
                             bool AShowEndEllipsis, const String& AText, ui::TFont* AFont, TColor ATextColor,
                             TColor ABkColor, TcxDrawBackgroundEvent AOnDrawBackground = nullptr,
                             bool AIsLast = false, bool AIsGroup = false) override;
  void DrawPanelBackground(core::TcxCanvas* ACanvas, ui::TWinControl* AControl, const TRect& ABounds,
                           TColor AColorFrom = ui::clDefault, TColor AColorTo = ui::clDefault) override;
  void CorrectThumbRect(core::TcxCanvas* ACanvas, TRect& R, bool AHorizontal, TcxTrackBarTicksAlign ATicks) override;
  void DrawTrackBarTrack(core::TcxCanvas* ACanvas, const TRect& R, const TRect& ASelection, bool AShowSelection,
                         bool AEnabled, bool AHorizontal, TColor ATrackColor) override;
  void DrawTrackBarThumb(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AHorizontal,
                         TcxTrackBarTicksAlign ATicks, TColor AThumbColor) override;
  void DrawSplitter(core::TcxCanvas* ACanvas, const TRect& R, bool AHighlighted, bool AClicked,
                    bool AHorizontal) override;
  TColor BreadcrumbEditBackgroundColor(TdxBreadcrumbEditState AState) override;
  TRect BreadcrumbEditBordersSize() override;
  TRect BreadcrumbEditButtonContentOffsets(bool AIsFirst, bool AIsLast) override;
  bool BreadcrumbEditIsFadingSupports() override;
  TSize BreadcrumbEditProgressChunkOverlaySize() override;
  TRect BreadcrumbEditProgressChunkPadding() override;
  void DrawBreadcrumbEditBorders(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders,
                                 TdxBreadcrumbEditState AState) override;
  void DrawBreadcrumbEditButtonAreaSeparator(core::TcxCanvas* ACanvas, const TRect& R,
                                             TdxBreadcrumbEditState AState) override;
  void DrawBreadcrumbEditButton(core::TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                bool AIsFirst, bool AIsLast) override;
  void DrawBreadcrumbEditDropDownButton(core::TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                        bool AIsInEditor) override;
  void DrawBreadcrumbEditNode(core::TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                              bool AHasDelimiter) override;
  void DrawBreadcrumbEditNodeDelimiter(core::TcxCanvas* ACanvas, const TRect& R,
                                       TdxBreadcrumbEditButtonState AState) override;
  void DrawBreadcrumbEditNodeDelimiterGlyph(core::TcxCanvas* ACanvas, const TRect& R,
                                            TdxBreadcrumbEditButtonState AState) override;
  void DrawBreadcrumbEditNodeMoreButtonGlyph(core::TcxCanvas* ACanvas, const TRect& R,
                                             TdxBreadcrumbEditButtonState AState) override;
  void DrawBreadcrumbEditProgressChunk(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawBreadcrumbEditProgressChunkOverlay(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawDropDownListBoxBackground(core::TcxCanvas* ACanvas, const TRect& R, bool AHasBorders) override;
  void DrawDropDownListBoxGutterBackground(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawDropDownListBoxSelection(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect) override;
  void DrawDropDownListBoxSeparator(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect) override;
  TColor DropDownListBoxItemTextColor(bool ASelected) override;
  int DropDownListBoxSeparatorSize() override;
  int AlertWindowCornerRadius() override;
  bool DrawGalleryItemSelectionFirst() override;
  void DrawGalleryItemSelection(core::TcxCanvas* ACanvas, const TRect& R,
                                const TdxGalleryItemViewState& AViewState) override;
  TSize GetBevelMinimalShapeSize(TdxBevelShape AShape) override;
  void DrawBevelFrame(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor1, TColor AColor2,
                      bool ABoxStyle) override;
  void DrawBevelLine(core::TcxCanvas* ACanvas, const TRect& R, TColor AColor1, TColor AColor2,
                     bool AIsVertical) override;
  void DrawModernCalendarDateCellSelection(core::TcxCanvas* ACanvas, const TRect& R,
                                           TcxCalendarElementStates AStates) override;
  TColor GetModernCalendarHeaderTextColor() override;
  void DrawWheelPickerItemBackground(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawWheelPickerItemBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;

  // New operations.
  // A breadcrumb node's button face: nothing in the normal and disabled
  // states; otherwise a push button clipped to R whose sides named in
  // ABorders reach one pixel past R's content offsets.
  virtual void DrawBreadcrumbEditNodePart(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders,
                                          TdxBreadcrumbEditButtonState AState);
  // Text as the theme draws it for a part and state: nothing for an empty text.
  virtual void DrawContent(core::TcxCanvas* ACanvas, core::HTHEME ATheme, int APartId, int AStateId,
                           const TRect& ABounds, const TRect& ATextAreaBounds, ui::TAlignment AAlignmentHorz,
                           core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                           bool AShowPrefix, const String& AText, ui::TFont* AFont, TColor ATextColor,
                           TColor ABkColor);

 protected:
  // A tab of the Tab theme in ATabState; vertical tabs are drawn rotated.
  void DrawThemedTab(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders, const String& AText,
                     core::HTHEME ATheme, int ATabState, bool AVertical, ui::TFont* AFont, TColor ATextColor,
                     TColor ABkColor, bool AShowPrefix);

 private:
  std::unique_ptr<core::TcxBitmap32> FZoomInButtonGlyph;
  std::unique_ptr<core::TcxBitmap32> FZoomOutButtonGlyph;
};

}  // namespace lookandfeel
