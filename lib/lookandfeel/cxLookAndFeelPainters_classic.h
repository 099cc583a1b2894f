#pragma once
// The three classic painters: Standard (two-pixel 3D edges of the system
// colours), Flat (one-pixel edges, no hot look) and UltraFlat (single lines
// with the highlight colour and its light tints for hot and pressed parts).
// One instance of each lives in the painter registry; the Office11 painter
// derives from UltraFlat and overrides its five colour operations.
#include "lib/lookandfeel/cxLookAndFeelPainters.h"

namespace lookandfeel {

class TcxStandardLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
  RTL_CLASS(TcxStandardLookAndFeelPainter, TcxCustomLookAndFeelPainter)

 public:
  String LookAndFeelName() override;
  TcxLookAndFeelStyle LookAndFeelStyle() override;
  TColor DefaultSchedulerViewContentColor() override;
  int BorderSize() override;
  void DrawBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  int ButtonBorderSize(TcxButtonState AState = TcxButtonState::cxbsNormal) override;
  int ButtonTextOffset() override;
  int ButtonTextShift() override;
  void DrawButtonBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  bool IsButtonHotTrack() override;
  int ExpandButtonSize() override;
  void DrawExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) override;
  void DrawGroupExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TcxButtonState AState) override;
  void DrawHeaderBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                        core::TcxBorders ABorders) override;
  void DrawHeaderControlSectionBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders,
                                      TcxButtonState AState) override;
  void DrawSortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  void DrawSummarySortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  int HeaderBorderSize() override;
  int HeaderControlSectionBorderSize(TcxButtonState AState) override;
  TSize SortingMarkSize() override;
  TSize SummarySortingMarkSize() override;
  int FooterBorderSize() override;
  int FooterCellBorderSize() override;
  int FooterCellOffset() override;
  void DrawFooterBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawFooterCellBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawFilterDropDownButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                bool AIsFilterActive) override;
  void DrawFindPanelBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders) override;
  void DrawTabBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorder ABorder, core::TcxBorders ABorders,
                     bool AVertical) override;
  void DrawTabsRoot(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders, bool AVertical) override;
  int TabBorderSize() override;
  void DrawScrollBarPart(core::TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) override;
  void DrawMonthHeader(core::TcxCanvas* ACanvas, const TRect& ABounds, const String& AText, TcxNeighbors ANeighbors,
                       const core::TcxViewParams& AViewParams, TcxArrowDirections AArrows, int ASideWidth,
                       TcxDrawBackgroundEvent AOnDrawBackground = nullptr) override;
  void DrawSchedulerSplitterBorder(core::TcxCanvas* ACanvas, const TRect& R, const core::TcxViewParams& AViewParams,
                                   bool AIsHorizontal) override;
  void DrawGroupBoxFrame(core::TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition ACaptionPosition,
                         core::TcxBorders ABorders = core::cxBordersAll) override;
  void DrawCheckBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  TColor ToggleSwitchToggleColor(bool AChecked) override;
  void DrawToggleSwitchState(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked) override;
  void DrawTrackBarTrackBounds(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawTrackBarThumbBorderUpDown(core::TcxCanvas* ACanvas, const std::vector<ui::TPoint>& ALightPolyLine,
                                     const std::vector<ui::TPoint>& AShadowPolyLine,
                                     const std::vector<ui::TPoint>& ADarkPolyLine) override;
  void DrawTrackBarThumbBorderBoth(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawBreadcrumbEditButton(core::TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                bool AIsFirst, bool AIsLast) override;
};

class TcxFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
  RTL_CLASS(TcxFlatLookAndFeelPainter, TcxCustomLookAndFeelPainter)

 public:
  String LookAndFeelName() override;
  TcxLookAndFeelStyle LookAndFeelStyle() override;
  int BorderSize() override;
  int SeparatorSize() override;
  void DrawBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  int ButtonBorderSize(TcxButtonState AState = TcxButtonState::cxbsNormal) override;
  int ButtonTextOffset() override;
  int ButtonTextShift() override;
  void DrawButtonBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  bool IsButtonHotTrack() override;
  int ExpandButtonSize() override;
  void DrawExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) override;
  void DrawHeaderBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                        core::TcxBorders ABorders) override;
  void DrawHeaderControlSectionBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders,
                                      TcxButtonState AState) override;
  void DrawSortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  void DrawSummarySortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  int HeaderBorderSize() override;
  TSize SortingMarkSize() override;
  TSize SummarySortingMarkSize() override;
  int FooterBorderSize() override;
  int FooterCellBorderSize() override;
  int FooterCellOffset() override;
  void DrawFooterBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawFooterCellBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawFilterDropDownButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                bool AIsFilterActive) override;
  void DrawFindPanelBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders) override;
  void DrawTabBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorder ABorder, core::TcxBorders ABorders,
                     bool AVertical) override;
  void DrawTabsRoot(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders, bool AVertical) override;
  int TabBorderSize() override;
  void DrawScrollBarPart(core::TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) override;
  void DrawSchedulerSplitterBorder(core::TcxCanvas* ACanvas, const TRect& R, const core::TcxViewParams& AViewParams,
                                   bool AIsHorizontal) override;
  void DrawDateNavigatorDateHeader(core::TcxCanvas* ACanvas, TRect& R) override;
  void DrawGroupBoxFrame(core::TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition ACaptionPosition,
                         core::TcxBorders ABorders = core::cxBordersAll) override;
  void DrawCheckBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  TColor ToggleSwitchToggleColor(bool AChecked) override;
  void DrawToggleSwitchState(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked) override;
  void DrawTrackBarTrackBounds(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawTrackBarThumbBorderUpDown(core::TcxCanvas* ACanvas, const std::vector<ui::TPoint>& ALightPolyLine,
                                     const std::vector<ui::TPoint>& AShadowPolyLine,
                                     const std::vector<ui::TPoint>& ADarkPolyLine) override;
  void DrawTrackBarThumbBorderBoth(core::TcxCanvas* ACanvas, const TRect& R) override;
  TColor GetSplitterOuterColor(bool AHighlighted) override;
};

class TcxUltraFlatLookAndFeelPainter : public TcxCustomLookAndFeelPainter {
  RTL_CLASS(TcxUltraFlatLookAndFeelPainter, TcxCustomLookAndFeelPainter)

 public:
  void DrawSchedulerNavigationButtonContent(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AArrowRect,
                                            bool AIsNextButton, TcxButtonState AState) override;
  String LookAndFeelName() override;
  TcxLookAndFeelStyle LookAndFeelStyle() override;
  TColor DefaultSchedulerBorderColor() override;
  int BorderSize() override;
  void DrawBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DoDrawSeparator(core::TcxCanvas* ACanvas, const TRect& R, bool AIsVertical) override;
  int ButtonBorderSize(TcxButtonState AState = TcxButtonState::cxbsNormal) override;
  TColor ButtonColor(TcxButtonState AState) override;
  TRect ButtonFocusRect(core::TcxCanvas* ACanvas, const TRect& R) override;
  TColor ButtonSymbolColor(TcxButtonState AState, TColor ADefaultColor = ui::clDefault) override;
  int ButtonTextOffset() override;
  int ButtonTextShift() override;
  TcxButtonState ButtonSymbolState(TcxButtonState AState) override;
  void DrawButtonBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  bool IsButtonHotTrack() override;
  int ExpandButtonSize() override;
  void DrawExpandButton(core::TcxCanvas* ACanvas, const TRect& R, bool AExpanded, TColor AColor) override;
  void DrawHeaderEx(core::TcxCanvas* ACanvas, const TRect& ABounds, const TRect& ATextAreaBounds,
                    TcxNeighbors ANeighbors,
                    core::TcxBorders ABorders, TcxButtonState AState, ui::TAlignment AAlignmentHorz,
                    core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                    const String& AText, ui::TFont* AFont, TColor ATextColor, TColor ABkColor,
                    TcxDrawBackgroundEvent AOnDrawBackground = nullptr) override;
  void DrawHeaderBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxNeighbors ANeighbors,
                        core::TcxBorders ABorders) override;
  void DrawHeaderControlSectionBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders,
                                      TcxButtonState AState) override;
  void DrawHeaderControlSectionContent(core::TcxCanvas* ACanvas, const TRect& R, const TRect& ATextAreaBounds,
                                       TcxButtonState AState, ui::TAlignment AAlignmentHorz,
                                       core::TcxAlignmentVert AAlignmentVert, bool AMultiLine, bool AShowEndEllipsis,
                                       const String& AText, ui::TFont* AFont, TColor ATextColor,
                                       TColor ABkColor) override;
  void DrawSortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  void DrawSummarySortingMark(core::TcxCanvas* ACanvas, const TRect& R, bool AAscendingSorting) override;
  core::TcxBorders HeaderBorders(TcxNeighbors ANeighbors) override;
  int HeaderBorderSize() override;
  TSize SortingMarkSize() override;
  TSize SummarySortingMarkSize() override;
  int GridBordersOverlapSize() override;
  core::TcxBorders FooterBorders() override;
  int FooterBorderSize() override;
  int FooterCellBorderSize() override;
  int FooterCellOffset() override;
  void DrawFooterBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawFooterBorderEx(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders) override;
  void DrawFooterCellBorder(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawFilterDropDownButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                                bool AIsFilterActive) override;
  TSize FilterCloseButtonSize() override;
  void DrawTabBorder(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorder ABorder, core::TcxBorders ABorders,
                     bool AVertical) override;
  void DrawTabsRoot(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders, bool AVertical) override;
  int TabBorderSize() override;
  void DrawScrollBarPart(core::TcxCanvas* ACanvas, bool AHorizontal, const TRect& R, TcxScrollBarPart APart,
                         TcxButtonState AState) override;
  void DrawSchedulerNavigatorButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  void DrawSchedulerSplitterBorder(core::TcxCanvas* ACanvas, const TRect& R, const core::TcxViewParams& AViewParams,
                                   bool AIsHorizontal) override;
  void DrawNavigatorBorder(core::TcxCanvas* ACanvas, const TRect& R, bool ASelected) override;
  void DrawNavigatorButton(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState,
                           TColor ABackgroundColor) override;
  bool NavigatorBorderOverlap() override;
  int NavigatorBorderSize() override;
  void DrawGroupBoxFrame(core::TcxCanvas* ACanvas, const TRect& R, TcxGroupBoxCaptionPosition ACaptionPosition,
                         core::TcxBorders ABorders = core::cxBordersAll) override;
  void DrawCheckBorder(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  TColor ToggleSwitchToggleColor(bool AChecked) override;
  void DrawToggleSwitchState(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState, bool AChecked) override;
  void DrawToggleSwitchThumb(core::TcxCanvas* ACanvas, const TRect& R, TcxButtonState AState) override;
  TColor RadioButtonBodyColor(TcxButtonState AState) override;
  void DrawTrackBarTrackBounds(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawTrackBarThumbBorderUpDown(core::TcxCanvas* ACanvas, const std::vector<ui::TPoint>& ALightPolyLine,
                                     const std::vector<ui::TPoint>& AShadowPolyLine,
                                     const std::vector<ui::TPoint>& ADarkPolyLine) override;
  void DrawTrackBarThumbBorderBoth(core::TcxCanvas* ACanvas, const TRect& R) override;
  TColor GetSplitterOuterColor(bool AHighlighted) override;
  TSize GetSplitterSize(bool AHorizontal) override;
  void DrawPrintPreviewBackground(core::TcxCanvas* ACanvas, const TRect& R) override;
  int BreadcrumbEditButtonAreaSeparatorSize() override;
  TRect BreadcrumbEditButtonContentOffsets(bool AIsFirst, bool AIsLast) override;
  void DrawBreadcrumbEditBorders(core::TcxCanvas* ACanvas, const TRect& R, core::TcxBorders ABorders,
                                 TdxBreadcrumbEditState AState) override;
  void DrawBreadcrumbEditButtonAreaSeparator(core::TcxCanvas* ACanvas, const TRect& R,
                                             TdxBreadcrumbEditState AState) override;
  void DrawBreadcrumbEditButton(core::TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                bool AIsFirst, bool AIsLast) override;
  void DrawBreadcrumbEditDropDownButton(core::TcxCanvas* ACanvas, const TRect& R, TdxBreadcrumbEditButtonState AState,
                                        bool AIsInEditor) override;
  void DrawDropDownListBoxBackground(core::TcxCanvas* ACanvas, const TRect& R, bool AHasBorders) override;
  void DrawDropDownListBoxGutterBackground(core::TcxCanvas* ACanvas, const TRect& R) override;
  void DrawDropDownListBoxSelection(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect) override;
  void DrawDropDownListBoxSeparator(core::TcxCanvas* ACanvas, const TRect& R, const TRect& AGutterRect) override;
  TColor DropDownListBoxItemTextColor(bool ASelected) override;
  TSize GetBevelMinimalShapeSize(TdxBevelShape AShape) override;
  void GetBevelShapeColors(TColor& AColor1, TColor& AColor2) override;

  // New operations (the Office11 painter recolours through them).
  virtual TColor FilterDropDownButtonBorderColor(TcxButtonState AState);
  virtual void DrawBreadcrumbEditCustomButton(core::TcxCanvas* ACanvas, const TRect& R,
                                              TdxBreadcrumbEditButtonState AState,
                                              core::TcxBorders ABorders);
  virtual TColor TabBorderHighlightColor();
  virtual TColor TabBorderDarkColor();
  virtual TColor BorderHighlightColor();
};

}  // namespace lookandfeel
